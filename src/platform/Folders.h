#pragma once

#include <functional>
#include <string>

namespace zephyra::platform {

// Where the program finds what it ships and keeps what the user makes.
//
// Built and run in place, everything lies beside the executable, as it always has. Installed
// (the executable in ".../bin", or ".../libexec/zephyra" for zephyra-cli-qt, with its data in
// ".../share/zephyra"), the shipped files are
// read-only and the user's files live in the XDG folders of the user's home. The mode is told
// at run time from where the data is found, so an unpacked tree works wherever it lies.
struct Folders {
    std::string shipped;   // read-only: textures, map, user's guide, database, simulator template
    std::string settings;  // vane98.par, simulator.ini, zephyra.ini, quick.txt
    std::string user;      // the database, the weather scratch copy, downloads, plans, FS98/
    bool installed = false;
};

// Every file in one folder, as when the program runs where it was built.
inline Folders allIn(const std::string& folder) {
    return {folder, folder, folder, false};
}

// The variables the installed layout reads (empty when unset).
struct FolderEnvironment {
    std::string home;
    std::string xdgConfigHome;
    std::string xdgDataHome;
};

// The shipped database: its presence tells where the shipped data lies.
inline constexpr const char* kShippedMarker = "vanedb.mdb";

// Resolves the folders for an executable in programFolder. exists answers whether a file exists.
Folders resolveFolders(const std::string& programFolder, const FolderEnvironment& env,
                       const std::function<bool(const std::string&)>& exists);

// The folders of this process (resolved once, from /proc/self/exe and the environment).
const Folders& folders();

// Makes the settings and user folders and copies the shipped database into the user folder
// when it has none. Nothing is written to the shipped folder. False, with the reason, on failure.
bool prepareUserFolders(const Folders& folders, std::string* error = nullptr);

}  // namespace zephyra::platform
