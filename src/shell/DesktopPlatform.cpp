#include "shell/DesktopPlatform.h"

#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <thread>

#include "assets/SimFolder.h"
#include "platform/Files.h"
#include "platform/WineRegistry.h"
#include "shell/Startup.h"
#include "simlink/BuiltInAircraft.h"
#include "simlink/FlightGearLink.h"
#include "simlink/SimulatorChoice.h"

extern char** environ;

namespace zephyra::shell {

namespace {

// How often an opener is looked at, and how long it may run before the address counts as
// handed over (a browser that the opener runs in the foreground never exits on its own).
constexpr int kOpenerPollMs = 20;
constexpr double kOpenerPatienceSeconds = 2.0;

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A child left running is reaped in the background when it ends, so none stays a zombie.
void reapLater(pid_t pid) {
    std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
}

}  // namespace

DesktopPlatform::DesktopPlatform(simlink::BuiltInAircraft& aircraft, platform::Scheduler& scheduler)
    : aircraft_(aircraft), scheduler_(scheduler) {}

DesktopPlatform::~DesktopPlatform() {
    for (const Opening& opening : openings_) {
        reapLater(opening.pid);
    }
}

bool DesktopPlatform::isBuiltInFolder(const std::string& folder) {
    return assets::isBuiltInSimFolder(folder);
}

void DesktopPlatform::useFlightGear(simlink::FlightGearLink& link,
                                    std::vector<std::string> command) {
    flightGear_ = &link;
    fgfsCommand_ = std::move(command);
}

bool DesktopPlatform::simulatorWindowExists() {
    if (flightGear_ != nullptr) {
        return flightGear_->probe();
    }
    return aircraft_.running() || fs98ProcessRunning();
}

bool DesktopPlatform::startSimulator(const std::string& folder) {
    if (flightGear_ != nullptr) {
        if (fgfsCommand_.empty()) {
            // Told here, and reported as handled: the caller's "could not be started from
            // the folder" would point the user at the wrong thing.
            if (tellUser) {
                tellUser(simlink::choice_text::kFgfsMissing);
            }
            return true;
        }
        return spawnDetached(fgfsCommand_, {});
    }
    if (isBuiltInFolder(folder)) {
        aircraft_.start();
        if (onBuiltInStarted) {
            onBuiltInStarted();
        }
        return true;
    }
    const std::string exe = platform::findFileNoCase(folder, kSimulatorExe);
    if (exe.empty()) {
        return false;
    }
    return spawnDetached({"wine", exe}, folder);
}

void DesktopPlatform::openUrl(const std::string& url, std::function<void(bool opened)> done) {
    auto tell = [&done](bool opened) {
        if (done) {
            done(opened);
        }
    };
    // The desktop's opener stands for the program associated with web pages; the address is
    // its one argument, whatever characters it holds.
    const std::string opener = url.empty() ? std::string() : findProgramOnPath("xdg-open");
    if (opener.empty()) {
        tell(false);
        return;
    }
    const char* const args[] = {opener.c_str(), url.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, opener.c_str(), nullptr, nullptr, const_cast<char* const*>(args),
                    environ) != 0) {
        tell(false);
        return;
    }
    // The opener hands the address on and exits at once; its failure (no browser, an address
    // it refuses) is its exit status. It is watched from a timer, so the window stays live.
    openings_.push_back({pid, steadySeconds(), std::move(done)});
    if (!openingsTimer_) {
        openingsTimer_ = scheduler_.createTimer([this] { watchOpenings(); });
    }
    if (!openingsTimer_->running()) {
        openingsTimer_->setInterval(kOpenerPollMs);
    }
}

void DesktopPlatform::watchOpenings() {
    // Settled openings leave the list before anyone hears of them: an answer may open a
    // message box, whose own event loop can run this timer again.
    std::vector<std::pair<std::function<void(bool)>, bool>> settled;
    const double now = steadySeconds();
    for (auto it = openings_.begin(); it != openings_.end();) {
        int status = 0;
        const pid_t ended = ::waitpid(it->pid, &status, WNOHANG);
        if (ended == it->pid || ended < 0) {
            // Reaped elsewhere (ended < 0): nothing to tell against it.
            const bool opened = ended < 0 || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
            settled.emplace_back(std::move(it->done), opened);
        } else if (now - it->startedAt >= kOpenerPatienceSeconds) {
            reapLater(it->pid);
            settled.emplace_back(std::move(it->done), true);
        } else {
            ++it;
            continue;
        }
        it = openings_.erase(it);
    }
    if (openings_.empty()) {
        openingsTimer_->setInterval(0);
    }
    for (auto& [done, opened] : settled) {
        if (done) {
            done(opened);
        }
    }
}

std::string findProgramOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string_view rest(path == nullptr ? "" : path);
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string folder(rest.substr(0, colon));
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0 && !std::filesystem::is_directory(candidate)) {
            return candidate;
        }
    }
    return {};
}

std::optional<std::string> DesktopPlatform::fs98PathFromRegistry() {
    return platform::fs98FolderFromWine(platform::defaultWinePrefix());
}

bool spawnDetached(const std::vector<std::string>& argv, const std::string& workingFolder) {
    if (argv.empty()) {
        return false;
    }
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingFolder.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    }
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        return false;
    }
    reapLater(pid);
    return true;
}

bool fs98ProcessRunning() {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) {
            continue;
        }
        std::string cmdline;
        if (!platform::readFile(entry.path().string() + "/cmdline", cmdline)) {
            continue;
        }
        std::transform(cmdline.begin(), cmdline.end(), cmdline.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (cmdline.find("fltsim98.exe") != std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace zephyra::shell
