#include <gtest/gtest.h>

#include "flightplan/FlightPlan.h"
#include "flightplan/NavaidFinder.h"
#include "flightplan/PlanTable.h"
#include "simlink/BuiltInAircraft.h"
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

using Names = std::vector<std::string>;

TEST(PlanEditing, AddRecordsGenerationEndsAndTheAutoButton) {
    FlightPlan f;
    EXPECT_EQ(f.addFromPicture(kAtlanta, "Atlanta-A", "3000", "250"), GenerateButton::Disable);
    EXPECT_EQ(f.addFromPicture(kAtlanta, "Atlanta-A", "3000", "250"), GenerateButton::Unchanged);
    EXPECT_EQ(f.ends.departureName + f.ends.arrivalName, "AtlantaAtlanta");
    f.remove(1);
    EXPECT_EQ(f.addFromPicture(kJfk, "Kennedy-A", "3000", "250"), GenerateButton::Enable);
    EXPECT_EQ(f.ends.arrivalLat, 40.64);
    EXPECT_EQ(f.addFromPicture(kMacon, "Macon-V", "3000", "250"), GenerateButton::Disable);
    f.addFromPicture(kMacon, "Macon-V", "3000", "250");
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
    EXPECT_EQ(f.plan.WaypLst, (Names{"Macon", "Atlanta", "Kennedy"}));
    EXPECT_EQ(f.plan.PlanLat[1], 33.64);
    EXPECT_EQ(f.plan.PlanSpd[2], 0.78);

    EXPECT_FALSE(f.remove(std::nullopt));
    ASSERT_TRUE(f.remove(1));
    EXPECT_EQ(f.plan.WaypLst, (Names{"Macon", "Kennedy"}));
    EXPECT_EQ(f.plan.PlanLat[1], 40.64);

    ASSERT_TRUE(f.modify(1, kAtlanta, "Atlanta-A", "7000", "180"));
    EXPECT_EQ(f.plan.WaypLst, (Names{"Macon", "Atlanta"}));
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

    // Send takes entry 0; clearing the active waypoint leaves the plan alone.
    ASSERT_TRUE(f.setNextWaypoint());
    EXPECT_EQ(f.leg.FWAYP, "Macon");
    EXPECT_EQ(f.leg.PrevWpName, "Kennedy");
    EXPECT_EQ(f.display.AltHold + "/" + f.display.SpdHold, "6000/260");
    f.clearActiveWaypoint();
    EXPECT_TRUE(f.leg.FWAYP.empty());
    EXPECT_EQ(f.plan.PlanCount, 1);
    f.clear();
    EXPECT_FALSE(f.setNextWaypoint());
}

TEST(NavaidFinder, IdentifiersFirstThenNamesAndNextKeepsTheLast) {
    test::TempDir dir;
    {
        auto db = weather::WeatherDb::open(dir.file("vanedb.mdb"));
        test::addWps(*db, {"Atlantic City", "A", "392700", -1, "0743400", -1, "", "KACY"});
        test::addWps(*db, {"Atlanta", "V", "334212", -1, "0842623", -1, "116.9", "ATL"});
        test::addWps(*db, {"SATLEY", "W", "334212", 0, "0842623", 0, "", ""});
        test::addWps(*db, {"Atlanta", "N", "330613", -1, "0941127", -1, "234", "ATL"});
    }
    flightplan::NavaidFinder finder(dir.file("vanedb.mdb"));
    EXPECT_FALSE(finder.next().has_value());  // no Find yet
    auto shown = finder.find("atl");          // the two ATLs, then the names holding "atl"
    EXPECT_EQ(shown.text, "ATL (VOR) Atlanta 116.9");
    EXPECT_TRUE(shown.nextEnabled);
    EXPECT_NEAR(finder.current()->lat, 33.703333, 1e-5);
    EXPECT_NEAR(finder.current()->lon, -84.439722, 1e-5);
    Names walked{shown.text};
    for (int i = 0; i < 3; ++i) {
        walked.push_back(finder.next()->text);
    }
    EXPECT_EQ(walked, (Names{"ATL (VOR) Atlanta 116.9", "ATL (NDB) Atlanta 234",
                             "KACY (airport) Atlantic City", "(fix) SATLEY"}));
    EXPECT_NEAR(finder.current()->lat, -33.703333, 1e-5);  // NS 0: south
    shown = *finder.next();                                // past the last: the last stays
    EXPECT_EQ(shown.text, "(fix) SATLEY");
    EXPECT_FALSE(shown.nextEnabled);
    // A map click on the NDB puts it first.
    EXPECT_EQ(finder.find("ATL", std::make_pair(33.103611, -94.190833)).text,
              "ATL (NDB) Atlanta 234");
    EXPECT_EQ(finder.find("kacy").text, "KACY (airport) Atlantic City");
    EXPECT_EQ(finder.find("zzz").text, "Not Found");
    EXPECT_FALSE(finder.current().has_value());
}

TEST(NavaidFinder, CommandLineChoiceRefusesAmbiguity) {
    test::TempDir dir;
    {
        auto db = weather::WeatherDb::open(dir.file("vanedb.mdb"));
        test::addWps(
            *db, {"John F Kennedy Memorial Airport", "A", "463300", -1, "0905500", -1, "", "KASX"});
        test::addWps(*db, {"John F. Kennedy International Airport", "A", "403800", -1, "0734700",
                           -1, "", "KJFK"});
        test::addWps(*db, {"Kennedy", "V", "403800", -1, "0734600", -1, "115.9", "JFK"});
        test::addWps(*db, {"Mount Isa", "V", "204000", 0, "1392900", 0, "117.5", "MA"});
        test::addWps(*db, {"Madrid", "N", "402800", -1, "0033400", 0, "390", "MA"});
        test::addWps(*db, {"Bowling Green", "V", "370000", -1, "0862600", -1, "117.9", "BWG"});
        test::addWps(*db,
                     {"Bowling Green Warren County", "A", "365800", -1, "0862500", -1, "", "KBWG"});
        test::addWps(*db, {"Bowling Green", "A", "410000", -1, "0834000", -1, "", "1G0"});
        test::addWps(*db, {"Springfield", "A", "394500", -1, "0894000", -1, "", "SPI"});
        test::addWps(*db, {"Springfield", "V", "394500", -1, "0894000", -1, "116.3", "SPI"});
        // Paris's two large airports and a small one; Lima's stored under its old code, a
        // small airport of that identifier and a fix; O'Hare and the airport of Ord.
        test::addWps(*db, {"Charles de Gaulle", "A", "490000", -1, "0023300", 0, "", "LFPG"});
        test::addWps(*db, {"Paris-Orly", "A", "484400", -1, "0022100", 0, "", "LFPO"});
        test::addWps(*db, {"Cox Field", "A", "333800", -1, "0952700", -1, "", "KPRX"});
        test::addWps(*db, {"PARIS", "W", "210000", -1, "1580000", -1, "", "PARIS"});
        test::addWps(*db, {"Jorge Chavez Intl", "A", "120100", 0, "0770700", -1, "", "SPIM"});
        test::addWps(*db, {"Torino-Aeritalia", "A", "450500", -1, "0073600", 0, "", "LIMA"});
        test::addWps(*db, {"Chicago O'Hare", "A", "415900", -1, "0875400", -1, "", "KORD"});
        test::addWps(*db, {"Evelyn Sharp Field", "A", "413700", -1, "0985700", -1, "", "KODX"});
        const std::tuple<const char*, const char*, int> airports[] = {
            {"KJFK", "New York", 7},     {"KASX", "Ashland", 3}, {"LFPG", "Paris (Roissy)", 7},
            {"LFPO", "Paris (Orly)", 7}, {"KPRX", "Paris", 2},   {"SPIM", "Lima", 7},
            {"LIMA", "Torino", 4},       {"KORD", "Chicago", 7}, {"KODX", "Ord", 2}};
        for (const auto& [ident, city, rank] : airports) {
            test::insertRow(*db, "INSERT INTO Airports (Ident, City, Rank) VALUES (?, ?, ?)",
                            std::string(ident), std::string(city), rank);
        }
        for (const auto& [code, ident] :
             {std::pair{"SPJC", "SPIM"}, {"LIM", "SPIM"}, {"ORD", "KORD"}, {"JFK", "KJFK"}}) {
            test::insertRow(*db, "INSERT INTO AirportCodes (Code, Ident) VALUES (?, ?)",
                            std::string(code), std::string(ident));
        }
    }
    auto db = weather::WeatherDb::open(dir.file("vanedb.mdb"));
    struct Case {
        const char* text;
        std::string chosen;  // identifier taken, empty when refused
        Names candidates;    // identifiers listed when refused
    };
    const Case cases[] = {
        {"kjfk", "KJFK", {}},
        {"spi", "SPI", {}},  // shared, but exactly one is an airport
        {"MA", "", {"MA", "MA"}},
        {"Kennedy", "", {"KJFK", "KASX", "JFK"}},          // the larger airport first
        {"john f kennedy", "", {"KJFK", "KASX"}},          // punctuation aside, both hold it
        {"Paris", "", {"LFPG", "LFPO", "KPRX", "PARIS"}},  // not the fix PARIS alone
        {"Lima", "SPIM", {}},  // the city's large airport, not Turin's LIMA
        {"spjc", "SPIM", {}},  // its current ICAO code
        {"LIM", "SPIM", {}},   // its IATA code
        {"ORD", "KORD", {}},   // O'Hare's code, not the small airport of Ord
        {"John F. Kennedy International", "KJFK", {}},
        {"bowling green", "1G0", {}},  // exactly one airport's whole name
        {"Nowhere", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto choice = flightplan::chooseNavaid(*db, c.text);
        EXPECT_EQ(choice.chosen ? choice.chosen->Ident : "", c.chosen);
        Names listed;
        for (const auto& w : choice.candidates) {
            listed.push_back(w.Ident);
        }
        EXPECT_EQ(listed, c.candidates);
    }
    // The Find box ranks the same way.
    flightplan::NavaidFinder finder(dir.file("vanedb.mdb"));
    EXPECT_EQ(finder.find("Kennedy").text, "KJFK (airport) John F. Kennedy International Airport");
    EXPECT_EQ(finder.find("paris").text, "LFPG (airport) Charles de Gaulle");
    EXPECT_EQ(finder.next()->text, "LFPO (airport) Paris-Orly");
    EXPECT_EQ(finder.find("SPJC").text, "SPIM (airport) Jorge Chavez Intl");
}

// Courses are magnetic when the variation is known, and run from 0 to 360 either way (Macon to
// Nowhere heads west of north).
TEST(PlanTable, EntriesLegsTotalsAndPassedMarks) {
    flightplan::WaypointStore store;
    store.add("V", "Macon", "114.2", 32.69, -83.65, 0, 0, "MCN");
    store.add("A", "Kennedy", "", 40.64, -73.78, 0, 0, "KJFK");
    FlightPlan f;
    f.ends = {"Atlanta", 33.64, -84.43, "Kennedy", 40.64, -73.78};
    f.plan.append({"Macon", "9000", "240", 32.69, -83.65, 9000, 240});
    f.plan.append({"Nowhere", "9000", "0", 33.0, -86.0, 9000, 0});  // not in the store, no speed
    f.plan.append({"Kennedy", "9000", "0.5", 40.64, -73.78, 9000, 0.5});
    ASSERT_TRUE(f.setNextWaypoint());
    ASSERT_TRUE(f.setNextWaypoint());  // Macon passed, Nowhere active
    using State = flightplan::PlanTableRow::State;
    // Atlanta to Macon, and Macon to Nowhere, on the sphere (1 nm a minute of arc).
    const double leg1 = 69.1642, course1 = 145.2851, course2 = 279.5596;

    const auto withVariation = flightplan::planTable(f, store, 355.0);  // 5 W
    ASSERT_EQ(withVariation.rows.size(), 3u);
    EXPECT_TRUE(withVariation.magnetic);
    const auto& macon = withVariation.rows[0];
    EXPECT_EQ(macon.state, State::Passed);
    EXPECT_EQ(macon.ident + "|" + macon.type + "|" + macon.frequency, "MCN|VOR|114.2");
    EXPECT_NEAR(*macon.course, course1 + 5, 1e-4);
    EXPECT_NEAR(*macon.legNm, leg1, 1e-4);
    EXPECT_NEAR(*macon.totalHours, leg1 / 273.24, 1e-5);  // 240 kt indicated at 9,000 ft
    const auto& nowhere = withVariation.rows[1];
    EXPECT_NEAR(*nowhere.course, course2 + 5, 1e-4);
    EXPECT_EQ(nowhere.state, State::Active);
    EXPECT_EQ(nowhere.ident + nowhere.type, "");
    EXPECT_FALSE(nowhere.legHours.has_value());  // no speed: no time from here on
    EXPECT_FALSE(nowhere.totalHours.has_value());
    const auto& kennedy = withVariation.rows[2];
    EXPECT_EQ(kennedy.state, State::Planned);
    EXPECT_EQ(kennedy.type, "airport");
    EXPECT_NEAR(*kennedy.legHours,
                *kennedy.legNm / (0.5 * simlink::BuiltInAircraft::speedOfSoundKt(9000)), 1e-9);
    EXPECT_NEAR(withVariation.totalNm, leg1 + *nowhere.legNm + *kennedy.legNm, 1e-4);
    EXPECT_NEAR(kennedy.totalNm, withVariation.totalNm, 1e-9);
    EXPECT_FALSE(withVariation.totalHours.has_value());

    const auto trueCourses = flightplan::planTable(f, store, std::nullopt);
    EXPECT_FALSE(trueCourses.magnetic);
    EXPECT_NEAR(*trueCourses.rows[0].course, course1, 1e-4);
    EXPECT_NEAR(*trueCourses.rows[1].course, course2, 1e-4);
    EXPECT_EQ(flightplan::hoursText(1.09), "1:05");
    f.clear();
    EXPECT_TRUE(f.passed.empty());
}

}  // namespace
