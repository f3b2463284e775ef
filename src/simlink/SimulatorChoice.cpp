#include "simlink/SimulatorChoice.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <sstream>

#include "platform/Files.h"

namespace zephyra::simlink {

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) {
        s.remove_suffix(1);
    }
    return s;
}

std::vector<std::string> splitWords(std::string_view command) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (const char c : command) {
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            } else {
                word += c;
            }
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            if (inWord) {
                words.push_back(word);
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(word);
    }
    return words;
}

}  // namespace

std::optional<int> portFromText(std::string_view value) {
    int port = 0;
    const auto r = std::from_chars(value.data(), value.data() + value.size(), port);
    if (!value.empty() && r.ec == std::errc{} && r.ptr == value.data() + value.size() && port > 0 &&
        port < 65536) {
        return port;
    }
    return std::nullopt;
}

std::string defaultFgfsCommand() {
    return "env DBUS_FATAL_WARNINGS=0 fgfs --aircraft=c172p --airport=KSFO --altitude=3000 "
           "--heading=280 --vc=100 --telnet=socket,bi,60,127.0.0.1,{port},tcp "
           "--disable-sound --disable-terrasync --disable-real-weather-fetch "
           "--disable-ai-traffic --timeofday=noon --fog-disable --disable-splash-screen "
           "--disable-hud --disable-panel --geometry=320x240 --disable-random-objects "
           "--disable-random-vegetation --disable-random-buildings --disable-clouds "
           "--disable-clouds3d --disable-specular-highlight --max-fps=30 "
           "--disable-save-on-exit --log-level=warn "
           "--prop:/sim/rendering/shaders/quality-level=0 "
           "--prop:/sim/rendering/draw-mask/terrain=false "
           "--prop:/sim/rendering/draw-mask/models=false "
           "--prop:/sim/rendering/draw-mask/aircraft=false "
           "--prop:/sim/rendering/draw-mask/clouds=false "
           "--prop:/sim/systems/autopilot[10]/path=Aircraft/Generic/generic-autopilot.xml "
           "--prop:/sim/systems/autopilot[11]/path="
           "Aircraft/Generic/generic-autopilot-helper.xml";
}

std::optional<SimulatorKind> simulatorKindFromName(std::string_view name) {
    const std::string n = lower(trim(name));
    if (n == "builtin" || n == "built-in") {
        return SimulatorKind::BuiltIn;
    }
    if (n == "flightgear") {
        return SimulatorKind::FlightGear;
    }
    return std::nullopt;
}

std::string_view simulatorKindName(SimulatorKind kind) {
    return kind == SimulatorKind::FlightGear ? "flightgear" : "builtin";
}

SimulatorChoice readSimulatorChoice(const std::string& path, std::vector<std::string>* problems) {
    SimulatorChoice choice;
    choice.fgfsCommand = defaultFgfsCommand();
    // Read whole first: only a regular file is read, and a pipe in its place is never waited on.
    std::string contents;
    platform::readFile(path, contents);
    std::istringstream in(contents);
    std::string line;
    int number = 0;
    auto complain = [&](const std::string& what) {
        if (problems != nullptr) {
            problems->push_back(path + ", line " + std::to_string(number) + ": " + what);
        }
    };
    while (std::getline(in, line)) {
        ++number;
        const std::string_view text = trim(line);
        if (text.empty() || text.front() == '#' || text.front() == ';') {
            continue;
        }
        const auto eq = text.find('=');
        if (eq == std::string_view::npos) {
            complain("not a Key=Value line");
            continue;
        }
        const std::string key = lower(trim(text.substr(0, eq)));
        const std::string_view value = trim(text.substr(eq + 1));
        if (key == "simulator") {
            if (const auto kind = simulatorKindFromName(value)) {
                choice.kind = *kind;
            } else {
                complain("Simulator is builtin or flightgear");
            }
        } else if (key == "flightgearhost" && !value.empty()) {
            choice.flightGear.host = std::string(value);
        } else if (key == "flightgearport") {
            if (const auto port = portFromText(value)) {
                choice.flightGear.port = *port;
            } else {
                complain("FlightGearPort is a port number, 1 to 65535");
            }
        } else if (key == "flightgearcommand" && !value.empty()) {
            choice.fgfsCommand = std::string(value);
        } else {
            complain("unknown setting \"" + key + "\"");
        }
    }
    return choice;
}

OptionUse takeSimulatorOption(const std::string& option, const std::string* value,
                              SimulatorChoice& choice, std::string& problem) {
    if (option != "--simulator" && option != "--fg-host" && option != "--fg-port") {
        return OptionUse::NotMine;
    }
    if (value == nullptr || value->empty()) {
        problem = option + " needs a value";
        return OptionUse::Bad;
    }
    if (option == "--simulator") {
        const auto kind = simulatorKindFromName(*value);
        if (!kind) {
            problem = "--simulator is builtin or flightgear, not \"" + *value + "\"";
            return OptionUse::Bad;
        }
        choice.kind = *kind;
    } else if (option == "--fg-host") {
        choice.flightGear.host = *value;
    } else {
        const auto port = portFromText(*value);
        if (!port) {
            problem = "--fg-port takes a port number, 1 to 65535";
            return OptionUse::Bad;
        }
        choice.flightGear.port = *port;
    }
    return OptionUse::Taken;
}

std::string findFgfs() {
    std::vector<std::string> dirs;
    if (const char* path = std::getenv("PATH")) {
        std::string_view rest(path);
        while (!rest.empty()) {
            const auto colon = rest.find(':');
            dirs.emplace_back(rest.substr(0, colon));
            rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        }
    }
    dirs.emplace_back("/usr/games");
    for (const auto& dir : dirs) {
        const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/fgfs";
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

std::vector<std::string> fgfsArguments(const SimulatorChoice& choice) {
    auto words = splitWords(choice.fgfsCommand);
    const bool byName = std::find(words.begin(), words.end(), "fgfs") != words.end();
    const std::string fgfs = byName ? findFgfs() : std::string();
    if (words.empty() || (byName && fgfs.empty())) {
        return {};
    }
    const std::string port = std::to_string(choice.flightGear.port);
    for (auto& w : words) {
        for (std::size_t at; (at = w.find("{port}")) != std::string::npos;) {
            w.replace(at, 6, port);
        }
        if (w == "fgfs") {
            w = fgfs;
        }
    }
    return words;
}

}  // namespace zephyra::simlink
