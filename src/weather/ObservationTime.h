#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zephyra::weather {

// The date a report's day of the month belongs to: a report's own time group has only the day,
// hour and minute, so the month and year come from the file.
struct ReferenceDate {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
};

// A date line of a cycle file ("2022/10/23 11:37"), which applies to the reports below it.
std::optional<ReferenceDate> dateLine(std::string_view line);
// The date of an ISO time ("2022-10-23T10:51:00Z", NOAA's observation_time).
std::optional<ReferenceDate> isoDate(std::string_view text);
// The file's own modification date (UTC).
std::optional<ReferenceDate> fileDate(const std::string& path);

// When a report was observed, "YYYY-MM-DDTHH:MMZ", from its DDHHMMZ group (the first group
// after the station that has that form) and the file's date: a day later than the file's is
// taken as the month before, and a day the month does not have (the 31st in November) as the
// last month before that has it. Empty without a time group or a reference date.
std::string observationTime(std::string_view reportLine, const std::optional<ReferenceDate>& ref);

// Seconds since 1970 (UTC) of an observation time, or nothing when it is not one.
std::optional<double> observationSeconds(const std::string& observationTime);

// "10:51Z, 2 h 05 min ago" (the age left out for a time in the future or a now of 0).
std::string observedText(const std::string& observationTime, double nowSeconds);

}  // namespace zephyra::weather
