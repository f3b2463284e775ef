#include "weather/NoaaAgreement.h"

#include <cmath>
#include <cstdlib>
#include <map>

#include "platform/Random.h"
#include "weather/NoaaProducts.h"
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
    for (const char* name :
         {"raw_text", "temp_c", "wind_dir_degrees", "wind_speed_kt", "wind_gust_kt",
          "visibility_statute_mi", "altim_in_hg", "sky_cover", "cloud_base_ft_agl"}) {
        if (!column.contains(name)) {
            return std::nullopt;
        }
    }

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
            const auto c = column.at(name);
            return c < row.size() ? row[c] : empty;
        };
        const std::string& raw = at("raw_text");
        if (raw.empty()) {
            continue;
        }
        ++a.rows;
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
    a.fields = {direction, speed, gust, otherUnits, visibility, temperature, pressure, cover, base};
    return a;
}

}  // namespace zephyra::weather
