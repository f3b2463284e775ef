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

// A plan flown in a "FlightGear" that reports the aircraft over the first waypoint and 1 nm
// short of the second: the first tick passes the first and steers the heading bug with its
// lock, the next one arrives.
TEST(FlightGearFly, SteersTheAutopilotThroughThePropertyServerAndArrives) {
    test::FakePropertyServer server;
    server.set("/position/latitude-deg", "40.0");
    server.set("/position/longitude-deg", "-75.0");
    server.set("/position/altitude-ft", "5000");
    server.set("/instrumentation/airspeed-indicator/true-speed-kt", "120");
    server.set("/environment/magnetic-variation-deg", "-12");
    flightplan::FlightPlan flight;
    flight.addFromPicture(flightplan::FoundNavaid{"Start", "A", 40.0, -75.0}, "Start", "6000",
                          "110");
    flight.addFromPicture(flightplan::FoundNavaid{"End", "A", 40.0166, -75.0}, "End", "6000",
                          "110");
    simlink::FlightGearSettings settings;
    settings.port = server.port();
    simlink::FlightGearLink link(settings);
    std::ostringstream out, err;
    LiveFlightOptions options;
    options.tickSeconds = 0.05;
    options.maxSeconds = 5;
    EXPECT_EQ(flyOnFlightGear(flight, link, options, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("arrived at End"), std::string::npos) << out.str();

    const auto lines = server.lines();
    auto sent = [&](const std::string& prefix) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    };
    EXPECT_TRUE(sent("setd /autopilot/settings/heading-bug-deg "));
    EXPECT_TRUE(sent("set /autopilot/locks/heading dg-heading-hold"));
    EXPECT_TRUE(sent("setd /autopilot/settings/target-altitude-ft 6000"));
}

// A flight from Atlanta towards Chattanooga with a METAR file of the two, the clock a hundred
// times faster than real time. Atlanta's weather goes at once; after the first tick the aircraft
// is moved close to Chattanooga, whose weather comes with the next closest-station timer over a
// transition of 60 one-second periods. The aircraft arrives early in the transition, and the
// flight ends once the transition is over.
TEST(FlightGearFly, DeliversTheStationWeatherOnTheFlightsClock) {
    const std::string shipped = std::string(ZEPHYRA_PROGRAM_DIR) + "/vanedb.mdb";
    if (!std::filesystem::exists(shipped)) {
        GTEST_SKIP() << "no database at " << shipped;
    }
    test::TempDir dir;
    test::FakePropertyServer server;
    server.set("/position/latitude-deg", "33.64");
    server.set("/position/longitude-deg", "-84.43");
    server.set("/position/altitude-ft", "5000");
    server.set("/instrumentation/airspeed-indicator/true-speed-kt", "120");
    flightplan::FlightPlan flight;
    flight.addFromPicture(flightplan::FoundNavaid{"Start", "A", 33.64, -84.43}, "Start", "6000",
                          "120");
    flight.addFromPicture(flightplan::FoundNavaid{"End", "A", 35.03, -85.20}, "End", "6000", "120");
    simlink::FlightGearSettings settings;
    settings.port = server.port();
    simlink::FlightGearLink link(settings);
    LiveFlightOptions options;
    options.timeScale = 100;
    options.maxSeconds = 1000;
    options.weather.database = shipped;
    options.weather.metarFile = dir.write("metars.txt",
                                          "KATL 061152Z 27010KT 10SM FEW030 10/02 A3001\n"
                                          "KCHA 061153Z 36005KT 5SM BKN020 05/01 A2990\n");
    const std::string chattanooga =
        "setd /environment/config/boundary/entry[0]/pressure-sea-level-inhg 29.9";
    auto sendsOf = [&](const std::string& line) {
        const auto lines = server.lines();
        return std::count(lines.begin(), lines.end(), line);
    };
    // Moves the aircraft once the given line has come, at most ten seconds on.
    auto moveAfter = [&](const std::string& line, const char* lat, const char* lon) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (sendsOf(line) == 0 && std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        server.set("/position/latitude-deg", lat);
        server.set("/position/longitude-deg", lon);
    };
    auto mover = std::async(std::launch::async, [&] {
        // The first tick has read the start and steered (after Atlanta's weather).
        moveAfter("set /autopilot/locks/heading dg-heading-hold", "34.9", "-85.2");
        moveAfter(chattanooga, "35.02", "-85.20");
    });
    std::ostringstream out, err;
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(flyOnFlightGear(flight, link, options, out, err), 0) << err.str() << out.str();
    mover.wait();
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));

    EXPECT_NE(out.str().find("weather of KATL (Hartsfield Jackson Atlanta International "
                             "Airport)\n          sent temperature 50 \u00B0F, pressure 1016.3 mb, "
                             "visibility 10 mi"),
              std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("weather of KCHA (Chattanooga Metropolitan Airport (Lovell "
                             "Field))\n          sent temperature 41 \u00B0F, pressure 1012.5 mb"),
              std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("arrived at End"), std::string::npos) << out.str();
    // The pressure goes at once: Atlanta's once, then Chattanooga's with each of the
    // transition's 60 periods.
    EXPECT_EQ(sendsOf("setd /environment/config/boundary/entry[0]/pressure-sea-level-inhg 30.01"),
              1);
    EXPECT_EQ(sendsOf(chattanooga), 60);
    // KATL's FEW030 is few with the first-run settings' new clouds on (they are for FS98).
    EXPECT_GE(sendsOf("set /environment/clouds/layer[0]/coverage few"), 1);
    // KATL's 50 F (10 C) at 1023 ft is 12 C at sea level, not 50 C.
    EXPECT_GE(sendsOf("setd /environment/config/boundary/entry[0]/temperature-sea-level-degc 12"),
              1);
    EXPECT_EQ(sendsOf("setb /environment/params/metar-updates-environment false"), 1);
}

TEST(FlightGearFly, NoServerIsAClearError) {
    simlink::FlightGearSettings settings;
    settings.port = 1;
    simlink::FlightGearLink link(settings);
    flightplan::FlightPlan flight;
    std::ostringstream out, err;
    EXPECT_EQ(flyOnFlightGear(flight, link, {}, out, err), 1);
    EXPECT_NE(err.str().find("FlightGear does not answer on 127.0.0.1:1"), std::string::npos);
}

}  // namespace
}  // namespace zephyra::cli
