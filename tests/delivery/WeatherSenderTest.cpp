#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "delivery/DeliveryFixture.h"
#include "delivery/ObservedWeather.h"

namespace zephyra::delivery::test {
namespace {

using weather::WeatherRecord;

// A record from the table may hold anything; what is sent is physical.
TEST(WeatherSetRanges, RecordsAreBroughtIntoRangeBeforeAnySend) {
    WeatherRecord r;
    r.w0Spd = 2147483647.0;
    r.Pressure = -std::numeric_limits<double>::infinity();
    r.cl1Base = std::numeric_limits<int>::min();
    r.cl1Top = std::numeric_limits<int>::max();
    r.t0Deg = std::numeric_limits<int>::max();
    const auto s = WeatherSet::fromRecord(r);
    EXPECT_EQ(s.w0Spd, 250);
    EXPECT_EQ(s.Pressure, 850);
    EXPECT_EQ(s.cl1Base, 0);
    EXPECT_EQ(s.cl1Top, 60000);
    EXPECT_EQ(s.t0Deg, 150);
}

// What a simulator that models the whole report gets of it: layers above sea level in
// FlightGear's words from the reported class, the dew point, visibility, rain and snow.
TEST(ObservedWeather, FromTheFullReadingOfTheReport) {
    struct Case {
        const char* raw;
        const char* expected;  // layers, then dew point, visibility in m, rain, snow
    };
    const Case cases[] = {
        {"KJFK 231051Z COR 02008KT 10SM FEW035 BKN047 BKN140 OVC210 14/12 A3028 RMK T01390117",
         "few@3513+500 broken@4713+2000 broken@14013+2000 overcast@21013+3000 | 11.7 16093 0 0"},
        {"FAGG 020031Z AUTO 32004KT 0750 0450 R29/0500N -RA FG VV001 12/12 Q1016",
         "overcast@113+1000 | 12 750 0.3 0"},
        // "Or more" reaches the unlimited visibility (30 miles); CB and TCU are tall.
        {"KXYZ 231051Z 27010KT P6SM FEW030CB SCT040TCU BKN/// 20/10 A3001",
         "few@3013+15000CB scattered@4013+8000TCU | 10 48280.3 0 0"},
        {"ENBN 180750Z 12011KT 9999 VCSH -SHSN +RA FEW015 01/M03 Q0986",
         "few@1513+500 | -3 48280.3 0.9 0.3"},
        {"KBBB 231051Z 27010KT 1/2SM -FZDZ SN OVC002 M01/M02 A3001",
         "overcast@213+3000 | -2 805 0.15 0.6"},
    };
    for (const Case& c : cases) {
        WeatherRecord r;
        r.ID = std::string(c.raw).substr(0, 4);
        r.Observation = "METAR";
        r.RawText = c.raw;
        r.t0Alt = 13;
        const simlink::ObservedWeather o = observedWeather(r, 30);
        ASSERT_TRUE(o.valid) << c.raw;
        std::string got;
        for (const auto& l : o.layers) {
            got += l.coverage + "@" + std::to_string(l.base) + "+" + std::to_string(l.thickness) +
                   (l.cumulonimbus ? "CB "
                    : l.towering   ? "TCU "
                                   : " ");
        }
        char tail[96];
        std::snprintf(tail, sizeof tail, "| %g %g %g %g", o.dewPointC.value_or(-99),
                      o.visibilityMetres.value_or(-1), o.rain, o.snow);
        EXPECT_EQ(got + tail, c.expected) << c.raw;
    }
    WeatherRecord custom;  // custom weather and SA reports have no full reading
    custom.ID = "KCUS";
    EXPECT_FALSE(observedWeather(custom, 30).valid);
}

// One send: every limit, each seen in the argument the simulator received.
TEST_F(DeliveryTest, OneSendAppliesTheLimits) {
    struct Case {
        const char* what;
        double WeatherSet::*field = nullptr;
        double value = 0;
        int maxTurb = 255, unlimitedVis = 50;
        bool newClouds = false, thunder = false, fs98 = false;
        int precipitation = 0;
        double altitude = 3000;
        const char* call = "";
        std::size_t arg = 0;
        double expected = 0;
    };
    using W = WeatherSet;
    // clang-format off
    const Case cases[] = {
        {.what = "0.4 rounds to 0", .field = &W::Visibility, .value = 0.4, .call = "upd_visib", .expected = 0.0625},
        {.what = "2.5 to even", .field = &W::Visibility, .value = 2.5, .call = "upd_visib", .expected = 2},
        {.what = "unlimited", .field = &W::Visibility, .value = 100, .unlimitedVis = 30, .call = "upd_visib", .expected = 30},
        {.what = "pressure cap", .field = &W::Pressure, .value = 1200, .call = "upd_temps", .arg = 8, .expected = 1185},
        {.what = "FS98 18000 ft", .field = &W::Pressure, .value = 990, .fs98 = true, .altitude = 18000, .call = "upd_temps", .arg = 8, .expected = 1013.21},
        {.what = "modelled 18000 ft", .field = &W::Pressure, .value = 990, .altitude = 30000, .call = "upd_temps", .arg = 8, .expected = 990},
        {.what = "17999 ft", .field = &W::Pressure, .value = 990, .altitude = 17999, .call = "upd_temps", .arg = 8, .expected = 990},
        {.what = "MaxTurb", .field = &W::Cl1Turb, .value = 200, .maxTurb = 180, .call = "upd_cloud1", .arg = 6, .expected = 180},
        {.what = "FS98 new clouds 1", .newClouds = true, .fs98 = true, .call = "upd_cloud1", .arg = 2, .expected = 7},
        {.what = "FS98 own cover", .fs98 = true, .call = "upd_cloud1", .arg = 2, .expected = 4},
        {.what = "drawn cover, new clouds 1", .newClouds = true, .call = "upd_cloud1", .arg = 2, .expected = 4},
        {.what = "drawn cover, new clouds 2", .field = &W::Cl2Coverage, .value = 0, .newClouds = true, .call = "upd_cloud2", .arg = 2, .expected = 0},
        {.what = "storm base 100", .field = &W::cl1Base, .value = 100, .precipitation = 7, .call = "upd_Tstorm", .expected = 0},
        {.what = "storm base 101", .field = &W::cl1Base, .value = 101, .precipitation = 7, .call = "upd_Tstorm", .expected = 5000},
        {.what = "record's thunder", .field = &W::cl1Base, .value = 101, .thunder = true, .call = "upd_Tstorm", .arg = 6, .expected = 150},
        {.what = "no thunder", .call = "upd_Tstorm", .expected = 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        WeatherSet set = WeatherSet::fromRecord(station("KAAA"));
        if (c.field != nullptr) {
            set.*c.field = c.value;
        }
        set.Thunder = c.thunder;
        sender.settings.MaxTurb = c.maxTurb;
        sender.settings.UnlimitedVis = c.unlimitedVis;
        sender.settings.NewClouds = c.newClouds;
        sim.coverDrawn = !c.fs98;
        precipitation = c.precipitation;
        sim.start();
        sim.setAltitude(c.altitude);
        sender.sendWeatherToSimulator(set);
        sim.stop();
        EXPECT_DOUBLE_EQ(sent(c.call, c.arg).back(), c.expected) << c.what;
    }
}

TEST_F(DeliveryTest, OneSendCallsTheLinkInItsOrderAndWindsOnlyWhenEnabled) {
    WeatherSet set = WeatherSet::fromRecord(station("KAAA"));
    sender.sendWeatherToSimulator(set);
    EXPECT_EQ(callNames(), (std::vector<std::string>{"upd_temps", "upd_visib", "upd_cloud2",
                                                     "upd_cloud1", "upd_wind0", "upd_wind1",
                                                     "upd_wind2", "upd_wind3", "upd_Tstorm"}));
    sim.clearLog();
    sender.settings.Wind = false;
    sender.sendWeatherToSimulator(set);
    EXPECT_EQ(callNames(), (std::vector<std::string>{"upd_temps", "upd_visib", "upd_cloud2",
                                                     "upd_cloud1", "upd_Tstorm"}));

    // Switch off: nothing reaches the simulator, but the caller's turbulence is still capped.
    sim.clearLog();
    host.sendOn = false;
    host.statuses.clear();
    sender.settings.MaxTurb = 50;
    set.w2Turb = 90;
    sender.sendWeatherToSimulator(set);
    EXPECT_TRUE(sim.calls().empty());
    EXPECT_TRUE(host.statuses.empty());
    EXPECT_EQ(set.w2Turb, 50);
}

TEST_F(DeliveryTest, FirstSendGoesAtOnceAndAStationWithoutWeatherSendsNothing) {
    add(station("KAAA"));
    EXPECT_FALSE(sender.sendStationWeather("KZZZ", ""));
    EXPECT_FALSE(sender.sendStationWeather("KZZZ", "KAAA"));
    EXPECT_TRUE(sim.calls().empty());

    EXPECT_TRUE(sender.sendStationWeather("KAAA", ""));
    EXPECT_EQ(sim.callCount("upd_temps"), 1);
    EXPECT_EQ(sim.callCount("upd_observed"), 1);  // before the classic values
    EXPECT_EQ(sim.calls().front().name, "upd_observed");
    EXPECT_EQ(host.count("Transition 1"), 0);
    EXPECT_EQ(host.reports, 1);
    EXPECT_EQ(clock.now(), 0.0);

    // A previous station without a record counts as none: the new weather goes at once.
    EXPECT_TRUE(sender.sendStationWeather("KAAA", "KGONE"));
    EXPECT_EQ(sim.callCount("upd_temps"), 2);

    // With the switch off the first send stops before clouds and report.
    host.sendOn = false;
    sender.settings.NewClouds = true;
    EXPECT_TRUE(sender.sendStationWeather("KAAA", ""));
    EXPECT_EQ(sim.callCount("upd_temps"), 2);
    EXPECT_EQ(host.reports, 2);
}

TEST_F(DeliveryTest, TransitionStepsSixtyPeriodsTheShorterWayRound) {
    WeatherRecord a = station("KAAA");
    WeatherRecord b = station("KBBB");
    a.w0Dir = 350;
    b.w0Dir = 10;
    b.t0Deg = 71;  // +12: steps of 0.2 arrive although smaller than one degree
    b.Visibility = 4;
    b.Pressure = 1020;
    b.w1Gust = 1;
    b.Cl1Icing = 1;
    b.Thunder = true;
    add(a);
    add(b);
    ASSERT_TRUE(sender.sendStationWeather("KBBB", "KAAA"));

    EXPECT_EQ(clock.now(), 60.0);
    for (int k = 1; k <= 60; ++k) {
        EXPECT_EQ(host.count("Transition " + std::to_string(k)), 1) << k;
    }
    EXPECT_EQ(host.statuses.back(), "Transition 60");
    EXPECT_EQ(host.reports, 1);
    const auto directions = sent("upd_wind0", 2);
    ASSERT_EQ(directions.size(), 60u);
    for (double d : directions) {
        EXPECT_TRUE(d >= 350 || d <= 10) << d;  // through north, never through south
    }
    EXPECT_EQ(directions[29], 360.0);
    EXPECT_EQ(sent("upd_temps", 1)[4], 60.0);  // 59 + 5 x 0.2
    // Pressure, gusts, icing and thunder are the new station's from the first period.
    EXPECT_EQ(std::ranges::count(sent("upd_temps", 8), 1020.0), 60);
    EXPECT_EQ(std::ranges::count(sent("upd_wind1", 5), 1.0), 60);
    EXPECT_EQ(std::ranges::count(sent("upd_cloud1", 5), 1.0), 60);
    EXPECT_EQ(std::ranges::count(sent("upd_Tstorm", 0), 5000.0), 60);

    const auto& held = sim.weather();
    EXPECT_EQ(held.wind[0].direction, 10.0);
    EXPECT_EQ(held.temperatures.degrees[0], 71);
    EXPECT_EQ(held.visibilityStatuteMiles, 4.0);
}

// The other way across north: 10 to 350 turns 20 degrees west, not 340 (or 700) east.
TEST_F(DeliveryTest, TransitionFromTenToThreeFiftyTurnsBackAcrossNorth) {
    WeatherRecord a = station("KAAA");
    WeatherRecord b = station("KBBB");
    a.w0Dir = 10;
    b.w0Dir = 350;
    add(a);
    add(b);
    ASSERT_TRUE(sender.sendStationWeather("KBBB", "KAAA"));
    const auto directions = sent("upd_wind0", 2);
    ASSERT_EQ(directions.size(), 60u);
    for (double d : directions) {
        EXPECT_TRUE(d >= 350 || d <= 10) << d;
    }
    EXPECT_EQ(directions[29], 0.0);
    EXPECT_EQ(directions[59], 350.0);
}

// From 59 F (15 C) to a Celsius record's 21 C: the steps run in Celsius from 15, never from 59.
TEST_F(DeliveryTest, ATransitionBetweenScalesStepsInTheNewOne) {
    WeatherRecord b = station("KBBB");
    b.t0Deg = 21;
    b.TempScale = "C";
    add(station("KAAA"));
    add(b);
    ASSERT_TRUE(sender.sendStationWeather("KBBB", "KAAA"));
    const auto temperatures = sent("upd_temps", 1);
    ASSERT_EQ(temperatures.size(), 60u);
    EXPECT_EQ(temperatures[0], 15);   // 15 + 6/60
    EXPECT_EQ(temperatures[29], 18);  // 15 + 3
    EXPECT_EQ(temperatures.back(), 21);
    EXPECT_EQ(sim.weather().temperatures.scale, simlink::TemperatureScale::Celsius);
}

TEST_F(DeliveryTest, CloudLayerTwoAppearsFromASliverAndVanishesOntoLayerOne) {
    WeatherRecord a = station("KAAA");
    a.cl2Base = 3000;
    a.cl2Top = 4000;
    a.Cl2Coverage = 5;
    WeatherRecord b = station("KBBB");
    b.cl1Base = 1500;
    b.cl1Top = 2000;
    b.Cl1Coverage = 3;
    add(a);
    add(b);
    ASSERT_TRUE(sender.sendStationWeather("KBBB", "KAAA"));
    const auto layer2 = [&](std::size_t i) {
        std::vector<double> args;
        for (std::size_t arg = 0; arg < 7; ++arg) {
            args.push_back(sent("upd_cloud2", arg).at(i));
        }
        return args;
    };
    ASSERT_EQ(sent("upd_cloud2", 0).size(), 61u);
    EXPECT_EQ(layer2(59), (std::vector<double>{1510, 1600, 3, 0, 0, 0, 0}));
    EXPECT_EQ(layer2(60), (std::vector<double>{0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(sender.layer2Removal, 1);  // without new clouds, left for a later redraw

    // Back again: layer 2 grows out of (3010, 3100) towards (3000, 4000).
    sim.clearLog();
    ASSERT_TRUE(sender.sendStationWeather("KAAA", "KBBB"));
    EXPECT_EQ(layer2(0), (std::vector<double>{3010, 3115, 5, 0, 0, 0, 0}));
    EXPECT_EQ(sim.weather().cloud2.top, 4000);
}

TEST_F(DeliveryTest, CloudRedrawWaitsFourSecondsBetweenCalls) {
    for (const char* name : {"DENSE.CL1", "CLR.CLD"}) {
        dir.write(name, name);
    }
    dir.mkdir("FS98/texture");
    sender.settings.NewClouds = true;
    WeatherRecord r = station("KAAA");
    r.cl1Base = 2500;
    r.Cl1Coverage = 6;
    add(r);

    // A simulator that draws the cover it gets has no redraw and no waits.
    ASSERT_TRUE(sender.sendStationWeather("KAAA", ""));
    EXPECT_EQ(sim.callCount("upd_cloud1"), 1);
    EXPECT_EQ(sent("upd_cloud1", 2), std::vector<double>{6});
    EXPECT_EQ(clock.now(), 0.0);
    EXPECT_FALSE(dir.exists("FS98/texture/clouds.r8"));

    sim.clearLog();
    sim.coverDrawn = false;
    ASSERT_TRUE(sender.sendStationWeather("KAAA", ""));
    std::vector<std::string> redraw;
    for (const auto& c : sim.calls()) {
        if (c.name.starts_with("upd_cloud")) {
            redraw.push_back(c.name + " " + std::to_string(int(c.args[2])) + " at " +
                             std::to_string(int(c.time)));
        }
    }
    EXPECT_EQ(redraw, (std::vector<std::string>{"upd_cloud2 7 at 0", "upd_cloud1 7 at 0",
                                                "upd_cloud2 6 at 0", "upd_cloud2 7 at 4",
                                                "upd_cloud1 6 at 8", "upd_cloud1 7 at 12"}));
    EXPECT_EQ(dir.read("FS98/texture/clouds.r8"), "DENSE.CL1");  // layer 1 is copied last
    EXPECT_EQ(host.reports, 2);
}

// A send inside a transition or its cloud redraw starts from what the simulator holds.
TEST_F(DeliveryTest, ASendInsideAnotherWinsFromWhereTheSimulatorIs) {
    WeatherRecord b = station("KBBB");
    b.t0Deg = 119;  // +60: one degree a period
    WeatherRecord c = station("KCCC");
    c.t0Deg = 0;
    add(station("KAAA"));
    add(b);
    add(c);
    const struct {
        const char* what;
        bool fs98;
        const char* previous;  // of the inner send
        int after;             // ms into the outer send
        std::size_t outer;     // periods of the outer send
        double held;           // the outer's last temperature
        int shown;             // statuses "Transition <outer>"
    } cases[] = {
        // Eleven periods (59 -> 70), then sixty from 70 to 0.
        {"transition", false, "KBBB", 10500, 11, 70, 1},
        // 60 s of transition, then 4 s into FS98's redraw: from 119, not KAAA's 59.
        {"cloud redraw", true, "KAAA", 64000, 60, 119, 2},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        sim.clearLog();
        host.statuses.clear();
        host.reports = 0;
        sim.coverDrawn = !k.fs98;
        sender.settings.NewClouds = k.fs98;
        std::unique_ptr<platform::Timer> interrupt = clock.createTimer([&] {
            interrupt->setInterval(0);
            EXPECT_TRUE(sender.sendStationWeather("KCCC", k.previous));
        });
        interrupt->setInterval(k.after);
        EXPECT_FALSE(sender.sendStationWeather("KBBB", "KAAA"));
        const auto temperatures = sent("upd_temps", 1);
        ASSERT_EQ(temperatures.size(), k.outer + 60);
        EXPECT_EQ(temperatures[k.outer - 1], k.held);
        EXPECT_EQ(temperatures[k.outer], std::round(k.held - k.held / 60));
        EXPECT_EQ(temperatures.back(), 0);
        EXPECT_EQ(host.reports, 1);
        EXPECT_EQ(host.count("Transition " + std::to_string(k.outer)), k.shown);
        EXPECT_FALSE(sender.transitionRunning());
    }
}

}  // namespace
}  // namespace zephyra::delivery::test
