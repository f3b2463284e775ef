#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "flightplan/FlightPlan.h"
#include "weather/WeatherDb.h"

namespace zephyra::flightplan {

// The Find box: the airports whose identifier or other code is the text (any letter case)
// first, then the airports whose name or city holds it (the largest first), then the NAVAIDs
// and fixes of that identifier, then the other records whose name holds it, in table order. It
// remembers its place, so Next walks the further matches; past the last it keeps the last. The
// current match is the NAVAID Add, Insert and Modify use.
class NavaidFinder {
  public:
    static constexpr const char* kNotFound = "Not Found";

    struct Shown {
        std::string text;  // what the found-waypoint box shows
        bool nextEnabled = false;
    };

    // Each Find opens the database afresh (so a rebuilt database is seen).
    explicit NavaidFinder(std::string databasePath) : path_(std::move(databasePath)) {}

    // With a position, the identifier match at that position comes first (the waypoint
    // clicked on the map, when several share its identifier).
    Shown find(const std::string& text, std::optional<std::pair<double, double>> at = {});
    // Nothing when there was no Find before (the box stays as it is).
    std::optional<Shown> next();
    const std::optional<FoundNavaid>& current() const { return current_; }

    // "BWG (VOR) Bowling Green 117.90": identifier, type, name and frequency of a match.
    static std::string describe(const weather::WpsRecord& w);

  private:
    Shown take(const weather::WpsRecord& w);
    std::optional<weather::WpsRecord> nextByName();

    std::string path_;
    std::unique_ptr<weather::WeatherDb> db_;
    std::vector<weather::WpsRecord> byIdent_;
    std::size_t identAt_ = 0;
    std::optional<weather::WeatherDb::WpsSearch> search_;
    bool searchStarted_ = false;
    std::optional<weather::WpsRecord> last_;
    std::optional<FoundNavaid> current_;
};

// A record as Add takes it: name, type, position in degrees and, for an airport with a
// reporting station of its identifier, the station's elevation.
FoundNavaid foundNavaid(weather::WeatherDb& db, const weather::WpsRecord& w);

// The word for a waypoint type: airport, VOR, NDB, fix.
std::string typeWord(std::string_view type);

// What a command-line place name comes to: the one place it names, or why not.
struct NavaidChoice {
    std::optional<weather::WpsRecord> chosen;
    std::vector<weather::WpsRecord> candidates;  // when ambiguous: up to 10, airports first
    int matches = 0;                             // all the places it could mean
};

// An identifier (an airport's other codes included) is taken for the airport among its
// records when exactly one is an airport, and for its one record when no airport's name or
// city holds the text. Otherwise the text is a part of a name or city (letter case and
// punctuation aside): the airport whose whole name or city it is, when that one is larger than
// any other such airport, is taken, and so is a single match; several are ambiguous, listed
// airports first (the largest first), then NAVAIDs and fixes.
NavaidChoice chooseNavaid(weather::WeatherDb& db, const std::string& text);

}  // namespace zephyra::flightplan
