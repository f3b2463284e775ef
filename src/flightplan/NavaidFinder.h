#pragma once

#include <memory>
#include <optional>
#include <string>

#include "flightplan/FlightPlan.h"
#include "weather/WeatherDb.h"

namespace zephyra::flightplan {

// The Find box: a case-insensitive name search over the WPS table that remembers its place,
// so Next walks the further matches. The current match is the NAVAID Add, Insert and Modify use.
class NavaidFinder {
  public:
    static constexpr const char* kNotFound = "Not Found";
    static constexpr const char* kNoMoreMatches = "No more matches.";

    struct Shown {
        std::string text;  // what the found-waypoint box shows
        bool nextEnabled = false;
    };

    // Each Find opens the database afresh (so a rebuilt database is seen).
    explicit NavaidFinder(std::string databasePath) : path_(std::move(databasePath)) {}

    Shown find(const std::string& text);
    // Nothing when there was no Find before (the box stays as it is).
    std::optional<Shown> next();
    const std::optional<FoundNavaid>& current() const { return current_; }

    // "Name-Type", as the found-waypoint box shows a match.
    static std::string describe(const weather::WpsRecord& w);

  private:
    void take(const weather::WpsRecord& w);

    std::string path_;
    std::unique_ptr<weather::WeatherDb> db_;
    std::optional<weather::WeatherDb::WpsSearch> search_;
    std::optional<FoundNavaid> current_;
};

}  // namespace zephyra::flightplan
