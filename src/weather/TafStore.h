#pragma once

#include <optional>
#include <string>
#include <vector>

#include "weather/Taf.h"

// The TAFs loaded into the program's database: one row per station in the table Tafs (the
// station, its issue time and the TAF as written), replaced whole by each load and decoded
// again when asked for.
namespace zephyra::weather {

class WeatherDb;

// Replaces the loaded TAFs with these, in one transaction: on failure (error says why) the
// TAFs loaded before stay. A station with several TAFs keeps the newest issued (of the same
// issue time, the later in the list). stored: how many stations have a TAF now.
bool replaceTafs(WeatherDb& db, const std::vector<Taf>& tafs, std::string* error = nullptr,
                 int* stored = nullptr);

// The loaded TAF of a station (its identifier in any letter case), decoded; nothing when none
// is loaded or the database has no TAF table (an older file opened read-only).
std::optional<Taf> loadedTaf(WeatherDb& db, const std::string& id);

// How many stations have a TAF loaded.
int loadedTafCount(WeatherDb& db);

}  // namespace zephyra::weather
