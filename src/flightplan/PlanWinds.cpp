#include "flightplan/PlanWinds.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "flightplan/GreatCircle.h"
#include "simlink/BuiltInAircraft.h"
#include "weather/AloftField.h"
#include "weather/WindVector.h"

namespace zephyra::flightplan {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;
// Speed of sound in knots per square root of kelvin (dry air, 20.0468 m/s per sqrt(K)).
constexpr double kSoundKtPerRootKelvin = 38.967854;
constexpr double kSampleSpacingNm = 50.0;
constexpr int kMinSamples = 3;
constexpr int kMaxSamples = 40;

struct Position {
    double lat = 0.0;
    double lon = 0.0;
};

// The point a fraction f of the way along the great circle from a to b.
Position along(Position a, Position b, double f) {
    const auto vec = [](Position p) {
        const double la = p.lat * kRad, lo = p.lon * kRad;
        return std::array<double, 3>{std::cos(la) * std::cos(lo), std::cos(la) * std::sin(lo),
                                     std::sin(la)};
    };
    const auto u = vec(a), v = vec(b);
    const double cx = u[1] * v[2] - u[2] * v[1], cy = u[2] * v[0] - u[0] * v[2],
                 cz = u[0] * v[1] - u[1] * v[0];
    const double arc =
        std::atan2(std::sqrt(cx * cx + cy * cy + cz * cz), u[0] * v[0] + u[1] * v[1] + u[2] * v[2]);
    const double s = std::sin(arc);
    if (s < 1e-12) {
        return a;
    }
    const double wa = std::sin((1.0 - f) * arc) / s, wb = std::sin(f * arc) / s;
    const double x = wa * u[0] + wb * v[0], y = wa * u[1] + wb * v[1], z = wa * u[2] + wb * v[2];
    return {std::atan2(z, std::hypot(x, y)) / kRad, std::atan2(y, x) / kRad};
}

}  // namespace

WindComponents windComponents(double courseTrue, double windFrom, double windKnots) {
    const double a = (windFrom - courseTrue) * kRad;
    return {-windKnots * std::cos(a), windKnots * std::sin(a)};
}

std::optional<double> windGroundSpeed(double trueAirspeedKt, WindComponents wind) {
    const double along = trueAirspeedKt * trueAirspeedKt - wind.crosswind * wind.crosswind;
    if (!(trueAirspeedKt > 0.0) || along <= 0.0) {
        return std::nullopt;
    }
    const double gs = std::sqrt(along) + wind.tailwind;
    if (!(gs > 0.0)) {
        return std::nullopt;
    }
    return gs;
}

std::optional<double> planTrueAirspeed(double speed, double altitudeFeet,
                                       std::optional<double> temperatureC) {
    if (!(speed > 0.0) || !std::isfinite(speed)) {
        return std::nullopt;
    }
    if (speed >= 1.0) {
        return simlink::BuiltInAircraft::trueFromIndicated(speed, altitudeFeet, temperatureC);
    }
    if (temperatureC && *temperatureC > -273.15) {
        return speed * kSoundKtPerRootKelvin * std::sqrt(*temperatureC + 273.15);
    }
    return speed * simlink::BuiltInAircraft::speedOfSoundKt(altitudeFeet);
}

LegWind legWind(double fromLat, double fromLon, double toLat, double toLon, double altitudeFeet,
                double speed, const weather::AloftField* field, std::int64_t when) {
    LegWind leg;
    const auto cd = sphericalCourseDistance(fromLat, fromLon, toLat, toLon);
    leg.courseTrue = cd.course;
    leg.distanceNm = cd.distance;
    leg.altitudeFeet = altitudeFeet;

    // The wind and temperature averaged over the samples the forecasts reach.
    weather::WindVector wind;
    double tail = 0.0, cross = 0.0, temperature = 0.0;
    int reached = 0, warm = 0;
    if (field != nullptr && !field->empty()) {
        const int n = std::clamp(static_cast<int>(std::ceil(cd.distance / kSampleSpacingNm)),
                                 kMinSamples, kMaxSamples);
        double nearestMiddle = n;  // the source is that of the sample nearest the middle
        for (int i = 0; i < n; ++i) {
            const Position p = along({fromLat, fromLon}, {toLat, toLon}, (i + 0.5) / n);
            const auto s = field->at(p.lat, p.lon, altitudeFeet, when);
            if (!s) {
                continue;
            }
            ++reached;
            if (std::fabs(i + 0.5 - n / 2.0) < nearestMiddle) {
                nearestMiddle = std::fabs(i + 0.5 - n / 2.0);
                leg.source = s->source;
                leg.validTime = s->validTime;
            }
            if (s->temperature) {
                temperature += *s->temperature;
                ++warm;
            }
            if (!s->direction) {
                continue;  // light and variable: no wind to add
            }
            wind.add(1.0, *s->direction, s->speedKnots);
            const double course = cd.distance > 0.0
                                      ? sphericalCourseDistance(p.lat, p.lon, toLat, toLon).course
                                      : leg.courseTrue;
            const auto c = windComponents(course, *s->direction, s->speedKnots);
            tail += c.tailwind;
            cross += c.crosswind;
        }
    }
    if (reached > 0) {
        leg.forecast = true;
        leg.windKnots = wind.knots() / reached;
        if (leg.windKnots >= 0.5) {
            leg.windDirection = wind.from();
        }
        leg.tailwindKt = tail / reached;
        leg.crosswindKt = cross / reached;
    }
    leg.tasKt = planTrueAirspeed(
        speed, altitudeFeet, warm > 0 ? std::optional<double>(temperature / warm) : std::nullopt);
    if (leg.tasKt) {
        leg.groundSpeedKt = windGroundSpeed(*leg.tasKt, {leg.tailwindKt, leg.crosswindKt});
        if (leg.groundSpeedKt) {
            leg.minutes = leg.distanceNm / *leg.groundSpeedKt * 60.0;
        }
    }
    return leg;
}

}  // namespace zephyra::flightplan
