#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "weather/Observation.h"

// The readers of single report groups that METARs and TAFs share: wind, visibility, weather
// and cloud. Each reader takes one group; when the group has its form it fills the
// observation and returns true (a group given as slashes is read and leaves the value empty).
namespace zephyra::weather::groups {

inline constexpr double kMetresPerMile = 1609.344;

// The value of a run of digits (the caller has checked them).
int digitsValue(std::string_view digits);
bool isDigitsOfLength(std::string_view text, std::size_t n);
bool allSlashes(std::string_view text);

// The groups of a report line split at blanks, the "=" end mark dropped; at most maxGroups (a
// METAR has a few dozen).
std::vector<std::string_view> splitGroups(std::string_view line, std::size_t maxGroups = 120);
// "A29" "92", "Q10" "16" and "1" "1/2SM" joined into one group each; the joined groups are kept
// in store so the views stay valid.
std::vector<std::string_view> joinSplitGroups(const std::vector<std::string_view>& groups,
                                              std::vector<std::string>& store);

bool readWind(std::string_view g, Observation& obs);              // 24015G25KT, VRB03KT, 36020
bool readVariableWind(std::string_view g, Observation& obs);      // 200V260
bool readMilesVisibility(std::string_view g, Observation& obs);   // 1 1/2SM, P6SM, M1/4SM
bool readMetricVisibility(std::string_view g, Observation& obs);  // 0800, 9999, 1500SW
bool readCloud(std::string_view g, Observation& obs);             // FEW020, BKN035CB, VV002, ///015
// A present weather group split into its parts; nothing when the group is not one.
std::optional<WeatherGroup> weatherGroupOf(std::string_view g);

}  // namespace zephyra::weather::groups
