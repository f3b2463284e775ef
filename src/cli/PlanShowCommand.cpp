#include "cli/FlightWeather.h"
#include "cli/OpenDatabase.h"
#include "cli/PlanCommands.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

#include "flightplan/FlightPlan.h"
#include "flightplan/PlanFile.h"
#include "flightplan/PlanTable.h"
#include "flightplan/WaypointStore.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/Random.h"
#include "shell/ParamFile.h"
#include "weather/AloftField.h"
#include "weather/ObservationText.h"
#include "weather/WeatherDb.h"

namespace zephyra::cli {

const char* const kPlanShowUsage =
    R"(usage: zephyra-cli plan show PLAN.fpl [--aloft FILE] [--json] [--from-airport ID]
                              [--db FILE] [--metric | --uom U|M|F]

Prints the plan as a table of legs: from and to, altitude, true course, distance, true
airspeed (knots as they are, Mach converted with the forecast's temperature or the standard
atmosphere), and with --aloft the wind at the leg's altitude from a winds aloft forecast
(NOAA's FB text or a GRIB2 file), its head/tail and cross components, the ground speed and the
leg's time; the total time is the sum of the legs. Without --aloft the wind is zero and the
ground speed the airspeed.

  --aloft FILE     the winds aloft forecast (its FB sites are placed from the database), or
                   a SimBrief OFP's fix winds
  --from-airport ID  the first leg starts at this airport (a generated plan holds no entry
                   for its departure), else at the plan's first entry
  --json           one JSON object: "legs" (from, to, alt_ft, course_deg, tas_kt,
                   wind_dir_deg, wind_kt, tailwind_kt, crosswind_kt, gs_kt, minutes),
                   "total_minutes", "total_nm", "aloft", "source", "valid"
  --uom U|M|F      the unit setting (altitudes in the plan are metres only for M)
  --metric         short for --uom M
  --db FILE        the database (default: vanedb.mdb beside the program)
)";

namespace {

std::string number(double value, int decimals) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    std::string text = buf;
    return text == "-0" || text == "-0.0" || text == "-0.00" ? text.substr(1) : text;
}

std::string jsonNumber(const std::optional<double>& value, int decimals) {
    return value ? number(*value, decimals) : std::string("null");
}

std::string degrees(double value) {
    long d = std::lround(value) % 360;
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03ld", d == 0 ? 360 : d);
    return buf;
}

// A name cut or padded to a column's width.
std::string column(const std::string& text, std::size_t width) {
    return text.size() > width ? text.substr(0, width - 1) + "~"
                               : text + std::string(width - text.size(), ' ');
}

std::string right(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

class DeclineWeather final : public flightplan::PlanLoadHost {
    bool useCustomWeather() override { return false; }
    void processCustomWeather() override {}
};

std::string validText(const flightplan::PlanTable& table) {
    std::string text = weather::isoTime(table.windValidFirst);
    if (table.windValidLast != table.windValidFirst) {
        text += " to " + weather::isoTime(table.windValidLast);
    }
    return text;
}

}  // namespace

int runPlanShowCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string planPath, aloftPath, airport, database = defaultDatabase();
    bool json = false;
    std::optional<std::string> uom;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool value = i + 1 < args.size();
        if (a == "--help" || a == "-h") {
            out << kPlanShowUsage;
            return 0;
        }
        if (a == "--json") {
            json = true;
        } else if (a == "--metric") {
            uom = "M";
        } else if (a == "--uom" && value) {
            uom = args[++i];
            if (*uom != "U" && *uom != "M" && *uom != "F") {
                err << "zephyra-cli plan show: --uom takes U, M or F\n";
                return 2;
            }
        } else if (a == "--aloft" && value) {
            aloftPath = args[++i];
        } else if (a == "--from-airport" && value) {
            airport = args[++i];
        } else if (a == "--db" && value) {
            database = args[++i];
        } else if (!a.empty() && a[0] != '-' && planPath.empty()) {
            planPath = a;
        } else {
            err << kPlanShowUsage;
            return 2;
        }
    }
    if (planPath.empty()) {
        err << kPlanShowUsage;
        return 2;
    }
    if (!uom) {
        uom = readFlySettings(
                  platform::joinPath(platform::folders().settings, shell::kParamFileName), err)
                  .uom;
    }

    flightplan::FlightPlan flight;
    DeclineWeather host;
    const auto loaded = flightplan::loadPlanFile(planPath, flight.plan, host);
    if (!loaded.opened) {
        err << "zephyra-cli plan show: cannot read " << planPath << ": " << loaded.error << "\n";
        return 1;
    }
    if (!loaded.completed) {
        err << "zephyra-cli plan show: line " << loaded.stoppedAtLine << " of " << planPath
            << " is not a plan entry" << (loaded.problem.empty() ? "" : " (" + loaded.problem + ")")
            << "\n";
        return 1;
    }
    if (flight.plan.PlanCount == 0) {
        err << "zephyra-cli plan show: " << planPath << " has no entries\n";
        return 1;
    }

    // The database places the forecast's sites and the departure and names the entries;
    // without them a plan is shown without it too.
    const bool needed = !aloftPath.empty() || !airport.empty();
    std::unique_ptr<weather::WeatherDb> db =
        needed ? openDatabaseOrSay(database, "zephyra-cli plan show", err)
               : weather::WeatherDb::open(database, nullptr, false);
    if (!db && needed) {
        return 1;
    }
    if (!airport.empty()) {
        const auto where = db->airportPosition(airport);
        if (!where) {
            err << "zephyra-cli plan show: no airport \"" << airport << "\" in " << database
                << "\n";
            return 1;
        }
        flight.ends.departureName = airport;
        flight.ends.departureLat = where->first;
        flight.ends.departureLon = where->second;
    }
    auto field = std::make_shared<weather::AloftField>();
    std::vector<std::string> unplaced;
    if (!aloftPath.empty()) {
        weather::AloftLoad load = weather::loadAloftFile(aloftPath, *db);
        if (!load.forecast) {
            err << "zephyra-cli plan show: " << aloftPath << ": " << load.error << "\n";
            return 1;
        }
        field->add(std::move(load.forecast));
        unplaced = std::move(load.unplaced);
    }
    flightplan::WaypointStore store;
    if (db) {
        flightplan::QuietWaypointLoadHost quiet;
        platform::DefaultRandom random;
        if (flightplan::loadWaypoints(*db, flightplan::kAll, weather::StationList{}, random, store,
                                      quiet) != flightplan::WaypointLoadResult::Loaded) {
            store.clear();
        }
    }
    const flightplan::PlanWindsInput input{field.get(), 0, *uom == "M"};
    const flightplan::PlanTable table = flightplan::planTable(flight, store, std::nullopt, &input);

    if (json) {
        out << "{\"plan\":" << weather::jsonQuoted(planPath)
            << ",\"aloft\":" << (table.windsAloft ? "true" : "false")
            << ",\"source\":" << (table.windsAloft ? weather::jsonQuoted(table.windSource) : "null")
            << ",\"valid\":"
            << (table.windValidFirst != 0 ? weather::jsonQuoted(validText(table))
                                          : std::string("null"))
            << ",\"legs\":[";
        bool first = true;
        std::string from = flight.ends.departureName;
        for (const auto& row : table.rows) {
            if (!row.wind) {
                from = row.name;
                continue;
            }
            const flightplan::LegWind& w = *row.wind;
            out << (first ? "" : ",") << "{\"from\":" << weather::jsonQuoted(from)
                << ",\"to\":" << weather::jsonQuoted(row.name)
                << ",\"alt_ft\":" << number(w.altitudeFeet, 0)
                << ",\"course_deg\":" << number(w.courseTrue, 1)
                << ",\"distance_nm\":" << number(w.distanceNm, 1)
                << ",\"tas_kt\":" << jsonNumber(w.tasKt, 1)
                << ",\"wind_dir_deg\":" << jsonNumber(w.windDirection, 0)
                << ",\"wind_kt\":" << number(w.windKnots, 1)
                << ",\"tailwind_kt\":" << number(w.tailwindKt, 1)
                << ",\"crosswind_kt\":" << number(w.crosswindKt, 1)
                << ",\"gs_kt\":" << jsonNumber(w.groundSpeedKt, 1)
                << ",\"minutes\":" << jsonNumber(w.minutes, 2) << "}";
            first = false;
            from = row.name;
        }
        out << "],\"total_nm\":" << number(table.totalNm, 1)
            << ",\"total_minutes\":" << jsonNumber(table.windMinutes, 2) << "}\n";
        return 0;
    }

    if (table.windsAloft) {
        const std::string valid = validText(table);
        out << "winds aloft: " << table.windSource << (valid.empty() ? "" : ", valid " + valid)
            << "\n";
    } else {
        out << "no winds aloft: zero wind, ground speed = true airspeed\n";
    }
    out << column("From", 20) << " " << column("To", 20)
        << "    Alt  Crs°T     Nm   TAS  Wind     Tail  Cross    GS   Time\n";
    std::string from = flight.ends.departureName;
    for (const auto& row : table.rows) {
        if (!row.wind) {
            from = row.name;
            continue;
        }
        const flightplan::LegWind& w = *row.wind;
        const std::string wind = !w.forecast ? "-"
                                 : w.windDirection
                                     ? degrees(*w.windDirection) + "/" + number(w.windKnots, 0)
                                     : "calm";
        out << column(from, 20) << " " << column(row.name, 20) << " "
            << right(number(w.altitudeFeet, 0), 6) << "  " << right(degrees(w.courseTrue), 5) << " "
            << right(number(w.distanceNm, 0), 6) << " "
            << right(w.tasKt ? number(*w.tasKt, 0) : "-", 5) << "  " << column(wind, 7) << " "
            << right(number(w.tailwindKt, 0), 5) << " " << right(number(w.crosswindKt, 0), 6) << " "
            << right(w.groundSpeedKt ? number(*w.groundSpeedKt, 0) : "-", 5) << " "
            << right(w.minutes ? flightplan::hoursText(*w.minutes / 60.0) : "-", 6) << "\n";
        from = row.name;
    }
    out << "total " << number(table.totalNm, 0) << " nm, "
        << (table.windMinutes ? flightplan::hoursText(*table.windMinutes / 60.0) + " (" +
                                    number(*table.windMinutes, 1) + " min)"
                              : std::string("time unknown (a leg has no speed, or a wind "
                                            "stronger than it)"))
        << "\n";
    if (!unplaced.empty()) {
        out << "sites not placed:";
        for (const auto& id : unplaced) {
            out << " " << id;
        }
        out << "\n";
    }
    return 0;
}

}  // namespace zephyra::cli
