#include "shell/Startup.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "assets/SimFolder.h"
#include "platform/Files.h"
#include "shell/ParamFile.h"

namespace zephyra::shell {

using platform::copyFile;
using platform::fileExists;
using platform::joinPath;

StartupCheck checkStartup(const std::string& launchFolder, const std::string& programFolder,
                          Settings& settings) {
    if (!fileExists(joinPath(launchFolder, kParamFileName))) {
        return {false, std::string("no ") + kParamFileName + " in " + launchFolder, launchFolder};
    }
    const auto read = readParamFile(joinPath(programFolder, kParamFileName), settings);
    if (!read.ok) {
        return {false, read.error, programFolder};
    }
    if (platform::findFileNoCase(settings.Path98, kSimulatorExe).empty()) {
        return {false, std::string("no ") + kSimulatorExe + " in \"" + settings.Path98 + "\"",
                programFolder};
    }
    return {true, {}, programFolder};
}

LocateState findFs98(platform::Platform& platform) {
    LocateState state;
    const auto folder = platform.fs98PathFromRegistry();
    if (!folder) {
        return state;
    }
    state.label = *folder;
    if (!platform::findFileNoCase(*folder, kSimulatorCfg).empty()) {
        state.proceedEnabled = true;
    } else {
        state.label = kNotLocated;
    }
    return state;
}

std::string folderOfChosenExe(const std::string& chosenFile) {
    const std::size_t suffix = std::string("/fltsim98.exe").size();
    if (chosenFile.size() <= suffix) {
        return {};
    }
    return chosenFile.substr(0, chosenFile.size() - suffix);
}

namespace {

void warnCopy(platform::Dialogs& dialogs, const std::string& what, const std::string& reason) {
    dialogs.message({what + "\n\n" + reason, "Initial Configuration", platform::Buttons::Ok,
                     platform::Icon::Exclamation, 1});
}

}  // namespace

ProceedResult proceedWithConfiguration(const std::string& fs98, const FirstRunFolders& folders,
                                       platform::Dialogs& dialogs) {
    if (platform::findFileNoCase(fs98, kSimulatorExe).empty()) {
        dialogs.inform(
            "There are errors in configuring this program. Please read Trouble.doc on the CD "
            "for more information.");
        return ProceedResult::NotConfigured;
    }

    std::string error;
    if (!writeParamFile(joinPath(folders.program, kParamFileName), firstRunSettings(fs98),
                        std::nullopt, &error)) {
        warnCopy(dialogs, "Zephyra could not write its settings file.", error);
        return ProceedResult::NotConfigured;
    }

    // Folders copied from Windows spell names in any letter case ("TEXTURE/CLOUDS.R8").
    auto inSimulator = [&fs98](const char* relative) {
        return platform::findPathNoCase(fs98, relative);
    };
    const std::string cloudsSav = inSimulator("texture/clouds.sav");
    if (!fileExists(cloudsSav) && !copyFile(inSimulator("texture/clouds.r8"), cloudsSav, &error)) {
        warnCopy(dialogs,
                 "The simulator's cloud texture could not be backed up, so its own clouds "
                 "cannot be restored from the Settings window later.",
                 error);
    }

    const std::string stormySav = inSimulator("texture/stormy.sav");
    const std::string stormyR8 = inSimulator("texture/stormy.r8");
    if (!fileExists(stormySav)) {
        if (!copyFile(stormyR8, stormySav, &error)) {
            warnCopy(dialogs,
                     "The simulator's storm texture could not be backed up, so Zephyra's "
                     "storm texture was not installed.",
                     error);
        } else if (!copyFile(joinPath(folders.current, "storm.cld"), stormyR8, &error)) {
            warnCopy(dialogs, "Zephyra's storm texture could not be installed.", error);
        }
    }

    if (assets::isBuiltInSimFolder(fs98)) {
        if (folders.askForRestart) {
            dialogs.inform("Configuration Saved! Please restart Zephyra.");
        }
        return ProceedResult::Configured;
    }
    const std::string ipcTarget = inSimulator("modules/fs6ipc.dll");
    if (!fileExists(ipcTarget) &&
        !copyFile(joinPath(folders.program, "fs6ipc.dll"), ipcTarget, &error)) {
        warnCopy(dialogs,
                 "The simulator module fs6ipc.dll could not be installed. FS98 needs it to "
                 "exchange weather and autopilot data with Zephyra; the built-in simulator "
                 "does not.",
                 error);
    }

    static const std::array<std::pair<const char*, const char*>, 6> adventures{{
        {"lighte.adv", "adv/lighte.adv"},
        {"lighteur.adv", "adv/lighteur.adv"},
        {"lightw.adv", "adv/lightw.adv"},
        {"thunder1.wav", "adv/wav/thunder1.wav"},
        {"thunder2.wav", "adv/wav/thunder2.wav"},
        {"thunder3.wav", "adv/wav/thunder3.wav"},
    }};
    for (const auto& [name, relative] : adventures) {
        const std::string target = inSimulator(relative);
        if (fileExists(target)) {
            continue;
        }
        if (!copyFile(joinPath(folders.current, name), target, &error)) {
            dialogs.inform("Error copying adventure files!");
            break;
        }
    }

    if (folders.askForRestart) {
        dialogs.inform("Configuration Saved! Please restart Zephyra.");
    }
    return ProceedResult::Configured;
}

bool writeSimulatorSettings(const std::string& path,
                            const std::vector<std::pair<std::string, std::string>>& values,
                            std::string* error) {
    auto lower = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    };
    std::string text;
    platform::readFile(path, text);
    std::vector<bool> placed(values.size(), false);
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(at, end - at);
        std::string key = line.substr(0, line.find('='));
        key.erase(0, key.find_first_not_of(" \t"));
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) {
            key.pop_back();
        }
        std::size_t which = values.size();
        for (std::size_t i = 0; i < values.size() && line.find('=') != std::string::npos; ++i) {
            if (lower(key) == lower(values[i].first)) {
                which = i;
            }
        }
        if (which < values.size()) {
            // The first line of a key takes the new value; any later ones go.
            if (!placed[which]) {
                out += values[which].first + "=" + values[which].second + "\n";
                placed[which] = true;
            }
        } else {
            out += line;
            if (out.back() != '\n') {
                out += '\n';
            }
        }
        at = end;
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!placed[i]) {
            out += values[i].first + "=" + values[i].second + "\n";
        }
    }
    return platform::writeFile(path, out, error);
}

bool writeSimulatorKind(const std::string& path, simlink::SimulatorKind kind, std::string* error) {
    return writeSimulatorSettings(
        path, {{"Simulator", std::string(simlink::simulatorKindName(kind))}}, error);
}

std::string layOutBuiltInSimFolder(const FirstRunFolders& folders, std::string* error) {
    const bool apart = !folders.simulatorHome.empty() && folders.simulatorHome != folders.program;
    const std::string builtIn =
        assets::builtInSimFolder(apart ? folders.simulatorHome : folders.program);
    if (assets::isBuiltInSimFolder(builtIn)) {
        return builtIn;
    }
    const bool made =
        apart ? assets::copySimFolder(assets::builtInSimFolder(folders.current), builtIn, error) &&
                    assets::isBuiltInSimFolder(builtIn)
              : assets::writeShippedFiles(folders.program, error);
    return made ? builtIn : std::string();
}

ProceedResult configureFirstRun(FirstRunChoice choice, const std::string& fs98Folder,
                                const FirstRunFolders& folders, platform::Dialogs& dialogs) {
    FirstRunFolders quiet = folders;
    quiet.askForRestart = false;
    if (choice == FirstRunChoice::Fs98) {
        return proceedWithConfiguration(fs98Folder, quiet, dialogs);
    }
    std::string error;
    const std::string builtIn = layOutBuiltInSimFolder(folders, &error);
    if (builtIn.empty()) {
        warnCopy(dialogs, "The built-in simulator's folder could not be made.", error);
        return ProceedResult::NotConfigured;
    }
    if (proceedWithConfiguration(builtIn, quiet, dialogs) != ProceedResult::Configured) {
        return ProceedResult::NotConfigured;
    }
    const auto kind = choice == FirstRunChoice::FlightGear ? simlink::SimulatorKind::FlightGear
                                                           : simlink::SimulatorKind::BuiltIn;
    if (!writeSimulatorKind(joinPath(folders.program, simlink::kSimulatorFile), kind, &error)) {
        warnCopy(dialogs, "Zephyra could not write its simulator choice.", error);
        return ProceedResult::NotConfigured;
    }
    return ProceedResult::Configured;
}

std::string simulatorName(bool builtInIsTheLink, const std::string& simulatorFolder) {
    if (builtInIsTheLink) {
        return "the built-in simulator";
    }
    return assets::isBuiltInSimFolder(simulatorFolder) ? "FlightGear" : "FS98";
}

std::string namingSimulator(const std::string& text, const std::string& name) {
    static const std::string fs98 = "FS98";
    std::string out;
    std::size_t from = 0;
    for (std::size_t at = text.find(fs98); at != std::string::npos; at = text.find(fs98, from)) {
        out += text.substr(from, at - from);
        std::string named = name;
        // At the start of the text or of a sentence the name takes a capital.
        std::size_t before = out.find_last_not_of(' ');
        const bool sentenceStart = before == std::string::npos || out[before] == '.' ||
                                   out[before] == '?' || out[before] == '!';
        if (sentenceStart && !named.empty()) {
            named[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(named[0])));
        }
        out += named;
        from = at + fs98.size();
    }
    return out + text.substr(from);
}

}  // namespace zephyra::shell
