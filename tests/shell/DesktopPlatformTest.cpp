#include "shell/DesktopPlatform.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zephyra::shell
