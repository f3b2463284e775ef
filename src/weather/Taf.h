#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "weather/Observation.h"

// Terminal aerodrome forecasts: NOAA's plain bulletins and its CSV cache read into one record
// per TAF, each change group decoded as the full observation reads a METAR, and the answer to
// "what is forecast here at this time". Times are seconds since 1970 (UTC): a TAF's own groups
// have only day, hour and minute, so the month and year come from a reference time near the
// issue (the file's date, the cache's issue_time, or now).
namespace zephyra::weather {

enum class TafChange {
    Base,        // the forecast's first conditions
    From,        // FMDDHHMM (FMHHMM in the old form): everything changes at the time
    Becoming,    // BECMG: changes gradually over the interval, holding afterwards
    Temporary,   // TEMPO: fluctuations within the interval
    Probability  // PROBnn, alone or as PROBnn TEMPO
};

struct TafPeriod {
    TafChange change = TafChange::Base;
    int probability = 0;     // 30 or 40 for PROB groups, else 0
    bool temporary = false;  // TEMPO, alone or after PROBnn
    std::int64_t from = 0;   // start of the group (BECMG: start of the change)
    std::int64_t to = 0;     // end of the group (base and FM: the next FM or the TAF's end)
    std::string text;        // the group as written, on one line: "FM251600 06008KT P6SM OVC025"
    // What the group forecasts. A BECMG, TEMPO or PROB group gives only what changes; the
    // empty fields are unchanged.
    Observation conditions;
    std::string windShear;              // "WS020/24045KT" as written, or empty
    bool noSignificantWeather = false;  // NSW: the weather before it ends
};

// A forecast maximum or minimum temperature: TX25/2520Z, TNM02/2610Z.
struct TafTemperature {
    bool maximum = true;
    int celsius = 0;
    std::int64_t time = 0;
};

struct Taf {
    std::string station;
    std::string raw;          // the whole TAF on one line, as written, without the "="
    std::int64_t issued = 0;  // 0 when the TAF gives no issue time
    std::int64_t validFrom = 0, validTo = 0;
    bool amended = false;                      // AMD
    bool corrected = false;                    // COR
    bool cancelled = false;                    // CNL
    std::vector<TafPeriod> periods;            // the base first, then the change groups in order
    std::vector<TafTemperature> temperatures;  // TX and TN groups, in order
    std::vector<std::string> unread;           // groups that could not be read; the rest stands
};

// What a TAF forecasts at one time.
struct TafForecast {
    std::int64_t time = 0;
    // The base or FM period in force, with every BECMG whose interval has ended applied over it.
    Observation prevailing;
    const TafPeriod* inForce = nullptr;       // the base or FM period itself
    std::vector<const TafPeriod*> becoming;   // BECMG groups changing at the time
    std::vector<const TafPeriod*> temporary;  // TEMPO and PROB groups covering the time
};

// The TAFs of a text: plain bulletins (headers, several TAFs, continuation lines, "=" ends,
// AMD/COR, both validity forms) or NOAA's tafs.cache.csv (its raw_text column; issue_time
// gives each TAF's month), either gzip-compressed or not. reference dates the plain form's day-hour
// groups: each TAF is put in the month that brings its issue time nearest to, and not more than a
// day after, the reference. A TAF that cannot be read at all goes to problems ("KXYZ: no validity
// period").
std::vector<Taf> readTafs(std::string_view text, std::int64_t reference,
                          std::vector<std::string>* problems = nullptr);

// The TAFs of a file, plain or CSV, gzip-compressed or not; the reference is the file's own
// modification time unless one is given. Nothing, with error set, when the file cannot be
// read or holds no TAF.
std::optional<std::vector<Taf>> loadTafFile(const std::string& path, std::string* error,
                                            std::int64_t reference = 0);

// The forecast at a time within the TAF's validity; nothing outside it.
std::optional<TafForecast> forecastAt(const Taf& taf, std::int64_t time);

// The time of a DDHHMM group ("251700", "251700Z") nearest to near: the same day of this month,
// the month before or the month after.
std::optional<std::int64_t> dayTimeNear(std::string_view ddhhmm, std::int64_t near);

// An ISO time ("2026-11-25T17:00Z", "2022-10-23T11:20:00Z", the cache's issue_time) in seconds
// since 1970; nothing when the text is not one.
std::optional<std::int64_t> isoSeconds(std::string_view text);

// The TAF decoded for a reader, one line per period: "FM 25 16:00Z  wind 060° 8 kt,
// visibility 6 SM or more, overcast at 2,500 ft".
std::vector<std::string> describeTaf(const Taf& taf);

// What one period forecasts, in the same words ("wind 060° 8 kt, visibility 6 SM or more,
// overcast at 2,500 ft"); empty when it gives nothing.
std::string describeConditions(const Observation& conditions, const std::string& windShear = {},
                               bool noSignificantWeather = false);

// A period's kind and interval as describeTaf heads its line: "FM 25 16:00Z",
// "TEMPO 25 19:00Z-26 04:00Z", "PROB30 TEMPO 26 06:00Z-26 09:00Z".
std::string periodHeading(const TafPeriod& period);

}  // namespace zephyra::weather
