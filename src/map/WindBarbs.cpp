#include "map/WindBarbs.h"

#include <algorithm>
#include <cmath>

#include "weather/AloftField.h"

namespace zephyra::map {

namespace {

constexpr double kRad = 3.14159265358979323846 / 180.0;
constexpr int kMaxAcross = 20;
constexpr double kMaxLatitude = 89.0;

// Proportions of a barb to its staff.
constexpr double kBarbLength = 0.42;
constexpr double kBarbLean = 0.3;  // of a barb's length, outwards along the staff
constexpr double kMarkGap = 0.16;
constexpr double kPennantWidth = 0.2;

}  // namespace

std::string windLevelText(int feet) {
    if (feet >= 18000) {
        return "FL" + std::to_string(feet / 100);
    }
    std::string digits = std::to_string(feet);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) {
        digits.insert(static_cast<std::size_t>(i), ",");
    }
    return digits + " ft";
}

BarbMarks barbMarks(double knots) {
    BarbMarks marks;
    const long rounded = std::isfinite(knots) ? std::lround(std::max(0.0, knots) / 5.0) * 5 : 0;
    if (rounded == 0) {
        marks.calm = true;
        return marks;
    }
    marks.pennants = static_cast<int>(rounded / 50);
    marks.barbs = static_cast<int>(rounded % 50 / 10);
    marks.halves = static_cast<int>(rounded % 10 / 5);
    return marks;
}

BarbShape barbShape(double windFrom, double knots, bool southern, double staffLength) {
    BarbShape shape;
    const BarbMarks marks = barbMarks(knots);
    if (marks.calm) {
        shape.circle = staffLength * 0.22;
        return shape;
    }
    const double L = staffLength;
    // Along the staff (into the wind) and across it, towards the side the marks stand on.
    const double a = windFrom * kRad;
    const ScreenPoint s{std::sin(a), -std::cos(a)};
    const double side = southern ? -1.0 : 1.0;
    const ScreenPoint p{side * std::cos(a), side * std::sin(a)};
    const double gap = kMarkGap * L, barb = kBarbLength * L, width = kPennantWidth * L;
    // A lone half barb stands one gap in from the end, so it is not read as a full one.
    const bool loneHalf = marks.pennants == 0 && marks.barbs == 0;
    const double extent = marks.pennants * width + (marks.pennants > 0 ? gap : 0.0) +
                          std::max(0, marks.barbs + marks.halves - 1) * gap +
                          (loneHalf ? gap : 0.0);
    const double staff = std::max(L, extent + 0.45 * L);
    const auto on = [&](double t) { return ScreenPoint{s.x * t, s.y * t}; };
    const auto out = [&](double t, double length) {
        return ScreenPoint{s.x * t + length * (p.x + kBarbLean * s.x),
                           s.y * t + length * (p.y + kBarbLean * s.y)};
    };
    shape.lines.push_back({{0.0, 0.0}, on(staff)});
    double t = staff;
    for (int i = 0; i < marks.pennants; ++i) {
        shape.pennants.push_back(
            {on(t), on(t - width), ScreenPoint{on(t).x + barb * p.x, on(t).y + barb * p.y}});
        t -= width;
    }
    if (marks.pennants > 0) {
        t -= gap;
    }
    for (int i = 0; i < marks.barbs; ++i) {
        shape.lines.push_back({on(t), out(t, barb)});
        t -= gap;
    }
    if (marks.halves > 0) {
        if (loneHalf) {
            t -= gap;
        }
        shape.lines.push_back({on(t), out(t, barb / 2.0)});
    }
    return shape;
}

double latticeStep(const MapView& view) {
    const double across = view.east() - view.west();
    for (const double step : {0.25, 0.5, 1.0, 2.0, 2.5, 5.0, 10.0, 15.0, 20.0, 30.0}) {
        if (across / step <= kMaxAcross) {
            return step;
        }
    }
    return 30.0;
}

std::vector<GeoPoint> windLattice(const MapView& view) {
    const double step = latticeStep(view);
    std::vector<GeoPoint> points;
    const double north = std::min(view.north(), kMaxLatitude);
    const double south = std::max(view.south(), -kMaxLatitude);
    const long firstRow = std::lround(std::floor(north / step));
    const long lastRow = std::lround(std::ceil(south / step));
    const long firstColumn = std::lround(std::ceil(view.west() / step));
    const long lastColumn = std::lround(std::floor(view.east() / step));
    for (long r = firstRow; r >= lastRow; --r) {
        for (long c = firstColumn; c <= lastColumn; ++c) {
            const double lon = static_cast<double>(c) * step;
            // The east edge of a whole world is its west edge again.
            if (c > firstColumn && std::fabs(lon - view.west() - 360.0) < 1e-9) {
                continue;
            }
            points.push_back({static_cast<double>(r) * step, wrapLongitude(lon)});
        }
    }
    return points;
}

std::vector<WindBarb> windBarbs(const MapView& view, const weather::AloftField& field,
                                double altitudeFeet, std::int64_t when) {
    std::vector<WindBarb> barbs;
    if (field.empty()) {
        return barbs;
    }
    for (const GeoPoint& at : windLattice(view)) {
        if (const auto s = field.at(at.lat, at.lon, altitudeFeet, when)) {
            barbs.push_back({at, s->direction, s->speedKnots});
        }
    }
    return barbs;
}

}  // namespace zephyra::map
