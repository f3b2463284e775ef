// The readers of a report's weather groups, shared by the METAR's full reading and the TAF's:
// each takes one group and, when the group has its form, fills the observation and says so.

#include "weather/ObservationGroups.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "weather/TextScan.h"

namespace zephyra::weather::groups {

namespace {

using text::isAsciiDigit;
using text::isDigitsOnly;

constexpr double kKphToKnots = 0.539957;
constexpr double kMpsToKnots = 1.943844;
constexpr std::size_t kMaxLayers = 6;
constexpr int kHighestBase = 60000;

}  // namespace

int digitsValue(std::string_view digits) {
    int v = 0;
    for (const char c : digits) {
        v = v * 10 + (c - '0');
    }
    return v;
}

bool isDigitsOfLength(std::string_view text, std::size_t n) {
    return text.size() == n && isDigitsOnly(text);
}

bool allSlashes(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c == '/'; });
}

std::vector<std::string_view> splitGroups(std::string_view line, std::size_t maxGroups) {
    std::vector<std::string_view> groups;
    groups.reserve(32);
    std::size_t k = 0;
    while (k < line.size() && groups.size() < maxGroups) {
        while (k < line.size() && (line[k] == ' ' || line[k] == '\t' || line[k] == '\r')) {
            ++k;
        }
        const std::size_t start = k;
        while (k < line.size() && line[k] != ' ' && line[k] != '\t' && line[k] != '\r') {
            ++k;
        }
        if (k > start) {
            std::string_view g = line.substr(start, k - start);
            while (!g.empty() && g.back() == '=') {
                g.remove_suffix(1);  // the end-of-report mark of bulletins
            }
            if (!g.empty()) {
                groups.push_back(g);
            }
        }
    }
    return groups;
}

// "A29" "92" and "Q10" "16": a pressure group split by a blank is read whole. Each joined
// group is kept in store so the views stay valid.
std::vector<std::string_view> joinSplitGroups(const std::vector<std::string_view>& groups,
                                              std::vector<std::string>& store) {
    std::vector<std::string_view> out;
    out.reserve(groups.size());
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const std::string_view g = groups[i];
        const bool next = i + 1 < groups.size();
        const bool splitPressure = g.size() == 3 && (g[0] == 'A' || g[0] == 'Q') &&
                                   isDigitsOnly(g.substr(1)) && next &&
                                   isDigitsOfLength(groups[i + 1], 2);
        // "1 1/2SM": whole miles and a fraction.
        const bool splitMiles = next && g.size() == 1 && isAsciiDigit(g[0]) &&
                                groups[i + 1].size() >= 5 && groups[i + 1].ends_with("SM") &&
                                groups[i + 1].find('/') != std::string_view::npos &&
                                isAsciiDigit(groups[i + 1][0]);
        if (splitPressure || splitMiles) {
            if (store.empty()) {
                store.reserve(groups.size());  // never moves a string a view points into
            }
            store.push_back(std::string(g) + (splitMiles ? " " : "") + std::string(groups[i + 1]));
            out.push_back(store.back());
            ++i;
        } else {
            out.push_back(g);
        }
    }
    return out;
}

// "12", "1/2", "1 1/2": miles as a number; nothing when the text is not one of those.
namespace {

std::optional<double> milesOf(std::string_view text) {
    double whole = 0;
    const std::size_t blank = text.find(' ');
    if (blank != std::string_view::npos) {
        if (!isDigitsOnly(text.substr(0, blank))) {
            return std::nullopt;
        }
        whole = digitsValue(text.substr(0, blank));
        text = text.substr(blank + 1);
    }
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) {
        return blank == std::string_view::npos && isDigitsOnly(text) && text.size() <= 3
                   ? std::optional<double>(digitsValue(text))
                   : std::nullopt;
    }
    const std::string_view num = text.substr(0, slash);
    const std::string_view den = text.substr(slash + 1);
    if (!isDigitsOnly(num) || !isDigitsOnly(den) || num.size() > 2 || den.size() > 2 ||
        digitsValue(den) == 0) {
        return std::nullopt;
    }
    return whole + double(digitsValue(num)) / digitsValue(den);
}

}  // namespace

bool readWind(std::string_view g, Observation& obs) {
    double factor = 1;
    std::string_view body;
    if (isDigitsOfLength(g, 5) && !obs.windSpeedKnots && !obs.visibilityMetres &&
        digitsValue(g.substr(0, 3)) <= 360) {
        body = g;  // "36020": a wind group that lost its unit; knots are meant
    } else if (g.ends_with("KT")) {
        body = g.substr(0, g.size() - 2);
    } else if (g.ends_with("KMH") || g.ends_with("KPH")) {
        body = g.substr(0, g.size() - 3);
        factor = kKphToKnots;
    } else if (g.ends_with("MPS")) {
        body = g.substr(0, g.size() - 3);
        factor = kMpsToKnots;
    } else {
        return false;
    }
    if (body.size() < 5) {
        return false;
    }
    const std::string_view dir = body.substr(0, 3);
    std::string_view rest = body.substr(3);
    std::string_view gust;
    if (const std::size_t gp = rest.find('G'); gp != std::string_view::npos) {
        gust = rest.substr(gp + 1);
        rest = rest.substr(0, gp);
        if (!(isDigitsOnly(gust) && gust.size() >= 2 && gust.size() <= 3) && !allSlashes(gust)) {
            return false;
        }
    }
    if (rest.starts_with('P')) {
        rest.remove_prefix(1);  // P99KT: 100 kt or more
    }
    const bool speedKnown = isDigitsOnly(rest) && rest.size() >= 2 && rest.size() <= 3;
    if (!speedKnown && !(rest == "//" || rest == "///")) {
        return false;
    }
    const bool dirKnown = isDigitsOnly(dir);
    if (!dirKnown && dir != "VRB" && dir != "///") {
        return false;
    }
    const auto knots = [factor](std::string_view v) {
        return int(std::lround(digitsValue(v) * factor));
    };
    if (speedKnown) {
        obs.windSpeedKnots = knots(rest);
    }
    if (dirKnown && digitsValue(dir) <= 360) {
        const int d = digitsValue(dir);
        if (d != 0 || !obs.windSpeedKnots || *obs.windSpeedKnots != 0) {
            obs.windDirection = d == 0 ? 360 : d;
        }
    }
    obs.windVariable = dir == "VRB";
    if (isDigitsOnly(gust)) {
        obs.gustKnots = knots(gust);
    }
    return true;
}

bool readVariableWind(std::string_view g, Observation& obs) {
    if (g.size() != 7 || g[3] != 'V' || !isDigitsOnly(g.substr(0, 3)) ||
        !isDigitsOnly(g.substr(4))) {
        return false;
    }
    obs.variableFrom = digitsValue(g.substr(0, 3));
    obs.variableTo = digitsValue(g.substr(4));
    return true;
}

bool readMilesVisibility(std::string_view g, Observation& obs) {
    if (!g.ends_with("SM") || g.size() < 3) {
        return false;
    }
    std::string_view v = g.substr(0, g.size() - 2);
    bool below = false;
    bool above = false;
    if (v.starts_with('M')) {
        below = true;
        v.remove_prefix(1);
    } else if (v.starts_with('P')) {
        above = true;
        v.remove_prefix(1);
    }
    if (allSlashes(v)) {
        return true;  // reported as missing
    }
    const std::optional<double> miles = milesOf(v);
    if (!miles) {
        return false;
    }
    obs.visibilityMiles = *miles;
    obs.visibilityMetres = int(std::lround(*miles * kMetresPerMile));
    obs.visibilityBelow = below;
    obs.visibilityAbove = above;
    return true;
}

namespace {

bool isCompassPoint(std::string_view d) {
    static constexpr std::array<std::string_view, 8> kPoints = {"N", "NE", "E", "SE",
                                                                "S", "SW", "W", "NW"};
    return std::find(kPoints.begin(), kPoints.end(), d) != kPoints.end();
}

}  // namespace

// "0800", "9999", "1500SW", "4000NDV"; a second such group gives the minimum visibility.
bool readMetricVisibility(std::string_view g, Observation& obs) {
    if (g.size() < 4) {
        return false;
    }
    const std::string_view digits = g.substr(0, 4);
    const std::string_view tail = g.substr(4);
    if (!(isDigitsOnly(digits) || digits == "////") ||
        !(tail.empty() || tail == "NDV" || isCompassPoint(tail))) {
        return false;
    }
    if (digits == "////") {
        return true;
    }
    const int metres = digitsValue(digits);
    if (!obs.visibilityMetres) {
        obs.visibilityMetres = metres;
        obs.visibilityMiles = metres / kMetresPerMile;
        obs.visibilityAbove = metres == 9999;
        obs.visibilityInMetres = true;
        obs.minimumVisibilityDirection.clear();
    } else if (!obs.minimumVisibilityMetres) {
        obs.minimumVisibilityMetres = metres;
        obs.minimumVisibilityDirection = tail == "NDV" ? "" : std::string(tail);
    } else {
        return false;
    }
    return true;
}

namespace {

bool takeWord(std::string_view& g, std::initializer_list<std::string_view> words,
              std::string* out) {
    for (const std::string_view w : words) {
        if (g.starts_with(w)) {
            if (out) {
                *out = std::string(w);
            }
            g.remove_prefix(w.size());
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<WeatherGroup> weatherGroupOf(std::string_view g) {
    static const std::initializer_list<std::string_view> kDescriptors = {"MI", "PR", "BC", "DR",
                                                                         "BL", "SH", "TS", "FZ"};
    static const std::initializer_list<std::string_view> kPhenomena = {
        "DZ", "RA", "SN", "SG", "IC", "PL", "GR", "GS", "UP", "BR", "FG",
        "FU", "VA", "DU", "SA", "HZ", "PY", "PO", "SQ", "FC", "SS", "DS"};
    WeatherGroup w;
    w.text = std::string(g);
    if (!takeWord(g, {"-", "+", "VC"}, &w.intensity)) {
        w.intensity.clear();
    }
    takeWord(g, kDescriptors, &w.descriptor);
    std::string phenomenon;
    while (takeWord(g, kPhenomena, &phenomenon)) {
        w.phenomena.push_back(phenomenon);
    }
    if (!g.empty() || (w.descriptor.empty() && w.phenomena.empty())) {
        return std::nullopt;
    }
    return w;
}

bool readCloud(std::string_view g, Observation& obs) {
    std::string cover;
    std::string_view rest = g;
    if (takeWord(rest, {"FEW", "SCT", "BKN", "OVC"}, &cover)) {
    } else if (rest.starts_with("VV")) {
        cover = "VV";
        rest.remove_prefix(2);
    } else if (rest.starts_with("///") && rest.size() >= 6) {
        rest.remove_prefix(3);  // cover not known, as automatic stations write it
    } else {
        return false;
    }
    if (rest.size() < 3) {
        return false;
    }
    const std::string_view height = rest.substr(0, 3);
    const std::string_view type = rest.substr(3);
    if (!(isDigitsOnly(height) || height == "///") ||
        !(type.empty() || type == "CB" || type == "TCU" || type == "///")) {
        return false;
    }
    if (cover.empty() && height == "///") {
        return true;  // nothing known of the layer at all
    }
    CloudLayer layer;
    layer.cover = cover;
    if (isDigitsOnly(height)) {
        const int base = digitsValue(height) * 100;
        if (base > kHighestBase) {
            obs.rejected.push_back(std::string(g) + ": base above 60,000 ft");
        } else {
            layer.baseFeet = base;
        }
    }
    if (type == "CB" || type == "TCU") {
        layer.type = std::string(type);
    }
    if (cover == "VV") {
        obs.verticalVisibilityFeet = layer.baseFeet;
    }
    if (obs.layers.empty()) {
        obs.layers.reserve(kMaxLayers);
    }
    if (obs.layers.size() < kMaxLayers) {
        obs.layers.push_back(std::move(layer));
    }
    return true;
}

}  // namespace zephyra::weather::groups
