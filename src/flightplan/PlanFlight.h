#pragma once

#include <functional>
#include <string>
#include <vector>

#include "flightplan/FlightPlan.h"

namespace zephyra::platform {
class VirtualScheduler;
}
namespace zephyra::simlink {
class BuiltInAircraft;
}

namespace zephyra::flightplan {

// One waypoint passed on a flight in virtual time.
struct PassedWaypoint {
    double seconds = 0.0;  // virtual time since the plan was sent
    std::string name;
    double lat = 0.0;  // aircraft position when it was passed
    double lon = 0.0;
    double altitude = 0.0;   // feet
    double indicated = 0.0;  // indicated airspeed, knots
    double distance = 0.0;   // nm from the waypoint on the tick that passed it
    std::string shownDist;   // what Dist showed then (the switch needs 5 or less)
    bool last = false;       // the final waypoint: the flight ends here
};

struct FlightOptions {
    double maxSeconds = 48.0 * 3600.0;
    bool metric = false;  // UOM "M"
};

struct FlightOutcome {
    bool arrived = false;
    double seconds = 0.0;
    int ticks = 0;
    std::vector<PassedWaypoint> passed;
};

// Sends the plan and flies it with A/P Update on: the built-in aircraft runs on the virtual
// clock, the navigation tick every five seconds, until the last waypoint is within the switch
// distance (or the time runs out).
FlightOutcome flyPlan(FlightPlan& flight, simlink::BuiltInAircraft& aircraft,
                      platform::VirtualScheduler& clock, const FlightOptions& options = {},
                      const std::function<void(const PassedWaypoint&)>& onPassed = {});

}  // namespace zephyra::flightplan
