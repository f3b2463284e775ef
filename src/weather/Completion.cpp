#include "weather/Completion.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/Random.h"
#include "weather/AloftField.h"

namespace zephyra::weather {

namespace {

double Int(double v) {
    return std::floor(v);
}

double capTurbulence(double v) {
    return std::min(v, 255.0);
}

// The icing band: a layer ices when its base or top lies between 22 and 34 degrees.
bool ices(int surface, int height) {
    const double t = surface - height * 0.0035;
    return t >= 22.0 && t <= 34.0;
}

double wrapDirection(double d) {
    if (d < 0) {
        d += 360;
    }
    if (d > 360) {
        d -= 360;
    }
    return d;
}

// A third of the turn from the surface wind towards the target, the shorter way round.
double directionStep(double surface, double target) {
    if (surface < target) {
        const double a = target - surface;
        const double b = target - 360 - surface;
        return std::fabs(a) <= std::fabs(b) ? a / 3 : b / 3;
    }
    return (target - surface) / 3;
}

// Turbulence of a wind layer: calmer winds are turbulent less often (the cube of a draw).
double layerTurbulence(double speed, double threshold, double factor, double layerMultiplier,
                       platform::Random& rnd) {
    double t = 0;
    if (speed < threshold) {
        const double a = rnd.next();
        const double b = rnd.next();
        const double c = rnd.next();
        t = a * b * c * factor * layerMultiplier;
    } else {
        t = rnd.next() * factor * layerMultiplier;
    }
    return capTurbulence(t);
}

double gustFlag(platform::Random& rnd) {
    return Int(rnd.next() * 4) == 0 ? 1 : 0;
}

int coverFromWord(const std::string& word, int current, platform::Random& rnd) {
    if (word == "SCT") {
        return static_cast<int>(Int(rnd.next() * 4 + 1));
    }
    if (word == "BKN") {
        return static_cast<int>(Int(rnd.next() * 3 + 5));
    }
    if (word == "OVC") {
        return 8;
    }
    return current;
}

// The field's air at a station, a height above sea level.
std::optional<AloftSample> fieldAt(const StationFacts& station, const CompletionStyle& style,
                                   double altitudeFeet) {
    if (style.aloftField == nullptr || !station.latitude || !station.longitude) {
        return std::nullopt;
    }
    auto s =
        style.aloftField->at(*station.latitude, *station.longitude, altitudeFeet, style.aloftTime);
    if (s && !std::isfinite(s->speedKnots)) {
        return std::nullopt;
    }
    return s;
}

// A wind layer from the field at its representative height: the middle of the layer, but no
// more than 5,000 ft above its floor (the top layer reaches 80,000 ft). Heights are above the
// station here; the field takes them above sea level.
void windFromField(double base, double top, double& direction, double& speed,
                   const StationFacts& station, const CompletionStyle& style) {
    const double above = style.stationRelative ? station.elevationFeet : 0;
    const double height = std::min((base + top) / 2, base + 5000) + above;
    const auto s = fieldAt(station, style, height);
    if (!s) {
        return;
    }
    speed = std::clamp(std::round(s->speedKnots), 0.0, kMaxWindKnots);
    if (s->direction && std::isfinite(*s->direction)) {
        direction = std::round(*s->direction);
        if (direction <= 0) {
            direction = 360;  // the draws give 1..360
        }
    }
}

// A temperature aloft from the field at its altitude, in the record's scale at this point of
// the completion; the drawn one where the field has none.
int temperatureFromField(int drawn, int altitudeFeet, const WeatherRecord& r,
                         const StationFacts& station, const CompletionStyle& style) {
    const auto s = fieldAt(station, style, altitudeFeet);
    if (!s || !s->temperature || !std::isfinite(*s->temperature)) {
        return drawn;
    }
    const double c = std::clamp(*s->temperature, -100.0, 60.0);
    return static_cast<int>(std::lround(r.celsius() ? c : c * 1.8 + 32));
}

}  // namespace

int elevationFeet(double metres) {
    // From the Dead Sea to above Everest; a damaged table cannot overflow the heights.
    return static_cast<int>(
        Int(std::clamp(std::isnan(metres) ? 0.0 : metres, -500.0, 9000.0) * 3.281));
}

void clampToPhysicalRanges(WeatherRecord& r) {
    const auto bounded = [](double v, double low, double high) {
        return std::isnan(v) ? low : std::clamp(v, low, high);
    };
    for (int* height : {&r.cl1Base, &r.cl1Top, &r.cl2Base, &r.cl2Top}) {
        *height = std::clamp(*height, 0, kMaxCloudFeet);
    }
    r.w0Spd = bounded(r.w0Spd, 0, kMaxWindKnots);
    r.w0Dir = bounded(r.w0Dir, 0, 360);
    r.t0Deg = std::clamp(r.t0Deg, -kMaxTemperature, kMaxTemperature);
    r.Dew = std::clamp(r.Dew, -kMaxTemperature, kMaxTemperature);
    r.Pressure =
        std::isnan(r.Pressure) ? 1013.25 : std::clamp(r.Pressure, kMinPressure, kMaxPressure);
}

void completeRecord(WeatherRecord& r, const StationFacts& station, const CompletionStyle& style,
                    platform::Random& rnd) {
    clampToPhysicalRanges(r);
    const double f = style.turbulenceFactor;
    if (style.coverageFromWords) {
        r.Cl1Coverage = coverFromWord(r.cl1CoverCode, r.Cl1Coverage, rnd);
        r.Cl2Coverage = coverFromWord(r.cl2CoverCode, r.Cl2Coverage, rnd);
    }

    // Cloud turbulence grows with the layer's thickness.
    r.Cl1Turb = capTurbulence(rnd.next() * (r.cl1Top - r.cl1Base) * 3 / 350 * f);
    r.Cl2Turb = capTurbulence(rnd.next() * (r.cl2Top - r.cl2Base) * 3 / 350 * f);

    if (ices(r.t0Deg, r.cl1Base) || ices(r.t0Deg, r.cl1Top)) {
        r.Cl1Icing = 1;
    }
    if (ices(r.t0Deg, r.cl2Base) || ices(r.t0Deg, r.cl2Top)) {
        r.Cl2Icing = 1;
    }

    r.Cl1Dev = Int(rnd.next() * 6) * 100;
    r.Cl2Dev = Int(rnd.next() * 6) * 100;
    if (r.cl1Base == 0) {
        r.Cl1Dev = 0;
    }
    if (r.cl2Base == 0) {
        r.Cl2Dev = 0;
    }

    r.w0Depth = Int(rnd.next() * 21 + 40) * 100;
    r.w0Turb = rnd.next() * (r.w0Spd / 10) * f;

    r.w1Base = r.w0Depth;
    r.w1Top = r.w0Depth + Int(rnd.next() * 11 + 6) * 1000;
    r.w1Spd = std::max(0.0, r.w0Spd - 3 + Int(rnd.next() * 17));

    // The winds aloft turn by thirds towards a random westerly.
    const double target = Int(rnd.next() * 60 + 1) + 239;
    const double step = Int(directionStep(r.w0Dir, target));
    r.w1Dir = wrapDirection(r.w0Dir + step);
    r.w1Turb = layerTurbulence(r.w1Spd, 20, f, 2, rnd);
    r.w1Gust = gustFlag(rnd);

    r.w2Base = r.w1Top;
    r.w2Top = r.w2Base + Int(rnd.next() * 11 + 6) * 1000;
    r.w2Spd = std::max(0.0, r.w1Spd + Int(rnd.next() * 20 + 10));
    r.w2Dir = wrapDirection(r.w1Dir + step);
    r.w2Turb = layerTurbulence(r.w2Spd, 70, f, 4, rnd);
    r.w2Gust = gustFlag(rnd);

    r.w3Base = r.w2Top;
    r.w3Top = 80000;
    r.w3Dir = wrapDirection(r.w2Dir + step);
    r.w3Spd = std::max(0.0, r.w2Spd + Int(rnd.next() * 20 + 10));
    r.w3Turb = layerTurbulence(r.w3Spd, 70, f, 5, rnd);
    r.w3Gust = gustFlag(rnd);

    windFromField(r.w1Base, r.w1Top, r.w1Dir, r.w1Spd, station, style);
    windFromField(r.w2Base, r.w2Top, r.w2Dir, r.w2Spd, station, style);
    windFromField(r.w3Base, r.w3Top, r.w3Dir, r.w3Spd, station, style);

    r.t1alt = 20000;
    r.t2Alt = 30000;
    r.t3alt = 40000;
    // Each layer's drop from the one below is drawn in this order whatever the field gives.
    const auto fromField = [&](int drawn, int altitude) {
        return temperatureFromField(drawn, altitude, r, station, style);
    };
    switch (style.aloft) {
        case CompletionStyle::Aloft::Fixed: {
            r.t1Deg = fromField(std::max(r.t0Deg - 36, -50), r.t1alt);
            r.t2Deg = fromField(std::max(r.t1Deg - 18, -60), r.t2Alt);
            const int drop = static_cast<int>(Int(rnd.next() * 18));
            r.t3Deg = fromField(std::max(r.t2Deg - drop, -70), r.t3alt);
            break;
        }
        case CompletionStyle::Aloft::SaDraws:
            r.t1Deg = fromField(r.t0Deg - static_cast<int>(Int(rnd.next() * 50 + 20)), r.t1alt);
            r.t2Deg = fromField(r.t1Deg - static_cast<int>(Int(rnd.next() * 50 + 20)), r.t2Alt);
            r.t3Deg = fromField(r.t2Deg - static_cast<int>(Int(rnd.next() * 50 + 20)), r.t3alt);
            break;
        case CompletionStyle::Aloft::CustomDraws:
            r.t1Deg = fromField(
                std::max(r.t0Deg - static_cast<int>(Int(rnd.next() * 25 + 10)), -50), r.t1alt);
            r.t2Deg = fromField(
                std::max(r.t1Deg - static_cast<int>(Int(rnd.next() * 25 + 10)), -60), r.t2Alt);
            r.t3Deg = fromField(
                std::max(r.t2Deg - static_cast<int>(Int(rnd.next() * 25 + 10)), -70), r.t3alt);
            break;
    }

    if (!style.stationRelative) {
        return;
    }
    if (station.celsius) {
        r.TempScale = "F";
        auto toF = [](int t) { return static_cast<int>(Int(t * 1.8 + 32)); };
        r.t0Deg = toF(r.t0Deg);
        r.t1Deg = toF(r.t1Deg);
        r.t2Deg = toF(r.t2Deg);
        r.t3Deg = toF(r.t3Deg);
    }
    const int e = station.elevationFeet;
    r.cl1Top += e;
    r.cl1Base += e;
    if (r.cl2Top > 0) {
        r.cl2Top += e;
        r.cl2Base += e;
    }
    r.w0Depth += e;
    r.w1Base += e;
    r.w1Top += e;
    r.w2Base += e;
    r.w2Top += e;
    r.w3Base += e;
    r.w3Top += e;
    r.t0Alt += e;
}

}  // namespace zephyra::weather
