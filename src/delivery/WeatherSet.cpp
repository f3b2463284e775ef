#include "delivery/WeatherSet.h"

#include <cmath>
#include <limits>

#include "weather/Completion.h"

namespace zephyra::delivery {

using W = WeatherSet;

const std::array<W::Field, 38> W::kStepped = {
    &W::t0Alt,   &W::t0Deg,     &W::t1alt,   &W::t1Deg,       &W::t2Alt,       &W::t2Deg,
    &W::t3alt,   &W::t3Deg,     &W::cl1Base, &W::cl1Top,      &W::Cl1Coverage, &W::Cl1Dev,
    &W::Cl1Turb, &W::cl2Base,   &W::cl2Top,  &W::Cl2Coverage, &W::Cl2Dev,      &W::Cl2Turb,
    &W::w0Depth, &W::w0Spd,     &W::w0Dir,   &W::w0Turb,      &W::w1Base,      &W::w1Top,
    &W::w1Spd,   &W::w1Dir,     &W::w1Turb,  &W::w2Base,      &W::w2Top,       &W::w2Spd,
    &W::w2Dir,   &W::w2Turb,    &W::w3Base,  &W::w3Top,       &W::w3Spd,       &W::w3Dir,
    &W::w3Turb,  &W::Visibility};

const std::array<W::Field, 4> W::kDirections = {&W::w0Dir, &W::w1Dir, &W::w2Dir, &W::w3Dir};

const std::array<W::Field, 7> W::kTakenAtOnce = {
    &W::Cl1Icing, &W::Cl2Icing, &W::w0Gust, &W::w1Gust, &W::w2Gust, &W::w3Gust, &W::Pressure};

const std::array<W::Field, 6> W::kTurbulence = {&W::Cl1Turb, &W::Cl2Turb, &W::w0Turb,
                                                &W::w1Turb,  &W::w2Turb,  &W::w3Turb};

WeatherSet WeatherSet::fromRecord(const weather::WeatherRecord& record) {
    // The table may hold anything (an older load, a hand edit): the simulator gets physics.
    weather::WeatherRecord r = record;
    weather::clampToPhysicalRanges(r);
    WeatherSet s;
    s.t0Alt = r.t0Alt;
    s.t0Deg = r.t0Deg;
    s.t1alt = r.t1alt;
    s.t1Deg = r.t1Deg;
    s.t2Alt = r.t2Alt;
    s.t2Deg = r.t2Deg;
    s.t3alt = r.t3alt;
    s.t3Deg = r.t3Deg;
    s.cl1Base = r.cl1Base;
    s.cl1Top = r.cl1Top;
    s.Cl1Coverage = r.Cl1Coverage;
    s.Cl1Dev = r.Cl1Dev;
    s.Cl1Icing = r.Cl1Icing;
    s.Cl1Turb = r.Cl1Turb;
    s.cl2Base = r.cl2Base;
    s.cl2Top = r.cl2Top;
    s.Cl2Coverage = r.Cl2Coverage;
    s.Cl2Dev = r.Cl2Dev;
    s.Cl2Icing = r.Cl2Icing;
    s.Cl2Turb = r.Cl2Turb;
    s.w0Depth = r.w0Depth;
    s.w0Spd = r.w0Spd;
    s.w0Dir = r.w0Dir;
    s.w0Turb = r.w0Turb;
    s.w0Gust = r.w0Gust;
    s.w1Base = r.w1Base;
    s.w1Top = r.w1Top;
    s.w1Spd = r.w1Spd;
    s.w1Dir = r.w1Dir;
    s.w1Turb = r.w1Turb;
    s.w1Gust = r.w1Gust;
    s.w2Base = r.w2Base;
    s.w2Top = r.w2Top;
    s.w2Spd = r.w2Spd;
    s.w2Dir = r.w2Dir;
    s.w2Turb = r.w2Turb;
    s.w2Gust = r.w2Gust;
    s.w3Base = r.w3Base;
    s.w3Top = r.w3Top;
    s.w3Spd = r.w3Spd;
    s.w3Dir = r.w3Dir;
    s.w3Turb = r.w3Turb;
    s.w3Gust = r.w3Gust;
    s.Pressure = r.Pressure;
    s.Visibility = r.Visibility;
    s.Thunder = r.Thunder;
    s.celsius = r.celsius();
    return s;
}

WeatherSet WeatherSet::inScale(bool toCelsius) const {
    WeatherSet s = *this;
    if (celsius == toCelsius) {
        return s;
    }
    for (const auto field : {&W::t0Deg, &W::t1Deg, &W::t2Deg, &W::t3Deg}) {
        s.*field = toCelsius ? (s.*field - 32.0) / 1.8 : s.*field * 1.8 + 32.0;
    }
    s.celsius = toCelsius;
    return s;
}

int wholeNumber(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (!(value > std::numeric_limits<int>::min()) || !(value < std::numeric_limits<int>::max())) {
        return value > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
    }
    return static_cast<int>(std::nearbyint(value));
}

double normalizedDirection(double degrees) {
    if (degrees < 0) {
        degrees += 360;
    } else if (degrees > 360) {
        degrees -= 360;
    }
    return degrees;
}

}  // namespace zephyra::delivery
