#pragma once

#include <optional>
#include <string>
#include <vector>

#include "flightplan/PlanStore.h"
#include "flightplan/WaypointStore.h"
#include "simlink/FlightGearLink.h"

namespace zephyra::flightplan {

struct RouteSendResult {
    bool ok = false;
    std::string message;  // what happened, for the user
    // How the route went in: "file" (written where FlightGear reads and loaded with @LOAD) or
    // "inserted" (cleared, then one position per entry through the route manager's input).
    std::string method;
    std::string file;              // the route file written, with the file method
    int routeCount = -1;           // /autopilot/route-manager/route/num afterwards
    std::vector<std::string> ids;  // /autopilot/route-manager/route/wp[i]/id afterwards
    std::vector<std::string> expectedIds;
    int currentWp = -1;  // /autopilot/route-manager/current-wp afterwards, when one was marked
};

// Loads the plan into the route manager of the FlightGear behind the property server, then
// reads the route back. When FlightGear's home folder (/sim/fg-home) is a folder of the user's
// here, reached without a link, the route is written to its Export folder, which FlightGear may
// read, and loaded from there; otherwise (FlightGear on another machine, or a home the user
// does not own) the positions are inserted one by one. The route is loaded, not activated. ok:
// the route holds as many waypoints as the plan has entries, each named as sent; the names of
// no more waypoints than were sent are asked for, whatever count the server gives.
// current: the entry being flown, which the route manager is told
// (/autopilot/route-manager/current-wp) once the route is in. planInMetres: the plan's
// altitudes are metres (the metric setting); FlightGear's route takes feet.
RouteSendResult sendRouteToFlightGear(const PlanStore& plan, const WaypointStore* store,
                                      const simlink::FlightGearSettings& settings,
                                      std::optional<int> current = std::nullopt,
                                      bool planInMetres = false);

}  // namespace zephyra::flightplan
