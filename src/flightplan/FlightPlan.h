#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "flightplan/PlanStore.h"

namespace zephyra::flightplan {

// A waypoint the Find box found, with its position converted to degrees.
struct FoundNavaid {
    std::string name;
    std::string type;
    double lat = 0.0;
    double lon = 0.0;
    std::optional<double> elevationFt{};  // an airport's, when known
};

// The waypoint being flown and the one before it. Any position can be a waypoint (the equator,
// the prime meridian, the poles): whether one is active is its own flag.
struct ActiveLeg {
    bool active = false;
    bool hasPrevious = false;
    // Changes whenever a waypoint becomes active or the active altitude or speed is edited, so
    // the navigation tick knows which targets the autopilot has not been given yet.
    unsigned targets = 0;
    double CurWpLat = 0.0;
    double CurWpLon = 0.0;
    std::int32_t CurWpAlt = 0;
    double CurWpSpd = 0.0;
    double PrevWpLat = 0.0;
    double PrevWpLon = 0.0;
    std::string PrevWpName;
    std::string FWAYP;  // name shown as "Current Wayp."
};

// The texts of the navigation status: what the tick and the editing operations show. The
// window copies them into its labels after each change.
struct NavDisplay {
    std::string Text1, Text2;  // aircraft latitude and longitude, "###0.0000"
    std::string Dist, Hdg, WindDir, WindSpd, TAS, HRS, MIN, altbrng;
    std::string AltHold, SpdHold;
    std::string Label23;  // frequency of the active waypoint
};

// Departure and arrival recorded by Add for the plan generation.
struct GenerationEnds {
    std::string departureName;
    double departureLat = 0.0;
    double departureLon = 0.0;
    std::string arrivalName;
    double arrivalLat = 0.0;
    double arrivalLon = 0.0;
    std::optional<double> arrivalElevationFt{};
    void forgetNames() {
        departureName.clear();
        arrivalName.clear();
    }
};

// What becomes of the auto-generate button after an edit.
enum class GenerateButton { Unchanged, Enable, Disable };

// The whole flight-plan state of the main window with its editing operations. `selected` is
// the selected plan row, or nothing. Texts are those of the altitude and speed boxes.
class FlightPlan {
  public:
    PlanStore plan;
    ActiveLeg leg;
    // The entries flown past since the plan was sent, oldest first (the plan table shows them).
    std::vector<PlanStore::Row> passed;
    NavDisplay display;
    GenerationEnds ends;

    // Add through the picture button: records the departure (empty plan) or arrival first.
    GenerateButton addFromPicture(const std::optional<FoundNavaid>& found,
                                  const std::string& foundText, const std::string& altText,
                                  const std::string& spdText);
    // Add: appends the found NAVAID. Non-numeric texts, no NAVAID or a full plan change nothing.
    GenerateButton add(const std::optional<FoundNavaid>& found, const std::string& altText,
                       const std::string& spdText);
    bool insert(std::optional<int> selected, const std::optional<FoundNavaid>& found,
                const std::string& altText, const std::string& spdText);
    bool remove(std::optional<int> selected);
    void clear();
    // Empties the active waypoint and its status texts; the plan lists stay.
    void clearActiveWaypoint();
    bool modify(std::optional<int> selected, const std::optional<FoundNavaid>& found,
                const std::string& foundText, const std::string& altText,
                const std::string& spdText);
    bool setSpeed(std::optional<int> selected, const std::string& spdText);
    bool setAltitude(std::optional<int> selected, const std::string& altText);
    // Set Next Waypoint: entry 0 becomes the active waypoint and leaves the plan.
    bool setNextWaypoint();
    // The whole plan, whatever is being flown: the entries passed, the active waypoint and the
    // entries to come, with the plan's custom weather. What Save, Export and the route sent to
    // FlightGear hold.
    PlanStore wholePlan() const;
    // The active waypoint's index in wholePlan(), when one is active.
    std::optional<int> activeIndex() const;

  private:
    std::optional<PlanStore::Row> rowFrom(const std::optional<FoundNavaid>& found,
                                          const std::string& altText,
                                          const std::string& spdText) const;
};

}  // namespace zephyra::flightplan
