#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "delivery/Blend.h"
#include "delivery/DeliveryChoice.h"

namespace zephyra::delivery {
namespace {

// Stations laid out around 34 N 84 W: one per quadrant at 15.6 and 23.4 nm, a farther one
// north-east at 31.2 nm, one beyond the 60 nm radius and one 2.1 nm away.
BlendStation at(const char* id, double lat, double lon) {
    BlendStation s;
    s.id = id;
    s.latitude = lat;
    s.longitude = lon;
    return s;
}
const BlendStation kNE = at("KNE", 34.2, -83.8), kSE = at("KSE", 33.8, -83.8),
                   kSW = at("KSW", 33.7, -84.3), kNW = at("KNW", 34.3, -84.3),
                   kFar = at("KFAR", 34.4, -83.6), kOut = at("KOUT", 35.2, -84.0),
                   kOn = at("KON", 34.03, -84.02);
constexpr double kLat = 34.0, kLon = -84.0, kHour = 3600;

TEST(Blend, WeightsByQuadrantDistanceAndAge) {
    const auto aged = [](BlendStation s, double hours) {
        s.ageSeconds = hours * kHour;
        return s;
    };
    const struct {
        const char* name;
        std::vector<BlendStation> stations;
        std::vector<std::pair<std::string, double>> weights;  // heaviest first
    } cases[] = {
        {"nearest per quadrant",
         {kNE, kSE, kSW, kNW, kFar, kOut},
         {{"KNE", .3465}, {"KSE", .3458}, {"KNW", .1541}, {"KSW", .1536}}},
        {"an older report weighs less",
         {aged(kNE, 3.5), kSE, kSW, kNW, kFar},
         {{"KSE", .4015}, {"KNE", .2413}, {"KNW", .1789}, {"KSW", .1783}}},
        {"a stale report gives way to a fresh one in its quadrant",
         {aged(kNE, 7), kSE, kSW, kNW, kFar},
         {{"KSE", .4672}, {"KNW", .2081}, {"KSW", .2075}, {"KFAR", .1171}}},
        {"stale reports are kept when nothing fresher is in range",
         {aged(kNE, 7), aged(kSE, 8), aged(kSW, 9), aged(kNW, 7)},
         {{"KNE", .3465}, {"KSE", .3458}, {"KNW", .1541}, {"KSW", .1536}}},
        {"within 3 nm a station's own report rules", {kNE, kSE, kOn}, {{"KON", 1.0}}},
        {"nothing in range", {kOut}, {}},
    };
    for (const auto& c : cases) {
        const auto w = blendWeights(kLat, kLon, c.stations);
        ASSERT_EQ(w.size(), c.weights.size()) << c.name;
        for (std::size_t i = 0; i < w.size(); ++i) {
            EXPECT_EQ(w[i].id, c.weights[i].first) << c.name;
            EXPECT_NEAR(w[i].weight, c.weights[i].second, 5e-5) << c.name;
        }
    }
    EXPECT_DOUBLE_EQ(ageWeight(0.5 * kHour, 6 * kHour), 1.0);
    EXPECT_DOUBLE_EQ(ageWeight(6 * kHour, 6 * kHour), 0.2);
}

// Two stations north and south at the same distance weigh half each.
TEST(Blend, ValuesBlendAsVectorsAtACommonHeight) {
    BlendStation n = at("KN", 34.5, -84.0), s = at("KS", 33.5, -84.0);
    n.windDirection = 270;
    n.windKnots = 10;
    s.windDirection = 90;
    s.windKnots = 10;
    EXPECT_NEAR(blendAt(kLat, kLon, {n, s}).windKnots, 0.0, 1e-9);  // opposite winds cancel

    s.windDirection = 360;
    n.temperatureC = 20;
    n.dewPointC = 10;
    s.elevationFeet = 1000;
    s.temperatureC = 18;
    s.dewPointC = 12;
    n.seaLevelInHg = 30.00;
    s.seaLevelInHg = 30.10;
    n.visibilityMiles = 10;
    s.visibilityMiles = 2;
    n.rain = 0;
    s.rain = 0.5;
    n.aloft[1] = {10000, 20000, 270, 40};
    s.aloft[1] = {12000, 22000, 360, 40};
    n.aloftTemperatureC = {-20, -40, -56};
    s.aloftTemperatureC = {-24, -44, -56};
    const Blended b = blendAt(kLat, kLon, {n, s});
    EXPECT_NEAR(b.aloft[1].direction, 315, 1e-6);
    EXPECT_NEAR(b.aloft[1].knots, 28.2843, 1e-4);
    EXPECT_NEAR(b.aloft[1].baseFeet, 11000, 1e-9);
    EXPECT_NEAR(b.aloftTemperatureC[0], -22, 1e-9);
    EXPECT_NEAR(b.windDirection, 315, 1e-6);  // (10 kt east + 10 kt south) / 2
    EXPECT_NEAR(b.windKnots, 7.0711, 1e-4);
    EXPECT_NEAR(b.elevationFeet, 500, 1e-9);
    // 20 and 19.98 at sea level, 19.99 there, 0.99 less at 500 ft.
    EXPECT_NEAR(b.temperatureC, 19.0, 1e-9);
    EXPECT_NEAR(*b.dewPointC, 11.0, 1e-9);  // 10 and 12.55 at sea level, 0.275 less at 500 ft
    EXPECT_NEAR(b.seaLevelInHg, 30.05, 1e-9);
    EXPECT_NEAR(b.visibilityMiles, 6, 1e-9);
    EXPECT_NEAR(b.rain, 0.25, 1e-9);
}

// Four stations at the same distance, a quarter each: a layer needs more than half the
// weight at its class or above to appear.
TEST(Blend, CloudLayersFollowTheMajorityOfTheWeight) {
    auto a = at("KA", 34.5, -83.5), b = at("KB", 33.5, -83.5), c = at("KC", 33.5, -84.5),
         d = at("KD", 34.5, -84.5);
    a.layers = {{6, 3000}, {8, 10000}};  // the overcast at 10,000 ft is a quarter alone
    b.layers = {{5, 3400}};
    c.layers = {{3, 3200}, {2, 6000}};
    d.layers = {{1, 2800}, {4, 6400}};
    const auto w = blendWeights(kLat, kLon, {a, b, c, d});
    ASSERT_EQ(w.size(), 4u);
    for (const auto& x : w) {
        ASSERT_NEAR(x.weight, 0.25, 0.002) << x.id;
    }
    // 3,000 ft: BKN a half, SCT a quarter, FEW a quarter: scattered, the SCT reporter's 3/8;
    // 6,000 ft: FEW and SCT a half together, no more: gone.
    const std::vector<BlendLayer> layers = blendAt(kLat, kLon, {a, b, c, d}).layers;
    ASSERT_EQ(layers.size(), 1u);
    EXPECT_EQ(layers[0].eighths, 3);
    EXPECT_NEAR(layers[0].baseFeet, 3100, 5);
    EXPECT_EQ(layers[0].convection, Convection::None);

    // The 3,000 ft layer is convective once half its reporters' weight says CB or TCU.
    using C = Convection;
    const struct {
        C a, b, c, d, blended;
    } convective[] = {
        {C::Cumulonimbus, C::None, C::None, C::None, C::None},
        {C::Cumulonimbus, C::Cumulonimbus, C::Towering, C::None, C::Cumulonimbus},
        {C::None, C::Towering, C::Towering, C::Towering, C::Towering},
        {C::Cumulonimbus, C::Towering, C::Towering, C::None, C::Towering},
    };
    for (const auto& row : convective) {
        a.layers[0].convection = row.a;
        b.layers[0].convection = row.b;
        c.layers[0].convection = row.c;
        d.layers[0].convection = row.d;
        EXPECT_EQ(blendAt(kLat, kLon, {a, b, c, d}).layers.at(0).convection, row.blended)
            << static_cast<int>(row.a) << static_cast<int>(row.b) << static_cast<int>(row.c);
    }
}

TEST(Blend, WhatIsSentMovesAtMostAtAPilotsRates) {
    Blended from;
    from.windDirection = 350;
    from.windKnots = 10;
    from.temperatureC = 15;
    from.dewPointC = 10;
    from.seaLevelInHg = 30.00;
    from.visibilityMiles = 10;
    from.layers = {{6, 3000}};
    Blended to = from;
    to.windDirection = 20;
    to.windKnots = 20;
    to.temperatureC = 10;
    to.dewPointC = 14;
    to.seaLevelInHg = 29.90;
    to.visibilityMiles = 1;
    to.layers = {{8, 4000}, {3, 9000}};
    from.aloft[0] = {5000, 15000, 270, 40};
    to.aloft[0] = {6000, 15000, 300, 30};
    const struct {
        double seconds;
        double dir, kt, temp, dew, inHg, vis, base;
    } cases[] = {
        {1, 351, 10.5, 14.905, 10.095, 29.995, 9, 3050},
        {10, 0, 15, 14.05, 10.95, 29.95, 3.4868, 3500},
        {100, 20, 20, 10, 10, 29.90, 1, 4000},  // reached: the dew point stays below
    };
    for (const auto& c : cases) {
        const Blended n = limitedStep(from, to, c.seconds);
        EXPECT_NEAR(n.windDirection, c.dir, 1e-9) << c.seconds;
        EXPECT_NEAR(n.windKnots, c.kt, 1e-9) << c.seconds;
        EXPECT_NEAR(n.temperatureC, c.temp, 1e-9) << c.seconds;
        EXPECT_NEAR(*n.dewPointC, c.dew, 1e-9) << c.seconds;
        EXPECT_NEAR(n.seaLevelInHg, c.inHg, 1e-9) << c.seconds;
        EXPECT_NEAR(n.visibilityMiles, c.vis, 1e-4) << c.seconds;
        ASSERT_EQ(n.layers.size(), 2u);
        EXPECT_NEAR(n.layers[0].baseFeet, c.base, 1e-9) << c.seconds;
        EXPECT_EQ(n.layers[1], (BlendLayer{3, 9000}));  // a new layer starts where it is
        EXPECT_NEAR(n.aloft[0].direction, std::min(300.0, 270 + c.seconds), 1e-9);
        EXPECT_NEAR(n.aloft[0].knots, std::max(30.0, 40 - c.seconds / 2), 1e-9);
        EXPECT_NEAR(n.aloft[0].baseFeet, std::min(6000.0, 5000 + 50 * c.seconds), 1e-9);
    }
    from.windKnots = 0.5;  // a calm has no direction to keep
    EXPECT_NEAR(limitedStep(from, to, 1).windDirection, 20, 1e-9);
}

// Data refreshed mid-flight: the target jumps, what is sent follows at the rates, second by
// second, and arrives.
TEST(Blend, ARefreshBlendsInAtTheRates) {
    BlendStation n = at("KN", 34.5, -84.0), s = at("KS", 33.5, -84.0);
    n.seaLevelInHg = s.seaLevelInHg = 30.00;
    n.windDirection = s.windDirection = 200;
    n.windKnots = s.windKnots = 8;
    Blended sent = blendAt(kLat, kLon, {n, s});
    s.seaLevelInHg = 29.80;  // the new report of one station
    s.windDirection = 300;
    s.windKnots = 20;
    const Blended target = blendAt(kLat, kLon, {n, s});
    int seconds = 0;
    while (std::fabs(sent.seaLevelInHg - target.seaLevelInHg) > 1e-9 ||
           std::fabs(sent.windKnots - target.windKnots) > 1e-9) {
        const Blended next = limitedStep(sent, target, 1);
        ASSERT_LE(std::fabs(next.seaLevelInHg - sent.seaLevelInHg), 0.005 + 1e-12);
        ASSERT_LE(std::fabs(next.windKnots - sent.windKnots), 0.5 + 1e-12);
        sent = next;
        ASSERT_LT(++seconds, 100);
    }
    EXPECT_EQ(seconds, 20);  // 0.1 inHg at 0.005 a second
}

}  // namespace
}  // namespace zephyra::delivery

namespace zephyra::delivery {
namespace {

TEST(DeliveryChoice, ReadsItsOwnSectionAndKeepsDefaultsForBadValues) {
    std::vector<std::string> problems;
    const auto c = readDeliveryChoice(
        "[Download]\nMode=nearest\nUrl=http://x\n\n[Delivery]\r\nmode = Nearest\r\n"
        "BlendRadiusNm=45.5\nBlendSeconds=2.5\nRefreshMinutes=0\n; BlendSeconds=9\n[Other]\n"
        "BlendSeconds=7\n",
        &problems);
    EXPECT_FALSE(c.blended);
    EXPECT_EQ(c.blendRadiusNm, 45.5);
    EXPECT_EQ(c.blendSeconds, 5);  // not a whole number: the default
    EXPECT_EQ(c.refreshMinutes, 0);
    EXPECT_EQ(problems, (std::vector<std::string>{"BlendSeconds is a whole number, 1 to 60"}));

    const auto defaults = readDeliveryChoice("[Delivery]\nMode=sometimes\nBlendRadiusNm=1e400\n");
    EXPECT_TRUE(defaults.blended);
    EXPECT_EQ(defaults.blendRadiusNm, 60);
    EXPECT_EQ(blendFromWord(" OFF"), false);
    EXPECT_EQ(blendFromWord("blended"), true);
    EXPECT_FALSE(blendFromWord("maybe"));
}

}  // namespace
}  // namespace zephyra::delivery
