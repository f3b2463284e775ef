#include "platform/WineRegistry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/TempDir.h"

namespace fs = std::filesystem;
using zephyra::platform::defaultWinePrefix;
using zephyra::platform::fs98FolderFromWine;
using zephyra::platform::parseWineRegistryString;
using zephyra::platform::readWineRegistryString;
using zephyra::platform::windowsPathToUnix;
using zephyra::test::TempDir;

namespace {

constexpr const char* kFsKey = "Software\\Microsoft\\Microsoft Games\\Flight Simulator\\6.1";
constexpr const char* kFsPath = "C:\\Program Files\\Microsoft Games\\Flight Simulator";

// Shaped like a system.reg Wine writes: header, comment, arch line, keys in order with a
// timestamp and #time lines, neighbours that share prefixes with the key we want.
const std::string kSystemReg = R"(WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win32

[Software\\Microsoft\\Microsoft Games\\Flight Simulator\\6.0] 1699990000
#time=1da0b0c0d0e0f00
"Path"="C:\\Old\\FS6"

[Software\\Microsoft\\Microsoft Games\\Flight Simulator\\6.1] 1700000000
#time=1da1b2c3d4e5f60
"Path"="C:\\Program Files\\Microsoft Games\\Flight Simulator"
"SetupVersion"=dword:00000061
"Blob"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\
  17,18,19,1a,1b
"Language"="English"

[Software\\Microsoft\\Microsoft Games\\Flight Simulator\\6.1\\Settings] 1700000001
#time=1da1b2c3d4e5f61
"Path"="C:\\Wrong\\Subkey"

[Software\\Microsoft\\Microsoft Games\\Flight Simulator\\6.10] 1700000002
"Path"="C:\\Wrong\\Sibling"
)";

std::string regWithValue(const std::string& valueLines) {
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
           "[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\6.1] 1700000000\n"
           "#time=1da1b2c3d4e5f60\n" +
           valueLines + "\n";
}

std::string withCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return out;
}

// A prefix as winecfg leaves it: drive_c with the usual folders, dosdevices/c: -> ../drive_c.
void makePrefix(const TempDir& prefix, const std::string& systemReg) {
    prefix.mkdir("drive_c/Program Files/Microsoft Games/Flight Simulator");
    prefix.mkdir("drive_c/windows");
    prefix.mkdir("dosdevices");
    fs::create_directory_symlink("../drive_c", prefix.file("dosdevices/c:"));
    prefix.write("system.reg", systemReg);
}

}  // namespace

// Finding the key among its neighbours, decoding the value, refusing damaged input.
TEST(WineRegistry, ReadsOneStringValue) {
    const std::string huge(3 << 20, 'x');
    const std::string noHeader = kSystemReg.substr(kSystemReg.find('\n') + 1);
    const struct {
        const char* what;
        std::string text;
        std::string key;
        std::string name;
        std::optional<std::string> expected;
    } cases[] = {
        {"among neighbouring keys", kSystemReg, kFsKey, "Path", kFsPath},
        {"after a multi-line hex value", kSystemReg, kFsKey, "Language", "English"},
        {"Windows line ends", withCrLf(kSystemReg), kFsKey, "Language", "English"},
        {"missing key", kSystemReg, "Software\\Microsoft\\Flight Simulator", "Path", {}},
        {"missing value", kSystemReg, kFsKey, "InstallDir", {}},
        {"only a prefix", kSystemReg, "Software\\Microsoft\\Microsoft Games", "Path", {}},
        {"names in any case", kSystemReg,
         "SOFTWARE\\microsoft\\MICROSOFT GAMES\\flight simulator\\6.1", "pATH", kFsPath},
        {"hive prefix", kSystemReg, std::string("HKEY_LOCAL_MACHINE\\") + kFsKey, "Path", kFsPath},
        {"outer backslashes", kSystemReg, std::string("\\") + kFsKey + "\\", "Path", kFsPath},
        {"default value", regWithValue("\"Other\"=\"no\"\n@=\"default here\""), kFsKey, "",
         "default here"},
        {"no default value", regWithValue("\"Other\"=\"no\""), kFsKey, "", {}},
        {"escapes", regWithValue(R"("Path"="a\\b \"q\" n\n t\t")"), kFsKey, "Path",
         "a\\b \"q\" n\n t\t"},
        {"UTF-16 escapes", regWithValue(R"("Path"="D:\\A\x00e9ro\xd83d\xde00")"), kFsKey, "Path",
         "D:\\A\xC3\xA9ro\xF0\x9F\x98\x80"},
        {"hex(1) over lines",
         regWithValue("\"Path\"=hex(1):43,00,3a,00,5c,00,46,00,\\\n  53,00,39,00,38,00"), kFsKey,
         "Path", "C:\\FS98"},
        {"dword", kSystemReg, kFsKey, "SetupVersion", {}},
        {"binary", kSystemReg, kFsKey, "Blob", {}},
        {"empty", "", kFsKey, "Path", {}},
        {"no header", noHeader, kFsKey, "Path", {}},
        {"unterminated string", regWithValue("\"Path\"=\"C:\\\\FS98\\"), kFsKey, "Path", {}},
        {"overlong value refused", regWithValue("\"Path\"=\"" + huge + "\""), kFsKey, "Path", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseWineRegistryString(c.text, c.key, c.name), c.expected) << c.what;
    }
}

// Arbitrary bytes are the fuzz target's; here every prefix of a good file.
TEST(WineRegistry, ACutFileGivesTheRightAnswerOrNothing) {
    for (std::size_t n = 0; n <= kSystemReg.size(); ++n) {
        const auto v = parseWineRegistryString(kSystemReg.substr(0, n), kFsKey, "Path");
        if (v) {
            EXPECT_EQ(*v, kFsPath) << n;
        }
    }
}

TEST(WineRegistry, ReadsTheFileOrNothing) {
    TempDir dir;
    dir.write("system.reg", kSystemReg);
    EXPECT_EQ(readWineRegistryString(dir.file("system.reg"), kFsKey, "Path"), kFsPath);
    EXPECT_EQ(readWineRegistryString(dir.file("none.reg"), kFsKey, "Path"), std::nullopt);
    EXPECT_EQ(readWineRegistryString(dir.path(), kFsKey, "Path"), std::nullopt);
}

// Windows paths through the prefix's drives, without regard to case, with short names.
TEST(WinePaths, MapThroughThePrefixDrives) {
    TempDir prefix;
    TempDir elsewhere;
    makePrefix(prefix, kSystemReg);
    prefix.mkdir("drive_c/Program Files/Microsoft Office");
    prefix.mkdir("drive_c/fs98");
    prefix.mkdir("drive_c/FS98");
    elsewhere.mkdir("Games/FS98");
    fs::create_directory_symlink(elsewhere.path(), prefix.file("dosdevices/d:"));
    auto c = [&prefix](const char* relative) { return std::optional(prefix.file(relative)); };
    const auto fsFolder = c("drive_c/Program Files/Microsoft Games/Flight Simulator");
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {kFsPath, fsFolder},
        {"C:\\", c("drive_c")},
        {"c:\\PROGRAM FILES\\microsoft games\\FLIGHT simulator", fsFolder},
        {"C:\\program files\\Missing\\Sub Dir", c("drive_c/Program Files/Missing/Sub Dir")},
        {"C:\\fs98", c("drive_c/fs98")},  // exact spelling wins over a case variant
        {"C:\\FS98", c("drive_c/FS98")},
        {"C:/Program Files/Microsoft Games/Flight Simulator/", fsFolder},
        {"C:\\Program Files\\.\\Microsoft Games\\x\\..\\\\Flight Simulator\\", fsFolder},
        {"C:\\..\\..\\windows", c("drive_c/windows")},
        {"  \"C:\\Program Files\\Microsoft Games\\Flight Simulator\"  ", fsFolder},
        {"C:\\PROGRA~1\\MICROS~1\\FLIGHT~1", fsFolder},  // short names in name order
        {"C:\\PROGRA~1\\MICROS~2", c("drive_c/Program Files/Microsoft Office")},
        {"C:\\PROGRA~1\\MICROS~3", c("drive_c/Program Files/MICROS~3")},
        {"d:\\Games\\FS98", std::optional(elsewhere.file("Games/FS98"))},
        {"E:\\Games", std::nullopt},
        {"", std::nullopt},
        {"Program Files\\FS", std::nullopt},
        {"\\\\server\\share\\FS", std::nullopt},
        {"C:FS98", std::nullopt},
    };
    for (const auto& [windows, expected] : cases) {
        EXPECT_EQ(windowsPathToUnix(prefix.path(), windows), expected) << windows;
    }
    // Wine keeps C: in drive_c whatever its link says.
    fs::remove(prefix.file("dosdevices/c:"));
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "C:\\FS98"), prefix.file("drive_c/FS98"));
    fs::create_directory_symlink("../gone", prefix.file("dosdevices/c:"));
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "C:\\FS98"), prefix.file("drive_c/FS98"));
}

TEST(Fs98FromWine, FolderFromTheRegistryOfAPrefix) {
    const std::string wow =
        "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\6.1] 1\n";
    const std::string header = "WINE REGISTRY Version 2\n#arch=win64\n\n";
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {kSystemReg, "drive_c/Program Files/Microsoft Games/Flight Simulator"},
        {header + wow + "\"Path\"=\"C:\\\\Program Files (x86)\\\\FS\"\n",
         "drive_c/Program Files (x86)/FS"},
        {kSystemReg + "\n" + wow + "\"Path\"=\"C:\\\\Other\"\n",  // the native key wins
         "drive_c/Program Files/Microsoft Games/Flight Simulator"},
        {"WINE REGISTRY Version 2\n[Software\\\\Wine] 1\n\"Version\"=\"win98\"\n", std::nullopt},
    };
    for (const auto& [reg, relative] : cases) {
        TempDir prefix;
        makePrefix(prefix, reg);
        prefix.mkdir("drive_c/Program Files (x86)/FS");
        const auto expected = relative ? std::optional(prefix.file(*relative)) : std::nullopt;
        EXPECT_EQ(fs98FolderFromWine(prefix.path()), expected) << reg.substr(0, 80);
        EXPECT_EQ(fs98FolderFromWine(prefix.path() + "/"), expected);
    }
    EXPECT_EQ(fs98FolderFromWine("/nonexistent/prefix"), std::nullopt);
    EXPECT_EQ(fs98FolderFromWine(""), std::nullopt);
}

TEST(DefaultWinePrefix, FromEnvironment) {
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* saved = std::getenv("WINEPREFIX");
    const std::string prefix = saved ? saved : "";
    setenv("HOME", "/home/pilot", 1);
    setenv("WINEPREFIX", "/games/fs98-prefix", 1);
    EXPECT_EQ(defaultWinePrefix(), "/games/fs98-prefix");
    setenv("WINEPREFIX", "", 1);
    EXPECT_EQ(defaultWinePrefix(), "/home/pilot/.wine");
    setenv("HOME", home.c_str(), 1);
    if (saved) {
        setenv("WINEPREFIX", prefix.c_str(), 1);
    }
}
