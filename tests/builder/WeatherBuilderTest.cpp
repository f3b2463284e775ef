#include "builder/WeatherBuilder.h"

#include <gtest/gtest.h>

#include "builder/CustomWeather.h"
#include "flightplan/PlanFile.h"
#include "platform/Random.h"
#include "platform/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "weather/WeatherDb.h"

using namespace zephyra;
using builder::BuilderControls;
using builder::WeatherBuilder;

namespace {

WeatherBuilder threeLinePlan() {
    WeatherBuilder b;
    EXPECT_TRUE(
        b.loadText("Approach=ILS 27L\r\nA|33.5|-84.5|3000|250\r\nB|34|-84|9000|250\r\n"
                   "C|35|-83.5|9000|0.6\r\n",
                   [] { return true; }));
    return b;
}

BuilderControls cloud1(const char* base, const char* top) {
    BuilderControls c;
    c.Cld1Cmb = "5/8";
    c.Cld1B = base;
    c.Cld1T = top;
    return c;
}

TEST(WeatherBuilderAttach, RefusalsComeInOrderAndChangeNothing) {
    auto b = threeLinePlan();
    auto refuses = [&](const BuilderControls& c, const std::string& message,
                       std::optional<int> row = 0) {
        SCOPED_TRACE(message);
        const auto out = b.attach(c, "U", row);
        EXPECT_FALSE(out.attached);
        EXPECT_EQ(out.message, message);
        EXPECT_EQ(b.counter, 0);
        EXPECT_FALSE(b.changed);
    };
    refuses({}, "Cloud 1 can't be set to None.");
    refuses(cloud1("3000", "x"), "Invalid Number In Cloud 1 Tops Box");
    refuses(cloud1("3000", "3000"), "Cloud 1 Tops Must Be Higher Than Cloud 1 Base");
    refuses(cloud1("0", "3000"), "Cloud 1 Base must be greater than 0");
    auto low2 = cloud1("1000", "3000");
    low2.Cld2Cmb = "Overcast", low2.Cld2B = "2999", low2.Cld2T = "5000";
    refuses(low2, "Cloud 2 Base must be higher the Cloud 1 Tops");
    refuses(cloud1("1000", "3000"), "You must select a waypoint to attach to.", std::nullopt);
}

TEST(WeatherBuilderAttach, ConvertsUnitsAndLimits) {
    // Attaches cloud 1 from 1000 to 2000 with the change given; checks the stored fields.
    auto attached = [](const char* uom, int row, auto change,
                       const std::vector<std::pair<std::size_t, double>>& fields) {
        auto b = threeLinePlan();
        auto c = cloud1("1000", "2000");
        change(c);
        const auto out = b.attach(c, uom, row);
        ASSERT_TRUE(out.attached) << out.message;
        const auto& name = b.plan.WaypLst[static_cast<std::size_t>(row)];
        EXPECT_EQ(out.message, "Weather successfully added to " + name + ".");
        EXPECT_EQ(b.entries[0].id, "0000" + name);
        for (const auto& [field, value] : fields) {
            EXPECT_DOUBLE_EQ(b.entries[0].field[field], value) << uom << " field " << field;
        }
    };
    attached("M", 0, [](auto& c) { c.BaroTxt = "1013", c.TempTxt = "15", c.SWTop = "1000"; },
             {{4, 3300}, {5, 6600}, {11, 3300}, {14, 59}, {15, 29.91}});
    attached("F", 0, [](auto& c) { c.BaroTxt = "1013"; }, {{4, 1000}, {15, 29.91}, {14, 27}});
    // Empty boxes keep the defaults, which are already in feet, Fahrenheit and inches.
    attached("M", 0, [](auto&) {}, {{11, 3000}, {14, 27}, {15, 30}});
    attached("U", 2,
             [](auto& c) {
                 c.W0DirTxt = "400", c.W0SpdTxt = "25", c.VisiCmb = "3/4 Mile", c.PrecipCmb = 7,
                 c.TempTxt = "250", c.BaroTxt = "35";
             },
             {{10, 359}, {9, 25}, {12, 0.75}, {13, 7}, {14, 150}, {15, 29.91}});
    // Cloud 2's base may sit on cloud 1's top; a bad temperature keeps the default.
    auto b = threeLinePlan();
    auto two = cloud1("1000", "3000");
    two.Cld2Cmb = "Overcast", two.Cld2B = "3000", two.Cld2T = "5000", two.TempTxt = "warm";
    ASSERT_TRUE(b.attach(two, "U", 1).attached);
    const std::array<double, 15> stored = {34, -84, 5,    1000, 3000, 8,  3000, 5000,
                                           0,  0,   3000, 100,  0,    27, 30};
    for (std::size_t k = 1; k < 16; ++k) {
        EXPECT_DOUBLE_EQ(b.entries[0].field[k], stored[k - 1]) << k;
    }
}

TEST(WeatherBuilderAttach, VisibilityTexts) {
    const std::vector<std::pair<std::string, double>> cases = {
        {"Unlimited", 100}, {"40 Miles", 40},   {"2.5 Miles", 2.5},  {"2 Miles", 2},
        {"1 Mile", 1},      {"3/4 Mile", 0.75}, {"3/8 Mile", 0.375}, {"1/16 Mile", 0.0625}};
    for (const auto& [text, miles] : cases) {
        EXPECT_DOUBLE_EQ(builder::visibilityMiles(text), miles) << text;
    }
}

TEST(WeatherBuilderAttach, SecondAttachOverwritesAndShowsBack) {
    auto b = threeLinePlan();
    ASSERT_TRUE(b.attach(cloud1("1000", "2000"), "U", 0).added);
    ASSERT_TRUE(b.attach(cloud1("1500", "2500"), "U", 2).added);
    auto again = cloud1("4000", "6000");
    again.VisiCmb = "2.5 Miles";
    const auto out = b.attach(again, "U", 0);
    EXPECT_FALSE(out.added);
    EXPECT_EQ(out.entry, 0);
    EXPECT_EQ(b.counter, 2);
    EXPECT_EQ(b.entryForLine(" C "), 1);
    EXPECT_EQ(b.entryForLine("B"), std::nullopt);
    const auto shown = WeatherBuilder::showPlanWeather(b.entries[0]);
    EXPECT_EQ(shown.Cld1Cmb + "|" + shown.Cld2Cmb + "|" + shown.Cld1B + "|" + shown.VisiCmb + "|" +
                  shown.BaroTxt + "|" + shown.SWTop,
              "5/8|None|4000|2.5 Miles|30.00|3000");
}

// What Attach stores, shown back, reads as what was typed; attached again, it stores the same.
TEST(WeatherBuilderAttach, ShownBackInTheUsersUnits) {
    struct Case {
        const char *uom, *base, *top, *windTop, *temperature, *pressure;
    };
    for (const Case& u : {Case{"U", "3300", "6600", "3000", "59", "29.91"},
                          Case{"M", "1000", "2000", "900", "15", "1013"},
                          Case{"M", "1234", "1500", "50", "-40", "980"},
                          Case{"F", "3300", "6600", "3000", "-7", "1030"}}) {
        SCOPED_TRACE(std::string(u.uom) + " " + u.base);
        auto b = threeLinePlan();
        auto typed = cloud1(u.base, u.top);
        typed.SWTop = u.windTop, typed.TempTxt = u.temperature, typed.BaroTxt = u.pressure;
        ASSERT_TRUE(b.attach(typed, u.uom, 0).attached);
        const auto stored = b.entries[0];
        const auto shown = WeatherBuilder::showPlanWeather(stored, u.uom);
        EXPECT_EQ(shown.Cld1B + "/" + shown.Cld1T + "/" + shown.SWTop + "/" + shown.TempTxt + "/" +
                      shown.BaroTxt,
                  std::string(u.base) + "/" + u.top + "/" + u.windTop + "/" + u.temperature + "/" +
                      u.pressure);
        ASSERT_TRUE(b.attach(shown, u.uom, 0).attached);
        EXPECT_EQ(b.counter, 1);
        EXPECT_EQ(b.entries[0].field, stored.field);
    }
    // A waypoint without weather shows the defaults.
    const auto shown = WeatherBuilder::showPlanWeather(WeatherBuilder::defaultEntry(), "M");
    EXPECT_EQ(shown.Cld1Cmb + "|" + shown.Cld1B + "|" + shown.VisiCmb + "|" + shown.TempTxt + "|" +
                  shown.BaroTxt,
              "None||Unlimited|-3|1016");
}

TEST(WeatherBuilderFile, SaveKeepsTheApproachAndLoadAsksForTheWeather) {
    auto b = threeLinePlan();
    ASSERT_TRUE(b.attach(cloud1("1000", "2000"), "U", 1).attached);
    const std::string text = b.saveText();
    EXPECT_EQ(text.substr(0, 18), "Approach=ILS 27L\r\n");
    EXPECT_NE(text.find("\r\nWeather\r\n 0 \r\n0000B\r\n 34 \r\n"), std::string::npos);

    // Yes takes the entries for editing.
    WeatherBuilder yes;
    int asked = 0;
    ASSERT_TRUE(yes.loadText(text, [&] { return ++asked, true; }));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(yes.counter, 1);
    EXPECT_EQ(yes.plan.PlanCount, 3);
    EXPECT_EQ(yes.entries[0].field[4], 1000);

    // No at the question, and a plan without weather, clear what the Builder held.
    for (const std::string& next : {text, std::string("D|36|-83|9000|250\r\n")}) {
        WeatherBuilder held = threeLinePlan();
        ASSERT_TRUE(held.attach(cloud1("1000", "2000"), "U", 0).attached);
        ASSERT_TRUE(held.loadText(next, [] { return false; }));
        EXPECT_EQ(held.counter, 0);
        EXPECT_EQ(held.entries[0].id, "");
        EXPECT_EQ(held.saveText().find("Weather"), std::string::npos);
    }
}

class QuietHost final : public weather::LoadHost {
    void setStatus(const std::string&) override {}
    void processEvents() override {}
    void setRandomTimerInterval(int) override {}
};

flightplan::PlanWxEntry entry(const std::string& id, double precip, double temperature = 15,
                              double pressure = 29.92) {
    flightplan::PlanWxEntry e;
    e.id = id;
    e.field = {0,    33.5, -84.5, 5,    1000, 3000,   8,           3000,
               5000, 12,   270,   3000, 5,    precip, temperature, pressure};
    return e;
}

class CustomWeatherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db = weather::WeatherDb::open(dir.file("vanedb.mdb"));
        ASSERT_TRUE(db);
        weather::WeatherRecord old;
        old.ID = "KATL";
        ASSERT_EQ(db->addWeather(old), weather::WeatherDb::AddResult::Added);
    }
    builder::CustomWeatherOutcome process(const flightplan::PlanStore& plan) {
        return builder::processPlanWeather(plan, *db, random, dialogs, host, loaded, "stamp");
    }
    test::TempDir dir;
    std::unique_ptr<weather::WeatherDb> db;
    platform::PinnedRandom random;
    platform::ScriptedDialogs dialogs;
    QuietHost host;
    weather::LoadedWeather loaded;
};

TEST_F(CustomWeatherTest, OneEntryReplacesAllWeather) {
    flightplan::PlanStore plan;
    plan.PlanWx[0] = entry("0000Atlanta Intl", 6);
    plan.setCustomWeatherCount(0);
    const auto out = process(plan);
    ASSERT_TRUE(out.finished);
    EXPECT_EQ(db->weatherCount(), 1);
    EXPECT_FALSE(db->findWeather("KATL"));
    const auto r = db->findWeather("0000");
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->Thunder);
    EXPECT_EQ(r->Precip, 6);
    EXPECT_EQ(r->cl1Base, 1000);  // already above sea level: no shift
    EXPECT_EQ(r->t0Deg, 15);
    EXPECT_EQ(r->Dew, 15);
    EXPECT_GE(r->t1Deg, -19);
    EXPECT_LE(r->t1Deg, 5);
    EXPECT_NEAR(r->Pressure, 1013.2, 0.05);  // the simulator works in millibars
    ASSERT_EQ(loaded.stations.count(), 1);
    const auto& s = loaded.stations[1];
    EXPECT_EQ(s.ID + "|" + s.Name + "|" + s.StateCode + "|" + s.Country,
              "0000|Atlanta Intl|FW|Manual Weather");
    EXPECT_EQ(s.latitude, 33.5);
    EXPECT_EQ(dialogs.lastMessage(), "Done Processing 1 stations.");
}

TEST_F(CustomWeatherTest, StormsDuplicatesAndMillibarsAsTheyAre) {
    flightplan::PlanStore plan;
    plan.PlanWx[0] = entry("0003Macon", 7, 15, 1009);
    plan.PlanWx[1] = entry("0003Later", 9);
    plan.PlanWx[2] = entry("0001", 9, -40);
    plan.setCustomWeatherCount(2);
    ASSERT_TRUE(process(plan).finished);
    EXPECT_EQ(db->weatherCount(), 2);  // the first "0003" wins
    const auto macon = db->findWeather("0003");
    ASSERT_TRUE(macon);
    EXPECT_TRUE(macon->Thunder);
    EXPECT_EQ(macon->Pressure, 1009);
    EXPECT_GE(db->findWeather("0001")->t1Deg, -50);
    EXPECT_EQ(loaded.stations.count(), 3);
    EXPECT_EQ(loaded.stations[1].Name, "Macon");

    // A plan without custom weather changes nothing.
    flightplan::PlanStore none;
    EXPECT_FALSE(process(none).finished);
    EXPECT_EQ(db->weatherCount(), 2);
}

}  // namespace
