// First pass over one METAR line: a positional, tolerant reader that looks for the groups it
// knows in the order a METAR gives them and skips what it does not understand.

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "platform/Random.h"
#include "weather/LineEnds.h"
#include "weather/Reports.h"
#include "weather/TextScan.h"

namespace zephyra::weather {

namespace {

using text::contains;
using text::isAsciiDigit;
using text::isDecimalNumber;

constexpr std::size_t kMaxGroups = 50;
constexpr double kInchesToHpa = 0.02953;
constexpr double kKphToKnots = 0.539957;
constexpr double kMpsToKnots = 1.943844;

// The multi-word tests below scan a group once, looking at each character for the words
// that can start there, instead of searching the group once per word.

// A wind group's unit: KT, KPH or MPS anywhere in the group.
bool hasSpeedUnit(std::string_view g) {
    for (std::size_t k = 0; k < g.size(); ++k) {
        const std::string_view rest = g.substr(k);
        if ((g[k] == 'K' && (rest.starts_with("KT") || rest.starts_with("KPH"))) ||
            (g[k] == 'M' && rest.starts_with("MPS"))) {
            return true;
        }
    }
    return false;
}

// Where the weather phenomena end: a sky word (VV, SKC, CLR, FEW, SCT, BKN, OVC) or a slash.
bool hasSkyWordOrSlash(std::string_view g) {
    for (std::size_t k = 0; k < g.size(); ++k) {
        const std::string_view rest = g.substr(k);
        switch (g[k]) {
            case '/':
                return true;
            case 'V':
                if (rest.starts_with("VV")) {
                    return true;
                }
                break;
            case 'S':
                if (rest.starts_with("SKC") || rest.starts_with("SCT")) {
                    return true;
                }
                break;
            case 'C':
                if (rest.starts_with("CLR")) {
                    return true;
                }
                break;
            case 'F':
                if (rest.starts_with("FEW")) {
                    return true;
                }
                break;
            case 'B':
                if (rest.starts_with("BKN")) {
                    return true;
                }
                break;
            case 'O':
                if (rest.starts_with("OVC")) {
                    return true;
                }
                break;
            default:
                break;
        }
    }
    return false;
}

bool hasPressureLetter(std::string_view g) {
    return std::any_of(g.begin(), g.end(), [](char c) { return c == 'A' || c == 'Q'; });
}

// 1-based substring that never reads past either end, like the classic Mid.
std::string_view mid(std::string_view text, std::size_t start, std::size_t length) {
    if (start == 0 || start > text.size()) {
        return {};
    }
    return text.substr(start - 1, length);
}

std::string_view right(std::string_view text, std::size_t length) {
    return length >= text.size() ? text : text.substr(text.size() - length);
}

// The tolerant reading of "as a number": leading blanks, a sign, digits and one decimal point;
// reading stops at the first other character and nothing readable gives 0. Very long digit
// runs may overflow to infinity; callers that keep the result check for that.
double numberOf(std::string_view text) {
    std::size_t k = 0;
    while (k < text.size() && text[k] == ' ') {
        ++k;
    }
    bool negative = false;
    if (k < text.size() && (text[k] == '-' || text[k] == '+')) {
        negative = text[k] == '-';
        ++k;
    }
    double value = 0;
    bool fraction = false;
    double scale = 0.1;
    for (; k < text.size(); ++k) {
        const char c = text[k];
        if (isAsciiDigit(c)) {
            if (!fraction) {
                value = value * 10 + (c - '0');
            } else {
                value += (c - '0') * scale;
                scale /= 10;
            }
        } else if (c == '.' && !fraction) {
            fraction = true;
        } else {
            break;
        }
    }
    return negative ? -value : value;
}

// Whole-number fields are at most a few characters wide, so the value always fits.
int wholeOf(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 1e9) {
        return 0;
    }
    // Halves go to the even neighbour, as integer assignment always did.
    return static_cast<int>(std::nearbyint(value));
}

// Digits only: "as a whole number" must convert, or the step that needs it is skipped.
std::optional<int> strictWhole(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        if (!isAsciiDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

int drawInt(platform::Random& rnd, double scale, double offset) {
    return static_cast<int>(std::floor(rnd.next() * scale + offset));
}

// A statute-mile group: "3SM", "1/4SM". Nothing when the fraction cannot be computed, in which
// case the visibility keeps what it had (the step fails, the reading goes on).
std::optional<double> statuteMiles(std::string_view group) {
    if (!group.empty() && !isAsciiDigit(group.front())) {
        group.remove_prefix(1);  // M1/4SM and P6SM read as 1/4SM and 6SM
    }
    const auto sm = group.find("SM");
    const auto slash = group.find('/');
    double miles = 0;
    if (slash != std::string_view::npos) {
        if (sm == std::string_view::npos || sm < slash) {
            return std::nullopt;
        }
        const double numerator = numberOf(group.substr(0, slash));
        const double denominator = numberOf(group.substr(slash + 1, sm - slash - 1));
        if (denominator == 0) {
            return std::nullopt;
        }
        miles = numerator / denominator;
    } else {
        miles = numberOf(group.substr(0, sm));
    }
    if (!std::isfinite(miles)) {
        return std::nullopt;
    }
    return miles;
}

void readPhenomenon(std::string_view group, MetarReport& r) {
    r.obstruction = true;
    const auto adjust = [&] {
        if (contains(group, "-")) {
            --r.precipitation;
        }
        if (contains(group, "+")) {
            ++r.precipitation;
        }
    };
    if (contains(group, "TS")) {
        r.thunder = true;
        r.precipitation = 8;
        adjust();
    }
    if ((contains(group, "DZ") || contains(group, "BR")) && r.precipitation <= 3) {
        r.precipitation = 2;
        adjust();
    }
    if ((contains(group, "RA") || contains(group, "SN")) && r.precipitation <= 6) {
        r.precipitation = 5;
        adjust();
    }
    if (group == "HZ") {
        r.obstruction = false;  // haze alone does not limit the view enough to matter
    }
}

int baseFromHeight(std::string_view group) {
    const auto height = right(group, 3);
    if (height == "///") {
        return 25000;
    }
    return wholeOf(numberOf(height)) * 100;
}

// One cloud group; cover draws happen here, tops are drawn at the finish.
void readCloudGroup(std::string_view group, int& base, int& cover, platform::Random& rnd) {
    if (contains(group, "TCU")) {
        group.remove_suffix(3);
    } else if (contains(group, "CB") || contains(group, "CU")) {
        group.remove_suffix(2);
    }
    if (contains(group, "VV")) {
        cover = 8;
        base = baseFromHeight(group);
    } else if (contains(group, "SKC") || contains(group, "CLR")) {
        base = 25000;
        cover = 0;
    } else if (contains(group, "FEW")) {
        cover = drawInt(rnd, 2, 1);
        base = baseFromHeight(group);
    } else if (contains(group, "SCT")) {
        cover = drawInt(rnd, 3, 3);
        base = baseFromHeight(group);
    } else if (contains(group, "BKN")) {
        cover = drawInt(rnd, 2, 6);
        base = baseFromHeight(group);
    } else if (contains(group, "OVC")) {
        cover = 8;
        base = baseFromHeight(group);
    }
}

void readTemperature(std::string_view group, MetarReport& r) {
    // The dew point behind the "/" is not read.
    if (!group.empty() && group.front() == 'M') {
        r.temperature = -wholeOf(numberOf(mid(group, 2, 2)));
    } else {
        r.temperature = wholeOf(numberOf(mid(group, 1, 2)));
    }
    r.temperatureReported = true;
}

void readPressure(std::string_view group, MetarReport& r) {
    if (group.empty()) {
        return;
    }
    // A pressure that does not read as a whole number leaves the default.
    const auto value = strictWhole(mid(group, 2, 4));
    if (!value) {
        return;
    }
    if (group.front() == 'A') {
        r.pressure = *value / 100.0 / kInchesToHpa;
        r.pressureReported = true;
    } else if (group.front() == 'Q') {
        r.pressure = *value;
        r.pressureReported = true;
    }
}

void finishClouds(MetarReport& r, platform::Random& rnd) {
    if (r.cl2Base > 0) {
        r.cl2Top = r.cl2Base + drawInt(rnd, 1000, 200);
    }
    if (r.cl1Base > 0) {
        r.cl1Top = r.cl1Base + drawInt(rnd, 1000, 200);
    }
    // The lower layer may not reach into the upper one.
    if (r.cl2Base > 0 && r.cl1Top > r.cl2Base) {
        r.cl1Top = r.cl2Base - 1;
    }
}

bool isTemperatureGroup(std::string_view g) {
    return contains(g, "/") && !contains(g, "//") && !contains(g, "SM");
}

// The groups of one report, indexed from 1 like the report itself (group 1 is the station).
class Groups {
  public:
    explicit Groups(std::string_view line) {
        std::size_t start = 0;
        while (start < line.size() && count_ < kMaxGroups) {
            if (line.substr(start).starts_with("RMK")) {
                break;
            }
            std::size_t end = start;
            while (end < line.size() && line[end] != ' ') {
                ++end;
            }
            groups_[count_++] = line.substr(start, end - start);
            start = end + 1;
        }
    }
    bool done() const { return i > count_; }
    std::string_view& current() { return groups_[i - 1]; }
    std::string_view following() const { return i < count_ ? groups_[i] : std::string_view{}; }

    std::size_t i = 2;

  private:
    std::array<std::string_view, kMaxGroups> groups_;
    std::size_t count_ = 0;
};

// Forms of today's automated reports. A "not observed" mark never becomes a value: each of
// these gives what the report would read without it.

// "NCD" (no cloud detected) and "NSC" (no significant cloud) say what "CLR" says.
bool isNoCloudWord(std::string_view g) {
    return g == "NCD" || g == "NSC";
}

// "//////", "///CB", "//////TCU": neither cover nor height observed, so no layer.
bool isUnobservedLayer(std::string_view g) {
    return g.starts_with("///");
}

// A runway visual range group: "R24/P2000N", "R06L/0600U".
bool isRunwayRange(std::string_view g) {
    return g.size() > 4 && g[0] == 'R' && isAsciiDigit(g[1]) && isAsciiDigit(g[2]) &&
           contains(g, "/");
}

// "1000SW": the lowest visibility and its direction, behind the prevailing one.
bool isDirectionalVisibility(std::string_view g) {
    if (g.size() < 5 || g.size() > 6 || !isAsciiDigit(g[0]) || !isAsciiDigit(g[1]) ||
        !isAsciiDigit(g[2]) || !isAsciiDigit(g[3])) {
        return false;
    }
    const std::string_view direction = g.substr(4);
    return direction == "N" || direction == "NE" || direction == "E" || direction == "SE" ||
           direction == "S" || direction == "SW" || direction == "W" || direction == "NW";
}

// "Q1013", "A2992": a pressure group where a cloud or the temperature would stand.
bool isPressureGroup(std::string_view g) {
    return g.size() == 5 && (g[0] == 'A' || g[0] == 'Q') && strictWhole(g.substr(1)).has_value();
}

// A sky group standing where the visibility belongs: the station reported none.
bool startsWithSkyWord(std::string_view g) {
    for (const std::string_view word : {"FEW", "SCT", "BKN", "OVC", "VV", "SKC", "CLR"}) {
        if (g.starts_with(word)) {
            return true;
        }
    }
    return isNoCloudWord(g);
}

// A cloud group as the layer reader takes it. "BKN034///" is "BKN034" with its cloud type not
// observed; the height stays as reported. "BKN///" (height not observed) is left alone.
std::string_view layerGroup(std::string_view g) {
    if (isNoCloudWord(g)) {
        return "CLR";
    }
    const bool cover = g.starts_with("FEW") || g.starts_with("SCT") || g.starts_with("BKN") ||
                       g.starts_with("OVC");
    if (cover && g.size() > 6 && g.ends_with("///")) {
        g.remove_suffix(3);
    }
    return g;
}

enum class Next { Temperature, Pressure, Finish };

bool findsTemperatureBeforePhenomena(Groups& g);
Next readSky(Groups& g, MetarReport& r, platform::Random& rnd);

// Everything between the wind group and the temperature group. Returns where reading goes on.
Next readBody(Groups& g, MetarReport& r, platform::Random& rnd) {
    if (g.done()) {
        return Next::Finish;
    }
    // Variable direction ("210V320"); "9999NDV" is a visibility.
    if (contains(g.current(), "V") && g.current() != "CAVOK" && !g.current().ends_with("NDV") &&
        !startsWithSkyWord(g.current())) {
        ++g.i;
        if (g.done()) {
            return Next::Finish;
        }
    }

    // Visibility; "NDV" (no directional variation) behind it changes nothing.
    std::string_view vis = g.current();
    if (vis.size() > 3 && vis.ends_with("NDV")) {
        vis.remove_suffix(3);
    }
    bool visibilityGroup = true;
    if (contains(vis, "SM")) {
        if (const auto miles = statuteMiles(vis)) {
            r.visibility = *miles;
            r.visibilityReported = true;
        }
    } else if (isDecimalNumber(vis)) {
        const std::string_view after = g.following();
        const double whole = numberOf(vis);
        if (contains(after, "SM") && contains(after, "/")) {
            // "1 1/2SM"
            if (const auto fraction = statuteMiles(after); fraction && std::isfinite(whole)) {
                r.visibility = whole + *fraction;
                r.visibilityReported = true;
            }
            ++g.i;
        } else if (whole == 9999) {
            r.visibility = 100;
            r.visibilityReported = true;
        } else if (std::isfinite(whole)) {
            r.visibility = whole / 1600;  // metres
            r.visibilityReported = true;
        }
    } else if (vis == "CAVOK") {
        r.visibilityReported = true;
        ++g.i;
        // "CAVOK //////": the sky group that follows says nothing more.
        while (!g.done() && isUnobservedLayer(g.current())) {
            ++g.i;
        }
        if (g.done()) {
            return Next::Finish;
        }
        return isPressureGroup(g.current()) ? Next::Pressure : Next::Temperature;
    } else {
        visibilityGroup = false;
    }
    // A station that reports no visibility goes on with its sky or its pressure.
    if (!visibilityGroup && isPressureGroup(g.current())) {
        return Next::Pressure;
    }
    const bool skyNext = !visibilityGroup && startsWithSkyWord(g.current());
    if (!skyNext && findsTemperatureBeforePhenomena(g)) {
        return Next::Temperature;
    }
    if (g.done()) {
        return Next::Finish;
    }
    return readSky(g, r, rnd);
}

// From the group behind the visibility to the first phenomenon: a temperature right away, a
// directional visibility, runway ranges. True when the temperature group is found.
bool findsTemperatureBeforePhenomena(Groups& g) {
    // Temperature tests.
    if (isTemperatureGroup(g.current())) {
        return true;
    }
    ++g.i;
    if (!g.done() && isDirectionalVisibility(g.current())) {
        ++g.i;
    }
    if (g.done()) {
        return false;
    }
    const auto temperatureAfterRvr = [](std::string_view s) {
        return contains(s, "/") && !contains(s, "R") && !contains(s, "//");
    };
    if (temperatureAfterRvr(g.current())) {
        return true;
    }

    // Runway visual range.
    if (contains(g.current(), "/") && contains(g.current(), "R")) {
        ++g.i;
        // Today's reports give a range for each runway in use: the others go the same way.
        while (!g.done() && isRunwayRange(g.current())) {
            ++g.i;
        }
        if (g.done()) {
            return false;
        }
        if (temperatureAfterRvr(g.current())) {
            return true;
        }
    }

    return false;
}

// The weather phenomena and the sky, up to the temperature or the pressure.
Next readSky(Groups& g, MetarReport& r, platform::Random& rnd) {
    // Weather phenomena, up to the first sky or slash group.
    // "//" (present weather not observed) is no phenomenon; "NCD" and "NSC" are sky groups.
    while (!g.done() && (g.current() == "//" ||
                         (!hasSkyWordOrSlash(g.current()) && !isNoCloudWord(g.current())))) {
        if (g.current() != "//") {
            readPhenomenon(g.current(), r);
        }
        ++g.i;
    }
    if (g.done()) {
        return Next::Finish;
    }
    if (g.current().ends_with("000")) {
        ++g.i;
        if (g.done()) {
            return Next::Finish;
        }
    }
    const auto skipUnobservedLayers = [&g] {
        while (!g.done() && isUnobservedLayer(g.current())) {
            ++g.i;
        }
        return g.done();
    };
    if (skipUnobservedLayers()) {
        return Next::Finish;
    }
    if (isTemperatureGroup(g.current())) {
        return Next::Temperature;
    }
    if (isPressureGroup(g.current())) {
        return Next::Pressure;
    }

    // Two cloud layers from two successive groups.
    const auto temperatureBetweenLayers = [](std::string_view s) {
        return contains(s, "/") && !contains(s, "//");
    };
    readCloudGroup(layerGroup(g.current()), r.cl1Base, r.cl1Cover, rnd);
    ++g.i;
    if (skipUnobservedLayers()) {
        return Next::Finish;
    }
    if (temperatureBetweenLayers(g.current())) {
        return Next::Temperature;
    }
    // No temperature reported: "CLR A3005".
    if (isPressureGroup(g.current())) {
        return Next::Pressure;
    }
    readCloudGroup(layerGroup(g.current()), r.cl2Base, r.cl2Cover, rnd);
    ++g.i;
    if (g.done()) {
        return Next::Finish;
    }
    if (temperatureBetweenLayers(g.current())) {
        return Next::Temperature;
    }
    if (g.current().ends_with("///")) {
        g.current().remove_suffix(3);
    }
    // Further layers go by, "BKN044///" and "//////CB" too.
    while (!g.done() &&
           (isUnobservedLayer(g.current()) ||
            (!contains(layerGroup(g.current()), "/") && !hasPressureLetter(g.current())))) {
        ++g.i;
    }
    if (g.done()) {
        return Next::Finish;
    }
    return hasPressureLetter(g.current()) ? Next::Pressure : Next::Temperature;
}

}  // namespace

MetarLine decodeMetarLine(std::string_view line, platform::Random& rnd) {
    MetarLine out;
    MetarReport& r = out.report;

    line = cleanReportLine(line);
    if (line.starts_with("METAR")) {
        line.remove_prefix(std::min<std::size_t>(6, line.size()));
    }
    // A report begins with a four-character identifier and one blank.
    if (line.empty() || isAsciiDigit(line.front()) ||
        (!contains(line, "/") && !contains(line, "KT")) || line.find(' ') != 4 || line[3] == ' ') {
        return out;
    }
    // ... and its day and time right behind: text that merely has a short first word and a
    // slash is not a report.
    Groups g(line);
    if (!text::isStationIdentifier(line.substr(0, 4), 4, 4) || g.done() ||
        !text::isDayTimeGroup(g.current())) {
        return out;
    }
    r.id = std::string(line.substr(0, 4));

    // Wind: the first group with a speed unit; a report without one is not stored.
    while (!g.done() && !hasSpeedUnit(g.current())) {
        ++g.i;
    }
    if (g.done()) {
        out.outcome = MetarLine::Outcome::Dropped;
        return out;
    }
    out.outcome = MetarLine::Outcome::Report;
    const std::string_view wind = g.current();
    r.windDirection = contains(wind, "RB") ? 0 : wholeOf(numberOf(mid(wind, 1, 3)));
    const double speed = numberOf(mid(wind, 4, 2));
    // Speeds are kept in knots whatever unit the station reports.
    const double factor = contains(wind, "KT")    ? 1.0
                          : contains(wind, "KPH") ? kKphToKnots
                                                  : kMpsToKnots;
    r.windSpeed = wholeOf(speed * factor);
    r.gust = contains(wind, "G");
    ++g.i;

    Next next = readBody(g, r, rnd);
    if (next == Next::Temperature) {
        readTemperature(g.current(), r);
        ++g.i;
        next = g.done() ? Next::Finish : Next::Pressure;
    }
    if (next == Next::Pressure) {
        readPressure(g.current(), r);
    }
    finishClouds(r, rnd);
    return out;
}

}  // namespace zephyra::weather
