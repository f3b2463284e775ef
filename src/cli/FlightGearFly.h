#pragma once

#include <ostream>

#include "cli/FlightWeather.h"
#include "flightplan/FlightPlan.h"
#include "simlink/FlightGearLink.h"

namespace zephyra::cli {

struct LiveFlightOptions {
    bool metric = false;
    double maxSeconds = 3.0 * 3600.0;
    double tickSeconds = 5.0;  // the navigation tick
    double waitForPositionSeconds = 120.0;
    // The flight's clock runs this many times faster than real time (tests shorten the
    // minute-long weather timers and transitions with it); every time above is on that clock.
    double timeScale = 1.0;
    FlightWeatherOptions weather;   // none unless weather.wanted(); its field aloft even then
    std::ostream* trace = nullptr;  // a CSV row every second (null: none)
};

// Flies a sent plan in a running FlightGear in real time: the navigation tick every five
// seconds with A/P Update on, one line per tick (position, heading sent, distance) and one
// per waypoint passed. With weather, its delivery runs on the same clock (the closest station
// every minute, the random variation, and a minute's transition between stations) and each
// switch of station is printed with the values sent. Returns the command's exit code.
int flyOnFlightGear(flightplan::FlightPlan& flight, simlink::FlightGearLink& link,
                    const LiveFlightOptions& options, std::ostream& out, std::ostream& err);

}  // namespace zephyra::cli
