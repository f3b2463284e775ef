#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>

#include "flightplan/AutoGenerator.h"
#include "flightplan/GreatCircle.h"
#include "platform/Random.h"
#include "platform/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "weather/WeatherDb.h"

using namespace zephyra;
using flightplan::FlightPlan;
using flightplan::GenerationResult;
using flightplan::GenerationSettings;
using flightplan::WaypointStore;
using platform::Answer;

namespace {

class Host final : public flightplan::GenerationHost {
  public:
    bool loaded = true;
    int loads = 0;
    bool waypointsLoaded() override { return loaded; }
    void loadWaypoints() override {
        ++loads;
        loaded = true;
    }
    void processEvents() override {}
    void setBusy(bool) override {}
};

// A plan of two entries, "Atlanta" (wherever it is) and "Arrival".
FlightPlan departureAndArrival(double aLat, double aLon, double dLat = 33.64,
                               double dLon = -84.43) {
    FlightPlan f;
    f.plan.append({"Atlanta", "3000", "250", dLat, dLon, 3000, 250});
    f.plan.append({"Arrival", "3000", "250", aLat, aLon, 3000, 250});
    f.ends = {"Atlanta", dLat, dLon, "Arrival", aLat, aLon};
    return f;
}

GenerationSettings vorsOnly(int dist = 100) {
    return {dist, 2, true, false, false, "9000", "250"};
}

double nm(double lat1, double lon1, double lat2, double lon2) {
    return flightplan::sphericalCourseDistance(lat1, lon1, lat2, lon2).distance;
}

// Length of the generated route from the departure through every entry.
double routeLength(const FlightPlan& f) {
    double total = 0;
    double lat = f.ends.departureLat, lon = f.ends.departureLon;
    for (int i = 0; i < f.plan.PlanCount; ++i) {
        const auto r = f.plan.row(i);
        total += nm(lat, lon, r.lat, r.lon);
        lat = r.lat;
        lon = r.lon;
    }
    return total;
}

// Waypoints every `spacing` degrees over a box (longitudes may pass 180), of the `types` in turn.
void addGrid(WaypointStore& s, double lat0, double lat1, double lon0, double lon1, double spacing,
             const std::string& types = "V") {
    for (double lat = lat0; lat <= lat1 + 1e-9; lat += spacing) {
        for (double lon = lon0; lon <= lon1 + 1e-9; lon += spacing) {
            const std::string type(1, types[static_cast<std::size_t>(s.WpsCount) % types.size()]);
            s.add(type, type + std::to_string(s.WpsCount), "", lat, lon > 180 ? lon - 360 : lon);
        }
    }
}

TEST(AutoGenerator, StepClampsAndVorOnlyRoute) {
    EXPECT_EQ(flightplan::generationStep(10), 20);
    EXPECT_EQ(flightplan::generationStep(500), 200);
    EXPECT_EQ(flightplan::generationStep(75), 75);

    WaypointStore store;
    addGrid(store, 30, 44, -90, -70, 0.7, "VNW");  // VORs, NDBs and fixes
    FlightPlan f = departureAndArrival(40.64, -73.78);
    ASSERT_TRUE(flightplan::generateRoute(f, store, vorsOnly()));
    ASSERT_GE(f.plan.PlanCount, 6);
    EXPECT_EQ(f.plan.WaypLst.back(), "Arrival");
    const auto& names = f.plan.WaypLst;
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        EXPECT_EQ(names[i][0], 'V');
        EXPECT_EQ(f.plan.AltLst[i], "9000");
        EXPECT_TRUE(i == 0 || names[i] != names[i - 1]) << names[i];
    }
}

// From 0 N 0 E to 0 N 10 E with one VOR at 1 E, off the track: 1.15 times the direct distance
// is taken, 1.25 times is not.
TEST(AutoGenerator, ADetourIsTakenOnlyWithinOneFifthMoreThanDirect) {
    for (const auto& [off, taken] : {std::pair{2.0, true}, std::pair{2.9, false}}) {
        WaypointStore store;
        store.add("V", "VOR", "", off, 1.0);
        FlightPlan f = departureAndArrival(0, 10, 0, 0);
        ASSERT_TRUE(flightplan::generateRoute(f, store, vorsOnly()));
        EXPECT_EQ(f.plan.PlanCount, taken ? 2 : 1) << off;
    }
}

// One-entry plans say they go direct, however they came about; the arrival's entry is 1,500 ft
// above the arrival airport (in metres with UOM "M") when its elevation is known.
TEST(AutoGenerator, OneEntryPlansSayDirectAndTheArrivalEntryIsLow) {
    struct Case {
        const char* what;
        double aLat;                      // arrival at aLat N 0 E, departure at 0 N 0 E
        std::vector<double> vorLats;      // VORs at 0 E
        std::optional<double> elevation;  // arrival airport, feet
        bool metric;
        int entries;
        std::string lastAlt, note;
    };
    const std::string direct = "No waypoint lies on the way: the plan goes direct to the arrival.";
    const Case cases[] = {
        {"closer than the spacing", 1.0, {0.5}, 13.0, false, 1, "1513", direct},
        {"the only VOR lies near the arrival", 2.0, {1.6}, 1000.0, false, 1, "2500", direct},
        {"metric", 2.0, {1.6}, 1000.0, true, 1, "762", direct},  // 2,500 ft is 762 m
        {"no elevation known", 2.0, {}, std::nullopt, false, 1, "9000", direct},
        {"a VOR on the way", 3.0, {1.5}, 597.0, false, 2, "2097", ""},
        // 3,690 nm over the sea: the leg between the two VORs is noted.
        {"a long leg",
         61.5,
         {1.5, 60.0},
         0.0,
         false,
         3,
         "1500",
         "The longest leg, 3510 nm from VOR1 to VOR2, crosses a stretch without waypoints."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WaypointStore store;
        for (const double lat : c.vorLats) {
            store.add("V", "VOR" + std::to_string(store.WpsCount + 1), "", lat, 0.0);
        }
        FlightPlan f = departureAndArrival(c.aLat, 0.0, 0.0, 0.0);
        f.ends.arrivalElevationFt = c.elevation;
        GenerationSettings g = vorsOnly();
        g.metric = c.metric;
        flightplan::GenerationReport report;
        ASSERT_TRUE(flightplan::generateRoute(f, store, g, {}, &report));
        ASSERT_EQ(f.plan.PlanCount, c.entries);
        EXPECT_EQ(f.plan.AltLst.back(), c.lastAlt);
        EXPECT_EQ(f.plan.PlanAlt[static_cast<std::size_t>(c.entries - 1)], std::stod(c.lastAlt));
        EXPECT_EQ(f.plan.AltLst.front(), c.entries > 1 ? "9000" : c.lastAlt);
        EXPECT_EQ(flightplan::generationNote(report), c.note);
    }
}

// Long routes over the shipped database keep their legs near the spacing to the end: the
// fifth of extra length is spent as the route advances, not all in its first part.
TEST(AutoGenerator, LongRoutesOfTheShippedDatabaseEndNearTheSpacing) {
    const std::string shipped = std::string(ZEPHYRA_PROGRAM_DIR) + "/vanedb.mdb";
    if (!std::filesystem::exists(shipped)) {
        GTEST_SKIP() << "no database at " << shipped;
    }
    test::TempDir dir;
    std::filesystem::copy_file(shipped, dir.file("vanedb.mdb"));
    auto db = weather::WeatherDb::open(dir.file("vanedb.mdb"), nullptr, false);
    ASSERT_TRUE(db);
    WaypointStore store;
    flightplan::QuietWaypointLoadHost host;
    platform::DefaultRandom random;
    ASSERT_EQ(flightplan::loadWaypoints(*db, flightplan::kAll, weather::StationList{}, random,
                                        store, host),
              flightplan::WaypointLoadResult::Loaded);
    struct Case {
        const char *from, *to;
        int dist;
        double longestLeg, lastLeg;  // nm, at most
    };
    // Before, EGLL-YSSY flew its last 972 nm direct, EDDF-VHHH a 748 nm leg and OMDB-ZBAA 427.
    const Case cases[] = {
        {"EGLL", "YSSY", 20, 300, 40},
        {"EDDF", "VHHH", 20, 550, 40},
        {"OMDB", "ZBAA", 30, 350, 60},
        {"KSEA", "KMIA", 100, 200, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + "-" + c.to);
        const auto dep = db->findWpsByIdent(c.from);
        const auto arr = db->findWpsByIdent(c.to);
        ASSERT_TRUE(dep && arr);
        FlightPlan f = departureAndArrival(arr->latitudeDegrees(), arr->longitudeDegrees(),
                                           dep->latitudeDegrees(), dep->longitudeDegrees());
        ASSERT_TRUE(
            flightplan::generateRoute(f, store, {c.dist, 2, true, true, true, "9000", "250"}));
        const double direct = nm(dep->latitudeDegrees(), dep->longitudeDegrees(),
                                 arr->latitudeDegrees(), arr->longitudeDegrees());
        EXPECT_LE(routeLength(f), 1.2 * direct);
        double longest = 0, lat = f.ends.departureLat, lon = f.ends.departureLon, leg = 0;
        for (int i = 0; i < f.plan.PlanCount; ++i) {
            const auto r = f.plan.row(i);
            leg = nm(lat, lon, r.lat, r.lon);
            longest = std::max(longest, leg);
            lat = r.lat;
            lon = r.lon;
        }
        EXPECT_LE(longest, c.longestLeg);
        EXPECT_LE(leg, c.lastLeg);
    }
}

// Awkward pairs: within a ratio of the direct distance and a range of waypoint counts.
TEST(AutoGenerator, AwkwardPairsGoNearlyDirect) {
    struct Case {
        const char* what;
        double dLat, dLon, aLat, aLon;
        std::function<void(WaypointStore&)> fill;
        double maxRatio;
        int minWaypoints, maxWaypoints;
        bool direct;  // went direct because nothing qualified
    };
    const Case cases[] = {
        {"short hop", 33.6, -84.4, 34.5, -84.4,
         [](WaypointStore& s) { addGrid(s, 30, 40, -90, -80, 0.5); }, 1.0001, 0, 0, true},
        {"detour bait behind and aside", 30.0, -90.0, 30.0, -80.0,
         [](WaypointStore& s) {
             s.add("V", "BEHIND", "", 29.0, -91.0);  // the old rule's favourite: same quadrant
             s.add("V", "ASIDE", "", 25.0, -87.0);   // far off the great circle
             s.add("V", "PAST", "", 30.3, -78.5);    // beyond the arrival
             s.add("V", "ONWAY1", "", 30.3, -88.2);
             s.add("V", "ONWAY2", "", 30.5, -86.0);
             s.add("V", "ONWAY3", "", 30.2, -84.1);
             s.add("V", "ONWAY4", "", 30.1, -82.0);
         },
         1.02, 4, 4, true},
        {"nothing ahead", 30.0, -90.0, 30.0, -80.0,
         [](WaypointStore& s) { s.add("V", "SOUTH", "", 20.0, -100.0); }, 1.0001, 0, 0, true},
        {"over the pole", 85.0, 0.0, 85.0, 180.0,
         [](WaypointStore& s) { addGrid(s, 80, 89.5, -180, 179, 2); }, 1.3, 1, 8, false},
        {"across the date line", 10.0, 175.0, 10.0, -175.0,
         [](WaypointStore& s) { addGrid(s, 5, 15, 170, 190, 0.7); }, 1.1, 3, 8, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WaypointStore store;
        c.fill(store);
        FlightPlan f = departureAndArrival(c.aLat, c.aLon, c.dLat, c.dLon);
        flightplan::GenerationReport report;
        ASSERT_TRUE(flightplan::generateRoute(f, store, vorsOnly(), {}, &report));
        EXPECT_EQ(f.plan.WaypLst.back(), "Arrival");
        EXPECT_EQ(report.waypoints, f.plan.PlanCount - 1);
        EXPECT_GE(report.waypoints, c.minWaypoints);
        EXPECT_LE(report.waypoints, c.maxWaypoints);
        EXPECT_EQ(report.direct, c.direct);
        EXPECT_LE(routeLength(f), c.maxRatio * nm(c.dLat, c.dLon, c.aLat, c.aLon));
        for (const auto& name : f.plan.WaypLst) {
            EXPECT_EQ(name.find("BEHIND") + name.find("ASIDE") + name.find("PAST"),
                      3 * std::string::npos)
                << name;
        }
    }
}

// 400 airport pairs 100 to 1,500 nm apart over the shipped database's VORs.
TEST(AutoGenerator, RandomAirportPairsOfTheShippedDatabase) {
    const std::string shipped = std::string(ZEPHYRA_PROGRAM_DIR) + "/vanedb.mdb";
    if (!std::filesystem::exists(shipped)) {
        GTEST_SKIP() << "no database at " << shipped;
    }
    test::TempDir dir;
    std::filesystem::copy_file(shipped, dir.file("vanedb.mdb"));
    auto db = weather::WeatherDb::open(dir.file("vanedb.mdb"), nullptr, false);
    ASSERT_TRUE(db);
    struct Airport {
        double lat, lon;
    };
    std::vector<Airport> airports;
    WaypointStore store;
    db->forEachWps([&](weather::WpsRecord& w) {
        if (w.Type == "V") {
            store.add("V", w.Name, w.Frequency, w.latitudeDegrees(), w.longitudeDegrees());
        } else if (w.Type == "A" && w.Ident.size() == 4 &&
                   std::all_of(w.Ident.begin(), w.Ident.end(),
                               [](char ch) { return ch >= 'A' && ch <= 'Z'; })) {
            airports.push_back({w.latitudeDegrees(), w.longitudeDegrees()});
        }
        return true;
    });
    ASSERT_GT(airports.size(), 1000u);
    std::mt19937 gen(20);
    std::uniform_int_distribution<std::size_t> pick(0, airports.size() - 1);
    std::vector<double> ratios;
    int longPairs = 0, longWithVor = 0;
    while (ratios.size() < 400) {
        const Airport a = airports[pick(gen)], b = airports[pick(gen)];
        const double direct = nm(a.lat, a.lon, b.lat, b.lon);
        if (direct < 100 || direct > 1500) {
            continue;
        }
        FlightPlan f = departureAndArrival(b.lat, b.lon, a.lat, a.lon);
        ASSERT_TRUE(flightplan::generateRoute(f, store, vorsOnly(100)));
        const double ratio = routeLength(f) / direct;
        EXPECT_LE(ratio, 1.3) << a.lat << " " << a.lon << " to " << b.lat << " " << b.lon;
        ratios.push_back(ratio);
        if (direct >= 300) {
            ++longPairs;
            longWithVor += f.plan.PlanCount > 1 ? 1 : 0;
        }
    }
    std::sort(ratios.begin(), ratios.end());
    const double median = ratios[ratios.size() / 2];
    EXPECT_LE(median, 1.10);
    EXPECT_GE(longWithVor, 0.85 * longPairs);
}

TEST(AutoGenerator, ChecksAndMessages) {
    using enum Answer;
    using enum GenerationResult;
    WaypointStore grid, behind;
    addGrid(grid, 30, 44, -90, -70, 0.7, "VNW");
    behind.add("V", "SOUTH", "", 20.0, -100.0);
    const std::string about =
        "We are about to create a flight plan that will depart from Atlanta and arrive at Arrival.";
    // Checks the result and the first message; gives the last message.
    auto generate = [&](FlightPlan f, std::vector<Answer> answers, GenerationResult result,
                        const std::string& first, int wayp = 2, bool loaded = true,
                        const WaypointStore* store = nullptr) {
        platform::ScriptedDialogs dialogs;
        for (Answer a : answers) {
            dialogs.queueAnswer(a);
        }
        Host host;
        host.loaded = loaded;
        GenerationSettings g = vorsOnly();
        g.Wayp = wayp;
        EXPECT_EQ(flightplan::autoGenerate(f, store ? *store : grid, g, dialogs, host), result);
        EXPECT_EQ(dialogs.messages().at(0).rfind(first, 0), 0u) << first;
        EXPECT_EQ(host.loads, loaded ? 0 : 1);
        return dialogs.lastMessage();
    };
    const FlightPlan two = departureAndArrival(40.64, -73.78);
    FlightPlan one = two, three = two, nameless = two;
    one.plan.removeAt(1);
    three.plan.append({"X", "1", "1", 1, 1, 1, 1});
    nameless.ends.forgetNames();
    generate(one, {}, Refused, "Please enter both");
    generate(three, {}, Refused, "Too many entries");
    generate(nameless, {}, Refused, "Invalid data");
    generate(two, {Cancel}, Cancelled, about);
    generate(two, {Ok}, Refused, about, 3);  // region None
    const std::string created =
        "Your flight plan has been created. Since you are departing from "
        "Atlanta,";
    EXPECT_EQ(generate(two, {Ok, Ok, Yes}, Created, about, 2, false).rfind(created, 0), 0u);
    // No candidate ahead: the plan goes direct, and the message says so.
    const auto direct = generate(two, {}, Created, about, 2, true, &behind);
    EXPECT_NE(direct.find(flightplan::directText(0)), std::string::npos);
}

// From 0 N 0 E to 0 N 10 E with one VOR at 5 E, 2.8 or 3.2 degrees off the track: either detour
// stays within one fifth more than direct, but only the first lies within the corridor of 30%
// of the remaining distance (3 degrees here).
TEST(AutoGenerator, AWaypointOutsideTheCorridorIsNotTaken) {
    for (const auto& [off, taken] : {std::pair{2.8, true}, std::pair{3.2, false}}) {
        WaypointStore store;
        store.add("V", "VOR", "", off, 5.0);
        FlightPlan f = departureAndArrival(0, 10, 0, 0);
        ASSERT_TRUE(flightplan::generateRoute(f, store, vorsOnly()));
        EXPECT_EQ(f.plan.PlanCount, taken ? 2 : 1) << off;
    }
}

}  // namespace
