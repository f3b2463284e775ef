#include "platform/Folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Files.h"

namespace zephyra::platform {

namespace fs = std::filesystem;

namespace {

// An XDG variable counts only when it holds an absolute path.
std::string xdgOr(const std::string& value, const std::string& home, const char* fallback) {
    if (!value.empty() && value.front() == '/') {
        return value;
    }
    return joinPath(home.empty() ? std::string("/") : home, fallback);
}

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string homeFolder() {
    std::string home = variable("HOME");
    if (home.empty()) {
        if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) {
            home = entry->pw_dir;
        }
    }
    return home;
}

}  // namespace

Folders resolveFolders(const std::string& programFolder, const FolderEnvironment& env,
                       const std::function<bool(const std::string&)>& exists) {
    const fs::path program(programFolder);
    // The programs in bin/, and the helper program in libexec/zephyra/, of an installation.
    const bool inLibexec =
        program.filename() == "zephyra" && program.parent_path().filename() == "libexec";
    if (program.filename() == "bin" || inLibexec) {
        const fs::path prefix =
            inLibexec ? program.parent_path().parent_path() : program.parent_path();
        const std::string share = (prefix / "share" / "zephyra").lexically_normal().string();
        if (exists(joinPath(share, kShippedMarker))) {
            return {share, joinPath(xdgOr(env.xdgConfigHome, env.home, ".config"), "zephyra"),
                    joinPath(xdgOr(env.xdgDataHome, env.home, ".local/share"), "zephyra"), true};
        }
    }
    return allIn(programFolder);
}

const Folders& folders() {
    static const Folders resolved = resolveFolders(
        programFolder(), {homeFolder(), variable("XDG_CONFIG_HOME"), variable("XDG_DATA_HOME")},
        [](const std::string& path) { return fileExists(path); });
    return resolved;
}

bool prepareUserFolders(const Folders& folders, std::string* error) {
    if (!folders.installed) {
        return true;
    }
    for (const auto& folder : {folders.settings, folders.user}) {
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec) {
            if (error) {
                *error = "\"" + folder + "\" could not be created: " + ec.message();
            }
            return false;
        }
    }
    const std::string database = joinPath(folders.user, kShippedMarker);
    if (fileExists(database)) {
        return true;
    }
    return copyFile(joinPath(folders.shipped, kShippedMarker), database, error);
}

}  // namespace zephyra::platform
