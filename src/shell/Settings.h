#pragma once

#include <cstdint>
#include <string>

namespace zephyra::shell {

// The thirteen program-wide settings kept in "vane98.par", with their built-in defaults
// (the values in force before the file is read). Member names follow the file's keys.
struct Settings {
    std::int16_t UnlimitedVis = 50;  // visibility ceiling sent to the simulator, statute miles
    std::string Path98 = "123";      // key "98Path": the simulator folder; the default fails
    std::string UOM;                 // "U" U.S., "M" metric, "F" metric with feet; else U.S.
    std::int16_t MaxTurb = 0;        // turbulence ceiling, 0..255
    bool Wind = true;                // send winds
    std::string WindText = "True";   // Wind as the file writes it
    std::int16_t Wayp = 2;           // waypoint region: 0 Americas, 1 Europe-Other, 2 All, 3 None
    std::string QSend;               // "True" or "False": send a loaded plan at once
    std::int16_t FP_Dist = 0;        // distance between generated plan points, nm
    std::int16_t AP_Upd = 0;         // autopilot update at start
    std::int16_t WPC_INC = 0;        // auto-generation uses VORs
    std::int16_t WPN_INC = 0;        // ... NDBs
    std::int16_t WPW_INC = 0;        // ... other waypoints
    bool NewClouds = true;           // swap in the new cloud textures

    // The unit setting is read three ways, each named for what it decides:
    // heights in metres only for "M" ("F" is metric with heights in feet);
    bool heightsInMetres() const { return UOM == "M"; }
    // distances and visibility in kilometres for "M" and "F";
    bool distancesInKilometres() const { return UOM == "M" || UOM == "F"; }
    // Fahrenheit and inches of mercury only for exactly "U": an empty or unknown code shows
    // Celsius and millibars in the weather reports, though it counts as U.S. everywhere else.
    bool fahrenheitAndInches() const { return UOM == "U"; }
};

// Values fixed at start and shared across the program.
struct TransitionSettings {
    std::int16_t periods = 60;  // steps of a weather transition
    std::int32_t seconds = 1;   // seconds between steps
    int totalSeconds() const { return periods * seconds; }
};

}  // namespace zephyra::shell
