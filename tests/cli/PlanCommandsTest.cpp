#include "cli/PlanCommands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "flightplan/PlanFile.h"
#include "flightplan/PlanNumbers.h"
#include "simlink/FakePropertyServer.h"
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

// Each entry's name, altitude and speed texts and its position to four decimals.
std::string entries(const flightplan::PlanStore& plan) {
    std::string text;
    for (int i = 0; i < plan.PlanCount; ++i) {
        const auto r = plan.row(i);
        text += r.name + "|" + r.altText + "|" + r.spdText + "|" + flightplan::fourDecimals(r.lat) +
                "|" + flightplan::fourDecimals(r.lon) + "\n";
    }
    return text;
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
        {"generate", "--from", "KATL", "--to", "KJFK", "--dist", "10"},
        {"generate", "--from", "KATL", "--to", "KJFK", "--dist", "201"},
        {"generate", "--from", "KATL", "--to", "KJFK", "--alt", "-1"},
        {"generate", "--from", "KATL", "--to", "KJFK", "--alt", "60001"},
        {"generate", "--from", "KATL", "--to", "KJFK", "--speed", "0"},
        {"generate", "--from", "KATL", "--to", "katl"},
        {"export", "a.fpl", "--format", "kml", "--out", "x"},
        {"export", "a.fpl", "--out", "x"},
        {"import", "a.gpx"},
        {"import", "a.gpx", "--out", "b.fpl", "--speed", "0"},
    };
    for (const auto& args : cases) {
        EXPECT_EQ(plan(args).code, 2) << ::testing::PrintToString(args);
    }
    EXPECT_EQ(fly({}).code, 2);
    EXPECT_EQ(fly({"a.fpl", "--bogus"}).code, 2);
    EXPECT_EQ(fly({"/nonexistent/a.fpl"}).code, 1);
    EXPECT_EQ(fly({"a.fpl", "--weather", "w.txt", "--custom-weather"}).code, 2);
}

// A copy of the shipped database, or the test is skipped.
class PlanCommandsOnShippedDb : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string shipped = std::string(ZEPHYRA_PROGRAM_DIR) + "/vanedb.mdb";
        if (!std::filesystem::exists(shipped)) {
            GTEST_SKIP() << "no database at " << shipped;
        }
        std::filesystem::copy_file(shipped, db);
    }
    test::TempDir dir;
    const std::string db = dir.file("vanedb.mdb");
};

// Atlanta to New York JFK through VORs, generated from the shipped database and flown by the
// built-in aircraft in virtual time: every waypoint is passed in order, the last one reached.
// The plan then travels out and back through a FlightGear route and GPX.
TEST_F(PlanCommandsOnShippedDb, AtlantaToKennedyThroughVorsIsFlownAndTravels) {
    const std::string fpl = dir.file("atl-jfk.fpl");
    const Outcome made =
        plan({"generate", "--from", "KATL", "--to", "KJFK", "--types", "V", "--dist", "100",
              "--alt", "5000", "--speed", "180", "--out", fpl, "--db", db});
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
        R"((\d\d):(\d\d):(\d\d)  (-?[\d.]+) (-?[\d.]+)  ([\d,]+) ft (\d+) kt IAS  Dist (\d+) \(([\d.]+) nm\)  (passed|arrived at) (.*))");
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
        EXPECT_LE(std::stoi(m[8]), 5) << line;
        EXPECT_LT(std::stod(m[9]), 6.0) << line;
        passed.push_back(m[11]);
        if (passed.size() >= 2) {  // climbed from 3,000 ft and sped up from 120 kt by now
            std::string feet = m[6];
            std::erase(feet, ',');
            EXPECT_NEAR(std::stod(feet), 5000, 150) << line;
            EXPECT_NEAR(std::stod(m[7]), 180, 10) << line;
        }
    }
    EXPECT_EQ(passed, planned.WaypLst);
    const auto arrived = flown.out.find("arrived at John F. Kennedy International Airport");
    ASSERT_NE(arrived, std::string::npos);
    EXPECT_EQ(flown.out.find("arrived at", arrived + 1), std::string::npos);
    EXPECT_LT(previous, 4 * 3600);  // about 760 nm at 180 kt indicated

    // The Kennedy entry goes out under its identifier; the entries come back as they were.
    for (const auto& [format, ident] : {std::pair{"fgroute", "<ident type=\"string\">KJFK</ident>"},
                                        std::pair{"gpx", "<cmt>KJFK</cmt>"}}) {
        SCOPED_TRACE(format);
        const std::string file = dir.file(std::string("route.") + format);
        const std::string back = dir.file(std::string("back-") + format + ".fpl");
        ASSERT_EQ(plan({"export", fpl, "--format", format, "--out", file, "--db", db}).code, 0);
        EXPECT_NE(dir.read(std::string("route.") + format).find(ident), std::string::npos);
        ASSERT_EQ(plan({"import", file, "--out", back, "--db", db}).code, 0);
        flightplan::PlanStore imported;
        ASSERT_TRUE(flightplan::loadPlanFile(back, imported, host).completed);
        EXPECT_EQ(entries(imported), entries(planned));
    }
    // A refused import writes nothing.
    const std::string junk = dir.write("junk.xml", "<kml/>");
    const Outcome refused = plan({"import", junk, "--out", dir.file("none.fpl")});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("root element <kml>"), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.fpl")));
}

// A plan north from Atlanta with custom weather on its three waypoints, flown with that weather:
// each switch prints the weather the simulator then holds.
TEST_F(PlanCommandsOnShippedDb, FlyDeliversCustomWeather) {
    std::string text =
        "A|34|-84.4|6000|250\r\nB|35|-84.4|6000|250\r\nC|36|-84.4|6000|250\r\n"
        "Weather\r\n 2 \r\n";
    for (int a = 0; a < 3; ++a) {
        const std::string base = std::to_string(1000 * (a + 1));
        text += "000" + std::to_string(a) + std::string(1, static_cast<char>('A' + a)) + "\r\n " +
                std::to_string(34 + a) + " \r\n-84.4 \r\n 8 \r\n " + base + " \r\n 9000 \r\n";
        text +=
            " 0 \r\n 0 \r\n 0 \r\n 10 \r\n 270 \r\n 3000 \r\n 10 \r\n 0 \r\n 50 \r\n 29.92 \r\n";
    }
    const std::string fpl = dir.write("wx.fpl", text);
    const Outcome custom = fly({fpl, "--custom-weather", "--db", db});
    ASSERT_EQ(custom.code, 0) << custom.err;
    EXPECT_NE(custom.out.find("Done Processing 3 stations."), std::string::npos);
    for (const char* seen :
         {"weather of 0000 (A)\n          temperature 50 \u00B0F, pressure 1013.2 mb, "
          "visibility 10 mi, cloud 1 1000-9000 ft",
          "weather of 0001 (B)",
          "weather of 0002 (C)\n          temperature "
          "50 \u00B0F, pressure 1013.2 mb, visibility 10 mi, "
          "cloud 1 3000-9000 ft"}) {
        EXPECT_NE(custom.out.find(seen), std::string::npos) << seen << "\n" << custom.out;
    }
    EXPECT_EQ(custom.out.find("weather of 0003"), std::string::npos);
}

TEST(PlanCommands, SendLoadsThePlanIntoFlightGearsRouteManager) {
    test::TempDir dir;
    const std::string fpl = dir.write("two.fpl", "Alpha|1|2|3000|250\r\nBravo|3|4|5000|0.7\r\n");
    test::FakePropertyServer fg;
    fg.set("/sim/fg-home", dir.path());
    fg.set("/autopilot/route-manager/route/num", "2");
    fg.set("/autopilot/route-manager/route/wp[0]/id", "Alpha");
    fg.set("/autopilot/route-manager/route/wp[1]/id", "Bravo");
    const std::string port = std::to_string(fg.port());
    const Outcome sent = plan({"send", fpl, "--fg-port", port, "--db", dir.file("none.mdb")});
    EXPECT_EQ(sent.code, 0) << sent.err;
    EXPECT_NE(sent.out.find("route/num = 2 (plan entries 2)"), std::string::npos) << sent.out;
    EXPECT_NE(sent.out.find("route/wp[1]/id = Bravo"), std::string::npos) << sent.out;
    EXPECT_TRUE(dir.exists("Export/zephyra-route.xml"));
    fg.set("/autopilot/route-manager/route/num", "1");
    EXPECT_EQ(plan({"send", fpl, "--fg-port", port, "--db", dir.file("none.mdb")}).code, 1);
    EXPECT_EQ(plan({"send", fpl, "--fg-port", "none"}).code, 2);
}

}  // namespace
}  // namespace zephyra::cli
