#include "cli/FlightGearFly.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "flightplan/Navigator.h"
#include "flightplan/PlanNumbers.h"

namespace zephyra::cli {

namespace {

using SteadyClock = std::chrono::steady_clock;

double secondsSince(SteadyClock::time_point start) {
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

std::string clock(double seconds) {
    const long s = static_cast<long>(seconds);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", s / 3600, (s / 60) % 60, s % 60);
    return buf;
}

}  // namespace

int flyOnFlightGear(flightplan::FlightPlan& flight, simlink::FlightGearLink& link,
                    const LiveFlightOptions& options, std::ostream& out, std::ostream& err) {
    const auto& where = link.settings();
    const std::string server = where.host + ":" + std::to_string(where.port);
    if (!link.probe()) {
        err << "zephyra-cli fly: FlightGear does not answer on " << server
            << "; start it with its property server on (fgfs --telnet=" << where.port
            << ") and try again\n";
        return 1;
    }
    const auto start = SteadyClock::now();
    while (link.get_curr_lat() == simlink::SimLink::kNoPosition) {
        if (secondsSince(start) > options.waitForPositionSeconds) {
            err << "zephyra-cli fly: FlightGear on " << server << " reports no position\n";
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
        link.invalidate();
    }
    out << "start " << flightplan::fourDecimals(link.get_curr_lat()) << " "
        << flightplan::fourDecimals(link.get_curr_lon()) << ", " << flight.plan.PlanCount
        << " waypoints, FlightGear on " << server << std::endl;
    if (!flight.setNextWaypoint()) {
        return 1;
    }
    std::int16_t firstConnection = 0;
    std::string status;
    flightplan::Navigator nav(flight, link, firstConnection);
    nav.status = [&] { return status; };
    nav.setStatus = [&](const std::string& s) { status = s; };
    const auto sent = SteadyClock::now();
    nav.onSwitch = [&](const std::string&) {
        out << clock(secondsSince(sent)) << "  passed " << flight.leg.PrevWpName << std::endl;
    };
    for (;;) {
        link.invalidate();
        const auto result = nav.tick({true, options.metric});
        const double t = secondsSince(sent);
        if (result == flightplan::Navigator::TickResult::NotConnected) {
            out << clock(t) << "  " << flightplan::Navigator::kNotConnected << std::endl;
        } else {
            out << clock(t) << "  " << flightplan::fourDecimals(link.get_curr_lat()) << " "
                << flightplan::fourDecimals(link.get_curr_lon()) << "  alt "
                << static_cast<long>(link.get_alt()) << "  Hdg " << flight.display.Hdg << "  Dist "
                << flight.display.Dist << "  to " << flight.leg.FWAYP << std::endl;
            const auto shown = flightplan::readNumber(flight.display.Dist);
            if (flight.plan.PlanCount == 0 && shown && *shown <= nav.AutoSwitchDist) {
                out << clock(t) << "  arrived at " << flight.leg.FWAYP << std::endl;
                return 0;
            }
        }
        if (t > options.maxSeconds) {
            err << "zephyra-cli fly: the last waypoint was not reached in " << clock(t) << "\n";
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::duration<double>(options.tickSeconds));
    }
}

}  // namespace zephyra::cli
