#include "cli/SimCommand.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <optional>
#include <string_view>

#include "platform/VirtualScheduler.h"
#include "simlink/BuiltInAircraft.h"

namespace zephyra::cli {

namespace {

constexpr double kMaxSeconds = 10.0 * 24.0 * 3600.0;

constexpr std::string_view kUsage =
    R"(usage: zephyra-cli sim [options]

Flies the built-in aircraft in simulated time (no waiting) and prints its final state.

  --seconds N          time to fly, 0..864000 (default 600)
  --heading DEG        autopilot heading bug, magnetic, 0..360
  --altitude FT        autopilot altitude, -2000..100000
  --speed KT           autopilot indicated airspeed in knots, up to 1000;
                       a value below 1 is a Mach number instead
  --lat DEG            start latitude, -90..90, north positive, kept within 89.9
                       (default 33.6367)
  --lon DEG            start longitude, -180..180, east positive (default -84.4281)
  --start-altitude FT  start altitude, -2000..100000 (default 3000)
  --start-heading DEG  start true heading, 0..360 (default 90)
  --start-speed KT     start true airspeed, 0..1000 (default 120)
  --magvar DEG         magnetic variation, east positive; 180..360 also means west
                       (-5 and 355 are both 5 W; default 0)
  --wind DIR/SPD       wind from DIR degrees true (0..360) at SPD knots (0..500),
                       the same in every layer
  --help               show this text

Without autopilot options the aircraft holds its start heading, altitude and speed.
Options may also be written --name=value.

Output, one "key: value" line each: time (s), latitude and longitude (deg),
altitude (ft), heading (true, deg), magnetic heading (deg), true airspeed (kt),
ground distance (nm flown over the ground).
)";

struct Options {
    double seconds = 600.0;
    std::optional<double> heading;
    std::optional<double> altitude;
    std::optional<double> speed;
    std::optional<double> lat;
    std::optional<double> lon;
    std::optional<double> startAltitude;
    std::optional<double> startHeading;
    std::optional<double> startSpeed;
    std::optional<double> magvar;
    std::optional<double> windDirection;
    std::optional<double> windSpeed;
};

std::optional<double> parseNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

struct Range {
    double min;
    double max;
};

// Reads one option's value into target; returns an error text, empty on success.
std::string readValue(std::string_view name, std::string_view text, Range range,
                      std::optional<double>& target) {
    const auto value = parseNumber(text);
    if (!value) {
        return "--" + std::string(name) + ": not a number: " + std::string(text);
    }
    if (*value < range.min || *value > range.max) {
        return "--" + std::string(name) + ": out of range: " + std::string(text);
    }
    target = value;
    return {};
}

std::string readWind(std::string_view text, Options& options) {
    const auto slash = text.find('/');
    if (slash == std::string_view::npos) {
        return "--wind: expected DIR/SPD, got: " + std::string(text);
    }
    std::string error =
        readValue("wind", text.substr(0, slash), {0.0, 360.0}, options.windDirection);
    if (error.empty()) {
        error = readValue("wind", text.substr(slash + 1), {0.0, 500.0}, options.windSpeed);
    }
    return error;
}

// Returns an error text, empty on success; sets help when --help was given.
std::string parse(const std::vector<std::string>& args, Options& options, bool& help) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            continue;
        }
        if (arg.substr(0, 2) != "--") {
            return "unexpected argument: " + std::string(arg);
        }
        std::string_view name = arg.substr(2);
        std::string_view value;
        if (const auto eq = name.find('='); eq != std::string_view::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return "--" + std::string(name) + ": missing value";
        }

        std::optional<double> seconds;
        std::string error;
        if (name == "seconds") {
            error = readValue(name, value, {0.0, kMaxSeconds}, seconds);
            if (seconds) {
                options.seconds = *seconds;
            }
        } else if (name == "heading") {
            error = readValue(name, value, {0.0, 360.0}, options.heading);
        } else if (name == "altitude") {
            error = readValue(name, value, {-2000.0, 100000.0}, options.altitude);
        } else if (name == "speed") {
            error = readValue(name, value, {0.0, 1000.0}, options.speed);
            if (error.empty() && *options.speed <= 0.0) {
                error = "--speed: must be above 0";
            }
        } else if (name == "lat") {
            error = readValue(name, value, {-90.0, 90.0}, options.lat);
        } else if (name == "lon") {
            error = readValue(name, value, {-180.0, 180.0}, options.lon);
        } else if (name == "start-altitude") {
            error = readValue(name, value, {-2000.0, 100000.0}, options.startAltitude);
        } else if (name == "start-heading") {
            error = readValue(name, value, {0.0, 360.0}, options.startHeading);
        } else if (name == "start-speed") {
            error = readValue(name, value, {0.0, 1000.0}, options.startSpeed);
        } else if (name == "magvar") {
            error = readValue(name, value, {-180.0, 360.0}, options.magvar);
        } else if (name == "wind") {
            error = readWind(value, options);
        } else {
            return "unknown option: --" + std::string(name);
        }
        if (!error.empty()) {
            return error;
        }
    }
    return {};
}

// Rounded for printing, so 359.97 shows as 0.0 rather than 360.0.
double headingForPrint(double degrees) {
    const double rounded = std::round(degrees * 10.0) / 10.0;
    return rounded >= 360.0 ? rounded - 360.0 : rounded;
}

}  // namespace

int runSimCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options options;
    bool help = false;
    if (const std::string error = parse(args, options, help); !error.empty()) {
        err << "zephyra-cli sim: " << error << "\n\n" << kUsage;
        return 2;
    }
    if (help) {
        out << kUsage;
        return 0;
    }

    platform::VirtualScheduler scheduler;
    simlink::BuiltInAircraft aircraft(scheduler);
    aircraft.setLogLimit(0);  // nobody reads the log here

    // Start state and variation first: the heading bug is converted with the variation.
    if (options.lat) {
        aircraft.setLatitude(*options.lat);
    }
    if (options.lon) {
        aircraft.setLongitude(*options.lon);
    }
    if (options.startAltitude) {
        aircraft.setAltitude(*options.startAltitude);
    }
    if (options.startHeading) {
        aircraft.setHeading(*options.startHeading);
    }
    if (options.startSpeed) {
        aircraft.setAirspeed(*options.startSpeed);
    }
    if (options.magvar) {
        aircraft.setMagVar(*options.magvar);
    }
    if (options.heading) {
        aircraft.upd_APHead(*options.heading);
    }
    if (options.altitude) {
        aircraft.upd_APAlt(*options.altitude);
    }
    if (options.speed) {
        if (*options.speed < 1.0) {
            aircraft.upd_APMachNumber(*options.speed);
        } else {
            aircraft.upd_APAirSpeed(*options.speed);
        }
    }
    if (options.windDirection && options.windSpeed) {
        const auto speed = static_cast<std::int32_t>(std::lround(*options.windSpeed));
        const double direction = *options.windDirection;
        // The same wind in every layer, on the default floors.
        const auto& floors = simlink::BuiltInAircraft::kDefaultWindFloors;
        aircraft.upd_wind0(static_cast<std::int32_t>(floors[0]), speed, direction, 0.0, 0);
        aircraft.upd_wind1(static_cast<std::int32_t>(floors[0]), floors[1], speed, direction, 0.0,
                           0);
        aircraft.upd_wind2(static_cast<std::int32_t>(floors[1]), floors[2], speed, direction, 0.0,
                           0);
        aircraft.upd_wind3(static_cast<std::int32_t>(floors[2]), 100000.0, speed, direction, 0.0,
                           0);
    }

    aircraft.start();
    scheduler.advance(options.seconds);
    aircraft.stop();  // flies the part of a second the last tick did not

    out << std::fixed;
    out << "time: " << std::setprecision(1) << aircraft.flownSeconds() << '\n';
    out << "latitude: " << std::setprecision(6) << aircraft.latitude() << '\n';
    out << "longitude: " << std::setprecision(6) << aircraft.longitude() << '\n';
    out << "altitude: " << std::setprecision(1) << aircraft.altitude() << '\n';
    out << "heading: " << std::setprecision(1) << headingForPrint(aircraft.heading()) << '\n';
    out << "magnetic heading: " << std::setprecision(1)
        << headingForPrint(aircraft.magneticHeading()) << '\n';
    out << "true airspeed: " << std::setprecision(1) << aircraft.trueAirspeed() << '\n';
    out << "ground distance: " << std::setprecision(2) << aircraft.groundDistanceNm() << '\n';
    return 0;
}

}  // namespace zephyra::cli
