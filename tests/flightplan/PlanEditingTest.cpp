#include <gtest/gtest.h>

#include "flightplan/FlightPlan.h"
#include "flightplan/NavaidFinder.h"
#include "support/DbRows.h"
#include "support/TempDir.h"

using namespace zephyra;
using flightplan::FlightPlan;
using flightplan::FoundNavaid;
using flightplan::GenerateButton;

namespace {

const FoundNavaid kAtlanta{"Atlanta", "A", 33.64, -84.43};
const FoundNavaid kMacon{"Macon", "V", 32.69, -83.65};
const FoundNavaid kJfk{"Kennedy", "A", 40.64, -73.78};

std::vector<std::string> names(const FlightPlan& f) {
    return f.plan.WaypLst;
}

TEST(PlanEditing, AddRecordsGenerationEndsAndTheAutoButton) {
    FlightPlan f;
    EXPECT_EQ(f.addFromPicture(kAtlanta, "Atlanta-A", "3000", "250"), GenerateButton::Disable);
    EXPECT_EQ(f.addFromPicture(kAtlanta, "Atlanta-A", "3000", "250"), GenerateButton::Unchanged);
    EXPECT_EQ(f.ends.departureName, "Atlanta");
    EXPECT_EQ(f.ends.arrivalName, "Atlanta");
    f.remove(1);
    EXPECT_EQ(f.addFromPicture(kJfk, "Kennedy-A", "3000", "250"), GenerateButton::Enable);
    EXPECT_EQ(f.ends.arrivalLat, 40.64);
    EXPECT_EQ(f.addFromPicture(kMacon, "Macon-V", "3000", "250"), GenerateButton::Disable);
    EXPECT_EQ(f.addFromPicture(kMacon, "Macon-V", "3000", "250"), GenerateButton::Disable);
    EXPECT_TRUE(f.ends.departureName.empty());  // more than two entries: names forgotten

    // Nothing found, non-numeric texts: nothing added and the lists stay in step.
    EXPECT_EQ(f.add(std::nullopt, "3000", "250"), GenerateButton::Unchanged);
    EXPECT_EQ(f.add(kMacon, "high", "250"), GenerateButton::Unchanged);
    EXPECT_EQ(f.plan.PlanCount, 4);
    EXPECT_EQ(f.plan.AltLst.size(), 4u);
}

TEST(PlanEditing, InsertDeleteModifyAndSetters) {
    FlightPlan f;
    f.add(kAtlanta, "3000", "250");
    f.add(kJfk, "9000", "0.78");
    EXPECT_FALSE(f.insert(std::nullopt, kMacon, "5000", "200"));
    ASSERT_TRUE(f.insert(0, kMacon, "5000", "200"));
    EXPECT_EQ(names(f), (std::vector<std::string>{"Macon", "Atlanta", "Kennedy"}));
    EXPECT_EQ(f.plan.PlanLat[1], 33.64);
    EXPECT_EQ(f.plan.PlanSpd[2], 0.78);

    EXPECT_FALSE(f.remove(std::nullopt));
    ASSERT_TRUE(f.remove(1));
    EXPECT_EQ(names(f), (std::vector<std::string>{"Macon", "Kennedy"}));
    EXPECT_EQ(f.plan.PlanLat[1], 40.64);

    ASSERT_TRUE(f.modify(1, kAtlanta, "Atlanta-A", "7000", "180"));
    EXPECT_EQ(names(f), (std::vector<std::string>{"Macon", "Atlanta"}));
    EXPECT_EQ(f.plan.PlanAlt[1], 7000);

    // Nothing selected: Modify, Set Altitude and Set Speed act on the active waypoint.
    EXPECT_FALSE(f.modify(std::nullopt, kJfk, "", "7000", "180"));
    ASSERT_TRUE(f.modify(std::nullopt, kJfk, "Kennedy-A", "7000.5", "0.8"));
    EXPECT_EQ(f.leg.FWAYP, "Kennedy");
    EXPECT_EQ(f.leg.CurWpAlt, 7000);
    EXPECT_EQ(f.display.SpdHold, "0.8");
    ASSERT_TRUE(f.setAltitude(std::nullopt, "4500.5"));
    EXPECT_EQ(f.leg.CurWpAlt, 4500);
    EXPECT_EQ(f.display.AltHold, "4500");
    EXPECT_FALSE(f.setSpeed(std::nullopt, "fast"));
    ASSERT_TRUE(f.setSpeed(0, "260"));
    EXPECT_EQ(f.plan.SpdLst[0], "260");
    EXPECT_EQ(f.leg.CurWpSpd, 0.8);
    ASSERT_TRUE(f.setAltitude(0, "6000"));
    EXPECT_EQ(f.plan.PlanAlt[0], 6000);

    // Send takes entry 0; clearing the active waypoint leaves the plan alone.
    ASSERT_TRUE(f.setNextWaypoint());
    EXPECT_EQ(f.leg.FWAYP, "Macon");
    EXPECT_EQ(f.leg.PrevWpName, "Kennedy");
    EXPECT_EQ(f.display.AltHold, "6000");
    EXPECT_EQ(f.display.SpdHold, "260");
    f.clearActiveWaypoint();
    EXPECT_EQ(f.leg.CurWpLat, 0.0);
    EXPECT_TRUE(f.leg.FWAYP.empty());
    EXPECT_EQ(f.plan.PlanCount, 1);
    f.clear();
    EXPECT_EQ(f.plan.PlanCount, 0);
    EXPECT_EQ(f.plan.PlanLat[0], 33.64);  // the arrays keep their values
    EXPECT_FALSE(f.setNextWaypoint());
}

TEST(PlanEditing, FullPlanRefusesToGrow) {
    FlightPlan f;
    for (int i = 0; i < flightplan::PlanStore::kCapacity; ++i) {
        f.add(kMacon, "1", "1");
    }
    EXPECT_EQ(f.add(kAtlanta, "1", "1"), GenerateButton::Unchanged);
    EXPECT_FALSE(f.insert(0, kAtlanta, "1", "1"));
    EXPECT_EQ(f.plan.PlanCount, 2001);
    EXPECT_TRUE(f.remove(2000));
    EXPECT_EQ(f.plan.PlanCount, 2000);
}

TEST(NavaidFinder, FindNextAndPositions) {
    test::TempDir dir;
    {
        auto db = weather::WeatherDb::open(dir.file("vanedb.mdb"));
        test::addWps(*db, {"Atlanta", "V", "334212", -1, "0842623", -1, "116.9", "ATL"});
        test::addWps(*db, {"Macon", "V", "324130", -1, "0833856", -1, "114.2", "MCN"});
        test::addWps(*db, {"SATLEY", "W", "334212", 0, "0842623", 0, "", ""});
    }
    flightplan::NavaidFinder finder(dir.file("vanedb.mdb"));
    EXPECT_FALSE(finder.next().has_value());  // no Find yet
    auto shown = finder.find("atl");
    EXPECT_EQ(shown.text, "Atlanta-V");
    EXPECT_TRUE(shown.nextEnabled);
    EXPECT_NEAR(finder.current()->lat, 33.703333, 1e-5);
    EXPECT_NEAR(finder.current()->lon, -84.439722, 1e-5);
    shown = *finder.next();
    EXPECT_EQ(shown.text, "SATLEY-W");
    EXPECT_NEAR(finder.current()->lat, -33.703333, 1e-5);  // NS 0: south
    EXPECT_NEAR(finder.current()->lon, 84.439722, 1e-5);
    shown = *finder.next();
    EXPECT_EQ(shown.text, "No more matches.");
    EXPECT_FALSE(shown.nextEnabled);
    EXPECT_EQ(finder.find("zzz").text, "Not Found");
    EXPECT_FALSE(finder.current().has_value());
}

}  // namespace
