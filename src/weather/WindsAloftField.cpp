#include "weather/WindsAloftField.h"

#include <algorithm>
#include <cmath>

#include "weather/Directions.h"
#include "weather/Records.h"
#include "weather/Statement.h"
#include "weather/WeatherDb.h"
#include "weather/WindVector.h"

namespace zephyra::weather {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadians = kPi / 180.0;
constexpr double kEarthRadiusNm = 3440.065;
constexpr double kSiteRadiusNm = 1.0;
constexpr double kReachNm = 400.0;
constexpr std::size_t kNeighbours = 4;

double distanceNm(GeoPosition a, GeoPosition b) {
    const double p1 = a.latitude * kRadians;
    const double p2 = b.latitude * kRadians;
    const double dp = p2 - p1;
    const double dl = (b.longitude - a.longitude) * kRadians;
    const double h = std::sin(dp / 2) * std::sin(dp / 2) +
                     std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
    return 2 * kEarthRadiusNm * std::asin(std::min(1.0, std::sqrt(h)));
}

std::optional<GeoPosition> positionOf(Statement& st, const std::string& ident, const char* type) {
    st.reset();
    st.bind(1, ident);
    st.bind(2, std::string(type));
    if (st.step() != SQLITE_ROW) {
        return std::nullopt;
    }
    return GeoPosition{waypointLatitude(st.view(0), st.integer(1)),
                       waypointLongitude(st.view(2), st.integer(3))};
}

std::array<double, 3> unitVector(GeoPosition p) {
    const double lat = p.latitude * kRadians, lon = p.longitude * kRadians;
    return {std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
}

}  // namespace

std::map<std::string, GeoPosition> placeAloftSites(WeatherDb& db, const WindsAloftText& product,
                                                   std::vector<std::string>* unplaced) {
    std::map<std::string, GeoPosition> out;
    Statement code(db.handle(), "SELECT Ident FROM AirportCodes WHERE Code = ?1 LIMIT 1");
    Statement wps(db.handle(),
                  "SELECT Lat, NS, Lon, we FROM WPS WHERE Ident = ?1 AND Type = ?2 LIMIT 1");
    for (const AloftSite& site : product.sites) {
        std::optional<GeoPosition> at;
        if (code.valid() && wps.valid()) {
            code.reset();
            code.bind(1, site.id);
            const std::string airport = code.step() == SQLITE_ROW ? code.text(0) : "K" + site.id;
            at = positionOf(wps, airport, "A");
            if (!at) {
                at = positionOf(wps, site.id, "V");
            }
        }
        if (at) {
            out[site.id] = *at;
        } else if (unplaced != nullptr) {
            unplaced->push_back(site.id);
        }
    }
    return out;
}

WindsAloftField::WindsAloftField(WindsAloftText product,
                                 std::map<std::string, GeoPosition> positions,
                                 std::int64_t validTime)
    : product_(std::move(product)), validTime_(validTime) {
    for (const AloftSite& site : product_.sites) {
        if (const auto it = positions.find(site.id); it != positions.end()) {
            placed_.emplace_back(&site, it->second);
            unit_.push_back(unitVector(it->second));
        }
    }
}

std::optional<AloftSample> WindsAloftField::atSite(const AloftSite& site,
                                                   double altitudeFeet) const {
    const auto& levels = site.levels;
    if (levels.empty()) {
        return std::nullopt;
    }
    AloftSample s;
    s.source = product_.product + " " + site.id;
    s.validTime = validTime_;
    // Wind: the levels around the altitude, or the nearest end.
    const auto above = std::find_if(levels.begin(), levels.end(), [&](const AloftLevel& l) {
        return l.altitudeFeet >= altitudeFeet;
    });
    const auto windOf = [](const AloftLevel& l) {
        AloftSample w;
        if (!l.lightAndVariable && l.direction) {
            w.direction = *l.direction;
        }
        w.speedKnots = l.speedKnots.value_or(0);
        return w;
    };
    if (above == levels.begin() || above == levels.end()) {
        const AloftLevel& end = above == levels.end() ? levels.back() : levels.front();
        const AloftSample w = windOf(end);
        s.direction = w.direction;
        s.speedKnots = w.speedKnots;
    } else {
        const AloftLevel& hi = *above;
        const AloftLevel& lo = *(above - 1);
        const double f = (altitudeFeet - lo.altitudeFeet) / (hi.altitudeFeet - lo.altitudeFeet);
        const AloftSample a = windOf(lo);
        const AloftSample b = windOf(hi);
        s.speedKnots = a.speedKnots + f * (b.speedKnots - a.speedKnots);
        if (a.direction && b.direction) {
            s.direction = std::fmod(
                *a.direction + f * directionChange(*a.direction, *b.direction) + 360.0, 360.0);
        } else {
            s.direction = f < 0.5 ? a.direction : b.direction;  // beside light and variable
        }
    }
    // Temperature over the levels that have one.
    const AloftLevel* below = nullptr;
    const AloftLevel* over = nullptr;
    for (const AloftLevel& l : levels) {
        if (!l.temperature) {
            continue;
        }
        if (l.altitudeFeet <= altitudeFeet) {
            below = &l;
        } else if (over == nullptr) {
            over = &l;
        }
    }
    if (below != nullptr && over != nullptr) {
        const double f =
            (altitudeFeet - below->altitudeFeet) / (over->altitudeFeet - below->altitudeFeet);
        s.temperature = *below->temperature + f * (*over->temperature - *below->temperature);
    } else if (below != nullptr || over != nullptr) {
        s.temperature = *(below != nullptr ? below : over)->temperature;
    }
    return s;
}

std::optional<AloftSample> WindsAloftField::at(double latitude, double longitude,
                                               double altitudeFeet) const {
    const GeoPosition here{latitude, longitude};
    const std::array<double, 3> u = unitVector(here);
    // A little beyond the reach, so that rounding drops no site at its edge.
    static const double kReachCosine = std::cos(kReachNm * 1.001 / kEarthRadiusNm);
    std::vector<std::pair<double, const AloftSite*>> near;
    for (std::size_t i = 0; i < placed_.size(); ++i) {
        const auto& [site, position] = placed_[i];
        const auto& v = unit_[i];
        if (u[0] * v[0] + u[1] * v[1] + u[2] * v[2] < kReachCosine) {
            continue;
        }
        const double d = distanceNm(here, position);
        if (d <= kReachNm) {
            near.emplace_back(d, site);
        }
    }
    std::sort(near.begin(), near.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    if (near.size() > kNeighbours) {
        near.resize(kNeighbours);
    }
    if (near.empty()) {
        return std::nullopt;
    }
    if (near.front().first < kSiteRadiusNm) {
        return atSite(*near.front().second, altitudeFeet);
    }
    WindVector sum;
    double weights = 0, temperature = 0, temperatureWeights = 0;
    std::string sites;
    for (const auto& [d, site] : near) {
        const auto s = atSite(*site, altitudeFeet);
        if (!s) {
            continue;
        }
        const double w = 1.0 / (d * d);
        if (s->direction) {  // light and variable adds nothing
            sum.add(w, *s->direction, s->speedKnots);
        }
        weights += w;
        if (s->temperature) {
            temperature += w * *s->temperature;
            temperatureWeights += w;
        }
        sites += (sites.empty() ? "" : ", ") + site->id;
    }
    if (weights == 0) {
        return std::nullopt;
    }
    AloftSample out;
    out.speedKnots = sum.knots() / weights;
    if (out.speedKnots >= 0.5) {
        out.direction = sum.from();
    }
    if (temperatureWeights > 0) {
        out.temperature = temperature / temperatureWeights;
    }
    out.source = product_.product + " " + sites;
    out.validTime = validTime_;
    return out;
}

std::int64_t aloftValidTime(const WindsAloftText& product, const ReferenceDate& reference) {
    const std::string time = observationTime("XXXX " + product.valid, reference);
    const auto seconds = observationSeconds(time);
    return seconds ? static_cast<std::int64_t>(*seconds) : 0;
}

}  // namespace zephyra::weather
