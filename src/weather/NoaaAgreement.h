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
    int total = 0;     // reports where both sides give a comparable value
    int oursOnly = 0;  // reports where only our reading gives a value (NOAA's column is empty)
    double rate() const { return total == 0 ? 1.0 : static_cast<double>(agree) / total; }
};

struct NoaaAgreement {
    int rows = 0;     // rows with a report
    int reports = 0;  // rows the reader stores a record for
    // Wind direction, speed and gust (knot reports), speed in other units (within 1 kt),
    // visibility (statute-mile reports), temperature (within half a degree), pressure (within
    // 0.015 inHg), first cloud cover and base (where NOAA gives FEW, SCT, BKN or OVC).
    std::vector<FieldAgreement> fields;
    // The full reading of the same reports against every decoded column the file has:
    // temperature and dew point (to 0.1 C where the report has a T group, else the whole
    // degree), wind direction, speed and gust, visibility in statute miles (metric reports
    // converted and rounded to hundredths as NOAA does), altimeter (from Q where a report gives
    // both, as NOAA's column does), sea-level pressure, each of the four sky cover and base pairs
    // (a vertical visibility is NOAA's "OVX" at 0), vertical visibility, present weather and the
    // flight category. A column NOAA left empty while the report gives the value counts as "ours
    // only", not as a disagreement. Columns a shorter layout lacks are not compared.
    std::vector<FieldAgreement> fullFields;
};

// Compares every report of the CSV text (gzip already inflated) with its row's decoded
// columns. Nothing when the text is not a NOAA CSV product or lacks the decoded columns.
std::optional<NoaaAgreement> compareWithNoaa(std::string_view csvText);

}  // namespace zephyra::weather
