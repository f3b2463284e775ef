#pragma once

#include <optional>
#include <string>
#include <vector>

#include "flightplan/FlightPlan.h"
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
};

struct PlanTable {
    std::vector<PlanTableRow> rows;
    bool magnetic = false;  // courses are magnetic (the simulator gave the variation), else true
    double totalNm = 0.0;
    std::optional<double> totalHours;
};

// Legs start at the departure recorded for the generation when there is one (the departure is
// not an entry of its own), else at the first row. magVar: the simulator's variation, 0..360
// (below 180 east), when it gives one.
PlanTable planTable(const FlightPlan& flight, const WaypointStore& store,
                    std::optional<double> magVar);

// "1:05" for 1.09 hours.
std::string hoursText(double hours);

}  // namespace zephyra::flightplan
