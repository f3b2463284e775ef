#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zephyra::weather {
class AloftField;
}

// The winds aloft along a flight plan: for each leg the wind at its altitude from the loaded
// forecasts, its head/tail and cross components, the ground speed and the leg's time.
namespace zephyra::flightplan {

// A wind split along and across a true course. Tailwind negative is a headwind; crosswind
// positive blows from the right of the course.
struct WindComponents {
    double tailwind = 0.0;
    double crosswind = 0.0;
};
// windFrom: where the wind blows from, degrees true.
WindComponents windComponents(double courseTrue, double windFrom, double windKnots);

// The ground speed along the course with the heading corrected for the crosswind:
// sqrt(TAS^2 - crosswind^2) + tailwind. Nothing when the crosswind is as strong as the
// airspeed (no heading holds the course) or the headwind leaves no speed over the ground.
std::optional<double> windGroundSpeed(double trueAirspeedKt, WindComponents wind);

// The true airspeed of a plan entry's speed at its altitude: knots are the indicated airspeed
// the autopilot holds, a number below 1 a Mach number; either is converted with the given
// temperature or else the standard atmosphere's at the altitude. Nothing for a speed of 0 or
// less.
std::optional<double> planTrueAirspeed(double speed, double altitudeFeet,
                                       std::optional<double> temperatureC = std::nullopt);

// The wind on one leg and what it makes of it.
struct LegWind {
    double courseTrue = 0.0;  // initial great-circle course, degrees true
    double distanceNm = 0.0;
    double altitudeFeet = 0.0;
    std::optional<double> tasKt;          // none without a speed
    bool forecast = false;                // the winds aloft reached the leg; else the wind is zero
    std::optional<double> windDirection;  // degrees true, from; none when calm or variable
    double windKnots = 0.0;
    double tailwindKt = 0.0;   // negative: headwind
    double crosswindKt = 0.0;  // positive: from the right
    std::optional<double> groundSpeedKt;
    std::optional<double> minutes;
    std::string source;          // of the forecast at the leg's middle
    std::int64_t validTime = 0;  // seconds since 1970; 0 when not known
};

// The wind of a leg flown at altitudeFeet and the plan speed `speed` (knots, or Mach below
// 1). The field is sampled at the middles of equal parts of the great circle (three, or one
// for every 50 nm on longer legs, at most 40); the wind and the temperature are averaged over
// the samples that the forecasts reach (winds as vectors), and the components are averaged
// from each sample's own course, so they follow a long great circle as it turns. The ground
// speed comes from the averaged components and the time from the ground speed. Without a
// field, or where no forecast reaches, the wind is zero and the ground speed the airspeed.
// when: the time the leg is flown, seconds since 1970 (0: the earliest forecast).
LegWind legWind(double fromLat, double fromLon, double toLat, double toLon, double altitudeFeet,
                double speed, const weather::AloftField* field, std::int64_t when = 0);

// What the plan table flies its legs in: the winds aloft (null or empty: none), the time of
// departure for choosing between forecasts (0: the earliest) and whether the plan's altitudes
// are metres.
struct PlanWindsInput {
    const weather::AloftField* field = nullptr;
    std::int64_t departure = 0;
    bool metres = false;
};

}  // namespace zephyra::flightplan
