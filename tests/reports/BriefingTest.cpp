#include "reports/Briefing.h"

#include <gtest/gtest.h>

#include "flightplan/GreatCircle.h"
#include "flightplan/PlanFile.h"
#include "support/TempDir.h"
#include "weather/Taf.h"

namespace zephyra::reports {
namespace {

class NoWeather final : public flightplan::PlanLoadHost {
    bool useCustomWeather() override { return false; }
    void processCustomWeather() override {}
};

// A plan whose waypoint is named like a script: the page shows the name as text and holds no
// element of its own making. Without weather, TAFs or winds aloft every source is warned of.
TEST(Briefing, HostileNamesAreTextAndMissingSourcesAreWarnedOf) {
    test::TempDir dir;
    const std::string fpl = dir.write("hostile.fpl",
                                      "<script>alert(1)</script>|34.0|-84.0|9000|250\r\n"
                                      "\"><img src=x onerror=alert(2)>|35.0|-83.0|9000|250\r\n");
    flightplan::FlightPlan flight;
    NoWeather host;
    ASSERT_TRUE(flightplan::loadPlanFile(fpl, flight.plan, host).completed);
    const flightplan::WaypointStore store;
    const std::vector<weather::Taf> tafs;
    BriefingInput input;
    input.flight = &flight;
    input.store = &store;
    input.tafs = &tafs;
    input.departure = 1666710000;  // 2022-10-25 15:00Z
    const Briefing briefing = gatherBriefing(input);
    ASSERT_EQ(briefing.legs.size(), 1u);
    EXPECT_EQ(briefing.legs[0].from, "<script>alert(1)</script>");
    // 250 kt indicated at 9,000 ft, 284.48 kt true, in no wind over the 77.7 nm from 34N 84W to
    // 35N 83W.
    ASSERT_TRUE(briefing.legs[0].groundSpeedKt);
    EXPECT_NEAR(*briefing.legs[0].groundSpeedKt, 284.48, 0.01);
    EXPECT_NEAR(briefing.legs[0].distanceNm, 77.7, 0.1);

    const std::string html = briefingHtml(briefing);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("<img src=x"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(html.find("&quot;&gt;&lt;img src=x onerror=alert(2)&gt;"), std::string::npos);
    ASSERT_EQ(briefing.sources.size(), 4u);
    for (const auto& source : briefing.sources) {
        EXPECT_FALSE(source.warning.empty()) << source.name;
    }
    EXPECT_NE(html.find("No dated METAR report"), std::string::npos);
    EXPECT_NE(html.find("No winds aloft forecast"), std::string::npos);
}

// The main window records the departure by the airport's name and leaves it out of a generated
// plan: the briefing finds its identifier in the waypoint store, for its METAR and TAF.
TEST(Briefing, TheDepartureByNameIsItsAirportsIdentifier) {
    test::TempDir dir;
    const std::string fpl = dir.write("generated.fpl", "Foothills|34.6958|-83.2978|9000|250\r\n");
    flightplan::FlightPlan flight;
    NoWeather host;
    ASSERT_TRUE(flightplan::loadPlanFile(fpl, flight.plan, host).completed);
    flight.ends.departureName = "Hartsfield Jackson Atlanta International Airport";
    flight.ends.departureLat = 33.6367;
    flight.ends.departureLon = -84.4281;
    flightplan::WaypointStore store;
    store.add("A", "Hartsfield Jackson Atlanta International Airport", "", 33.6367, -84.4281, 0, 0,
              "KATL");
    const std::vector<weather::Taf> tafs =
        weather::readTafs("TAF KATL 231120Z 2312/2418 09006KT P6SM FEW250=", 1666525200);
    BriefingInput input;
    input.flight = &flight;
    input.store = &store;
    input.tafs = &tafs;
    input.departure = 1666530000;  // 2022-10-23 13:00Z
    const Briefing briefing = gatherBriefing(input);
    EXPECT_EQ(briefing.title, "KATL to Foothills");
    EXPECT_EQ(briefing.departureTaf.station, "KATL");
    EXPECT_TRUE(briefing.departureTaf.found);
}

// Distances worked by hand on the equator and a meridian (one degree of arc is 60 nm).
TEST(Briefing, DistanceToALegIsAcrossItOrToTheNearerEnd) {
    const struct {
        double lat, lon, fromLat, fromLon, toLat, toLon, nm;
    } cases[] = {
        {1, 5, 0, 0, 0, 10, 60},       // abeam the middle
        {-0.5, 2, 0, 0, 0, 10, 30},    // the other side
        {0, 12, 0, 0, 0, 10, 120},     // beyond the end
        {0, -3, 0, 0, 0, 10, 180},     // before the start
        {40, 1, 30, 0, 50, 0, 45.96},  // 60 cos 40 across a meridian
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(
            flightplan::distanceToLegNm(c.lat, c.lon, c.fromLat, c.fromLon, c.toLat, c.toLon), c.nm,
            0.05)
            << c.lat << " " << c.lon;
    }
}

TEST(Briefing, Base64AsRfc4648) {
    for (const auto& [in, out] : {std::pair{"", ""},
                                  {"f", "Zg=="},
                                  {"fo", "Zm8="},
                                  {"foo", "Zm9v"},
                                  {"foob", "Zm9vYg=="},
                                  {"foobar", "Zm9vYmFy"}}) {
        EXPECT_EQ(base64(in), out);
    }
}

}  // namespace
}  // namespace zephyra::reports
