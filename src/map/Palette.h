#pragma once

#include <cstdint>
#include <string>

namespace zephyra::map {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

// Weather categories of a station: 0 to 8 the eighths of its largest cloud cover, 9 an
// obstruction to vision, 10 a thunderstorm.
inline constexpr int kObstructionCategory = 9;
inline constexpr int kThunderstormCategory = 10;

// Colour of a weather category: clear skies white, deepening blue-grey to overcast, amber for
// an obstruction to vision, magenta for a thunderstorm; grey for anything else.
Rgb categoryColour(int category);
// "0/8 clear" ... "8/8 overcast", "obstruction to vision", "thunderstorm", "unknown".
std::string categoryLabel(int category);

// Flight categories as the waypoint store codes them: 0 unknown, 1 VFR, 2 MVFR, 3 IFR, 4 LIFR.
inline constexpr int kFlightCategories = 5;
// The usual colours: VFR green, MVFR blue, IFR red, LIFR magenta; unknown grey.
Rgb flightCategoryColour(int code);
// "VFR" ... "LIFR", "unknown".
std::string flightCategoryLabel(int code);

// The precipitation index of a station runs from 0 (none) to 45 in steps of five per level of
// the reported intensity: 1-15 drizzle or mist, 16-30 rain or snow, 31-45 with thunder.
inline constexpr int kPrecipitationLevels = 9;
// Level 1 to 9 of an index (0 for none; indices above 45 count as 9).
int precipitationLevel(int index);
// Radar-like colour of a level: blues, greens, then yellow to red.
Rgb precipitationColour(int level);
// "1-5" ... "41-45" for a level.
std::string precipitationLabel(int level);

}  // namespace zephyra::map
