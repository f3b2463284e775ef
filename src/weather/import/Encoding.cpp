#include "weather/import/Encoding.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace zephyra::weather::import {

namespace {

// Splits |degrees| into whole units of 1/unitsPerDegree after rounding, so 59.6" carries into
// the next minute and 59.5' into the next degree.
long long roundedUnits(double degrees, int unitsPerDegree) {
    return std::llround(std::fabs(degrees) * unitsPerDegree);
}

std::string minutesText(double degrees, int degreeDigits, char positive, char negative) {
    const long long total = roundedUnits(degrees, 60);
    const char hemisphere = (degrees < 0.0 && total != 0) ? negative : positive;
    char text[48];
    std::snprintf(text, sizeof text, "%0*lld%02lld%c", degreeDigits, total / 60, total % 60,
                  hemisphere);
    return text;
}

// "DDMMSS" / "DDDMMSS" of |degrees|; negative tells whether the rounded value is south or west.
std::string secondsText(double degrees, int degreeDigits, bool& negative) {
    const long long total = roundedUnits(degrees, 3600);
    negative = degrees < 0.0 && total != 0;
    char text[48];
    std::snprintf(text, sizeof text, "%0*lld%02lld%02lld", degreeDigits, total / 3600,
                  total / 60 % 60, total % 60);
    return text;
}

}  // namespace

std::string stationLatitudeText(double degrees) {
    return minutesText(degrees, 2, 'N', 'S');
}

std::string stationLongitudeText(double degrees) {
    return minutesText(degrees, 3, 'E', 'W');
}

WaypointAngle waypointLatitudeText(double degrees) {
    bool south = false;
    std::string text = secondsText(degrees, 2, south);
    return {std::move(text), south ? 0 : -1};
}

WaypointAngle waypointLongitudeText(double degrees) {
    bool west = false;
    std::string text = secondsText(degrees, 3, west);
    return {std::move(text), west ? -1 : 0};
}

std::optional<std::string> vorFrequency(double khz) {
    // VORs use 108.00-117.95 MHz on a 50 kHz raster; anything else is a data error.
    if (!(khz >= 108000.0 && khz <= 117950.0)) {
        return std::nullopt;
    }
    const long long raster = std::llround(khz / 50.0);
    if (std::fabs(static_cast<double>(raster) * 50.0 - khz) > 0.5) {
        return std::nullopt;
    }
    char text[48];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(raster) * 50.0 / 1000.0);
    return text;
}

std::optional<std::string> ndbFrequency(double khz) {
    if (!(khz >= 190.0 && khz <= 1750.0)) {
        return std::nullopt;
    }
    const long long tenths = std::llround(khz * 10.0);
    char text[48];
    if (tenths % 10 == 0) {
        std::snprintf(text, sizeof text, "%lld", tenths / 10);
    } else {
        std::snprintf(text, sizeof text, "%lld.%lld", tenths / 10, tenths % 10);
    }
    return text;
}

}  // namespace zephyra::weather::import
