#pragma once

#include <cmath>

namespace zephyra::weather {

// A wind as the vector the air moves along, (east, north) in knots: winds add, average and
// interpolate this way, not by their directions.
struct WindVector {
    double east = 0;
    double north = 0;

    // Adds weight times the wind from that direction (degrees true) at that speed.
    void add(double weight, double fromDegrees, double knots) {
        constexpr double kRadians = 3.14159265358979323846 / 180.0;
        east -= weight * knots * std::sin(fromDegrees * kRadians);
        north -= weight * knots * std::cos(fromDegrees * kRadians);
    }
    double knots() const { return std::hypot(east, north); }
    // Where the wind blows from, 0 to 360 (0 for a calm).
    double from() const {
        constexpr double kDegrees = 180.0 / 3.14159265358979323846;
        return knots() < 1e-9 ? 0.0
                              : std::fmod(std::atan2(-east, -north) * kDegrees + 360.0, 360.0);
    }
};

}  // namespace zephyra::weather
