#include "cli/FlightWeather.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>

#include "builder/CustomWeather.h"
#include "delivery/DeliveryChoice.h"
#include "delivery/WeatherDelivery.h"
#include "flightplan/PlanNumbers.h"
#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/Scheduler.h"
#include "platform/ScriptedDialogs.h"
#include "shell/ParamFile.h"
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

// The simulator as the delivery sees it when its weather cannot be read back: every call goes
// through, and the weather setters are remembered for the printed line.
class SentWeatherLink final : public simlink::SimLink {
  public:
    explicit SentWeatherLink(simlink::SimLink& sim) : sim_(sim) {}
    WeatherLine sent;

    bool drawsCover() const override { return sim_.drawsCover(); }
    bool modelsAtmosphere() const override { return sim_.modelsAtmosphere(); }
    double get_curr_lat() override { return sim_.get_curr_lat(); }
    double get_curr_lon() override { return sim_.get_curr_lon(); }
    double get_alt() override { return sim_.get_alt(); }
    double get_TAS() override { return sim_.get_TAS(); }
    double get_MagVar() override { return sim_.get_MagVar(); }
    double get_wind0Dir() override { return sim_.get_wind0Dir(); }
    double get_wind1Dir() override { return sim_.get_wind1Dir(); }
    double get_wind2Dir() override { return sim_.get_wind2Dir(); }
    double get_wind3Dir() override { return sim_.get_wind3Dir(); }
    double get_wind0Spd() override { return sim_.get_wind0Spd(); }
    double get_wind1Spd() override { return sim_.get_wind1Spd(); }
    double get_wind2Spd() override { return sim_.get_wind2Spd(); }
    double get_wind3Spd() override { return sim_.get_wind3Spd(); }
    double get_wind1Floor() override { return sim_.get_wind1Floor(); }
    double get_wind2Floor() override { return sim_.get_wind2Floor(); }
    double get_wind3Floor() override { return sim_.get_wind3Floor(); }

    void upd_APHead(double headingMagnetic) override { sim_.upd_APHead(headingMagnetic); }
    void upd_APAlt(double altitudeFeet) override { sim_.upd_APAlt(altitudeFeet); }
    void upd_APAirSpeed(double knots) override { sim_.upd_APAirSpeed(knots); }
    void upd_APMachNumber(double mach) override { sim_.upd_APMachNumber(mach); }

    void upd_observed(const simlink::ObservedWeather& observed) override {
        sim_.upd_observed(observed);
    }
    void upd_aloft(const simlink::AloftSource& source) override { sim_.upd_aloft(source); }
    std::optional<simlink::AloftAir> get_aloftHere() override { return sim_.get_aloftHere(); }
    void upd_visib(double statuteMiles) override {
        sent.visibilityMiles = statuteMiles;
        sim_.upd_visib(statuteMiles);
    }
    void upd_temps(std::int32_t t0Alt, std::int32_t t0Deg, std::int32_t t1Alt, std::int32_t t1Deg,
                   std::int32_t t2Alt, std::int32_t t2Deg, std::int32_t t3Alt, std::int32_t t3Deg,
                   double pressureMb, simlink::TemperatureScale scale) override {
        sent.temperature = t0Deg;
        sent.celsius = scale == simlink::TemperatureScale::Celsius;
        sent.pressureMb = pressureMb;
        sim_.upd_temps(t0Alt, t0Deg, t1Alt, t1Deg, t2Alt, t2Deg, t3Alt, t3Deg, pressureMb, scale);
    }
    void upd_cloud1(std::int32_t base, std::int32_t top, double coverage, std::int32_t deviation,
                    std::int32_t reserved, std::int32_t icing, double turbulence) override {
        sent.cloud1Base = base;
        sent.cloud1Top = top;
        sent.cloud1Coverage = coverage;
        sim_.upd_cloud1(base, top, coverage, deviation, reserved, icing, turbulence);
    }
    void upd_cloud2(std::int32_t base, std::int32_t top, double coverage, std::int32_t deviation,
                    std::int32_t reserved, std::int32_t icing, double turbulence) override {
        sent.cloud2Base = base;
        sent.cloud2Top = top;
        sent.cloud2Coverage = coverage;
        sim_.upd_cloud2(base, top, coverage, deviation, reserved, icing, turbulence);
    }
    void upd_wind0(std::int32_t depth, std::int32_t speed, double direction, double turbulence,
                   std::int32_t gust) override {
        sent.windDirection = direction;
        sent.windSpeed = speed;
        sim_.upd_wind0(depth, speed, direction, turbulence, gust);
    }
    void upd_wind1(std::int32_t base, double top, std::int32_t speed, double direction,
                   double turbulence, std::int32_t gust) override {
        sim_.upd_wind1(base, top, speed, direction, turbulence, gust);
    }
    void upd_wind2(std::int32_t base, double top, std::int32_t speed, double direction,
                   double turbulence, std::int32_t gust) override {
        sim_.upd_wind2(base, top, speed, direction, turbulence, gust);
    }
    void upd_wind3(std::int32_t base, double top, std::int32_t speed, double direction,
                   double turbulence, std::int32_t gust) override {
        sim_.upd_wind3(base, top, speed, direction, turbulence, gust);
    }
    void upd_Tstorm(std::int32_t base, std::int32_t top, double coverage, std::int32_t deviation,
                    std::int32_t reserved, std::int32_t icing, double turbulence) override {
        sim_.upd_Tstorm(base, top, coverage, deviation, reserved, icing, turbulence);
    }

  private:
    simlink::SimLink& sim_;
};

// The window for the delivery: the position comes from the simulator, the switch is on, and
// every send of the tracking is printed with the weather the simulator then holds (the
// built-in aircraft) or was sent (a live simulator).
class PrintingHost final : public delivery::DeliveryHost {
  public:
    PrintingHost(simlink::SimLink& sim, const simlink::BuiltInAircraft* held,
                 const SentWeatherLink* sent, platform::Scheduler& clock,
                 const weather::StationList& stations, std::ostream& out)
        : sim_(sim), held_(held), sent_(sent), clock_(clock), stations_(stations), out_(out) {}
    int switches = 0;
    double startedAt = 0.0;
    std::string station;

    void setStatus(const std::string&) override {}
    bool sendWeatherOn() override { return true; }
    std::optional<std::pair<double, double>> aircraftPosition() override {
        const double lat = sim_.get_curr_lat();
        if (lat == simlink::SimLink::kNoPosition) {
            return std::nullopt;
        }
        return std::make_pair(lat, sim_.get_curr_lon());
    }
    void showLastStation(const std::string& id) override {
        ++switches;
        station = id;
        std::string name;
        for (int i = 1; i <= stations_.count(); ++i) {
            if (stations_[i].ID == id) {
                name = stations_[i].Name;
                break;
            }
        }
        out_ << clockText(clock_.now() - startedAt) << "  "
             << flightplan::fourDecimals(sim_.get_curr_lat()) << " "
             << flightplan::fourDecimals(sim_.get_curr_lon()) << "  weather of " << id
             << (name.empty() ? "" : " (" + name + ")") << "\n          "
             << (held_ != nullptr ? heldWeatherText(*held_) : "sent " + weatherText(sent_->sent))
             << std::endl;
    }

  private:
    simlink::SimLink& sim_;
    const simlink::BuiltInAircraft* held_;
    const SentWeatherLink* sent_;
    platform::Scheduler& clock_;
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

FlySettings::FlySettings() : FlySettings(shell::firstRunSettings("")) {}

FlySettings::FlySettings(const shell::Settings& read)
    : maxTurb(read.MaxTurb),
      unlimitedVis(read.UnlimitedVis),
      newClouds(read.NewClouds),
      winds(read.Wind),
      uom(read.UOM) {}

FlySettings readFlySettings(const std::string& paramFile, std::ostream& err) {
    shell::Settings read;
    const auto result = shell::readSettingsForTools(paramFile, read);
    if (!result.ok && result.errorLine != 0) {
        err << "zephyra-cli fly: " << paramFile << " line " << result.errorLine << ": "
            << result.error << "; the settings before it are used\n";
    }
    return FlySettings(read);
}

void readFlyDelivery(const std::string& settingsFolder, FlySettings& settings) {
    std::string text;
    if (platform::readFile(platform::joinPath(settingsFolder, "zephyra.ini"), text) &&
        text.size() <= 1024 * 1024) {
        const delivery::DeliveryChoice d = delivery::readDeliveryChoice(text);
        settings.blend = d.blended;
        settings.blendRadiusNm = d.blendRadiusNm;
        settings.blendSeconds = d.blendSeconds;
    }
}

simlink::OptionUse takeFlySettingOption(const std::string& option, const std::string* value,
                                        FlySettings& settings, std::string& problem) {
    using simlink::OptionUse;
    const bool number = option == "--max-turb" || option == "--unlimited-vis";
    const bool onOff = option == "--new-clouds" || option == "--winds";
    if (option == "--blend") {
        const auto on = value != nullptr ? delivery::blendFromWord(*value) : std::nullopt;
        if (!on) {
            problem = "--blend takes on or off";
            return OptionUse::Bad;
        }
        settings.blend = *on;
        return OptionUse::Taken;
    }
    if (!number && !onOff && option != "--uom") {
        return OptionUse::NotMine;
    }
    if (value == nullptr) {
        problem = option + " needs a value";
        return OptionUse::Bad;
    }
    if (number) {
        const auto n = shell::toInt16(*value);
        const int low = option == "--max-turb" ? 0 : 1;
        const int high = option == "--max-turb" ? 255 : 100;
        if (!n || *n < low || *n > high) {
            problem = option + " takes a whole number from " + std::to_string(low) + " to " +
                      std::to_string(high) + ", not \"" + *value + "\"";
            return OptionUse::Bad;
        }
        (option == "--max-turb" ? settings.maxTurb : settings.unlimitedVis) = *n;
    } else if (onOff) {
        if (*value != "on" && *value != "off") {
            problem = option + " takes on or off, not \"" + *value + "\"";
            return OptionUse::Bad;
        }
        (option == "--winds" ? settings.winds : settings.newClouds) = *value == "on";
    } else {
        if (*value != "U" && *value != "M" && *value != "F") {
            problem = "--uom takes U, M or F, not \"" + *value + "\"";
            return OptionUse::Bad;
        }
        settings.uom = *value;
    }
    return OptionUse::Taken;
}

struct FlightWeather::Parts {
    std::string folder;
    std::string database;
    platform::DefaultRandom random;
    platform::ScriptedDialogs dialogs;
    weather::LoadedWeather loaded;
    std::unique_ptr<SentWeatherLink> sentLink;
    std::unique_ptr<PrintingHost> host;
    platform::Scheduler* clock = nullptr;
    std::unique_ptr<delivery::WeatherDelivery> delivery;

    ~Parts() {
        delivery.reset();
        if (!folder.empty()) {
            weather::WeatherDb::forgetScratch(database);
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        }
    }
};

FlightWeather::FlightWeather(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}
FlightWeather::~FlightWeather() = default;

std::unique_ptr<FlightWeather> FlightWeather::prepare(const FlightWeatherOptions& options,
                                                      const flightplan::PlanStore& plan,
                                                      simlink::SimLink& sim,
                                                      platform::Scheduler& clock, std::ostream& out,
                                                      std::ostream& err) {
    auto parts = std::make_unique<Parts>();
    parts->folder = tempFolder();
    std::error_code ec;
    if (parts->folder.empty()) {
        err << "zephyra-cli fly: cannot make a scratch folder\n";
        return nullptr;
    }
    // The flight loads and varies a copy of the database in memory, thrown away at its end;
    // the delivery opens it by this name.
    parts->database = parts->folder + "/vanedb.mdb";
    std::string problem;
    auto db = weather::WeatherDb::openScratchCopy(options.database, parts->database, &problem);
    if (!db) {
        err << "zephyra-cli fly: cannot copy the database " << options.database << " (" << problem
            << ")\n";
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
            err << "zephyra-cli fly: cannot read " << options.metarFile << ": " << ec.message()
                << "\n";
            return nullptr;
        }
        weather::WeatherLoader loader(*db, parts->random, parts->dialogs, clock, loadHost,
                                      parts->loaded);
        loader.setAloft(options.aloft.get());
        if (!loader.loadMetar(copy, false).finished) {
            err << "zephyra-cli fly: " << parts->dialogs.lastMessage() << "\n";
            return nullptr;
        }
    }
    out << parts->dialogs.lastMessage() << "\n";
    // The flight writes a station's varied winds every few virtual seconds: each write would
    // copy a 64 KB page into the rollback log first.
    weather::WeatherDb::dropScratchJournal(parts->database);
    db.reset();
    parts->clock = &clock;
    const auto* held = dynamic_cast<const simlink::BuiltInAircraft*>(&sim);
    if (held == nullptr) {
        parts->sentLink = std::make_unique<SentWeatherLink>(sim);
    }
    simlink::SimLink& target = parts->sentLink ? *parts->sentLink : sim;
    parts->host = std::make_unique<PrintingHost>(sim, held, parts->sentLink.get(), clock,
                                                 parts->loaded.stations, out);
    parts->delivery = std::make_unique<delivery::WeatherDelivery>(
        target, clock, parts->random, *parts->host, parts->database, parts->loaded.stations,
        parts->loaded.precipitation);
    auto& settings = parts->delivery->settings();
    settings.MaxTurb = options.settings.maxTurb;
    settings.UnlimitedVis = options.settings.unlimitedVis;
    settings.NewClouds = options.settings.newClouds;
    settings.Wind = options.settings.winds;
    settings.blended = options.settings.blend && target.modelsAtmosphere();
    settings.blendRadiusNm = options.settings.blendRadiusNm;
    settings.blendSeconds = options.settings.blendSeconds;
    parts->delivery->setAloft(options.aloft);
    return std::unique_ptr<FlightWeather>(new FlightWeather(std::move(parts)));
}

void FlightWeather::start() {
    parts_->host->startedAt = parts_->clock->now();
    if (parts_->delivery->settings().blended) {
        parts_->delivery->armTimers();
        parts_->delivery->blendTick();  // the first blend goes at once
        return;
    }
    parts_->delivery->tracker().startTracking();
    parts_->delivery->armTimers();
}

std::string FlightWeather::stationWeights() const {
    char text[48];
    if (!parts_->delivery->settings().blended) {
        return parts_->host->station.empty() ? std::string() : parts_->host->station + ":1.00";
    }
    std::string out;
    if (const auto& sent = parts_->delivery->blended().sent()) {
        for (const delivery::BlendWeight& w : sent->stations) {
            std::snprintf(text, sizeof text, "%s%s:%.2f", out.empty() ? "" : ";", w.id.c_str(),
                          w.weight);
            out += text;
        }
    }
    return out;
}

int FlightWeather::switches() const {
    return parts_->host->switches;
}

std::string FlightWeather::station() const {
    return parts_->host->station;
}

const WeatherLine* FlightWeather::sentWeather() const {
    return parts_->sentLink ? &parts_->sentLink->sent : nullptr;
}

std::string weatherText(const WeatherLine& w) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "temperature %d %s, pressure %.1f mb, visibility %g mi, cloud 1 %d-%d ft %g/8, "
                  "cloud 2 %d-%d ft %g/8, wind %03.0f/%d kt",
                  w.temperature, w.celsius ? "\u00B0C" : "\u00B0F", w.pressureMb, w.visibilityMiles,
                  w.cloud1Base, w.cloud1Top, w.cloud1Coverage, w.cloud2Base, w.cloud2Top,
                  w.cloud2Coverage, w.windDirection, w.windSpeed);
    return text;
}

std::string heldWeatherText(const simlink::BuiltInAircraft& sim) {
    const auto& w = sim.weather();
    return weatherText({w.temperatures.degrees[0],
                        w.temperatures.scale == simlink::TemperatureScale::Celsius,
                        w.temperatures.pressureMb, w.visibilityStatuteMiles, w.cloud1.base,
                        w.cloud1.top, w.cloud1.coverage, w.cloud2.base, w.cloud2.top,
                        w.cloud2.coverage, w.wind[0].direction, w.wind[0].speed});
}

}  // namespace zephyra::cli
