#include "cli/SimCommand.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace zephyra::cli {
namespace {

struct Result {
    int code = -1;
    std::string out;
    std::string err;
    std::map<std::string, double> values;
};

// Every line printed after a flight is "key: number".
Result run(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    Result r{runSimCommand(args, out, err), out.str(), err.str(), {}};
    std::istringstream lines(r.out);
    for (std::string key, value; std::getline(lines, key, ':') && std::getline(lines, value);) {
        char* end = nullptr;
        const double number = std::strtod(value.c_str(), &end);
        if (end != value.c_str() && *end == '\0') {
            r.values[key] = number;
        }
    }
    return r;
}

TEST(SimCommandUsage, BadArgumentsExitWithTwoAndUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus", "1"}, {"--seconds"},         {"--seconds", "ten"}, {"--seconds", "-1"},
        {"--lat", "91"},  {"--speed", "0"},      {"--wind", "270"},    {"--heading", "12abc"},
        {"stray"},        {"--altitude", "nan"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.front() + (args.size() > 1 ? " " + args[1] : ""));
        const Result r = run(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
}

// Each run flies the aircraft in virtual time and prints where it ended.
TEST(SimCommandFlight, OptionsSteerTheFlight) {
    using Values = std::map<std::string, double>;
    const struct {
        std::vector<std::string> args;
        Values expected;
        double tolerance = 0;
    } cases[] = {
        // Ten minutes east at 120 kt.
        {{},
         {{"time", 600}, {"altitude", 3000}, {"ground distance", 20}, {"latitude", 33.6367}},
         0.01},
        // 120 kt indicated at 5000 ft (129.17 kt true); below one the speed is Mach.
        {{"--altitude", "5000", "--speed", "120"}, {{"true airspeed", 129.2}}, 0.05},
        {{"--start-altitude", "0", "--speed", "0.5", "--seconds", "300"},
         {{"true airspeed", 330.7}},
         0.1},
        {{"--lat", "0", "--lon", "0", "--start-speed", "0", "--wind", "270/60", "--seconds",
          "3600"},
         {{"longitude", 1.0}, {"ground distance", 60.0}},
         1e-5},
        {{"--magvar", "350", "--start-heading", "90", "--heading", "100"},
         {{"heading", 90}, {"magnetic heading", 100}}},
        // Wrapped across the date line.
        {{"--seconds=90.5", "--lon=-179.99", "--start-heading=270"},
         {{"time", 90.5}, {"longitude", 179.95}},
         0.01},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "defaults" : c.args.front());
        const Result r = run(c.args);
        ASSERT_EQ(r.code, 0) << r.err;
        for (const auto& [key, expected] : c.expected) {
            ASSERT_EQ(r.values.count(key), 1u) << key;
            EXPECT_NEAR(r.values.at(key), expected, c.tolerance) << key;
        }
    }
}

}  // namespace
}  // namespace zephyra::cli
