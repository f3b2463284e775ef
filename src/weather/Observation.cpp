// The full reading of a METAR. Each group is recognised by its form, not by where it stands,
// so a group that cannot be read is set aside and the groups after it keep their meaning.

#include "weather/Observation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "weather/ObservationGroups.h"
#include "weather/TextScan.h"

namespace zephyra::weather {

namespace {

using text::isAsciiDigit;
using text::isAsciiLetter;
using text::isDigitsOnly;
using namespace groups;

constexpr double kHpaPerInch = 33.8639;
constexpr double kLowestHpa = 850;
constexpr double kHighestHpa = 1090;

bool isRunwayVisualRange(std::string_view g) {
    return g.size() >= 7 && g[0] == 'R' && isAsciiDigit(g[1]) && isAsciiDigit(g[2]) &&
           g.find('/') != std::string_view::npos && g.find('/') <= 4;
}

std::optional<double> temperatureOf(std::string_view t) {
    bool minus = false;
    if (t.starts_with('M') || t.starts_with('-')) {
        minus = true;
        t.remove_prefix(1);
    }
    if (!isDigitsOfLength(t, 2)) {
        return std::nullopt;
    }
    const double v = digitsValue(t);
    return minus ? -v : v;
}

bool readTemperatures(std::string_view g, Observation& obs) {
    const std::size_t slash = g.find('/');
    if (slash == std::string_view::npos || g.find('/', slash + 1) != std::string_view::npos) {
        return false;
    }
    const std::string_view t = g.substr(0, slash);
    const std::string_view d = g.substr(slash + 1);
    const std::optional<double> temp = temperatureOf(t);
    const std::optional<double> dew = temperatureOf(d);
    if ((!temp && t != "//" && !t.empty()) || (!dew && d != "//" && !d.empty())) {
        return false;
    }
    if (!temp && !dew) {
        return t == "//" || d == "//";
    }
    obs.temperature = temp;
    obs.dewPoint = dew;
    return true;
}

bool readPressure(std::string_view g, Observation& obs) {
    if (g.size() != 5 || (g[0] != 'A' && g[0] != 'Q')) {
        return false;
    }
    const std::string_view v = g.substr(1);
    if (allSlashes(v)) {
        return true;
    }
    if (!isDigitsOnly(v)) {
        return false;
    }
    const double hpa = g[0] == 'Q' ? digitsValue(v) : digitsValue(v) / 100.0 * kHpaPerInch;
    if (hpa < kLowestHpa || hpa > kHighestHpa) {
        obs.rejected.push_back(std::string(g) + ": outside 850-1090 hPa");
        return true;
    }
    if (g[0] == 'Q') {
        obs.qnhHectopascals = digitsValue(v);
    } else {
        obs.altimeterInches = digitsValue(v) / 100.0;
    }
    return true;
}

std::optional<double> tenthsOf(std::string_view g) {
    if (g.size() != 4 || (g[0] != '0' && g[0] != '1') || !isDigitsOnly(g)) {
        return std::nullopt;
    }
    return digitsValue(g.substr(1)) / 10.0 * (g[0] == '1' ? -1 : 1);
}

void readRemark(std::string_view g, Observation& obs) {
    // T01720161: 17.2 and 16.1 degrees, the leading 0 or 1 the sign. The dew point may be
    // left out (T0172) or given as slashes (T0172////).
    if ((g.size() == 5 || g.size() == 9) && g[0] == 'T') {
        const std::optional<double> t = tenthsOf(g.substr(1, 4));
        const std::optional<double> d = g.size() == 9 ? tenthsOf(g.substr(5)) : std::nullopt;
        if (!t || (g.size() == 9 && !d && g.substr(5) != "////")) {
            return;
        }
        // Only when they agree with the body's whole degrees: a T group from another hour
        // or a typing slip must not replace what the body says.
        const auto agrees = [](std::optional<double> body, std::optional<double> tenths) {
            return !body || !tenths || std::fabs(*body - *tenths) <= 1.0;
        };
        if (agrees(obs.temperature, t) && agrees(obs.dewPoint, d)) {
            obs.temperature = t;
            if (d) {
                obs.dewPoint = d;
            }
            obs.temperatureInTenths = true;
        }
        return;
    }
    // SLP982: 998.2 hPa; SLP123: 1012.3 hPa.
    if (g.size() == 6 && g.starts_with("SLP") && isDigitsOnly(g.substr(3))) {
        const double tenths = digitsValue(g.substr(3)) / 10.0;
        obs.seaLevelPressure = tenths + (tenths < 50 ? 1000 : 900);
    }
}

bool isTrendStart(std::string_view g) {
    return g == "TEMPO" || g == "BECMG" || g == "FCST" || g == "INTER" ||
           (g.size() >= 6 && g.starts_with("FM") && isDigitsOnly(g.substr(2)));
}

// Groups a report may carry that hold nothing this reading keeps.
bool isIgnorable(std::string_view g) {
    return g == "METAR" || g == "SPECI" || g == "NIL" || g == "RTD" || g == "AMD" || g == "WS" ||
           g == "ALL" || g == "RWY" || g.starts_with("CCA") ||
           (g.size() >= 3 && g[0] == 'W' && isAsciiDigit(g[1]) && g.find('/') != g.npos) ||
           (g.size() >= 2 && g[0] == 'R' && isAsciiDigit(g[1]) && g.find('/') == g.npos) ||
           g == "NOSIG" || allSlashes(g) || isDigitsOfLength(g, 8);  // runway state
}

void checkTemperatures(Observation& obs) {
    const auto outOfAir = [](std::optional<double> t) { return t && (*t < -90 || *t > 60); };
    if (outOfAir(obs.temperature)) {
        obs.rejected.push_back("temperature " + std::to_string(int(*obs.temperature)) +
                               ": outside -90 to 60 C");
        obs.temperature.reset();
    }
    if (outOfAir(obs.dewPoint)) {
        obs.dewPoint.reset();
    }
    if (obs.temperature && obs.dewPoint && *obs.dewPoint > *obs.temperature + 1.0) {
        obs.rejected.push_back("dew point above the temperature");
        obs.dewPoint.reset();
    }
}

}  // namespace

std::optional<int> Observation::ceilingFeet() const {
    std::optional<int> lowest;
    for (const CloudLayer& l : layers) {
        if ((l.cover == "BKN" || l.cover == "OVC" || l.cover == "VV") && l.baseFeet &&
            (!lowest || *l.baseFeet < *lowest)) {
            lowest = l.baseFeet;
        }
    }
    return lowest;
}

std::optional<double> Observation::pressureHectopascals() const {
    if (qnhHectopascals) {
        return qnhHectopascals;
    }
    if (altimeterInches) {
        return *altimeterInches * kHpaPerInch;
    }
    return std::nullopt;
}

Observation readObservation(std::string_view report) {
    Observation obs;
    std::vector<std::string> joined;
    const std::vector<std::string_view> groups = joinSplitGroups(splitGroups(report), joined);

    std::size_t i = 0;
    while (i < groups.size() && (groups[i] == "METAR" || groups[i] == "SPECI")) {
        ++i;
    }
    if (i >= groups.size() || !text::isStationIdentifier(groups[i], 3, 4)) {
        return obs;
    }
    obs.id = std::string(groups[i++]);

    bool remarks = false;
    bool trend = false;
    for (; i < groups.size(); ++i) {
        const std::string_view g = groups[i];
        if (g == "RMK") {
            remarks = true;
            continue;
        }
        if (remarks) {
            readRemark(g, obs);
            continue;
        }
        if (trend) {
            continue;  // a forecast for the next two hours, not what was observed
        }
        if (isTrendStart(g)) {
            trend = true;
            continue;
        }
        if (!obs.day && text::isDayTimeGroup(g)) {
            obs.day = digitsValue(g.substr(0, 2));
            obs.hour = digitsValue(g.substr(2, 2));
            obs.minute = digitsValue(g.substr(4, 2));
        } else if (g == "AUTO") {
            obs.automatic = true;
        } else if (g == "COR" || g.starts_with("CC")) {
            obs.correction = true;
        } else if (g == "NOSIG") {
            obs.noSignificantChange = true;
        } else if (g == "CAVOK") {
            obs.cavok = true;
            obs.clearSky = "CAVOK";
            obs.visibilityMetres = 9999;
            obs.visibilityMiles = 9999 / kMetresPerMile;
            obs.visibilityAbove = true;
            obs.visibilityInMetres = true;
        } else if (g == "CLR" || g == "SKC" || g == "NSC" || g == "NCD") {
            obs.clearSky = std::string(g);
        } else if (readWind(g, obs) || readVariableWind(g, obs) || readMilesVisibility(g, obs) ||
                   readMetricVisibility(g, obs) || readCloud(g, obs) || readTemperatures(g, obs) ||
                   readPressure(g, obs)) {
        } else if (isRunwayVisualRange(g)) {
            obs.runwayVisualRanges.emplace_back(g);
        } else if (g.starts_with("RE") && g.size() > 2) {
            if (auto w = weatherGroupOf(g.substr(2))) {
                obs.recentWeather.push_back(std::move(*w));
            } else {
                obs.unread.emplace_back(g);
            }
        } else if (auto w = weatherGroupOf(g)) {
            obs.weather.push_back(std::move(*w));
        } else if (!isIgnorable(g)) {
            obs.unread.emplace_back(g);
        }
    }
    checkTemperatures(obs);
    return obs;
}

FlightCategory flightCategory(const Observation& obs) {
    const std::optional<int> ceiling = obs.ceilingFeet();
    const std::optional<double> miles = obs.visibilityMiles;
    const bool skyKnown = ceiling || !obs.clearSky.empty() ||
                          std::any_of(obs.layers.begin(), obs.layers.end(),
                                      [](const CloudLayer& l) { return l.baseFeet.has_value(); });
    // As NOAA does: a report that leaves out the sky or the visibility has no category.
    if (!miles || !skyKnown) {
        return FlightCategory::Unknown;
    }
    const auto below = [](std::optional<double> v, double limit) { return v && *v < limit; };
    const double ceil = ceiling ? double(*ceiling) : 1e9;
    if (ceil < 500 || below(miles, 1)) {
        return FlightCategory::Lifr;
    }
    if (ceil < 1000 || below(miles, 3)) {
        return FlightCategory::Ifr;
    }
    if (ceil <= 3000 || (miles && *miles <= 5 && !obs.visibilityAbove)) {
        return FlightCategory::Mvfr;
    }
    return FlightCategory::Vfr;
}

const char* flightCategoryName(FlightCategory category) {
    switch (category) {
        case FlightCategory::Vfr:
            return "VFR";
        case FlightCategory::Mvfr:
            return "MVFR";
        case FlightCategory::Ifr:
            return "IFR";
        case FlightCategory::Lifr:
            return "LIFR";
        case FlightCategory::Unknown:
            break;
    }
    return "";
}

}  // namespace zephyra::weather
