// Terminal aerodrome forecasts. A bulletin is first cut into TAFs (one per station, its
// continuation lines joined, "=" or a heading ending it), then each TAF into its periods at
// the change groups; a period's weather groups are read by the same readers as a METAR's.

#include "weather/Taf.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "weather/NoaaProducts.h"
#include "weather/ObservationGroups.h"
#include "weather/ObservationText.h"
#include "weather/ObservationTime.h"
#include "weather/TextScan.h"
#include "weather/WeatherFile.h"

namespace zephyra::weather {

namespace {

using groups::digitsValue;
using groups::isDigitsOfLength;
using text::isDigitsOnly;

constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 24 * kHour;
// The longest TAFs (military ones with many groups) are under 2,000 characters; a longer
// "TAF" is a damaged file, read no further than this.
constexpr std::size_t kMaxTafChars = 4096;
constexpr std::size_t kMaxTafGroups = 400;
// A validity longer than this is a misreading, not a forecast (TAFs cover 9 to 30 hours).
constexpr std::int64_t kLongestValidity = 4 * kDay;
constexpr std::size_t kMaxProblems = 1000;

// Civil dates (proleptic Gregorian) and days since 1970.
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

void civilFromDays(std::int64_t z, std::int64_t& y, int& m) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

int daysIn(std::int64_t year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

std::int64_t floorDays(std::int64_t t) {
    return t >= 0 ? t / kDay : -((-t + kDay - 1) / kDay);
}

// The times of day `day` at hour:minute (hour 24 is the next day's 00) in the month of near,
// the one before and the one after; a month without the day gives none.
struct Candidates {
    std::array<std::int64_t, 3> times{};
    std::size_t count = 0;
    const std::int64_t* begin() const { return times.data(); }
    const std::int64_t* end() const { return times.data() + count; }
};

Candidates dayTimeCandidates(int day, int hour, int minute, std::int64_t near) {
    Candidates out;
    std::int64_t year = 0;
    int month = 0;
    civilFromDays(floorDays(near), year, month);
    for (int step = -1; step <= 1; ++step) {
        std::int64_t y = year;
        int m = month + step;
        if (m < 1) {
            m = 12;
            --y;
        } else if (m > 12) {
            m = 1;
            ++y;
        }
        if (day >= 1 && day <= daysIn(y, m)) {
            out.times[out.count++] = daysFromCivil(y, m, day) * kDay + hour * kHour + minute * 60;
        }
    }
    return out;
}

template <typename Times>
std::optional<std::int64_t> nearestOf(const Times& times, std::int64_t near) {
    std::optional<std::int64_t> best;
    for (const std::int64_t t : times) {
        if (!best || std::llabs(t - near) < std::llabs(*best - near)) {
            best = t;
        }
    }
    return best;
}

// The issue time: nearest to the reference, but not more than a day after it (a file is
// written after its forecasts are issued).
std::optional<std::int64_t> issueTimeOf(int day, int hour, int minute, std::int64_t reference) {
    const Candidates times = dayTimeCandidates(day, hour, minute, reference);
    Candidates before;
    for (const std::int64_t t : times) {
        if (t <= reference + kDay) {
            before.times[before.count++] = t;
        }
    }
    return nearestOf(before.count == 0 ? times : before, reference);
}

// The first time after `after` that has the day and hour.
std::optional<std::int64_t> firstAfter(int day, int hour, std::int64_t after) {
    std::optional<std::int64_t> best;
    for (const std::int64_t t : dayTimeCandidates(day, hour, 0, after)) {
        if (t > after && (!best || t < *best)) {
            best = t;
        }
    }
    return best;
}

// The old form's hours: the first time at or after start with that hour of day.
std::int64_t hourAtOrAfter(int hour, int minute, std::int64_t start) {
    std::int64_t t = floorDays(start) * kDay + hour * kHour + minute * 60;
    while (t < start) {
        t += kDay;
    }
    return t;
}

std::int64_t oldFormSpan(int fromHour, int toHour) {
    const int hours = (toHour - fromHour + 24) % 24;
    return (hours == 0 ? 24 : hours) * kHour;
}

bool isTwoDigitsUpTo(std::string_view t, int low, int high) {
    return isDigitsOfLength(t, 2) && digitsValue(t) >= low && digitsValue(t) <= high;
}

// DDHH/DDHH, the new validity and interval form.
bool isNewInterval(std::string_view g) {
    return g.size() == 9 && g[4] == '/' && isTwoDigitsUpTo(g.substr(0, 2), 1, 31) &&
           isTwoDigitsUpTo(g.substr(2, 2), 0, 24) && isTwoDigitsUpTo(g.substr(5, 2), 1, 31) &&
           isTwoDigitsUpTo(g.substr(7, 2), 0, 24);
}

// DDHHHH, the old validity form.
bool isOldValidity(std::string_view g) {
    return g.size() == 6 && isTwoDigitsUpTo(g.substr(0, 2), 1, 31) &&
           isTwoDigitsUpTo(g.substr(2, 2), 0, 24) && isTwoDigitsUpTo(g.substr(4, 2), 0, 24);
}

// HHHH, the old interval form.
bool isOldInterval(std::string_view g) {
    return g.size() == 4 && isTwoDigitsUpTo(g.substr(0, 2), 0, 24) &&
           isTwoDigitsUpTo(g.substr(2, 2), 0, 24);
}

bool isValidity(std::string_view g) {
    return isNewInterval(g) || isOldValidity(g);
}

bool isFromGroup(std::string_view g) {
    if (!g.starts_with("FM")) {
        return false;
    }
    const std::string_view t = g.substr(2);
    return (t.size() == 6 && isTwoDigitsUpTo(t.substr(0, 2), 1, 31) &&
            isTwoDigitsUpTo(t.substr(2, 2), 0, 24) && isTwoDigitsUpTo(t.substr(4, 2), 0, 59)) ||
           (t.size() == 4 && isTwoDigitsUpTo(t.substr(0, 2), 0, 24) &&
            isTwoDigitsUpTo(t.substr(2, 2), 0, 59));
}

bool isProbability(std::string_view g) {
    return g == "PROB30" || g == "PROB40";
}

bool isChangeStart(std::string_view g) {
    if (g.size() < 5 || (g[0] != 'T' && g[0] != 'B' && g[0] != 'P' && g[0] != 'F')) {
        return false;  // most groups, quickly
    }
    return g == "TEMPO" || g == "BECMG" || isProbability(g) || isFromGroup(g);
}

// WS020/24045KT: wind shear at 2,000 ft, 240 degrees 45 kt.
bool isWindShear(std::string_view g) {
    return g.size() == 13 && g.starts_with("WS") && isDigitsOnly(g.substr(2, 3)) && g[5] == '/' &&
           isDigitsOnly(g.substr(6, 5)) && g.ends_with("KT");
}

// The military altimeter (QNH2992INS) and automation notes: forecast or said, but nothing a
// period here keeps.
bool isIgnorableForecastGroup(std::string_view g) {
    return (g.starts_with("QNH") && g.ends_with("INS")) || g == "AUTOMATED" || g == "SENSOR";
}

// A maximum or minimum temperature group: TX25/2520Z (day and hour) or TX25/20Z (hour only);
// M marks a temperature below zero.
struct TemperatureGroup {
    bool maximum = true;
    int celsius = 0;
    int day = 0;  // 0 when the group gives only the hour
    int hour = 0;
};

std::optional<TemperatureGroup> temperatureGroup(std::string_view g) {
    if (!(g.starts_with("TX") || g.starts_with("TN")) || !g.ends_with("Z")) {
        return std::nullopt;
    }
    TemperatureGroup t;
    t.maximum = g[1] == 'X';
    std::string_view rest = g.substr(2, g.size() - 3);
    const bool below = rest.starts_with('M');
    if (below) {
        rest.remove_prefix(1);
    }
    const std::size_t slash = rest.find('/');
    if (slash == rest.npos || slash == 0 || slash > 2 || !isDigitsOnly(rest.substr(0, slash))) {
        return std::nullopt;
    }
    const std::string_view when = rest.substr(slash + 1);
    if (when.size() == 4 && isTwoDigitsUpTo(when.substr(0, 2), 1, 31) &&
        isTwoDigitsUpTo(when.substr(2, 2), 0, 24)) {
        t.day = digitsValue(when.substr(0, 2));
        t.hour = digitsValue(when.substr(2, 2));
    } else if (isTwoDigitsUpTo(when, 0, 24)) {
        t.hour = digitsValue(when);
    } else {
        return std::nullopt;
    }
    t.celsius = digitsValue(rest.substr(0, slash)) * (below ? -1 : 1);
    return t;
}

bool isStation(std::string_view g) {
    return text::isStationIdentifier(g, 4, 4);
}

bool isTafWord(std::string_view g) {
    return g == "TAF" || g == "AMD" || g == "COR";
}

// Reads one group of a period into it; false when the group is none the period can hold.
bool readPeriodGroup(std::string_view g, TafPeriod& p) {
    Observation& obs = p.conditions;
    if (g == "NSW") {
        p.noSignificantWeather = true;
    } else if (g == "CAVOK") {
        obs.cavok = true;
        obs.clearSky = "CAVOK";
        obs.visibilityMetres = 9999;
        obs.visibilityMiles = 9999 / groups::kMetresPerMile;
        obs.visibilityAbove = true;
        obs.visibilityInMetres = true;
    } else if (g == "SKC" || g == "NSC" || g == "CLR" || g == "NCD") {
        obs.clearSky = std::string(g);
    } else if (isWindShear(g)) {
        p.windShear = std::string(g);
    } else if (groups::readWind(g, obs) || groups::readVariableWind(g, obs) ||
               groups::readMilesVisibility(g, obs) || groups::readMetricVisibility(g, obs) ||
               groups::readCloud(g, obs)) {
    } else if (auto w = groups::weatherGroupOf(g)) {
        obs.weather.push_back(std::move(*w));
    } else {
        return false;
    }
    return true;
}

void addProblem(std::vector<std::string>* problems, std::string text) {
    if (problems && problems->size() < kMaxProblems) {
        problems->push_back(std::move(text));
    }
}

// One TAF's text on one line. The reference dates its issue: a file's date, or the cache's
// issue_time itself.
std::optional<Taf> readOneTaf(std::string_view line, std::int64_t reference, bool amended,
                              bool corrected, std::vector<std::string>* problems) {
    std::vector<std::string> store;
    const std::vector<std::string_view> gs =
        groups::joinSplitGroups(groups::splitGroups(line, kMaxTafGroups), store);
    Taf taf;
    taf.amended = amended;
    taf.corrected = corrected;
    std::size_t i = 0;
    for (; i < gs.size() && isTafWord(gs[i]); ++i) {
        taf.amended = taf.amended || gs[i] == "AMD";
        taf.corrected = taf.corrected || gs[i] == "COR";
    }
    if (i >= gs.size() || !isStation(gs[i])) {
        addProblem(problems, "A TAF without a station: " + std::string(line.substr(0, 40)));
        return std::nullopt;
    }
    const std::size_t first = i;
    taf.station = std::string(gs[i++]);
    for (; i < gs.size() && isTafWord(gs[i]); ++i) {
        taf.amended = taf.amended || gs[i] == "AMD";
        taf.corrected = taf.corrected || gs[i] == "COR";
    }
    std::optional<std::int64_t> issued;
    if (i < gs.size() && text::isDayTimeGroup(gs[i])) {
        const std::string_view t = gs[i++];
        issued = issueTimeOf(digitsValue(t.substr(0, 2)), digitsValue(t.substr(2, 2)),
                             digitsValue(t.substr(4, 2)), reference);
    }
    if (i < gs.size() && gs[i] == "NIL") {
        addProblem(problems, taf.station + ": no forecast (NIL)");
        return std::nullopt;
    }
    if (i >= gs.size() || !isValidity(gs[i])) {
        addProblem(problems, taf.station + ": no validity period");
        return std::nullopt;
    }
    const std::string_view v = gs[i++];
    const int fromDay = digitsValue(v.substr(0, 2));
    const int fromHour = digitsValue(v.substr(2, 2));
    const std::optional<std::int64_t> from =
        issued ? nearestOf(dayTimeCandidates(fromDay, fromHour, 0, *issued), *issued)
               : issueTimeOf(fromDay, fromHour, 0, reference);
    std::optional<std::int64_t> to;
    if (from && v.size() == 9) {
        to = firstAfter(digitsValue(v.substr(5, 2)), digitsValue(v.substr(7, 2)), *from);
    } else if (from) {
        to = *from + oldFormSpan(fromHour, digitsValue(v.substr(4, 2)));
    }
    if (!from || !to || *to - *from > kLongestValidity) {
        addProblem(problems, taf.station + ": validity " + std::string(v) + " cannot be dated");
        return std::nullopt;
    }
    const bool newForm = v.size() == 9;
    taf.issued = issued.value_or(0);
    taf.validFrom = *from;
    taf.validTo = *to;

    // The times of the change groups: the new form gives their days, the old form only hours
    // that fall within the validity.
    const auto newFormTime = [&](int day, int hour, int minute) {
        return nearestOf(dayTimeCandidates(day, hour, minute, taf.validFrom), taf.validFrom)
            .value_or(taf.validFrom);
    };
    const auto intervalOf = [&](std::string_view g, TafPeriod& p) {
        if (isNewInterval(g)) {
            p.from = newFormTime(digitsValue(g.substr(0, 2)), digitsValue(g.substr(2, 2)), 0);
            p.to = firstAfter(digitsValue(g.substr(5, 2)), digitsValue(g.substr(7, 2)), p.from)
                       .value_or(p.from);
        } else {
            const int h1 = digitsValue(g.substr(0, 2));
            p.from = hourAtOrAfter(h1, 0, taf.validFrom);
            p.to = p.from + oldFormSpan(h1, digitsValue(g.substr(2, 2)));
        }
    };

    taf.periods.reserve(
        1 + std::size_t(std::count_if(gs.begin() + std::ptrdiff_t(i), gs.end(), isChangeStart)));
    TafPeriod current;
    current.change = TafChange::Base;
    current.from = taf.validFrom;
    std::size_t textStart = first;
    bool notes = false;  // after RMK or "AMD NOT SKED ...": remarks, not forecast
    const auto joined = [&gs](std::size_t begin, std::size_t end) {
        std::string text;
        for (std::size_t k = begin; k < end; ++k) {
            if (k > begin) {
                text += ' ';
            }
            text.append(gs[k]);
        }
        return text;
    };
    const auto finish = [&](std::size_t end) {
        current.text = joined(textStart, end);
        taf.periods.push_back(std::move(current));
        current = TafPeriod{};
    };
    while (i < gs.size()) {
        const std::string_view g = gs[i];
        if (notes) {
            ++i;
            continue;
        }
        if (isChangeStart(g)) {
            const std::size_t start = i;
            TafPeriod next;
            if (isFromGroup(g)) {
                next.change = TafChange::From;
                const std::string_view t = g.substr(2);
                next.from =
                    t.size() == 6
                        ? newFormTime(digitsValue(t.substr(0, 2)), digitsValue(t.substr(2, 2)),
                                      digitsValue(t.substr(4, 2)))
                        : hourAtOrAfter(digitsValue(t.substr(0, 2)), digitsValue(t.substr(2, 2)),
                                        taf.validFrom);
                ++i;
            } else {
                if (isProbability(g)) {
                    next.change = TafChange::Probability;
                    next.probability = digitsValue(g.substr(4));
                    if (i + 1 < gs.size() && gs[i + 1] == "TEMPO") {
                        next.temporary = true;
                        ++i;
                    }
                } else {
                    next.change = g == "TEMPO" ? TafChange::Temporary : TafChange::Becoming;
                    next.temporary = g == "TEMPO";
                }
                ++i;
                if (i < gs.size() && (isNewInterval(gs[i]) || (!newForm && isOldInterval(gs[i])))) {
                    intervalOf(gs[i++], next);
                } else {
                    taf.unread.push_back(std::string(g) + ": no interval");
                    next.from = next.to = taf.validFrom;  // never in force
                }
            }
            finish(start);
            textStart = start;
            current = std::move(next);
            continue;
        }
        if (g == "CNL") {
            taf.cancelled = true;
        } else if (g == "RMK" || (g == "AMD" && i + 1 < gs.size() &&
                                  (gs[i + 1] == "NOT" || gs[i + 1] == "LTD"))) {
            finish(i);
            textStart = i;
            notes = true;
            ++i;
            continue;
        } else if (const auto t = temperatureGroup(g)) {
            taf.temperatures.push_back({t->maximum, t->celsius,
                                        t->day != 0 ? newFormTime(t->day, t->hour, 0)
                                                    : hourAtOrAfter(t->hour, 0, taf.validFrom)});
        } else if (!readPeriodGroup(g, current) && !isTafWord(g) && !isIgnorableForecastGroup(g)) {
            taf.unread.emplace_back(g);
        }
        ++i;
    }
    if (!notes) {
        finish(gs.size());
    }

    // Base and FM periods last until the next FM or the end of the validity.
    std::int64_t end = taf.validTo;
    for (auto it = taf.periods.rbegin(); it != taf.periods.rend(); ++it) {
        if (it->change == TafChange::Base || it->change == TafChange::From) {
            it->to = std::max(it->from, end);
            end = it->from;
        }
    }
    taf.raw = joined(0, gs.size());
    return taf;
}

// Lines of a bulletin that head a product rather than continue a TAF: the WMO heading
// ("FTUS41 KOKX 251341 AAA"), the sequence number ("000"), the AWIPS identifier ("TAFJFK"),
// "TAF" with AMD or COR, and the product end "$$".
bool isHeadingLine(const std::vector<std::string_view>& gs) {
    if (gs.empty()) {
        return false;
    }
    const std::string_view g = gs[0];
    if ((gs.size() == 1 && isDigitsOnly(g) && g.size() <= 3) || g == "$$" || g == "NNNN") {
        return true;
    }
    if (std::all_of(gs.begin(), gs.end(), isTafWord)) {
        return true;
    }
    if (gs.size() == 1 && g.size() >= 5 && g.size() <= 6 && g.starts_with("TAF")) {
        return true;
    }
    const bool wmo = g.size() == 6 && text::isAsciiLetter(g[0]) && isDigitsOfLength(g.substr(4), 2);
    return wmo && gs.size() >= 3 && isStation(gs[1]) && isDigitsOfLength(gs[2], 6);
}

// A line that opens a TAF: [TAF] [AMD|COR] CCCC then an issue time or a validity.
bool opensTaf(const std::vector<std::string_view>& gs) {
    std::size_t i = 0;
    while (i < gs.size() && isTafWord(gs[i])) {
        ++i;
    }
    return i + 1 < gs.size() && isStation(gs[i]) &&
           (text::isDayTimeGroup(gs[i + 1]) || isValidity(gs[i + 1]) || gs[i + 1] == "NIL");
}

struct Bulletin {
    std::int64_t reference = 0;
    std::vector<std::string>* problems = nullptr;
    std::vector<Taf> tafs;
    std::string current;
    bool amended = false, corrected = false;
    bool tooLong = false;

    void flush() {
        if (tooLong) {
            addProblem(problems, "A TAF longer than " + std::to_string(kMaxTafChars) +
                                     " characters was left out: " + current.substr(0, 40));
        } else if (!current.empty()) {
            if (auto taf = readOneTaf(current, reference, amended, corrected, problems)) {
                tafs.push_back(std::move(*taf));
            }
        }
        current.clear();
        tooLong = false;
    }

    void append(std::string_view part) {
        if (current.size() + part.size() + 1 > kMaxTafChars) {
            if (current.empty()) {
                current = part.substr(0, 40);  // the start names the TAF in the problem
            }
            tooLong = true;
            return;
        }
        if (!current.empty()) {
            current += ' ';
        }
        current += part;
    }

    void line(std::string_view text) {
        const bool indented = text.front() == ' ' || text.front() == '\t';
        // "=" ends a TAF; what follows on the line starts the next.
        while (true) {
            const std::size_t end = text.find('=');
            const std::string_view part = text.substr(0, end);
            const std::vector<std::string_view> gs = groups::splitGroups(part, 8);
            const bool continues = indented && !current.empty() && !opensTaf(gs);
            if (!continues && isHeadingLine(gs)) {
                flush();
                // "TAF AMD" heads amended TAFs; any other heading starts a new product.
                const bool tafWords = std::all_of(gs.begin(), gs.end(), isTafWord);
                amended = tafWords && std::find(gs.begin(), gs.end(), "AMD") != gs.end();
                corrected = tafWords && std::find(gs.begin(), gs.end(), "COR") != gs.end();
            } else if (!gs.empty()) {
                const bool opens = !continues && opensTaf(gs);
                if (opens) {
                    flush();
                }
                if (opens || !current.empty() || tooLong) {
                    append(part);  // a line outside any TAF is not one
                }
            }
            if (end == std::string_view::npos) {
                return;
            }
            flush();
            text.remove_prefix(end + 1);
        }
    }
};

std::vector<Taf> readBulletins(std::string_view text, std::int64_t reference,
                               std::vector<std::string>* problems) {
    Bulletin b;
    b.reference = reference;
    b.problems = problems;
    std::size_t k = 0;
    while (k < text.size()) {
        std::size_t end = text.find_first_of("\r\n", k);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(k, end - k);
        if (line.find_first_not_of(" \t") == std::string_view::npos) {
            b.flush();  // a blank line ends a TAF
        } else {
            b.line(line);
        }
        // CR LF (a Windows file) ends one line, not two: the empty one between would end the TAF.
        k = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    b.flush();
    return std::move(b.tafs);
}

std::vector<Taf> readCache(std::string_view text, std::int64_t reference,
                           std::vector<std::string>* problems) {
    std::vector<Taf> tafs;
    std::optional<std::vector<std::string>> columns = csvColumns(text, {"raw_text", "issue_time"});
    if (!columns) {
        return tafs;
    }
    tafs.reserve(columns->size() / 2);
    for (std::size_t k = 0; k + 1 < columns->size(); k += 2) {
        std::string& line = (*columns)[k];
        const std::int64_t ref = isoSeconds((*columns)[k + 1]).value_or(reference);
        std::replace(line.begin(), line.end(), '\n', ' ');
        if (line.size() > kMaxTafChars) {
            addProblem(problems, "A TAF longer than " + std::to_string(kMaxTafChars) +
                                     " characters was left out: " + line.substr(0, 40));
            continue;
        }
        if (auto taf = readOneTaf(line, ref, false, false, problems)) {
            tafs.push_back(std::move(*taf));
        }
    }
    return tafs;
}

// Replaces what the BECMG gives over the prevailing conditions.
void applyChange(Observation& to, const TafPeriod& change) {
    const Observation& c = change.conditions;
    if (c.windSpeedKnots || c.windVariable || c.windDirection) {
        to.windDirection = c.windDirection;
        to.windVariable = c.windVariable;
        to.windSpeedKnots = c.windSpeedKnots;
        to.gustKnots = c.gustKnots;
        to.variableFrom = c.variableFrom;
        to.variableTo = c.variableTo;
    }
    if (c.visibilityMiles || c.visibilityMetres) {
        to.visibilityMiles = c.visibilityMiles;
        to.visibilityMetres = c.visibilityMetres;
        to.visibilityBelow = c.visibilityBelow;
        to.visibilityAbove = c.visibilityAbove;
        to.visibilityInMetres = c.visibilityInMetres;
        to.minimumVisibilityMetres = c.minimumVisibilityMetres;
        to.minimumVisibilityDirection = c.minimumVisibilityDirection;
    }
    if (!c.weather.empty() || change.noSignificantWeather || c.cavok) {
        to.weather = c.weather;
    }
    if (!c.layers.empty() || !c.clearSky.empty()) {
        to.layers = c.layers;
        to.verticalVisibilityFeet = c.verticalVisibilityFeet;
        to.clearSky = c.clearSky;
    }
    to.cavok = c.cavok || (to.cavok && c.layers.empty() && !c.visibilityMiles && c.weather.empty());
    if (!to.cavok && to.clearSky == "CAVOK") {
        // A change that lowers the visibility or brings weather ends CAVOK; its sky stays
        // without significant cloud.
        to.clearSky = "NSC";
    }
}

std::string dayTime(std::int64_t t) {
    const std::int64_t days = floorDays(t);
    std::int64_t y = 0;
    int m = 0;
    civilFromDays(days, y, m);
    const int day = int(days - daysFromCivil(y, m, 1)) + 1;
    const std::int64_t s = t - days * kDay;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d %02d:%02dZ", day, int(s / kHour), int(s % kHour / 60));
    return buf;
}

std::string milesText(double miles) {
    const long eighths = std::lround(miles * 8);
    if (std::fabs(miles * 8 - double(eighths)) > 0.01) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.1f", miles);
        return buf;
    }
    const long whole = eighths / 8;
    long num = eighths % 8, den = 8;
    while (num != 0 && num % 2 == 0) {
        num /= 2;
        den /= 2;
    }
    if (num == 0) {
        return std::to_string(whole);
    }
    const std::string fraction = std::to_string(num) + "/" + std::to_string(den);
    return whole == 0 ? fraction : std::to_string(whole) + " " + fraction;
}

std::string withThousands(int n) {
    std::string digits = std::to_string(n);
    for (int k = int(digits.size()) - 3; k > 0; k -= 3) {
        digits.insert(std::size_t(k), ",");
    }
    return digits;
}

}  // namespace

std::optional<std::int64_t> isoSeconds(std::string_view t) {
    // "YYYY-MM-DDTHH:MM", then ":SS" and "Z" as they come.
    if (t.size() < 16 || t[10] != 'T' || t[13] != ':') {
        return std::nullopt;
    }
    const auto date = isoDate(t);
    if (!date || !text::isHourMinute(std::string(t.substr(11, 2)) + std::string(t.substr(14, 2)))) {
        return std::nullopt;
    }
    std::string_view rest = t.substr(16);
    int seconds = 0;
    if (rest.size() >= 3 && rest[0] == ':' && isTwoDigitsUpTo(rest.substr(1, 2), 0, 59)) {
        seconds = digitsValue(rest.substr(1, 2));
        rest.remove_prefix(3);
    }
    if (!(rest.empty() || rest == "Z")) {
        return std::nullopt;
    }
    return daysFromCivil(date->year, date->month, date->day) * kDay +
           digitsValue(t.substr(11, 2)) * kHour + digitsValue(t.substr(14, 2)) * 60 + seconds;
}

std::vector<Taf> readTafs(std::string_view text, std::int64_t reference,
                          std::vector<std::string>* problems) {
    // A compressed file may come compressed once more on the way (a server's Content-Encoding).
    std::string inflated;
    for (int layer = 0; layer < 2 && looksGzipped(text); ++layer) {
        std::string error;
        auto bytes = gunzip(text, &error);
        if (!bytes) {
            addProblem(problems, error);
            return {};
        }
        inflated = std::move(*bytes);
        text = inflated;
    }
    // A byte-order mark, as Windows editors write one, is not part of the text.
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    std::vector<Taf> tafs;
    if (csvHeaderStart(text)) {
        tafs = readCache(text, reference, problems);
    } else {
        tafs = readBulletins(text, reference, problems);
    }
    if (tafs.empty() && problems && problems->empty()) {
        const std::string holds = whatTextHolds(text);
        problems->push_back(holds == "no weather reports"
                                ? "The text holds no TAF."
                                : "The text holds " + holds + ", not TAFs.");
    }
    return tafs;
}

std::optional<std::vector<Taf>> loadTafFile(const std::string& path, std::string* error,
                                            std::int64_t reference) {
    std::string bytes, reason;
    if (!readWeatherFile(path, bytes, reason)) {
        if (error) {
            *error = reason;
        }
        return std::nullopt;
    }
    if (reference == 0) {
        if (const auto date = fileDate(path)) {
            reference = daysFromCivil(date->year, date->month, date->day) * kDay + kDay / 2;
        }
    }
    std::vector<std::string> problems;
    std::vector<Taf> tafs = readTafs(bytes, reference, &problems);
    if (tafs.empty()) {
        if (error) {
            *error = problems.empty() ? "The file holds no TAF." : problems.front();
        }
        return std::nullopt;
    }
    return tafs;
}

std::optional<TafForecast> forecastAt(const Taf& taf, std::int64_t time) {
    if (taf.cancelled || time < taf.validFrom || time >= taf.validTo) {
        return std::nullopt;
    }
    TafForecast f;
    f.time = time;
    std::size_t inForce = taf.periods.size();
    for (std::size_t k = 0; k < taf.periods.size(); ++k) {
        const TafPeriod& p = taf.periods[k];
        if ((p.change == TafChange::Base || p.change == TafChange::From) && p.from <= time &&
            time < p.to) {
            inForce = k;
        }
    }
    if (inForce == taf.periods.size()) {
        return std::nullopt;
    }
    f.inForce = &taf.periods[inForce];
    f.prevailing = f.inForce->conditions;
    // The BECMG groups that follow the period in force, up to the next FM, change it.
    for (std::size_t k = inForce + 1;
         k < taf.periods.size() && taf.periods[k].change != TafChange::From; ++k) {
        const TafPeriod& p = taf.periods[k];
        if (p.change != TafChange::Becoming || time < p.from) {
            continue;
        }
        if (time >= p.to) {
            applyChange(f.prevailing, p);
        } else {
            f.becoming.push_back(&p);
        }
    }
    for (const TafPeriod& p : taf.periods) {
        if ((p.change == TafChange::Temporary || p.change == TafChange::Probability) &&
            p.from <= time && time < p.to) {
            f.temporary.push_back(&p);
        }
    }
    return f;
}

std::optional<std::int64_t> dayTimeNear(std::string_view ddhhmm, std::int64_t near) {
    if (ddhhmm.size() == 7 && ddhhmm.back() == 'Z') {
        ddhhmm.remove_suffix(1);
    }
    if (ddhhmm.size() != 6 || !isTwoDigitsUpTo(ddhhmm.substr(0, 2), 1, 31) ||
        !isTwoDigitsUpTo(ddhhmm.substr(2, 2), 0, 24) ||
        !isTwoDigitsUpTo(ddhhmm.substr(4, 2), 0, 59)) {
        return std::nullopt;
    }
    return nearestOf(
        dayTimeCandidates(digitsValue(ddhhmm.substr(0, 2)), digitsValue(ddhhmm.substr(2, 2)),
                          digitsValue(ddhhmm.substr(4, 2)), near),
        near);
}

std::string describeConditions(const Observation& o, const std::string& windShear, bool nsw) {
    std::vector<std::string> parts;
    if (o.windSpeedKnots && *o.windSpeedKnots == 0) {
        parts.push_back("wind calm");
    } else if (o.windSpeedKnots || o.windVariable) {
        std::string w = "wind ";
        if (o.windVariable) {
            w += "variable";
        } else if (o.windDirection) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "%03d\u00b0", *o.windDirection);
            w += buf;
        }
        if (o.windSpeedKnots) {
            w += " " + std::to_string(*o.windSpeedKnots) + " kt";
        }
        if (o.gustKnots) {
            w += ", gusting " + std::to_string(*o.gustKnots) + " kt";
        }
        if (o.variableFrom && o.variableTo) {
            w += ", varying between " + std::to_string(*o.variableFrom) + " and " +
                 std::to_string(*o.variableTo) + " degrees";
        }
        parts.push_back(w);
    }
    if (o.cavok) {
        parts.push_back("ceiling and visibility OK (CAVOK)");
    } else if (o.visibilityMiles) {
        std::string v = "visibility ";
        if (o.visibilityInMetres && o.visibilityMetres) {
            v += *o.visibilityMetres == 9999 ? "10 km or more"
                                             : withThousands(*o.visibilityMetres) + " m";
        } else {
            v += (o.visibilityBelow ? "less than " : "") + milesText(*o.visibilityMiles) + " SM" +
                 (o.visibilityAbove ? " or more" : "");
        }
        parts.push_back(v);
    }
    for (const WeatherGroup& g : o.weather) {
        parts.push_back(weatherInWords(g));
    }
    if (nsw) {
        parts.push_back("no significant weather");
    }
    if (!o.cavok) {
        if (o.clearSky == "NSC") {
            parts.push_back("no significant cloud");
        } else if (o.clearSky == "NCD") {
            parts.push_back("no cloud detected");
        } else if (!o.clearSky.empty()) {
            parts.push_back("sky clear");
        }
    }
    for (const CloudLayer& l : o.layers) {
        parts.push_back(cloudInWords(l, false));
    }
    if (isWindShear(windShear)) {
        const std::string_view ws = windShear;
        parts.push_back("wind shear at " + withThousands(digitsValue(ws.substr(2, 3)) * 100) +
                        " ft, " + std::string(ws.substr(6, 3)) + "\u00b0 " +
                        std::to_string(digitsValue(ws.substr(9, 2))) + " kt");
    }
    std::string s;
    for (const std::string& p : parts) {
        s += (s.empty() ? "" : ", ") + p;
    }
    return s;
}

std::string periodHeading(const TafPeriod& p) {
    const std::string interval = dayTime(p.from) + "-" + dayTime(p.to);
    switch (p.change) {
        case TafChange::Base:
            return "From " + dayTime(p.from);
        case TafChange::From:
            return "FM " + dayTime(p.from);
        case TafChange::Becoming:
            return "BECMG " + interval;
        case TafChange::Temporary:
            return "TEMPO " + interval;
        case TafChange::Probability:
            return "PROB" + std::to_string(p.probability) + (p.temporary ? " TEMPO " : " ") +
                   interval;
    }
    return {};
}

std::vector<std::string> describeTaf(const Taf& taf) {
    std::vector<std::string> lines;
    lines.reserve(taf.periods.size());
    for (const TafPeriod& p : taf.periods) {
        std::string what = describeConditions(p.conditions, p.windShear, p.noSignificantWeather);
        lines.push_back(periodHeading(p) + "  " + (what.empty() ? "no change given" : what));
    }
    for (const TafTemperature& t : taf.temperatures) {
        lines.push_back((t.maximum ? "Maximum " : "Minimum ") + std::to_string(t.celsius) +
                        " \u00b0C at " + dayTime(t.time));
    }
    return lines;
}

}  // namespace zephyra::weather
