#include "flightplan/RouteSender.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>

#include "flightplan/PlanExchange.h"
#include "platform/Files.h"

namespace zephyra::flightplan {

namespace {

constexpr const char* kRouteManager = "/autopilot/route-manager";
constexpr const char* kRouteFile = "zephyra-route.xml";
// Round trips spent waiting for the route to show the new waypoints.
constexpr int kReadBackTries = 10;

std::string place(double lon, double lat, double alt) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%.6f,%.6f@%.0f", lon, lat, alt);
    return buf;
}

// A folder of the user's, reached from the root without a link on the way.
bool ownFolderWithoutLinks(const std::string& path) {
    if (path.empty() || path.front() != '/') {
        return false;
    }
    struct stat info {};
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string prefix = path.substr(0, end);
        if (!prefix.empty() && (::lstat(prefix.c_str(), &info) != 0 || S_ISLNK(info.st_mode))) {
            return false;
        }
        if (end == std::string::npos) {
            break;
        }
    }
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
}

// Where the route file may go in FlightGear's home folder, which the property server names:
// its Export folder (made when missing), when home and Export are folders of the user's
// reached without a link and the route file is missing or a regular file of the user's.
// Anything else would let the server pick a file to replace.
std::optional<std::string> routeFileIn(const std::string& home) {
    if (!ownFolderWithoutLinks(home)) {
        return std::nullopt;
    }
    const std::string exportDir = home + (home.back() == '/' ? "" : "/") + "Export";
    if (::mkdir(exportDir.c_str(), 0755) != 0 && errno != EEXIST) {
        return std::nullopt;
    }
    if (!ownFolderWithoutLinks(exportDir)) {
        return std::nullopt;
    }
    const std::string file = exportDir + "/" + kRouteFile;
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0) {
        return errno == ENOENT ? std::optional(file) : std::nullopt;
    }
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        return std::nullopt;
    }
    return file;
}

}  // namespace

RouteSendResult sendRouteToFlightGear(const PlanStore& plan, const WaypointStore* store,
                                      const simlink::FlightGearSettings& settings,
                                      std::optional<int> current, bool planInMetres) {
    RouteSendResult result;
    const std::string where = settings.host + ":" + std::to_string(settings.port);
    if (plan.PlanCount == 0) {
        result.message = "The plan has no entries to send.";
        return result;
    }
    // The entry to mark as current, or -1.
    const int marked = current && *current >= 0 && *current < plan.PlanCount ? *current : -1;
    simlink::PropertyConnection fg;
    const auto timeout = settings.replyTimeout;
    auto lost = [&] {
        result.message = "FlightGear's property server at " + where + " stopped answering.";
        return result;
    };
    if (!fg.open(settings.host, settings.port, settings.connectTimeout)) {
        result.message = "FlightGear's property server at " + where +
                         " does not answer. Is FlightGear running with --telnet?";
        return result;
    }
    if (!fg.send("data\r\nget /sim/fg-home\r\n", timeout)) {
        return lost();
    }
    const auto home = fg.readLines(1, timeout);
    if (!home) {
        return lost();
    }
    const std::string r = kRouteManager;
    std::string commands;
    if (const auto file = routeFileIn(home->front())) {
        result.file = *file;
        if (platform::writeFile(result.file, formatFlightGearRoute(plan, store, planInMetres))) {
            result.method = "file";
            result.expectedIds = flightGearIdents(plan, store);
            commands =
                "set " + r + "/file-path " + result.file + "\r\nset " + r + "/input @LOAD\r\n";
        } else {
            result.file.clear();
        }
    }
    if (result.method.empty()) {
        result.method = "inserted";
        commands = "set " + r + "/input @CLEAR\r\n";
        for (int i = 0; i < plan.PlanCount; ++i) {
            const auto row = plan.row(i);
            const double feet = planInMetres ? row.alt / 0.3048 : row.alt;
            commands += "set " + r + "/input " + place(row.lon, row.lat, feet) + "\r\n";
        }
    }
    if (!fg.send(commands, timeout)) {
        return lost();
    }
    for (int tries = 0; tries < kReadBackTries; ++tries) {
        if (!fg.send("get " + r + "/route/num\r\n", timeout)) {
            return lost();
        }
        const auto num = fg.readLines(1, timeout);
        if (!num) {
            return lost();
        }
        try {
            result.routeCount = num->front().empty() ? -1 : std::stoi(num->front());
        } catch (const std::exception&) {
            result.routeCount = -1;
        }
        if (result.routeCount == plan.PlanCount) {
            break;
        }
    }
    // The names of at most as many waypoints as were sent: the server's count decides nothing.
    if (const int asked = std::min(result.routeCount, plan.PlanCount); asked > 0) {
        std::string gets;
        for (int i = 0; i < asked; ++i) {
            gets += "get " + r + "/route/wp[" + std::to_string(i) + "]/id\r\n";
        }
        if (!fg.send(gets, timeout)) {
            return lost();
        }
        const auto ids = fg.readLines(static_cast<std::size_t>(asked), timeout);
        if (!ids) {
            return lost();
        }
        result.ids = *ids;
    }
    if (marked >= 0 && result.routeCount == plan.PlanCount) {
        const std::string wp = r + "/current-wp";
        if (!fg.send("seti " + wp + " " + std::to_string(marked) + "\r\nget " + wp + "\r\n",
                     timeout)) {
            return lost();
        }
        const auto now = fg.readLines(1, timeout);
        if (!now) {
            return lost();
        }
        try {
            result.currentWp = std::stoi(now->front());
        } catch (const std::exception&) {
            result.currentWp = -1;
        }
    }
    fg.send("quit\r\n", timeout);
    const std::string how =
        result.method == "file" ? " (loaded from " + result.file + ")" : " (inserted one by one)";
    if (result.routeCount != plan.PlanCount) {
        result.message = "FlightGear's route has " +
                         std::to_string(result.routeCount < 0 ? 0 : result.routeCount) +
                         " waypoints after sending the plan's " + std::to_string(plan.PlanCount) +
                         how + ".";
        return result;
    }
    if (!result.expectedIds.empty() && result.ids != result.expectedIds) {
        result.message = "FlightGear's route has " + std::to_string(result.routeCount) +
                         " waypoints" + how + ", but not named as sent.";
        return result;
    }
    result.ok = true;
    const std::string currentText =
        marked >= 0 && result.currentWp == marked
            ? ", with " + plan.WaypLst[static_cast<std::size_t>(marked)] + " (entry " +
                  std::to_string(marked + 1) + ") as the current one"
            : std::string();
    result.message = "FlightGear's route manager now holds the plan's " +
                     std::to_string(result.routeCount) + " waypoints" + how + currentText +
                     ". Activate the route in FlightGear to fly it with the GPS.";
    return result;
}

}  // namespace zephyra::flightplan
