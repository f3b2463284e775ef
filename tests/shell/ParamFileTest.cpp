#include <gtest/gtest.h>

#include <functional>

#include "shell/ParamFile.h"
#include "support/TempDir.h"

using namespace zephyra::shell;

namespace {

Settings parse(const std::string& text, bool expectOk = true) {
    Settings s;
    const auto r = parseParamText(text, s);
    EXPECT_EQ(r.ok, expectOk) << r.error;
    return s;
}

}  // namespace

TEST(ParamFileRead, ConvertsEachValueAsTheProgramReadsIt) {
    using Field = std::function<std::string(const Settings&)>;
    const Field wayp = [](const Settings& s) { return std::to_string(s.Wayp); };
    const Field wind = [](const Settings& s) {
        return s.Wind ? "on " + s.WindText : "off " + s.WindText;
    };
    const Field qsend = [](const Settings& s) { return s.QSend; };
    const Field clouds = [](const Settings& s) { return s.NewClouds ? "1" : "0"; };
    const Field fpDist = [](const Settings& s) { return std::to_string(s.FP_Dist); };
    const Field maxTurb = [](const Settings& s) { return std::to_string(s.MaxTurb); };
    const Field vis = [](const Settings& s) { return std::to_string(s.UnlimitedVis); };
    const Field path = [](const Settings& s) { return s.Path98; };
    const struct {
        const char* text;
        Field field;
        const char* expected;
    } cases[] = {
        {"WAYP=0\r\nColour=blue\r\n", wayp, "2"},  // keys keep their case; unknown skipped
        {"wind=False\r\n", wind, "on True"},
        {"Wind=false\r\n", wind, "on True"},  // only exactly "False" switches winds off
        {"Wind=False\r\n", wind, "off False"},
        {"QSend=False\r\n", qsend, "False"},
        {"QSend=no\r\n", qsend, "True"},
        {"NewClouds=1\r\n", clouds, "1"},  // true only for the number one
        {"NewClouds=1.0\r\n", clouds, "1"},
        {"NewClouds=2\r\n", clouds, "0"},
        {"FP_Dist=75.5\r\n", fpDist, "76"},  // half to even
        {"FP_Dist=74.5\r\n", fpDist, "74"},
        {"UnlimitedVis=-2.5\r\n", vis, "-2"},
        {"Wayp= 1 \r\n", wayp, "1"},
        {"98Path=/games/fs=98\r\n", path, "/games/fs=98"},
        {"Wayp=0\r\nWayp=3\r\n", wayp, "3"},    // a later line wins
        {"Wayp=0\nMaxTurb=7\n", maxTurb, "7"},  // Unix line ends
        {"Wayp=1\rMaxTurb=8", maxTurb, "8"},    // old Mac line ends
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.field(parse(c.text)), c.expected) << c.text;
    }
    parse("NewClouds=True\r\n", false);
}

// Each text goes bad on its second line.
TEST(ParamFileRead, BadLinesStopReadingAndKeepEarlierValues) {
    for (const char* text :
         {"Wayp=1\r\nno equals here\r\nMaxTurb=9\r\n", "Wayp=1\r\n\r\nMaxTurb=9\r\n",
          "Wayp=1\r\nMaxTurb=lots\r\n", "Wayp=1\r\nMaxTurb=40000\r\n", "Wayp=1\r\nMaxTurb=\r\n",
          "Wayp=1\r\nFP_Dist=1e9\r\n"}) {
        Settings s;
        const auto r = parseParamText(text, s);
        EXPECT_FALSE(r.ok) << text;
        EXPECT_EQ(r.errorLine, 2) << text;
        EXPECT_EQ(s.Wayp, 1) << text;
        EXPECT_EQ(s.MaxTurb, 0) << text;
    }
}

// Every field changed from the first run's: the distance as typed, read back rounded.
TEST(ParamFileWrite, RoundTripsThroughTheReader) {
    zephyra::test::TempDir dir;
    Settings s = firstRunSettings(dir.path());
    s.UnlimitedVis = 31;
    s.MaxTurb = 90;
    s.UOM = "F";
    s.Wind = false;
    s.Wayp = 1;
    s.QSend = "False";
    s.AP_Upd = 0;
    s.WPC_INC = 0;
    s.WPN_INC = 0;
    s.WPW_INC = 1;
    s.NewClouds = false;
    ASSERT_TRUE(writeParamFile(dir.file("vane98.par"), s, std::string("75.5")));
    EXPECT_EQ(dir.read("vane98.par"),
              "UnlimitedVis=31\r\n98Path=" + dir.path() +
                  "\r\nMaxTurb=90\r\nUOM=F\r\nWind=False\r\nWayp=1\r\nQSend=False\r\n"
                  "FP_Dist=75.5\r\nAP_Upd=0\r\nWPC_INC=0\r\nWPN_INC=0\r\nWPW_INC=1\r\n"
                  "NewClouds=0\r\n");
    Settings back;
    ASSERT_TRUE(readParamFile(dir.file("vane98.par"), back).ok);
    EXPECT_EQ(formatParamFile(back), formatParamFile(s, std::string("76")));
}

// "F" is metric with heights in feet; only exactly "U" keeps Fahrenheit and inches.
TEST(Settings, UnitCodeIsReadThreeWays) {
    const struct {
        const char* code;
        bool metres, kilometres, fahrenheit;
    } cases[] = {
        {"U", false, false, true}, {"M", true, true, false},   {"F", false, true, false},
        {"", false, false, false}, {"X", false, false, false},
    };
    for (const auto& c : cases) {
        Settings s;
        s.UOM = c.code;
        EXPECT_EQ(s.heightsInMetres(), c.metres) << c.code;
        EXPECT_EQ(s.distancesInKilometres(), c.kilometres) << c.code;
        EXPECT_EQ(s.fahrenheitAndInches(), c.fahrenheit) << c.code;
    }
}
