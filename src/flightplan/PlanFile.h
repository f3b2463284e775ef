#pragma once

#include <cstdint>
#include <string>

#include "flightplan/FlightPlan.h"

namespace zephyra::flightplan {

// What reading a plan file needs from the one who loads it.
class PlanLoadHost {
  public:
    virtual ~PlanLoadHost() = default;
    // The plan carries custom weather: true when the user wants it to replace the weather.
    virtual bool useCustomWeather() = 0;
    // The custom weather is in PlanWx and PlanWxCount: put it into the weather database.
    virtual void processCustomWeather() = 0;
};

struct PlanLoadResult {
    bool opened = false;           // the file could be read at all
    bool completed = false;        // read to its end without a bad line
    bool weatherLoaded = false;    // a weather section was taken
    bool weatherDeclined = false;  // a weather section was refused; the rest was ignored
    int stoppedAtLine = 0;         // 1-based line that ended an incomplete load
    std::string problem;           // what was wrong with that line, when it can be told
    std::string error;             // why the file could not be read, when it was not opened
};

// A plan of 2001 entries and 201 weather entries is well under a megabyte.
inline constexpr std::uintmax_t kMaxPlanFileBytes = 16u * 1024 * 1024;

// Reads a ".fpl" text into the plan store (the lists are emptied first). Entry lines are
// "name|latitude|longitude|altitude|speed"; "Weather" and "ATC" start their sections.
// Lines may end with CR LF, LF or CR. A bad line (a position off the Earth among them), a
// 2002nd entry or a weather index above 200 ends the reading there; what was
// read before stays.
PlanLoadResult readPlan(const std::string& text, PlanStore& plan, PlanLoadHost& host);
// readPlan of a file, which must be a regular file of at most kMaxPlanFileBytes; otherwise
// nothing is read and error says why.
PlanLoadResult loadPlanFile(const std::string& path, PlanStore& plan, PlanLoadHost& host);

// The file text of a plan: entry lines, then the weather section when the plan has one; every
// line ends with CR LF.
std::string formatPlan(const PlanStore& plan);
// The path a plan is saved to: ".fpl" added to a file name without a suffix.
std::string withPlanSuffix(const std::string& path);
bool savePlanFile(const std::string& path, const PlanStore& plan, std::string* error = nullptr);

}  // namespace zephyra::flightplan
