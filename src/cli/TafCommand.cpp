#include "cli/TafCommand.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>

#include "cli/OpenDatabase.h"
#include "weather/AloftField.h"
#include "weather/ObservationText.h"
#include "weather/Taf.h"
#include "weather/TafStore.h"

namespace zephyra::cli {

namespace {

const char* const kUsage =
    "usage: zephyra-cli taf [FILE] ID [--at DDHHMMZ|ISO-TIME] [--json] [--db FILE]\n"
    "  A station's terminal aerodrome forecast from FILE (NOAA's TAF bulletins or its\n"
    "  tafs.cache.csv, gzip-compressed or not), without FILE from the TAFs loaded in the\n"
    "  database (zephyra-cli download --taf): the TAF as written and a line per period.\n"
    "  --at gives the forecast at a time: DDHHMMZ (the one nearest the TAF's issue) or\n"
    "  an ISO time such as 2026-11-25T17:00Z. --json prints the same as JSON.\n"
    "  --db gives the database (default: vanedb.mdb beside the program).\n";

// The station's TAF loaded in the database, for the command without a file; nothing, after
// saying why on err, when the database cannot be opened or holds no TAF of the station.
std::optional<std::vector<weather::Taf>> loadedTafs(const std::string& database,
                                                    const std::string& id, std::ostream& err) {
    auto db = openDatabaseOrSay(database, "zephyra-cli taf", err);
    if (!db) {
        return std::nullopt;
    }
    auto taf = weather::loadedTaf(*db, id);
    if (!taf) {
        err << "zephyra-cli taf: "
            << (weather::loadedTafCount(*db) == 0
                    ? "No TAFs loaded. Download them (zephyra-cli download --taf) or give a "
                      "TAF file: zephyra-cli taf FILE ID"
                    : "no TAF for " + id + " in the loaded TAFs")
            << "\n";
        return std::nullopt;
    }
    return std::vector<weather::Taf>{std::move(*taf)};
}

const char* changeName(weather::TafChange change) {
    switch (change) {
        case weather::TafChange::Base:
            return "base";
        case weather::TafChange::From:
            return "FM";
        case weather::TafChange::Becoming:
            return "BECMG";
        case weather::TafChange::Temporary:
            return "TEMPO";
        case weather::TafChange::Probability:
            return "PROB";
    }
    return "";
}

std::string jsonTexts(const std::vector<const weather::TafPeriod*>& periods) {
    std::string j = "[";
    for (const weather::TafPeriod* p : periods) {
        j += (j.size() > 1 ? "," : "") + weather::jsonQuoted(p->text);
    }
    return j + "]";
}

std::string jsonOf(const weather::Taf& taf, const std::optional<weather::TafForecast>& at) {
    using weather::isoTime;
    using weather::jsonQuoted;
    const auto flag = [](bool b) { return b ? "true" : "false"; };
    std::string j = "{\"station\":" + jsonQuoted(taf.station) + ",\"raw\":" + jsonQuoted(taf.raw) +
                    ",\"issued\":" + (taf.issued ? jsonQuoted(isoTime(taf.issued)) : "null") +
                    ",\"valid_from\":" + jsonQuoted(isoTime(taf.validFrom)) +
                    ",\"valid_to\":" + jsonQuoted(isoTime(taf.validTo)) +
                    ",\"amended\":" + flag(taf.amended) + ",\"corrected\":" + flag(taf.corrected) +
                    ",\"cancelled\":" + flag(taf.cancelled) + ",\"periods\":[";
    const std::vector<std::string> lines = weather::describeTaf(taf);
    for (std::size_t k = 0; k < taf.periods.size(); ++k) {
        const weather::TafPeriod& p = taf.periods[k];
        j += std::string(k ? "," : "") + "{\"change\":" + jsonQuoted(changeName(p.change)) +
             ",\"probability\":" + (p.probability ? std::to_string(p.probability) : "null") +
             ",\"temporary\":" + flag(p.temporary) + ",\"from\":" + jsonQuoted(isoTime(p.from)) +
             ",\"to\":" + jsonQuoted(isoTime(p.to)) + ",\"text\":" + jsonQuoted(p.text) +
             ",\"decoded\":" + jsonQuoted(lines[k]) + "}";
    }
    j += "],\"temperatures\":[";
    for (std::size_t k = 0; k < taf.temperatures.size(); ++k) {
        const weather::TafTemperature& t = taf.temperatures[k];
        j += std::string(k ? "," : "") + "{\"kind\":" + (t.maximum ? "\"max\"" : "\"min\"") +
             ",\"celsius\":" + std::to_string(t.celsius) +
             ",\"time\":" + jsonQuoted(isoTime(t.time)) + "}";
    }
    j += "],\"unread\":[";
    for (std::size_t k = 0; k < taf.unread.size(); ++k) {
        j += (k ? "," : "") + jsonQuoted(taf.unread[k]);
    }
    j += "]";
    if (at) {
        j += ",\"forecast\":{\"time\":" + jsonQuoted(isoTime(at->time)) +
             ",\"in_force\":" + jsonQuoted(at->inForce->text) +
             ",\"prevailing\":" + jsonQuoted(weather::describeConditions(at->prevailing)) +
             ",\"becoming\":" + jsonTexts(at->becoming) +
             ",\"temporary\":" + jsonTexts(at->temporary) + "}";
    }
    return j + "}\n";
}

void printText(const weather::Taf& taf, const std::optional<weather::TafForecast>& at,
               std::ostream& out) {
    using weather::isoTime;
    out << taf.station << (taf.amended ? " amended" : "") << (taf.corrected ? " corrected" : "")
        << (taf.cancelled ? " cancelled" : "") << " TAF"
        << (taf.issued ? ", issued " + isoTime(taf.issued) : std::string()) << ", valid "
        << isoTime(taf.validFrom) << " to " << isoTime(taf.validTo) << "\n"
        << taf.raw << "\n";
    for (const std::string& line : weather::describeTaf(taf)) {
        out << "  " << line << "\n";
    }
    if (!taf.unread.empty()) {
        out << "Not read:";
        for (const std::string& g : taf.unread) {
            out << " " << g;
        }
        out << "\n";
    }
    if (!at) {
        return;
    }
    out << "Forecast at " << isoTime(at->time) << ":\n"
        << "  in force: " << at->inForce->text << "\n"
        << "  prevailing: " << weather::describeConditions(at->prevailing) << "\n";
    for (const weather::TafPeriod* p : at->becoming) {
        out << "  becoming: " << p->text << "\n";
    }
    for (const weather::TafPeriod* p : at->temporary) {
        out << "  at times: " << p->text << "\n";
    }
}

}  // namespace

int runTafCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> positional;
    std::string atText;
    std::string database = defaultDatabase();
    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--at" && i + 1 < args.size()) {
            atText = args[++i];
        } else if (a == "--db" && i + 1 < args.size()) {
            database = args[++i];
        } else if (a == "--json") {
            json = true;
        } else if (a == "--help" || a == "-h") {
            out << kUsage;
            return 0;
        } else if (!a.empty() && a[0] != '-' && positional.size() < 2) {
            positional.push_back(a);
        } else {
            err << kUsage;
            return 2;
        }
    }
    if (positional.empty()) {
        err << kUsage;
        return 2;
    }
    std::string id = positional.back();
    std::transform(id.begin(), id.end(), id.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    std::optional<std::vector<weather::Taf>> tafs;
    std::string source;
    if (positional.size() == 2) {
        source = positional.front();
        std::string error;
        tafs = weather::loadTafFile(source, &error);
        if (!tafs) {
            err << "zephyra-cli taf: " << source << ": " << error << "\n";
            return 1;
        }
    } else {
        tafs = loadedTafs(database, id, err);
        if (!tafs) {
            return 1;
        }
        source = "the loaded TAFs";
    }
    // The latest issue of the station's TAF (an amendment replaces the TAF before it).
    const weather::Taf* taf = nullptr;
    for (const weather::Taf& t : *tafs) {
        if (t.station == id && (!taf || t.issued >= taf->issued)) {
            taf = &t;
        }
    }
    if (!taf) {
        err << "zephyra-cli taf: no TAF for " << id << " in " << source << "\n";
        return 1;
    }
    std::optional<weather::TafForecast> at;
    if (!atText.empty()) {
        std::optional<std::int64_t> time = weather::isoSeconds(atText);
        if (!time) {
            time = weather::dayTimeNear(atText, taf->issued ? taf->issued : taf->validFrom);
        }
        if (!time) {
            err << "zephyra-cli taf: --at takes DDHHMMZ (251700Z) or an ISO time "
                   "(2026-11-25T17:00Z)\n";
            return 2;
        }
        at = weather::forecastAt(*taf, *time);
        if (!at) {
            err << "zephyra-cli taf: " << weather::isoTime(*time) << " is outside the TAF's "
                << (taf->cancelled ? "validity (it is cancelled)"
                                   : "validity, " + weather::isoTime(taf->validFrom) + " to " +
                                         weather::isoTime(taf->validTo))
                << "\n";
            return 1;
        }
    }
    if (json) {
        out << jsonOf(*taf, at);
    } else {
        printText(*taf, at, out);
    }
    return 0;
}

}  // namespace zephyra::cli
