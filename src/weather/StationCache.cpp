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
    signature_.clear();
    auto pack = packs::read(db.handle(), packs::kStations, signature);
    if (!(pack && index(std::move(*pack))) &&
        !index(packs::Bytes(packs::stationRows(db.handle(), signature)))) {
        return;
    }
    signature_ = signature;
}

bool StationCache::index(packs::Bytes bytes) {
    pack_ = std::move(bytes);
    ids_.clear();
    read_.clear();
    records_.clear();
    packs::Reader in(pack_.view());
    const std::int32_t count = in.integer();
    // Each record takes at least 6 lengths, a real and the scale.
    if (count < 0 || static_cast<std::size_t>(count) > pack_.size() / 36) {
        return false;
    }
    ids_.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count && in.ok(); ++i) {
        const std::size_t offset = pack_.size() - in.left();
        const std::string_view id = in.text();
        in.text();
        in.text();
        in.text();
        in.real();
        in.text();
        in.text();
        in.integer();
        if (!ids_.empty() && !(ids_.back().first < id)) {
            break;
        }
        ids_.emplace_back(id, offset);
    }
    if (!in.ok() || !in.atEnd() || ids_.size() != static_cast<std::size_t>(count)) {
        ids_.clear();
        pack_ = packs::Bytes();
        return false;
    }
    read_.assign(ids_.size(), nullptr);
    return true;
}

std::vector<const StationRecord*> StationCache::lookup(WeatherDb& db,
                                                       const std::vector<std::string>& sortedIds) {
    refresh(db);
    std::vector<const StationRecord*> out(sortedIds.size(), nullptr);
    // Both lists are sorted: one walk down the index finds them all (a load asks for about
    // half of its entries, so a search for each would compare more).
    auto it = ids_.begin();
    for (std::size_t i = 0; i < sortedIds.size(); ++i) {
        while (it != ids_.end() && it->first < std::string_view(sortedIds[i])) {
            ++it;
        }
        if (it == ids_.end() || it->first != sortedIds[i]) {
            continue;
        }
        const auto k = static_cast<std::size_t>(it - ids_.begin());
        if (read_[k] == nullptr) {
            packs::Reader in(pack_.view().substr(it->second));
            StationRecord& s = records_.emplace_back();
            s.ID = in.text();
            s.Name = in.text();
            s.Latitude = in.text();
            s.Longitude = in.text();
            s.Altitude = in.real();
            s.StateCode = in.text();
            s.Country = in.text();
            s.Celcius = in.integer() != 0;
            read_[k] = &s;
        }
        out[i] = read_[k];
    }
    return out;
}

}  // namespace zephyra::weather
