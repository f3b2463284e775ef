#include "cli/FlightWeather.h"
#include "cli/OpenDatabase.h"
#include "cli/PlanCommands.h"
#include "cli/QtCommands.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <unordered_map>

#include "flightplan/NavaidFinder.h"
#include "flightplan/PlanExchange.h"
#include "flightplan/PlanFile.h"
#include "flightplan/PlanNumbers.h"
#include "flightplan/RouteSender.h"
#include "flightplan/WaypointStore.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/Random.h"
#include "shell/ParamFile.h"
#include "simlink/SimulatorChoice.h"
#include "weather/SimBriefOfp.h"
#include "weather/WeatherDb.h"

namespace zephyra::cli {

namespace {

std::string upperCase(std::string text) {
    for (auto& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// Whether plan altitudes are metres: vane98.par's unit setting unless --metric or --uom says
// otherwise. Takes the option at args[i] (and its value); Bad with the reason in problem.
class PlanUnits {
  public:
    explicit PlanUnits(std::ostream& err)
        : uom_(readFlySettings(
                   platform::joinPath(platform::folders().settings, shell::kParamFileName), err)
                   .uom) {}
    simlink::OptionUse take(const std::vector<std::string>& args, std::size_t i,
                            std::string& problem) {
        if (args[i] == "--metric") {
            uom_ = "M";
            return simlink::OptionUse::Taken;
        }
        if (args[i] != "--uom") {
            return simlink::OptionUse::NotMine;
        }
        if (i + 1 >= args.size() ||
            (args[i + 1] != "U" && args[i + 1] != "M" && args[i + 1] != "F")) {
            problem = "--uom takes U, M or F";
            return simlink::OptionUse::Bad;
        }
        uom_ = args[i + 1];
        return simlink::OptionUse::Taken;
    }
    bool metres() const { return uom_ == "M"; }

  private:
    std::string uom_;
};

// Reads PLAN.fpl whole for export or sending; false (with the reason on err) when it cannot.
bool readWholePlan(const std::string& path, flightplan::PlanStore& plan, const char* command,
                   std::ostream& err) {
    class TakeWeather final : public flightplan::PlanLoadHost {
        bool useCustomWeather() override { return true; }
        void processCustomWeather() override {}
    } host;
    const auto loaded = flightplan::loadPlanFile(path, plan, host);
    if (!loaded.opened) {
        err << "zephyra-cli plan " << command << ": cannot read " << path << ": " << loaded.error
            << "\n";
        return false;
    }
    if (!loaded.completed) {
        err << "zephyra-cli plan " << command << ": line " << loaded.stoppedAtLine << " of " << path
            << " is not a plan entry" << (loaded.problem.empty() ? "" : " (" + loaded.problem + ")")
            << "\n";
        return false;
    }
    if (plan.PlanCount == 0) {
        err << "zephyra-cli plan " << command << ": " << path << " has no entries\n";
        return false;
    }
    return true;
}

// The waypoint table of the database, for identifiers; empty (and said so) without one.
flightplan::WaypointStore waypointsOf(const std::string& database, const char* command,
                                      std::ostream& err) {
    flightplan::WaypointStore store;
    auto db = weather::WeatherDb::open(database, nullptr, false);
    flightplan::QuietWaypointLoadHost host;
    platform::DefaultRandom random;
    if (!db || flightplan::loadWaypoints(*db, flightplan::kAll, weather::StationList{}, random,
                                         store, host) != flightplan::WaypointLoadResult::Loaded) {
        err << "zephyra-cli plan " << command << ": no waypoint table in " << database
            << "; entries are written as plain positions\n";
        store.clear();
    }
    return store;
}

int runExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string planPath, outPath, database = defaultDatabase();
    std::optional<flightplan::ExchangeFormat> format;
    PlanUnits units(err);
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        std::string problem;
        if (const auto use = units.take(args, i, problem); use != simlink::OptionUse::NotMine) {
            if (use == simlink::OptionUse::Bad) {
                err << "zephyra-cli plan export: " << problem << "\n";
                return 2;
            }
            i += a == "--uom" ? 1 : 0;
        } else if (a == "--format" && hasValue) {
            format = flightplan::exchangeFormatNamed(args[++i]);
            if (!format) {
                err << "zephyra-cli plan export: --format takes fgroute or gpx\n";
                return 2;
            }
        } else if (a == "--out" && hasValue) {
            outPath = args[++i];
        } else if (a == "--db" && hasValue) {
            database = args[++i];
        } else if (!a.empty() && a[0] != '-' && planPath.empty()) {
            planPath = a;
        } else {
            err << kExchangeUsage;
            return 2;
        }
    }
    if (planPath.empty() || outPath.empty() || !format) {
        err << kExchangeUsage;
        return 2;
    }
    flightplan::PlanStore plan;
    if (!readWholePlan(planPath, plan, "export", err)) {
        return 1;
    }
    const auto store = waypointsOf(database, "export", err);
    std::string error;
    if (!flightplan::exportPlanFile(outPath, *format, plan, &store, &error, units.metres())) {
        err << "zephyra-cli plan export: " << error << "\n";
        return 1;
    }
    out << plan.PlanCount << " entries written to " << outPath << " as "
        << (*format == flightplan::ExchangeFormat::Gpx ? "GPX" : "a FlightGear route") << "\n";
    if (plan.hasCustomWeather) {
        out << "The plan's custom weather is not part of this format and was left out.\n";
    }
    return 0;
}

int runImport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string inPath, outPath, database = defaultDatabase();
    flightplan::ImportDefaults defaults;
    PlanUnits units(err);
    bool altGiven = false, builderWinds = false;
    std::optional<std::string> format;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        std::string problem;
        if (const auto use = units.take(args, i, problem); use != simlink::OptionUse::NotMine) {
            if (use == simlink::OptionUse::Bad) {
                err << "zephyra-cli plan import: " << problem << "\n";
                return 2;
            }
            i += a == "--uom" ? 1 : 0;
        } else if (a == "--out" && hasValue) {
            outPath = args[++i];
        } else if (a == "--db" && hasValue) {
            database = args[++i];
        } else if (a == "--alt" && hasValue) {
            defaults.altText = args[++i];
            altGiven = true;
        } else if (a == "--speed" && hasValue) {
            defaults.spdText = args[++i];
        } else if (a == "--format" && hasValue) {
            format = flightplan::importFormatNamed(args[++i]);
            if (!format) {
                err << "zephyra-cli plan import: --format takes fgroute, gpx, simbrief or fpl\n";
                return 2;
            }
        } else if (a == "--winds" && hasValue) {
            if (args[++i] != "builder") {
                err << "zephyra-cli plan import: --winds takes builder\n";
                return 2;
            }
            builderWinds = true;
        } else if (!a.empty() && a[0] != '-' && inPath.empty()) {
            inPath = a;
        } else {
            err << kExchangeUsage;
            return 2;
        }
    }
    defaults.planInMetres = units.metres();
    if (!altGiven && units.metres()) {
        defaults.altText = "2743";  // 9,000 ft
    }
    const auto alt = flightplan::readInt32(defaults.altText);
    const auto speed = flightplan::readNumber(defaults.spdText);
    if (inPath.empty() || outPath.empty() || !alt || *alt < 0 || *alt > 60000 || !speed) {
        err << kExchangeUsage;
        return 2;
    }
    if (!flightplan::isFlyableSpeed(*speed)) {
        err << "zephyra-cli plan import: --speed " << defaults.spdText
            << " is a speed no aircraft flies: " << flightplan::kFlyableSpeeds << "\n";
        return 2;
    }
    // The waypoints by identifier in any letter case, read in one pass when the first entry
    // needs one (a route of 2,001 identifiers took a pass over the table each).
    std::unordered_map<std::string, std::vector<weather::WpsRecord>> byIdent;
    bool read = false;
    defaults.findIdent = [&](const std::string& ident) -> std::optional<flightplan::FoundNavaid> {
        if (!read) {
            read = true;
            if (const auto db = weather::WeatherDb::open(database, nullptr, false)) {
                db->forEachWps([&](weather::WpsRecord& w) {
                    byIdent[upperCase(w.Ident)].push_back(std::move(w));
                    return true;
                });
            }
        }
        const auto it = byIdent.find(upperCase(ident));
        if (ident.empty() || it == byIdent.end()) {
            return std::nullopt;
        }
        // One waypoint of that identifier, or the one airport among several.
        const auto& found = it->second;
        const weather::WpsRecord* chosen = found.size() == 1 ? &found.front() : nullptr;
        if (chosen == nullptr && std::count_if(found.begin(), found.end(),
                                               [](const auto& w) { return w.Type == "A"; }) == 1) {
            chosen = &*std::find_if(found.begin(), found.end(),
                                    [](const auto& w) { return w.Type == "A"; });
        }
        if (chosen == nullptr) {
            return std::nullopt;
        }
        return flightplan::FoundNavaid{chosen->Name, chosen->Type, chosen->latitudeDegrees(),
                                       chosen->longitudeDegrees()};
    };
    flightplan::PlanStore plan;
    class KeepWeather final : public flightplan::PlanLoadHost {
        bool useCustomWeather() override { return true; }
        void processCustomWeather() override {}
    } host;
    const auto result = flightplan::importPlanFile(inPath, plan, host, defaults);
    if (format && !result.format.empty() && result.format != *format) {
        err << "zephyra-cli plan import: " << inPath << " is a " << result.format << ", not a "
            << *format << ". Nothing was imported.\n";
        return 1;
    }
    if (!result.ok) {
        err << "zephyra-cli plan import: " << result.message << "\n";
        return 1;
    }
    if (builderWinds) {
        flightplan::attachFixWeather(plan, result.fixWeather);
    }
    std::string error;
    if (!flightplan::savePlanFile(outPath, plan, &error)) {
        err << "zephyra-cli plan import: " << error << "\n";
        return 1;
    }
    out << plan.PlanCount << " entries imported from " << inPath << " (" << result.format
        << ") into " << outPath << "\n";
    for (const auto& note : result.notes) {
        out << note << "\n";
    }
    if (builderWinds) {
        out << (result.fixWeather.empty()
                    ? "The file gives no fix winds; no custom weather was attached."
                    : "The winds of " + std::to_string(result.fixWeather.size()) +
                          " fixes are the plan's custom weather.")
            << "\n";
    } else if (!result.fixWeather.empty()) {
        out << "The OFP gives winds at " << result.fixWeather.size()
            << " entries: --winds builder attaches them as custom weather; --aloft " << inPath
            << " flies in them.\n";
    }
    return 0;
}

int runSend(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string planPath, database = defaultDatabase();
    auto choice = simlink::readSimulatorChoice(
        platform::joinPath(platform::programFolder(), simlink::kSimulatorFile));
    PlanUnits units(err);
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string problem;
        if (const auto unit = units.take(args, i, problem); unit != simlink::OptionUse::NotMine) {
            if (unit == simlink::OptionUse::Bad) {
                err << "zephyra-cli plan send: " << problem << "\n";
                return 2;
            }
            i += a == "--uom" ? 1 : 0;
            continue;
        }
        const auto use = simlink::takeSimulatorOption(
            a, i + 1 < args.size() ? &args[i + 1] : nullptr, choice, problem);
        if (use == simlink::OptionUse::Bad) {
            err << "zephyra-cli plan send: " << problem << "\n";
            return 2;
        }
        if (use == simlink::OptionUse::Taken) {
            ++i;
        } else if (a == "--db" && i + 1 < args.size()) {
            database = args[++i];
        } else if (!a.empty() && a[0] != '-' && planPath.empty()) {
            planPath = a;
        } else {
            err << kExchangeUsage;
            return 2;
        }
    }
    if (planPath.empty()) {
        err << kExchangeUsage;
        return 2;
    }
    flightplan::PlanStore plan;
    if (!readWholePlan(planPath, plan, "send", err)) {
        return 1;
    }
    const auto store = waypointsOf(database, "send", err);
    auto settings = choice.flightGear;
    settings.replyTimeout = std::max(settings.replyTimeout, std::chrono::milliseconds(2000));
    settings.connectTimeout = std::max(settings.connectTimeout, std::chrono::milliseconds(2000));
    const auto result =
        flightplan::sendRouteToFlightGear(plan, &store, settings, std::nullopt, units.metres());
    if (result.routeCount >= 0) {
        out << "/autopilot/route-manager/route/num = " << result.routeCount << " (plan entries "
            << plan.PlanCount << ")\n";
        for (std::size_t i = 0; i < result.ids.size(); ++i) {
            out << "/autopilot/route-manager/route/wp[" << i << "]/id = " << result.ids[i] << "\n";
        }
    }
    (result.ok ? out : err) << (result.ok ? "" : "zephyra-cli plan send: ") << result.message
                            << "\n";
    return result.ok ? 0 : 1;
}

}  // namespace

int runPlanExchangeCommand(const std::vector<std::string>& args, std::ostream& out,
                           std::ostream& err) {
    if (args[0] == "send") {
        return runSend(args, out, err);
    }
    return args[0] == "export" ? runExport(args, out, err) : runImport(args, out, err);
}

void prepareQtReaders() {
    weather::readOfpAloftFiles();
}

int runWithQt(const std::string& command, std::ostream& err) {
    // This program reads with Qt itself: nothing is handed over.
    err << "zephyra-cli-qt: " << command << ": this program does not read the file\n";
    return 1;
}

}  // namespace zephyra::cli
