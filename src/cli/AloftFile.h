#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "weather/AloftField.h"

namespace zephyra::weather {
class WeatherDb;
}

namespace zephyra::cli {

// A winds aloft file (FB text or GRIB2) as the field a load and a flight use, its sites placed
// from the database; its name and valid time go on out. Null, with the reason on err (after
// the command's name), when it cannot be read.
std::shared_ptr<const weather::AloftField> loadAloftField(const std::string& path,
                                                          weather::WeatherDb& db,
                                                          const std::string& command,
                                                          std::ostream& out, std::ostream& err);

}  // namespace zephyra::cli
