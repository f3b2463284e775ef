#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"

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
    explicit DesktopPlatform(simlink::BuiltInAircraft& aircraft);

    // From now on the simulator is FlightGear, started with these words (empty: not
    // installed, and starting it tells the user so).
    void useFlightGear(simlink::FlightGearLink& link, std::vector<std::string> command);
    // Tells the user something (a message box in the application).
    std::function<void(const std::string&)> tellUser;

    bool simulatorWindowExists() override;
    bool startSimulator(const std::string& folder) override;
    bool openUrl(const std::string& url) override;
    std::optional<std::string> fs98PathFromRegistry() override;

    // True when the folder is the built-in simulator's folder.
    static bool isBuiltInFolder(const std::string& folder);
    // Called after the built-in simulator was started (the window shows itself).
    std::function<void()> onBuiltInStarted;

  private:
    simlink::BuiltInAircraft& aircraft_;
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
