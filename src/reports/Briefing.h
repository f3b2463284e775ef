#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "flightplan/FlightPlan.h"
#include "flightplan/WaypointStore.h"
#include "weather/Taf.h"

namespace zephyra::weather {
class AloftField;
class WeatherDb;
}  // namespace zephyra::weather

// The route briefing: one page a pilot reads or prints before a flight, gathered from the plan
// (its legs flown in the winds aloft exactly as the plan table flies them), the weather in the
// database, the TAFs and the winds aloft forecast, and written as plain HTML with inline style
// and no script. Gathering and writing are apart, so the page can be tested from plain values.
namespace zephyra::reports {

// How old a source may be for the flight, stated on the page.
inline constexpr std::int64_t kMetarMaxAgeSeconds = 2 * 3600;     // at departure
inline constexpr std::int64_t kAloftMaxOffsetSeconds = 6 * 3600;  // valid time from the flight
inline constexpr double kRouteStationNm = 25.0;  // stations this close to a leg are listed

struct BriefingLeg {
    std::string from, to;
    double altitudeFeet = 0, courseTrue = 0, distanceNm = 0;
    bool forecast = false;  // the winds aloft reached the leg
    std::optional<double> windDirection;
    double windKnots = 0;
    std::optional<double> temperatureC;
    std::optional<double> tasKt, groundSpeedKt, minutes;
    std::int64_t eta = 0;  // at the leg's end; 0 when a leg before has no time
};

struct BriefingMetar {
    std::string station;
    bool found = false;
    std::string raw, decoded;
    std::int64_t observed = 0;
};

struct BriefingTaf {
    std::string station;
    bool found = false;
    std::string raw;
    std::int64_t issued = 0, validFrom = 0, validTo = 0;
    // The decoded periods, one a line, and whether each is in force at the time asked.
    std::vector<std::string> lines;
    std::vector<bool> inForce;
    std::int64_t at = 0;  // the time asked: the ETA at the station (departure: off-blocks)
    bool covers = false;  // the TAF is valid at that time
    bool loaded = false;  // taken from the TAFs loaded in the database, the file having none
};

struct BriefingStation {
    std::string id;
    double lat = 0, lon = 0;
    double offRouteNm = 0;
    std::string category;  // "VFR", "MVFR", "IFR", "LIFR", or empty when unknown
    std::string raw;
    std::int64_t observed = 0;
};

struct BriefingAloft {
    std::string place;  // the leg's end it is read at
    double altitudeFeet = 0;
    std::optional<double> direction;
    double speedKnots = 0;
    std::optional<double> temperatureC;
    std::string source;
    std::int64_t valid = 0;
};

struct BriefingSource {
    std::string name, detail;
    std::int64_t time = 0;  // 0: none
    std::string warning;    // empty when the source is fit for the flight
};

struct Briefing {
    std::string title;  // "KATL to KJFK"
    std::int64_t departure = 0, arrival = 0, written = 0;
    std::vector<BriefingLeg> legs;
    double totalNm = 0;
    std::optional<double> totalMinutes;
    std::string windSource;  // of the leg winds, empty without a forecast
    BriefingMetar departureMetar, destinationMetar;
    BriefingTaf departureTaf, destinationTaf;
    std::vector<BriefingStation> stations;  // along the route, nearest the route first
    std::vector<BriefingAloft> aloft;
    std::vector<BriefingSource> sources;
    std::vector<std::pair<double, double>> route;  // the points flown, degrees
    std::vector<std::string> routeNames;
    std::string mapPng;  // the map picture's PNG bytes; empty: none
};

// What the briefing is gathered from. The database gives the weather (records and stations);
// tafs are those read for the flight (see briefingTafs).
struct BriefingInput {
    const flightplan::FlightPlan* flight = nullptr;
    const flightplan::WaypointStore* store = nullptr;
    weather::WeatherDb* db = nullptr;  // null: no weather
    const weather::AloftField* aloft = nullptr;
    const std::vector<weather::Taf>* tafs = nullptr;
    std::int64_t departure = 0;  // seconds since 1970
    std::int64_t now = 0;        // when the briefing is written
    bool metres = false;         // the plan's altitudes are metres
    std::string uom = "U";
    int unlimitedVisibility = 100;
    std::string weatherName;  // "awc_metars.txt", "the program's database"
    std::string tafName;      // the TAF file, or empty
    std::string tafProblem;   // why no TAFs were read, when none were
};

Briefing gatherBriefing(const BriefingInput& input);

// The TAFs of a file named for a briefing, dated near the departure. A station the file has
// no TAF for takes the one loaded in the database, if any (gatherBriefing looks it up). When
// none are read, problem says why.
std::vector<weather::Taf> briefingTafs(const std::string& tafFile, weather::WeatherDb* db,
                                       std::int64_t departure, std::string* problem);

// The page: plain HTML, inline style, every text escaped, the map picture as a data: URI.
std::string briefingHtml(const Briefing& briefing);

// Text made safe inside HTML elements and quoted attributes.
std::string htmlEscaped(const std::string& text);
std::string base64(const std::string& bytes);

// "2022-10-25 15:00Z"; "unknown" for 0.
std::string briefingTime(std::int64_t seconds);

}  // namespace zephyra::reports
