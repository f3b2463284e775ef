#pragma once

#include <string>
#include <vector>

#include "weather/Records.h"

namespace zephyra::weather {

// The elements a report may leave out that a record cannot do without, by their letters in
// the Estimated field: temperature 'T', pressure 'P', visibility 'V'.
inline constexpr char kEstimatedElements[] = {'T', 'P', 'V'};

// The Estimated text of a record whose report left these out, before the estimates are made
// ("T;V").
std::string missingElements(bool temperature, bool pressure, bool visibility);

// Whether the record's element was estimated, and from where: a station identifier, or "STD"
// for the standard atmosphere (for visibility: unlimited). Empty when the report gave it.
std::string estimateSource(const WeatherRecord& record, char element);

// What a report adds behind an estimated value: " (estimated from KLGA)", " (estimated from
// the standard atmosphere)", " (not reported: unlimited)"; empty for a reported value.
std::string estimateNote(const WeatherRecord& record, char element);

// A report's time group gives only the day: the month and year come from a date line above it
// or, without one, from the file's own date, which may be anything (a copy made today). Such
// an assumed date is named in the Estimated text as "D=FILE".
inline constexpr const char* kDateFromFile = "D=FILE";
bool observationDateAssumed(const WeatherRecord& record);
void markObservationDateAssumed(WeatherRecord& record);
// When the report was observed, as the reports say it: "10:51Z, 2 h 05 min ago", followed by
// " (month and year assumed)" for an assumed date; empty without an observation time.
std::string observedWithDate(const WeatherRecord& record, double nowSeconds);

// A record of the load with its station (null when the station is not known: no neighbours).
struct EstimateSubject {
    WeatherRecord* record;
    const StationRecord* station;
};

inline constexpr double kEstimateRadiusNm = 100.0;

// Fills in each record's missing elements (as its Estimated text lists them): from the nearest
// station within 100 nm whose report gave the element, a temperature carried over with the
// standard lapse of 2 degrees C per 1,000 ft for the difference of elevation; with no such
// station, from the standard atmosphere at the station's elevation (15 C less 2 C per 1,000 ft,
// 1013.2 hPa) and unlimited visibility (100). Temperatures are the reports' own Celsius, so it
// runs before completion. The Estimated text then names the sources ("T=KLGA;P=STD").
void estimateMissing(const std::vector<EstimateSubject>& subjects);

}  // namespace zephyra::weather
