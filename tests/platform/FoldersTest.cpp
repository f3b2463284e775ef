#include "platform/Folders.h"

#include <gtest/gtest.h>

#include <set>

namespace zephyra::platform {
namespace {

struct Case {
    const char* name;
    std::string program;           // folder of the executable
    std::set<std::string> exists;  // files that exist
    FolderEnvironment env;
    Folders expected;
};

TEST(FoldersTest, ResolvesTheBuildFolderAndUsr) {
    const FolderEnvironment home{"/home/ann", "", ""};
    const Case cases[] = {
        {"build folder",
         "/src/build/bin",
         {"/src/build/bin/vanedb.mdb"},
         home,
         {"/src/build/bin", "/src/build/bin", "/src/build/bin", false}},
        {"installed in /usr",
         "/usr/bin",
         {"/usr/share/zephyra/vanedb.mdb"},
         home,
         {"/usr/share/zephyra", "/home/ann/.config/zephyra", "/home/ann/.local/share/zephyra",
          true}},
        {"XDG folders set",
         "/usr/bin",
         {"/usr/share/zephyra/vanedb.mdb"},
         {"/home/ann", "/cfg", "/data"},
         {"/usr/share/zephyra", "/cfg/zephyra", "/data/zephyra", true}},
        {"relative XDG folders are ignored",
         "/usr/bin",
         {"/usr/share/zephyra/vanedb.mdb"},
         {"/home/ann", "cfg", "data"},
         {"/usr/share/zephyra", "/home/ann/.config/zephyra", "/home/ann/.local/share/zephyra",
          true}},
        {"the helper program installed in /usr/libexec/zephyra",
         "/usr/libexec/zephyra",
         {"/usr/share/zephyra/vanedb.mdb"},
         home,
         {"/usr/share/zephyra", "/home/ann/.config/zephyra", "/home/ann/.local/share/zephyra",
          true}},
        {"bin without shipped data stays beside the program",
         "/usr/local/bin",
         {},
         home,
         {"/usr/local/bin", "/usr/local/bin", "/usr/local/bin", false}},
    };
    for (const auto& c : cases) {
        const Folders got = resolveFolders(
            c.program, c.env, [&c](const std::string& path) { return c.exists.count(path) > 0; });
        EXPECT_EQ(got.shipped, c.expected.shipped) << c.name;
        EXPECT_EQ(got.settings, c.expected.settings) << c.name;
        EXPECT_EQ(got.user, c.expected.user) << c.name;
        EXPECT_EQ(got.installed, c.expected.installed) << c.name;
    }
}

}  // namespace
}  // namespace zephyra::platform
