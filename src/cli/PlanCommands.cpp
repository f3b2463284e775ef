#include "cli/PlanCommands.h"
#include "cli/OpenDatabase.h"
#include "cli/QtCommands.h"
#include "platform/Folders.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>

#include "cli/AloftFile.h"
#include "cli/FlightGearFly.h"
#include "cli/FlightTrace.h"
#include "cli/FlightWeather.h"
#include "delivery/WeatherDelivery.h"
#include "flightplan/AutoGenerator.h"
#include "flightplan/NavaidFinder.h"
#include "flightplan/PlanFile.h"
#include "flightplan/PlanFlight.h"
#include "flightplan/PlanNumbers.h"
#include "flightplan/WaypointStore.h"
#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/VirtualScheduler.h"
#include "shell/ParamFile.h"
#include "simlink/BuiltInAircraft.h"
#include "simlink/SimulatorChoice.h"
#include "weather/WeatherDb.h"

namespace zephyra::cli {

namespace {

constexpr const char* kPlanUsage =
    R"(usage: zephyra-cli plan generate --from NAME --to NAME [options]

Auto-generates a flight plan from the departure to the arrival through the waypoints of the
database, the way the main window's Auto button does, and writes it as a ".fpl" file.
NAME is an identifier or other airport code in any letter case (katl, spjc, lim) or words of
a name or city ("atlanta", "lima"). An identifier several places share is taken for the
airport among them, if exactly one is an airport. When airports' names or cities hold the
words, the airport they name (whole name, city or code) is taken if it is larger than every
other such airport ("lima" is Jorge Chavez). Otherwise the command lists up to 10 candidates,
airports first and the larger first, and stops.

  --from NAME      departure airport or NAVAID
  --to NAME        arrival airport or NAVAID
  --dist N         distance between generated points, nm (20..200; default 100)
  --types VNW      kinds of waypoints to use: V VORs, N NDBs, W named fixes (default V)
  --alt A          altitude of every entry (default 9000)
  --speed S        speed of every entry, knots, or Mach below 1 (default 250)
  --out FILE       the plan file to write (default plan.fpl)
  --db FILE        the database (default: vanedb.mdb beside the program)
)";

constexpr const char* kFlyUsage =
    R"(usage: zephyra-cli fly PLAN.fpl [--from-airport ID] [--db FILE] [--metric | --uom U|M|F]
                         [--weather FILE | --custom-weather] [--max-turb N]
                         [--unlimited-vis N] [--new-clouds on|off] [--winds on|off]
                         [--simulator builtin|flightgear] [--fg-host HOST] [--fg-port PORT]
                         [--aloft FILE] [--trace FILE.csv] [--blend on|off]

Sends the plan and flies it on the built-in aircraft in virtual time with A/P Update on,
printing each waypoint as it is passed: virtual time, aircraft position, altitude and
indicated airspeed ("5,000 ft 180 kt IAS"), and the distance from the waypoint on the tick
that made the switch (as the Dist label showed it, and exactly).
Ends when the last waypoint is reached.

With --simulator flightgear the plan is flown in a running FlightGear instead, in real time
through its property server, with a line every five-second tick; the aircraft starts where
FlightGear has it (--from-airport does not apply). Weather goes to FlightGear in real time too
(the closest station every minute, a minute's transition to a new one), and each switch prints
the values sent. The default simulator, host and port come from "simulator.ini" beside the
program (built-in, 127.0.0.1, 5401).

  --from-airport ID  start over this airport (default: the aircraft's start, near Atlanta)
  --uom U|M|F        the unit setting (altitudes in the plan are metres only for M)
  --metric           short for --uom M
  --db FILE          the database, for --from-airport and the weather
  --weather FILE     load a METAR file (as decode does) and deliver its weather on the way,
                     printing each change of station and what the simulator then holds
                     (with FlightGear: the values sent)
  --custom-weather   use the plan's own custom weather (the Yes answer of Load) and print
                     each switch to a waypoint's weather and what the simulator then holds
  --max-turb N       turbulence ceiling, 0-255 (MaxTurb)
  --unlimited-vis N  visibility ceiling in statute miles, 1-100 (UnlimitedVis)
  --new-clouds on|off  FS98's cloud textures and redraw (NewClouds; no effect here)
  --winds on|off     send winds (Wind)
  --simulator NAME   builtin or flightgear
  --fg-host HOST     FlightGear's property server (default 127.0.0.1)
  --fg-port PORT     its port (default 5401)
  --aloft FILE       winds and temperatures aloft (NOAA FB text, GRIB2 or a SimBrief OFP, as
                     the aloft command reads them): the weather load takes the stations' layers
                     aloft from them, and the aircraft flies in them at its own position and
                     altitude (FlightGear gets them on its five aloft levels, refreshed every
                     five seconds)
  --trace FILE.csv   write a row every second of the flight: time_s, lat, lon, alt_ft,
                     wind_dir_deg, wind_kt, temp_c (the air the aircraft flies in; with
                     FlightGear the field's, or the wind FlightGear reports), pressure_inhg,
                     visibility_sm, dewpoint_c (the weather sent), station (whose weather is
                     in use) and stations (those blended with their weights, "KATL:0.62;
                     KPDK:0.38", or the nearest station alone)
  --blend on|off     on: the weather at the aircraft is blended from the stations around it
                     (the nearest in each quadrant within 60 nm) and moves at a pilot's rates,
                     sent every second; off: the nearest station's weather, with a minute's
                     transition when another becomes nearest. The default is zephyra.ini's
                     [Delivery] Mode (blended without it)

The weather settings and the unit setting come from "vane98.par" beside the program, as in
the window (without it: those a first run writes); the options above override them.
The weather is loaded into a temporary copy of the database; the database is not changed.
)";

// The place a --from or --to names; nothing, with the reason on err, when it names none or
// several.
std::optional<flightplan::FoundNavaid> resolve(weather::WeatherDb& db, const std::string& option,
                                               const std::string& text, std::ostream& err) {
    const auto choice = flightplan::chooseNavaid(db, text);
    if (choice.chosen) {
        return flightplan::foundNavaid(db, *choice.chosen);
    }
    if (choice.matches == 0) {
        err << "zephyra-cli plan: no waypoint matches " << option << " \"" << text << "\"\n";
        return std::nullopt;
    }
    err << "zephyra-cli plan: " << option << " \"" << text << "\" could be " << choice.matches
        << " places; give one of these identifiers";
    if (choice.matches > static_cast<int>(choice.candidates.size())) {
        err << " (the first " << choice.candidates.size() << ")";
    }
    err << ":\n";
    for (const auto& w : choice.candidates) {
        err << "  " << w.Ident << "  " << flightplan::typeWord(w.Type) << "  " << w.Name << "  "
            << flightplan::fourDecimals(w.latitudeDegrees()) << " "
            << flightplan::fourDecimals(w.longitudeDegrees()) << "\n";
    }
    return std::nullopt;
}

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string clockText(double seconds) {
    const long s = static_cast<long>(seconds);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", s / 3600, (s / 60) % 60, s % 60);
    return buf;
}

}  // namespace

const char* const kExchangeUsage =
    R"(usage: zephyra-cli plan export PLAN.fpl --format fgroute|gpx --out FILE [--db FILE]
                                [--metric | --uom U|M|F]
       zephyra-cli plan import FILE --out PLAN.fpl [--db FILE] [--alt A] [--speed S]
                                [--format fgroute|gpx|simbrief|fpl] [--winds builder]
                                [--metric | --uom U|M|F]
       zephyra-cli plan send PLAN.fpl [--fg-host HOST] [--fg-port PORT] [--db FILE]
                                [--metric | --uom U|M|F]

export writes the plan as a FlightGear route-manager file (fgroute) or as a GPX 1.1 route
(gpx). An entry whose name the waypoint table holds within 0.01 degrees of its position
carries that waypoint's identifier and type; any other is a plain position with its name.
Custom weather is not part of these formats and is left out.

import reads a FlightGear route, a GPX file (its route; else its track; else its waypoints),
a SimBrief OFP saved as XML (root <OFP>) or a ".fpl" plan, the format told from the content
(--format: the file must be that one), and writes it as a ".fpl" plan. Entries the file gives
no altitude or speed take --alt (default 9000) and --speed (default 250); an entry FlightGear
or the OFP names only by its identifier is placed where the waypoint table has it. A file over
16 MB or over 2,001 entries, or a speed no aircraft flies (outside 20 to 4000 knots and Mach
0.1 to 0.99), is refused, and nothing is written.

An OFP becomes the origin, the navlog's fixes (TOC and TOD among them, each at its altitude
and indicated airspeed; a fix without a speed takes the one before) and the destination; a
last fix that is the destination is its entry. With --winds builder the fixes' winds become
the plan's custom weather (as the Weather Builder attaches it: the wind from the ground up to
the fix's altitude, the temperature brought down to sea level); fly it with --custom-weather.
For the winds aloft along the route, give the OFP itself to --aloft.

Both convert altitudes between the plan's units and the format's own (GPX elevations in
metres, FlightGear restrictions in feet): the plan's are metres with the unit setting M
(vane98.par beside the program, or --uom M, or --metric; import's --alt default is then 2743,
9,000 ft), feet otherwise.

send loads the plan into the route manager of a running FlightGear through its property
server (host and port as fly takes them; defaults from "simulator.ini"), then prints the
route FlightGear holds: /autopilot/route-manager/route/num and each route/wp[i]/id (no
more of these than the plan has entries). With FlightGear's home folder on this machine, a
folder of yours reached without a link, the route is written to its Export folder and
loaded from there; otherwise the positions are inserted one by one.

  --db FILE        the database (default: vanedb.mdb beside the program)
)";

int runPlanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        (args.empty() ? err : out) << kPlanUsage;
        return args.empty() ? 2 : 0;
    }
    if (args[0] == "export" || args[0] == "import" || args[0] == "send") {
        if (args.size() > 1 && (args[1] == "--help" || args[1] == "-h")) {
            out << kExchangeUsage;
            return 0;
        }
        return runPlanExchangeCommand(args, out, err);
    }
    if (args[0] == "show") {
        return runPlanShowCommand(args, out, err);
    }
    if (args[0] != "generate") {
        err << kPlanUsage << "\n" << kPlanShowUsage << "\n" << kExchangeUsage;
        return 2;
    }
    std::string from, to, types = "V", outPath = "plan.fpl", database = defaultDatabase();
    std::string alt = "9000", speed = "250";
    int dist = 100;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            out << kPlanUsage;
            return 0;
        }
        if (i + 1 >= args.size()) {
            err << "zephyra-cli plan: " << a << " needs a value\n" << kPlanUsage;
            return 2;
        }
        const std::string& v = args[++i];
        if (a == "--from") {
            from = v;
        } else if (a == "--to") {
            to = v;
        } else if (a == "--types") {
            types = v;
        } else if (a == "--out") {
            outPath = v;
        } else if (a == "--db") {
            database = v;
        } else if (a == "--alt") {
            alt = v;
        } else if (a == "--speed") {
            speed = v;
        } else if (a == "--dist") {
            const auto n = flightplan::readNumber(v);
            if (!n || *n < 20 || *n > 200) {
                err << "zephyra-cli plan: --dist takes a number of nautical miles from 20 to "
                       "200\n";
                return 2;
            }
            dist = static_cast<int>(flightplan::roundHalfEven(*n));
        } else {
            err << "zephyra-cli plan: unknown option " << a << "\n" << kPlanUsage;
            return 2;
        }
    }
    if (from.empty() || to.empty()) {
        err << "zephyra-cli plan: --from and --to are needed\n" << kPlanUsage;
        return 2;
    }
    if (upper(from) == upper(to)) {
        err << "zephyra-cli plan: --from and --to name the same place\n";
        return 2;
    }
    const auto altNumber = flightplan::readNumber(alt);
    const auto speedNumber = flightplan::readNumber(speed);
    if (!altNumber || *altNumber < 0 || *altNumber > 60000) {
        err << "zephyra-cli plan: --alt takes an altitude from 0 to 60000 feet\n";
        return 2;
    }
    if (!speedNumber || !(*speedNumber > 0) || *speedNumber > 10000) {
        err << "zephyra-cli plan: --speed takes knots, or a Mach number below 1, above 0\n";
        return 2;
    }
    if (types.find_first_not_of("VNWvnw") != std::string::npos || types.empty()) {
        err << "zephyra-cli plan: --types takes letters of V, N and W\n";
        return 2;
    }
    auto db = openDatabaseOrSay(database, "zephyra-cli plan", err);
    if (!db) {
        return 1;
    }
    const auto dep = resolve(*db, "--from", from, err);
    const auto arr = resolve(*db, "--to", to, err);
    if (!dep || !arr) {
        return 1;
    }
    if (dep->name == arr->name && dep->lat == arr->lat && dep->lon == arr->lon) {
        err << "zephyra-cli plan: --from and --to name the same place\n";
        return 2;
    }

    flightplan::WaypointStore store;
    flightplan::QuietWaypointLoadHost host;
    platform::DefaultRandom random;
    if (flightplan::loadWaypoints(*db, flightplan::kAll, weather::StationList{}, random, store,
                                  host) != flightplan::WaypointLoadResult::Loaded) {
        err << "zephyra-cli plan: the waypoints could not be loaded. " << host.message << "\n";
        return 1;
    }
    flightplan::FlightPlan flight;
    flight.addFromPicture(dep, dep->name, alt, speed);
    flight.addFromPicture(arr, arr->name, alt, speed);
    auto has = [&](char c) {
        return types.find(c) != std::string::npos ||
               types.find(static_cast<char>(c - 'A' + 'a')) != std::string::npos;
    };
    flightplan::GenerationSettings settings{
        dist, flightplan::kAll, has('V'), has('N'), has('W'), alt, speed};
    flightplan::GenerationReport report;
    if (!flightplan::generateRoute(flight, store, settings, {}, &report)) {
        err << flightplan::generation_text::kFailed << "\n";
        return 1;
    }
    std::string error;
    if (!flightplan::savePlanFile(outPath, flight.plan, &error)) {
        err << "zephyra-cli plan: " << error << "\n";
        return 1;
    }
    out << "from " << dep->name << " (" << flightplan::fourDecimals(dep->lat) << " "
        << flightplan::fourDecimals(dep->lon) << ") to " << arr->name << ": "
        << flight.plan.PlanCount << " entries, written to " << outPath << "\n";
    if (const auto note = flightplan::generationNote(report); !note.empty()) {
        out << note << "\n";
    }
    for (int i = 0; i < flight.plan.PlanCount; ++i) {
        const auto r = flight.plan.row(i);
        std::string type = i + 1 == flight.plan.PlanCount ? arr->type : "?";
        for (int k = 1; k <= store.WpsCount; ++k) {
            const auto at = static_cast<std::size_t>(k);
            if (store.WpsName[at] == r.name && store.WpsLat[at] == r.lat) {
                type = store.WpsType[at];
                break;
            }
        }
        out << "  " << type << "  " << r.name << "  " << flightplan::fourDecimals(r.lat) << " "
            << flightplan::fourDecimals(r.lon) << "\n";
    }
    return 0;
}

namespace {

// Takes the plan's custom weather when asked to (it is processed once the whole plan is
// read), declines it otherwise.
class FlyLoadHost final : public flightplan::PlanLoadHost {
  public:
    FlyLoadHost(std::ostream& err, bool take) : err_(err), take_(take) {}
    bool useCustomWeather() override {
        if (!take_) {
            err_ << "zephyra-cli fly: the plan's custom weather is not used (--custom-weather "
                    "uses it); entries after it are ignored\n";
        }
        return take_;
    }
    void processCustomWeather() override {}

  private:
    std::ostream& err_;
    bool take_;
};

}  // namespace

int runFlyCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string planPath, airport, database = defaultDatabase(), aloftPath, tracePath;
    FlightWeatherOptions weatherOptions;
    weatherOptions.settings = readFlySettings(
        platform::joinPath(platform::folders().settings, shell::kParamFileName), err);
    readFlyDelivery(platform::folders().settings, weatherOptions.settings);
    auto simulator = simlink::readSimulatorChoice(
        platform::joinPath(platform::folders().settings, simlink::kSimulatorFile));
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            out << kFlyUsage;
            return 0;
        }
        std::string problem;
        const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
        auto use = simlink::takeSimulatorOption(a, value, simulator, problem);
        if (use == simlink::OptionUse::NotMine) {
            use = takeFlySettingOption(a, value, weatherOptions.settings, problem);
        }
        if (use == simlink::OptionUse::Bad) {
            err << "zephyra-cli fly: " << problem << "\n";
            return 2;
        }
        if (use == simlink::OptionUse::Taken) {
            ++i;
            continue;
        }
        if (a == "--metric") {
            weatherOptions.settings.uom = "M";
        } else if (a == "--custom-weather") {
            weatherOptions.customWeather = true;
        } else if (a == "--weather" && i + 1 < args.size()) {
            weatherOptions.metarFile = args[++i];
        } else if (a == "--aloft" && i + 1 < args.size()) {
            aloftPath = args[++i];
        } else if (a == "--trace" && i + 1 < args.size()) {
            tracePath = args[++i];
        } else if ((a == "--from-airport" || a == "--db") && i + 1 < args.size()) {
            (a == "--db" ? database : airport) = args[++i];
        } else if (!a.empty() && a[0] != '-' && planPath.empty()) {
            planPath = a;
        } else {
            err << kFlyUsage;
            return 2;
        }
    }
    if (planPath.empty() || (weatherOptions.customWeather && !weatherOptions.metarFile.empty())) {
        err << kFlyUsage;
        return 2;
    }
    weatherOptions.database = database;
    const bool metric = weatherOptions.settings.metric();
    flightplan::FlightPlan flight;
    FlyLoadHost host(err, weatherOptions.customWeather);
    const auto loaded = flightplan::loadPlanFile(planPath, flight.plan, host);
    if (!loaded.opened) {
        err << "zephyra-cli fly: cannot read " << planPath << ": " << loaded.error << "\n";
        return 1;
    }
    if (!loaded.problem.empty()) {
        err << "zephyra-cli fly: " << loaded.problem << "\n";
    }
    if (!loaded.completed) {
        err << "zephyra-cli fly: line " << loaded.stoppedAtLine
            << " is not a plan entry; flying the " << flight.plan.PlanCount
            << " entries before it\n";
    }
    if (flight.plan.PlanCount == 0) {
        err << "zephyra-cli fly: the plan has no entries\n";
        return 1;
    }
    if (!aloftPath.empty()) {
        auto db = weather::WeatherDb::open(database, nullptr, false);
        if (!db) {
            err << "zephyra-cli fly: cannot open the database " << database
                << " to place the winds aloft sites\n";
            return 1;
        }
        weatherOptions.aloft = loadAloftField(aloftPath, *db, "zephyra-cli fly", out, err);
        if (!weatherOptions.aloft) {
            return 1;
        }
    }
    std::ofstream traceFile;
    if (!tracePath.empty()) {
        traceFile.open(tracePath, std::ios::out | std::ios::trunc);
        if (!traceFile) {
            err << "zephyra-cli fly: cannot write the trace " << tracePath << "\n";
            return 1;
        }
    }
    if (simulator.kind == simlink::SimulatorKind::FlightGear) {
        simlink::FlightGearLink link(simulator.flightGear);
        LiveFlightOptions live;
        live.metric = metric;
        live.weather = weatherOptions;
        live.trace = traceFile.is_open() ? &traceFile : nullptr;
        return flyOnFlightGear(flight, link, live, out, err);
    }
    platform::VirtualScheduler clock;
    simlink::BuiltInAircraft aircraft(clock);
    aircraft.setLogLimit(1000);
    if (!airport.empty()) {
        auto db = weather::WeatherDb::open(database, nullptr, false);
        const auto where = db ? db->airportPosition(airport) : std::nullopt;
        if (!where) {
            err << "zephyra-cli fly: no airport \"" << airport << "\" in " << database << "\n";
            return 1;
        }
        aircraft.setLatitude(where->first);
        aircraft.setLongitude(where->second);
    }
    std::unique_ptr<FlightWeather> weather;
    if (weatherOptions.wanted()) {
        weather = FlightWeather::prepare(weatherOptions, flight.plan, aircraft, clock, out, err);
        if (!weather) {
            return 1;
        }
    }
    out << "start " << flightplan::fourDecimals(aircraft.latitude()) << " "
        << flightplan::fourDecimals(aircraft.longitude()) << ", " << flight.plan.PlanCount
        << " waypoints\n";
    if (weather) {
        // The tracking reads the position of a running aircraft.
        aircraft.start();
        weather->start();
    } else if (weatherOptions.aloft) {
        aircraft.upd_aloft(delivery::aloftSource(weatherOptions.aloft, &clock));
    }
    std::unique_ptr<FlightTrace> trace;
    if (traceFile.is_open()) {
        trace = std::make_unique<FlightTrace>(
            traceFile, clock, [&] { return builtInTraceRow(aircraft, weather.get()); });
        trace->start();
    }
    const auto outcome = flightplan::flyPlan(
        flight, aircraft, clock, {48.0 * 3600.0, metric}, [&](const flightplan::PassedWaypoint& p) {
            char dist[32];
            std::snprintf(dist, sizeof dist, "%.2f", p.distance);
            out << clockText(p.seconds) << "  " << flightplan::fourDecimals(p.lat) << " "
                << flightplan::fourDecimals(p.lon) << "  "
                << flightplan::altitudeSpeedText(p.altitude, p.indicated) << "  Dist "
                << p.shownDist << " (" << dist << " nm)  " << (p.last ? "arrived at " : "passed ")
                << p.name << "\n";
        });
    if (trace) {
        trace->stop();
        traceFile.flush();
        if (!traceFile) {
            err << "zephyra-cli fly: the trace " << tracePath << " could not be written whole\n";
            return 1;
        }
    }
    if (!outcome.arrived) {
        err << "zephyra-cli fly: the last waypoint was not reached in "
            << clockText(outcome.seconds) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace zephyra::cli
