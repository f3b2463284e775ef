#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "weather/Estimates.h"

using namespace zephyra::weather;

namespace {

// A station missing its pressure beside one that reported it: the pressure comes from the
// neighbour only when the two are within 100 nm, wherever on the globe they are.
TEST(Estimates, NeighboursAreFoundAcrossTheDateLineAndThePoles) {
    const struct {
        const char* what;
        const char* lat1;
        const char* lon1;
        const char* lat2;
        const char* lon2;
        bool neighbour;
    } cases[] = {
        {"99 nm north", "4000N", "08000W", "4139N", "08000W", true},
        {"101 nm north", "4000N", "08000W", "4141N", "08000W", false},
        {"across the date line (20 nm)", "0000N", "17950E", "0000N", "17950W", true},
        {"across the north pole (20 nm)", "8950N", "00000E", "8950N", "18000E", true},
        {"across the north pole (120 nm)", "8810N", "00000E", "8950N", "18000E", false},
        {"60 N, 2 degrees of longitude (60 nm)", "6000N", "01000E", "6000N", "01200E", true},
        {"60 N, 4 degrees of longitude (120 nm)", "6000N", "01000E", "6000N", "01400E", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<StationRecord> stations(2);
        stations[0].Latitude = c.lat1;
        stations[0].Longitude = c.lon1;
        stations[1].Latitude = c.lat2;
        stations[1].Longitude = c.lon2;
        std::vector<WeatherRecord> records(2);
        records[0].ID = "AAAA";
        records[0].Estimated = missingElements(false, true, false);
        records[1].ID = "BBBB";
        records[1].Pressure = 1030;
        estimateMissing({{&records[0], &stations[0]}, {&records[1], &stations[1]}});
        EXPECT_EQ(records[0].Estimated, c.neighbour ? "P=BBBB" : "P=STD");
        EXPECT_DOUBLE_EQ(records[0].Pressure, c.neighbour ? 1030 : 1013.2);
    }
}

}  // namespace
