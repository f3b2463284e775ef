#include "cli/PlanCommands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "flightplan/PlanFile.h"
#include "support/TempDir.h"

namespace zephyra::cli {
namespace {

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

Outcome plan(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = runPlanCommand(args, out, err);
    return {code, out.str(), err.str()};
}
Outcome fly(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = runFlyCommand(args, out, err);
    return {code, out.str(), err.str()};
}

class NoWeather final : public flightplan::PlanLoadHost {
    bool useCustomWeather() override { return false; }
    void processCustomWeather() override {}
};

TEST(PlanCommands, BadArgumentsExitWithTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"make"},
        {"generate", "--from", "KATL"},
        {"generate", "--from", "KATL", "--to", "KJFK", "--types", "VX"},
        {"generate", "--from", "KATL", "--to", "KJFK", "--dist", "far"},
        {"generate", "--from", "KATL", "--to", "KJFK", "--alt", "high"},
        {"generate", "--from", "KATL", "--to"},
    };
    for (const auto& args : cases) {
        EXPECT_EQ(plan(args).code, 2) << ::testing::PrintToString(args);
    }
    EXPECT_EQ(fly({}).code, 2);
    EXPECT_EQ(fly({"a.fpl", "--bogus"}).code, 2);
    EXPECT_EQ(fly({"/nonexistent/a.fpl"}).code, 1);
}

// Atlanta to New York JFK through VORs, generated from the shipped database and flown by the
// built-in aircraft in virtual time: every waypoint is passed in order, the last one reached.
TEST(PlanCommands, AtlantaToKennedyThroughVorsIsFlownToTheEnd) {
    const std::string shipped = std::string(ZEPHYRA_PROGRAM_DIR) + "/vanedb.mdb";
    if (!std::filesystem::exists(shipped)) {
        GTEST_SKIP() << "no database at " << shipped;
    }
    test::TempDir dir;
    std::filesystem::copy_file(shipped, dir.file("vanedb.mdb"));
    const std::string db = dir.file("vanedb.mdb");
    const std::string fpl = dir.file("atl-jfk.fpl");

    const Outcome made =
        plan({"generate", "--from", "KATL", "--to", "KJFK", "--types", "V", "--dist", "100",
              "--alt", "9000", "--speed", "250", "--out", fpl, "--db", db});
    ASSERT_EQ(made.code, 0) << made.err;
    flightplan::PlanStore planned;
    NoWeather host;
    ASSERT_TRUE(flightplan::loadPlanFile(fpl, planned, host).completed);
    ASSERT_GE(planned.PlanCount, 4);
    EXPECT_EQ(planned.WaypLst.back(), "John F. Kennedy International Airport");
    // Every generated point is a VOR, the arrival an airport.
    std::istringstream listing(made.out);
    std::string line;
    std::getline(listing, line);
    std::vector<std::string> types;
    while (std::getline(listing, line)) {
        types.push_back(line.substr(2, 1));
    }
    ASSERT_EQ(types.size(), static_cast<std::size_t>(planned.PlanCount));
    for (std::size_t i = 0; i + 1 < types.size(); ++i) {
        EXPECT_EQ(types[i], "V") << planned.WaypLst[i];
    }

    const Outcome flown = fly({fpl, "--from-airport", "KATL", "--db", db});
    ASSERT_EQ(flown.code, 0) << flown.err;
    const std::regex passedLine(
        R"((\d\d):(\d\d):(\d\d)  (-?[\d.]+) (-?[\d.]+)  Dist (\d+) \(([\d.]+) nm\)  (passed|arrived at) (.*))");
    std::istringstream lines(flown.out);
    std::getline(lines, line);  // start
    std::vector<std::string> passed;
    double previous = -1;
    while (std::getline(lines, line)) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, passedLine)) << line;
        const double t = std::stod(m[1]) * 3600 + std::stod(m[2]) * 60 + std::stod(m[3]);
        EXPECT_GT(t, previous);
        previous = t;
        EXPECT_LE(std::stoi(m[6]), 5) << line;
        EXPECT_LT(std::stod(m[7]), 6.0) << line;
        passed.push_back(m[9]);
    }
    EXPECT_EQ(passed, planned.WaypLst);
    EXPECT_NE(flown.out.find("arrived at John F. Kennedy International Airport"),
              std::string::npos);
    EXPECT_LT(previous, 4 * 3600);  // about 760 nm at 250 kt indicated
}

}  // namespace
}  // namespace zephyra::cli
