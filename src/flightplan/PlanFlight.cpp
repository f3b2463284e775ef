#include "flightplan/PlanFlight.h"

#include "flightplan/GreatCircle.h"
#include "flightplan/Navigator.h"
#include "flightplan/PlanNumbers.h"
#include "platform/VirtualScheduler.h"
#include "simlink/BuiltInAircraft.h"

namespace zephyra::flightplan {

FlightOutcome flyPlan(FlightPlan& flight, simlink::BuiltInAircraft& aircraft,
                      platform::VirtualScheduler& clock, const FlightOptions& options,
                      const std::function<void(const PassedWaypoint&)>& onPassed) {
    FlightOutcome out;
    if (!flight.setNextWaypoint()) {
        return out;
    }
    std::int16_t firstConnection = 0;
    Navigator nav(flight, aircraft, firstConnection);
    const double start = clock.now();
    // From the tick before: the one whose Dist made the switch.
    double lastDistance = 0.0;
    std::string lastShown;

    auto passed = [&](const std::string& name, bool last) {
        PassedWaypoint p{clock.now() - start,
                         name,
                         aircraft.latitude(),
                         aircraft.longitude(),
                         aircraft.altitude(),
                         simlink::BuiltInAircraft::indicatedFromTrue(aircraft.trueAirspeed(),
                                                                     aircraft.altitude()),
                         lastDistance,
                         lastShown,
                         last};
        out.passed.push_back(p);
        if (onPassed) {
            onPassed(p);
        }
    };
    nav.onSwitch = [&](const std::string&) { passed(flight.leg.PrevWpName, false); };

    auto timer = clock.createTimer([&] {
        ++out.ticks;
        nav.tick({true, options.metric});
        lastDistance = sphericalCourseDistance(aircraft.latitude(), aircraft.longitude(),
                                               flight.leg.CurWpLat, flight.leg.CurWpLon)
                           .distance;
        lastShown = flight.display.Dist;
        const auto shown = readNumber(flight.display.Dist);
        if (!out.arrived && flight.plan.PlanCount == 0 && shown && *shown <= nav.AutoSwitchDist) {
            out.arrived = true;
            passed(flight.leg.FWAYP, true);
        }
    });
    aircraft.start();
    timer->setInterval(5000);
    clock.runUntil([&] { return out.arrived; }, options.maxSeconds);
    timer->setInterval(0);
    out.seconds = clock.now() - start;
    return out;
}

}  // namespace zephyra::flightplan
