#include <QCloseEvent>
#include <QHelpEvent>
#include <QScreen>
#include <QTest>
#include <QToolTip>
#include <functional>

#include "MainWindowFixture.h"
#include "platform/Files.h"
#include "shell/ElidedLabel.h"
#include "shell/HelpTips.h"
#include "shell/NavigationPanel.h"
#include "shell/NavigationStatusBinder.h"
#include "shell/ParmMaintWindow.h"
#include "shell/PlanControls.h"
#include "shell/SideWindows.h"
#include "shell/StartWindow.h"

using namespace zephyra;
using shell::VaneWindow;

using VaneTest = test::MainWindowFixture;

// Launched elsewhere, the first run takes its files from the launch folder and needs no restart.
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
    w.startWindow()->choice(shell::FirstRunChoice::Fs98)->setChecked(true);
    w.startWindow()->label1()->setText(QString::fromStdString(simFolder()));
    w.startWindow()->proceed();
    EXPECT_EQ(configured, 1);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.textBox("Text7")->text().toStdString(), simFolder());
    EXPECT_EQ(quitCalls, 0);
    EXPECT_EQ(program.read("FS98/texture/stormy.r8"), "launch storm");
    EXPECT_EQ(program.read("FS98/adv/wav/thunder3.wav"), "thunder3.wav");
    platform::setCurrentDirectory(cwd);
}

TEST_F(VaneTest, APUpdateStartsAsTheSettingsSay) {
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

// Right-clicking Help switches the tips; a control without a tip leaves the line empty.
TEST_F(VaneTest, EveryTipShowsOnlyOverItsOwnControlWhileEnabled) {
    auto w = openMain();
    QLabel* line = w->label("Label24");
    QTest::mouseMove(w->picture("Picture5"));
    EXPECT_EQ(line->text(), "");
    QTest::mouseClick(w->picture("Picture8"), Qt::RightButton);
    ASSERT_TRUE(w->tipsEnabled());
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
    }
    QTest::mouseMove(w->picture("Picture26"));
    EXPECT_EQ(line->text(), "");
    QTest::mouseMove(w->picture("Picture5"), QPoint(5, 5));
    QTest::mouseClick(w->picture("Picture8"), Qt::RightButton);
    EXPECT_FALSE(w->tipsEnabled());
    EXPECT_EQ(line->text(), "");
    QTest::mouseMove(w->picture("Picture28"));
    EXPECT_EQ(line->text(), "");
}

// Any button presses a picture's command, but only left or middle on Help opens help.
TEST_F(VaneTest, PicturesPressTheirCommandButtons) {
    auto w = openMain();
    auto* save = w->picture("Picture19");
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

// Exit asks first, from its picture as from closing the window; No keeps the timers running.
TEST_F(VaneTest, ExitAsksAndNoKeepsEveryTimerRunning) {
    auto w = openMain();
    dialogs.queueAnswer(platform::Answer::No);
    click(w->picture("Picture28"), Qt::RightButton);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].message.text, "Are you sure you want to exit?");

    w->timer1().setInterval(5000);
    w->closest().setInterval(60000);
    int ticks = 0;
    w->onTimer1 = [&] { ++ticks; };
    dialogs.queueAnswer(platform::Answer::No);
    w->close();
    EXPECT_TRUE(w->isVisible());
    scheduler.advance(10);
    EXPECT_EQ(ticks, 2);
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
    }
    w->resize(static_cast<int>(6500 / tpp), w->height());
    w->toggleCompactMode();
    EXPECT_NEAR(w->widthTwips(), VaneWindow::kNormalWidth, 16);
    EXPECT_FALSE(w->topmost());
}

// A name too long for its label is elided on screen only; the tool tip gives it whole.
TEST_F(VaneTest, LongStationNamesAreElidedButKeptWhole) {
    auto w = openMain();
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

// Each switch follows its picture and box with its Yes/No label; A/P Update needs a plan.
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
        QWidget* const targets[] = {w->picture(picture), w->picture(picture), c, w->image("Image7"),
                                    w->image("Image9")};
        bool on = start;
        for (int step = 0; step <= (sendWeather ? 5 : 3); ++step) {
            if (step > 0) {  // picture, picture right, box, then Send Weather's two images
                QTest::mouseClick(targets[step - 1], step == 2 ? Qt::RightButton : Qt::LeftButton);
                on = !on;
            }
            EXPECT_EQ(c->isChecked(), on) << box << " " << step;
            EXPECT_EQ(w->label(label)->text(), on ? "Yes" : "No") << box << " " << step;
            if (sendWeather) {
                EXPECT_EQ(w->image("Image9")->isVisibleTo(w.get()), on) << step;
                EXPECT_EQ(w->image("Image7")->isVisibleTo(w.get()), !on) << step;
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

    mouse(title, QEvent::MouseButtonPress, Qt::RightButton);
    mouse(title, QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_FALSE(panel->isVisible());
    panel->setParent(w.get());  // detach before the cockpit goes away
}

// The side windows open one of each; the tutorial opened from help replaces it.
TEST_F(VaneTest, ButtonsOpenTheSideWindows) {
    auto w = openMain();
    shell::SideWindows side(context, *w);
    click(w->picture("Picture6"));
    ASSERT_NE(side.worldReport(), nullptr);
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

// Every window opened from the main window opens whole on the screen's available area, also
// when the main window lies in a corner: moved over as little as it takes, shrunk when larger.
TEST_F(VaneTest, EveryWindowOpensWholeOnTheScreen) {
    auto w = openMain();
    shell::SideWindows side(context, *w);
    const QRect area = w->screen()->availableGeometry();
    w->move(area.right() - 150, area.bottom() - 100);
    const auto topLevel = [](const char* name) -> QWidget* {
        for (QWidget* t : QApplication::topLevelWidgets()) {
            if (t->isVisible() && t->objectName() == QLatin1String(name)) {
                return t;
            }
        }
        return nullptr;
    };
    const struct {
        const char* window;
        std::function<QWidget*()> open;
    } cases[] = {
        {"Flight Plan Table",
         [&] {
             click(w->findChild<QPushButton*>("PlanTableButton"));
             return topLevel("PlanTableWindow");
         }},
        {"Weather Builder",
         [&] {
             click(w->picture("Picture10"));
             return topLevel("METGEN");
         }},
        {"Weather Report",
         [&] {
             click(w->picture("Picture6"));
             return static_cast<QWidget*>(side.worldReport());
         }},
        {"Quick Link",
         [&] {
             click(w->picture("Picture9"));
             return static_cast<QWidget*>(side.quickLink());
         }},
        {"Help",
         [&] {
             w->press("Command9");
             return static_cast<QWidget*>(side.help());
         }},
        {"Settings",
         [&] {
             w->press("Command27");
             return static_cast<QWidget*>(w->findChild<shell::ParmMaintWindow*>());
         }},
    };
    for (const auto& c : cases) {
        QWidget* opened = c.open();
        ASSERT_NE(opened, nullptr) << c.window;
        EXPECT_TRUE(area.contains(opened->frameGeometry()))
            << c.window << " at " << opened->frameGeometry().x() << ","
            << opened->frameGeometry().y() << " " << opened->frameGeometry().width() << "x"
            << opened->frameGeometry().height() << " on " << area.width() << "x" << area.height();
        opened->close();
    }
}
