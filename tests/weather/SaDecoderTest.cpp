#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "FieldCheck.h"
#include "platform/Random.h"
#include "support/RealData.h"
#include "weather/Reports.h"

using zephyra::platform::PinnedRandom;
using zephyra::test::expectFields;
using zephyra::weather::decodeSaLine;
using zephyra::weather::SaReport;

namespace {

const std::string kAtlanta = "ATL SA 1756 250 SCT 7 141/72/58/2510G18/992";

SaReport sa(const std::string& line, PinnedRandom& rnd) {
    const auto r = decodeSaLine(line, rnd);
    EXPECT_TRUE(r.has_value()) << line;
    return r.value_or(SaReport{});
}

SaReport sa(const std::string& line) {
    PinnedRandom rnd;
    rnd.setConstant(0.5);
    return sa(line, rnd);
}

bool rejected(const std::string& line) {
    PinnedRandom rnd;
    return !decodeSaLine(line, rnd).has_value();
}

// A plain sky part, for a slash group behind it.
const std::string kSky = "ATL SA 1756 250 SCT 7 ";

#define F(name, member) ZEPHYRA_FIELD_AS(SaReport, name, member)
const zephyra::test::FieldTable<SaReport> kSaFields = {
    F("cl1Base", cl1Base),   F("cl1Top", cl1Top),   F("cl2Base", cl2Base),  F("cl2Top", cl2Top),
    F("vis", visibility),    F("hpa", pressure),    F("temp", temperature), F("dew", dewPoint),
    F("dir", windDirection), F("speed", windSpeed), F("gust", gust),        F("alt", altimeter),
    F("weather", weather),   F("thunder", thunder)};
#undef F

TEST(SaSky, LayersTopsAndDraws) {
    const struct {
        std::string line;
        std::vector<double> draws;  // the tops, cloud 1's first
        const char* fields;
        const char* covers;
    } cases[] = {
        {kAtlanta, {0.3}, "cl1Base=25000 cl1Top=25500 cl2Base=0 cl2Top=0 vis=7", "SCT CLR"},
        {"ATL SA 1756 M12 BKN 250 OVC 7 141/72/58/2510G18/992",
         {0.1, 0.2},
         "cl1Base=1200 cl1Top=1500 cl2Base=25000 cl2Top=25400 vis=7",
         "BKN OVC"},
        // Cloud 1's top stops below cloud 2's base.
        {"ATL SA 1756 10 SCT 12 BKN 7 141/72/58/2510G18/992",
         {0.9, 0.9},
         "cl1Base=1000 cl1Top=1199 cl2Base=1200 cl2Top=2300 vis=7",
         "SCT BKN"},
        // No sky part means clear; the time in front is not a visibility: the clear sky's 40,
        // on the format's scale.
        {"ATL SA 1756 141/72/58/2510G18/992",
         {},
         "cl1Base=25000 cl1Top=25500 cl2Base=0 cl2Top=0 vis=50",
         "CLR CLR"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        PinnedRandom rnd;
        for (const double d : c.draws) {
            rnd.queue(d);
        }
        const auto r = sa(c.line, rnd);
        EXPECT_EQ(rnd.draws(), c.draws.size());
        expectFields(r, kSaFields, std::string(c.fields) + " temp=72");
        EXPECT_EQ(r.cl1CoverCode + " " + r.cl2CoverCode, c.covers);
    }
}

// Sky, visibility and slash group, one line each: the fields named are read as given

TEST(SaGroups, FieldsPerLine) {
    const std::pair<std::string, const char*> cases[] = {
        // Ceiling letters and the thin mark are not part of the height
        {"ATL SA 1756 M8 BKN 7 141/72/58/2510G18/992", "cl1Base=800"},
        {"ATL SA 1756 E12 OVC 7 141/72/58/2510G18/992", "cl1Base=1200"},
        {"ATL SA 1756 W5 X 7 141/72/58/2510G18/992", "cl1Base=500"},
        {"ATL SA 1756 -40 SCT 7 141/72/58/2510G18/992", "cl1Base=4000"},
        {"ATL SA 1756 SCT 30 7 141/72/58/2510G18/992", "cl1Base=3000 vis=7"},
        {"ATL SA 1756 10 SCT 25 BKN 50 OVC 250 OVC 4 141/72/58/2510G18/992",
         "cl1Base=1000 cl2Base=2500 vis=4"},
        // Visibility: ten and more shifted by ten; a fraction token is dropped; a word after
        // the visibility makes a second layer (the validation pass removes such a report)
        {"ATL SA 1756 250 SCT 15 141/72/58/2510G18/992", "vis=25"},
        {"ATL SA 1756 250 SCT 9 141/72/58/2510G18/992", "vis=9"},
        {"ATL SA 1756 250 SCT 10 141/72/58/2510G18/992", "vis=20"},
        {"ATL SA 1756 250 SCT 1 1/2 141/72/58/2510G18/992", "vis=1"},
        {"ATL SA 1756 250 SCT 3 H 141/72/58/2510G18/992", "cl2Base=300 vis=0"},
        {"ATL SA 1756 CLR 141/72/58/2510G18/992", "vis=50"},  // the clear sky's 40
        // The last token is always kept
        {"ATL SA 1756 CLR 15 141/72/58/2510G18/992 R", "weather=0 alt=29.92"},
        // Slash group
        {kAtlanta, "hpa=1014.1 temp=72 dew=58 dir=250 speed=10 gust=1 alt=29.92 weather=0"},
        // fewer than four slashes: the default pressure
        {kSky + "72/58/2510G18/992", "hpa=1016 temp=72 dew=58 dir=250 alt=29.92"},
        {kSky + "046/72/58/2510/992", "hpa=1004.6"},
        {kSky + "998/72/58/2510/992", "hpa=1099.8"},
        {kSky + "141/72/58/2510G18/012", "alt=30.12"},
        {kSky + "141/72/58/2510G18/899", "alt=38.99"},
        {kSky + "141/72/58/2510G18/900", "alt=29.00"},
        {kSky + "141/72/58/2510G18/", "alt=30.00"},
        {kSky + "141/72/58/2510G18/992/", "alt=29.92"},
        {kSky + "141/72/58/2510G18/9921 RMK", "alt=29.92"},
        {kSky + "141/72/58/0214/992", "dir=20 speed=14 gust=0"},
        {kSky + "141/72/58/0000/992", "dir=0 speed=0"},
        {kSky + "141/-5/-12/3615/012", "temp=-5 dew=-12 dir=360"},
    };
    for (const auto& [line, expected] : cases) {
        SCOPED_TRACE(line);
        expectFields(sa(line), kSaFields, expected);
    }
}

TEST(SaGroups, CoverWordsAreKeptAsWrittenForTheValidation) {
    EXPECT_EQ(sa("ATL SA 1756 250 -SCT 7 141/72/58/2510G18/992").cl1CoverCode, "-SCT");
    EXPECT_EQ(sa("ATL SA 1756 250 SCT 3 H 141/72/58/2510G18/992").cl2CoverCode, "H");
}

TEST(SaGroups, WeatherTokensSetTheFlagsAndLeaveTheReport) {
    for (const std::string wx :
         {"R", "S", "F", "R-", "S-", "F-", "ZR-", "TRW+", "TRW-", "TS", "TRWF"}) {
        const auto r = sa("ATL SA 1756 250 SCT 7 " + wx + " 141/72/58/2510G18/992");
        EXPECT_TRUE(r.weather) << wx;
        EXPECT_EQ(r.thunder, wx[0] == 'T') << wx;
        EXPECT_EQ(r.visibility, 7) << wx;  // the token is gone from the report
    }
    // Three-character tokens are station identifiers as often as weather.
    const auto r = sa("TRI SA 1756 250 SCT 7 141/72/58/2510G18/992");
    EXPECT_EQ(r.id, "TRI");
    EXPECT_FALSE(r.thunder);
}

TEST(SaGroups, LinesThatWriteNoRecord) {
    for (const std::string& line :
         {// a layer without a height
          std::string("ATL SA 1756 SCT BKN 7 141/72/58/2510G18/992"),
          std::string("WZR SA 1400 AUTO8 M M M 046/01/00/0401/M/M 1005 6-4MM="),
          // a letter in the visibility; the third sky token before the slash group is the
          // visibility, whatever it holds
          std::string("ATL SA 1756 250 SCT 7A 141/72/58/2510G18/992"),
          std::string("ATL SA 1756 250 SCT H 141/72/58/2510G18/992"),
          // a letter where the slash group wants a number
          kSky + "141/7X/58/2510G18/992", kSky + "M/72/58/2510G18/992", kSky + "141/72/58/MM10/992",
          kSky + "141/72/58/2510/9X2",
          // missing parts
          std::string("ATL SA 1756 250 SCT 7"), kSky + "72/58", kSky + "72/58/2510G18",
          kSky + "141/72//2510G18/992", kSky + "141/72/58/25/992",
          // not reports
          std::string(""), std::string("SACN96 CWAO 241400 RRB"), std::string("ATL SA 1756"),
          std::string("\xEF\xBB\xBF")}) {
        EXPECT_TRUE(rejected(line)) << line;
    }
}

// Inputs that must never break the reader

TEST(SaRobustness, ByteOrderMarkLineEndAndHugeLines) {
    const auto r = sa("\xEF\xBB\xBF" + kAtlanta + "\r");
    EXPECT_EQ(r.id + " " + r.observation + " " + r.time, "ATL SA 1756");
    EXPECT_DOUBLE_EQ(r.altimeter, 29.92);
    std::string huge = "ATL SA 1756 " + std::string(100000, '9') + " SCT 7 141/72/58/2510/992";
    EXPECT_TRUE(rejected(huge));  // a height that does not fit is not a number
    EXPECT_TRUE(rejected("ATL SA 1756 206000018 BKN 7 141/72/58/2510/992"));
    std::string blanks = "ATL SA 1756 CLR 15 141/72/58/2510/992" + std::string(100000, ' ');
    EXPECT_FALSE(rejected(blanks));
    std::string slashes = "ATL SA 1756 CLR 15 " + std::string(100000, '/');
    EXPECT_TRUE(rejected(slashes));
}

// The real samples

std::vector<std::string> sampleLines(const std::string& name) {
    std::vector<std::string> lines;
    std::istringstream in(zephyra::test::realData("sa/" + name));
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

TEST(SaRealSamples, UsTutorialReport) {
    const auto lines = sampleLines("sa_us_example_nasa_tutorial.txt");
    ASSERT_EQ(lines.size(), 1u);
    PinnedRandom rnd;
    rnd.setConstant(0.0);
    // ICT SP1432 3 SCT M8 BKN 20 OVC 2 TRW 132/72/64/0214G25/ 992/ RO1VR30V50 ...
    const auto r = sa(lines[0], rnd);
    EXPECT_EQ(
        r.id + " " + r.observation + " " + r.time + " " + r.cl1CoverCode + " " + r.cl2CoverCode,
        "ICT SP 1432 SCT BKN");
    // "992/" holds a single slash and is dropped with the other one-slash tokens, so the
    // altimeter field is the remark text behind the fourth slash.
    expectFields(r, kSaFields,
                 "cl1Base=300 cl1Top=500 cl2Base=800 vis=2 hpa=1013.2 temp=72 dew=64 dir=20 "
                 "speed=14 gust=1 alt=30");
}

}  // namespace
