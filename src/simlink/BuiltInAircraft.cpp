#include "simlink/BuiltInAircraft.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zephyra::simlink {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;
constexpr double kMaxStepSeconds = 1.0;

double normalize360(double degrees) {
    double d = std::fmod(degrees, 360.0);
    if (d < 0.0) {
        d += 360.0;
    }
    // fmod of a tiny negative value plus 360 rounds to 360 itself.
    return d >= 360.0 ? 0.0 : d;
}

// Into (-180, 180]: a turn of exactly 180 goes right.
double wrap180(double degrees) {
    double d = std::fmod(degrees, 360.0);
    if (d > 180.0) {
        d -= 360.0;
    } else if (d <= -180.0) {
        d += 360.0;
    }
    return d;
}

double wrapLongitude(double degrees) {
    if (degrees >= -180.0 && degrees <= 180.0) {
        return degrees;
    }
    double d = std::fmod(degrees + 180.0, 360.0);
    if (d < 0.0) {
        d += 360.0;
    }
    return d - 180.0;
}

// Moves value towards target by at most maxChange, never past it.
void approach(double& value, double target, double maxChange) {
    if (std::abs(target - value) <= maxChange) {
        value = target;
    } else {
        value += target > value ? maxChange : -maxChange;
    }
}

}  // namespace

BuiltInAircraft::BuiltInAircraft(platform::Scheduler& scheduler)
    : scheduler_(scheduler), timer_(scheduler.createTimer([this] { tick(); })) {}

BuiltInAircraft::~BuiltInAircraft() = default;

void BuiltInAircraft::start() {
    if (running_) {
        return;
    }
    running_ = true;
    lastTick_ = scheduler_.now();
    timer_->setInterval(tickMs_);
}

void BuiltInAircraft::stop() {
    if (!running_) {
        return;
    }
    tick();
    running_ = false;
    // The timer is kept, only idled: stop() may be called from inside its own handler.
    timer_->setInterval(0);
}

void BuiltInAircraft::setTickInterval(int milliseconds) {
    tickMs_ = std::max(1, milliseconds);
    if (running_) {
        tick();
        timer_->setInterval(tickMs_);
    }
}

void BuiltInAircraft::tick() {
    const double now = scheduler_.now();
    const double elapsed = now - lastTick_;
    lastTick_ = now;
    advance(elapsed);
}

void BuiltInAircraft::advance(double seconds) {
    if (!(seconds > 0.0) || !std::isfinite(seconds)) {
        return;
    }
    // Short sub-steps keep turns and climbs smooth when a live timer fires late.
    const auto steps = static_cast<std::int64_t>(std::ceil(seconds / kMaxStepSeconds));
    const double dt = seconds / static_cast<double>(steps);
    for (std::int64_t i = 0; i < steps; ++i) {
        step(dt);
    }
    flownSeconds_ += seconds;
    if (onChanged) {
        onChanged();
    }
}

void BuiltInAircraft::step(double dt) {
    const double turn = wrap180(targetHeading_ - heading_);
    if (std::abs(turn) <= kTurnRate * dt) {
        heading_ = targetHeading_;
    } else {
        heading_ = normalize360(heading_ + std::copysign(kTurnRate * dt, turn));
    }
    approach(alt_, targetAlt_, kClimbRate * dt);
    approach(tas_, targetTrueAirspeed(), kAcceleration * dt);

    const Air here = air();
    const double windSpeed = std::max(0.0, here.windSpeed);
    // The direction is where the wind comes from, so it pushes the other way.
    const double vNorth = tas_ * std::cos(heading_ * kDegToRad) -
                          windSpeed * std::cos(here.windDirection * kDegToRad);
    const double vEast = tas_ * std::sin(heading_ * kDegToRad) -
                         windSpeed * std::sin(here.windDirection * kDegToRad);

    const double hours = dt / 3600.0;
    const double cosLat = std::cos(lat_ * kDegToRad);
    lat_ = std::clamp(lat_ + vNorth * hours / 60.0, -kMaxLatitude, kMaxLatitude);
    lon_ = wrapLongitude(lon_ + vEast * hours / (60.0 * cosLat));
    distanceNm_ += std::hypot(vNorth, vEast) * hours;
}

namespace {

constexpr double kTropopauseFeet = 36089.24;
constexpr double kSeaLevelSoundKt = 661.4786;

double isaKelvin(double altitudeFeet) {
    return std::max(216.65, 288.15 - 0.0019812 * altitudeFeet);
}

// The standard atmosphere's pressure at an altitude over its sea-level pressure.
double isaPressureRatio(double altitudeFeet) {
    if (altitudeFeet <= kTropopauseFeet) {
        return std::pow(1.0 - 6.8755856e-6 * std::max(altitudeFeet, -5000.0), 5.2558797);
    }
    return 0.2233609 * std::exp(-4.806346e-5 * (altitudeFeet - kTropopauseFeet));
}

// Impact pressure over static pressure for a Mach number, and back (subsonic flow).
double impactRatioOfMach(double mach) {
    return std::pow(1.0 + 0.2 * mach * mach, 3.5) - 1.0;
}

double machOfImpactRatio(double ratio) {
    return std::sqrt(std::max(0.0, 5.0 * (std::pow(ratio + 1.0, 2.0 / 7.0) - 1.0)));
}

}  // namespace

double BuiltInAircraft::speedOfSoundKt(double altitudeFeet) {
    return kSeaLevelSoundKt * std::sqrt(isaKelvin(altitudeFeet) / 288.15);
}

double BuiltInAircraft::trueFromIndicated(double indicatedKt, double altitudeFeet,
                                          std::optional<double> temperatureC) {
    if (!(indicatedKt > 0.0)) {
        return 0.0;
    }
    const double seaLevel = impactRatioOfMach(indicatedKt / kSeaLevelSoundKt);
    const double mach = machOfImpactRatio(seaLevel / isaPressureRatio(altitudeFeet));
    const double kelvin =
        temperatureC && *temperatureC > -100.0 ? *temperatureC + 273.15 : isaKelvin(altitudeFeet);
    return mach * kSeaLevelSoundKt * std::sqrt(kelvin / 288.15);
}

double BuiltInAircraft::indicatedFromTrue(double trueKt, double altitudeFeet) {
    if (!(trueKt > 0.0)) {
        return 0.0;
    }
    const double atAltitude = impactRatioOfMach(trueKt / speedOfSoundKt(altitudeFeet));
    return kSeaLevelSoundKt * machOfImpactRatio(atAltitude * isaPressureRatio(altitudeFeet));
}

double BuiltInAircraft::targetTrueAirspeed() const {
    switch (speedMode_) {
        case SpeedMode::IndicatedAirspeed:
            return std::max(0.0, trueFromIndicated(speedSetting_, alt_));
        case SpeedMode::Mach:
            return speedSetting_ * speedOfSoundKt(alt_);
        case SpeedMode::TrueAirspeed:
            break;
    }
    return speedSetting_;
}

double BuiltInAircraft::magneticHeading() const {
    return normalize360(heading_ - magVar_);
}

double BuiltInAircraft::windFloor(int layer) const {
    const WindLayer& wind = weather_.wind[static_cast<std::size_t>(layer)];
    return wind.received ? wind.base : kDefaultWindFloors[static_cast<std::size_t>(layer - 1)];
}

int BuiltInAircraft::windLayerAt(double altitudeFeet) const {
    for (int layer = 1; layer <= 3; ++layer) {
        if (altitudeFeet < windFloor(layer)) {
            return layer - 1;
        }
    }
    return 3;
}

std::optional<AloftAir> BuiltInAircraft::fieldHere() const {
    if (!aloft_ || windLayerAt(alt_) == 0) {
        return std::nullopt;  // the surface layer is the station's own wind
    }
    auto a = aloft_(lat_, lon_, alt_);
    if (a && (!std::isfinite(a->speedKnots) || (a->direction && !std::isfinite(*a->direction)))) {
        return std::nullopt;
    }
    return a;
}

std::optional<double> BuiltInAircraft::layerTemperature(double altitudeFeet) const {
    const Temperatures& t = weather_.temperatures;
    if (!t.received) {
        return std::nullopt;
    }
    // A blend sends the temperatures exactly beside their whole degrees.
    const ObservedWeather& o = weather_.observed;
    const auto c = [&](std::size_t i) {
        if (o.valid && i == 0 && o.temperatureC) {
            return *o.temperatureC;
        }
        if (o.valid && i > 0 && o.temperaturesAloftC.size() == 3) {
            return o.temperaturesAloftC[i - 1];
        }
        return toCelsius(t.degrees[i], t.scale);
    };
    if (altitudeFeet <= t.altitude[0]) {
        return c(0);
    }
    for (std::size_t i = 1; i < t.altitude.size(); ++i) {
        if (altitudeFeet <= t.altitude[i]) {
            const double span = t.altitude[i] - t.altitude[i - 1];
            const double f = span > 0 ? (altitudeFeet - t.altitude[i - 1]) / span : 1.0;
            return c(i - 1) + f * (c(i) - c(i - 1));
        }
    }
    return c(t.altitude.size() - 1);
}

BuiltInAircraft::Air BuiltInAircraft::air() const {
    Air out;
    const auto field = fieldHere();
    const WindLayer& wind = weather_.wind[static_cast<std::size_t>(windLayerAt(alt_))];
    if (field) {
        out.fromField = true;
        out.windSpeed = field->speedKnots;
        out.windDirection = field->direction.value_or(wind.direction);
        out.temperatureC = field->temperatureC;
    } else {
        out.windSpeed = wind.speed;
        out.windDirection = wind.direction;
        // A blend sends the winds exactly beside their whole knots and degrees.
        const ObservedWeather& o = weather_.observed;
        const auto layer = static_cast<std::size_t>(windLayerAt(alt_));
        if (o.valid && layer == 0 && o.windFrom && o.windKnots) {
            out.windSpeed = *o.windKnots;
            out.windDirection = *o.windFrom;
        } else if (o.valid && layer > 0 && o.windsAloft.size() == 3) {
            out.windSpeed = o.windsAloft[layer - 1].knots;
            out.windDirection = o.windsAloft[layer - 1].from;
        }
    }
    if (!out.temperatureC) {
        out.temperatureC = layerTemperature(alt_);
    }
    return out;
}

void BuiltInAircraft::upd_aloft(const AloftSource& source) {
    aloft_ = source;
}

std::optional<AloftAir> BuiltInAircraft::get_aloftHere() {
    return running_ ? fieldHere() : std::nullopt;
}

// Non-finite values are ignored: one bad number would otherwise stick to the aircraft.

void BuiltInAircraft::setLatitude(double degrees) {
    if (std::isfinite(degrees)) {
        lat_ = std::clamp(degrees, -kMaxLatitude, kMaxLatitude);
    }
}

void BuiltInAircraft::setLongitude(double degrees) {
    if (std::isfinite(degrees)) {
        lon_ = wrapLongitude(degrees);
    }
}

void BuiltInAircraft::setAltitude(double feet) {
    if (std::isfinite(feet)) {
        alt_ = targetAlt_ = feet;
    }
}

void BuiltInAircraft::setHeading(double trueDegrees) {
    if (std::isfinite(trueDegrees)) {
        heading_ = targetHeading_ = normalize360(trueDegrees);
    }
}

void BuiltInAircraft::setAirspeed(double trueKnots) {
    if (std::isfinite(trueKnots)) {
        tas_ = speedSetting_ = std::max(0.0, trueKnots);
        speedMode_ = SpeedMode::TrueAirspeed;
    }
}

void BuiltInAircraft::setMagVar(double degrees) {
    if (std::isfinite(degrees)) {
        magVar_ = normalize360(degrees);
    }
}

// --- Log ---

void BuiltInAircraft::log(std::string_view name, std::initializer_list<double> args) {
    auto count = callCounts_.find(name);
    if (count == callCounts_.end()) {
        callCounts_.emplace(std::string(name), 1);
    } else {
        ++count->second;
    }
    if (logLimit_ == 0) {
        return;
    }
    if (calls_.size() >= logLimit_) {
        // The oldest entry makes room, and its buffers serve the new one: a flight logs tens
        // of thousands of calls.
        Call reused = std::move(calls_.front());
        calls_.pop_front();
        reused.name.assign(name);
        reused.args.assign(args.begin(), args.end());
        reused.time = scheduler_.now();
        calls_.push_back(std::move(reused));
    } else {
        calls_.push_back(Call{std::string(name), std::vector<double>(args), scheduler_.now()});
    }
    while (calls_.size() > logLimit_) {
        calls_.pop_front();
    }
}

int BuiltInAircraft::callCount(std::string_view name) const {
    const auto it = callCounts_.find(name);
    return it == callCounts_.end() ? 0 : it->second;
}

const BuiltInAircraft::Call* BuiltInAircraft::lastCall(std::string_view name) const {
    for (auto it = calls_.rbegin(); it != calls_.rend(); ++it) {
        if (it->name == name) {
            return &*it;
        }
    }
    return nullptr;
}

void BuiltInAircraft::clearLog() {
    calls_.clear();
    callCounts_.clear();
}

void BuiltInAircraft::setLogLimit(std::size_t calls) {
    logLimit_ = calls;
    while (calls_.size() > logLimit_) {
        calls_.pop_front();
    }
}

// --- SimLink getters ---

double BuiltInAircraft::get_curr_lat() {
    return whileRunning(lat_);
}
double BuiltInAircraft::get_curr_lon() {
    return whileRunning(lon_);
}
double BuiltInAircraft::get_alt() {
    return whileRunning(alt_);
}
double BuiltInAircraft::get_TAS() {
    return whileRunning(tas_);
}
double BuiltInAircraft::get_MagVar() {
    return whileRunning(magVar_);
}
double BuiltInAircraft::get_wind0Dir() {
    return whileRunning(weather_.wind[0].direction);
}
double BuiltInAircraft::get_wind1Dir() {
    return whileRunning(weather_.wind[1].direction);
}
double BuiltInAircraft::get_wind2Dir() {
    return whileRunning(weather_.wind[2].direction);
}
double BuiltInAircraft::get_wind3Dir() {
    return whileRunning(weather_.wind[3].direction);
}
double BuiltInAircraft::get_wind0Spd() {
    return whileRunning(weather_.wind[0].speed);
}
double BuiltInAircraft::get_wind1Spd() {
    return whileRunning(weather_.wind[1].speed);
}
double BuiltInAircraft::get_wind2Spd() {
    return whileRunning(weather_.wind[2].speed);
}
double BuiltInAircraft::get_wind3Spd() {
    return whileRunning(weather_.wind[3].speed);
}
double BuiltInAircraft::get_wind1Floor() {
    return whileRunning(windFloor(1));
}
double BuiltInAircraft::get_wind2Floor() {
    return whileRunning(windFloor(2));
}
double BuiltInAircraft::get_wind3Floor() {
    return whileRunning(windFloor(3));
}

// --- Autopilot ---

void BuiltInAircraft::upd_APHead(double headingMagnetic) {
    log("upd_APHead", {headingMagnetic});
    if (std::isfinite(headingMagnetic)) {
        targetHeading_ = normalize360(headingMagnetic + magVar_);
    }
}

void BuiltInAircraft::upd_APAlt(double altitudeFeet) {
    log("upd_APAlt", {altitudeFeet});
    if (std::isfinite(altitudeFeet)) {
        targetAlt_ = altitudeFeet;
    }
}

void BuiltInAircraft::upd_APAirSpeed(double knots) {
    log("upd_APAirSpeed", {knots});
    if (std::isfinite(knots)) {
        speedMode_ = SpeedMode::IndicatedAirspeed;
        speedSetting_ = std::max(0.0, knots);
    }
}

void BuiltInAircraft::upd_APMachNumber(double mach) {
    log("upd_APMachNumber", {mach});
    if (std::isfinite(mach)) {
        speedMode_ = SpeedMode::Mach;
        speedSetting_ = std::max(0.0, mach);
    }
}

// --- Weather ---

void BuiltInAircraft::upd_observed(const ObservedWeather& observed) {
    log("upd_observed", {double(observed.layers.size()), observed.dewPointC.value_or(-999.0),
                         observed.visibilityMetres.value_or(-1.0)});
    weather_.observed = observed;
}

void BuiltInAircraft::upd_visib(double statuteMiles) {
    log("upd_visib", {statuteMiles});
    weather_.visibilityReceived = true;
    weather_.visibilityStatuteMiles = statuteMiles;
}

void BuiltInAircraft::upd_temps(std::int32_t t0Alt, std::int32_t t0Deg, std::int32_t t1Alt,
                                std::int32_t t1Deg, std::int32_t t2Alt, std::int32_t t2Deg,
                                std::int32_t t3Alt, std::int32_t t3Deg, double pressureMb,
                                TemperatureScale scale) {
    log("upd_temps",
        {static_cast<double>(t0Alt), static_cast<double>(t0Deg), static_cast<double>(t1Alt),
         static_cast<double>(t1Deg), static_cast<double>(t2Alt), static_cast<double>(t2Deg),
         static_cast<double>(t3Alt), static_cast<double>(t3Deg), pressureMb});
    Temperatures& t = weather_.temperatures;
    t.received = true;
    t.altitude = {t0Alt, t1Alt, t2Alt, t3Alt};
    t.degrees = {t0Deg, t1Deg, t2Deg, t3Deg};
    t.pressureMb = pressureMb;
    t.scale = scale;
}

namespace {

void storeCloud(BuiltInAircraft::CloudLayer& layer, std::int32_t base, std::int32_t top,
                double coverage, std::int32_t deviation, std::int32_t reserved, std::int32_t icing,
                double turbulence) {
    layer = {true, base, top, coverage, deviation, reserved, icing, turbulence};
}

}  // namespace

void BuiltInAircraft::upd_cloud1(std::int32_t base, std::int32_t top, double coverage,
                                 std::int32_t deviation, std::int32_t reserved, std::int32_t icing,
                                 double turbulence) {
    log("upd_cloud1", {static_cast<double>(base), static_cast<double>(top), coverage,
                       static_cast<double>(deviation), static_cast<double>(reserved),
                       static_cast<double>(icing), turbulence});
    storeCloud(weather_.cloud1, base, top, coverage, deviation, reserved, icing, turbulence);
}

void BuiltInAircraft::upd_cloud2(std::int32_t base, std::int32_t top, double coverage,
                                 std::int32_t deviation, std::int32_t reserved, std::int32_t icing,
                                 double turbulence) {
    log("upd_cloud2", {static_cast<double>(base), static_cast<double>(top), coverage,
                       static_cast<double>(deviation), static_cast<double>(reserved),
                       static_cast<double>(icing), turbulence});
    storeCloud(weather_.cloud2, base, top, coverage, deviation, reserved, icing, turbulence);
}

void BuiltInAircraft::upd_Tstorm(std::int32_t base, std::int32_t top, double coverage,
                                 std::int32_t deviation, std::int32_t reserved, std::int32_t icing,
                                 double turbulence) {
    log("upd_Tstorm", {static_cast<double>(base), static_cast<double>(top), coverage,
                       static_cast<double>(deviation), static_cast<double>(reserved),
                       static_cast<double>(icing), turbulence});
    storeCloud(weather_.thunderstorm, base, top, coverage, deviation, reserved, icing, turbulence);
}

void BuiltInAircraft::upd_wind0(std::int32_t depth, std::int32_t speed, double direction,
                                double turbulence, std::int32_t gust) {
    log("upd_wind0", {static_cast<double>(depth), static_cast<double>(speed), direction, turbulence,
                      static_cast<double>(gust)});
    weather_.wind[0] = {true, depth, 0.0, speed, direction, turbulence, gust};
}

void BuiltInAircraft::upd_wind1(std::int32_t base, double top, std::int32_t speed, double direction,
                                double turbulence, std::int32_t gust) {
    log("upd_wind1", {static_cast<double>(base), top, static_cast<double>(speed), direction,
                      turbulence, static_cast<double>(gust)});
    weather_.wind[1] = {true, base, top, speed, direction, turbulence, gust};
}

void BuiltInAircraft::upd_wind2(std::int32_t base, double top, std::int32_t speed, double direction,
                                double turbulence, std::int32_t gust) {
    log("upd_wind2", {static_cast<double>(base), top, static_cast<double>(speed), direction,
                      turbulence, static_cast<double>(gust)});
    weather_.wind[2] = {true, base, top, speed, direction, turbulence, gust};
}

void BuiltInAircraft::upd_wind3(std::int32_t base, double top, std::int32_t speed, double direction,
                                double turbulence, std::int32_t gust) {
    log("upd_wind3", {static_cast<double>(base), top, static_cast<double>(speed), direction,
                      turbulence, static_cast<double>(gust)});
    weather_.wind[3] = {true, base, top, speed, direction, turbulence, gust};
}

}  // namespace zephyra::simlink
