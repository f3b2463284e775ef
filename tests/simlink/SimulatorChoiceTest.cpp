#include <gtest/gtest.h>

#include <fstream>

#include "platform/VirtualScheduler.h"
#include "simlink/BuiltInAircraft.h"
#include "simlink/SelectedLink.h"
#include "simlink/SimulatorChoice.h"
#include "support/TempDir.h"

namespace zephyra::simlink {
namespace {

TEST(SimulatorChoice, ReadsTheSettingsFileAndNamesBadLines) {
    test::TempDir dir;
    const std::string path = dir.path() + "/simulator.ini";
    std::ofstream(path) << "# which simulator\r\nSimulator=FlightGear\r\nFlightGearHost=10.0.0.2\n"
                           "FlightGearPort=5500\nFlightGearCommand=/opt/fg/fgfs --telnet={port}\n"
                           "FlightGearPort=99999\nColour=red\nno equals sign\n";
    std::vector<std::string> problems;
    const auto c = readSimulatorChoice(path, &problems);
    EXPECT_EQ(c.kind, SimulatorKind::FlightGear);
    EXPECT_EQ(c.flightGear.host, "10.0.0.2");
    EXPECT_EQ(c.flightGear.port, 5500);
    EXPECT_EQ(fgfsArguments(c), (std::vector<std::string>{"/opt/fg/fgfs", "--telnet=5500"}));
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_NE(problems[0].find("line 6"), std::string::npos);

    const auto defaults = readSimulatorChoice(dir.path() + "/missing.ini");
    EXPECT_EQ(defaults.kind, SimulatorKind::BuiltIn);
    EXPECT_EQ(simulatorKindFromName(" Built-In"), SimulatorKind::BuiltIn);
    EXPECT_EQ(simulatorKindFromName("fs98"), std::nullopt);
}

TEST(SelectedLink, PassesToTheChosenSimulatorOrToNothing) {
    platform::VirtualScheduler clock;
    BuiltInAircraft aircraft(clock);
    aircraft.start();
    SelectedLink link;
    link.upd_APAlt(9000);
    EXPECT_EQ(link.get_curr_lat(), SimLink::kNoPosition);
    EXPECT_EQ(aircraft.callCount("upd_APAlt"), 0);
    EXPECT_FALSE(link.drawsCover());  // FS98: weather goes out for its texture clouds
    link.select(&aircraft);
    EXPECT_TRUE(link.drawsCover());
    link.upd_temps(0, 15, 1, 2, 3, 4, 5, 6, 1013.0, TemperatureScale::Celsius);
    EXPECT_EQ(link.get_curr_lat(), aircraft.latitude());
    EXPECT_EQ(aircraft.weather().temperatures.pressureMb, 1013.0);
}

}  // namespace
}  // namespace zephyra::simlink
