#include <gtest/gtest.h>

#include <cmath>

#include "flightplan/Navigator.h"
#include "platform/VirtualScheduler.h"
#include "simlink/BuiltInAircraft.h"

using namespace zephyra;
using flightplan::FlightPlan;
using flightplan::Navigator;

namespace {

class NavigationTest : public ::testing::Test {
  protected:
    platform::VirtualScheduler clock;
    simlink::BuiltInAircraft aircraft{clock};
    FlightPlan flight;
    std::int16_t firstConnection = 0;
    Navigator nav{flight, aircraft, firstConnection};
    std::string status;

    void SetUp() override {
        nav.status = [this] { return status; };
        nav.setStatus = [this](const std::string& s) { status = s; };
    }
    void place(double lat, double lon, double alt, double tas) {
        aircraft.setLatitude(lat);
        aircraft.setLongitude(lon);
        aircraft.setAltitude(alt);
        aircraft.setAirspeed(tas);
        aircraft.start();
    }
    void activate(double lat, double lon, std::int32_t alt = 0, double spd = 0) {
        flight.leg.FWAYP = "WAYPOINT";
        flight.leg.active = true;
        ++flight.leg.targets;
        flight.leg.CurWpLat = lat;
        flight.leg.CurWpLon = lon;
        flight.leg.CurWpAlt = alt;
        flight.leg.CurWpSpd = spd;
    }
    // The first argument of the last call of that name, 0 when none was made.
    double last(const char* call) const {
        const auto* c = aircraft.lastCall(call);
        return c ? c->args.at(0) : 0.0;
    }
};

// Equator, prime meridian, pole and date line are steered to like any other waypoint.
TEST_F(NavigationTest, CourseDistanceAndTimeEnRoute) {
    struct Case {
        double aLat, aLon, wLat, wLon, tas;
        std::string shown;  // distance/heading/hours/minutes/ground speed
    };
    const Case cases[] = {
        {33.64, -84.43, 40.64, -73.78, 120, "659/47/5/29/120"},
        {33.64, -84.43, 33.94, -84.43, 120, "18/0/0/9/120"},
        {33.64, -84.43, 33.94, -84.43, 40, "18/0/0/27/40"},
        {33.64, -84.43, 40.64, -73.78, 15, "659/47///"},  // below 20 kt: no time en route
        {1.0, 10.0, 0.0, 10.0, 120, "60/180/0/30/120"},
        {0.0, -1.0, 0.0, 0.0, 120, "60/90/0/30/120"},
        {0.5, 0.5, 0.0, 0.0, 120, "42/225/0/21/120"},
        {89.0, 20.0, 90.0, 0.0, 120, "60/359/0/30/120"},
        {10.0, 179.5, 10.0, -179.5, 120, "59/89/0/29/120"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        flight.display = {};
        place(c.aLat, c.aLon, 3000, c.tas);
        activate(c.wLat, c.wLon);
        EXPECT_EQ(nav.tick({}), Navigator::TickResult::Steered);
        const auto& d = flight.display;
        EXPECT_EQ(d.Dist + "/" + d.Hdg + "/" + d.HRS + "/" + d.MIN + "/" + d.TAS, c.shown);
    }
}

TEST_F(NavigationTest, WindCorrectionAndMagneticVariation) {
    // Due north, 10 degrees east variation, a 30-knot wind from the east at 120 kt true:
    // the heading turns into the wind by asin(30/120) = 14.5 degrees.
    place(33.0, -84.0, 3000, 120);
    aircraft.setMagVar(10);
    aircraft.upd_wind0(3000, 30, 90, 0, 0);
    activate(34.0, -84.0);
    nav.tick({});
    const auto& d = flight.display;  // heading 350 magnetic + 14.5 → 4.5
    EXPECT_EQ(d.Hdg + "/" + d.WindDir + "/" + d.WindSpd + "/" + d.altbrng, "4/90/30/10");
}

// At a layer's floor its own wind counts. A ground speed of 20 kt or less (here 60 kt true into
// 50 kt) times the descent on the true airspeed: 3 nm at 60 kt is inside the 4.2 minute lead.
TEST_F(NavigationTest, WindLayerFromItsFloorAndSlowGroundSpeedTimedOnTrueAirspeed) {
    place(33.0, -84.0, 5000, 120);
    aircraft.upd_wind0(5000, 30, 90, 0, 0);
    aircraft.upd_wind1(5000, 15000, 50, 360, 0, 0);
    activate(33.05, -84.0, 1000);
    nav.tick({});
    EXPECT_EQ(flight.display.WindDir + "/" + flight.display.WindSpd, "360/50");
    aircraft.setAltitude(5000);
    aircraft.setAirspeed(60);
    nav.tick({true, false});
    EXPECT_EQ(flight.display.TAS, "10");
    EXPECT_EQ(aircraft.callCount("upd_APAlt"), 1);
}

TEST_F(NavigationTest, AutopilotGetsSpeedAtOnceClimbsAtOnceAndDescentsOnTime) {
    struct Case {
        const char* what;
        double aircraftAlt;
        std::int32_t target;
        double spd;
        bool metric;
        double minutesOut, sentAlt;  // sentAlt 0: none sent
        const char* speedCall;
    };
    const Case cases[] = {
        {"climb, Mach", 3000, 9000, 0.78, false, 30, 9000, "upd_APMachNumber"},
        {"small climb far out", 3000, 3500, 250, false, 30, 3500, "upd_APAirSpeed"},
        {"no speed", 3000, 9000, 0, false, 30, 9000, nullptr},
        {"1 is knots, not Mach", 3000, 9000, 1, false, 30, 9000, "upd_APAirSpeed"},
        {"metres", 3000, 3000, 250, true, 30, 3000 * 3.2808, "upd_APAirSpeed"},
        // 12000 down to 8000: 4.2 minutes to descend and level off two minutes early.
        {"inside the descent lead", 12000, 8000, 250, false, 3.5, 8000, "upd_APAirSpeed"},
        {"before the top of descent", 12000, 8000, 180, false, 10.5, 0, "upd_APAirSpeed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        aircraft.clearLog();
        flight.display = {};
        place(33.0, -84.0, c.aircraftAlt, 240);  // 4 nm a minute
        activate(33.0 + c.minutesOut * 4.0 / 60.0, -84.0, c.target, c.spd);
        nav.tick({false, c.metric});  // A/P Update off: nothing goes out
        EXPECT_TRUE(aircraft.calls().empty());
        nav.tick({true, c.metric});
        nav.tick({true, c.metric});  // and nothing twice
        EXPECT_EQ(aircraft.callCount("upd_APHead"), 2);
        EXPECT_LE(aircraft.callCount("upd_APAlt"), 1);
        EXPECT_DOUBLE_EQ(last("upd_APAlt"), c.sentAlt);
        EXPECT_EQ(aircraft.callCount("upd_APMachNumber") + aircraft.callCount("upd_APAirSpeed"),
                  c.speedCall ? 1 : 0);
        EXPECT_DOUBLE_EQ(c.speedCall ? last(c.speedCall) : 0.0, c.spd);
    }
    // Send gives the new entry's targets at once.
    flight.plan.append({"NEXT", "15000", "210", 35.0, -84.0, 15000, 210});
    ASSERT_TRUE(flight.setNextWaypoint());
    nav.sendNow({true, false});
    EXPECT_DOUBLE_EQ(last("upd_APAirSpeed"), 210);
    EXPECT_DOUBLE_EQ(last("upd_APAlt"), 15000);  // a climb
    // Editing the active speed sends it again.
    ASSERT_TRUE(flight.setSpeed(std::nullopt, "200"));
    nav.tick({true, false});
    EXPECT_EQ(aircraft.callCount("upd_APAirSpeed"), 3);
    EXPECT_DOUBLE_EQ(last("upd_APAirSpeed"), 200);
}

// Flown on the clock: from 9000 ft to a waypoint at 3000 ft 60 nm ahead, the descent starts
// 5.3 minutes (21.3 nm at 240 kt) before the waypoint and levels off about two minutes early.
TEST_F(NavigationTest, DescentStartsAtTheTopOfDescent) {
    place(33.0, -84.0, 9000, 240);
    activate(34.0, -84.0, 3000);  // no speed: the 240 kt true stay
    double sentAt = -1;
    auto timer = clock.createTimer([&] {
        nav.tick({true, false});
        if (sentAt < 0 && aircraft.callCount("upd_APAlt") > 0) {
            sentAt = std::stod(flight.display.Dist);
        }
    });
    timer->setInterval(5000);
    clock.runUntil(
        [&] { return !flight.display.Dist.empty() && std::stod(flight.display.Dist) <= 5; }, 3600);
    EXPECT_GE(sentAt, 20);
    EXPECT_LE(sentAt, 21.4);
    EXPECT_NEAR(aircraft.altitude(), 3000, 1);  // level before the switch distance
}

TEST_F(NavigationTest, SwitchesAtFiveMilesAndKeepsTheLastWaypoint) {
    place(33.0, -84.0, 3000, 120);
    activate(33.06, -84.0);
    flight.plan.append({"ONE", "3000", "250", 34.0, -84.0, 3000, 250});
    flight.plan.append({"TWO", "3000", "250", 35.0, -84.0, 3000, 250});
    std::vector<std::string> switched;
    nav.onSwitch = [&](const std::string& n) { switched.push_back(n); };
    nav.tick({});
    EXPECT_EQ(flight.display.Dist, "3");
    nav.tick({});
    EXPECT_EQ(flight.leg.FWAYP, "ONE");
    EXPECT_EQ(flight.plan.PlanCount, 1);
    EXPECT_EQ(flight.plan.WaypLst, std::vector<std::string>{"TWO"});
    EXPECT_EQ(flight.leg.PrevWpName, "WAYPOINT");
    EXPECT_NEAR(std::stoi(flight.display.Dist), 60, 1);
    flight.display.Dist = "5";
    nav.tick({});
    nav.tick({});  // nothing left: TWO stays active
    EXPECT_EQ(flight.leg.FWAYP, "TWO");
    EXPECT_EQ(switched, (std::vector<std::string>{"ONE", "TWO"}));
}

TEST_F(NavigationTest, NoPositionFirstConnectionAndZeroDivisors) {
    int first = 0;
    int positions = 0;
    nav.onFirstConnection = [&] { ++first; };
    nav.onPosition = [&](double, double) { ++positions; };
    activate(33.0, -84.0);
    EXPECT_EQ(nav.tick({}), Navigator::TickResult::NotConnected);  // aircraft not started
    EXPECT_EQ(status, "Not Conected");
    EXPECT_EQ(positions, 0);
    status.clear();

    // Exactly at the waypoint: the tick survives.
    place(33.0, -84.0, 3000, 120);
    nav.tick({true, false});
    flight.clearActiveWaypoint();
    flight.display.Hdg = "old";
    EXPECT_FALSE(nav.compute());  // no active waypoint: nothing new shown
    EXPECT_EQ(flight.display.Hdg, "old");
    place(0.0, 0.0, 3000, 120);
    nav.tick({});
    EXPECT_EQ(first, 1);
    EXPECT_EQ(firstConnection, 1);
    EXPECT_EQ(positions, 2);
    EXPECT_EQ(flight.display.Text1, "0.0000");
}

}  // namespace
