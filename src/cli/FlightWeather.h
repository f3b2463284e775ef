#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "flightplan/PlanStore.h"
#include "simlink/SimulatorChoice.h"
#include "weather/AloftField.h"

namespace zephyra::platform {
class Scheduler;
}
namespace zephyra::shell {
struct Settings;
}
namespace zephyra::simlink {
class BuiltInAircraft;
class SimLink;
}  // namespace zephyra::simlink

namespace zephyra::cli {

struct WeatherLine;

// The settings a flight sends weather with: vane98.par's, as the window reads them, then the
// command line's.
struct FlySettings {
    FlySettings();  // those a first run writes
    explicit FlySettings(const shell::Settings& read);

    int maxTurb;
    int unlimitedVis;
    bool newClouds;
    bool winds;
    std::string uom;
    // The weather between stations (zephyra.ini's [Delivery], then --blend): blended on the
    // simulators that model it, else the nearest station's.
    bool blend = true;
    double blendRadiusNm = 60;
    int blendSeconds = 5;

    bool metric() const { return uom == "M"; }  // plan altitudes in metres
};

// The settings of vane98.par at that path. A file that cannot be read gives the settings a first
// run writes; a bad line stops the reading as it does in the window (the values before it are
// kept, the others are the window's defaults) and is reported on err.
FlySettings readFlySettings(const std::string& paramFile, std::ostream& err);

// The [Delivery] section of zephyra.ini in the settings folder, into the settings.
void readFlyDelivery(const std::string& settingsFolder, FlySettings& settings);

// Applies one option: --max-turb N (0-255), --unlimited-vis N (1-100), --new-clouds on|off,
// --winds on|off, --blend on|off, --uom U|M|F, taking its value (null when the option ends the
// line).
simlink::OptionUse takeFlySettingOption(const std::string& option, const std::string* value,
                                        FlySettings& settings, std::string& problem);

// Where the weather of a flight comes from.
struct FlightWeatherOptions {
    std::string metarFile;       // a METAR (or NOAA CSV) file, loaded as decode loads it
    bool customWeather = false;  // the plan's own custom weather (the Yes answer at Load)
    std::string database;        // copied to a temporary folder: the flight never changes it
    FlySettings settings;
    // Winds and temperatures aloft (null: none): the load completes the stations' layers aloft
    // from them and the simulator flies in them.
    std::shared_ptr<const weather::AloftField> aloft;

    bool wanted() const { return customWeather || !metarFile.empty(); }
};

// The weather of a zephyra-cli flight: a temporary copy of the database with the chosen
// weather loaded, and the weather delivery running on the flight's clock (virtual time for the
// built-in aircraft, real time for a live simulator). Each switch of station is printed with
// the weather the built-in aircraft then holds; a live simulator's weather cannot be read
// back, so for it the line gives the values last sent.
class FlightWeather {
  public:
    // Nothing, with the reason on err, when the weather cannot be loaded.
    static std::unique_ptr<FlightWeather> prepare(const FlightWeatherOptions& options,
                                                  const flightplan::PlanStore& plan,
                                                  simlink::SimLink& sim, platform::Scheduler& clock,
                                                  std::ostream& out, std::ostream& err);
    ~FlightWeather();
    FlightWeather(const FlightWeather&) = delete;
    FlightWeather& operator=(const FlightWeather&) = delete;

    // Starts the closest-station tracking and its timers (the first navigation tick); the
    // built-in aircraft must be running.
    void start();
    int switches() const;
    // The station whose weather is in use (empty before the first).
    std::string station() const;
    // The stations of the weather sent with their weights, "KATL:0.62;KPDK:0.25" (the nearest
    // station alone, "KATL:1.00", when not blending; empty before the first send).
    std::string stationWeights() const;
    // What was last sent to a live simulator; null for the built-in aircraft, which holds it.
    const WeatherLine* sentWeather() const;

    struct Parts;

  private:
    explicit FlightWeather(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> parts_;
};

// One line of weather: temperature, pressure, visibility, clouds and the surface wind.
struct WeatherLine {
    int temperature = 0;
    bool celsius = false;  // the temperature's scale: Celsius, else Fahrenheit
    double pressureMb = 0.0;
    double visibilityMiles = 0.0;
    int cloud1Base = 0, cloud1Top = 0;
    double cloud1Coverage = 0.0;
    int cloud2Base = 0, cloud2Top = 0;
    double cloud2Coverage = 0.0;
    double windDirection = 0.0;
    int windSpeed = 0;
};
std::string weatherText(const WeatherLine& w);
// The weather the built-in aircraft holds.
std::string heldWeatherText(const simlink::BuiltInAircraft& sim);

}  // namespace zephyra::cli
