#include "shell/MapBinder.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "map/MapWindow.h"
#include "reports/StationReport.h"
#include "shell/AppContext.h"
#include "shell/EventHook.h"
#include "shell/FindBoxBinder.h"
#include "shell/PlanControls.h"
#include "shell/VaneWindow.h"
#include "shell/WindowPlacement.h"
#include "simlink/BuiltInAircraft.h"
#include "weather/WeatherDb.h"

namespace zephyra::shell {

namespace {

const QRect kButtonPlace(506, 365, 96, 21);

}  // namespace

MapBinder::MapBinder(AppContext& context, VaneWindow& vane)
    : QObject(&vane), ctx_(context), vane_(vane) {
    button_ = new QPushButton(QStringLiteral("Weather Map"), &vane_);
    button_->setObjectName(QStringLiteral("WeatherMapButton"));
    button_->setGeometry(kButtonPlace);
    connect(button_, &QPushButton::clicked, this, [this] { open(); });
    timer_ = ctx_.scheduler.createTimer([this] {
        if (window_ && window_->isVisible()) {
            window_->refresh();
        }
    });
}

MapBinder::~MapBinder() {
    // The window goes first: hiding it on the way out stops the timer, which must still be there.
    window_.reset();
}

void MapBinder::open() {
    const bool first = !window_;
    if (first) {
        window_ = std::make_unique<map::MapWindow>(*this, ctx_.folders.shipped + "/map");
        // The refresh runs only while the map is shown.
        EventHook::install(window_.get(), QEvent::Show,
                           [this] { timer_->setInterval(kRefreshMs); });
        EventHook::install(window_.get(), QEvent::Hide, [this] { timer_->setInterval(0); });
    }
    window_->refresh();
    if (first) {
        place();
    }
    window_->show();
    window_->raise();
}

void MapBinder::place() {
    const QScreen* screen =
        vane_.screen() != nullptr ? vane_.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    // The frame the window manager adds, as the main window has it.
    const QSize frame = vane_.isVisible() ? vane_.frameGeometry().size() - vane_.size() : QSize();
    const QRect area = screen->availableGeometry();
    const ScreenRect at =
        placeCentred({area.x(), area.y(), area.width(), area.height()},
                     window_->width() + frame.width(), window_->height() + frame.height());
    // Never narrower or lower than its controls need: then it starts at the area's edge.
    const QSize size = QSize(at.width - frame.width(), at.height - frame.height())
                           .expandedTo(window_->minimumSizeHint());
    window_->resize(size);
    window_->move(
        std::max(area.x(), at.x - std::max(0, size.width() + frame.width() - at.width)),
        std::max(area.y(), at.y - std::max(0, size.height() + frame.height() - at.height)));
}

const flightplan::WaypointStore& MapBinder::waypoints() {
    return ctx_.waypoints;
}

map::PlanRoute MapBinder::route() {
    const flightplan::FlightPlan& flight = vane_.planControls().flight();
    map::PlanRoute route;
    const auto& leg = flight.leg;
    if (leg.active) {
        if (leg.hasPrevious) {
            route.points.push_back({leg.PrevWpLat, leg.PrevWpLon});
            route.names.push_back(leg.PrevWpName);
        }
        route.active = static_cast<int>(route.points.size());
        route.points.push_back({leg.CurWpLat, leg.CurWpLon});
        route.names.push_back(leg.FWAYP);
    }
    const auto& plan = flight.plan;
    for (int i = 0; i < plan.PlanCount && i < static_cast<int>(plan.WaypLst.size()); ++i) {
        route.points.push_back({plan.PlanLat[i], plan.PlanLon[i]});
        route.names.push_back(plan.WaypLst[i]);
    }
    return route;
}

std::optional<map::AircraftState> MapBinder::aircraft() {
    if (ctx_.builtIn != nullptr) {
        return map::AircraftState{{ctx_.builtIn->latitude(), ctx_.builtIn->longitude()},
                                  ctx_.builtIn->heading()};
    }
    // Another simulator: the position the navigation tick last read, heading from the track.
    const auto& display = vane_.planControls().flight().display;
    if (display.Text1.empty() || display.Text2.empty()) {
        return std::nullopt;
    }
    try {
        const map::GeoPoint p{std::stod(display.Text1), std::stod(display.Text2)};
        double heading = 0.0;
        if (window_) {
            const auto& track = window_->canvas().scene();
            if (track.aircraft) {
                const auto from = track.aircraft->position;
                const double dLon =
                    map::wrapLongitude(p.lon - from.lon) * std::cos(p.lat * M_PI / 180.0);
                heading = (dLon == 0.0 && p.lat == from.lat)
                              ? track.aircraft->heading
                              : std::atan2(dLon, p.lat - from.lat) * 180.0 / M_PI;
            }
        }
        return map::AircraftState{p, heading};
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string MapBinder::closestStationId() {
    return vane_.label(QStringLiteral("Text3"))->text().left(4).trimmed().toStdString();
}

std::string MapBinder::stationReport(const std::string& id) {
    auto db = weather::WeatherDb::open(ctx_.databasePath(), nullptr, false);
    if (!db) {
        return reports::kStationNotFound;
    }
    return reports::stationReport(*db, id, ctx_.settings.UOM, ctx_.settings.UnlimitedVis,
                                  ctx_.scheduler.wallClock())
        .text;
}

std::shared_ptr<const weather::AloftField> MapBinder::aloft() {
    return ctx_.aloft;
}

// The Find box gets the clicked waypoint's identifier (its name when it has none), and Find
// takes that very waypoint first when several share the identifier.
void MapBinder::navaidChosen(const std::string& name, double lat, double lon) {
    std::string text = name;
    if (auto db = weather::WeatherDb::open(ctx_.databasePath(), nullptr, false)) {
        auto search = db->searchWps(name);
        for (auto w = search.first(); w; w = search.next()) {
            if (w->Name == name && std::fabs(w->latitudeDegrees() - lat) < 1e-4 &&
                std::fabs(w->longitudeDegrees() - lon) < 1e-4) {
                if (!w->Ident.empty()) {
                    text = w->Ident;
                }
                break;
            }
        }
    }
    vane_.textBox(QStringLiteral("FWP"))->setText(QString::fromStdString(text));
    vane_.planControls().findBox().find(std::make_pair(lat, lon));
}

}  // namespace zephyra::shell
