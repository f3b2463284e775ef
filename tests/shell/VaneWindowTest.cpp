#include <QCloseEvent>

#include "shell/StartWindow.h"
#include "shell/VaneWindow.h"
#include "support/WindowFixture.h"

using namespace zephyra;
using shell::VaneWindow;

class VaneTest : public test::WindowFixture {
  protected:
    std::unique_ptr<VaneWindow> open() {
        writeDefaultParams();
        auto w = std::make_unique<VaneWindow>(context);
        EXPECT_EQ(w->load(), VaneWindow::LoadResult::MainWindow);
        w->show();
        return w;
    }
};

TEST_F(VaneTest, MissingParameterFileShowsTheConfigurationWindow) {
    VaneWindow w(context);
    EXPECT_EQ(w.load(), VaneWindow::LoadResult::Configuration);
    ASSERT_NE(w.startWindow(), nullptr);
    EXPECT_TRUE(w.startWindow()->isVisible());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.startWindow()->windowTitle(), "Initial Configuration");
}

TEST_F(VaneTest, ParameterFileWithoutTheSimulatorShowsTheConfigurationWindow) {
    program.write("vane98.par", shell::formatParamFile(shell::firstRunSettings("/nowhere")));
    VaneWindow w(context);
    EXPECT_EQ(w.load(), VaneWindow::LoadResult::Configuration);
}

TEST_F(VaneTest, InitialStateFollowsTheSettings) {
    auto w = open();
    EXPECT_EQ(w->windowTitle(), "Zephyra! 1.1");
    EXPECT_TRUE(w->option("optMETAR")->isChecked());
    EXPECT_EQ(w->status(), "No database currently loaded.");
    EXPECT_TRUE(w->checkBox("UPDHDG")->isChecked());
    EXPECT_EQ(w->label("Label16")->text(), "Yes");
    EXPECT_TRUE(w->checkBox("upd_vane")->isChecked());
    EXPECT_EQ(w->label("Text5")->text(), "Yes");
    EXPECT_FALSE(w->checkBox("AutSwitch")->isChecked());
    EXPECT_EQ(w->label("Label17")->text(), "No");
    EXPECT_EQ(w->textBox("Text7")->text().toStdString(), simFolder());
    EXPECT_EQ(w->label("Text6")->text(), "Yes");
    EXPECT_EQ(w->textBox("Text8")->text(), "0");
    EXPECT_DOUBLE_EQ(context.shared.planDistance, 50.0);
    EXPECT_EQ(w->timer6().interval(), 1000);
    EXPECT_FALSE(w->timer1().running());
    EXPECT_FALSE(w->closest().running());
    EXPECT_FALSE(w->randomTimer().running());
}

TEST_F(VaneTest, AutopilotUpdateOffAtStartWhenTheSettingIsZero) {
    auto s = shell::firstRunSettings(simFolder());
    s.AP_Upd = 0;
    program.write("vane98.par", shell::formatParamFile(s));
    VaneWindow w(context);
    ASSERT_EQ(w.load(), VaneWindow::LoadResult::MainWindow);
    EXPECT_FALSE(w.checkBox("UPDHDG")->isChecked());
    EXPECT_EQ(w.label("Label16")->text(), "No");
}

TEST_F(VaneTest, ClockRunsOnTheSchedulerWithDateAndTimeCaptions) {
    auto w = open();
    EXPECT_TRUE(w->label("Label28")->text().startsWith("Todays Date: "));
    const QString before = w->label("Label29")->text();
    EXPECT_TRUE(before.startsWith("Current Time: "));
    scheduler.advance(61);
    EXPECT_NE(w->label("Label29")->text(), before);
}

TEST_F(VaneTest, HelpTipsShowOnlyWhileEnabled) {
    auto w = open();
    test::WindowFixture::hover(w->picture("Picture5"));
    EXPECT_EQ(w->label("Label24")->text(), "");

    click(w->picture("Picture8"), Qt::RightButton);
    EXPECT_TRUE(w->tipsEnabled());
    hover(w->picture("Picture5"));
    EXPECT_EQ(w->label("Label24")->text(), "Opens the Settings window.");
    hover(w->textBox("FWP"));
    EXPECT_TRUE(w->label("Label24")->text().startsWith("Enter text here to do a Find"));
    hover(w->list("WaypLst")->viewport());
    EXPECT_EQ(w->label("Label24")->text(), "The entries in your flight plan are displayed here.");

    click(w->picture("Picture8"), Qt::RightButton);
    EXPECT_FALSE(w->tipsEnabled());
    EXPECT_EQ(w->label("Label24")->text(), "");
    hover(w->picture("Picture28"));
    EXPECT_EQ(w->label("Label24")->text(), "");
}

TEST_F(VaneTest, PicturesWithoutATipLeaveTheLineAlone) {
    auto w = open();
    click(w->picture("Picture8"), Qt::RightButton);
    hover(w->picture("Picture5"));
    hover(w->picture("Picture3"));
    EXPECT_EQ(w->label("Label24")->text(), "Opens the Settings window.");
    EXPECT_EQ(w->tipFor("Picture3"), "");
}

TEST_F(VaneTest, PressingDrawsABorderAndReleasingRemovesIt) {
    auto w = open();
    auto* p = w->picture("Picture19");
    mouse(p, QEvent::MouseButtonPress);
    EXPECT_TRUE(p->pressedLook());
    mouse(p, QEvent::MouseButtonRelease);
    EXPECT_FALSE(p->pressedLook());
}

TEST_F(VaneTest, PicturesPressTheirCommandButtonsWithAnyMouseButton) {
    auto w = open();
    int saves = 0;
    int finds = 0;
    QObject::connect(w->command("Command13"), &QPushButton::clicked, [&] { ++saves; });
    QObject::connect(w->command("Command21"), &QPushButton::clicked, [&] { ++finds; });
    click(w->picture("Picture19"));
    click(w->picture("Picture19"), Qt::RightButton);
    click(w->picture("Picture22"), Qt::MiddleButton);
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(finds, 1);
}

TEST_F(VaneTest, HelpPictureLeftOrMiddleOpensHelp) {
    auto w = open();
    int helps = 0;
    w->showHelp = [&] { ++helps; };
    click(w->picture("Picture8"));
    click(w->picture("Picture8"), Qt::MiddleButton);
    EXPECT_EQ(helps, 2);
    EXPECT_FALSE(w->tipsEnabled());
}

TEST_F(VaneTest, RightClickOnExitAsksLikeALeftClick) {
    auto w = open();
    dialogs.queueAnswer(platform::Answer::No);
    click(w->picture("Picture28"), Qt::RightButton);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].message.text, "Are you sure you want to exit?");
    EXPECT_EQ(dialogs.shown()[0].message.title, "Proceed?");
    EXPECT_EQ(dialogs.shown()[0].message.buttons, platform::Buttons::YesNo);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(quitCalls, 0);
}

TEST_F(VaneTest, AnsweringNoToExitKeepsEveryTimerRunning) {
    auto w = open();
    w->timer1().setInterval(5000);
    w->closest().setInterval(60000);
    int ticks = 0;
    w->onTimer1 = [&] { ++ticks; };
    dialogs.queueAnswer(platform::Answer::No);
    w->close();
    EXPECT_TRUE(w->isVisible());
    scheduler.advance(10);
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(w->timer6().interval(), 1000);
    EXPECT_EQ(w->closest().interval(), 60000);

    dialogs.queueAnswer(platform::Answer::Yes);
    w->press("Command15");
    EXPECT_EQ(quitCalls, 1);
    QApplication::restoreOverrideCursor();
}

TEST_F(VaneTest, CompactModeTogglesByWidth) {
    auto w = open();
    const double tpp = VaneWindow::twipsPerPixel(w.get());
    EXPECT_GT(w->widthTwips(), VaneWindow::kCompactThreshold);
    mouse(w->label("Label30"), QEvent::MouseButtonDblClick);
    EXPECT_NEAR(w->widthTwips(), VaneWindow::kCompactWidth, tpp);
    EXPECT_NEAR(w->heightTwips(), VaneWindow::kCompactHeight, tpp);
    EXPECT_TRUE(w->topmost());
    EXPECT_TRUE(w->isVisible());
    mouse(w->label("Label30"), QEvent::MouseButtonDblClick);
    EXPECT_NEAR(w->widthTwips(), VaneWindow::kNormalWidth, tpp);
    EXPECT_FALSE(w->topmost());
}

TEST_F(VaneTest, NarrowedWindowCountsAsCompact) {
    auto w = open();
    w->resize(static_cast<int>(6500 / VaneWindow::twipsPerPixel(w.get())), w->height());
    w->toggleCompactMode();
    EXPECT_NEAR(w->widthTwips(), VaneWindow::kNormalWidth, 16);
    EXPECT_FALSE(w->topmost());
}

TEST_F(VaneTest, SendWeatherSwitchImagesAndPicture) {
    auto w = open();
    click(w->image("Image9"));
    EXPECT_FALSE(w->checkBox("upd_vane")->isChecked());
    EXPECT_EQ(w->label("Text5")->text(), "No");
    EXPECT_TRUE(w->image("Image7")->isVisibleTo(w.get()));
    EXPECT_FALSE(w->image("Image9")->isVisibleTo(w.get()));

    click(w->image("Image7"));
    EXPECT_TRUE(w->checkBox("upd_vane")->isChecked());
    EXPECT_TRUE(w->image("Image9")->isVisibleTo(w.get()));

    // The picture toggles the switch but leaves the images as they were.
    click(w->picture("Picture14"));
    EXPECT_FALSE(w->checkBox("upd_vane")->isChecked());
    EXPECT_EQ(w->label("Text5")->text(), "No");
    EXPECT_TRUE(w->image("Image9")->isVisibleTo(w.get()));
    click(w->picture("Picture14"));
    EXPECT_TRUE(w->checkBox("upd_vane")->isChecked());
    EXPECT_EQ(w->label("Text5")->text(), "Yes");
}

TEST_F(VaneTest, AutopilotSwitchNeedsASentPlan) {
    auto w = open();
    click(w->picture("Picture12"));
    EXPECT_EQ(dialogs.lastMessage(), "Must load and send flight plan first!");
    EXPECT_TRUE(w->checkBox("UPDHDG")->isChecked());

    w->label("FWAYP")->setText("ATLANTA");
    click(w->picture("Picture12"));
    EXPECT_FALSE(w->checkBox("UPDHDG")->isChecked());
    EXPECT_EQ(w->label("Label16")->text(), "No");
    click(w->checkBox("UPDHDG"));
    EXPECT_TRUE(w->checkBox("UPDHDG")->isChecked());
    EXPECT_EQ(w->label("Label16")->text(), "Yes");
    EXPECT_EQ(context.settings.AP_Upd, 1);
}

TEST_F(VaneTest, AutoSwitchToggles) {
    auto w = open();
    click(w->picture("Picture13"));
    EXPECT_TRUE(w->checkBox("AutSwitch")->isChecked());
    EXPECT_EQ(w->label("Label17")->text(), "Yes");
    click(w->picture("Picture13"));
    EXPECT_FALSE(w->checkBox("AutSwitch")->isChecked());
    EXPECT_EQ(w->label("Label17")->text(), "No");
}

TEST_F(VaneTest, LoadMetarAsksToStartTheSimulatorFirst) {
    auto w = open();
    int loads = 0;
    QObject::connect(w->command("Command2"), &QPushButton::clicked, [&] { ++loads; });

    dialogs.queueAnswer(platform::Answer::Yes);
    click(w->picture("Picture2"));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const auto& q = dialogs.shown()[0].message;
    EXPECT_EQ(q.text,
              "FS98 does not appear to be active. Would you like to start FS98 now? If yes, wait "
              "until FS98 finishes loading then press Load METAR again.");
    EXPECT_EQ(q.title, "Load FS98?");
    EXPECT_EQ(q.defaultButton, 2);
    EXPECT_EQ(platform.started, std::vector<std::string>{simFolder()});
    EXPECT_EQ(loads, 0);

    dialogs.queueAnswer(platform::Answer::No);
    click(w->picture("Picture2"));
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(dialogs.lastAnswer(), platform::Answer::No);

    platform.simulatorRunning = true;
    click(w->picture("Picture2"));
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(dialogs.messages().size(), 2u);
}

TEST_F(VaneTest, ASimulatorThatWillNotStartIsReported) {
    auto w = open();
    platform.startSucceeds = false;
    dialogs.queueAnswer(platform::Answer::Yes);
    click(w->picture("Picture2"));
    ASSERT_EQ(dialogs.messages().size(), 2u);
    EXPECT_EQ(dialogs.messages()[1], "FS98 could not be started from \"" + simFolder() +
                                         "\". Please start it yourself, then try again.");
}

TEST_F(VaneTest, UseLastWeatherAsksBeforeAnything) {
    auto w = open();
    int uses = 0;
    QObject::connect(w->command("Command5"), &QPushButton::clicked, [&] { ++uses; });
    platform.simulatorRunning = true;
    dialogs.queueAnswer(platform::Answer::No);
    click(w->picture("Picture4"));
    EXPECT_EQ(uses, 0);
    EXPECT_EQ(dialogs.lastMessage(), "Are you sure you want to use the last weather loaded?");
    dialogs.queueAnswer(platform::Answer::Yes);
    click(w->picture("Picture4"));
    EXPECT_EQ(uses, 1);
}

TEST_F(VaneTest, NavigationPanelNeedsTheSimulator) {
    auto w = open();
    click(w->picture("Picture15"));
    EXPECT_EQ(dialogs.lastMessage(), "FS98 not loaded. Please start FS98 and try again.");
    EXPECT_FALSE(w->navigationPanel()->isVisible());
}

TEST_F(VaneTest, NavigationPanelMovesIntoTheSimulatorWindowAndDrags) {
    auto w = open();
    QWidget cockpit;
    cockpit.resize(400, 300);
    cockpit.show();
    w->simulatorPanelHost = [&] { return &cockpit; };
    platform.simulatorRunning = true;
    w->label("FWAYP")->setText("MACON");
    w->label("Hdg")->setText("47");
    w->label("Dist")->setText("659");
    w->textBox("HRS")->setText("1");
    w->textBox("MIN")->setText("22");

    click(w->picture("Picture15"));
    QFrame* panel = w->navigationPanel();
    EXPECT_EQ(panel->parentWidget(), &cockpit);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(w->label("Label37")->text(), "MACON");
    EXPECT_EQ(w->label("Label36")->text(), "Heading: 47");
    EXPECT_EQ(w->label("Label34")->text(), "Distance: 659");
    EXPECT_EQ(w->label("Label35")->text(), "ETE   Hours: 1");
    EXPECT_EQ(w->label("Label33")->text(), "Minutes: 22");

    QLabel* title = w->label("Label37");
    const QPoint start = panel->pos();
    mouse(title, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(10, 5));
    mouse(title, QEvent::MouseMove, Qt::LeftButton, QPoint(40, 25));
    EXPECT_EQ(panel->pos(), start + QPoint(30, 20));
    mouse(title, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(40, 25));
    mouse(title, QEvent::MouseMove, Qt::NoButton, QPoint(90, 90));
    EXPECT_EQ(panel->pos(), start + QPoint(30, 20));
    EXPECT_TRUE(panel->isVisible());

    mouse(title, QEvent::MouseButtonPress, Qt::RightButton);
    mouse(title, QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_FALSE(panel->isVisible());
    // Detach before the cockpit goes away.
    panel->setParent(w.get());
}

TEST_F(VaneTest, EveryPictureButtonIsPresentWithItsCommand) {
    auto w = open();
    for (int i = 1; i <= 28; ++i) {
        if (i == 11 || i == 27) {
            continue;
        }
        EXPECT_NE(w->picture(QStringLiteral("Picture%1").arg(i)), nullptr) << i;
    }
    for (int c : {2, 3, 4, 5, 6, 9, 11, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 27}) {
        EXPECT_NE(w->command(QStringLiteral("Command%1").arg(c)), nullptr) << c;
    }
    EXPECT_NE(w->navigationPanel(), nullptr);
    EXPECT_FALSE(w->picture("Picture7")->isEnabled());
}
