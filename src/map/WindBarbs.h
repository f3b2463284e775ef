#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "map/MapView.h"

namespace zephyra::weather {
class AloftField;
}

// Wind barbs of the winds aloft over the map: the levels, the lattice they stand on and the
// shape of each barb, apart from the painting.
namespace zephyra::map {

// The levels the map shows the winds aloft at, feet (those of NOAA's FB forecast up to FL390).
inline constexpr std::array<int, 9> kWindLevels{3000,  6000,  9000,  12000, 18000,
                                                24000, 30000, 34000, 39000};
// "9,000 ft" below 18,000 ft, "FL180" from there up.
std::string windLevelText(int feet);

// The marks of a barb for a speed rounded to the nearest 5 kt: pennants of 50 kt, full barbs
// of 10 and a half barb of 5; calm below 2.5 kt (a circle, no staff).
struct BarbMarks {
    int pennants = 0;
    int barbs = 0;
    int halves = 0;
    bool calm = false;
    bool operator==(const BarbMarks&) const = default;
};
BarbMarks barbMarks(double knots);

// A barb drawn about its station at (0, 0), in pixels with y downwards: the staff points into
// the wind (towards where it blows from), the marks sit at its outer end, pennants outermost,
// each leaning outwards, on the clockwise side of the staff in the northern hemisphere and on
// the other in the southern. A calm barb is a circle of `circle` pixels' radius.
struct BarbShape {
    struct Line {
        ScreenPoint from, to;
    };
    std::vector<Line> lines;                           // the staff first, then the barbs
    std::vector<std::array<ScreenPoint, 3>> pennants;  // filled triangles
    double circle = 0.0;                               // radius of the calm circle, 0 for none
};
// windFrom: degrees true; staffLength in pixels.
BarbShape barbShape(double windFrom, double knots, bool southern, double staffLength = 26.0);

// The lattice the barbs stand on: the step in degrees, from a fixed list, that puts 10 to 20
// points across the visible longitudes (fewer when the whole world shows), and the points on
// whole multiples of it inside the view, rows from north to south, longitudes in [-180, 180).
double latticeStep(const MapView& view);
std::vector<GeoPoint> windLattice(const MapView& view);

// One barb of the field: where, the wind (direction none when light and variable) and where it
// came from.
struct WindBarb {
    GeoPoint at;
    std::optional<double> direction;
    double knots = 0.0;
};
// The field at the level on the lattice of the view; points the forecasts do not reach are left
// out. when: seconds since 1970 (0: the earliest forecast).
std::vector<WindBarb> windBarbs(const MapView& view, const weather::AloftField& field,
                                double altitudeFeet, std::int64_t when = 0);

}  // namespace zephyra::map
