// The TAFs kept in the database: a load replaces them whole or not at all, one per station,
// decoded again when asked for; an older database gains the table and keeps its weather.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "support/RealData.h"
#include "support/TempDir.h"
#include "weather/TafStore.h"
#include "weather/WeatherDb.h"

using namespace zephyra;
using namespace zephyra::weather;

namespace {

constexpr std::int64_t kNov26 = 1795651200;       // 2026-11-26 00:00Z, the bulletins' reference
constexpr std::int64_t kJfkIssued = 1795614060;   // 2026-11-25 13:41Z, "KJFK 251341Z"
constexpr std::int64_t kPagkIssued = 1793992140;  // 2026-11-06 19:09Z, "PAGK 061909Z"

std::vector<Taf> bulletins() {
    auto tafs = readTafs(test::realData("taf/TAF_collective.txt"), kNov26);
    for (Taf& taf : readTafs(test::realData("taf/TAFJFK.txt"), kNov26)) {
        tafs.push_back(std::move(taf));
    }
    return tafs;
}

TEST(TafStore, ALoadReplacesTheTafsWholeOrNotAtAll) {
    test::TempDir dir;
    auto db = WeatherDb::open(dir.file("vanedb.mdb"));
    ASSERT_TRUE(db);
    EXPECT_EQ(loadedTafCount(*db), 0);
    EXPECT_FALSE(loadedTaf(*db, "KJFK"));

    // An older issue of JFK's TAF after the amendment: the amendment is kept.
    std::vector<Taf> tafs = bulletins();
    ASSERT_EQ(tafs.size(), 3u);
    Taf older = tafs.back();
    older.issued -= 6 * 3600;
    older.raw = "TAF KJFK 250741Z 2508/2612 18005KT P6SM SKC";
    tafs.push_back(older);
    std::string error;
    int stored = 0;
    ASSERT_TRUE(replaceTafs(*db, tafs, &error, &stored)) << error;
    EXPECT_EQ(stored, 3);
    const auto jfk = loadedTaf(*db, "kjfk");
    ASSERT_TRUE(jfk);
    EXPECT_EQ(jfk->station, "KJFK");
    EXPECT_EQ(jfk->issued, kJfkIssued);
    EXPECT_TRUE(jfk->amended);  // "TAF AMD" stood on a line of its own
    EXPECT_EQ(jfk->raw.substr(0, 36), "TAF AMD KJFK 251341Z 2514/2618 05006");
    EXPECT_EQ(jfk->periods.size(), 6u);  // the base and five FM groups
    EXPECT_EQ(jfk->periods[1].text, "FM251600 06008KT P6SM OVC025");
    const auto pagk = loadedTaf(*db, "PAGK");  // old-form validity "061918"
    ASSERT_TRUE(pagk);
    EXPECT_EQ(pagk->issued, kPagkIssued);

    // A load that fails half-way keeps every TAF of the one before.
    ASSERT_EQ(sqlite3_exec(db->handle(),
                           "CREATE TEMP TRIGGER refuse BEFORE INSERT ON Tafs "
                           "WHEN NEW.Station = 'PAKN' BEGIN SELECT RAISE(ABORT, 'refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_FALSE(replaceTafs(*db, bulletins(), &error));
    EXPECT_EQ(error, "The TAFs could not be stored: refused.");
    EXPECT_EQ(loadedTafCount(*db), 3);
    EXPECT_EQ(loadedTaf(*db, "KJFK")->raw, jfk->raw);

    // A load without Alaska leaves only JFK.
    ASSERT_TRUE(replaceTafs(*db, {tafs[2]}, &error, &stored)) << error;
    EXPECT_EQ(stored, 1);
    EXPECT_FALSE(loadedTaf(*db, "PAGK"));
    EXPECT_TRUE(loadedTaf(*db, "KJFK"));
}

TEST(TafStore, AnOlderDatabaseGainsTheTableAndKeepsItsWeather) {
    test::TempDir dir;
    ASSERT_EQ(sqlite3_exec(WeatherDb::open(dir.file("old.mdb"))->handle(),
                           "DROP TABLE Tafs; INSERT INTO Weather (ID, t0Deg) VALUES ('KATL', 48);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    std::string error;
    const auto db = WeatherDb::open(dir.file("old.mdb"), &error, false);
    ASSERT_NE(db, nullptr) << error;
    EXPECT_EQ(loadedTafCount(*db), 0);
    ASSERT_TRUE(replaceTafs(*db, bulletins(), &error)) << error;
    EXPECT_TRUE(loadedTaf(*db, "PAKN"));
    ASSERT_TRUE(db->findWeather("KATL"));
    EXPECT_EQ(db->findWeather("KATL")->t0Deg, 48);
}

}  // namespace
