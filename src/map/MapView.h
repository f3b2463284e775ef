#pragma once

#include <optional>
#include <span>
#include <vector>

namespace zephyra::map {

// A position in degrees: latitude north positive, longitude east positive.
struct GeoPoint {
    double lat = 0.0;
    double lon = 0.0;
};

// A position on the map widget in pixels, y downwards.
struct ScreenPoint {
    double x = 0.0;
    double y = 0.0;
};

// The longitude brought into [-180, 180).
double wrapLongitude(double lon);

// Points along the great circle from one position to another, both ends included, no two
// neighbours more than maxStepDegrees of arc apart; longitudes in [-180, 180). Positions on
// opposite sides of the Earth (no single great circle joins them) give just the two ends.
std::vector<GeoPoint> greatCircleLeg(GeoPoint from, GeoPoint to, double maxStepDegrees = 1.0);

// The equirectangular view of the map: a centre, a scale in pixels per degree and the size of
// the widget. The world repeats east and west of the 180th meridian; the view never shows
// more than one turn of it, so every point has exactly one place on the screen, found the
// shorter way round from the centre. Latitudes stay within the poles.
class MapView {
  public:
    static constexpr double kMaxScale = 4000.0;  // about 30 m per pixel

    MapView(int width = 800, int height = 400);

    int width() const { return width_; }
    int height() const { return height_; }
    double scale() const { return scale_; }
    GeoPoint centre() const { return centre_; }
    // The smallest scale: the whole world fills the widget one way or the other.
    double minScale() const;

    void resize(int width, int height);
    void setScale(double pixelsPerDegree);
    void setCentre(GeoPoint centre);

    ScreenPoint project(GeoPoint p) const;
    GeoPoint unproject(ScreenPoint s) const;

    // Zooms by factor keeping the place under the anchor where it is.
    void zoomAbout(ScreenPoint anchor, double factor);
    // Moves the map with a drag of (dx, dy) pixels.
    void pan(double dx, double dy);
    // Centres and scales so that all points show with a margin of marginPx around them.
    // Points on both sides of the 180th meridian are taken across it.
    void fit(std::span<const GeoPoint> points, double marginPx);

    // The visible longitudes as an unwrapped range around the centre, and the latitudes.
    double west() const;
    double east() const;
    double south() const;
    double north() const;
    // Offsets (multiples of 360) at which a world drawn from -180 to 180 shows in the view.
    std::vector<double> worldOffsets() const;
    // Screen x of an unwrapped longitude (no wrap: for the base map and its offsets).
    double xOfUnwrapped(double lon) const { return width_ / 2.0 + (lon - centre_.lon) * scale_; }
    double yOf(double lat) const { return height_ / 2.0 + (centre_.lat - lat) * scale_; }

    bool onScreen(ScreenPoint s, double margin) const {
        return s.x >= -margin && s.y >= -margin && s.x <= width_ + margin &&
               s.y <= height_ + margin;
    }

  private:
    void clampCentre();

    int width_;
    int height_;
    double scale_ = 1.0;
    GeoPoint centre_;
};

// The index of the point nearest to the screen position within radiusPx, or nothing. Ties
// keep the earlier point.
std::optional<std::size_t> nearestWithin(const MapView& view, std::span<const GeoPoint> points,
                                         ScreenPoint at, double radiusPx);

}  // namespace zephyra::map
