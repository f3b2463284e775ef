#pragma once

#include <QImage>
#include <QPainter>
#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "map/BaseMap.h"
#include "map/MapScene.h"
#include "map/MapView.h"

namespace zephyra::map {

// The room the map's labels take: a label is drawn only when its box overlaps none drawn
// before it, so zoomed-in names never pile up. Boxes are kept in cells of a coarse grid.
class LabelSpace {
  public:
    void clear() { cells_.clear(); }
    // Takes the box when it is free; false (and nothing taken) when it overlaps a taken one.
    bool claim(const QRectF& box);
    // Takes the box whatever lies there (labels that are always drawn).
    void take(const QRectF& box);

  private:
    static constexpr double kCell = 64.0;
    template <class F>
    void forCells(const QRectF& box, F&& f) const;
    std::map<std::pair<int, int>, std::vector<QRectF>> cells_;
};

// Paints the map with Qt's painter (no widgets): the base map and grid from a cached image
// that is redrawn only when the view or its layers change, then the stations, NAVAIDs, plan,
// aircraft and legend; wind barbs of the winds aloft lie over the base map under the rest.
// Everything off-screen is skipped.
class MapRenderer {
  public:
    // Base maps are read from dataFolder on first use.
    explicit MapRenderer(std::string dataFolder = {});

    void paint(QPainter& painter, const MapView& view, const MapScene& scene);
    // Draws the base map and grid for the view now, without the cache.
    void paintBase(QPainter& painter, const MapView& view, const MapLayers& layers);
    const BaseMap& baseMap(Detail detail);
    // Forgets the cached base-map image (the next paint redraws it).
    void invalidateBase() { baseKey_.clear(); }

  private:
    // A NAVAID name waiting for room: drawn after the plan's names, VORs first.
    struct PendingLabel {
        int priority;
        QPointF at;
        QString text;
    };
    void drawPendingLabels(QPainter& p);

    void drawRings(QPainter& p, const MapView& view, const std::vector<Ring>& rings, bool fill);
    void drawGrid(QPainter& p, const MapView& view);
    void drawPoints(QPainter& p, const MapView& view, const MapScene& scene);
    void drawStations(QPainter& p, const MapView& view, const MapScene& scene);
    void drawPlan(QPainter& p, const MapView& view, const MapScene& scene);
    void drawBlend(QPainter& p, const MapView& view, const MapScene& scene);
    void drawAircraft(QPainter& p, const MapView& view, const MapScene& scene);
    void drawWinds(QPainter& p, const MapView& view, const MapScene& scene);
    void drawLegend(QPainter& p, const MapView& view, const MapLayers& layers);
    const QImage& sprite(int which);
    static void drawNavaidSprite(QPainter& p, int kind);

    std::string dataFolder_;
    std::array<BaseMap, 2> bases_;
    std::array<bool, 2> loaded_{false, false};
    QImage base_;
    std::string baseKey_;
    // Station dots by category (0..10, 11 unknown), precipitation rings by level (12..20),
    // the closest-station ring (21), VOR, NDB, airport, fix (22..25).
    std::array<QImage, 31> sprites_;
    LabelSpace labels_;
    std::vector<PendingLabel> pending_;
};

}  // namespace zephyra::map
