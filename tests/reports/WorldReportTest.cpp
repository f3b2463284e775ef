#include "reports/WorldReport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "reports/StationReport.h"
#include "support/DbRows.h"
#include "support/TempDir.h"
#include "weather/WeatherDb.h"

namespace zephyra::reports {
namespace {

// Three countries: one with two states, one with a single state code, one without state codes.
class WorldReportTest : public ::testing::Test {
  protected:
    WorldReportTest() {
        auto db = weather::WeatherDb::open(dir.file("vanedb.mdb"));
        const test::StationRow stations[] = {
            {"KATL", "3338N", "08426W", 313, "ATLANTA", "GA", "United States"},
            {"KJFK", "4038N", "07347W", 4, "KENNEDY", "NY", "United States"},
            {"KLGA", "4046N", "07352W", 6, "LA GUARDIA", "NY", "United States"},
            {"CYYZ", "4341N", "07938W", 173, "TORONTO", "ON", "Canada"},
            {"EGLL", "5129N", "00027W", 24, "HEATHROW", "", "United Kingdom"},
            {"EGCC", "5321N", "00216W", 78, "MANCHESTER", "", "United Kingdom"},
        };
        for (const auto& s : stations) {
            test::addStation(*db, s);
            weather::WeatherRecord r;
            r.ID = s.id;
            r.Cl1Coverage = 8;
            r.cl1Base = 5000;
            r.w0Spd = 10;
            r.w0Dir = 180;
            r.t0Deg = 50;
            r.Visibility = 10;
            r.Pressure = 1013;
            db->addWeather(r);
        }
    }
    WorldReportBrowser browser(const std::string& uom = "U") {
        return WorldReportBrowser(dir.file("vanedb.mdb"), uom, 50);
    }
    test::TempDir dir;
};

TEST_F(WorldReportTest, CountriesStatesAndStations) {
    struct Case {
        const char* country;
        std::vector<std::string> states;
        bool stateListOffered;
        std::vector<std::string> stations;  // after "Find Stations" of the first state
    };
    const Case cases[] = {
        {"United States", {"GA", "NY"}, true, {"ATLANTA-KATL"}},
        // A single state code skips the state list: the stations are there at once.
        {"Canada", {"ON"}, false, {"TORONTO-CYYZ"}},
        {"United Kingdom", {""}, false, {"HEATHROW-EGLL", "MANCHESTER-EGCC"}},
    };
    auto b = browser();
    ASSERT_EQ(b.load("KATL-ATLANTA"), "");
    EXPECT_EQ(b.view().stationText, "KATL");
    EXPECT_EQ(b.view().countries,
              (std::vector<std::string>{"Canada", "United Kingdom", "United States"}));
    for (const auto& c : cases) {
        const auto& countries = b.view().countries;
        b.chooseCountry(static_cast<int>(std::find(countries.begin(), countries.end(), c.country) -
                                         countries.begin()));
        EXPECT_FALSE(b.view().stateEnabled) << c.country;
        b.findStates();
        EXPECT_EQ(b.view().states, c.states) << c.country;
        EXPECT_EQ(b.view().stateEnabled, c.stateListOffered) << c.country;
        EXPECT_EQ(b.view().findStationsEnabled, c.stateListOffered) << c.country;
        if (c.stateListOffered) {
            EXPECT_TRUE(b.view().stations.empty()) << c.country;
            b.findStations();
        }
        EXPECT_EQ(b.view().stations, c.stations) << c.country;
        EXPECT_EQ(b.view().stationText, c.stations.front()) << c.country;
        EXPECT_TRUE(b.view().reportEnabled) << c.country;
    }
    b.chooseCountry(2);
    b.findStates();
    b.chooseState(1);
    b.findStations();
    EXPECT_EQ(b.view().stations, (std::vector<std::string>{"KENNEDY-KJFK", "LA GUARDIA-KLGA"}));
}

TEST_F(WorldReportTest, ReportsCollectAndClear) {
    auto b = browser();
    ASSERT_EQ(b.load(""), "");
    // A typed identifier, even one not in the list, is reported; a typed lower-case one too.
    b.typeStation("EGLL");
    EXPECT_EQ(b.report(), "");
    b.typeStation("kennedy-kjfk");
    EXPECT_EQ(b.report(), "");
    EXPECT_EQ(b.view().reports,
              "\n---------------------------EGLL REPORT\nSkies: overcast at 4922 feet.\n"
              "Surface winds are 10 knots from 180 degrees.\nTemperature is 50.\n"
              "Visibility is 10 miles.\nReported barometer is 29.91.\n"
              "\n---------------------------KJFK REPORT\nSkies: overcast at 4987 feet.\n"
              "Surface winds are 10 knots from 180 degrees.\nTemperature is 50.\n"
              "Visibility is 10 miles.\nReported barometer is 29.91.\n");
    b.typeStation("KXXX");
    EXPECT_EQ(b.report(), kStationNotFound);
    EXPECT_NE(b.view().reports.find("KJFK REPORT"), std::string::npos) << "reports stay";
    b.clear();
    EXPECT_EQ(b.view().reports, "");

    // Metric heights use 0.30497 (0.3048 would give 1500): 4922 ft above the station.
    auto metric = browser("M");
    metric.load("");
    metric.typeStation("HEATHROW-EGLL");
    metric.report();
    EXPECT_NE(metric.view().reports.find("Skies: overcast at 1501 metres.\n"), std::string::npos)
        << metric.view().reports;
}

TEST_F(WorldReportTest, NoWeatherAndOddInput) {
    {
        auto db = weather::WeatherDb::open(dir.file("vanedb.mdb"));
        db->emptyWeather();
    }
    auto b = browser();
    EXPECT_EQ(b.load("KATL-ATLANTA"), kNoWeatherLoaded);
    EXPECT_TRUE(b.view().countries.empty());
    WorldReportBrowser missing(dir.file("nowhere/vanedb.mdb"), "U", 50);
    EXPECT_EQ(missing.load(""), kNoWeatherLoaded);
    missing.typeStation("KATL");
    EXPECT_EQ(missing.report(), kStationNotFound);

    EXPECT_EQ(currentStationId("KATL-ATLANTA"), "KATL");
    EXPECT_EQ(currentStationId("AB-X"), "");
    EXPECT_EQ(currentStationId(""), "");
    EXPECT_EQ(stationIdOfEntry("KAT"), "KAT");
    // Quotes in a country reach the query as a value.
    EXPECT_TRUE(
        stationsWithWeather(*weather::WeatherDb::open(dir.file("vanedb.mdb")), "\" OR 1=1 --", "")
            .empty());
}

}  // namespace
}  // namespace zephyra::reports
