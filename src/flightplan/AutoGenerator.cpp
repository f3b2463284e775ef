#include "flightplan/AutoGenerator.h"

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "flightplan/GreatCircle.h"
#include "flightplan/PlanNumbers.h"
#include "platform/Dialogs.h"

namespace zephyra::flightplan {

namespace {

constexpr int kMaxGenerated = 200;

// Every candidate's direction and distance from P are first judged on unit vectors (a few
// multiplications); only the candidates that may lie in the right quadrant and may beat the
// best so far are worked out with the exact course-and-distance, so the result is the one a
// full scan with it gives.
struct Candidate {
    int index;
    double x, y, z;
};

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;
// An angle of 1e-4 rad around a quadrant boundary, as a squared sine, and 0.05 nm of
// distance: well beyond the difference between the vector estimate and the exact formula.
constexpr double kBoundarySin2 = 1e-8;
constexpr double kDistanceMarginNm = 0.05;

struct Vec {
    double x, y, z;
};

Vec unit(double lat, double lon) {
    const double p = lat * kRad;
    const double l = lon * kRad;
    return {std::cos(p) * std::cos(l), std::cos(p) * std::sin(l), std::sin(p)};
}

// Quadrant of the course towards a vector with east and north parts e and n; 0 when it lies
// too near a boundary to tell without the exact formula.
int clearQuadrant(double e, double n) {
    const double r2 = e * e + n * n;
    if (e * e <= kBoundarySin2 * r2 || n * n <= kBoundarySin2 * r2) {
        return 0;
    }
    if (e > 0) {
        return n > 0 ? 1 : 2;
    }
    return n < 0 ? 3 : 4;
}

std::vector<Candidate> candidatesOf(const WaypointStore& store, const GenerationSettings& s) {
    std::vector<Candidate> out;
    out.reserve(static_cast<std::size_t>(store.WpsCount));
    for (int i = 1; i <= store.WpsCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const std::string& type = store.WpsType[k];
        const bool taken =
            (type == "V" && s.vors) || (type == "W" && s.others) || (type == "N" && s.ndbs);
        if (taken) {
            const Vec v = unit(store.WpsLat[k], store.WpsLon[k]);
            out.push_back({i, v.x, v.y, v.z});
        }
    }
    return out;
}

}  // namespace

int generationStep(int fpDist) {
    return fpDist > 200 ? 200 : (fpDist < 20 ? 20 : fpDist);
}

bool generateRoute(FlightPlan& flight, const WaypointStore& store,
                   const GenerationSettings& settings, const std::function<void()>& yield) {
    const auto alt = readNumber(settings.altText);
    const auto spd = readNumber(settings.spdText);
    if (!alt || !spd) {
        return false;
    }
    PlanStore& plan = flight.plan;
    const GenerationEnds ends = flight.ends;
    plan.clearLists();
    const int step = generationStep(settings.FP_Dist);
    const std::vector<Candidate> candidates = candidatesOf(store, settings);

    double pLat = ends.departureLat;
    double pLon = ends.departureLon;
    auto toArrival = [&] {
        return courseAndDistance(pLat, pLon, ends.arrivalLat, ends.arrivalLon);
    };
    auto leg = toArrival();
    if (!leg) {
        return false;
    }
    double h = leg->course;
    int q = quadrantOf(h);
    double d = leg->distance;
    std::string lastName;
    int generated = 0;

    while (d > step) {
        // Advance on a flat grid (3.14 as pi, no convergence of meridians).
        pLat += std::cos(h * 3.14 / 180.0) * 0.017323 * step;
        pLon += std::sin(h * 3.14 / 180.0) * 0.01666668 * step;

        const Vec p = unit(pLat, pLon);
        const double sl = std::sin(pLon * kRad);
        const double cl = std::cos(pLon * kRad);
        const double sp = std::sin(pLat * kRad);
        const double cp = std::cos(pLat * kRad);
        const Vec east{-sl, cl, 0.0};
        const Vec north{-sp * cl, -sp * sl, cp};

        double bestDistance = 999999.0;
        int best = 0;
        double minDot = -2.0;  // vectors closer than this cannot beat the best
        for (const Candidate& c : candidates) {
            const double dot = c.x * p.x + c.y * p.y + c.z * p.z;
            if (dot < minDot) {
                continue;
            }
            const double e = c.x * east.x + c.y * east.y;
            const double n = c.x * north.x + c.y * north.y + c.z * north.z;
            const int clear = clearQuadrant(e, n);
            if (clear != 0 && clear != q) {
                continue;
            }
            const auto k = static_cast<std::size_t>(c.index);
            const auto exact = courseAndDistance(pLat, pLon, store.WpsLat[k], store.WpsLon[k]);
            if (!exact || quadrantOf(exact->course) != q || !(exact->distance < bestDistance)) {
                continue;
            }
            if (store.WpsName[k] == lastName) {
                continue;
            }
            bestDistance = exact->distance;
            best = c.index;
            const double angle = (bestDistance + kDistanceMarginNm) / 60.0 * kRad;
            minDot = angle >= kPi ? -2.0 : std::cos(angle);
        }
        if (best == 0) {
            return false;  // nothing in the right direction
        }
        const auto k = static_cast<std::size_t>(best);
        pLat = store.WpsLat[k];
        pLon = store.WpsLon[k];
        leg = toArrival();
        if (!leg) {
            return false;
        }
        h = leg->course;
        q = quadrantOf(h);
        d = leg->distance;
        if (d < step / 2) {
            break;
        }
        plan.append({store.WpsName[k], settings.altText, settings.spdText, pLat, pLon, *alt, *spd});
        lastName = store.WpsName[k];
        ++generated;
        if (yield) {
            yield();
        }
        if (generated > kMaxGenerated) {
            return false;
        }
    }
    plan.append({ends.arrivalName, settings.altText, settings.spdText, ends.arrivalLat,
                 ends.arrivalLon, *alt, *spd});
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
    const bool ok = generateRoute(flight, store, settings, [&] { host.processEvents(); });
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
                   "flight or Save to save it for later use or for use in the Weather Builder.");
    return GenerationResult::Created;
}

}  // namespace zephyra::flightplan
