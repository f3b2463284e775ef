#include "weather/Estimates.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <string_view>

#include "weather/ObservationTime.h"

namespace zephyra::weather {

namespace {

constexpr double kEarthRadiusNm = 3440.065;
constexpr double kLapsePerFoot = 0.002;  // degrees C
constexpr double kStandardPressure = 1013.2;
constexpr double kUnlimitedVisibility = 100.0;
constexpr double kPi = 3.14159265358979323846;

double radians(double degrees) {
    return degrees * kPi / 180.0;
}

// The haversine term of two stations, sin^2(dLat/2) + cos1 cos2 sin^2(dLon/2), with the cosines
// of both latitudes given.
double haversineTerm(double lat1, double lon1, double cos1, double lat2, double lon2, double cos2) {
    const double halfLat = std::sin(radians(lat2 - lat1) / 2);
    const double halfLon = std::sin(radians(lon2 - lon1) / 2);
    return halfLat * halfLat + cos1 * cos2 * halfLon * halfLon;
}

// The great-circle distance of a haversine term.
double distanceNm(double term) {
    return 2 * kEarthRadiusNm * std::asin(std::min(1.0, std::sqrt(term)));
}

// A haversine term above this is surely beyond the radius, rounding and all.
double beyondRadius() {
    const double half = std::sin(kEstimateRadiusNm / (2 * kEarthRadiusNm));
    return half * half * (1 + 1e-9) + 1e-15;
}

// Whether two stations are surely farther apart than the radius by their longitudes alone: the
// haversine term of the longitudes, cos1 cos2 sin^2(dLon/2), is at least cos1 cos2 (dLon/pi)^2,
// where dLon/pi is the difference in degrees over 180.
bool surelyBeyondRadius(double lon1, double cos1, double lon2, double cos2, double beyond) {
    double degrees = std::fabs(lon2 - lon1);
    if (degrees >= 360) {
        degrees = std::fmod(degrees, 360.0);
    }
    const double share = std::min(degrees, 360 - degrees) * (1 / 180.0);
    return cos1 * cos2 * share * share > beyond;
}

// The element's entry in an Estimated text: nothing when the element is not listed, else its
// source (empty while the estimate is still to be made).
std::optional<std::string_view> entry(std::string_view estimated, char element) {
    while (!estimated.empty()) {
        const std::size_t end = std::min(estimated.find(';'), estimated.size());
        const std::string_view item = estimated.substr(0, end);
        if (!item.empty() && item[0] == element) {
            return item.size() > 2 && item[1] == '=' ? item.substr(2) : std::string_view();
        }
        estimated.remove_prefix(std::min(end + 1, estimated.size()));
    }
    return std::nullopt;
}

constexpr std::size_t kElements = std::size(kEstimatedElements);

// A station of the load: where it is, and the elements its own report left out (a bit each,
// in the order of kEstimatedElements).
struct Placed {
    double lat = 0, lon = 0, cosLat = 1;
    std::size_t index = 0;  // in table order
    unsigned missing = 0;
    // Where the neighbourhood files it: its strip of latitude, and its longitude within
    // -180..180.
    long strip = 0;
    double east = 0;
};

// The stations with a position, in strips of latitude as wide as the radius, each strip by
// longitude: the stations within the radius of one lie in its own strip and the two beside it,
// within a span of longitude that grows towards the poles.
class Neighbourhood {
  public:
    static constexpr double kBand = kEstimateRadiusNm / 60.0 + 1e-6;  // a degree is 60 nm

    explicit Neighbourhood(std::vector<Placed> stations) : stations_(std::move(stations)) {
        for (Placed& p : stations_) {
            p.strip = strip(p.lat);
            p.east = std::remainder(p.lon, 360.0);
        }
        std::sort(stations_.begin(), stations_.end(), [](const Placed& a, const Placed& b) {
            return a.strip != b.strip ? a.strip < b.strip : a.east < b.east;
        });
    }

    // Calls visit with every station that may lie within the radius of p, and more; never
    // twice. beyond is what surelyBeyondRadius takes.
    template <class Visit>
    void around(const Placed& p, double beyond, Visit&& visit) const {
        const double span = lonSpan(p, beyond);
        const double east = std::remainder(p.lon, 360.0);
        for (long s = strip(p.lat - kBand); s <= strip(p.lat + kBand); ++s) {
            const auto first =
                std::lower_bound(stations_.begin(), stations_.end(), s,
                                 [](const Placed& q, long value) { return q.strip < value; });
            const auto last =
                std::upper_bound(first, stations_.end(), s,
                                 [](long value, const Placed& q) { return value < q.strip; });
            if (span >= 180) {
                std::for_each(first, last, visit);
                continue;
            }
            const auto between = [&](double from, double to) {
                auto q = std::lower_bound(first, last, from,
                                          [](const Placed& a, double v) { return a.east < v; });
                for (; q != last && q->east <= to; ++q) {
                    visit(*q);
                }
            };
            between(east - span, east + span);
            if (east - span < -180) {
                between(east - span + 360, 180);
            }
            if (east + span > 180) {
                between(-180, east + span - 360);
            }
        }
    }

  private:
    static long strip(double lat) {
        return static_cast<long>(std::floor((std::clamp(lat, -1000.0, 1000.0) + 90) / kBand));
    }

    // Degrees of longitude either side of p beyond which surelyBeyondRadius holds for every
    // station within the radius in latitude, whose cosines are at least that of the band's
    // edge nearer the pole; 180 near a pole.
    static double lonSpan(const Placed& p, double beyond) {
        const double edge = std::fabs(p.lat) + kBand;
        if (edge >= 89 || p.cosLat <= 0) {
            return 180;
        }
        const double cosEdge = std::cos(radians(edge));
        return std::min(180.0, 180 * std::sqrt(beyond / (p.cosLat * cosEdge)) * (1 + 1e-6) + 1e-6);
    }

    std::vector<Placed> stations_;
};

}  // namespace

std::string missingElements(bool temperature, bool pressure, bool visibility) {
    std::string text;
    const bool missing[] = {temperature, pressure, visibility};
    for (std::size_t i = 0; i < 3; ++i) {
        if (missing[i]) {
            text += text.empty() ? "" : ";";
            text += kEstimatedElements[i];
        }
    }
    return text;
}

bool observationDateAssumed(const WeatherRecord& record) {
    const auto source = entry(record.Estimated, kDateFromFile[0]);
    return source && *source == kDateFromFile + 2;
}

void markObservationDateAssumed(WeatherRecord& record) {
    if (!observationDateAssumed(record)) {
        record.Estimated += record.Estimated.empty() ? "" : ";";
        record.Estimated += kDateFromFile;
    }
}

std::string observedWithDate(const WeatherRecord& record, double nowSeconds) {
    std::string text = observedText(record.ObsTime, nowSeconds);
    if (!text.empty() && observationDateAssumed(record)) {
        text += " (month and year assumed)";
    }
    return text;
}

std::string estimateSource(const WeatherRecord& record, char element) {
    return std::string(entry(record.Estimated, element).value_or(std::string_view()));
}

std::string estimateNote(const WeatherRecord& record, char element) {
    const auto source = entry(record.Estimated, element);
    if (!source || source->empty()) {
        return {};
    }
    if (*source != "STD") {
        return " (estimated from " + std::string(*source) + ")";
    }
    return element == 'V' ? " (not reported: unlimited)"
                          : " (estimated from the standard atmosphere)";
}

void estimateMissing(const std::vector<EstimateSubject>& subjects) {
    std::vector<Placed> all(subjects.size());
    std::vector<double> elevationFeet(subjects.size(), 0.0);
    std::vector<bool> placed(subjects.size(), false);
    std::vector<Placed> located;
    located.reserve(subjects.size());
    for (std::size_t i = 0; i < subjects.size(); ++i) {
        const EstimateSubject& s = subjects[i];
        Placed& p = all[i];
        p.index = i;
        for (std::size_t k = 0; k < kElements; ++k) {
            if (entry(s.record->Estimated, kEstimatedElements[k])) {
                p.missing |= 1u << k;
            }
        }
        if (s.station != nullptr) {
            p.lat = stationLatitude(s.station->Latitude);
            p.lon = stationLongitude(s.station->Longitude);
            p.cosLat = std::cos(radians(p.lat));
            elevationFeet[i] = std::floor(s.station->Altitude * 3.281);
            placed[i] = std::isfinite(p.lat) && std::isfinite(p.lon);
            if (placed[i]) {
                located.push_back(p);
            }
        }
    }
    const Neighbourhood neighbourhood(std::move(located));
    const double beyond = beyondRadius();
    for (std::size_t pi = 0; pi < all.size(); ++pi) {
        const Placed& p = all[pi];
        if (p.missing == 0) {
            continue;
        }
        // The nearest source of each missing element, the candidates walked once. Among equally
        // near stations the one latest in table order is taken, as a walk of the whole table in
        // order would.
        struct Nearest {
            std::size_t index = 0;
            double distance = kEstimateRadiusNm;
            bool found = false;
        };
        Nearest found[kElements];
        const auto consider = [&](const Placed& q) {
            const unsigned gives = p.missing & ~q.missing;
            if (gives == 0 || q.index == pi ||
                std::fabs(q.lat - p.lat) * 60.0 > kEstimateRadiusNm ||
                surelyBeyondRadius(p.lon, p.cosLat, q.lon, q.cosLat, beyond)) {
                return;
            }
            const double term = haversineTerm(p.lat, p.lon, p.cosLat, q.lat, q.lon, q.cosLat);
            if (term > beyond) {
                return;
            }
            const double d = distanceNm(term);
            for (std::size_t k = 0; k < kElements; ++k) {
                Nearest& n = found[k];
                if ((gives & (1u << k)) != 0 &&
                    (d < n.distance || (d == n.distance && (!n.found || q.index > n.index)))) {
                    n = {q.index, d, true};
                }
            }
        };
        if (placed[pi]) {
            neighbourhood.around(p, beyond, consider);
        }
        std::string estimated;
        WeatherRecord& r = *subjects[pi].record;
        for (std::size_t k = 0; k < kElements; ++k) {
            if ((p.missing & (1u << k)) == 0) {
                continue;
            }
            const WeatherRecord* nearest =
                found[k].found ? subjects[found[k].index].record : nullptr;
            const char e = kEstimatedElements[k];
            if (e == 'T') {
                const double t =
                    nearest != nullptr
                        ? nearest->t0Deg +
                              kLapsePerFoot * (elevationFeet[found[k].index] - elevationFeet[pi])
                        : 15.0 - kLapsePerFoot * elevationFeet[pi];
                r.t0Deg = static_cast<int>(std::lround(t));
                r.Dew = r.t0Deg;
            } else if (e == 'P') {
                r.Pressure = nearest != nullptr ? nearest->Pressure : kStandardPressure;
            } else {
                r.Visibility = nearest != nullptr ? nearest->Visibility : kUnlimitedVisibility;
            }
            estimated += estimated.empty() ? "" : ";";
            estimated += e;
            estimated += '=';
            estimated += nearest != nullptr ? nearest->ID : "STD";
        }
        if (observationDateAssumed(r)) {
            estimated += estimated.empty() ? "" : ";";
            estimated += kDateFromFile;
        }
        r.Estimated = estimated;
    }
}

}  // namespace zephyra::weather
