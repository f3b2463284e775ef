#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zephyra::flightplan {

// Number texts of the plan lists, the plan file and the navigation labels.

// A decimal number with blanks around it allowed ("3000", " -84.5 ", "0.78", "1E+20");
// nothing for any other text.
std::optional<double> readNumber(const std::string& text);
// Rounds halves to the even neighbour (4500.5 → 4500, 4501.5 → 4502).
double roundHalfEven(double value);
// A number read and rounded to a 32-bit integer; nothing when it is not a number or too large.
std::optional<std::int32_t> readInt32(const std::string& text);
// The standard text of a double: at most 15 significant digits, no trailing zeros
// (250.0 → "250", 33.64027777777777 → "33.6402777777778").
std::string standardText(double value);
// The numeric print form of the weather section: a blank or a minus sign, the digits, a blank.
std::string printForm(double value);
// "###0.0000": four decimals.
std::string fourDecimals(double value);
// Whole number rounded down, as the navigation labels show it.
std::string floorText(double value);
// Altitude and indicated airspeed as the flight commands print them: "5,000 ft 180 kt IAS".
std::string altitudeSpeedText(double feet, double indicatedKt);

}  // namespace zephyra::flightplan
