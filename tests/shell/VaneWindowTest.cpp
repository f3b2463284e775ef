#include <QCloseEvent>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include "MainWindowFixture.h"
#include "platform/Files.h"
#include "shell/ElidedLabel.h"
#include "shell/HelpTips.h"
#include "shell/NavigationPanel.h"
#include "shell/NavigationStatusBinder.h"
#include "shell/PlanControls.h"
#include "shell/SideWindows.h"
#include "shell/StartWindow.h"

using namespace zephyra;
using shell::VaneWindow;

using VaneTest = test::MainWindowFixture;

// Started from another folder without a parameter file there, the configuration window opens
// even though the program folder has one. It takes the storm texture and the adventures from
// the launch folder, and the main window opens on the new settings without a restart.
TEST_F(VaneTest, FirstRunFromAnotherFolderOpensTheMainWindowWithoutARestart) {
    const std::string cwd = platform::currentDirectory();
    test::TempDir launch;
    context.launchFolder = launch.path();
    writeDefaultParams();
    program.write("storm.cld", "program storm");
    launch.write("storm.cld", "launch storm");
    for (const char* f : {"lighte.adv", "lighteur.adv", "lightw.adv", "thunder1.wav",
                          "thunder2.wav", "thunder3.wav"}) {
        launch.write(f, f);
    }
    program.mkdir("FS98/adv/wav");
    VaneWindow w(context);
    int configured = 0;
    w.onConfigured = [&] { ++configured; };
    ASSERT_EQ(w.load(), VaneWindow::LoadResult::Configuration);
    EXPECT_TRUE(w.startWindow()->isVisible());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.startWindow()->windowTitle(), "Initial Configuration");
    w.startWindow()->choice(shell::FirstRunChoice::Fs98)->setChecked(true);
    w.startWindow()->label1()->setText(QString::fromStdString(simFolder()));
    w.startWindow()->proceed();
    EXPECT_EQ(configured, 1);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.startWindow()->isVisible());
    EXPECT_EQ(w.textBox("Text7")->text().toStdString(), simFolder());
    EXPECT_EQ(quitCalls, 0);
    EXPECT_EQ(program.read("FS98/texture/stormy.r8"), "launch storm");
    EXPECT_EQ(program.read("FS98/adv/wav/thunder3.wav"), "thunder3.wav");
    platform::setCurrentDirectory(cwd);
}

TEST_F(VaneTest, InitialStateFollowsTheSettings) {
    auto w = openMain();
    EXPECT_EQ(w->textBox("Text7")->text().toStdString(), simFolder());
    EXPECT_DOUBLE_EQ(context.shared.planDistance, 50.0);
    EXPECT_FALSE(w->timer1().running());
    EXPECT_FALSE(w->closest().running());
    EXPECT_FALSE(w->randomTimer().running());
    EXPECT_FALSE(w->picture("Picture7")->isEnabled());

    auto s = shell::firstRunSettings(simFolder());
    s.AP_Upd = 0;
    program.write("vane98.par", shell::formatParamFile(s));
    VaneWindow off(context);
    ASSERT_EQ(off.load(), VaneWindow::LoadResult::MainWindow);
    EXPECT_FALSE(off.checkBox("UPDHDG")->isChecked());
    EXPECT_EQ(off.label("Label16")->text(), "No");
}

// The regional formats, the time without its zone: the label has no room for one.
TEST_F(VaneTest, ClockRunsOnTheSchedulerInTheRegionalFormats) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(shell::clockTimeFormat(QLocale()), "h:mm:ss AP");
    auto w = openMain();
    const QDateTime now =
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(scheduler.wallClock() * 1000));
    EXPECT_EQ(w->label("Label28")->text(),
              "Todays Date: " + QLocale().toString(now.date(), QLocale::ShortFormat));
    EXPECT_EQ(w->label("Label29")->text(), "Current Time: " + now.time().toString("h:mm:ss AP"));
    const QString before = w->label("Label29")->text();
    scheduler.advance(61);
    EXPECT_NE(w->label("Label29")->text(), before);
    QLocale::setDefault(QLocale::system());
}

// Right-clicking Help switches the tips; the mouse then really moves from control to control:
// each tip replaces the last one whole, a control without a tip leaves the line empty.
TEST_F(VaneTest, EveryTipShowsWholeAndOnlyOverItsOwnControlWhileEnabled) {
    auto w = openMain();
    QLabel* line = w->label("Label24");
    QTest::mouseMove(w->picture("Picture5"));
    EXPECT_EQ(line->text(), "");
    QTest::mouseClick(w->picture("Picture8"), Qt::RightButton);
    ASSERT_TRUE(w->tipsEnabled());
    ASSERT_TRUE(w->rect().contains(line->geometry()));
    const QStringList withoutTip = {"Picture26",   "Picture3",  "Picture22", "Picture21",
                                    "Update_Vane", "Picture12", "Picture13", "Picture14"};
    int i = 0;
    for (const auto& [name, tip] : shell::HelpTips::table()) {
        QWidget* control = w->findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name.toStdString();
        if (auto* list = qobject_cast<QListWidget*>(control)) {
            control = list->viewport();
        }
        // The status area's surface shows between its fields, as at its bottom edge.
        QTest::mouseMove(control, name == "Label30"
                                      ? QPoint(control->width() / 2, control->height() - 3)
                                      : control->rect().center());
        EXPECT_EQ(line->text(), tip) << name.toStdString();
        const QRect room = line->contentsRect();
        const int flags = Qt::AlignLeft | Qt::AlignTop | (line->wordWrap() ? Qt::TextWordWrap : 0);
        EXPECT_TRUE(room.contains(line->fontMetrics().boundingRect(room, flags, tip)))
            << name.toStdString();

        const QString other = withoutTip[i++ % withoutTip.size()];
        QTest::mouseMove(w->findChild<QWidget*>(other));
        EXPECT_EQ(line->text(), "") << other.toStdString() << " after " << name.toStdString();
    }
    QTest::mouseMove(w->picture("Picture5"), QPoint(5, 5));
    QTest::mouseClick(w->picture("Picture8"), Qt::RightButton);
    EXPECT_FALSE(w->tipsEnabled());
    EXPECT_EQ(line->text(), "");
    QTest::mouseMove(w->picture("Picture28"));
    EXPECT_EQ(line->text(), "");
}

// A pressed picture shows a border until released; any button presses its command, but only
// left or middle on Help opens help.
TEST_F(VaneTest, PicturesPressTheirCommandButtons) {
    auto w = openMain();
    auto* save = w->picture("Picture19");
    mouse(save, QEvent::MouseButtonPress);
    EXPECT_TRUE(save->pressedLook());
    mouse(save, QEvent::MouseButtonRelease);
    EXPECT_FALSE(save->pressedLook());

    int saves = 0;
    int finds = 0;
    int helps = 0;
    QObject::connect(w->command("Command13"), &QPushButton::clicked, [&] { ++saves; });
    QObject::connect(w->command("Command21"), &QPushButton::clicked, [&] { ++finds; });
    w->showHelp = [&] { ++helps; };
    click(save);
    click(save, Qt::RightButton);
    click(w->picture("Picture22"), Qt::MiddleButton);
    click(w->picture("Picture8"));
    click(w->picture("Picture8"), Qt::MiddleButton);
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(finds, 1);
    EXPECT_EQ(helps, 2);
    EXPECT_FALSE(w->tipsEnabled());
}

// Exit asks first, from a right click on its picture as from closing the window; No keeps
// every timer running.
TEST_F(VaneTest, ExitAsksAndNoKeepsEveryTimerRunning) {
    auto w = openMain();
    dialogs.queueAnswer(platform::Answer::No);
    click(w->picture("Picture28"), Qt::RightButton);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].message.text, "Are you sure you want to exit?");
    EXPECT_EQ(dialogs.shown()[0].message.title, "Proceed?");
    EXPECT_EQ(dialogs.shown()[0].message.buttons, platform::Buttons::YesNo);

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
    EXPECT_EQ(quitCalls, 0);

    dialogs.queueAnswer(platform::Answer::Yes);
    w->press("Command15");
    EXPECT_EQ(quitCalls, 1);
    QApplication::restoreOverrideCursor();
}

// A window narrowed by hand counts as compact: the first toggle restores it.
TEST_F(VaneTest, DoubleClickAnywhereOnTheStatusAreaTogglesCompactMode) {
    auto w = openMain();
    const double tpp = VaneWindow::twipsPerPixel(w.get());
    EXPECT_GT(w->widthTwips(), VaneWindow::kCompactThreshold);
    bool compact = false;
    for (const char* name : {"Label30", "Label15", "Status", "Text1", "HRS", "Text3"}) {
        QTest::mouseDClick(w->findChild<QWidget*>(name), Qt::LeftButton);
        compact = !compact;
        EXPECT_EQ(w->topmost(), compact) << name;
        EXPECT_NEAR(w->widthTwips(), compact ? VaneWindow::kCompactWidth : VaneWindow::kNormalWidth,
                    tpp)
            << name;
        EXPECT_NEAR(w->heightTwips(),
                    compact ? VaneWindow::kCompactHeight : VaneWindow::kNormalHeight, tpp)
            << name;
        EXPECT_TRUE(w->isVisible());
    }
    w->resize(static_cast<int>(6500 / tpp), w->height());
    w->toggleCompactMode();
    EXPECT_NEAR(w->widthTwips(), VaneWindow::kNormalWidth, 16);
    EXPECT_FALSE(w->topmost());
}

// Every line of a station report shows; a name too long for its label ends in an ellipsis and
// the tool tip gives it whole, while the label's text stays whole for whoever reads it back.
TEST_F(VaneTest, StatusAreaShowsEveryLineAndElidesLongNames) {
    auto w = openMain();
    auto* report = qobject_cast<shell::ElidedLabel*>(w->label("Label15"));
    ASSERT_NE(report, nullptr);
    report->setText(
        "KGVL REPORT\nSkies: 4/8 at 2500 feet.\nSecond layer of clouds 8/8 at 9000 feet.\n"
        "Surface winds are 12 knots from 270 degrees.\nTemperature is 48.\n"
        "Visibility is 10 miles.\nReported barometer is 30.23.");
    EXPECT_GE(report->contentsRect().height(), 7 * report->fontMetrics().lineSpacing());
    EXPECT_FALSE(report->elided());
    // Nothing of the status area lies over the report or outside the area.
    const QRect area = w->label("Label30")->geometry();
    for (const char* name :
         {"Text3", "ReportAge", "Label15", "FWAYP", "Hdg", "WindDir", "Status"}) {
        EXPECT_TRUE(area.contains(w->label(name)->geometry())) << name;
    }
    EXPECT_GT(w->label("ReportAge")->geometry().top(), w->label("Text3")->geometry().bottom());
    EXPECT_GT(report->geometry().top(), w->label("ReportAge")->geometry().bottom());
    EXPECT_GT(w->label("FWAYP")->geometry().top(), report->geometry().bottom());

    const QString name = "KGVL-Lee Gilmer Memorial Airport, Gainesville, Georgia, United States";
    auto* station = qobject_cast<shell::ElidedLabel*>(w->label("Text3"));
    ASSERT_NE(station, nullptr);
    station->setText(name);
    EXPECT_TRUE(station->elided());
    EXPECT_EQ(station->text(), name);
    QHelpEvent tip(QEvent::ToolTip, QPoint(4, 4), station->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(station, &tip);
    EXPECT_EQ(QToolTip::text(), name);
}

// Stopped, the built-in aircraft leaves no stale ground speed or time en route behind.
TEST_F(VaneTest, StatusSaysTheAircraftIsStopped) {
    auto w = openMain();
    auto& navigation = w->planControls().navigation();
    aircraft.start();
    navigation.tick();
    EXPECT_NE(w->status(), shell::kAircraftStopped);
    w->label("TAS")->setText("291");
    w->textBox("HRS")->setText("0");
    w->textBox("MIN")->setText("3");
    aircraft.stop();
    navigation.tick();
    EXPECT_EQ(w->status(), shell::kAircraftStopped);
    EXPECT_EQ(w->label("TAS")->text(), "0");
    EXPECT_EQ(w->textBox("HRS")->text(), "");
    EXPECT_EQ(w->textBox("MIN")->text(), "");
}

// Each switch starts as the settings say and follows its picture, its box and the keyboard,
// with its Yes/No label (and for Send Weather, its two images); A/P Update only once a plan
// has been sent.
TEST_F(VaneTest, SwitchPictureBoxAndLabelAlwaysAgree) {
    auto w = openMain();
    click(w->picture("Picture12"));
    EXPECT_EQ(dialogs.lastMessage(), "Must load and send flight plan first!");
    EXPECT_TRUE(w->checkBox("UPDHDG")->isChecked());

    w->label("FWAYP")->setText("ATLANTA");
    for (const auto& [box, label, picture, start] :
         {std::tuple{"upd_vane", "Text5", "Picture14", true},
          std::tuple{"UPDHDG", "Label16", "Picture12", true},
          std::tuple{"AutSwitch", "Label17", "Picture13", false}}) {
        QCheckBox* c = w->checkBox(box);
        const bool sendWeather = std::string(box) == "upd_vane";
        std::vector<std::pair<const char*, std::function<void()>>> steps = {
            {"picture", [&] { QTest::mouseClick(w->picture(picture), Qt::LeftButton); }},
            {"picture right", [&] { QTest::mouseClick(w->picture(picture), Qt::RightButton); }},
            {"box", [&] { QTest::mouseClick(c, Qt::LeftButton); }},
            {"space", [&] { QTest::keyClick(c, Qt::Key_Space); }},
        };
        if (sendWeather) {
            steps.push_back(
                {"Image9", [&] { QTest::mouseClick(w->image("Image9"), Qt::LeftButton); }});
            steps.push_back(
                {"Image7", [&] { QTest::mouseClick(w->image("Image7"), Qt::LeftButton); }});
        }
        bool on = start;
        EXPECT_EQ(c->isChecked(), on) << box;
        EXPECT_EQ(w->label(label)->text(), on ? "Yes" : "No") << box;
        for (const auto& [what, step] : steps) {
            step();
            on = !on;
            EXPECT_EQ(c->isChecked(), on) << box << " " << what;
            EXPECT_EQ(w->label(label)->text(), on ? "Yes" : "No") << box << " " << what;
            if (sendWeather) {
                EXPECT_EQ(w->image("Image9")->isVisibleTo(w.get()), on) << what;
                EXPECT_EQ(w->image("Image7")->isVisibleTo(w.get()), !on) << what;
            }
        }
    }
}

// With an FS98 folder (no built-in aircraft as the link) the classic texts stand.
TEST_F(VaneTest, LoadMetarAsksToStartTheSimulatorFirstAndTellsWhenItWillNot) {
    context.builtIn = nullptr;
    auto w = openMain();
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

    platform.simulatorRunning = true;
    click(w->picture("Picture2"));
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(dialogs.messages().size(), 2u);

    // The built-in simulator named, when it will not start.
    context.builtIn = &aircraft;
    platform.simulatorRunning = false;
    platform.startSucceeds = false;
    dialogs.clear();
    dialogs.queueAnswer(platform::Answer::Yes);
    click(w->picture("Picture2"));
    ASSERT_EQ(dialogs.messages().size(), 2u);
    EXPECT_EQ(dialogs.messages()[1], "The built-in simulator could not be started from \"" +
                                         simFolder() +
                                         "\". Please start it yourself, then try again.");
    EXPECT_EQ(dialogs.shown()[1].message.title, "Load the built-in simulator?");
}

TEST_F(VaneTest, NavigationPanelNeedsTheSimulatorThenMovesIntoItsWindowAndDrags) {
    auto w = openMain();
    click(w->picture("Picture15"));
    EXPECT_EQ(dialogs.lastMessage(),
              "The built-in simulator not loaded. Please start the built-in simulator and try "
              "again.");
    EXPECT_FALSE(w->navigationPanel()->isVisible());

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
    shell::NavigationPanel* panel = w->navigationPanel();
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

    // Pressing the panel itself gives it the pressed border, which stays.
    EXPECT_FALSE(panel->pressedLook());
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(100, 60));
    EXPECT_TRUE(panel->pressedLook());

    mouse(title, QEvent::MouseButtonPress, Qt::RightButton);
    mouse(title, QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_FALSE(panel->isVisible());
    panel->setParent(w.get());  // detach before the cockpit goes away
}

// The World, Links and Help buttons open their windows, one of each; the tutorial opened from
// the help window replaces it and counts as showing.
TEST_F(VaneTest, ButtonsOpenTheSideWindows) {
    auto w = openMain();
    shell::SideWindows side(context, *w);
    click(w->picture("Picture6"));
    ASSERT_NE(side.worldReport(), nullptr);
    EXPECT_EQ(side.worldReport()->windowTitle(), "Weather Report");
    EXPECT_EQ(dialogs.lastMessage().rfind("No weather has been loaded", 0), 0U);
    auto* report = side.worldReport();
    click(w->picture("Picture6"));
    EXPECT_EQ(side.worldReport(), report) << "one report window at a time";

    click(w->picture("Picture9"));
    ASSERT_NE(side.quickLink(), nullptr);
    EXPECT_EQ(side.quickLink()->text1()->text(), "Empty");

    EXPECT_FALSE(w->tutorVisible());
    w->press("Command9");
    ASSERT_NE(side.help(), nullptr);
    side.help()->tutorialsButton()->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(side.help(), nullptr);
    EXPECT_TRUE(w->tutorVisible());
}
