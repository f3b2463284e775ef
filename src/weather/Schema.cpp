#include "weather/Schema.h"

#include <sqlite3.h>

#include <string>

namespace zephyra::weather {

namespace {

const char* const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS Weather (
    ID TEXT NOT NULL PRIMARY KEY,
    Observation TEXT DEFAULT '',
    Time DEFAULT 0,
    cl1Base INTEGER DEFAULT 0,
    cl1Top INTEGER DEFAULT 0,
    cl1CoverCode TEXT DEFAULT '',
    Cl1Coverage INTEGER DEFAULT 0,
    Cl1Turb REAL DEFAULT 0,
    Cl1Icing INTEGER DEFAULT 0,
    Cl1Dev REAL DEFAULT 0,
    cl2Base INTEGER DEFAULT 0,
    cl2Top INTEGER DEFAULT 0,
    cl2CoverCode TEXT DEFAULT '',
    Cl2Coverage INTEGER DEFAULT 0,
    Cl2Turb REAL DEFAULT 0,
    Cl2Icing INTEGER DEFAULT 0,
    Cl2Dev REAL DEFAULT 0,
    Visibility REAL DEFAULT 0,
    VisibVary INTEGER DEFAULT 0,
    Pressure REAL DEFAULT 0,
    Altimeter REAL DEFAULT 0,
    Dew INTEGER DEFAULT 0,
    t0Alt INTEGER DEFAULT 0,
    t0Deg INTEGER DEFAULT 0,
    t1alt INTEGER DEFAULT 0,
    t1Deg INTEGER DEFAULT 0,
    t2Alt INTEGER DEFAULT 0,
    t2Deg INTEGER DEFAULT 0,
    t3alt INTEGER DEFAULT 0,
    t3Deg INTEGER DEFAULT 0,
    w0Depth REAL DEFAULT 0,
    w0Dir REAL DEFAULT 0,
    w0Spd REAL DEFAULT 0,
    w0Gust REAL DEFAULT 0,
    w0Turb REAL DEFAULT 0,
    w1Base REAL DEFAULT 0,
    w1Top REAL DEFAULT 0,
    w1Dir REAL DEFAULT 0,
    w1Spd REAL DEFAULT 0,
    w1Turb REAL DEFAULT 0,
    w1Gust REAL DEFAULT 0,
    w2Base REAL DEFAULT 0,
    w2Top REAL DEFAULT 0,
    w2Dir REAL DEFAULT 0,
    w2Spd REAL DEFAULT 0,
    w2Turb REAL DEFAULT 0,
    w2Gust REAL DEFAULT 0,
    w3Base REAL DEFAULT 0,
    w3Top REAL DEFAULT 0,
    w3Dir REAL DEFAULT 0,
    w3Spd REAL DEFAULT 0,
    w3Turb REAL DEFAULT 0,
    w3Gust REAL DEFAULT 0,
    Thunder INTEGER DEFAULT 0,
    Precip INTEGER DEFAULT 0,
    Upd_Ts TEXT DEFAULT '',
    RawText TEXT DEFAULT '',
    ObsTime TEXT DEFAULT '',
    TempScale TEXT DEFAULT 'F',
    Estimated TEXT DEFAULT '',
    FlightCategory TEXT DEFAULT ''
);

CREATE TABLE IF NOT EXISTS Stations (
    ID TEXT NOT NULL PRIMARY KEY,
    Name TEXT NOT NULL DEFAULT '',
    Latitude TEXT NOT NULL DEFAULT '',
    Longitude TEXT NOT NULL DEFAULT '',
    Altitude REAL NOT NULL DEFAULT 0,
    "State Code" TEXT NOT NULL DEFAULT '',
    Country TEXT NOT NULL DEFAULT '',
    Celcius INTEGER NOT NULL DEFAULT 1
) WITHOUT ROWID;

-- Waypoints, NAVAIDs and airports in table order. Lat "DDMMSS" with NS (-1 north, 0 south),
-- Lon "DDDMMSS" with we (-1 west, 0 east). Ident is the airport code or NAVAID identifier.
CREATE TABLE IF NOT EXISTS WPS (
    Name TEXT NOT NULL DEFAULT '',
    Type TEXT NOT NULL DEFAULT '',
    Frequency TEXT NOT NULL DEFAULT '',
    Lat TEXT NOT NULL DEFAULT '',
    NS INTEGER NOT NULL DEFAULT -1,
    Lon TEXT NOT NULL DEFAULT '',
    we INTEGER NOT NULL DEFAULT 0,
    Ident TEXT NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS WPSIdent ON WPS (Ident);

-- What WPS has no column for, by the airport's Ident: the city it serves, its rank (the larger
-- first: 7 and 6 large airports with and without scheduled service, 5 and 4 medium, 3 and 2
-- others), and every other code it is known by (ICAO, GPS, IATA, OurAirports'
-- ident), so a current ICAO code finds an airport stored under a station's older one.
CREATE TABLE IF NOT EXISTS Airports (
    Ident TEXT NOT NULL PRIMARY KEY,
    City TEXT NOT NULL DEFAULT '',
    Rank INTEGER NOT NULL DEFAULT 2
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS AirportCodes (
    Code TEXT NOT NULL COLLATE NOCASE,
    Ident TEXT NOT NULL
);
CREATE INDEX IF NOT EXISTS AirportCodesCode ON AirportCodes (Code);

-- WPS and Stations again, each as one blob in table order (see Packs.h); any change to either
-- table drops its pack.
CREATE TABLE IF NOT EXISTS Packs (
    Name TEXT NOT NULL PRIMARY KEY,
    Signature TEXT NOT NULL,
    Data BLOB NOT NULL
);
CREATE TRIGGER IF NOT EXISTS WPSInsertDropsPack AFTER INSERT ON WPS
    BEGIN DELETE FROM Packs WHERE Name = 'WPS'; END;
CREATE TRIGGER IF NOT EXISTS WPSUpdateDropsPack AFTER UPDATE ON WPS
    BEGIN DELETE FROM Packs WHERE Name = 'WPS'; END;
CREATE TRIGGER IF NOT EXISTS WPSDeleteDropsPack AFTER DELETE ON WPS
    BEGIN DELETE FROM Packs WHERE Name = 'WPS'; END;
CREATE TRIGGER IF NOT EXISTS StationsInsertDropsPack AFTER INSERT ON Stations
    BEGIN DELETE FROM Packs WHERE Name = 'Stations'; END;
CREATE TRIGGER IF NOT EXISTS StationsUpdateDropsPack AFTER UPDATE ON Stations
    BEGIN DELETE FROM Packs WHERE Name = 'Stations'; END;
CREATE TRIGGER IF NOT EXISTS StationsDeleteDropsPack AFTER DELETE ON Stations
    BEGIN DELETE FROM Packs WHERE Name = 'Stations'; END;

-- The TAFs loaded, one per station (its identifier in capitals): the issue time in seconds
-- since 1970 (or the validity's start for a TAF without one) and the TAF as written.
CREATE TABLE IF NOT EXISTS Tafs (
    Station TEXT NOT NULL PRIMARY KEY,
    Issued INTEGER NOT NULL DEFAULT 0,
    RawText TEXT NOT NULL DEFAULT ''
) WITHOUT ROWID;

-- Stored queries: only stations that have weather.
CREATE VIEW IF NOT EXISTS SelectStations AS
    SELECT s.ID, s.Latitude, s.Longitude, s.Name, s."State Code", s.Country
    FROM Weather w JOIN Stations s ON s.ID = w.ID
    ORDER BY w.ID;
CREATE VIEW IF NOT EXISTS UniqueCountries AS
    SELECT DISTINCT Country FROM SelectStations ORDER BY Country;
CREATE VIEW IF NOT EXISTS UniqueStates AS
    SELECT DISTINCT "State Code", Country FROM SelectStations ORDER BY Country, "State Code";
CREATE VIEW IF NOT EXISTS UniqueStations AS
    SELECT Name, ID, Country, "State Code" FROM SelectStations ORDER BY Name, ID;
)sql";

// Columns added to Weather after databases were first shipped; an older file gets them when
// it is opened.
const char* const kAddedColumns[][2] = {
    {"RawText", "TEXT DEFAULT ''"},        {"ObsTime", "TEXT DEFAULT ''"},
    {"TempScale", "TEXT DEFAULT 'F'"},     {"Estimated", "TEXT DEFAULT ''"},
    {"FlightCategory", "TEXT DEFAULT ''"},
};

bool hasColumn(sqlite3* db, const char* table, const char* column) {
    sqlite3_stmt* st = nullptr;
    const std::string sql = std::string("SELECT 1 FROM pragma_table_info('") + table +
                            "') WHERE name = '" + column + "'";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return false;
    }
    const bool found = sqlite3_step(st) == SQLITE_ROW;
    sqlite3_finalize(st);
    return found;
}

bool run(sqlite3* db, const std::string& sql, std::string* error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        if (error != nullptr) {
            *error = message != nullptr ? message : "unknown error";
        }
        sqlite3_free(message);
        return false;
    }
    return true;
}

}  // namespace

bool createSchema(sqlite3* db, std::string* error) {
    if (!run(db, kSchema, error)) {
        return false;
    }
    for (const auto& [name, type] : kAddedColumns) {
        if (!hasColumn(db, "Weather", name) &&
            !run(db, std::string("ALTER TABLE Weather ADD COLUMN ") + name + " " + type, error)) {
            return false;
        }
    }
    return true;
}

}  // namespace zephyra::weather
