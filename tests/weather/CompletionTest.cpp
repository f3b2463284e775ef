#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "RecordFields.h"
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

}  // namespace

TEST(CompletionWinds, TurnByThirdsTheShorterWayTowardsTheTarget) {
    const struct {
        double surface;
        int target;
        std::vector<double> layers;
    } cases[] = {{350, 250, {316, 282, 248}}, {10, 280, {340, 310, 280}}};  // across north
    for (const auto& c : cases) {
        auto rnd = withTarget(c.target);
        WeatherRecord r = test::record("w0Spd=10 t0Deg=15");
        r.w0Dir = c.surface;
        weather::completeRecord(r, {}, CompletionStyle::metar(), rnd);
        EXPECT_EQ(std::vector<double>({r.w1Dir, r.w2Dir, r.w3Dir}), c.layers) << c.surface;
    }
}

TEST(CompletionWinds, LayersStackAndSpeedsGrowWithHeight) {
    platform::PinnedRandom rnd(7);
    for (int i = 0; i < 2000; ++i) {
        WeatherRecord r = test::record("t0Deg=15");
        r.w0Dir = i % 361;
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
    }
}

TEST(Completion, TemperaturesCloudsAndHeights) {
    const auto metar = CompletionStyle::metar();
    const struct {
        const char* given;
        StationFacts station;
        CompletionStyle style;
        double draw;
        const char* expected;
    } cases[] = {
        // Fixed lapse aloft, with its floors
        {"t0Deg=15", {}, metar, 0.999, "t1Deg=-21 t2Deg=-39 t3Deg=-56"},
        {"t0Deg=-20", {}, metar, 0.999, "t1Deg=-50 t2Deg=-60 t3Deg=-70"},
        // A Celsius station's temperatures in Fahrenheit, rounded down: -21 C = -5.8 F,
        // -39 C = -38.2 F
        {"t0Deg=15", {0, true}, metar, 0.0, "t0Deg=59 t1Deg=-6 t2Deg=-39 t3Deg=-39"},
        // No clouds stay empty and sit at the station
        {"t0Deg=15",
         {984, true},
         metar,
         0.9,
         "Cl1Dev=0 Cl2Dev=0 cl1Base=984 cl1Top=984 cl2Base=0 cl2Top=0 t0Alt=984"},
        // A clear sky still gets turbulence from its thickness: 0.5 x 700 x 3 / 350 x 10
        {"t0Deg=15 cl1Base=25000 cl1Top=25700",
         {weather::elevationFeet(300), true},
         metar,
         0.5,
         "Cl1Turb=30 cl1Base=25984 Cl1Dev=300"},
        // The icing band is inclusive: 41 at the surface is 34 at 2000 ft, 29 is 22 there.
        {"t0Deg=41 cl1Base=2000 cl1Top=2000", {}, metar, 0.0, "Cl1Icing=1 Cl2Icing=0"},
        {"t0Deg=29 cl2Base=2000 cl2Top=2000", {}, metar, 0.0, "Cl2Icing=1"},
        {"t0Deg=40 cl1Base=1000 cl1Top=1600", {}, metar, 0.0, "Cl1Icing=0"},
        // Custom weather keeps its heights and scale
        {"w0Dir=90 w0Spd=10 t0Deg=15 cl1Base=3000 cl1Top=4000",
         {1000, true},
         CompletionStyle::custom(),
         0.999,
         "cl1Base=3000 t0Deg=15 t0Alt=0 t1Deg=-19 t2Deg=-53 t3Deg=-70"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        WeatherRecord r = test::record(c.given);
        platform::PinnedRandom rnd;
        rnd.setConstant(c.draw);
        weather::completeRecord(r, c.station, c.style, rnd);
        test::expectFields(r, test::kRecordFields, c.expected);
    }
}

TEST(Completion, SaDrawsCoverFromWordsAndStrongerTurbulence) {
    platform::PinnedRandom rnd;
    rnd.setConstant(0.5);
    auto r = test::record("w0Spd=20 t0Deg=80 cl1Base=2000 cl1Top=2700 cl2Base=9000 cl2Top=9700");
    r.cl1CoverCode = "SCT";
    r.cl2CoverCode = "OVC";
    weather::completeRecord(r, {}, CompletionStyle::sa(), rnd);
    // Turbulence 0.5 x 700 x 3 / 350 x 36.4 in the cloud, 0.5 x 2 x 36.4 at the surface.
    test::expectFields(r, test::kRecordFields,
                       "Cl1Coverage=3 Cl2Coverage=8 Cl1Turb=109.2 w0Turb=36.4 t1Deg=35 t2Deg=-10 "
                       "t3Deg=-55");
    auto clear = test::record("t0Deg=80");
    clear.cl1CoverCode = "CLR";
    weather::completeRecord(clear, {}, CompletionStyle::sa(), rnd);
    EXPECT_EQ(clear.Cl1Coverage, 0);
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
