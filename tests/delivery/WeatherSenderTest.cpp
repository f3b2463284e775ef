#include <algorithm>
#include <functional>

#include "delivery/DeliveryFixture.h"

namespace zephyra::delivery::test {
namespace {

using weather::WeatherRecord;

// One send: every limit, each seen in the argument the simulator received.
TEST_F(DeliveryTest, OneSendAppliesTheLimits) {
    struct Case {
        const char* what;
        std::function<void(WeatherRecord&, DeliverySettings&, int& precip, double& alt)> setup;
        const char* call;
        std::size_t arg;
        double expected;
    };
    const Case cases[] = {
        {"visibility 0.4 rounds to 0, sent as a sixteenth",
         [](auto& r, auto&, auto&, auto&) { r.Visibility = 0.4; }, "upd_visib", 0, 0.0625},
        {"visibility 2.5 rounds half to even",
         [](auto& r, auto&, auto&, auto&) { r.Visibility = 2.5; }, "upd_visib", 0, 2},
        {"visibility 100 capped at UnlimitedVis",
         [](auto& r, auto& s, auto&, auto&) {
             r.Visibility = 100;
             s.UnlimitedVis = 30;
         },
         "upd_visib", 0, 30},
        {"pressure 1200 capped", [](auto& r, auto&, auto&, auto&) { r.Pressure = 1200; },
         "upd_temps", 8, 1185.0},
        {"standard pressure at 18000 ft",
         [](auto& r, auto&, auto&, auto& alt) {
             r.Pressure = 990;
             alt = 18000;
         },
         "upd_temps", 8, 1013.21},
        {"station pressure below 18000 ft",
         [](auto& r, auto&, auto&, auto& alt) {
             r.Pressure = 990;
             alt = 17999;
         },
         "upd_temps", 8, 990},
        {"turbulence capped at MaxTurb",
         [](auto& r, auto& s, auto&, auto&) {
             r.Cl1Turb = 200;
             s.MaxTurb = 180;
         },
         "upd_cloud1", 6, 180},
        {"new clouds send coverage 7", [](auto&, auto& s, auto&, auto&) { s.NewClouds = true; },
         "upd_cloud1", 2, 7.0},
        {"layer 2 too", [](auto&, auto& s, auto&, auto&) { s.NewClouds = true; }, "upd_cloud2", 2,
         7.0},
        {"without new clouds the layer's own coverage", [](auto&, auto&, auto&, auto&) {},
         "upd_cloud1", 2, 4.0},
        {"thunder from the last report, base 100: storm off",
         [](auto& r, auto&, auto& p, auto&) {
             p = 7;
             r.cl1Base = 100;
         },
         "upd_Tstorm", 0, 0},
        {"thunder from the last report, base 101: storm on",
         [](auto& r, auto&, auto& p, auto&) {
             p = 7;
             r.cl1Base = 101;
         },
         "upd_Tstorm", 0, 5000},
        {"thunder in the record, base 101: storm on",
         [](auto& r, auto&, auto&, auto&) {
             r.Thunder = true;
             r.cl1Base = 101;
         },
         "upd_Tstorm", 6, 150.0},
        {"no thunder: storm off", [](auto&, auto&, auto&, auto&) {}, "upd_Tstorm", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WeatherRecord r = station("KAAA");
        DeliverySettings saved = sender.settings;
        double altitude = 3000;
        c.setup(r, sender.settings, precipitation, altitude);
        sim.start();
        sim.setAltitude(altitude);
        sim.clearLog();
        WeatherSet set = WeatherSet::fromRecord(r);
        sender.sendWeatherToSimulator(set);
        const auto* call = sim.lastCall(c.call);
        ASSERT_NE(call, nullptr);
        EXPECT_DOUBLE_EQ(call->args.at(c.arg), c.expected);
        sender.settings = saved;
        precipitation = 0;
        sim.stop();
    }
}

TEST_F(DeliveryTest, OneSendCallsTheLinkInItsOrderAndWindsOnlyWhenEnabled) {
    const std::vector<std::string> withWinds = {"upd_temps", "upd_cloud2", "upd_cloud1",
                                                "upd_wind0", "upd_wind1",  "upd_wind2",
                                                "upd_wind3", "upd_Tstorm"};
    WeatherSet set = WeatherSet::fromRecord(station("KAAA"));
    sender.sendWeatherToSimulator(set);
    auto names = callNames();
    ASSERT_EQ(names.size(), 9u);
    EXPECT_EQ(names[0], "upd_temps");
    EXPECT_EQ(names[1], "upd_visib");
    names.erase(names.begin() + 1);
    EXPECT_EQ(names, withWinds);

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
    add(a);
    add(b);
    ASSERT_TRUE(sender.sendStationWeather("KBBB", "KAAA"));

    EXPECT_EQ(sim.callCount("upd_temps"), 60);
    EXPECT_EQ(clock.now(), 60.0);
    for (int k = 1; k <= 60; ++k) {
        EXPECT_EQ(host.count("Transition " + std::to_string(k)), 1) << k;
    }
    EXPECT_EQ(host.statuses.back(), "Transition 60");
    EXPECT_EQ(host.reports, 1);
    std::vector<double> directions, temperatures, pressures, gusts;
    for (const auto& c : sim.calls()) {
        if (c.name == "upd_wind0") {
            directions.push_back(c.args[2]);
        } else if (c.name == "upd_temps") {
            temperatures.push_back(c.args[1]);
            pressures.push_back(c.args[8]);
        } else if (c.name == "upd_wind1") {
            gusts.push_back(c.args[5]);
        }
    }
    for (double d : directions) {
        EXPECT_TRUE(d >= 350 || d <= 10) << d;  // through north, never through south
    }
    EXPECT_EQ(directions[29], 360.0);
    EXPECT_EQ(temperatures[4], 60.0);  // 59 + 5 x 0.2
    EXPECT_TRUE(
        std::all_of(pressures.begin(), pressures.end(), [](double p) { return p == 1020; }));
    EXPECT_TRUE(std::all_of(gusts.begin(), gusts.end(), [](double g) { return g == 1; }));

    const auto& held = sim.weather();
    EXPECT_EQ(held.wind[0].direction, 10.0);
    EXPECT_EQ(held.temperatures.degrees[0], 71);
    EXPECT_EQ(held.visibilityStatuteMiles, 4.0);
}

TEST_F(DeliveryTest, VanishingLayerTwoShrinksOntoLayerOneAndIsRemoved) {
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

    std::vector<simlink::BuiltInAircraft::Call> layer2;
    for (const auto& c : sim.calls()) {
        if (c.name == "upd_cloud2") {
            layer2.push_back(c);
        }
    }
    ASSERT_EQ(layer2.size(), 61u);
    EXPECT_EQ(layer2[59].args, (std::vector<double>{1510, 1600, 3, 0, 0, 0, 0}));
    EXPECT_EQ(layer2[60].args, (std::vector<double>{0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(sender.layer2Removal, 1);  // without new clouds, left for a later redraw
}

TEST_F(DeliveryTest, NewLayerTwoGrowsFromASliverAtItsBase) {
    WeatherRecord b = station("KBBB");
    b.cl2Base = 9000;
    b.cl2Top = 11000;
    b.Cl2Coverage = 6;
    add(station("KAAA"));
    add(b);
    ASSERT_TRUE(sender.sendStationWeather("KBBB", "KAAA"));
    const auto* first = &sim.calls().front();
    for (const auto& c : sim.calls()) {
        if (c.name == "upd_cloud2") {
            first = &c;
            break;
        }
    }
    // Period 1 of 60 from (9010, 9100) to (9000, 11000).
    EXPECT_EQ(first->args[0], 9010);
    EXPECT_EQ(first->args[1], 9132);
    EXPECT_EQ(sim.weather().cloud2.top, 11000);
}

TEST_F(DeliveryTest, CloudRedrawWaitsFourSecondsBetweenCalls) {
    for (const char* name : {"DENSE.CL1", "MED.CL2", "CLR.CLD"}) {
        dir.write(name, name);
    }
    dir.mkdir("FS98/texture");
    sender.settings.NewClouds = true;
    WeatherRecord r = station("KAAA");
    r.cl1Base = 2500;
    r.Cl1Coverage = 6;
    add(r);
    ASSERT_TRUE(sender.sendStationWeather("KAAA", ""));
    std::vector<std::pair<std::string, double>> redraw;
    for (const auto& c : sim.calls()) {
        if (c.name.starts_with("upd_cloud") && c.time > 0) {
            redraw.emplace_back(c.name + "/" + std::to_string(int(c.args[2])), c.time);
        }
    }
    const std::vector<std::pair<std::string, double>> expected = {
        {"upd_cloud2/6", 0}, {"upd_cloud2/7", 4}, {"upd_cloud1/6", 8}, {"upd_cloud1/7", 12}};
    // The first of them goes at time 0 with the send itself.
    ASSERT_EQ(redraw.size(), 3u);
    EXPECT_EQ(redraw[0], expected[1]);
    EXPECT_EQ(redraw[1], expected[2]);
    EXPECT_EQ(redraw[2], expected[3]);
    EXPECT_EQ(dir.read("FS98/texture/clouds.r8"), "DENSE.CL1");  // layer 1 is copied last
    EXPECT_EQ(host.reports, 1);
}

TEST_F(DeliveryTest, ASendInsideATransitionWinsFromWhereTheSimulatorIs) {
    WeatherRecord b = station("KBBB");
    b.t0Deg = 119;  // +60: one degree a period
    WeatherRecord c = station("KCCC");
    c.t0Deg = 0;
    add(station("KAAA"));
    add(b);
    add(c);
    auto interrupt = clock.createTimer([] {});
    bool inner = false;
    interrupt = clock.createTimer([&] {
        interrupt->setInterval(0);
        inner = sender.sendStationWeather("KCCC", "KBBB");
    });
    interrupt->setInterval(10500);
    EXPECT_FALSE(sender.sendStationWeather("KBBB", "KAAA"));
    EXPECT_TRUE(inner);

    std::vector<double> temperatures;
    for (const auto& call : sim.calls()) {
        if (call.name == "upd_temps") {
            temperatures.push_back(call.args[1]);
        }
    }
    // Eleven periods of the first (59 -> 70), then sixty from 70 to 0; the first stops.
    ASSERT_EQ(temperatures.size(), 71u);
    EXPECT_EQ(temperatures[10], 70);
    EXPECT_EQ(temperatures[11], 69);  // 70 - 70/60, rounded
    EXPECT_EQ(temperatures.back(), 0);
    EXPECT_EQ(sim.weather().temperatures.degrees[0], 0);
    EXPECT_EQ(host.reports, 1);
    EXPECT_EQ(host.count("Transition 11"), 1);  // the second's own
    EXPECT_FALSE(sender.transitionRunning());
}

}  // namespace
}  // namespace zephyra::delivery::test
