#pragma once

#include <functional>
#include <memory>
#include <string>

#include "flightplan/WaypointStore.h"
#include "platform/Dialogs.h"
#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/Random.h"
#include "platform/Scheduler.h"
#include "shell/Settings.h"
#include "simlink/SimLink.h"
#include "weather/AloftField.h"
#include "weather/WeatherLoader.h"

namespace zephyra::simlink {
class BuiltInAircraft;
class FlightGearLink;
}  // namespace zephyra::simlink

namespace zephyra::shell {

// State shared by the windows and modules for the whole run, set to its start values by the
// main window's load step.
struct SharedState {
    int planCount = 0;                // entries in the flight plan
    std::int16_t autoSwitchDist = 5;  // nm at which the next waypoint becomes active
    std::int16_t cloudRedrawPasses = 3;
    std::int16_t updateWeatherFlag = 0;
    std::int16_t useLastWeather = 0;   // 1 while "Use Last Weather" runs the decoder
    double variedVisibility = 0.0;     // reduced visibility held by the random variation
    std::int16_t firstConnection = 0;  // set once a connected tick started the tracking
    double planDistance = 0.0;         // working copy of FP_Dist for auto-generation
    std::int16_t navigationState = 0;
};

// Everything a window or module needs from its surroundings. The application fills it with
// the real seams; tests fill it with virtual time, scripted dialogs and a pinned generator.
struct AppContext {
    AppContext(platform::Scheduler& scheduler_, platform::Dialogs& dialogs_,
               platform::Random& random_, platform::Platform& platform_, simlink::SimLink& sim_)
        : scheduler(scheduler_),
          dialogs(dialogs_),
          random(random_),
          platform(platform_),
          sim(sim_) {}

    platform::Scheduler& scheduler;
    platform::Dialogs& dialogs;
    platform::Random& random;
    platform::Platform& platform;
    simlink::SimLink& sim;
    simlink::BuiltInAircraft* builtIn = nullptr;    // the embedded aircraft, when it is the link
    simlink::FlightGearLink* flightGear = nullptr;  // FlightGear's link, when it is the simulator

    // Shipped files, settings and the user's files: all beside the executable when run where it
    // was built, apart when installed.
    platform::Folders folders;
    std::string launchFolder;  // current folder when the program started

    Settings settings;
    TransitionSettings transition;
    SharedState shared;
    weather::LoadedWeather weather;       // stations with weather, no-weather flag
    flightplan::WaypointStore waypoints;  // the in-memory waypoints
    // The winds and temperatures aloft loaded or downloaded (empty: none); a new load replaces
    // the pointer, so a reader keeps a consistent field by holding its own copy of it.
    std::shared_ptr<const weather::AloftField> aloft = std::make_shared<weather::AloftField>();

    std::string databasePath() const { return folders.user + "/vanedb.mdb"; }

    // Windows open modal (the application) or modeless (tests drive them while open).
    bool modalWindows = true;
    // Ends the program.
    std::function<void()> quit;
};

}  // namespace zephyra::shell
