#include "weather/WeatherLoader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <string_view>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Random.h"
#include "platform/Scheduler.h"
#include "weather/AloftField.h"
#include "weather/Estimates.h"
#include "weather/FullReading.h"
#include "weather/LineEnds.h"
#include "weather/NoaaProducts.h"
#include "weather/ObservationTime.h"
#include "weather/Reports.h"
#include "weather/WeatherDb.h"
#include "weather/WeatherFile.h"

namespace zephyra::weather {

namespace {

// The window gets its turn after every so many report lines.
constexpr int kLinesPerYield = 25;

int percent(int part, int whole) {
    if (whole <= 0) {
        return 0;
    }
    // Halves go to the even neighbour, as the progress text always rounded.
    return static_cast<int>(std::nearbyint(100.0 * part / whole));
}

// About one record per line, bounded twice over: a report is never shorter than its
// station and time ("XXXX DDHHMMZ"), and past a few ten thousand stations the set simply grows.
// A file of bare line ends thus reserves little.
std::size_t lineCountHint(std::string_view text) {
    constexpr std::size_t kShortestReport = 12;
    constexpr std::size_t kMostReserved = 1u << 16;
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    return std::min({lines, text.size() / kShortestReport + 1, kMostReserved});
}

// Records keyed by station: a later report replaces the earlier one. The index is an open
// table of positions in the records (a power of two in size, at most half full), so a record
// costs no allocation of its own.
class RecordSet {
  public:
    // Room for about this many records; more simply grow the set.
    void reserve(std::size_t n) {
        records_.reserve(n);
        if (2 * n > slots_.size()) {
            rehash(2 * n);
        }
    }
    // Returns true when an earlier record of the station was replaced.
    bool put(WeatherRecord&& record) {
        if (2 * (records_.size() + 1) > slots_.size()) {
            rehash(std::max<std::size_t>(64, 2 * slots_.size()));
        }
        std::uint32_t& slot = slotOf(record.ID);
        if (slot != kEmpty) {
            records_[slot] = std::move(record);
            return true;
        }
        slot = static_cast<std::uint32_t>(records_.size());
        records_.push_back(std::move(record));
        return false;
    }
    std::vector<WeatherRecord>& records() { return records_; }

  private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;

    // The slot holding the station's record, or the empty one where it would go.
    std::uint32_t& slotOf(std::string_view id) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t at = std::hash<std::string_view>{}(id)&mask;
        while (slots_[at] != kEmpty && records_[slots_[at]].ID != id) {
            at = (at + 1) & mask;
        }
        return slots_[at];
    }
    void rehash(std::size_t atLeast) {
        std::size_t size = 64;
        while (size < atLeast) {
            size *= 2;
        }
        slots_.assign(size, kEmpty);
        for (std::size_t i = 0; i < records_.size(); ++i) {
            slotOf(records_[i].ID) = static_cast<std::uint32_t>(i);
        }
    }

    std::vector<WeatherRecord> records_;
    std::vector<std::uint32_t> slots_;
};

// A report line as stored with its record: without surrounding blanks, control characters as
// blanks, at most 512 characters.
std::string trimmedReport(std::string_view line) {
    constexpr std::size_t kLongest = 512;
    const std::string_view part = line.substr(0, kLongest);
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    std::size_t first = 0;
    std::size_t last = part.size();
    while (first < last && blank(part[first])) {
        ++first;
    }
    while (last > first && blank(part[last - 1])) {
        --last;
    }
    std::string text(part.substr(first, last - first));
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = ' ';
        }
    }
    return text;
}

WeatherRecord metarRecord(const MetarReport& m, std::string_view line, const std::string& stamp) {
    WeatherRecord r;
    r.ID = m.id;
    r.Observation = "METAR";
    r.RawText = trimmedReport(line);
    r.TempScale = "C";
    r.Estimated =
        missingElements(!m.temperatureReported, !m.pressureReported, !m.visibilityReported);
    r.Time = "0";
    r.cl1Base = m.cl1Base;
    r.cl1Top = m.cl1Top;
    r.cl1CoverCode = " ";
    r.Cl1Coverage = m.cl1Cover;
    r.cl2Base = m.cl2Base;
    r.cl2Top = m.cl2Top;
    r.cl2CoverCode = " ";
    r.Cl2Coverage = m.cl2Cover;
    r.Visibility = m.visibility;
    r.Pressure = m.pressure;
    r.Dew = m.temperature;
    r.t0Deg = m.temperature;
    r.w0Dir = m.windDirection;
    r.w0Spd = m.windSpeed;
    r.w0Gust = m.gust ? 1 : 0;
    r.Altimeter = 30.0;
    r.Upd_Ts = stamp;
    r.VisibVary = m.obstruction;
    r.Thunder = m.thunder;
    r.Precip = m.precipitation;
    return r;
}

WeatherRecord saRecord(const SaReport& s, std::string_view line, const std::string& stamp) {
    WeatherRecord r;
    r.ID = s.id;
    r.RawText = trimmedReport(line);
    r.Estimated = missingElements(false, !s.pressureReported, false);
    r.Observation = s.observation;
    r.Time = s.time;
    r.cl1Base = s.cl1Base;
    r.cl1CoverCode = s.cl1CoverCode;
    r.cl1Top = s.cl1Top;
    r.cl2Base = s.cl2Base;
    r.cl2CoverCode = s.cl2CoverCode;
    r.cl2Top = s.cl2Top;
    r.Visibility = s.visibility;
    r.Pressure = s.pressure;
    r.t0Deg = s.temperature;
    r.Dew = s.dewPoint;
    r.w0Dir = s.windDirection;
    r.w0Spd = s.windSpeed;
    r.w0Gust = s.gust ? 1 : 0;
    r.Altimeter = s.altimeter;
    r.Upd_Ts = stamp;
    r.VisibVary = s.weather;
    r.Thunder = s.thunder;
    return r;
}

// The records in identifier order. Identifiers are a few letters, so the first eight bytes
// (big-endian, zero-padded) order nearly all of them; equal prefixes fall back to the text.
std::vector<WeatherRecord*> stationOrder(std::vector<WeatherRecord>& records) {
    struct Keyed {
        std::uint64_t prefix;
        WeatherRecord* record;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(records.size());
    for (auto& r : records) {
        std::uint64_t prefix = 0;
        for (std::size_t k = 0; k < 8; ++k) {
            const auto byte = k < r.ID.size() ? static_cast<unsigned char>(r.ID[k]) : 0u;
            prefix = (prefix << 8) | byte;
        }
        keyed.push_back({prefix, &r});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        return a.prefix != b.prefix ? a.prefix < b.prefix : a.record->ID < b.record->ID;
    });
    std::vector<WeatherRecord*> order;
    order.reserve(keyed.size());
    for (const auto& k : keyed) {
        order.push_back(k.record);
    }
    return order;
}

bool knownCover(const std::string& word) {
    return word == "CLR" || word == "SCT" || word == "BKN" || word == "OVC";
}

}  // namespace

WeatherLoader::WeatherLoader(WeatherDb& db, platform::Random& rnd, platform::Dialogs& dialogs,
                             platform::Scheduler& clock, LoadHost& host, LoadedWeather& weather)
    : db_(db), rnd_(rnd), dialogs_(dialogs), clock_(clock), host_(host), weather_(weather) {}

std::string WeatherLoader::timestamp() const {
    const auto seconds = static_cast<std::time_t>(clock_.wallClock());
    std::tm tm{};
    localtime_r(&seconds, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return text;
}

void WeatherLoader::reportFileError(const std::string& path, const std::string& reason) {
    dialogs_.message({reason, "Weather File " + path + "  -- ERROR", platform::Buttons::Ok,
                      platform::Icon::Exclamation, 1});
    dialogs_.setLastAnswer(platform::Answer::None);
}

bool WeatherLoader::readFile(const std::string& path, std::string& text) {
    std::string reason;
    if (!readWeatherFile(path, text, reason)) {
        reportFileError(path, reason);
        return false;
    }
    return true;
}

bool WeatherLoader::readMetarFile(const std::string& path, std::string& text) {
    if (!readFile(path, text)) {
        return false;
    }
    if (!needsLineEndRepair(text)) {
        return true;
    }
    text = repairLineEnds(text);
    if (scratchFile_.empty()) {
        return true;
    }
    // The load goes on only when the copy reached the file in full (every write and the close
    // succeeded), so the scratch file always holds the weather that was loaded.
    std::string reason;
    if (!writeScratchFile(scratchFile_, text, reason)) {
        reportFileError(path, reason + " Nothing was loaded.");
        return false;
    }
    return true;
}

void WeatherLoader::keepPreviousWeather(std::string_view text, bool saSelected) {
    dialogs_.inform(kNoWeatherMessage);
    dialogs_.inform(nothingFoundSentence("file", text));
    if (weather_.stations.count() > 0) {
        dialogs_.inform(kPreviousWeatherKept);
    } else {
        weather_.noWeather = true;
    }
    if (saSelected) {
        bool metar = false;
        forEachLine(text, [&](std::string_view line) {
            metar = metar || decodeMetarLine(line, rnd_).outcome == MetarLine::Outcome::Report;
        });
        if (metar) {
            dialogs_.inform(kLooksLikeMetar);
        }
    }
    dialogs_.setLastAnswer(platform::Answer::No);
}

std::optional<StationList> WeatherLoader::completeAndStore(std::vector<WeatherRecord>& records,
                                                           const CompletionStyle& style,
                                                           int progressBase, LoadOutcome& outcome,
                                                           int progressEvery) {
    // Table order is station order.
    std::vector<WeatherRecord*> order = stationOrder(records);
    std::vector<std::string> ids;
    ids.reserve(order.size());
    for (const auto* r : order) {
        ids.push_back(r->ID);
    }
    const auto stations = weather_.stationTable.lookup(db_, ids);

    // What a report left out is taken from its neighbours before anything is derived from it.
    std::vector<EstimateSubject> subjects;
    subjects.reserve(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        subjects.push_back({order[i], stations[i]});
    }
    estimateMissing(subjects);

    CompletionStyle withAloft = style;
    withAloft.aloftField = aloft_ != nullptr && !aloft_->empty() ? aloft_ : nullptr;
    withAloft.aloftTime = static_cast<std::int64_t>(clock_.wallClock());
    for (std::size_t i = 0; i < order.size(); ++i) {
        // A station missing from the table stays at sea level in its report's own scale.
        StationFacts facts;
        if (stations[i]) {
            facts.elevationFeet = elevationFeet(stations[i]->Altitude);
            facts.celsius = stations[i]->Celcius;
            if (withAloft.aloftField != nullptr && !stations[i]->Latitude.empty() &&
                !stations[i]->Longitude.empty()) {
                facts.latitude = stationLatitude(stations[i]->Latitude);
                facts.longitude = stationLongitude(stations[i]->Longitude);
            }
        }
        completeRecord(*order[i], facts, withAloft, rnd_);
        ++outcome.processed;
        if (outcome.processed % progressEvery == 0 ||
            outcome.processed == static_cast<int>(order.size())) {
            host_.setStatus("Processing " +
                            std::to_string(percent(outcome.processed, progressBase)) +
                            " percent complete.");
            host_.processEvents();
        }
    }
    // One transaction for the whole load: a failure keeps the previous weather.
    std::string failure;
    {
        auto tx = db_.transaction();
        if (!db_.replaceWeather({order.begin(), order.end()}) || !tx->commit()) {
            failure = db_.lastError();
        }
    }
    if (!failure.empty()) {
        dialogs_.message({"The weather could not be stored in the database (" + failure +
                              "). The previous weather is kept.",
                          "Weather -- ERROR", platform::Buttons::Ok, platform::Icon::Exclamation,
                          1});
        dialogs_.setLastAnswer(platform::Answer::None);
        return std::nullopt;
    }

    // The load is in the log; it is copied into the file while the caller goes on.
    db_.checkpointInBackground();
    outcome.stored.reserve(order.size());
    for (const WeatherRecord* r : order) {
        outcome.stored.push_back({r->ID, r->Cl1Coverage, r->Cl2Coverage, r->VisibVary, r->Thunder,
                                  r->Precip, r->FlightCategory});
    }

    // The stations that now have weather, as the stored query lists them (the stored weather
    // joined with the station table, in identifier order): the records in table order with a
    // station row. "Use Last Weather" builds its list from the query itself.
    StationList list;
    list.entries.reserve(order.size() + 1);
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (const StationRecord* s = stations[i]) {
            list.entries.push_back({s->ID, stationLatitude(s->Latitude),
                                    stationLongitude(s->Longitude), s->Name, s->StateCode,
                                    s->Country});
        }
    }
    return list;
}

bool WeatherLoader::finish(LoadOutcome& outcome, StationList stations) {
    weather_.stations = std::move(stations);
    if (weather_.stations.count() == 0) {
        dialogs_.inform(kNoWeatherMessage);
        dialogs_.setLastAnswer(platform::Answer::No);
        weather_.noWeather = true;
        return false;
    }
    weather_.noWeather = false;
    outcome.finished = true;
    return true;
}

LoadOutcome WeatherLoader::loadMetar(const std::string& path, bool useLastWeather) {
    LoadOutcome outcome;
    rnd_.seedFromClock();
    StationList stations;
    if (!useLastWeather) {
        std::string text;
        if (!readMetarFile(path, text)) {
            return outcome;
        }
        // NOAA's CSV products (gzip-compressed or not) are read for their reports.
        if (std::string error; !toReportText(text, &error)) {
            dialogs_.message({error, "Weather File " + path + "  -- ERROR", platform::Buttons::Ok,
                              platform::Icon::Exclamation, 1});
            dialogs_.setLastAnswer(platform::Answer::None);
            return outcome;
        }
        // The connection that copies the load into the file afterwards opens meanwhile.
        db_.prepareCheckpoint();
        host_.setStatus("Processing weather.");
        const std::string stamp = timestamp();

        RecordSet set;
        set.reserve(lineCountHint(text));
        int lastPrecipitation = 0;
        int lines = 0;
        // The month and year of the reports' days: a date line above them, else the file's date.
        std::optional<ReferenceDate> reference = fileDate(path);
        bool assumedDate = true;  // until a date line gives it
        forEachLine(text, [&](std::string_view line) {
            if (const auto date = dateLine(line)) {
                reference = date;
                assumedDate = false;
            }
            const MetarLine decoded = decodeMetarLine(line, rnd_);
            lastPrecipitation = decoded.report.precipitation;
            if (decoded.outcome == MetarLine::Outcome::Report) {
                WeatherRecord record = metarRecord(decoded.report, line, stamp);
                record.ObsTime = observationTime(line, reference);
                if (assumedDate && !record.ObsTime.empty()) {
                    markObservationDateAssumed(record);
                }
                if (!set.put(std::move(record))) {
                    ++outcome.loaded;
                    if (outcome.loaded % 100 == 0) {
                        host_.setStatus("Loaded " + std::to_string(outcome.loaded) + " stations.");
                    }
                }
            }
            if (++lines % kLinesPerYield == 0) {
                host_.processEvents();
            }
        });
        if (set.records().empty()) {
            keepPreviousWeather(text, false);
            return outcome;
        }
        weather_.precipitation = lastPrecipitation;
        // The full reading of each kept report puts right what the positional one misread.
        for (WeatherRecord& record : set.records()) {
            applyFullReading(record, readObservation(record.RawText));
        }

        // The second pass walks the records in table order (by station), then the whole
        // load is written in one transaction: a failure keeps the previous weather.
        auto stored =
            completeAndStore(set.records(), CompletionStyle::metar(), outcome.loaded, outcome, 100);
        if (!stored) {
            return outcome;
        }
        stations = std::move(*stored);
    } else {
        stations = db_.stationList();
    }

    if (!finish(outcome, std::move(stations))) {
        return outcome;
    }
    if (outcome.processed > 0 || useLastWeather) {
        host_.setRandomTimerInterval(60000);
    }
    if (!useLastWeather) {
        dialogs_.inform("Done Processing " + std::to_string(outcome.processed) + " stations.");
    }
    return outcome;
}

LoadOutcome WeatherLoader::loadSa(const std::string& path) {
    LoadOutcome outcome;
    rnd_.seedFromClock();
    std::string text;
    if (!readFile(path, text)) {
        return outcome;
    }
    host_.setStatus("Processing weather.");
    const std::string stamp = timestamp();

    RecordSet set;
    set.reserve(lineCountHint(text));
    int lines = 0;
    forEachLine(text, [&](std::string_view line) {
        if (const auto report = decodeSaLine(line, rnd_)) {
            if (!set.put(saRecord(*report, line, stamp))) {
                ++outcome.loaded;
            }
            host_.setStatus("Loaded " + std::to_string(outcome.loaded) + " stations.");
        }
        if (++lines % kLinesPerYield == 0) {
            host_.processEvents();
        }
    });

    auto& records = set.records();
    // Validation: unknown cover words, tops below bases and impossible temperatures go.
    std::erase_if(records, [](const WeatherRecord& r) {
        return !knownCover(r.cl1CoverCode) || !knownCover(r.cl2CoverCode) || r.cl1Top < r.cl1Base ||
               r.cl2Top < r.cl2Base || r.t0Deg > 150;
    });
    if (records.empty()) {
        keepPreviousWeather(text, true);
        return outcome;
    }
    auto stations = completeAndStore(records, CompletionStyle::sa(),
                                     static_cast<int>(records.size()), outcome, 1);
    if (!stations) {
        return outcome;
    }

    if (!finish(outcome, std::move(*stations))) {
        return outcome;
    }
    host_.setRandomTimerInterval(60000);
    dialogs_.inform("Done Processing " + std::to_string(outcome.processed) + " stations.");
    return outcome;
}

}  // namespace zephyra::weather
