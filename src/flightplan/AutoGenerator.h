#pragma once

#include <functional>
#include <string>

#include "flightplan/FlightPlan.h"
#include "flightplan/WaypointStore.h"

namespace zephyra::platform {
class Dialogs;
}

namespace zephyra::flightplan {

struct GenerationSettings {
    int FP_Dist = 100;    // distance between generated points, clamped to 20..200 nm
    int Wayp = 2;         // waypoint region; 3 (None) cannot generate
    bool vors = true;     // WPC_INC
    bool ndbs = false;    // WPN_INC
    bool others = false;  // WPW_INC: named fixes
    std::string altText;  // the altitude and speed boxes, given to every generated entry
    std::string spdText;
    bool metric = false;  // UOM "M": the altitudes are metres
};

// What the generation needs of the main window.
class GenerationHost {
  public:
    virtual ~GenerationHost() = default;
    virtual bool waypointsLoaded() = 0;  // the store's "loaded" mark
    virtual void loadWaypoints() = 0;
    virtual void processEvents() = 0;
    virtual void setBusy(bool busy) = 0;
};

enum class GenerationResult { Refused, Cancelled, Failed, Created };

namespace generation_text {
inline constexpr const char* kFailed =
    "An error occured while Auto-generating your flight plan. You may be trying to "
    "Auto-generate a plan from waypoints that do not exist in memory. Please make sure the "
    "database region specified in Settings includes your arrival and departure points.";
}

// Auto-generation with its checks and messages: replaces a plan of departure and arrival with
// a chain of VORs, NDBs and fixes from the waypoint store, spaced by FP_Dist, ending at the
// arrival. The departure itself is not part of the result.
GenerationResult autoGenerate(FlightPlan& flight, const WaypointStore& store,
                              const GenerationSettings& settings, platform::Dialogs& dialogs,
                              GenerationHost& host);

// What a generation found: the waypoints between departure and arrival, whether it went
// direct to the arrival because no further waypoint qualified (or the store was full, or none
// lay between), and the longest leg of the plan when it is over twice the spacing asked for.
struct GenerationReport {
    int waypoints = 0;
    bool direct = false;
    double longestLegNm = 0.0;  // 0: no leg that long
    std::string longestFrom, longestTo;
};

// The generation alone (no checks, no messages): always a plan ending at the arrival; false
// only for a non-numeric altitude or speed. The arrival's entry is 1,500 ft above the arrival
// airport's elevation when that is known, so the aircraft descends towards it; the others
// keep the altitude given.
bool generateRoute(FlightPlan& flight, const WaypointStore& store,
                   const GenerationSettings& settings, const std::function<void()>& yield = {},
                   GenerationReport* report = nullptr);

// The sentence that tells a plan went direct to the arrival after some waypoints.
std::string directText(int waypoints);
// What the created-plan message and the command line add about the route: the direct
// sentence and where the long leg is; empty when there is nothing to say.
std::string generationNote(const GenerationReport& report);
// The altitude of the arrival's entry for an airport elevation, in the plan's units.
double arrivalAltitude(double elevationFt, bool metric);

// The step actually used for a FP_Dist value.
int generationStep(int fpDist);

}  // namespace zephyra::flightplan
