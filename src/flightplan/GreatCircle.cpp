#include "flightplan/GreatCircle.h"

#include <algorithm>
#include <cmath>

namespace zephyra::flightplan {

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

double distanceToLegNm(double lat, double lon, double fromLat, double fromLon, double toLat,
                       double toLon) {
    const double toPoint = angleBetween(fromLat, fromLon, lat, lon);
    const double leg = angleBetween(fromLat, fromLon, toLat, toLon);
    const double turn = (courseBetween(fromLat, fromLon, lat, lon) -
                         courseBetween(fromLat, fromLon, toLat, toLon)) *
                        kRad;
    // Off the great circle, and how far along it the point's foot lies.
    const double across = std::asin(std::clamp(std::sin(toPoint) * std::sin(turn), -1.0, 1.0));
    const double along =
        std::atan2(std::sin(toPoint) * std::cos(turn), std::cos(toPoint) * std::cos(across));
    if (along <= 0.0 || along >= leg) {
        return std::min(toPoint, angleBetween(toLat, toLon, lat, lon)) * kNmPerRadian;
    }
    return std::abs(across) * kNmPerRadian;
}

}  // namespace zephyra::flightplan
