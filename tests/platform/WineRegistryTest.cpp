#include "platform/WineRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
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

std::optional<std::string> fsValue(const std::string& text, const char* name = "Path") {
    return parseWineRegistryString(text, kFsKey, name);
}

void writeText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << text;
}

// A prefix as winecfg leaves it: drive_c with the usual folders, dosdevices/c: -> ../drive_c.
void makePrefix(const TempDir& prefix, const std::string& systemReg) {
    fs::create_directories(prefix.file("drive_c/Program Files/Microsoft Games/Flight Simulator"));
    fs::create_directories(prefix.file("drive_c/windows"));
    fs::create_directories(prefix.file("dosdevices"));
    fs::create_directory_symlink("../drive_c", prefix.file("dosdevices/c:"));
    fs::create_directory_symlink("/", prefix.file("dosdevices/z:"));
    writeText(prefix.file("system.reg"), systemReg);
}

std::string fsFolderIn(const TempDir& prefix) {
    return prefix.file("drive_c/Program Files/Microsoft Games/Flight Simulator");
}

// ---- Finding values -------------------------------------------------------------------------

TEST(WineRegistryLookup, FindsFs98PathAmongNeighbouringKeys) {
    EXPECT_EQ(fsValue(kSystemReg), "C:\\Program Files\\Microsoft Games\\Flight Simulator");
    // The value after a multi-line hex value is still seen.
    EXPECT_EQ(fsValue(kSystemReg, "Language"), "English");
}

TEST(WineRegistryLookup, MissingKeyOrValueGivesNothing) {
    EXPECT_EQ(parseWineRegistryString(kSystemReg, "Software\\Microsoft\\Flight Simulator", "Path"),
              std::nullopt);
    EXPECT_EQ(fsValue(kSystemReg, "InstallDir"), std::nullopt);
    // A key that only exists as a prefix of deeper keys has no values of its own.
    EXPECT_EQ(parseWineRegistryString(kSystemReg, "Software\\Microsoft\\Microsoft Games", "Path"),
              std::nullopt);
}

TEST(WineRegistryLookup, NamesMatchWithoutRegardToCase) {
    EXPECT_EQ(
        parseWineRegistryString(
            kSystemReg, "SOFTWARE\\microsoft\\MICROSOFT GAMES\\flight simulator\\6.1", "pATH"),
        "C:\\Program Files\\Microsoft Games\\Flight Simulator");
    // Beyond ASCII too: key written with an escaped capital, asked for in lower case.
    const std::string reg =
        "WINE REGISTRY Version 2\n[Software\\\\Caf\\x00c9] 1\n\"Path\"=\"C:\\\\x\"\n";
    EXPECT_EQ(parseWineRegistryString(reg, "software\\caf\xC3\xA9", "path"), "C:\\x");
}

TEST(WineRegistryLookup, KeyPathFormsAreNormalised) {
    EXPECT_EQ(
        parseWineRegistryString(kSystemReg, std::string("HKEY_LOCAL_MACHINE\\") + kFsKey, "Path"),
        "C:\\Program Files\\Microsoft Games\\Flight Simulator");
    EXPECT_EQ(parseWineRegistryString(kSystemReg, std::string("\\") + kFsKey + "\\", "Path"),
              "C:\\Program Files\\Microsoft Games\\Flight Simulator");
}

TEST(WineRegistryLookup, DefaultValue) {
    const std::string reg = regWithValue("\"Other\"=\"no\"\n@=\"default here\"");
    EXPECT_EQ(fsValue(reg, ""), "default here");
    EXPECT_EQ(fsValue(reg, "@"), "default here");
    EXPECT_EQ(fsValue(regWithValue("\"Other\"=\"no\""), ""), std::nullopt);
}

// ---- Decoding -------------------------------------------------------------------------------

TEST(WineRegistryDecoding, StringEscapes) {
    EXPECT_EQ(fsValue(regWithValue(R"("Path"="a\\b \"q\" n\n t\t")")), "a\\b \"q\" n\n t\t");
    // \x takes up to four hex digits and is a UTF-16 unit: e-acute, then a surrogate pair.
    EXPECT_EQ(fsValue(regWithValue(R"("Path"="D:\\Jeux\\A\x00e9ro\xd83d\xde00")")),
              "D:\\Jeux\\A\xC3\xA9ro\xF0\x9F\x98\x80");
    EXPECT_EQ(fsValue(regWithValue(R"("Path"="\x41\x4g")")), "A\x04g");
    // Escaped characters inside a value name.
    EXPECT_EQ(fsValue(regWithValue(R"("Pa\"th"="q")"), "Pa\"th"), "q");
    // A multi-string is read up to its first string, as a C caller would.
    EXPECT_EQ(fsValue(regWithValue(R"("Path"=str(7):"first\0second\0")")), "first");
}

TEST(WineRegistryDecoding, StringTypes) {
    EXPECT_EQ(fsValue(regWithValue(R"("Path"=str(2):"%ProgramFiles%\\FS")")), "%ProgramFiles%\\FS");
    EXPECT_EQ(fsValue(regWithValue(R"("Path"=str:"C:\\FS")")), "C:\\FS");
    // Strings stored without a terminating NUL are saved as hex(1) UTF-16LE, over lines.
    EXPECT_EQ(fsValue(regWithValue("\"Path\"=hex(1):43,00,3a,00,5c,00,46,00,\\\n"
                                   "  53,00,39,00,38,00")),
              "C:\\FS98");
    EXPECT_EQ(fsValue(regWithValue("\"Path\"=hex(2):41,00,00,00,42,00")), "A");
}

TEST(WineRegistryDecoding, NonStringValuesGiveNothing) {
    EXPECT_EQ(fsValue(kSystemReg, "SetupVersion"), std::nullopt);
    EXPECT_EQ(fsValue(kSystemReg, "Blob"), std::nullopt);
    EXPECT_EQ(fsValue(regWithValue("\"Path\"=hex(4):01,00,00,00")), std::nullopt);
}

TEST(WineRegistryDecoding, WindowsLineEndings) {
    std::string crlf;
    for (char c : kSystemReg) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    EXPECT_EQ(fsValue(crlf), "C:\\Program Files\\Microsoft Games\\Flight Simulator");
    EXPECT_EQ(fsValue(crlf, "Language"), "English");
}

// ---- Damaged input --------------------------------------------------------------------------

TEST(WineRegistryDamage, NoHeaderOrEmptyGivesNothing) {
    EXPECT_EQ(fsValue(""), std::nullopt);
    EXPECT_EQ(fsValue(kSystemReg.substr(kSystemReg.find('\n') + 1)), std::nullopt);
    EXPECT_EQ(fsValue("REGEDIT4\n" + kSystemReg.substr(kSystemReg.find('\n') + 1)), std::nullopt);
}

TEST(WineRegistryDamage, TruncatedValuesGiveNothing) {
    const auto cut = kSystemReg.find("Program Files");
    EXPECT_EQ(fsValue(kSystemReg.substr(0, cut)), std::nullopt);
    EXPECT_EQ(fsValue(regWithValue("\"Path\"=\"C:\\\\FS98\\")), std::nullopt);
    // Continuation promised but the file ends.
    EXPECT_EQ(
        fsValue("WINE REGISTRY Version 2\n[" + std::string(kFsKey) + "]\n\"Path\"=hex(1):43,00,\\"),
        std::nullopt);
    // Every prefix of a good file is either the right answer or nothing.
    for (std::size_t n = 0; n <= kSystemReg.size(); ++n) {
        const auto v = fsValue(kSystemReg.substr(0, n));
        if (v) {
            EXPECT_EQ(*v, "C:\\Program Files\\Microsoft Games\\Flight Simulator") << n;
        }
    }
}

TEST(WineRegistryDamage, OverlongLinesAreSkipped) {
    const std::string huge(3 << 20, 'x');
    std::string reg = "WINE REGISTRY Version 2\n[" + huge + "\n" + "[Software\\\\Microsoft\\\\" +
                      "Microsoft Games\\\\Flight Simulator\\\\6.1] 1\n\"Junk\"=\"" + huge +
                      "\"\n\"Path\"=\"C:\\\\FS\"\n";
    EXPECT_EQ(fsValue(reg), "C:\\FS");
    // A huge value that is the one asked for is not returned half-read.
    EXPECT_EQ(fsValue(regWithValue("\"Path\"=\"" + huge + "\"")), std::nullopt);
}

TEST(WineRegistryDamage, RandomBytesNeverCrash) {
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> pick(0, 9);
    const std::string alphabet = "[]\\\"@=:x0123456789abcdefhex(),;#\r\n \t";
    for (int round = 0; round < 300; ++round) {
        std::string text = round % 2 == 0 ? "WINE REGISTRY Version 2\n" : kSystemReg;
        const int len = 50 + round * 17;
        for (int i = 0; i < len; ++i) {
            // Mostly characters that mean something to the parser, so it goes deep.
            text += pick(rng) < 7 ? alphabet[static_cast<std::size_t>(byte(rng)) % alphabet.size()]
                                  : static_cast<char>(byte(rng));
        }
        if (round % 3 == 0) {
            // Damage the middle of a good file instead of only appending.
            text = kSystemReg.substr(0, static_cast<std::size_t>(round) % kSystemReg.size()) +
                   text.substr(std::min(text.size(), kSystemReg.size() / 2));
        }
        (void)fsValue(text);
        (void)parseWineRegistryString(text, "", "");
    }
}

TEST(WineRegistryFile, ReadsFromFileAndMissingFileGivesNothing) {
    TempDir dir;
    writeText(dir.file("system.reg"), kSystemReg);
    EXPECT_EQ(readWineRegistryString(dir.file("system.reg"), kFsKey, "Path"),
              "C:\\Program Files\\Microsoft Games\\Flight Simulator");
    EXPECT_EQ(readWineRegistryString(dir.file("none.reg"), kFsKey, "Path"), std::nullopt);
    EXPECT_EQ(readWineRegistryString(dir.path(), kFsKey, "Path"), std::nullopt);
}

// ---- Windows paths in the prefix ------------------------------------------------------------

TEST(WinePaths, DriveCThroughDosdevicesLink) {
    TempDir prefix;
    makePrefix(prefix, kSystemReg);
    EXPECT_EQ(
        windowsPathToUnix(prefix.path(), "C:\\Program Files\\Microsoft Games\\Flight Simulator"),
        fsFolderIn(prefix));
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "C:\\"), prefix.file("drive_c"));
}

TEST(WinePaths, LinkTargetIsFollowedWhereverItPoints) {
    TempDir prefix;
    TempDir elsewhere;
    fs::create_directories(prefix.file("dosdevices"));
    fs::create_directories(elsewhere.file("Games/FS98"));
    fs::create_directory_symlink(elsewhere.path(), prefix.file("dosdevices/d:"));
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "d:\\Games\\FS98"), elsewhere.file("Games/FS98"));
    // No entry for the drive: nothing, except C: which Wine keeps in drive_c.
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "E:\\Games"), std::nullopt);
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "C:\\Games"), prefix.file("drive_c/Games"));
}

TEST(WinePaths, DanglingLinkFallsBackToDriveC) {
    TempDir prefix;
    fs::create_directories(prefix.file("dosdevices"));
    fs::create_directories(prefix.file("drive_c/FS98"));
    fs::create_directory_symlink("../gone", prefix.file("dosdevices/c:"));
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "C:\\FS98"), prefix.file("drive_c/FS98"));
}

TEST(WinePaths, ComponentsResolveWithoutRegardToCase) {
    TempDir prefix;
    makePrefix(prefix, kSystemReg);
    EXPECT_EQ(
        windowsPathToUnix(prefix.path(), "c:\\PROGRAM FILES\\microsoft games\\FLIGHT simulator"),
        fsFolderIn(prefix));
    // A component that exists nowhere is kept as written, and so is everything after it.
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "C:\\program files\\Missing\\Sub Dir"),
              prefix.file("drive_c/Program Files/Missing/Sub Dir"));
}

TEST(WinePaths, ExactSpellingWinsOverCaseVariants) {
    TempDir prefix;
    makePrefix(prefix, kSystemReg);
    fs::create_directories(prefix.file("drive_c/fs98"));
    fs::create_directories(prefix.file("drive_c/FS98"));
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "C:\\fs98"), prefix.file("drive_c/fs98"));
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "C:\\FS98"), prefix.file("drive_c/FS98"));
}

TEST(WinePaths, SeparatorsDotsAndTrailingSlash) {
    TempDir prefix;
    makePrefix(prefix, kSystemReg);
    const std::string expected = fsFolderIn(prefix);
    EXPECT_EQ(
        windowsPathToUnix(prefix.path(), "C:\\Program Files\\Microsoft Games\\Flight Simulator\\"),
        expected);
    EXPECT_EQ(
        windowsPathToUnix(prefix.path(), "C:/Program Files/Microsoft Games/Flight Simulator/"),
        expected);
    EXPECT_EQ(windowsPathToUnix(prefix.path(),
                                "C:\\Program Files\\.\\Microsoft Games\\x\\..\\"
                                "\\Flight Simulator"),
              expected);
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "C:\\..\\..\\windows"),
              prefix.file("drive_c/windows"));
    EXPECT_EQ(windowsPathToUnix(prefix.path(),
                                "  \"C:\\Program Files\\Microsoft Games\\Flight Simulator\"  "),
              expected);
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "\\\\?\\C:\\windows"),
              prefix.file("drive_c/windows"));
}

TEST(WinePaths, UnmappablePathsGiveNothing) {
    TempDir prefix;
    makePrefix(prefix, kSystemReg);
    EXPECT_EQ(windowsPathToUnix(prefix.path(), ""), std::nullopt);
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "Program Files\\FS"), std::nullopt);
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "\\\\server\\share\\FS"), std::nullopt);
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "C:FS98"), std::nullopt);
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "1:\\FS98"), std::nullopt);
}

TEST(WinePaths, ShortNamesMatchLongNames) {
    TempDir prefix;
    makePrefix(prefix, kSystemReg);
    fs::create_directories(prefix.file("drive_c/Program Files/Microsoft Office"));
    // Two candidates for MICROS~n: the number picks in name order.
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "C:\\PROGRA~1\\MICROS~1\\FLIGHT~1"),
              fsFolderIn(prefix));
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "C:\\PROGRA~1\\MICROS~2"),
              prefix.file("drive_c/Program Files/Microsoft Office"));
    EXPECT_EQ(windowsPathToUnix(prefix.path(), "C:\\PROGRA~1\\MICROS~3"),
              prefix.file("drive_c/Program Files/MICROS~3"));
}

// ---- FS98's folder from a prefix ------------------------------------------------------------

TEST(Fs98FromWine, FoundThroughSystemReg) {
    TempDir prefix;
    makePrefix(prefix, kSystemReg);
    EXPECT_EQ(fs98FolderFromWine(prefix.path()), fsFolderIn(prefix));
    EXPECT_EQ(fs98FolderFromWine(prefix.path() + "/"), fsFolderIn(prefix));
}

TEST(Fs98FromWine, Wow6432NodeInA64BitPrefix) {
    TempDir prefix;
    makePrefix(prefix,
               "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
               "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\"
               "6.1] 1700000000\n#time=1da1b2c3d4e5f60\n"
               "\"Path\"=\"C:\\\\Program Files (x86)\\\\Microsoft Games\\\\Flight Simulator\"\n");
    fs::create_directories(
        prefix.file("drive_c/Program Files (x86)/Microsoft Games/Flight Simulator"));
    EXPECT_EQ(fs98FolderFromWine(prefix.path()),
              prefix.file("drive_c/Program Files (x86)/Microsoft Games/Flight Simulator"));
}

TEST(Fs98FromWine, NativeKeyWinsOverWow6432Node) {
    TempDir prefix;
    makePrefix(prefix, kSystemReg +
                           "\n[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Flight "
                           "Simulator\\\\6.1] 1700000000\n\"Path\"=\"C:\\\\Other\"\n");
    EXPECT_EQ(fs98FolderFromWine(prefix.path()), fsFolderIn(prefix));
}

TEST(Fs98FromWine, NothingWithoutRegistryKeyOrPrefix) {
    TempDir prefix;
    makePrefix(prefix, "WINE REGISTRY Version 2\n[Software\\\\Wine] 1\n\"Version\"=\"win98\"\n");
    EXPECT_EQ(fs98FolderFromWine(prefix.path()), std::nullopt);
    EXPECT_EQ(fs98FolderFromWine(prefix.file("not-a-prefix")), std::nullopt);
    EXPECT_EQ(fs98FolderFromWine(""), std::nullopt);
}

TEST(Fs98FromWine, GarbageSystemRegGivesNothing) {
    TempDir prefix;
    makePrefix(prefix, std::string("\x7f"
                                   "ELF\x02\x01\x01\0\0\0",
                                   10) +
                           kSystemReg);
    EXPECT_EQ(fs98FolderFromWine(prefix.path()), std::nullopt);
}

// ---- Default prefix -------------------------------------------------------------------------

class EnvGuard {
  public:
    explicit EnvGuard(const char* name) : name_(name) {
        if (const char* v = std::getenv(name)) {
            saved_ = v;
        }
    }
    ~EnvGuard() {
        if (saved_) {
            setenv(name_, saved_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

  private:
    const char* name_;
    std::optional<std::string> saved_;
};

TEST(DefaultWinePrefix, FromEnvironment) {
    EnvGuard prefix("WINEPREFIX");
    EnvGuard home("HOME");
    setenv("HOME", "/home/pilot", 1);
    setenv("WINEPREFIX", "/games/fs98-prefix", 1);
    EXPECT_EQ(defaultWinePrefix(), "/games/fs98-prefix");
    setenv("WINEPREFIX", "", 1);
    EXPECT_EQ(defaultWinePrefix(), "/home/pilot/.wine");
    unsetenv("WINEPREFIX");
    EXPECT_EQ(defaultWinePrefix(), "/home/pilot/.wine");
}

}  // namespace
