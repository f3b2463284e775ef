#include "reports/StationReport.h"

#include <gtest/gtest.h>

#include "support/DbRows.h"
#include "support/TempDir.h"
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

}  // namespace
}  // namespace zephyra::reports
