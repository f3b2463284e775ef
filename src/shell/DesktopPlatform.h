#pragma once

#include <sys/types.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Scheduler.h"

namespace zephyra::simlink {
class BuiltInAircraft;
class FlightGearLink;
}  // namespace zephyra::simlink

namespace zephyra::shell {

// The platform on a Linux desktop. The simulator is the built-in aircraft when the folder is
// the bundled one (it holds "zephyra-sim.ini"); a real FS98 folder is started through Wine.
// With FlightGear chosen, "is it running" asks its property server and "start it" launches
// the configured fgfs command line.
class DesktopPlatform final : public platform::Platform {
  public:
    DesktopPlatform(simlink::BuiltInAircraft& aircraft, platform::Scheduler& scheduler);
    ~DesktopPlatform() override;
    DesktopPlatform(const DesktopPlatform&) = delete;
    DesktopPlatform& operator=(const DesktopPlatform&) = delete;

    // From now on the simulator is FlightGear, started with these words (empty: not
    // installed, and starting it tells the user so).
    void useFlightGear(simlink::FlightGearLink& link, std::vector<std::string> command);
    // Tells the user something (a message box in the application).
    std::function<void(const std::string&)> tellUser;

    bool simulatorWindowExists() override;
    bool startSimulator(const std::string& folder) override;
    void openUrl(const std::string& url, std::function<void(bool opened)> done) override;
    std::optional<std::string> fs98PathFromRegistry() override;

    // True when the folder is the built-in simulator's folder.
    static bool isBuiltInFolder(const std::string& folder);
    // Called after the built-in simulator was started (the window shows itself).
    std::function<void()> onBuiltInStarted;

  private:
    // An opener started for an address, watched until it exits or has run long enough.
    struct Opening {
        pid_t pid = 0;
        double startedAt = 0;  // steady seconds
        std::function<void(bool)> done;
    };
    void watchOpenings();

    simlink::BuiltInAircraft& aircraft_;
    platform::Scheduler& scheduler_;
    std::vector<Opening> openings_;
    std::unique_ptr<platform::Timer> openingsTimer_;
    simlink::FlightGearLink* flightGear_ = nullptr;
    std::vector<std::string> fgfsCommand_;
};

// Starts a program with arguments, no shell in between; the working folder may be empty.
bool spawnDetached(const std::vector<std::string>& argv, const std::string& workingFolder);
// The first executable of that name in the folders of PATH, or empty.
std::string findProgramOnPath(const std::string& name);
// True when a process runs whose command line names FS98's executable (FS98 under Wine).
bool fs98ProcessRunning();

}  // namespace zephyra::shell
