#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "weather/AloftField.h"

// GRIB2 model output (GFS and the like) read through ecCodes: the fields of a file, and winds
// and temperatures on pressure levels as a winds-aloft forecast.
namespace zephyra::weather {

// The points of a regular latitude/longitude or Gaussian grid, put in one order whatever the
// file's scanning: rows from south to north, each row from west to east.
struct GribGrid {
    std::string type;                // ecCodes' gridType: "regular_ll", "regular_gg"
    std::vector<double> latitudes;   // one a row, rising
    std::vector<double> longitudes;  // one a column, rising from the western edge as the file
                                     // gives it (may pass 360 or start below 0)
    bool wraps = false;              // the columns go all round the earth

    std::size_t size() const { return latitudes.size() * longitudes.size(); }
    std::size_t index(std::size_t row, std::size_t column) const {
        return row * longitudes.size() + column;
    }
    bool operator==(const GribGrid&) const = default;
};

// What a message is about, read before its values are decoded.
struct GribMessageKey {
    std::string shortName;  // "u", "v", "t", "gh", "tmax"...
    std::string levelType;  // "isobaricInhPa", "isobaricInPa", "heightAboveGround"...
    double level = 0;
};

// One message's field.
struct GribField {
    GribMessageKey key;
    std::string centre;              // "kwbc"
    std::int64_t referenceTime = 0;  // the analysis time, seconds since 1970 (UTC)
    std::int64_t validTime = 0;      // seconds since 1970 (UTC)
    GribGrid grid;
    std::vector<float> values;  // in the grid's order; NaN where the file has none
    float value(std::size_t row, std::size_t column) const {
        return values[grid.index(row, column)];
    }
};

// The fields of a GRIB2 file; those that want refuses are skipped without decoding their
// values. Empty, with the reason in error, when the file cannot be read whole: a cut or
// damaged message, a grid of a kind not read (rotated, Lambert...), too many messages or
// points.
std::vector<GribField> readGribFields(const std::string& path, std::string* error,
                                      const std::function<bool(const GribMessageKey&)>& want = {});

// A GRIB2 file of winds and temperatures on pressure levels as a forecast; null, with the
// reason in error, when it cannot be read. Every level needs U and V; T and geopotential
// height are used where the file has them. All winds must lie on one grid and one forecast
// time.
std::shared_ptr<const AloftData> readGribAloft(const std::string& path, std::string* error);

// The ICAO standard atmosphere's altitude (feet) of a pressure (hPa).
double pressureAltitudeFeet(double hectopascals);

}  // namespace zephyra::weather
