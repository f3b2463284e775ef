#pragma once

#include <vector>

#include "weather/Records.h"

struct sqlite3;

namespace zephyra::weather {

// A whole load reaches the Weather table through one statement,
//   INSERT INTO Weather (...) SELECT ... FROM weather_rows(?1)
// where ?1 is the batch bound with sqlite3_bind_pointer under kWeatherRowsPointer. The
// table-valued function hands SQLite the records' fields straight from memory, which costs a
// fraction of binding every field of every row.
using WeatherBatch = std::vector<const WeatherRecord*>;
inline constexpr const char* kWeatherRowsPointer = "zephyra-weather-batch";

// Makes weather_rows available on the connection.
bool registerWeatherRows(sqlite3* db);

}  // namespace zephyra::weather
