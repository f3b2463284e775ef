#include "weather/NoaaAgreement.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

#include "platform/Random.h"
#include "weather/NoaaProducts.h"
#include "weather/Observation.h"
#include "weather/Reports.h"

namespace zephyra::weather {

namespace {

// A decoded column's number; nothing for an empty or unreadable field.
std::optional<double> numberIn(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// A group of the report body (station and remarks left out) ending in this unit.
bool hasGroupEnding(std::string_view report, std::string_view unit) {
    bool first = true;
    while (!report.empty()) {
        const auto blank = report.find(' ');
        const std::string_view group = report.substr(0, blank);
        report = blank == std::string_view::npos ? std::string_view{} : report.substr(blank + 1);
        if (first) {
            first = false;
            continue;
        }
        if (group == "RMK") {
            return false;
        }
        if (group.size() > unit.size() && group.ends_with(unit)) {
            return true;
        }
    }
    return false;
}

bool coverMatches(const std::string& cover, int eighths) {
    return (cover == "FEW" && eighths >= 1 && eighths <= 2) ||
           (cover == "SCT" && eighths >= 3 && eighths <= 5) ||
           (cover == "BKN" && eighths >= 6 && eighths <= 7) || (cover == "OVC" && eighths == 8);
}

// Present weather as NOAA writes it: one group per phenomenon, each with the group's
// intensity and descriptor ("-SHRASN" is "-SHRA -SHSN"), unknown precipitation without one.
std::string noaaWeather(const Observation& obs) {
    std::string out;
    for (const WeatherGroup& g : obs.weather) {
        const auto add = [&out](const std::string& text) {
            out += (out.empty() ? "" : " ") + text;
        };
        if (g.phenomena.empty()) {
            add(g.intensity + g.descriptor);
        }
        for (const std::string& p : g.phenomena) {
            add((p == "UP" ? std::string() : g.intensity) + g.descriptor + p);
        }
    }
    return out;
}

// Tallies the full reading of each row against the decoded columns.
class FullComparison {
  public:
    explicit FullComparison(std::size_t skyPairs) : skyPairs_(skyPairs) {
        for (std::size_t i = 0; i < skyPairs; ++i) {
            skyFields_.push_back({"sky cover " + std::to_string(i + 1)});
            baseFields_.push_back({"cloud base " + std::to_string(i + 1)});
        }
    }
    std::size_t layers() const { return skyPairs_; }

    template <class At>
    void add(const Observation& o, const At& at,
             const std::vector<std::pair<std::string, std::string>>& sky, bool hasCategory) {
        const double degreeSlack = o.temperatureInTenths ? 0.05 : 0.5;
        number(temperature_, o.temperature, at("temp_c"), degreeSlack);
        number(dewPoint_, o.dewPoint, at("dewpoint_c"), degreeSlack);
        std::optional<double> dir;
        if (o.windDirection) {
            dir = *o.windDirection % 360;
        } else if (o.windVariable || (o.windSpeedKnots && *o.windSpeedKnots == 0)) {
            dir = 0;  // NOAA's VRB and calm
        }
        std::optional<double> noaaDir = numberIn(at("wind_dir_degrees"));
        if (noaaDir) {
            noaaDir = std::fmod(*noaaDir, 360.0);
        }
        compare(direction_, dir, noaaDir, 0.5);
        number(speed_, asDouble(o.windSpeedKnots), at("wind_speed_kt"), 1.0);
        number(gust_, asDouble(o.gustKnots), at("wind_gust_kt"), 1.0);
        std::optional<double> miles = o.visibilityMiles;
        if (miles && o.visibilityInMetres) {
            miles = std::round(*miles * 100) / 100;
        }
        number(visibility_, miles, at("visibility_statute_mi"), 0.005 + 1e-9);
        // NOAA's column converts the Q group where a report gives both.
        std::optional<double> inches = o.altimeterInches;
        if (o.qnhHectopascals) {
            inches = *o.qnhHectopascals / 33.8639;
        }
        number(altimeter_, inches, at("altim_in_hg"), 0.011);
        number(seaLevel_, o.seaLevelPressure, at("sea_level_pressure_mb"), 0.05 + 1e-9);
        // Layers as NOAA lists them: known covers with known bases, a vertical visibility as
        // OVX at 0, clear words as CLR (SKC stays SKC) when no layer is given.
        std::vector<std::pair<std::string, std::string>> ours;
        for (const CloudLayer& l : o.layers) {
            if (l.cover == "VV") {
                ours.emplace_back("OVX", "0");
            } else if (!l.cover.empty() && l.baseFeet) {
                ours.emplace_back(l.cover, std::to_string(*l.baseFeet));
            }
        }
        if (ours.empty() && !o.clearSky.empty()) {
            ours.emplace_back(o.clearSky == "SKC" || o.clearSky == "CAVOK" ? o.clearSky : "CLR",
                              "");
        }
        for (std::size_t i = 0; i < sky.size(); ++i) {
            const auto mine = i < ours.size() ? ours[i] : std::pair<std::string, std::string>();
            text(skyFields_[i], mine.first, sky[i].first);
            if (!sky[i].second.empty() || !mine.second.empty()) {
                text(baseFields_[i], mine.second, sky[i].second);
            }
        }
        number(verticalVisibility_, asDouble(o.verticalVisibilityFeet), at("vert_vis_ft"), 0.5);
        text(weather_, noaaWeather(o), at("wx_string"));
        if (hasCategory) {
            text(category_, flightCategoryName(flightCategory(o)), at("flight_category"));
        }
    }

    std::vector<FieldAgreement> fields(const std::map<std::string, std::size_t>& column) const {
        std::vector<FieldAgreement> out;
        const auto keep = [&](const FieldAgreement& f, const char* name) {
            if (column.contains(name)) {
                out.push_back(f);
            }
        };
        keep(temperature_, "temp_c");
        keep(dewPoint_, "dewpoint_c");
        keep(direction_, "wind_dir_degrees");
        keep(speed_, "wind_speed_kt");
        keep(gust_, "wind_gust_kt");
        keep(visibility_, "visibility_statute_mi");
        keep(altimeter_, "altim_in_hg");
        keep(seaLevel_, "sea_level_pressure_mb");
        for (std::size_t i = 0; i < skyPairs_; ++i) {
            out.push_back(skyFields_[i]);
            out.push_back(baseFields_[i]);
        }
        keep(verticalVisibility_, "vert_vis_ft");
        keep(weather_, "wx_string");
        keep(category_, "flight_category");
        return out;
    }

  private:
    template <class T>
    static std::optional<double> asDouble(const std::optional<T>& v) {
        return v ? std::optional<double>(double(*v)) : std::nullopt;
    }
    static void compare(FieldAgreement& f, std::optional<double> ours, std::optional<double> noaa,
                        double slack) {
        if (!noaa) {
            f.oursOnly += ours ? 1 : 0;
            return;
        }
        f.total++;
        f.agree += ours && std::fabs(*ours - *noaa) <= slack ? 1 : 0;
    }
    static void number(FieldAgreement& f, std::optional<double> ours, const std::string& noaa,
                       double slack) {
        compare(f, ours, numberIn(noaa), slack);
    }
    static void text(FieldAgreement& f, const std::string& ours, const std::string& noaa) {
        if (noaa.empty()) {
            f.oursOnly += ours.empty() ? 0 : 1;
            if (ours.empty()) {
                f.total++;  // both say nothing: they agree
                f.agree++;
            }
            return;
        }
        f.total++;
        f.agree += ours == noaa ? 1 : 0;
    }

    std::size_t skyPairs_;
    FieldAgreement temperature_{"temperature (0.1 C with a T group)"}, dewPoint_{"dew point"},
        direction_{"wind direction"}, speed_{"wind speed (within 1 kt)"},
        gust_{"gust (within 1 kt)"}, visibility_{"visibility (statute miles)"},
        altimeter_{"altimeter"}, seaLevel_{"sea-level pressure"},
        verticalVisibility_{"vertical visibility"}, weather_{"present weather"},
        category_{"flight category"};
    std::vector<FieldAgreement> skyFields_, baseFields_;
};

}  // namespace

std::optional<NoaaAgreement> compareWithNoaa(std::string_view csvText) {
    const auto header = csvHeaderStart(csvText);
    if (!header) {
        return std::nullopt;
    }
    const auto rows = readCsvRows(csvText.substr(*header));
    if (rows.empty()) {
        return std::nullopt;  // a quote left open in the header ran it past its bounds
    }
    std::map<std::string, std::size_t> column;
    for (std::size_t c = 0; c < rows.front().size(); ++c) {
        column.emplace(rows.front()[c], c);  // the first of the repeated sky columns wins
    }
    // NOAA's shorter layout has no cloud columns; the columns a file has are compared.
    if (!column.contains("raw_text") || !column.contains("temp_c")) {
        return std::nullopt;
    }
    std::vector<std::size_t> skyColumns, baseColumns;
    for (std::size_t c = 0; c < rows.front().size(); ++c) {
        if (rows.front()[c] == "sky_cover") {
            skyColumns.push_back(c);
        } else if (rows.front()[c] == "cloud_base_ft_agl") {
            baseColumns.push_back(c);
        }
    }
    FullComparison full(std::min(skyColumns.size(), baseColumns.size()));

    NoaaAgreement a;
    FieldAgreement direction{"wind direction (KT)"}, speed{"wind speed (KT)"}, gust{"gust (KT)"},
        otherUnits{"wind speed (MPS, KPH; within 1 kt)"}, visibility{"visibility (SM reports)"},
        temperature{"temperature"}, pressure{"pressure"}, cover{"first cloud cover"},
        base{"first cloud base"};
    platform::DefaultRandom rnd;
    for (std::size_t k = 1; k < rows.size(); ++k) {
        const auto& row = rows[k];
        const auto at = [&](const char* name) -> const std::string& {
            static const std::string empty;
            const auto c = column.find(name);
            return c != column.end() && c->second < row.size() ? row[c->second] : empty;
        };
        const std::string& raw = at("raw_text");
        if (raw.empty()) {
            continue;
        }
        ++a.rows;
        const auto cell = [&row](std::size_t c) -> std::string {
            return c < row.size() ? row[c] : std::string();
        };
        std::vector<std::pair<std::string, std::string>> layers;
        for (std::size_t i = 0; i < full.layers(); ++i) {
            layers.emplace_back(cell(skyColumns[i]), cell(baseColumns[i]));
        }
        full.add(readObservation(raw), at, layers, column.contains("flight_category"));
        const MetarLine decoded = decodeMetarLine(raw, rnd);
        if (decoded.outcome != MetarLine::Outcome::Report) {
            continue;
        }
        ++a.reports;
        const MetarReport& r = decoded.report;

        const auto noaaSpeed = numberIn(at("wind_speed_kt"));
        if (hasGroupEnding(raw, "KT")) {
            if (const auto d = numberIn(at("wind_dir_degrees"))) {
                direction.total++;
                direction.agree += r.windDirection == *d ? 1 : 0;
            }
            if (noaaSpeed) {
                speed.total++;
                speed.agree += r.windSpeed == *noaaSpeed ? 1 : 0;
                gust.total++;
                gust.agree += r.gust == !at("wind_gust_kt").empty() ? 1 : 0;
            }
        } else if (noaaSpeed) {
            otherUnits.total++;
            otherUnits.agree += std::fabs(r.windSpeed - *noaaSpeed) <= 1 ? 1 : 0;
        }
        if (const auto v = numberIn(at("visibility_statute_mi")); v && hasGroupEnding(raw, "SM")) {
            visibility.total++;
            visibility.agree += std::fabs(r.visibility - *v) < 0.01 ? 1 : 0;
        }
        if (const auto t = numberIn(at("temp_c"))) {
            temperature.total++;
            temperature.agree += std::fabs(r.temperature - *t) <= 0.5 + 1e-9 ? 1 : 0;
        }
        if (const auto p = numberIn(at("altim_in_hg"))) {
            pressure.total++;
            pressure.agree += std::fabs(r.pressure * 0.02953 - *p) < 0.015 ? 1 : 0;
        }
        const std::string& sky = at("sky_cover");
        const auto height = numberIn(at("cloud_base_ft_agl"));
        if ((sky == "FEW" || sky == "SCT" || sky == "BKN" || sky == "OVC") && height) {
            cover.total++;
            cover.agree += coverMatches(sky, r.cl1Cover) ? 1 : 0;
            base.total++;
            base.agree += r.cl1Base == *height ? 1 : 0;
        }
    }
    a.fields = {direction, speed, gust, otherUnits, visibility, temperature, pressure};
    if (!skyColumns.empty()) {
        a.fields.push_back(cover);
        a.fields.push_back(base);
    }
    a.fullFields = full.fields(column);
    return a;
}

}  // namespace zephyra::weather
