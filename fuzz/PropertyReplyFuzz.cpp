// Arbitrary bytes as replies of FlightGear's property server: each CR LF line is read as the
// value of the property in its position. Besides the sanitizers' checks (no float-to-integer
// conversion out of range): a value is a finite number in its property's range, or no answer.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "simlink/FlightGearLink.h"

namespace {

using zephyra::fuzz::require;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using zephyra::simlink::FlightGearLink;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    for (std::size_t k = 0; start <= text.size(); ++k) {
        auto end = text.find("\r\n", start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const auto which = static_cast<FlightGearLink::Read>(k % FlightGearLink::ReadCount);
        const double v = FlightGearLink::parseValue(text.substr(start, end - start), which);
        require(std::isnan(v) || (std::isfinite(v) && std::fabs(v) <= 200000.0));
        if (!std::isnan(v)) {
            (void)static_cast<long>(v);  // what the flight command prints
        }
        start = end + 2;
    }
    return 0;
}
