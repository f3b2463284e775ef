#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "weather/Packs.h"
#include "weather/Records.h"

namespace zephyra::weather {

class WeatherDb;

// The reporting stations, kept in memory between loads: the table ships with the program and
// is only read, so a load need not read its 10,000 rows every time. The copy is the table's
// pack, indexed by identifier; a record is read out of it when first asked for. It is
// refreshed when the table's size or last identifier changes (a rebuilt database).
class StationCache {
  public:
    // The Stations row of each identifier in sortedIds (sorted), or nothing for unknown ones.
    std::vector<const StationRecord*> lookup(WeatherDb& db,
                                             const std::vector<std::string>& sortedIds);

  private:
    void refresh(WeatherDb& db);
    // Takes a pack and indexes it; false (and nothing kept) when it does not read back whole
    // or is not sorted.
    bool index(packs::Bytes bytes);
    std::string signature_;
    packs::Bytes pack_;
    std::vector<std::pair<std::string_view, std::size_t>> ids_;  // identifier, record's offset
    std::vector<const StationRecord*> read_;                     // by index into ids_
    std::deque<StationRecord> records_;                          // what read_ points to
};

}  // namespace zephyra::weather
