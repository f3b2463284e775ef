#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "cli/PlanCommands.h"
#include "support/TempDir.h"

namespace zephyra::cli {
namespace {

// Cover classes: clear 0, FEW 1-2, SCT 3-5, BKN 6-7, OVC/VV 8.
int coverClass(double eighths) {
    return eighths == 0 ? 0 : eighths <= 2 ? 1 : eighths <= 5 ? 2 : eighths <= 7 ? 3 : 4;
}

// KATL to KJFK with the 2022-10-23 cycle file and the settings a first run writes, KPDK's
// report replaced by one without temperature: every switch of station holds the cover class
// of the report's first layer and its own temperature, and KPDK an estimated temperature and
// the visibility ceiling.
TEST(TruthfulWeather, AtlantaToKennedyFliesWhatTheReportsSay) {
    const std::string shipped = std::string(ZEPHYRA_PROGRAM_DIR) + "/vanedb.mdb";
    const std::string cycle = std::string(ZEPHYRA_SOURCE_DIR) +
                              "/../shared/data/metar/awc_metars_2022-10-23T11Z_cycle.txt";
    if (!std::filesystem::exists(shipped) || !std::filesystem::exists(cycle)) {
        GTEST_SKIP() << "needs the built database and the shared METAR files";
    }
    test::TempDir dir;
    std::ifstream in(cycle, std::ios::binary);
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
    ASSERT_EQ(runFlyCommand({plan, "--from-airport", "KATL", "--weather", file, "--db", shipped,
                             "--max-turb", "180", "--unlimited-vis", "30", "--new-clouds", "on",
                             "--winds", "on", "--uom", "U"},
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

}  // namespace
}  // namespace zephyra::cli
