#pragma once

#include <cstdint>
#include <optional>

#include "weather/Records.h"

namespace zephyra::platform {
class Random;
}

namespace zephyra::weather {

class AloftField;

// How a load completes its records: the METAR and SA loads and custom weather share one pass
// and differ only in these choices.
struct CompletionStyle {
    // Multiplier of every turbulence draw (METAR and custom 10, SA 36.4).
    double turbulenceFactor = 10.0;
    enum class Aloft {
        Fixed,        // 36 and 18 degrees colder, then 0 to 17 more; floors -50, -60, -70
        SaDraws,      // each layer 20 to 69 degrees colder, no floor
        CustomDraws,  // each layer 10 to 34 degrees colder; floors -50, -60, -70
    };
    Aloft aloft = Aloft::Fixed;
    // SA records carry cover words; their eighths are drawn first.
    bool coverageFromWords = false;
    // Surface reports: look the station up, convert its temperatures when it reports Celsius,
    // and lift every height by its elevation. Custom weather is already above sea level.
    bool stationRelative = true;
    // Winds and temperatures aloft from forecasts (null: none). Where the field reaches a
    // placed station, wind layers 1..3 take its direction and speed at a height of each layer
    // (its middle, at most 5,000 ft above its floor) and the temperatures aloft its
    // temperatures at their altitudes, in place of the draws. The draws are still taken, so
    // every other value, and every record after, is what it would be without the field.
    const AloftField* aloftField = nullptr;
    // The time the field is read for (seconds since 1970; 0: its earliest forecast).
    std::int64_t aloftTime = 0;

    static CompletionStyle metar() { return {}; }
    static CompletionStyle sa() { return {36.4, Aloft::SaDraws, true, true, nullptr, 0}; }
    static CompletionStyle custom() { return {10.0, Aloft::CustomDraws, false, false, nullptr, 0}; }
};

// The station facts the pass needs; a station that is not known stays at sea level in its
// report's own scale.
struct StationFacts {
    StationFacts(int elevation = 0, bool reportsCelsius = false,
                 std::optional<double> lat = std::nullopt, std::optional<double> lon = std::nullopt)
        : elevationFeet(elevation), celsius(reportsCelsius), latitude(lat), longitude(lon) {}
    int elevationFeet = 0;
    bool celsius = false;
    // Where the station is, for the field aloft (degrees, north and east positive); none when
    // not known.
    std::optional<double> latitude;
    std::optional<double> longitude;
};

// Completes one record in place: cloud turbulence, icing and deviation, the three wind layers
// aloft, the temperatures aloft, the temperature scale and the heights above sea level. The
// layers aloft come from the style's field aloft where it reaches the station. The
// random draws are taken in a fixed order, so a pinned generator gives a fixed record.
void completeRecord(WeatherRecord& record, const StationFacts& station,
                    const CompletionStyle& style, platform::Random& rnd);

// Elevation in feet from metres, as the pass takes it: Int(metres × 3.281).
int elevationFeet(double metres);

// The physical ranges a record's surface values are brought into before completion and before
// any send, whatever a report, a plan or the database held: cloud heights 0 to 60,000 ft, wind
// 0 to 250 kt from 0 to 360 degrees, temperature and dew point -150 to +150 in the record's
// scale, pressure 850 to 1185 hPa. Out-of-range numbers go to the nearest bound; a pressure
// that is not a number becomes standard.
inline constexpr int kMaxCloudFeet = 60000;
inline constexpr double kMaxWindKnots = 250;
inline constexpr int kMaxTemperature = 150;
inline constexpr double kMinPressure = 850;
inline constexpr double kMaxPressure = 1185;
void clampToPhysicalRanges(WeatherRecord& record);

}  // namespace zephyra::weather
