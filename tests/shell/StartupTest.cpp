#include <gtest/gtest.h>

#include <filesystem>

#include "assets/SimFolder.h"
#include "platform/Folders.h"
#include "platform/ScriptedDialogs.h"
#include "shell/ParamFile.h"
#include "shell/Startup.h"
#include "support/FakePlatform.h"
#include "support/TempDir.h"

using namespace zephyra;
using namespace zephyra::shell;
using test::TempDir;

namespace {

// A simulator folder laid out like FS98's.
std::string makeSimFolder(const TempDir& dir, const std::string& name = "FS98") {
    dir.write(name + "/fltsim98.exe", "exe");
    dir.write(name + "/fltsim98.cfg", "cfg");
    dir.write(name + "/texture/clouds.r8", "original clouds");
    dir.write(name + "/texture/stormy.r8", "original storm");
    dir.mkdir(name + "/modules");
    dir.mkdir(name + "/adv/wav");
    return dir.file(name);
}

std::string parFor(const std::string& folder) {
    return formatParamFile(firstRunSettings(folder));
}

}  // namespace

// Configured only when the file reads whole and names a folder with the executable in it.
TEST(StartupCheck, ConfiguredWhenTheFileNamesTheSimulatorFolder) {
    TempDir dir;
    const std::string sim = makeSimFolder(dir);
    dir.write("FS/FLTSIM98.EXE", "exe");
    const struct {
        std::string par;
        bool configured;
    } cases[] = {
        {parFor(sim), true},
        {parFor(dir.file("FS")), true},
        {"UnlimitedVis=30\r\nWayp=0\r\n", false},
        {parFor(dir.mkdir("empty")), false},
        {"98Path=" + sim + "\r\nWayp=zero\r\n", false},
    };
    for (const auto& c : cases) {
        dir.write("vane98.par", c.par);
        Settings s;
        EXPECT_EQ(checkStartup(dir.path(), dir.path(), s).configured, c.configured) << c.par;
        if (c.par.rfind("98Path", 0) == 0) {
            EXPECT_EQ(s.Path98, sim);  // read up to the bad line
        }
    }
}

TEST(StartupCheck, NeedsTheFileInTheLaunchFolderEvenWhenTheProgramFolderHasOne) {
    TempDir program;
    TempDir launch;
    program.write("vane98.par", parFor(makeSimFolder(program)));
    Settings s;
    const auto check = checkStartup(launch.path(), program.path(), s);
    EXPECT_FALSE(check.configured);
    // Relative names ("storm.cld") are still read from the launch folder.
    EXPECT_EQ(check.currentFolder, launch.path());
    launch.write("vane98.par", "");
    EXPECT_EQ(checkStartup(launch.path(), program.path(), s).currentFolder, program.path());
}

// The registry's folder needs its configuration file; a chosen executable gives its folder.
TEST(FindFs98, RegistryFolderOrTheChosenExecutable) {
    TempDir dir;
    test::FakePlatform platform;
    EXPECT_EQ(findFs98(platform).label, "FS98 not located.");
    EXPECT_FALSE(findFs98(platform).proceedEnabled);

    platform.registryPath = dir.mkdir("nocfg");
    EXPECT_FALSE(findFs98(platform).proceedEnabled);

    platform.registryPath = makeSimFolder(dir);
    const auto found = findFs98(platform);
    EXPECT_EQ(found.label, *platform.registryPath);
    EXPECT_TRUE(found.proceedEnabled);

    EXPECT_EQ(folderOfChosenExe("/games/FS98/FLTSIM98.EXE"), "/games/FS98");
    EXPECT_EQ(folderOfChosenExe("x.exe"), "");
}

class ProceedTest : public ::testing::Test {
  protected:
    TempDir program;
    TempDir work;
    platform::ScriptedDialogs dialogs;
    std::string sim = makeSimFolder(program);

    ProceedResult proceed() {
        return proceedWithConfiguration(sim, {program.path(), work.path(), {}}, dialogs);
    }
    void shipEverything() {
        work.write("storm.cld", "our storm");
        program.write("fs6ipc.dll", "ipc");
        for (const char* f : {"lighte.adv", "lighteur.adv", "lightw.adv", "thunder1.wav",
                              "thunder2.wav", "thunder3.wav"}) {
            work.write(f, f);
        }
    }
};

TEST_F(ProceedTest, WithoutTheExecutableNothingIsWritten) {
    sim = program.mkdir("elsewhere");
    EXPECT_EQ(proceed(), ProceedResult::NotConfigured);
    EXPECT_EQ(dialogs.messages(),
              std::vector<std::string>{"There are errors in configuring this program. Please read "
                                       "Trouble.doc on the CD for more information."});
    EXPECT_FALSE(program.exists("vane98.par"));
}

// Names are found in any letter case (a copy from Windows); files already there stay.
TEST_F(ProceedTest, InstallsEverythingAndWritesTheDefaults) {
    program.write("WINFS/FLTSIM98.EXE", "exe");
    program.write("WINFS/TEXTURE/CLOUDS.R8", "original clouds");
    program.write("WINFS/TEXTURE/STORMY.R8", "original storm");
    program.write("WINFS/Modules/fs6ipc.dll", "theirs");
    program.write("WINFS/ADV/LIGHTW.ADV", "theirs");
    program.mkdir("WINFS/ADV/WAV");
    shipEverything();
    const struct {
        const char *sim, *texture, *storm, *modules, *lightw, *kept, *wav;
    } cases[] = {
        {"FS98", "texture", "stormy.r8", "modules", "adv/lightw.adv", "", "adv/wav"},
        {"WINFS", "TEXTURE", "STORMY.R8", "Modules", "ADV/LIGHTW.ADV", "theirs", "ADV/WAV"},
    };
    for (const auto& c : cases) {
        const std::string at = std::string(c.sim) + "/";
        sim = program.file(c.sim);
        dialogs.clear();
        EXPECT_EQ(proceed(), ProceedResult::Configured);
        EXPECT_EQ(dialogs.messages(),
                  std::vector<std::string>{"Configuration Saved! Please restart Zephyra."});
        EXPECT_EQ(program.read("vane98.par"), formatParamFile(firstRunSettings(sim)));
        EXPECT_EQ(program.read(at + c.texture + "/clouds.sav"), "original clouds");
        EXPECT_EQ(program.read(at + c.texture + "/stormy.sav"), "original storm");
        EXPECT_EQ(program.read(at + c.texture + "/" + c.storm), "our storm");
        EXPECT_EQ(program.read(at + c.modules + "/fs6ipc.dll"), *c.kept ? c.kept : "ipc");
        EXPECT_EQ(program.read(at + c.lightw), *c.kept ? c.kept : "lightw.adv");
        EXPECT_EQ(program.read(at + c.wav + "/thunder3.wav"), "thunder3.wav");
    }
    // Run again after the user restored the textures: the backups and their storm stay.
    program.write("WINFS/TEXTURE/STORMY.R8", "restored storm");
    program.write("WINFS/TEXTURE/CLOUDS.R8", "new clouds");
    proceed();
    EXPECT_EQ(program.read("WINFS/TEXTURE/clouds.sav"), "original clouds");
    EXPECT_EQ(program.read("WINFS/TEXTURE/stormy.sav"), "original storm");
    EXPECT_EQ(program.read("WINFS/TEXTURE/STORMY.R8"), "restored storm");
}

TEST_F(ProceedTest, MissingFilesAreReportedAndConfigurationStillCompletes) {
    work.write("lighte.adv", "a");
    EXPECT_EQ(proceed(), ProceedResult::Configured);
    const auto messages = dialogs.messages();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_NE(messages[0].find("storm texture could not be installed"), std::string::npos);
    EXPECT_NE(messages[1].find("fs6ipc.dll could not be installed"), std::string::npos);
    EXPECT_EQ(messages[2], "Error copying adventure files!");
    EXPECT_EQ(messages[3], "Configuration Saved! Please restart Zephyra.");
    // The first adventure was copied before the error skipped the rest.
    EXPECT_TRUE(program.exists("FS98/adv/lighte.adv"));
    EXPECT_FALSE(program.exists("FS98/adv/wav/thunder1.wav"));
    EXPECT_TRUE(program.exists("vane98.par"));
    // The backup was made even though our storm texture was missing.
    EXPECT_EQ(program.read("FS98/texture/stormy.sav"), "original storm");
}

// Messages written for FS98 name the simulator chosen.
TEST(SimulatorName, MessagesNameTheChosenSimulator) {
    test::TempDir builtIn;
    builtIn.write("zephyra-sim.ini", "[Zephyra]\nBuiltInSimulator=1\n");
    EXPECT_EQ(shell::simulatorName(true, "/anywhere"), "the built-in simulator");
    EXPECT_EQ(shell::simulatorName(false, builtIn.path()), "FlightGear");
    EXPECT_EQ(shell::simulatorName(false, "/wine/FS98"), "FS98");
    const std::string notLoaded = "FS98 not loaded. Please start FS98 and try again.";
    EXPECT_EQ(shell::namingSimulator(notLoaded, "FS98"), notLoaded);
    EXPECT_EQ(
        shell::namingSimulator(notLoaded, "the built-in simulator"),
        "The built-in simulator not loaded. Please start the built-in simulator and try again.");
    EXPECT_EQ(shell::namingSimulator("Load FS98?", "the built-in simulator"),
              "Load the built-in simulator?");
}

// Installed, the shipped tree is read-only: the first run writes only among the user's files.
TEST(InstalledFirstRun, WritesOnlyAmongTheUsersFiles) {
    TempDir root;
    const std::string shipped = root.file("usr/share/zephyra");
    ASSERT_TRUE(assets::writeShippedFiles(shipped));
    root.write("usr/share/zephyra/vanedb.mdb", "shipped database");
    root.write("usr/share/zephyra/storm.cld", "zephyra storm");
    auto listing = [&root] {
        std::string all;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root.file("usr"))) {
            all += entry.path().string() + "=" +
                   (entry.is_regular_file() ? std::to_string(entry.file_size()) : "") + "\n";
        }
        return all;
    };
    const std::string before = listing();
    const platform::Folders folders{shipped, root.file("home/.config/zephyra"),
                                    root.file("home/.local/share/zephyra"), true};

    ASSERT_TRUE(platform::prepareUserFolders(folders));
    root.write("home/.local/share/zephyra/vanedb.mdb", "the user's weather");
    ASSERT_TRUE(platform::prepareUserFolders(folders));  // a later run keeps the user's copy
    EXPECT_EQ(root.read("home/.local/share/zephyra/vanedb.mdb"), "the user's weather");

    platform::ScriptedDialogs dialogs;
    ASSERT_EQ(configureFirstRun(FirstRunChoice::BuiltIn, "",
                                {folders.settings, folders.shipped, folders.user}, dialogs),
              ProceedResult::Configured);
    const std::string sim = root.file("home/.local/share/zephyra/FS98");
    EXPECT_TRUE(assets::isBuiltInSimFolder(sim));
    EXPECT_EQ(root.read("home/.local/share/zephyra/FS98/texture/stormy.r8"), "zephyra storm");
    EXPECT_EQ(root.read("home/.config/zephyra/vane98.par"), parFor(sim));
    EXPECT_EQ(root.read("home/.config/zephyra/simulator.ini"), "Simulator=builtin\n");
    EXPECT_EQ(listing(), before);
    EXPECT_TRUE(dialogs.messages().empty());
}
