#include <QFileDialog>
#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "MainWindowFixture.h"
#include "platform/qt/QtDialogs.h"
#include "shell/DeliveryActions.h"
#include "shell/WeatherActions.h"
#include "simlink/FakePropertyServer.h"
#include "simlink/FlightGearLink.h"
#include "support/DbRows.h"
#include "weather/Taf.h"
#include "weather/TafStore.h"
#include "weather/WeatherDb.h"

using namespace zephyra;
using shell::VaneWindow;

namespace {

const char* const kReports =
    "KATL 121756Z 27010G18KT 10SM -RA BKN025 OVC080 12/08 A2992\r\n"
    "KMCN 121756Z 09005KT 10SM SKC 20/08 A2992\r\n";

class WeatherPathTest : public test::MainWindowFixture {
  protected:
    void SetUp() override {
        auto db = weather::WeatherDb::open(program.file("vanedb.mdb"));
        test::addStation(*db, {"KATL", "3338N", "08426W", 0});
        test::addStation(*db, {"KMCN", "3242N", "08339W", 100});
        test::addWps(*db, {"Atlanta", "V", "333747", -1, "0842606", -1, "116.90", ""});
        db.reset();
        nearestStation();

        vane = openMain();
        platform.simulatorRunning = true;
    }
    // The nearest station's weather in transitions, which most of these tests follow.
    void nearestStation() { program.write("zephyra.ini", "[Delivery]\nMode=nearest\n"); }
    // One overcast report of KATL, 3 h 46 min before the scheduler's wall clock.
    void addKatlReport() {
        auto db = weather::WeatherDb::open(program.file("vanedb.mdb"));
        weather::WeatherRecord r;
        r.ID = "KATL";
        r.cl1Base = 2500;
        r.Cl1Coverage = 8;
        r.Visibility = 10;
        r.Pressure = 1013;
        r.t0Deg = 59;
        r.ObsTime = "2001-09-08T22:00Z";
        ASSERT_EQ(db->addWeather(r), weather::WeatherDb::AddResult::Added);
        context.weather.stations = db->stationList();
    }
    // Updates from the reports given, as picked earlier.
    void update(const std::string& reports = kReports) {
        vane->label("all_vane")->setText(QString::fromStdString(program.write("wx.txt", reports)));
        vane->press("Command3");
    }
    int weatherRecords() {
        return weather::WeatherDb::open(program.file("vanedb.mdb"))->weatherCount();
    }

    std::unique_ptr<VaneWindow> vane;
};

}  // namespace

// Update without a file asks for one; a cancelled file dialog changes nothing.
TEST_F(WeatherPathTest, WithoutAFileNothingLoads) {
    vane->press("Command2");
    EXPECT_EQ(vane->label("all_vane")->text(), "");
    EXPECT_TRUE(dialogs.messages().empty());
    vane->press("Command3");
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{"You must select a file."});
    EXPECT_EQ(weatherRecords(), 0);
    EXPECT_EQ(vane->textBox("Text8")->text(), "0");
}

// A load without reports says so; the settings' reload rebuilds the store by waypoint type.
TEST_F(WeatherPathTest, LoadMetarDecodesAndLoadsTheWaypoints) {
    dialogs.queueFile(program.write("empty.txt", "no reports here\r\n"));
    vane->press("Command2");
    EXPECT_EQ(vane->label("Label15")->text(), "No weather loaded...");
    dialogs.clear();
    const std::string file = program.write("weather/today.txt", kReports);
    dialogs.queueFile(file);
    click(vane->picture("Picture2"));
    EXPECT_EQ(dialogs.shown().front().file.initialDir, program.path());
    EXPECT_EQ(vane->label("all_vane")->text().toStdString(), file);
    EXPECT_EQ(vane->label("Label19")->text(), "today.txt");
    EXPECT_EQ(vane->label("Label15")->text(), "");
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{"Done Processing 2 stations."});
    EXPECT_EQ(weatherRecords(), 2);
    EXPECT_EQ(context.weather.stations.count(), 2);
    EXPECT_EQ(vane->textBox("Text8")->text(), "1");
    EXPECT_EQ(context.waypoints.WpsCount, 3);  // the VOR and the two stations
    EXPECT_EQ(vane->closest().interval(), 60000);

    context.settings.Wayp = 3;
    vane->textBox("Text8")->setText("0");
    vane->reloadWaypoints();
    EXPECT_EQ(context.waypoints.WpsCount, 2);
}

TEST_F(WeatherPathTest, FileDialogFilterIsInQtsFormAndIgnoresLetterCase) {
    const platform::FileRequest request{"Load METAR", program.path(),
                                        "METAR Weather (*.txt)|*.txt|All files|*"};
    auto dialog = platform::QtDialogs::makeFileDialog(request, nullptr);
    EXPECT_EQ(dialog->nameFilters(), QStringList({"METAR Weather (*.txt)", "All files (*)"}));
    EXPECT_FALSE(dialog->filter().testFlag(QDir::CaseSensitive));  // NOAA's 11Z.TXT shows
}

TEST_F(WeatherPathTest, UnixLineEndsAreRepairedIntoTheScratchFileForMetarOnly) {
    const std::string text =
        "KATL 121756Z 27010KT 10SM SKC 12/08 A2992\nKMCN 121756Z 09005KT 10SM SKC 20/08 A2992\n";
    const std::string file = program.write("unix.txt", text);
    vane->label("all_vane")->setText(QString::fromStdString(file));
    vane->option("optSA")->setChecked(true);
    vane->press("Command3");
    EXPECT_FALSE(program.exists("vane1.txt"));

    dialogs.clear();
    vane->option("optMETAR")->setChecked(true);
    vane->press("Command3");
    EXPECT_EQ(program.read("unix.txt"), text);  // the picked file stays as it was
    EXPECT_EQ(program.read("vane1.txt").substr(0, 43),
              "KATL 121756Z 27010KT 10SM SKC 12/08 A2992\r\n");
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{"Done Processing 2 stations."});
}

TEST_F(WeatherPathTest, ADatabaseThatCannotBeOpenedIsNamedAndTrackingStillStarts) {
    program.write("vanedb.mdb", "");
    vane->timer1().setInterval(0);
    vane->closest().setInterval(0);
    update();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].message.text,
              "The weather database \"" + program.file("vanedb.mdb") +
                  "\" is empty. Rebuild it with \"zephyra-cli build-db\".");
    EXPECT_EQ(program.read("vanedb.mdb"), "");
    EXPECT_EQ(vane->textBox("Text8")->text(), "0");
    EXPECT_EQ(vane->closest().interval(), 60000);
    EXPECT_TRUE(vane->isEnabled());
}

TEST_F(WeatherPathTest, UseLastWeatherReusesTheTable) {
    vane->press("Command5");
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{weather::kNoWeatherMessage});
    update();
    dialogs.clear();
    context.weather = {};
    dialogs.queueAnswer(platform::Answer::No);
    click(vane->picture("Picture4"));
    EXPECT_EQ(context.weather.stations.count(), 0);
    dialogs.queueAnswer(platform::Answer::Yes);
    click(vane->picture("Picture4"));
    EXPECT_EQ(dialogs.messages(),
              std::vector<std::string>(2, "Are you sure you want to use the last weather loaded?"));
    EXPECT_EQ(context.weather.stations.count(), 2);
    EXPECT_EQ(context.shared.useLastWeather, 0);
    EXPECT_EQ(vane->textBox("Text8")->text(), "1");
}

TEST_F(WeatherPathTest, ASecondLoadCannotStartInsideTheFirst) {
    int nested = 0;
    dialogs.onMessage = [&](const platform::MessageRequest& m) {
        if (m.text.rfind("Done Processing", 0) == 0 && nested++ == 0) {
            EXPECT_TRUE(vane->weatherActions().busy());
            vane->press("Command3");
            vane->press("Command5");
        }
    };
    update();
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{"Done Processing 2 stations."});
    EXPECT_FALSE(vane->weatherActions().busy());
}

// The report needs a station; the closest tick finds it, sends and shows its report.
TEST_F(WeatherPathTest, ClosestTickSendsAndShowsTheReport) {
    addKatlReport();
    vane->press("Command4");
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{"ICAO Station Weather not Found"});
    dialogs.clear();
    vane->closest().setInterval(60000);
    vane->textBox("Text1")->setText("33.6300");
    vane->textBox("Text2")->setText("-84.4300");
    scheduler.advance(60);
    EXPECT_EQ(vane->label("Text3")->text(), "KATL-Station KATL, GA");
    EXPECT_EQ(vane->textBox("LastStation")->text(), "KATL");
    // An old report: the station and its age turn red, the age is in the tip; no message box.
    auto* age = vane->label("ReportAge");
    EXPECT_TRUE(age->isVisible());
    EXPECT_EQ(vane->label("Text3")->toolTip(), "KATL observed 22:00Z, 3 h 47 min ago");
    EXPECT_FALSE(age->styleSheet().isEmpty());
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(aircraft.callCount("upd_temps"), 1);
    // A minute later the age has moved on.
    scheduler.advance(60);
    EXPECT_EQ(age->text(), "observed 22:00Z, 3 h 48 min ago");
    EXPECT_TRUE(vane->label("Label15")->text().startsWith("KATL REPORT\nSkies: overcast at 2500"));

    vane->press("Command4");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].message.text.substr(0, 12), "KATL REPORT\n");

    // A plan with custom weather empties LastStation: the next send goes at once.
    vane->textBox("LastStation")->setText("");
    vane->command("Update_Vane")->click();
    EXPECT_EQ(aircraft.callCount("upd_temps"), 2);
    EXPECT_EQ(vane->textBox("LastStation")->text(), "KATL");

    // The random timer re-arms itself and varies the wind.
    random.setConstant(0.0);
    const int winds = aircraft.callCount("upd_wind3");
    vane->randomTimer().setInterval(60000);
    scheduler.advance(60);
    EXPECT_EQ(vane->randomTimer().interval(), 10000);
    EXPECT_EQ(aircraft.callCount("upd_wind3"), winds + 1);

    // With "Send Weather to FS" off, Manual Update runs its transition but sends nothing.
    vane->checkBox("upd_vane")->setChecked(false);
    vane->command("Update_Vane")->click();
    EXPECT_EQ(aircraft.callCount("upd_temps"), 2);
    EXPECT_EQ(vane->status(), "Transition 60");
}

// The first load of a run reaches the simulator at the first navigation tick, within five
// seconds, whether it is the built-in aircraft or FlightGear, blended or the nearest station's;
// the status line says what went.
TEST_F(WeatherPathTest, TheFirstLoadReachesTheSimulatorWithinFiveSeconds) {
    test::FakePropertyServer server;
    server.set("/position/latitude-deg", "33.63");
    server.set("/position/longitude-deg", "-84.43");
    server.set("/position/altitude-ft", "3000");
    simlink::FlightGearSettings fgSettings;
    fgSettings.port = server.port();
    fgSettings.freshFor = std::chrono::milliseconds(0);
    simlink::FlightGearLink flightGear(fgSettings);
    aircraft.setLatitude(33.63);
    aircraft.setLongitude(-84.43);
    aircraft.start();

    // Sends so far: a round counts those that come after its load.
    const auto fgSends = [&] {
        const auto lines = server.lines();
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.rfind("setd /environment/config/boundary/entry[0]/wind", 0) == 0;
        }));
    };
    const struct {
        const char* simulator;
        simlink::SimLink& sim;
        std::function<int()> sends;
    } cases[] = {
        {"built-in aircraft", aircraft, [&] { return aircraft.callCount("upd_temps"); }},
        // The server reads what the link wrote on its own thread, a frame later.
        {"FlightGear", flightGear,
         [&] {
             int n = fgSends();
             for (int frame = 0; frame < 5; ++frame) {
                 std::this_thread::sleep_for(std::chrono::milliseconds(10));
                 n = fgSends();
             }
             return n;
         }},
    };
    for (const auto& [mode, status] : {std::pair{"nearest", "KATL weather sent."},
                                       std::pair{"blended", "KATL 100% (report 0 min old)"}}) {
        program.write("zephyra.ini", std::string("[Delivery]\nMode=") + mode + "\n");
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.simulator) + ", " + mode);
            shell::AppContext fresh(scheduler, dialogs, random, platform, c.sim);
            fresh.builtIn = &c.sim == &aircraft ? &aircraft : nullptr;
            fresh.folders = context.folders;
            fresh.launchFolder = context.launchFolder;
            fresh.modalWindows = false;
            VaneWindow window(fresh);
            ASSERT_EQ(window.load(), VaneWindow::LoadResult::MainWindow);
            window.label("all_vane")
                ->setText(QString::fromStdString(program.write("wx.txt", kReports)));
            window.press("Command3");
            EXPECT_EQ(window.status(), "All waypoints loaded.");
            const int before = c.sends();
            int seconds = 0;
            while (c.sends() == before && seconds < 120) {
                scheduler.advance(1);
                ++seconds;
            }
            EXPECT_LE(seconds, 5);
            EXPECT_EQ(window.label("Text3")->text(), "KATL-Station KATL, GA");
            EXPECT_EQ(window.status(), status);
            // The report button tells the weather here while blending, else the station's.
            dialogs.clear();
            window.press("Command4");
            ASSERT_EQ(dialogs.shown().size(), 1u);
            const std::string report = dialogs.shown()[0].message.text;
            EXPECT_EQ(report.substr(0, 12),
                      mode == std::string("blended") ? "HERE REPORT\n" : "KATL REPORT\n");
            if (mode == std::string("blended")) {
                EXPECT_NE(report.find("Surface winds are 10 knots from 270 degrees.\n"),
                          std::string::npos)
                    << report;
                EXPECT_TRUE(report.ends_with("Blended here from KATL 100%.\n")) << report;
            }
        }
    }
}

// A loaded TAF is part of the Report box, not of the few lines under the station, where it
// would be cut off.
TEST_F(WeatherPathTest, TheTafIsInTheReportBoxNotTheReportLines) {
    addKatlReport();
    {
        auto db = weather::WeatherDb::open(program.file("vanedb.mdb"));
        const std::vector<weather::Taf> tafs = weather::readTafs(
            "TAF KATL 231120Z 2312/2418 09006KT P6SM FEW250 FM231600 11008KT P6SM SCT050=",
            1666525200);
        ASSERT_EQ(tafs.size(), 1u);
        ASSERT_TRUE(weather::replaceTafs(*db, tafs, nullptr));
    }
    vane->closest().setInterval(60000);
    vane->textBox("Text1")->setText("33.6300");
    vane->textBox("Text2")->setText("-84.4300");
    scheduler.advance(60);
    vane->press("Command6");
    const QString lines = vane->label("Label15")->text();
    EXPECT_TRUE(lines.startsWith("KATL REPORT\n")) << lines.toStdString();
    EXPECT_FALSE(lines.contains("TAF")) << lines.toStdString();
    vane->press("Command4");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_NE(dialogs.shown()[0].message.text.find("\nTAF KATL 231120Z"), std::string::npos);
}

// The station named in the status area and the report under it are always one station's:
// through the first send, a change of station in its sixty-step transition, and a reload.
TEST_F(WeatherPathTest, TheStationAndItsReportAreShownTogether) {
    std::vector<std::string> apart;
    auto check = [&](const char* when) {
        const QString name = vane->label("Text3")->text();
        const QString report = vane->label("Label15")->text();
        const bool together =
            name.isEmpty() ? report.isEmpty() : report.startsWith(name.left(4) + " REPORT\n");
        if (!together) {
            apart.push_back(std::string(when) + ": " + name.toStdString() + " over \"" +
                            report.left(12).toStdString() + "\"");
        }
    };
    aircraft.onChanged = [&] { check("in flight"); };
    aircraft.setLatitude(33.63);
    aircraft.setLongitude(-84.43);
    aircraft.start();
    update();
    check("after the load");
    scheduler.advance(5);
    ASSERT_EQ(vane->textBox("LastStation")->text(), "KATL");
    aircraft.setLatitude(32.7);
    aircraft.setLongitude(-83.65);
    scheduler.advance(125);  // the next search a minute after the load, then its transition
    ASSERT_EQ(vane->textBox("LastStation")->text(), "KMCN");
    update();
    check("after a reload");
    aircraft.onChanged = nullptr;
    EXPECT_EQ(apart, std::vector<std::string>{});
}

// A later load sends the closest station's new report too when the station stays the same: the
// next tick starts its transition from what the simulator holds.
TEST_F(WeatherPathTest, AReloadSendsTheSameStationsNewReport) {
    aircraft.setLatitude(33.63);
    aircraft.setLongitude(-84.43);
    aircraft.start();
    update();
    scheduler.advance(5);
    ASSERT_EQ(aircraft.weather().wind[0].direction, 270);
    update(
        "KATL 121856Z 09005KT 10SM SKC 14/08 A2992\r\n"
        "KMCN 121856Z 09005KT 10SM SKC 20/08 A2992\r\n");
    const int sends = aircraft.callCount("upd_temps");
    scheduler.advance(5);
    EXPECT_GT(aircraft.callCount("upd_temps"), sends);  // within five seconds of the load
    scheduler.advance(60);
    EXPECT_EQ(aircraft.weather().wind[0].direction, 90);
}
