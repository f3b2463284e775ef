#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "weather/ObservationTime.h"

// Winds and temperatures aloft from forecasts: one interface over NOAA's FB text and GFS model
// grids, and the field the program holds, which may carry two forecast times.
namespace zephyra::weather {

class WeatherDb;

// The wind and temperature at one point, and where they came from.
struct AloftSample {
    std::optional<double> direction;  // degrees true, where the wind blows from; none for light
                                      // and variable
    double speedKnots = 0;
    std::optional<double> temperature;  // degrees Celsius
    std::string source;                 // "FD1US1 ATL, MCN", "GFS 0.25 deg 2026-12-07 00Z +6 h"
    std::int64_t validTime = 0;         // seconds since 1970 (UTC); 0 when not known
};

// One forecast of one source for one valid time.
class AloftData {
  public:
    virtual ~AloftData() = default;
    // The wind and temperature at a point and altitude (feet above sea level); nothing where
    // the forecast does not reach.
    virtual std::optional<AloftSample> at(double latitude, double longitude,
                                          double altitudeFeet) const = 0;
    virtual std::string name() const = 0;        // "FD1US1", "GFS 0.25 deg 2026-12-07 00Z +6 h"
    virtual std::int64_t validTime() const = 0;  // seconds since 1970 (UTC); 0 when not known
};

// The winds aloft the program flies in: the forecasts loaded, ordered by valid time. A value
// at a time between two forecasts that both reach the point is interpolated linearly in time
// (winds as vectors); otherwise the forecast nearest in time that reaches the point gives it.
class AloftField {
  public:
    // Adds a forecast; one with the same name and valid time is replaced.
    void add(std::shared_ptr<const AloftData> forecast);
    void clear() { forecasts_.clear(); }
    bool empty() const { return forecasts_.empty(); }
    const std::vector<std::shared_ptr<const AloftData>>& forecasts() const { return forecasts_; }

    // when: seconds since 1970; 0 takes the earliest forecast that reaches the point.
    std::optional<AloftSample> at(double latitude, double longitude, double altitudeFeet,
                                  std::int64_t when = 0) const;

  private:
    std::vector<std::shared_ptr<const AloftData>> forecasts_;
};

// An aloft file read from disk or from a download: GRIB2 (its bytes start with "GRIB"), a
// SimBrief OFP saved as XML (it starts "<?xml" or "<OFP"; its fixes' winds, no valid time) or
// the FB text, whose sites are placed from the database and whose valid day is put in the month
// of the reference date. Files over 16 MB are refused.
struct AloftLoad {
    std::shared_ptr<const AloftData> forecast;  // null when the file could not be read
    std::string error;                          // why not, for the user
    std::vector<std::string> unplaced;          // FB sites found nowhere in the database
};
AloftLoad loadAloftFile(const std::string& path, WeatherDb& db,
                        const std::optional<ReferenceDate>& reference = std::nullopt);

// Winds aloft in XML (a SimBrief OFP) are read with Qt's XML reader, which this library does not
// link: a program that takes them sets the reader once at start (readOfpAloftFiles() in
// weather/SimBriefOfp.h). Without it loadAloftFile refuses an XML file with a reason.
using XmlAloftReader = std::shared_ptr<const AloftData> (*)(std::string_view text,
                                                            std::string* error);
void setXmlAloftReader(XmlAloftReader reader);
bool readsXmlAloft();

// "2026-12-07T06:00:00Z"; empty for 0.
std::string isoTime(std::int64_t secondsSince1970);

}  // namespace zephyra::weather
