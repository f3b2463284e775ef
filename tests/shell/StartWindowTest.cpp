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
        const char* simulatorFile;  // simulator.ini after the configuration
        bool fs98Messages;
    };
    // FlightGear's address is typed in the window (the file's port shows first).
    for (const Case& c :
         {Case{shell::FirstRunChoice::BuiltIn, "", "FlightGearPort=5500\nSimulator=builtin\n",
               false},
          Case{shell::FirstRunChoice::FlightGear, "/usr/games/fgfs",
               "FlightGearPort=5402\nSimulator=flightgear\nFlightGearHost=fg.example\n", false},
          Case{shell::FirstRunChoice::Fs98, "", "FlightGearPort=5500\nSimulator=x\n", true}}) {
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
        EXPECT_EQ(w.flightGearPort()->text(), "5500");
        EXPECT_FALSE(w.flightGearHost()->isEnabled());
        w.choice(c.choice)->setChecked(true);
        if (c.choice == shell::FirstRunChoice::FlightGear) {
            EXPECT_TRUE(w.flightGearHost()->isEnabled());
            w.flightGearHost()->setText("fg.example");
            w.flightGearPort()->setText("65536");  // refused, and nothing is written
            w.proceedButton()->click();
            EXPECT_EQ(dialogs.lastMessage(), shell::kFlightGearAddressMessage);
            EXPECT_EQ(configured, 0);
            EXPECT_FALSE(folder.exists("vane98.par"));
            w.flightGearPort()->setText("5402");
        }
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
        EXPECT_EQ(folder.read(std::string(simlink::kSimulatorFile)), c.simulatorFile);
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
