#include "cli/FlightGearFly.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <sstream>
#include <thread>

#include "simlink/FakePropertyServer.h"
#include "support/TempDir.h"

namespace zephyra::cli {
namespace {

// A "FlightGear" reporting the aircraft at 5000 ft and 120 kt, and a plan from Start to End.
class FlightGearFly : public ::testing::Test {
  protected:
    void setUp(const char* lat, const char* lon, double endLat, double endLon, const char* spd) {
        at(lat, lon);
        server.set("/position/altitude-ft", "5000");
        server.set("/instrumentation/airspeed-indicator/true-speed-kt", "120");
        flight.addFromPicture(flightplan::FoundNavaid{"Start", "A", std::stod(lat), std::stod(lon)},
                              "Start", "6000", spd);
        flight.addFromPicture(flightplan::FoundNavaid{"End", "A", endLat, endLon}, "End", "6000",
                              spd);
    }
    void at(const char* lat, const char* lon) {
        server.set("/position/latitude-deg", lat);
        server.set("/position/longitude-deg", lon);
    }
    int fly(const LiveFlightOptions& options) {
        simlink::FlightGearLink link({.port = server.port()});
        return flyOnFlightGear(flight, link, options, out, err);
    }
    long sends(const std::string& line) {
        const auto lines = server.lines();
        return std::count(lines.begin(), lines.end(), line);
    }
    test::FakePropertyServer server;
    flightplan::FlightPlan flight;
    std::ostringstream out, err;
};

// Over the first waypoint and 1 nm short of the second: the first tick passes the first and
// steers the heading bug with its lock, the next one arrives.
TEST_F(FlightGearFly, SteersTheAutopilotThroughThePropertyServerAndArrives) {
    setUp("40.0", "-75.0", 40.0166, -75.0, "110");
    server.set("/environment/magnetic-variation-deg", "-12");
    LiveFlightOptions options;
    options.tickSeconds = 0.05;
    options.maxSeconds = 5;
    EXPECT_EQ(fly(options), 0) << err.str();
    EXPECT_NE(out.str().find("arrived at End"), std::string::npos) << out.str();
    const auto lines = server.lines();
    for (const std::string prefix : {"setd /autopilot/settings/heading-bug-deg ",
                                     "set /autopilot/locks/heading dg-heading-hold",
                                     "setd /autopilot/settings/target-altitude-ft 6000"}) {
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.starts_with(prefix);
        })) << prefix;
    }
}

// Atlanta towards Chattanooga with a METAR file of the two, the clock a hundred times faster:
// Atlanta's weather goes at once; moved close to Chattanooga after the first tick, the aircraft
// gets its weather with the next closest-station timer over 60 one-second periods, arrives early
// in the transition, and the flight ends once the transition is over.
TEST_F(FlightGearFly, DeliversTheStationWeatherOnTheFlightsClock) {
    const std::string shipped = std::string(ZEPHYRA_PROGRAM_DIR) + "/vanedb.mdb";
    if (!std::filesystem::exists(shipped)) {
        GTEST_SKIP() << "no database at " << shipped;
    }
    test::TempDir dir;
    setUp("33.64", "-84.43", 35.03, -85.20, "120");
    LiveFlightOptions options;
    options.timeScale = 100;
    options.maxSeconds = 1000;
    options.weather.database = shipped;
    options.weather.metarFile = dir.write("metars.txt",
                                          "KATL 061152Z 27010KT 10SM FEW030 10/02 A3001\n"
                                          "KCHA 061153Z 36005KT 5SM BKN020 05/01 A2990\n");
    const std::string pressure =
        "setd /environment/config/boundary/entry[0]/pressure-sea-level-inhg";
    // Moves the aircraft once the given line has come, at most ten seconds on.
    auto moveAfter = [&](const std::string& line, const char* lat, const char* lon) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (sends(line) == 0 && std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        at(lat, lon);
    };
    auto mover = std::async(std::launch::async, [&] {
        moveAfter("set /autopilot/locks/heading dg-heading-hold", "34.9", "-85.2");
        moveAfter(pressure + " 29.9", "35.02", "-85.20");
    });
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(fly(options), 0) << err.str() << out.str();
    mover.wait();
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));

    for (const char* seen :
         {"weather of KATL (Hartsfield Jackson Atlanta International Airport)\n          sent "
          "temperature 50 \u00B0F, pressure 1016.3 mb, visibility 10 mi",
          "weather of KCHA (Chattanooga Metropolitan Airport (Lovell Field))\n          sent "
          "temperature 41 \u00B0F, pressure 1012.5 mb",
          "arrived at End"}) {
        EXPECT_NE(out.str().find(seen), std::string::npos) << seen << "\n" << out.str();
    }
    // The pressure goes at once: Atlanta's once, then Chattanooga's with each of the 60 periods.
    EXPECT_EQ(sends(pressure + " 30.01"), 1);
    EXPECT_EQ(sends(pressure + " 29.9"), 60);
    // KATL's FEW030 is few with the first-run settings' new clouds on (they are for FS98).
    EXPECT_GE(sends("set /environment/clouds/layer[0]/coverage few"), 1);
    // KATL's 50 F (10 C) at 1023 ft is 12 C at sea level, not 50 C.
    EXPECT_GE(sends("setd /environment/config/boundary/entry[0]/temperature-sea-level-degc 12"), 1);
    EXPECT_EQ(sends("setb /environment/params/metar-updates-environment false"), 1);
}

TEST(FlightGearFlyNoServer, IsAClearError) {
    simlink::FlightGearLink link({.port = 1});
    flightplan::FlightPlan flight;
    std::ostringstream out, err;
    EXPECT_EQ(flyOnFlightGear(flight, link, {}, out, err), 1);
    EXPECT_NE(err.str().find("FlightGear does not answer on 127.0.0.1:1"), std::string::npos);
}

}  // namespace
}  // namespace zephyra::cli
