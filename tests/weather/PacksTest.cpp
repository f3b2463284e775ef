#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/DbRows.h"
#include "support/TempDir.h"
#include "weather/StationCache.h"
#include "weather/WeatherDb.h"

using namespace zephyra::weather;

namespace {

std::string waypoints(WeatherDb& db) {
    std::string out;
    EXPECT_TRUE(db.forEachWpsEntry([&](const WeatherDb::WpsEntry& e) {
        out += std::string(e.Ident) + "/" + std::string(e.Name) + "/" + std::string(e.Type) + "/" +
               std::string(e.Frequency) + "/" + std::to_string(e.latitude).substr(0, 6) + "/" +
               std::to_string(e.longitude).substr(0, 7) + " ";
        return true;
    }));
    return out;
}

int packs(WeatherDb& db) {
    Statement st(db.handle(), "SELECT COUNT(*) FROM Packs");
    return st.step() == SQLITE_ROW ? st.integer(0) : -1;
}

// The first reading of the rows stores the pack; later readings give the same records from it,
// and any change of the table, or a damaged pack, goes back to the rows.
TEST(Packs, WaypointsReadBackAsTheRowsAndFollowEveryChange) {
    zephyra::test::TempDir dir;
    auto db = WeatherDb::open(dir.file("vanedb.mdb"));
    ASSERT_NE(db, nullptr);
    zephyra::test::addWps(*db, {"Atlanta", "V", "333747", -1, "0842608", -1, "116.90", "ATL"});
    zephyra::test::addWps(*db, {"Sydney", "A", "335646", 0, "1511038", 0, "", "YSSY"});
    const std::string rows = waypoints(*db);
    EXPECT_EQ(rows, "ATL/Atlanta/V/116.90/33.629/-84.435 YSSY/Sydney/A//-33.94/151.177 ");
    EXPECT_EQ(packs(*db), 1);
    EXPECT_EQ(waypoints(*db), rows);

    for (const char* change :
         {"UPDATE WPS SET Name = 'Hartsfield' WHERE Ident = 'ATL'",
          "UPDATE Packs SET Data = substr(Data, 1, length(Data) - 1)",  // cut short
          "DELETE FROM WPS WHERE Ident = 'YSSY'"}) {
        SCOPED_TRACE(change);
        ASSERT_EQ(sqlite3_exec(db->handle(), change, nullptr, nullptr, nullptr), SQLITE_OK);
        Statement st(db->handle(), "SELECT group_concat(Name) FROM WPS");
        ASSERT_EQ(st.step(), SQLITE_ROW);
        const std::string now = waypoints(*db);
        EXPECT_NE(now.find(st.text(0).substr(0, 5)), std::string::npos) << now;
        EXPECT_EQ(waypoints(*db), now);
    }
    EXPECT_EQ(waypoints(*db), "ATL/Hartsfield/V/116.90/33.629/-84.435 ");
}

TEST(Packs, StationsComeFromThePackUntilTheTableChanges) {
    zephyra::test::TempDir dir;
    auto db = WeatherDb::open(dir.file("vanedb.mdb"));
    ASSERT_NE(db, nullptr);
    zephyra::test::addStation(*db, {"KATL", "3338N", "08426W", 315, "Atlanta"});
    zephyra::test::addStation(*db, {"EGLL", "5129N", "00027W", 24, "Heathrow", "", "UK", false});
    const auto names = [&] {
        StationCache cache;  // a fresh cache reads the database each time
        std::string out;
        for (const auto* s : cache.lookup(*db, {"EGLL", "KAAA", "KATL"})) {
            out += s == nullptr ? "-" : s->Name + s->Latitude + (s->Celcius ? "C" : "F");
            out += " ";
        }
        return out;
    };
    EXPECT_EQ(names(), "Heathrow5129NF - Atlanta3338NC ");
    EXPECT_EQ(packs(*db), 1);
    EXPECT_EQ(names(), "Heathrow5129NF - Atlanta3338NC ");
    ASSERT_EQ(sqlite3_exec(db->handle(), "UPDATE Stations SET Name = 'London' WHERE ID = 'EGLL'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_EQ(names(), "London5129NF - Atlanta3338NC ");
}

}  // namespace
