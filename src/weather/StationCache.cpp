#include "weather/StationCache.h"

#include <sqlite3.h>

#include <algorithm>

#include "weather/Statement.h"
#include "weather/WeatherDb.h"

namespace zephyra::weather {

void StationCache::refresh(WeatherDb& db) {
    // Two statements: each alone is answered from the table's structure without a scan.
    Statement count(db.handle(), "SELECT COUNT(*) FROM Stations");
    Statement last(db.handle(), "SELECT IFNULL(MAX(ID), '') FROM Stations");
    std::string signature;
    if (count.step() == SQLITE_ROW && last.step() == SQLITE_ROW) {
        signature = std::to_string(count.integer64(0)) + "/" + last.text(0);
    }
    if (signature == signature_ && !signature_.empty()) {
        return;
    }
    sorted_.clear();
    Statement st(db.handle(),
                 "SELECT ID, Name, Latitude, Longitude, Altitude, \"State Code\", Country, Celcius "
                 "FROM Stations ORDER BY ID");
    while (st.step() == SQLITE_ROW) {
        sorted_.push_back({st.text(0), st.text(1), st.text(2), st.text(3), st.real(4), st.text(5),
                           st.text(6), st.integer(7) != 0});
    }
    signature_ = signature;
}

std::vector<const StationRecord*> StationCache::lookup(WeatherDb& db,
                                                       const std::vector<std::string>& sortedIds) {
    refresh(db);
    std::vector<const StationRecord*> out(sortedIds.size(), nullptr);
    auto it = sorted_.begin();
    for (std::size_t i = 0; i < sortedIds.size(); ++i) {
        it = std::lower_bound(
            it, sorted_.end(), sortedIds[i],
            [](const StationRecord& s, const std::string& id) { return s.ID < id; });
        if (it != sorted_.end() && it->ID == sortedIds[i]) {
            out[i] = &*it;
        }
    }
    return out;
}

}  // namespace zephyra::weather
