#include "weather/StationCache.h"

#include <sqlite3.h>

#include <algorithm>

#include "weather/Packs.h"
#include "weather/WeatherDb.h"

namespace zephyra::weather {

void StationCache::refresh(WeatherDb& db) {
    const std::string signature = packs::signature(db.handle(), "Stations", "ID");
    if (signature == signature_ && !signature_.empty()) {
        return;
    }
    sorted_ = packs::stations(db.handle(), signature);
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
