#include "shell/DesktopPlatform.h"

#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
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

DesktopPlatform::DesktopPlatform(simlink::BuiltInAircraft& aircraft) : aircraft_(aircraft) {}

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

bool DesktopPlatform::openUrl(const std::string& url) {
    if (url.empty()) {
        return false;
    }
    // The desktop's opener stands for the program associated with web pages; the address is
    // its one argument, whatever characters it holds.
    const std::string opener = findProgramOnPath("xdg-open");
    if (opener.empty()) {
        return false;
    }
    // The opener hands the address on and exits at once; its failure (no browser, an address
    // it refuses) is its exit status. One that is still busy after a while is left to it.
    const char* const args[] = {opener.c_str(), url.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, opener.c_str(), nullptr, nullptr, const_cast<char* const*>(args),
                    environ) != 0) {
        return false;
    }
    for (int waited = 0; waited < 2000; waited += 20) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        if (done < 0) {
            return true;  // reaped elsewhere: nothing to tell
        }
        ::usleep(20000);
    }
    std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
    return true;
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
    return rc == 0;
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
