#pragma once

#include <array>

#include "weather/Records.h"

namespace zephyra::delivery {

// One station's weather as it is sent to the simulator: 46 values in the order the link
// receives them. Every value is held as a decimal so that a transition can step by fractions;
// a send rounds the whole-number ones (half to even).
struct WeatherSet {
    double t0Alt = 0, t0Deg = 0, t1alt = 0, t1Deg = 0, t2Alt = 0, t2Deg = 0, t3alt = 0, t3Deg = 0;
    double cl1Base = 0, cl1Top = 0, Cl1Coverage = 0, Cl1Dev = 0, Cl1Icing = 0, Cl1Turb = 0;
    double cl2Base = 0, cl2Top = 0, Cl2Coverage = 0, Cl2Dev = 0, Cl2Icing = 0, Cl2Turb = 0;
    double w0Depth = 0, w0Spd = 0, w0Dir = 0, w0Turb = 0, w0Gust = 0;
    double w1Base = 0, w1Top = 0, w1Spd = 0, w1Dir = 0, w1Turb = 0, w1Gust = 0;
    double w2Base = 0, w2Top = 0, w2Spd = 0, w2Dir = 0, w2Turb = 0, w2Gust = 0;
    double w3Base = 0, w3Top = 0, w3Spd = 0, w3Dir = 0, w3Turb = 0, w3Gust = 0;
    double Pressure = 0;
    double Visibility = 0;
    bool Thunder = false;
    bool celsius = false;  // the scale of the four temperatures: Celsius, else Fahrenheit

    static WeatherSet fromRecord(const weather::WeatherRecord& record);
    // The same weather with its temperatures in the other scale when they are not in this one.
    WeatherSet inScale(bool toCelsius) const;

    using Field = double WeatherSet::*;
    // Values a transition moves in equal steps; the four directions among them.
    static const std::array<Field, 38> kStepped;
    static const std::array<Field, 4> kDirections;
    // Values a transition takes from the new station at once.
    static const std::array<Field, 7> kTakenAtOnce;
    static const std::array<Field, 6> kTurbulence;
};

// A whole number of the set: rounded half to even, as the link's 32-bit arguments are.
int wholeNumber(double value);

// A direction brought back into 0..360 (360 itself stays, for winds from the north).
double normalizedDirection(double degrees);

}  // namespace zephyra::delivery
