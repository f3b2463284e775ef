#include "weather/TafStore.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "weather/Statement.h"
#include "weather/WeatherDb.h"

namespace zephyra::weather {

namespace {

// The time a TAF is stored under and decoded against: its issue time, or for a TAF that gives
// none the start of its validity (the issue is at most a few hours before it).
std::int64_t storedTime(const Taf& taf) {
    return taf.issued != 0 ? taf.issued : taf.validFrom;
}

// The TAF as stored: a bulletin's TAF may have left "TAF AMD" on a line of its own, outside
// the raw text; it is put back, so the text read again says what the TAF said.
std::string storedText(const Taf& taf) {
    if (taf.raw.starts_with("TAF ")) {
        return taf.raw;
    }
    return std::string("TAF ") + (taf.amended ? "AMD " : "") + (taf.corrected ? "COR " : "") +
           taf.raw;
}

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

}  // namespace

bool replaceTafs(WeatherDb& db, const std::vector<Taf>& tafs, std::string* error, int* stored) {
    const auto fail = [&](const std::string& why) {
        if (error != nullptr) {
            *error = "The TAFs could not be stored: " + why + ".";
        }
        return false;
    };
    if (db.readOnly()) {
        return fail("the database is read-only");
    }
    std::map<std::string, const Taf*> newest;
    for (const Taf& taf : tafs) {
        if (taf.station.empty() || taf.raw.empty()) {
            continue;
        }
        const Taf*& kept = newest[upper(taf.station)];
        if (kept == nullptr || storedTime(taf) >= storedTime(*kept)) {
            kept = &taf;
        }
    }
    auto tx = db.transaction();
    // Without a transaction of its own, the delete below would stand alone.
    if (sqlite3_get_autocommit(db.handle()) != 0) {
        return fail(db.lastError());
    }
    Statement clear(db.handle(), "DELETE FROM Tafs");
    Statement insert(db.handle(), "INSERT INTO Tafs (Station, Issued, RawText) VALUES (?, ?, ?)");
    if (!clear.valid() || !insert.valid() || clear.step() != SQLITE_DONE) {
        return fail(db.lastError());
    }
    for (const auto& [station, taf] : newest) {
        insert.bindStatic(1, station);
        insert.bind(2, static_cast<long long>(storedTime(*taf)));
        insert.bind(3, storedText(*taf));
        if (insert.step() != SQLITE_DONE) {
            return fail(db.lastError());
        }
        insert.reset();
    }
    if (!tx->commit()) {
        return fail(db.lastError());
    }
    if (stored != nullptr) {
        *stored = static_cast<int>(newest.size());
    }
    return true;
}

std::optional<Taf> loadedTaf(WeatherDb& db, const std::string& id) {
    Statement find(db.handle(), "SELECT Issued, RawText FROM Tafs WHERE Station = ?");
    if (!find.valid()) {
        return std::nullopt;
    }
    find.bind(1, upper(id));
    if (find.step() != SQLITE_ROW) {
        return std::nullopt;
    }
    const std::int64_t issued = find.integer64(0);
    std::vector<Taf> read = readTafs(find.text(1), issued);
    const auto it = std::find_if(read.begin(), read.end(),
                                 [&](const Taf& taf) { return upper(taf.station) == upper(id); });
    if (it == read.end()) {
        return std::nullopt;
    }
    return std::move(*it);
}

int loadedTafCount(WeatherDb& db) {
    Statement count(db.handle(), "SELECT count(*) FROM Tafs");
    return count.valid() && count.step() == SQLITE_ROW ? count.integer(0) : 0;
}

}  // namespace zephyra::weather
