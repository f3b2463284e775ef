#pragma once

#include <ostream>

#include "flightplan/FlightPlan.h"
#include "simlink/FlightGearLink.h"

namespace zephyra::cli {

struct LiveFlightOptions {
    bool metric = false;
    double maxSeconds = 3.0 * 3600.0;
    double tickSeconds = 5.0;  // the navigation tick
    double waitForPositionSeconds = 120.0;
};

// Flies a sent plan in a running FlightGear in real time: the navigation tick every five
// seconds with A/P Update on, one line per tick (position, heading sent, distance) and one
// per waypoint passed. Returns the command's exit code.
int flyOnFlightGear(flightplan::FlightPlan& flight, simlink::FlightGearLink& link,
                    const LiveFlightOptions& options, std::ostream& out, std::ostream& err);

}  // namespace zephyra::cli
