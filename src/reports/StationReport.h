#pragma once

#include <string>

#include "weather/Records.h"
#include "weather/Taf.h"

namespace zephyra::weather {
class WeatherDb;
}

namespace zephyra::reports {

inline constexpr const char* kStationNotFound = "ICAO Station Weather not Found";

// Heights and distances of a report in the user's units. "M" is metres and kilometres (with
// the program's own 0.30497 feet-to-metre factor), "F" feet and kilometres, anything else
// feet and miles.
struct ReportUnits {
    double heightFactor = 1.0;
    const char* heightUnit = " feet.";
    double distanceFactor = 1.0;
    const char* distanceUnit = " miles.";
};
ReportUnits reportUnits(const std::string& uom);

// A few lines of plain English about one station's weather, line-feed separated. Heights of
// cloud bases are counted from the station's elevation (feet). Temperatures and pressure
// stay Fahrenheit and inches of mercury only for "U"; every other unit setting shows Celsius
// and millibars.
//
// Below that text come the report as received and when it was observed ("observed 10:51Z,
// 2 h 05 min ago"; the age against nowSeconds, seconds since 1970 UTC, left out for 0), each
// when the record holds it.
std::string composeStationReport(const weather::WeatherRecord& record, int elevationFeet,
                                 const std::string& uom, int unlimitedVisibility,
                                 double nowSeconds = 0);

// The record's temperature in Fahrenheit or Celsius, converted from its own scale once and
// rounded to nearest (23 F reads -5 C, 48 F reads 9 C).
int shownTemperature(const weather::WeatherRecord& record, bool fahrenheit);

// The station's elevation in whole feet (rounded down), 0 without a station record.
int stationAltitudeFeet(weather::WeatherDb& db, const std::string& id);

// A station's TAF under its report: when it was issued ("TAF issued 7 Dec 05:20Z, 1 h 10 min
// ago"; the age against nowSeconds, left out for 0), the TAF as written, and its periods in
// words, one per line.
std::string composeTafReport(const weather::Taf& taf, double nowSeconds = 0);

// The report of a station from the database, with the station's TAF below it when one is
// loaded and withTaf (the main window's few report lines leave it out: it would not fit);
// found is false (and the text is kStationNotFound) when the station has no weather record.
struct StationReport {
    bool found = false;
    std::string text;
};
StationReport stationReport(weather::WeatherDb& db, const std::string& id, const std::string& uom,
                            int unlimitedVisibility, double nowSeconds = 0, bool withTaf = true);

// How old a station's report is, for the main window: "KATL observed 10:51Z, 3 h 20 min ago"
// (empty when the record holds no observation time), and a warning when the report is more
// than three hours old at nowSeconds.
inline constexpr double kStaleReportSeconds = 3 * 3600.0;
struct ReportAge {
    std::string observed;  // "observed 10:51Z, 3 h 20 min ago"
    std::string text;      // the same after the station's identifier
    std::string warning;
};
ReportAge reportAge(const weather::WeatherRecord& record, double nowSeconds);

// Numbers as the reports join them: the shortest plain decimal form, 15 significant digits.
std::string plainNumber(double value);

}  // namespace zephyra::reports
