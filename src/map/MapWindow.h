#pragma once

#include <QWidget>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "map/MapRenderer.h"
#include "map/MapScene.h"
#include "map/MapSource.h"
#include "map/MapView.h"

class QCheckBox;
class QComboBox;

namespace zephyra::map {

// The map itself: paints through MapRenderer, zooms with the wheel about the pointer, pans by
// dragging, shows a station's report when the pointer rests on it and reports clicked NAVAIDs.
class MapCanvas : public QWidget {
    Q_OBJECT
  public:
    MapCanvas(MapSource& source, MapRenderer& renderer, QWidget* parent = nullptr);

    MapView& view() { return view_; }
    MapScene& scene() { return scene_; }
    // The store entry of the station or NAVAID under a point of the widget, 0 for none.
    int stationAt(QPointF pos) const;
    int navaidAt(QPointF pos) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void hover(QPointF pos, QPoint global);

    MapSource& source_;
    MapRenderer& renderer_;
    MapView view_;
    MapScene scene_;
    std::optional<QPointF> pressAt_;
    QPointF lastDrag_;
    bool dragged_ = false;
    int hovered_ = 0;
};

// The "Weather Map" window: layer switches, the level of the wind barbs, Fit Plan and Centre
// on Aircraft above the map. refresh() reads the source again and repaints when something
// changed. The level chooser is enabled while winds aloft are loaded.
class MapWindow : public QWidget {
    Q_OBJECT
  public:
    MapWindow(MapSource& source, const std::string& dataFolder, QWidget* parent = nullptr);

    void refresh();
    void fitPlan();
    void centreOnAircraft();
    MapCanvas& canvas() { return *canvas_; }
    QCheckBox* layerSwitch(const QString& name) const;
    QComboBox* windLevelChooser() const { return windLevel_; }

  private:
    void addSwitch(const QString& caption, bool MapLayers::*layer);
    void showWindLevel();

    MapSource& source_;
    MapRenderer renderer_;
    MapCanvas* canvas_;
    StorePoints points_;
    std::uint64_t storePrint_ = 0;
    AircraftTrack track_;
    std::string closestId_;
    std::map<QString, QCheckBox*> switches_;
    QComboBox* windLevel_ = nullptr;
    std::shared_ptr<const weather::AloftField> aloft_;
    QWidget* bar_ = nullptr;
};

}  // namespace zephyra::map
