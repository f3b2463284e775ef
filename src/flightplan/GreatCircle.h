#pragma once

namespace zephyra::flightplan {

// Great-circle course and distance. Positions in degrees, north and east positive.
struct CourseDistance {
    double course = 0.0;    // true, degrees, 0..360
    double distance = 0.0;  // nautical miles
};

// Degrees per radian as the navigation tick's wind correction takes it.
constexpr double kDegreesPerRadian = 57.295779;

// Great-circle course and distance by the spherical formulas in their well-conditioned form
// (haversine, atan2): defined for every pair of valid positions, the equator, the prime
// meridian, the poles and the date line included. Course true in 0..360 (0 for coincident
// points or a start at a pole towards the other one).
CourseDistance sphericalCourseDistance(double fromLat, double fromLon, double toLat, double toLon);

// The shortest distance in nautical miles from a point to the great-circle leg between two
// others: across the great circle where the point's foot lies on the leg, else to the nearer
// end.
double distanceToLegNm(double lat, double lon, double fromLat, double fromLon, double toLat,
                       double toLon);

}  // namespace zephyra::flightplan
