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

Result run(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    Result r;
    r.code = runSimCommand(args, out, err);
    r.out = out.str();
    r.err = err.str();
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
        const auto colon = line.find(": ");
        if (colon == std::string::npos) {
            continue;
        }
        const std::string value = line.substr(colon + 2);
        char* end = nullptr;
        const double number = std::strtod(value.c_str(), &end);
        if (!value.empty() && *end == '\0') {
            r.values[line.substr(0, colon)] = number;
        }
    }
    return r;
}

TEST(SimCommandUsage, HelpListsEveryOption) {
    const Result r = run({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.err.empty());
    for (const char* option :
         {"--seconds", "--heading", "--altitude", "--speed", "--lat", "--lon", "--start-altitude",
          "--start-heading", "--start-speed", "--magvar", "--wind"}) {
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
    }
}

TEST(SimCommandUsage, BadArgumentsExitWithTwoAndUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus", "1"},
        {"--seconds"},
        {"--seconds", "ten"},
        {"--seconds", "-1"},
        {"--seconds", "1e9"},
        {"--lat", "91"},
        {"--speed", "0"},
        {"--wind", "270"},
        {"--wind", "270/x"},
        {"--heading", "12abc"},
        {"stray"},
        {"--altitude", "nan"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.front() + (args.size() > 1 ? " " + args[1] : ""));
        const Result r = run(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
}

TEST(SimCommandFlight, DefaultRunPrintsEveryKey) {
    const Result r = run({});
    ASSERT_EQ(r.code, 0) << r.err;
    for (const char* key : {"time", "latitude", "longitude", "altitude", "heading",
                            "magnetic heading", "true airspeed", "ground distance"}) {
        EXPECT_EQ(r.values.count(key), 1u) << key;
    }
    EXPECT_EQ(r.values.at("time"), 600.0);
    // Ten minutes east at 120 kt.
    EXPECT_NEAR(r.values.at("ground distance"), 20.0, 0.01);
    EXPECT_EQ(r.values.at("altitude"), 3000.0);
}

// Each run flies the aircraft in virtual time and prints where it ended.
TEST(SimCommandFlight, OptionsSteerTheFlight) {
    const struct {
        std::vector<std::string> args;
        const char* key;
        double expected, tolerance;
    } cases[] = {
        {{"--heading", "90", "--altitude", "5000", "--start-heading", "0"}, "heading", 90, 0},
        {{"--heading", "90", "--altitude", "5000", "--start-heading", "0"}, "altitude", 5000, 0},
        // 120 kt indicated at 5000 ft.
        {{"--altitude", "5000", "--speed", "120"}, "true airspeed", 132.0, 0.05},
        {{"--start-altitude", "0", "--speed", "0.5", "--seconds", "300"},
         "true airspeed",
         330.7,
         0.1},  // below one: Mach
        {{"--lat", "0", "--lon", "0", "--start-speed", "0", "--wind", "270/60", "--seconds",
          "3600"},
         "longitude",
         1.0,
         1e-5},
        {{"--lat", "0", "--start-speed", "0", "--wind", "270/60", "--seconds", "3600"},
         "ground distance",
         60.0,
         0.01},
        {{"--magvar", "-10", "--start-heading", "90", "--heading", "100"}, "heading", 90, 0},
        {{"--magvar", "350", "--start-heading", "90", "--heading", "100"}, "heading", 90, 0},
        {{"--magvar", "350", "--heading", "100"}, "magnetic heading", 100, 0},
        {{"--seconds=90.5", "--lon=-179.99", "--start-heading=270"}, "time", 90.5, 0},
        // Wrapped across the date line.
        {{"--seconds=90.5", "--lon=-179.99", "--start-heading=270"}, "longitude", 179.95, 0.01},
    };
    for (const auto& c : cases) {
        const Result r = run(c.args);
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_NEAR(r.values.at(c.key), c.expected, c.tolerance) << c.args.front() << " " << c.key;
    }
}

}  // namespace
}  // namespace zephyra::cli
