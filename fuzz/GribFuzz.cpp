// Arbitrary bytes as a GRIB2 file of winds aloft (a damaged download or a hostile file): the
// reader takes the file or says why not, and a field it takes answers anywhere without
// reading outside its grid. ecCodes itself is not instrumented; the checks cover our side.

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>

#include "FuzzSupport.h"
#include "weather/GribAloft.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zephyra;
    static const std::string path = fuzz::scratchPath("grib").string();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::string error;
    const auto fields = weather::readGribFields(path, &error);
    for (const auto& f : fields) {
        fuzz::require(f.values.size() == f.grid.size());
    }
    const auto forecast = weather::readGribAloft(path, &error);
    fuzz::require(forecast != nullptr || !error.empty());
    if (forecast) {
        fuzz::require(!forecast->name().empty());
        const double points[][3] = {{0, 0, 0},          {49.5, 11.5, 5000}, {90, 180, 60000},
                                    {-90, -180, -1500}, {11, -1, 9882},     {0.5, 359.5, 18000}};
        for (const auto& p : points) {
            if (const auto s = forecast->at(p[0], p[1], p[2])) {
                fuzz::require(!s->direction || (*s->direction >= 0 && *s->direction < 360));
            }
        }
    }
    return 0;
}
