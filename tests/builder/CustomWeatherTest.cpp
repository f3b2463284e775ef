#include "builder/CustomWeather.h"

#include <gtest/gtest.h>

#include "platform/Random.h"
#include "platform/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "weather/WeatherDb.h"

using namespace zephyra;

namespace {

class RecordingHost final : public weather::LoadHost {
  public:
    std::vector<std::string> statuses;
    int randomTimer = 0;
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void processEvents() override {}
    void setRandomTimerInterval(int ms) override { randomTimer = ms; }
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
    RecordingHost host;
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
    EXPECT_EQ(host.randomTimer, 60000);
    EXPECT_EQ(host.statuses.front(), "Loaded 1 stations.");
    EXPECT_EQ(host.statuses.back(), "Processing 100 percent complete.");
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
