#include "delivery/BlendedSender.h"
#include "delivery/CloudTextures.h"
#include "delivery/DeliveryFixture.h"
#include "delivery/RandomVariation.h"
#include "delivery/StationTracker.h"
#include "platform/Random.h"

#include <functional>

namespace zephyra::delivery::test {
namespace {

weather::StationList listOf(std::initializer_list<weather::StationEntry> entries) {
    weather::StationList list;
    list.entries.insert(list.entries.end(), entries);
    return list;
}

TEST(ClosestStation, FlatGridTiesAndEmptyTexts) {
    const weather::StationEntry north{"CYAA", 61, -100, "North", "MB", "Canada"};
    const weather::StationEntry west{"CYBB", 60, -101.5, "West", "SK", "Canada"};
    const weather::StationEntry twin{"CYCC", 59, -100, "Twin", "MB", "Canada"};
    const weather::StationEntry shortId{"X", 60, -100.1, "Short", "", ""};
    struct Case {
        const char* what;
        weather::StationList list;
        std::string expected;
    };
    const Case cases[] = {
        // 1 degree against 1.5 on the grid, although the second is nearer on the ground.
        {"grid, not ground distance", listOf({west, north}), "CYAA-North, MB"},
        {"a tie keeps the lower index", listOf({twin, north}), "CYCC-Twin, MB"},
        {"a tie keeps the lower index", listOf({north, twin}), "CYAA-North, MB"},
        {"the nearest has a short identifier", listOf({north, shortId}), ""},
        {"no stations", weather::StationList{}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findClosestStation(c.list, 60, -100), c.expected) << c.what;
    }
    // The grid does not wrap at the date line: 9.5 degrees west beats 1 degree east.
    const weather::StationEntry east{"PAAA", 60, -179.5, "East", "AK", "US"};
    const weather::StationEntry west170{"UHAA", 60, 170, "West", "", "Russia"};
    EXPECT_EQ(findClosestStation(listOf({east, west170}), 60, 179.5), "UHAA-West, ");
}

class TrackerTest : public DeliveryTest {
  protected:
    void SetUp() override {
        DeliveryTest::SetUp();
        add(station("KAAA"));
        add(station("KBBB"));
        stations = listOf(
            {{"KAAA", 33, -84, "Alpha", "GA", "US"}, {"KBBB", 35, -84, "Bravo", "TN", "US"}});
    }
    weather::StationList stations;
    StationTracker tracker{stations, sender, host};
};

TEST_F(TrackerTest, SwitchesOncePerChangeOfStation) {
    tracker.tick();  // no position yet
    EXPECT_TRUE(host.statuses.empty());

    host.position = {{33.2, -84.0}};
    tracker.tick();
    EXPECT_EQ(host.closest, "KAAA-Alpha, GA");
    EXPECT_EQ(host.last, "KAAA");
    EXPECT_EQ(host.count("Switching stations"), 1);
    EXPECT_EQ(sim.callCount("upd_temps"), 1);  // first send: at once

    tracker.tick();  // same station: nothing sent
    EXPECT_EQ(sim.callCount("upd_temps"), 1);
    EXPECT_EQ(host.count("Finding Closest Station"), 2);

    host.position = {{34.9, -84.0}};
    tracker.tick();
    EXPECT_EQ(host.last, "KBBB");
    EXPECT_EQ(sim.callCount("upd_temps"), 61);
    EXPECT_EQ(host.count("Transition 60"), 1);

    // Manual Update sends the shown station from itself.
    tracker.manualUpdate();
    EXPECT_EQ(sim.callCount("upd_temps"), 121);

    // An empty station text sends nothing and empties the last station.
    stations.clear();
    tracker.tick();
    EXPECT_EQ(host.closest, "");
    EXPECT_EQ(host.last, "KBBB");
    tracker.manualUpdate();
    EXPECT_EQ(host.last, "");
    EXPECT_EQ(sim.callCount("upd_temps"), 121);

    // A disabled window shows no search.
    host.enabled = false;
    const int shown = host.count("Finding Closest Station");
    tracker.tick();
    EXPECT_EQ(host.count("Finding Closest Station"), shown);
}

class VariationTest : public DeliveryTest {
  protected:
    platform::PinnedRandom random;
    RandomVariation variation{sim, random, sender, host, dir.file("vanedb.mdb")};
};

TEST_F(VariationTest, StepsClampWrapAndWriteBack) {
    weather::WeatherRecord r = station("KAAA");
    r.w2Dir = 356;
    r.w3Dir = 2;
    r.w2Spd = 2;
    r.w2Turb = 98;
    r.w3Spd = 10;
    r.w3Turb = 3;
    add(r);
    sender.settings.MaxTurb = 100;
    // Sign draw below 0.5 is +, then the magnitude draw.
    random.queueAll({0.0, 0.9,   // w2Dir +4
                     0.6, 0.9,   // w3Dir -4
                     0.6, 0.9,   // w2Spd -4
                     0.0, 0.95,  // w2Turb +9
                     0.0, 0.0,   // w3Spd +0
                     0.6, 0.95,  // w3Turb -9
                     0.999});    // interval
    EXPECT_EQ(variation.tick("KAAA-Alpha, GA"), 59000);
    EXPECT_EQ(host.statuses.back(), "Processing Weather");
    const auto after = db->findWeather("KAAA");
    EXPECT_EQ(after->w2Dir, 360);  // only above 360 wraps
    EXPECT_EQ(after->w3Dir, 358);
    EXPECT_EQ(after->w2Spd, 0);
    EXPECT_EQ(after->w2Turb, 100);
    EXPECT_EQ(after->w3Spd, 10);
    EXPECT_EQ(after->w3Turb, 0);
    ASSERT_EQ(sim.calls().size(), 2u);
    EXPECT_EQ(sim.calls()[0].name, "upd_wind3");
    EXPECT_EQ(sim.calls()[1].args, (std::vector<double>{8000, 20000, 0, 360, 100, 0}));
    random.queueAll({0.0, 0.9, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0});
    variation.tick("KAAA-Alpha, GA");
    EXPECT_EQ(db->findWeather("KAAA")->w2Dir, 4);  // 360 + 4
}

// "Send Weather to FS" off: no send reaches the simulator, not even FS98's cloud redraw.
TEST_F(VariationTest, SwitchOffSilencesEverySend) {
    for (const char* name : {"DENSE.CL1", "CLR.CLD"}) {
        dir.write(name, name);
    }
    dir.mkdir("FS98/texture");
    sim.coverDrawn = false;
    sender.settings.NewClouds = true;
    add(station("KAAA"));
    add(station("KBBB"));
    host.sendOn = false;
    random.setConstant(0.5);
    const std::pair<const char*, std::function<void()>> sends[] = {
        {"first send", [&] { sender.sendStationWeather("KAAA", ""); }},
        {"transition", [&] { sender.sendStationWeather("KBBB", "KAAA"); }},
        {"manual update", [&] { sender.sendStationWeather("KBBB", "KBBB"); }},
        {"random variation", [&] { variation.tick("KBBB-Bravo, GA"); }},
    };
    for (const auto& [what, send] : sends) {
        send();
        EXPECT_TRUE(sim.calls().empty()) << what << ": " << sim.calls().front().name;
        EXPECT_FALSE(dir.exists("FS98/texture/clouds.r8")) << what;
    }
    // The drift still goes on in the record.
    EXPECT_NE(db->findWeather("KBBB")->w2Dir, station("KBBB").w2Dir);

    // Turned off during the redraw's waits: nothing more goes out after that.
    host.sendOn = true;
    std::unique_ptr<platform::Timer> off = clock.createTimer([&] {
        off->setInterval(0);
        host.sendOn = false;
    });
    off->setInterval(2000);
    const double start = clock.now();
    sender.sendStationWeather("KAAA", "");
    ASSERT_FALSE(sim.calls().empty());
    EXPECT_EQ(sim.calls().back().time, start);  // the send and the first redraw call only
}

TEST_F(VariationTest, WindsOffChangeNothingButHazeStillToggles) {
    weather::WeatherRecord r = station("KAAA");
    r.VisibVary = true;
    add(r);
    sender.settings.Wind = false;
    random.setConstant(0.5);
    EXPECT_EQ(variation.tick(""), 0);  // no station yet: no draw
    EXPECT_EQ(random.draws(), 0u);
    EXPECT_EQ(variation.tick("KAAA"), 35000);
    EXPECT_EQ(*db->findWeather("KAAA"), r);
    EXPECT_TRUE(sim.calls().empty());
    EXPECT_EQ(sender.variedVisibility, 5.0);
    variation.tick("KAAA");
    EXPECT_EQ(sender.variedVisibility, 0.0);
    variation.tick("KZZZ");  // no record: left alone
    EXPECT_EQ(sender.variedVisibility, 0.0);

    // The held reduction is the next transition's starting visibility, then cleared.
    variation.tick("KAAA");
    add(station("KBBB"));
    sender.sendStationWeather("KBBB", "KAAA");
    // The station's full observation goes first (none here: a record without a report).
    EXPECT_EQ(sim.calls()[0].name, "upd_observed");
    EXPECT_EQ(sim.calls()[1].name, "upd_temps");
    EXPECT_EQ(sim.lastCall("upd_visib")->args[0], 10);
    EXPECT_EQ(sim.calls()[2].args[0], 5);  // 5 + 5/60, rounded
    EXPECT_EQ(sender.variedVisibility, 0.0);
}

TEST(CloudTextures, BandsAndCovers) {
    struct Case {
        double base, cover;
        const char* expected;
    };
    const Case cases[] = {
        {2500, 6, "DENSE.CL1"},   {2500, 1, "LIGHT.CL1"},   {2500, 4, "MED.CL2"},
        {9999, 6, "DENSE.CL1"},   {10000, 6, "FRONTW.CLD"}, {12000, 5, "DENSE.CL1"},
        {17999, 7, "FRONTW.CLD"}, {18000, 6, "DENSE.CL1"},  {18000, 5, "CIRD.CLD"},
        {25000, 0, "CLR.CLD"},    {0, 3, nullptr},          {40000, 8, "OVCB.CLD"},
        {3000, 8, "OVCB.CLD"},
    };
    for (const auto& c : cases) {
        const char* got = cloudTextureFor(c.base, c.cover);
        EXPECT_EQ(got == nullptr ? "" : std::string(got), c.expected == nullptr ? "" : c.expected)
            << c.base << " ft, " << c.cover << " eighths";
    }
}

TEST(CloudTextures, FailsQuietlyAndKeepsThePreviousTexture) {
    zephyra::test::TempDir dir;
    dir.write("FS98/texture/clouds.r8", "old");
    EXPECT_FALSE(installCloudTexture(dir.path(), dir.file("FS98"), 2500, 6));  // no source
    EXPECT_EQ(dir.read("FS98/texture/clouds.r8"), "old");
    dir.write("DENSE.CL1", "dense");
    EXPECT_TRUE(installCloudTexture(dir.path(), dir.file("FS98"), 2500, 6));
    EXPECT_EQ(dir.read("FS98/texture/clouds.r8"), "dense");
    EXPECT_FALSE(installCloudTexture(dir.path(), dir.file("missing"), 2500, 6));
}

}  // namespace
}  // namespace zephyra::delivery::test

namespace zephyra::delivery::test {

// The blended mode over two stored stations 2 degrees apart: one with a METAR read whole, one
// with classic values only.
TEST_F(DeliveryTest, BlendedSendsMoveAtThePilotsRates) {
    weather::WeatherRecord a = station("KAAA");
    a.RawText = "KAAA 071200Z 27010KT 10SM SCT030CB 20/10 A3000";
    a.ObsTime = "2026-12-07T12:00Z";
    a.TempScale = "C";
    a.t0Deg = 20;
    a.Pressure = 1015.9;
    weather::WeatherRecord b = station("KBBB");
    b.Observation = "SA";
    b.TempScale = "C";
    b.t0Deg = 10;
    b.w0Dir = 360;
    b.w0Spd = 30;
    b.Pressure = 1000;
    const auto list =
        listOf({{"KAAA", 33, -84, "Alpha", "GA", "US"}, {"KBBB", 35, -84, "Bravo", "TN", "US"}});
    const double now = 1796644800;  // 12:00Z
    auto stations = blendStations({a, b}, list, now, 50);
    ASSERT_EQ(stations.size(), 2u);
    // SCT030CB over 1,000 ft
    EXPECT_EQ(stations[0].layers, (std::vector<BlendLayer>{{4, 4000, Convection::Cumulonimbus}}));
    EXPECT_EQ(stations[0].dewPointC, 10);
    EXPECT_NEAR(stations[0].visibilityMiles, 10, 1e-3);                   // 16,093 m
    EXPECT_EQ(stations[1].layers, (std::vector<BlendLayer>{{4, 3000}}));  // the classic layer
    EXPECT_FALSE(stations[1].dewPointC);

    BlendedSender blended(sim, sender, host);
    blended.blend.radiusNm = 100;
    blended.blendEverySeconds = 1;
    blended.setStations(std::move(stations), {a, b});
    host.position = {{33.5, -84.0}};  // 30 and 90 nm: weights 9 to 1
    blended.tick(5);
    EXPECT_EQ(blended.weightsText(), "KAAA 90%, KBBB 10%");
    EXPECT_EQ(host.statuses.back(), "KAAA 90%, KBBB 10% (reports 0 min old)");
    const auto& first = sim.weather().observed;
    ASSERT_TRUE(first.temperatureC && first.windKnots && first.seaLevelInHg);
    const double t = *first.temperatureC;
    const double hg = *first.seaLevelInHg;
    EXPECT_NEAR(t, 19.0, 1e-3);  // both at 1,000 ft
    EXPECT_NEAR(hg, (0.9 * 1015.9 + 0.1 * 1000) / 33.8639, 1e-4);
    // The two layers are one, a cumulonimbus by nine tenths of the weight, drawn as deep.
    ASSERT_EQ(first.layers.size(), 1u);
    EXPECT_TRUE(first.layers[0].cumulonimbus);
    EXPECT_EQ(first.layers[0].thickness, 15000);

    host.position = {{34.5, -84.0}};  // now 1 to 9: the target jumps, the send does not
    blended.tick(1);
    const auto& next = sim.weather().observed;
    EXPECT_NEAR(*next.temperatureC, t - 0.095, 1e-9);
    EXPECT_NEAR(*next.seaLevelInHg, hg - 0.005, 1e-9);
    EXPECT_NEAR(sent("upd_temps", 8).back(), *next.seaLevelInHg * 33.8639, 1e-9);
}

}  // namespace zephyra::delivery::test
