#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zephyra::platform {
class Random;
}

namespace zephyra::weather {

// What the first pass reads from one METAR report. Heights are feet above the station.
struct MetarReport {
    std::string id;         // first four characters of the report
    int windDirection = 0;  // degrees true, 0 for variable
    int windSpeed = 0;      // knots (KPH and MPS reports converted)
    bool gust = false;
    double visibility = 100;   // statute miles, 100 = unlimited or not reported
    int temperature = 27;      // whole degrees Celsius
    double pressure = 1000.0;  // hPa
    bool obstruction = false;  // a weather phenomenon other than plain haze
    bool thunder = false;
    int precipitation = 0;  // intensity 0..9
    int cl1Base = 0, cl1Cover = 0, cl1Top = 0;
    int cl2Base = 0, cl2Cover = 0, cl2Top = 0;
    // Which of the values above with a default the report gave.
    bool temperatureReported = false;
    bool pressureReported = false;
    bool visibilityReported = false;
};

struct MetarLine {
    enum class Outcome {
        Skipped,  // not a report line (a date line, a header, too short ...)
        Dropped,  // a report without a wind group: no record
        Report,
    };
    Outcome outcome = Outcome::Skipped;
    // Filled for every line; precipitation is reset per line, so a skipped line reads 0.
    MetarReport report;
};

// Reads one line of a METAR file the way the program always has: positional and tolerant.
// Random draws (cover eighths, cloud tops) come from rnd in a fixed order.
MetarLine decodeMetarLine(std::string_view line, platform::Random& rnd);

// What the first pass reads from one SA report. Temperatures are degrees Fahrenheit.
struct SaReport {
    std::string id;
    std::string observation;  // report type as written ("SA", "SP", "RS" ...)
    std::string time;
    int cl1Base = 0, cl1Top = 0;
    std::string cl1CoverCode;
    int cl2Base = 0, cl2Top = 0;
    std::string cl2CoverCode;
    int visibility = 0;   // the format's own integer scale (10 added from 10 up)
    double pressure = 0;  // hPa
    int temperature = 0;
    int dewPoint = 0;
    int windDirection = 0;
    int windSpeed = 0;
    bool gust = false;
    double altimeter = 0;  // inches of mercury
    bool weather = false;  // an obstruction or precipitation token
    bool thunder = false;
    bool pressureReported = false;  // false: the format's default field (160) was used
};

// Reads one line of an SA file; nothing when the line is not a readable report.
std::optional<SaReport> decodeSaLine(std::string_view line, platform::Random& rnd);

}  // namespace zephyra::weather
