#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <utility>

#include "RecordFields.h"
#include "support/DbRows.h"
#include "support/SmallFilesystem.h"
#include "support/TempDir.h"
#include "weather/WeatherDb.h"

using namespace zephyra::weather;

namespace {

class WeatherDbTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        db = WeatherDb::open(dir.file("vanedb.mdb"), &error);
        ASSERT_NE(db, nullptr) << error;
    }
    void addStation(const std::string& id, const std::string& lat, const std::string& lon,
                    const std::string& name, const std::string& state, const std::string& country,
                    double altitude = 0) {
        zephyra::test::addStation(*db, {id, lat, lon, altitude, name, state, country});
    }
    void addWps(const std::string& name, const std::string& type, const std::string& lat, int ns,
                const std::string& lon, int we, const std::string& ident = {}) {
        zephyra::test::addWps(*db, {name, type, lat, ns, lon, we, "", ident});
    }
    static WeatherRecord record(const std::string& id, int temperature = 15) {
        const std::string t = std::to_string(temperature);
        WeatherRecord r =
            zephyra::test::record("Visibility=100 Pressure=1013.2 t0Deg=" + t + " Dew=" + t);
        r.ID = id;
        r.Observation = "METAR";
        return r;
    }
    zephyra::test::TempDir dir;
    std::unique_ptr<WeatherDb> db;
};

}  // namespace

TEST_F(WeatherDbTest, EveryFieldRoundTrips) {
    WeatherRecord r = record("KATL");
    double value = 0;
    for (const auto& [name, set] : zephyra::test::kRecordSetters) {
        set(r, ++value + 0.25);  // a different value in each column
    }
    r.Time = "1756";
    r.cl1CoverCode = " ";
    r.cl2CoverCode = "OVC";
    r.Upd_Ts = "2026-12-06 02:00:00";
    r.RawText = "KATL 231052Z 27010KT 10SM FEW200 09/M01 A3020";
    r.ObsTime = "2022-10-23T10:52Z";
    r.TempScale = "C";
    r.Estimated = "P=KPDK";
    ASSERT_EQ(db->addWeather(r), WeatherDb::AddResult::Added);
    const auto back = db->findWeather("KATL");
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, r);
    EXPECT_FALSE(db->findWeather("KXYZ").has_value());
}

TEST(WeatherDbOpen, AnOlderWeatherTableGetsTheNewColumnsAndKeepsItsRows) {
    zephyra::test::TempDir dir;
    // A table from before the report text, time, scale and estimates were kept.
    ASSERT_EQ(sqlite3_exec(WeatherDb::open(dir.file("old.mdb"))->handle(),
                           "ALTER TABLE Weather DROP COLUMN RawText;"
                           "ALTER TABLE Weather DROP COLUMN ObsTime;"
                           "ALTER TABLE Weather DROP COLUMN TempScale;"
                           "ALTER TABLE Weather DROP COLUMN Estimated;"
                           "INSERT INTO Weather (ID, t0Deg) VALUES ('KATL', 48);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    std::string error;
    const auto db = WeatherDb::open(dir.file("old.mdb"), &error, false);
    ASSERT_NE(db, nullptr) << error;
    const auto katl = db->findWeather("KATL");
    ASSERT_TRUE(katl.has_value()) << db->lastError();
    EXPECT_EQ(katl->t0Deg, 48);
    EXPECT_EQ(katl->TempScale, "F");
    EXPECT_EQ(katl->RawText, "");
}

TEST_F(WeatherDbTest, SecondReportOfAStationReplacesTheFirstAndEmptyingRemovesAll) {
    bool replaced = true;
    EXPECT_EQ(db->addOrReplaceWeather(record("KATL", 10), &replaced), WeatherDb::AddResult::Added);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(db->addWeather(record("KATL", 20)), WeatherDb::AddResult::DuplicateKey);
    EXPECT_EQ(db->addOrReplaceWeather(record("KATL", 30), &replaced), WeatherDb::AddResult::Added);
    EXPECT_TRUE(replaced);
    EXPECT_EQ(db->weatherCount(), 1);
    EXPECT_EQ(db->findWeather("KATL")->t0Deg, 30);
    db->addWeather(record("EGLL"));
    EXPECT_TRUE(db->emptyWeather());
    EXPECT_EQ(db->weatherCount(), 0);
    EXPECT_EQ(db->stationList().count(), 0);
}

// A whole load replaces the stored weather; one that holds a station twice fails, and is
// rolled back.
TEST_F(WeatherDbTest, ReplacingTheWeatherTakesAllRecordsOrNone) {
    db->addWeather(record("EGLL"));
    const WeatherRecord katl = record("KATL"), kjfk = record("KJFK");
    for (const auto& batch :
         std::vector<std::vector<const WeatherRecord*>>{{&katl, &kjfk, &katl}, {&katl, &kjfk}}) {
        auto tx = db->transaction();
        const bool whole = batch.back() == &kjfk;
        ASSERT_EQ(db->replaceWeather(batch), whole);
        if (whole) {
            ASSERT_TRUE(tx->commit());
            EXPECT_EQ(db->weatherCount(), 2);
            EXPECT_FALSE(db->findWeather("EGLL").has_value());
        } else {
            EXPECT_EQ(db->lastError(), "a station given twice");
            EXPECT_EQ(db->weatherCount(), 2);  // what the transaction wrote before the failure
        }
    }
    EXPECT_TRUE(db->findWeather("KJFK").has_value());
}

// A scratch copy is taken in memory, through the source's log, and keeps one connection, and
// its prepared statements, from opening to opening; the source never sees its writes.
TEST_F(WeatherDbTest, AScratchCopyLivesInMemoryAndItsOpeningsShareOneConnection) {
    db->addWeather(record("KATL"));  // still in the open connection's log
    const std::string name = dir.file("scratch.mdb");
    std::string error;
    EXPECT_EQ(WeatherDb::openScratchCopy(dir.file("none.mdb"), name, &error), nullptr);
    EXPECT_NE(error.find("none.mdb"), std::string::npos) << error;
    ASSERT_NE(WeatherDb::openScratchCopy(dir.file("vanedb.mdb"), name), nullptr);
    for (int opening = 0; opening < 3; ++opening) {
        auto scratch = WeatherDb::open(name, nullptr, false);
        ASSERT_NE(scratch, nullptr);
        EXPECT_EQ(scratch->weatherCount(), 1 + opening);
        ASSERT_EQ(scratch->findWeather("KATL")->t0Deg, 15 + opening);
        auto r = record("KATL", 16 + opening);
        EXPECT_TRUE(scratch->updateWeather(r));
        scratch->addWeather(record("S" + std::to_string(opening)));
    }
    WeatherDb::forgetScratch(name);
    EXPECT_EQ(WeatherDb::open(name, nullptr, false), nullptr);
    EXPECT_FALSE(std::filesystem::exists(name));
    EXPECT_EQ(db->weatherCount(), 1);
    EXPECT_EQ(db->findWeather("KATL")->t0Deg, 15);
}

TEST_F(WeatherDbTest, StationListAndStoredQueriesHoldOnlyStationsWithWeather) {
    addStation("KATL", "3338N", "08426W", "Hartsfield Jackson Atlanta International Airport", "GA",
               "United States", 313);
    addStation("YSSY", "3357S", "15111E", "Sydney Kingsford Smith", "NSW", "Australia");
    addStation("EGLL", "5129N", "00027W", "London Heathrow", "ENG", "United Kingdom");
    addStation("KMCN", "3242N", "08339W", "Macon", "GA", "United States");
    addStation("KJFK", "4038N", "07347W", "New York", "NY", "United States");
    for (const char* id : {"YSSY", "KATL", "KMCN", "EGLL", "KXYZ"}) {  // KXYZ: no such station
        db->addWeather(record(id));
    }
    const StationList list = db->stationList();
    ASSERT_EQ(list.count(), 4);
    std::vector<std::string> ids;
    for (int i = 0; i <= list.count(); ++i) {
        ids.push_back(list[i].ID);
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"", "EGLL", "KATL", "KMCN", "YSSY"}));
    EXPECT_NEAR(list[4].latitude, -33.95, 1e-9);
    EXPECT_NEAR(list[4].longitude, 151.1833333, 1e-6);
    EXPECT_EQ(list[2].Name + "|" + list[2].StateCode + "|" + list[2].Country,
              "Hartsfield Jackson Atlanta International Airport|GA|United States");
    const auto katl = db->findStation("KATL");
    ASSERT_TRUE(katl.has_value());
    EXPECT_DOUBLE_EQ(katl->Altitude, 313);
    EXPECT_TRUE(katl->Celcius);
    EXPECT_FALSE(db->findStation("KXYZ").has_value());
    auto column = [&](const char* sql) {
        std::vector<std::string> out;
        Statement st(db->handle(), sql);
        while (st.step() == SQLITE_ROW) {
            out.push_back(st.text(0));
        }
        return out;
    };
    EXPECT_EQ(column("SELECT Country FROM UniqueCountries"),
              (std::vector<std::string>{"Australia", "United Kingdom", "United States"}));
    EXPECT_EQ(column("SELECT \"State Code\" FROM UniqueStates WHERE Country = 'United States'"),
              std::vector<std::string>{"GA"});
    EXPECT_EQ(column("SELECT ID FROM UniqueStations WHERE Country = 'United States' AND "
                     "\"State Code\" = 'GA'"),
              (std::vector<std::string>{"KATL", "KMCN"}));
}

TEST(PositionText, StationFormsAndDamagedText) {
    EXPECT_NEAR(stationLatitude("3338N"), 33.6333, 1e-4);
    EXPECT_NEAR(stationLongitude("08426W"), -84.4333, 1e-4);
    // Damaged text reads as far as it can, never throws.
    EXPECT_NEAR(stationLatitude(""), 0.0, 1e-12);
    EXPECT_NEAR(waypointLatitude("xxyyzz", -1), 0.0, 1e-12);
    EXPECT_NEAR(waypointLongitude("", -1), 0.0, 1e-12);
}

TEST_F(WeatherDbTest, NameSearchAndAirportPositions) {
    addWps("Hartsfield Jackson Atlanta International Airport", "A", "333800", -1, "0842600", -1,
           "KATL");
    addWps("Macon", "V", "324000", -1, "0833900", -1);
    addWps("Atlanta", "V", "333747", -1, "0842606", -1, "ATL");
    addWps("SATLE", "W", "100000", 0, "0100000", 0);
    auto search = db->searchWps("atl");
    auto first = search.first();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->Type, "A");
    EXPECT_EQ(search.next()->Name, "Atlanta");
    EXPECT_EQ(search.next()->Name, "SATLE");
    EXPECT_FALSE(search.next().has_value());
    EXPECT_EQ(search.current()->Name, "SATLE");
    EXPECT_FALSE(db->searchWps("zzz").first().has_value());
    EXPECT_EQ(db->findWpsByIdent("atl")->Name, "Atlanta");
    EXPECT_NEAR(db->findWpsByIdent("ATL")->longitudeDegrees(), -84.435, 1e-3);
    // An airport's position comes from the waypoints, else from the stations.
    addStation("EGLL", "5129N", "00027W", "London Heathrow", "ENG", "United Kingdom");
    EXPECT_NEAR(db->airportPosition("katl").value().first, 33.6333, 1e-3);
    EXPECT_NEAR(db->airportPosition("KATL").value().second, -84.4333, 1e-3);
    EXPECT_NEAR(db->airportPosition("EGLL").value().first, 51.4833, 1e-3);
    EXPECT_FALSE(db->airportPosition("ATL").has_value());  // a VOR, not an airport
    EXPECT_FALSE(db->airportPosition("ZZZZ").has_value());
    // The search text is taken literally.
    addWps("Bob's Field", "A", "100000", -1, "0100000", 0);
    addWps("100% Field", "A", "100000", -1, "0100000", 0);
    addWps("Under_Score", "A", "100000", -1, "0100000", 0);
    addWps("Plain", "A", "100000", -1, "0100000", 0);
    EXPECT_EQ(db->searchWps("b's").first()->Name, "Bob's Field");
    EXPECT_EQ(db->searchWps("0%").first()->Name, "100% Field");
    auto underscore = db->searchWps("r_s");
    EXPECT_EQ(underscore.first()->Name, "Under_Score");
    EXPECT_FALSE(underscore.next().has_value());
    EXPECT_FALSE(db->searchWps("\"").first().has_value());
}

// A database that cannot be written, left with the log of a program that crashed, is read
// with the weather in that log; without the log's index beside it, it is read as it is.
TEST_F(WeatherDbTest, AReadOnlyDatabaseIsReadWithTheLogACrashLeft) {
    db->addWeather(record("KATL", 10));
    db.reset();
    zephyra::test::SmallFilesystem fs("8m");
    if (!fs.mounted()) {
        GTEST_SKIP() << fs.why();
    }
    const auto& disk = fs.dir();
    std::filesystem::copy_file(dir.file("vanedb.mdb"), disk.file("vanedb.mdb"));
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(disk.file("vanedb.mdb").c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer,
                           "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;"
                           "UPDATE Weather SET t0Deg = 31",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    for (const char* folder : {"crashed", "no-index"}) {
        disk.mkdir(folder);
        for (const char* suffix : {"", "-wal", "-shm"}) {
            if (std::string(folder) != "no-index" || std::string(suffix) != "-shm") {
                std::filesystem::copy_file(disk.file(std::string("vanedb.mdb") + suffix),
                                           disk.file(folder + std::string("/vanedb.mdb") + suffix));
            }
        }
    }
    sqlite3_close(writer);
    ASSERT_TRUE(fs.makeReadOnly());
    for (const auto& [folder, t0Deg] : {std::pair{"crashed", 31}, std::pair{"no-index", 10}}) {
        std::string error;
        const auto ro =
            WeatherDb::open(disk.file(folder + std::string("/vanedb.mdb")), &error, false);
        ASSERT_NE(ro, nullptr) << folder << ": " << error;
        EXPECT_TRUE(ro->readOnly());
        ASSERT_TRUE(ro->findWeather("KATL").has_value()) << folder;
        EXPECT_EQ(ro->findWeather("KATL")->t0Deg, t0Deg) << folder;
    }
}

TEST(WeatherDbOpen, TheProgramsDatabaseMissingEmptyOrDamagedIsNeverRecreated) {
    zephyra::test::TempDir dir;
    WeatherDb::open(dir.file("shipped.mdb")).reset();
    dir.write("foreign.mdb", "");
    {
        sqlite3* foreign = nullptr;
        ASSERT_EQ(sqlite3_open(dir.file("foreign.mdb").c_str(), &foreign), SQLITE_OK);
        sqlite3_exec(foreign, "CREATE TABLE Other (x)", nullptr, nullptr, nullptr);
        sqlite3_close(foreign);
    }
    const auto foreignBytes = dir.read("foreign.mdb");
    dir.write("empty.mdb", "");
    dir.write("garbage.mdb", std::string(4096, 'x'));
    dir.mkdir("folder.mdb");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"nope.mdb", "missing"},
        {"folder.mdb", "a folder, not a database file"},
        {"empty.mdb", "empty"},
        {"garbage.mdb", "damaged (file is not a database)"},
        {"foreign.mdb", "damaged (the station and waypoint tables are missing)"},
    };
    for (const auto& [name, problem] : cases) {
        std::string error;
        EXPECT_EQ(WeatherDb::open(dir.file(name), &error, false), nullptr) << name;
        EXPECT_EQ(error, "The weather database \"" + dir.file(name) + "\" is " + problem +
                             ". Rebuild it with \"zephyra-cli build-db\".");
    }
    // Where a missing file may be made, a damaged one is still reported and left alone.
    for (const char* name : {"garbage.mdb", "no/such/folder/vanedb.mdb"}) {
        std::string error;
        EXPECT_EQ(WeatherDb::open(dir.file(name), &error), nullptr) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
    EXPECT_EQ(dir.read("garbage.mdb"), std::string(4096, 'x'));
    EXPECT_FALSE(dir.exists("nope.mdb"));
    EXPECT_EQ(dir.read("empty.mdb"), "");
    EXPECT_EQ(dir.read("foreign.mdb"), foreignBytes);
    EXPECT_NE(WeatherDb::open(dir.file("shipped.mdb"), nullptr, false), nullptr);
}
