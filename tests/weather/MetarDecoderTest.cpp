#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "FieldCheck.h"
#include "platform/Files.h"
#include "platform/Random.h"
#include "weather/NoaaAgreement.h"
#include "weather/NoaaProducts.h"
#include "weather/Reports.h"

using zephyra::platform::PinnedRandom;
using zephyra::test::expectFields;
using zephyra::weather::decodeMetarLine;
using zephyra::weather::MetarLine;
using zephyra::weather::MetarReport;
using Outcome = zephyra::weather::MetarLine::Outcome;

namespace {

constexpr double kHpaPerInchHundredth = 1.0 / 100.0 / 0.02953;

// Decodes a line that must give a report; draws are pinned to the middle unless queued.
MetarReport report(const std::string& line, PinnedRandom& rnd) {
    const MetarLine decoded = decodeMetarLine(line, rnd);
    EXPECT_EQ(decoded.outcome, Outcome::Report) << line;
    return decoded.report;
}

MetarReport report(const std::string& line) {
    PinnedRandom rnd;
    rnd.setConstant(0.5);
    return report(line, rnd);
}

// Lines and groups, one line each: the fields named are read as given (draws pinned to the
// middle); a line gives a report unless it is skipped or dropped

#define F(name, member) ZEPHYRA_FIELD_AS(MetarLine, name, report.member)
const auto kMetarFields = [] {
    zephyra::test::FieldTable<MetarLine> fields = {
        F("dir", windDirection),       F("speed", windSpeed),   F("gust", gust),
        F("vis", visibility),          F("temp", temperature),  F("hpa", pressure),
        F("obstruction", obstruction), F("thunder", thunder),   F("precip", precipitation),
        F("cl1Base", cl1Base),         F("cl1Cover", cl1Cover), F("cl1Top", cl1Top),
        F("cl2Base", cl2Base)};
    // The pressure in hundredths of an inch of mercury.
    fields["inHg"] = [](const MetarLine& m) { return m.report.pressure / kHpaPerInchHundredth; };
    fields["skipped"] = [](const MetarLine& m) { return double(m.outcome == Outcome::Skipped); };
    fields["dropped"] = [](const MetarLine& m) { return double(m.outcome == Outcome::Dropped); };
    return fields;
}();
#undef F

TEST(MetarGroups, FieldsPerLine) {
    const std::pair<const char*, const char*> cases[] = {
        // Which lines are reports
        {"1999/12/12 17:56", "skipped=1"},
        {"", "skipped=1"},
        {"ICT 121756Z 27010KT 10SM 12/08 A2992", "skipped=1"},
        {"KATLX 121756Z 27010KT 10SM 12/08 A2992", "skipped=1"},
        {" KATL 121756Z 27010KT 10SM 12/08 A2992", "skipped=1"},
        {"SAUS80 KWBC 121800", "skipped=1"},  // neither "/" nor "KT"
        {"METAR", "skipped=1"},
        {"KXYZ 231100Z NIL", "skipped=1"},
        {"KXYZ 231100Z NIL 12/08", "dropped=1"},
        {"KXYZ 121755Z 10SM OVC004 05/04 A3001", "dropped=1"},  // no wind group
        {"\xEF\xBB\xBFKATL 121756Z 27010KT 10SM 12/08 A2992\r", "dir=270 inHg=2992"},
        // Whole reports
        {"METAR KATL 121756Z 27010G18KT 10SM -RA BKN025 OVC080 12/08 A2992",
         "dir=270 speed=10 gust=1 vis=10 precip=4 obstruction=1 thunder=0 cl1Base=2500 "
         "cl2Base=8000 temp=12 inHg=2992"},
        {"EGLL 121750Z 24008KT 9999 SCT020 M02/M04 Q1021",
         "dir=240 speed=8 gust=0 vis=100 temp=-2 hpa=1021 cl1Base=2000 obstruction=0"},
        {"KXYZ 121755Z VRB03KT 1 1/2SM BR OVC004 05/04 A3001",
         "dir=0 speed=3 vis=1.5 precip=2 obstruction=1 cl1Base=400 cl1Cover=8 temp=5 inHg=3001"},
        // Wind
        {"KFTG 180758Z AUTO 00000KT 10SM SCT046 OVC050 00/M01 A2997", "dir=0 speed=0 gust=0"},
        {"UUEE 231100Z 27005MPS 9999 OVC010 05/04 Q1001", "speed=10"},
        {"XXXX 231100Z 27020KPH 9999 OVC010 05/04 Q1001", "speed=11 dir=270"},
        {"CYWE 231136Z AUTO 23005KT 210V320 9SM -SN OVC023 M07/M11 A3005", "dir=230 vis=9 temp=-7"},
        {"KXYZ 121755Z /////KT 10SM CLR 05/04 A3001", "dir=0 speed=0"},
        // Visibility
        {"KATL 121756Z 27010KT 1/2SM FG 12/08 A2992", "vis=0.5"},
        {"KATL 121756Z 27010KT M1/4SM FG 12/08 A2992", "vis=0.25"},
        {"KATL 121756Z 27010KT P6SM 12/08 A2992", "vis=6"},
        {"EGLL 121750Z 24008KT 4000 BR SCT020 M02/M04 Q1021", "vis=2.5"},
        {"EGLL 121750Z 24008KT 0000 FG VV001 M02/M04 Q1021", "vis=0"},
        {"CWKP 231137Z AUTO 25017KT ////SM FEW012 M11/M13 A3001", "vis=100"},
        {"KATL 121756Z 27010KT 1/0SM 12/08 A2992", "vis=100"},
        {"EGLL 121750Z 24008KT 0800 R27L/0600N FG VV002 M01/M01 Q1021",
         "vis=0.5 obstruction=1 cl1Cover=8 cl1Base=200 temp=-1 hpa=1021"},
        // Weather phenomena
        {"KATL 121756Z 27010KT 3SM TSRA BKN025CB 12/08 A2992", "thunder=1"},
        {"KATL 121756Z 27010KT 3SM VCTS BKN025 12/08 A2992", "thunder=1"},
        {"KATL 121756Z 27010KT 3SM SHRA BKN025 12/08 A2992", "thunder=0"},
        {"OPKC 231100Z 24008KT 4000 HZ SCT020 30/20 Q1010", "obstruction=0 precip=0"},
        {"OPKC 231100Z 24008KT 4000 HZ FU SCT020 30/20 Q1010", "obstruction=1"},
        {"OPKC 231100Z 24008KT 4000 VCHZ SCT020 30/20 Q1010", "obstruction=1"},
        {"KADW 180758Z 27005KT 10SM BKN048 02/M06 A3008 RMK AO2A SLP191", "obstruction=0 precip=0"},
        // Clouds
        {"KNBC 180756Z AUTO 00000KT 10SM CLR 07/04 A3011 RMK AO2",
         "cl1Base=25000 cl1Cover=0 cl1Top=25700"},
        {"KNBC 180756Z 00000KT 10SM SKC 07/04 A3011", "cl1Base=25000"},
        {"KATL 121756Z 27010KT 3SM TSRA BKN025CB OVC040TCU 12/08 A2992",
         "cl1Base=2500 cl2Base=4000"},
        {"ROTM 180758Z 03012KT 9999 FEW010 SCT040 BKN070 15/07 A3033",
         "cl1Base=1000 cl2Base=4000 temp=15 inHg=3033"},
        // Temperature
        {"CYQZ 231137Z AUTO 00000KT 5SM BR OVC002 M00/M00 A2997", "temp=0"},
        {"KATL 121756Z 27010KT 10SM", "temp=27 hpa=1000 vis=10"},
        {"KATL 121756Z 27010KT 10SM CLR 12/ A2992", "temp=12"},
        // Pressure
        {"KATL 121756Z 27010KT 10SM CLR 12/08 A////", "hpa=1000"},
        {"KATL 121756Z 27010KT 10SM CLR 12/08 RMK A2992", "hpa=1000"},
        {"KATL 121756Z 27010KT 10SM CLR 12/08 SLP132", "hpa=1000"},
        {"KATL 121756Z 27010KT 10SM CLR 12/08 A29", "inHg=29"},
        {"EGLL 121750Z 24008KT 9999 SCT020 M02/M04 Q1", "hpa=1"},
        {"EGLL 121750Z 24008KT 9999 SCT020 M02/M04 Q", "hpa=1000"},
        {"VRMM 231100Z 24013KT 9999 SCT016 FEW017CB OVC100 27/24 Q1010 CB", "hpa=1010"},
        // Today's automated reports (real lines from NOAA's files): marks for what was not
        // observed give no value
        {"YSDU 020038Z AUTO 26014KT 9999 // SCT013 SCT020 BKN031 12/11 Q1013",
         "vis=100 cl1Base=1300 cl1Cover=4 cl2Base=2000 temp=12 hpa=1013 obstruction=0"},
        {"YSDU 180730Z AUTO 34016KT 9999 // NCD 30/04 Q1006",
         "vis=100 cl1Base=25000 cl1Cover=0 cl2Base=0 temp=30 hpa=1006 obstruction=0"},
        {"LIRZ 020037Z AUTO 10004KT 070V150 9999 BKN034/// 15/14 Q1009",
         "vis=100 cl1Base=3400 cl1Cover=7 cl2Base=0 temp=15 hpa=1009 obstruction=0"},
        // BKN/// keeps the clear base
        {"EGLL 121750Z 24008KT 9999 BKN/// M02/M04 Q1021",
         "vis=100 cl1Base=25000 cl1Cover=7 cl2Base=0 temp=-2 hpa=1021 obstruction=0"},
        {"EDAH 180750Z 23010KT 9000 NSC 06/05 Q1006",
         "vis=5.625 cl1Base=25000 cl1Cover=0 cl2Base=0 temp=6 hpa=1006 obstruction=0"},
        {"ETML 180720Z AUTO 20009KT //// // ////// 08/06 Q1004 ///",
         "vis=100 cl1Base=0 cl1Cover=0 cl2Base=0 temp=8 hpa=1004 obstruction=0"},
        {"NCMR 231100Z AUTO 04003KT //// ////// ///// Q1012",
         "vis=100 cl1Base=0 cl1Cover=0 cl2Base=0 temp=27 hpa=1012 obstruction=0"},
        {"KPAN 180755Z AUTO 00000KT M1/4SM -UP OVC001 00/M00 A3014 RMK AO2",
         "vis=0.25 cl1Base=100 cl1Cover=8 cl2Base=0 temp=0 inHg=3014 obstruction=1"},
        {"LFQG 231130Z AUTO 13007KT 9999 ///CB 20/16 Q1009",
         "vis=100 cl1Base=0 cl1Cover=0 cl2Base=0 temp=20 hpa=1009 obstruction=0"},
        // BKN044/// as a fourth layer
        {"EKYT 231120Z AUTO 24009KT 9999 FEW006/// SCT008/// BKN010/// BKN044/// 13/12 Q1012",
         "vis=100 cl1Base=600 cl1Cover=2 cl2Base=800 temp=13 hpa=1012 obstruction=0"},
        {"ENGM 180750Z 21002KT 3000 1100NW R19R/1500U R01R/P2000N BR FZFG OVC002 M05/M05 Q0992",
         "vis=1.875 cl1Base=200 cl1Cover=8 cl2Base=0 temp=-5 hpa=992 obstruction=1"},
        {"DTNH 180730Z AUTO 26009KT 8000NDV FEW035 13/09 Q1019",
         "vis=5 cl1Base=3500 cl1Cover=2 cl2Base=0 temp=13 hpa=1019 obstruction=0"},
        // 9999NDV after a variable wind
        {"LSZL 231120Z AUTO VRB02KT 9999NDV FEW027 BKN053 16/14 Q1023 RMK",
         "vis=100 cl1Base=2700 cl1Cover=2 cl2Base=5300 temp=16 hpa=1023 obstruction=0"},
        {"KNSI 231133Z AUTO 31020G27KT OVC015 14/11 A2980 RMK AO2",
         "vis=100 cl1Base=1500 cl1Cover=8 cl2Base=0 temp=14 inHg=2980 obstruction=0"},
    };
    for (const auto& [line, expected] : cases) {
        SCOPED_TRACE(line);
        PinnedRandom rnd;
        rnd.setConstant(0.5);
        const std::string fields = expected;
        const bool isReport =
            fields.find("skipped") == fields.npos && fields.find("dropped") == fields.npos;
        expectFields(decodeMetarLine(line, rnd), kMetarFields,
                     isReport ? fields + " skipped=0 dropped=0" : fields);
    }
}

TEST(MetarGroups, CavokAndNoCloudGroupMeanNoCloudWithoutADraw) {
    PinnedRandom rnd;
    const auto r = report("LEMD 231100Z 04005KT CAVOK 18/09 Q1022 NOSIG", rnd);
    EXPECT_DOUBLE_EQ(r.visibility, 100);
    EXPECT_EQ(r.cl1Cover + r.cl2Cover + r.cl1Base + r.cl2Base, 0);
    EXPECT_EQ(rnd.draws(), 0u);
    // No cloud group at all: both layers empty, no draw either.
    const auto none = report("KS71 231130Z AUTO 03003KT 10SM 03/03 A2960", rnd);
    EXPECT_EQ(none.cl1Base + none.cl1Top + none.cl2Base, 0);
    EXPECT_EQ(rnd.draws(), 0u);
}

TEST(MetarGroups, PrecipitationIntensityPerPhenomenon) {
    const auto intensity = [](const std::string& wx) {
        return report("KATL 121756Z 27010KT 3SM " + wx + " BKN025 12/08 A2992").precipitation;
    };
    // Rain after drizzle raises the intensity, drizzle after rain does not lower it, and rain
    // does not lower a thunderstorm.
    const std::pair<const char*, int> cases[] = {
        {"TS", 8},  {"+TSRA", 9}, {"-TSRA", 7}, {"+RA", 6},     {"RA", 5},    {"-SN", 4},
        {"-DZ", 1}, {"BR", 2},    {"FG", 0},    {"-DZ -RA", 4}, {"RA BR", 5}, {"TS RA", 8}};
    for (const auto& [wx, precipitation] : cases) {
        EXPECT_EQ(intensity(wx), precipitation) << wx;
    }
}

// Clouds: the draws and their order

TEST(MetarClouds, LayersAndDrawOrder) {
    const struct {
        const char* line;
        std::vector<double> draws;  // cover draws in group order, then cloud 2's top, cloud 1's
        std::vector<int> layers;    // base, cover and top of cloud 1, then of cloud 2
    } cases[] = {
        {"METAR KATL 121756Z 27010G18KT 10SM -RA BKN025 OVC080 12/08 A2992",
         {0.6, 0.25, 0.5},
         {2500, 7, 2500 + 700, 8000, 8, 8000 + 450}},
        {"EGLL 121750Z 24008KT 9999 SCT020 M02/M04 Q1021", {0.5, 0.0}, {2000, 4, 2200, 0, 0, 0}},
        // Cloud 1's top (3000 + 1100) stops below cloud 2's base.
        {"KATL 121756Z 27010KT 10SM FEW030 SCT035 12/08 A2992",
         {0.0, 0.0, 0.0, 0.9},
         {3000, 1, 3499, 3500, 3, 3700}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        PinnedRandom rnd;
        for (const double d : c.draws) {
            rnd.queue(d);
        }
        const auto r = report(c.line, rnd);
        EXPECT_EQ(rnd.draws(), c.draws.size());
        EXPECT_EQ(
            std::vector<int>({r.cl1Base, r.cl1Cover, r.cl1Top, r.cl2Base, r.cl2Cover, r.cl2Top}),
            c.layers);
    }
}

TEST(MetarClouds, CoverDrawRanges) {
    const auto cover = [](const std::string& sky, double draw) {
        PinnedRandom rnd;
        rnd.setConstant(draw);
        return report("EGLL 121750Z 24008KT 9999 " + sky + " M02/M04 Q1021", rnd).cl1Cover;
    };
    const std::tuple<const char*, double, int> cases[] = {
        {"FEW020", 0.0, 1}, {"FEW020", 0.999, 2}, {"SCT020", 0.0, 3},   {"SCT020", 0.999, 5},
        {"BKN020", 0.0, 6}, {"BKN020", 0.999, 7}, {"OVC020", 0.999, 8}, {"VV002", 0.0, 8}};
    for (const auto& [sky, draw, want] : cases) {
        EXPECT_EQ(cover(sky, draw), want) << sky << " " << draw;
    }
}

// Inputs that must never break the reader (arbitrary bytes are the decoder fuzz target's)

TEST(MetarRobustness, LongLinesAndManyGroups) {
    PinnedRandom rnd;
    std::string many = "KATL 121756Z 27010KT 10SM";
    for (int k = 0; k < 200; ++k) {
        many += " -RA";
    }
    many += " BKN025 12/08 A2992";
    const auto r = report(many, rnd);
    EXPECT_EQ(r.precipitation, 4);
    EXPECT_EQ(r.temperature, 27);  // beyond the 50th group: not read
    std::string huge = "KATL 121756Z 27010KT " + std::string(100000, '9') + " ";
    huge += std::string(100000, 'X');
    const auto h = report(huge, rnd);
    EXPECT_EQ(h.windSpeed, 10);
}

// Real reports against NOAA's own decode

class MetarCorpus : public ::testing::TestWithParam<const char*> {};

TEST_P(MetarCorpus, AgreesWithNoaaOnEveryField) {
    const std::string path =
        ZEPHYRA_SOURCE_DIR "/tests/data/metar/" + std::string(GetParam()) + ".csv.gz";
    std::string text;
    ASSERT_TRUE(zephyra::platform::readFile(path, text)) << path;
    const auto csv = zephyra::weather::gunzip(text);
    ASSERT_TRUE(csv.has_value());
    const auto a = zephyra::weather::compareWithNoaa(*csv);
    ASSERT_TRUE(a.has_value());
    std::cout << GetParam() << ": " << a->reports << " reports of " << a->rows << " rows\n";
    EXPECT_GT(a->reports, 4000);
    for (const auto& f : a->fields) {
        EXPECT_GE(f.rate(), 0.99) << f.field << ": " << f.agree << " of " << f.total;
        EXPECT_GT(f.total, 100) << f.field;
    }
    // The full reading, against every decoded column.
    EXPECT_EQ(a->fullFields.size(), 19u);
    for (const auto& f : a->fullFields) {
        EXPECT_GE(f.rate(), 0.99) << f.field << ": " << f.agree << " of " << f.total;
        EXPECT_GE(f.total, 10) << f.field;
    }
}

// NOAA's shorter layout (no cloud columns): the columns it has are compared.
TEST(MetarAgreement, ShorterLayoutComparesTheColumnsItHas) {
    const std::string csv =
        "station_id,latitude,longitude,wind_dir_degrees,wind_speed_kt,wind_gust_kt,raw_text,"
        "observation_time,temp_c,dewpoint_c,visibility_statute_mi,altim_in_hg\n"
        "KJFK,40.6,-73.8,20,8,,KJFK 231051Z 02008KT 10SM FEW035 14/12 A3028 RMK T01390117,"
        "2022-10-23T10:51:00Z,13.9,11.7,10.0,30.28\n"
        "EGLL,51.5,-0.5,240,8,,EGLL 231050Z 24008KT 9999 SCT020 M02/M04 Q1021,"
        "2022-10-23T10:50:00Z,-2.0,-5.0,6.21,30.15\n";
    const auto a = zephyra::weather::compareWithNoaa(csv);
    ASSERT_TRUE(a.has_value());
    std::map<std::string, std::pair<int, int>> seen;
    for (const auto& f : a->fullFields) {
        seen[f.field] = {f.agree, f.total};
    }
    // EGLL's dew point is M04, not NOAA's -5.0: the one disagreement.
    const std::map<std::string, std::pair<int, int>> expected = {
        {"temperature (0.1 C with a T group)", {2, 2}},
        {"dew point", {1, 2}},
        {"wind direction", {2, 2}},
        {"wind speed (within 1 kt)", {2, 2}},
        {"gust (within 1 kt)", {0, 0}},
        {"visibility (statute miles)", {2, 2}},
        {"altimeter", {2, 2}},
    };
    EXPECT_EQ(seen, expected);
}

INSTANTIATE_TEST_SUITE_P(RealReports, MetarCorpus,
                         ::testing::Values("awc_metars_2022-10-23T11Z",
                                           "awc_metars_2014-12-18T07Z"),
                         [](const auto& suite) { return std::string(suite.param).substr(11, 4); });

}  // namespace
