#include "simlink/BuiltInAircraft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "platform/VirtualScheduler.h"

namespace zephyra::simlink {
namespace {

using platform::VirtualScheduler;

class AircraftTest : public ::testing::Test {
  protected:
    // Level at the equator and prime meridian, so degrees convert to miles simply.
    void placeAt(double lat, double lon, double trueHeading, double knots) {
        aircraft.setLatitude(lat);
        aircraft.setLongitude(lon);
        aircraft.setHeading(trueHeading);
        aircraft.setAirspeed(knots);
    }

    VirtualScheduler clock;
    BuiltInAircraft aircraft{clock};
};

// Standard-rate turns the shorter way to a magnetic heading bug.
TEST_F(AircraftTest, TurnsAtStandardRateToTheMagneticBug) {
    const struct {
        double magVar, from, bug, seconds, trueHeading;
    } cases[] = {
        {0, 90, 180, 10, 120},  {0, 90, 180, 30, 180},  {0, 90, 180, 90, 180},
        {0, 350, 10, 1, 353},   {0, 350, 10, 5, 5},     {0, 350, 10, 35, 10},
        {0, 10, 350, 1, 7},     {0, 10, 350, 31, 350},  {0, 0, 185, 1, 357},
        {0, 0, 175, 1, 3},      {0, 0, 180, 60, 180},   {10, 0, 100, 120, 110},
        {-10, 0, 100, 120, 90}, {355, 350, 2, 60, 357},
    };
    for (const auto& c : cases) {
        aircraft.setMagVar(c.magVar);
        aircraft.setHeading(c.from);
        aircraft.upd_APHead(c.bug);
        aircraft.advance(c.seconds);
        EXPECT_NEAR(aircraft.heading(), c.trueHeading, 1e-9)
            << c.from << " to " << c.bug << " var " << c.magVar << " after " << c.seconds;
    }
    EXPECT_NEAR(aircraft.magneticHeading(), 2.0, 1e-9);
    aircraft.setMagVar(-10.0);
    aircraft.start();
    EXPECT_DOUBLE_EQ(aircraft.get_MagVar(), 350.0);
}

TEST_F(AircraftTest, ClimbsAndDescendsAt1800FeetPerMinuteWithoutOvershoot) {
    const struct {
        double from, target, seconds, altitude;
    } cases[] = {
        {3000, 5000, 30, 3900},  {3000, 5000, 60, 4800},   {3000, 5000, 660, 5000},
        {10000, 9000, 20, 9400}, {10000, 9000, 620, 9000}, {3000, 3100, 7.5, 3100},
    };
    for (const auto& c : cases) {
        aircraft.setAltitude(c.from);
        aircraft.upd_APAlt(c.target);
        aircraft.advance(c.seconds);
        EXPECT_NEAR(aircraft.altitude(), c.altitude, 1e-6) << c.from << " to " << c.target;
    }
}

// Indicated targets give more true airspeed aloft (150 kt indicated at 10,000 ft is 174.05 kt
// true in the standard atmosphere); Mach targets follow the speed of sound.
TEST_F(AircraftTest, HoldsAndChangesSpeedAtTwoKnotsPerSecond) {
    const struct {
        const char* what;
        double altitude, tas, knots, mach, climbTo, seconds, expected, tolerance;
    } cases[] = {
        {"holds", 0, 140, 0, 0, 0, 600, 140, 1e-9},
        {"accelerates", 0, 120, 150, 0, 0, 5, 130, 1e-9},
        {"reaches", 0, 120, 150, 0, 0, 65, 150, 1e-9},
        {"slows", 0, 150, 100, 0, 0, 10, 130, 1e-9},
        {"indicated aloft", 10000, 150, 150, 0, 10000, 120, 174.05, 0.01},
        {"climbing at constant indicated", 0, 150, 150, 0, 10000, 900, 174.05, 0.01},
        {"Mach at FL350", 35000, 450, 0, 0.8, 35000, 60, 461.1, 0.2},
    };
    for (const auto& c : cases) {
        BuiltInAircraft a(clock);
        a.setAltitude(c.altitude);
        a.upd_APAlt(c.climbTo);
        a.setAirspeed(c.tas);
        if (c.knots > 0) {
            a.upd_APAirSpeed(c.knots);
        }
        if (c.mach > 0) {
            a.upd_APMachNumber(c.mach);
        }
        a.advance(c.seconds);
        EXPECT_NEAR(a.trueAirspeed(), c.expected, c.tolerance) << c.what;
    }
    EXPECT_NEAR(BuiltInAircraft::speedOfSoundKt(40000.0), 573.6, 0.2);
    // Mach 0.78 at FL350 is 264.42 kt indicated, the speed FlightGear's speed hold is given.
    EXPECT_NEAR(
        BuiltInAircraft::indicatedFromTrue(0.78 * BuiltInAircraft::speedOfSoundKt(35000), 35000),
        264.42, 0.01);
    // Constant above the tropopause.
    EXPECT_DOUBLE_EQ(BuiltInAircraft::speedOfSoundKt(45000.0),
                     BuiltInAircraft::speedOfSoundKt(40000.0));
}

// Position along the heading, pushed by the wind of the layer it flies in.
TEST_F(AircraftTest, FliesItsHeadingAndDriftsWithTheWind) {
    const struct {
        const char* what;
        double lat, lon, heading, knots, windFrom, windKnots, seconds;
        double expectLat, expectLon, tolerance;
    } cases[] = {
        {"east along the equator", 0, 0, 90, 120, 0, 0, 3600, 0, 2, 1e-6},
        {"north", 0, 0, 0, 120, 0, 0, 1800, 1, 0, 1e-6},
        {"degrees shrink at 60 N", 60, 10, 90, 60, 0, 0, 3600, 60, 12, 1e-3},
        {"across the date line", 0, 179.9, 90, 120, 0, 0, 360, 0, -179.9, 1e-6},
        {"short of the pole", 89.5, 0, 0, 120, 0, 0, 3600, 89.9, 0, 1e-9},
        {"wind from the west", 0, 0, 0, 0, 270, 60, 3600, 0, 1, 1e-6},
        {"headwind", 0, 0, 90, 120, 90, 30, 3600, 0, 1.5, 1e-3},
        {"crosswind", 0, 0, 0, 120, 270, 30, 3600, 2, 0.5, 1e-3},
    };
    for (const auto& c : cases) {
        BuiltInAircraft a(clock);
        a.setLatitude(c.lat);
        a.setLongitude(c.lon);
        a.setHeading(c.heading);
        a.setAirspeed(c.knots);
        a.upd_wind0(5000, static_cast<std::int32_t>(c.windKnots), c.windFrom, 0.0, 0);
        a.advance(c.seconds);
        EXPECT_NEAR(a.latitude(), c.expectLat, c.tolerance) << c.what;
        EXPECT_NEAR(a.longitude(), c.expectLon, c.tolerance) << c.what;
    }
    aircraft.setLatitude(-95.0);
    EXPECT_DOUBLE_EQ(aircraft.latitude(), -89.9);
}

TEST_F(AircraftTest, WindLayerIsChosenByTheFloors) {
    // Each layer blows from the west at a different speed; the drift tells which one acted.
    aircraft.upd_wind0(2000, 10, 270.0, 0.0, 0);
    aircraft.upd_wind1(2000, 10000.0, 20, 270.0, 0.0, 0);
    aircraft.upd_wind2(10000, 20000.0, 30, 270.0, 0.0, 0);
    aircraft.upd_wind3(20000, 40000.0, 40, 270.0, 0.0, 0);
    const struct {
        double altitude;
        int layer;
        double knots;
    } cases[] = {{0, 0, 10},     {1999, 0, 10},  {2000, 1, 20}, {9999, 1, 20},
                 {10000, 2, 30}, {20000, 3, 40}, {35000, 3, 40}};
    for (const auto& c : cases) {
        placeAt(0, 0, 0, 0);
        aircraft.setAltitude(c.altitude);
        aircraft.upd_APAlt(c.altitude);
        EXPECT_EQ(aircraft.windLayerAt(c.altitude), c.layer) << c.altitude;
        aircraft.advance(360.0);
        EXPECT_NEAR(aircraft.longitude(), c.knots * 0.1 / 60.0, 1e-9) << c.altitude;
    }

    // Climbing through a floor: calm for the 33 s to 5000 ft, then 60 kt for the rest.
    aircraft.upd_wind0(5000, 0, 0.0, 0.0, 0);
    aircraft.upd_wind1(5000, 15000.0, 60, 270.0, 0.0, 0);
    placeAt(0, 0, 0, 0);
    aircraft.setAltitude(4000.0);
    aircraft.upd_APAlt(6000.0);
    aircraft.advance(3600.0);
    EXPECT_NEAR(aircraft.longitude(), (3600.0 - 1000.0 / 30.0) / 3600.0, 1e-3);
}

// With a field aloft the aircraft flies in the field's wind and temperature at its own
// position and altitude above the surface layer; where the field does not reach, and in the
// surface layer, the layers sent rule.
TEST_F(AircraftTest, FliesInTheFieldAloftWhereItReaches) {
    aircraft.upd_wind0(2000, 10, 270.0, 0.0, 0);
    aircraft.upd_wind1(2000, 40000.0, 20, 270.0, 0.0, 0);
    aircraft.upd_temps(0, 15, 20000, -25, 30000, -45, 40000, -65, 1013.25,
                       TemperatureScale::Celsius);
    // From the west at a knot per 100 ft, 2 C colder per 1,000 ft, west of 1 E only.
    aircraft.upd_aloft([](double, double lon, double alt) -> std::optional<AloftAir> {
        if (lon > 1) {
            return std::nullopt;
        }
        return AloftAir{270, alt / 100, 15 - 2 * alt / 1000};
    });
    const struct {
        double altitude;
        double knots;  // the wind that acted, from the drift in 6 min
        double temperature;
        bool fromField;
    } cases[] = {
        {1000, 10, 13, false},  // surface layer; the temperatures sent, between layers
        {3000, 30, 9, true},    // the field at 3,000 ft
        {6000, 60, 3, true},    // and at 6,000 ft
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.altitude);
        placeAt(0, 0, 0, 0);
        aircraft.setAltitude(c.altitude);
        const auto air = aircraft.air();
        EXPECT_EQ(air.fromField, c.fromField);
        EXPECT_EQ(air.windSpeed, c.knots);
        EXPECT_NEAR(air.temperatureC.value_or(999), c.temperature, 1e-9);
        aircraft.advance(360.0);
        EXPECT_NEAR(aircraft.longitude(), c.knots * 0.1 / 60.0, 1e-9);
    }
    // Out of reach (east of 1 E) the layer's 20 kt carry it on.
    placeAt(0, 2, 0, 0);
    aircraft.setAltitude(6000);
    EXPECT_FALSE(aircraft.air().fromField);
    aircraft.advance(360.0);
    EXPECT_NEAR(aircraft.longitude(), 2 + 20 * 0.1 / 60.0, 1e-9);
    // The navigator reads the field's air while running; an empty source hands back.
    placeAt(0, 0, 0, 0);
    aircraft.start();
    EXPECT_EQ(aircraft.get_aloftHere(), (AloftAir{270, 60, 3}));
    aircraft.upd_aloft({});
    EXPECT_EQ(aircraft.get_aloftHere(), std::nullopt);
    EXPECT_EQ(aircraft.air().windSpeed, 20);
    aircraft.stop();
}

TEST_F(AircraftTest, GettersReportNoPositionWhileStopped) {
    auto all = [&] {
        return std::vector<double>{
            aircraft.get_curr_lat(),  aircraft.get_curr_lon(),   aircraft.get_alt(),
            aircraft.get_TAS(),       aircraft.get_MagVar(),     aircraft.get_wind0Dir(),
            aircraft.get_wind1Dir(),  aircraft.get_wind2Dir(),   aircraft.get_wind3Dir(),
            aircraft.get_wind0Spd(),  aircraft.get_wind1Spd(),   aircraft.get_wind2Spd(),
            aircraft.get_wind3Spd(),  aircraft.get_wind1Floor(), aircraft.get_wind2Floor(),
            aircraft.get_wind3Floor()};
    };
    for (double v : all()) {
        EXPECT_EQ(v, SimLink::kNoPosition);
    }
    // Setters take effect while stopped.
    aircraft.setLatitude(51.5);
    aircraft.upd_wind2(12000, 20000.0, 35, 240.0, 1.0, 5);
    aircraft.start();
    for (double v : all()) {
        EXPECT_NE(v, SimLink::kNoPosition);
    }
    EXPECT_EQ(aircraft.get_curr_lat(), 51.5);
    EXPECT_EQ(aircraft.get_wind2Floor(), 12000.0);
    aircraft.stop();
    EXPECT_EQ(aircraft.get_alt(), SimLink::kNoPosition);
}

// Flight time is scheduler time while running, whatever the tick, paused time excepted.
TEST_F(AircraftTest, FliesOnTheSchedulerClockWhileRunning) {
    clock.advance(600.0);
    EXPECT_EQ(aircraft.flownSeconds(), 0.0);
    int changes = 0;
    aircraft.onChanged = [&] { ++changes; };
    aircraft.start();
    clock.advance(5.0);
    EXPECT_EQ(changes, 5);
    clock.advance(5.5);
    EXPECT_NEAR(aircraft.flownSeconds(), 10.0, 1e-9);
    aircraft.stop();  // flies the part of a second since the last tick
    EXPECT_NEAR(aircraft.flownSeconds(), 10.5, 1e-9);
    clock.advance(600.0);
    aircraft.setTickInterval(5000);
    aircraft.start();
    clock.advance(3600.0);
    EXPECT_NEAR(aircraft.flownSeconds(), 3610.5, 1e-9);
    EXPECT_NEAR(aircraft.groundDistanceNm(), 120.0 * 3610.5 / 3600.0, 1e-6);
}

TEST_F(AircraftTest, StopsFromItsOwnReportAndLeavesNoTimerBehind) {
    aircraft.onChanged = [&] {
        if (aircraft.flownSeconds() >= 5.0) {
            aircraft.stop();
        }
    };
    aircraft.start();
    clock.advance(60.0);
    EXPECT_FALSE(aircraft.running());
    EXPECT_NEAR(aircraft.flownSeconds(), 5.0, 1e-9);

    auto other = std::make_unique<BuiltInAircraft>(clock);
    int changes = 0;
    other->onChanged = [&] { ++changes; };
    other->start();
    clock.advance(2.0);
    other.reset();
    clock.advance(10.0);
    EXPECT_EQ(changes, 2);
}

TEST_F(AircraftTest, LogsCallsWithArgumentsAndTime) {
    clock.advance(42.0);
    aircraft.upd_wind1(4000, 9000.0, 25, 310.0, 1.5, 30);
    aircraft.upd_APAlt(5000.0);
    aircraft.upd_APAlt(7000.0);
    const auto& wind = aircraft.calls().front();
    EXPECT_EQ(wind.name, "upd_wind1");
    EXPECT_EQ(wind.args, (std::vector<double>{4000.0, 9000.0, 25.0, 310.0, 1.5, 30.0}));
    EXPECT_EQ(wind.time, 42.0);
    EXPECT_EQ(aircraft.callCount("upd_APAlt"), 2);
    EXPECT_EQ(aircraft.lastCall("upd_APAlt")->args[0], 7000.0);
    EXPECT_EQ(aircraft.lastCall("upd_visib"), nullptr);
}

TEST_F(AircraftTest, BadNumbersDoNotSpoilTheAircraft) {
    aircraft.upd_APHead(std::nan(""));
    aircraft.upd_APAlt(std::numeric_limits<double>::infinity());
    aircraft.setLatitude(std::nan(""));
    aircraft.advance(60.0);
    EXPECT_TRUE(std::isfinite(aircraft.heading()));
    EXPECT_TRUE(std::isfinite(aircraft.altitude()));
    EXPECT_TRUE(std::isfinite(aircraft.latitude()));
    EXPECT_EQ(aircraft.callCount("upd_APHead"), 1);
}

}  // namespace
}  // namespace zephyra::simlink
