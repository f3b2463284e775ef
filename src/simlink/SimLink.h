#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zephyra::simlink {

// What the full reading of a station's report adds for a simulator that models it: every
// cloud layer as reported, the dew point, the visibility in metres and the precipitation.
struct ObservedLayer {
    std::string coverage;   // "few", "scattered", "broken" or "overcast" (a vertical visibility)
    std::int32_t base = 0;  // feet above sea level
    std::int32_t thickness = 0;  // feet
    bool cumulonimbus = false;
    bool towering = false;  // towering cumulus (TCU)
    bool operator==(const ObservedLayer&) const = default;
};
struct ObservedWeather {
    bool valid = false;  // false: no full reading (custom weather, SA): the classic values rule
    std::vector<ObservedLayer> layers;  // lowest first, at most five
    std::optional<double> dewPointC;
    std::optional<double> visibilityMetres;
    double rain = 0.0;  // 0 none to 1 heavy
    double snow = 0.0;
    // The surface values exactly, where the classic calls take whole numbers: a blend between
    // stations moves them by tenths. Absent, the classic calls' values stand.
    std::optional<double> temperatureC;  // at the surface (the temperature layer 0 altitude)
    std::optional<double> windFrom;      // degrees true
    std::optional<double> windKnots;
    std::optional<double> seaLevelInHg;
    // Wind layers 1 to 3 and the temperatures of layers 1 to 3 exactly (all three or none).
    struct ExactWind {
        double from = 0;  // degrees true
        double knots = 0;
        bool operator==(const ExactWind&) const = default;
    };
    std::vector<ExactWind> windsAloft;
    std::vector<double> temperaturesAloftC;
    bool operator==(const ObservedWeather&) const = default;
};

// The wind and temperature of a forecast field at one point and altitude.
struct AloftAir {
    std::optional<double> direction;  // degrees true, where the wind blows from; none when light
                                      // and variable
    double speedKnots = 0.0;
    std::optional<double> temperatureC;
    bool operator==(const AloftAir&) const = default;
};
// The forecast field aloft as a simulator samples it: the air at a latitude, longitude (degrees,
// north and east positive) and altitude (feet above sea level), or nothing where the field does
// not reach.
using AloftSource =
    std::function<std::optional<AloftAir>(double latitude, double longitude, double altitudeFeet)>;

// The scale the temperatures of a send are in: a weather record holds whole degrees of either.
enum class TemperatureScale { Fahrenheit, Celsius };

// Degrees Celsius of a temperature in the given scale.
inline double toCelsius(double degrees, TemperatureScale scale) {
    return scale == TemperatureScale::Celsius ? degrees : (degrees - 32.0) / 1.8;
}

// Every read and write of the simulator's state. The operations, argument order and units are
// those the rest of the program relies on; an implementation may be the built-in aircraft, a
// networked simulator or a test double. Getters return 9991 while there is no position.
class SimLink {
  public:
    static constexpr double kNoPosition = 9991.0;

    virtual ~SimLink() = default;

    // Whether the simulator draws each cloud layer with the cover it is sent. FS98 does not: it
    // draws every cloud with one texture and takes a change of cover only as a cue to redraw,
    // which is what the new-clouds texture swap and redraw are for.
    virtual bool drawsCover() const { return true; }

    // Whether the simulator models the atmosphere from the sea-level pressure it is sent, so
    // that its altimeter needs no help: then the pressure sent is the weather's at every
    // altitude. FS98 does not, and is sent the standard pressure from 18,000 ft up, where
    // altimeters are set to it.
    virtual bool modelsAtmosphere() const { return false; }

    // "Send Weather" on or off. A simulator that may restart behind the link gets the weather
    // it was last sent back on its reconnect only while sending is on; others ignore this.
    virtual void setWeatherSending(bool /*on*/) {}

    // The station's full observation, sent with its weather. Simulators that model more than
    // two cloud layers and whole miles take their clouds, visibility, dew point and
    // precipitation from it while it is valid; FS98's calls ignore it.
    virtual void upd_observed(const ObservedWeather& /*observed*/) {}

    // The winds and temperatures aloft from a forecast field, sampled at the aircraft's own
    // position: while the source reaches the aircraft they replace wind layers 1..3 and the
    // temperatures aloft. The delivery calls this again every few seconds as the aircraft
    // moves; an empty source hands the upper air back to the layers. Ignored by simulators
    // that only take the four layers.
    virtual void upd_aloft(const AloftSource& /*source*/) {}
    // The field's air at the aircraft's position and altitude; nothing without a field or
    // where it does not reach (the layers rule there).
    virtual std::optional<AloftAir> get_aloftHere() { return std::nullopt; }

    // Position and state.
    virtual double get_curr_lat() = 0;  // degrees, north positive
    virtual double get_curr_lon() = 0;  // degrees, east positive
    virtual double get_alt() = 0;       // feet
    virtual double get_TAS() = 0;       // knots
    virtual double get_MagVar() = 0;    // 0..360; 180 and above is variation to the other side

    // The four wind layers, 0 being the surface layer.
    virtual double get_wind0Dir() = 0;
    virtual double get_wind1Dir() = 0;
    virtual double get_wind2Dir() = 0;
    virtual double get_wind3Dir() = 0;
    virtual double get_wind0Spd() = 0;
    virtual double get_wind1Spd() = 0;
    virtual double get_wind2Spd() = 0;
    virtual double get_wind3Spd() = 0;
    virtual double get_wind1Floor() = 0;
    virtual double get_wind2Floor() = 0;
    virtual double get_wind3Floor() = 0;

    // Autopilot.
    virtual void upd_APHead(double headingMagnetic) = 0;
    virtual void upd_APAlt(double altitudeFeet) = 0;
    virtual void upd_APAirSpeed(double knots) = 0;
    virtual void upd_APMachNumber(double mach) = 0;

    // Weather.
    virtual void upd_visib(double statuteMiles) = 0;
    virtual void upd_temps(std::int32_t t0Alt, std::int32_t t0Deg, std::int32_t t1Alt,
                           std::int32_t t1Deg, std::int32_t t2Alt, std::int32_t t2Deg,
                           std::int32_t t3Alt, std::int32_t t3Deg, double pressureMb,
                           TemperatureScale scale) = 0;
    virtual void upd_cloud1(std::int32_t base, std::int32_t top, double coverage,
                            std::int32_t deviation, std::int32_t reserved, std::int32_t icing,
                            double turbulence) = 0;
    virtual void upd_cloud2(std::int32_t base, std::int32_t top, double coverage,
                            std::int32_t deviation, std::int32_t reserved, std::int32_t icing,
                            double turbulence) = 0;
    virtual void upd_wind0(std::int32_t depth, std::int32_t speed, double direction,
                           double turbulence, std::int32_t gust) = 0;
    virtual void upd_wind1(std::int32_t base, double top, std::int32_t speed, double direction,
                           double turbulence, std::int32_t gust) = 0;
    virtual void upd_wind2(std::int32_t base, double top, std::int32_t speed, double direction,
                           double turbulence, std::int32_t gust) = 0;
    virtual void upd_wind3(std::int32_t base, double top, std::int32_t speed, double direction,
                           double turbulence, std::int32_t gust) = 0;
    // Thunderstorm on or off; same nine-word layout as a cloud layer.
    virtual void upd_Tstorm(std::int32_t base, std::int32_t top, double coverage,
                            std::int32_t deviation, std::int32_t reserved, std::int32_t icing,
                            double turbulence) = 0;
};

}  // namespace zephyra::simlink
