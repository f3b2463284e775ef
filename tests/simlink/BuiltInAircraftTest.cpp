#include "simlink/BuiltInAircraft.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "platform/VirtualScheduler.h"

namespace zephyra::simlink {
namespace {

using platform::VirtualScheduler;

class AircraftTest : public ::testing::Test {
  protected:
    // Level at the equator and prime meridian, so degrees convert to miles simply.
    void placeAtOrigin(double trueHeading, double knots) {
        aircraft.setLatitude(0.0);
        aircraft.setLongitude(0.0);
        aircraft.setHeading(trueHeading);
        aircraft.setAirspeed(knots);
    }

    VirtualScheduler clock;
    BuiltInAircraft aircraft{clock};
};

// --- Turning ---

using Turning = AircraftTest;

TEST_F(Turning, TurnsAtStandardRateAndStopsOnTheBug) {
    aircraft.setHeading(90.0);
    aircraft.upd_APHead(180.0);
    aircraft.advance(10.0);
    EXPECT_NEAR(aircraft.heading(), 120.0, 1e-9);
    aircraft.advance(20.0);
    EXPECT_NEAR(aircraft.heading(), 180.0, 1e-9);
    aircraft.advance(60.0);
    EXPECT_NEAR(aircraft.heading(), 180.0, 1e-9);
}

TEST_F(Turning, TurnsRightThroughNorthWhenThatIsShorter) {
    aircraft.setHeading(350.0);
    aircraft.upd_APHead(10.0);
    aircraft.advance(1.0);
    EXPECT_NEAR(aircraft.heading(), 353.0, 1e-9);
    aircraft.advance(4.0);
    EXPECT_NEAR(aircraft.heading(), 5.0, 1e-9);
    aircraft.advance(30.0);
    EXPECT_NEAR(aircraft.heading(), 10.0, 1e-9);
}

TEST_F(Turning, TurnsLeftThroughNorthWhenThatIsShorter) {
    aircraft.setHeading(10.0);
    aircraft.upd_APHead(350.0);
    aircraft.advance(1.0);
    EXPECT_NEAR(aircraft.heading(), 7.0, 1e-9);
    aircraft.advance(30.0);
    EXPECT_NEAR(aircraft.heading(), 350.0, 1e-9);
}

TEST_F(Turning, WideTurnsGoTheShorterWay) {
    aircraft.setHeading(0.0);
    aircraft.upd_APHead(185.0);
    aircraft.advance(1.0);
    EXPECT_NEAR(aircraft.heading(), 357.0, 1e-9);

    aircraft.setHeading(0.0);
    aircraft.upd_APHead(175.0);
    aircraft.advance(1.0);
    EXPECT_NEAR(aircraft.heading(), 3.0, 1e-9);

    // A full reversal picks one side and keeps to it.
    aircraft.setHeading(0.0);
    aircraft.upd_APHead(180.0);
    aircraft.advance(60.0);
    EXPECT_NEAR(aircraft.heading(), 180.0, 1e-9);
}

TEST_F(Turning, HeadingBugIsMagneticWithEastVariation) {
    aircraft.setMagVar(10.0);  // magnetic = true - 10
    aircraft.setHeading(0.0);
    aircraft.upd_APHead(100.0);
    aircraft.advance(120.0);
    EXPECT_NEAR(aircraft.heading(), 110.0, 1e-9);
    EXPECT_NEAR(aircraft.magneticHeading(), 100.0, 1e-9);
}

TEST_F(Turning, HeadingBugIsMagneticWithWestVariation) {
    aircraft.setMagVar(-10.0);
    aircraft.start();
    EXPECT_DOUBLE_EQ(aircraft.get_MagVar(), 350.0);
    aircraft.setHeading(0.0);
    aircraft.upd_APHead(100.0);
    aircraft.advance(120.0);
    EXPECT_NEAR(aircraft.heading(), 90.0, 1e-9);
    EXPECT_NEAR(aircraft.magneticHeading(), 100.0, 1e-9);
}

TEST_F(Turning, HeadingBugAcrossNorthWithVariation) {
    aircraft.setMagVar(355.0);  // 5 W: magnetic 2 is true 357
    aircraft.setHeading(350.0);
    aircraft.upd_APHead(2.0);
    aircraft.advance(60.0);
    EXPECT_NEAR(aircraft.heading(), 357.0, 1e-9);
}

// --- Climbing ---

using Climbing = AircraftTest;

TEST_F(Climbing, ClimbsAt1800FeetPerMinuteAndLevelsOffAtTheTarget) {
    aircraft.setAltitude(3000.0);
    aircraft.upd_APAlt(5000.0);
    aircraft.advance(30.0);
    EXPECT_NEAR(aircraft.altitude(), 3900.0, 1e-6);
    aircraft.advance(30.0);
    EXPECT_NEAR(aircraft.altitude(), 4800.0, 1e-6);
    aircraft.advance(600.0);
    EXPECT_DOUBLE_EQ(aircraft.altitude(), 5000.0);
}

TEST_F(Climbing, DescendsAtTheSameRate) {
    aircraft.setAltitude(10000.0);
    aircraft.upd_APAlt(9000.0);
    aircraft.advance(20.0);
    EXPECT_NEAR(aircraft.altitude(), 9400.0, 1e-6);
    aircraft.advance(600.0);
    EXPECT_DOUBLE_EQ(aircraft.altitude(), 9000.0);
}

TEST_F(Climbing, LongStepDoesNotOvershoot) {
    aircraft.setAltitude(3000.0);
    aircraft.upd_APAlt(3100.0);
    aircraft.advance(7.5);
    EXPECT_DOUBLE_EQ(aircraft.altitude(), 3100.0);
}

// --- Speed ---

using Speed = AircraftTest;

TEST_F(Speed, HoldsItsSpeed) {
    aircraft.setAirspeed(140.0);
    aircraft.advance(600.0);
    EXPECT_DOUBLE_EQ(aircraft.trueAirspeed(), 140.0);
}

TEST_F(Speed, ChangesSpeedAtTwoKnotsPerSecond) {
    aircraft.setAltitude(0.0);
    aircraft.setAirspeed(120.0);
    aircraft.upd_APAirSpeed(150.0);
    aircraft.advance(5.0);
    EXPECT_NEAR(aircraft.trueAirspeed(), 130.0, 1e-9);
    aircraft.advance(60.0);
    EXPECT_NEAR(aircraft.trueAirspeed(), 150.0, 1e-9);
    aircraft.upd_APAirSpeed(100.0);
    aircraft.advance(10.0);
    EXPECT_NEAR(aircraft.trueAirspeed(), 130.0, 1e-9);
    aircraft.advance(60.0);
    EXPECT_NEAR(aircraft.trueAirspeed(), 100.0, 1e-9);
}

TEST_F(Speed, IndicatedTargetMeansMoreTrueSpeedAloft) {
    aircraft.setAltitude(10000.0);
    aircraft.upd_APAirSpeed(150.0);
    aircraft.advance(120.0);
    EXPECT_NEAR(aircraft.trueAirspeed(), 180.0, 1e-9);
}

TEST_F(Speed, ClimbingAtConstantIndicatedGainsTrueSpeed) {
    aircraft.setAltitude(0.0);
    aircraft.setAirspeed(150.0);
    aircraft.upd_APAirSpeed(150.0);
    aircraft.upd_APAlt(10000.0);
    aircraft.advance(900.0);
    EXPECT_NEAR(aircraft.trueAirspeed(), 180.0, 1e-9);
}

TEST_F(Speed, SpeedOfSoundFollowsTheStandardAtmosphere) {
    EXPECT_NEAR(BuiltInAircraft::speedOfSoundKt(0.0), 661.5, 0.1);
    EXPECT_NEAR(BuiltInAircraft::speedOfSoundKt(35000.0), 576.4, 0.2);
    // Constant above the tropopause.
    EXPECT_NEAR(BuiltInAircraft::speedOfSoundKt(40000.0), 573.6, 0.2);
    EXPECT_DOUBLE_EQ(BuiltInAircraft::speedOfSoundKt(45000.0),
                     BuiltInAircraft::speedOfSoundKt(40000.0));
}

TEST_F(Speed, MachTargetBecomesTrueAirspeedAtAltitude) {
    aircraft.setAltitude(35000.0);
    aircraft.setAirspeed(450.0);
    aircraft.upd_APMachNumber(0.8);
    aircraft.advance(60.0);
    EXPECT_NEAR(aircraft.trueAirspeed(), 461.1, 0.2);

    aircraft.setAltitude(0.0);
    aircraft.upd_APMachNumber(0.5);
    aircraft.advance(120.0);
    EXPECT_NEAR(aircraft.trueAirspeed(), 330.7, 0.2);
}

// --- Navigation ---

using Navigation = AircraftTest;

TEST_F(Navigation, OneHourEastAlongTheEquatorIsTwoDegreesAt120Knots) {
    placeAtOrigin(90.0, 120.0);
    aircraft.advance(3600.0);
    EXPECT_NEAR(aircraft.longitude(), 2.0, 1e-6);
    EXPECT_NEAR(aircraft.latitude(), 0.0, 1e-9);
    EXPECT_NEAR(aircraft.groundDistanceNm(), 120.0, 1e-6);
    EXPECT_NEAR(aircraft.flownSeconds(), 3600.0, 1e-9);
}

TEST_F(Navigation, SixtyMilesNorthIsOneDegree) {
    placeAtOrigin(0.0, 120.0);
    aircraft.advance(1800.0);
    EXPECT_NEAR(aircraft.latitude(), 1.0, 1e-6);
    EXPECT_NEAR(aircraft.longitude(), 0.0, 1e-9);
}

TEST_F(Navigation, SouthAndWestDecreaseTheCoordinates) {
    placeAtOrigin(180.0, 60.0);
    aircraft.advance(3600.0);
    EXPECT_NEAR(aircraft.latitude(), -1.0, 1e-6);

    placeAtOrigin(270.0, 60.0);
    aircraft.advance(3600.0);
    EXPECT_NEAR(aircraft.longitude(), -1.0, 1e-6);
}

TEST_F(Navigation, LongitudeDegreesShrinkWithLatitude) {
    aircraft.setLatitude(60.0);
    aircraft.setLongitude(10.0);
    aircraft.setHeading(90.0);
    aircraft.setAirspeed(60.0);
    aircraft.advance(3600.0);
    EXPECT_NEAR(aircraft.longitude(), 12.0, 1e-3);
    EXPECT_NEAR(aircraft.latitude(), 60.0, 1e-9);
}

TEST_F(Navigation, LongitudeWrapsAcrossTheDateLine) {
    placeAtOrigin(90.0, 120.0);
    aircraft.setLongitude(179.9);
    aircraft.advance(360.0);  // 12 nm = 0.2 degrees
    EXPECT_NEAR(aircraft.longitude(), -179.9, 1e-6);

    aircraft.setHeading(270.0);
    aircraft.advance(720.0);
    EXPECT_NEAR(aircraft.longitude(), 179.7, 1e-6);
}

TEST_F(Navigation, LatitudeStopsShortOfThePole) {
    aircraft.setLatitude(89.5);
    aircraft.setHeading(0.0);
    aircraft.setAirspeed(120.0);
    aircraft.advance(3600.0);
    EXPECT_DOUBLE_EQ(aircraft.latitude(), 89.9);
    EXPECT_TRUE(std::isfinite(aircraft.longitude()));

    aircraft.setLatitude(-95.0);
    EXPECT_DOUBLE_EQ(aircraft.latitude(), -89.9);
}

// --- Wind ---

using Wind = AircraftTest;

TEST_F(Wind, WindFromTheWestPushesEast) {
    placeAtOrigin(0.0, 0.0);
    aircraft.upd_wind0(5000, 60, 270.0, 0.0, 0);
    aircraft.advance(3600.0);
    EXPECT_NEAR(aircraft.longitude(), 1.0, 1e-6);
    EXPECT_NEAR(aircraft.latitude(), 0.0, 1e-9);
    EXPECT_NEAR(aircraft.groundDistanceNm(), 60.0, 1e-6);
}

TEST_F(Wind, WindFromTheNorthPushesSouth) {
    placeAtOrigin(0.0, 0.0);
    aircraft.upd_wind0(5000, 60, 360.0, 0.0, 0);
    aircraft.advance(3600.0);
    EXPECT_NEAR(aircraft.latitude(), -1.0, 1e-6);
    EXPECT_NEAR(aircraft.longitude(), 0.0, 1e-9);
}

TEST_F(Wind, HeadwindShortensAndCrosswindDrifts) {
    placeAtOrigin(90.0, 120.0);
    aircraft.upd_wind0(5000, 30, 90.0, 0.0, 0);
    aircraft.advance(3600.0);
    EXPECT_NEAR(aircraft.groundDistanceNm(), 90.0, 1e-6);

    placeAtOrigin(0.0, 120.0);
    aircraft.upd_wind0(5000, 30, 270.0, 0.0, 0);
    aircraft.advance(3600.0);
    EXPECT_NEAR(aircraft.latitude(), 2.0, 1e-3);
    EXPECT_NEAR(aircraft.longitude(), 0.5, 1e-3);
}

TEST_F(Wind, CalmWithDefaultFloorsUntilWindArrives) {
    aircraft.start();
    EXPECT_EQ(aircraft.get_wind0Spd(), 0.0);
    EXPECT_EQ(aircraft.get_wind3Spd(), 0.0);
    EXPECT_EQ(aircraft.get_wind1Floor(), 5000.0);
    EXPECT_EQ(aircraft.get_wind2Floor(), 15000.0);
    EXPECT_EQ(aircraft.get_wind3Floor(), 30000.0);
    EXPECT_EQ(aircraft.windLayerAt(4999.0), 0);
    EXPECT_EQ(aircraft.windLayerAt(30000.0), 3);

    placeAtOrigin(0.0, 0.0);
    aircraft.advance(3600.0);
    EXPECT_EQ(aircraft.latitude(), 0.0);
    EXPECT_EQ(aircraft.longitude(), 0.0);
}

TEST_F(Wind, GettersReportTheReceivedLayers) {
    aircraft.upd_wind2(12000, 20000.0, 35, 240.0, 1.0, 5);
    aircraft.start();
    EXPECT_EQ(aircraft.get_wind2Spd(), 35.0);
    EXPECT_EQ(aircraft.get_wind2Dir(), 240.0);
    EXPECT_EQ(aircraft.get_wind2Floor(), 12000.0);
    EXPECT_EQ(aircraft.get_wind1Floor(), 5000.0);  // still the default
}

TEST_F(Wind, LayerIsChosenByTheFloors) {
    // Each layer blows from the west at a different speed; the drift tells which one acted.
    aircraft.upd_wind0(2000, 10, 270.0, 0.0, 0);
    aircraft.upd_wind1(2000, 10000.0, 20, 270.0, 0.0, 0);
    aircraft.upd_wind2(10000, 20000.0, 30, 270.0, 0.0, 0);
    aircraft.upd_wind3(20000, 40000.0, 40, 270.0, 0.0, 0);

    struct Case {
        double altitude;
        int layer;
        double knots;
    };
    for (const Case& c :
         {Case{0.0, 0, 10.0}, Case{1999.0, 0, 10.0}, Case{2000.0, 1, 20.0}, Case{9999.0, 1, 20.0},
          Case{10000.0, 2, 30.0}, Case{20000.0, 3, 40.0}, Case{35000.0, 3, 40.0}}) {
        SCOPED_TRACE(c.altitude);
        placeAtOrigin(0.0, 0.0);
        aircraft.setAltitude(c.altitude);
        EXPECT_EQ(aircraft.windLayerAt(c.altitude), c.layer);
        aircraft.advance(360.0);
        EXPECT_NEAR(aircraft.longitude(), c.knots * 0.1 / 60.0, 1e-9);
    }
}

TEST_F(Wind, ClimbingThroughAFloorChangesTheWind) {
    aircraft.upd_wind0(5000, 0, 0.0, 0.0, 0);
    aircraft.upd_wind1(5000, 15000.0, 60, 270.0, 0.0, 0);
    placeAtOrigin(0.0, 0.0);
    aircraft.setAltitude(4000.0);
    aircraft.upd_APAlt(6000.0);
    aircraft.advance(3600.0);
    // Calm for the 33 s it takes to reach 5000 ft, then 60 kt for the rest of the hour.
    const double calmSeconds = 1000.0 / 30.0;
    EXPECT_NEAR(aircraft.longitude(), (3600.0 - calmSeconds) / 3600.0, 1e-3);
}

// --- Running ---

using Running = AircraftTest;

TEST_F(Running, EveryGetterReportsNoPositionWhileStopped) {
    auto expectAll = [&](bool none) {
        const double values[] = {
            aircraft.get_curr_lat(),  aircraft.get_curr_lon(),   aircraft.get_alt(),
            aircraft.get_TAS(),       aircraft.get_MagVar(),     aircraft.get_wind0Dir(),
            aircraft.get_wind1Dir(),  aircraft.get_wind2Dir(),   aircraft.get_wind3Dir(),
            aircraft.get_wind0Spd(),  aircraft.get_wind1Spd(),   aircraft.get_wind2Spd(),
            aircraft.get_wind3Spd(),  aircraft.get_wind1Floor(), aircraft.get_wind2Floor(),
            aircraft.get_wind3Floor()};
        for (double v : values) {
            EXPECT_EQ(v == SimLink::kNoPosition, none) << v;
        }
    };
    EXPECT_FALSE(aircraft.running());
    expectAll(true);
    aircraft.start();
    EXPECT_TRUE(aircraft.running());
    expectAll(false);
    aircraft.stop();
    expectAll(true);
}

TEST_F(Running, SettersTakeEffectWhileStopped) {
    aircraft.setLatitude(51.5);
    aircraft.setAltitude(8000.0);
    aircraft.upd_APAlt(9000.0);
    aircraft.upd_wind0(3000, 12, 200.0, 0.0, 0);
    aircraft.start();
    EXPECT_EQ(aircraft.get_curr_lat(), 51.5);
    EXPECT_EQ(aircraft.get_alt(), 8000.0);
    EXPECT_EQ(aircraft.get_wind0Spd(), 12.0);
    EXPECT_EQ(aircraft.targetAltitude(), 9000.0);
    EXPECT_EQ(aircraft.callCount("upd_APAlt"), 1);
}

TEST_F(Running, DoesNotFlyWhileStopped) {
    const double lon = aircraft.longitude();
    clock.advance(600.0);
    EXPECT_EQ(aircraft.longitude(), lon);
    EXPECT_EQ(aircraft.flownSeconds(), 0.0);
}

TEST_F(Running, FliesOnTheSchedulerClock) {
    aircraft.start();
    clock.advance(3600.0);
    EXPECT_NEAR(aircraft.flownSeconds(), 3600.0, 1e-9);
    EXPECT_NEAR(aircraft.groundDistanceNm(), 120.0, 1e-6);
}

TEST_F(Running, StopFliesThePartOfASecondSinceTheLastTick) {
    aircraft.start();
    clock.advance(10.5);
    EXPECT_NEAR(aircraft.flownSeconds(), 10.0, 1e-9);
    aircraft.stop();
    EXPECT_NEAR(aircraft.flownSeconds(), 10.5, 1e-9);
}

TEST_F(Running, PausedTimeIsNotFlown) {
    aircraft.start();
    clock.advance(60.0);
    aircraft.stop();
    clock.advance(600.0);
    aircraft.start();
    clock.advance(60.0);
    EXPECT_NEAR(aircraft.flownSeconds(), 120.0, 1e-9);
}

TEST_F(Running, SlowerTickStillFliesAllTheTime) {
    aircraft.setTickInterval(5000);
    aircraft.start();
    clock.advance(3600.0);
    EXPECT_NEAR(aircraft.flownSeconds(), 3600.0, 1e-9);
    EXPECT_NEAR(aircraft.groundDistanceNm(), 120.0, 1e-6);
}

TEST_F(Running, ReportsEachTick) {
    int changes = 0;
    aircraft.onChanged = [&] { ++changes; };
    aircraft.start();
    clock.advance(5.0);
    EXPECT_EQ(changes, 5);
}

TEST_F(Running, CanBeStoppedFromItsOwnChangeReport) {
    aircraft.onChanged = [&] {
        if (aircraft.flownSeconds() >= 5.0) {
            aircraft.stop();
        }
    };
    aircraft.start();
    clock.advance(60.0);
    EXPECT_FALSE(aircraft.running());
    EXPECT_NEAR(aircraft.flownSeconds(), 5.0, 1e-9);
}

TEST_F(Running, DestroyedWhileRunningLeavesNoTimerBehind) {
    auto other = std::make_unique<BuiltInAircraft>(clock);
    int changes = 0;
    other->onChanged = [&] { ++changes; };
    other->start();
    clock.advance(2.0);
    other.reset();
    clock.advance(10.0);
    EXPECT_EQ(changes, 2);
}

TEST_F(Running, HourLongFlightTakesLittleRealTime) {
    const auto begin = std::chrono::steady_clock::now();
    aircraft.start();
    aircraft.upd_APHead(270.0);
    aircraft.upd_APAlt(20000.0);
    clock.advance(3600.0);
    const auto elapsed = std::chrono::steady_clock::now() - begin;
    EXPECT_LT(elapsed, std::chrono::milliseconds(500));
    EXPECT_EQ(aircraft.altitude(), 20000.0);
}

// --- Received weather and the call log ---

using Received = AircraftTest;

TEST_F(Received, NothingIsMarkedReceivedAtFirst) {
    const auto& w = aircraft.weather();
    EXPECT_FALSE(w.visibilityReceived);
    EXPECT_FALSE(w.temperatures.received);
    EXPECT_FALSE(w.cloud1.received);
    EXPECT_FALSE(w.cloud2.received);
    EXPECT_FALSE(w.thunderstorm.received);
    for (const auto& layer : w.wind) {
        EXPECT_FALSE(layer.received);
    }
    EXPECT_TRUE(aircraft.calls().empty());
}

TEST_F(Received, KeepsTheLastValueOfEveryWeatherOperation) {
    aircraft.upd_visib(3.0);
    aircraft.upd_visib(7.5);
    aircraft.upd_temps(0, 15, 5000, 5, 10000, -5, 30000, -45, 1013.2);
    aircraft.upd_cloud1(2500, 4000, 0.75, 100, 0, 1, 2.0);
    aircraft.upd_cloud2(12000, 14000, 0.25, 200, 0, 0, 1.0);
    aircraft.upd_Tstorm(3000, 30000, 1.0, 0, 0, 1, 4.0);
    aircraft.upd_wind0(1500, 8, 250.0, 1.0, 15);
    aircraft.upd_wind1(1500, 8000.0, 20, 260.0, 0.0, 0);
    aircraft.upd_wind2(8000, 18000.0, 35, 270.0, 2.0, 0);
    aircraft.upd_wind3(18000, 40000.0, 60, 280.0, 0.0, 0);

    const auto& w = aircraft.weather();
    EXPECT_TRUE(w.visibilityReceived);
    EXPECT_EQ(w.visibilityStatuteMiles, 7.5);

    EXPECT_TRUE(w.temperatures.received);
    EXPECT_EQ(w.temperatures.altitude[2], 10000);
    EXPECT_EQ(w.temperatures.degrees[2], -5);
    EXPECT_EQ(w.temperatures.degrees[3], -45);
    EXPECT_EQ(w.temperatures.pressureMb, 1013.2);

    EXPECT_TRUE(w.cloud1.received);
    EXPECT_EQ(w.cloud1.base, 2500);
    EXPECT_EQ(w.cloud1.top, 4000);
    EXPECT_EQ(w.cloud1.coverage, 0.75);
    EXPECT_EQ(w.cloud1.deviation, 100);
    EXPECT_EQ(w.cloud1.icing, 1);
    EXPECT_EQ(w.cloud1.turbulence, 2.0);
    EXPECT_EQ(w.cloud2.base, 12000);
    EXPECT_EQ(w.cloud2.coverage, 0.25);
    EXPECT_TRUE(w.thunderstorm.received);
    EXPECT_EQ(w.thunderstorm.top, 30000);
    EXPECT_EQ(w.thunderstorm.turbulence, 4.0);

    EXPECT_EQ(w.wind[0].base, 1500);
    EXPECT_EQ(w.wind[0].speed, 8);
    EXPECT_EQ(w.wind[0].direction, 250.0);
    EXPECT_EQ(w.wind[0].gust, 15);
    EXPECT_EQ(w.wind[2].base, 8000);
    EXPECT_EQ(w.wind[2].top, 18000.0);
    EXPECT_EQ(w.wind[2].turbulence, 2.0);
    EXPECT_EQ(w.wind[3].speed, 60);
    EXPECT_EQ(w.wind[3].direction, 280.0);
}

TEST_F(Received, LogsEachCallWithItsArgumentsAndTime) {
    clock.advance(42.0);
    aircraft.upd_wind1(4000, 9000.0, 25, 310.0, 1.5, 30);
    aircraft.upd_APHead(123.0);

    ASSERT_EQ(aircraft.calls().size(), 2u);
    const auto& wind = aircraft.calls().front();
    EXPECT_EQ(wind.name, "upd_wind1");
    EXPECT_EQ(wind.args, (std::vector<double>{4000.0, 9000.0, 25.0, 310.0, 1.5, 30.0}));
    EXPECT_EQ(wind.time, 42.0);
    EXPECT_EQ(aircraft.calls().back().name, "upd_APHead");
    EXPECT_EQ(aircraft.calls().back().args, std::vector<double>{123.0});
}

TEST_F(Received, CountsAndFindsCallsByName) {
    aircraft.upd_APAlt(5000.0);
    aircraft.upd_APAirSpeed(180.0);
    aircraft.upd_APMachNumber(0.78);
    aircraft.upd_APAlt(7000.0);
    EXPECT_EQ(aircraft.callCount("upd_APAlt"), 2);
    EXPECT_EQ(aircraft.callCount("upd_APMachNumber"), 1);
    EXPECT_EQ(aircraft.callCount("upd_visib"), 0);
    ASSERT_NE(aircraft.lastCall("upd_APAlt"), nullptr);
    EXPECT_EQ(aircraft.lastCall("upd_APAlt")->args[0], 7000.0);
    EXPECT_EQ(aircraft.lastCall("upd_visib"), nullptr);
}

TEST_F(Received, LogKeepsOnlyTheMostRecentCalls) {
    const int total = static_cast<int>(BuiltInAircraft::kDefaultLogLimit) + 5;
    for (int i = 0; i < total; ++i) {
        aircraft.upd_visib(i);
    }
    EXPECT_EQ(aircraft.calls().size(), BuiltInAircraft::kDefaultLogLimit);
    EXPECT_EQ(aircraft.calls().front().args[0], 5.0);
    EXPECT_EQ(aircraft.calls().back().args[0], total - 1.0);
    EXPECT_EQ(aircraft.callCount("upd_visib"), total);

    aircraft.setLogLimit(10);
    EXPECT_EQ(aircraft.calls().size(), 10u);
    EXPECT_EQ(aircraft.calls().back().args[0], total - 1.0);
}

TEST_F(Received, ClearingTheLogKeepsTheWeather) {
    aircraft.upd_visib(5.0);
    aircraft.clearLog();
    EXPECT_TRUE(aircraft.calls().empty());
    EXPECT_EQ(aircraft.callCount("upd_visib"), 0);
    EXPECT_TRUE(aircraft.weather().visibilityReceived);
}

TEST_F(Received, BadNumbersDoNotSpoilTheAircraft) {
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
