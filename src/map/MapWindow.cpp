#include "map/MapWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>
#include <vector>

#include "flightplan/WaypointStore.h"
#include "map/WindBarbs.h"
#include "weather/AloftField.h"

namespace zephyra::map {

namespace {

constexpr double kHitRadius = 7.0;
constexpr int kDefaultWindLevel = 9000;

}  // namespace

MapCanvas::MapCanvas(MapSource& source, MapRenderer& renderer, QWidget* parent)
    : QWidget(parent), source_(source), renderer_(renderer) {
    setObjectName(QStringLiteral("MapCanvas"));
    setMouseTracking(true);
    setMinimumSize(320, 200);
}

int MapCanvas::stationAt(QPointF pos) const {
    if (scene_.points == nullptr || !scene_.layers.stations) {
        return 0;
    }
    const PointSet& set = scene_.points->stations;
    const auto hit = nearestWithin(view_, set.positions, {pos.x(), pos.y()}, kHitRadius);
    return hit ? set.storeIndex[*hit] : 0;
}

int MapCanvas::navaidAt(QPointF pos) const {
    if (scene_.points == nullptr) {
        return 0;
    }
    int best = 0;
    double bestSq = kHitRadius * kHitRadius + 1.0;
    for (PointKind kind : {PointKind::Vor, PointKind::Ndb, PointKind::Airport, PointKind::Fix}) {
        if (!shownAt(kind, view_.scale(), scene_.layers)) {
            continue;
        }
        const PointSet& set = scene_.points->of(kind);
        if (const auto hit = nearestWithin(view_, set.positions, {pos.x(), pos.y()}, kHitRadius)) {
            const ScreenPoint s = view_.project(set.positions[*hit]);
            const double sq = (s.x - pos.x()) * (s.x - pos.x()) + (s.y - pos.y()) * (s.y - pos.y());
            if (sq < bestSq) {
                bestSq = sq;
                best = set.storeIndex[*hit];
            }
        }
    }
    return best;
}

void MapCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    renderer_.paint(p, view_, scene_);
}

void MapCanvas::resizeEvent(QResizeEvent*) {
    view_.resize(width(), height());
}

void MapCanvas::wheelEvent(QWheelEvent* event) {
    const double factor = std::pow(1.25, event->angleDelta().y() / 120.0);
    view_.zoomAbout({event->position().x(), event->position().y()}, factor);
    update();
    event->accept();
}

void MapCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressAt_ = event->position();
        lastDrag_ = event->position();
        dragged_ = false;
    }
}

void MapCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (pressAt_ && (event->buttons() & Qt::LeftButton)) {
        if (!dragged_ && (event->position() - *pressAt_).manhattanLength() < 4.0) {
            return;
        }
        dragged_ = true;
        const QPointF d = event->position() - lastDrag_;
        lastDrag_ = event->position();
        view_.pan(d.x(), d.y());
        update();
        return;
    }
    hover(event->position(), event->globalPosition().toPoint());
}

void MapCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressAt_) {
        return;
    }
    pressAt_.reset();
    if (!dragged_ && scene_.store != nullptr) {
        const int entry = navaidAt(event->position());
        if (entry > 0 && entry <= scene_.store->WpsCount) {
            const auto k = static_cast<std::size_t>(entry);
            source_.navaidChosen(std::string(scene_.store->WpsName[k]), scene_.store->WpsLat[k],
                                 scene_.store->WpsLon[k]);
        }
    }
}

void MapCanvas::hover(QPointF pos, QPoint global) {
    int entry = stationAt(pos);
    if (scene_.store == nullptr || entry > scene_.store->WpsCount) {
        entry = 0;  // the store is being reloaded
    }
    if (entry == hovered_) {
        return;
    }
    hovered_ = entry;
    if (entry == 0) {
        QToolTip::hideText();
        setToolTip(QString());
        return;
    }
    const auto& store = *scene_.store;
    const std::string id(store.WpsFreq[entry]);
    const QString text = QString::fromStdString(id + " " + std::string(store.WpsName[entry]) +
                                                "\n" + source_.stationReport(id));
    setToolTip(text);
    QToolTip::showText(global, text, this);
}

MapWindow::MapWindow(MapSource& source, const std::string& dataFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), source_(source), renderer_(dataFolder) {
    setObjectName(QStringLiteral("WeatherMap"));
    setWindowTitle(QStringLiteral("Weather Map"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    bar_ = new QWidget(this);
    auto* row = new QHBoxLayout(bar_);
    row->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar_);
    canvas_ = new MapCanvas(source_, renderer_, this);
    layout->addWidget(canvas_, 1);

    addSwitch(QStringLiteral("Stations"), &MapLayers::stations);
    addSwitch(QStringLiteral("Legend"), &MapLayers::legend);
    addSwitch(QStringLiteral("Flight category"), &MapLayers::flightCategories);
    addSwitch(QStringLiteral("VOR"), &MapLayers::vors);
    addSwitch(QStringLiteral("NDB"), &MapLayers::ndbs);
    addSwitch(QStringLiteral("Airports"), &MapLayers::airports);
    addSwitch(QStringLiteral("Fixes"), &MapLayers::fixes);
    addSwitch(QStringLiteral("Plan"), &MapLayers::plan);
    addSwitch(QStringLiteral("Aircraft"), &MapLayers::aircraft);
    addSwitch(QStringLiteral("Borders"), &MapLayers::borders);
    addSwitch(QStringLiteral("Grid"), &MapLayers::grid);
    row->addSpacing(8);
    auto* winds = new QLabel(QStringLiteral("Winds aloft"), bar_);
    row->addWidget(winds);
    windLevel_ = new QComboBox(bar_);
    windLevel_->setObjectName(QStringLiteral("WindLevel"));
    windLevel_->addItem(QStringLiteral("Off"), 0);
    for (const int feet : kWindLevels) {
        windLevel_->addItem(QString::fromStdString(windLevelText(feet)), feet);
    }
    windLevel_->setCurrentIndex(windLevel_->findData(kDefaultWindLevel));
    winds->setBuddy(windLevel_);
    row->addWidget(windLevel_);
    connect(windLevel_, &QComboBox::currentIndexChanged, this, [this] { showWindLevel(); });
    row->addStretch(1);
    auto* fit = new QPushButton(QStringLiteral("Fit Plan"), bar_);
    fit->setObjectName(QStringLiteral("FitPlan"));
    row->addWidget(fit);
    auto* centre = new QPushButton(QStringLiteral("Centre on Aircraft"), bar_);
    centre->setObjectName(QStringLiteral("CentreAircraft"));
    row->addWidget(centre);
    connect(fit, &QPushButton::clicked, this, [this] { fitPlan(); });
    connect(centre, &QPushButton::clicked, this, [this] { centreOnAircraft(); });

    canvas_->scene().points = &points_;
    canvas_->scene().track = &track_;
    showWindLevel();
    resize(1100, 640);
    refresh();
}

void MapWindow::addSwitch(const QString& caption, bool MapLayers::*layer) {
    auto* box = new QCheckBox(caption, bar_);
    box->setObjectName(QStringLiteral("Layer") + QString(caption).remove(QLatin1Char(' ')));
    box->setChecked(canvas_->scene().layers.*layer);
    bar_->layout()->addWidget(box);
    switches_[caption] = box;
    connect(box, &QCheckBox::toggled, this, [this, layer](bool on) {
        canvas_->scene().layers.*layer = on;
        canvas_->update();
    });
}

QCheckBox* MapWindow::layerSwitch(const QString& name) const {
    const auto it = switches_.find(name);
    return it == switches_.end() ? nullptr : it->second;
}

void MapWindow::refresh() {
    MapScene& scene = canvas_->scene();
    bool changed = false;
    const flightplan::WaypointStore& store = source_.waypoints();
    const std::uint64_t print = storeFingerprint(store);
    if (print != storePrint_ || scene.store != &store) {
        points_ = splitStore(store);
        scene.store = &store;
        storePrint_ = print;
        closestId_ = "\x01";  // look the closest station up again
        changed = true;
    }
    const std::string closest = source_.closestStationId();
    if (closest != closestId_) {
        closestId_ = closest;
        scene.closestStation = 0;
        const PointSet& stations = points_.stations;
        for (std::size_t i = 0; i < stations.storeIndex.size() && !closest.empty(); ++i) {
            if (store.WpsFreq[stations.storeIndex[i]] == closest) {
                scene.closestStation = stations.storeIndex[i];
            }
        }
        changed = true;
    }
    PlanRoute route = source_.route();
    if (!(route == scene.route)) {
        scene.route = std::move(route);
        changed = true;
    }
    const auto aircraft = source_.aircraft();
    if (aircraft) {
        const bool moved = !scene.aircraft ||
                           scene.aircraft->position.lat != aircraft->position.lat ||
                           scene.aircraft->position.lon != aircraft->position.lon ||
                           scene.aircraft->heading != aircraft->heading;
        track_.add(aircraft->position);
        changed = changed || moved;
    } else if (scene.aircraft) {
        track_.clear();
        changed = true;
    }
    scene.aircraft = aircraft;
    auto aloft = source_.aloft();
    if (aloft != aloft_) {
        aloft_ = std::move(aloft);
        showWindLevel();
    }
    if (changed) {
        canvas_->update();
    }
}

// The barbs at the chosen level, while winds aloft are loaded, with the forecasts' names and
// valid times.
void MapWindow::showWindLevel() {
    MapScene& scene = canvas_->scene();
    const bool loaded = aloft_ && !aloft_->empty();
    windLevel_->setEnabled(loaded);
    windLevel_->setToolTip(loaded ? QStringLiteral("The level of the wind barbs")
                                  : QStringLiteral("No winds aloft are loaded"));
    scene.aloft = loaded ? aloft_.get() : nullptr;
    scene.windLevel = loaded ? windLevel_->currentData().toInt() : 0;
    scene.windCaption.clear();
    if (scene.windLevel > 0) {
        scene.windCaption = "Winds aloft " + windLevelText(scene.windLevel) + ":";
        for (const auto& f : aloft_->forecasts()) {
            const std::string valid = weather::isoTime(f->validTime());
            scene.windCaption +=
                " " + f->name() +
                (valid.empty() ? std::string()
                               : " valid " + valid.substr(0, 10) + " " + valid.substr(11, 2) + "Z");
        }
    }
    canvas_->update();
}

void MapWindow::fitPlan() {
    std::vector<GeoPoint> points = canvas_->scene().route.points;
    if (canvas_->scene().aircraft && canvas_->scene().route.active == 0) {
        points.push_back(canvas_->scene().aircraft->position);
    }
    if (points.empty()) {
        return;
    }
    canvas_->view().fit(points, 40.0);
    canvas_->update();
}

void MapWindow::centreOnAircraft() {
    if (const auto& aircraft = canvas_->scene().aircraft) {
        canvas_->view().setCentre(aircraft->position);
        canvas_->update();
    }
}

}  // namespace zephyra::map
