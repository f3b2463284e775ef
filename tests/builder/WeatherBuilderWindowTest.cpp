// The Weather Builder window, and custom weather built, saved, loaded with Yes and flown.

#include "builder/WeatherBuilderWindow.h"

#include <cstdlib>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "shell/BuilderBinder.h"
#include "shell/VaneWindow.h"
#include "support/WindowFixture.h"
#include "weather/WeatherDb.h"

using namespace zephyra;
using platform::Answer;

namespace {

// Three waypoints a degree of latitude apart, and the weather each gets in the Builder.
struct Attachment {
    int row;
    const char *density, *base, *top, *temperature, *pressure;
};
const Attachment kWeather[] = {{0, "Overcast", "1500", "4000", "50", "29.50"},
                               {1, "3/8", "6000", "8000", "41", "30.10"},
                               {2, "1/8", "12000", "13000", "32", "29.00"}};
constexpr const char* kPlan =
    "Alpha|33|-84|6000|250\r\nBravo|34|-84|6000|250\r\nCharlie|35|-84|6000|250\r\n";

class BuilderWindowTest : public test::WindowFixture {
  protected:
    void SetUp() override {
        weather::WeatherDb::open(program.file("vanedb.mdb"));
        writeDefaultParams();
        vane = std::make_unique<shell::VaneWindow>(context);
        ASSERT_EQ(vane->load(), shell::VaneWindow::LoadResult::MainWindow);
        vane->show();
    }
    builder::WeatherBuilderWindow* openBuilder() {
        click(vane->picture("Picture10"));
        return vane->findChild<shell::BuilderBinder*>()->window();
    }
    void loadPlan(builder::WeatherBuilderWindow& w) {
        program.write("plan.fpl", kPlan);
        dialogs.queueFile(program.file("plan.fpl"));
        w.control<QPushButton>("Command6")->click();
    }
    void attach(builder::WeatherBuilderWindow& w, const Attachment& a) {
        w.control<QListWidget>("FltPlnLst")->setCurrentRow(a.row);
        w.control<QComboBox>("Cld1Cmb")->setCurrentText(a.density);
        w.control<QLineEdit>("Cld1B")->setText(a.base);
        w.control<QLineEdit>("Cld1T")->setText(a.top);
        w.control<QLineEdit>("TempTxt")->setText(a.temperature);
        w.control<QLineEdit>("BaroTxt")->setText(a.pressure);
        w.control<QLineEdit>("W0DirTxt")->setText("240");
        w.control<QLineEdit>("W0SpdTxt")->setText("15");
        w.control<QComboBox>("VisiCmb")->setCurrentText("5 Miles");
        w.control<QComboBox>("PrecipCmb")->setCurrentIndex(a.row + 3);
        w.control<QPushButton>("Command14")->click();
    }
    std::unique_ptr<shell::VaneWindow> vane;
};

TEST_F(BuilderWindowTest, OpensAtAFreshStartAndAsksBeforeLosingWork) {
    // Refused only while waypoints load.
    context.waypoints.loadingFlag = 0;
    click(vane->picture("Picture10"));
    EXPECT_EQ(dialogs.lastMessage(),
              "Waypoints are currenly loading. Please wait until they are finished before using "
              "METGEN.");
    context.waypoints.loadingFlag = -1;
    dialogs.clear();
    auto* w = openBuilder();
    ASSERT_TRUE(w);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_FALSE(w->control<QLineEdit>("Cld2B")->isVisibleTo(w));
    w->control<QRadioButton>("OptCB2")->click();
    EXPECT_TRUE(w->control<QLineEdit>("SWTop")->isVisibleTo(w));
    EXPECT_FALSE(w->control<QLineEdit>("Cld1B")->isVisibleTo(w));

    // Attach without a selection, then the questions of Exit and closing.
    loadPlan(*w);
    attach(*w, {-1, "Clear", "1000", "2000", "50", "29.92"});
    EXPECT_EQ(dialogs.lastMessage(), "You must select a waypoint to attach to.");
    dialogs.queueAnswer(Answer::No);
    w->control<QPushButton>("Command15")->click();
    EXPECT_EQ(dialogs.lastMessage(), "Flight plan not yet saved. Are you sure you want to exit?");
    EXPECT_TRUE(w->isVisible());

    attach(*w, kWeather[0]);
    EXPECT_EQ(dialogs.shown().back().message.title, "Added Weather");
    dialogs.queueAnswer(Answer::No);
    w->control<QPushButton>("Command15")->click();
    EXPECT_EQ(dialogs.lastMessage(), "Are you sure you want to exit without saving?");
    EXPECT_TRUE(w->isVisible());

    // Show Attached Weather on Selection.
    w->control<QCheckBox>("Check1")->setChecked(true);
    w->control<QListWidget>("AltLst")->setCurrentRow(1);
    EXPECT_EQ(w->control<QListWidget>("FltPlnLst")->currentRow(), 1);
    EXPECT_EQ(w->control<QComboBox>("Cld1Cmb")->currentText(), "None");
}

TEST_F(BuilderWindowTest, MetricWeatherShownBackAsTyped) {
    context.settings.UOM = "M";
    auto* w = openBuilder();
    ASSERT_TRUE(w);
    loadPlan(*w);
    attach(*w, {1, "3/8", "1000", "2000", "15", "1013"});
    ASSERT_EQ(w->builder().counter, 1);

    w->control<QCheckBox>("Check1")->setChecked(true);
    w->control<QListWidget>("FltPlnLst")->setCurrentRow(0);
    w->control<QListWidget>("FltPlnLst")->setCurrentRow(1);
    EXPECT_EQ(w->control<QLineEdit>("Cld1B")->text(), "1000");
    EXPECT_EQ(w->control<QLineEdit>("BaroTxt")->text(), "1013");
    // The picture of the user's guide: the metric plan's weather shown back.
    if (const char* shot = std::getenv("ZEPHYRA_SCREENSHOT_METRIC")) {
        w->control<QComboBox>("Cld1Cmb")->setFocus();
        QApplication::processEvents();
        w->grab().save(QString::fromLocal8Bit(shot));
    }
}

TEST_F(BuilderWindowTest, BuiltSavedLoadedWithYesAndFlown) {
    auto* w = openBuilder();
    ASSERT_TRUE(w);
    loadPlan(*w);
    ASSERT_EQ(w->control<QListWidget>("FltPlnLst")->count(), 3);
    for (const auto& a : kWeather) {
        attach(*w, a);
    }
    ASSERT_EQ(w->builder().counter, 3);
    // The picture of the documentation: the second waypoint's weather shown on selection.
    if (const char* shot = std::getenv("ZEPHYRA_SCREENSHOT")) {
        w->control<QCheckBox>("Check1")->setChecked(true);
        w->control<QListWidget>("FltPlnLst")->setCurrentRow(1);
        QApplication::processEvents();
        w->grab().save(QString::fromLocal8Bit(shot));
    }
    dialogs.queueFile(program.file("wx.fpl"));
    w->control<QPushButton>("Command5")->click();
    w->close();

    // Loaded in the main window with Yes: three pseudo-stations, each sent as the aircraft nears
    // it (the nearest station's delivery).
    program.write("zephyra.ini", "[Delivery]\nMode=nearest\n");
    platform.simulatorRunning = true;
    dialogs.queueAnswer(Answer::Yes);
    dialogs.queueFile(program.file("wx.fpl"));
    click(vane->picture("Picture1"));
    EXPECT_EQ(context.weather.stations.count(), 3);
    EXPECT_EQ(vane->label("Label19")->text(), "the flight plan's weather");

    // Flown north from south of the first waypoint: each switch brings that waypoint's weather.
    std::vector<std::string> switches;
    QObject::connect(vane->textBox("LastStation"), &QLineEdit::textChanged, [&](const QString& id) {
        if (id.isEmpty()) {
            return;
        }
        const auto& a = kWeather[id.toInt()];
        SCOPED_TRACE(id.toStdString());
        const auto& held = aircraft.weather();
        EXPECT_EQ(held.cloud1.base, std::atoi(a.base));
        EXPECT_EQ(held.cloud1.top, std::atoi(a.top));
        EXPECT_EQ(held.temperatures.degrees[0], std::atoi(a.temperature));
        EXPECT_NEAR(held.temperatures.pressureMb, std::atof(a.pressure) * 33.8639, 0.01);
        // The switch comes as the aircraft nears the waypoint: it is the closest.
        EXPECT_NEAR(aircraft.latitude(), 33 + id.toInt(), 0.55);
        switches.push_back(id.toStdString());
    });
    aircraft.setLatitude(32.7);
    aircraft.setLongitude(-84);
    aircraft.setAltitude(6000);
    aircraft.setAirspeed(250);
    aircraft.setHeading(0);
    aircraft.start();
    vane->checkBox("UPDHDG")->setChecked(true);
    vane->command("Command11")->click();
    scheduler.advance(3600);
    EXPECT_EQ(switches, (std::vector<std::string>{"0000", "0001", "0002"}));
}

}  // namespace
