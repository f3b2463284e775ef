#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "weather/Statement.h"
#include "weather/WeatherDb.h"

namespace zephyra::test {

// Rows of the shipped tables, written the way the import tool writes them.
struct StationRow {
    std::string id;
    std::string latitude;   // "DDMMN"
    std::string longitude;  // "DDDMMW"
    double metres = 0;
    std::string name = "Station " + id;
    std::string state = "GA";
    std::string country = "United States";
    bool celsius = true;  // false for the rows of SA codes, whose reports are in Fahrenheit
};

// Runs one INSERT with the values bound in order.
template <typename... Values>
void insertRow(weather::WeatherDb& db, const char* sql, const Values&... values) {
    weather::Statement st(db.handle(), sql);
    int column = 0;
    (st.bind(++column, values), ...);
    ASSERT_EQ(st.step(), SQLITE_DONE);
}

inline void addStation(weather::WeatherDb& db, const StationRow& row) {
    insertRow(db,
              "INSERT INTO Stations (ID, Name, Latitude, Longitude, Altitude, \"State Code\", "
              "Country, Celcius) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
              row.id, row.name, row.latitude, row.longitude, row.metres, row.state, row.country,
              row.celsius ? -1 : 0);
}

struct WpsRow {
    std::string name;
    std::string type;
    std::string lat;  // "DDMMSS"
    int ns = -1;
    std::string lon;  // "DDDMMSS"
    int we = 0;
    std::string frequency;
    std::string ident;
};

inline void addWps(weather::WeatherDb& db, const WpsRow& row) {
    insertRow(db,
              "INSERT INTO WPS (Name, Type, Frequency, Lat, NS, Lon, we, Ident) VALUES "
              "(?, ?, ?, ?, ?, ?, ?, ?)",
              row.name, row.type, row.frequency, row.lat, row.ns, row.lon, row.we, row.ident);
}

}  // namespace zephyra::test
