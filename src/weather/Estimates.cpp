#include "weather/Estimates.h"

#include <algorithm>
#include <cmath>
#include <optional>

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

// The great-circle distance (haversine), with the cosines of both latitudes given.
double distanceNm(double lat1, double lon1, double cos1, double lat2, double lon2, double cos2) {
    const double dLat = radians(lat2 - lat1);
    const double dLon = radians(lon2 - lon1);
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     cos1 * cos2 * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kEarthRadiusNm * std::asin(std::min(1.0, std::sqrt(a)));
}

// Whether two stations are surely farther apart than the radius by their longitudes alone: the
// haversine term of the longitudes, cos1 cos2 sin^2(dLon/2), is at least cos1 cos2 (dLon/pi)^2.
bool surelyBeyondRadius(double lon1, double cos1, double lon2, double cos2) {
    double dLon = std::fabs(radians(lon2 - lon1));
    if (dLon >= 2 * kPi) {
        dLon = std::fmod(dLon, 2 * kPi);
    }
    dLon = std::min(dLon, 2 * kPi - dLon);
    const double half = std::sin(kEstimateRadiusNm / (2 * kEarthRadiusNm));
    const double bound = cos1 * cos2 * (dLon / kPi) * (dLon / kPi);
    return bound > half * half * (1 + 1e-9) + 1e-15;
}

// The element's entry in an Estimated text: nothing when the element is not listed, else its
// source (empty while the estimate is still to be made).
std::optional<std::string> entry(const std::string& estimated, char element) {
    std::size_t start = 0;
    while (start < estimated.size()) {
        std::size_t end = estimated.find(';', start);
        if (end == std::string::npos) {
            end = estimated.size();
        }
        const std::string item = estimated.substr(start, end - start);
        if (!item.empty() && item[0] == element) {
            return item.size() > 2 && item[1] == '=' ? item.substr(2) : std::string();
        }
        start = end + 1;
    }
    return std::nullopt;
}

struct Placed {
    WeatherRecord* record = nullptr;
    double lat = 0, lon = 0, elevationFeet = 0;
    double cosLat = 1;
    bool placed = false;
    std::string missing;  // the elements its own report left out
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

std::string estimateSource(const WeatherRecord& record, char element) {
    return entry(record.Estimated, element).value_or(std::string());
}

std::string estimateNote(const WeatherRecord& record, char element) {
    const auto source = entry(record.Estimated, element);
    if (!source || source->empty()) {
        return {};
    }
    if (*source != "STD") {
        return " (estimated from " + *source + ")";
    }
    return element == 'V' ? " (not reported: unlimited)"
                          : " (estimated from the standard atmosphere)";
}

void estimateMissing(const std::vector<EstimateSubject>& subjects) {
    std::vector<Placed> all;
    all.reserve(subjects.size());
    for (const auto& s : subjects) {
        Placed p;
        p.record = s.record;
        if (s.station != nullptr) {
            p.lat = stationLatitude(s.station->Latitude);
            p.lon = stationLongitude(s.station->Longitude);
            p.elevationFeet = std::floor(s.station->Altitude * 3.281);
            p.placed = std::isfinite(p.lat) && std::isfinite(p.lon);
            p.cosLat = std::cos(radians(p.lat));
        }
        for (const char e : kEstimatedElements) {
            if (entry(s.record->Estimated, e)) {
                p.missing += e;
            }
        }
        all.push_back(std::move(p));
    }
    // The stations by latitude: a degree of latitude is 60 nm, so only those within the radius
    // in latitude need the distance worked out. Among equally near stations the one latest in
    // table order is taken, as a walk of the whole table in order would.
    std::vector<std::size_t> byLatitude;
    byLatitude.reserve(all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].placed) {
            byLatitude.push_back(i);
        }
    }
    std::sort(byLatitude.begin(), byLatitude.end(),
              [&](std::size_t a, std::size_t b) { return all[a].lat < all[b].lat; });
    const double band = kEstimateRadiusNm / 60.0 + 1e-6;
    for (std::size_t pi = 0; pi < all.size(); ++pi) {
        Placed& p = all[pi];
        if (p.missing.empty()) {
            continue;
        }
        auto first = byLatitude.end();
        auto last = byLatitude.end();
        if (p.placed) {
            first = std::lower_bound(byLatitude.begin(), byLatitude.end(), p.lat - band,
                                     [&](std::size_t i, double lat) { return all[i].lat < lat; });
            last = std::upper_bound(first, byLatitude.end(), p.lat + band,
                                    [&](double lat, std::size_t i) { return lat < all[i].lat; });
        }
        // The nearest source of each missing element, the candidates walked once.
        struct Nearest {
            const Placed* place = nullptr;
            std::size_t index = 0;
            double distance = kEstimateRadiusNm;
        };
        Nearest found[3];
        for (auto it = first; it != last; ++it) {
            const std::size_t qi = *it;
            const Placed& q = all[qi];
            if (qi == pi || std::fabs(q.lat - p.lat) * 60.0 > kEstimateRadiusNm ||
                surelyBeyondRadius(p.lon, p.cosLat, q.lon, q.cosLat)) {
                continue;
            }
            double d = -1;  // worked out for the first element q can give
            for (std::size_t k = 0; k < p.missing.size(); ++k) {
                if (q.missing.find(p.missing[k]) != std::string::npos) {
                    continue;
                }
                if (d < 0) {
                    d = distanceNm(p.lat, p.lon, p.cosLat, q.lat, q.lon, q.cosLat);
                }
                Nearest& n = found[k];
                if (d < n.distance || (d == n.distance && (n.place == nullptr || qi > n.index))) {
                    n = {&q, qi, d};
                }
            }
        }
        std::string estimated;
        for (std::size_t k = 0; k < p.missing.size(); ++k) {
            const char e = p.missing[k];
            const Placed* nearest = found[k].place;
            WeatherRecord& r = *p.record;
            if (e == 'T') {
                const double t =
                    nearest != nullptr
                        ? nearest->record->t0Deg +
                              kLapsePerFoot * (nearest->elevationFeet - p.elevationFeet)
                        : 15.0 - kLapsePerFoot * p.elevationFeet;
                r.t0Deg = static_cast<int>(std::lround(t));
                r.Dew = r.t0Deg;
            } else if (e == 'P') {
                r.Pressure = nearest != nullptr ? nearest->record->Pressure : kStandardPressure;
            } else {
                r.Visibility =
                    nearest != nullptr ? nearest->record->Visibility : kUnlimitedVisibility;
            }
            estimated += estimated.empty() ? "" : ";";
            estimated +=
                std::string(1, e) + "=" + (nearest != nullptr ? nearest->record->ID : "STD");
        }
        p.record->Estimated = estimated;
    }
}

}  // namespace zephyra::weather
