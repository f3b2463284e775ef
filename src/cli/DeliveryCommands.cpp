#include "cli/DeliveryCommands.h"
#include "cli/OpenDatabase.h"
#include "platform/Folders.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "delivery/StationTracker.h"
#include "platform/Files.h"
#include "platform/RealTimeScheduler.h"
#include "reports/StationReport.h"
#include "shell/ParamFile.h"
#include "weather/WeatherDb.h"

namespace zephyra::cli {

namespace {

constexpr const char* kReportUsage =
    "usage: zephyra-cli report [--db FILE] [--uom U|M|F] STATION_ID\n"
    "  Prints the station weather report as the main window shows it. Units and the\n"
    "  visibility ceiling come from vane98.par beside the program unless --uom is given;\n"
    "  without the file, from the settings a first run writes (U, 30 miles).\n";
constexpr const char* kClosestUsage =
    "usage: zephyra-cli closest [--db FILE] LATITUDE LONGITUDE\n"
    "  Prints the closest station with weather (ID-Name, State), degrees north and east\n"
    "  positive; nothing and exit status 1 when no weather is loaded.\n";

std::string userFile(const char* name) {
    return platform::joinPath(platform::folders().user, name);
}

std::string settingsFile(const char* name) {
    return platform::joinPath(platform::folders().settings, name);
}

bool parseDegrees(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

}  // namespace

int runReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string database = userFile("vanedb.mdb");
    shell::Settings settings;
    shell::readSettingsForTools(settingsFile(shell::kParamFileName), settings);
    std::string id;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--db" && i + 1 < args.size()) {
            database = args[++i];
        } else if (a == "--uom" && i + 1 < args.size()) {
            settings.UOM = args[++i];
        } else if (a == "--help" || a == "-h") {
            out << kReportUsage;
            return 0;
        } else if (!a.empty() && a[0] != '-' && id.empty()) {
            id = a;
        } else {
            err << kReportUsage;
            return 2;
        }
    }
    if (id.empty()) {
        err << kReportUsage;
        return 2;
    }
    auto db = openDatabaseOrSay(database, "zephyra-cli", err);
    if (!db) {
        return 1;
    }
    // Identifiers are stored in capitals; "kjfk" means KJFK.
    std::transform(id.begin(), id.end(), id.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const auto report =
        reports::stationReport(*db, delivery::stationId(id), settings.UOM, settings.UnlimitedVis,
                               platform::RealTimeScheduler().wallClock());
    (report.found ? out : err) << report.text << (report.found ? "" : "\n");
    return report.found ? 0 : 1;
}

int runClosestCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string database = userFile("vanedb.mdb");
    std::vector<double> position;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        double value = 0;
        if (a == "--db" && i + 1 < args.size()) {
            database = args[++i];
        } else if (a == "--help" || a == "-h") {
            out << kClosestUsage;
            return 0;
        } else if (position.size() < 2 && parseDegrees(a, value)) {
            position.push_back(value);
        } else {
            err << kClosestUsage;
            return 2;
        }
    }
    if (position.size() != 2) {
        err << kClosestUsage;
        return 2;
    }
    auto db = openDatabaseOrSay(database, "zephyra-cli", err);
    if (!db) {
        return 1;
    }
    const std::string text =
        delivery::findClosestStation(db->stationList(), position[0], position[1]);
    if (text.empty()) {
        err << "zephyra-cli: no station with weather\n";
        return 1;
    }
    out << text << "\n";
    return 0;
}

}  // namespace zephyra::cli
