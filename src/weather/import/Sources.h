#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zephyra::weather::import {

// Readers for the raw data files, each in its publisher's own format. They keep what the
// importer needs and count the rows they cannot use.

struct GeoPoint {
    double lat = 0.0;  // degrees, north positive
    double lon = 0.0;  // degrees, east positive
};

template <typename Row>
struct Parsed {
    std::vector<Row> rows;
    int malformed = 0;
};

// OurAirports airports.csv.
struct AirportRecord {
    std::string ident;
    std::string type;  // large_airport, medium_airport, small_airport, heliport, closed, ...
    std::string name;
    std::string isoCountry;
    std::string isoRegion;  // "US-GA", "GB-ENG"
    std::string icaoCode;
    std::string gpsCode;
    std::string iataCode;
    std::string municipality;  // the city it serves
    bool scheduled = false;    // has scheduled airline service
    GeoPoint position;
    std::optional<double> elevationFt;
};
// Names come cleaned: no blanks or stray commas and semicolons at either end ("London City
// Airport," is "London City Airport"). The municipality, IATA and scheduled-service columns
// may be missing.
bool parseAirports(std::string_view text, Parsed<AirportRecord>& out, std::string* error);

// OurAirports navaids.csv.
struct NavaidRecord {
    std::string ident;
    std::string name;
    std::string type;  // VOR, VOR-DME, VORTAC, NDB, NDB-DME, DME, TACAN
    std::optional<double> frequencyKhz;
    GeoPoint position;
};
bool parseNavaids(std::string_view text, Parsed<NavaidRecord>& out, std::string* error);

// OurAirports countries.csv: ISO 3166-1 alpha-2 code to name.
bool parseCountries(std::string_view text, std::map<std::string, std::string>& out, int& malformed,
                    std::string* error);

// A reporting station as one station list describes it.
struct StationRecord {
    std::string id;
    std::string name;
    std::string state;    // US state or Canadian province, when the list gives one
    std::string country;  // ISO code (stations.txt) or name (nsd_cccc.txt, weather-util)
    std::optional<GeoPoint> position;
    std::optional<double> elevationM;
    std::string shortId;  // three-letter code of the older SA reports ("ICT"), stations.txt only
};
// AWC/NCAR stations.txt (fixed columns).
Parsed<StationRecord> parseAwcStations(std::string_view text);
// NOAA nsd_cccc.txt (semicolon separated).
Parsed<StationRecord> parseNsdStations(std::string_view text);
// The weather utility's stations file ([icao] sections, positions in radians).
Parsed<StationRecord> parseWeatherUtilStations(std::string_view text);

// X-Plane/FlightGear fix.dat.
struct FixRecord {
    std::string ident;
    GeoPoint position;
};
Parsed<FixRecord> parseFixes(std::string_view text);

// "KATL", "K3F3": a letter and three letters or digits.
bool isStationId(std::string_view id);

// "33 38N", "33-37-47N", "084-26-32W": degrees, minutes and optional seconds with a hemisphere
// letter. The letter may be missing only on a zero value.
std::optional<double> parseDegreesMinutes(std::string_view text);

}  // namespace zephyra::weather::import
