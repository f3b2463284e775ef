#include <QTest>

#include "platform/Files.h"
#include "shell/ParmMaintWindow.h"
#include "shell/VaneWindow.h"
#include "support/WindowFixture.h"

using namespace zephyra;
using shell::ParmMaintWindow;
using shell::VaneWindow;

class ParmMaintTest : public test::WindowFixture {
  protected:
    void SetUp() override {
        writeDefaultParams();
        main = std::make_unique<VaneWindow>(context);
        ASSERT_EQ(main->load(), VaneWindow::LoadResult::MainWindow);
        main->show();
    }
    ParmMaintWindow* openSettings() {
        main->press("Command27");
        auto* w = main->findChild<ParmMaintWindow*>();
        EXPECT_NE(w, nullptr);
        return w;
    }
    std::string savedFile() { return program.read("vane98.par"); }

    std::unique_ptr<VaneWindow> main;
};

TEST_F(ParmMaintTest, OpensFilledFromMemory) {
    context.settings.UOM = "F";
    context.settings.Wind = false;
    context.settings.Wayp = 3;
    context.settings.WPW_INC = 1;
    context.settings.WPN_INC = 0;
    context.settings.NewClouds = false;
    auto* w = openSettings();
    EXPECT_EQ(w->windowTitle(), "Settings");
    EXPECT_EQ(w->textBox("uv")->text(), "30");
    EXPECT_EQ(w->textBox("mx_turb")->text(), "180");
    EXPECT_EQ(w->textBox("tt")->text(), "60");
    EXPECT_TRUE(w->option("Option6")->isChecked());
    EXPECT_EQ(w->textBox("UOM")->text(), "F");
    EXPECT_FALSE(w->checkBox("Check1")->isChecked());
    EXPECT_TRUE(w->option("Option7")->isChecked());
    EXPECT_EQ(context.settings.Wayp, 3);
    EXPECT_TRUE(w->checkBox("Check5")->isChecked());
    EXPECT_TRUE(w->checkBox("Check3")->isChecked());
    EXPECT_FALSE(w->checkBox("Check4")->isChecked());
    EXPECT_TRUE(w->checkBox("Check6")->isChecked());
    EXPECT_TRUE(w->checkBox("Check2")->isChecked());
    EXPECT_FALSE(w->checkBox("Check7")->isChecked());
    EXPECT_EQ(w->textBox("Text1")->text(), "50");
    EXPECT_FALSE(w->unsavedChange());
}

TEST_F(ParmMaintTest, SavesTheTypedDistanceAndReadsItBackRounded) {
    auto* w = openSettings();
    w->option("Option2")->setChecked(true);
    w->option("Option4")->setChecked(true);
    w->textBox("Text1")->setText("75.5");
    w->checkBox("Check7")->setChecked(false);
    w->checkBox("Check2")->setChecked(false);
    ASSERT_TRUE(w->save());
    EXPECT_EQ(dialogs.lastMessage(), "Your settings have been saved saved!");
    EXPECT_NE(savedFile().find("FP_Dist=75.5\r\n"), std::string::npos);
    EXPECT_NE(savedFile().find("UOM=M\r\nWind=True\r\nWayp=1\r\n"), std::string::npos);
    EXPECT_NE(savedFile().find("AP_Upd=0\r\n"), std::string::npos);
    EXPECT_NE(savedFile().find("NewClouds=0\r\n"), std::string::npos);
    EXPECT_NE(savedFile().find("98Path=" + simFolder() + "\r\n"), std::string::npos);
    EXPECT_EQ(context.settings.FP_Dist, 76);
    EXPECT_DOUBLE_EQ(context.shared.planDistance, 76.0);
    EXPECT_FALSE(context.settings.NewClouds);
    EXPECT_FALSE(main->checkBox("UPDHDG")->isChecked());
    EXPECT_EQ(main->label("Label16")->text(), "No");

    shell::Settings back;
    ASSERT_TRUE(shell::readParamFile(program.file("vane98.par"), back).ok);
    EXPECT_EQ(back.FP_Dist, 76);
}

TEST_F(ParmMaintTest, DistanceLimitsAreInclusive) {
    for (const char* good : {"50", "200"}) {
        auto* w = openSettings();
        w->textBox("Text1")->setText(good);
        EXPECT_TRUE(w->save()) << good;
        QApplication::processEvents();
    }
    for (const char* bad : {"49.9", "200.1", "far"}) {
        auto* w = openSettings();
        w->textBox("Text1")->setText(bad);
        EXPECT_FALSE(w->save()) << bad;
        EXPECT_EQ(dialogs.lastMessage(), "Flight Plan Distance must be between 50 and 200.");
        w->close();
        QApplication::processEvents();
    }
}

TEST_F(ParmMaintTest, OneWaypointTypeMustBeChosen) {
    auto* w = openSettings();
    w->checkBox("Check3")->setChecked(false);
    w->checkBox("Check4")->setChecked(false);
    w->checkBox("Check6")->setChecked(false);
    const std::string before = savedFile();
    EXPECT_FALSE(w->save());
    EXPECT_EQ(dialogs.lastMessage(), "You must have one waypoint type selected.");
    EXPECT_EQ(savedFile(), before);

    w->checkBox("Check4")->setChecked(true);
    EXPECT_TRUE(w->save());
    EXPECT_NE(savedFile().find("WPC_INC=0\r\nWPN_INC=1\r\nWPW_INC=0\r\n"), std::string::npos);
}

TEST_F(ParmMaintTest, NonNumericVisibilityStopsTheSaveButKeepsEarlierValues) {
    auto* w = openSettings();
    const std::string before = savedFile();
    w->textBox("uv")->setText("25");
    w->textBox("mx_turb")->setText("rough");
    EXPECT_FALSE(w->save());
    EXPECT_EQ(dialogs.lastMessage(), "Flight Plan Distance must be between 50 and 200.");
    EXPECT_EQ(context.settings.UnlimitedVis, 25);
    EXPECT_EQ(context.settings.MaxTurb, 180);
    EXPECT_EQ(savedFile(), before);
}

TEST_F(ParmMaintTest, UnwritableFileSaysWhy) {
    auto* w = openSettings();
    context.folders = platform::allIn(program.file("missing-folder"));
    EXPECT_FALSE(w->save());
    EXPECT_EQ(dialogs.lastMessage(), "The settings could not be saved. \"" +
                                         program.file("missing-folder") +
                                         "/vane98.par\" could not be written (No such file or "
                                         "directory).");
}

// The transition is fixed: its values and the never-used switching distance are read only.
TEST_F(ParmMaintTest, TransitionFieldsShowTheRealValuesReadOnly) {
    auto* w = openSettings();
    EXPECT_EQ(w->textBox("tp")->text(), "60");
    EXPECT_EQ(w->textBox("ts")->text(), "1");
    EXPECT_EQ(w->textBox("tt")->text(), "60");
    for (const char* name : {"tp", "ts", "tt", "sd"}) {
        EXPECT_TRUE(w->textBox(name)->isReadOnly()) << name;
    }
    EXPECT_FALSE(w->textBox("sd")->toolTip().isEmpty());
}

// A real press and release: the box's state after the click decides.
TEST_F(ParmMaintTest, TickingVorsClearsNdbsAndUntickingLeavesThem) {
    auto* w = openSettings();
    QCheckBox* vors = w->checkBox("Check3");
    QCheckBox* ndbs = w->checkBox("Check4");
    ASSERT_TRUE(vors->isChecked());
    ASSERT_TRUE(ndbs->isChecked());
    const QPoint onTheBox(6, vors->height() / 2);
    QTest::mouseClick(vors, Qt::LeftButton, {}, onTheBox);
    EXPECT_FALSE(vors->isChecked());
    EXPECT_TRUE(ndbs->isChecked());
    QTest::mouseClick(vors, Qt::LeftButton, {}, onTheBox);
    EXPECT_TRUE(vors->isChecked());
    EXPECT_FALSE(ndbs->isChecked());
}

TEST_F(ParmMaintTest, ChangingTheRegionWithWaypointsLoadedOffersAReload) {
    int reloads = 0;
    main->reloadWaypoints = [&] { ++reloads; };
    main->textBox("Text8")->setText("1");
    auto* w = openSettings();
    dialogs.queueAnswer(platform::Answer::Yes);
    w->option("Option5")->setChecked(true);
    mouse(w->option("Option5"), QEvent::MouseButtonRelease);
    QApplication::processEvents();
    ASSERT_GE(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].message.title, "Proceed?");
    EXPECT_EQ(dialogs.shown()[0].message.defaultButton, 2);
    EXPECT_EQ(dialogs.lastMessage(), "Your settings have been saved saved!");
    EXPECT_NE(savedFile().find("Wayp=2\r\n"), std::string::npos);
    EXPECT_EQ(main->textBox("Text8")->text(), "0");
    EXPECT_EQ(reloads, 1);
}

TEST_F(ParmMaintTest, ReloadHappensEvenWhenTheSaveIsRefused) {
    int reloads = 0;
    main->reloadWaypoints = [&] { ++reloads; };
    main->textBox("Text8")->setText("1");
    auto* w = openSettings();
    w->checkBox("Check3")->setChecked(false);
    w->checkBox("Check4")->setChecked(false);
    dialogs.queueAnswer(platform::Answer::Yes);
    mouse(w->option("Option3"), QEvent::MouseButtonRelease);
    QApplication::processEvents();
    EXPECT_EQ(dialogs.lastMessage(), "You must have one waypoint type selected.");
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(main->textBox("Text8")->text(), "0");
}

TEST_F(ParmMaintTest, NoReloadQuestionWhenNoWaypointsAreLoaded) {
    auto* w = openSettings();
    mouse(w->option("Option3"), QEvent::MouseButtonRelease);
    QApplication::processEvents();
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ParmMaintTest, CloseAsksOnlyAfterTheCloseButtonLostFocus) {
    auto* w = openSettings();
    w->button("Command1")->click();
    EXPECT_TRUE(dialogs.shown().empty());
    QApplication::processEvents();

    w = openSettings();
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(w->button("Command1"), &out);
    ASSERT_TRUE(w->unsavedChange());
    dialogs.queueAnswer(platform::Answer::No);
    w->button("Command1")->click();
    EXPECT_EQ(dialogs.lastMessage(),
              "Are you sure you want to exit without saving the parameters?");
    EXPECT_EQ(dialogs.shown().back().message.title, "Parameters");
    EXPECT_TRUE(w->isVisible());
    dialogs.queueAnswer(platform::Answer::Yes);
    w->button("Command1")->click();
    EXPECT_FALSE(w->isVisible());
}

TEST_F(ParmMaintTest, TextureButtonsCopyAndReport) {
    platform::setCurrentDirectory(program.path());
    auto* w = openSettings();
    w->button("Command2")->click();
    EXPECT_EQ(dialogs.lastMessage().rfind("The default clouds could not be restored.", 0), 0u);

    program.write("FS98/texture/clouds.sav", "saved clouds");
    w->button("Command2")->click();
    EXPECT_EQ(dialogs.lastMessage(), "Default clouds restored.");
    EXPECT_EQ(program.read("FS98/texture/clouds.r8"), "saved clouds");

    program.write("FS98/texture/stormy.sav", "saved storm");
    w->button("Command3")->click();
    EXPECT_EQ(dialogs.lastMessage(), "Default storm texture restored.");
    EXPECT_EQ(program.read("FS98/texture/stormy.r8"), "saved storm");

    program.write("storm.cld", "new storm");
    w->button("Command4")->click();
    EXPECT_EQ(dialogs.lastMessage(), "New storm texture installed.");
    EXPECT_EQ(program.read("FS98/texture/stormy.r8"), "new storm");

    w->button("Command5")->click();
    EXPECT_EQ(dialogs.lastMessage(), "Error copying file!");
    program.write("lightn.fsc", "lightning");
    w->button("Command5")->click();
    EXPECT_EQ(dialogs.lastMessage().rfind("New lightning texture installed.", 0), 0u);
    EXPECT_EQ(program.read("FS98/texture/stormy.r8"), "lightning");

    // A simulator folder copied from Windows spells its names in capitals.
    program.write("WINFS/TEXTURE/CLOUDS.SAV", "windows clouds");
    program.write("WINFS/TEXTURE/CLOUDS.R8", "current clouds");
    main->textBox("Text7")->setText(QString::fromStdString(program.file("WINFS")));
    w->button("Command2")->click();
    EXPECT_EQ(dialogs.lastMessage(), "Default clouds restored.");
    EXPECT_EQ(program.read("WINFS/TEXTURE/CLOUDS.R8"), "windows clouds");

    // Installed, the pictures come from the shipped folder whatever the current folder is.
    main->textBox("Text7")->setText(QString::fromStdString(simFolder()));
    context.folders.installed = true;
    context.folders.shipped = program.file("share");
    program.write("share/storm.cld", "shipped storm");
    w->button("Command4")->click();
    EXPECT_EQ(program.read("FS98/texture/stormy.r8"), "shipped storm");
}
