#include "map/MapView.h"

#include <algorithm>
#include <cmath>

namespace zephyra::map {

double wrapLongitude(double lon) {
    double w = std::fmod(lon + 180.0, 360.0);
    if (w < 0.0) {
        w += 360.0;
    }
    return w - 180.0;
}

std::vector<GeoPoint> greatCircleLeg(GeoPoint from, GeoPoint to, double maxStepDegrees) {
    constexpr double kRad = 3.14159265358979323846 / 180.0;
    struct V {
        double x, y, z;
    };
    const auto vec = [&](GeoPoint p) {
        const double la = p.lat * kRad, lo = p.lon * kRad;
        return V{std::cos(la) * std::cos(lo), std::cos(la) * std::sin(lo), std::sin(la)};
    };
    const V a = vec(from), b = vec(to);
    const V c{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    const double arc =
        std::atan2(std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z), a.x * b.x + a.y * b.y + a.z * b.z);
    const double sinArc = std::sin(arc);
    std::vector<GeoPoint> points{from};
    if (!(maxStepDegrees > 0.0) || sinArc < 1e-9) {
        points.push_back(to);
        return points;
    }
    const int steps = std::max(1, static_cast<int>(std::ceil(arc / kRad / maxStepDegrees - 1e-9)));
    for (int i = 1; i < steps; ++i) {
        const double f = static_cast<double>(i) / steps;
        const double wa = std::sin((1.0 - f) * arc) / sinArc;
        const double wb = std::sin(f * arc) / sinArc;
        const V v{wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z};
        points.push_back({std::atan2(v.z, std::sqrt(v.x * v.x + v.y * v.y)) / kRad,
                          wrapLongitude(std::atan2(v.y, v.x) / kRad)});
    }
    points.push_back(to);
    return points;
}

MapView::MapView(int width, int height) : width_(std::max(1, width)), height_(std::max(1, height)) {
    scale_ = minScale();
}

double MapView::minScale() const {
    return std::max(width_ / 360.0, height_ / 180.0);
}

void MapView::resize(int width, int height) {
    width_ = std::max(1, width);
    height_ = std::max(1, height);
    setScale(scale_);
}

void MapView::setScale(double pixelsPerDegree) {
    scale_ = std::clamp(pixelsPerDegree, minScale(), kMaxScale);
    clampCentre();
}

void MapView::setCentre(GeoPoint centre) {
    centre_ = centre;
    clampCentre();
}

void MapView::clampCentre() {
    centre_.lon = wrapLongitude(centre_.lon);
    const double half = height_ / 2.0 / scale_;
    centre_.lat = half >= 90.0 ? 0.0 : std::clamp(centre_.lat, -90.0 + half, 90.0 - half);
}

ScreenPoint MapView::project(GeoPoint p) const {
    return {width_ / 2.0 + wrapLongitude(p.lon - centre_.lon) * scale_, yOf(p.lat)};
}

GeoPoint MapView::unproject(ScreenPoint s) const {
    return {centre_.lat - (s.y - height_ / 2.0) / scale_,
            wrapLongitude(centre_.lon + (s.x - width_ / 2.0) / scale_)};
}

void MapView::zoomAbout(ScreenPoint anchor, double factor) {
    const double lonAt = centre_.lon + (anchor.x - width_ / 2.0) / scale_;
    const double latAt = centre_.lat - (anchor.y - height_ / 2.0) / scale_;
    scale_ = std::clamp(scale_ * factor, minScale(), kMaxScale);
    centre_.lon = lonAt - (anchor.x - width_ / 2.0) / scale_;
    centre_.lat = latAt + (anchor.y - height_ / 2.0) / scale_;
    clampCentre();
}

void MapView::pan(double dx, double dy) {
    centre_.lon -= dx / scale_;
    centre_.lat += dy / scale_;
    clampCentre();
}

void MapView::fit(std::span<const GeoPoint> points, double marginPx) {
    if (points.empty()) {
        return;
    }
    const double ref = points.front().lon;
    double lonMin = ref, lonMax = ref;
    double latMin = points.front().lat, latMax = latMin;
    for (const GeoPoint& p : points) {
        const double lon = ref + wrapLongitude(p.lon - ref);
        lonMin = std::min(lonMin, lon);
        lonMax = std::max(lonMax, lon);
        latMin = std::min(latMin, p.lat);
        latMax = std::max(latMax, p.lat);
    }
    const double w = std::max(1.0, width_ - 2.0 * marginPx);
    const double h = std::max(1.0, height_ - 2.0 * marginPx);
    const double spanLon = std::max(lonMax - lonMin, 1e-3);
    const double spanLat = std::max(latMax - latMin, 1e-3);
    scale_ = std::clamp(std::min({w / spanLon, h / spanLat, 200.0}), minScale(), kMaxScale);
    centre_ = {(latMin + latMax) / 2.0, (lonMin + lonMax) / 2.0};
    clampCentre();
}

double MapView::west() const {
    return centre_.lon - width_ / 2.0 / scale_;
}
double MapView::east() const {
    return centre_.lon + width_ / 2.0 / scale_;
}
double MapView::south() const {
    return centre_.lat - height_ / 2.0 / scale_;
}
double MapView::north() const {
    return centre_.lat + height_ / 2.0 / scale_;
}

std::vector<double> MapView::worldOffsets() const {
    std::vector<double> offsets;
    for (int k = -1; k <= 1; ++k) {
        const double offset = 360.0 * k;
        if (offset + 180.0 > west() && offset - 180.0 < east()) {
            offsets.push_back(offset);
        }
    }
    return offsets;
}

std::optional<std::size_t> nearestWithin(const MapView& view, std::span<const GeoPoint> points,
                                         ScreenPoint at, double radiusPx) {
    std::optional<std::size_t> best;
    double bestSq = radiusPx * radiusPx;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const ScreenPoint s = view.project(points[i]);
        const double dx = s.x - at.x;
        const double dy = s.y - at.y;
        const double sq = dx * dx + dy * dy;
        if (sq <= bestSq && (!best || sq < bestSq)) {
            best = i;
            bestSq = sq;
        }
    }
    return best;
}

}  // namespace zephyra::map
