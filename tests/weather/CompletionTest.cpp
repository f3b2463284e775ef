#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "platform/Random.h"
#include "weather/Completion.h"

using namespace zephyra;
using weather::CompletionStyle;
using weather::StationFacts;
using weather::WeatherRecord;

namespace {

// Draws taken before the target direction: cloud turbulence (2), deviations (2), surface
// depth and turbulence (2), layer 1 top and speed (2).
constexpr int kDrawsBeforeTarget = 8;

WeatherRecord surface(double dir, double spd, int t0) {
    WeatherRecord r;
    r.ID = "KTST";
    r.w0Dir = dir;
    r.w0Spd = spd;
    r.t0Deg = t0;
    return r;
}

// A generator whose target draw gives the wanted westerly (240..299).
platform::PinnedRandom withTarget(int target) {
    platform::PinnedRandom rnd;
    for (int i = 0; i < kDrawsBeforeTarget; ++i) {
        rnd.queue(0.0);
    }
    rnd.queue((target - 240 + 0.5) / 60.0);
    rnd.setConstant(0.0);
    return rnd;
}

// The temperatures of the three upper layers.
std::vector<int> upper(const WeatherRecord& r) {
    return {r.t1Deg, r.t2Deg, r.t3Deg};
}

}  // namespace

TEST(CompletionWinds, TurnByThirdsTheShorterWayTowardsTheTarget) {
    const struct {
        double surface;
        int target;
        std::vector<double> layers;
    } cases[] = {{350, 250, {316, 282, 248}}, {10, 280, {340, 310, 280}}};  // across north
    for (const auto& c : cases) {
        auto rnd = withTarget(c.target);
        WeatherRecord r = surface(c.surface, 10, 15);
        weather::completeRecord(r, {}, CompletionStyle::metar(), rnd);
        EXPECT_EQ(std::vector<double>({r.w1Dir, r.w2Dir, r.w3Dir}), c.layers) << c.surface;
    }
}

TEST(CompletionWinds, LayersStackAndSpeedsGrowWithHeight) {
    platform::PinnedRandom rnd(7);
    for (int i = 0; i < 2000; ++i) {
        WeatherRecord r = surface(i % 361, 0, 15);
        weather::completeRecord(r, {}, CompletionStyle::metar(), rnd);
        ASSERT_GE(r.w1Spd, 0);
        ASSERT_LE(r.w1Spd, 13);
        ASSERT_GE(r.w0Depth, 4000);
        ASSERT_LE(r.w0Depth, 6000);
        ASSERT_EQ(r.w1Base, r.w0Depth);
        ASSERT_GE(r.w1Top - r.w1Base, 6000);
        ASSERT_LE(r.w1Top - r.w1Base, 16000);
        ASSERT_EQ(r.w2Base, r.w1Top);
        ASSERT_EQ(r.w3Base, r.w2Top);
        ASSERT_EQ(r.w3Top, 80000);
        ASSERT_GE(r.w2Spd, r.w1Spd + 10);
        ASSERT_GE(r.w3Spd, r.w2Spd + 10);
        for (double d : {r.w1Dir, r.w2Dir, r.w3Dir}) {
            ASSERT_GE(d, 0);
            ASSERT_LE(d, 360);
        }
        for (double t : {r.w1Turb, r.w2Turb, r.w3Turb, r.Cl1Turb, r.Cl2Turb}) {
            ASSERT_GE(t, 0);
            ASSERT_LE(t, 255);
        }
        ASSERT_TRUE(r.w1Gust == 0 || r.w1Gust == 1);
    }
}

TEST(CompletionTemperatures, FixedLapseWithFloors) {
    platform::PinnedRandom rnd;
    rnd.setConstant(0.999);
    WeatherRecord warm = surface(0, 0, 15);
    weather::completeRecord(warm, {}, CompletionStyle::metar(), rnd);
    EXPECT_EQ(upper(warm), std::vector<int>({-21, -39, -56}));
    EXPECT_EQ(std::vector<int>({warm.t1alt, warm.t2Alt, warm.t3alt}),
              std::vector<int>({20000, 30000, 40000}));

    WeatherRecord cold = surface(0, 0, -20);
    weather::completeRecord(cold, {}, CompletionStyle::metar(), rnd);
    EXPECT_EQ(upper(cold), std::vector<int>({-50, -60, -70}));
}

TEST(CompletionTemperatures, CelsiusStationsAreConvertedWithFloor) {
    platform::PinnedRandom rnd;
    rnd.setConstant(0.0);
    WeatherRecord r = surface(0, 0, 15);
    weather::completeRecord(r, {0, true}, CompletionStyle::metar(), rnd);
    EXPECT_EQ(r.t0Deg, 59);
    // -21 °C = -5.8 °F and -39 °C = -38.2 °F, rounded down.
    EXPECT_EQ(upper(r), std::vector<int>({-6, -39, -39}));
}

TEST(CompletionClouds, NoCloudsStayEmptyAndSitAtTheStation) {
    platform::PinnedRandom rnd;
    rnd.setConstant(0.9);
    WeatherRecord r = surface(0, 0, 15);
    weather::completeRecord(r, {984, true}, CompletionStyle::metar(), rnd);
    EXPECT_EQ(r.Cl1Dev + r.Cl2Dev, 0);
    EXPECT_EQ(std::vector<int>({r.cl1Base, r.cl1Top, r.cl2Base, r.cl2Top, r.t0Alt}),
              std::vector<int>({984, 984, 0, 0, 984}));
}

TEST(CompletionClouds, ClearSkyStillGetsTurbulenceFromItsThickness) {
    platform::PinnedRandom rnd;
    rnd.setConstant(0.5);
    WeatherRecord r = surface(0, 0, 15);
    r.cl1Base = 25000;
    r.cl1Top = 25700;
    weather::completeRecord(r, {weather::elevationFeet(300), true}, CompletionStyle::metar(), rnd);
    EXPECT_DOUBLE_EQ(r.Cl1Turb, 0.5 * 700 * 3 / 350 * 10);
    EXPECT_EQ(r.cl1Base, 25984);
    EXPECT_EQ(r.Cl1Dev, 300);
}

TEST(CompletionClouds, IcingBandIsInclusive) {
    platform::PinnedRandom rnd;
    rnd.setConstant(0.0);
    // 40 degrees at the surface: 34 at 1714 ft, 22 at 5143 ft.
    WeatherRecord edge = surface(0, 0, 40);
    edge.cl1Base = 5142;
    edge.cl1Top = 5142;
    edge.cl2Base = 1800;
    edge.cl2Top = 1800;
    weather::completeRecord(edge, {}, CompletionStyle::metar(), rnd);
    EXPECT_EQ(edge.Cl1Icing, 1);
    EXPECT_EQ(edge.Cl2Icing, 1);

    WeatherRecord dry = surface(0, 0, 40);
    dry.cl1Base = 1000;
    dry.cl1Top = 1600;
    weather::completeRecord(dry, {}, CompletionStyle::metar(), rnd);
    EXPECT_EQ(dry.Cl1Icing, 0);
}

TEST(CompletionStyles, SaDrawsCoverFromWordsAndStrongerTurbulence) {
    platform::PinnedRandom rnd;
    rnd.setConstant(0.5);
    WeatherRecord r = surface(0, 20, 80);
    r.cl1CoverCode = "SCT";
    r.cl1Base = 2000;
    r.cl1Top = 2700;
    r.cl2CoverCode = "OVC";
    r.cl2Base = 9000;
    r.cl2Top = 9700;
    weather::completeRecord(r, {}, CompletionStyle::sa(), rnd);
    EXPECT_EQ(r.Cl1Coverage, 3);
    EXPECT_EQ(r.Cl2Coverage, 8);
    EXPECT_DOUBLE_EQ(r.Cl1Turb, 0.5 * 700 * 3 / 350 * 36.4);
    EXPECT_DOUBLE_EQ(r.w0Turb, 0.5 * 2 * 36.4);
    EXPECT_EQ(upper(r), std::vector<int>({80 - 45, 80 - 90, 80 - 135}));

    WeatherRecord clear = surface(0, 0, 80);
    clear.cl1CoverCode = "CLR";
    clear.Cl1Coverage = 0;
    weather::completeRecord(clear, {}, CompletionStyle::sa(), rnd);
    EXPECT_EQ(clear.Cl1Coverage, 0);
}

TEST(CompletionStyles, CustomWeatherKeepsItsHeightsAndScale) {
    platform::PinnedRandom rnd;
    rnd.setConstant(0.999);
    WeatherRecord r = surface(90, 10, 15);
    r.cl1Base = 3000;
    r.cl1Top = 4000;
    weather::completeRecord(r, {1000, true}, CompletionStyle::custom(), rnd);
    EXPECT_EQ(r.cl1Base, 3000);
    EXPECT_EQ(r.t0Deg, 15);
    EXPECT_EQ(r.t0Alt, 0);
    EXPECT_EQ(upper(r), std::vector<int>({15 - 34, -53, -70}));
}

// Whatever a report, a plan or the database holds, completion works on physical values and
// its arithmetic cannot overflow.
TEST(CompletionRanges, ValuesAreBroughtIntoPhysicalRanges) {
    constexpr int kMin = std::numeric_limits<int>::min();
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        int base, top, t0;
        double wind, pressure;
        int wantBase, wantTop, wantT0;
        double wantWind, wantPressure;
    } cases[] = {
        {"in range", 1000, 3000, 15, 12, 1013, 1000, 3000, 15, 12, 1013},
        {"extreme ints", kMin, kMax, kMin, 2147483647.0, -kInf, 0, 60000, -150, 250, 850},
        {"the other ends", kMax, kMin, kMax, -5, kInf, 60000, 0, 150, 0, 1185},
        {"not a number", 0, 0, 0, std::nan(""), std::nan(""), 0, 0, 0, 0, 1013.25},
    };
    for (const auto& c : cases) {
        WeatherRecord r;
        r.cl1Base = c.base;
        r.cl1Top = c.top;
        r.cl2Base = c.base;
        r.cl2Top = c.top;
        r.t0Deg = c.t0;
        r.Dew = c.t0;
        r.w0Spd = c.wind;
        r.w0Dir = c.wind;
        r.Pressure = c.pressure;
        platform::PinnedRandom rnd;
        rnd.setConstant(0.99);
        const int shift = weather::elevationFeet(1e300);  // capped, as a damaged table gives
        weather::completeRecord(r, StationFacts{shift, true}, CompletionStyle::metar(), rnd);
        SCOPED_TRACE(c.name);
        EXPECT_EQ(r.Pressure, c.wantPressure);
        EXPECT_EQ(r.w0Spd, c.wantWind);
        EXPECT_LE(r.Cl1Turb, 255);
        // The station shift and the scale change come after the clamp.
        EXPECT_EQ(r.cl1Base, c.wantBase + shift);
        EXPECT_EQ(r.cl1Top, c.wantTop + shift);
        EXPECT_EQ(r.t0Deg, static_cast<int>(std::floor(c.wantT0 * 1.8 + 32)));
    }
}
