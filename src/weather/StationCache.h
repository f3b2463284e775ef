#pragma once

#include <string>
#include <vector>

#include "weather/Records.h"

namespace zephyra::weather {

class WeatherDb;

// The reporting stations, kept in memory between loads: the table ships with the program and
// is only read, so a load need not read its 10,000 rows every time. The copy is refreshed when
// the table's size or last identifier changes (a rebuilt database).
class StationCache {
  public:
    // The Stations row of each identifier in sortedIds (sorted), or nothing for unknown ones.
    std::vector<const StationRecord*> lookup(WeatherDb& db,
                                             const std::vector<std::string>& sortedIds);

  private:
    void refresh(WeatherDb& db);
    std::string signature_;
    std::vector<StationRecord> sorted_;
};

}  // namespace zephyra::weather
