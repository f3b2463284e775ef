#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "flightplan/FlightPlan.h"
#include "flightplan/PlanFile.h"
#include "flightplan/WaypointStore.h"

namespace zephyra::flightplan {

// Plans exchanged with other programs: FlightGear's route manager XML and GPX 1.1 both ways;
// SimBrief's OFP (saved as XML) read only.
enum class ExchangeFormat { FlightGearRoute, Gpx };

// "fgroute" or "gpx"; nothing for any other word.
std::optional<ExchangeFormat> exchangeFormatNamed(const std::string& word);

// The largest plan file read, in bytes.
constexpr long long kMaxExchangeFileBytes = 16LL * 1024 * 1024;

// The route file FlightGear's route manager loads: a PropertyList of version 2 with the
// departure and destination airports (when the first and last entries are airports, their
// entries flagged as departure and approach so FlightGear does not add them twice) and one
// route/wp per entry. An entry whose name the waypoint store holds within 0.01 degrees is
// written with that waypoint's identifier as a navaid; any other entry is a plain position
// named by its name. Altitudes are "at" restrictions in feet; speeds are knots or, below 1,
// Mach. With planInMetres (UOM "M") the plan's altitudes are metres and are converted.
std::string formatFlightGearRoute(const PlanStore& plan, const WaypointStore* store,
                                  bool planInMetres = false);
// The ident each entry gets in that route file, in order (FlightGear shows it as the
// waypoint's id).
std::vector<std::string> flightGearIdents(const PlanStore& plan, const WaypointStore* store);
// A GPX 1.1 route: one rtept per entry with name, elevation in metres, the identifier in cmt
// and the type in type. The speed goes into an extension of this program's own namespace.
std::string formatGpx(const PlanStore& plan, const WaypointStore* store, bool planInMetres = false);
bool exportPlanFile(const std::string& path, ExchangeFormat format, const PlanStore& plan,
                    const WaypointStore* store, std::string* error = nullptr,
                    bool planInMetres = false);

// What an import needs beyond the file: the altitude and speed of entries whose file gives
// none (in the plan's units), the plan's units, and where a waypoint named only by its
// identifier lies.
struct ImportDefaults {
    bool planInMetres = false;  // UOM "M": the file's altitudes become metres
    std::string altText = "9000";
    std::string spdText = "250";
    std::function<std::optional<FoundNavaid>(const std::string& ident)> findIdent;
};

struct PlanImport {
    bool ok = false;
    std::string format;              // "FlightGear route", "GPX", "SimBrief OFP", "Zephyra plan"
    std::string message;             // why nothing was imported
    std::vector<std::string> notes;  // what the import had to make up or leave out
    // A SimBrief OFP's fix winds as custom-weather entries, one at each entry whose fix gives a
    // wind (at most 201), not attached: attachFixWeather does that when the user wants them.
    std::vector<PlanWxEntry> fixWeather;
};

// The format names importPlanText gives, by the word --format takes: "fgroute", "gpx",
// "simbrief" or "fpl"; nothing for any other word.
std::optional<std::string> importFormatNamed(const std::string& word);

// Makes the entries the plan's custom weather (the plan's own, if any, is replaced).
void attachFixWeather(PlanStore& plan, const std::vector<PlanWxEntry>& weather);

// Reads a FlightGear route, a GPX file, a SimBrief OFP or a ".fpl" text, the format told from
// the content. The plan is replaced only when the whole file was read; otherwise it stays as it
// was.
//
// An OFP becomes the origin, the navlog's fixes (the climb's top and the descent's start among
// them) and the destination; a first or last fix that is the origin or destination (same
// identifier) is that airport's entry, not a second one. Entries are named by identifier, at
// the fix's altitude (an airport at its elevation) and indicated airspeed; a fix without a
// speed takes the one before it, the first the plan's default.
PlanImport importPlanText(const std::string& text, PlanStore& plan, PlanLoadHost& host,
                          const ImportDefaults& defaults);
// The same for a file: a regular file of at most 16 MB.
PlanImport importPlanFile(const std::string& path, PlanStore& plan, PlanLoadHost& host,
                          const ImportDefaults& defaults);

// A speed some aircraft flies: a Mach number from 0.1 to below 1, or 20 to 4,000 knots. An
// import refuses any other (a speed of 1e-300 never arrives), saying which it takes.
bool isFlyableSpeed(double speed);
inline constexpr const char* kFlyableSpeeds =
    "a plan's speeds are 20 to 4000 knots, or a Mach number from 0.1 to 0.99";

// A name as a plan entry can hold it: no "|" and no line breaks or other control characters,
// spaces at either end dropped.
std::string cleanEntryName(const std::string& name);

}  // namespace zephyra::flightplan
