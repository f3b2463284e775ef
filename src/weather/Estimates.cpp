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

double distanceNm(double lat1, double lon1, double lat2, double lon2) {
    const double dLat = radians(lat2 - lat1);
    const double dLon = radians(lon2 - lon1);
    const double a =
        std::sin(dLat / 2) * std::sin(dLat / 2) +
        std::cos(radians(lat1)) * std::cos(radians(lat2)) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kEarthRadiusNm * std::asin(std::min(1.0, std::sqrt(a)));
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
        }
        for (const char e : kEstimatedElements) {
            if (entry(s.record->Estimated, e)) {
                p.missing += e;
            }
        }
        all.push_back(std::move(p));
    }
    for (auto& p : all) {
        if (p.missing.empty()) {
            continue;
        }
        std::string estimated;
        for (const char e : p.missing) {
            const Placed* nearest = nullptr;
            double best = kEstimateRadiusNm;
            if (p.placed) {
                for (const auto& q : all) {
                    // A degree of latitude is 60 nm: most stations are ruled out without
                    // trigonometry.
                    if (&q == &p || !q.placed || q.missing.find(e) != std::string::npos ||
                        std::fabs(q.lat - p.lat) * 60.0 > kEstimateRadiusNm) {
                        continue;
                    }
                    const double d = distanceNm(p.lat, p.lon, q.lat, q.lon);
                    if (d <= best) {
                        best = d;
                        nearest = &q;
                    }
                }
            }
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
