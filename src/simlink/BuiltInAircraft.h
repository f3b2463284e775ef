#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Scheduler.h"
#include "simlink/SimLink.h"

namespace zephyra::simlink {

// The embedded simulator that makes the program usable without an external one: a single
// aircraft flown by an always-engaged autopilot through the winds it is sent. It keeps
// everything it receives so the Simulator window and the tests can see what the rest of
// the program did.
//
// Conventions:
// - Starts airborne near Atlanta (33.6367 N, 84.4281 W) at 3000 ft, true heading 90,
//   120 kt true, holding all three; magnetic variation 0.
// - Magnetic variation v is kept in 0..360: magnetic = true - v, so v below 180 is east
//   variation and v of 180 and above is (360 - v) west; 5 W is 355.
// - Before any wind arrives every layer is calm and the floors are 5000, 15000, 30000 ft.
// - With a field aloft (upd_aloft) the wind above the surface layer and the temperature come
//   from the field at the aircraft's own position and altitude wherever it reaches.
// - While stopped the SimLink getters return kNoPosition; setters and the accessors below
//   keep working, so the state can be prepared before the simulator "runs".
class BuiltInAircraft : public SimLink {
  public:
    struct CloudLayer {
        bool received = false;
        std::int32_t base = 0;
        std::int32_t top = 0;
        double coverage = 0.0;
        std::int32_t deviation = 0;
        std::int32_t reserved = 0;
        std::int32_t icing = 0;
        double turbulence = 0.0;
    };

    struct WindLayer {
        bool received = false;
        std::int32_t base = 0;  // floor; for the surface layer, its depth
        double top = 0.0;       // not sent for the surface layer
        std::int32_t speed = 0;
        double direction = 0.0;  // where the wind comes from
        double turbulence = 0.0;
        std::int32_t gust = 0;
    };

    struct Temperatures {
        bool received = false;
        std::array<std::int32_t, 4> altitude{};
        std::array<std::int32_t, 4> degrees{};
        double pressureMb = 0.0;
        TemperatureScale scale = TemperatureScale::Fahrenheit;
    };

    // The last value of every weather operation received.
    struct WeatherState {
        bool visibilityReceived = false;
        double visibilityStatuteMiles = 0.0;
        Temperatures temperatures;
        CloudLayer cloud1;
        CloudLayer cloud2;
        CloudLayer thunderstorm;
        std::array<WindLayer, 4> wind;
        ObservedWeather observed;
    };

    // One received operation (weather or autopilot), with the scheduler time it arrived.
    struct Call {
        std::string name;
        std::vector<double> args;
        double time = 0.0;
    };

    enum class SpeedMode { TrueAirspeed, IndicatedAirspeed, Mach };

    static constexpr double kDefaultLatitude = 33.6367;
    static constexpr double kDefaultLongitude = -84.4281;
    static constexpr double kDefaultAltitude = 3000.0;
    static constexpr double kDefaultHeading = 90.0;
    static constexpr double kDefaultAirspeed = 120.0;
    static constexpr std::array<double, 3> kDefaultWindFloors{5000.0, 15000.0, 30000.0};

    static constexpr double kTurnRate = 3.0;             // deg/s, standard rate
    static constexpr double kClimbRate = 1800.0 / 60.0;  // ft/s
    static constexpr double kAcceleration = 2.0;         // kt/s
    static constexpr double kMaxLatitude = 89.9;
    static constexpr int kDefaultTickMs = 1000;
    static constexpr std::size_t kDefaultLogLimit = 20000;

    explicit BuiltInAircraft(platform::Scheduler& scheduler);
    ~BuiltInAircraft() override;
    BuiltInAircraft(const BuiltInAircraft&) = delete;
    BuiltInAircraft& operator=(const BuiltInAircraft&) = delete;

    // Running follows the scheduler's clock; stop() first flies the time since the last tick.
    void start();
    void stop();
    bool running() const { return running_; }
    void setTickInterval(int milliseconds);
    int tickInterval() const { return tickMs_; }

    // Flies the given time now, whether running or not and independently of the clock.
    void advance(double seconds);

    // Direct state, for the Simulator window and tests. Each sets the autopilot target too.
    void setLatitude(double degrees);   // clamped to +-89.9
    void setLongitude(double degrees);  // wrapped into -180..180
    void setAltitude(double feet);
    void setHeading(double trueDegrees);
    void setAirspeed(double trueKnots);  // holds this true airspeed
    void setMagVar(double degrees);      // any value; -5 and 355 both mean 5 W

    double latitude() const { return lat_; }
    double longitude() const { return lon_; }
    double altitude() const { return alt_; }
    double heading() const { return heading_; }  // true
    double magneticHeading() const;
    double trueAirspeed() const { return tas_; }
    double magVar() const { return magVar_; }
    double groundDistanceNm() const { return distanceNm_; }
    double flownSeconds() const { return flownSeconds_; }

    // Autopilot targets as currently in force.
    double targetHeading() const { return targetHeading_; }  // true
    double targetAltitude() const { return targetAlt_; }
    double targetTrueAirspeed() const;  // from the speed mode at the current altitude
    SpeedMode speedMode() const { return speedMode_; }
    double speedSetting() const { return speedSetting_; }

    // The wind layer (0..3) in force at an altitude.
    int windLayerAt(double altitudeFeet) const;

    // The air the aircraft flies in now: the field's above the surface layer where it reaches,
    // else the wind layer in force and the temperature between the temperature layers sent
    // (none before any arrived).
    struct Air {
        double windDirection = 0.0;  // degrees true, from
        double windSpeed = 0.0;      // knots
        std::optional<double> temperatureC;
        bool fromField = false;
    };
    Air air() const;

    const WeatherState& weather() const { return weather_; }
    const std::deque<Call>& calls() const { return calls_; }
    // Calls of that name since construction or clearLog(), including ones the bounded log
    // has already dropped.
    int callCount(std::string_view name) const;
    // The most recent call of that name still in the log, or null.
    const Call* lastCall(std::string_view name) const;
    void clearLog();
    void setLogLimit(std::size_t calls);
    std::size_t logLimit() const { return logLimit_; }

    // Called after each advance, for a window to refresh.
    std::function<void()> onChanged;

    // SimLink.
    double get_curr_lat() override;
    double get_curr_lon() override;
    double get_alt() override;
    double get_TAS() override;
    double get_MagVar() override;
    double get_wind0Dir() override;
    double get_wind1Dir() override;
    double get_wind2Dir() override;
    double get_wind3Dir() override;
    double get_wind0Spd() override;
    double get_wind1Spd() override;
    double get_wind2Spd() override;
    double get_wind3Spd() override;
    double get_wind1Floor() override;
    double get_wind2Floor() override;
    double get_wind3Floor() override;

    void upd_APHead(double headingMagnetic) override;
    void upd_APAlt(double altitudeFeet) override;
    void upd_APAirSpeed(double knots) override;
    void upd_APMachNumber(double mach) override;

    void upd_visib(double statuteMiles) override;
    bool modelsAtmosphere() const override { return true; }
    void upd_aloft(const AloftSource& source) override;
    std::optional<AloftAir> get_aloftHere() override;
    void upd_observed(const ObservedWeather& observed) override;
    void upd_temps(std::int32_t t0Alt, std::int32_t t0Deg, std::int32_t t1Alt, std::int32_t t1Deg,
                   std::int32_t t2Alt, std::int32_t t2Deg, std::int32_t t3Alt, std::int32_t t3Deg,
                   double pressureMb, TemperatureScale scale) override;
    void upd_cloud1(std::int32_t base, std::int32_t top, double coverage, std::int32_t deviation,
                    std::int32_t reserved, std::int32_t icing, double turbulence) override;
    void upd_cloud2(std::int32_t base, std::int32_t top, double coverage, std::int32_t deviation,
                    std::int32_t reserved, std::int32_t icing, double turbulence) override;
    void upd_wind0(std::int32_t depth, std::int32_t speed, double direction, double turbulence,
                   std::int32_t gust) override;
    void upd_wind1(std::int32_t base, double top, std::int32_t speed, double direction,
                   double turbulence, std::int32_t gust) override;
    void upd_wind2(std::int32_t base, double top, std::int32_t speed, double direction,
                   double turbulence, std::int32_t gust) override;
    void upd_wind3(std::int32_t base, double top, std::int32_t speed, double direction,
                   double turbulence, std::int32_t gust) override;
    void upd_Tstorm(std::int32_t base, std::int32_t top, double coverage, std::int32_t deviation,
                    std::int32_t reserved, std::int32_t icing, double turbulence) override;

    // ISA speed of sound at an altitude, in knots.
    static double speedOfSoundKt(double altitudeFeet);
    // True airspeed for an indicated (calibrated) airspeed at a pressure altitude, in the
    // standard atmosphere or at the given outside temperature; and back, in the standard
    // atmosphere. Subsonic, compressible flow.
    static double trueFromIndicated(double indicatedKt, double altitudeFeet,
                                    std::optional<double> temperatureC = std::nullopt);
    static double indicatedFromTrue(double trueKt, double altitudeFeet);

  private:
    void tick();
    void step(double dt);
    void log(std::string_view name, std::initializer_list<double> args);
    double whileRunning(double value) const { return running_ ? value : kNoPosition; }
    double windFloor(int layer) const;
    std::optional<AloftAir> fieldHere() const;
    std::optional<double> layerTemperature(double altitudeFeet) const;

    platform::Scheduler& scheduler_;
    std::unique_ptr<platform::Timer> timer_;
    bool running_ = false;
    int tickMs_ = kDefaultTickMs;
    double lastTick_ = 0.0;

    double lat_ = kDefaultLatitude;
    double lon_ = kDefaultLongitude;
    double alt_ = kDefaultAltitude;
    double heading_ = kDefaultHeading;
    double tas_ = kDefaultAirspeed;
    double magVar_ = 0.0;
    double distanceNm_ = 0.0;
    double flownSeconds_ = 0.0;

    double targetHeading_ = kDefaultHeading;
    double targetAlt_ = kDefaultAltitude;
    SpeedMode speedMode_ = SpeedMode::TrueAirspeed;
    double speedSetting_ = kDefaultAirspeed;

    WeatherState weather_;
    AloftSource aloft_;
    std::deque<Call> calls_;
    std::map<std::string, int, std::less<>> callCounts_;
    std::size_t logLimit_ = kDefaultLogLimit;
};

}  // namespace zephyra::simlink
