#include "cli/FlightGearFly.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "simlink/FakePropertyServer.h"

namespace zephyra::cli {
namespace {

// Over the first waypoint and 1 nm short of the second: the first tick passes the first and
// steers the heading bug with its lock, the next one arrives.
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
    simlink::FlightGearLink link({.port = server.port()});
    LiveFlightOptions options;
    options.maxSeconds = 5;
    options.tickSeconds = 0.05;
    std::ostringstream out, err;
    EXPECT_EQ(flyOnFlightGear(flight, link, options, out, err), 0) << err.str();
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

TEST(FlightGearFly, NoServerIsAClearError) {
    simlink::FlightGearLink link({.port = 1});
    flightplan::FlightPlan flight;
    std::ostringstream out, err;
    EXPECT_EQ(flyOnFlightGear(flight, link, {}, out, err), 1);
    EXPECT_NE(err.str().find("FlightGear does not answer on 127.0.0.1:1"), std::string::npos);
}

}  // namespace
}  // namespace zephyra::cli
