#pragma once

#include <optional>
#include <string>

#include "shell/Settings.h"

namespace zephyra::shell {

inline constexpr const char* kParamFileName = "vane98.par";

struct ParamReadResult {
    bool ok = false;
    int errorLine = 0;  // 1-based line that stopped the reading; 0 when the file did not open
    std::string error;  // what went wrong, for the log of a headless run
};

// Reads the parameter file into settings. Reading stops at the first bad line (no "=", a
// number that does not convert, an integer outside 16 bits); settings read before it keep
// their new values. Keys match case-sensitively; unknown keys are skipped.
ParamReadResult readParamFile(const std::string& path, Settings& settings);
ParamReadResult parseParamText(const std::string& text, Settings& settings);

// The thirteen lines, CR LF ended, in the file's fixed order. fpDistText is written as typed
// (the settings window keeps the user's text); without it the integer is written.
std::string formatParamFile(const Settings& settings,
                            const std::optional<std::string>& fpDistText = std::nullopt);
bool writeParamFile(const std::string& path, const Settings& settings,
                    const std::optional<std::string>& fpDistText = std::nullopt,
                    std::string* error = nullptr);

// The settings a first-run configuration writes for the given simulator folder.
Settings firstRunSettings(const std::string& fs98Folder);

// The settings a command-line tool works with: the parameter file's, read as the window reads
// it; without a file that opens, those a first run writes (what the window would be flying),
// so every command falls back on the same values.
ParamReadResult readSettingsForTools(const std::string& path, Settings& settings);

// Number conversions with the program's rules. toInt16 rounds halves to even and fails on
// text that is not a number or lies outside the 16-bit range.
std::optional<double> toNumber(const std::string& text);
std::optional<std::int16_t> toInt16(const std::string& text);
// Rounds halves to the even neighbour (2.5 → 2, 3.5 → 4).
double roundHalfEven(double value);

}  // namespace zephyra::shell
