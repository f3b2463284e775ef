#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zephyra::weather {

// How often the METAR reader's first pass agrees with NOAA's own decode of the same reports:
// the decoded columns of a NOAA CSV product (metars.cache.csv) are the judge.
struct FieldAgreement {
    std::string field;
    int agree = 0;
    int total = 0;  // reports where both sides give a comparable value
    double rate() const { return total == 0 ? 1.0 : static_cast<double>(agree) / total; }
};

struct NoaaAgreement {
    int rows = 0;     // rows with a report
    int reports = 0;  // rows the reader stores a record for
    // Wind direction, speed and gust (knot reports), speed in other units (within 1 kt),
    // visibility (statute-mile reports), temperature (within half a degree), pressure (within
    // 0.015 inHg), first cloud cover and base (where NOAA gives FEW, SCT, BKN or OVC).
    std::vector<FieldAgreement> fields;
};

// Compares every report of the CSV text (gzip already inflated) with its row's decoded
// columns. Nothing when the text is not a NOAA CSV product or lacks the decoded columns.
std::optional<NoaaAgreement> compareWithNoaa(std::string_view csvText);

}  // namespace zephyra::weather
