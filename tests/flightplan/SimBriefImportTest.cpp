#include <gtest/gtest.h>

#include "flightplan/PlanExchange.h"
#include "support/RealData.h"

namespace zephyra::flightplan {
namespace {

class NoWeather final : public PlanLoadHost {
    bool useCustomWeather() override { return false; }
    void processCustomWeather() override {}
};

PlanImport importOfp(PlanStore& plan, bool metres) {
    NoWeather host;
    ImportDefaults defaults;
    defaults.planInMetres = metres;
    return importPlanText(test::realData("plans/simbrief-katl-kjfk.xml"), plan, host, defaults);
}

// The hand-written OFP from Atlanta to Kennedy: its 21 fixes end with KJFK, which is the
// destination's entry, so the plan holds the origin, 20 fixes and the destination. Altitudes
// and speeds are the file's (metres under metric units); TOD and KJFK give no speed and take
// the one before, the origin the default 250.
TEST(SimBriefImport, TheNavlogBecomesThePlanAtItsAltitudesAndSpeeds) {
    struct Row {
        int index;
        const char* name;
        double lat, feet, metres, knots;
    } const rows[] = {
        {0, "KATL", 33.636667, 1026, 313, 250},    {1, "HAARY", 33.970833, 10000, 3048, 250},
        {2, "IYUYO", 34.360278, 19000, 5791, 290}, {4, "TOC", 34.797, 35000, 10668, 270},
        {16, "TOD", 38.633, 35000, 10668, 270},    {17, "ATR", 38.809722, 28000, 8534, 280},
        {20, "SOLLY", 39.950278, 9000, 2743, 240}, {21, "KJFK", 40.639444, 13, 4, 240},
    };
    for (const bool metres : {false, true}) {
        PlanStore plan;
        const auto r = importOfp(plan, metres);
        ASSERT_TRUE(r.ok) << r.message;
        EXPECT_EQ(r.format, "SimBrief OFP");
        ASSERT_EQ(plan.PlanCount, 22);
        for (const auto& row : rows) {
            SCOPED_TRACE(row.name);
            const auto i = static_cast<std::size_t>(row.index);
            EXPECT_EQ(plan.WaypLst[i], row.name);
            EXPECT_NEAR(plan.PlanLat[i], row.lat, 1e-6);
            EXPECT_EQ(plan.PlanAlt[i], metres ? row.metres : row.feet);
            EXPECT_EQ(plan.PlanSpd[i], row.knots);
        }
        EXPECT_EQ(r.notes, (std::vector<std::string>{
                               "2 fixes had no speed in the file and take the one before.",
                               "1 entry had no speed in the file and takes the plan's default "
                               "speed, 250."}));
    }
}

// Every fix gives its wind: 21 custom-weather entries, the first HAARY's 235 at 19 kt from the
// ground to its 10,000 ft, -5 C there being 14.8 C (59 F) at sea level.
TEST(SimBriefImport, TheFixWindsBecomeCustomWeatherWhenAttached) {
    PlanStore plan;
    const auto r = importOfp(plan, false);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_FALSE(plan.hasCustomWeather);
    ASSERT_EQ(r.fixWeather.size(), 21u);
    const PlanWxEntry& haary = r.fixWeather.front();
    EXPECT_EQ(haary.id, "0000HAARY");
    const std::vector<double> fields(haary.field.begin() + 1, haary.field.end());
    EXPECT_EQ(fields, (std::vector<double>{33.970833, -83.968056, 0, 0, 0, 0, 0, 0, 19, 235, 10000,
                                           100, 0, 59, 29.92}));
    EXPECT_EQ(r.fixWeather.back().id, "0020KJFK");
    attachFixWeather(plan, r.fixWeather);
    EXPECT_TRUE(plan.hasCustomWeather);
    EXPECT_EQ(plan.PlanWxCount, 20);
    EXPECT_EQ(plan.PlanWx[20].id, "0020KJFK");
}

}  // namespace
}  // namespace zephyra::flightplan
