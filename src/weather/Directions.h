#pragma once

#include <cmath>

namespace zephyra::weather {

// The change of a direction the shorter way round, in degrees: 350 to 10 is +20, 10 to 350 is
// -20.
inline double directionChange(double from, double to) {
    double d = std::fmod(to - from, 360.0);
    if (d > 180.0) {
        d -= 360.0;
    } else if (d < -180.0) {
        d += 360.0;
    }
    return d;
}

}  // namespace zephyra::weather
