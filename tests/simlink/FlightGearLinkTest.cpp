#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "simlink/FakePropertyServer.h"
#include "simlink/FlightGearLink.h"

namespace zephyra::simlink {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

class FlightGearLinkTest : public ::testing::Test {
  protected:
    FlightGearSettings settings() {
        FlightGearSettings s;
        s.port = server.port();
        s.connectTimeout = 200ms;
        s.replyTimeout = 200ms;
        s.retryInterval = 0ms;
        s.freshFor = 10s;  // reads are renewed by invalidate()
        return s;
    }

    // Lines the server has received once it has received at least `count` of them.
    Lines waitForLines(std::size_t count) {
        for (int i = 0; i < 200 && server.lines().size() < count; ++i) {
            std::this_thread::sleep_for(5ms);
        }
        return server.lines();
    }

    void setAircraft() {
        server.set("/position/latitude-deg", "37.6188");
        server.set("/position/longitude-deg", "-122.375");
        server.set("/position/altitude-ft", "3000.5");
        server.set("/instrumentation/airspeed-indicator/true-speed-kt", "101.25");
        server.set("/environment/magnetic-variation-deg", "-12.5");
        server.set("/environment/config/boundary/entry[0]/wind-from-heading-deg", "270");
        server.set("/environment/config/boundary/entry[0]/wind-speed-kt", "12");
        for (int i = 0; i < 3; ++i) {
            const std::string e = "/environment/config/aloft/entry[" + std::to_string(i) + "]/";
            server.set(e + "wind-from-heading-deg", std::to_string(280 + 10 * i));
            server.set(e + "wind-speed-kt", std::to_string(20 + 10 * i));
            server.set(e + "elevation-ft", std::to_string(5000 * (i + 1)));
        }
    }

    test::FakePropertyServer server;
};

TEST_F(FlightGearLinkTest, ATickOfGettersIsOnePipelinedRoundTrip) {
    setAircraft();
    FlightGearLink link(settings());
    // The getters in the order the navigation tick calls them.
    EXPECT_DOUBLE_EQ(link.get_curr_lat(), 37.6188);
    EXPECT_DOUBLE_EQ(link.get_curr_lon(), -122.375);
    EXPECT_DOUBLE_EQ(link.get_alt(), 3000.5);
    EXPECT_DOUBLE_EQ(link.get_TAS(), 101.25);
    EXPECT_DOUBLE_EQ(link.get_MagVar(), 347.5);
    EXPECT_DOUBLE_EQ(link.get_wind1Floor(), 5000);
    EXPECT_DOUBLE_EQ(link.get_wind2Floor(), 10000);
    EXPECT_DOUBLE_EQ(link.get_wind3Floor(), 15000);
    EXPECT_DOUBLE_EQ(link.get_wind0Dir(), 270);
    EXPECT_DOUBLE_EQ(link.get_wind0Spd(), 12);
    EXPECT_DOUBLE_EQ(link.get_wind1Dir(), 280);
    EXPECT_DOUBLE_EQ(link.get_wind2Spd(), 30);
    EXPECT_DOUBLE_EQ(link.get_wind3Dir(), 300);
    EXPECT_DOUBLE_EQ(link.get_wind3Spd(), 40);

    Lines expected{"data"};
    for (const char* path : FlightGearLink::kReadPaths) {
        expected.push_back(std::string("get ") + path);
    }
    EXPECT_EQ(server.lines(), expected);
    EXPECT_EQ(server.answeringFrames(), 1);
}

TEST_F(FlightGearLinkTest, ConvertsWhatItReads) {
    setAircraft();
    FlightGearLink link(settings());
    struct Case {
        const char* path;
        const char* value;
        std::function<double(FlightGearLink&)> get;
        double expected;
    };
    const std::vector<Case> cases{
        {"/environment/magnetic-variation-deg", "365", &FlightGearLink::get_MagVar, 5},
        // No airspeed instrument: 100 kt over the ground into a 10 kt headwind is 110 kt.
        {"/instrumentation/airspeed-indicator/true-speed-kt", "", &FlightGearLink::get_TAS, 110.0},
        // No aloft entries: the floors the navigation loop expects by default.
        {"/environment/config/aloft/entry[1]/elevation-ft", "", &FlightGearLink::get_wind2Floor,
         15000},
        {"/position/latitude-deg", "", &FlightGearLink::get_alt, SimLink::kNoPosition},
        {"/position/longitude-deg", "garbage", &FlightGearLink::get_curr_lat, SimLink::kNoPosition},
    };
    server.set("/velocities/speed-north-fps", "168.78098");
    server.set("/velocities/speed-east-fps", "0");
    server.set("/environment/wind-from-north-fps", "16.878098");
    server.set("/environment/wind-from-east-fps", "0");
    for (const auto& c : cases) {
        setAircraft();
        server.set(c.path, c.value);
        link.invalidate();
        EXPECT_NEAR(c.get(link), c.expected, 1e-3) << c.path << " = '" << c.value << "'";
    }
}

TEST_F(FlightGearLinkTest, SettersWriteTypedCommands) {
    server.set("/environment/realwx/enabled", "true");
    server.set("/environment/params/metar-updates-environment", "true");
    server.set("/position/latitude-deg", "0");
    server.set("/position/longitude-deg", "0");
    server.set("/position/altitude-ft", "0");
    struct Case {
        std::function<void(FlightGearLink&)> call;
        Lines expected;  // the first lines written; weather calls write more after them
    };
    const std::string b0 = "/environment/config/boundary/entry[0]/";
    const std::string a1 = "/environment/config/aloft/entry[1]/";
    const std::vector<Case> cases{
        {[](auto& l) { l.upd_APHead(123.5); },
         {"setd /autopilot/settings/heading-bug-deg 123.5",
          "set /autopilot/locks/heading dg-heading-hold"}},
        {[](auto& l) { l.upd_APAlt(9000); },
         {"setd /autopilot/settings/target-altitude-ft 9000",
          "set /autopilot/locks/altitude altitude-hold"}},
        // Mach 0.5 at sea level: half the speed of sound, indicated as flown.
        {[](auto& l) { l.upd_APMachNumber(0.5); },
         {"setd /autopilot/settings/target-speed-kt 330.7",
          "set /autopilot/locks/speed speed-with-throttle"}},
        // The first weather of a connection turns FlightGear's own weather off.
        {[](auto& l) { l.upd_visib(10); },
         {"get /environment/realwx/enabled", "get /environment/params/metar-updates-environment",
          "setb /environment/realwx/enabled false",
          "setb /environment/params/metar-updates-environment false",
          "setd " + b0 + "visibility-m 16093.44"}},
        {[](auto& l) {
             l.upd_temps(0, 15, 5000, 5, 10000, -5, 20000, -25, 1013.25, TemperatureScale::Celsius);
         },
         {"setd " + b0 + "temperature-sea-level-degc 15",
          "setd " + b0 + "pressure-sea-level-inhg 29.921"}},
        // KATL's 48 F at 1026 ft: 8.9 C there, 10.9 C at sea level.
        {[](auto& l) {
             l.upd_temps(1026, 48, 20000, 12, 30000, -6, 40000, -24, 1013.25,
                         TemperatureScale::Fahrenheit);
         },
         {"setd " + b0 + "temperature-sea-level-degc 10.9",
          "setd " + b0 + "pressure-sea-level-inhg 29.921"}},
        {[](auto& l) { l.upd_cloud1(2000, 3500, 8.0, 0, 0, 0, 10.0); },
         {"set /environment/clouds/layer[0]/coverage overcast",
          "setd /environment/clouds/layer[0]/elevation-ft 2000",
          "setd /environment/clouds/layer[0]/thickness-ft 1500"}},
        {[](auto& l) { l.upd_cloud2(0, 0, 0.0, 0, 0, 0, 0.0); },
         {"set /environment/clouds/layer[1]/coverage clear",
          "setd /environment/clouds/layer[1]/elevation-ft 0",
          "setd /environment/clouds/layer[1]/thickness-ft 0"}},
        {[](auto& l) { l.upd_wind0(1000, 12, 270, 127.5, 0); },
         {"setd " + b0 + "wind-from-heading-deg 270", "setd " + b0 + "wind-speed-kt 12",
          "setd " + b0 + "turbulence/magnitude-norm 0.5"}},
        {[](auto& l) { l.upd_wind2(12000, 20000, 45, 300, 300, 0); },
         {"setd " + a1 + "elevation-ft 12000", "setd " + a1 + "wind-from-heading-deg 300",
          "setd " + a1 + "wind-speed-kt 45", "setd " + a1 + "turbulence/magnitude-norm 1"}},
        {[](auto& l) { l.upd_Tstorm(5000, 30000, 5.0, 0, 0, 0, 150.0); },
         {"set /environment/clouds/layer[2]/coverage broken",
          "setd /environment/clouds/layer[2]/elevation-ft 5000",
          "setd /environment/clouds/layer[2]/thickness-ft 25000", "setd /environment/rain-norm 1"}},
        {[](auto& l) { l.upd_Tstorm(0, 0, 0.0, 0, 0, 0, 0.0); },
         {"set /environment/clouds/layer[2]/coverage clear",
          "setd /environment/clouds/layer[2]/elevation-ft 0",
          "setd /environment/clouds/layer[2]/thickness-ft 0", "setd /environment/rain-norm 0"}},
    };
    {
        FlightGearLink link(settings());
        ASSERT_TRUE(link.probe());
        EXPECT_DOUBLE_EQ(link.get_alt(), 0.0);  // the Mach conversion's altitude
        waitForLines(1 + FlightGearLink::ReadCount);
        for (const auto& c : cases) {
            server.clearLines();
            c.call(link);
            const Lines got = waitForLines(c.expected.size());
            ASSERT_GE(got.size(), c.expected.size()) << c.expected.front();
            EXPECT_EQ(Lines(got.begin(), got.begin() + c.expected.size()), c.expected);
        }
        server.clearLines();
    }
    // Closing the link gives FlightGear its own weather back.
    EXPECT_EQ(waitForLines(2), (Lines{"setb /environment/realwx/enabled true",
                                      "setb /environment/params/metar-updates-environment true"}));
}

// A station's full observation draws every layer, with its dew point, visibility and rain;
// while it holds, the classic two layers, visibility and thunderstorm write nothing.
TEST_F(FlightGearLinkTest, TheFullObservationDrawsEveryLayer) {
    server.set("/position/latitude-deg", "0");
    server.set("/position/longitude-deg", "0");
    server.set("/position/altitude-ft", "0");
    FlightGearLink link(settings());
    ASSERT_TRUE(link.probe());
    waitForLines(1 + FlightGearLink::ReadCount);
    server.clearLines();
    link.upd_visib(10);  // the first weather takes FlightGear's own over
    waitForLines(4 + 7);
    ObservedWeather kjfk;
    kjfk.valid = true;
    kjfk.layers = {{"few", 3513, 500, false},
                   {"broken", 4713, 2000, false},
                   {"broken", 14013, 2000, false},
                   {"overcast", 21013, 3000, false}};
    kjfk.dewPointC = 11.7;
    kjfk.visibilityMetres = 16093;
    kjfk.rain = 0.3;
    server.clearLines();
    link.upd_observed(kjfk);
    const std::string b0 = "/environment/config/boundary/entry[0]/";
    const std::string b1 = "/environment/config/boundary/entry[1]/";
    const Lines expected = {
        "set /environment/clouds/layer[0]/coverage few",
        "setd /environment/clouds/layer[0]/elevation-ft 3513",
        "setd /environment/clouds/layer[0]/thickness-ft 500",
        "set /environment/clouds/layer[1]/coverage broken",
        "setd /environment/clouds/layer[1]/elevation-ft 4713",
        "setd /environment/clouds/layer[1]/thickness-ft 2000",
        "set /environment/clouds/layer[2]/coverage broken",
        "setd /environment/clouds/layer[2]/elevation-ft 14013",
        "setd /environment/clouds/layer[2]/thickness-ft 2000",
        "set /environment/clouds/layer[3]/coverage overcast",
        "setd /environment/clouds/layer[3]/elevation-ft 21013",
        "setd /environment/clouds/layer[3]/thickness-ft 3000",
        "set /environment/clouds/layer[4]/coverage clear",
        "setd /environment/clouds/layer[4]/elevation-ft 0",
        "setd /environment/clouds/layer[4]/thickness-ft 0",
        "setd " + b0 + "dewpoint-degc 11.7",
        "setd " + b1 + "dewpoint-degc 11.7",
        "setd " + b0 + "visibility-m 16093",
    };
    const Lines got = waitForLines(expected.size());
    ASSERT_GE(got.size(), expected.size());
    EXPECT_EQ(Lines(got.begin(), got.begin() + expected.size()), expected);
    const Lines all = waitForLines(expected.size() + 8);
    EXPECT_NE(std::find(all.begin(), all.end(), "setd /environment/rain-norm 0.3"), all.end());

    server.clearLines();
    link.upd_cloud1(2000, 3500, 8.0, 0, 0, 0, 10.0);
    link.upd_visib(3);
    link.upd_Tstorm(0, 0, 0.0, 0, 0, 0, 0.0);
    link.upd_APAlt(9000);  // something that is written, to know the others were not
    EXPECT_EQ(waitForLines(2), (Lines{"setd /autopilot/settings/target-altitude-ft 9000",
                                      "set /autopilot/locks/altitude altitude-hold"}));

    // Custom weather has no report: the classic layers are drawn again.
    link.upd_observed(ObservedWeather{});
    server.clearLines();
    link.upd_cloud1(2000, 3500, 8.0, 0, 0, 0, 10.0);
    EXPECT_EQ(waitForLines(1).front(), "set /environment/clouds/layer[0]/coverage overcast");
}

TEST(FlightGearLinkCoverage, WordsFromEighths) {
    const std::vector<std::pair<double, std::string_view>> cases{
        {0, "clear"},     {1, "few"},    {2, "few"},    {3, "scattered"},
        {4, "scattered"}, {5, "broken"}, {7, "broken"}, {8, "overcast"}};
    for (const auto& [eighths, word] : cases) {
        EXPECT_EQ(FlightGearLink::coverageWord(eighths), word) << eighths;
    }
}

TEST_F(FlightGearLinkTest, ASilentServerCostsOneTimeoutAndNoPosition) {
    setAircraft();
    server.setSilent(true);
    FlightGearLink link(settings());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.get_curr_lat(), SimLink::kNoPosition);
    EXPECT_EQ(link.get_curr_lon(), SimLink::kNoPosition);        // same tick: no second wait
    EXPECT_LT(std::chrono::steady_clock::now() - start, 450ms);  // one 200 ms wait
    EXPECT_FALSE(link.connected());  // late answers would be out of step
}

TEST_F(FlightGearLinkTest, LostServerMeansNoPositionAndAReconnectAfterTheRetryInterval) {
    setAircraft();
    auto s = settings();
    s.retryInterval = 300ms;
    FlightGearLink link(s);
    EXPECT_DOUBLE_EQ(link.get_curr_lat(), 37.6188);

    server.stopListening();
    server.dropClients();
    link.invalidate();
    EXPECT_EQ(link.get_curr_lat(), SimLink::kNoPosition);
    link.upd_APHead(90);  // kept for the reconnect: no retry before the interval
    EXPECT_FALSE(link.connected());

    server.startListening();
    server.clearLines();
    link.invalidate();
    EXPECT_EQ(link.get_curr_lat(), SimLink::kNoPosition);  // still inside the retry interval
    EXPECT_EQ(server.connections(), 1);
    std::this_thread::sleep_for(350ms);
    link.invalidate();
    EXPECT_DOUBLE_EQ(link.get_curr_lat(), 37.6188);
    EXPECT_EQ(server.connections(), 2);
    const Lines got = server.lines();
    EXPECT_EQ(std::count(got.begin(), got.end(), "set /autopilot/locks/heading dg-heading-hold"),
              1);
}

// FlightGear restarted mid-flight: the first getter after the reconnect (one navigation tick)
// puts back the autopilot's targets and locks, including one set while it was away, and,
// while weather sending is on, the weather last sent, FlightGear's own weather switched off.
TEST_F(FlightGearLinkTest, ARestartedServerGetsTheAutopilotAndTheWeatherBack) {
    const std::string b0 = "/environment/config/boundary/entry[0]/";
    const std::string a0 = "/environment/config/aloft/entry[0]/";
    const Lines autopilot{"setd /autopilot/settings/heading-bug-deg 47",
                          "set /autopilot/locks/heading dg-heading-hold",
                          "setd /autopilot/settings/target-altitude-ft 9000",
                          "set /autopilot/locks/altitude altitude-hold",
                          "setd /autopilot/settings/target-speed-kt 120",
                          "set /autopilot/locks/speed speed-with-throttle"};
    const Lines weather{"setb /environment/params/metar-updates-environment false",
                        "setd " + b0 + "wind-from-heading-deg 90",
                        "setd " + b0 + "wind-speed-kt 3",
                        "setd " + b0 + "visibility-m 16093.44",
                        "setd " + a0 + "wind-from-heading-deg 275",
                        "setd " + b0 + "temperature-sea-level-degc 10.9"};
    for (const bool sending : {true, false}) {
        setAircraft();
        auto s = settings();
        s.retryInterval = 100ms;
        FlightGearLink link(s);
        link.setWeatherSending(sending);
        ASSERT_DOUBLE_EQ(link.get_curr_lat(), 37.6188);
        link.upd_APHead(47);
        link.upd_APAlt(5000);
        link.upd_APAirSpeed(120);
        link.upd_temps(1026, 48, 20000, 12, 30000, -6, 40000, -24, 1022.7,
                       TemperatureScale::Fahrenheit);
        link.upd_visib(10);
        link.upd_wind0(1000, 3, 90, 0, 0);
        link.upd_wind1(5000, 10000, 20, 275, 0, 0);

        server.stopListening();
        server.dropClients();
        link.invalidate();
        EXPECT_EQ(link.get_curr_lat(), SimLink::kNoPosition);
        link.upd_APAlt(9000);  // while FlightGear is away
        server.startListening();
        std::this_thread::sleep_for(150ms);
        server.clearLines();
        link.invalidate();
        EXPECT_DOUBLE_EQ(link.get_curr_lat(), 37.6188);  // one tick's first read
        const Lines got = server.lines();
        for (const auto& line : autopilot) {
            EXPECT_EQ(std::count(got.begin(), got.end(), line), 1) << line;
        }
        for (const auto& line : weather) {
            EXPECT_EQ(std::count(got.begin(), got.end(), line), sending ? 1 : 0) << line;
        }
        // Put back before the tick's reads.
        const auto firstGet = std::find(got.begin(), got.end(), "get /position/latitude-deg");
        EXPECT_LT(std::find(got.begin(), got.end(), autopilot.back()), firstGet);
    }
}

}  // namespace
}  // namespace zephyra::simlink

namespace zephyra::simlink {
namespace {

// Whether `part` appears in `all` in order, one line after another.
bool holdsInOrder(const Lines& all, const Lines& part) {
    return std::search(all.begin(), all.end(), part.begin(), part.end()) != all.end();
}

// A field aloft takes the five aloft entries at FlightGear's own heights, sampled at the
// aircraft's position, and gives them back to the layers when it no longer reaches it.
TEST_F(FlightGearLinkTest, AFieldAloftTakesTheFiveAloftEntriesAtTheAircraft) {
    server.set("/position/latitude-deg", "35");
    server.set("/position/longitude-deg", "-80");
    server.set("/position/altitude-ft", "9000");
    FlightGearLink link(settings());
    ASSERT_TRUE(link.probe());
    link.upd_temps(0, 15, 20000, -25, 30000, -45, 40000, -65, 1013.25, TemperatureScale::Celsius);
    link.upd_wind2(12000, 20000, 45, 300, 0, 0);
    waitForLines(1 + 4 + 14 + 4);  // data mode, the takeover, both sends
    // Up to 1,000 ft a degree and a knot more and 2 C colder, south of 36.5 N only.
    std::vector<std::pair<double, double>> asked;
    const AloftSource field = [&](double lat, double lon, double alt) -> std::optional<AloftAir> {
        asked.emplace_back(lat, lon);
        if (lat > 36.5) {
            return std::nullopt;
        }
        return AloftAir{250 + alt / 1000, alt / 1000, 15 - 2 * alt / 1000};
    };
    const auto entry = [](int i, double elevation, double dir, double speed, double temp) {
        const std::string e = "setd /environment/config/aloft/entry[" + std::to_string(i) + "]/";
        return Lines{e + "elevation-ft " + FlightGearLink::number(elevation),
                     e + "wind-from-heading-deg " + FlightGearLink::number(dir),
                     e + "wind-speed-kt " + FlightGearLink::number(speed),
                     e + "temperature-degc " + FlightGearLink::number(temp)};
    };
    Lines expected;
    for (const auto& part :
         {entry(0, 5000, 255, 5, 5), entry(1, 10000, 260, 10, -5), entry(2, 18000, 268, 18, -21),
          entry(3, 24000, 274, 24, -33), entry(4, 30000, 280, 30, -45)}) {
        expected.insert(expected.end(), part.begin(), part.end());
    }
    server.clearLines();
    link.upd_aloft(field);
    // A read of the position, the temperatures again for the surface entries only, the field.
    const Lines got = waitForLines(FlightGearLink::ReadCount + 9 + expected.size());
    EXPECT_TRUE(holdsInOrder(got, expected)) << ::testing::PrintToString(got);
    EXPECT_TRUE(link.fieldAloft());
    ASSERT_EQ(asked.size(), 5u);
    EXPECT_EQ(asked.front(), std::make_pair(35.0, -80.0));
    // The temperatures sent keep to the surface entries while the field holds the others.
    for (const auto& line : got) {
        EXPECT_FALSE(line.find("aloft/entry") != std::string::npos &&
                     line.find("temperature-sea-level") != std::string::npos)
            << line;
    }
    // The navigator's wind: the field's at the aircraft's altitude.
    EXPECT_EQ(link.get_aloftHere(), (AloftAir{259, 9, -3}));

    // A layer sent meanwhile waits; the aircraft moves and the entries follow it.
    server.clearLines();
    link.upd_wind2(14000, 20000, 50, 310, 0, 0);
    server.set("/position/latitude-deg", "36");
    link.invalidate();
    link.upd_aloft(field);
    const Lines moved = waitForLines(FlightGearLink::ReadCount + expected.size());
    EXPECT_TRUE(holdsInOrder(moved, entry(0, 5000, 255, 5, 5)));
    EXPECT_EQ(moved.size(), FlightGearLink::ReadCount + expected.size());  // no layer
    EXPECT_EQ(asked.back(), std::make_pair(36.0, -80.0));

    // Out of the field's reach the last layers and temperatures take the entries back.
    server.clearLines();
    server.set("/position/latitude-deg", "37");
    link.invalidate();
    link.upd_aloft(field);
    const std::string a1 = "setd /environment/config/aloft/entry[1]/";
    const Lines back = waitForLines(FlightGearLink::ReadCount + 4 + 14);
    EXPECT_TRUE(holdsInOrder(back, {a1 + "elevation-ft 14000", a1 + "wind-from-heading-deg 310",
                                    a1 + "wind-speed-kt 50"}))
        << ::testing::PrintToString(back);
    EXPECT_TRUE(holdsInOrder(back, {a1 + "temperature-sea-level-degc 14.7"}))
        << ::testing::PrintToString(back);
    EXPECT_FALSE(link.fieldAloft());
    EXPECT_EQ(link.get_aloftHere(), std::nullopt);
}

// FlightGear interpolates the sea-level temperature by height between its entries: each aloft
// entry gets the profile's at its own elevation, so a climb meets the profile's temperatures
// and no step between a layer's and the surface's.
TEST_F(FlightGearLinkTest, EachAloftEntryTakesTheProfileAtItsOwnHeight) {
    server.set("/position/latitude-deg", "0");
    server.set("/position/longitude-deg", "0");
    server.set("/position/altitude-ft", "0");
    FlightGearLink link(settings());
    ASSERT_TRUE(link.probe());
    waitForLines(1 + FlightGearLink::ReadCount);
    link.upd_wind1(3000, 0, 10, 270, 0, 0);
    link.upd_wind2(8000, 0, 20, 270, 0, 0);
    link.upd_wind3(15000, 0, 30, 270, 0, 0);
    waitForLines(4 + 3 * 4);
    server.clearLines();
    // 10 C at 1,000 ft, 4 C at 5,000, -6 C at 10,000, -25 C at 20,000: at sea level 11.98,
    // 13.91, 13.81 and 14.62 C.
    link.upd_temps(1000, 10, 5000, 4, 10000, -6, 20000, -25, 1013.25, TemperatureScale::Celsius);
    Lines expected;
    const double seaLevel[] = {12.0, 12.0, 12.9, 13.8, 14.2, 14.6, 14.6};
    for (int i = 0; i < 7; ++i) {
        expected.push_back("setd /environment/config/" +
                           std::string(i < 2 ? "boundary/entry[" + std::to_string(i)
                                             : "aloft/entry[" + std::to_string(i - 2)) +
                           "]/temperature-sea-level-degc " + FlightGearLink::number(seaLevel[i]));
    }
    Lines got;
    for (const auto& line : waitForLines(14)) {
        if (line.find("temperature-sea-level") != std::string::npos) {
            got.push_back(line);
        }
    }
    EXPECT_EQ(got, expected);
}

}  // namespace
}  // namespace zephyra::simlink
