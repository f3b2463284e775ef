#include "flightplan/Navigator.h"

#include <cmath>

#include "flightplan/GreatCircle.h"
#include "flightplan/PlanNumbers.h"
#include "simlink/SimLink.h"

namespace zephyra::flightplan {

namespace {

bool noPosition(double v) {
    return v == 9991.0 || v == 9992.0;
}

}  // namespace

Navigator::TickResult Navigator::tick(const NavigationSwitches& switches) {
    const double lat = sim_.get_curr_lat();
    const double lon = sim_.get_curr_lon();
    if (noPosition(lat) || noPosition(lon)) {
        if (setStatus) {
            setStatus(kNotConnected);
        }
        return TickResult::NotConnected;
    }
    NavDisplay& shown = flight_.display;
    shown.Text1 = fourDecimals(lat);
    shown.Text2 = fourDecimals(lon);
    if (onPosition) {
        onPosition(lat, lon);
    }
    const bool connectedStatus = !status || status() != kNotConnected;
    if (connectedStatus && firstConnection_ == 0) {
        firstConnection_ = 1;
        if (onFirstConnection) {
            onFirstConnection();
        }
    }

    // Within the switch distance the next entry becomes active.
    if (!shown.Dist.empty()) {
        const auto dist = readNumber(shown.Dist);
        if (dist && *dist <= AutoSwitchDist && flight_.plan.PlanCount > 0) {
            flight_.setNextWaypoint();
            if (onSwitch) {
                onSwitch(flight_.leg.FWAYP);
            }
        }
    }
    if (flight_.leg.FWAYP.empty()) {
        return TickResult::PositionOnly;
    }
    compute();
    steer(switches);
    return TickResult::Steered;
}

void Navigator::sendNow(const NavigationSwitches& switches) {
    const double lat = sim_.get_curr_lat();
    const double lon = sim_.get_curr_lon();
    if (!flight_.leg.active || noPosition(lat) || noPosition(lon)) {
        return;
    }
    flight_.display.Text1 = fourDecimals(lat);
    flight_.display.Text2 = fourDecimals(lon);
    if (compute()) {
        steer(switches);
    }
}

void Navigator::sendSpeed(double speed) {
    if (speed > 0.0 && speed < 1.0) {
        sim_.upd_APMachNumber(speed);
    } else if (speed >= 1.0) {
        sim_.upd_APAirSpeed(speed);
    }
}

// The heading goes out on every tick. The speed goes out once per active entry (and again
// after an edit of it); the altitude too: a climb at once, a descent at the top of descent,
// when the time to the waypoint falls below the minutes needed at 1800 ft/min plus two, so
// the aircraft levels off about two minutes before the waypoint.
void Navigator::steer(const NavigationSwitches& switches) {
    if (!switches.apUpdate) {
        return;
    }
    const NavDisplay& shown = flight_.display;
    const ActiveLeg& leg = flight_.leg;
    if (const auto hdg = readNumber(shown.Hdg)) {
        sim_.upd_APHead(*hdg);
    }
    if (speedSent_ != leg.targets) {
        speedSent_ = leg.targets;
        sendSpeed(leg.CurWpSpd);
    }
    if (altitudeSent_ == leg.targets || leg.CurWpAlt <= 0) {
        return;
    }
    const double aircraftAlt = sim_.get_alt();
    const double target = switches.metric ? leg.CurWpAlt * kFeetPerMetre : leg.CurWpAlt;
    const double leadSeconds = ((aircraftAlt - target) / 1800.0 + 2.0) * 60.0;
    const bool climb = target > aircraftAlt;
    if (climb || !eteSeconds_ || *eteSeconds_ < leadSeconds) {
        altitudeSent_ = leg.targets;
        sim_.upd_APAlt(target);
    }
}

bool Navigator::compute() {
    constexpr double R = kDegreesPerRadian;
    double tas = sim_.get_TAS();
    if (tas < 20.0) {
        tas = 0.0;
    }
    const double alt = sim_.get_alt();
    double windDir = 0.0;
    double windSpd = 0.0;
    if (const auto field = sim_.get_aloftHere()) {
        // A forecast field aloft gives the wind at the aircraft's own altitude.
        windDir = field->direction.value_or(0.0);
        windSpd = field->speedKnots;
    } else if (alt < sim_.get_wind1Floor()) {
        windDir = sim_.get_wind0Dir();
        windSpd = sim_.get_wind0Spd();
    } else if (alt < sim_.get_wind2Floor()) {
        windDir = sim_.get_wind1Dir();
        windSpd = sim_.get_wind1Spd();
    } else if (alt < sim_.get_wind3Floor()) {
        windDir = sim_.get_wind2Dir();
        windSpd = sim_.get_wind2Spd();
    } else {
        windDir = sim_.get_wind3Dir();
        windSpd = sim_.get_wind3Spd();
    }
    if (windDir < 0.0) {
        windDir += 360.0;
    }
    const ActiveLeg& leg = flight_.leg;
    eteSeconds_.reset();
    if (!leg.active) {
        return false;
    }
    NavDisplay& shown = flight_.display;
    const double aLat = readNumber(shown.Text1).value_or(0.0);
    const double aLon = readNumber(shown.Text2).value_or(0.0);
    const auto gc = sphericalCourseDistance(aLat, aLon, leg.CurWpLat, leg.CurWpLon);
    const double distance = gc.distance;

    // Magnetic course.
    const double v = sim_.get_MagVar();
    double course = v >= 180.0 ? gc.course + (360.0 - v) : gc.course - v;
    if (course < 0.0) {
        course += 360.0;
    }
    if (course > 360.0) {
        course -= 360.0;
    }

    // Ground speed.
    const double t = tas == 0.0 ? 1.0 : tas;
    double w = (windSpd / t) * std::sin((windDir - course) / R);
    if (std::fabs(w) > 1.0) {
        w = 0.0;
    }
    const double hdg1 = course + std::asin(w) * R;
    const double groundSpeed =
        tas * std::cos((hdg1 - course) / R) - windSpd * std::cos((windDir - course) / R);

    // Time en route, on the true airspeed.
    double hours = 0.0;
    double minutes = 0.0;
    if (tas > 0.0) {
        const double h = distance / tas;
        hours = std::floor(h);
        minutes = std::floor((h - hours) * 60.0);
        if (minutes >= 60.0) {
            hours += 1.0;
            minutes -= 60.0;
        }
    }
    shown.Dist = floorText(distance);
    if (tas > 0.0) {
        eteSeconds_ = distance / (groundSpeed > 20.0 ? groundSpeed : tas) * 3600.0;
    }

    // Wind correction.
    double heading = course;
    if (tas > 50.0) {
        double a = windDir - course;
        if (windDir < course) {
            a += 360.0;
        }
        const double s = std::sin(a / 57.3) * (-windSpd) / tas;
        if (1.0 - s * s <= 0.0) {
            return false;
        }
        const double wca = std::atan(s / std::sqrt(1.0 - s * s)) * 57.3;
        heading = course - wca;
        if (heading < 0.0) {
            heading += 360.0;
        }
        if (heading > 360.0) {
            heading -= 360.0;
        }
    }
    shown.Hdg = floorText(heading);
    shown.WindSpd = floorText(windSpd);
    shown.WindDir = floorText(windDir);
    if (tas > 0.0) {
        shown.TAS = floorText(groundSpeed);
        shown.HRS = floorText(hours);
        shown.MIN = floorText(minutes);
    }
    shown.altbrng = standardText(v);
    return true;
}

}  // namespace zephyra::flightplan
