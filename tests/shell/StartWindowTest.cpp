#include "shell/StartWindow.h"
#include "support/WindowFixture.h"

using namespace zephyra;
using shell::StartWindow;

class StartWindowTest : public test::WindowFixture {};

TEST_F(StartWindowTest, OpensWithTheRegistryFolderWhenItIsValid) {
    program.write("FS98/fltsim98.cfg", "cfg");
    platform.registryPath = simFolder();
    StartWindow w(context, program.path());
    EXPECT_EQ(w.label1()->text().toStdString(), simFolder());
    EXPECT_TRUE(w.proceedButton()->isEnabled());
}

TEST_F(StartWindowTest, WithoutRegistryTheUserMustLocate) {
    StartWindow w(context, program.path());
    EXPECT_EQ(w.label1()->text(), "FS98 not located.");
    EXPECT_FALSE(w.proceedButton()->isEnabled());

    w.locateButton()->click();  // cancelled
    EXPECT_EQ(w.label1()->text(), "FS98 not located.");
    EXPECT_FALSE(w.proceedButton()->isEnabled());
    EXPECT_EQ(dialogs.shown().back().file.filter, "Fltsim98.exe|Fltsim98.exe");

    dialogs.queueFile(simFolder() + "/fltsim98.exe");
    w.locateButton()->click();
    EXPECT_EQ(w.label1()->text().toStdString(), simFolder());
    EXPECT_TRUE(w.proceedButton()->isEnabled());
}

TEST_F(StartWindowTest, ProceedConfiguresAndEndsTheProgram) {
    StartWindow w(context, program.path());
    w.show();
    dialogs.queueFile(simFolder() + "/fltsim98.exe");
    w.locateButton()->click();
    w.proceedButton()->click();
    EXPECT_EQ(dialogs.lastMessage(), "Configuration Saved! Please restart Zephyra.");
    EXPECT_TRUE(program.exists("vane98.par"));
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(quitCalls, 1);
}

TEST_F(StartWindowTest, ClosingTheWindowEndsTheProgram) {
    StartWindow w(context, program.path());
    w.show();
    w.close();
    EXPECT_EQ(quitCalls, 1);
    EXPECT_FALSE(program.exists("vane98.par"));
}
