#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

// Weather between stations: the stations around the aircraft blended by distance and age into
// one surface weather, and the limit on how fast what is sent may move towards it.
namespace zephyra::delivery {

enum class Convection { None, Towering, Cumulonimbus };  // none, TCU, CB

// A cloud layer as the blend takes it: cover in eighths (1-2 few, 3-4 scattered, 5-7 broken,
// 8 overcast), base above sea level and whether it is a towering cumulus or cumulonimbus.
struct BlendLayer {
    int eighths = 0;
    double baseFeet = 0;
    Convection convection = Convection::None;
    bool operator==(const BlendLayer&) const = default;
};

// A wind layer aloft: its floor and ceiling above sea level and its wind.
struct BlendWind {
    double baseFeet = 0;
    double topFeet = 0;
    double direction = 0;  // degrees true, from
    double knots = 0;
    bool operator==(const BlendWind&) const = default;
};

// One station's weather, in the units the blend works in.
struct BlendStation {
    std::string id;
    double latitude = 0;
    double longitude = 0;
    double elevationFeet = 0;
    double ageSeconds = 0;         // how old the report counts as in the blend
    double reportAgeSeconds = -1;  // how old it is by the clock (shown); below 0: not known
    double windDirection = 0;      // degrees true, from
    double windKnots = 0;          // 0 for calm
    double temperatureC = 15;      // at the station
    std::optional<double> dewPointC;
    double seaLevelInHg = 29.92;
    double visibilityMiles = 10;
    std::vector<BlendLayer> layers;  // lowest first
    double rain = 0;                 // 0 none to 1 heavy
    double snow = 0;
    // Above the surface: the three wind layers and the temperatures at the three heights of
    // the layers aloft (20,000, 30,000 and 40,000 ft).
    std::array<BlendWind, 3> aloft{};
    std::array<double, 3> aloftTemperatureC{};
};

struct BlendSettings {
    double radiusNm = 60;         // stations farther than this are left out
    double ownReportNm = 3;       // within this a station's own report rules
    double staleSeconds = 21600;  // older reports are left out while fresher ones are in range
};

struct BlendWeight {
    std::string id;
    double weight = 0;  // the weights of a blend add up to 1
    double distanceNm = 0;
    bool operator==(const BlendWeight&) const = default;
};

// The blended surface weather at a point: the same fields as a station, its temperature and
// dew point at the blend's own elevation (the weighted elevation of its stations).
struct Blended {
    std::vector<BlendWeight> stations;  // heaviest first; empty: no station in range
    double elevationFeet = 0;
    double windDirection = 0;
    double windKnots = 0;
    double temperatureC = 15;
    std::optional<double> dewPointC;
    double seaLevelInHg = 29.92;
    double visibilityMiles = 10;
    std::vector<BlendLayer> layers;
    double rain = 0;
    double snow = 0;
    std::array<BlendWind, 3> aloft{};
    std::array<double, 3> aloftTemperatureC{};
};

// How much a report of that age counts: fully for its first hour, then less, down to a fifth at
// the stale age and beyond.
double ageWeight(double ageSeconds, double staleSeconds);

// The stations a blend at the point takes: within the radius, the nearest in each quadrant
// (north-east, south-east, south-west, north-west of the point) after leaving out stale reports
// when a fresh one is in range; the station within the own-report distance alone when there is
// one. Weights by inverse distance squared times the age weight, adding up to 1.
std::vector<BlendWeight> blendWeights(double latitude, double longitude,
                                      const std::vector<BlendStation>& stations,
                                      const BlendSettings& settings = {});

// The weather at the point. Temperatures are carried to sea level with the standard lapse
// (1.98 C per 1,000 ft; the dew point 0.55) before they are blended, and back to the blend's
// elevation after; winds blend as vectors; sea-level pressure, visibility and precipitation by
// weight. Cloud layers of the stations are grouped by base (within 2,000 ft); a group's base is
// its reporters' weighted base and its cover the weighted median over all the stations, a
// station without the layer counting as clear: a layer appears, or changes its class, only
// when more than half of the weight says so. A layer is convective when its reporters that say
// CB or TCU hold at least half of its reporters' weight (CB when they weigh at least as much as
// those saying TCU). The layers aloft blend the same way: bases, tops
// and temperatures by weight, winds as vectors.
Blended blendAt(double latitude, double longitude, const std::vector<BlendStation>& stations,
                const BlendSettings& settings = {});

// The fastest the weather sent may change, per second.
struct RateLimits {
    double windKnots = 0.5;
    double windDegrees = 1.0;
    // 0.1 C a second at any height: the temperature between the surface and the layers aloft
    // also moves with the surface's height, so the temperatures themselves keep a margin.
    double temperatureC = 0.095;
    double pressureInHg = 0.005;
    double visibilityFraction = 0.1;  // of the current visibility
    double cloudBaseFeet = 50;
    // The height the surface values stand at: slowly, so that the temperature between it and
    // the layers aloft, at a height the aircraft holds, keeps to its rate.
    double elevationFeet = 2;
};

// Moves the weather sent towards a target by no more than the limits allow in the seconds
// given. The wind turns the shorter way; a wind under 1 kt has no direction to keep, so it
// takes the target's at once. Cloud layers pair by order: a new layer starts at its target
// base, a layer that goes away goes at once, and a paired layer moves its base at the limit
// and takes its cover at once. The winds and temperatures aloft move at the surface's rates,
// their floors and ceilings at the cloud base's.
Blended limitedStep(const Blended& current, const Blended& target, double seconds,
                    const RateLimits& limits = {});

}  // namespace zephyra::delivery
