#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>

#include "flightplan/WaypointStore.h"
#include "map/MapRenderer.h"

namespace {

using namespace zephyra::map;

// Painting text needs a GUI application; the offscreen platform needs no display.
void ensureGuiApp() {
    static int argc = 1;
    static char name[] = "zephyra-bench";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication app(argc, argv);
    }
}

// 10,000 stations spread over the view, every category and precipitation level.
zephyra::flightplan::WaypointStore tenThousandStations(const MapView& view) {
    zephyra::flightplan::WaypointStore store;
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) / 16777216.0;
    };
    for (int i = 0; i < 10000; ++i) {
        const double lat = view.south() + next() * (view.north() - view.south());
        const double lon = view.west() + next() * (view.east() - view.west());
        store.add("C", "STATION", "K" + std::to_string(i), lat, lon,
                  static_cast<std::int16_t>(i % 11), static_cast<std::int16_t>((i * 7) % 46));
    }
    return store;
}

struct MapFixture {
    MapView view{1200, 700};
    MapRenderer renderer{ZEPHYRA_SOURCE_DIR "/data/map"};
    zephyra::flightplan::WaypointStore store;
    StorePoints points;
    AircraftTrack track;
    MapScene scene;
    QImage image{1200, 700, QImage::Format_ARGB32_Premultiplied};

    MapFixture() {
        ensureGuiApp();
        view.setScale(8.0);  // North America and the Atlantic: the 50m base map
        view.setCentre({38.0, -75.0});
        store = tenThousandStations(view);
        points = splitStore(store);
        scene.points = &points;
        scene.store = &store;
        scene.closestStation = 17;
        scene.route.points = {{33.64, -84.43}, {36.1, -79.9}, {38.9, -77.0}, {40.64, -73.78}};
        scene.route.names = {"ATLANTA", "GREENSBORO", "WASHINGTON", "KENNEDY"};
        scene.route.active = 2;
        for (int i = 0; i < 100; ++i) {
            track.add({36.0 + i * 0.02, -79.5 + i * 0.02});
        }
        scene.track = &track;
        scene.aircraft = AircraftState{{38.0, -77.5}, 45.0};
    }
};

// What a repaint costs while the view stands still and the weather, plan or aircraft change:
// the cached base map and everything above it.
void BM_MapRepaint10000Stations(benchmark::State& state) {
    MapFixture f;
    {
        QPainter warm(&f.image);
        f.renderer.paint(warm, f.view, f.scene);
    }
    for (auto _ : state) {
        QPainter p(&f.image);
        f.renderer.paint(p, f.view, f.scene);
    }
}
BENCHMARK(BM_MapRepaint10000Stations)->Unit(benchmark::kMillisecond);

// A repaint after a pan or zoom: the 50m base map drawn again, then the rest.
void BM_MapRepaintAfterPan(benchmark::State& state) {
    MapFixture f;
    double step = 0.5;
    for (auto _ : state) {
        f.view.pan(step, 0.0);
        step = -step;
        QPainter p(&f.image);
        f.renderer.paint(p, f.view, f.scene);
    }
}
BENCHMARK(BM_MapRepaintAfterPan)->Unit(benchmark::kMillisecond);

}  // namespace
