#pragma once

#include <optional>

namespace zephyra::flightplan {

// Initial great-circle course and distance as the navigation tick and the plan generation work
// them out, with the program's own constants (57.295779 degrees per radian, pi/2 as
// 1.57079632). Positions in degrees, north and east positive.
struct CourseDistance {
    double course = 0.0;    // true, degrees; 0..360 from courseAndDistance
    double distance = 0.0;  // nautical miles
};

constexpr double kDegreesPerRadian = 57.295779;
constexpr double kHalfPi = 1.57079632;
// What a zero longitude difference is replaced by: the navigation tick's value and the one
// of the plan generation, which also replaces a zero latitude of the "to" point with it.
constexpr double kTickZero = 0.000001;
constexpr double kGenerationZero = 0.00000001;

// Nothing when the computation would divide by zero or leave the real numbers (the "to"
// latitude is 0 with zeroToLatitude false, or the two points coincide badly). The course is
// the raw initial course; courseAndDistance brings it into 0..360.
std::optional<CourseDistance> greatCircle(double fromLat, double fromLon, double toLat,
                                          double toLon, double zero, bool replaceZeroToLatitude);

// The generation's course-and-distance: course in 0..360 and distance in nm.
std::optional<CourseDistance> courseAndDistance(double fromLat, double fromLon, double toLat,
                                                double toLon);

// Great-circle course and distance by the spherical formulas in their well-conditioned form
// (haversine, atan2): defined for every pair of valid positions, the equator, the prime
// meridian, the poles and the date line included. Course true in 0..360 (0 for coincident
// points or a start at a pole towards the other one).
CourseDistance sphericalCourseDistance(double fromLat, double fromLon, double toLat, double toLon);

// Where a great circle from a point along a true course leads after a distance in nm.
struct GeoPoint {
    double lat = 0.0;
    double lon = 0.0;  // -180..180
};
GeoPoint destinationPoint(double lat, double lon, double courseTrue, double distanceNm);

// Distance in nm of a point from the great circle through two others (positive either side).
double crossTrackNm(double fromLat, double fromLon, double toLat, double toLon, double lat,
                    double lon);

// Mode "H" gives the course, "D" the distance; 0 when it cannot be computed.
double GET_GPS_DATA(double fromLat, double fromLon, double toLat, double toLon, char mode);

// Quadrant of a course: 1 for 0..90, 2 for 90..180, 3 for 180..270, 4 from 270.
int quadrantOf(double course);

}  // namespace zephyra::flightplan
