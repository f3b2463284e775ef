// Real weather, the built-in aircraft and the delivery on virtual time.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "cli/DeliveryCommands.h"
#include "delivery/WeatherDelivery.h"
#include "platform/Random.h"
#include "platform/ScriptedDialogs.h"
#include "platform/VirtualScheduler.h"
#include "simlink/BuiltInAircraft.h"
#include "support/RealData.h"
#include "support/TempDir.h"
#include "weather/WeatherDb.h"
#include "weather/WeatherLoader.h"

namespace zephyra {
namespace {

class QuietLoadHost final : public weather::LoadHost {
  public:
    void setStatus(const std::string&) override {}
    void processEvents() override {}
    void setRandomTimerInterval(int) override {}
};

// Records every station switch with the number of sends it took.
class FlightHost final : public delivery::DeliveryHost {
  public:
    explicit FlightHost(simlink::BuiltInAircraft& sim) : sim_(sim) {}
    struct Switch {
        std::string from, to;
        int sends = 0;
    };
    std::vector<Switch> switches;
    int transitionsDone = 0;
    std::function<void(const Switch&)> afterSwitch;
    void setStatus(const std::string& text) override {
        transitionsDone += text == "Transition 60" ? 1 : 0;
    }
    bool sendWeatherOn() override { return true; }
    std::optional<std::pair<double, double>> aircraftPosition() override {
        return std::make_pair(sim_.get_curr_lat(), sim_.get_curr_lon());
    }
    // Written after every send of the tracking, and only then.
    void showLastStation(const std::string& text) override {
        const int sends = sim_.callCount("upd_temps");
        switches.push_back({switches.empty() ? "" : switches.back().to, text, sends - counted_});
        counted_ = sends;
        if (afterSwitch) {
            afterSwitch(switches.back());
        }
    }

  private:
    simlink::BuiltInAircraft& sim_;
    int counted_ = 0;
};

TEST(RealWeather, EachChangeOfStationGivesOneTransition) {
    const std::string shipped = std::string(ZEPHYRA_PROGRAM_DIR) + "/vanedb.mdb";
    if (!std::filesystem::exists(shipped)) {
        GTEST_SKIP() << "no database at " << shipped << " (build the target zephyra_database)";
    }
    test::TempDir dir;
    std::filesystem::copy_file(shipped, dir.file("vanedb.mdb"));
    dir.write("metars.txt", test::realData("metar/awc_metars_2022-10-23T11Z.txt"));
    auto db = weather::WeatherDb::open(dir.file("vanedb.mdb"));
    ASSERT_TRUE(db);
    platform::VirtualScheduler clock;
    platform::PinnedRandom random;
    weather::LoadedWeather loaded;
    platform::ScriptedDialogs dialogs;
    QuietLoadHost loadHost;
    weather::WeatherLoader loader(*db, random, dialogs, clock, loadHost, loaded);
    ASSERT_TRUE(loader.loadMetar(dir.file("metars.txt"), false).finished);

    simlink::BuiltInAircraft sim(clock);
    FlightHost host(sim);
    delivery::WeatherDelivery delivery(sim, clock, random, host, dir.file("vanedb.mdb"),
                                       loaded.stations, loaded.precipitation);
    auto& settings = delivery.settings();
    settings.MaxTurb = 100;
    settings.UnlimitedVis = 30;
    settings.NewClouds = false;

    // After every switch the simulator holds the new station's values within the limits.
    host.afterSwitch = [&](const FlightHost::Switch& s) {
        SCOPED_TRACE(s.from + " -> " + s.to);
        auto r = db->findWeather(s.to);
        ASSERT_TRUE(r);
        const auto& held = sim.weather();
        EXPECT_EQ(held.temperatures.degrees[0], r->t0Deg);
        EXPECT_EQ(held.temperatures.pressureMb, std::min(r->Pressure, 1185.0));
        EXPECT_EQ(held.visibilityStatuteMiles,
                  std::clamp(std::nearbyint(r->Visibility), 0.0625, 30.0));
        EXPECT_EQ(held.cloud1.turbulence, std::min(r->Cl1Turb, 100.0));
        EXPECT_LE(held.wind[2].turbulence, 100.0);
        EXPECT_EQ(held.cloud2.base, std::max(r->cl2Base, 0));
    };

    // From Atlanta north at 300 knots, then east: past a dozen stations.
    const auto atlanta = db->airportPosition("KATL");
    ASSERT_TRUE(atlanta);
    sim.setLatitude(atlanta->first);
    sim.setLongitude(atlanta->second);
    sim.setAltitude(5000);
    sim.setAirspeed(300);
    sim.setHeading(0);
    sim.start();
    delivery.tracker().startTracking();  // the first navigation tick with a position
    delivery.armTimers();
    clock.advance(30 * 60);
    sim.setHeading(90);
    clock.advance(30 * 60);

    ASSERT_GE(host.switches.size(), 5u);
    EXPECT_EQ(host.switches[0].to, "KATL");
    EXPECT_EQ(host.switches[0].sends, 1);
    for (std::size_t i = 1; i < host.switches.size(); ++i) {
        const auto& s = host.switches[i];
        EXPECT_NE(s.from, s.to);
        const bool layer2Vanishes =
            db->findWeather(s.from)->cl2Base > 0 && db->findWeather(s.to)->cl2Base == 0;
        EXPECT_EQ(s.sends, layer2Vanishes ? 61 : 60) << s.from << " -> " << s.to;
    }
    EXPECT_EQ(host.transitionsDone, static_cast<int>(host.switches.size()) - 1);

    // The command-line report and search read the same loaded weather.
    db.reset();
    std::ostringstream out, err;
    EXPECT_EQ(cli::runClosestCommand({"33.64", "-84.43", "--db", dir.file("vanedb.mdb")}, out, err),
              0);
    EXPECT_EQ(out.str().substr(0, 5), "KATL-") << err.str();
    EXPECT_EQ(cli::runReportCommand({"kjfk", "--db", dir.file("vanedb.mdb")}, out, err), 0);
    EXPECT_NE(out.str().find("KJFK 231051Z COR 02008KT"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace zephyra
