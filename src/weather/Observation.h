#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The full reading of one METAR: every group a report gives, read by its form wherever it
// stands, beside the classic positional reading that fills the weather record. A value the
// report does not give, or gives as slashes, stays empty; it is never a number made up here.
namespace zephyra::weather {

// One cloud layer as reported. Heights are feet above the station.
struct CloudLayer {
    std::string cover;            // "FEW", "SCT", "BKN", "OVC" or "VV"; empty when given as ///
    std::optional<int> baseFeet;  // empty when given as ///
    std::string type;             // "CB", "TCU" or empty
    bool operator==(const CloudLayer&) const = default;
};

// One present or recent weather group, split into its parts ("-SHSN": "-", "SH", {"SN"}).
struct WeatherGroup {
    std::string text;                    // as written, without the RE of recent weather
    std::string intensity;               // "-", "+", "VC" (in the vicinity) or empty for moderate
    std::string descriptor;              // MI PR BC DR BL SH TS FZ, or empty
    std::vector<std::string> phenomena;  // DZ RA SN ... in the order written
};

enum class FlightCategory { Unknown, Vfr, Mvfr, Ifr, Lifr };

struct Observation {
    std::string id;  // the report itself stays with its record (RawText)

    // Day of month, hour and minute of the DDHHMMZ group.
    std::optional<int> day, hour, minute;
    bool automatic = false;   // AUTO
    bool correction = false;  // COR or CCA
    bool noSignificantChange = false;

    // Wind. Direction in degrees true; empty for VRB, calm or slashes.
    std::optional<int> windDirection;
    bool windVariable = false;  // VRB
    std::optional<int> windSpeedKnots;
    std::optional<int> gustKnots;
    std::optional<int> variableFrom, variableTo;  // dddVddd

    // Visibility as reported: statute miles for SM groups, metres for metric ones; both filled
    // (the other converted) whenever one is given.
    std::optional<double> visibilityMiles;
    std::optional<int> visibilityMetres;
    bool visibilityBelow = false;     // M1/4SM: below the value
    bool visibilityAbove = false;     // P6SM or 9999: the value or more
    bool visibilityInMetres = false;  // reported in metres (the miles are converted)
    std::optional<int> minimumVisibilityMetres;
    std::string minimumVisibilityDirection;  // N, NE ... or empty
    bool cavok = false;

    std::vector<std::string> runwayVisualRanges;  // as written
    std::vector<WeatherGroup> weather;
    std::vector<WeatherGroup> recentWeather;

    std::vector<CloudLayer> layers;  // in the order reported, up to six; VV is the last
    std::optional<int> verticalVisibilityFeet;
    std::string clearSky;  // CLR, SKC, NSC, NCD or CAVOK when the report says so

    // Temperatures in degrees Celsius, in tenths where the remark T group gives them.
    std::optional<double> temperature, dewPoint;
    bool temperatureInTenths = false;
    std::optional<double> altimeterInches;   // A group
    std::optional<double> qnhHectopascals;   // Q group
    std::optional<double> seaLevelPressure;  // SLP remark, hPa

    // Groups of the body that could not be read, and values left out because no atmosphere
    // has them ("Q0700: outside 850-1090 hPa"). Either way the values after them stand.
    std::vector<std::string> unread;
    std::vector<std::string> rejected;

    // The lowest BKN or OVC base, or the vertical visibility; empty when there is none.
    std::optional<int> ceilingFeet() const;
    // The pressure to fly by, in hPa: QNH, else the altimeter, else nothing.
    std::optional<double> pressureHectopascals() const;
};

// Reads a whole report (one line, as in a METAR file or NOAA's raw_text column). A line that
// does not start with a station identifier gives an observation with an empty id.
Observation readObservation(std::string_view report);

// The FAA's categories from ceiling and visibility: LIFR below 500 ft or 1 mile, IFR below
// 1,000 ft or 3 miles, MVFR up to 3,000 ft or 5 miles, VFR above. Unknown, as in NOAA's
// products, when the report gives no visibility or nothing of the sky (no layer with a base,
// no clear-sky word).
FlightCategory flightCategory(const Observation& obs);
const char* flightCategoryName(FlightCategory category);  // "VFR", ..., "" for unknown

}  // namespace zephyra::weather
