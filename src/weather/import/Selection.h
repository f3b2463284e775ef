#pragma once

#include <map>
#include <string>
#include <vector>

#include "weather/import/Sources.h"

namespace zephyra::weather::import {

// Turns the parsed sources into the rows of Stations and WPS.

struct StationRow {
    std::string id;
    std::string name;
    std::string latitude;   // "DDMMN"
    std::string longitude;  // "DDDMMW"
    double altitudeM = 0.0;
    std::string stateCode;
    std::string country;
    // METAR reports give degrees Celsius; SA reports (the rows under three-letter codes) give
    // degrees Fahrenheit already.
    bool celsius = true;
};

struct WaypointRow {
    std::string name;
    std::string type;  // "A" airport, "V" VOR, "N" NDB, "W" fix
    std::string frequency;
    std::string lat;  // "DDMMSS"
    int ns = -1;      // -1 north, 0 south
    std::string lon;  // "DDDMMSS"
    int we = 0;       // -1 west, 0 east
    std::string ident;
    // Airports only: the city served, the rank (the larger first: 7 and 6 large airports with
    // and without scheduled service, 5 and 4 medium, 3 and 2 others) and every other code the
    // airport is known by (OurAirports' ident, ICAO, GPS and IATA codes).
    std::string city;
    int rank = 0;
    std::vector<std::string> codes;
};

// A station list's entry matched to an airport farther away than this is a different place
// that happens to share the code (codes get reused), so the match is dropped.
inline constexpr double kMaxStationAirportKm = 30.0;

// The waypoint store holds this many entries: the WPS rows of the region plus one per station
// with weather. WPS gets what the station table leaves, so with every region chosen and every
// station reporting there is still room for each station entry.
inline constexpr int kStoreCapacity = 50000;

struct StationInputs {
    const std::vector<StationRecord>& nsd;
    const std::vector<StationRecord>& awc;
    const std::vector<StationRecord>& weatherUtil;
    const std::vector<AirportRecord>& airports;
    const std::map<std::string, std::string>& countries;  // ISO code to name
};

struct MergedStations {
    std::vector<StationRow> rows;  // ordered by id
    // Index into the airports of each airport a station was placed at, with that station's id.
    std::map<std::size_t, std::string> airportStation;
    int unplaced = 0;  // ids no source gives a position for
    int shortIds = 0;  // rows added under a three-letter SA code
};

// Joins the three station lists by id and places each station: at its airport when one of the
// airport's codes is the id (ident, then icao_code, then gps_code) and it lies near, else where
// the lists put it (nsd_cccc.txt, then stations.txt, then the weather utility's list). SA reports
// name North American stations by their three-letter code ("ICT" for KICT), so each US and
// Canadian station that has one also gets a row under that code, unless another station already
// uses it.
MergedStations mergeStations(const StationInputs& in);

// Large and medium airports plus every airport a station was placed at, ordered by ident.
std::vector<WaypointRow> selectAirports(const std::vector<AirportRecord>& airports,
                                        const std::map<std::size_t, std::string>& airportStation);

struct NavaidRows {
    std::vector<WaypointRow> vors;  // VOR, VOR-DME, VORTAC
    std::vector<WaypointRow> ndbs;  // NDB, NDB-DME
    int badFrequencies = 0;         // left out: frequency outside the beacon's band
};
NavaidRows selectNavaids(const std::vector<NavaidRecord>& navaids);

// Up to count named fixes (idents of two to five letters), taken in turn from each 5 x 5
// degree cell so that sparse regions keep theirs while dense ones share the rest. The choice
// within a cell depends only on each fix's ident and position, not on file order. Ordered by
// ident.
std::vector<WaypointRow> selectFixes(const std::vector<FixRecord>& fixes, int count);

}  // namespace zephyra::weather::import
