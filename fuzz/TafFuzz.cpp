// Arbitrary bytes as a TAF file (bulletins, NOAA's CSV cache, gzip or not): the reader takes
// what it can or says why not, and every TAF it takes answers at any time and is described.

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "weather/Taf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zephyra::weather;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    constexpr std::int64_t kReference = 1796126400;  // 2026-12-01T12:00Z
    std::vector<std::string> problems;
    const std::vector<Taf> tafs = readTafs(text, kReference, &problems);
    zephyra::fuzz::require(!tafs.empty() || !problems.empty());
    for (const Taf& taf : tafs) {
        zephyra::fuzz::require(taf.validFrom < taf.validTo && !taf.periods.empty());
        zephyra::fuzz::require(describeTaf(taf).size() == taf.periods.size());
        for (std::int64_t t = taf.validFrom - 3600; t <= taf.validTo; t += 1800) {
            if (const auto f = forecastAt(taf, t)) {
                zephyra::fuzz::require(f->inForce != nullptr && f->inForce->from <= t &&
                                       t < f->inForce->to);
                (void)describeConditions(f->prevailing);
            }
        }
    }
    if (size >= 7) {
        (void)dayTimeNear(text.substr(0, 7), kReference);
        (void)isoSeconds(text.substr(0, std::min<std::size_t>(size, 20)));
    }
    return 0;
}
