#include "cli/PlanCommands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>
#include <regex>
#include <set>
#include <sstream>

#include "cli/DeliveryCommands.h"
#include "cli/FlightWeather.h"
#include "cli/QtCommands.h"
#include "cli/WeatherCommands.h"

#include "flightplan/PlanFile.h"
#include "flightplan/PlanNumbers.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "shell/ParamFile.h"
#include "support/DbRows.h"
#include "support/PlanText.h"
#include "support/RealData.h"
#include "support/TempDir.h"
#include "weather/WeatherDb.h"

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
        {"import", "a.gpx", "--out", "b.fpl", "--speed", "1e-300"},
        {"show"},
        {"show", "a.fpl", "--uom", "Q"},
        {"show", "a.fpl", "--aloft"},
    };
    for (const auto& args : cases) {
        EXPECT_EQ(plan(args).code, 2) << ::testing::PrintToString(args);
    }
    // A plan that cannot be read is named with the reason.
    const Outcome unread = plan({"export", "/nonexistent/a.fpl", "--format", "gpx", "--out", "x"});
    EXPECT_EQ(unread.code, 1);
    EXPECT_EQ(unread.err,
              "zephyra-cli plan export: cannot read /nonexistent/a.fpl: File not found.\n");
    EXPECT_EQ(fly({}).code, 2);
    EXPECT_EQ(fly({"a.fpl", "--bogus"}).code, 2);
    EXPECT_EQ(fly({"/nonexistent/a.fpl"}).code, 1);
    EXPECT_EQ(fly({"a.fpl", "--weather", "w.txt", "--custom-weather"}).code, 2);
}

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

// Generated, flown by the built-in aircraft, exported and imported back.
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
    std::string line, types;
    std::getline(listing, line);
    while (std::getline(listing, line)) {
        types += line.substr(2, 1);
    }
    EXPECT_EQ(types, std::string(static_cast<std::size_t>(planned.PlanCount) - 1, 'V') + "A");

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
        EXPECT_EQ(zephyra::test::planEntries(imported), zephyra::test::planEntries(planned));
    }
    // A refused import writes nothing.
    const std::string junk = dir.write("junk.xml", "<kml/>");
    const Outcome refused = plan({"import", junk, "--out", dir.file("none.fpl")});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("root element <kml>"), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.fpl")));
}

// Atlanta to Kennedy in the FD1US1 winds at 9,000 ft: every leg's ground speed is its airspeed
// less the crosswind's share plus the tailwind, and the total time is the sum of the legs.
TEST_F(PlanCommandsOnShippedDb, AtlantaToKennedyInTheWindsAloft) {
    const std::string fpl = dir.file("atl-jfk.fpl");
    ASSERT_EQ(plan({"generate", "--from", "KATL", "--to", "KJFK", "--alt", "9000", "--speed", "250",
                    "--out", fpl, "--db", db})
                  .code,
              0);
    const std::string fd1 = std::string(ZEPHYRA_SOURCE_DIR) + "/tests/data/aloft/FD1US1.txt";
    const Outcome shown =
        plan({"show", fpl, "--aloft", fd1, "--from-airport", "KATL", "--db", db, "--json"});
    ASSERT_EQ(shown.code, 0) << shown.err;
    EXPECT_NE(shown.out.find("\"aloft\":true,\"source\":\"FD1US1\",\"valid\":\"20"),
              std::string::npos)
        << shown.out;
    const std::regex leg(
        R"re(\{"from":"([^"]*)","to":"([^"]*)","alt_ft":(\d+),"course_deg":([\d.]+),"distance_nm":[\d.]+,"tas_kt":([\d.]+),"wind_dir_deg":(\d+),"wind_kt":([\d.]+),"tailwind_kt":(-?[\d.]+),"crosswind_kt":(-?[\d.]+),"gs_kt":([\d.]+),"minutes":([\d.]+)\})re");
    std::vector<std::string> route;
    double sum = 0.0;
    for (std::sregex_iterator m(shown.out.begin(), shown.out.end(), leg), end; m != end; ++m) {
        const auto& g = *m;
        route.push_back(g[2]);
        const double tas = std::stod(g[5]), tail = std::stod(g[8]), cross = std::stod(g[9]);
        EXPECT_NEAR(std::stod(g[10]), std::sqrt(tas * tas - cross * cross) + tail, 1.0) << g[0];
        // 250 kt indicated is 284.5 kt true at 9,000 ft in the standard atmosphere, more in the
        // forecast's warmer air.
        if (g[3] == "9000") {
            EXPECT_GT(tas, 284.0);
            EXPECT_LT(tas, 296.0);
        }
        sum += std::stod(g[11]);
    }
    ASSERT_GE(route.size(), 5u);
    EXPECT_EQ(route.back(), "John F. Kennedy International Airport");
    std::smatch total;
    ASSERT_TRUE(std::regex_search(shown.out, total, std::regex(R"("total_minutes":([\d.]+)\})")));
    EXPECT_NEAR(std::stod(total[1]), sum, 0.01 * static_cast<double>(route.size()));
    EXPECT_NE(shown.out.find("{\"from\":\"KATL\",\"to\":\"Foothills\",\"alt_ft\":9000,"),
              std::string::npos);

    // Without a forecast the wind is zero; a forecast that cannot be read is named.
    const Outcome calm = plan({"show", fpl, "--db", db});
    EXPECT_EQ(calm.out.rfind("no winds aloft: zero wind, ground speed = true airspeed\n", 0), 0u);
    const std::string junk = dir.write("junk.txt", "not a forecast\n");
    const Outcome refused = plan({"show", fpl, "--aloft", junk, "--db", db});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err.rfind("zephyra-cli plan show: " + junk + ": ", 0), 0u) << refused.err;
    EXPECT_EQ(plan({"show", fpl, "--from-airport", "NOWHERE", "--db", db}).code, 1);
}

// Cover classes: clear 0, FEW 1-2, SCT 3-5, BKN 6-7, OVC/VV 8.
int coverClass(double eighths) {
    return eighths == 0 ? 0 : eighths <= 2 ? 1 : eighths <= 5 ? 2 : eighths <= 7 ? 3 : 4;
}

// Each switch holds its report's first-layer cover class and temperature; KPDK has none.
using TruthfulWeather = PlanCommandsOnShippedDb;

TEST_F(TruthfulWeather, AtlantaToKennedyFliesWhatTheReportsSay) {
    std::istringstream in(zephyra::test::realData("metar/awc_metars_2022-10-23T11Z_cycle.txt"));
    std::ostringstream weather;
    std::map<std::string, std::string> reports;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.starts_with("KPDK ")) {
            line = "KPDK 231053Z 00000KT 9999 NCD A3021";
        }
        if (line.size() > 12 && line[4] == ' ' && line[11] == 'Z') {
            reports[line.substr(0, 4)] = line;
        }
        weather << line << "\r\n";
    }
    const std::string file = dir.write("cycle.txt", weather.str());
    const std::string plan = dir.write(
        "atl-jfk.fpl",
        "Sugarloaf Mt|35.4063888888889|-82.2686111111111|9000|250\r\n"
        "Pulaski|37.0877777777778|-80.7127777777778|9000|250\r\n"
        "Kessel|39.2255555555556|-78.9894444444444|9000|250\r\n"
        "Harrisburg|40.3022222222222|-77.0697222222222|9000|250\r\n"
        "John F. Kennedy International Airport|40.6394444444444|-73.7794444444445|9000|250\r\n");
    std::ostringstream out, err;
    ASSERT_EQ(runFlyCommand({plan, "--from-airport", "KATL", "--weather", file, "--db", db,
                             "--max-turb", "180", "--unlimited-vis", "30", "--new-clouds", "on",
                             "--winds", "on", "--uom", "U", "--blend", "off"},
                            out, err),
              0)
        << err.str();

    const std::regex switchLine(
        R"(weather of (\S{4}).*\n +temperature (-?\d+) °F, pressure \S+ mb, visibility (\S+) mi, )"
        R"(cloud 1 \S+ ft (\S+)/8)");
    const std::regex firstLayer(R"(\b(FEW|SCT|BKN|OVC|VV)(\d{3}|///))");
    const std::regex temperature(R"( (M?\d\d)/(M?\d\d)? )");
    const std::map<std::string, int> classes{
        {"FEW", 1}, {"SCT", 2}, {"BKN", 3}, {"OVC", 4}, {"VV", 4}};
    const std::string text = out.str();
    int switches = 0;
    bool sawKpdk = false;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), switchLine);
         it != std::sregex_iterator(); ++it) {
        ++switches;
        const std::string id = (*it)[1];
        const std::string report = reports[id].substr(0, reports[id].find(" RMK"));
        std::smatch layer, temp;
        const int expectedClass =
            std::regex_search(report, layer, firstLayer) ? classes.at(layer[1].str()) : 0;
        EXPECT_EQ(coverClass(std::stod((*it)[4])), expectedClass) << report;
        if (std::regex_search(report, temp, temperature)) {
            std::string c = temp[1];
            const int celsius = c[0] == 'M' ? -std::stoi(c.substr(1)) : std::stoi(c);
            EXPECT_EQ(std::stoi((*it)[2]), static_cast<int>(std::floor(celsius * 1.8 + 32)))
                << report;
        } else {
            // No temperature group (KPDK's, and KJRB's as reported): estimated, never 27 C.
            EXPECT_NE(std::stoi((*it)[2]), 80) << report;
        }
        if (id == "KPDK") {
            sawKpdk = true;
            EXPECT_EQ(std::stod((*it)[3]), 30);  // 9999 is unlimited: the settings' 30 miles
        }
    }
    EXPECT_GE(switches, 30) << text;
    EXPECT_TRUE(sawKpdk) << text;
}

std::vector<std::string> csvFields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string f; std::getline(in, f, ',');) {
        fields.push_back(f);
    }
    if (!line.empty() && line.back() == ',') {
        fields.emplace_back();
    }
    return fields;
}

// Out of Atlanta at 9,000 ft with the real FB winds: every second of the trace at cruise holds
// the wind and temperature the aloft command gives at the same point and altitude, and the
// station whose weather is in use.
TEST_F(PlanCommandsOnShippedDb, TheTraceFliesInTheWindsAloftAtTheAircraft) {
    const std::string weather = dir.write(
        "cycle.txt", zephyra::test::realData("metar/awc_metars_2022-10-23T11Z_cycle.txt"));
    const std::string fd1 = dir.write("FD1US1.txt", zephyra::test::realData("aloft/FD1US1.txt"));
    const std::string plan = dir.write(
        "atl-sugarloaf.fpl", "Sugarloaf Mt|35.4063888888889|-82.2686111111111|9000|250\r\n");
    const std::string trace = dir.file("trace.csv");
    const Outcome flown = fly({plan, "--from-airport", "KATL", "--weather", weather, "--db", db,
                               "--aloft", fd1, "--trace", trace, "--uom", "U"});
    ASSERT_EQ(flown.code, 0) << flown.err;
    EXPECT_NE(flown.out.find("winds aloft: FD1US1"), std::string::npos) << flown.out;

    std::istringstream rows(dir.read("trace.csv"));
    std::string line;
    ASSERT_TRUE(std::getline(rows, line));
    EXPECT_EQ(line,
              "time_s,lat,lon,alt_ft,wind_dir_deg,wind_kt,temp_c,pressure_inhg,visibility_sm,"
              "station,dewpoint_c,stations");
    int count = 0, compared = 0;
    std::set<std::string> stations;
    while (std::getline(rows, line)) {
        const auto f = csvFields(line);
        ASSERT_EQ(f.size(), 12u) << line;
        EXPECT_EQ(std::stoi(f[0]), count++) << line;  // one row a second
        stations.insert(f[9]);
        if (f[3] != "9000" || count % 300 != 0) {
            continue;
        }
        std::ostringstream out, err;
        ASSERT_EQ(
            runAloftCommand({fd1, "--db", db, "--at", f[1] + "," + f[2], "--alt", "9000", "--json"},
                            out, err),
            0)
            << err.str();
        std::smatch m;
        const std::string json = out.str();
        ASSERT_TRUE(std::regex_search(
            json, m, std::regex(R"re("dir_deg":(\d+),"speed_kt":(\d+),"temp_c":(-?[\d.]+))re")))
            << json;
        SCOPED_TRACE(line + " / " + json);
        EXPECT_NEAR(std::stod(f[4]), std::stod(m[1]), 1.0);
        EXPECT_NEAR(std::stod(f[5]), std::stod(m[2]), 0.6);
        EXPECT_NEAR(std::stod(f[6]), std::stod(m[3]), 0.11);
        ++compared;
    }
    EXPECT_GE(compared, 3);
    EXPECT_TRUE(stations.count("KATL")) << line;
    EXPECT_FALSE(stations.count("")) << "a row before any station";
}

// The hand-written SimBrief OFP from Atlanta to Kennedy, imported and flown in its own winds:
// where the aircraft passes a cruise fix at 35,000 ft, the trace holds that fix's wind at
// 35,000 ft as the file gives it.
TEST_F(PlanCommandsOnShippedDb, ASimBriefOfpIsFlownInItsFixWinds) {
    prepareQtReaders();  // as zephyra-cli-qt, which an OFP given as --aloft is handed to
    const std::string ofp = dir.write("ofp.xml", test::realData("plans/simbrief-katl-kjfk.xml"));
    const std::string weather =
        dir.write("cycle.txt", test::realData("metar/awc_metars_2022-10-23T11Z_cycle.txt"));
    const std::string fpl = dir.file("katl-kjfk.fpl");
    EXPECT_EQ(plan({"import", ofp, "--out", fpl, "--format", "gpx"}).code, 1);
    const Outcome imported =
        plan({"import", ofp, "--out", fpl, "--format", "simbrief", "--winds", "builder"});
    ASSERT_EQ(imported.code, 0) << imported.err;
    EXPECT_NE(imported.out.find("22 entries imported"), std::string::npos) << imported.out;
    flightplan::PlanStore loaded;
    class TakeWeather final : public flightplan::PlanLoadHost {
        bool useCustomWeather() override { return true; }
        void processCustomWeather() override {}
    } host;
    ASSERT_TRUE(flightplan::loadPlanFile(fpl, loaded, host).completed);
    EXPECT_EQ(loaded.PlanCount, 22);
    EXPECT_EQ(loaded.PlanWxCount, 20);

    const std::string trace = dir.file("trace.csv");
    const Outcome flown = fly({fpl, "--from-airport", "KATL", "--weather", weather, "--db", db,
                               "--aloft", ofp, "--trace", trace, "--uom", "U"});
    ASSERT_EQ(flown.code, 0) << flown.err;
    EXPECT_NE(flown.out.find("winds aloft: SimBrief OFP KATL-KJFK"), std::string::npos);
    std::vector<std::vector<std::string>> cruise;
    std::istringstream rows(dir.read("trace.csv"));
    for (std::string line; std::getline(rows, line);) {
        if (auto f = csvFields(line); f.size() == 12 && f[3] == "35000") {
            cruise.push_back(std::move(f));
        }
    }
    const struct {
        const char* ident;
        double lat, lon, dir, knots;
    } fixes[] = {{"SPA", 35.033611, -81.927222, 261, 66},
                 {"GSO", 36.045833, -79.976389, 265, 75},
                 {"ICCOR", 36.724722, -78.4975, 270, 84},
                 {"RIC", 37.502222, -77.320278, 273, 91},
                 {"HYDRS", 38.456389, -75.705278, 279, 100}};
    for (const auto& fix : fixes) {
        SCOPED_TRACE(fix.ident);
        const auto nm = [&](const std::vector<std::string>& f) {
            return 60 * std::hypot(std::stod(f[1]) - fix.lat,
                                   (std::stod(f[2]) - fix.lon) *
                                       std::cos(fix.lat * std::numbers::pi / 180));
        };
        const auto nearest =
            std::min_element(cruise.begin(), cruise.end(),
                             [&](const auto& a, const auto& b) { return nm(a) < nm(b); });
        ASSERT_NE(nearest, cruise.end());
        EXPECT_LT(nm(*nearest), 5.0);
        EXPECT_NEAR(std::stod((*nearest)[4]), fix.dir, 2.0);
        EXPECT_NEAR(std::stod((*nearest)[5]), fix.knots, 2.0);
    }
}

// Blended out of Atlanta: in level flight no second of the trace moves the wind, temperature,
// pressure or visibility faster than a pilot's rates, and the weights add up; the nearest
// station's transitions on the same leg do not keep to them.
TEST_F(PlanCommandsOnShippedDb, BlendedWeatherMovesAtAPilotsRates) {
    const std::string weather = dir.write(
        "cycle.txt", zephyra::test::realData("metar/awc_metars_2022-10-23T11Z_cycle.txt"));
    const std::string plan = dir.write(
        "atl-sugarloaf.fpl", "Sugarloaf Mt|35.4063888888889|-82.2686111111111|9000|250\r\n");
    int overall[2] = {0, 0};
    for (const bool blend : {true, false}) {
        const std::string trace = dir.file(blend ? "on.csv" : "off.csv");
        const Outcome flown = fly({plan, "--from-airport", "KATL", "--weather", weather, "--db", db,
                                   "--trace", trace, "--blend", blend ? "on" : "off"});
        ASSERT_EQ(flown.code, 0) << flown.err;
        std::istringstream rows(dir.read(blend ? "on.csv" : "off.csv"));
        std::string line;
        std::getline(rows, line);
        std::vector<std::string> last;
        int over = 0, level = 0;
        while (std::getline(rows, line)) {
            const auto f = csvFields(line);
            ASSERT_EQ(f.size(), 12u) << line;
            if (blend) {  // "KATL:1.00" or "KPDK:0.65;KLZU:0.21;..." adding up to 1
                double sum = 0;
                for (std::size_t at = 0; at < f[11].size();) {
                    const std::size_t colon = f[11].find(':', at);
                    ASSERT_NE(colon, std::string::npos) << f[11];
                    sum += std::stod(f[11].substr(colon + 1));
                    at = std::min(f[11].find(';', colon), f[11].size()) + 1;
                }
                EXPECT_NEAR(sum, 1.0, 0.021) << line;
            }
            if (!last.empty() && last[3] == f[3]) {
                ++level;
                const auto moved = [&](int i) {
                    return std::fabs(std::stod(f[i]) - std::stod(last[i]));
                };
                const double turn = std::min(moved(4), 360 - moved(4));
                const bool calm = std::stod(last[5]) < 1.0;  // no direction to keep
                over += moved(5) > 0.5 + 1e-6 || (!calm && turn > 1.05) || moved(6) > 0.1 + 1e-6 ||
                        moved(7) > 0.005 + 1e-6 || moved(8) > 0.1 * std::stod(last[8]) + 0.01;
            }
            last = f;
        }
        EXPECT_GT(level, 1000);
        overall[blend ? 0 : 1] = over;
    }
    EXPECT_EQ(overall[0], 0);
    EXPECT_GT(overall[1], 10);
}

// maxTurb/unlimitedVis/newClouds/winds/uom
std::string summary(const FlySettings& s) {
    return std::to_string(s.maxTurb) + "/" + std::to_string(s.unlimitedVis) + "/" +
           std::to_string(s.newClouds) + "/" + std::to_string(s.winds) + "/" + s.uom;
}

TEST(FlySettings, ReadFromTheParameterFileAsTheWindowReadsIt) {
    test::TempDir dir;
    shell::Settings saved = shell::firstRunSettings("/fs98");
    saved.MaxTurb = 40;
    saved.UnlimitedVis = 12;
    saved.NewClouds = false;
    saved.Wind = false;
    saved.WindText = "False";
    saved.UOM = "M";
    ASSERT_TRUE(shell::writeParamFile(dir.file("vane98.par"), saved));
    std::ostringstream err;
    const FlySettings read = readFlySettings(dir.file("vane98.par"), err);
    EXPECT_EQ(summary(read), "40/12/0/0/M");
    // No file: what a first run writes.
    EXPECT_EQ(summary(readFlySettings(dir.file("none.par"), err)), "180/30/1/1/U");
    EXPECT_EQ(err.str(), "");

    // A bad line stops the reading, as in the window, and is reported.
    dir.write("bad.par", "UnlimitedVis=12\r\nMaxTurb=lots\r\nNewClouds=0\r\n");
    EXPECT_EQ(summary(readFlySettings(dir.file("bad.par"), err)).substr(0, 6), "0/12/1");
    EXPECT_NE(err.str().find("bad.par line 2"), std::string::npos) << err.str();
}

// Without vane98.par, `report` and `fly` give the unlimited visibility the same ceiling: the
// one a first run writes.
TEST(FlySettings, ReportAndFlyShareOneDefaultWithoutAParameterFile) {
    ASSERT_FALSE(std::filesystem::exists(
        platform::joinPath(platform::folders().settings, shell::kParamFileName)));
    test::TempDir dir;
    {
        auto db = weather::WeatherDb::open(dir.file("vanedb.mdb"));
        test::addStation(*db, {"KATL", "3338N", "08426W", 0});
        weather::WeatherRecord r;
        r.ID = "KATL";
        r.Visibility = 100;  // unlimited
        ASSERT_EQ(db->addWeather(r), weather::WeatherDb::AddResult::Added);
    }
    std::ostringstream out, err;
    ASSERT_EQ(cli::runReportCommand({"KATL", "--db", dir.file("vanedb.mdb")}, out, err), 0);
    const FlySettings fly = readFlySettings(dir.file("vane98.par"), err);
    EXPECT_EQ(fly.unlimitedVis, 30);
    EXPECT_NE(out.str().find("\nVisibility is 30 miles.\n"), std::string::npos) << out.str();
}

TEST(FlySettings, OptionsOverrideTheFile) {
    struct Case {
        std::string option;
        const char* value;
        simlink::OptionUse use;
        std::string settings;  // the summary after it
    };
    using simlink::OptionUse;
    const Case cases[] = {
        {"--max-turb", "0", OptionUse::Taken, "0/30/1/1/U"},
        {"--max-turb", "255", OptionUse::Taken, "255/30/1/1/U"},
        {"--max-turb", "256", OptionUse::Bad, "180/30/1/1/U"},
        {"--max-turb", "x", OptionUse::Bad, "180/30/1/1/U"},
        {"--max-turb", nullptr, OptionUse::Bad, "180/30/1/1/U"},
        {"--unlimited-vis", "50", OptionUse::Taken, "180/50/1/1/U"},
        {"--unlimited-vis", "0", OptionUse::Bad, "180/30/1/1/U"},
        {"--new-clouds", "off", OptionUse::Taken, "180/30/0/1/U"},
        {"--new-clouds", "no", OptionUse::Bad, "180/30/1/1/U"},
        {"--winds", "off", OptionUse::Taken, "180/30/1/0/U"},
        {"--uom", "F", OptionUse::Taken, "180/30/1/1/F"},
        {"--uom", "m", OptionUse::Bad, "180/30/1/1/U"},
        {"--metric", nullptr, OptionUse::NotMine, "180/30/1/1/U"},
    };
    for (const auto& c : cases) {
        FlySettings s;
        std::string value = c.value != nullptr ? c.value : "";
        SCOPED_TRACE(c.option + " " + value);
        std::string problem;
        EXPECT_EQ(takeFlySettingOption(c.option, c.value != nullptr ? &value : nullptr, s, problem),
                  c.use);
        EXPECT_EQ(summary(s), c.settings);
        EXPECT_EQ(problem.empty(), c.use != OptionUse::Bad);
    }
}

}  // namespace
}  // namespace zephyra::cli
