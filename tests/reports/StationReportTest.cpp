#include "reports/StationReport.h"

#include <gtest/gtest.h>

#include "support/DbRows.h"
#include "support/RealData.h"
#include "support/TempDir.h"
#include "weather/TafStore.h"
#include "weather/WeatherDb.h"

namespace zephyra::reports {
namespace {

weather::WeatherRecord record() {
    weather::WeatherRecord r;
    r.ID = "KATL";
    r.Cl1Coverage = 3;
    r.cl1Base = 4000;
    r.w0Spd = 12;
    r.w0Dir = 270;
    r.t0Deg = 59;
    r.Visibility = 10;
    r.Pressure = 1013.2;
    return r;
}

// A METAR's report ends with its full reading in words, under the classic lines.
TEST(StationReport, DecodedBlockForMetars) {
    weather::WeatherRecord r = record();
    r.Observation = "METAR";
    struct Case {
        const char* raw;
        const char* uom;
        const char* decoded;
    };
    const Case cases[] = {
        {"KJFK 231051Z COR 02008KT 10SM FEW035 BKN047 BKN140 OVC210 14/12 A3028 RMK AO2 SLP253 "
         "T01390117",
         "U",
         "Decoded:\nSky: few clouds at 3,500 ft; broken at 4,700 ft; broken at 14,000 ft; "
         "overcast at 21,000 ft.\nWind: from 20 degrees at 8 knots.\nVisibility: 10 statute "
         "miles.\nTemperature 13.9 C, dew point 11.7 C, relative humidity 87%.\nFlight category: "
         "VFR.\n"},
        {"FAGG 020031Z AUTO 32004KT 0750 0450 R29/0500N -RA FG VV001 12/12 Q1016", "M",
         "Decoded:\nSky: sky obscured, vertical visibility 30 m.\nWind: from 320 degrees at 4 "
         "knots.\nVisibility: 750 m, lowest 450 m.\nWeather: light rain, fog.\nTemperature 12 C, "
         "dew point 12 C, relative humidity 100%.\nFlight category: LIFR.\n"},
        {"ENBN 180750Z 12011G23KT 060V200 9999 VCSH FEW015CB BKN028 01/M03 Q0986", "U",
         "Decoded:\nSky: few clouds at 1,500 ft, cumulonimbus; broken at 2,800 ft.\nWind: from "
         "120 degrees at 11 knots, gusting 23 knots, varying between 60 and 200 degrees.\n"
         "Visibility: 10 km or more.\nWeather: showers in the vicinity.\nTemperature 1 C, dew "
         "point -3 C, relative humidity 75%.\nFlight category: MVFR.\n"},
        {"KLGA 231051Z VRB03KT M1/4SM FG CLR A3027", "U",
         "Decoded:\nSky: clear.\nWind: variable at 3 knots.\nVisibility: less than 0.25 statute "
         "miles.\nWeather: fog.\nFlight category: LIFR.\n"},
    };
    for (const Case& c : cases) {
        r.RawText = c.raw;
        const std::string text = composeStationReport(r, 1000, c.uom, 50);
        const auto at = text.find("Decoded:");
        ASSERT_NE(at, std::string::npos) << text;
        EXPECT_EQ(text.substr(at), c.decoded);
        EXPECT_EQ(text.substr(at - r.RawText.size() - 1, r.RawText.size() + 1), r.RawText + "\n");
    }
}

TEST(StationReport, WordingAndUnits) {
    EXPECT_EQ(composeStationReport(record(), 1000, "U", 50),
              "KATL REPORT\nSkies: scattered at 3000 feet.\nSurface winds are 12 knots from 270 "
              "degrees.\nTemperature is 59.\nVisibility is 10 miles.\nReported barometer is "
              "29.92.\n");
    EXPECT_EQ(composeStationReport(record(), 1000, "M", 50),
              "KATL REPORT\nSkies: scattered at 914 metres.\nSurface winds are 12 knots from 270 "
              "degrees.\nTemperature is 15.\nVisibility is 16 Kilometres.\nReported pressure is "
              "1013.\n");

    struct Case {
        const char* what;
        void (*change)(weather::WeatherRecord&);
        std::string uom;
        int elevation;
        std::string expectedLine;
        int unlimitedVisibility = 50;
    };
    const Case cases[] = {
        {"cover 4 is broken", [](auto& r) { r.Cl1Coverage = 4; }, "U", 0,
         "Skies: broken at 4000 feet."},
        {"cover 8 is overcast", [](auto& r) { r.Cl1Coverage = 8; }, "U", 0,
         "Skies: overcast at 4000 feet."},
        {"cover 0 is clear", [](auto& r) { r.Cl1Coverage = 0; }, "U", 0, "Skies: clear."},
        {"a base below the station rounds down", [](auto& r) { r.cl1Base = 999; }, "M", 1001,
         "Skies: scattered at -1 metres."},
        {"second layer",
         [](auto& r) {
             r.Cl2Coverage = 8;
             r.cl2Base = 9000;
         },
         "F", 0, "Second layer of clouds overcast at 9000 feet."},
        {"a negative second cover is scattered",
         [](auto& r) {
             r.Cl2Coverage = -1;
             r.cl2Base = 9000;
         },
         "F", 0, "Second layer of clouds scattered at 9000 feet."},
        {"visibility to two decimals", [](auto& r) { r.Visibility = 1.666; }, "U", 0,
         "Visibility is 1.67 miles."},
        {"visibility capped", [](auto& r) { r.Visibility = 15; }, "U", 0, "Visibility is 10 miles.",
         10},
        {"31 F in Celsius", [](auto& r) { r.t0Deg = 31; }, "F", 0, "Temperature is -1."},
        // -5 C and 9 C as the load stores them (Int(C x 1.8 + 32)) read back as reported.
        {"23 F is -5 C", [](auto& r) { r.t0Deg = 23; }, "M", 0, "Temperature is -5."},
        {"a Celsius record stays Celsius",
         [](auto& r) {
             r.t0Deg = -5;
             r.TempScale = "C";
         },
         "M", 0, "Temperature is -5."},
        {"a Celsius record in Fahrenheit",
         [](auto& r) {
             r.t0Deg = 9;
             r.TempScale = "C";
         },
         "U", 0, "Temperature is 48."},
        {"an empty unit setting is metric for temperature", [](auto& r) { r.t0Deg = 50; }, "", 0,
         "Temperature is 10."},
        {"estimated temperature", [](auto& r) { r.Estimated = "T=KLGA"; }, "U", 0,
         "Temperature is 59 (estimated from KLGA)."},
        {"standard pressure", [](auto& r) { r.Estimated = "T=KLGA;P=STD"; }, "M", 0,
         "Reported pressure is 1013 (estimated from the standard atmosphere)."},
        {"unreported visibility", [](auto& r) { r.Estimated = "V=STD"; }, "U", 0,
         "Visibility is 10 miles (not reported: unlimited)."},
        {"pressure below 1000 mb keeps four digits", [](auto& r) { r.Pressure = 998.4; }, "M", 0,
         "Reported pressure is 0998."},
        {"millibars round to the nearest", [](auto& r) { r.Pressure = 1013.6; }, "M", 0,
         "Reported pressure is 1014."},
        {"inches keep two digits", [](auto& r) { r.Pressure = 300; }, "U", 0,
         "Reported barometer is 08.86."},
    };
    for (const auto& c : cases) {
        auto r = record();
        c.change(r);
        const std::string text = composeStationReport(r, c.elevation, c.uom, c.unlimitedVisibility);
        EXPECT_NE(text.find("\n" + c.expectedLine + "\n"), std::string::npos) << c.what << ":\n"
                                                                              << text;
    }
    auto r = record();
    r.Cl2Coverage = 0;
    r.cl2Base = 9000;
    EXPECT_EQ(composeStationReport(r, 0, "U", 50).find("Second"), std::string::npos);

    // The report itself and its age close the text.
    r.RawText = "KATL 231052Z 27010KT 10SM FEW200 15/M01 A2992";
    r.ObsTime = "2022-10-23T10:52Z";
    const std::string text = composeStationReport(r, 0, "U", 50, 1666522320.0 + 3600);
    EXPECT_TRUE(
        text.ends_with("29.92.\nKATL 231052Z 27010KT 10SM FEW200 15/M01 A2992\n"
                       "observed 10:52Z, 1 h 00 min ago\n"))
        << text;
    // A month and year taken from the file's date are said to be assumed.
    r.Estimated = "T=KLGA;D=FILE";
    EXPECT_TRUE(composeStationReport(r, 0, "U", 50, 1666522320.0 + 3 * 86400)
                    .ends_with("\nobserved 10:52Z, 3 days ago (month and year assumed)\n"));
    EXPECT_EQ(reportAge(r, 1666522320.0 + 3 * 86400).observed,
              "observed 10:52Z, 3 days ago (month and year assumed)");
}

// A report is old after three hours: at 3 h 00 min it is not yet, a second later it is.
TEST(StationReport, AgeWarnsOnlyPastThreeHours) {
    auto r = record();
    r.ObsTime = "2022-10-23T10:52Z";
    const double observed = 1666522320.0;  // 2022-10-23 10:52:00 UTC
    const struct {
        double after;
        const char* observedText;
        const char* warning;
    } cases[] = {
        {3600, "observed 10:52Z, 1 h 00 min ago", ""},
        {3 * 3600, "observed 10:52Z, 3 h 00 min ago", ""},
        {3 * 3600 + 1, "observed 10:52Z, 3 h 00 min ago",
         "Old weather: KATL observed 10:52Z, 3 h 00 min ago. It may no longer be what the pilot "
         "flies in."},
    };
    for (const auto& c : cases) {
        const ReportAge age = reportAge(r, observed + c.after);
        EXPECT_EQ(age.observed, c.observedText) << c.after;
        EXPECT_EQ(age.text, std::string("KATL ") + c.observedText) << c.after;
        EXPECT_EQ(age.warning, c.warning) << c.after;
    }
    r.ObsTime.clear();  // no observation time: nothing to say
    EXPECT_EQ(reportAge(r, observed + 4 * 3600).warning, "");
}

TEST(StationReport, FromTheDatabase) {
    test::TempDir dir;
    auto db = weather::WeatherDb::open(dir.file("vanedb.mdb"));
    ASSERT_TRUE(db);
    test::addStation(*db, {"KATL", "3338N", "08426W", 313});
    ASSERT_EQ(db->addWeather(record()), weather::WeatherDb::AddResult::Added);
    EXPECT_EQ(stationAltitudeFeet(*db, "KATL"), 1026);  // 313 x 3.281 = 1026.953
    EXPECT_EQ(stationAltitudeFeet(*db, "KXXX"), 0);
    const auto found = stationReport(*db, "KATL", "U", 50);
    EXPECT_TRUE(found.found);
    EXPECT_NE(found.text.find("scattered at 2974 feet."), std::string::npos);
    const auto missing = stationReport(*db, "KXXX", "U", 50);
    EXPECT_FALSE(missing.found);
    EXPECT_EQ(missing.text, "ICAO Station Weather not Found");
}

// A station's loaded TAF goes under its report, which stays as it was; a station without one
// gets nothing more.
TEST(StationReport, TheTafGoesUnderTheReport) {
    test::TempDir dir;
    auto db = weather::WeatherDb::open(dir.file("vanedb.mdb"));
    ASSERT_TRUE(db);
    auto jfk = record();
    jfk.ID = "KJFK";
    ASSERT_EQ(db->addWeather(record()), weather::WeatherDb::AddResult::Added);
    ASSERT_EQ(db->addWeather(jfk), weather::WeatherDb::AddResult::Added);
    const double nov26 = 1795651200.0;  // 2026-11-26 00:00Z
    const auto tafs =
        weather::readTafs(test::realData("taf/TAFJFK.txt"), static_cast<std::int64_t>(nov26));
    ASSERT_TRUE(weather::replaceTafs(*db, tafs));

    EXPECT_EQ(stationReport(*db, "KATL", "U", 50, nov26).text,
              composeStationReport(record(), 0, "U", 50, nov26));
    const std::string text = stationReport(*db, "KJFK", "U", 50, nov26).text;
    const std::string above = composeStationReport(jfk, 0, "U", 50, nov26);
    ASSERT_EQ(text.substr(0, above.size()), above);
    EXPECT_EQ(text.substr(above.size()),
              "TAF issued 25 Nov 13:41Z, 10 h 19 min ago\n"
              "TAF AMD KJFK 251341Z 2514/2618 05006KT P6SM BKN018 FM251600 06008KT P6SM OVC025 "
              "FM252200 06009KT P6SM BKN040 FM260500 05007KT P6SM SCT040 FM261400 06006KT P6SM "
              "SCT200 FM261700 12008KT P6SM SCT200\n"
              "From 25 14:00Z  wind 050\u00b0 6 kt, visibility 6 SM or more, broken at 1,800 ft\n"
              "FM 25 16:00Z  wind 060\u00b0 8 kt, visibility 6 SM or more, overcast at 2,500 ft\n"
              "FM 25 22:00Z  wind 060\u00b0 9 kt, visibility 6 SM or more, broken at 4,000 ft\n"
              "FM 26 05:00Z  wind 050\u00b0 7 kt, visibility 6 SM or more, scattered at 4,000 ft\n"
              "FM 26 14:00Z  wind 060\u00b0 6 kt, visibility 6 SM or more, scattered at 20,000 "
              "ft\n"
              "FM 26 17:00Z  wind 120\u00b0 8 kt, visibility 6 SM or more, scattered at 20,000 "
              "ft\n");
}

}  // namespace
}  // namespace zephyra::reports
