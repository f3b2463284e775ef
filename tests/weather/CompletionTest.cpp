#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "RecordFields.h"
#include "platform/Random.h"
#include "weather/AloftField.h"
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

namespace {

// A forecast over latitudes 30 to 40: the wind turns and strengthens by a degree and a knot
// per 1,000 ft from 200 degrees, and the air cools by 2 C per 1,000 ft from 15 C. Optionally
// light and variable and without temperatures.
class Graded final : public weather::AloftData {
  public:
    explicit Graded(bool calmAndNoTemperature = false) : calm_(calmAndNoTemperature) {}
    std::optional<weather::AloftSample> at(double lat, double, double alt) const override {
        if (lat < 30 || lat > 40) {
            return std::nullopt;
        }
        weather::AloftSample s;
        s.speedKnots = calm_ ? 2 : alt / 1000;
        if (!calm_) {
            s.direction = 200 + alt / 1000;
            s.temperature = 15 - 2 * alt / 1000;
        }
        return s;
    }
    std::string name() const override { return "graded"; }
    std::int64_t validTime() const override { return 0; }

  private:
    bool calm_;
};

std::map<std::string, double> fieldsOf(const WeatherRecord& r) {
    std::map<std::string, double> out;
    for (const auto& [name, get] : test::kRecordFields) {
        out[name] = get(r);
    }
    return out;
}

}  // namespace

// Where the field reaches a placed station, the layers aloft are the field's and nothing else
// changes: the draws are taken all the same, so every value not from the field, and the next
// record's draws, are those of a completion without it.
TEST(CompletionAloft, LayersAloftComeFromTheFieldWhereItReachesTheStation) {
    weather::AloftField graded, calm;
    graded.add(std::make_shared<Graded>());
    calm.add(std::make_shared<Graded>(true));
    const StationFacts atlanta{1000, true, 33.64, -84.43};
    const StationFacts reykjavik{1000, true, 64.13, -21.94};
    const StationFacts unplaced{1000, true};
    const struct {
        const char* name;
        const weather::AloftField* field;
        StationFacts station;
        CompletionStyle style;
        std::string fromField;  // the values the field gives; empty: none
    } cases[] = {
        // All draws 0: layer 1 from 4,000 to 10,000 ft above the station, layer 2 to 16,000,
        // layer 3 to 80,000. Field heights (above sea level) are each layer's middle, at most
        // 5,000 ft above its floor: 8,000, 14,000 and 22,000 ft. Temperatures -25, -45, -65 C
        // at 20,000, 30,000 and 40,000 ft, then in Fahrenheit as the station's scale asks.
        {"metar", &graded, atlanta, CompletionStyle::metar(),
         "w1Dir=208 w1Spd=8 w2Dir=214 w2Spd=14 w3Dir=222 w3Spd=22 t1Deg=-13 t2Deg=-49 "
         "t3Deg=-85"},
        {"sa", &graded, atlanta, CompletionStyle::sa(),
         "w1Dir=208 w1Spd=8 w2Dir=214 w2Spd=14 w3Dir=222 w3Spd=22 t1Deg=-13 t2Deg=-49 "
         "t3Deg=-85"},
        // A station reporting in its own scale (Celsius here) keeps it.
        {"own scale",
         &graded,
         {0, false, 33.64, -84.43},
         CompletionStyle::metar(),
         "w1Dir=207 w1Spd=7 w2Dir=213 w2Spd=13 w3Dir=221 w3Spd=21 t1Deg=-25 t2Deg=-45 "
         "t3Deg=-65"},
        // Light and variable with no temperatures: the speeds only.
        {"calm", &calm, atlanta, CompletionStyle::metar(), "w1Spd=2 w2Spd=2 w3Spd=2"},
        {"out of reach", &graded, reykjavik, CompletionStyle::metar(), ""},
        {"not placed", &graded, unplaced, CompletionStyle::metar(), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto complete = [&](const weather::AloftField* field, platform::PinnedRandom& rnd) {
            WeatherRecord r = test::record("w0Dir=90 w0Spd=5 t0Deg=15 cl1Base=3000 cl1Top=4000");
            r.TempScale = "C";
            CompletionStyle style = c.style;
            style.aloftField = field;
            weather::completeRecord(r, c.station, style, rnd);
            return r;
        };
        platform::PinnedRandom zeros, zerosToo;
        zeros.setConstant(0.0);
        zerosToo.setConstant(0.0);
        const auto with = complete(c.field, zeros);
        test::expectFields(with, test::kRecordFields, c.fromField);
        // Every other value is the draws' own, and so are the records after.
        auto changed = fieldsOf(with);
        const auto without = fieldsOf(complete(nullptr, zerosToo));
        std::istringstream given(c.fromField);
        for (std::string item; given >> item;) {
            changed.erase(item.substr(0, item.find('=')));
        }
        for (const auto& [name, value] : changed) {
            EXPECT_EQ(value, without.at(name)) << name;
        }
        platform::PinnedRandom seeded(11), seededToo(11);
        complete(c.field, seeded);
        complete(nullptr, seededToo);
        EXPECT_EQ(seeded.draws(), seededToo.draws());
        EXPECT_EQ(seeded.next(), seededToo.next());
    }
}
