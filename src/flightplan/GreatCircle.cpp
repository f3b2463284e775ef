#include "flightplan/GreatCircle.h"

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
