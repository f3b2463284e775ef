#pragma once

#include <string>

#include "weather/Observation.h"
#include "weather/Records.h"

namespace zephyra::weather {

// The full observation of a stored record as one JSON object: the report's own values, and for
// what it left out the record's estimate with its source under "estimated" (a temperature,
// pressure or visibility taken from a neighbour or the standard atmosphere).
std::string observationJson(const Observation& obs, const WeatherRecord& record);

// The same values as "Name: value" lines, one a line, for people.
std::string observationLines(const Observation& obs, const WeatherRecord& record);

}  // namespace zephyra::weather
