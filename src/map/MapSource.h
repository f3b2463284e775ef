#pragma once

#include <memory>
#include <optional>
#include <string>

#include "map/MapScene.h"

namespace zephyra::flightplan {
struct WaypointStore;
}

namespace zephyra::map {

// What the map window reads from the rest of the program and tells it back; the main window's
// binder implements it, tests implement it with fixed data.
class MapSource {
  public:
    virtual ~MapSource() = default;
    virtual const flightplan::WaypointStore& waypoints() = 0;
    virtual PlanRoute route() = 0;
    virtual std::optional<AircraftState> aircraft() = 0;
    // Identifier of the closest station, empty for none.
    virtual std::string closestStationId() = 0;
    // The station report shown when the pointer rests on a station.
    virtual std::string stationReport(const std::string& id) = 0;
    // A NAVAID was clicked: its name and position (degrees).
    virtual void navaidChosen(const std::string& name, double lat, double lon) = 0;
    // The winds aloft loaded; null or empty for none.
    virtual std::shared_ptr<const weather::AloftField> aloft() { return nullptr; }
};

}  // namespace zephyra::map
