#pragma once

#include <functional>
#include <optional>
#include <string>

namespace zephyra::platform {

// What the program needs of the desktop around it: is the simulator up, start it, open a web
// address, and where the registry says FS98 is installed.
class Platform {
  public:
    virtual ~Platform() = default;

    // True while the simulator's main window exists.
    virtual bool simulatorWindowExists() = 0;
    // Starts "fltsim98.exe" from the given folder (the folder is also the working folder).
    virtual bool startSimulator(const std::string& folder) = 0;
    // Opens the address in the user's browser; the address is never passed through a shell.
    // Returns at once; `done` (may be empty) hears once, on the program's thread, whether a
    // browser took the address: false when none is registered or it could not be started.
    virtual void openUrl(const std::string& url, std::function<void(bool opened)> done) = 0;
    // FS98's install folder from the registry (key "SOFTWARE\Microsoft\Microsoft Games\Flight
    // Simulator\6.1" of the local machine, value "Path"), or nothing when it is missing.
    virtual std::optional<std::string> fs98PathFromRegistry() = 0;
};

}  // namespace zephyra::platform
