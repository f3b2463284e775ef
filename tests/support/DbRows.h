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

inline void addStation(weather::WeatherDb& db, const StationRow& row) {
    weather::Statement st(db.handle(),
                          "INSERT INTO Stations (ID, Name, Latitude, Longitude, Altitude, "
                          "\"State Code\", Country, Celcius) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    st.bind(1, row.id);
    st.bind(2, row.name);
    st.bind(3, row.latitude);
    st.bind(4, row.longitude);
    st.bind(5, row.metres);
    st.bind(6, row.state);
    st.bind(7, row.country);
    st.bind(8, row.celsius ? -1 : 0);
    ASSERT_EQ(st.step(), SQLITE_DONE);
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
    weather::Statement st(db.handle(),
                          "INSERT INTO WPS (Name, Type, Frequency, Lat, NS, Lon, we, Ident) VALUES "
                          "(?, ?, ?, ?, ?, ?, ?, ?)");
    st.bind(1, row.name);
    st.bind(2, row.type);
    st.bind(3, row.frequency);
    st.bind(4, row.lat);
    st.bind(5, row.ns);
    st.bind(6, row.lon);
    st.bind(7, row.we);
    st.bind(8, row.ident);
    ASSERT_EQ(st.step(), SQLITE_DONE);
}

}  // namespace zephyra::test
