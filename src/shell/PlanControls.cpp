#include "shell/PlanControls.h"

#include "shell/BriefingBinder.h"
#include "shell/FindBoxBinder.h"
#include "shell/NavigationStatusBinder.h"
#include "shell/PlanListsBinder.h"
#include "shell/VaneWindow.h"

namespace zephyra::shell {

PlanControls::PlanControls(AppContext& context, VaneWindow& vane)
    : find_(new FindBoxBinder(context, vane)),
      navigation_(new NavigationStatusBinder(context, vane, flight_)),
      lists_(new PlanListsBinder(context, vane, flight_, *find_, *navigation_)),
      briefing_(new BriefingBinder(context, vane, flight_)) {}

PlanControls::~PlanControls() = default;

}  // namespace zephyra::shell
