#include "assets/SimFolder.h"

#include <filesystem>
#include <sstream>
#include <system_error>

#include "assets/Textures.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace zephyra::assets {

namespace {

constexpr std::string_view kExeMarker =
    "This is not a program.\n"
    "\n"
    "This folder belongs to Zephyra's built-in simulator. It is laid out like a Flight\n"
    "Simulator 98 folder so that Zephyra can treat both alike: cloud textures are installed\n"
    "into texture\\ and the built-in aircraft's defaults are in fltsim98.cfg.\n"
    "\n"
    "Zephyra runs the built-in simulator itself; there is nothing here to start.\n";

// Mirrors the built-in aircraft's defaults, for a user who looks into the folder.
constexpr std::string_view kConfig =
    "; Zephyra built-in simulator\n"
    "[Aircraft]\n"
    "Title=Zephyra built-in aircraft\n"
    "Autopilot=1\n"
    "TurnRateDegPerSec=3\n"
    "ClimbRateFpm=1800\n"
    "AccelerationKtPerSec=2\n"
    "\n"
    "[Situation]\n"
    "Location=Atlanta\n"
    "Latitude=33.6367\n"
    "Longitude=-84.4281\n"
    "AltitudeFt=3000\n"
    "HeadingTrue=90\n"
    "TrueAirspeedKt=120\n"
    "MagneticVariation=0\n"
    "\n"
    "[Weather]\n"
    "WindLayerFloorsFt=5000,15000,30000\n"
    "CloudTexture=texture\\clouds.r8\n"
    "StormTexture=texture\\stormy.r8\n";

constexpr std::string_view kMarker = "[Zephyra]\nBuiltInSimulator=1\n";

std::string bytes(const Texture& t) {
    return std::string(t.begin(), t.end());
}

bool makeFolder(const fs::path& folder, std::string* error) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec)) {
        if (error != nullptr) {
            *error = "\"" + folder.string() + "\" could not be created.";
        }
        return false;
    }
    return true;
}

// Leaves anything already there alone, even a broken link: it is the user's.
bool writeIfMissing(const fs::path& file, std::string_view contents, std::string* error) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(file, ec))) {
        return true;
    }
    return platform::writeFile(file.string(), std::string(contents), error);
}

std::string trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(" \t\r");
    return std::string(s.substr(first, last - first + 1));
}

}  // namespace

std::string builtInSimFolder(const std::string& programFolder) {
    return platform::joinPath(programFolder, std::string(kSimFolderName));
}

bool isBuiltInSimFolder(const std::string& folder) {
    std::string text;
    if (!platform::readFile(platform::joinPath(folder, std::string(kSimMarkerFile)), text)) {
        return false;
    }
    std::istringstream in(text);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        const std::string l = trim(line);
        if (!l.empty() && l.front() == '[') {
            inSection = l == "[Zephyra]";
        } else if (inSection) {
            const auto eq = l.find('=');
            if (eq != std::string::npos && trim(l.substr(0, eq)) == "BuiltInSimulator") {
                return trim(l.substr(eq + 1)) == "1";
            }
        }
    }
    return false;
}

bool writeShippedFiles(const std::string& programFolder, std::string* error) {
    const fs::path program(programFolder);
    if (!makeFolder(program, error)) {
        return false;
    }
    for (TextureKind kind : programFolderTextures()) {
        const fs::path file = program / textureFileName(kind);
        if (!platform::writeFile(file.string(), bytes(makeTexture(kind)), error)) {
            return false;
        }
    }

    const fs::path sim = program / kSimFolderName;
    for (const char* sub : {"texture", "modules", "adv/wav"}) {
        if (!makeFolder(sim / sub, error)) {
            return false;
        }
    }
    return writeIfMissing(sim / "fltsim98.exe", kExeMarker, error) &&
           writeIfMissing(sim / "fltsim98.cfg", kConfig, error) &&
           writeIfMissing(sim / kSimMarkerFile, kMarker, error) &&
           writeIfMissing(sim / "texture" / textureFileName(TextureKind::SimClouds),
                          bytes(makeTexture(TextureKind::SimClouds)), error) &&
           writeIfMissing(sim / "texture" / textureFileName(TextureKind::SimStorm),
                          bytes(makeTexture(TextureKind::SimStorm)), error);
}

bool copySimFolder(const std::string& templateFolder, const std::string& target,
                   std::string* error) {
    std::error_code ec;
    fs::create_directories(target, ec);
    if (!ec) {
        fs::copy(templateFolder, target,
                 fs::copy_options::recursive | fs::copy_options::skip_existing, ec);
    }
    if (!ec) {
        // The shipped copy is read-only; the user's folder must take the program's swaps.
        for (auto it = fs::recursive_directory_iterator(target, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
        }
    }
    if (ec) {
        if (error != nullptr) {
            *error = "\"" + target + "\" could not be laid out from \"" + templateFolder +
                     "\": " + ec.message() + ".";
        }
        return false;
    }
    return true;
}

}  // namespace zephyra::assets
