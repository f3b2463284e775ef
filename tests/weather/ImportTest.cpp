#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "weather/Records.h"
#include "weather/import/Encoding.h"
#include "weather/import/Importer.h"
#include "weather/import/Selection.h"
#include "weather/import/Sources.h"
#include "weather/import/TextInput.h"

using namespace zephyra::weather::import;
using zephyra::test::TempDir;
using zephyra::weather::waypointLatitude;
using zephyra::weather::waypointLongitude;

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Runs SQL on a database file and returns every row as text.
Rows query(const std::string& path, const std::string& sql) {
    Rows rows;
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const auto add = [](void* out, int n, char** values, char**) {
        auto& row = static_cast<Rows*>(out)->emplace_back();
        for (int i = 0; i < n; ++i) {
            row.emplace_back(values[i] != nullptr ? values[i] : "");
        }
        return 0;
    };
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), add, &rows, &error), SQLITE_OK)
        << (error != nullptr ? error : "") << " in " << sql;
    sqlite3_free(error);
    sqlite3_close(db);
    return rows;
}

// Text encodings

TEST(TextEncodingTest, WaypointTextsAreDegreesMinutesSecondsWithFlags) {
    // The flag is -1 for north and west; rounding carries into minutes and degrees.
    const struct {
        double degrees;
        const char* text;
        int flag;
    } lats[] = {{33.70333, "334212", -1},
                {-33.70333, "334212", 0},
                {33.9999999, "340000", -1},
                {-0.0001, "000000", -1}},
      lons[] = {{-84.43972, "0842623", -1}, {151.17722, "1511038", 0},
                {-9.99999, "0100000", -1},  {179.99999, "1800000", 0},
                {-0.0001, "0000000", 0},    {-0.0002, "0000001", -1}};  // 0.72" is still west
    for (const auto& c : lats) {
        EXPECT_EQ(waypointLatitudeText(c.degrees).text, c.text) << c.degrees;
        EXPECT_EQ(waypointLatitudeText(c.degrees).flag, c.flag) << c.degrees;
    }
    for (const auto& c : lons) {
        EXPECT_EQ(waypointLongitudeText(c.degrees).text, c.text) << c.degrees;
        EXPECT_EQ(waypointLongitudeText(c.degrees).flag, c.flag) << c.degrees;
    }
    // The program reads the texts back within half a second.
    for (double lat = -90.0; lat <= 90.0; lat += 0.7311) {
        const auto t = waypointLatitudeText(lat);
        ASSERT_EQ(t.text.size(), 6u);
        EXPECT_NEAR(waypointLatitude(t.text, t.flag), lat, 0.5 / 3600 + 1e-9) << lat;
    }
    for (double lon = -180.0; lon <= 180.0; lon += 1.3177) {
        const auto t = waypointLongitudeText(lon);
        ASSERT_EQ(t.text.size(), 7u);
        EXPECT_NEAR(waypointLongitude(t.text, t.flag), lon, 0.5 / 3600 + 1e-9) << lon;
    }
}

TEST(TextEncodingTest, StationTextsRoundToTheNearestMinute) {
    EXPECT_EQ(stationLatitudeText(33.6367), "3338N");
    EXPECT_EQ(stationLatitudeText(-34.91667), "3455S");
    EXPECT_EQ(stationLatitudeText(33.99167), "3400N");  // 59.5' -> next degree
    EXPECT_EQ(stationLatitudeText(-0.004), "0000N");    // rounds to zero: north
    EXPECT_EQ(stationLongitudeText(-84.428101), "08426W");
    EXPECT_EQ(stationLongitudeText(-84.99), "08459W");
    EXPECT_EQ(stationLongitudeText(-180.0), "18000W");
    EXPECT_EQ(stationLongitudeText(-0.004), "00000E");
}

TEST(TextEncodingTest, FrequenciesInTheirBandsOnly) {
    EXPECT_EQ(vorFrequency(116900), "116.90");
    EXPECT_EQ(vorFrequency(108000), "108.00");
    EXPECT_EQ(vorFrequency(117950), "117.95");
    // 11495 is a real error in the data (kHz/10); 116925 lies between channels.
    for (const double bad : {107950, 118000, 11495, -1, 116925}) {
        EXPECT_FALSE(vorFrequency(bad)) << bad;
    }
    EXPECT_EQ(ndbFrequency(344), "344");
    EXPECT_EQ(ndbFrequency(415.5), "415.5");
    EXPECT_EQ(ndbFrequency(1750), "1750");
    for (const double bad : {105, 1751, -1}) {  // 105: VHF numbers filed as NDBs
        EXPECT_FALSE(ndbFrequency(bad)) << bad;
    }
}

// Reading the source formats

TEST(SourceFormatTest, DegreesMinutesAsTheStationListsWriteThem) {
    EXPECT_NEAR(*parseDegreesMinutes("33 38N"), 33.0 + 38.0 / 60, 1e-9);
    EXPECT_NEAR(*parseDegreesMinutes("084 27W"), -(84.0 + 27.0 / 60), 1e-9);
    EXPECT_NEAR(*parseDegreesMinutes("33-37-47N"), 33.0 + 37.0 / 60 + 47.0 / 3600, 1e-9);
    EXPECT_NEAR(*parseDegreesMinutes("48-15-60N"), 48.0 + 16.0 / 60, 1e-9);  // unrounded 60"
    EXPECT_EQ(*parseDegreesMinutes("000-00"), 0.0);  // the prime meridian, no letter
    EXPECT_FALSE(parseDegreesMinutes("12-30"));      // no letter on a non-zero value
    EXPECT_FALSE(parseDegreesMinutes("45-85N"));     // decimal degrees in the minutes
    EXPECT_FALSE(parseDegreesMinutes("4A-10N"));
    EXPECT_FALSE(parseDegreesMinutes(""));
}

TEST(SourceFormatTest, CsvQuotingAndOneBrokenRecordCostsOnlyItsLine) {
    CsvTable table(
        "\"a\",\"b\",\"c\"\r\n"
        "1,\"x, y\",\"say \"\"hi\"\"\"\r\n"
        "2,\"unclosed,3\n"
        "4,five,6\n"
        "7,8\n"
        "\n"
        "9,\"multi\nline\",10\n");
    std::vector<std::vector<std::string>> got;
    while (table.next()) {
        got.push_back({table.field(0), table.field(1), table.field(2)});
    }
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], (std::vector<std::string>{"1", "x, y", "say \"hi\""}));
    EXPECT_EQ(got[1], (std::vector<std::string>{"4", "five", "6"}));
    EXPECT_EQ(got[2], (std::vector<std::string>{"9", "multi\nline", "10"}));
    EXPECT_EQ(table.malformed(), 2);
    EXPECT_EQ(table.column("c"), 2);

    // A record past the bounds of a CSV row is skipped unsplit; a header past them names nothing.
    const std::string longRow = "a,b,c\n1,\"" + std::string(70 * 1024, 'x') + "\",3\n4,5,6\n";
    const std::string wideHeader = "a,b,c" + std::string(300, ',') + "\n1,2,3\n";
    CsvTable bounded(longRow);
    ASSERT_TRUE(bounded.next());
    EXPECT_EQ(bounded.field(0), "4");
    EXPECT_EQ(bounded.malformed(), 1);
    EXPECT_EQ(CsvTable(wideHeader).column("a"), -1);
}

TEST(SourceFormatTest, AwcStationListSkipsTitlesAndPrefersTheMetarLineOfADuplicate) {
    const std::string text =
        "! comment\n"
        "ALASKA             14-DEC-20                                                  \n"
        "CD  STATION         ICAO  IATA  SYNOP   LAT     LONG   ELEV   M  N  V  U  A  C\n"
        "CA MONTEREY/WFO     KMTR               36 35N  121 52W   66                      US\n"
        "WY MEETEETSE RIM    KMTR               44 16N  108 52W 1803   X                  US\n"
        "GA ATLANTA          KATL               33 38N  084 27W  309   X                  US\n"
        "   RADAR ONLY                          33 38N  084 27W  309                      US\n"
        "   BROKEN           EGXX               5X 28N  000 27W   24   X                  GB\n";
    const auto parsed = parseAwcStations(text);
    ASSERT_EQ(parsed.rows.size(), 2u);
    EXPECT_EQ(parsed.malformed, 1);
    EXPECT_EQ(parsed.rows[0].id, "KMTR");
    EXPECT_EQ(parsed.rows[0].name, "MEETEETSE RIM");
    EXPECT_NEAR(parsed.rows[0].position->lat, 44.0 + 16.0 / 60, 1e-9);
    EXPECT_EQ(parsed.rows[1].id, "KATL");
    EXPECT_EQ(parsed.rows[1].state, "GA");
    EXPECT_EQ(parsed.rows[1].country, "US");
    EXPECT_EQ(*parsed.rows[1].elevationM, 309.0);
}

TEST(SourceFormatTest, NsdStationListFieldsShortLinesAndLatin1Names) {
    const auto parsed = parseNsdStations(
        "KATL;72;219;Atlanta, Hartsfield;GA;United States;4;33-37-47N;084-26-32W;33-38-24N;"
        "084-25-17W;312;296;P;1\n"
        "CWKM;71;046;Komakuk Beach, Y. T.;;Canada;4;69-37N;140-12W;;;13;\n"
        "DGAT;65;473;Tema;;Ghana;1;05-37N;00-00;;;14;18;\n"
        "KXXX;--;---;Too short;GA\n"
        "KBLX;--;---;Billing NEXRAD;MT;United States;4;45-85N;108-61W;;;1117;;\n"
        "UUEE;27;514;Moscow / Sheremet'Ye;;Russian Federation;6;;;;;190;;\n"
        "LFBT;07;621;Tarbes / Lourdes-Pyr\xE9n\xE9"
        "es;;France;6;43-11N;000-00;;;379;363;P\n");
    ASSERT_EQ(parsed.rows.size(), 5u);
    EXPECT_EQ(parsed.malformed, 2);
    EXPECT_EQ(parsed.rows[0].name, "Atlanta, Hartsfield");
    EXPECT_NEAR(parsed.rows[0].position->lon, -(84.0 + 26.0 / 60 + 32.0 / 3600), 1e-9);
    EXPECT_EQ(*parsed.rows[0].elevationM, 312.0);
    EXPECT_EQ(parsed.rows[1].country, "Canada");
    EXPECT_EQ(parsed.rows[2].position->lon, 0.0);
    EXPECT_FALSE(parsed.rows[3].position);  // listed, but without a position
    EXPECT_EQ(parsed.rows[4].name,
              "Tarbes / Lourdes-Pyr\xC3\xA9n\xC3\xA9"
              "es");
}

TEST(SourceFormatTest, WeatherUtilityPositionsAreRadians) {
    const auto parsed = parseWeatherUtilStations(
        "# Copyright\n\n"
        "[aggh]\ndescription = Honiara / Henderson, Solomon Islands\n"
        "location = (-0.1643518, 2.7933995)\nmetar = https://example/AGGH.TXT\n\n"
        "[aggg]\ndescription = unknown station in Solomon Islands\nlocation = None\n\n"
        "[bad1]\ndescription = broken\nlocation = (north, 2)\n");
    ASSERT_EQ(parsed.rows.size(), 2u);
    EXPECT_EQ(parsed.malformed, 1);
    EXPECT_EQ(parsed.rows[0].id, "AGGH");
    EXPECT_NEAR(parsed.rows[0].position->lat, -9.41666, 1e-4);
    EXPECT_NEAR(parsed.rows[0].position->lon, 160.05, 1e-4);
    EXPECT_FALSE(parsed.rows[1].position);
}

TEST(SourceFormatTest, FixFileHeaderEndMarkerAndBadLines) {
    const auto parsed = parseFixes(
        "I\n600 Version - data cycle 2013.10, Copyright \xA9 2013\n\n"
        " 33.750000  -84.383333 ADLOW\n"
        " 91.000000  000.000000 BADLT\n"
        " 12.5 abc XXXXX\n"
        " 51.1 -0.2 BIGGIN ENRT EG 2115159\n"
        "99\n"
        " 10.0 10.0 AFTER\n");
    ASSERT_EQ(parsed.rows.size(), 2u);
    EXPECT_EQ(parsed.malformed, 2);
    EXPECT_EQ(parsed.rows[0].ident, "ADLOW");
    EXPECT_NEAR(parsed.rows[0].position.lon, -84.383333, 1e-9);
    EXPECT_EQ(parsed.rows[1].ident, "BIGGIN");  // newer files carry more columns
}

TEST(SourceFormatTest, AirportsNeedTheirColumns) {
    Parsed<AirportRecord> airports;
    std::string error;
    EXPECT_FALSE(
        parseAirports("\"id\",\"ident\",\"name\"\n1,\"KATL\",\"Atlanta\"\n", airports, &error));
    EXPECT_NE(error.find("type"), std::string::npos) << error;
}

// Names lose stray commas; the city, the other codes and the size travel with the airport.
TEST(SourceFormatTest, AirportNamesCleanedWithCityCodesAndRank) {
    const std::string csv =
        "\"id\",\"ident\",\"type\",\"name\",\"latitude_deg\",\"longitude_deg\","
        "\"elevation_ft\",\"iso_country\",\"iso_region\",\"municipality\","
        "\"scheduled_service\",\"icao_code\",\"iata_code\",\"gps_code\"\n"
        "1,\"EGLC\",\"medium_airport\",\"London City Airport,\",51.5,0.05,19,\"GB\",\"GB-ENG\","
        "\"London\",\"yes\",\"EGLC\",\"LCY\",\"EGLC\"\n"
        "2,\"SPJC\",\"large_airport\",\" Jorge Chavez ;\",-12.02,-77.11,113,\"PE\",\"PE-LIM\","
        "\"Lima\",\"yes\",\"SPJC\",\"LIM\",\"SPJC\"\n"
        "3,\"US-0001\",\"small_airport\",\"Strip\",40,-90,600,\"US\",\"US-IL\",,\"no\",,,"
        "\"K1X1\"\n";
    Parsed<AirportRecord> parsed;
    ASSERT_TRUE(parseAirports(csv, parsed, nullptr));
    ASSERT_EQ(parsed.rows.size(), 3u);
    // SPJC reports as SPIM, as the station lists still have it; the strip has a station too.
    const auto rows = selectAirports(parsed.rows, {{1, "SPIM"}, {2, "K1X1"}});
    ASSERT_EQ(rows.size(), 3u);
    struct Want {
        std::string ident, name, city;
        int rank;
        std::vector<std::string> codes;
    };
    const Want want[] = {{"EGLC", "London City Airport", "London", 5, {"LCY"}},
                         {"K1X1", "Strip", "", 2, {"US-0001"}},
                         {"SPIM", "Jorge Chavez", "Lima", 7, {"SPJC", "LIM"}}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].ident, want[i].ident);
        EXPECT_EQ(rows[i].name, want[i].name);
        EXPECT_EQ(rows[i].city, want[i].city);
        EXPECT_EQ(rows[i].rank, want[i].rank);
        EXPECT_EQ(rows[i].codes, want[i].codes);
    }
}

TEST(SourceFormatTest, TitleCaseOnlyForNamesInCapitals) {
    EXPECT_EQ(titleCaseIfCapitals("SAN DIEGO/LINDBERGH"), "San Diego/Lindbergh");
    EXPECT_EQ(titleCaseIfCapitals("TORONTO INT'L"), "Toronto Int'l");
    EXPECT_EQ(titleCaseIfCapitals("ST. JOHN'S-88D"), "St. John's-88D");
    EXPECT_EQ(titleCaseIfCapitals("Sault Ste. Marie"), "Sault Ste. Marie");
}

// Choosing names, positions and codes for stations

AirportRecord airport(const std::string& ident, const std::string& name, double lat, double lon,
                      const std::string& country, const std::string& region,
                      const std::string& type = "large_airport") {
    return {ident, type, name, country, region, ident, "", "", "", false, {lat, lon}, std::nullopt};
}

StationRecord station(const std::string& id, const std::string& name,
                      std::optional<GeoPoint> position, const std::string& country,
                      const std::string& state = "") {
    return {id, name, state, country, position, std::nullopt, ""};
}

TEST(StationMergeTest, NamesPositionsAndRegionsFromNearbyAirportsElseFromTheLists) {
    auto closed = airport("K3F3", "Old Field (Closed)", 32.07, -93.77, "US", "US-LA", "closed");
    auto local = airport("3F3", "C E 'Rusty' Williams Airport", 32.0735, -93.7654, "US", "US-LA",
                         "small_airport");
    local.icaoCode.clear();
    local.gpsCode = "K3F3";
    const std::vector<AirportRecord> airports = {
        airport("EGLL", "London Heathrow Airport", 51.470748, -0.459909, "GB", "GB-ENG"),
        // Far from the station with its code: another place.
        airport("FAWE", "Welgevonden Reserve", -24.2, 27.9, "ZA", "ZA-LP", "small_airport"), closed,
        local,  // matched by ICAO code, then GPS code; closed fields skipped
        airport("ENJS", "Johan Sverdrup Helipad", 56.6, 2.7, "NO", "NO-U-A", "heliport")};
    std::vector<StationRecord> awc = {
        station("FAWE", "WINDHOEK", GeoPoint{-22.56667, 17.1}, "NA"),
        station("WPDL", "DILI", GeoPoint{-8.55, 125.53}, "TP"),
        station("KXYZ", "WIDGET CITY", GeoPoint{40.0, -100.0}, "US", "NE")};
    awc.back().elevationM = 612.4;
    const auto merged = mergeStations(
        {{station("EGLL", "London / Heathrow Airport", GeoPoint{51.48333, -0.45}, "United Kingdom"),
          station("K3F3", "Mansfield", GeoPoint{32.07, -93.77}, "United States", "LA"),
          station("UUXX", "SOMEWHERE NORTH", GeoPoint{60.0, 40.0}, "Russian Federation"),
          station("UUEE", "Moscow", std::nullopt, "Russian Federation")},
         awc,
         {station("ENJS", "unknown station in Norway", std::nullopt, ""),
          station("AGGG", "unknown station in Solomon Islands", std::nullopt, "")},
         airports,
         {{"US", "United States"},
          {"GB", "United Kingdom"},
          {"RU", "Russia"},
          {"TL", "Timor-Leste"}}});
    std::map<std::string, StationRow> rows;
    for (const auto& r : merged.rows) {
        rows[r.id] = r;
    }
    const auto row = [&rows](const std::string& id) {
        return rows.count(id) ? rows[id] : StationRow{};
    };
    EXPECT_EQ(row("EGLL").name, "London Heathrow Airport");
    EXPECT_EQ(row("EGLL").latitude + row("EGLL").longitude, "5128N00028W");
    EXPECT_EQ(row("EGLL").stateCode, "ENG");
    EXPECT_EQ(row("FAWE").name, "Windhoek");
    EXPECT_EQ(row("FAWE").latitude, "2234S");
    EXPECT_EQ(row("K3F3").name, "C E 'Rusty' Williams Airport");
    EXPECT_EQ(merged.airportStation,
              (std::map<std::size_t, std::string>{{0, "EGLL"}, {3, "K3F3"}, {4, "ENJS"}}));
    // The lists fill in what no airport gives, old country names and codes mapped to today's.
    EXPECT_EQ(row("UUXX").name, "Somewhere North");
    EXPECT_EQ(row("UUXX").country, "Russia");
    EXPECT_EQ(row("WPDL").country, "Timor-Leste");
    EXPECT_EQ(row("KXYZ").stateCode + " " + row("KXYZ").country, "NE United States");
    EXPECT_EQ(row("KXYZ").altitudeM, 612.0);
    // Stations without any position are left out; "U-A" is OurAirports' "unassigned".
    EXPECT_EQ(merged.unplaced, 2);
    EXPECT_EQ(rows.count("UUEE") + rows.count("AGGG"), 0u);
    EXPECT_EQ(row("ENJS").name, "Johan Sverdrup Helipad");
    EXPECT_EQ(row("ENJS").stateCode, "");
    EXPECT_EQ(rows.size(), 7u);
}

// Choosing waypoints

TEST(WaypointSelectionTest, MajorAirportsAndStationAirportsUnderTheReportCode) {
    std::vector<AirportRecord> airports = {
        airport("KATL", "Hartsfield Jackson Atlanta International Airport", 33.6367, -84.4281, "US",
                "US-GA"),
        airport("00AA", "Aero B Ranch Airport", 38.7, -101.47, "US", "US-KS", "small_airport"),
        airport("3F3", "C E 'Rusty' Williams Airport", 32.07, -93.77, "US", "US-LA",
                "small_airport"),
        airport("XX-0001", "Gone Field", 1, 1, "XX", "XX-U-A", "closed"),
    };
    const auto rows = selectAirports(airports, {{2, "K3F3"}});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].ident, "K3F3");
    EXPECT_EQ(rows[1].ident, "KATL");
    EXPECT_EQ(rows[1].type, "A");
}

TEST(WaypointSelectionTest, NavaidFamiliesAndBadFrequencies) {
    auto navaid = [](const std::string& ident, const std::string& type, double khz) {
        return NavaidRecord{ident, ident + " name", type, khz, {10, 10}};
    };
    const auto rows = selectNavaids({navaid("ATL", "VORTAC", 116900), navaid("B", "VOR", 113000),
                                     navaid("C", "VOR-DME", 11495), navaid("D", "NDB", 344),
                                     navaid("E", "NDB-DME", 415.5), navaid("F", "NDB", 110),
                                     navaid("G", "TACAN", 1150), navaid("H", "DME", 112000)});
    ASSERT_EQ(rows.vors.size(), 2u);
    ASSERT_EQ(rows.ndbs.size(), 2u);
    EXPECT_EQ(rows.badFrequencies, 2);
    EXPECT_EQ(rows.vors[0].ident, "ATL");
    EXPECT_EQ(rows.vors[0].type, "V");
    EXPECT_EQ(rows.vors[0].frequency, "116.90");
    EXPECT_EQ(rows.ndbs[1].frequency, "415.5");
    EXPECT_EQ(rows.ndbs[1].type, "N");
}

TEST(WaypointSelectionTest, FixesAreSharedOutAcrossCellsWhateverTheFileOrder) {
    std::vector<FixRecord> fixes;
    // 400 fixes crowd one cell over Europe; three sit alone elsewhere.
    for (int i = 0; i < 400; ++i) {
        std::string ident = "E";
        for (int k = i; ident.size() < 5; k /= 26) {
            ident += static_cast<char>('A' + k % 26);
        }
        fixes.push_back({ident, {50.0 + (i % 20) * 0.2, 5.0 + (i / 20) * 0.2}});
    }
    fixes.push_back({"SOUTH", {-40.0, 150.0}});
    fixes.push_back({"NORTH", {65.0, -150.0}});
    fixes.push_back({"ASIAA", {30.0, 110.0}});
    fixes.push_back({"D123A", {-20.0, 20.0}});   // not a named fix
    fixes.push_back({"SOUTH", {-40.0, 150.0}});  // listed twice
    // The names chosen, in order; a name listed twice would show twice.
    const auto names = [](const auto& chosen) {
        std::vector<std::string> out;
        for (const auto& f : chosen) {
            EXPECT_EQ(f.type, "W");
            EXPECT_EQ(f.name, f.ident);
            out.push_back(f.ident);
        }
        return out;
    };
    const auto chosen = names(selectFixes(fixes, 50));
    ASSERT_EQ(chosen.size(), 50u);
    EXPECT_TRUE(std::is_sorted(chosen.begin(), chosen.end()));
    EXPECT_EQ(std::adjacent_find(chosen.begin(), chosen.end()), chosen.end());
    for (const char* lonely : {"SOUTH", "NORTH", "ASIAA"}) {
        EXPECT_TRUE(std::binary_search(chosen.begin(), chosen.end(), lonely)) << lonely;
    }
    EXPECT_FALSE(std::binary_search(chosen.begin(), chosen.end(), "D123A"));
    auto reversed = fixes;
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(names(selectFixes(reversed, 50)), chosen);
    EXPECT_EQ(selectFixes(fixes, 1000).size(), 403u);
    EXPECT_TRUE(selectFixes(fixes, 0).empty());
}

// The database built from the shipped data

class ShippedDataTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = std::make_unique<TempDir>();
        Sources sources;
        sources.dataDir = ZEPHYRA_SOURCE_DIR "/data";
        std::string error;
        ok = buildDatabase(sources, path(), report, &error);
        message = error;
    }
    static void TearDownTestSuite() { dir.reset(); }
    void SetUp() override { ASSERT_TRUE(ok) << message; }
    static std::string path() { return dir->file("vanedb.mdb"); }
    static std::string count(const std::string& sql) { return query(path(), sql).at(0).at(0); }
    static inline std::unique_ptr<TempDir> dir;
    static inline ImportReport report;
    static inline bool ok = false;
    static inline std::string message;
};

TEST_F(ShippedDataTest, Stations) {
    EXPECT_EQ(query(path(),
                    "SELECT Name LIKE '%Atlanta%', Latitude, Longitude, ABS(Altitude - 313) <= 3, "
                    "\"State Code\", Country, Celcius FROM Stations WHERE ID = 'KATL'"),
              (Rows{{"1", "3338N", "08426W", "1", "GA", "United States", "1"}}));
    EXPECT_EQ(query(path(),
                    "SELECT ID, Country, \"State Code\" FROM Stations WHERE ID IN ('EGLL', "
                    "'YSSY', 'CYYZ') ORDER BY ID"),
              (Rows{{"CYYZ", "Canada", "ON"},
                    {"EGLL", "United Kingdom", "ENG"},
                    {"YSSY", "Australia", "NSW"}}));
    EXPECT_GT(std::stoi(count("SELECT COUNT(*) FROM Stations")), 9500);
    EXPECT_EQ(count("SELECT COUNT(*) FROM Stations"), std::to_string(report.stations));
    EXPECT_EQ(count("SELECT COUNT(*) FROM Stations WHERE Country = '' OR Name = ''"), "0");
    // North American stations also answer to their SA codes (SA was North America's format).
    const std::string sql = "SELECT Name, Latitude, Longitude, Altitude FROM Stations WHERE ID = ";
    EXPECT_EQ(query(path(), sql + "'ICT'"), query(path(), sql + "'KICT'"));
    EXPECT_EQ(query(path(), sql + "'YYZ'"), query(path(), sql + "'CYYZ'"));
    EXPECT_TRUE(query(path(), sql + "'LHR'").empty());
    EXPECT_GT(report.saCodes, 1000);
    // SA reports are in degrees Fahrenheit: only the METAR rows ask for a conversion.
    EXPECT_EQ(
        query(path(), "SELECT ID, Celcius FROM Stations WHERE ID IN ('ICT', 'KICT') ORDER BY ID"),
        (Rows{{"ICT", "0"}, {"KICT", "1"}}));
    EXPECT_EQ(count("SELECT COUNT(*) FROM Stations WHERE Celcius = 0"),
              std::to_string(report.saCodes));
}

TEST_F(ShippedDataTest, Waypoints) {
    const auto atl = query(
        path(),
        "SELECT Name, Frequency, Lat, NS, Lon, we FROM WPS WHERE Ident = 'ATL' AND Type = 'V'");
    ASSERT_EQ(atl.size(), 1u);
    EXPECT_EQ(atl[0][0] + " " + atl[0][1], "Atlanta 116.90");
    EXPECT_NEAR(waypointLatitude(atl[0][2], std::stoi(atl[0][3])), 33.6291, 1e-3);
    EXPECT_NEAR(waypointLongitude(atl[0][4], std::stoi(atl[0][5])), -84.4351, 1e-3);
    std::string order;  // airports, then VORs, NDBs and fixes, each group in one block
    int south = 0, farEast = 0, europe = 0, americas = 0;
    for (const auto& r :
         query(path(), "SELECT Ident, Lat, NS, Lon, we, Type FROM WPS ORDER BY rowid")) {
        const std::string& type = r[5];
        if (order.empty() || order.back() != type[0]) {
            order += type;
        }
        if (type == "W") {
            const double latitude = waypointLatitude(r[1], std::stoi(r[2]));
            const double longitude = waypointLongitude(r[3], std::stoi(r[4]));
            south += latitude < -30.0;
            farEast += longitude > 100.0;
            europe += latitude > 35.0 && latitude < 70.0 && longitude > -10.0 && longitude < 40.0;
            americas += longitude < -30.0;
        }
    }
    EXPECT_EQ(order, "AVNW");  // so a name search finds Atlanta's airport before its VOR
    EXPECT_EQ(query(path(), "SELECT Type FROM WPS WHERE Ident = 'KATL'"), (Rows{{"A"}}));
    // About 20,000 fixes fit beside the stations' room in the store, reaching every continent.
    EXPECT_GT(south, 400);
    EXPECT_GT(farEast, 1500);
    EXPECT_GT(europe, 1500);
    EXPECT_GT(americas, 1500);
    const int total = std::stoi(count("SELECT COUNT(*) FROM WPS"));
    // Every station entry still fits into the waypoint store with the whole table loaded.
    EXPECT_LE(total + report.stations, kStoreCapacity);
    EXPECT_GT(total, 35000);
    EXPECT_EQ(total, report.waypoints());
    EXPECT_EQ(count("SELECT COUNT(*) FROM Weather"), "0");
}

// Building: bad rows, failures and the file being replaced

class BuildTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir.write("data/ourairports/countries.csv",
                  "\"id\",\"code\",\"name\",\"continent\",\"wikipedia_link\",\"keywords\"\n"
                  "1,\"US\",\"United States\",\"NA\",,\n"
                  "2,\"GB\",\"United Kingdom\",\"EU\",,\n");
        // Only the columns the import reads, in an order of their own.
        dir.write(
            "data/ourairports/airports.csv",
            "ident,name,type,latitude_deg,longitude_deg,elevation_ft,iso_country,iso_region,"
            "gps_code,icao_code\n"
            "KATL,Hartsfield Jackson Atlanta International Airport,large_airport,33.6367,"
            "-84.428101,1026,US,US-GA,KATL,KATL\n"
            "EGLL,London Heathrow Airport,large_airport,51.470748,-0.459909,83,GB,GB-ENG,EGLL,"
            "EGLL\n"
            "BAD1,Nowhere,large_airport,north,-84,1,US,US-GA,,\n"
            "BAD2,Too few fields,large_airport\n");
        dir.write("data/ourairports/navaids.csv",
                  "ident,name,type,frequency_khz,latitude_deg,longitude_deg\n"
                  "ATL,Atlanta,VORTAC,116900,33.62910079956055,-84.43509674072266\n"
                  "LQ,Lake,NDB,344,33.5,-84.5\n"
                  "ZZ,Broken,VOR-DME,11495,45,10\n"
                  "YY,Nowhere,NDB,300,,\n");
        dir.write("data/stations/nsd_cccc.txt",
                  "KATL;72;219;Atlanta, Hartsfield Atlanta International Airport;GA;United "
                  "States;4;33-37-47N;084-26-32W;33-38-24N;084-25-17W;312;296;P;1\n"
                  "KXXX;bad\n");
        dir.write(
            "data/stations/stations.txt",
            "   LONDON/HEATHROW  EGLL               51 29N  000 27W   24   X                  GB\n"
            "   BROKEN           EGZZ               5Z 29N  000 27W   24   X                  "
            "GB\n");
        dir.write("data/fixes/fix.dat",
                  "I\n600 Version\n\n 33.75 -84.38 ADLOW\n bad line\n -45.0 170.0 KIWIS\n99\n");
        sources.dataDir = dir.file("data");
    }
    bool build(std::string* error = nullptr) {
        return buildDatabase(sources, target(), report, error);
    }
    std::string target() const { return dir.file("bin/vanedb.mdb"); }
    std::vector<std::string> leftovers() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.file("bin"))) {
            if (e.path().filename() != "vanedb.mdb") {
                names.push_back(e.path().filename().string());
            }
        }
        return names;
    }
    TempDir dir;
    Sources sources;
    ImportReport report;
    std::string binDir = dir.mkdir("bin");
};

TEST_F(BuildTest, BadRowsAreSkippedCountedAndTheRestImported) {
    std::string error;
    ASSERT_TRUE(build(&error)) << error;
    EXPECT_EQ(std::vector<int>({report.stations, report.airports, report.vors, report.ndbs,
                                report.fixes, report.badFrequencies}),
              std::vector<int>({2, 2, 1, 1, 2, 1}));
    const std::vector<std::pair<std::string, int>> malformed = {{"airports.csv", 2},
                                                                {"navaids.csv", 1},
                                                                {"nsd_cccc.txt", 1},
                                                                {"stations.txt", 1},
                                                                {"fix.dat", 1}};
    EXPECT_EQ(report.malformedRows, malformed);
    EXPECT_EQ(query(target(), "SELECT group_concat(Ident || '/' || Type, ' ') FROM WPS"),
              (Rows{{"EGLL/A KATL/A ATL/V LQ/N ADLOW/W KIWIS/W"}}));
    EXPECT_EQ(
        query(target(), "SELECT ID, Name, Country FROM Stations ORDER BY ID"),
        (Rows{{"EGLL", "London Heathrow Airport", "United Kingdom"},
              {"KATL", "Hartsfield Jackson Atlanta International Airport", "United States"}}));
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(BuildTest, OnlyARegularFileOrANewNameIsReplacedAndALinkIsFollowed) {
    namespace fs = std::filesystem;
    for (const char* odd : {"pipe", "folder"}) {
        SCOPED_TRACE(odd);
        std::string error;
        if (odd == std::string("pipe")) {
            ASSERT_EQ(::mkfifo(target().c_str(), 0600), 0);
        } else {
            fs::create_directory(target());
        }
        EXPECT_FALSE(build(&error));
        EXPECT_EQ(error, "\"" + target() + "\" is not a regular file; no database was written.");
        EXPECT_EQ(fs::is_fifo(target()), odd == std::string("pipe"));
        EXPECT_TRUE(leftovers().empty());
        fs::remove(target());
    }
    const std::string real = dir.write("elsewhere/vanedb.mdb", "");
    fs::create_symlink(real, target());
    ASSERT_TRUE(build());
    EXPECT_TRUE(fs::is_symlink(target()));
    EXPECT_EQ(query(real, "SELECT COUNT(*) FROM WPS"), (Rows{{"6"}}));
}

TEST_F(BuildTest, AFreshPlainFileIsReadBeforeTheShippedGzipCopy) {
    // A .gz that is not gzip data reads as itself, so the plain name winning is visible.
    std::filesystem::rename(dir.file("data/fixes/fix.dat"), dir.file("data/fixes/fix.dat.gz"));
    ASSERT_TRUE(build());
    EXPECT_EQ(report.fixes, 2);
    dir.write("data/fixes/fix.dat", "I\n600 Version\n\n 10.0 10.0 NEWER\n99\n");
    ASSERT_TRUE(build());
    EXPECT_EQ(query(target(), "SELECT Name FROM WPS WHERE Type = 'W'"), (Rows{{"NEWER"}}));
}

TEST_F(BuildTest, RebuildKeepsTheWeatherRowsAndAFailedOneTouchesNothing) {
    // A half-written file of a killed build is cleaned up: no process has this id (above
    // pid_max).
    dir.write("bin/vanedb.mdb.building.2147483000", "half");
    dir.write("bin/other.building.1", "not ours");
    ASSERT_TRUE(build());
    EXPECT_EQ(leftovers(), std::vector<std::string>{"other.building.1"});
    query(target(),
          "INSERT INTO Weather (ID, Observation, Time, Visibility, Upd_Ts) VALUES "
          "('KATL', 'KATL 121756Z 25010KT 10SM', 1700000000, 10, 'x'), "
          "('EGLL', 'EGLL 121750Z CAVOK', 1700000001, 9999, 'y');"
          "INSERT INTO Tafs VALUES ('EGLL', 1699995600, 'TAF EGLL 121700Z 1218/1324 CAVOK')");
    std::string error;
    ASSERT_TRUE(build(&error)) << error;
    EXPECT_EQ(report.weatherKept, 2);
    EXPECT_EQ(query(target(), "SELECT * FROM Tafs"),
              (Rows{{"EGLL", "1699995600", "TAF EGLL 121700Z 1218/1324 CAVOK"}}));
    const std::string weather = "SELECT ID, Observation, Time, Visibility, Upd_Ts FROM Weather";
    const Rows kept = {{"EGLL", "EGLL 121750Z CAVOK", "1700000001", "9999.0", "y"},
                       {"KATL", "KATL 121756Z 25010KT 10SM", "1700000000", "10.0", "x"}};
    EXPECT_EQ(query(target(), weather + " ORDER BY ID"), kept);
    EXPECT_EQ(query(target(), "SELECT ID FROM SelectStations ORDER BY ID"),
              (Rows{{"EGLL"}, {"KATL"}}));
    // A missing source fails the build without touching the target.
    std::filesystem::remove(dir.file("data/fixes/fix.dat"));
    EXPECT_FALSE(build(&error));
    EXPECT_NE(error.find("fix.dat"), std::string::npos) << error;
    EXPECT_EQ(query(target(), "SELECT COUNT(*) FROM WPS"), (Rows{{"6"}}));
    EXPECT_EQ(query(target(), weather + " ORDER BY ID"), kept);
    EXPECT_EQ(leftovers(), std::vector<std::string>{"other.building.1"});
}

TEST_F(BuildTest, WeatherFromAnOlderLayoutKeepsTheColumnsBothHave) {
    query(target(),
          "CREATE TABLE Weather (ID TEXT, Observation TEXT, Retired INTEGER);"
          "INSERT INTO Weather VALUES ('KATL', 'KATL 121756Z', 7), (NULL, 'orphan', 1);");
    std::string error;
    ASSERT_TRUE(build(&error)) << error;
    EXPECT_EQ(report.weatherKept, 1);
    EXPECT_EQ(query(target(), "SELECT ID, Observation, Visibility FROM Weather"),
              (Rows{{"KATL", "KATL 121756Z", "0.0"}}));
}

TEST_F(BuildTest, FailedBuildLeavesThePreviousFileAsItWas) {
    dir.write("bin/vanedb.mdb", "not a database, but the user's file all the same");
    std::string error;
    EXPECT_FALSE(build(&error));
    EXPECT_NE(error.find("vanedb.mdb"), std::string::npos) << error;
    EXPECT_EQ(dir.read("bin/vanedb.mdb"), "not a database, but the user's file all the same");
    EXPECT_TRUE(leftovers().empty());
}

}  // namespace
