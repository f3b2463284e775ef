#include <stdlib.h>

#include <QGuiApplication>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>

#include "cli/AloftFile.h"
#include "cli/FlightWeather.h"
#include "cli/OpenDatabase.h"
#include "cli/QtCommands.h"
#include "flightplan/FlightPlan.h"
#include "flightplan/PlanFile.h"
#include "flightplan/WaypointStore.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/Random.h"
#include "platform/ScriptedDialogs.h"
#include "platform/VirtualScheduler.h"
#include "reports/BriefingMap.h"
#include "shell/ParamFile.h"
#include "weather/ObservationTime.h"
#include "weather/WeatherDb.h"
#include "weather/WeatherLoader.h"

namespace zephyra::cli {

const char* const kBriefUsage =
    R"(usage: zephyra-cli brief PLAN.fpl --out FILE.html [--weather FILE] [--taf FILE]
                          [--aloft FILE] [--departure YYYY-MM-DDTHH:MMZ]
                          [--from-airport ID] [--db FILE] [--metric | --uom U|M|F]

Writes the route briefing, one HTML page to read or print: the map of the route with the
stations along it coloured by flight category, the legs (altitude, true course, distance,
wind and temperature at altitude, ground speed, time and ETA, as plan show flies them), the
departure's and destination's METAR and TAF (raw and decoded, the TAF's period in force at
the departure or the ETA marked), the flight category of every station within 25 nm of a leg,
the winds aloft along the route, and the sources' times with a warning where one is too old.

  --weather FILE   a METAR file, loaded into a copy of the database (default: the weather
                   already in the database)
  --taf FILE       TAFs (NOAA's bulletins or its CSV cache)
  --aloft FILE     a winds aloft forecast (FB text or GRIB2)
  --departure T    the time of departure, UTC (default: now)
  --from-airport ID  the first leg starts at this airport (a generated plan holds no entry
                   for its departure)
  --out FILE       the page to write
  --uom U|M|F      the unit setting; --metric short for --uom M
  --db FILE        the database (default: vanedb.mdb beside the program)
)";

namespace {

class DeclineWeather final : public flightplan::PlanLoadHost {
    bool useCustomWeather() override { return false; }
    void processCustomWeather() override {}
};

class QuietLoadHost final : public weather::LoadHost {
    void setStatus(const std::string&) override {}
    void processEvents() override {}
    void setRandomTimerInterval(int) override {}
};

// The painter's fonts need a GUI application; the command shows no window.
std::unique_ptr<QGuiApplication> guiApplication() {
    std::unique_ptr<QGuiApplication> app;
    if (QCoreApplication::instance() == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "zephyra-cli";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    return app;
}

// Drops the scratch copy of the database when the briefing is done with it.
struct ScratchCopy {
    std::string name;
    ~ScratchCopy() {
        if (!name.empty()) {
            weather::WeatherDb::forgetScratch(name);
        }
    }
};

// The METAR file loaded into a copy of the database in memory, as a flight loads it; the
// database itself is never changed. Nothing, with the reason on err, when it cannot be.
std::unique_ptr<weather::WeatherDb> scratchWeather(const std::string& database,
                                                   const std::string& metarFile,
                                                   ScratchCopy& scratch, std::ostream& err) {
    std::string folder = (std::filesystem::temp_directory_path() / "zephyra-brief-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        err << "zephyra-cli brief: cannot make a scratch folder\n";
        return nullptr;
    }
    struct Cleanup {
        std::string folder;
        ~Cleanup() {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        }
    } cleanup{folder};
    std::string problem;
    auto db = weather::WeatherDb::openScratchCopy(database, folder + "/vanedb.mdb", &problem);
    if (db) {
        scratch.name = folder + "/vanedb.mdb";
    } else {
        err << "zephyra-cli brief: cannot copy the database " << database << " (" << problem
            << ")\n";
        return nullptr;
    }
    // The loader may repair the file's line ends: it reads a copy.
    std::error_code ec;
    if (!std::filesystem::copy_file(metarFile, folder + "/weather.txt", ec)) {
        err << "zephyra-cli brief: cannot read " << metarFile << ": " << ec.message() << "\n";
        return nullptr;
    }
    platform::DefaultRandom random;
    platform::ScriptedDialogs dialogs;
    platform::VirtualScheduler clock(static_cast<double>(std::time(nullptr)));
    QuietLoadHost host;
    weather::LoadedWeather loaded;
    weather::WeatherLoader loader(*db, random, dialogs, clock, host, loaded);
    if (!loader.loadMetar(folder + "/weather.txt", false).finished) {
        err << "zephyra-cli brief: " << dialogs.lastMessage() << "\n";
        return nullptr;
    }
    return db;
}

}  // namespace

int runBriefCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string planPath, weatherPath, tafPath, aloftPath, outPath, airport;
    std::string database = defaultDatabase();
    std::optional<std::string> uom;
    std::int64_t departure = static_cast<std::int64_t>(std::time(nullptr));
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool value = i + 1 < args.size();
        if (a == "--help" || a == "-h") {
            out << kBriefUsage;
            return 0;
        }
        if (a == "--metric") {
            uom = "M";
        } else if (a == "--uom" && value &&
                   (args[i + 1] == "U" || args[i + 1] == "M" || args[i + 1] == "F")) {
            uom = args[++i];
        } else if (a == "--weather" && value) {
            weatherPath = args[++i];
        } else if (a == "--taf" && value) {
            tafPath = args[++i];
        } else if (a == "--aloft" && value) {
            aloftPath = args[++i];
        } else if (a == "--out" && value) {
            outPath = args[++i];
        } else if (a == "--from-airport" && value) {
            airport = args[++i];
        } else if (a == "--db" && value) {
            database = args[++i];
        } else if (a == "--departure" && value) {
            const auto seconds = weather::observationSeconds(args[++i]);
            if (!seconds) {
                err << "zephyra-cli brief: --departure takes a UTC time as 2022-10-25T15:00Z\n";
                return 2;
            }
            departure = static_cast<std::int64_t>(*seconds);
        } else if (!a.empty() && a[0] != '-' && planPath.empty()) {
            planPath = a;
        } else {
            err << kBriefUsage;
            return 2;
        }
    }
    if (planPath.empty() || outPath.empty()) {
        err << kBriefUsage;
        return 2;
    }
    if (!uom) {
        uom = readFlySettings(
                  platform::joinPath(platform::folders().settings, shell::kParamFileName), err)
                  .uom;
    }

    flightplan::FlightPlan flight;
    DeclineWeather declined;
    const auto loaded = flightplan::loadPlanFile(planPath, flight.plan, declined);
    if (!loaded.opened || !loaded.completed || flight.plan.PlanCount == 0) {
        err << "zephyra-cli brief: " << planPath << ": "
            << (!loaded.opened ? loaded.error
                : loaded.completed
                    ? std::string("the plan has no entries")
                    : "line " + std::to_string(loaded.stoppedAtLine) + " is not a plan entry")
            << "\n";
        return 1;
    }
    ScratchCopy scratch;
    std::unique_ptr<weather::WeatherDb> db =
        weatherPath.empty() ? openDatabaseOrSay(database, "zephyra-cli brief", err)
                            : scratchWeather(database, weatherPath, scratch, err);
    if (!db) {
        return 1;
    }
    if (!airport.empty()) {
        const auto where = db->airportPosition(airport);
        if (!where) {
            err << "zephyra-cli brief: no airport \"" << airport << "\" in " << database << "\n";
            return 1;
        }
        flight.ends.departureName = airport;
        flight.ends.departureLat = where->first;
        flight.ends.departureLon = where->second;
    }
    if (flight.plan.PlanCount == 1 && airport.empty()) {
        err << "zephyra-cli brief: " << planPath
            << ": the plan has one entry and so no leg; give the departure with --from-airport\n";
        return 1;
    }
    std::shared_ptr<const weather::AloftField> aloft;
    if (!aloftPath.empty()) {
        aloft = loadAloftField(aloftPath, *db, "zephyra-cli brief", out, err);
        if (!aloft) {
            return 1;
        }
    }
    std::string tafProblem;
    const std::vector<weather::Taf> tafs =
        reports::briefingTafs(tafPath, db.get(), departure, &tafProblem);
    if (!tafPath.empty() && tafs.empty()) {
        err << "zephyra-cli brief: " << tafPath << ": " << tafProblem << "\n";
    }
    flightplan::WaypointStore store;
    {
        flightplan::QuietWaypointLoadHost quiet;
        platform::DefaultRandom random;
        if (flightplan::loadWaypoints(*db, flightplan::kAll, weather::StationList{}, random, store,
                                      quiet) != flightplan::WaypointLoadResult::Loaded) {
            store.clear();
        }
    }

    reports::BriefingInput input;
    input.flight = &flight;
    input.store = &store;
    input.db = db.get();
    input.aloft = aloft.get();
    input.tafs = &tafs;
    input.departure = departure;
    input.now = static_cast<std::int64_t>(std::time(nullptr));
    input.metres = *uom == "M";
    input.uom = *uom;
    input.weatherName = weatherPath.empty()
                            ? "the database " + database
                            : std::filesystem::path(weatherPath).filename().string();
    input.tafName = std::filesystem::path(tafPath).filename().string();
    input.tafProblem = tafProblem;

    const auto app = guiApplication();
    const std::string page =
        reports::briefingPage(input, platform::joinPath(platform::folders().shipped, "map"));
    std::string problem;
    if (!platform::writeFile(outPath, page, &problem)) {
        err << "zephyra-cli brief: " << problem << "\n";
        return 1;
    }
    out << "briefing written to " << outPath << " (" << page.size() << " bytes)\n";
    return 0;
}

}  // namespace zephyra::cli
