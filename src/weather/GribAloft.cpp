#include "weather/GribAloft.h"

namespace zephyra::weather {

std::shared_ptr<const AloftData> readGribAloft(const std::string& /*path*/, std::string* error) {
    if (error != nullptr) {
        *error = "GRIB2 files cannot be read yet";
    }
    return nullptr;
}

}  // namespace zephyra::weather
