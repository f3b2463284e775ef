#pragma once

#include <optional>
#include <string>
#include <vector>

#include "flightplan/FlightPlan.h"
#include "flightplan/PlanWinds.h"
#include "flightplan/WaypointStore.h"

namespace zephyra::flightplan {

// The flight plan as a pilot reads it: the entries passed, the active one and those to come,
// each with what the waypoint store knows of it and the leg that leads to it.
struct PlanTableRow {
    enum class State { Passed, Active, Planned };
    State state = State::Planned;
    std::string ident, type, name, frequency;  // type as a word: airport, VOR, NDB, fix
    std::string altitude, speed;               // as entered
    std::optional<double> course;              // of the leg to it, degrees (see magnetic)
    std::optional<double> legNm;
    double totalNm = 0.0;              // from the first point of the table
    std::optional<double> totalHours;  // at each leg's entry speed; none once one is unknown
    std::optional<double> legHours;
    std::optional<double> tasKt;  // the entry's speed as a true airspeed at its altitude
    std::optional<LegWind> wind;  // the leg flown in the winds aloft, when they were asked for
};

struct PlanTable {
    std::vector<PlanTableRow> rows;
    bool magnetic = false;  // courses are magnetic (the simulator gave the variation), else true
    double totalNm = 0.0;
    std::optional<double> totalHours;
    // With winds: whether a forecast was loaded, the sum of the legs' minutes (none once one
    // is unknown), the forecasts' names and the first and last valid times the legs used.
    bool winds = false;
    bool windsAloft = false;
    std::optional<double> windMinutes;
    std::string windSource;
    std::int64_t windValidFirst = 0;
    std::int64_t windValidLast = 0;
};

// Legs start at the departure recorded for the generation when there is one (the departure is
// not an entry of its own), else at the first row. magVar: the simulator's variation, 0..360
// (below 180 east), when it gives one. With winds, every leg is flown in them as well (see
// legWind): the legs passed at the departure time, the rest each at the departure time plus
// the minutes of the legs before it from the first one not passed.
PlanTable planTable(const FlightPlan& flight, const WaypointStore& store,
                    std::optional<double> magVar, const PlanWindsInput* winds = nullptr);

// "1:05" for 1.09 hours.
std::string hoursText(double hours);

}  // namespace zephyra::flightplan
