#include "weather/WindsAloftText.h"

#include <algorithm>

#include "weather/LineEnds.h"
#include "weather/TextScan.h"

namespace zephyra::weather {

namespace {

using text::isAsciiDigit;
using text::isDigitsOnly;

constexpr int kUnsignedNegativeAbove = 24000;
constexpr std::size_t kMaxLevels = 16;
constexpr std::size_t kMaxSites = 5000;

int digits(std::string_view d) {
    int v = 0;
    for (const char c : d) {
        v = v * 10 + (c - '0');
    }
    return v;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// "VALID 080600Z   FOR USE 0200-0900Z. TEMPS NEG ABV 24000"
void readValidLine(std::string_view line, WindsAloftText& out) {
    const auto word = [&line](std::string_view after, std::size_t length) {
        const auto at = line.find(after);
        return at == std::string_view::npos
                   ? std::string()
                   : std::string(trimmed(line.substr(at + after.size(), length)));
    };
    out.valid = word("VALID ", 7);
    const std::string use = word("FOR USE ", 9);
    if (use.size() == 9 && use[4] == '-') {
        out.useFrom = use.substr(0, 4);
        out.useTo = use.substr(5, 4);
    }
}

}  // namespace

std::optional<AloftLevel> readAloftField(std::string_view field, int altitudeFeet) {
    field = trimmed(field);
    if (field.size() < 4 || !isDigitsOnly(field.substr(0, 4))) {
        return std::nullopt;
    }
    AloftLevel level;
    level.altitudeFeet = altitudeFeet;
    int dd = digits(field.substr(0, 2));
    int ff = digits(field.substr(2, 2));
    if (dd == 99 && ff == 0) {
        level.lightAndVariable = true;
        level.speedKnots = 0;
    } else {
        if (dd >= 51 && dd <= 86) {
            dd -= 50;
            ff += 100;
        }
        if (dd < 1 || dd > 36) {
            return std::nullopt;
        }
        level.direction = dd * 10;
        level.speedKnots = ff;
    }
    std::string_view t = field.substr(4);
    if (t.empty()) {
        return level;
    }
    bool negative = altitudeFeet > kUnsignedNegativeAbove;
    if (t.front() == '+' || t.front() == '-') {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    if (t.size() != 2 || !isDigitsOnly(t)) {
        return std::nullopt;
    }
    level.temperature = negative ? -digits(t) : digits(t);
    return level;
}

std::optional<WindsAloftText> readWindsAloftText(std::string_view text, std::string* error) {
    WindsAloftText out;
    std::vector<std::size_t> ends;  // the column after each level's field
    bool done = false;
    forEachLine(text, [&](std::string_view line) {
        if (done) {
            return;
        }
        const std::string_view body = trimmed(line);
        if (ends.empty()) {
            if (body.starts_with("DATA BASED ON ")) {
                out.basedOn = std::string(trimmed(body.substr(14, 8)));
            } else if (body.starts_with("VALID ")) {
                readValidLine(body, out);
            } else if (body.size() == 6 && body.starts_with("FD")) {
                out.product = std::string(body);
            } else if (line.starts_with("FT ")) {
                // Each level's field ends in the column where its label ends.
                std::size_t k = 2;
                while (k < line.size() && ends.size() < kMaxLevels) {
                    while (k < line.size() && line[k] == ' ') {
                        ++k;
                    }
                    const std::size_t start = k;
                    while (k < line.size() && isAsciiDigit(line[k])) {
                        ++k;
                    }
                    if (k == start) {
                        break;
                    }
                    out.levels.push_back(digits(line.substr(start, k - start)));
                    ends.push_back(k);
                }
            }
            return;
        }
        if (body.empty() || body.front() == '=' || out.sites.size() >= kMaxSites) {
            done = !body.empty() && body.front() == '=';
            return;
        }
        AloftSite site;
        const std::size_t blank = line.find(' ');
        site.id = std::string(line.substr(0, blank));
        std::size_t from = blank == std::string_view::npos ? line.size() : blank;
        bool bad = false;
        for (std::size_t i = 0; i < ends.size(); ++i) {
            const std::size_t end = std::min(ends[i], line.size());
            const std::string_view field = from < end ? line.substr(from, end - from) : "";
            from = std::max(from, end);
            if (trimmed(field).empty()) {
                continue;  // near the site's elevation: not forecast
            }
            if (auto level = readAloftField(field, out.levels[i])) {
                site.levels.push_back(*level);
            } else {
                bad = true;
            }
        }
        if (bad) {
            out.unread.push_back(std::string(trimmed(line)));
        }
        const bool identifier = site.id.size() >= 3 && site.id.size() <= 4 &&
                                std::all_of(site.id.begin(), site.id.end(), [](char c) {
                                    return isAsciiDigit(c) || text::isAsciiLetter(c);
                                });
        if (identifier) {
            out.sites.push_back(std::move(site));
        }
    });
    if (ends.empty()) {
        if (error != nullptr) {
            *error = "no \"FT\" line of levels: not a winds aloft forecast";
        }
        return std::nullopt;
    }
    return out;
}

}  // namespace zephyra::weather
