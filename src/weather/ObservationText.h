#pragma once

#include <string>
#include <string_view>

#include "weather/Observation.h"
#include "weather/Records.h"

namespace zephyra::weather {

// The full observation of a stored record as one JSON object: the report's own values, and for
// what it left out the record's estimate with its source under "estimated" (a temperature,
// pressure or visibility taken from a neighbour or the standard atmosphere).
std::string observationJson(const Observation& obs, const WeatherRecord& record);

// The same values as "Name: value" lines, one a line, for people.
std::string observationLines(const Observation& obs, const WeatherRecord& record);

// A weather group in words: "light snow showers", "thunderstorm with heavy rain", "mist",
// "freezing fog", "showers in the vicinity".
std::string weatherInWords(const WeatherGroup& group);

// A cloud layer in words: "overcast at 2,500 ft", "broken at 1,200 m, cumulonimbus",
// "sky obscured, vertical visibility 200 ft".
std::string cloudInWords(const CloudLayer& layer, bool metres);

// The full observation in a pilot's words, one sentence a line under a "Decoded:" line, for
// the station and world reports. Heights are given in feet or, with metres, in metres.
std::string observationInWords(const Observation& obs, bool metres);

// Relative humidity in percent from temperature and dew point (Magnus formula).
double relativeHumidity(double temperature, double dewPoint);

// A text as a JSON string: quoted, with quotes, backslashes and control characters escaped,
// and each byte that is not part of a well-formed UTF-8 character replaced by U+FFFD.
std::string jsonQuoted(std::string_view text);

}  // namespace zephyra::weather
