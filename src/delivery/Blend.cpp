#include "delivery/Blend.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "flightplan/GreatCircle.h"
#include "weather/Directions.h"
#include "weather/WindVector.h"

namespace zephyra::delivery {

namespace {

constexpr double kRadians = 3.14159265358979323846 / 180.0;
constexpr double kLapsePerFoot = 1.98 / 1000.0;     // standard lapse, C per foot
constexpr double kDewLapsePerFoot = 0.55 / 1000.0;  // a dew point falls more slowly
constexpr double kLayerGroupFeet = 2000;
constexpr double kFullWeightSeconds = 3600;
constexpr double kStaleWeight = 0.2;

struct Chosen {
    std::size_t index = 0;
    double weight = 0;
    double distanceNm = 0;
};

std::vector<Chosen> choose(double latitude, double longitude,
                           const std::vector<BlendStation>& stations, const BlendSettings& s) {
    struct Candidate {
        std::size_t index;
        double distance;
        double course;
    };
    std::vector<Candidate> inRange;
    bool fresh = false;
    // A cheap look at the latitude and longitude first: most stations are far away. A degree of
    // longitude is shortest at the band's edge nearer the pole (with a margin for the sphere).
    const double band = s.radiusNm / 60.0;
    const double edge = std::min(89.0, std::fabs(latitude) + band);
    const double lonBand = 1.02 * band / std::cos(edge * kRadians);
    for (std::size_t i = 0; i < stations.size(); ++i) {
        if (std::fabs(stations[i].latitude - latitude) > band) {
            continue;
        }
        const double dLon = std::fabs(std::remainder(stations[i].longitude - longitude, 360.0));
        if (dLon > lonBand && edge < 89.0) {
            continue;
        }
        const auto cd = flightplan::sphericalCourseDistance(
            latitude, longitude, stations[i].latitude, stations[i].longitude);
        if (cd.distance <= s.radiusNm) {
            inRange.push_back({i, cd.distance, cd.course});
            fresh = fresh || stations[i].ageSeconds <= s.staleSeconds;
        }
    }
    if (inRange.empty()) {
        return {};
    }
    const auto nearest = std::min_element(
        inRange.begin(), inRange.end(),
        [](const Candidate& a, const Candidate& b) { return a.distance < b.distance; });
    if (nearest->distance <= s.ownReportNm) {
        return {{nearest->index, 1.0, nearest->distance}};
    }
    std::array<const Candidate*, 4> quadrant{};
    for (const Candidate& c : inRange) {
        if (fresh && stations[c.index].ageSeconds > s.staleSeconds) {
            continue;
        }
        const auto q = std::min<std::size_t>(3, static_cast<std::size_t>(c.course / 90.0));
        if (quadrant[q] == nullptr || c.distance < quadrant[q]->distance) {
            quadrant[q] = &c;
        }
    }
    std::vector<Chosen> out;
    double sum = 0;
    for (const Candidate* c : quadrant) {
        if (c == nullptr) {
            continue;
        }
        const double w =
            ageWeight(stations[c->index].ageSeconds, s.staleSeconds) / (c->distance * c->distance);
        out.push_back({c->index, w, c->distance});
        sum += w;
    }
    for (Chosen& c : out) {
        c.weight /= sum;
    }
    std::sort(out.begin(), out.end(),
              [](const Chosen& a, const Chosen& b) { return a.weight > b.weight; });
    return out;
}

int coverClass(int eighths) {
    if (eighths <= 0) {
        return 0;
    }
    if (eighths <= 2) {
        return 1;
    }
    if (eighths <= 4) {
        return 2;
    }
    return eighths <= 7 ? 3 : 4;
}

std::vector<BlendLayer> blendLayers(const std::vector<BlendStation>& stations,
                                    const std::vector<Chosen>& chosen) {
    struct Reported {
        double base;
        int eighths;
        double weight;
        std::size_t station;
        Convection convection;
    };
    std::vector<Reported> all;
    for (const Chosen& c : chosen) {
        for (const BlendLayer& l : stations[c.index].layers) {
            if (l.eighths > 0) {
                all.push_back({l.baseFeet, l.eighths, c.weight, c.index, l.convection});
            }
        }
    }
    std::sort(all.begin(), all.end(),
              [](const Reported& a, const Reported& b) { return a.base < b.base; });
    // Layers of different stations at about one height are one layer.
    std::vector<std::vector<Reported>> groups;
    for (const Reported& r : all) {
        bool joined = false;
        if (!groups.empty()) {
            auto& g = groups.back();
            double w = 0, base = 0;
            for (const Reported& m : g) {
                w += m.weight;
                base += m.weight * m.base;
            }
            const bool sameStation = std::any_of(
                g.begin(), g.end(), [&](const Reported& m) { return m.station == r.station; });
            if (!sameStation && std::fabs(r.base - base / w) <= kLayerGroupFeet) {
                g.push_back(r);
                joined = true;
            }
        }
        if (!joined) {
            groups.push_back({r});
        }
    }
    std::vector<BlendLayer> out;
    for (const auto& g : groups) {
        // The weighted median class, the stations without the layer counting as clear.
        std::array<double, 5> byClass{};
        for (const Reported& r : g) {
            byClass[static_cast<std::size_t>(coverClass(r.eighths))] += r.weight;
        }
        int chosenClass = 0;
        double above = 0;
        for (int c = 4; c >= 1; --c) {
            above += byClass[static_cast<std::size_t>(c)];
            if (above > 0.5) {
                chosenClass = c;
                break;
            }
        }
        if (chosenClass == 0) {
            continue;
        }
        double w = 0, base = 0, eighths = 0, classWeight = 0, cb = 0, tcu = 0;
        for (const Reported& r : g) {
            w += r.weight;
            base += r.weight * r.base;
            if (coverClass(r.eighths) == chosenClass) {
                eighths += r.weight * r.eighths;
                classWeight += r.weight;
            }
            if (r.convection == Convection::Cumulonimbus) {
                cb += r.weight;
            } else if (r.convection == Convection::Towering) {
                tcu += r.weight;
            }
        }
        const Convection convection = 2.0 * (cb + tcu) < w ? Convection::None
                                      : cb >= tcu          ? Convection::Cumulonimbus
                                                           : Convection::Towering;
        // The median class is one a reporter has: adding its weight crossed the half.
        out.push_back({static_cast<int>(std::lround(eighths / classWeight)), base / w, convection});
    }
    return out;
}

double moveBy(double from, double to, double most) {
    return from + std::clamp(to - from, -most, most);
}

using Vector = weather::WindVector;

// A wind moved towards another: its speed and its direction (the shorter way) at the rates; a
// wind under 1 kt has no direction to keep.
void turnTowards(double& direction, double& knots, double toDirection, double toKnots,
                 double seconds, const RateLimits& limits) {
    const bool keeps = knots >= 1.0;
    knots = moveBy(knots, toKnots, limits.windKnots * seconds);
    if (!keeps) {
        direction = toDirection;
        return;
    }
    const double turn = weather::directionChange(direction, toDirection);
    const double most = limits.windDegrees * seconds;
    direction = std::fmod(direction + std::clamp(turn, -most, most) + 360.0, 360.0);
}

}  // namespace

double ageWeight(double ageSeconds, double staleSeconds) {
    if (ageSeconds <= kFullWeightSeconds) {
        return 1.0;
    }
    if (ageSeconds >= staleSeconds || staleSeconds <= kFullWeightSeconds) {
        return kStaleWeight;
    }
    const double f = (ageSeconds - kFullWeightSeconds) / (staleSeconds - kFullWeightSeconds);
    return 1.0 - f * (1.0 - kStaleWeight);
}

std::vector<BlendWeight> blendWeights(double latitude, double longitude,
                                      const std::vector<BlendStation>& stations,
                                      const BlendSettings& settings) {
    std::vector<BlendWeight> out;
    for (const Chosen& c : choose(latitude, longitude, stations, settings)) {
        out.push_back({stations[c.index].id, c.weight, c.distanceNm});
    }
    return out;
}

Blended blendAt(double latitude, double longitude, const std::vector<BlendStation>& stations,
                const BlendSettings& settings) {
    Blended b;
    const std::vector<Chosen> chosen = choose(latitude, longitude, stations, settings);
    if (chosen.empty()) {
        return b;
    }
    Vector wind;
    std::array<Vector, 3> aloft{};
    double seaLevelT = 0, dew = 0, dewWeight = 0;
    b.elevationFeet = b.seaLevelInHg = b.visibilityMiles = 0;
    for (const Chosen& c : chosen) {
        const BlendStation& s = stations[c.index];
        const double w = c.weight;
        b.stations.push_back({s.id, w, c.distanceNm});
        b.elevationFeet += w * s.elevationFeet;
        wind.add(w, s.windDirection, s.windKnots);
        for (std::size_t i = 0; i < 3; ++i) {
            aloft[i].add(w, s.aloft[i].direction, s.aloft[i].knots);
            b.aloft[i].baseFeet += w * s.aloft[i].baseFeet;
            b.aloft[i].topFeet += w * s.aloft[i].topFeet;
            b.aloftTemperatureC[i] += w * s.aloftTemperatureC[i];
        }
        seaLevelT += w * (s.temperatureC + kLapsePerFoot * s.elevationFeet);
        if (s.dewPointC) {
            dew += w * (*s.dewPointC + kDewLapsePerFoot * s.elevationFeet);
            dewWeight += w;
        }
        b.seaLevelInHg += w * s.seaLevelInHg;
        b.visibilityMiles += w * s.visibilityMiles;
        b.rain += w * s.rain;
        b.snow += w * s.snow;
    }
    b.windKnots = wind.knots();
    b.windDirection = wind.from();
    for (std::size_t i = 0; i < 3; ++i) {
        b.aloft[i].knots = aloft[i].knots();
        b.aloft[i].direction = aloft[i].from();
    }
    b.temperatureC = seaLevelT - kLapsePerFoot * b.elevationFeet;
    if (dewWeight > 0) {
        b.dewPointC =
            std::min(b.temperatureC, dew / dewWeight - kDewLapsePerFoot * b.elevationFeet);
    }
    b.layers = blendLayers(stations, chosen);
    return b;
}

Blended limitedStep(const Blended& current, const Blended& target, double seconds,
                    const RateLimits& limits) {
    Blended next = target;
    next.windDirection = current.windDirection;
    next.windKnots = current.windKnots;
    turnTowards(next.windDirection, next.windKnots, target.windDirection, target.windKnots, seconds,
                limits);
    for (std::size_t i = 0; i < 3; ++i) {
        BlendWind& w = next.aloft[i];
        const BlendWind& from = current.aloft[i];
        w.direction = from.direction;
        w.knots = from.knots;
        turnTowards(w.direction, w.knots, target.aloft[i].direction, target.aloft[i].knots, seconds,
                    limits);
        w.baseFeet =
            moveBy(from.baseFeet, target.aloft[i].baseFeet, limits.cloudBaseFeet * seconds);
        w.topFeet = moveBy(from.topFeet, target.aloft[i].topFeet, limits.cloudBaseFeet * seconds);
        next.aloftTemperatureC[i] =
            moveBy(current.aloftTemperatureC[i], target.aloftTemperatureC[i],
                   limits.temperatureC * seconds);
    }
    next.temperatureC =
        moveBy(current.temperatureC, target.temperatureC, limits.temperatureC * seconds);
    next.elevationFeet =
        moveBy(current.elevationFeet, target.elevationFeet, limits.elevationFeet * seconds);
    if (current.dewPointC && target.dewPointC) {
        next.dewPointC = std::min(next.temperatureC, moveBy(*current.dewPointC, *target.dewPointC,
                                                            limits.temperatureC * seconds));
    }
    next.seaLevelInHg =
        moveBy(current.seaLevelInHg, target.seaLevelInHg, limits.pressureInHg * seconds);
    const double up = std::pow(1.0 + limits.visibilityFraction, seconds);
    const double down = std::pow(1.0 - limits.visibilityFraction, seconds);
    next.visibilityMiles = std::clamp(target.visibilityMiles, current.visibilityMiles * down,
                                      current.visibilityMiles * up);
    for (std::size_t i = 0; i < next.layers.size() && i < current.layers.size(); ++i) {
        next.layers[i].baseFeet = moveBy(current.layers[i].baseFeet, target.layers[i].baseFeet,
                                         limits.cloudBaseFeet * seconds);
    }
    return next;
}

}  // namespace zephyra::delivery
