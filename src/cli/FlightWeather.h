#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "flightplan/PlanStore.h"

namespace zephyra::platform {
class VirtualScheduler;
}
namespace zephyra::simlink {
class BuiltInAircraft;
}

namespace zephyra::cli {

// Where the weather of a flight comes from.
struct FlightWeatherOptions {
    std::string metarFile;       // a METAR (or NOAA CSV) file, loaded as decode loads it
    bool customWeather = false;  // the plan's own custom weather (the Yes answer at Load)
    std::string database;        // copied to a temporary folder: the flight never changes it
};

// The weather of a zephyra-cli flight: a temporary copy of the database with the chosen
// weather loaded, and the weather delivery running on the flight's virtual clock. Each switch
// of station is printed with the weather the simulator then holds.
class FlightWeather {
  public:
    // Nothing, with the reason on err, when the weather cannot be loaded.
    static std::unique_ptr<FlightWeather> prepare(const FlightWeatherOptions& options,
                                                  const flightplan::PlanStore& plan,
                                                  simlink::BuiltInAircraft& sim,
                                                  platform::VirtualScheduler& clock,
                                                  std::ostream& out, std::ostream& err);
    ~FlightWeather();
    FlightWeather(const FlightWeather&) = delete;
    FlightWeather& operator=(const FlightWeather&) = delete;

    // Starts the closest-station tracking and its timers (the first navigation tick).
    void start();
    int switches() const;

    struct Parts;

  private:
    explicit FlightWeather(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> parts_;
};

// One line of the weather the simulator holds: temperature, pressure, visibility, clouds and
// the surface wind.
std::string heldWeatherText(const simlink::BuiltInAircraft& sim);

}  // namespace zephyra::cli
