#include "flightplan/AutoGenerator.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "flightplan/PlanNumbers.h"
#include "platform/Dialogs.h"

namespace zephyra::flightplan {

namespace {

// The generated points and the arrival fill the plan store at most.
constexpr int kMaxGenerated = PlanStore::kCapacity - 1;

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;
constexpr double kNmPerRadian = 180.0 * 60.0 / kPi;
// The longest route, as a multiple of the direct distance.
constexpr double kMaxRouteRatio = 1.2;
// The arrival's entry lies this far above the arrival airport.
constexpr double kArrivalHeightFt = 1500.0;
constexpr double kMetresPerFoot = 0.3048;

struct Vec {
    double x, y, z;
};

Vec unit(double lat, double lon) {
    const double p = lat * kRad;
    const double l = lon * kRad;
    return {std::cos(p) * std::cos(l), std::cos(p) * std::sin(l), std::sin(p)};
}

double dot(const Vec& a, const Vec& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec cross(const Vec& a, const Vec& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec scaled(const Vec& a, double k) {
    return {a.x * k, a.y * k, a.z * k};
}

Vec sum(const Vec& a, const Vec& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

double norm(const Vec& a) {
    return std::sqrt(dot(a, a));
}

// Central angle between two unit vectors, well conditioned at every size.
double angle(const Vec& a, const Vec& b) {
    return std::atan2(norm(cross(a, b)), dot(a, b));
}

struct Candidate {
    int index;
    Vec v;
};

std::vector<Candidate> candidatesOf(const WaypointStore& store, const GenerationSettings& s) {
    std::vector<Candidate> out;
    out.reserve(static_cast<std::size_t>(store.WpsCount));
    for (int i = 1; i <= store.WpsCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const std::string_view type = store.WpsType[k];
        const bool taken =
            (type == "V" && s.vors) || (type == "W" && s.others) || (type == "N" && s.ndbs);
        if (taken && std::fabs(store.WpsLat[k]) <= 90.0 && std::fabs(store.WpsLon[k]) <= 180.0) {
            out.push_back({i, unit(store.WpsLat[k], store.WpsLon[k])});
        }
    }
    return out;
}

// The unit normal of the great circle from p to a: the axis that turns p towards a. For
// coincident or opposite points any great circle through p will do.
Vec pathNormal(const Vec& p, const Vec& a) {
    Vec n = cross(p, a);
    if (norm(n) < 1e-12) {
        n = cross(p, std::fabs(p.z) < 0.9 ? Vec{0, 0, 1} : Vec{1, 0, 0});
    }
    return scaled(n, 1.0 / norm(n));
}

}  // namespace

std::string directText(int waypoints) {
    if (waypoints == 0) {
        return "No waypoint lies on the way: the plan goes direct to the arrival.";
    }
    return "No further waypoint lies on the way after the " + std::to_string(waypoints) +
           (waypoints == 1 ? " waypoint" : " waypoints") +
           " found: the plan goes direct from there to the arrival.";
}

std::string generationNote(const GenerationReport& report) {
    std::string note = report.direct ? directText(report.waypoints) : std::string();
    if (report.longestLegNm > 0.0 && report.waypoints > 0) {
        note += std::string(note.empty() ? "" : " ") + "The longest leg, " +
                std::to_string(std::lround(report.longestLegNm)) + " nm from " +
                report.longestFrom + " to " + report.longestTo +
                ", crosses a stretch without waypoints.";
    }
    return note;
}

double arrivalAltitude(double elevationFt, bool metric) {
    const double feet = elevationFt + kArrivalHeightFt;
    return static_cast<double>(std::lround(metric ? feet * kMetresPerFoot : feet));
}

int generationStep(int fpDist) {
    return fpDist > 200 ? 200 : (fpDist < 20 ? 20 : fpDist);
}

// From the current point P, each step looks for the waypoint nearest the point one step along
// the great circle to the arrival, among those that
// - bring the arrival closer by at least a quarter of the step,
// - lie within a corridor around the great circle from P to the arrival (cross-track distance
//   at most 30% of the remaining distance),
// - are nearer to P than the arrival is (nothing beyond the arrival),
// - keep the route, flown on direct from there, within 1.2 times the direct distance, and
//   spend that fifth no faster than the route advances (a fifth of the way made good plus one
//   spacing), so a long route keeps some of it for its last part,
// - differ in name from the waypoint taken last.
// All of it on unit vectors, so the poles and the date line need no care. When no waypoint
// qualifies the plan goes direct from P to the arrival.
bool generateRoute(FlightPlan& flight, const WaypointStore& store,
                   const GenerationSettings& settings, const std::function<void()>& yield,
                   GenerationReport* report) {
    const auto alt = readNumber(settings.altText);
    const auto spd = readNumber(settings.spdText);
    if (!alt || !spd) {
        return false;
    }
    PlanStore& plan = flight.plan;
    const GenerationEnds ends = flight.ends;
    plan.clearLists();
    flight.passed.clear();
    GenerationReport done;
    const double step = generationStep(settings.FP_Dist) / kNmPerRadian;
    const std::vector<Candidate> candidates = candidatesOf(store, settings);
    const Vec arrival = unit(ends.arrivalLat, ends.arrivalLon);
    Vec p = unit(ends.departureLat, ends.departureLon);
    double d = angle(p, arrival);
    // Flying on direct from any chosen point keeps the route within this length.
    const double direct = d;
    const double spare = (kMaxRouteRatio - 1.0) * direct;
    double flown = 0.0;
    std::string lastName;

    while (d > step) {
        if (done.waypoints >= kMaxGenerated) {
            done.direct = true;
            break;
        }
        const Vec n = pathNormal(p, arrival);
        // One step along the great circle towards the arrival.
        const Vec ahead = sum(scaled(p, std::cos(step)), scaled(cross(n, p), std::sin(step)));
        const double closerThan = std::cos(d - step / 4.0);  // dot with the arrival above this
        const double corridor = std::sin(0.3 * d);           // |dot with the normal| below this
        const double nearerThan = std::cos(d);               // dot with P above this
        double bestDot = -2.0;
        int best = 0;
        Vec bestV{};
        for (const Candidate& c : candidates) {
            const double towards = dot(c.v, ahead);
            if (towards <= bestDot || dot(c.v, arrival) <= closerThan ||
                std::fabs(dot(c.v, n)) > corridor || dot(c.v, p) <= nearerThan) {
                continue;
            }
            const double left = angle(c.v, arrival);
            const double allowed = std::min(spare, (kMaxRouteRatio - 1.0) * (direct - left) + step);
            if (flown + angle(p, c.v) + left > direct + allowed ||
                store.WpsName[static_cast<std::size_t>(c.index)] == lastName) {
                continue;
            }
            bestDot = towards;
            best = c.index;
            bestV = c.v;
        }
        if (best == 0) {
            done.direct = true;
            break;
        }
        const double remaining = angle(bestV, arrival);
        if (remaining < step / 2.0) {
            break;  // close enough: the arrival is the next point
        }
        const auto k = static_cast<std::size_t>(best);
        plan.append({std::string(store.WpsName[k]), settings.altText, settings.spdText,
                     store.WpsLat[k], store.WpsLon[k], *alt, *spd});
        lastName = store.WpsName[k];
        ++done.waypoints;
        flown += angle(p, bestV);
        p = bestV;
        d = remaining;
        if (yield) {
            yield();
        }
    }
    if (ends.arrivalElevationFt) {
        const double last = arrivalAltitude(*ends.arrivalElevationFt, settings.metric);
        plan.append({ends.arrivalName, standardText(last), settings.spdText, ends.arrivalLat,
                     ends.arrivalLon, last, *spd});
    } else {
        plan.append({ends.arrivalName, settings.altText, settings.spdText, ends.arrivalLat,
                     ends.arrivalLon, *alt, *spd});
    }
    // One entry is a direct plan, however it came about.
    done.direct = done.direct || done.waypoints == 0;
    std::string from = ends.departureName;
    Vec at = unit(ends.departureLat, ends.departureLon);
    for (int i = 0; i < plan.PlanCount; ++i) {
        const auto r = plan.row(i);
        const Vec to = unit(r.lat, r.lon);
        const double leg = angle(at, to) * kNmPerRadian;
        if (leg > 2.0 * generationStep(settings.FP_Dist) && leg > done.longestLegNm) {
            done.longestLegNm = leg;
            done.longestFrom = from;
            done.longestTo = r.name;
        }
        from = r.name;
        at = to;
    }
    if (report != nullptr) {
        *report = done;
    }
    return true;
}

GenerationResult autoGenerate(FlightPlan& flight, const WaypointStore& store,
                              const GenerationSettings& settings, platform::Dialogs& dialogs,
                              GenerationHost& host) {
    const int count = flight.plan.PlanCount;
    const GenerationEnds& ends = flight.ends;
    if (count < 2) {
        dialogs.inform("Please enter both departure and arrival entries in Flight Plan Box.");
        return GenerationResult::Refused;
    }
    if (count > 2) {
        dialogs.inform(
            "Too many entries in Flight Plan Box. Need only departure and arrival entries.");
        return GenerationResult::Refused;
    }
    if (ends.departureName.empty() || ends.arrivalName.empty()) {
        dialogs.inform(
            "Invalid data detected. Please Find and Add new departure and arrival entries. You "
            "can't auto-generate a flight plan if you Deleted or Inserted entries for "
            "auto-generation.");
        return GenerationResult::Refused;
    }
    const std::string question =
        "We are about to create a flight plan that will depart from " + ends.departureName +
        " and arrive at " + ends.arrivalName +
        ". If this is not correct then cancel this action, press Clear, then find and add the "
        "departure airport and the arrival airport or waypoint.";
    if (dialogs.message({question, "Proceed?", platform::Buttons::OkCancel, platform::Icon::None,
                         1}) == platform::Answer::Cancel) {
        return GenerationResult::Cancelled;
    }
    if (settings.Wayp == 3) {
        dialogs.inform(
            "Incorrect database entry detected. You can't Auto-generate a plan with 'None' "
            "selected for database access in the Zephyra settings. Go into Settings and change "
            "Database Access.");
        return GenerationResult::Refused;
    }
    if (!host.waypointsLoaded()) {
        if (dialogs.message({"Waypoints are not yet loaded. Waypoints need be loaded so you can "
                             "Auto-generate a flight plan. Press Cancel to not load waypoints and "
                             "to exit Auto-Generate.",
                             "Proceed?", platform::Buttons::OkCancel, platform::Icon::None, 1}) ==
            platform::Answer::Cancel) {
            return GenerationResult::Cancelled;
        }
        host.loadWaypoints();
        if (dialogs.message({"Waypoints now loaded. Do you want to proceed with Auto-generating "
                             "your flight plan?",
                             "Proceed?", platform::Buttons::YesNo, platform::Icon::None, 1}) ==
            platform::Answer::No) {
            return GenerationResult::Cancelled;
        }
    }
    host.setBusy(true);
    GenerationReport report;
    const bool ok = generateRoute(
        flight, store, settings, [&] { host.processEvents(); }, &report);
    host.setBusy(false);
    if (!ok) {
        dialogs.message(
            {generation_text::kFailed, "Error!", platform::Buttons::Ok, platform::Icon::None, 1});
        return GenerationResult::Failed;
    }
    dialogs.inform("Your flight plan has been created. Since you are departing from " +
                   ends.departureName +
                   ", it will not be necessary to add it to the plan because you do not need to "
                   "fly to your departure airport. Press the Send button to initialize your "
                   "flight or Save to save it for later use or for use in the Weather Builder." +
                   (generationNote(report).empty() ? std::string() : " " + generationNote(report)));
    return GenerationResult::Created;
}

}  // namespace zephyra::flightplan
