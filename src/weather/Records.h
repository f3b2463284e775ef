#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zephyra::weather {

// One row of Weather. Member names are the field names. Heights in feet, speeds in knots,
// directions in degrees, temperatures in whole degrees, pressure in hPa, visibility in
// statute miles (100 = unlimited).
struct WeatherRecord {
    std::string ID;
    std::string Observation;
    std::string Time = "0";
    int cl1Base = 0;
    int cl1Top = 0;
    std::string cl1CoverCode;
    int Cl1Coverage = 0;
    double Cl1Turb = 0;
    int Cl1Icing = 0;
    double Cl1Dev = 0;
    int cl2Base = 0;
    int cl2Top = 0;
    std::string cl2CoverCode;
    int Cl2Coverage = 0;
    double Cl2Turb = 0;
    int Cl2Icing = 0;
    double Cl2Dev = 0;
    double Visibility = 0;
    bool VisibVary = false;
    double Pressure = 0;
    double Altimeter = 0;
    int Dew = 0;
    int t0Alt = 0;
    int t0Deg = 0;
    int t1alt = 0;
    int t1Deg = 0;
    int t2Alt = 0;
    int t2Deg = 0;
    int t3alt = 0;
    int t3Deg = 0;
    double w0Depth = 0;
    double w0Dir = 0;
    double w0Spd = 0;
    double w0Gust = 0;
    double w0Turb = 0;
    double w1Base = 0;
    double w1Top = 0;
    double w1Dir = 0;
    double w1Spd = 0;
    double w1Turb = 0;
    double w1Gust = 0;
    double w2Base = 0;
    double w2Top = 0;
    double w2Dir = 0;
    double w2Spd = 0;
    double w2Turb = 0;
    double w2Gust = 0;
    double w3Base = 0;
    double w3Top = 0;
    double w3Dir = 0;
    double w3Spd = 0;
    double w3Turb = 0;
    double w3Gust = 0;
    bool Thunder = false;
    int Precip = 0;
    std::string Upd_Ts;
    // The report as received, and when it was observed ("YYYY-MM-DDTHH:MMZ", empty when not
    // known).
    std::string RawText;
    std::string ObsTime;
    // The scale of t0Deg..t3Deg: "F" or "C" (Dew stays as reported).
    std::string TempScale = "F";
    // Elements the report did not give, each "T", "P" or "V" with its source: a station
    // identifier, or "STD" for the standard atmosphere or the unlimited visibility
    // ("T=KLGA;P=STD").
    std::string Estimated;
    // The flight category of a METAR's full reading: "VFR", "MVFR", "IFR", "LIFR", or empty
    // when the report gives no visibility or sky (and for SA reports).
    std::string FlightCategory;

    bool celsius() const { return TempScale == "C"; }

    bool operator==(const WeatherRecord&) const = default;
};

// One row of Stations, as the second pass of a load needs it.
struct StationRecord {
    std::string ID;
    std::string Name;
    std::string Latitude;   // "DDMMN"
    std::string Longitude;  // "DDDMMW"
    double Altitude = 0;    // metres
    std::string StateCode;
    std::string Country;
    bool Celcius = true;
};

// A station that has weather, with its position in decimal degrees (south and west negative).
struct StationEntry {
    std::string ID;
    double latitude = 0;
    double longitude = 0;
    std::string Name;
    std::string StateCode;
    std::string Country;
};

// What the waypoint store shows of a station's stored weather: its cloud cover, obstruction,
// thunder and precipitation.
struct StationSky {
    std::string ID;
    int Cl1Coverage = 0;
    int Cl2Coverage = 0;
    bool VisibVary = false;
    bool Thunder = false;
    int Precip = 0;
    std::string FlightCategory;
};

// The stations that have weather: entries 1..count in query order; entry 0 stays empty.
struct StationList {
    std::vector<StationEntry> entries{StationEntry{}};
    int count() const { return static_cast<int>(entries.size()) - 1; }
    void clear() { entries.assign(1, StationEntry{}); }
    const StationEntry& operator[](int i) const { return entries[static_cast<std::size_t>(i)]; }
};

// One row of WPS, with its text position fields as stored.
struct WpsRecord {
    long long rowid = 0;
    std::string Name;
    std::string Type;
    std::string Frequency;
    std::string Lat;  // "DDMMSS"
    int NS = -1;      // 0 = south
    std::string Lon;  // "DDDMMSS"
    int we = 0;       // below 0 = west
    std::string Ident;

    double latitudeDegrees() const;
    double longitudeDegrees() const;
};

// Text positions to degrees. Station form: degrees + (minutes / 0.6) / 100, negative for S/W.
double stationLatitude(std::string_view text);
double stationLongitude(std::string_view text);
// Waypoint form: degrees + (minutes + seconds / 60) / 60.
double waypointLatitude(std::string_view ddmmss, int ns);
double waypointLongitude(std::string_view dddmmss, int we);

}  // namespace zephyra::weather
