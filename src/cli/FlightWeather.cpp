#include "cli/FlightWeather.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>

#include "builder/CustomWeather.h"
#include "delivery/WeatherDelivery.h"
#include "flightplan/PlanNumbers.h"
#include "platform/Random.h"
#include "platform/ScriptedDialogs.h"
#include "platform/VirtualScheduler.h"
#include "simlink/BuiltInAircraft.h"
#include "weather/WeatherDb.h"
#include "weather/WeatherLoader.h"

namespace zephyra::cli {

namespace {

class QuietLoadHost final : public weather::LoadHost {
  public:
    void setStatus(const std::string&) override {}
    void processEvents() override {}
    void setRandomTimerInterval(int) override {}
};

std::string clockText(double seconds) {
    const long s = static_cast<long>(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    return text;
}

// The window for the delivery: the position comes from the aircraft, the switch is on, and
// every send of the tracking is printed with what the simulator then holds.
class PrintingHost final : public delivery::DeliveryHost {
  public:
    PrintingHost(simlink::BuiltInAircraft& sim, platform::VirtualScheduler& clock,
                 const weather::StationList& stations, std::ostream& out)
        : sim_(sim), clock_(clock), stations_(stations), out_(out) {}
    int switches = 0;

    void setStatus(const std::string&) override {}
    bool sendWeatherOn() override { return true; }
    std::optional<std::pair<double, double>> aircraftPosition() override {
        return std::make_pair(sim_.get_curr_lat(), sim_.get_curr_lon());
    }
    void showLastStation(const std::string& id) override {
        ++switches;
        std::string name;
        for (int i = 1; i <= stations_.count(); ++i) {
            if (stations_[i].ID == id) {
                name = stations_[i].Name;
                break;
            }
        }
        out_ << clockText(clock_.now()) << "  " << flightplan::fourDecimals(sim_.get_curr_lat())
             << " " << flightplan::fourDecimals(sim_.get_curr_lon()) << "  weather of " << id
             << (name.empty() ? "" : " (" + name + ")") << "\n          " << heldWeatherText(sim_)
             << "\n";
    }

  private:
    simlink::BuiltInAircraft& sim_;
    platform::VirtualScheduler& clock_;
    const weather::StationList& stations_;
    std::ostream& out_;
};

std::string tempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zephyra-fly-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        return {};
    }
    return pattern;
}

}  // namespace

struct FlightWeather::Parts {
    std::string folder;
    std::string database;
    platform::DefaultRandom random;
    platform::ScriptedDialogs dialogs;
    weather::LoadedWeather loaded;
    simlink::BuiltInAircraft* sim = nullptr;
    std::unique_ptr<PrintingHost> host;
    std::unique_ptr<delivery::WeatherDelivery> delivery;

    ~Parts() {
        delivery.reset();
        if (!folder.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        }
    }
};

FlightWeather::FlightWeather(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}
FlightWeather::~FlightWeather() = default;

std::unique_ptr<FlightWeather> FlightWeather::prepare(const FlightWeatherOptions& options,
                                                      const flightplan::PlanStore& plan,
                                                      simlink::BuiltInAircraft& sim,
                                                      platform::VirtualScheduler& clock,
                                                      std::ostream& out, std::ostream& err) {
    auto parts = std::make_unique<Parts>();
    parts->folder = tempFolder();
    std::error_code ec;
    parts->database = parts->folder + "/vanedb.mdb";
    if (parts->folder.empty() ||
        !std::filesystem::copy_file(options.database, parts->database, ec)) {
        err << "zephyra-cli fly: cannot copy the database " << options.database << "\n";
        return nullptr;
    }
    auto db = weather::WeatherDb::open(parts->database, nullptr, false);
    if (!db) {
        err << "zephyra-cli fly: cannot open the database " << options.database << "\n";
        return nullptr;
    }
    parts->random.seedFromClock();
    QuietLoadHost loadHost;
    if (options.customWeather) {
        if (!plan.hasCustomWeather) {
            err << "zephyra-cli fly: the plan carries no custom weather\n";
            return nullptr;
        }
        const auto done = builder::processPlanWeather(plan, *db, parts->random, parts->dialogs,
                                                      loadHost, parts->loaded, "");
        if (!done.finished) {
            err << "zephyra-cli fly: " << parts->dialogs.lastMessage() << "\n";
            return nullptr;
        }
    } else {
        // The loader may repair the file's line ends: it reads a copy.
        const std::string copy = parts->folder + "/weather.txt";
        if (!std::filesystem::copy_file(options.metarFile, copy, ec)) {
            err << "zephyra-cli fly: cannot read " << options.metarFile << "\n";
            return nullptr;
        }
        weather::WeatherLoader loader(*db, parts->random, parts->dialogs, clock, loadHost,
                                      parts->loaded);
        if (!loader.loadMetar(copy, false).finished) {
            err << "zephyra-cli fly: " << parts->dialogs.lastMessage() << "\n";
            return nullptr;
        }
    }
    out << parts->dialogs.lastMessage() << "\n";
    db.reset();
    parts->sim = &sim;
    parts->host = std::make_unique<PrintingHost>(sim, clock, parts->loaded.stations, out);
    parts->delivery = std::make_unique<delivery::WeatherDelivery>(
        sim, clock, parts->random, *parts->host, parts->database, parts->loaded.stations,
        parts->loaded.precipitation);
    auto& settings = parts->delivery->settings();
    settings.MaxTurb = 100;
    settings.UnlimitedVis = 50;
    settings.NewClouds = false;
    return std::unique_ptr<FlightWeather>(new FlightWeather(std::move(parts)));
}

void FlightWeather::start() {
    // The tracking reads the position of a running aircraft.
    parts_->sim->start();
    parts_->delivery->tracker().startTracking();
    parts_->delivery->armTimers();
}

int FlightWeather::switches() const {
    return parts_->host->switches;
}

std::string heldWeatherText(const simlink::BuiltInAircraft& sim) {
    const auto& w = sim.weather();
    char text[256];
    std::snprintf(text, sizeof text,
                  "temperature %d, pressure %.1f mb, visibility %g mi, cloud 1 %d-%d ft %g/8, "
                  "cloud 2 %d-%d ft %g/8, wind %03.0f/%d kt",
                  w.temperatures.degrees[0], w.temperatures.pressureMb, w.visibilityStatuteMiles,
                  w.cloud1.base, w.cloud1.top, w.cloud1.coverage, w.cloud2.base, w.cloud2.top,
                  w.cloud2.coverage, w.wind[0].direction, w.wind[0].speed);
    return text;
}

}  // namespace zephyra::cli
