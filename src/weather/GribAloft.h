#pragma once

#include <memory>
#include <string>

#include "weather/AloftField.h"

namespace zephyra::weather {

// A GRIB2 file of winds and temperatures on pressure levels as a forecast; null, with the
// reason in error, when it cannot be read.
std::shared_ptr<const AloftData> readGribAloft(const std::string& path, std::string* error);

}  // namespace zephyra::weather
