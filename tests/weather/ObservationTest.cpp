#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "weather/Observation.h"
#include "weather/ObservationText.h"

using zephyra::weather::FlightCategory;
using zephyra::weather::jsonQuoted;
using zephyra::weather::Observation;
using zephyra::weather::readObservation;

namespace {

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

template <class T>
void add(std::string& out, const char* name, const std::optional<T>& v) {
    if (v) {
        out += std::string(" ") + name + "=" + number(double(*v));
    }
}

// Every value the reading gives, in a fixed order; absent values are left out.
std::string summary(const Observation& o) {
    std::string s = o.id;
    if (o.windVariable) {
        s += " VRB";
    }
    add(s, "dir", o.windDirection);
    add(s, "kt", o.windSpeedKnots);
    add(s, "gust", o.gustKnots);
    if (o.variableFrom) {
        s += " var=" + number(*o.variableFrom) + "-" + number(*o.variableTo);
    }
    if (o.visibilityMiles) {
        s += std::string(" vis=") + (o.visibilityBelow ? "<" : "") +
             (o.visibilityAbove ? ">=" : "") + number(*o.visibilityMiles) + "sm/" +
             number(*o.visibilityMetres) + "m";
    }
    if (o.minimumVisibilityMetres) {
        s += " min=" + number(*o.minimumVisibilityMetres) + o.minimumVisibilityDirection;
    }
    for (const std::string& r : o.runwayVisualRanges) {
        s += " rvr=" + r;
    }
    for (const auto& w : o.weather) {
        s += " wx=[" + w.intensity + "|" + w.descriptor + "|";
        for (const std::string& p : w.phenomena) {
            s += p;
        }
        s += "]";
    }
    for (const auto& w : o.recentWeather) {
        s += " re=" + w.text;
    }
    if (!o.clearSky.empty()) {
        s += " " + o.clearSky;
    }
    for (const auto& l : o.layers) {
        s += " " + (l.cover.empty() ? "?" : l.cover) +
             (l.baseFeet ? number(*l.baseFeet) : std::string("?")) + l.type;
    }
    add(s, "t", o.temperature);
    add(s, "d", o.dewPoint);
    add(s, "A", o.altimeterInches);
    add(s, "Q", o.qnhHectopascals);
    add(s, "slp", o.seaLevelPressure);
    for (const std::string& u : o.unread) {
        s += " unread=" + u;
    }
    if (!o.rejected.empty()) {
        s += " rejected=" + number(double(o.rejected.size()));
    }
    s += std::string(" ") + zephyra::weather::flightCategoryName(flightCategory(o));
    return s;
}

// Real reports from NOAA's files, each with what a pilot reads in it.
TEST(Observation, RealReportsAreReadWhole) {
    struct Case {
        const char* line;
        const char* expected;
    };
    const Case cases[] = {
        // Four layers, a correction, temperatures in tenths from the remark.
        {"KJFK 231051Z COR 02008KT 10SM FEW035 BKN047 BKN140 OVC210 14/12 A3028 RMK AO2 SLP253 "
         "T01390117",
         "KJFK dir=20 kt=8 vis=10sm/16093m FEW3500 BKN4700 BKN14000 OVC21000 t=13.9 d=11.7 "
         "A=30.28 slp=1025.3 VFR"},
        // Whole miles and a fraction across a blank; a negative T group.
        {"KMKC 180754Z 06004KT 1 1/2SM -SN BR SCT006 OVC015 M02/M03 A3024 RMK AO2 SLP249 P0011 "
         "T10171028",
         "KMKC dir=60 kt=4 vis=1.5sm/2414m wx=[-||SN] wx=[||BR] SCT600 OVC1500 t=-1.7 d=-2.8 "
         "A=30.24 slp=1024.9 IFR"},
        {"KPAN 180755Z AUTO 00000KT M1/4SM -UP OVC001 00/M00 A3014 RMK AO2",
         "KPAN kt=0 vis=<0.25sm/402m wx=[-||UP] OVC100 t=0 d=-0 A=30.14 LIFR"},
        {"KCNK 180755Z AUTO 10004KT 1/4SM +SN FZFG VV006 M04/M04 A3018 RMK AO2 SLP236 P0012 "
         "T10391044",
         "KCNK dir=100 kt=4 vis=0.25sm/402m wx=[+||SN] wx=[|FZ|FG] VV600 t=-3.9 d=-4.4 A=30.18 "
         "slp=1023.6 LIFR"},
        // A dew point that was not measured; the sea-level pressure below 1000 hPa.
        {"CZVL 231100Z AUTO 30003KT 4SM R26/3000VP6000FT/ BR BKN190 M03/ A2994 RMK DP MISG SLP169",
         "CZVL dir=300 kt=3 vis=4sm/6437m rvr=R26/3000VP6000FT/ wx=[||BR] BKN19000 t=-3 A=29.94 "
         "slp=1016.9 MVFR"},
        {"KCNK 231055Z AUTO 17018KT 10SM CLR 21/09 A2940 RMK AO2 PK WND 19028/1014 SLP939 "
         "T02060089",
         "KCNK dir=170 kt=18 vis=10sm/16093m CLR t=20.6 d=8.9 A=29.4 slp=993.9 VFR"},
        // Metric visibility with a directional minimum, runway ranges, a trend not read as now.
        {"ENGM 180750Z 21002KT 3000 1100NW R19R/1500U R01R/P2000N BR FZFG OVC002 M05/M05 Q0992 "
         "TEMPO 1000 FZFG",
         "ENGM dir=210 kt=2 vis=1.86411sm/3000m min=1100NW rvr=R19R/1500U rvr=R01R/P2000N "
         "wx=[||BR] wx=[|FZ|FG] OVC200 t=-5 d=-5 Q=992 LIFR"},
        {"ENSG 180750Z 00000KT 5000 1000E -SN PRFG FEW/// SCT010 BKN025 M02/M02 Q0986 RMK WIND "
         "3901FT 21023KT",
         "ENSG kt=0 vis=3.10686sm/5000m min=1000E wx=[-||SN] wx=[|PR|FG] FEW? SCT1000 BKN2500 "
         "t=-2 d=-2 Q=986 MVFR"},
        {"EDDL 231120Z AUTO 15013KT 9999 -SHRA FEW///TCU 19/12 Q1009 NOSIG",
         "EDDL dir=150 kt=13 vis=>=6.21309sm/9999m wx=[-|SH|RA] FEW?TCU t=19 d=12 Q=1009 "},
        {"WMKD 180700Z 33005KT 0300 +TSRA FEW000 FEW017CB SCT023 OVC140 25/23 Q1009 NOSIG",
         "WMKD dir=330 kt=5 vis=0.186411sm/300m wx=[+|TS|RA] FEW0 FEW1700CB SCT2300 OVC14000 "
         "t=25 d=23 Q=1009 LIFR"},
        {"EGPD 180750Z 16003KT CAVOK 04/03 Q0991 NOSIG",
         "EGPD dir=160 kt=3 vis=>=6.21309sm/9999m CAVOK t=4 d=3 Q=991 VFR"},
        {"ENFG 180750Z VRB01KT 0300 FZFG NSC M12/M13 Q0987",
         "ENFG VRB kt=1 vis=0.186411sm/300m wx=[|FZ|FG] NSC t=-12 d=-13 Q=987 LIFR"},
        {"ENBN 180750Z 12011G23KT 060V200 9999 VCSH FEW015 BKN028 01/M03 Q0986",
         "ENBN dir=120 kt=11 gust=23 var=60-200 vis=>=6.21309sm/9999m wx=[VC|SH|] FEW1500 "
         "BKN2800 t=1 d=-3 Q=986 MVFR"},
        {"EHBK 180755Z AUTO 23011KT 200V260 9999 FEW005 BKN006 OVC007 11/10 Q1011 REDZ TEMPO 6000 "
         "-DZ",
         "EHBK dir=230 kt=11 var=200-260 vis=>=6.21309sm/9999m re=DZ FEW500 BKN600 OVC700 t=11 "
         "d=10 Q=1011 IFR"},
        // Metres per second; a runway state group that holds nothing kept here.
        {"UKKK 180743Z 22002MPS 0700 R26/0900V1800D FZFG OVC001 M01/M01 Q1014 26290055 TEMPO 0400 "
         "FZFG",
         "UKKK dir=220 kt=4 vis=0.43496sm/700m rvr=R26/0900V1800D wx=[|FZ|FG] OVC100 t=-1 d=-1 "
         "Q=1014 LIFR"},
        // Both altimeter forms.
        {"MHTG 231100Z 01010KT 8000 SCT008 BKN026 BKN080 19/19 Q1018 A3006 NOSIG",
         "MHTG dir=10 kt=10 vis=4.97097sm/8000m SCT800 BKN2600 BKN8000 t=19 d=19 A=30.06 Q=1018 "
         "MVFR"},
        // An Australian trend starting with FM.
        {"YBBN 180755Z 23021KT 9000 TSRA FEW008 BKN045CB BKN100 28/19 Q1008 FM0900 35010KT 9999 "
         "-SHRA SCT050",
         "YBBN dir=230 kt=21 vis=5.59234sm/9000m wx=[|TS|RA] FEW800 BKN4500CB BKN10000 t=28 d=19 "
         "Q=1008 VFR"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(summary(readObservation(c.line)), c.expected) << c.line;
    }
}

// Groups that threw the classic reading off: each is read whole or set aside, and never moves
// the values after it.
TEST(Observation, SplitShiftedAndImpossibleGroups) {
    struct Case {
        const char* line;
        const char* expected;
    };
    const Case cases[] = {
        {"SBCM 262100Z 21008KT 2000 -DZ BR SCT003 BKN005 OVC015 17/16 Q10 16",
         "SBCM dir=210 kt=8 vis=1.24274sm/2000m wx=[-||DZ] wx=[||BR] SCT300 BKN500 OVC1500 t=17 "
         "d=16 Q=1016 IFR"},
        {"SBCZ 180700Z 00000KT 6000 -RA SCT006 FEW030TCU BKN100 24/24 Q10 10",
         "SBCZ kt=0 vis=3.72823sm/6000m wx=[-||RA] SCT600 FEW3000TCU BKN10000 t=24 d=24 Q=1010 "
         "MVFR"},
        {"KXYZ 262100Z 21008KT 10SM CLR 17/16 A29 92",
         "KXYZ dir=210 kt=8 vis=10sm/16093m CLR t=17 d=16 A=29.92 VFR"},
        // The second visibility group is the minimum, and the rest keeps its place.
        {"FAGG 020031Z AUTO 32004KT 0750 0450 R29/0500N -RA FG VV001 12/12 Q1016",
         "FAGG dir=320 kt=4 vis=0.466028sm/750m min=450 rvr=R29/0500N wx=[-||RA] wx=[||FG] VV100 "
         "t=12 d=12 Q=1016 LIFR"},
        // A group nobody can read is noted; what follows stands.
        {"KABC 011200Z 27010KT 10SM XYZZY BKN020 10/05 A3001",
         "KABC dir=270 kt=10 vis=10sm/16093m BKN2000 t=10 d=5 A=30.01 unread=XYZZY MVFR"},
        // Values no atmosphere has are left out, not clamped.
        {"KABC 011200Z 27010KT 10SM BKN700 10/15 Q0850 A2200",
         "KABC dir=270 kt=10 vis=10sm/16093m BKN? t=10 Q=850 rejected=3 "},
        // Slashes for what an automatic station could not measure.
        {"LFBL 180730Z AUTO /////KT //// R21/1300U FG VV/// ///// Q////",
         "LFBL rvr=R21/1300U wx=[||FG] VV? "},
        // A T group that contradicts the body does not replace it.
        {"KABC 011200Z 27010KT 10SM CLR 10/05 A3001 RMK T02500150",
         "KABC dir=270 kt=10 vis=10sm/16093m CLR t=10 d=5 A=30.01 VFR"},
        {"KABC 011200Z 27010KT P6SM FEW250 M10/M12 A3001",
         "KABC dir=270 kt=10 vis=>=6sm/9656m FEW25000 t=-10 d=-12 A=30.01 VFR"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(summary(readObservation(c.line)), c.expected) << c.line;
    }
}

TEST(Observation, FlightCategoryBoundaries) {
    struct Case {
        const char* groups;
        FlightCategory expected;
    };
    const Case cases[] = {
        {"10SM BKN031", FlightCategory::Vfr}, {"10SM BKN030", FlightCategory::Mvfr},
        {"6SM SCT005", FlightCategory::Vfr},  {"5SM SKC", FlightCategory::Mvfr},
        {"3SM CLR", FlightCategory::Mvfr},    {"2 3/4SM CLR", FlightCategory::Ifr},
        {"10SM OVC009", FlightCategory::Ifr}, {"10SM BKN010", FlightCategory::Mvfr},
        {"1SM CLR", FlightCategory::Ifr},     {"3/4SM CLR", FlightCategory::Lifr},
        {"10SM VV004", FlightCategory::Lifr}, {"9999 FEW004", FlightCategory::Vfr},
        {"", FlightCategory::Unknown},        {"BKN040", FlightCategory::Unknown},
    };
    for (const Case& c : cases) {
        const std::string line = std::string("KABC 011200Z 27010KT ") + c.groups + " 10/05 A3001";
        EXPECT_EQ(flightCategory(readObservation(line)), c.expected) << c.groups;
    }
}

TEST(Observation, WeatherGroupsInWords) {
    const std::pair<const char*, const char*> cases[] = {
        {"-SHSN", "light snow showers"},
        {"+TSRA", "thunderstorm with heavy rain"},
        {"TS", "thunderstorm"},
        {"BR", "mist"},
        {"FZFG", "freezing fog"},
        {"VCSH", "showers in the vicinity"},
        {"-RADZ", "light rain and drizzle"},
        {"BCFG", "patches of fog"},
        {"+FC", "tornado or waterspout"},
    };
    for (const auto& [group, words] : cases) {
        const Observation o = readObservation(std::string("KABC 011200Z 27010KT 10SM ") + group);
        ASSERT_EQ(o.weather.size(), 1u) << group;
        EXPECT_EQ(zephyra::weather::weatherInWords(o.weather[0]), words);
    }
    // 10 C over a 5 C dew point is 71 %; a saturated air 100 %.
    EXPECT_NEAR(zephyra::weather::relativeHumidity(10, 5), 71.0, 0.5);
    EXPECT_NEAR(zephyra::weather::relativeHumidity(-3.9, -3.9), 100.0, 1e-9);
}

}  // namespace

// JSON output stays valid whatever bytes a file held: a byte that is not UTF-8 becomes U+FFFD.
TEST(Observation, JsonQuotingKeepsTheOutputValid) {
    const std::pair<std::string, std::string> cases[] = {
        {"KJFK 06008KT", "\"KJFK 06008KT\""},
        {"a\"b\\c\n", "\"a\\\"b\\\\c\\u000a\""},
        {"060\xC2\xB0", "\"060\xC2\xB0\""},             // a degree sign in UTF-8 stays
        {"060\xB0 C", "\"060\\ufffd C\""},              // Latin-1's degree sign
        {"\xE2\x82", "\"\\ufffd\\ufffd\""},             // cut short
        {"\xC0\xAF", "\"\\ufffd\\ufffd\""},             // an overlong "/"
        {"\xED\xA0\x80", "\"\\ufffd\\ufffd\\ufffd\""},  // a surrogate
    };
    for (const auto& [text, quoted] : cases) {
        EXPECT_EQ(jsonQuoted(text), quoted) << text;
    }
}
