#include <gtest/gtest.h>

#include "flightplan/WaypointStore.h"
#include "platform/Random.h"
#include "support/DbRows.h"
#include "support/TempDir.h"
#include "weather/WeatherDb.h"

using namespace zephyra;
using flightplan::WaypointLoadResult;
using flightplan::WaypointStore;

namespace {

class RecordingHost final : public flightplan::WaypointLoadHost {
  public:
    std::string marker = "0";
    std::vector<std::string> statuses;
    std::vector<std::string> messages;
    std::string weatherText;
    std::string activeName;
    std::string frequency = "unset";
    int begins = 0;
    int ends = 0;
    int yields = 0;

    bool storeMarkedLoaded() override { return marker == "1"; }
    void markStoreLoaded() override { marker = "1"; }
    void beginLoad() override { ++begins; }
    void endLoad() override { ++ends; }
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void setCurrentWeatherText(const std::string& text) override { weatherText = text; }
    void processEvents() override { ++yields; }
    std::string activeWaypointName() override { return activeName; }
    void setActiveWaypointFrequency(const std::string& text) override { frequency = text; }
    void showMessage(const std::string& text) override { messages.push_back(text); }
};

class WaypointStoreTest : public ::testing::Test {
  protected:
    void SetUp() override { db = weather::WeatherDb::open(dir.file("vanedb.mdb")); }

    void addWps(const std::string& name, const std::string& type, const std::string& freq,
                const std::string& lat, int ns, const std::string& lon, int we) {
        test::addWps(*db, {name, type, lat, ns, lon, we, freq, ""});
    }
    void addWeather(const std::string& id, int c1, int c2, bool vary, bool thunder, int precip,
                    const std::string& flightCategory = "") {
        weather::WeatherRecord r;
        r.FlightCategory = flightCategory;
        r.ID = id;
        r.Cl1Coverage = c1;
        r.Cl2Coverage = c2;
        r.VisibVary = vary;
        r.Thunder = thunder;
        r.Precip = precip;
        db->addWeather(r);
        stations.entries.push_back({id, 33.5, -84.5, "Station " + id, "GA", "United States"});
    }
    WaypointLoadResult load(int region) {
        return flightplan::loadWaypoints(*db, region, stations, rnd, store, host);
    }
    // Entry i as "type|name|frequency|category|precipitation|flight category".
    std::string entry(int i) const {
        const auto k = static_cast<std::size_t>(i);
        return std::string(store.WpsType[k]) + "|" + std::string(store.WpsName[k]) + "|" +
               std::string(store.WpsFreq[k]) + "|" + std::to_string(store.WpsWxCat[k]) + "|" +
               std::to_string(store.WpsPrecip[k]) + "|" + std::to_string(store.WpsFlightCat[k]);
    }

    test::TempDir dir;
    std::unique_ptr<weather::WeatherDb> db;
    weather::StationList stations;
    platform::PinnedRandom rnd;
    WaypointStore store;
    RecordingHost host;
};

}  // namespace

TEST(WaypointRegion, AmericasAndEuropeSplitAtThirtyWest) {
    EXPECT_TRUE(flightplan::inRegion(0, "0842600", -1));
    EXPECT_FALSE(flightplan::inRegion(0, "0100000", -1));
    EXPECT_FALSE(flightplan::inRegion(0, "0020000", 0));
    EXPECT_FALSE(flightplan::inRegion(1, "0842600", -1));
    EXPECT_TRUE(flightplan::inRegion(1, "0100000", -1));
    EXPECT_TRUE(flightplan::inRegion(1, "0020000", 0));
    // Thirty degrees west belongs to both; east longitudes never to the Americas.
    EXPECT_TRUE(flightplan::inRegion(0, "0305959", -1));
    EXPECT_TRUE(flightplan::inRegion(1, "0305959", -1));
    EXPECT_FALSE(flightplan::inRegion(0, "1500000", 0));
    EXPECT_TRUE(flightplan::inRegion(2, "1500000", 0));
    EXPECT_FALSE(flightplan::inRegion(3, "1500000", 0));
}

TEST_F(WaypointStoreTest, LoadsTheRegionThenTheStations) {
    addWps("Atlanta", "V", "116.90", "333747", -1, "0842606", -1);
    addWps("London", "V", "113.60", "512914", -1, "0002800", -1);
    addWps("Hartsfield", "A", "ignored", "333800", -1, "0842600", -1);
    addWps("Beacon", "N", "344", "100000", 0, "0200000", 0);
    addWeather("KATL", 3, 6, false, false, 0);
    ASSERT_EQ(load(0), WaypointLoadResult::Loaded);
    ASSERT_EQ(store.WpsCount, 3);
    EXPECT_EQ(entry(1), "V|Atlanta|116.90|0|0|0");
    EXPECT_NEAR(store.WpsLat[1], 33.629722, 1e-5);
    EXPECT_NEAR(store.WpsLon[1], -84.435, 1e-5);
    EXPECT_EQ(entry(2), "A|Hartsfield||0|0|0");
    EXPECT_EQ(entry(3), "C|Station KATL|KATL|6|0|0");
    EXPECT_EQ(host.marker, "1");
    EXPECT_EQ(store.loadingFlag, -1);
    EXPECT_EQ(host.statuses.back(), "All waypoints loaded.");
    EXPECT_EQ(host.begins + host.ends, 2);

    // Loaded already: nothing happens until the store is marked stale.
    EXPECT_EQ(load(0), WaypointLoadResult::AlreadyLoaded);
    EXPECT_EQ(host.begins, 1);
    host.marker = "0";
    ASSERT_EQ(load(1), WaypointLoadResult::Loaded);
    EXPECT_EQ(store.WpsCount, 3);
    EXPECT_EQ(store.WpsName[2], "Beacon");
    EXPECT_NEAR(store.WpsLat[2], -10.0, 1e-9);
}

TEST_F(WaypointStoreTest, WeatherCategoryAndPrecipitation) {
    addWps("Fix", "W", "", "100000", -1, "0100000", 0);
    addWeather("AAAA", 3, 6, false, false, 0, "VFR");
    addWeather("BBBB", 3, 6, true, false, 0, "MVFR");
    addWeather("CCCC", 3, 6, true, true, 2, "LIFR");
    addWeather("DDDD", 8, 0, false, false, 2);
    stations.entries.push_back({"KXYZ", 1, 1, "Nowhere", "", ""});  // no record: left out
    rnd.queueAll({0.0, 0.999});
    ASSERT_EQ(load(3), WaypointLoadResult::Loaded);
    ASSERT_EQ(store.WpsCount, 4);
    EXPECT_EQ(entry(1), "C|Station AAAA|AAAA|6|0|1");
    EXPECT_EQ(entry(2), "C|Station BBBB|BBBB|9|0|2");
    EXPECT_EQ(entry(3), "C|Station CCCC|CCCC|10|6|4");
    EXPECT_EQ(entry(4), "C|Station DDDD|DDDD|8|10|0");
    EXPECT_EQ(host.weatherText, "");  // stations there: no "No weather loaded..."
}

TEST_F(WaypointStoreTest, NoStationsSaysSo) {
    addWps("Fix", "W", "", "100000", -1, "0100000", 0);
    ASSERT_EQ(load(2), WaypointLoadResult::Loaded);
    EXPECT_EQ(host.weatherText, "No weather loaded...");
}

TEST_F(WaypointStoreTest, EmptyWaypointTableIsAnErrorAndStaysStale) {
    addWeather("KATL", 0, 0, false, false, 0);
    EXPECT_EQ(load(2), WaypointLoadResult::NoWaypointTable);
    EXPECT_EQ(host.messages, std::vector<std::string>{"No weather has been loaded."});
    EXPECT_EQ(host.marker, "0");
    EXPECT_EQ(host.ends, 1);
}

TEST_F(WaypointStoreTest, ProgressEvery250Records) {
    {
        auto tx = db->transaction();
        for (int i = 0; i < 1000; ++i) {
            addWps("F" + std::to_string(i), "W", "", "100000", -1, "0100000", 0);
        }
        tx->commit();
    }
    addWeather("KATL", 1, 0, false, false, 0);
    ASSERT_EQ(load(2), WaypointLoadResult::Loaded);
    EXPECT_EQ(host.yields, 4);
    EXPECT_EQ(host.statuses.front(), "25 percent of waypoints loaded.");

    host.marker = "0";
    host.statuses.clear();
    ASSERT_EQ(load(1), WaypointLoadResult::Loaded);
    EXPECT_EQ(host.statuses.front(), "250 waypoints loaded.");
}

TEST_F(WaypointStoreTest, ActiveWaypointGetsItsFrequency) {
    addWps("Macon", "V", "114.20", "324000", -1, "0833900", -1);
    addWps("Macon", "N", "410", "324000", -1, "0833900", -1);
    host.activeName = "Macon";
    ASSERT_EQ(load(2), WaypointLoadResult::Loaded);
    EXPECT_EQ(host.frequency, "410");
}
