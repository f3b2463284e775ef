#include "reports/BriefingMap.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <vector>

#include "flightplan/WaypointStore.h"
#include "map/MapRenderer.h"

namespace zephyra::reports {

namespace {

std::int8_t categoryCode(const std::string& name) {
    if (name == "VFR") {
        return 1;
    }
    if (name == "MVFR") {
        return 2;
    }
    if (name == "IFR") {
        return 3;
    }
    return name == "LIFR" ? 4 : 0;
}

}  // namespace

std::string briefingMapPng(const Briefing& b, const std::string& mapFolder, int width, int height) {
    if (b.route.size() < 2) {
        return {};
    }
    // Only the route's stations, so the colours are the briefing's own categories.
    flightplan::WaypointStore store;
    for (const auto& s : b.stations) {
        store.add("C", s.id, s.id, s.lat, s.lon, 0, 0, {}, categoryCode(s.category));
    }
    const map::StorePoints points = map::splitStore(store);
    map::MapScene scene;
    scene.points = &points;
    scene.store = &store;
    scene.layers.flightCategories = true;
    // The briefing's stations carry no precipitation, so the legend shows only the categories.
    scene.layers.precipitationLegend = false;
    scene.layers.vors = scene.layers.ndbs = scene.layers.airports = scene.layers.fixes = false;
    scene.layers.aircraft = false;
    std::vector<map::GeoPoint> fitted;
    for (std::size_t i = 0; i < b.route.size(); ++i) {
        scene.route.points.push_back({b.route[i].first, b.route[i].second});
        scene.route.names.push_back(i < b.routeNames.size() ? b.routeNames[i] : std::string());
        fitted.push_back(scene.route.points.back());
    }
    map::MapView view(width, height);
    // Room for the names of the route's ends beside them.
    view.fit(fitted, 150.0);

    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        map::MapRenderer renderer(mapFolder);
        renderer.paint(painter, view, scene);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        return {};
    }
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string briefingPage(const BriefingInput& input, const std::string& mapFolder) {
    Briefing briefing = gatherBriefing(input);
    briefing.mapPng = briefingMapPng(briefing, mapFolder);
    return briefingHtml(briefing);
}

}  // namespace zephyra::reports
