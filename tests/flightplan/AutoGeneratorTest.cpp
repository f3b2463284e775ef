#include <gtest/gtest.h>

#include <random>

#include "flightplan/AutoGenerator.h"
#include "flightplan/GreatCircle.h"
#include "platform/ScriptedDialogs.h"

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

// A store with VORs, NDBs and fixes on a grid over the eastern United States.
WaypointStore gridStore() {
    WaypointStore s;
    int n = 0;
    for (double lat = 30; lat <= 44; lat += 0.7) {
        for (double lon = -90; lon <= -70; lon += 0.7) {
            const char* type = n % 3 == 0 ? "V" : (n % 3 == 1 ? "N" : "W");
            s.add(type, std::string(type) + std::to_string(n), "", lat, lon);
            ++n;
        }
    }
    return s;
}

FlightPlan departureAndArrival(double aLat, double aLon) {
    FlightPlan f;
    f.plan.append({"Atlanta", "3000", "250", 33.64, -84.43, 3000, 250});
    f.plan.append({"Arrival", "3000", "250", aLat, aLon, 3000, 250});
    f.ends = {"Atlanta", 33.64, -84.43, "Arrival", aLat, aLon};
    return f;
}

GenerationSettings vorsOnly(int dist = 100) {
    return {dist, 2, true, false, false, "9000", "250"};
}

// The generation as a plain scan with the exact course-and-distance for every candidate.
std::vector<std::string> referenceRoute(const FlightPlan& f, const WaypointStore& s,
                                        const GenerationSettings& g) {
    using flightplan::GET_GPS_DATA;
    const int step = flightplan::generationStep(g.FP_Dist);
    double lat = f.ends.departureLat, lon = f.ends.departureLon;
    const double aLat = f.ends.arrivalLat, aLon = f.ends.arrivalLon;
    double h = GET_GPS_DATA(lat, lon, aLat, aLon, 'H');
    double d = GET_GPS_DATA(lat, lon, aLat, aLon, 'D');
    std::vector<std::string> out;
    std::string last;
    while (d > step && out.size() <= 200) {
        lat += std::cos(h * 3.14 / 180) * 0.017323 * step;
        lon += std::sin(h * 3.14 / 180) * 0.01666668 * step;
        const int q = flightplan::quadrantOf(h);
        double best = 999999;
        int bi = 0;
        for (int i = 1; i <= s.WpsCount; ++i) {
            const auto k = static_cast<std::size_t>(i);
            const bool taken = (s.WpsType[k] == "V" && g.vors) ||
                               (s.WpsType[k] == "W" && g.others) || (s.WpsType[k] == "N" && g.ndbs);
            if (!taken || s.WpsName[k] == last ||
                flightplan::quadrantOf(GET_GPS_DATA(lat, lon, s.WpsLat[k], s.WpsLon[k], 'H')) !=
                    q) {
                continue;
            }
            const double e = GET_GPS_DATA(lat, lon, s.WpsLat[k], s.WpsLon[k], 'D');
            if (e < best) {
                best = e;
                bi = i;
            }
        }
        if (bi == 0) {
            return {"(failed)"};
        }
        lat = s.WpsLat[static_cast<std::size_t>(bi)];
        lon = s.WpsLon[static_cast<std::size_t>(bi)];
        h = GET_GPS_DATA(lat, lon, aLat, aLon, 'H');
        d = GET_GPS_DATA(lat, lon, aLat, aLon, 'D');
        if (d < step / 2) {
            break;
        }
        last = s.WpsName[static_cast<std::size_t>(bi)];
        out.push_back(last);
    }
    out.push_back("Arrival");
    return out;
}

TEST(AutoGenerator, StepClampsAndVorOnlyRoute) {
    EXPECT_EQ(flightplan::generationStep(10), 20);
    EXPECT_EQ(flightplan::generationStep(500), 200);
    EXPECT_EQ(flightplan::generationStep(75), 75);

    const WaypointStore store = gridStore();
    FlightPlan f = departureAndArrival(40.64, -73.78);
    ASSERT_TRUE(flightplan::generateRoute(f, store, vorsOnly()));
    ASSERT_GE(f.plan.PlanCount, 6);
    EXPECT_EQ(f.plan.WaypLst.back(), "Arrival");
    for (int i = 0; i + 1 < f.plan.PlanCount; ++i) {
        EXPECT_EQ(f.plan.WaypLst[static_cast<std::size_t>(i)][0], 'V');
        EXPECT_EQ(f.plan.AltLst[static_cast<std::size_t>(i)], "9000");
        if (i > 0) {
            EXPECT_NE(f.plan.WaypLst[static_cast<std::size_t>(i)],
                      f.plan.WaypLst[static_cast<std::size_t>(i - 1)]);
        }
    }

    // Closer than the step: the arrival alone.
    FlightPlan near = departureAndArrival(33.9, -84.43);
    ASSERT_TRUE(flightplan::generateRoute(near, store, vorsOnly()));
    EXPECT_EQ(near.plan.WaypLst, std::vector<std::string>{"Arrival"});
}

TEST(AutoGenerator, FastScanChoosesWhatAFullScanChooses) {
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> lat(-70, 70), lon(-180, 180);
    WaypointStore store;
    for (int i = 0; i < 4000; ++i) {
        store.add(i % 2 ? "V" : "N", "P" + std::to_string(i), "", lat(gen), lon(gen));
    }
    for (int trial = 0; trial < 12; ++trial) {
        FlightPlan f = departureAndArrival(lat(gen), lon(gen));
        f.ends.departureLat = f.plan.PlanLat[0] = lat(gen);
        f.ends.departureLon = f.plan.PlanLon[0] = lon(gen);
        GenerationSettings g = vorsOnly(200);
        g.ndbs = trial % 2 == 0;
        const auto expected = referenceRoute(f, store, g);
        const bool ok = flightplan::generateRoute(f, store, g);
        SCOPED_TRACE(trial);
        if (expected.back() == "Arrival" && expected.size() <= 201) {
            ASSERT_TRUE(ok);
            EXPECT_EQ(f.plan.WaypLst, expected);
        } else {
            EXPECT_FALSE(ok);
        }
    }
}

TEST(AutoGenerator, ChecksAndMessages) {
    const WaypointStore store = gridStore();
    struct Case {
        const char* what;
        int entries;
        bool names;
        int wayp;
        bool storeLoaded;
        std::vector<Answer> answers;
        GenerationResult result;
        std::string firstMessageStart;
    };
    const Case cases[] = {
        {"one entry", 1, true, 2, true, {}, GenerationResult::Refused, "Please enter both"},
        {"three entries", 3, true, 2, true, {}, GenerationResult::Refused, "Too many entries"},
        {"names forgotten", 2, false, 2, true, {}, GenerationResult::Refused, "Invalid data"},
        {"cancelled",
         2,
         true,
         2,
         true,
         {Answer::Cancel},
         GenerationResult::Cancelled,
         "We are about to create a flight plan that will depart from Atlanta and arrive at "
         "Arrival."},
        {"region None", 2, true, 3, true, {Answer::Ok}, GenerationResult::Refused, "We are about"},
        {"store stale, loaded",
         2,
         true,
         2,
         false,
         {Answer::Ok, Answer::Ok, Answer::Yes},
         GenerationResult::Created,
         "We are about"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FlightPlan f = departureAndArrival(40.64, -73.78);
        if (c.entries == 1) {
            f.plan.removeAt(1);
        } else if (c.entries == 3) {
            f.plan.append({"X", "1", "1", 1, 1, 1, 1});
        }
        if (!c.names) {
            f.ends.forgetNames();
        }
        platform::ScriptedDialogs dialogs;
        for (Answer a : c.answers) {
            dialogs.queueAnswer(a);
        }
        Host host;
        host.loaded = c.storeLoaded;
        GenerationSettings g = vorsOnly();
        g.Wayp = c.wayp;
        EXPECT_EQ(flightplan::autoGenerate(f, store, g, dialogs, host), c.result);
        ASSERT_FALSE(dialogs.messages().empty());
        EXPECT_EQ(dialogs.messages()[0].rfind(c.firstMessageStart, 0), 0u);
        EXPECT_EQ(host.loads, c.storeLoaded ? 0 : 1);
        if (c.result == GenerationResult::Created) {
            EXPECT_EQ(dialogs.lastMessage().rfind("Your flight plan has been created. Since you "
                                                  "are departing from Atlanta,",
                                                  0),
                      0u);
        }
    }

    // No candidate ahead: the generation ends with its error message rather than looping.
    WaypointStore behind;
    behind.add("V", "SOUTH", "", 20.0, -100.0);
    FlightPlan f = departureAndArrival(40.64, -73.78);
    platform::ScriptedDialogs dialogs;
    Host host;
    EXPECT_EQ(flightplan::autoGenerate(f, behind, vorsOnly(), dialogs, host),
              GenerationResult::Failed);
    EXPECT_EQ(dialogs.lastMessage(), flightplan::generation_text::kFailed);
    EXPECT_EQ(dialogs.shown().back().message.title, "Error!");
}

}  // namespace
