#include "flightplan/PlanWinds.h"

#include <gtest/gtest.h>

#include <memory>

#include "flightplan/PlanTable.h"
#include "weather/AloftField.h"

namespace zephyra::flightplan {
namespace {

// One wind and temperature everywhere, north of 60 S (the forecast reaches no further).
class UniformWind final : public weather::AloftData {
  public:
    UniformWind(std::optional<double> from, double knots, double temperature)
        : from_(from), knots_(knots), temperature_(temperature) {}
    std::optional<weather::AloftSample> at(double lat, double, double) const override {
        if (lat < -60.0) {
            return std::nullopt;
        }
        return weather::AloftSample{from_, knots_, temperature_, "TEST", 0};
    }
    std::string name() const override { return "TEST"; }
    std::int64_t validTime() const override { return 1796709600; }  // 2026-12-08 06Z

  private:
    std::optional<double> from_;
    double knots_;
    double temperature_;
};

weather::AloftField fieldOf(std::optional<double> from, double knots, double temperature = -15) {
    weather::AloftField field;
    field.add(std::make_shared<UniformWind>(from, knots, temperature));
    return field;
}

// Legs along a meridian or the equator keep their course; one degree is 60 nm. They are flown
// at sea level in 15 C, where indicated is true airspeed. Expected values worked by hand: a
// 30 kt wind from the left of a 120 kt north leg leaves sqrt(120^2 - 30^2) = 116.19 kt, 60 nm
// in 30.98 min; Mach 0.5 at 15 C is 0.5 * 38.967854 * sqrt(288.15) = 330.74 kt, and at -15 C
// 313.05 kt.
TEST(PlanWinds, LegsInAUniformWind) {
    struct Case {
        const char* what;
        double toLat, toLon;  // from 0, 0
        std::optional<double> windFrom;
        double windKt;
        double speed;
        double course, tail, cross;
        std::optional<double> gs, minutes;
    } cases[] = {
        {"north leg, west wind", 1, 0, 270, 30, 120, 0, 0, -30, 116.19, 30.98},
        {"north leg, east wind", 1, 0, 90, 30, 120, 0, 0, 30, 116.19, 30.98},
        {"headwind", 1, 0, 360, 40, 150, 0, -40, 0, 110, 32.727},
        {"tailwind east", 0, 1, 270, 25, 200, 90, 25, 0, 225, 16.0},
        {"south leg, wind from the south-west", -1, 0, 225, 20, 100, 180, -14.142, 14.142, 84.853,
         42.426},
        {"crosswind above the airspeed", 1, 0, 90, 130, 120, 0, 0, 130, {}, {}},
        {"headwind above the airspeed", 1, 0, 0, 130, 120, 0, -130, 0, {}, {}},
        {"light and variable", 1, 0, {}, 3, 120, 0, 0, 0, 120, 30},
        {"Mach at the forecast's temperature", 1, 0, 0, 30.739, 0.5, 0, -30.739, 0, 300, 12},
        {"no speed", 1, 0, 270, 30, 0, 0, 0, -30, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto field = fieldOf(c.windFrom, c.windKt, 15);
        const LegWind leg = legWind(0, 0, c.toLat, c.toLon, 0, c.speed, &field);
        EXPECT_TRUE(leg.forecast);
        EXPECT_NEAR(leg.distanceNm, 60.0, 1e-9);
        EXPECT_NEAR(leg.courseTrue, c.course, 1e-9);
        EXPECT_NEAR(leg.tailwindKt, c.tail, 1e-3);
        EXPECT_NEAR(leg.crosswindKt, c.cross, 1e-3);
        EXPECT_EQ(leg.windDirection.has_value(), c.windFrom.has_value());
        if (c.windFrom) {
            EXPECT_NEAR(*leg.windDirection, *c.windFrom == 360 ? 0.0 : *c.windFrom, 1e-9);
            EXPECT_NEAR(leg.windKnots, c.windKt, 1e-9);
        }
        ASSERT_EQ(leg.groundSpeedKt.has_value(), c.gs.has_value());
        ASSERT_EQ(leg.minutes.has_value(), c.minutes.has_value());
        if (c.gs) {
            EXPECT_NEAR(*leg.groundSpeedKt, *c.gs, 0.01);
            EXPECT_NEAR(*leg.minutes, *c.minutes, 0.01);
        }
        EXPECT_EQ(leg.source, "TEST");
    }
    const auto field = fieldOf(270, 30);
    EXPECT_NEAR(*legWind(0, 0, 1, 0, 9000, 0.5, &field).tasKt, 313.05, 0.01);
    // Without a field, or where it does not reach: no wind, the ground speed is the airspeed.
    const weather::AloftField empty;
    for (const auto* f : {static_cast<const weather::AloftField*>(nullptr), &empty, &field}) {
        const LegWind leg = legWind(-70, 0, -71, 0, 0, 120, f);
        EXPECT_FALSE(leg.forecast);
        EXPECT_EQ(leg.tailwindKt, 0.0);
        EXPECT_NEAR(*leg.groundSpeedKt, 120.0, 1e-9);
        EXPECT_NEAR(*leg.minutes, 30.0, 1e-9);
        EXPECT_TRUE(leg.source.empty());
    }
    // Mach without a temperature: the standard atmosphere's at 9,000 ft (270.32 K, 640.68 kt).
    EXPECT_NEAR(*planTrueAirspeed(0.5, 9000), 320.34, 0.01);
    // Indicated knots aloft, compressible flow, worked from the standard atmosphere's pressure
    // (E6B: 150 kt at 10,000 ft is 174 kt), in the standard temperature or the one given.
    const struct {
        double knots, feet;
        std::optional<double> celsius;
        double tas;
    } indicated[] = {
        {120, 0, {}, 120.0},      {150, 10000, {}, 174.05}, {250, 9000, {}, 284.48},
        {270, 35000, {}, 458.18}, {120, 9000, -15, 134.12}, {280, 35000, -40, 488.71},
    };
    for (const auto& c : indicated) {
        EXPECT_NEAR(*planTrueAirspeed(c.knots, c.feet, c.celsius), c.tas, 0.01)
            << c.knots << " kt " << c.feet << " ft";
    }
    EXPECT_FALSE(planTrueAirspeed(-3, 9000).has_value());
}

// The table flies every leg in the wind and sums the minutes; an unknown one ends the sum.
TEST(PlanWinds, PlanTableTotals) {
    const auto field = fieldOf(270, 30, 15);
    FlightPlan f;
    f.ends = {"Start", 0.0, 0.0, "", 0, 0};
    f.plan.append({"North", "0", "120", 1.0, 0.0, 0, 120});
    f.plan.append({"East", "2743", "120", 1.0, 1.0, 2743, 120});
    const WaypointStore store;
    const PlanWindsInput metres{&field, 0, true};
    const PlanTable table = planTable(f, store, std::nullopt, &metres);
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_TRUE(table.winds && table.windsAloft);
    EXPECT_EQ(table.windSource, "TEST");
    EXPECT_EQ(table.windValidFirst, 1796709600);
    EXPECT_NEAR(table.rows[1].wind->altitudeFeet, 8999.2, 0.1);  // 2743 m
    ASSERT_TRUE(table.windMinutes.has_value());
    EXPECT_NEAR(*table.windMinutes, *table.rows[0].wind->minutes + *table.rows[1].wind->minutes,
                1e-9);
    EXPECT_NEAR(*table.rows[0].wind->minutes, 30.98, 0.01);

    f.plan.append({"Stalled", "0", "20", 2.0, 1.0, 0, 20});  // 30 kt against 20 kt
    const PlanTable stalled = planTable(f, store, std::nullopt, &metres);
    EXPECT_FALSE(stalled.rows[2].wind->groundSpeedKt.has_value());
    EXPECT_FALSE(stalled.windMinutes.has_value());
    EXPECT_FALSE(planTable(f, store, std::nullopt).winds);
}

}  // namespace
}  // namespace zephyra::flightplan
