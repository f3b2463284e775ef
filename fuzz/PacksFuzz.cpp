// Arbitrary bytes as the waypoint pack a database holds (a damaged or hostile file): the layout
// is taken or refused, and what is taken reads back within its bytes.

#include <cstdint>
#include <string_view>

#include "weather/Packs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using zephyra::weather::packs::WaypointColumns;
    WaypointColumns columns;
    if (!columns.parse(std::string_view(reinterpret_cast<const char*>(data), size))) {
        return 0;
    }
    std::size_t length = 0;
    double sum = 0;
    for (int i = 0; i < columns.count(); ++i) {
        for (int c = 0; c < WaypointColumns::kTexts; ++c) {
            length += columns.text(static_cast<WaypointColumns::Text>(c), i).size();
        }
        sum += columns.latitude(i) + columns.longitude(i) + columns.we(i);
    }
    return length == 0 && sum == 1.5 ? 1 : 0;
}
