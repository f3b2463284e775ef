#pragma once

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "weather/Records.h"
#include "weather/Statement.h"

struct sqlite3;

namespace zephyra::weather {

inline constexpr const char* kRebuildCommand = "zephyra-cli build-db";

// The write-ahead log is copied back into the file once a commit leaves this much in it.
inline constexpr int kLogBytes = 4 * 1024 * 1024;

// What the user is told when the program's database cannot be used: where it is, what is wrong
// with it and how to rebuild it.
std::string unusableMessage(const std::string& path, const std::string& problem);

// The program's database ("vanedb.mdb"): weather records, reporting stations and waypoints.
// Opens the file, creates what is missing, and offers the few operations the program needs.
// Writes of a whole load are batched by the caller with transaction().
class WeatherDb {
  public:
    ~WeatherDb();
    WeatherDb(const WeatherDb&) = delete;
    WeatherDb& operator=(const WeatherDb&) = delete;

    // Opens the database file, creating it and its tables when create is set; null with a
    // reason on failure. Without create the file must be the program's database: a missing,
    // empty or damaged file (or a folder in its place) is refused, and the reason says how to
    // rebuild it; a file that cannot be written (its own permissions, its folder's, a read-only
    // disk) is opened read-only, so reading works and writes fail (readOnly() says why).
    static std::unique_ptr<WeatherDb> open(const std::string& path, std::string* error = nullptr,
                                           bool create = true);

    // A copy of the database at source that this process throws away, kept in memory under
    // name (a name only: no file is made). Every later opening of name shares the copy's one
    // connection, so the schema is read once. Returns the first opening, or nothing (error
    // says why) when source cannot be read. forgetScratch drops the copy; no opening of it
    // may outlive that.
    static std::unique_ptr<WeatherDb> openScratchCopy(const std::string& source,
                                                      const std::string& name,
                                                      std::string* error = nullptr);
    static void forgetScratch(const std::string& name);
    // From now on the scratch copy's writes keep no rollback log at all: for the single-row
    // writes that follow a load (a flight's varied winds), whose failure could only spoil the
    // copy. A whole load still needs its log, to roll back to the previous weather.
    static void dropScratchJournal(const std::string& name);

    sqlite3* handle() const { return db_; }
    bool readOnly() const { return readOnly_; }
    std::string lastError() const;
    std::unique_ptr<Transaction> transaction();
    // Copies the write-ahead log into the file on a connection of its own, in the background,
    // while this one goes on; closing waits for it. After a large write, so the copy and its
    // syncs are not waited for when the last connection closes. prepareCheckpoint, before the
    // write, opens that connection ahead; when no checkpoint follows, closing drops it unused.
    void prepareCheckpoint();
    void checkpointInBackground();

    // --- Weather
    enum class AddResult { Added, DuplicateKey, Failed };
    bool emptyWeather();
    // Adds a record; a record of the same ID already there gives DuplicateKey.
    AddResult addWeather(const WeatherRecord& record);
    bool deleteWeather(const std::string& id);
    // Replaces all the stored weather with these records, of distinct IDs, in one statement.
    // Call it within a transaction, and roll that back when it fails: the rows written before
    // a failure are not taken out again.
    bool replaceWeather(const std::vector<const WeatherRecord*>& records);

    // Adds a record; an earlier record of the same station is deleted first, so the later
    // report wins. replaced tells whether that happened (the loaded count then stays).
    AddResult addOrReplaceWeather(const WeatherRecord& record, bool* replaced = nullptr);
    std::optional<WeatherRecord> findWeather(const std::string& id);
    bool updateWeather(const WeatherRecord& record);
    // Writes back the upper winds the random variation moved (directions, speeds, turbulence
    // of layers 2 and 3).
    bool updateVariedWinds(const WeatherRecord& record);
    int weatherCount();

    // --- Stations
    std::optional<StationRecord> findStation(const std::string& id);
    // The stations that have weather, from SelectStations, with positions in degrees.
    StationList stationList();

    // --- WPS
    // Whether the WPS table holds a record.
    bool hasWaypoints();
    // Visits every WPS record in table order; return false to stop. The record is the
    // visitor's to take from (its texts may be moved out).
    bool forEachWps(const std::function<bool(WpsRecord&)>& visit);
    // A WPS record as the waypoint store takes it: texts in place (valid during the visit
    // only) and the position already in degrees.
    struct WpsEntry {
        std::string_view Name, Type, Frequency, Ident, Lon;
        int we = 0;
        double latitude = 0, longitude = 0;
    };
    // Visits every WPS record in table order without copying its texts; return false to stop.
    bool forEachWpsEntry(const std::function<bool(const WpsEntry&)>& visit);
    // First record of the given identifier (airports and NAVAIDs), case-insensitive.
    std::optional<WpsRecord> findWpsByIdent(const std::string& ident);
    // Every record of the given identifier, case-insensitive, in table order; an airport also
    // answers to its other codes (ICAO, GPS, IATA).
    std::vector<WpsRecord> wpsByIdent(const std::string& ident);
    // The city and rank of each airport, by its Ident (empty for a database without them).
    struct AirportFacts {
        std::string city;
        int rank = 2;  // the larger first: 7 large with scheduled service ... 2 other
    };
    std::unordered_map<std::string, AirportFacts> airportFacts();
    // Where an airport is, by its identifier (KATL): the airport waypoint, else the reporting
    // station of that identifier. Latitude and longitude in degrees.
    std::optional<std::pair<double, double>> airportPosition(const std::string& ident);

    // A name search that remembers where it is: first() and next() walk the records whose Name
    // holds the text, whatever its letter case, in table order.
    class WpsSearch {
      public:
        std::optional<WpsRecord> first();
        std::optional<WpsRecord> next();
        const std::optional<WpsRecord>& current() const { return current_; }
        const std::string& text() const { return text_; }

      private:
        friend class WeatherDb;
        WpsSearch(WeatherDb& db, std::string text);
        std::optional<WpsRecord> after(long long rowid);
        WeatherDb* db_;
        std::string text_;
        std::optional<WpsRecord> current_;
    };
    WpsSearch searchWps(const std::string& text) { return WpsSearch(*this, text); }

    // The prepared statements kept between calls (defined where they are used). A scratch
    // copy's outlive each opening: the next opening of the same connection takes them over.
    struct Statements;

  private:
    WeatherDb(sqlite3* db, bool ownsConnection, std::unique_ptr<Statements> statements);
    Statement& cached(Statement& slot, const char* sql);

    sqlite3* db_;
    bool readOnly_ = false;
    std::string refused_;  // why replaceWeather failed, when SQLite did not say
    bool ownsConnection_ = true;
    std::unique_ptr<Statements> st_;
    std::promise<bool> checkpointGo_;  // true: copy now; false: not at all
    std::future<void> checkpoint_;
    std::future<void> logReady_;  // the checkpoint's connection has written the log's header
    bool checkpointStarted_ = false;
};

}  // namespace zephyra::weather
