#pragma once

#include <QObject>
#include <functional>

#include "flightplan/Navigator.h"

namespace zephyra::shell {

class VaneWindow;
struct AppContext;

// The status line while the built-in aircraft is stopped.
inline constexpr const char* kAircraftStopped = "The aircraft is stopped.";

// The navigation status of the main window: the five-second tick (Timer1), Set Next Waypoint
// (Command11, Send), clearing the active waypoint, and the labels the tick writes (position,
// heading, distance, wind, ground speed, time en route, the active waypoint and its frequency,
// the panel inside the simulator's window).
class NavigationStatusBinder : public QObject {
    Q_OBJECT
  public:
    NavigationStatusBinder(AppContext& context, VaneWindow& vane, flightplan::FlightPlan& flight);

    // Closest-station tracking starts on the first connected tick that reads a position.
    std::function<void()> onFirstConnection;
    // Every position the tick reads, in degrees.
    std::function<void(double lat, double lon)> onPosition;
    // The plan lists changed (an entry became active).
    std::function<void()> onPlanChanged;

    void tick();
    void setNextWaypoint();      // Command11
    void clearActiveWaypoint();  // Picture17, right button
    // Copies the navigation texts into the labels.
    void show();
    // The active waypoint, its altitude or its speed was edited: the autopilot gets them at
    // once (with A/P Update on) and the status shows them.
    void activeTargetsChanged();
    flightplan::Navigator& navigator() { return navigator_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The simulator's connection state, and the values read from it greyed while it is lost.
    void showConnected(bool connected);
    void showVariation(const std::string& text);

    AppContext& ctx_;
    VaneWindow& vane_;
    flightplan::FlightPlan& flight_;
    flightplan::Navigator navigator_;
    std::string shownWaypoint_;
    // The active-waypoint label, kept so that events reaching the filter while the window is
    // being taken down never call into it.
    QObject* activeWaypointLabel_ = nullptr;
};

}  // namespace zephyra::shell
