#include <QTest>

#include "MainWindowFixture.h"
#include "delivery/DeliveryChoice.h"
#include "platform/Files.h"
#include "shell/ParmMaintWindow.h"
#include "shell/Startup.h"
#include "simlink/FlightGearLink.h"

using namespace zephyra;
using shell::ParmMaintWindow;
using shell::VaneWindow;

class ParmMaintTest : public test::MainWindowFixture {
  protected:
    void SetUp() override { main = openMain(); }
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
    for (const auto& [box, text] :
         {std::pair{"uv", "30"}, std::pair{"mx_turb", "180"}, std::pair{"tp", "60"},
          std::pair{"ts", "1"}, std::pair{"tt", "60"}, std::pair{"UOM", "F"},
          std::pair{"Text1", "50"}}) {
        EXPECT_EQ(w->textBox(box)->text(), text) << box;
    }
    EXPECT_TRUE(w->option("Option6")->isChecked());
    EXPECT_TRUE(w->option("Option7")->isChecked());
    for (const auto& [box, on] :
         {std::pair{"Check1", false}, std::pair{"Check2", true}, std::pair{"Check3", true},
          std::pair{"Check4", false}, std::pair{"Check5", true}, std::pair{"Check6", true},
          std::pair{"Check7", false}}) {
        EXPECT_EQ(w->checkBox(box)->isChecked(), on) << box;
    }
    EXPECT_FALSE(w->unsavedChange());
}

TEST_F(ParmMaintTest, SavesTheTypedDistanceWithinInclusiveLimitsAndReadsItBackRounded) {
    auto* w = openSettings();
    w->option("Option2")->setChecked(true);
    w->option("Option4")->setChecked(true);
    w->textBox("Text1")->setText("75.5");
    w->checkBox("Check7")->setChecked(false);
    w->checkBox("Check2")->setChecked(false);
    ASSERT_TRUE(w->save());
    EXPECT_EQ(dialogs.lastMessage(), "Your settings have been saved saved!");
    EXPECT_EQ(savedFile(), "UnlimitedVis=30\r\n98Path=" + simFolder() +
                               "\r\nMaxTurb=180\r\nUOM=M\r\nWind=True\r\nWayp=1\r\nQSend=True\r\n"
                               "FP_Dist=75.5\r\nAP_Upd=0\r\nWPC_INC=1\r\nWPN_INC=1\r\nWPW_INC=0\r\n"
                               "NewClouds=0\r\n");
    EXPECT_EQ(context.settings.FP_Dist, 76);
    EXPECT_DOUBLE_EQ(context.shared.planDistance, 76.0);
    EXPECT_FALSE(context.settings.NewClouds);
    EXPECT_FALSE(main->checkBox("UPDHDG")->isChecked());
    EXPECT_EQ(main->label("Label16")->text(), "No");

    for (const char* bad : {"49.9", "200.1", "far"}) {
        w->textBox("Text1")->setText(bad);
        EXPECT_FALSE(w->save()) << bad;
        EXPECT_EQ(dialogs.lastMessage(), "Flight Plan Distance must be between 50 and 200.");
    }
    for (const char* good : {"50", "200"}) {
        w->textBox("Text1")->setText(good);
        EXPECT_TRUE(w->save()) << good;
    }
}

// A refused save names the reason and keeps the file; values before the bad one are taken.
TEST_F(ParmMaintTest, RefusedSavesSayWhyAndKeepTheFile) {
    auto* w = openSettings();
    const std::string before = savedFile();
    w->checkBox("Check3")->setChecked(false);
    w->checkBox("Check4")->setChecked(false);
    w->checkBox("Check6")->setChecked(false);
    EXPECT_FALSE(w->save());
    EXPECT_EQ(dialogs.lastMessage(), "You must have one waypoint type selected.");
    EXPECT_EQ(savedFile(), before);
    w->checkBox("Check4")->setChecked(true);

    w->textBox("uv")->setText("25");
    w->textBox("mx_turb")->setText("rough");
    EXPECT_FALSE(w->save());
    EXPECT_EQ(dialogs.lastMessage(), "Flight Plan Distance must be between 50 and 200.");
    EXPECT_EQ(context.settings.UnlimitedVis, 25);
    EXPECT_EQ(context.settings.MaxTurb, 180);
    EXPECT_EQ(savedFile(), before);
    w->textBox("mx_turb")->setText("180");

    context.folders = platform::allIn(program.file("missing-folder"));
    EXPECT_FALSE(w->save());
    EXPECT_EQ(dialogs.lastMessage(), "The settings could not be saved. \"" +
                                         program.file("missing-folder") +
                                         "/vane98.par\" could not be written (No such file or "
                                         "directory).");

    context.folders = platform::allIn(program.path());
    EXPECT_TRUE(w->save());
    EXPECT_NE(savedFile().find("WPC_INC=0\r\nWPN_INC=1\r\nWPW_INC=0\r\n"), std::string::npos);
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

// With waypoints loaded a new region offers a reload, even when the save is refused.
TEST_F(ParmMaintTest, ChangingTheRegionWithWaypointsLoadedOffersAReload) {
    int reloads = 0;
    main->reloadWaypoints = [&] { ++reloads; };
    auto* w = openSettings();
    mouse(w->option("Option3"), QEvent::MouseButtonRelease);
    QApplication::processEvents();
    EXPECT_TRUE(dialogs.shown().empty());

    main->textBox("Text8")->setText("1");
    w->checkBox("Check3")->setChecked(false);
    w->checkBox("Check4")->setChecked(false);
    dialogs.queueAnswer(platform::Answer::Yes);
    mouse(w->option("Option3"), QEvent::MouseButtonRelease);
    QApplication::processEvents();
    EXPECT_EQ(dialogs.lastMessage(), "You must have one waypoint type selected.");
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(main->textBox("Text8")->text(), "0");

    main->textBox("Text8")->setText("1");
    w->checkBox("Check3")->setChecked(true);
    dialogs.clear();
    dialogs.queueAnswer(platform::Answer::Yes);
    w->option("Option5")->setChecked(true);
    mouse(w->option("Option5"), QEvent::MouseButtonRelease);
    QApplication::processEvents();
    EXPECT_EQ(dialogs.lastMessage(), "Your settings have been saved saved!");
    EXPECT_NE(savedFile().find("Wayp=2\r\n"), std::string::npos);
    EXPECT_EQ(main->textBox("Text8")->text(), "0");
    EXPECT_EQ(reloads, 2);
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
    EXPECT_TRUE(w->isVisible());
    dialogs.queueAnswer(platform::Answer::Yes);
    w->button("Command1")->click();
    EXPECT_FALSE(w->isVisible());
}

TEST_F(ParmMaintTest, TextureButtonsCopyAndReport) {
    platform::setCurrentDirectory(program.path());
    auto* w = openSettings();
    const struct {
        const char *button, *source, *failure, *done, *target;
    } cases[] = {
        {"Command2", "FS98/texture/clouds.sav", "The default clouds could not be restored.",
         "Default clouds restored.", "FS98/texture/clouds.r8"},
        {"Command3", "FS98/texture/stormy.sav", nullptr, "Default storm texture restored.",
         "FS98/texture/stormy.r8"},
        {"Command4", "storm.cld", nullptr, "New storm texture installed.",
         "FS98/texture/stormy.r8"},
        {"Command5", "lightn.fsc", "Error copying file!", "New lightning texture installed.",
         "FS98/texture/stormy.r8"},
    };
    for (const auto& c : cases) {
        if (c.failure) {
            w->button(c.button)->click();
            EXPECT_EQ(dialogs.lastMessage().rfind(c.failure, 0), 0u) << c.button;
        }
        program.write(c.source, c.source);
        w->button(c.button)->click();
        EXPECT_EQ(dialogs.lastMessage().rfind(c.done, 0), 0u) << c.button;
        EXPECT_EQ(program.read(c.target), c.source) << c.button;
    }

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

// FlightGear's property server is set here: kept in simulator.ini, taken by the link at once.
TEST_F(ParmMaintTest, TakesFlightGearsHostAndPort) {
    program.write("simulator.ini", "Simulator=flightgear\nFlightGearPort=5500\n");
    simlink::FlightGearLink fg({.host = "127.0.0.1", .port = 5500});
    context.flightGear = &fg;
    auto* w = openSettings();
    EXPECT_EQ(w->textBox("FlightGearHost")->text(), "127.0.0.1");
    EXPECT_EQ(w->textBox("FlightGearPort")->text(), "5500");
    for (const char* bad : {"0", "65536", "54o1", ""}) {
        w->textBox("FlightGearPort")->setText(bad);
        EXPECT_FALSE(w->save()) << bad;
        EXPECT_EQ(dialogs.lastMessage(), shell::kFlightGearAddressMessage);
    }
    w->textBox("FlightGearHost")->setText(" fg.example ");
    w->textBox("FlightGearPort")->setText("5402");
    ASSERT_TRUE(w->save());
    EXPECT_EQ(program.read("simulator.ini"),
              "Simulator=flightgear\nFlightGearPort=5402\nFlightGearHost=fg.example\n");
    EXPECT_EQ(fg.settings().host, "fg.example");
    EXPECT_EQ(fg.settings().port, 5402);
    EXPECT_EQ(main->label("Label26")->text(), "FlightGear");
    EXPECT_EQ(main->label("SimulatorLink")->text(), "fg.example:5402");
    context.flightGear = nullptr;
}

// The weather between stations is set here and kept in zephyra.ini beside the other sections.
TEST_F(ParmMaintTest, KeepsTheWeatherBetweenStationsInZephyraIni) {
    program.write("zephyra.ini", "[Download]\nUrl=http://example/metars.txt\n");
    auto* w = openSettings();
    EXPECT_TRUE(w->checkBox("BlendCheck")->isChecked());
    EXPECT_EQ(w->textBox("BlendRadius")->text(), "60");
    w->textBox("BlendRadius")->setText("400");
    EXPECT_FALSE(w->save());
    EXPECT_EQ(dialogs.lastMessage(), "Weather Between Stations: BlendRadiusNm is 5 to 300.");
    w->textBox("BlendRadius")->setText("45");
    w->textBox("BlendEvery")->setText("10");
    w->textBox("RefreshEvery")->setText("0");
    w->checkBox("BlendCheck")->setChecked(false);
    ASSERT_TRUE(w->save());
    const auto d = delivery::readDeliveryChoice(program.read("zephyra.ini"));
    EXPECT_FALSE(d.blended);
    EXPECT_EQ(d.blendRadiusNm, 45);
    EXPECT_EQ(d.blendSeconds, 10);
    EXPECT_EQ(d.refreshMinutes, 0);
    EXPECT_NE(program.read("zephyra.ini").find("Url=http://example/metars.txt"), std::string::npos);
}
