#include "flightplan/GreatCircle.h"

#include <algorithm>
#include <cmath>

namespace zephyra::flightplan {

std::optional<CourseDistance> greatCircle(double fromLat, double fromLon, double toLat,
                                          double toLon, double zero, bool replaceZeroToLatitude) {
    constexpr double R = kDegreesPerRadian;
    constexpr double H = kHalfPi;
    if (toLat == 0.0) {
        if (!replaceZeroToLatitude) {
            return std::nullopt;
        }
        toLat = zero;
    }
    const double pa = fromLat / R;
    const double pw = toLat / R;
    if (fromLon < 0) {
        fromLon += 360.0;
    }
    if (toLon < 0) {
        toLon += 360.0;
    }
    double d = fromLon - toLon;
    if (std::fabs(d) > 180.0) {
        d = d >= 0 ? d - 360.0 : d + 360.0;
    }
    double delta = std::fabs(d) / R;
    const double tanW = std::tan(pw);
    if (tanW == 0.0) {
        return std::nullopt;
    }
    const double A = std::atan(std::cos(delta) / tanW);
    if (delta == 0.0) {
        delta = zero;
    }
    const double cosA = std::cos(A);
    const double sinA = std::sin(A);
    const double tanDelta = std::tan(delta);
    if (cosA == 0.0 || sinA == 0.0 || tanDelta == 0.0) {
        return std::nullopt;
    }
    const double x = std::sin(pw) * std::cos(H - pa - A) / cosA;
    if (x == 0.0 || 1.0 - x * x < 0.0) {
        return std::nullopt;
    }
    double c = std::atan(std::sqrt(1.0 - x * x) / x);
    if (c < 0) {
        c += 2.0 * H;
    }
    const double C = std::atan(std::sin(H - pa - A) / (tanDelta * sinA));
    double course = 90.0 - C * R;
    if (d > 0) {
        course = 360.0 - course;
    }
    const CourseDistance out{course, c * R * 60.0};
    if (!std::isfinite(out.course) || !std::isfinite(out.distance)) {
        return std::nullopt;
    }
    return out;
}

std::optional<CourseDistance> courseAndDistance(double fromLat, double fromLon, double toLat,
                                                double toLon) {
    auto cd = greatCircle(fromLat, fromLon, toLat, toLon, kGenerationZero, true);
    if (cd) {
        while (cd->course < 0.0) {
            cd->course += 360.0;
        }
        while (cd->course > 360.0) {
            cd->course -= 360.0;
        }
    }
    return cd;
}

double GET_GPS_DATA(double fromLat, double fromLon, double toLat, double toLon, char mode) {
    const auto cd = courseAndDistance(fromLat, fromLon, toLat, toLon);
    if (!cd) {
        return 0.0;
    }
    return mode == 'H' ? cd->course : cd->distance;
}

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;
constexpr double kNmPerRadian = 180.0 * 60.0 / kPi;

double angleBetween(double lat1, double lon1, double lat2, double lon2) {
    const double p1 = lat1 * kRad;
    const double p2 = lat2 * kRad;
    const double dp = p2 - p1;
    const double dl = (lon2 - lon1) * kRad;
    const double h = std::sin(dp / 2) * std::sin(dp / 2) +
                     std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
    return 2.0 * std::atan2(std::sqrt(h), std::sqrt(std::max(0.0, 1.0 - h)));
}

double courseBetween(double lat1, double lon1, double lat2, double lon2) {
    const double p1 = lat1 * kRad;
    const double p2 = lat2 * kRad;
    const double dl = (lon2 - lon1) * kRad;
    const double y = std::sin(dl) * std::cos(p2);
    const double x = std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl);
    if (x == 0.0 && y == 0.0) {
        return 0.0;
    }
    double c = std::atan2(y, x) / kRad;
    if (c < 0.0) {
        c += 360.0;
    }
    return c >= 360.0 ? 0.0 : c;
}

}  // namespace

CourseDistance sphericalCourseDistance(double fromLat, double fromLon, double toLat, double toLon) {
    return {courseBetween(fromLat, fromLon, toLat, toLon),
            angleBetween(fromLat, fromLon, toLat, toLon) * kNmPerRadian};
}

GeoPoint destinationPoint(double lat, double lon, double courseTrue, double distanceNm) {
    const double p1 = lat * kRad;
    const double l1 = lon * kRad;
    const double t = courseTrue * kRad;
    const double d = distanceNm / kNmPerRadian;
    const double sinP2 = std::clamp(
        std::sin(p1) * std::cos(d) + std::cos(p1) * std::sin(d) * std::cos(t), -1.0, 1.0);
    const double p2 = std::asin(sinP2);
    const double l2 = l1 + std::atan2(std::sin(t) * std::sin(d) * std::cos(p1),
                                      std::cos(d) - std::sin(p1) * sinP2);
    double lonDeg = std::fmod(l2 / kRad + 540.0, 360.0);
    if (lonDeg < 0.0) {
        lonDeg += 360.0;
    }
    return {p2 / kRad, lonDeg - 180.0};
}

double crossTrackNm(double fromLat, double fromLon, double toLat, double toLon, double lat,
                    double lon) {
    const double d13 = angleBetween(fromLat, fromLon, lat, lon);
    const double t13 = courseBetween(fromLat, fromLon, lat, lon) * kRad;
    const double t12 = courseBetween(fromLat, fromLon, toLat, toLon) * kRad;
    return std::fabs(std::asin(std::clamp(std::sin(d13) * std::sin(t13 - t12), -1.0, 1.0))) *
           kNmPerRadian;
}

int quadrantOf(double course) {
    if (course < 90.0) {
        return 1;
    }
    if (course < 180.0) {
        return 2;
    }
    if (course < 270.0) {
        return 3;
    }
    return 4;
}

}  // namespace zephyra::flightplan
