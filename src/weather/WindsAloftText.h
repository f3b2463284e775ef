#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// NOAA's winds and temperatures aloft forecast as text (the FB product, once called FD): for
// each site a wind and temperature at each level of the product's "FT" line, in fixed columns.
namespace zephyra::weather {

struct AloftLevel {
    int altitudeFeet = 0;
    bool lightAndVariable = false;   // 9900: no direction, under 5 kt
    std::optional<int> direction;    // degrees true, where the wind blows from
    std::optional<int> speedKnots;   // 0 for light and variable
    std::optional<int> temperature;  // degrees Celsius; none at 3,000 ft and near the ground
};

struct AloftSite {
    std::string id;  // three letters (or a letter and digits for offshore points)
    // The levels the product gives for the site, lowest first; a blank field (within 1,500 ft
    // of the site's elevation for the wind, 2,500 ft for the temperature) is left out, never 0.
    std::vector<AloftLevel> levels;
};

struct WindsAloftText {
    std::string product;         // "FD1US1"
    std::string basedOn;         // "080000Z"
    std::string valid;           // "080600Z"
    std::string useFrom, useTo;  // "0200", "0900"
    std::vector<int> levels;     // feet, from the "FT" line
    std::vector<AloftSite> sites;
    std::vector<std::string> unread;  // site lines with a field that is no wind
};

// Reads a whole product. A field reads "DDff" (the lowest level, no temperature), "DDff+TT" or
// "DDff-TT", or "DDffTT" above 24,000 ft where temperatures are negative without a sign; a
// direction of 51-86 means 100 kt more and 50 less (7503 is 250 at 103 kt), 9900 is light and
// variable. Nothing, with the reason in error, when the text has no "FT" line of levels.
std::optional<WindsAloftText> readWindsAloftText(std::string_view text,
                                                 std::string* error = nullptr);

// One field as above, at its level; nothing when it is blank or not a wind.
std::optional<AloftLevel> readAloftField(std::string_view field, int altitudeFeet);

}  // namespace zephyra::weather
