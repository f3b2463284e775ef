#include "cli/FlightGearFly.h"

#include <gtest/gtest.h>

#include <sstream>

#include "simlink/FakePropertyServer.h"

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
