#include "shell/DesktopPlatform.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/VirtualScheduler.h"
#include "simlink/BuiltInAircraft.h"
#include "simlink/FakePropertyServer.h"
#include "simlink/FlightGearLink.h"
#include "simlink/SimulatorChoice.h"

namespace zephyra::shell {
namespace {

// With FlightGear chosen, "running" means its property server answers.
TEST(DesktopPlatform, FlightGearIsAskedAndStartedThroughItsOwnChannels) {
    platform::VirtualScheduler clock;
    simlink::BuiltInAircraft aircraft(clock);
    aircraft.start();
    DesktopPlatform desktop(aircraft, clock);
    std::vector<std::string> told;
    desktop.tellUser = [&](const std::string& text) { told.push_back(text); };

    simlink::FlightGearSettings settings;
    settings.port = 1;  // nothing listens there
    simlink::FlightGearLink absent(settings);
    desktop.useFlightGear(absent, {});
    EXPECT_FALSE(desktop.simulatorWindowExists());  // the built-in aircraft runs, but is not it
    EXPECT_TRUE(desktop.startSimulator("/some/FS98"));
    EXPECT_EQ(told, std::vector<std::string>{simlink::choice_text::kFgfsMissing});

    test::FakePropertyServer server;
    settings.port = server.port();
    simlink::FlightGearLink present(settings);
    desktop.useFlightGear(present, {});
    EXPECT_TRUE(desktop.simulatorWindowExists());
}

// Children of this process that have ended and were never reaped.
int zombieChildren() {
    int zombies = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) {
            continue;
        }
        char state = 0;
        long parent = 0;
        std::istringstream(line.substr(line.rfind(')') + 1)) >> state >> parent;
        zombies += state == 'Z' && parent == ::getpid();
    }
    return zombies;
}

// A simulator that was started and has ended leaves no zombie behind while Zephyra runs on.
TEST(DesktopPlatform, StartedProgramsAreReapedWhenTheyEnd) {
    ASSERT_TRUE(spawnDetached({"true"}, "/"));
    int zombies = 1;
    for (int i = 0; i < 200 && zombies > 0; ++i) {
        usleep(10000);
        zombies = zombieChildren();
    }
    EXPECT_EQ(zombies, 0);
    EXPECT_FALSE(spawnDetached({"/no/such/program"}, ""));
}

}  // namespace
}  // namespace zephyra::shell
