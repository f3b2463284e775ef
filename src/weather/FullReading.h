#pragma once

#include "weather/Observation.h"
#include "weather/Records.h"

namespace zephyra::weather {

// Puts right what the classic positional reading of a METAR got wrong, from the full reading of
// the same report, before the record's missing elements are estimated: a temperature or a
// pressure that a split or shifted group moved is taken from the full reading; one the full
// reading found impossible, or could not find at all, becomes missing (and is then estimated).
// Dew takes the reported dew point (whole degrees Celsius); without one it keeps the
// temperature, as it always has. Records whose report the full reading cannot place are left
// as they are.
void applyFullReading(WeatherRecord& record, const Observation& full);

}  // namespace zephyra::weather
