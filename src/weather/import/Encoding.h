#pragma once

#include <optional>
#include <string>

namespace zephyra::weather::import {

// Text forms of positions and frequencies as the program stores them in vanedb.mdb.

// A reporting station's latitude as "DDMMN" and longitude as "DDDMMW", rounded to the nearest
// minute. A value that rounds to zero is written north/east.
std::string stationLatitudeText(double degrees);
std::string stationLongitudeText(double degrees);

// A waypoint's latitude as "DDMMSS" or longitude as "DDDMMSS", rounded to the nearest second,
// with the flag stored beside it: -1 for north (NS) or west (we), 0 for south or east.
struct WaypointAngle {
    std::string text;
    int flag = 0;
};
WaypointAngle waypointLatitudeText(double degrees);
WaypointAngle waypointLongitudeText(double degrees);

// Frequencies as pilots read them, from kHz: a VOR as MHz with two decimals ("116.90"), an NDB
// as kHz ("344", "415.5"). Empty when the value lies outside the band of that kind of beacon.
std::optional<std::string> vorFrequency(double khz);
std::optional<std::string> ndbFrequency(double khz);

}  // namespace zephyra::weather::import
