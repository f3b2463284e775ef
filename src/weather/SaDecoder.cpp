// First pass over one line of the older surface-aviation (SA) format: header, sky and
// visibility, then the slash group. Unlike the METAR reader it is strict: anything that does
// not read as expected makes the whole line a format error.

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "platform/Random.h"
#include "weather/LineEnds.h"
#include "weather/Reports.h"
#include "weather/TextScan.h"

namespace zephyra::weather {

namespace {

constexpr int kClearBase = 25000;
constexpr int kClearTop = 25500;
constexpr int kNoVisibilityClear = 40;
constexpr std::string_view kDefaultPressureField = "160";

// Thrown inside the reader only; the public function turns it into "no report".
struct FormatError {};

using text::contains;
using text::isAsciiLetter;
using text::isDigitsOnly;
using text::startsWithDigit;

// A cover word may carry the "-" of a thin layer.
bool startsLikeCoverWord(std::string_view t) {
    if (!t.empty() && t.front() == '-') {
        t.remove_prefix(1);
    }
    return !t.empty() && isAsciiLetter(t.front());
}

std::string_view trimBlanks(std::string_view t) {
    while (!t.empty() && t.front() == ' ') {
        t.remove_prefix(1);
    }
    while (!t.empty() && t.back() == ' ') {
        t.remove_suffix(1);
    }
    return t;
}

// A number that must convert: blanks around it, an optional sign, digits and nothing else.
int wholeNumberOrFail(std::string_view text) {
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 9) {
        throw FormatError{};
    }
    if (!isDigitsOnly(text)) {
        throw FormatError{};
    }
    int value = 0;
    for (const char c : text) {
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

// A whole number the reader can hold: digits only, nine at most.
bool isWholeNumber(std::string_view text) {
    return isDigitsOnly(text) && text.size() <= 9;
}

// A height token: its digits, behind an optional "-" (thin) and one ceiling letter (M, E, W ...).
std::optional<int> heightOf(std::string_view t) {
    if (!t.empty() && t.front() == '-') {
        t.remove_prefix(1);
    }
    if (!t.empty() && isAsciiLetter(t.front())) {
        t.remove_prefix(1);
    }
    // Heights are hundreds of feet: three digits, four at the very most.
    if (!isWholeNumber(t) || t.size() > 4) {
        return std::nullopt;
    }
    return wholeNumberOrFail(t);
}

bool isCoverWord(std::string_view t) {
    if (!t.empty() && t.front() == '-') {
        t.remove_prefix(1);
    }
    return t == "CLR" || t == "SKC" || t == "FEW" || t == "SCT" || t == "BKN" || t == "OVC" ||
           t == "X";
}

struct Layer {
    int base = 0;
    std::string cover;
};

// Two tokens form a layer: the height (either order) and the cover word, kept as written.
Layer layerFromTokens(std::string_view a, std::string_view b) {
    const auto ha = heightOf(a);
    const auto hb = heightOf(b);
    if (ha && !hb) {
        return {*ha * 100, std::string(b)};
    }
    if (hb && !ha) {
        return {*hb * 100, std::string(a)};
    }
    throw FormatError{};
}

bool isFurtherLayer(std::string_view a, std::string_view b) {
    return (heightOf(a) && isCoverWord(b)) || (heightOf(b) && isCoverWord(a));
}

int drawTop(int base, platform::Random& rnd) {
    return base + static_cast<int>(std::floor(rnd.next() * 1000 + 200));
}

// Tokens of the line after the weather and thunder tokens are taken out.
std::vector<std::string_view> keptTokens(std::string_view line, SaReport& r) {
    std::vector<std::string_view> all;
    std::size_t start = 0;
    while (start <= line.size()) {
        const auto blank = line.find(' ', start);
        const auto end = blank == std::string_view::npos ? line.size() : blank;
        if (end > start) {
            all.push_back(line.substr(start, end - start));  // runs of blanks separate once
        }
        if (blank == std::string_view::npos) {
            break;
        }
        start = blank + 1;
    }
    std::vector<std::string_view> kept;
    for (std::size_t k = 0; k < all.size(); ++k) {
        const auto t = all[k];
        if (k + 1 == all.size()) {
            kept.push_back(t);  // the last token always stays
        } else if (t == "S" || t == "R" || t == "F" || contains(t, "S-") || contains(t, "F-") ||
                   contains(t, "R-")) {
            r.weather = true;
        } else if (((contains(t, "TR") || contains(t, "RT")) && t.size() != 3) ||
                   (contains(t, "TS") && t.size() == 2)) {
            r.weather = true;
            r.thunder = true;
        } else if (contains(t, "W-") || std::count(t.begin(), t.end(), '/') == 1) {
            // dropped without a flag
        } else {
            kept.push_back(t);
        }
    }
    return kept;
}

// "SP1432": US reports write the type and the time as one token.
bool isJoinedTypeAndTime(std::string_view t) {
    return t.size() > 2 && isAsciiLetter(t[0]) && isAsciiLetter(t[1]) && isWholeNumber(t.substr(2));
}

void readSlashGroup(std::string_view rest, SaReport& r) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (auto slash = rest.find('/'); slash != std::string_view::npos;
         slash = rest.find('/', start)) {
        fields.push_back(rest.substr(start, slash - start));
        start = slash + 1;
    }
    fields.push_back(rest.substr(start));
    const std::size_t slashes = fields.size() - 1;

    std::size_t k = 0;
    std::string_view pressureField = kDefaultPressureField;
    if (slashes >= 4) {
        pressureField = fields[k++];
        r.pressureReported = true;
    }
    if (fields.size() < k + 4) {
        throw FormatError{};  // the altimeter field is missing
    }
    // Fields of 500 and up (below 1000 hPa) are left as the formula gives them.
    r.pressure = (wholeNumberOrFail(pressureField) + 10000) / 10.0;
    r.temperature = wholeNumberOrFail(fields[k]);
    r.dewPoint = wholeNumberOrFail(fields[k + 1]);

    const std::string_view wind = fields[k + 2];
    r.windDirection = wholeNumberOrFail(std::string(wind.substr(0, 2)) + "0");
    r.windSpeed = wholeNumberOrFail(wind.substr(std::min<std::size_t>(2, wind.size()), 2));
    r.gust = wind.size() >= 5 && wind[4] == 'G';

    // Three digits of hundredths without the leading "29" or "30".
    const std::string_view altimeter = fields[k + 3].substr(0, 3);
    const int a = startsWithDigit(altimeter) ? wholeNumberOrFail(altimeter) : 0;
    r.altimeter = (a < 900 ? a + 3000 : a + 2000) / 100.0;
}

SaReport readReport(std::string_view line, platform::Random& rnd) {
    SaReport r;
    const auto tokens = keptTokens(line, r);
    const auto token = [&](std::size_t k) -> std::string_view {
        if (k >= tokens.size()) {
            throw FormatError{};
        }
        return tokens[k];
    };
    const auto exists = [&](std::size_t k) { return k < tokens.size(); };

    r.id = std::string(token(0));
    std::size_t sky = 3;
    if (isJoinedTypeAndTime(token(1))) {
        r.observation = std::string(token(1).substr(0, 2));
        r.time = std::string(token(1).substr(2));
        sky = 2;
    } else {
        r.observation = std::string(token(1));
        r.time = std::string(token(2));
    }
    // A station and a time of day make a report; any other line is skipped.
    if (!text::isStationIdentifier(r.id, 3, 5) || !text::isHourMinute(r.time)) {
        throw FormatError{};
    }

    const auto setClear = [&] {
        r.cl1Base = kClearBase;
        r.cl1Top = kClearTop;
        r.cl1CoverCode = "CLR";
        r.cl2Base = 0;
        r.cl2Top = 0;
        r.cl2CoverCode = "CLR";
    };
    // A visibility token begins with a digit; a slash group is never one.
    const auto visibilityAt = [&](std::size_t k) {
        return exists(k) && startsWithDigit(tokens[k]) && !contains(tokens[k], "/");
    };

    std::size_t skyEnd = sky;  // first token behind the layers
    const std::string_view first = token(sky);
    if (contains(first, "/")) {
        // No sky part: clear, and no visibility either (the number in front of the slash group
        // is the report's time), so the clear sky's default.
        setClear();
        r.visibility = kNoVisibilityClear;
    } else if (first == "CLR") {
        setClear();
        // A slash group right behind "CLR" is no visibility, though it begins with a digit.
        r.visibility =
            visibilityAt(sky + 1) ? wholeNumberOrFail(tokens[sky + 1]) : kNoVisibilityClear;
    } else {
        const std::string_view second = token(sky + 1);
        if (contains(second, "/")) {
            throw FormatError{};  // a layer without its height
        }
        const Layer one = layerFromTokens(first, second);
        r.cl1Base = one.base;
        r.cl1CoverCode = one.cover;
        r.cl1Top = drawTop(r.cl1Base, rnd);
        r.cl2CoverCode = "CLR";
        skyEnd = sky + 2;

        const bool third = exists(sky + 2);
        const bool fourth = exists(sky + 3);
        if (fourth && contains(tokens[sky + 3], "/")) {
            // The token in front of the slash group is the visibility: it must be a number.
            r.visibility = wholeNumberOrFail(tokens[sky + 2]);
        } else if (third && fourth && !contains(tokens[sky + 2], "/") &&
                   (startsLikeCoverWord(tokens[sky + 2]) || startsLikeCoverWord(tokens[sky + 3]))) {
            const Layer two = layerFromTokens(tokens[sky + 2], tokens[sky + 3]);
            r.cl2Base = two.base;
            r.cl2CoverCode = two.cover;
            r.cl2Top = drawTop(r.cl2Base, rnd);
            if (r.cl1Top > r.cl2Base) {
                r.cl1Top = r.cl2Base - 1;
            }
            // Layers beyond the second are passed over.
            std::size_t k = sky + 4;
            while (exists(k + 1) && isFurtherLayer(tokens[k], tokens[k + 1])) {
                k += 2;
            }
            skyEnd = k;
            if (visibilityAt(k)) {
                r.visibility = wholeNumberOrFail(tokens[k]);
            }
        }
    }

    std::size_t slash = sky;
    while (slash < tokens.size() && !contains(tokens[slash], "/")) {
        ++slash;
    }
    if (slash == tokens.size()) {
        throw FormatError{};
    }
    // A number right in front of the slash group is the visibility, unless it is the header's
    // time or a layer's height.
    if (slash > skyEnd && isWholeNumber(tokens[slash - 1])) {
        r.visibility = wholeNumberOrFail(tokens[slash - 1]);
    }
    if (r.visibility >= 10) {
        r.visibility += 10;
    }

    // The rest of the report line, from the slash group on.
    std::string rest;
    for (std::size_t k = slash; k < tokens.size(); ++k) {
        if (k > slash) {
            rest += ' ';
        }
        rest += tokens[k];
    }
    readSlashGroup(rest, r);
    return r;
}

}  // namespace

std::optional<SaReport> decodeSaLine(std::string_view line, platform::Random& rnd) {
    try {
        return readReport(cleanReportLine(line), rnd);
    } catch (const FormatError&) {
        return std::nullopt;  // the line is skipped, the load goes on
    }
}

}  // namespace zephyra::weather
