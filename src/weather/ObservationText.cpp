#include "weather/ObservationText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "weather/Estimates.h"

namespace zephyra::weather {

namespace {

constexpr double kHpaPerInch = 33.8639;

// A number with at most the given decimals and no trailing zeros ("30", "29.92", "-1.7").
std::string decimal(double v, int decimals) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    std::string s = buf;
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') {
            s.pop_back();
        }
        if (s.back() == '.') {
            s.pop_back();
        }
    }
    return s == "-0" ? "0" : s;
}

std::string jsonNumber(std::optional<double> v, int decimals) {
    return v ? decimal(*v, decimals) : "null";
}

template <class T>
std::optional<double> asDouble(const std::optional<T>& v) {
    return v ? std::optional<double>(double(*v)) : std::nullopt;
}

// The values the JSON and the lines share, each with its estimate where the report had none.
struct Values {
    std::optional<double> temperature, dewPoint, visibilityMiles, altimeterInches;
    std::vector<std::pair<std::string, std::string>> estimated;  // name, source
};

Values valuesOf(const Observation& obs, const WeatherRecord& r) {
    Values v;
    v.temperature = obs.temperature;
    v.dewPoint = obs.dewPoint;
    v.visibilityMiles = obs.visibilityMiles;
    if (const auto hpa = obs.pressureHectopascals()) {
        v.altimeterInches = obs.altimeterInches ? *obs.altimeterInches : *hpa / kHpaPerInch;
    }
    if (const std::string source = estimateSource(r, 'T'); !source.empty()) {
        // The record keeps Fahrenheit for stations whose table says so.
        v.temperature = r.TempScale == "F" ? (r.t0Deg - 32) / 1.8 : double(r.t0Deg);
        v.estimated.emplace_back("temperature", source);
    }
    if (const std::string source = estimateSource(r, 'P'); !source.empty()) {
        v.altimeterInches = r.Pressure / kHpaPerInch;
        v.estimated.emplace_back("pressure", source);
    }
    if (const std::string source = estimateSource(r, 'V'); !source.empty()) {
        v.visibilityMiles = r.Visibility;
        v.estimated.emplace_back("visibility", source);
    }
    return v;
}

// "2022-10-23T10:51Z" as stored, in full ISO 8601; anything else as it stands.
std::string isoTime(const std::string& stored) {
    if (stored.size() == 17 && stored[10] == 'T' && stored[16] == 'Z') {
        return stored.substr(0, 16) + ":00Z";
    }
    return stored;
}

std::string listOf(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        out += (i ? "," : "") + jsonQuoted(items[i]);
    }
    return out + "]";
}

std::vector<std::string> groupTexts(const std::vector<WeatherGroup>& groups) {
    std::vector<std::string> out;
    for (const auto& g : groups) {
        out.push_back(g.text);
    }
    return out;
}

std::string layerText(const CloudLayer& l) {
    std::string s = l.cover.empty() ? "cover not reported" : l.cover;
    s += l.baseFeet ? " at " + std::to_string(*l.baseFeet) + " ft" : ", height not reported";
    return s + (l.type.empty() ? "" : " " + l.type);
}

const char* wordFor(std::string_view code) {
    static constexpr std::pair<std::string_view, const char*> kWords[] = {
        {"MI", "shallow"},
        {"PR", "partial"},
        {"BC", "patches of"},
        {"DR", "low drifting"},
        {"BL", "blowing"},
        {"FZ", "freezing"},
        {"DZ", "drizzle"},
        {"RA", "rain"},
        {"SN", "snow"},
        {"SG", "snow grains"},
        {"IC", "ice crystals"},
        {"PL", "ice pellets"},
        {"GR", "hail"},
        {"GS", "small hail"},
        {"UP", "unknown precipitation"},
        {"BR", "mist"},
        {"FG", "fog"},
        {"FU", "smoke"},
        {"VA", "volcanic ash"},
        {"DU", "widespread dust"},
        {"SA", "sand"},
        {"HZ", "haze"},
        {"PY", "spray"},
        {"PO", "dust whirls"},
        {"SQ", "squalls"},
        {"FC", "funnel cloud"},
        {"SS", "sandstorm"},
        {"DS", "duststorm"}};
    for (const auto& [c, w] : kWords) {
        if (c == code) {
            return w;
        }
    }
    return "";
}

std::string thousands(int feet) {
    std::string digits = std::to_string(std::abs(feet));
    for (int k = int(digits.size()) - 3; k > 0; k -= 3) {
        digits.insert(std::size_t(k), ",");
    }
    return (feet < 0 ? "-" : "") + digits;
}

std::string heightText(int feet, bool metres) {
    return metres ? thousands(int(std::lround(feet * 0.3048 / 10.0) * 10)) + " m"
                  : thousands(feet) + " ft";
}

}  // namespace

std::string cloudInWords(const CloudLayer& l, bool metres) {
    std::string s;
    if (l.cover == "VV") {
        return l.baseFeet ? "sky obscured, vertical visibility " + heightText(*l.baseFeet, metres)
                          : "sky obscured";
    }
    s = l.cover == "FEW"   ? "few clouds"
        : l.cover == "SCT" ? "scattered"
        : l.cover == "BKN" ? "broken"
        : l.cover == "OVC" ? "overcast"
                           : "clouds of unreported cover";
    s += l.baseFeet ? " at " + heightText(*l.baseFeet, metres) : ", height not reported";
    if (l.type == "CB") {
        s += ", cumulonimbus";
    } else if (l.type == "TCU") {
        s += ", towering cumulus";
    }
    return s;
}

namespace {

// The length of the well-formed UTF-8 sequence at the start of text, 0 when there is none.
std::size_t utf8Length(std::string_view text) {
    const auto u = static_cast<unsigned char>(text[0]);
    const std::size_t n = u < 0x80             ? 1
                          : (u & 0xE0) == 0xC0 ? 2
                          : (u & 0xF0) == 0xE0 ? 3
                          : (u & 0xF8) == 0xF0 ? 4
                                               : 0;
    if (n == 0 || n > text.size() || (n == 2 && u < 0xC2) || (n == 4 && u > 0xF4)) {
        return 0;
    }
    for (std::size_t i = 1; i < n; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    const auto second = static_cast<unsigned char>(text[1]);
    if ((u == 0xE0 && second < 0xA0) || (u == 0xED && second >= 0xA0) ||
        (u == 0xF0 && second < 0x90) || (u == 0xF4 && second >= 0x90)) {
        return 0;  // overlong, a surrogate, or beyond U+10FFFF
    }
    return n;
}

}  // namespace

std::string jsonQuoted(std::string_view text) {
    std::string out = "\"";
    while (!text.empty()) {
        const char c = text[0];
        const auto u = static_cast<unsigned char>(c);
        const std::size_t n = utf8Length(text);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else if (n == 0) {
            out += "\\ufffd";  // a byte that is not UTF-8 (a Latin-1 file, junk)
        } else {
            out.append(text.substr(0, n));
        }
        text.remove_prefix(std::max<std::size_t>(n, 1));
    }
    return out + "\"";
}

std::string weatherInWords(const WeatherGroup& g) {
    std::string phenomena;
    for (std::size_t i = 0; i < g.phenomena.size(); ++i) {
        phenomena += (i == 0 ? "" : i + 1 == g.phenomena.size() ? " and " : ", ");
        phenomena += wordFor(g.phenomena[i]);
    }
    const std::string strength = g.intensity == "-" ? "light " : g.intensity == "+" ? "heavy " : "";
    std::string s;
    if (g.descriptor == "TS") {
        s = (g.intensity == "+" && phenomena.empty() ? "heavy " : "") + std::string("thunderstorm");
        if (!phenomena.empty()) {
            s += " with " + strength + phenomena;
        }
    } else if (g.descriptor == "SH") {
        s = strength + (phenomena.empty() ? "" : phenomena + " ") + "showers";
    } else if (!g.descriptor.empty()) {
        s = strength + wordFor(g.descriptor) + (phenomena.empty() ? "" : " " + phenomena);
    } else if (g.phenomena.size() == 1 && g.phenomena[0] == "FC" && g.intensity == "+") {
        s = "tornado or waterspout";
    } else {
        s = strength + phenomena;
    }
    if (g.intensity == "VC") {
        s += " in the vicinity";
    }
    return s;
}

double relativeHumidity(double t, double d) {
    const auto e = [](double x) { return std::exp(17.625 * x / (243.04 + x)); };
    return 100.0 * e(d) / e(t);
}

std::string observationInWords(const Observation& o, bool metres) {
    std::string s = "Decoded:\n";
    std::string sky;
    if (o.cavok) {
        sky = "ceiling and visibility OK (CAVOK)";
    } else if (o.clearSky == "NSC") {
        sky = "no significant cloud";
    } else if (o.clearSky == "NCD") {
        sky = "no cloud detected";
    } else if (!o.clearSky.empty()) {
        sky = "clear";
    }
    for (const CloudLayer& l : o.layers) {
        sky += (sky.empty() ? "" : "; ") + cloudInWords(l, metres);
    }
    if (!sky.empty()) {
        s += "Sky: " + sky + ".\n";
    }
    if (o.windSpeedKnots || o.windVariable) {
        std::string wind;
        if (o.windSpeedKnots && *o.windSpeedKnots == 0) {
            wind = "calm";
        } else {
            wind =
                (o.windVariable ? std::string("variable")
                                : "from " + decimal(o.windDirection.value_or(0), 0) + " degrees") +
                (o.windSpeedKnots ? " at " + decimal(*o.windSpeedKnots, 0) + " knots" : "");
        }
        if (o.gustKnots) {
            wind += ", gusting " + decimal(*o.gustKnots, 0) + " knots";
        }
        if (o.variableFrom) {
            wind += ", varying between " + decimal(*o.variableFrom, 0) + " and " +
                    decimal(*o.variableTo, 0) + " degrees";
        }
        s += "Wind: " + wind + ".\n";
    }
    if (o.visibilityMiles && !o.cavok) {
        const std::string qualifier = o.visibilityBelow   ? "less than "
                                      : o.visibilityAbove ? "at least "
                                                          : "";
        std::string vis;
        if (o.visibilityMetres && *o.visibilityMetres == 9999 && o.visibilityAbove) {
            vis = "10 km or more";
        } else if (o.visibilityMetres && o.visibilityInMetres) {
            vis = qualifier + thousands(*o.visibilityMetres) + " m";
        } else {
            vis = qualifier + decimal(*o.visibilityMiles, 2) + " statute miles";
        }
        if (o.minimumVisibilityMetres) {
            vis +=
                ", lowest " + thousands(*o.minimumVisibilityMetres) + " m" +
                (o.minimumVisibilityDirection.empty() ? ""
                                                      : " to the " + o.minimumVisibilityDirection);
        }
        s += "Visibility: " + vis + ".\n";
    }
    std::string wx;
    for (const auto& g : o.weather) {
        wx += (wx.empty() ? "" : ", ") + weatherInWords(g);
    }
    for (const auto& g : o.recentWeather) {
        wx += (wx.empty() ? "" : ", ") + ("recent " + weatherInWords(g));
    }
    if (!wx.empty()) {
        s += "Weather: " + wx + ".\n";
    }
    if (o.temperature) {
        std::string t = "Temperature " + decimal(*o.temperature, 1) + " C";
        if (o.dewPoint) {
            t += ", dew point " + decimal(*o.dewPoint, 1) + " C, relative humidity " +
                 decimal(std::round(relativeHumidity(*o.temperature, *o.dewPoint)), 0) + "%";
        }
        s += t + ".\n";
    }
    if (const char* category = flightCategoryName(flightCategory(o)); *category) {
        s += std::string("Flight category: ") + category + ".\n";
    }
    return s;
}

std::string observationJson(const Observation& o, const WeatherRecord& r) {
    const Values v = valuesOf(o, r);
    std::string j = "{";
    const auto field = [&j](const char* name, const std::string& value) {
        j += (j.size() > 1 ? "," : "") + jsonQuoted(name) + ":" + value;
    };
    field("id", jsonQuoted(r.ID));
    field("raw", jsonQuoted(r.RawText));
    field("observed", r.ObsTime.empty() ? "null" : jsonQuoted(isoTime(r.ObsTime)));
    field("temperature_c", jsonNumber(v.temperature, 1));
    field("dewpoint_c", jsonNumber(v.dewPoint, 1));
    field("wind_dir_deg", jsonNumber(asDouble(o.windDirection), 0));
    field("wind_variable", o.windVariable ? "true" : "false");
    field("wind_speed_kt", jsonNumber(asDouble(o.windSpeedKnots), 0));
    field("wind_gust_kt", jsonNumber(asDouble(o.gustKnots), 0));
    field("wind_variable_from_deg", jsonNumber(asDouble(o.variableFrom), 0));
    field("wind_variable_to_deg", jsonNumber(asDouble(o.variableTo), 0));
    field("visibility_sm", jsonNumber(v.visibilityMiles, 2));
    field("visibility_m", jsonNumber(asDouble(o.visibilityMetres), 0));
    field("visibility_qualifier", jsonQuoted(o.visibilityBelow   ? "below"
                                             : o.visibilityAbove ? "at least"
                                                                 : ""));
    field("min_visibility_m", jsonNumber(asDouble(o.minimumVisibilityMetres), 0));
    field("min_visibility_direction", jsonQuoted(o.minimumVisibilityDirection));
    field("altimeter_inhg", jsonNumber(v.altimeterInches, 2));
    field("qnh_hpa", jsonNumber(o.qnhHectopascals, 0));
    field("sea_level_pressure_hpa", jsonNumber(o.seaLevelPressure, 1));
    std::string layers = "[";
    for (std::size_t i = 0; i < o.layers.size(); ++i) {
        const CloudLayer& l = o.layers[i];
        layers += std::string(i ? "," : "") +
                  "{\"cover\":" + (l.cover.empty() ? "null" : jsonQuoted(l.cover)) +
                  ",\"base_ft_agl\":" + jsonNumber(asDouble(l.baseFeet), 0) +
                  ",\"type\":" + (l.type.empty() ? "null" : jsonQuoted(l.type)) + "}";
    }
    field("layers", layers + "]");
    field("vertical_visibility_ft", jsonNumber(asDouble(o.verticalVisibilityFeet), 0));
    field("sky_clear", o.clearSky.empty() ? "null" : jsonQuoted(o.clearSky));
    field("weather", listOf(groupTexts(o.weather)));
    field("recent_weather", listOf(groupTexts(o.recentWeather)));
    field("runway_visual_ranges", listOf(o.runwayVisualRanges));
    const char* category = flightCategoryName(flightCategory(o));
    field("flight_category", *category ? jsonQuoted(category) : "null");
    std::string estimated = "{";
    for (const auto& [name, source] : v.estimated) {
        estimated +=
            (estimated.size() > 1 ? "," : "") + jsonQuoted(name) + ":" + jsonQuoted(source);
    }
    field("estimated", estimated + "}");
    field("unread", listOf(o.unread));
    field("rejected", listOf(o.rejected));
    return j + "}";
}

std::string observationLines(const Observation& o, const WeatherRecord& r) {
    const Values v = valuesOf(o, r);
    std::string s;
    const auto line = [&s](const char* name, const std::string& value) {
        if (!value.empty()) {
            s += std::string(name) + ": " + value + "\n";
        }
    };
    const auto estimate = [&v](const char* name) {
        for (const auto& [n, source] : v.estimated) {
            if (n == name) {
                return " (estimated from " + source + ")";
            }
        }
        return std::string();
    };
    const auto opt = [](std::optional<double> x, int decimals, const char* unit) {
        return x ? decimal(*x, decimals) + unit : std::string();
    };
    line("Temperature C", opt(v.temperature, 1, "") + estimate("temperature"));
    line("Dew point C", opt(v.dewPoint, 1, ""));
    std::string wind = o.windVariable ? "variable" : opt(asDouble(o.windDirection), 0, " deg");
    if (o.windSpeedKnots) {
        wind += (wind.empty() ? "" : " ") + decimal(*o.windSpeedKnots, 0) + " kt";
    }
    if (o.gustKnots) {
        wind += " gusting " + decimal(*o.gustKnots, 0) + " kt";
    }
    if (o.variableFrom) {
        wind += ", varying " + decimal(*o.variableFrom, 0) + "-" + decimal(*o.variableTo, 0);
    }
    line("Wind", wind);
    std::string vis = opt(v.visibilityMiles, 2, " sm");
    if (!vis.empty() && o.visibilityMetres && estimate("visibility").empty()) {
        vis = std::string(o.visibilityBelow   ? "below "
                          : o.visibilityAbove ? "at least "
                                              : "") +
              vis + " (" + decimal(*o.visibilityMetres, 0) + " m)";
    }
    if (o.minimumVisibilityMetres) {
        vis += ", lowest " + decimal(*o.minimumVisibilityMetres, 0) + " m" +
               (o.minimumVisibilityDirection.empty() ? "" : " " + o.minimumVisibilityDirection);
    }
    line("Visibility", vis + estimate("visibility"));
    line("Altimeter inHg", opt(v.altimeterInches, 2, "") + estimate("pressure"));
    line("QNH hPa", opt(o.qnhHectopascals, 0, ""));
    line("Sea-level pressure hPa", opt(o.seaLevelPressure, 1, ""));
    std::string sky = o.clearSky;
    for (const CloudLayer& l : o.layers) {
        sky += (sky.empty() ? "" : ", ") + layerText(l);
    }
    line("Sky", sky);
    std::string wx;
    for (const auto& g : o.weather) {
        wx += (wx.empty() ? "" : " ") + g.text;
    }
    for (const auto& g : o.recentWeather) {
        wx += (wx.empty() ? "" : " ") + ("RE" + g.text);
    }
    line("Weather", wx);
    std::string rvr;
    for (const auto& x : o.runwayVisualRanges) {
        rvr += (rvr.empty() ? "" : " ") + x;
    }
    line("Runway visual range", rvr);
    line("Flight category", flightCategoryName(flightCategory(o)));
    std::string unread;
    for (const auto& x : o.unread) {
        unread += (unread.empty() ? "" : " ") + x;
    }
    for (const auto& x : o.rejected) {
        unread += (unread.empty() ? "" : "; ") + x;
    }
    line("Not read", unread);
    return s;
}

}  // namespace zephyra::weather
