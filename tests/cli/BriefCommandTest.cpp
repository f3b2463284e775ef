#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <regex>
#include <sstream>

#include "cli/PlanCommands.h"
#include "cli/QtCommands.h"
#include "reports/BriefingMap.h"
#include "support/RealData.h"
#include "support/TempDir.h"
#include "weather/SimBriefOfp.h"
#include "weather/Taf.h"
#include "weather/TafStore.h"
#include "weather/WeatherDb.h"

namespace zephyra::cli {
namespace {

class BriefOnShippedDb : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string shipped = std::string(ZEPHYRA_PROGRAM_DIR) + "/vanedb.mdb";
        if (!std::filesystem::exists(shipped)) {
            GTEST_SKIP() << "no database at " << shipped;
        }
        std::filesystem::copy_file(shipped, db);
        weather::readOfpAloftFiles();  // as zephyra-cli-qt, which runs brief
    }
    test::TempDir dir;
    const std::string db = dir.file("vanedb.mdb");
};

// The plan zephyra-cli plan generate --from KATL --to KJFK writes.
const char* const kAtlantaToKennedy =
    "Foothills|34.6958333333333|-83.2977777777778|9000|250\r\n"
    "Barretts Mt|35.8688888888889|-81.2405555555556|9000|250\r\n"
    "Woodrum|37.3244444444444|-79.9788888888889|9000|250\r\n"
    "Gordonsville|38.0136111111111|-78.1527777777778|9000|250\r\n"
    "Baltimore|39.1711111111111|-76.6613888888889|9000|250\r\n"
    "North Philadelphia|40.0822222222222|-75.0094444444444|9000|250\r\n"
    "John F. Kennedy International Airport|40.6394444444444|-73.7794444444445|1510|250\r\n";

// Atlanta to Kennedy with the 23 October 2022 11Z reports, the FD1US1 winds and Kennedy's TAF
// of the 25th: every section is filled, the TAF's period at the ETA (some 17Z) is marked, the
// ground speeds are plan show's, and what is missing or old is warned of.
TEST_F(BriefOnShippedDb, AtlantaToKennedyHasEverySection) {
    const std::string fpl = dir.write("atl-jfk.fpl", kAtlantaToKennedy);
    const std::string metars =
        dir.write("metars.txt", test::realData("metar/awc_metars_2022-10-23T11Z_cycle.txt"));
    const std::string fd1 = std::string(ZEPHYRA_SOURCE_DIR) + "/tests/data/aloft/FD1US1.txt";
    const std::string taf = std::string(ZEPHYRA_SOURCE_DIR) + "/tests/data/taf/TAFJFK.txt";
    const std::string page = dir.file("brief.html");
    std::ostringstream out, err;
    ASSERT_EQ(runBriefCommand(
                  {fpl, "--from-airport", "KATL", "--weather", metars, "--aloft", fd1, "--taf", taf,
                   "--departure", "2022-10-25T15:00Z", "--out", page, "--db", db},
                  out, err),
              0)
        << err.str();
    const std::string html = dir.read("brief.html");
    for (const char* part :
         {"<h1>Route briefing: KATL to KJFK</h1>", "src=\"data:image/png;base64,iVBORw0KGgo",
          "<h2 id=\"route\">", "<h2>Departure: KATL</h2>", "<h2>Destination: KJFK</h2>",
          "<div class=\"raw\">KATL 231052Z 09003KT", "<div class=\"raw\">KJFK 231051Z COR",
          "Flight category: VFR.", "<h2 id=\"categories\">", "<td>KPDK</td>", "<h2 id=\"aloft\">",
          "FD1US1", "<h2 id=\"sources\">", "<div class=\"raw\">KJFK 251341Z 2514/2618",
          "<tr class=\"now\"><td>&#9654;</td><td>FM 25 16:00Z", "No TAF for KATL",
          "<td class=\"n\">25 17:", "The newest report is 2 days older than the departure."}) {
        EXPECT_NE(html.find(part), std::string::npos) << part;
    }

    std::ostringstream shown, shownErr;
    ASSERT_EQ(runPlanCommand(
                  {"show", fpl, "--aloft", fd1, "--from-airport", "KATL", "--db", db, "--json"},
                  shown, shownErr),
              0)
        << shownErr.str();
    const std::string json = shown.str();
    std::vector<long> planShow, briefed;
    const std::regex gs(R"("gs_kt":([\d.]+))");
    for (std::sregex_iterator m(json.begin(), json.end(), gs), end; m != end; ++m) {
        planShow.push_back(std::lround(std::stod((*m)[1])));
    }
    // The route table's GS column: the ninth cell of each leg row.
    const std::string route = html.substr(html.find("<h2 id=\"route\">"));
    const std::regex leg(R"(<tr>(?:<td[^>]*>[^<]*</td>){8}<td class="n">(\d+)</td>)");
    for (std::sregex_iterator
             m(route.begin(), route.begin() + static_cast<long>(route.find("</table>")), leg),
         end;
         m != end; ++m) {
        briefed.push_back(std::stol((*m)[1]));
    }
    ASSERT_EQ(planShow.size(), 7u);
    EXPECT_EQ(briefed, planShow);

    // A SimBrief OFP's winds reach the route but carry no time: the page says the latter.
    std::ostringstream ofpOut, ofpErr;
    const std::string ofp =
        std::string(ZEPHYRA_SOURCE_DIR) + "/tests/data/plans/simbrief-katl-kjfk.xml";
    ASSERT_EQ(
        runBriefCommand({fpl, "--from-airport", "KATL", "--aloft", ofp, "--out", page, "--db", db},
                        ofpOut, ofpErr),
        0)
        << ofpErr.str();
    const std::string withOfp = dir.read("brief.html");
    EXPECT_EQ(withOfp.find("does not reach the route"), std::string::npos);
    EXPECT_NE(withOfp.find("gives no valid time"), std::string::npos);

    // Without the winds aloft the page says so, and the legs are flown without wind. Without a
    // TAF file the TAFs loaded in the database are used.
    {
        auto store = weather::WeatherDb::open(db, nullptr, false);
        ASSERT_TRUE(store);
        std::string error;
        const auto read = weather::loadTafFile(taf, &error, 1666710000);
        ASSERT_TRUE(read) << error;
        ASSERT_TRUE(weather::replaceTafs(*store, *read, &error)) << error;
    }
    std::ostringstream calmOut, calmErr;
    ASSERT_EQ(runBriefCommand({fpl, "--from-airport", "KATL", "--out", page, "--db", db}, calmOut,
                              calmErr),
              0)
        << calmErr.str();
    const std::string calm = dir.read("brief.html");
    EXPECT_NE(calm.find("No winds aloft forecast"), std::string::npos);
    EXPECT_NE(calm.find("KJFK 251341Z 2514/2618 05006KT"), std::string::npos);
    EXPECT_NE(calm.find("the TAFs loaded"), std::string::npos);
}

// The briefing's stations carry no precipitation: its map legend is the flight categories
// alone, without the weather map's precipitation column beside them. The route lies over open
// sea, so a spot left of the narrow legend shows the sea, not the wide legend's white.
TEST(BriefingMap, LegendShowsOnlyTheFlightCategories) {
    reports::Briefing briefing;
    briefing.route = {{30.0, -60.0}, {31.0, -59.0}};
    briefing.routeNames = {"A", "B"};
    const std::string png =
        reports::briefingMapPng(briefing, std::string(ZEPHYRA_SOURCE_DIR) + "/data/map", 1100, 620);
    const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(png.data()),
                                          static_cast<int>(png.size()), "PNG");
    ASSERT_FALSE(image.isNull());
    int white = 0;
    for (int x = 930; x < 945; ++x) {  // 1100 - 8 - 290 is the wide legend's left edge
        for (int y = 540; y < 560; ++y) {
            white += qRed(image.pixel(x, y)) > 240 ? 1 : 0;
        }
    }
    EXPECT_LT(white, 30);
}

}  // namespace
}  // namespace zephyra::cli
