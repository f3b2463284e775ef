// Arbitrary bytes as a SimBrief OFP (a plan import or a winds aloft file): the reader takes the
// file or says why not; what it takes stays within its limits and on the Earth, and the field it
// makes answers anywhere with finite values.

#include <cmath>
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "weather/SimBriefOfp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zephyra;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto ofp = weather::readSimBriefOfp(text, &error);
    fuzz::require(ofp.has_value() || !error.empty());
    if (!ofp) {
        return 0;
    }
    fuzz::require(!ofp->fixes.empty() && ofp->fixes.size() <= weather::kMaxOfpFixes);
    for (const auto& f : ofp->fixes) {
        fuzz::require(f.levels.size() <= weather::kMaxOfpLevels);
        fuzz::require(!f.latitude || std::fabs(*f.latitude) <= 90);
        fuzz::require(!f.longitude || std::fabs(*f.longitude) <= 180);
    }
    if (const auto field = weather::ofpAloftData(*ofp)) {
        const double points[][3] = {
            {0, 0, 0}, {35, -80, 35000}, {90, 180, 60000}, {-90, -180, -1500}};
        for (const auto& p : points) {
            if (const auto s = field->at(p[0], p[1], p[2])) {
                fuzz::require(std::isfinite(s->speedKnots));
                fuzz::require(!s->direction || std::isfinite(*s->direction));
                fuzz::require(!s->temperature || std::isfinite(*s->temperature));
            }
        }
    }
    return 0;
}
