#include "map/MapRenderer.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "flightplan/WaypointStore.h"
#include "map/Palette.h"
#include "map/WindBarbs.h"
#include "weather/AloftField.h"

namespace zephyra::map {

namespace {

QString toQString(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

constexpr QColor kSea(170, 200, 226);
constexpr QColor kLand(238, 234, 220);
constexpr QColor kLake(170, 200, 226);
constexpr QColor kCoast(90, 110, 130);
constexpr QColor kBorder(150, 120, 140);
constexpr QColor kState(185, 170, 180);
constexpr QColor kGrid(255, 255, 255, 110);
constexpr QColor kRoute(200, 0, 160);
constexpr QColor kActiveLeg(0, 200, 80);
constexpr QColor kBarb(20, 40, 120);

constexpr int kStationSprite = 0;
constexpr int kPrecipSprite = 12;
constexpr int kClosestSprite = 21;
constexpr int kNavaidSprite = 22;
constexpr int kFlightCategorySprite = 26;
constexpr int kSpriteSize = 20;

QColor colourOf(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

int navaidSprite(PointKind kind) {
    switch (kind) {
        case PointKind::Vor:
            return kNavaidSprite;
        case PointKind::Ndb:
            return kNavaidSprite + 1;
        case PointKind::Airport:
            return kNavaidSprite + 2;
        default:
            return kNavaidSprite + 3;
    }
}

// The grid step in degrees that leaves at least 60 pixels between lines.
double gridStep(double scale) {
    for (double step : {0.25, 0.5, 1.0, 2.0, 5.0, 10.0, 15.0, 30.0}) {
        if (step * scale >= 60.0) {
            return step;
        }
    }
    return 30.0;
}

}  // namespace

MapRenderer::MapRenderer(std::string dataFolder) : dataFolder_(std::move(dataFolder)) {}

const BaseMap& MapRenderer::baseMap(Detail detail) {
    const auto i = static_cast<std::size_t>(detail);
    if (!loaded_[i]) {
        bases_[i] = loadBaseMap(dataFolder_ + "/" + baseMapFileName(detail));
        loaded_[i] = true;
    }
    return bases_[i];
}

const QImage& MapRenderer::sprite(int which) {
    QImage& img = sprites_[static_cast<std::size_t>(which)];
    if (!img.isNull()) {
        return img;
    }
    img = QImage(kSpriteSize, kSpriteSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(kSpriteSize / 2.0, kSpriteSize / 2.0);
    if (which < kPrecipSprite) {
        p.setPen(QPen(QColor(40, 40, 40), 1.0));
        p.setBrush(colourOf(categoryColour(which)));
        p.drawEllipse(QPointF(0, 0), 3.6, 3.6);
    } else if (which < kClosestSprite) {
        p.setPen(QPen(colourOf(precipitationColour(which - kPrecipSprite + 1)), 2.4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(0, 0), 6.2, 6.2);
    } else if (which >= kFlightCategorySprite) {
        p.setPen(QPen(QColor(40, 40, 40), 1.0));
        p.setBrush(colourOf(flightCategoryColour(which - kFlightCategorySprite)));
        p.drawEllipse(QPointF(0, 0), 3.6, 3.6);
    } else if (which == kClosestSprite) {
        p.setPen(QPen(QColor(0, 0, 0), 2.0));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(0, 0), 8.5, 8.5);
        p.setPen(QPen(QColor(255, 255, 0), 1.2));
        p.drawEllipse(QPointF(0, 0), 8.5, 8.5);
    } else {
        drawNavaidSprite(p, which - kNavaidSprite);
    }
    return img;
}

// NAVAIDs stay light so that the weather reads first.
void MapRenderer::drawNavaidSprite(QPainter& p, int kind) {
    p.setOpacity(0.75);
    if (kind == 0) {  // VOR: a hexagon with a dot
        QPolygonF hex;
        for (int k = 0; k < 6; ++k) {
            const double a = k * M_PI / 3.0;
            hex << QPointF(5.0 * std::cos(a), 5.0 * std::sin(a));
        }
        p.setPen(QPen(QColor(0, 70, 170), 1.4));
        p.setBrush(QColor(255, 255, 255, 160));
        p.drawPolygon(hex);
        p.setBrush(QColor(0, 70, 170));
        p.drawEllipse(QPointF(0, 0), 1.2, 1.2);
    } else if (kind == 1) {  // NDB: a dotted circle
        p.setPen(QPen(QColor(150, 60, 20), 1.6, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(0, 0), 5.0, 5.0);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(150, 60, 20));
        p.drawEllipse(QPointF(0, 0), 1.8, 1.8);
    } else if (kind == 2) {  // airport: a runway cross
        p.setPen(QPen(QColor(100, 30, 110), 1.8));
        p.drawLine(QPointF(-4.0, 0.0), QPointF(4.0, 0.0));
        p.drawLine(QPointF(0.0, -4.0), QPointF(0.0, 4.0));
    } else {  // fix: a small triangle
        QPolygonF tri;
        tri << QPointF(0, -3.5) << QPointF(3.2, 2.5) << QPointF(-3.2, 2.5);
        p.setPen(QPen(QColor(60, 60, 60), 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(tri);
    }
}

void MapRenderer::drawRings(QPainter& p, const MapView& view, const std::vector<Ring>& rings,
                            bool fill) {
    const double s = view.scale();
    const double y0 = view.yOf(0.0);
    const double south = view.south();
    const double north = view.north();
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    QPolygonF poly;
    for (const double offset : view.worldOffsets()) {
        const double west = view.west() - offset;
        const double east = view.east() - offset;
        const double x0 = view.xOfUnwrapped(offset);
        for (const Ring& r : rings) {
            if (r.east < west || r.west > east || r.north < south || r.south > north) {
                continue;
            }
            poly.clear();
            const std::size_t n = r.lon.size();
            QPointF last(x0 + r.lon[0] * s, y0 - r.lat[0] * s);
            poly << last;
            // Points closer than a pixel to the last one kept add nothing visible.
            for (std::size_t i = 1; i < n; ++i) {
                const QPointF q(x0 + r.lon[i] * s, y0 - r.lat[i] * s);
                if (i + 1 == n || std::abs(q.x() - last.x()) + std::abs(q.y() - last.y()) >= 0.8) {
                    poly << q;
                    last = q;
                }
            }
            if (fill) {
                path.addPolygon(poly);
            } else {
                p.drawPolyline(poly);
            }
        }
    }
    if (fill) {
        p.drawPath(path);
    }
}

void MapRenderer::drawGrid(QPainter& p, const MapView& view) {
    const double step = gridStep(view.scale());
    p.setPen(QPen(kGrid, 1.0));
    for (double lon = std::floor(view.west() / step) * step; lon <= view.east(); lon += step) {
        const double x = view.xOfUnwrapped(lon);
        p.drawLine(QPointF(x, 0), QPointF(x, view.height()));
    }
    for (double lat = std::max(-90.0, std::floor(view.south() / step) * step);
         lat <= std::min(90.0, view.north()); lat += step) {
        const double y = view.yOf(lat);
        p.drawLine(QPointF(0, y), QPointF(view.width(), y));
    }
    p.setPen(QColor(60, 80, 100));
    QFont f = p.font();
    f.setPointSizeF(7.0);
    p.setFont(f);
    char text[32];
    for (double lon = std::floor(view.west() / step) * step; lon <= view.east(); lon += step) {
        const double w = wrapLongitude(lon + 1e-9);
        std::snprintf(text, sizeof text, "%g%s", std::abs(std::round(w * 100) / 100),
                      std::abs(w) < 1e-6 || std::abs(w) > 179.999 ? "" : (w < 0 ? "W" : "E"));
        p.drawText(QPointF(view.xOfUnwrapped(lon) + 2, 10), QString::fromLatin1(text));
    }
    for (double lat = std::max(-90.0, std::floor(view.south() / step) * step);
         lat <= std::min(90.0, view.north()); lat += step) {
        std::snprintf(text, sizeof text, "%g%s", std::abs(lat),
                      std::abs(lat) < 1e-6 ? "" : (lat < 0 ? "S" : "N"));
        p.drawText(QPointF(2, view.yOf(lat) - 2), QString::fromLatin1(text));
    }
}

void MapRenderer::paintBase(QPainter& p, const MapView& view, const MapLayers& layers) {
    p.fillRect(QRectF(0, 0, view.width(), view.height()), kSea);
    const BaseMap& base = baseMap(detailFor(view.scale()));
    // Fills without antialiasing: the antialiased coastline drawn over them hides the steps.
    p.setPen(Qt::NoPen);
    p.setBrush(kLand);
    drawRings(p, view, base.layer(BaseLayer::Land), true);
    p.setBrush(kLake);
    drawRings(p, view, base.layer(BaseLayer::Lakes), true);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kCoast, 0.8));
    drawRings(p, view, base.layer(BaseLayer::Lakes), false);
    drawRings(p, view, base.layer(BaseLayer::Coastline), false);
    if (layers.borders) {
        p.setPen(QPen(kState, 0.7, Qt::DashLine));
        drawRings(p, view, base.layer(BaseLayer::States), false);
        p.setPen(QPen(kBorder, 1.0));
        drawRings(p, view, base.layer(BaseLayer::Borders), false);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    if (layers.grid) {
        drawGrid(p, view);
    }
}

template <class F>
void LabelSpace::forCells(const QRectF& box, F&& f) const {
    const int x0 = static_cast<int>(std::floor(box.left() / kCell));
    const int x1 = static_cast<int>(std::floor(box.right() / kCell));
    const int y0 = static_cast<int>(std::floor(box.top() / kCell));
    const int y1 = static_cast<int>(std::floor(box.bottom() / kCell));
    for (int x = x0; x <= x1; ++x) {
        for (int y = y0; y <= y1; ++y) {
            if (!f(std::make_pair(x, y))) {
                return;
            }
        }
    }
}

bool LabelSpace::claim(const QRectF& box) {
    bool free = true;
    forCells(box, [&](const std::pair<int, int>& cell) {
        const auto it = cells_.find(cell);
        if (it != cells_.end()) {
            for (const QRectF& taken : it->second) {
                if (taken.intersects(box)) {
                    free = false;
                    return false;
                }
            }
        }
        return true;
    });
    if (free) {
        take(box);
    }
    return free;
}

void LabelSpace::take(const QRectF& box) {
    forCells(box, [&](const std::pair<int, int>& cell) {
        cells_[cell].push_back(box);
        return true;
    });
}

void MapRenderer::paint(QPainter& painter, const MapView& view, const MapScene& scene) {
    labels_.clear();
    pending_.clear();
    char key[160];
    std::snprintf(key, sizeof key, "%.9f %.9f %.9f %d %d %d %d", view.centre().lat,
                  view.centre().lon, view.scale(), view.width(), view.height(),
                  scene.layers.borders ? 1 : 0, scene.layers.grid ? 1 : 0);
    if (baseKey_ != key) {
        base_ = QImage(view.width(), view.height(), QImage::Format_ARGB32_Premultiplied);
        QPainter p(&base_);
        paintBase(p, view, scene.layers);
        baseKey_ = key;
    }
    painter.drawImage(0, 0, base_);
    drawWinds(painter, view, scene);
    drawPoints(painter, view, scene);
    if (scene.layers.stations) {
        drawStations(painter, view, scene);
    }
    if (scene.layers.plan) {
        drawPlan(painter, view, scene);
    }
    drawPendingLabels(painter);
    if (scene.layers.aircraft) {
        drawBlend(painter, view, scene);
        drawAircraft(painter, view, scene);
    }
    if (scene.layers.legend && scene.layers.stations) {
        drawLegend(painter, view, scene.layers);
    }
}

void MapRenderer::drawPoints(QPainter& p, const MapView& view, const MapScene& scene) {
    if (scene.points == nullptr) {
        return;
    }
    const bool names = view.scale() >= 150.0;
    p.setPen(QColor(40, 40, 60));
    QFont f = p.font();
    f.setPointSizeF(7.0);
    p.setFont(f);
    for (PointKind kind : {PointKind::Fix, PointKind::Airport, PointKind::Ndb, PointKind::Vor}) {
        if (!shownAt(kind, view.scale(), scene.layers)) {
            continue;
        }
        const QImage& img = sprite(navaidSprite(kind));
        const PointSet& set = scene.points->of(kind);
        for (std::size_t i = 0; i < set.positions.size(); ++i) {
            const ScreenPoint s = view.project(set.positions[i]);
            if (!view.onScreen(s, kSpriteSize)) {
                continue;
            }
            p.drawImage(QPointF(s.x - kSpriteSize / 2.0, s.y - kSpriteSize / 2.0), img);
            if (names && scene.store != nullptr && set.storeIndex[i] <= scene.store->WpsCount) {
                pending_.push_back({-static_cast<int>(kind), QPointF(s.x + 7, s.y + 3),
                                    toQString(scene.store->WpsName[set.storeIndex[i]])});
            }
        }
    }
}

void MapRenderer::drawPendingLabels(QPainter& p) {
    if (pending_.empty()) {
        return;
    }
    // VORs, then NDBs, airports and fixes; within a kind, in the order they were met.
    std::stable_sort(
        pending_.begin(), pending_.end(),
        [](const PendingLabel& a, const PendingLabel& b) { return a.priority > b.priority; });
    QFont f = p.font();
    f.setPointSizeF(7.0);
    f.setBold(false);
    p.setFont(f);
    p.setPen(QColor(40, 40, 60));
    const QFontMetricsF metrics(f, p.device());
    for (const PendingLabel& label : pending_) {
        const QRectF box = metrics.boundingRect(label.text).translated(label.at);
        if (labels_.claim(box.adjusted(-1, -1, 1, 1))) {
            p.drawText(label.at, label.text);
        }
    }
}

void MapRenderer::drawStations(QPainter& p, const MapView& view, const MapScene& scene) {
    if (scene.points == nullptr || scene.store == nullptr) {
        return;
    }
    const PointSet& set = scene.points->stations;
    const auto& store = *scene.store;
    const double half = kSpriteSize / 2.0;
    for (std::size_t i = 0; i < set.positions.size(); ++i) {
        const ScreenPoint s = view.project(set.positions[i]);
        if (!view.onScreen(s, half)) {
            continue;
        }
        const int entry = set.storeIndex[i];
        if (entry > store.WpsCount) {
            continue;  // the store is being reloaded; the next refresh splits it again
        }
        const int level = precipitationLevel(store.WpsPrecip[entry]);
        if (level > 0) {
            p.drawImage(QPointF(s.x - half, s.y - half), sprite(kPrecipSprite + level - 1));
        }
        const int cat = store.WpsWxCat[entry];
        const int flight = store.WpsFlightCat[entry];
        p.drawImage(QPointF(s.x - half, s.y - half),
                    scene.layers.flightCategories
                        ? sprite(kFlightCategorySprite +
                                 (flight >= 0 && flight < kFlightCategories ? flight : 0))
                        : sprite(kStationSprite + (cat >= 0 && cat <= 10 ? cat : 11)));
    }
    const int closest = scene.closestStation;
    if (closest > 0 && closest <= store.WpsCount) {
        const ScreenPoint s = view.project({store.WpsLat[closest], store.WpsLon[closest]});
        p.drawImage(QPointF(s.x - half, s.y - half), sprite(kClosestSprite));
        QFont f = p.font();
        f.setPointSizeF(8.0);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::black);
        const QString id = toQString(store.WpsFreq[closest]);
        const QPointF at(s.x + 11, s.y - 6);
        labels_.take(QFontMetricsF(f, p.device()).boundingRect(id).translated(at));
        p.drawText(at, id);
    }
}

void MapRenderer::drawPlan(QPainter& p, const MapView& view, const MapScene& scene) {
    const PlanRoute& route = scene.route;
    if (route.points.empty()) {
        return;
    }
    p.setRenderHint(QPainter::Antialiasing, true);
    // Each leg follows the great circle from its start to its end, each step the shorter way
    // round, so a leg across the 180th meridian stays one line.
    const auto leg = [&](GeoPoint from, GeoPoint to) {
        const auto points = greatCircleLeg(from, to);
        ScreenPoint a = view.project(from);
        QPolygonF line;
        line << QPointF(a.x, a.y);
        for (std::size_t i = 1; i < points.size(); ++i) {
            a.x += wrapLongitude(points[i].lon - points[i - 1].lon) * view.scale();
            a.y = view.yOf(points[i].lat);
            line << QPointF(a.x, a.y);
        }
        p.drawPolyline(line);
    };
    for (std::size_t i = 1; i < route.points.size(); ++i) {
        const bool active = static_cast<int>(i) == route.active;
        p.setPen(QPen(active ? kActiveLeg : kRoute, active ? 4.0 : 2.0));
        leg(route.points[i - 1], route.points[i]);
    }
    if (route.active == 0 && scene.aircraft) {
        p.setPen(QPen(kActiveLeg, 4.0));
        leg(scene.aircraft->position, route.points[0]);
    }
    QFont f = p.font();
    f.setPointSizeF(8.0);
    f.setBold(true);
    p.setFont(f);
    // Every waypoint's box; then the names, the active waypoint's first and always, the
    // others where they overlap no name drawn before (the NAVAIDs' names come after).
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < route.points.size(); ++i) {
        const ScreenPoint s = view.project(route.points[i]);
        if (!view.onScreen(s, 100)) {
            continue;
        }
        const bool active = static_cast<int>(i) == route.active;
        p.setPen(QPen(Qt::black, 1.0));
        p.setBrush(active ? kActiveLeg : kRoute);
        p.drawRect(QRectF(s.x - 4, s.y - 4, 8, 8));
        order.insert(active ? order.begin() : order.end(), i);
    }
    const QFontMetricsF metrics(f, p.device());
    for (const std::size_t i : order) {
        const ScreenPoint s = view.project(route.points[i]);
        const bool active = static_cast<int>(i) == route.active;
        const QString name = QString::fromStdString(route.names[i]);
        const QPointF at(s.x + 8, s.y + 14);
        const QRectF box = metrics.boundingRect(name).translated(at);
        if (active) {
            labels_.take(box);
        } else if (!labels_.claim(box)) {
            continue;
        }
        p.setPen(QColor(255, 255, 255, 220));
        p.drawText(at + QPointF(1, 1), name);
        p.setPen(active ? QColor(0, 110, 40) : QColor(120, 0, 100));
        p.drawText(at, name);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
}

// The blend's circle round the aircraft, a line to each of its stations as thick as its weight
// and the weight beside the station.
void MapRenderer::drawBlend(QPainter& p, const MapView& view, const MapScene& scene) {
    if (!scene.blend || scene.blend->radiusNm <= 0) {
        return;
    }
    const BlendShown& b = *scene.blend;
    p.setRenderHint(QPainter::Antialiasing, true);
    const ScreenPoint c = view.project(b.centre);
    const double degrees = b.radiusNm / 60.0;
    const double stretch = 1.0 / std::max(0.05, std::cos(b.centre.lat * 3.14159265358979 / 180));
    QPolygonF circle;
    for (int i = 0; i <= 72; ++i) {
        const double a = i * 5.0 * 3.14159265358979 / 180.0;
        circle << QPointF(c.x + std::sin(a) * degrees * stretch * view.scale(),
                          c.y - std::cos(a) * degrees * view.scale());
    }
    p.setPen(QPen(QColor(20, 90, 170, 200), 1.4, Qt::DashLine));
    p.setBrush(QColor(20, 90, 170, 18));
    p.drawPolygon(circle);
    QFont font = p.font();
    font.setPointSizeF(8.0);
    font.setBold(true);
    p.setFont(font);
    for (const BlendShown::Station& s : b.stations) {
        ScreenPoint at = view.project(s.at);
        at.x = c.x + wrapLongitude(s.at.lon - b.centre.lon) * view.scale();
        p.setPen(QPen(QColor(20, 90, 170, 220), 1.0 + 5.0 * s.weight, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(c.x, c.y), QPointF(at.x, at.y));
        const QString text =
            QString::fromStdString(s.id) + QStringLiteral(" %1%").arg(std::lround(s.weight * 100));
        const QRectF box(at.x + 6, at.y - 16, 90, 14);
        p.setPen(QColor(255, 255, 255, 230));
        p.drawText(box.translated(1, 1), Qt::AlignLeft | Qt::AlignVCenter, text);
        p.setPen(QColor(10, 60, 130));
        p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
}

void MapRenderer::drawAircraft(QPainter& p, const MapView& view, const MapScene& scene) {
    if (!scene.aircraft) {
        return;
    }
    p.setRenderHint(QPainter::Antialiasing, true);
    if (scene.track != nullptr && scene.track->points().size() > 1) {
        const auto& pts = scene.track->points();
        QPolygonF line;
        ScreenPoint a = view.project(pts.front());
        line << QPointF(a.x, a.y);
        for (std::size_t i = 1; i < pts.size(); ++i) {
            a.x += wrapLongitude(pts[i].lon - pts[i - 1].lon) * view.scale();
            a.y = view.yOf(pts[i].lat);
            line << QPointF(a.x, a.y);
        }
        p.setPen(QPen(QColor(30, 30, 30, 200), 1.5, Qt::DashLine));
        p.drawPolyline(line);
    }
    const ScreenPoint s = view.project(scene.aircraft->position);
    p.save();
    p.translate(s.x, s.y);
    p.rotate(scene.aircraft->heading);
    QPolygonF plane;
    plane << QPointF(0, -11) << QPointF(2, -4) << QPointF(10, 2) << QPointF(10, 4) << QPointF(2, 1)
          << QPointF(1.5, 7) << QPointF(4, 10) << QPointF(-4, 10) << QPointF(-1.5, 7)
          << QPointF(-2, 1) << QPointF(-10, 4) << QPointF(-10, 2) << QPointF(-2, -4);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(QColor(255, 215, 0));
    p.drawPolygon(plane);
    p.restore();
    p.setRenderHint(QPainter::Antialiasing, false);
}

void MapRenderer::drawLegend(QPainter& p, const MapView& view, const MapLayers& layers) {
    const bool flightCategories = layers.flightCategories;
    const bool precipitation = layers.precipitationLegend;
    constexpr int kRow = 14;
    // The flight categories need five rows and one column; the precipitation rings twelve rows.
    const int width = precipitation ? 290 : 140;
    const int rows = precipitation || !flightCategories ? 13 : kFlightCategories + 1;
    const int height = rows * kRow + 10;
    const QRectF box(view.width() - width - 8, view.height() - height - 8, width, height);
    p.setPen(QColor(90, 90, 90));
    p.setBrush(QColor(255, 255, 255, 225));
    p.drawRect(box);
    QFont f = p.font();
    f.setPointSizeF(7.5);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QPointF(box.left() + 6, box.top() + kRow), flightCategories
                                                              ? QStringLiteral("Flight category")
                                                              : QStringLiteral("Weather category"));
    if (precipitation) {
        p.drawText(QPointF(box.left() + 150, box.top() + kRow),
                   QStringLiteral("Precipitation index"));
    }
    f.setBold(false);
    p.setFont(f);
    const double half = kSpriteSize / 2.0;
    for (int code = 0; flightCategories && code < kFlightCategories; ++code) {
        // VFR first, unknown last.
        const int shown = (code + 1) % kFlightCategories;
        const double y = box.top() + kRow * (code + 2);
        p.drawImage(QPointF(box.left() + 12 - half, y - 4 - half),
                    sprite(kFlightCategorySprite + shown));
        p.drawText(QPointF(box.left() + 22, y), QString::fromStdString(flightCategoryLabel(shown)));
    }
    for (int cat = 0; !flightCategories && cat <= kThunderstormCategory; ++cat) {
        const double y = box.top() + kRow * (cat + 2);
        p.drawImage(QPointF(box.left() + 12 - half, y - 4 - half), sprite(kStationSprite + cat));
        p.drawText(QPointF(box.left() + 22, y), QString::number(cat) + QStringLiteral("  ") +
                                                    QString::fromStdString(categoryLabel(cat)));
    }
    const char* groups[] = {"drizzle, mist", "rain, snow", "thunder"};
    for (int level = 1; precipitation && level <= kPrecipitationLevels; ++level) {
        const double y = box.top() + kRow * (level + 1);
        p.drawImage(QPointF(box.left() + 158 - half, y - 4 - half),
                    sprite(kPrecipSprite + level - 1));
        QString text = QString::fromStdString(precipitationLabel(level));
        if (level % 3 == 2) {
            text += QStringLiteral("  ") + QString::fromLatin1(groups[level / 3]);
        }
        p.drawText(QPointF(box.left() + 172, y), text);
    }
    if (precipitation) {
        p.drawText(QPointF(box.left() + 150, box.top() + kRow * 12),
                   QStringLiteral("ring round the dot"));
    }
}

void MapRenderer::drawWinds(QPainter& p, const MapView& view, const MapScene& scene) {
    if (scene.aloft == nullptr || scene.aloft->empty() || scene.windLevel <= 0) {
        return;
    }
    const auto barbs = windBarbs(view, *scene.aloft, scene.windLevel);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kBarb, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const WindBarb& b : barbs) {
        const ScreenPoint at = view.project(b.at);
        if (!view.onScreen(at, 40.0)) {
            continue;
        }
        const BarbShape shape =
            barbShape(b.direction.value_or(0.0), b.direction ? b.knots : 0.0, b.at.lat < 0.0);
        p.setBrush(Qt::NoBrush);
        if (shape.circle > 0.0) {
            p.drawEllipse(QPointF(at.x, at.y), shape.circle, shape.circle);
            continue;
        }
        p.setBrush(QColor(255, 255, 255, 170));
        p.drawEllipse(QPointF(at.x, at.y), 1.6, 1.6);
        for (const auto& line : shape.lines) {
            p.drawLine(QPointF(at.x + line.from.x, at.y + line.from.y),
                       QPointF(at.x + line.to.x, at.y + line.to.y));
        }
        p.setBrush(kBarb);
        for (const auto& tri : shape.pennants) {
            QPolygonF poly;
            for (const ScreenPoint& c : tri) {
                poly << QPointF(at.x + c.x, at.y + c.y);
            }
            p.drawPolygon(poly);
        }
    }
    if (!scene.windCaption.empty()) {
        QFont f = p.font();
        f.setPointSizeF(8.0);
        p.setFont(f);
        const QString text = QString::fromStdString(scene.windCaption);
        const QRectF box = QFontMetricsF(f).boundingRect(text).adjusted(-6, -3, 6, 3);
        const QRectF placed = box.translated(8 - box.left(), view.height() - 8 - box.bottom());
        p.setPen(QColor(90, 90, 90));
        p.setBrush(QColor(255, 255, 255, 225));
        p.drawRect(placed);
        p.setPen(kBarb);
        p.drawText(placed, Qt::AlignCenter, text);
    }
    p.restore();
}

}  // namespace zephyra::map
