#pragma once

#include <QObject>
#include <memory>

#include "map/MapSource.h"
#include "platform/Scheduler.h"

class QPushButton;

namespace zephyra::map {
class MapWindow;
}

namespace zephyra::shell {

class VaneWindow;
struct AppContext;

// The main window's "Weather Map" button and the map's view of the program: the waypoint
// store, the plan with its active leg, the aircraft, the closest station, station reports and
// the Find box. While the map is shown it is refreshed once a second.
class MapBinder : public QObject, public map::MapSource {
    Q_OBJECT
  public:
    static constexpr int kRefreshMs = 1000;

    MapBinder(AppContext& context, VaneWindow& vane);
    ~MapBinder() override;

    void open();
    map::MapWindow* window() const { return window_.get(); }

    const flightplan::WaypointStore& waypoints() override;
    map::PlanRoute route() override;
    std::optional<map::AircraftState> aircraft() override;
    std::string closestStationId() override;
    std::string stationReport(const std::string& id) override;
    void navaidChosen(const std::string& name, double lat, double lon) override;
    std::shared_ptr<const weather::AloftField> aloft() override;

    // The refresh timer: running while the map is shown.
    const platform::Timer& refreshTimer() const { return *timer_; }

  private:
    // Places the map centred on the available area of the main window's screen.
    void place();

    AppContext& ctx_;
    VaneWindow& vane_;
    QPushButton* button_;
    std::unique_ptr<map::MapWindow> window_;
    std::unique_ptr<platform::Timer> timer_;
};

}  // namespace zephyra::shell
