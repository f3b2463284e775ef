#include "map/Palette.h"

#include <array>

namespace zephyra::map {

namespace {

constexpr std::array<Rgb, 11> kCategories = {{
    {255, 255, 255},  // 0 clear
    {222, 235, 247},
    {198, 219, 239},
    {158, 202, 225},
    {120, 170, 210},
    {90, 140, 190},
    {66, 110, 165},
    {50, 80, 135},
    {35, 50, 95},    // 8 overcast
    {240, 170, 30},  // obstruction to vision
    {214, 30, 200},  // thunderstorm
}};
constexpr Rgb kUnknown{128, 128, 128};

constexpr std::array<Rgb, kPrecipitationLevels> kPrecipitation = {{
    {160, 220, 255},
    {90, 170, 255},
    {30, 100, 235},
    {110, 225, 90},
    {30, 180, 40},
    {10, 120, 20},
    {255, 230, 0},
    {255, 140, 0},
    {210, 0, 0},
}};

}  // namespace

Rgb categoryColour(int category) {
    return category >= 0 && category < static_cast<int>(kCategories.size()) ? kCategories[category]
                                                                            : kUnknown;
}

Rgb flightCategoryColour(int code) {
    static constexpr std::array<Rgb, kFlightCategories> kColours = {{
        {150, 150, 150},
        {0, 170, 0},
        {0, 90, 255},
        {220, 0, 0},
        {200, 0, 200},
    }};
    return code >= 0 && code < kFlightCategories ? kColours[static_cast<std::size_t>(code)]
                                                 : kColours[0];
}

std::string flightCategoryLabel(int code) {
    static const char* const kLabels[] = {"unknown", "VFR", "MVFR", "IFR", "LIFR"};
    return code >= 0 && code < kFlightCategories ? kLabels[code] : kLabels[0];
}

std::string categoryLabel(int category) {
    switch (category) {
        case 0:
            return "0/8 clear";
        case 8:
            return "8/8 overcast";
        case kObstructionCategory:
            return "obstruction to vision";
        case kThunderstormCategory:
            return "thunderstorm";
        default:
            return category > 0 && category < 8 ? std::to_string(category) + "/8 cloud" : "unknown";
    }
}

int precipitationLevel(int index) {
    if (index <= 0) {
        return 0;
    }
    const int level = (index - 1) / 5 + 1;
    return level > kPrecipitationLevels ? kPrecipitationLevels : level;
}

Rgb precipitationColour(int level) {
    return level >= 1 && level <= kPrecipitationLevels ? kPrecipitation[level - 1] : kUnknown;
}

std::string precipitationLabel(int level) {
    return std::to_string(5 * (level - 1) + 1) + "-" + std::to_string(5 * level);
}

}  // namespace zephyra::map
