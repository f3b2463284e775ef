#include "weather/import/Importer.h"

#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <optional>
#include <system_error>

#include "platform/Files.h"
#include "weather/Packs.h"
#include "weather/Schema.h"
#include "weather/Statement.h"
#include "weather/import/Selection.h"
#include "weather/import/Sources.h"
#include "weather/import/TextInput.h"

namespace fs = std::filesystem;

namespace zephyra::weather::import {

int ImportReport::malformed() const {
    int total = 0;
    for (const auto& [file, count] : malformedRows) {
        total += count;
    }
    return total;
}

namespace {

bool fail(std::string* error, const std::string& message) {
    if (error != nullptr) {
        *error = message;
    }
    return false;
}

class Connection {
  public:
    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { close(); }

    bool open(const std::string& path, int flags, std::string* error) {
        if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
            return fail(error, "\"" + path + "\": " + message());
        }
        return true;
    }
    void close() {
        sqlite3_close(db_);
        db_ = nullptr;
    }
    bool exec(const char* sql, std::string* error) {
        char* text = nullptr;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, &text) != SQLITE_OK) {
            const std::string why = text != nullptr ? text : message();
            sqlite3_free(text);
            return fail(error, why);
        }
        return true;
    }
    std::string message() const { return db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory"; }
    sqlite3* get() const { return db_; }

  private:
    sqlite3* db_ = nullptr;
};

// Runs a prepared insert once and readies it for the next row.
bool run(sqlite3* db, Statement& st, std::string* error) {
    const int rc = st.step();
    st.reset();
    return rc == SQLITE_DONE || fail(error, sqlite3_errmsg(db));
}

// Reads one source file; a missing optional file leaves text empty.
bool loadSource(const Sources& sources, const std::string& name, bool required, std::string& text,
                std::string& fileName, std::string* error) {
    text.clear();
    const std::string path = locateDataFile(sources.dataDir, name);
    if (path.empty()) {
        if (!required) {
            return true;
        }
        return fail(
            error, "\"" + platform::joinPath(sources.dataDir, name) + "\" (or .gz) was not found.");
    }
    fileName = fs::path(path).filename().string();
    return readDataFile(path, text, error);
}

void noteMalformed(ImportReport& report, const std::string& file, int count) {
    if (count > 0) {
        report.malformedRows.emplace_back(file, count);
    }
}

std::string quoted(const std::string& identifier) {
    std::string out = "\"";
    for (const char c : identifier) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The column names of a table in file order; empty when there is no such table.
std::optional<std::vector<std::string>> tableColumns(sqlite3* db, const std::string& table,
                                                     std::string& why) {
    Statement info(db, "SELECT name FROM pragma_table_info(?)");
    if (!info.valid()) {
        why = sqlite3_errmsg(db);
        return std::nullopt;
    }
    info.bind(1, table);
    std::vector<std::string> names;
    int rc = 0;
    while ((rc = sqlite3_step(info.get())) == SQLITE_ROW) {
        const auto* name = sqlite3_column_text(info.get(), 0);
        names.emplace_back(name != nullptr ? reinterpret_cast<const char*>(name) : "");
    }
    if (rc != SQLITE_DONE) {
        why = sqlite3_errmsg(db);
        return std::nullopt;
    }
    return names;
}

// Copies the Weather rows of the file being replaced, column by column where both files have
// the column, and its loaded TAFs, so a rebuild never loses the last reports the user loaded.
bool carryWeather(sqlite3* db, const std::string& previous, int& kept, std::string* error) {
    kept = 0;
    if (!platform::fileExists(previous)) {
        return true;
    }
    Connection old;
    if (!old.open(previous, SQLITE_OPEN_READONLY, error)) {
        return false;
    }
    sqlite3_busy_timeout(old.get(), 5000);
    const std::string cannotRead =
        "\"" + previous + "\" could not be read to keep its weather (remove it to rebuild): ";

    std::string why;
    const auto oldColumns = tableColumns(old.get(), "Weather", why);
    if (!oldColumns) {
        return fail(error, cannotRead + why);
    }
    const auto newColumns = tableColumns(db, "Weather", why);
    if (!newColumns) {
        return fail(error, why);
    }
    std::vector<std::string> columns;
    for (const auto& name : *newColumns) {
        if (std::any_of(oldColumns->begin(), oldColumns->end(),
                        [&](const std::string& o) { return sameName(o, name); })) {
            columns.push_back(name);
        }
    }
    const bool hasId =
        std::any_of(columns.begin(), columns.end(), [](const std::string& c) { return c == "ID"; });
    if (!hasId) {
        return true;  // no Weather table (or not one of ours): nothing to keep
    }

    std::string list;
    std::string marks;
    for (const auto& c : columns) {
        list += (list.empty() ? "" : ", ") + quoted(c);
        marks += marks.empty() ? "?" : ", ?";
    }
    Statement select(old.get(), "SELECT " + list + " FROM Weather WHERE ID IS NOT NULL");
    Statement insert(db, "INSERT OR REPLACE INTO Weather (" + list + ") VALUES (" + marks + ")");
    if (!select.valid()) {
        return fail(error, cannotRead + old.message());
    }
    if (!insert.valid()) {
        return fail(error, sqlite3_errmsg(db));
    }
    int rc = 0;
    while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
        for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
            sqlite3_bind_value(insert.get(), i + 1, sqlite3_column_value(select.get(), i));
        }
        if (!run(db, insert, error)) {
            return false;
        }
        ++kept;
    }
    if (rc != SQLITE_DONE) {
        return fail(error, cannotRead + old.message());
    }
    // The loaded TAFs too, where the file has them (an older one has no such table).
    Statement tafs(old.get(), "SELECT Station, Issued, RawText FROM Tafs");
    if (!tafs.valid()) {
        return true;
    }
    Statement putTaf(db, "INSERT OR REPLACE INTO Tafs (Station, Issued, RawText) VALUES (?, ?, ?)");
    if (!putTaf.valid()) {
        return fail(error, sqlite3_errmsg(db));
    }
    while ((rc = sqlite3_step(tafs.get())) == SQLITE_ROW) {
        for (int i = 0; i < 3; ++i) {
            sqlite3_bind_value(putTaf.get(), i + 1, sqlite3_column_value(tafs.get(), i));
        }
        if (!run(db, putTaf, error)) {
            return false;
        }
    }
    if (rc != SQLITE_DONE) {
        return fail(error, cannotRead + old.message());
    }
    return true;
}

bool writeStations(sqlite3* db, const std::vector<StationRow>& rows, std::string* error) {
    Statement insert(db,
                     "INSERT INTO Stations (ID, Name, Latitude, Longitude, Altitude, "
                     "\"State Code\", Country, Celcius) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    if (!insert.valid()) {
        return fail(error, sqlite3_errmsg(db));
    }
    for (const auto& row : rows) {
        insert.bind(1, row.id);
        insert.bind(2, row.name);
        insert.bind(3, row.latitude);
        insert.bind(4, row.longitude);
        insert.bind(5, row.altitudeM);
        insert.bind(6, row.stateCode);
        insert.bind(7, row.country);
        insert.bind(8, row.celsius ? 1 : 0);
        if (!run(db, insert, error)) {
            return false;
        }
    }
    return true;
}

// What WPS has no column for: the airport's city and rank, and its other codes.
bool writeAirport(sqlite3* db, const WaypointRow& row, std::string* error) {
    Statement airport(db, "INSERT OR IGNORE INTO Airports (Ident, City, Rank) VALUES (?, ?, ?)");
    Statement code(db, "INSERT INTO AirportCodes (Code, Ident) VALUES (?, ?)");
    if (!airport.valid() || !code.valid()) {
        return fail(error, sqlite3_errmsg(db));
    }
    airport.bind(1, row.ident);
    airport.bind(2, row.city);
    airport.bind(3, row.rank);
    if (!run(db, airport, error)) {
        return false;
    }
    for (const auto& c : row.codes) {
        code.bind(1, c);
        code.bind(2, row.ident);
        if (!run(db, code, error)) {
            return false;
        }
    }
    return true;
}

bool writeWaypoints(sqlite3* db, const std::vector<const std::vector<WaypointRow>*>& groups,
                    std::string* error) {
    Statement insert(db,
                     "INSERT INTO WPS (Name, Type, Frequency, Lat, NS, Lon, we, Ident) "
                     "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    if (!insert.valid()) {
        return fail(error, sqlite3_errmsg(db));
    }
    for (const auto* group : groups) {
        for (const auto& row : *group) {
            insert.bind(1, row.name);
            insert.bind(2, row.type);
            insert.bind(3, row.frequency);
            insert.bind(4, row.lat);
            insert.bind(5, row.ns);
            insert.bind(6, row.lon);
            insert.bind(7, row.we);
            insert.bind(8, row.ident);
            if (!run(db, insert, error)) {
                return false;
            }
            if (row.type == "A" && !writeAirport(db, row, error)) {
                return false;
            }
        }
    }
    return true;
}

void syncPath(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

std::string buildingPrefix(const fs::path& target) {
    return target.filename().string() + ".building.";
}

// Removes half-written files left by builds that were killed (their process is gone).
void removeAbandonedBuilds(const fs::path& target) {
    std::error_code ec;
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const std::string prefix = buildingPrefix(target);
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) != 0) {
            continue;
        }
        const std::string pid = name.substr(prefix.size());
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const long long value = std::strtoll(pid.c_str(), nullptr, 10);
        if (pid.size() > 10 || value <= 0 || value > std::numeric_limits<pid_t>::max()) {
            continue;
        }
        if (::kill(static_cast<pid_t>(value), 0) != 0 && errno == ESRCH) {
            fs::remove(entry.path(), ec);
        }
    }
}

// Truncates a group to what is left of the WPS row budget.
void fitBudget(std::vector<WaypointRow>& rows, int& left) {
    if (static_cast<int>(rows.size()) > left) {
        rows.resize(static_cast<std::size_t>(std::max(left, 0)));
    }
    left -= static_cast<int>(rows.size());
}

bool writeDatabase(const std::string& path, const std::string& previous,
                   const MergedStations& stations,
                   const std::vector<const std::vector<WaypointRow>*>& waypoints,
                   ImportReport& report, std::string* error) {
    Connection db;
    if (!db.open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error)) {
        return false;
    }
    // A private scratch file: no journal, and one fsync before it is renamed into place.
    if (!db.exec(kPageSizePragma, error) ||
        !db.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;", error) ||
        !createSchema(db.get(), error) || !db.exec("BEGIN", error) ||
        !writeStations(db.get(), stations.rows, error) ||
        !writeWaypoints(db.get(), waypoints, error) ||
        !carryWeather(db.get(), previous, report.weatherKept, error)) {
        return false;
    }
    packs::rebuild(db.get());
    if (!db.exec("COMMIT", error)) {
        return false;
    }
    db.close();
    return true;
}

}  // namespace

bool buildDatabase(const Sources& sources, const std::string& target, ImportReport& report,
                   std::string* error) {
    report = ImportReport{};
    // The database replaces only a regular file or takes a new name; a link is followed to the
    // file it names, which is replaced and the link kept.
    std::error_code ec;
    fs::path targetPath(target);
    if (fs::is_symlink(targetPath, ec)) {
        targetPath = fs::weakly_canonical(targetPath, ec);
    }
    if (const auto there = fs::status(targetPath, ec);
        fs::exists(there) && !fs::is_regular_file(there)) {
        return fail(error, "\"" + target + "\" is not a regular file; no database was written.");
    }

    std::string text;
    std::string file;
    std::map<std::string, std::string> countries;
    Parsed<AirportRecord> airports;
    Parsed<NavaidRecord> navaids;
    Parsed<StationRecord> nsd, awc, weatherUtil;
    Parsed<FixRecord> fixes;

    int countryErrors = 0;
    if (!loadSource(sources, sources.countries, true, text, file, error) ||
        !parseCountries(text, countries, countryErrors, error)) {
        return false;
    }
    noteMalformed(report, file, countryErrors);
    if (!loadSource(sources, sources.airports, true, text, file, error) ||
        !parseAirports(text, airports, error)) {
        return false;
    }
    noteMalformed(report, file, airports.malformed);
    if (!loadSource(sources, sources.navaids, true, text, file, error) ||
        !parseNavaids(text, navaids, error)) {
        return false;
    }
    noteMalformed(report, file, navaids.malformed);
    if (!loadSource(sources, sources.nsdStations, true, text, file, error)) {
        return false;
    }
    nsd = parseNsdStations(text);
    noteMalformed(report, file, nsd.malformed);
    if (!loadSource(sources, sources.awcStations, true, text, file, error)) {
        return false;
    }
    awc = parseAwcStations(text);
    noteMalformed(report, file, awc.malformed);
    if (!loadSource(sources, sources.weatherUtilStations, false, text, file, error)) {
        return false;
    }
    if (!text.empty()) {
        weatherUtil = parseWeatherUtilStations(text);
        noteMalformed(report, file, weatherUtil.malformed);
    }
    if (!loadSource(sources, sources.fixes, true, text, file, error)) {
        return false;
    }
    fixes = parseFixes(text);
    noteMalformed(report, file, fixes.malformed);
    text = std::string();

    const MergedStations stations =
        mergeStations({nsd.rows, awc.rows, weatherUtil.rows, airports.rows, countries});
    auto airportRows = selectAirports(airports.rows, stations.airportStation);
    auto navaidRows = selectNavaids(navaids.rows);
    int left = kStoreCapacity - static_cast<int>(stations.rows.size());
    fitBudget(airportRows, left);
    fitBudget(navaidRows.vors, left);
    fitBudget(navaidRows.ndbs, left);
    auto fixRows = selectFixes(fixes.rows, left);

    report.stations = static_cast<int>(stations.rows.size());
    report.unplacedStations = stations.unplaced;
    report.saCodes = stations.shortIds;
    report.airports = static_cast<int>(airportRows.size());
    report.vors = static_cast<int>(navaidRows.vors.size());
    report.ndbs = static_cast<int>(navaidRows.ndbs.size());
    report.badFrequencies = navaidRows.badFrequencies;
    report.fixes = static_cast<int>(fixRows.size());

    removeAbandonedBuilds(targetPath);
    const std::string building =
        (targetPath.parent_path() / (buildingPrefix(targetPath) + std::to_string(::getpid())))
            .string();
    fs::remove(building, ec);

    if (!writeDatabase(building, targetPath.string(), stations,
                       {&airportRows, &navaidRows.vors, &navaidRows.ndbs, &fixRows}, report,
                       error)) {
        fs::remove(building, ec);
        return false;
    }
    syncPath(building);
    fs::rename(building, targetPath, ec);
    if (ec) {
        const std::string why = ec.message();
        fs::remove(building, ec);
        return fail(error, "\"" + target + "\" could not be replaced: " + why + ".");
    }
    syncPath(targetPath.parent_path().empty() ? "." : targetPath.parent_path().string());
    return true;
}

}  // namespace zephyra::weather::import
