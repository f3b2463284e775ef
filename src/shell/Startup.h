#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "shell/Settings.h"
#include "simlink/SimulatorChoice.h"

namespace zephyra::shell {

inline constexpr const char* kSimulatorExe = "fltsim98.exe";
inline constexpr const char* kSimulatorCfg = "fltsim98.cfg";
inline constexpr const char* kNotLocated = "FS98 not located.";
inline constexpr const char* kFlightGearAddressMessage =
    "FlightGear's property server needs a host (a name or an address such as 127.0.0.1) and a "
    "port from 1 to 65535.";

// Outcome of the start-up test that decides between the main window and the configuration.
struct StartupCheck {
    bool configured = false;
    std::string reason;  // why the configuration window is needed (for a headless log)
    // The folder relative names are read from from here on ("storm.cld", the adventures):
    // the launch folder while it holds no parameter file, the program folder once it does.
    std::string currentFolder;
};

// The parameter file must be in the launch folder, read cleanly from the program folder and
// name a folder that holds the simulator. Settings read before a bad line keep their values.
StartupCheck checkStartup(const std::string& launchFolder, const std::string& programFolder,
                          Settings& settings);

// Where the configuration window starts: the registry's FS98 folder when it holds
// "fltsim98.cfg", otherwise "FS98 not located." and Proceed stays disabled.
struct LocateState {
    std::string label = kNotLocated;
    bool proceedEnabled = false;
};
LocateState findFs98(platform::Platform& platform);

// The folder of a chosen "fltsim98.exe": the path less its last 13 characters.
std::string folderOfChosenExe(const std::string& chosenFile);

struct FirstRunFolders {
    std::string program;  // the program's own folder (vane98.par, fs6ipc.dll)
    std::string current;  // the working folder (storm.cld, the lightning adventures)
    // Where the built-in simulator's folder lies; the program folder when empty. When it is
    // not the program folder, the folder is copied there from the one shipped in current.
    std::string simulatorHome;
    // Ends with "Configuration Saved! Please restart Zephyra."; the window that takes the
    // choice at once says nothing when all went well.
    bool askForRestart = true;
};

enum class ProceedResult { Configured, NotConfigured };

// The built-in simulator's folder for these folders, laid out when it is missing. Empty, with
// the reason in error, when it could not be made.
std::string layOutBuiltInSimFolder(const FirstRunFolders& folders, std::string* error);

// Writes the default parameter file and installs the program's files into the simulator's
// folder, telling the user about every failure. Backups are never overwritten. fs6ipc.dll and
// the lightning adventures are FS98's: the built-in simulator's folder gets neither, and no
// message about them.
ProceedResult proceedWithConfiguration(const std::string& fs98Folder,
                                       const FirstRunFolders& folders, platform::Dialogs& dialogs);

// The simulator the messages name: "the built-in simulator" while it is the link, else
// "FlightGear" when the simulator folder is the built-in one (FlightGear chosen), else "FS98".
std::string simulatorName(bool builtInIsTheLink, const std::string& simulatorFolder);
// A message written for FS98 with every "FS98" replaced by that name, a sentence that now
// starts with it capitalised ("The built-in simulator not loaded.").
std::string namingSimulator(const std::string& text, const std::string& name);

// What the first run offers on this machine: the built-in simulator (the default, with its
// folder beside the program), FlightGear when fgfs is installed, or an FS98 folder.
enum class FirstRunChoice { BuiltIn, FlightGear, Fs98 };

// Sets these Key=Value lines of "simulator.ini" (keys in any case; other lines kept, the file
// made when missing).
bool writeSimulatorSettings(const std::string& path,
                            const std::vector<std::pair<std::string, std::string>>& values,
                            std::string* error = nullptr);
// Sets the Simulator line of "simulator.ini".
bool writeSimulatorKind(const std::string& path, simlink::SimulatorKind kind,
                        std::string* error = nullptr);

// Configures the first run for the choice: the built-in simulator and FlightGear use the
// built-in simulator's folder (made when missing) as the simulator folder and set the
// simulator in "simulator.ini"; an FS98 folder is configured as the classic window did, with
// all of its messages. No restart is asked for.
ProceedResult configureFirstRun(FirstRunChoice choice, const std::string& fs98Folder,
                                const FirstRunFolders& folders, platform::Dialogs& dialogs);

}  // namespace zephyra::shell
