#include "cli/FlightGearFly.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "cli/FlightTrace.h"
#include "delivery/WeatherDelivery.h"
#include "flightplan/Navigator.h"
#include "flightplan/PlanNumbers.h"
#include "platform/RealTimeScheduler.h"
#include "simlink/BuiltInAircraft.h"

namespace zephyra::cli {

namespace {

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
    platform::RealTimeScheduler time(options.timeScale);
    std::unique_ptr<FlightWeather> weather;
    if (options.weather.wanted()) {
        weather = FlightWeather::prepare(options.weather, flight.plan, link, time, out, err);
        if (!weather) {
            return 1;
        }
    }
    const double waitFrom = time.now();
    while (link.get_curr_lat() == simlink::SimLink::kNoPosition) {
        if (time.now() - waitFrom > options.waitForPositionSeconds) {
            err << "zephyra-cli fly: FlightGear on " << server << " reports no position\n";
            return 1;
        }
        time.wait(1000);
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
    const double sent = time.now();
    nav.onSwitch = [&](const std::string&) {
        out << clock(time.now() - sent) << "  passed " << flight.leg.PrevWpName << std::endl;
    };
    // The exit code once the flight is over.
    int code = -1;
    simlink::AloftSource aloftEachTick;
    auto tick = [&] {
        link.invalidate();
        if (aloftEachTick) {
            link.upd_aloft(aloftEachTick);
        }
        const auto result = nav.tick({true, options.metric});
        const double t = time.now() - sent;
        if (result == flightplan::Navigator::TickResult::NotConnected) {
            out << clock(t) << "  " << flightplan::Navigator::kNotConnected << std::endl;
        } else {
            out << clock(t) << "  " << flightplan::fourDecimals(link.get_curr_lat()) << " "
                << flightplan::fourDecimals(link.get_curr_lon()) << "  "
                << flightplan::altitudeSpeedText(
                       link.get_alt(),
                       simlink::BuiltInAircraft::indicatedFromTrue(link.get_TAS(), link.get_alt()))
                << "  Hdg " << flight.display.Hdg << "  Dist " << flight.display.Dist << "  to "
                << flight.leg.FWAYP << std::endl;
            const auto shown = flightplan::readNumber(flight.display.Dist);
            if (flight.plan.PlanCount == 0 && shown && *shown <= nav.AutoSwitchDist) {
                out << clock(t) << "  arrived at " << flight.leg.FWAYP << std::endl;
                code = 0;
                return;
            }
        }
        if (t > options.maxSeconds) {
            err << "zephyra-cli fly: the last waypoint was not reached in " << clock(t) << "\n";
            code = 1;
        }
    };
    // The navigation tick runs on the clock, so it goes on while a weather transition waits
    // out its periods; a transition under way when the flight ends is finished first.
    const int tickMs = static_cast<int>(std::lround(options.tickSeconds * 1000.0));
    std::unique_ptr<platform::Timer> ticks;
    ticks = time.createTimer([&] {
        tick();
        if (code >= 0) {
            ticks->setInterval(0);
        }
    });
    if (weather) {
        weather->start();
    }
    // Without station weather the field aloft goes to FlightGear with every navigation tick.
    if (!weather) {
        aloftEachTick = delivery::aloftSource(options.weather.aloft, &time);
    }
    std::unique_ptr<FlightTrace> trace;
    if (options.trace != nullptr) {
        trace = std::make_unique<FlightTrace>(*options.trace, time,
                                              [&] { return liveTraceRow(link, weather.get()); });
        trace->start();
    }
    tick();
    if (code < 0) {
        ticks->setInterval(tickMs);
    }
    while (code < 0) {
        time.wait(tickMs);
    }
    return code;
}

}  // namespace zephyra::cli
