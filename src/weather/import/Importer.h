#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zephyra::weather::import {

// Where the raw data files are. Each name is relative to dataDir and is also found with ".gz"
// added, so both the shipped compressed copies and fresh downloads work.
struct Sources {
    std::string dataDir;
    std::string airports = "ourairports/airports.csv";
    std::string navaids = "ourairports/navaids.csv";
    std::string countries = "ourairports/countries.csv";
    std::string awcStations = "stations/stations.txt";
    std::string nsdStations = "stations/nsd_cccc.txt";
    // Optional: the weather utility's station list adds stations the NOAA lists lack.
    std::string weatherUtilStations = "stations/weather-util_stations";
    std::string fixes = "fixes/fix.dat";
};

struct ImportReport {
    int stations = 0;
    int airports = 0;
    int vors = 0;
    int ndbs = 0;
    int fixes = 0;
    int weatherKept = 0;       // Weather rows carried over from the file that was replaced
    int unplacedStations = 0;  // station ids no source gives a position for
    int saCodes = 0;           // of the stations, rows under a three-letter SA code
    int badFrequencies = 0;    // VORs and NDBs left out for a frequency outside their band
    // Rows that could not be read, per data file (only files that had some).
    std::vector<std::pair<std::string, int>> malformedRows;

    int waypoints() const { return airports + vors + ndbs + fixes; }
    int malformed() const;
};

// Builds the program's database at target from the raw data: Stations and WPS filled, Weather
// holding whatever the previous file at target held. The new file is written beside target and
// renamed over it only when complete, so a failed or interrupted build leaves the old file as
// it was. Returns false with a message in error on failure.
bool buildDatabase(const Sources& sources, const std::string& target, ImportReport& report,
                   std::string* error = nullptr);

}  // namespace zephyra::weather::import
