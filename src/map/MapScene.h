#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "map/MapView.h"

namespace zephyra::flightplan {
struct WaypointStore;
}
namespace zephyra::weather {
class AloftField;
}

namespace zephyra::map {

// The switchable layers of the map.
struct MapLayers {
    bool grid = true;
    bool borders = true;  // country and state borders
    bool stations = true;
    bool legend = true;
    bool precipitationLegend = true;  // the legend's second column, the precipitation rings
    bool flightCategories = false;    // stations coloured by flight category, not by cloud
    bool vors = true;
    bool ndbs = true;
    bool airports = true;
    bool fixes = true;
    bool plan = true;
    bool aircraft = true;
};

// Kinds of waypoint-store entries as the map shows them.
enum class PointKind { Station, Vor, Ndb, Airport, Fix };
PointKind kindOfType(std::string_view wpsType);
// The smallest scale (pixels per degree) at which a kind is drawn: stations always; VORs from
// a continent's size, airports from a few states', NDBs and fixes from a region's.
double minScaleFor(PointKind kind);
bool shownAt(PointKind kind, double pixelsPerDegree, const MapLayers& layers);

// The waypoint store split by kind, positions ready for projection and hit-testing.
struct PointSet {
    std::vector<GeoPoint> positions;
    std::vector<int> storeIndex;  // entry of the store for each position
};
struct StorePoints {
    PointSet stations, vors, ndbs, airports, fixes;
    PointSet& of(PointKind kind);
    const PointSet& of(PointKind kind) const;
};
StorePoints splitStore(const flightplan::WaypointStore& store);
// A cheap fingerprint of the store's contents, to see that a load changed it.
std::uint64_t storeFingerprint(const flightplan::WaypointStore& store);

// The flight plan as the map draws it: the points in flying order with their names, and the
// index of the active waypoint (its leg runs from the point before it, or from the aircraft
// when it is the first).
struct PlanRoute {
    std::vector<GeoPoint> points;
    std::vector<std::string> names;
    int active = -1;
    bool operator==(const PlanRoute& other) const;
};

// The aircraft with its true heading.
struct AircraftState {
    GeoPoint position;
    double heading = 0.0;
};

// The last positions of the aircraft, oldest first; a new one is kept when it is far enough
// from the last to be seen.
class AircraftTrack {
  public:
    static constexpr std::size_t kLength = 120;
    static constexpr double kMinStepDegrees = 0.005;
    // True when the point was kept.
    bool add(GeoPoint p);
    void clear() { points_.clear(); }
    const std::deque<GeoPoint>& points() const { return points_; }

  private:
    std::deque<GeoPoint> points_;
};

// The weather blended at the aircraft: the circle it draws from and its stations' weights.
struct BlendShown {
    struct Station {
        std::string id;
        GeoPoint at;
        double weight = 0;  // 0..1
        bool operator==(const Station& o) const {
            return id == o.id && at.lat == o.at.lat && at.lon == o.at.lon && weight == o.weight;
        }
    };
    GeoPoint centre;
    double radiusNm = 0;
    std::vector<Station> stations;
    bool operator==(const BlendShown& o) const {
        return centre.lat == o.centre.lat && centre.lon == o.centre.lon && radiusNm == o.radiusNm &&
               stations == o.stations;
    }
};

// Everything drawn above the base map.
struct MapScene {
    const StorePoints* points = nullptr;
    const flightplan::WaypointStore* store = nullptr;
    int closestStation = 0;  // store index of the closest station, 0 for none
    PlanRoute route;
    std::optional<AircraftState> aircraft;
    const AircraftTrack* track = nullptr;
    MapLayers layers;
    // The winds aloft drawn as barbs at windLevel feet (0: none), and the line naming them.
    const weather::AloftField* aloft = nullptr;
    int windLevel = 0;
    std::string windCaption;
    std::optional<BlendShown> blend;
};

}  // namespace zephyra::map
