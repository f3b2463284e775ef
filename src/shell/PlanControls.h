#pragma once

#include <memory>

#include "flightplan/FlightPlan.h"

namespace zephyra::shell {

class VaneWindow;
class BriefingBinder;
class FindBoxBinder;
class NavigationStatusBinder;
class PlanListsBinder;
struct AppContext;

// The flight-plan side of the main window: the plan state and the three classes that bind the
// Find box, the plan lists and the navigation status to it, and the Briefing button.
class PlanControls {
  public:
    PlanControls(AppContext& context, VaneWindow& vane);
    ~PlanControls();

    flightplan::FlightPlan& flight() { return flight_; }
    FindBoxBinder& findBox() { return *find_; }
    PlanListsBinder& lists() { return *lists_; }
    NavigationStatusBinder& navigation() { return *navigation_; }
    BriefingBinder& briefing() { return *briefing_; }

  private:
    flightplan::FlightPlan flight_;
    // Owned by the window as Qt children; kept here for access.
    FindBoxBinder* find_;
    NavigationStatusBinder* navigation_;
    PlanListsBinder* lists_;
    BriefingBinder* briefing_;
};

}  // namespace zephyra::shell
