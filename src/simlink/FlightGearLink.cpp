#include "simlink/FlightGearLink.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "simlink/BuiltInAircraft.h"

namespace zephyra::simlink {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr double kFeetPerSecondToKnots = 0.592483801;
constexpr double kMetresPerStatuteMile = 1609.344;
constexpr double kInHgPerMillibar = 0.0295299830714;
constexpr double kLapseRatePerFoot = 0.0019812;  // ISA, degrees C per foot

constexpr std::size_t kObservedLayers = 5;  // FlightGear's /environment/clouds/layer[0..4]
constexpr const char* kRealWeather = "/environment/realwx/enabled";
constexpr const char* kMetarUpdates = "/environment/params/metar-updates-environment";

// Every config entry a weather value is spread over: two boundary (surface) entries, then
// the five aloft entries.
const std::array<std::string, 7> kEntries{
    "/environment/config/boundary/entry[0]/", "/environment/config/boundary/entry[1]/",
    "/environment/config/aloft/entry[0]/",    "/environment/config/aloft/entry[1]/",
    "/environment/config/aloft/entry[2]/",    "/environment/config/aloft/entry[3]/",
    "/environment/config/aloft/entry[4]/"};

std::string aloft(int entry) {
    return "/environment/config/aloft/entry[" + std::to_string(entry) + "]/";
}

std::string setd(const std::string& path, double value) {
    return "setd " + path + " " + FlightGearLink::number(value) + "\r\n";
}

std::string set(const std::string& path, std::string_view value) {
    return "set " + path + " " + std::string(value) + "\r\n";
}

std::string setb(const std::string& path, std::string_view value) {
    return "setb " + path + " " + std::string(value) + "\r\n";
}

// A prompt ("/> ") the server printed before data mode took effect, in front of a value.
std::string withoutPrompt(const std::string& line) {
    const auto at = line.find("> ");
    return !line.empty() && line.front() == '/' && at != std::string::npos ? line.substr(at + 2)
                                                                           : line;
}

}  // namespace

double FlightGearLink::parseValue(const std::string& line, Read which) {
    // The widest values each property can physically hold; anything outside is no answer.
    // Angles are wrapped by their readers, so any few turns will do.
    constexpr std::pair<double, double> kAngle{-3600, 3600};
    constexpr std::pair<double, double> kHeight{-2000, 200000};  // ft
    constexpr std::pair<double, double> kWind{0, 1000};          // kt
    static constexpr std::array<std::pair<double, double>, ReadCount> kRanges{{
        {-90, 90},                                  // latitude
        {-180, 180},                                // longitude
        kHeight,                                    // altitude
        {-5000, 5000},                              // true airspeed, kt
        {-10000, 10000}, {-10000, 10000},           // ground speed, ft/s
        {-1000, 1000},   {-1000, 1000},             // wind, ft/s
        kAngle,                                     // magnetic variation
        kAngle,          kWind,                     // surface wind
        kAngle,          kWind,           kHeight,  // aloft 0
        kAngle,          kWind,           kHeight,  // aloft 1
        kAngle,          kWind,           kHeight,  // aloft 2
    }};
    const std::string text = withoutPrompt(line);
    if (text.empty()) {
        return std::nan("");
    }
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    while (end != nullptr && *end == ' ') {
        ++end;
    }
    const auto [low, high] = kRanges[which < ReadCount ? which : Latitude];
    return end != nullptr && *end == '\0' && std::isfinite(v) && v >= low && v <= high
               ? v
               : std::nan("");
}

namespace {

double turbulenceNorm(double turbulence) {
    return std::clamp(turbulence / 255.0, 0.0, 1.0);
}

}  // namespace

const std::array<const char*, FlightGearLink::ReadCount> FlightGearLink::kReadPaths{
    "/position/latitude-deg",
    "/position/longitude-deg",
    "/position/altitude-ft",
    "/instrumentation/airspeed-indicator/true-speed-kt",
    "/velocities/speed-north-fps",
    "/velocities/speed-east-fps",
    "/environment/wind-from-north-fps",
    "/environment/wind-from-east-fps",
    "/environment/magnetic-variation-deg",
    "/environment/config/boundary/entry[0]/wind-from-heading-deg",
    "/environment/config/boundary/entry[0]/wind-speed-kt",
    "/environment/config/aloft/entry[0]/wind-from-heading-deg",
    "/environment/config/aloft/entry[0]/wind-speed-kt",
    "/environment/config/aloft/entry[0]/elevation-ft",
    "/environment/config/aloft/entry[1]/wind-from-heading-deg",
    "/environment/config/aloft/entry[1]/wind-speed-kt",
    "/environment/config/aloft/entry[1]/elevation-ft",
    "/environment/config/aloft/entry[2]/wind-from-heading-deg",
    "/environment/config/aloft/entry[2]/wind-speed-kt",
    "/environment/config/aloft/entry[2]/elevation-ft",
};

FlightGearLink::FlightGearLink(FlightGearSettings settings) : settings_(std::move(settings)) {}

FlightGearLink::~FlightGearLink() {
    restoreWeather();
}

std::string FlightGearLink::number(double value) {
    if (!std::isfinite(value)) {
        return "0";
    }
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

std::string_view FlightGearLink::coverageWord(double eighths) {
    if (eighths < 0.5) {
        return "clear";
    }
    if (eighths < 2.5) {
        return "few";
    }
    if (eighths < 4.5) {
        return "scattered";
    }
    if (eighths < 7.5) {
        return "broken";
    }
    return "overcast";
}

bool FlightGearLink::ensureConnected(bool now, bool* fresh) {
    if (fresh != nullptr) {
        *fresh = false;
    }
    if (connection_.isOpen() && !connection_.peerClosed()) {
        return true;
    }
    const auto t = SteadyClock::now();
    if (!now && lastAttempt_ && t - *lastAttempt_ < settings_.retryInterval) {
        return false;
    }
    lastAttempt_ = t;
    weatherTakenOver_ = false;
    snapshotTime_.reset();
    if (!connection_.open(settings_.host, settings_.port, settings_.connectTimeout) ||
        !connection_.send("data\r\n", settings_.replyTimeout)) {
        return false;
    }
    ++connections_;
    putStateBack();
    if (fresh != nullptr) {
        *fresh = true;
    }
    return connection_.isOpen();
}

void FlightGearLink::putStateBack() {
    std::string autopilot;
    for (const auto* kept : {&heading_, &altitude_, &speed_}) {
        if (*kept) {
            autopilot += **kept;
        }
    }
    if (!autopilot.empty() && !connection_.send(autopilot, settings_.replyTimeout)) {
        return;
    }
    if (!weatherSending_ || weather_.empty() || !takeOverWeather()) {
        return;
    }
    std::string weather;
    for (const auto& [kind, lines] : weather_) {
        weather += lines;
    }
    connection_.send(weather, settings_.replyTimeout);
}

void FlightGearLink::setAddress(const std::string& host, int port) {
    if (host == settings_.host && port == settings_.port) {
        return;
    }
    restoreWeather();
    connection_.close();
    settings_.host = host;
    settings_.port = port;
    lastAttempt_.reset();
    snapshotTime_.reset();
    savedWeatherSwitches_.reset();
}

bool FlightGearLink::probe() {
    return ensureConnected(true);
}

const std::array<double, FlightGearLink::ReadCount>* FlightGearLink::snapshot() {
    const auto t = SteadyClock::now();
    if (snapshotTime_ && t - *snapshotTime_ < settings_.freshFor) {
        return havePosition_ ? &values_ : nullptr;
    }
    havePosition_ = false;
    const bool connectedNow = ensureConnected(false);
    snapshotTime_ = t;  // after a reconnect, which forgets the last read
    if (!connectedNow) {
        return nullptr;
    }
    std::string request;
    for (const char* path : kReadPaths) {
        request += "get ";
        request += path;
        request += "\r\n";
    }
    if (!connection_.send(request, settings_.replyTimeout)) {
        return nullptr;
    }
    const auto lines = connection_.readLines(ReadCount, settings_.replyTimeout);
    if (!lines) {
        return nullptr;
    }
    for (std::size_t i = 0; i < ReadCount; ++i) {
        values_[i] = parseValue((*lines)[i], static_cast<Read>(i));
    }
    havePosition_ = !std::isnan(values_[Latitude]) && !std::isnan(values_[Longitude]);
    if (havePosition_ && !std::isnan(values_[Altitude])) {
        lastAltitude_ = values_[Altitude];
    }
    return havePosition_ ? &values_ : nullptr;
}

double FlightGearLink::read(Read which, double whenMissing) {
    const auto* v = snapshot();
    if (v == nullptr) {
        return kNoPosition;
    }
    return std::isnan((*v)[which]) ? whenMissing : (*v)[which];
}

double FlightGearLink::get_curr_lat() {
    return read(Latitude);
}
double FlightGearLink::get_curr_lon() {
    return read(Longitude);
}
double FlightGearLink::get_alt() {
    return read(Altitude);
}

double FlightGearLink::get_TAS() {
    const auto* v = snapshot();
    if (v == nullptr) {
        return kNoPosition;
    }
    const auto& s = *v;
    if (!std::isnan(s[TrueAirspeed])) {
        return s[TrueAirspeed];
    }
    // Velocity through the air: over the ground, less the air's own motion (a wind from the
    // north moves the air south).
    const double north = s[SpeedNorth] + (std::isnan(s[WindFromNorth]) ? 0.0 : s[WindFromNorth]);
    const double east = s[SpeedEast] + (std::isnan(s[WindFromEast]) ? 0.0 : s[WindFromEast]);
    if (std::isnan(north) || std::isnan(east)) {
        return 0.0;
    }
    return std::hypot(north, east) * kFeetPerSecondToKnots;
}

double FlightGearLink::get_MagVar() {
    const double v = read(MagVar);
    if (v == kNoPosition) {
        return v;
    }
    const double wrapped = std::fmod(std::fmod(v, 360.0) + 360.0, 360.0);
    return wrapped;
}

double FlightGearLink::get_wind0Dir() {
    return read(SurfaceWindDir);
}
double FlightGearLink::get_wind1Dir() {
    return read(Aloft0Dir);
}
double FlightGearLink::get_wind2Dir() {
    return read(Aloft1Dir);
}
double FlightGearLink::get_wind3Dir() {
    return read(Aloft2Dir);
}
double FlightGearLink::get_wind0Spd() {
    return read(SurfaceWindSpeed);
}
double FlightGearLink::get_wind1Spd() {
    return read(Aloft0Speed);
}
double FlightGearLink::get_wind2Spd() {
    return read(Aloft1Speed);
}
double FlightGearLink::get_wind3Spd() {
    return read(Aloft2Speed);
}
double FlightGearLink::get_wind1Floor() {
    return read(Aloft0Floor, BuiltInAircraft::kDefaultWindFloors[0]);
}
double FlightGearLink::get_wind2Floor() {
    return read(Aloft1Floor, BuiltInAircraft::kDefaultWindFloors[1]);
}
double FlightGearLink::get_wind3Floor() {
    return read(Aloft2Floor, BuiltInAircraft::kDefaultWindFloors[2]);
}

void FlightGearLink::writeAutopilot(std::optional<std::string>& kept, const std::string& lines) {
    kept = lines;
    bool fresh = false;
    if (ensureConnected(false, &fresh) && !fresh) {
        connection_.send(lines, settings_.replyTimeout);
    }
}

bool FlightGearLink::takeOverWeather() {
    if (weatherTakenOver_) {
        return true;
    }
    if (!savedWeatherSwitches_) {
        const std::string ask =
            std::string("get ") + kRealWeather + "\r\nget " + kMetarUpdates + "\r\n";
        if (!connection_.send(ask, settings_.replyTimeout)) {
            return false;
        }
        const auto was = connection_.readLines(2, settings_.replyTimeout);
        if (!was) {
            return false;
        }
        // Only a switch's own words are kept to be written back later.
        const auto switchWord = [](const std::string& line) {
            const std::string word = withoutPrompt(line);
            return word == "true" || word == "false" || word == "1" || word == "0" ? word
                                                                                   : std::string();
        };
        savedWeatherSwitches_ =
            std::array<std::string, 2>{switchWord((*was)[0]), switchWord((*was)[1])};
    }
    if (!connection_.send(setb(kRealWeather, "false") + setb(kMetarUpdates, "false"),
                          settings_.replyTimeout)) {
        return false;
    }
    weatherTakenOver_ = true;
    return true;
}

void FlightGearLink::writeWeather(const std::string& kind, const std::string& lines) {
    weather_[kind] = lines;
    bool fresh = false;
    if (!ensureConnected(false, &fresh) || (fresh && weatherSending_)) {
        return;  // not connected, or just put back with everything else
    }
    if (takeOverWeather()) {
        connection_.send(lines, settings_.replyTimeout);
    }
}

void FlightGearLink::restoreWeather() {
    if (!savedWeatherSwitches_ || !connection_.isOpen() || connection_.peerClosed()) {
        return;
    }
    std::string lines;
    const auto& was = *savedWeatherSwitches_;
    if (!was[0].empty()) {
        lines += setb(kRealWeather, was[0]);
    }
    if (!was[1].empty()) {
        lines += setb(kMetarUpdates, was[1]);
    }
    connection_.send(lines, settings_.replyTimeout);
    weatherTakenOver_ = false;
}

// Autopilot.

void FlightGearLink::upd_APHead(double headingMagnetic) {
    writeAutopilot(heading_, setd("/autopilot/settings/heading-bug-deg", headingMagnetic) +
                                 set("/autopilot/locks/heading", "dg-heading-hold"));
}

void FlightGearLink::upd_APAlt(double altitudeFeet) {
    writeAutopilot(altitude_, setd("/autopilot/settings/target-altitude-ft", altitudeFeet) +
                                  set("/autopilot/locks/altitude", "altitude-hold"));
}

void FlightGearLink::upd_APAirSpeed(double knots) {
    writeAutopilot(speed_, setd("/autopilot/settings/target-speed-kt", knots) +
                               set("/autopilot/locks/speed", "speed-with-throttle"));
}

void FlightGearLink::upd_APMachNumber(double mach) {
    // The speed hold flies indicated knots: Mach to true airspeed at the aircraft's altitude,
    // then true to indicated, both in the standard atmosphere.
    const double trueKt = mach * BuiltInAircraft::speedOfSoundKt(lastAltitude_);
    const double indicated = BuiltInAircraft::indicatedFromTrue(trueKt, lastAltitude_);
    upd_APAirSpeed(std::round(indicated * 10.0) / 10.0);
}

// Weather.

void FlightGearLink::upd_observed(const ObservedWeather& o) {
    observed_ = o;
    if (!o.valid) {
        weather_.erase("observed");  // the classic layers and visibility rule again
        return;
    }
    std::string lines;
    for (std::size_t i = 0; i < kObservedLayers; ++i) {
        const std::string path = "/environment/clouds/layer[" + std::to_string(i) + "]/";
        const ObservedLayer* l = i < o.layers.size() ? &o.layers[i] : nullptr;
        lines += set(path + "coverage", l ? std::string_view(l->coverage) : "clear") +
                 setd(path + "elevation-ft", l ? l->base : 0) +
                 setd(path + "thickness-ft", l ? l->thickness : 0);
    }
    if (o.dewPointC) {
        for (std::size_t i = 0; i < 2; ++i) {  // the surface entries
            lines += setd(kEntries[i] + "dewpoint-degc", std::round(*o.dewPointC * 10) / 10);
        }
    }
    if (o.visibilityMetres) {
        for (const auto& e : kEntries) {
            lines += setd(e + "visibility-m", std::round(*o.visibilityMetres));
        }
        weather_.erase("visibility");
    }
    lines += setd("/environment/rain-norm", o.rain) + setd("/environment/snow-norm", o.snow);
    for (const char* kind : {"cloud 0", "cloud 1", "cloud 2", "rain"}) {
        weather_.erase(kind);
    }
    writeWeather("observed", lines);
}

void FlightGearLink::upd_visib(double statuteMiles) {
    if (observed_.valid && observed_.visibilityMetres) {
        return;  // the report's own visibility stands
    }
    std::string lines;
    for (const auto& e : kEntries) {
        lines += setd(e + "visibility-m", statuteMiles * kMetresPerStatuteMile);
    }
    writeWeather("visibility", lines);
}

void FlightGearLink::upd_temps(std::int32_t t0Alt, std::int32_t t0Deg, std::int32_t t1Alt,
                               std::int32_t t1Deg, std::int32_t t2Alt, std::int32_t t2Deg,
                               std::int32_t t3Alt, std::int32_t t3Deg, double pressureMb,
                               TemperatureScale scale) {
    // Each temperature layer becomes the sea-level temperature (Celsius, whatever the scale
    // sent) that gives it at its own altitude. FlightGear interpolates an entry's sea-level
    // temperature by height between its entries, so each entry gets the profile's at its own
    // elevation: a climb then meets the temperatures of the profile and nothing else, wherever
    // the wind layers put the entries.
    auto seaLevel = [scale](std::int32_t alt, std::int32_t deg) {
        return toCelsius(deg, scale) + kLapseRatePerFoot * alt;
    };
    const double surface = observed_.valid && observed_.temperatureC
                               ? *observed_.temperatureC + kLapseRatePerFoot * t0Alt
                               : seaLevel(t0Alt, t0Deg);
    const std::vector<double>& exact = observed_.temperaturesAloftC;
    const auto aloftLayer = [&](std::size_t i, std::int32_t alt, std::int32_t deg) {
        return observed_.valid && exact.size() == 3 ? exact[i] + kLapseRatePerFoot * alt
                                                    : seaLevel(alt, deg);
    };
    Temperatures t;
    t.profile = {std::pair<double, double>{t0Alt, surface},
                 {t1Alt, aloftLayer(0, t1Alt, t1Deg)},
                 {t2Alt, aloftLayer(1, t2Alt, t2Deg)},
                 {t3Alt, aloftLayer(2, t3Alt, t3Deg)}};
    std::stable_sort(t.profile.begin(), t.profile.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    t.inHg =
        std::round((observed_.valid && observed_.seaLevelInHg ? *observed_.seaLevelInHg
                                                              : pressureMb * kInHgPerMillibar) *
                   1000.0) /
        1000.0;
    temperatures_ = t;
    writeWeather("temperatures", temperatureLines(!fieldAloft_));
}

double FlightGearLink::seaLevelTemperatureAt(double altitudeFeet) const {
    const auto& p = temperatures_->profile;
    if (altitudeFeet <= p.front().first) {
        return p.front().second;
    }
    for (std::size_t i = 1; i < p.size(); ++i) {
        if (altitudeFeet <= p[i].first) {
            const double span = p[i].first - p[i - 1].first;
            const double f = span > 0 ? (altitudeFeet - p[i - 1].first) / span : 1.0;
            return p[i - 1].second + f * (p[i].second - p[i - 1].second);
        }
    }
    return p.back().second;
}

std::string FlightGearLink::temperatureLines(bool aloftEntries) const {
    std::string lines;
    if (!temperatures_) {
        return lines;
    }
    const double surface = temperatures_->profile.front().second;
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        // The boundary entries stand at the surface; the aloft ones where they were put.
        const double seaLevelC = i < 2 ? surface : seaLevelTemperatureAt(aloftElevations_[i - 2]);
        if (i < 2 || aloftEntries) {
            lines +=
                setd(kEntries[i] + "temperature-sea-level-degc", std::round(seaLevelC * 10) / 10);
        }
        lines += setd(kEntries[i] + "pressure-sea-level-inhg", temperatures_->inHg);
    }
    return lines;
}

void FlightGearLink::upd_cloud(int layer, std::int32_t base, std::int32_t top, double coverage) {
    if (observed_.valid) {
        return;  // every reported layer is drawn from the observation
    }
    const std::string path = "/environment/clouds/layer[" + std::to_string(layer) + "]/";
    writeWeather("cloud " + std::to_string(layer),
                 set(path + "coverage", coverageWord(coverage)) +
                     setd(path + "elevation-ft", base) +
                     setd(path + "thickness-ft", std::max(top - base, 0)));
}

void FlightGearLink::upd_cloud1(std::int32_t base, std::int32_t top, double coverage, std::int32_t,
                                std::int32_t, std::int32_t, double) {
    upd_cloud(0, base, top, coverage);
}

void FlightGearLink::upd_cloud2(std::int32_t base, std::int32_t top, double coverage, std::int32_t,
                                std::int32_t, std::int32_t, double) {
    upd_cloud(1, base, top, coverage);
}

void FlightGearLink::upd_wind0(std::int32_t, std::int32_t speed, double direction,
                               double turbulence, std::int32_t) {
    const bool exact = observed_.valid && observed_.windFrom && observed_.windKnots;
    std::string lines;
    for (std::size_t i = 0; i < 2; ++i) {
        lines += setd(kEntries[i] + "wind-from-heading-deg",
                      exact ? std::round(*observed_.windFrom * 10) / 10 : direction);
        lines += setd(kEntries[i] + "wind-speed-kt",
                      exact ? std::round(*observed_.windKnots * 10) / 10 : speed);
        lines += setd(kEntries[i] + "turbulence/magnitude-norm", turbulenceNorm(turbulence));
    }
    writeWeather("wind 0", lines);
}

void FlightGearLink::upd_aloft(int entry, std::int32_t base, std::int32_t speed, double direction,
                               double turbulence) {
    const std::string e = aloft(entry);
    const auto i = static_cast<std::size_t>(entry);
    auto& lines = layerWinds_[i];
    aloftElevations_[i] = base;
    // A blend sends the winds exactly beside their whole numbers.
    const bool exact = observed_.valid && observed_.windsAloft.size() == 3 && i < 3;
    lines = setd(e + "elevation-ft", base) +
            setd(e + "wind-from-heading-deg",
                 exact ? std::round(observed_.windsAloft[i].from * 10) / 10 : direction) +
            setd(e + "wind-speed-kt",
                 exact ? std::round(observed_.windsAloft[i].knots * 10) / 10 : speed) +
            setd(e + "turbulence/magnitude-norm", turbulenceNorm(turbulence));
    if (!fieldAloft_) {
        writeWeather("wind " + std::to_string(entry + 1), lines);
    }
}

void FlightGearLink::upd_aloft(const AloftSource& source) {
    aloft_ = source;
    std::string lines;
    if (aloft_) {
        const double lat = get_curr_lat();
        const double lon = get_curr_lon();
        if (lat == kNoPosition || lon == kNoPosition) {
            return;  // nowhere to sample: what the entries hold stays
        }
        for (std::size_t i = 0; i < kAloftElevations.size(); ++i) {
            const auto a = aloft_(lat, lon, kAloftElevations[i]);
            if (!a || !std::isfinite(a->speedKnots)) {
                continue;
            }
            const std::string e = aloft(static_cast<int>(i));
            // The height first: FlightGear works an entry's sea-level temperature out of the
            // temperature at its height.
            lines += setd(e + "elevation-ft", kAloftElevations[i]);
            if (a->direction && std::isfinite(*a->direction)) {
                lines += setd(e + "wind-from-heading-deg", std::round(*a->direction));
            }
            lines += setd(e + "wind-speed-kt", std::round(a->speedKnots * 10) / 10);
            if (a->temperatureC && std::isfinite(*a->temperatureC)) {
                lines += setd(e + "temperature-degc", std::round(*a->temperatureC * 10) / 10);
            }
        }
    }
    if (!lines.empty()) {
        if (!fieldAloft_) {
            fieldAloft_ = true;
            for (int layer = 1; layer <= 3; ++layer) {
                weather_.erase("wind " + std::to_string(layer));
            }
            if (temperatures_) {
                writeWeather("temperatures", temperatureLines(false));
            }
        }
        writeWeather("aloft field", lines);
        return;
    }
    if (fieldAloft_) {
        // The field no longer reaches the aircraft: the layers last sent take over again.
        fieldAloft_ = false;
        weather_.erase("aloft field");
        for (std::size_t i = 0; i < layerWinds_.size(); ++i) {
            if (!layerWinds_[i].empty()) {
                writeWeather("wind " + std::to_string(i + 1), layerWinds_[i]);
            }
        }
        if (temperatures_) {
            writeWeather("temperatures", temperatureLines(true));
        }
    }
}

std::optional<AloftAir> FlightGearLink::get_aloftHere() {
    if (!aloft_ || !fieldAloft_) {
        return std::nullopt;
    }
    const double lat = get_curr_lat();
    const double lon = get_curr_lon();
    const double alt = get_alt();
    if (lat == kNoPosition || lon == kNoPosition || alt < kAloftElevations[0]) {
        return std::nullopt;  // below the aloft entries the surface wind rules
    }
    return aloft_(lat, lon, alt);
}

void FlightGearLink::upd_wind1(std::int32_t base, double, std::int32_t speed, double direction,
                               double turbulence, std::int32_t) {
    upd_aloft(0, base, speed, direction, turbulence);
}

void FlightGearLink::upd_wind2(std::int32_t base, double, std::int32_t speed, double direction,
                               double turbulence, std::int32_t) {
    upd_aloft(1, base, speed, direction, turbulence);
}

void FlightGearLink::upd_wind3(std::int32_t base, double, std::int32_t speed, double direction,
                               double turbulence, std::int32_t) {
    upd_aloft(2, base, speed, direction, turbulence);
}

void FlightGearLink::upd_Tstorm(std::int32_t base, std::int32_t top, double coverage, std::int32_t,
                                std::int32_t, std::int32_t, double) {
    // FlightGear's basic environment has no thunderstorm; a towering third cloud layer with
    // rain is the nearest it offers. "Off" clears the layer and the rain.
    if (observed_.valid) {
        return;  // the report's own layers (a CB among them) and precipitation stand
    }
    const bool on = coverage > 0.0 && top > base;
    upd_cloud(2, on ? base : 0, on ? top : 0, on ? coverage : 0.0);
    writeWeather("rain", setd("/environment/rain-norm", on ? 1.0 : 0.0));
}

}  // namespace zephyra::simlink
