#include "cli/WeatherCommands.h"
#include "cli/OpenDatabase.h"
#include "platform/Folders.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <optional>
#include <sstream>

#include "cli/AloftFile.h"
#include "flightplan/WaypointStore.h"
#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/ScriptedDialogs.h"
#include "platform/VirtualScheduler.h"
#include "weather/AloftField.h"
#include "weather/LineEnds.h"
#include "weather/NoaaAgreement.h"
#include "weather/NoaaProducts.h"
#include "weather/Observation.h"
#include "weather/ObservationText.h"
#include "weather/ObservationTime.h"
#include "weather/Reports.h"
#include "weather/WeatherDb.h"
#include "weather/WeatherFile.h"
#include "weather/WeatherLoader.h"

namespace zephyra::cli {

namespace {

void decodeUsage(std::ostream& out) {
    out << "usage: zephyra-cli decode [--sa] [--dump] [--db FILE] [--wayp N] [--aloft FILE] "
           "WEATHER_FILE\n"
           "  Loads a METAR (or with --sa an SA) file into the database as the main window\n"
           "  does, then the waypoints, and prints every message the window would show.\n"
           "  A file that needs its line ends repaired is repaired into vane1.txt beside\n"
           "  the database; the file itself is never changed.\n"
           "  --dump  print one JSON line per report as the first pass reads it; no load\n"
           "  --db    the database (default: vanedb.mdb beside the program)\n"
           "  --wayp  waypoint region: 0 Americas, 1 Europe-Other, 2 All (default), 3 None\n"
           "  --aloft winds aloft (FB text or GRIB2): the layers aloft of the stations it\n"
           "          reaches come from it instead of random draws\n";
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (const unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string number(double v) {
    std::ostringstream s;
    s << std::setprecision(15) << v;
    return s.str();
}

// A headless window: status lines are kept, events need no processing.
class ConsoleHost final : public weather::LoadHost, public flightplan::WaypointLoadHost {
  public:
    explicit ConsoleHost(platform::Dialogs& dialogs) : dialogs_(dialogs) {}
    std::string status;
    int randomTimer = 0;
    std::string marker = "0";

    void setStatus(const std::string& text) override { status = text; }
    void processEvents() override {}
    void setRandomTimerInterval(int milliseconds) override { randomTimer = milliseconds; }
    bool storeMarkedLoaded() override { return marker == "1"; }
    void markStoreLoaded() override { marker = "1"; }
    void beginLoad() override {}
    void endLoad() override {}
    void setCurrentWeatherText(const std::string&) override {}
    std::string activeWaypointName() override { return {}; }
    void setActiveWaypointFrequency(const std::string&) override {}
    void showMessage(const std::string& text) override { dialogs_.inform(text); }

  private:
    platform::Dialogs& dialogs_;
};

void emitMetar(const weather::MetarReport& m, std::ostream& out) {
    out << "{\"ID\":" << jsonString(m.id) << ",\"w0Dir\":" << m.windDirection
        << ",\"w0Spd\":" << m.windSpeed << ",\"w0Gust\":" << (m.gust ? 1 : 0)
        << ",\"Visibility\":" << number(m.visibility) << ",\"t0Deg\":" << m.temperature
        << ",\"Pressure\":" << number(m.pressure)
        << ",\"VisibVary\":" << (m.obstruction ? "true" : "false")
        << ",\"Thunder\":" << (m.thunder ? "true" : "false") << ",\"Precip\":" << m.precipitation
        << ",\"cl1Base\":" << m.cl1Base << ",\"cl1Top\":" << m.cl1Top
        << ",\"Cl1Coverage\":" << m.cl1Cover << ",\"cl2Base\":" << m.cl2Base
        << ",\"cl2Top\":" << m.cl2Top << ",\"Cl2Coverage\":" << m.cl2Cover << "}\n";
}

void emitSa(const weather::SaReport& s, std::ostream& out) {
    out << "{\"ID\":" << jsonString(s.id) << ",\"Observation\":" << jsonString(s.observation)
        << ",\"Time\":" << jsonString(s.time) << ",\"cl1Base\":" << s.cl1Base
        << ",\"cl1Top\":" << s.cl1Top << ",\"cl1CoverCode\":" << jsonString(s.cl1CoverCode)
        << ",\"cl2Base\":" << s.cl2Base << ",\"cl2Top\":" << s.cl2Top
        << ",\"cl2CoverCode\":" << jsonString(s.cl2CoverCode) << ",\"Visibility\":" << s.visibility
        << ",\"Pressure\":" << number(s.pressure) << ",\"t0Deg\":" << s.temperature
        << ",\"Dew\":" << s.dewPoint << ",\"w0Dir\":" << s.windDirection
        << ",\"w0Spd\":" << s.windSpeed << ",\"w0Gust\":" << (s.gust ? 1 : 0)
        << ",\"Altimeter\":" << number(s.altimeter)
        << ",\"VisibVary\":" << (s.weather ? "true" : "false")
        << ",\"Thunder\":" << (s.thunder ? "true" : "false") << "}\n";
}

// The first pass of the chosen reader over every line; the same file checks as a load.
int dump(const std::string& path, bool sa, std::ostream& out, std::ostream& err) {
    std::string text;
    std::string reason;
    if (!weather::readWeatherFile(path, text, reason)) {
        err << "zephyra-cli: " << path << ": " << reason << "\n";
        return 1;
    }
    platform::DefaultRandom rnd;
    if (std::string error; !weather::toReportText(text, &error)) {
        err << "zephyra-cli: " << path << ": " << error << "\n";
        return 1;
    }
    weather::forEachLine(text, [&](std::string_view line) {
        if (sa) {
            if (const auto report = weather::decodeSaLine(line, rnd)) {
                emitSa(*report, out);
            }
            return;
        }
        const auto decoded = weather::decodeMetarLine(line, rnd);
        if (decoded.outcome == weather::MetarLine::Outcome::Report) {
            emitMetar(decoded.report, out);
        }
    });
    return 0;
}

}  // namespace

int loadWeatherFile(const std::string& database, const std::string& file, bool sa, int region,
                    std::ostream& out, std::ostream& err, const std::string& aloftFile) {
    auto db = openDatabaseOrSay(database, "zephyra-cli", err);
    if (!db) {
        return 1;
    }
    std::shared_ptr<const weather::AloftField> aloft;
    if (!aloftFile.empty()) {
        aloft = loadAloftField(aloftFile, *db, "zephyra-cli", out, err);
        if (!aloft) {
            return 1;
        }
    }
    platform::ScriptedDialogs dialogs;
    platform::DefaultRandom rnd;
    platform::VirtualScheduler clock(static_cast<double>(std::time(nullptr)));
    ConsoleHost host(dialogs);
    weather::LoadedWeather loaded;
    weather::WeatherLoader loader(*db, rnd, dialogs, clock, host, loaded);
    loader.setAloft(aloft.get());

    const auto started = std::chrono::steady_clock::now();
    weather::LoadOutcome outcome;
    if (sa) {
        outcome = loader.loadSa(file);
    } else {
        // The program folder of this load is the database's.
        const auto folder = std::filesystem::absolute(database).parent_path();
        loader.setScratchFile((folder / "vane1.txt").string());
        outcome = loader.loadMetar(file, false);
    }
    const auto decoded = std::chrono::steady_clock::now();
    flightplan::WaypointStore store;
    flightplan::loadWaypoints(*db, region, loaded.stations, rnd, store, host,
                              outcome.stored.empty() ? nullptr : &outcome.stored);
    int stationEntries = 0;
    for (std::size_t i = 1; i < store.WpsType.size(); ++i) {
        stationEntries += store.WpsType[i] == "C" ? 1 : 0;
    }
    const auto done = std::chrono::steady_clock::now();

    using ms = std::chrono::duration<double, std::milli>;
    out << "status: " << host.status << "\n"
        << "stations: " << loaded.stations.count() << " (records " << outcome.loaded
        << ", completed " << outcome.processed << ")\n"
        << "waypoints: " << store.WpsCount << " (" << stationEntries << " stations)\n"
        << "load: " << std::fixed << std::setprecision(1) << ms(decoded - started).count()
        << " ms, waypoints: " << ms(done - decoded).count() << " ms\n";
    for (const auto& shown : dialogs.shown()) {
        if (shown.kind != "message") {
            continue;
        }
        if (!shown.message.title.empty()) {
            out << "[" << shown.message.title << "] ";
        }
        out << shown.message.text << "\n";
    }
    return outcome.finished ? 0 : 1;
}

int runDecodeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool sa = false;
    bool dumpOnly = false;
    std::string database = defaultDatabase();
    std::string file;
    std::string aloftFile;
    int region = flightplan::kAll;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--wayp" && i + 1 < args.size() && args[i + 1].size() == 1 &&
            args[i + 1][0] >= '0' && args[i + 1][0] <= '3') {
            region = args[++i][0] - '0';
        } else if (a == "--sa") {
            sa = true;
        } else if (a == "--dump") {
            dumpOnly = true;
        } else if (a == "--db" && i + 1 < args.size()) {
            database = args[++i];
        } else if (a == "--aloft" && i + 1 < args.size()) {
            aloftFile = args[++i];
        } else if (a == "--help" || a == "-h") {
            decodeUsage(out);
            return 0;
        } else if (!a.empty() && a[0] != '-' && file.empty()) {
            file = a;
        } else {
            decodeUsage(err);
            return 2;
        }
    }
    if (file.empty()) {
        decodeUsage(err);
        return 2;
    }
    if (dumpOnly) {
        return dump(file, sa, out, err);
    }
    return loadWeatherFile(database, file, sa, region, out, err, aloftFile);
}

int runAgreeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        (args.size() == 1 && (args[0] == "--help" || args[0] == "-h") ? out : err)
            << "usage: zephyra-cli agree NOAA_CSV_FILE\n"
               "  Reads the reports of a NOAA CSV product (metars.cache.csv, or .csv.gz) as\n"
               "  the METAR reader's first pass does and prints, field by field, how often\n"
               "  that agrees with NOAA's own decoded columns; then the same for the full\n"
               "  reading against every decoded column the file has.\n";
        return args.size() == 1 && (args[0] == "--help" || args[0] == "-h") ? 0 : 2;
    }
    std::string text, reason;
    if (!platform::readRegularFile(args[0], text, reason, platform::kMaxReadFileBytes,
                                   "NOAA CSV product")) {
        err << "zephyra-cli agree: cannot read " << args[0] << ": " << reason << "\n";
        return 1;
    }
    if (weather::looksGzipped(text)) {
        std::string error;
        auto inflated = weather::gunzip(text, &error);
        if (!inflated) {
            err << "zephyra-cli: " << args[0] << ": " << error << "\n";
            return 1;
        }
        text = std::move(*inflated);
    }
    const auto a = weather::compareWithNoaa(text);
    if (!a) {
        err << "zephyra-cli: " << args[0] << " is not a NOAA CSV product with decoded columns\n";
        return 1;
    }
    out << a->reports << " reports of " << a->rows << " rows\n"
        << "| Field | Agreement | Reports compared |\n| --- | --- | --- |\n";
    for (const auto& f : a->fields) {
        out << "| " << f.field << " | " << std::fixed << std::setprecision(2) << f.rate() * 100
            << " % | " << f.agree << " of " << f.total << " |\n";
    }
    out << "\nFull reading, " << a->rows << " rows\n"
        << "| Field | Agreement | Reports compared | Only ours (NOAA empty) |\n"
           "| --- | --- | --- | --- |\n";
    for (const auto& f : a->fullFields) {
        out << "| " << f.field << " | " << std::fixed << std::setprecision(2) << f.rate() * 100
            << " % | " << f.agree << " of " << f.total << " | " << f.oursOnly << " |\n";
    }
    return 0;
}

int runAloftCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const char* const usage =
        "usage: zephyra-cli aloft FILE --at LAT,LON --alt FEET [--json] [--db FILE]\n"
        "  The wind and temperature at a point and altitude from a winds aloft forecast: NOAA's\n"
        "  FB text, its sites placed from the database and interpolated between them, or a\n"
        "  GRIB2 file of model output (GFS) with U, V and T on pressure levels, or a SimBrief\n"
        "  OFP saved as XML (its navlog fixes' winds).\n";
    std::string file, database = defaultDatabase();
    std::optional<double> lat, lon, alt;
    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool value = i + 1 < args.size();
        if (a == "--at" && value) {
            double la = 0, lo = 0;
            char tail = 0;
            if (std::sscanf(args[++i].c_str(), "%lf,%lf%c", &la, &lo, &tail) != 2 ||
                !std::isfinite(la) || !std::isfinite(lo) || std::fabs(la) > 90 ||
                std::fabs(lo) > 180) {
                err << "zephyra-cli aloft: --at takes LAT,LON in degrees (north and east "
                       "positive)\n";
                return 2;
            }
            lat = la;
            lon = lo;
        } else if (a == "--alt" && value) {
            char* end = nullptr;
            const double v = std::strtod(args[++i].c_str(), &end);
            if (end == args[i].c_str() || *end != '\0' || !std::isfinite(v) || v < -1500 ||
                v > 60000) {
                err << "zephyra-cli aloft: --alt takes feet from -1500 to 60000\n";
                return 2;
            }
            alt = v;
        } else if (a == "--json") {
            json = true;
        } else if (a == "--db" && value) {
            database = args[++i];
        } else if (!a.empty() && a[0] != '-' && file.empty()) {
            file = a;
        } else {
            err << usage;
            return 2;
        }
    }
    if (file.empty() || !lat || !alt) {
        err << usage;
        return 2;
    }
    auto db = openDatabaseOrSay(database, "zephyra-cli aloft", err);
    if (!db) {
        return 1;
    }
    const weather::AloftLoad load = weather::loadAloftFile(file, *db);
    if (!load.forecast) {
        err << "zephyra-cli aloft: " << file << ": " << load.error << "\n";
        return 1;
    }
    const std::vector<std::string>& unplaced = load.unplaced;
    const auto s = load.forecast->at(*lat, *lon, *alt);
    if (!s) {
        err << "zephyra-cli aloft: " << file << " does not reach the point\n";
        return 1;
    }
    const std::string valid = weather::isoTime(s->validTime);
    char numbers[160];
    if (json) {
        const std::string dir = s->direction ? std::to_string(std::lround(*s->direction)) : "null";
        const std::string temp = s->temperature ? [&] {
            std::snprintf(numbers, sizeof numbers, "%.1f", *s->temperature);
            return std::string(numbers);
        }()
                                                : std::string("null");
        std::snprintf(numbers, sizeof numbers, "%.0f", s->speedKnots);
        out << "{\"dir_deg\":" << dir << ",\"speed_kt\":" << numbers << ",\"temp_c\":" << temp
            << ",\"source\":\"" << s->source << "\",\"valid\":\"" << valid << "\"}\n";
        return 0;
    }
    std::snprintf(numbers, sizeof numbers, "%.0f kt", s->speedKnots);
    out << "wind: "
        << (s->direction ? std::to_string(std::lround(*s->direction)) + " deg " + numbers
                         : std::string("light and variable"))
        << "\n";
    if (s->temperature) {
        std::snprintf(numbers, sizeof numbers, "%+.1f C", *s->temperature);
        out << "temperature: " << numbers << "\n";
    }
    out << "source: " << s->source << (valid.empty() ? "" : ", valid " + valid) << "\n";
    if (!unplaced.empty()) {
        out << "sites not placed:";
        for (const auto& id : unplaced) {
            out << " " << id;
        }
        out << "\n";
    }
    return 0;
}

int runShowCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string database = defaultDatabase();
    std::string id;
    bool json = false;
    const char* const usage = "usage: zephyra-cli show [--db FILE] [--json] STATION_ID\n";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--db" && i + 1 < args.size()) {
            database = args[++i];
        } else if (args[i] == "--json") {
            json = true;
        } else if (!args[i].empty() && args[i][0] != '-' && id.empty()) {
            id = args[i];
        } else {
            err << usage;
            return 2;
        }
    }
    if (id.empty()) {
        err << usage;
        return 2;
    }
    auto db = openDatabaseOrSay(database, "zephyra-cli", err);
    if (!db) {
        return 1;
    }
    // Identifiers are stored in capitals; "katl" means KATL.
    std::transform(id.begin(), id.end(), id.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const auto r = db->findWeather(id);
    if (!r) {
        err << "zephyra-cli: no weather for " << id << "\n";
        return 1;
    }
    // The full reading of the stored report; an SA record has none beyond its fields.
    const weather::Observation full =
        r->Observation == "METAR" ? weather::readObservation(r->RawText) : weather::Observation{};
    if (json) {
        out << weather::observationJson(full, *r) << "\n";
        return 0;
    }
    const auto b = [](bool v) { return v ? "True" : "False"; };
    out << "ID: " << r->ID << "\nObservation: " << r->Observation << "\nTime: " << r->Time
        << "\ncl1Base: " << r->cl1Base << "\ncl1Top: " << r->cl1Top << "\ncl1CoverCode: \""
        << r->cl1CoverCode << "\"\nCl1Coverage: " << r->Cl1Coverage
        << "\nCl1Turb: " << number(r->Cl1Turb) << "\nCl1Icing: " << r->Cl1Icing
        << "\nCl1Dev: " << number(r->Cl1Dev) << "\ncl2Base: " << r->cl2Base
        << "\ncl2Top: " << r->cl2Top << "\ncl2CoverCode: \"" << r->cl2CoverCode
        << "\"\nCl2Coverage: " << r->Cl2Coverage << "\nCl2Turb: " << number(r->Cl2Turb)
        << "\nCl2Icing: " << r->Cl2Icing << "\nCl2Dev: " << number(r->Cl2Dev)
        << "\nVisibility: " << number(r->Visibility) << "\nVisibVary: " << b(r->VisibVary)
        << "\nPressure: " << number(r->Pressure) << "\nAltimeter: " << number(r->Altimeter)
        << "\nDew: " << r->Dew << "\nt0Alt: " << r->t0Alt << "\nt0Deg: " << r->t0Deg
        << "\nt1alt: " << r->t1alt << "\nt1Deg: " << r->t1Deg << "\nt2Alt: " << r->t2Alt
        << "\nt2Deg: " << r->t2Deg << "\nt3alt: " << r->t3alt << "\nt3Deg: " << r->t3Deg
        << "\nw0Depth: " << number(r->w0Depth) << "\nw0Dir: " << number(r->w0Dir)
        << "\nw0Spd: " << number(r->w0Spd) << "\nw0Gust: " << number(r->w0Gust)
        << "\nw0Turb: " << number(r->w0Turb);
    const struct {
        int n;
        double base, top, dir, spd, turb, gust;
    } layers[] = {{1, r->w1Base, r->w1Top, r->w1Dir, r->w1Spd, r->w1Turb, r->w1Gust},
                  {2, r->w2Base, r->w2Top, r->w2Dir, r->w2Spd, r->w2Turb, r->w2Gust},
                  {3, r->w3Base, r->w3Top, r->w3Dir, r->w3Spd, r->w3Turb, r->w3Gust}};
    for (const auto& l : layers) {
        const std::string w = "\nw" + std::to_string(l.n);
        out << w << "Base: " << number(l.base) << w << "Top: " << number(l.top) << w
            << "Dir: " << number(l.dir) << w << "Spd: " << number(l.spd) << w
            << "Turb: " << number(l.turb) << w << "Gust: " << number(l.gust);
    }
    out << "\nThunder: " << b(r->Thunder) << "\nPrecip: " << r->Precip << "\nUpd_Ts: " << r->Upd_Ts
        << "\nRawText: " << r->RawText << "\nObsTime: " << r->ObsTime
        << "\nTempScale: " << r->TempScale << "\nEstimated: " << r->Estimated << "\n";
    if (r->Observation == "METAR") {
        out << "Decoded:\n" << weather::observationLines(full, *r);
    }
    return 0;
}

}  // namespace zephyra::cli
