#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/Random.h"
#include "weather/Reports.h"

using zephyra::platform::PinnedRandom;
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

// A report with the given slash group behind a plain sky part.
std::string withSlashGroup(const std::string& group) {
    return "ATL SA 1756 250 SCT 7 " + group;
}

// ---------------------------------------------------------------------------------------------
// Header

TEST(SaHeader, IdentifierTypeAndTime) {
    const auto r = sa(kAtlanta);
    EXPECT_EQ(r.id, "ATL");
    EXPECT_EQ(r.observation, "SA");
    EXPECT_EQ(r.time, "1756");
}

TEST(SaHeader, TypeWrittenTogetherWithTheTime) {
    const auto r = sa("ICT SP1432 250 SCT 7 141/72/58/2510G18/992");
    EXPECT_EQ(r.observation, "SP");
    EXPECT_EQ(r.time, "1432");
    EXPECT_EQ(r.cl1Base, 25000);
}

// ---------------------------------------------------------------------------------------------
// Sky

TEST(SaSky, OneLayerWithItsTopDrawn) {
    PinnedRandom rnd;
    rnd.queue(0.3);
    const auto r = sa(kAtlanta, rnd);
    EXPECT_EQ(rnd.draws(), 1u);
    EXPECT_EQ(r.cl1Base, 25000);
    EXPECT_EQ(r.cl1CoverCode, "SCT");
    EXPECT_EQ(r.cl1Top, 25000 + 500);
    EXPECT_EQ(r.cl2Base, 0);
    EXPECT_EQ(r.cl2Top, 0);
    EXPECT_EQ(r.cl2CoverCode, "CLR");
}

TEST(SaSky, TwoLayersDrawTopsInOrder) {
    PinnedRandom rnd;
    rnd.queueAll({0.1, 0.2});
    const auto r = sa("ATL SA 1756 M12 BKN 250 OVC 7 141/72/58/2510G18/992", rnd);
    EXPECT_EQ(rnd.draws(), 2u);
    EXPECT_EQ(r.cl1Base, 1200);
    EXPECT_EQ(r.cl1CoverCode, "BKN");
    EXPECT_EQ(r.cl1Top, 1200 + 300);
    EXPECT_EQ(r.cl2Base, 25000);
    EXPECT_EQ(r.cl2CoverCode, "OVC");
    EXPECT_EQ(r.cl2Top, 25000 + 400);
    EXPECT_EQ(r.visibility, 7);
}

TEST(SaSky, LowerTopStopsBelowTheUpperBase) {
    PinnedRandom rnd;
    rnd.setConstant(0.9);
    const auto r = sa("ATL SA 1756 10 SCT 12 BKN 7 141/72/58/2510G18/992", rnd);
    EXPECT_EQ(r.cl2Base, 1200);
    EXPECT_EQ(r.cl1Top, 1199);
    EXPECT_EQ(r.cl2Top, 1200 + 1100);
}

TEST(SaSky, ClearWithVisibility) {
    PinnedRandom rnd;
    const auto r = sa("ATL SA 1756 CLR 15 141/72/58/2510G18/992", rnd);
    EXPECT_EQ(rnd.draws(), 0u);
    EXPECT_EQ(r.cl1Base, 25000);
    EXPECT_EQ(r.cl1Top, 25500);
    EXPECT_EQ(r.cl1CoverCode, "CLR");
    EXPECT_EQ(r.cl2Base, 0);
    EXPECT_EQ(r.cl2Top, 0);
    EXPECT_EQ(r.cl2CoverCode, "CLR");
    EXPECT_EQ(r.visibility, 25);
}

TEST(SaSky, ClearWithoutVisibilityTakesTheDefault) {
    // 40, stored on the format's scale like any visibility of 10 or more.
    EXPECT_EQ(sa("ATL SA 1756 CLR 141/72/58/2510G18/992").visibility, 50);
}

TEST(SaSky, NoSkyPartMeansClear) {
    PinnedRandom rnd;
    const auto r = sa("ATL SA 1756 141/72/58/2510G18/992", rnd);
    EXPECT_EQ(rnd.draws(), 0u);
    EXPECT_EQ(r.cl1Base, 25000);
    EXPECT_EQ(r.cl1Top, 25500);
    EXPECT_EQ(r.cl1CoverCode, "CLR");
    EXPECT_EQ(r.cl2CoverCode, "CLR");
    // The time in front is not a visibility: the clear sky's 40, on the format's scale.
    EXPECT_EQ(r.visibility, 50);
    EXPECT_EQ(r.temperature, 72);
}

TEST(SaSky, CeilingLettersAndThinMarkAreNotPartOfTheHeight) {
    EXPECT_EQ(sa("ATL SA 1756 M8 BKN 7 141/72/58/2510G18/992").cl1Base, 800);
    EXPECT_EQ(sa("ATL SA 1756 E12 OVC 7 141/72/58/2510G18/992").cl1Base, 1200);
    EXPECT_EQ(sa("ATL SA 1756 W5 X 7 141/72/58/2510G18/992").cl1Base, 500);
    EXPECT_EQ(sa("ATL SA 1756 -40 SCT 7 141/72/58/2510G18/992").cl1Base, 4000);
}

TEST(SaSky, CoverWordMayComeFirst) {
    const auto r = sa("ATL SA 1756 SCT 30 7 141/72/58/2510G18/992");
    EXPECT_EQ(r.cl1Base, 3000);
    EXPECT_EQ(r.cl1CoverCode, "SCT");
    EXPECT_EQ(r.visibility, 7);
}

TEST(SaSky, CoverWordIsKeptAsWrittenForTheValidation) {
    EXPECT_EQ(sa("ATL SA 1756 250 SKC 7 141/72/58/2510G18/992").cl1CoverCode, "SKC");
    EXPECT_EQ(sa("ATL SA 1756 250 -SCT 7 141/72/58/2510G18/992").cl1CoverCode, "-SCT");
}

TEST(SaSky, LayersBeyondTheSecondArePassedOver) {
    const auto r = sa("ATL SA 1756 10 SCT 25 BKN 50 OVC 250 OVC 4 141/72/58/2510G18/992");
    EXPECT_EQ(r.cl1Base, 1000);
    EXPECT_EQ(r.cl2Base, 2500);
    EXPECT_EQ(r.cl2CoverCode, "BKN");
    EXPECT_EQ(r.visibility, 4);
}

TEST(SaSky, LayerWithoutHeightIsAFormatError) {
    EXPECT_TRUE(rejected("ATL SA 1756 SCT BKN 7 141/72/58/2510G18/992"));
    EXPECT_TRUE(rejected("ATL SA 1756 SCT 141/72/58/2510G18/992"));
    EXPECT_TRUE(rejected("WZR SA 1400 AUTO8 M M M 046/01/00/0401/M/M 1005 6-4MM="));
}

// ---------------------------------------------------------------------------------------------
// Visibility

TEST(SaVisibility, TenAndMoreAreShiftedByTen) {
    EXPECT_EQ(sa(kAtlanta).visibility, 7);
    EXPECT_EQ(sa("ATL SA 1756 250 SCT 15 141/72/58/2510G18/992").visibility, 25);
    EXPECT_EQ(sa("ATL SA 1756 250 SCT 9 141/72/58/2510G18/992").visibility, 9);
    EXPECT_EQ(sa("ATL SA 1756 250 SCT 10 141/72/58/2510G18/992").visibility, 20);
}

TEST(SaVisibility, FractionTokenIsDroppedSoTheWholeMilesRemain) {
    EXPECT_EQ(sa("ATL SA 1756 250 SCT 1 1/2 141/72/58/2510G18/992").visibility, 1);
}

TEST(SaVisibility, WordAfterTheVisibilityMakesASecondLayer) {
    // "3 H" reads as a layer at 300 ft under the cover word "H"; the validation pass removes
    // such a report, so only what the format itself drops may stand there.
    const auto r = sa("ATL SA 1756 250 SCT 3 H 141/72/58/2510G18/992");
    EXPECT_EQ(r.cl2Base, 300);
    EXPECT_EQ(r.cl2CoverCode, "H");
    EXPECT_EQ(r.visibility, 0);
}

TEST(SaVisibility, LetterInTheVisibilityIsAFormatError) {
    EXPECT_TRUE(rejected("ATL SA 1756 250 SCT 7A 141/72/58/2510G18/992"));
    // The third sky token in front of the slash group is the visibility, whatever it holds.
    EXPECT_TRUE(rejected("ATL SA 1756 250 SCT H 141/72/58/2510G18/992"));
    EXPECT_TRUE(rejected("ATL SA 1756 250 SCT M 141/72/58/2510G18/992"));
}

// ---------------------------------------------------------------------------------------------
// Weather tokens

TEST(SaWeatherTokens, RainSnowAndFogSetTheWeatherFlag) {
    for (const std::string wx : {"R", "S", "F", "R-", "S-", "F-", "ZR-"}) {
        const auto r = sa("ATL SA 1756 250 SCT 7 " + wx + " 141/72/58/2510G18/992");
        EXPECT_TRUE(r.weather) << wx;
        EXPECT_FALSE(r.thunder) << wx;
        EXPECT_EQ(r.visibility, 7) << wx;  // the token is gone from the report
    }
    EXPECT_FALSE(sa(kAtlanta).weather);
}

TEST(SaWeatherTokens, ThunderTokens) {
    for (const std::string wx : {"TRW+", "TRW-", "TS", "TRWF"}) {
        const auto r = sa("ATL SA 1756 250 SCT 7 " + wx + " 141/72/58/2510G18/992");
        EXPECT_TRUE(r.thunder) << wx;
        EXPECT_TRUE(r.weather) << wx;
        EXPECT_EQ(r.visibility, 7) << wx;
    }
}

TEST(SaWeatherTokens, ThreeCharacterTokensWithTrAreKept) {
    // Three-character tokens are station identifiers as often as weather.
    const auto r = sa("TRI SA 1756 250 SCT 7 141/72/58/2510G18/992");
    EXPECT_EQ(r.id, "TRI");
    EXPECT_FALSE(r.thunder);
}

TEST(SaWeatherTokens, LastTokenIsAlwaysKept) {
    const auto r = sa("ATL SA 1756 CLR 15 141/72/58/2510G18/992 R");
    EXPECT_FALSE(r.weather);
    EXPECT_DOUBLE_EQ(r.altimeter, 29.92);
}

// ---------------------------------------------------------------------------------------------
// Slash group

TEST(SaSlashGroup, WorkedExample) {
    const auto r = sa(kAtlanta);
    EXPECT_DOUBLE_EQ(r.pressure, 1014.1);
    EXPECT_EQ(r.temperature, 72);
    EXPECT_EQ(r.dewPoint, 58);
    EXPECT_EQ(r.windDirection, 250);
    EXPECT_EQ(r.windSpeed, 10);
    EXPECT_TRUE(r.gust);
    EXPECT_DOUBLE_EQ(r.altimeter, 29.92);
}

TEST(SaSlashGroup, FewerThanFourSlashesMeansDefaultPressure) {
    const auto r = sa(withSlashGroup("72/58/2510G18/992"));
    EXPECT_DOUBLE_EQ(r.pressure, 1016);
    EXPECT_EQ(r.temperature, 72);
    EXPECT_EQ(r.dewPoint, 58);
    EXPECT_EQ(r.windDirection, 250);
    EXPECT_DOUBLE_EQ(r.altimeter, 29.92);
}

TEST(SaSlashGroup, PressureFormula) {
    EXPECT_DOUBLE_EQ(sa(withSlashGroup("046/72/58/2510/992")).pressure, 1004.6);
    EXPECT_DOUBLE_EQ(sa(withSlashGroup("998/72/58/2510/992")).pressure, 1099.8);
}

TEST(SaSlashGroup, Altimeter) {
    EXPECT_DOUBLE_EQ(sa(withSlashGroup("141/72/58/2510G18/992")).altimeter, 29.92);
    EXPECT_DOUBLE_EQ(sa(withSlashGroup("141/72/58/2510G18/012")).altimeter, 30.12);
    EXPECT_DOUBLE_EQ(sa(withSlashGroup("141/72/58/2510G18/899")).altimeter, 38.99);
    EXPECT_DOUBLE_EQ(sa(withSlashGroup("141/72/58/2510G18/900")).altimeter, 29.00);
    EXPECT_DOUBLE_EQ(sa(withSlashGroup("141/72/58/2510G18/M")).altimeter, 30.00);
    EXPECT_DOUBLE_EQ(sa(withSlashGroup("141/72/58/2510G18/")).altimeter, 30.00);
    EXPECT_DOUBLE_EQ(sa(withSlashGroup("141/72/58/2510G18/992/")).altimeter, 29.92);
    EXPECT_DOUBLE_EQ(sa(withSlashGroup("141/72/58/2510G18/9921 RMK")).altimeter, 29.92);
}

TEST(SaSlashGroup, Wind) {
    const auto gusty = sa(withSlashGroup("141/72/58/2510G18/992"));
    EXPECT_EQ(gusty.windDirection, 250);
    EXPECT_EQ(gusty.windSpeed, 10);
    EXPECT_TRUE(gusty.gust);
    const auto steady = sa(withSlashGroup("141/72/58/0214/992"));
    EXPECT_EQ(steady.windDirection, 20);
    EXPECT_EQ(steady.windSpeed, 14);
    EXPECT_FALSE(steady.gust);
    const auto calm = sa(withSlashGroup("141/72/58/0000/992"));
    EXPECT_EQ(calm.windDirection, 0);
    EXPECT_EQ(calm.windSpeed, 0);
}

TEST(SaSlashGroup, TemperaturesAsWritten) {
    const auto r = sa(withSlashGroup("141/-5/-12/3615/012"));
    EXPECT_EQ(r.temperature, -5);
    EXPECT_EQ(r.dewPoint, -12);
    EXPECT_EQ(r.windDirection, 360);
}

TEST(SaSlashGroup, LetterWhereANumberIsExpectedWritesNoRecord) {
    EXPECT_TRUE(rejected(withSlashGroup("141/7X/58/2510G18/992")));
    EXPECT_TRUE(rejected(withSlashGroup("141/72/M/2510G18/992")));
    EXPECT_TRUE(rejected(withSlashGroup("M/72/58/2510G18/992")));
    EXPECT_TRUE(rejected(withSlashGroup("141/72/58/MM10/992")));
    EXPECT_TRUE(rejected(withSlashGroup("141/72/58/25XX/992")));
    EXPECT_TRUE(rejected(withSlashGroup("141/72/58/2510/9X2")));
}

TEST(SaSlashGroup, MissingPartsWriteNoRecord) {
    EXPECT_TRUE(rejected("ATL SA 1756 250 SCT 7"));                // no slash group
    EXPECT_TRUE(rejected(withSlashGroup("72/58")));                // no wind, no altimeter
    EXPECT_TRUE(rejected(withSlashGroup("72/58/2510G18")));        // no altimeter
    EXPECT_TRUE(rejected(withSlashGroup("141/72//2510G18/992")));  // empty dew point
    EXPECT_TRUE(rejected(withSlashGroup("141/72/58/25/992")));     // wind without speed
}

TEST(SaSlashGroup, FailedLineDoesNotDisturbTheNext) {
    PinnedRandom rnd;
    EXPECT_FALSE(decodeSaLine(withSlashGroup("141/7X/58/2510G18/992"), rnd).has_value());
    const auto next = decodeSaLine(kAtlanta, rnd);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(next->temperature, 72);
    EXPECT_FALSE(next->weather);
}

// ---------------------------------------------------------------------------------------------
// Lines that are not reports, and inputs that must never break the reader

TEST(SaRobustness, NonReportLines) {
    for (const std::string line : {"", " ", "421", "SACN96 CWAO 241400 RRB", "ATL SA",
                                   "ATL SA 1756", "/", "\xEF\xBB\xBF", "\r"}) {
        EXPECT_TRUE(rejected(line)) << line;
    }
}

TEST(SaRobustness, ByteOrderMarkAndLineEnd) {
    const auto r = sa("\xEF\xBB\xBF" + kAtlanta + "\r");
    EXPECT_EQ(r.id, "ATL");
    EXPECT_DOUBLE_EQ(r.altimeter, 29.92);
}

TEST(SaRobustness, GarbageAndHugeLines) {
    PinnedRandom rnd(3);
    std::mt19937 gen(99);
    static const char kAlphabet[] = "SRFTWMEX-/0123456789 GCLRBKNOV";
    for (int k = 0; k < 3000; ++k) {
        std::string line = k % 2 == 0 ? "ATL SA 1756 " : "";
        const int length = static_cast<int>(gen() % 120);
        for (int c = 0; c < length; ++c) {
            line.push_back(gen() % 5 == 0 ? static_cast<char>(gen() % 256)
                                          : kAlphabet[gen() % (sizeof kAlphabet - 1)]);
        }
        (void)decodeSaLine(line, rnd);
    }
    std::string huge = "ATL SA 1756 " + std::string(100000, '9') + " SCT 7 141/72/58/2510/992";
    EXPECT_TRUE(rejected(huge));  // a height that does not fit is not a number
    EXPECT_TRUE(rejected("ATL SA 1756 206000018 BKN 7 141/72/58/2510/992"));
    std::string blanks = "ATL SA 1756 CLR 15 141/72/58/2510/992" + std::string(100000, ' ');
    EXPECT_FALSE(rejected(blanks));
    std::string slashes = "ATL SA 1756 CLR 15 " + std::string(100000, '/');
    EXPECT_TRUE(rejected(slashes));
}

// ---------------------------------------------------------------------------------------------
// The real samples

std::vector<std::string> sampleLines(const std::string& name) {
    std::vector<std::string> lines;
    std::ifstream in(ZEPHYRA_SOURCE_DIR "/../shared/data/sa/" + name, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

TEST(SaRealSamples, UsTutorialReport) {
    const auto lines = sampleLines("sa_us_example_nasa_tutorial.txt");
    if (lines.empty()) {
        GTEST_SKIP() << "SA samples not found beside the repository";
    }
    ASSERT_EQ(lines.size(), 1u);
    PinnedRandom rnd;
    rnd.setConstant(0.0);
    // ICT SP1432 3 SCT M8 BKN 20 OVC 2 TRW 132/72/64/0214G25/ 992/ RO1VR30V50 ...
    const auto r = sa(lines[0], rnd);
    EXPECT_EQ(r.id, "ICT");
    EXPECT_EQ(r.observation, "SP");
    EXPECT_EQ(r.time, "1432");
    EXPECT_EQ(r.cl1Base, 300);
    EXPECT_EQ(r.cl1CoverCode, "SCT");
    EXPECT_EQ(r.cl1Top, 500);
    EXPECT_EQ(r.cl2Base, 800);
    EXPECT_EQ(r.cl2CoverCode, "BKN");
    EXPECT_EQ(r.visibility, 2);
    EXPECT_DOUBLE_EQ(r.pressure, 1013.2);
    EXPECT_EQ(r.temperature, 72);
    EXPECT_EQ(r.dewPoint, 64);
    EXPECT_EQ(r.windDirection, 20);
    EXPECT_EQ(r.windSpeed, 14);
    EXPECT_TRUE(r.gust);
    // "992/" holds a single slash and is dropped with the other one-slash tokens, so the
    // altimeter field is the remark text behind the fourth slash.
    EXPECT_DOUBLE_EQ(r.altimeter, 30.00);
}

TEST(SaRealSamples, CanadianAutomaticReportsWithMissingValuesAreFormatErrors) {
    const auto lines = sampleLines("sa_canada_SACN96_bulletin.txt");
    if (lines.empty()) {
        GTEST_SKIP() << "SA samples not found beside the repository";
    }
    ASSERT_EQ(lines.size(), 6u);
    PinnedRandom rnd;
    for (const auto& line : lines) {
        // Sky "M M M" (missing) has no height to read.
        EXPECT_FALSE(decodeSaLine(line, rnd).has_value()) << line;
    }
}

}  // namespace
