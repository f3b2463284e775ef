#include "flightplan/PlanTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "flightplan/GreatCircle.h"
#include "flightplan/NavaidFinder.h"
#include "flightplan/Navigator.h"
#include "flightplan/PlanNumbers.h"
#include "simlink/BuiltInAircraft.h"
#include "weather/AloftField.h"

namespace zephyra::flightplan {

namespace {

// Store entries by name, for the names the plan uses only (one pass over the store).
using NameIndex = std::unordered_map<std::string, std::vector<int>, TextHash, std::equal_to<>>;

NameIndex indexNames(const WaypointStore& store, NameIndex wanted) {
    for (int i = 1; i <= store.WpsCount; ++i) {
        const auto it = wanted.find(store.WpsName[static_cast<std::size_t>(i)]);
        if (it != wanted.end()) {
            it->second.push_back(i);
        }
    }
    return wanted;
}

void describeFromStore(PlanTableRow& row, const WaypointStore& store, const NameIndex& index,
                       double lat, double lon) {
    const auto it = index.find(row.name);
    if (it == index.end()) {
        return;
    }
    for (const int i : it->second) {
        const auto k = static_cast<std::size_t>(i);
        if (std::fabs(store.WpsLat[k] - lat) < 1e-4 && std::fabs(store.WpsLon[k] - lon) < 1e-4) {
            const bool station = store.WpsType[k] == "C";
            row.ident = station ? store.WpsFreq[k] : store.WpsIdent[k];
            row.type = station ? "station" : typeWord(store.WpsType[k]);
            row.frequency = station ? std::string() : std::string(store.WpsFreq[k]);
            return;
        }
    }
}

}  // namespace

std::string hoursText(double hours) {
    const long minutes = std::lround(hours * 60.0);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%ld:%02ld", minutes / 60, minutes % 60);
    return buf;
}

PlanTable planTable(const FlightPlan& flight, const WaypointStore& store,
                    std::optional<double> magVar, const PlanWindsInput* winds) {
    PlanTable table;
    const weather::AloftField* field = winds != nullptr ? winds->field : nullptr;
    if (winds != nullptr) {
        table.winds = true;
        table.windMinutes = 0.0;
        table.windsAloft = field != nullptr && !field->empty();
        if (table.windsAloft) {
            for (const auto& f : field->forecasts()) {
                if (table.windSource.find(f->name()) == std::string::npos) {
                    table.windSource += (table.windSource.empty() ? "" : ", ") + f->name();
                }
            }
        }
    }
    double flownMinutes = 0.0;  // from the first leg not passed, for the forecast times
    table.magnetic = magVar.has_value();
    std::vector<std::pair<PlanStore::Row, PlanTableRow::State>> entries;
    for (const auto& r : flight.passed) {
        entries.emplace_back(r, PlanTableRow::State::Passed);
    }
    if (flight.leg.active) {
        const ActiveLeg& l = flight.leg;
        entries.emplace_back(
            PlanStore::Row{l.FWAYP, std::to_string(l.CurWpAlt), standardText(l.CurWpSpd),
                           l.CurWpLat, l.CurWpLon, static_cast<double>(l.CurWpAlt), l.CurWpSpd},
            PlanTableRow::State::Active);
    }
    for (int i = 0; i < flight.plan.PlanCount; ++i) {
        entries.emplace_back(flight.plan.row(i), PlanTableRow::State::Planned);
    }
    NameIndex wanted;
    for (const auto& e : entries) {
        wanted.emplace(e.first.name, std::vector<int>{});
    }
    const NameIndex index = indexNames(store, std::move(wanted));
    const GenerationEnds& ends = flight.ends;
    std::optional<std::pair<double, double>> from;
    if (!ends.departureName.empty() && !entries.empty() &&
        entries.front().first.name != ends.departureName) {
        from = std::make_pair(ends.departureLat, ends.departureLon);
    }
    std::optional<double> hours = 0.0;
    for (const auto& [r, state] : entries) {
        PlanTableRow row;
        row.state = state;
        row.name = r.name;
        row.altitude = r.altText;
        row.speed = r.spdText;
        describeFromStore(row, store, index, r.lat, r.lon);
        if (from) {
            const auto cd = sphericalCourseDistance(from->first, from->second, r.lat, r.lon);
            double course = cd.course;
            if (magVar) {
                course = *magVar >= 180.0 ? course + (360.0 - *magVar) : course - *magVar;
                course = std::fmod(course + 720.0, 360.0);
            }
            row.course = course;
            row.legNm = cd.distance;
            table.totalNm += cd.distance;
            const double feet = winds != nullptr && winds->metres ? r.alt * kFeetPerMetre : r.alt;
            const auto kt = planTrueAirspeed(r.spd, feet);
            row.tasKt = kt;
            if (kt) {
                row.legHours = cd.distance / *kt;
            }
            if (hours && row.legHours) {
                *hours += *row.legHours;
            } else {
                hours.reset();
            }
            if (winds != nullptr) {
                std::int64_t when = winds->departure;
                if (when != 0 && state != PlanTableRow::State::Passed) {
                    when += std::llround(flownMinutes * 60.0);
                }
                row.wind =
                    legWind(from->first, from->second, r.lat, r.lon, feet, r.spd, field, when);
                const LegWind& w = *row.wind;
                if (state != PlanTableRow::State::Passed) {
                    flownMinutes += w.minutes.value_or(0.0);
                }
                if (table.windMinutes && w.minutes) {
                    *table.windMinutes += *w.minutes;
                } else {
                    table.windMinutes.reset();
                }
                if (w.validTime != 0) {
                    table.windValidFirst = table.windValidFirst == 0
                                               ? w.validTime
                                               : std::min(table.windValidFirst, w.validTime);
                    table.windValidLast = std::max(table.windValidLast, w.validTime);
                }
            }
        }
        row.totalNm = table.totalNm;
        row.totalHours = hours;
        table.rows.push_back(std::move(row));
        from = std::make_pair(r.lat, r.lon);
    }
    table.totalHours = hours;
    return table;
}

}  // namespace zephyra::flightplan
