#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "simlink/FakePropertyServer.h"
#include "simlink/FlightGearLink.h"
#include "simlink/PropertyConnection.h"

// Floods instead of replies: the connection gives up within its deadline and drops the server.

namespace zephyra::simlink {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(HostilePropertyServer, FloodsAreDroppedWithinTheDeadline) {
    const struct {
        const char* name;
        std::string chunk;
    } cases[] = {
        {"an endless line", std::string(4096, 'x')},
        {"endless short lines", "1\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::FakePropertyServer server;
        server.flood(c.chunk);
        PropertyConnection connection;
        ASSERT_TRUE(connection.open("127.0.0.1", server.port(), 300ms));
        const auto start = Clock::now();
        // More lines than any flood of short lines delivers in time.
        EXPECT_FALSE(connection.readLines(100000000, 500ms).has_value());
        EXPECT_LT(Clock::now() - start, 900ms);
        EXPECT_FALSE(connection.isOpen());
    }
    // Between round trips nothing is expected: a flood there drops the server too.
    test::FakePropertyServer server;
    server.flood(std::string(4096, 'z'));
    PropertyConnection connection;
    ASSERT_TRUE(connection.open("127.0.0.1", server.port(), 300ms));
    const auto start = Clock::now();
    while (connection.isOpen() && Clock::now() - start < 2s) {
        connection.peerClosed();
    }
    EXPECT_FALSE(connection.isOpen());
}

TEST(HostilePropertyServer, NumbersOutsideWhatAPropertyHoldsAreNoAnswer) {
    using L = FlightGearLink;
    const struct {
        const char* line;
        L::Read which;
        double value;  // NaN: no answer
    } cases[] = {
        {"37.5", L::Latitude, 37.5},   {"/> -122.25", L::Longitude, -122.25},
        {"nan", L::Latitude, NAN},     {"inf", L::Altitude, NAN},
        {"1e308", L::Altitude, NAN},   {"91", L::Latitude, NAN},
        {"-180.5", L::Longitude, NAN}, {"2147483648", L::SurfaceWindSpeed, NAN},
        {"-5", L::Aloft1Speed, NAN},   {"12abc", L::MagVar, NAN},
        {"", L::MagVar, NAN},
    };
    for (const auto& c : cases) {
        const double v = L::parseValue(c.line, c.which);
        if (std::isnan(c.value)) {
            EXPECT_TRUE(std::isnan(v)) << c.line << " gave " << v;
        } else {
            EXPECT_EQ(v, c.value) << c.line;
        }
    }
}

}  // namespace
}  // namespace zephyra::simlink
