#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>

namespace zephyra::platform {

// FS98 under Wine: the registry lives in text files inside the prefix, and system.reg holds
// HKEY_LOCAL_MACHINE. These functions read it directly, so nothing has to run under Wine.

// The key FS98's installer writes its folder to (value "Path"), relative to HKLM.
inline constexpr std::string_view kFs98RegistryKey =
    "Software\\Microsoft\\Microsoft Games\\Flight Simulator\\6.1";
// Where a 64-bit prefix keeps the same key for 32-bit programs.
inline constexpr std::string_view kFs98RegistryKeyWow64 =
    "Software\\Wow6432Node\\Microsoft\\Microsoft Games\\Flight Simulator\\6.1";

// A string value from Wine registry text ("WINE REGISTRY Version 2"). keyPath uses single
// backslashes and is relative to the file's root (a leading "HKEY_LOCAL_MACHINE\" or "HKLM\" is
// ignored); valueName "" or "@" is the key's default value. Key and value names match without
// regard to ASCII case. String, expand-string and multi-string values are returned as UTF-8,
// cut at the first NUL like a C caller of RegQueryValueExA would see them; strings Wine had to
// save as hex(1)/hex(2) are decoded too. Anything else (DWORD, binary, a malformed line, a file
// without the header) gives nothing.
std::optional<std::string> parseWineRegistryString(std::istream& in, std::string_view keyPath,
                                                   std::string_view valueName);
std::optional<std::string> parseWineRegistryString(std::string_view text, std::string_view keyPath,
                                                   std::string_view valueName);
// The same, from a file; nothing when it cannot be opened.
std::optional<std::string> readWineRegistryString(const std::string& regFile,
                                                  std::string_view keyPath,
                                                  std::string_view valueName);

// A Windows path inside the prefix as a Unix path. The drive goes through
// prefix/dosdevices/<letter>: (C: falls back to prefix/drive_c); each component is matched
// without regard to case when its exact spelling does not exist, and kept as written when no
// entry matches. Short 8.3 names ("PROGRA~1") are matched against long names as a last resort.
// Nothing for relative, UNC or unmappable paths.
std::optional<std::string> windowsPathToUnix(const std::string& winePrefix,
                                             const std::string& windowsPath);

// FS98's install folder as registered in the prefix's system.reg, as a Unix path. The folder
// is not checked for existence: the caller reports a registered but missing folder itself.
std::optional<std::string> fs98FolderFromWine(const std::string& winePrefix);

// $WINEPREFIX, else $HOME/.wine (the home folder comes from the password database when HOME is
// unset).
std::string defaultWinePrefix();

}  // namespace zephyra::platform
