#include "cli/BuildDbCommand.h"
#include "platform/Folders.h"

#include <chrono>
#include <filesystem>
#include <iomanip>
#include <string_view>

#include "platform/Files.h"
#include "weather/Schema.h"
#include "weather/import/Importer.h"

namespace zephyra::cli {

namespace {

constexpr std::string_view kUsage =
    R"(usage: zephyra-cli build-db [--data DIR] [--out FILE]

Builds the program's database (Stations and WPS tables) from the raw data files. The new file
replaces FILE only once it is complete; the Weather rows and the TAFs FILE already holds are
kept.

  --data DIR   folder with the data files (default: the source tree's data/ folder, found as
               PROGRAM_FOLDER/../../data, else PROGRAM_FOLDER/data). Expected inside, each
               also accepted with ".gz" added, a plain file winning over the .gz:
                 ourairports/airports.csv, ourairports/navaids.csv, ourairports/countries.csv
                 stations/stations.txt, stations/nsd_cccc.txt
                 stations/weather-util_stations (optional)
                 fixes/fix.dat
               Full downloads in these formats may replace the shipped files.
  --out FILE   database to write (default: vanedb.mdb among the user's files)
  --help       show this text

Options may also be written --name=value.
)";

std::string defaultDataDir() {
    const std::string program = platform::programFolder();
    const std::string tree =
        std::filesystem::path(platform::joinPath(program, "../../data")).lexically_normal();
    if (platform::dirExists(tree)) {
        return tree;
    }
    return platform::joinPath(program, "data");
}

}  // namespace

int runBuildDbCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string dataDir;
    std::string target;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (name == "--help" || name == "-h") {
            out << kUsage;
            return 0;
        }
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        if (name != "--data" && name != "--out") {
            err << "zephyra-cli build-db: unknown option: " << args[i] << "\n\n" << kUsage;
            return 2;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                err << "zephyra-cli build-db: " << name << " needs a value\n\n" << kUsage;
                return 2;
            }
            value = args[++i];
        }
        if (value.empty()) {
            err << "zephyra-cli build-db: " << name << " needs a value\n\n" << kUsage;
            return 2;
        }
        (name == "--data" ? dataDir : target) = value;
    }
    if (dataDir.empty()) {
        dataDir = defaultDataDir();
    }
    if (target.empty()) {
        target = platform::joinPath(platform::folders().user, weather::kDatabaseFileName);
    }
    if (!platform::dirExists(dataDir)) {
        err << "zephyra-cli build-db: data folder \"" << dataDir << "\" was not found\n";
        return 1;
    }

    weather::import::Sources sources;
    sources.dataDir = dataDir;
    weather::import::ImportReport report;
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    if (!weather::import::buildDatabase(sources, target, report, &error)) {
        err << "zephyra-cli build-db: " << error << '\n';
        return 1;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

    out << "Data: " << dataDir << '\n';
    out << "Stations: " << report.stations << " (" << report.saCodes
        << " of them under three-letter SA codes)";
    if (report.unplacedStations > 0) {
        out << " (" << report.unplacedStations << " more without a known position left out)";
    }
    out << '\n';
    out << "WPS: " << report.waypoints() << " (airports " << report.airports << ", VORs "
        << report.vors << ", NDBs " << report.ndbs << ", fixes " << report.fixes << ")\n";
    if (report.badFrequencies > 0) {
        out << "NAVAIDs left out for a bad frequency: " << report.badFrequencies << '\n';
    }
    for (const auto& [file, count] : report.malformedRows) {
        out << "Unreadable rows skipped in " << file << ": " << count << '\n';
    }
    out << "Weather rows kept: " << report.weatherKept << '\n';
    out << "Wrote " << target << " in " << std::fixed << std::setprecision(2) << took.count()
        << " s\n";
    return 0;
}

}  // namespace zephyra::cli
