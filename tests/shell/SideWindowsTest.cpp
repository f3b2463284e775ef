#include "shell/SideWindows.h"

#include "shell/VaneWindow.h"
#include "support/WindowFixture.h"

using namespace zephyra;

namespace {

class SideWindowsTest : public test::WindowFixture {};

// The main window's World, Links and Help buttons open their windows, one of each; the
// tutorial opened from the help window replaces it and counts as showing.
TEST_F(SideWindowsTest, ButtonsOpenTheirWindows) {
    writeDefaultParams();
    shell::VaneWindow vane(context);
    ASSERT_EQ(vane.load(), shell::VaneWindow::LoadResult::MainWindow);
    shell::SideWindows side(context, vane);
    vane.show();

    click(vane.picture("Picture6"));
    ASSERT_NE(side.worldReport(), nullptr);
    EXPECT_EQ(side.worldReport()->windowTitle(), "Weather Report");
    EXPECT_EQ(dialogs.lastMessage().rfind("No weather has been loaded", 0), 0U);
    auto* report = side.worldReport();
    click(vane.picture("Picture6"));
    EXPECT_EQ(side.worldReport(), report) << "one report window at a time";

    click(vane.picture("Picture9"));
    ASSERT_NE(side.quickLink(), nullptr);
    EXPECT_EQ(side.quickLink()->text1()->text(), "Empty");

    EXPECT_FALSE(vane.tutorVisible());
    vane.press("Command9");
    ASSERT_NE(side.help(), nullptr);
    side.help()->tutorialsButton()->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(side.help(), nullptr);
    EXPECT_TRUE(vane.tutorVisible());
}

}  // namespace
