#include "shell/StartWindow.h"

#include "shell/ParamFile.h"
#include "simlink/SimulatorChoice.h"
#include "support/WindowFixture.h"

using namespace zephyra;
using shell::StartWindow;

class StartWindowTest : public test::WindowFixture {};

// Proceed configures the choice and hands over at once; FS98's messages only for FS98.
TEST_F(StartWindowTest, ProceedTakesTheChoiceAtOnce) {
    struct Case {
        shell::FirstRunChoice choice;
        const char* fgfs;
        const char* simulatorLine;  // in simulator.ini after the configuration
        bool fs98Messages;
    };
    for (const Case& c :
         {Case{shell::FirstRunChoice::BuiltIn, "", "Simulator=builtin", false},
          Case{shell::FirstRunChoice::FlightGear, "/usr/games/fgfs", "Simulator=flightgear", false},
          Case{shell::FirstRunChoice::Fs98, "", "Simulator=x", true}}) {
        SCOPED_TRACE(static_cast<int>(c.choice));
        test::TempDir folder;
        context.folders = platform::allIn(folder.path());
        folder.write("FS98/fltsim98.exe", "exe");
        folder.write("FS98/texture/clouds.r8", "clouds");
        folder.write("FS98/texture/stormy.r8", "stormy");
        folder.write(std::string(simlink::kSimulatorFile), "FlightGearPort=5500\nSimulator=x\n");
        dialogs.clear();
        StartWindow w(context, folder.path(), c.fgfs);
        EXPECT_TRUE(w.choice(shell::FirstRunChoice::BuiltIn)->isChecked());
        EXPECT_EQ(w.choice(shell::FirstRunChoice::FlightGear)->isEnabled(), *c.fgfs != 0);
        EXPECT_TRUE(w.proceedButton()->isEnabled());
        w.show();
        int configured = 0;
        w.onConfigured = [&] { ++configured; };
        w.choice(c.choice)->setChecked(true);
        if (c.choice == shell::FirstRunChoice::Fs98) {
            EXPECT_FALSE(w.proceedButton()->isEnabled());
            dialogs.queueFile(folder.file("FS98/fltsim98.exe"));
            w.locateButton()->click();
        }
        w.proceedButton()->click();
        EXPECT_EQ(configured, 1);
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(quitCalls, 0);
        shell::Settings settings;
        ASSERT_TRUE(shell::readParamFile(folder.file("vane98.par"), settings).ok);
        EXPECT_EQ(settings.Path98, folder.file("FS98"));
        EXPECT_EQ(folder.read(std::string(simlink::kSimulatorFile)),
                  std::string("FlightGearPort=5500\n") + c.simulatorLine + "\n");
        std::string all;
        for (const auto& m : dialogs.messages()) {
            all += m + "\n";
        }
        EXPECT_EQ(
            all.find("fs6ipc") != std::string::npos || all.find("adventure") != std::string::npos,
            c.fs98Messages);
        EXPECT_EQ(all.find("restart"), std::string::npos) << all;
    }
}

TEST_F(StartWindowTest, ClosingTheWindowEndsTheProgram) {
    StartWindow w(context, program.path());
    w.show();
    w.close();
    EXPECT_EQ(quitCalls, 1);
    EXPECT_FALSE(program.exists("vane98.par"));
}
