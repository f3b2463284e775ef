#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simlink/FlightGearLink.h"

namespace zephyra::simlink {

enum class SimulatorKind { BuiltIn, FlightGear };

// Which simulator Zephyra flies with and how to reach and start FlightGear. Kept in
// "simulator.ini" beside the program (not in "vane98.par", whose thirteen lines are FS98's);
// the command line's --simulator overrides the file.
struct SimulatorChoice {
    SimulatorKind kind = SimulatorKind::BuiltIn;
    FlightGearSettings flightGear;
    // How "start the simulator" launches FlightGear: words separated by spaces, quotes group
    // words, "{port}" becomes the property port. The default suits a slow machine.
    std::string fgfsCommand;
};

inline constexpr const char* kSimulatorFile = "simulator.ini";

// The light command line: the c172p in the air near KSFO, the property server on the
// settings' port polled every frame, sound, scenery download, live weather, AI traffic and
// most drawing off, 30 frames a second, and FlightGear's generic autopilot loaded.
std::string defaultFgfsCommand();

// A port number, 1 to 65535, written as digits alone.
std::optional<int> portFromText(std::string_view text);

// "builtin" (or "built-in") and "flightgear", in any case.
std::optional<SimulatorKind> simulatorKindFromName(std::string_view name);
std::string_view simulatorKindName(SimulatorKind kind);

// Reads `Key=Value` lines: Simulator, FlightGearHost, FlightGearPort, FlightGearCommand.
// A missing file gives the defaults; each line that cannot be used is named in `problems`
// and leaves its default in place.
SimulatorChoice readSimulatorChoice(const std::string& path,
                                    std::vector<std::string>* problems = nullptr);

// Applies a command-line option --simulator NAME, --fg-host HOST or --fg-port PORT, whose
// value (null when the option ends the line) is taken with it.
enum class OptionUse { NotMine, Taken, Bad };
OptionUse takeSimulatorOption(const std::string& option, const std::string* value,
                              SimulatorChoice& choice, std::string& problem);

// The command's words, "{port}" filled in and the word "fgfs" replaced by the installed
// program; empty when the command names "fgfs" and FlightGear is not installed.
std::vector<std::string> fgfsArguments(const SimulatorChoice& choice);
// The full path of `fgfs` on PATH or in /usr/games (where Debian puts it), or empty.
std::string findFgfs();

namespace choice_text {
inline constexpr const char* kFgfsMissing =
    "FlightGear is not installed (no \"fgfs\" on the PATH or in /usr/games). Install it with "
    "\"apt-get install flightgear\", or start it yourself with its property server on, then "
    "try again.";
inline constexpr const char* kNoLinkToFs98 =
    "FS98 runs under Wine here, and Zephyra has no link to it: no weather or autopilot "
    "settings will reach FS98. Zephyra keeps working as a weather and flight planner. To fly "
    "with Zephyra, choose the built-in simulator or FlightGear (--simulator flightgear).";
}  // namespace choice_text

}  // namespace zephyra::simlink
