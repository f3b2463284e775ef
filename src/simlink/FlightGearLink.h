#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "simlink/PropertyConnection.h"
#include "simlink/SimLink.h"

namespace zephyra::simlink {

// Where FlightGear's property server is and how long the link may wait for it.
struct FlightGearSettings {
    static constexpr int kDefaultPort = 5401;
    std::string host = "127.0.0.1";
    int port = kDefaultPort;
    std::chrono::milliseconds connectTimeout{300};
    std::chrono::milliseconds replyTimeout{500};  // one pipelined round trip
    std::chrono::milliseconds retryInterval{2000};
    // One read of every value serves all the getters called within this time (a navigation
    // tick calls sixteen of them one after another).
    std::chrono::milliseconds freshFor{250};
};

// The simulator link to a running FlightGear over its property server (`fgfs --telnet=...`),
// in data mode: getters share one pipelined round trip per tick, setters write typed values.
//
// Conventions:
// - Position, altitude and true airspeed come from /position and the airspeed indicator;
//   an aircraft without that instrument gets its true airspeed from the ground-speed vector
//   less the wind. Magnetic variation is brought into 0..360 (5 W reads 355).
// - Weather goes layer by layer onto /environment/config: the surface wind onto both
//   boundary entries, wind layers 1..3 onto aloft entries 0..2 (their elevation is the
//   layer's floor), cloud layers 1 and 2 onto /environment/clouds/layer[0] and [1]. The
//   thunderstorm has no switch in FlightGear; its nearest equivalent is a third cloud layer
//   with rain. A field aloft (upd_aloft), while it reaches the aircraft, takes the five aloft
//   entries instead, at FlightGear's own heights (5,000 to 30,000 ft): each entry gets the
//   field's wind and temperature at the aircraft's latitude and longitude and the entry's
//   height, refreshed on every call; the layers and temperatures aloft sent meanwhile are kept
//   and come back when the field stops reaching the aircraft. Before the first weather of a
//   connection FlightGear's own live weather and METAR updates are switched off; the destructor
//   switches them back as they were.
// - The autopilot gets the magnetic heading bug, target altitude and target speed with
//   their locks engaged; a Mach number is converted to indicated knots at the aircraft's
//   altitude, since the generic autopilot has no Mach hold.
// - A lost or silent server makes getters report kNoPosition; the link tries again at most
//   every retryInterval, from inside the next call, so no call waits longer than
//   connectTimeout plus replyTimeout. What the setters were given is kept: every new
//   connection (a FlightGear restarted, or one started after the settings were made) gets the
//   autopilot's targets and locks, and, while weather sending is on, the last weather of each
//   kind, before anything else.
class FlightGearLink final : public SimLink {
  public:
    explicit FlightGearLink(FlightGearSettings settings = {});
    ~FlightGearLink() override;
    FlightGearLink(const FlightGearLink&) = delete;
    FlightGearLink& operator=(const FlightGearLink&) = delete;

    const FlightGearSettings& settings() const { return settings_; }
    bool connected() const { return connection_.isOpen(); }
    // "Is the simulator running": connects now when not connected, whatever the retry wait.
    bool probe();
    // The next getter reads every value anew.
    void invalidate() { snapshotTime_.reset(); }
    // Switches FlightGear's own weather back the way it was (the destructor does this too).
    void restoreWeather();
    // Connections opened so far (a reconnect after a FlightGear restart counts anew).
    int connections() const { return connections_; }
    // Another property server from now on; the connection to the old one is closed.
    void setAddress(const std::string& host, int port);
    void setWeatherSending(bool on) override { weatherSending_ = on; }
    bool modelsAtmosphere() const override { return true; }
    void upd_observed(const ObservedWeather& observed) override;
    void upd_aloft(const AloftSource& source) override;
    std::optional<AloftAir> get_aloftHere() override;
    // FlightGear's own heights of /environment/config/aloft/entry[0..4] (feet above sea level).
    static constexpr std::array<double, 5> kAloftElevations{5000, 10000, 18000, 24000, 30000};
    // Whether the field aloft holds the aloft entries now.
    bool fieldAloft() const { return fieldAloft_; }

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

    // FlightGear's cloud coverage word for a coverage in eighths.
    static std::string_view coverageWord(double eighths);
    // A number as the property server reads it (shortest exact form).
    static std::string number(double value);

    // The values read in one round trip, in this order.
    enum Read : std::size_t {
        Latitude,
        Longitude,
        Altitude,
        TrueAirspeed,
        SpeedNorth,
        SpeedEast,
        WindFromNorth,
        WindFromEast,
        MagVar,
        SurfaceWindDir,
        SurfaceWindSpeed,
        Aloft0Dir,
        Aloft0Speed,
        Aloft0Floor,
        Aloft1Dir,
        Aloft1Speed,
        Aloft1Floor,
        Aloft2Dir,
        Aloft2Speed,
        Aloft2Floor,
        ReadCount
    };
    static const std::array<const char*, ReadCount> kReadPaths;
    // One reply line as the value of `which`: NaN (no answer) for text that is not a number,
    // for NaN and infinities, and for a value outside what the property can physically hold.
    static double parseValue(const std::string& line, Read which);

  private:
    // fresh: set when this call opened the connection (and put the kept state back).
    bool ensureConnected(bool now, bool* fresh = nullptr);
    // FlightGear's live weather and METAR updates off, once per connection.
    bool takeOverWeather();
    // The autopilot and weather kept from the setters, onto a new connection.
    void putStateBack();
    // The values of this tick, or nothing when there is no position.
    const std::array<double, ReadCount>* snapshot();
    double read(Read which, double whenMissing = 0.0);
    void writeAutopilot(std::optional<std::string>& kept, const std::string& lines);
    // kind: which value this is (a later one of the same kind replaces it when put back).
    void writeWeather(const std::string& kind, const std::string& lines);
    void upd_aloft(int entry, std::int32_t base, std::int32_t speed, double direction,
                   double turbulence);
    void upd_cloud(int layer, std::int32_t base, std::int32_t top, double coverage);
    // The temperatures kept from upd_temps as lines, on the aloft entries too or the surface
    // entries only (while the field holds the aloft ones).
    std::string temperatureLines(bool aloftEntries) const;

    FlightGearSettings settings_;
    PropertyConnection connection_;
    std::optional<std::chrono::steady_clock::time_point> lastAttempt_;
    std::optional<std::chrono::steady_clock::time_point> snapshotTime_;
    std::array<double, ReadCount> values_{};
    bool havePosition_ = false;
    double lastAltitude_ = 0.0;
    bool weatherTakenOver_ = false;  // on this connection
    std::optional<std::array<std::string, 2>> savedWeatherSwitches_;
    int connections_ = 0;
    // The lines of the last heading, altitude and speed targets (with their locks).
    std::optional<std::string> heading_, altitude_, speed_;
    std::map<std::string, std::string> weather_;  // the last lines of each kind of weather
    bool weatherSending_ = true;
    ObservedWeather observed_;  // the station's full observation; while valid it draws the sky
    AloftSource aloft_;
    bool fieldAloft_ = false;
    std::array<std::string, 3> layerWinds_;  // the lines of wind layers 1..3 last sent
    // Where the aloft entries stand: FlightGear's own heights until a wind layer moves one.
    std::array<double, 5> aloftElevations_{kAloftElevations};
    // The last upd_temps: the temperature profile as (altitude ft, sea-level temperature C)
    // from the surface up, and the pressure (inHg).
    struct Temperatures {
        std::array<std::pair<double, double>, 4> profile;
        double inHg = 0;
    };
    std::optional<Temperatures> temperatures_;
    // The sea-level temperature (C) of the last profile at an altitude.
    double seaLevelTemperatureAt(double altitudeFeet) const;
};

}  // namespace zephyra::simlink
