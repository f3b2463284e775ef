#include "cli/FlightTrace.h"

#include <cmath>
#include <cstdio>

#include "cli/FlightWeather.h"
#include "platform/Scheduler.h"
#include "simlink/BuiltInAircraft.h"

namespace zephyra::cli {

namespace {

constexpr double kInHgPerMillibar = 0.0295299830714;
constexpr double kMetresPerMile = 1609.344;

std::string fixed(double value, int decimals) {
    if (!std::isfinite(value)) {
        return {};
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string fixed(const std::optional<double>& value, int decimals) {
    return value ? fixed(*value, decimals) : std::string();
}

// A field as CSV takes it: quoted when it holds a comma, a quote or a line end.
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

}  // namespace

const std::vector<TraceWriter::Column>& TraceWriter::columns() {
    static const std::vector<Column> table{
        {"time_s", [](const TraceRow& r) { return fixed(r.seconds, 0); }},
        {"lat", [](const TraceRow& r) { return fixed(r.latitude, 5); }},
        {"lon", [](const TraceRow& r) { return fixed(r.longitude, 5); }},
        {"alt_ft", [](const TraceRow& r) { return fixed(r.altitudeFeet, 0); }},
        {"wind_dir_deg", [](const TraceRow& r) { return fixed(r.windDirection, 1); }},
        {"wind_kt", [](const TraceRow& r) { return fixed(r.windKnots, 2); }},
        {"temp_c", [](const TraceRow& r) { return fixed(r.temperatureC, 2); }},
        {"pressure_inhg", [](const TraceRow& r) { return fixed(r.pressureInHg, 3); }},
        {"visibility_sm", [](const TraceRow& r) { return fixed(r.visibilityMiles, 2); }},
        {"station", [](const TraceRow& r) { return csvField(r.station); }},
        {"dewpoint_c", [](const TraceRow& r) { return fixed(r.dewPointC, 2); }},
        {"stations", [](const TraceRow& r) { return csvField(r.stations); }},
    };
    return table;
}

TraceWriter::TraceWriter(std::ostream& out) : out_(out) {
    std::string line;
    for (const auto& c : columns()) {
        line += (line.empty() ? "" : ",") + std::string(c.name);
    }
    out_ << line << '\n';
}

void TraceWriter::write(const TraceRow& row) {
    std::string line;
    bool first = true;
    for (const auto& c : columns()) {
        if (!first) {
            line += ',';
        }
        first = false;
        line += c.value(row);
    }
    // Flushed row by row: a live flight may be ended by a signal.
    out_ << line << '\n' << std::flush;
}

FlightTrace::FlightTrace(std::ostream& out, platform::Scheduler& clock, Source source)
    : writer_(out), clock_(clock), source_(std::move(source)) {}

FlightTrace::~FlightTrace() = default;

void FlightTrace::start() {
    startedAt_ = clock_.now();
    if (!timer_) {
        timer_ = clock_.createTimer([this] { row(); });
    }
    row();
    timer_->setInterval(1000);
}

void FlightTrace::stop() {
    if (timer_) {
        timer_->setInterval(0);
    }
}

void FlightTrace::row() {
    TraceRow r = source_();
    r.seconds = clock_.now() - startedAt_;
    writer_.write(r);
    ++rows_;
}

TraceRow builtInTraceRow(const simlink::BuiltInAircraft& aircraft, const FlightWeather* weather) {
    TraceRow r;
    r.latitude = aircraft.latitude();
    r.longitude = aircraft.longitude();
    r.altitudeFeet = aircraft.altitude();
    const auto air = aircraft.air();
    r.windDirection = air.windDirection;
    r.windKnots = air.windSpeed;
    r.temperatureC = air.temperatureC;
    const auto& held = aircraft.weather();
    if (held.temperatures.received) {
        r.pressureInHg = held.temperatures.pressureMb * kInHgPerMillibar;
    }
    if (held.visibilityReceived) {
        r.visibilityMiles = held.visibilityStatuteMiles;
    }
    // A blend sends the surface exactly beside the classic whole numbers.
    const auto& o = held.observed;
    if (o.valid) {
        r.dewPointC = o.dewPointC;
        if (o.seaLevelInHg) {
            r.pressureInHg = *o.seaLevelInHg;
            if (o.visibilityMetres) {
                r.visibilityMiles = *o.visibilityMetres / kMetresPerMile;
            }
        }
    }
    if (weather != nullptr) {
        r.station = weather->station();
        r.stations = weather->stationWeights();
    }
    return r;
}

TraceRow liveTraceRow(simlink::SimLink& sim, const FlightWeather* weather) {
    TraceRow r;
    r.latitude = sim.get_curr_lat();
    if (r.latitude == simlink::SimLink::kNoPosition) {
        r.latitude = r.longitude = r.altitudeFeet = NAN;
        return r;
    }
    r.longitude = sim.get_curr_lon();
    r.altitudeFeet = sim.get_alt();
    if (const auto air = sim.get_aloftHere()) {
        r.windDirection = air->direction;
        r.windKnots = air->speedKnots;
        r.temperatureC = air->temperatureC;
    } else {
        const double alt = r.altitudeFeet;
        if (alt < sim.get_wind1Floor()) {
            r.windDirection = sim.get_wind0Dir();
            r.windKnots = sim.get_wind0Spd();
        } else if (alt < sim.get_wind2Floor()) {
            r.windDirection = sim.get_wind1Dir();
            r.windKnots = sim.get_wind1Spd();
        } else if (alt < sim.get_wind3Floor()) {
            r.windDirection = sim.get_wind2Dir();
            r.windKnots = sim.get_wind2Spd();
        } else {
            r.windDirection = sim.get_wind3Dir();
            r.windKnots = sim.get_wind3Spd();
        }
    }
    if (weather != nullptr) {
        r.station = weather->station();
        r.stations = weather->stationWeights();
        if (const WeatherLine* sent = weather->sentWeather(); sent != nullptr) {
            if (sent->pressureMb > 0) {
                r.pressureInHg = sent->pressureMb * kInHgPerMillibar;
            }
            if (sent->visibilityMiles > 0) {
                r.visibilityMiles = sent->visibilityMiles;
            }
        }
    }
    return r;
}

}  // namespace zephyra::cli
