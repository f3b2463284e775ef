// Arbitrary bytes through both report decoders, line by line and as one long line. Besides
// the sanitizers' checks, the values that later steps rely on must stay in range.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "FuzzSupport.h"
#include "platform/Random.h"
#include "weather/Reports.h"

namespace {

using zephyra::platform::PinnedRandom;
using zephyra::weather::decodeMetarLine;
using zephyra::weather::decodeSaLine;
using zephyra::weather::MetarLine;

using zephyra::fuzz::require;

void decode(std::string_view line, PinnedRandom& rnd) {
    const MetarLine metar = decodeMetarLine(line, rnd);
    const auto& r = metar.report;
    require(r.precipitation >= 0 && r.precipitation <= 9);
    require(r.cl1Cover >= 0 && r.cl1Cover <= 8 && r.cl2Cover >= 0 && r.cl2Cover <= 8);
    require(!std::isnan(r.visibility) && !std::isnan(r.pressure));
    require(metar.outcome == MetarLine::Outcome::Skipped || r.id.size() == 4);

    if (const auto sa = decodeSaLine(line, rnd)) {
        require(!sa->id.empty());
        require(sa->altimeter >= 20.0 && sa->altimeter < 40.0);
        require(sa->cl1CoverCode.size() > 0 && sa->cl2CoverCode.size() > 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    PinnedRandom rnd;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = text.find('\n', start);
        decode(text.substr(start, end == std::string_view::npos ? end : end - start), rnd);
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    decode(text, rnd);
    return 0;
}
