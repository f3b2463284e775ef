#include <gtest/gtest.h>

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

TEST(ParamFileRead, DefaultsBeforeAnyLine) {
    const Settings s = parse("");
    EXPECT_EQ(s.UnlimitedVis, 50);
    EXPECT_EQ(s.Path98, "123");
    EXPECT_EQ(s.Wayp, 2);
    EXPECT_TRUE(s.Wind);
    EXPECT_TRUE(s.NewClouds);
    EXPECT_EQ(s.QSend, "");
}

TEST(ParamFileRead, KeysAreCaseSensitiveAndUnknownKeysSkipped) {
    const Settings s = parse("WAYP=0\r\nwind=False\r\nColour=blue\r\n");
    EXPECT_EQ(s.Wayp, 2);
    EXPECT_TRUE(s.Wind);
}

TEST(ParamFileRead, OnlyExactFalseSwitchesWindOff) {
    EXPECT_TRUE(parse("Wind=false\r\n").Wind);
    EXPECT_TRUE(parse("Wind=FALSE\r\n").Wind);
    EXPECT_TRUE(parse("Wind=\r\n").Wind);
    const Settings off = parse("Wind=False\r\n");
    EXPECT_FALSE(off.Wind);
    EXPECT_EQ(off.WindText, "False");
}

TEST(ParamFileRead, QuickSendIsFalseOnlyForFalse) {
    EXPECT_EQ(parse("QSend=False\r\n").QSend, "False");
    EXPECT_EQ(parse("QSend=no\r\n").QSend, "True");
    EXPECT_EQ(parse("QSend=\r\n").QSend, "True");
}

TEST(ParamFileRead, NewCloudsIsTrueOnlyForTheNumberOne) {
    EXPECT_TRUE(parse("NewClouds=1\r\n").NewClouds);
    EXPECT_TRUE(parse("NewClouds=1.0\r\n").NewClouds);
    EXPECT_FALSE(parse("NewClouds=2\r\n").NewClouds);
    EXPECT_FALSE(parse("NewClouds=-1\r\n").NewClouds);
    EXPECT_FALSE(parse("NewClouds=0\r\n").NewClouds);
    parse("NewClouds=True\r\n", false);
}

TEST(ParamFileRead, IntegersRoundHalfToEven) {
    EXPECT_EQ(parse("FP_Dist=75.5\r\n").FP_Dist, 76);
    EXPECT_EQ(parse("FP_Dist=74.5\r\n").FP_Dist, 74);
    EXPECT_EQ(parse("MaxTurb=180.4\r\n").MaxTurb, 180);
    EXPECT_EQ(parse("UnlimitedVis=-2.5\r\n").UnlimitedVis, -2);
    EXPECT_EQ(parse("Wayp= 1 \r\n").Wayp, 1);
}

TEST(ParamFileRead, ValueIsEverythingAfterTheFirstEquals) {
    EXPECT_EQ(parse("98Path=/games/fs=98\r\n").Path98, "/games/fs=98");
    EXPECT_EQ(parse("UOM=M\r\n").UOM, "M");
}

TEST(ParamFileRead, LaterLinesOverrideEarlierOnes) {
    EXPECT_EQ(parse("Wayp=0\r\nWayp=3\r\n").Wayp, 3);
}

TEST(ParamFileRead, BadLinesStopReadingAndKeepEarlierValues) {
    struct Case {
        const char* text;
        int line;
    } cases[] = {
        {"Wayp=1\r\nno equals here\r\nMaxTurb=9\r\n", 2},
        {"Wayp=1\r\n\r\nMaxTurb=9\r\n", 2},
        {"Wayp=1\r\nMaxTurb=lots\r\n", 2},
        {"Wayp=1\r\nMaxTurb=40000\r\n", 2},
        {"Wayp=1\r\nMaxTurb=\r\n", 2},
        {"Wayp=1\r\nFP_Dist=1e9\r\n", 2},
    };
    for (const auto& c : cases) {
        Settings s;
        const auto r = parseParamText(c.text, s);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.errorLine, c.line) << c.text;
        EXPECT_EQ(s.Wayp, 1) << c.text;
        EXPECT_EQ(s.MaxTurb, 0) << c.text;
    }
}

TEST(ParamFileRead, AcceptsUnixAndOldMacLineEnds) {
    const Settings lf = parse("Wayp=0\nMaxTurb=7\n");
    EXPECT_EQ(lf.Wayp, 0);
    EXPECT_EQ(lf.MaxTurb, 7);
    EXPECT_EQ(parse("Wayp=1\rMaxTurb=8").MaxTurb, 8);
}

TEST(ParamFileRead, MissingFileIsAnError) {
    Settings s;
    EXPECT_FALSE(readParamFile("/nonexistent/vane98.par", s).ok);
}

TEST(ParamFileWrite, WritesTheThirteenLinesInOrderWithCrLf) {
    Settings s;
    s.UnlimitedVis = 30;
    s.Path98 = "/games/FS98";
    s.MaxTurb = 180;
    s.UOM = "F";
    s.Wind = false;
    s.Wayp = 1;
    s.QSend = "True";
    s.FP_Dist = 76;
    s.AP_Upd = 1;
    s.WPC_INC = 0;
    s.WPN_INC = 1;
    s.WPW_INC = 1;
    s.NewClouds = false;
    EXPECT_EQ(formatParamFile(s, std::string("75.5")),
              "UnlimitedVis=30\r\n98Path=/games/FS98\r\nMaxTurb=180\r\nUOM=F\r\nWind=False\r\n"
              "Wayp=1\r\nQSend=True\r\nFP_Dist=75.5\r\nAP_Upd=1\r\nWPC_INC=0\r\nWPN_INC=1\r\n"
              "WPW_INC=1\r\nNewClouds=0\r\n");
}

TEST(ParamFileWrite, FirstRunFileIsTheDocumentedDefault) {
    EXPECT_EQ(formatParamFile(firstRunSettings("/sim")),
              "UnlimitedVis=30\r\n98Path=/sim\r\nMaxTurb=180\r\nUOM=U\r\nWind=True\r\nWayp=0\r\n"
              "QSend=True\r\nFP_Dist=50\r\nAP_Upd=1\r\nWPC_INC=1\r\nWPN_INC=1\r\nWPW_INC=0\r\n"
              "NewClouds=1\r\n");
}

TEST(ParamFileWrite, RoundTripsThroughTheReader) {
    zephyra::test::TempDir dir;
    Settings s = firstRunSettings(dir.path());
    s.Wayp = 3;
    s.UOM = "M";
    ASSERT_TRUE(writeParamFile(dir.file("vane98.par"), s, std::string("75.5")));
    Settings back;
    ASSERT_TRUE(readParamFile(dir.file("vane98.par"), back).ok);
    EXPECT_EQ(back.Path98, dir.path());
    EXPECT_EQ(back.Wayp, 3);
    EXPECT_EQ(back.UOM, "M");
    EXPECT_EQ(back.FP_Dist, 76);
    EXPECT_EQ(back.MaxTurb, 180);
    EXPECT_EQ(back.QSend, "True");
}

TEST(ParamFileWrite, FailsCleanlyOnAnUnwritableFolder) {
    std::string error;
    EXPECT_FALSE(writeParamFile("/nonexistent/dir/vane98.par", Settings{}, std::nullopt, &error));
    EXPECT_FALSE(error.empty());
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
