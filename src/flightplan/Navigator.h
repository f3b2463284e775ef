#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "flightplan/FlightPlan.h"

namespace zephyra::simlink {
class SimLink;
}

namespace zephyra::flightplan {

// What the navigation tick reads of the main window beyond the plan.
struct NavigationSwitches {
    bool apUpdate = false;  // "A/P Update" ticked
    bool metric = false;    // UOM "M": altitudes are metres, the autopilot wants feet
};

constexpr double kFeetPerMetre = 3.2808;

// The five-second navigation tick: reads the aircraft position through the simulator link,
// switches to the next plan entry within 5 nm, works out course, distance, wind correction,
// ground speed and time en route to the active waypoint, and steers the autopilot.
class Navigator {
  public:
    static constexpr const char* kNotConnected = "Not Conected";

    // firstConnection is the program-wide flag the waypoint loading resets.
    Navigator(FlightPlan& flight, simlink::SimLink& sim, std::int16_t& firstConnection)
        : flight_(flight), sim_(sim), firstConnection_(firstConnection) {}

    std::int16_t AutoSwitchDist = 5;

    // The status line is shared with the rest of the window.
    std::function<std::string()> status;
    std::function<void(const std::string&)> setStatus;
    // The first connected tick that reads a position (closest-station tracking starts there).
    std::function<void()> onFirstConnection;
    // Every position read, in degrees.
    std::function<void(double lat, double lon)> onPosition;
    // Each automatic switch, with the name of the waypoint that became active.
    std::function<void(const std::string& name)> onSwitch;

    enum class TickResult { NotConnected, PositionOnly, Steered };
    TickResult tick(const NavigationSwitches& switches);

    // Right after Send: reads the position, shows the new leg and gives the autopilot its
    // targets at once, without waiting for the next tick (no automatic switch).
    void sendNow(const NavigationSwitches& switches);

    // The computation alone, from the position shown in Text1/Text2; false when it could not
    // be done (no active waypoint, a crosswind beyond the airspeed) and nothing new is shown.
    bool compute();

  private:
    void steer(const NavigationSwitches& switches);
    void sendSpeed(double speed);

    // Seconds to the active waypoint from the last computation, when the aircraft moves.
    std::optional<double> eteSeconds_;
    // The leg's `targets` value whose speed and altitude the autopilot has been given.
    unsigned speedSent_ = 0;
    unsigned altitudeSent_ = 0;

    FlightPlan& flight_;
    simlink::SimLink& sim_;
    std::int16_t& firstConnection_;
};

}  // namespace zephyra::flightplan
