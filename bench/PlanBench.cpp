// Auto-generating a plan over the shipped 50,000-waypoint store, and flying it end to end in
// virtual time.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "flightplan/AutoGenerator.h"
#include "flightplan/PlanFlight.h"
#include "flightplan/WaypointStore.h"
#include "platform/Random.h"
#include "platform/VirtualScheduler.h"
#include "simlink/BuiltInAircraft.h"
#include "weather/WeatherDb.h"

namespace {

namespace fs = std::filesystem;
using namespace zephyra;

// The shipped WPS table as a waypoint store (region All), read from a scratch copy.
const flightplan::WaypointStore& shippedStore() {
    static const flightplan::WaypointStore store = [] {
        flightplan::WaypointStore s;
        const fs::path shipped = fs::path(ZEPHYRA_PROGRAM_DIR) / "vanedb.mdb";
        if (!fs::exists(shipped)) {
            return s;
        }
        const std::string path =
            (fs::temp_directory_path() / ("zephyra-plan-" + std::to_string(getpid()) + ".mdb"))
                .string();
        fs::copy_file(shipped, path, fs::copy_options::overwrite_existing);
        {
            auto db = weather::WeatherDb::open(path, nullptr, false);
            platform::PinnedRandom rnd;
            flightplan::QuietWaypointLoadHost host;
            flightplan::loadWaypoints(*db, flightplan::kAll, weather::StationList{}, rnd, s, host);
        }
        for (const char* suffix : {"", "-wal", "-shm"}) {
            fs::remove(path + suffix);
        }
        return s;
    }();
    return store;
}

// Atlanta Hartsfield to New York Kennedy, about 660 nm great circle (760 flown).
flightplan::FlightPlan atlantaToKennedy() {
    flightplan::FlightPlan f;
    const flightplan::FoundNavaid atl{"KATL", "A", 33.6367, -84.4281};
    const flightplan::FoundNavaid jfk{"KJFK", "A", 40.6394, -73.7794};
    f.addFromPicture(atl, "KATL-A", "9000", "250");
    f.addFromPicture(jfk, "KJFK-A", "9000", "250");
    return f;
}

// Argument: 1 VORs only, 7 VORs, NDBs and named fixes (every one of the 50,000 is a candidate
// but airports). Target: 20 ms.
void BM_GeneratePlan(benchmark::State& state) {
    const auto& store = shippedStore();
    if (store.WpsCount == 0) {
        state.SkipWithError("the shipped database is missing");
        return;
    }
    const bool all = state.range(0) == 7;
    const flightplan::GenerationSettings settings{100, flightplan::kAll, true, all,
                                                  all, "9000",           "250"};
    const flightplan::FlightPlan start = atlantaToKennedy();
    int entries = 0;
    for (auto _ : state) {
        flightplan::FlightPlan f = start;
        benchmark::DoNotOptimize(flightplan::generateRoute(f, store, settings));
        entries = f.plan.PlanCount;
    }
    state.counters["store"] = store.WpsCount;
    state.counters["entries"] = entries;
}
BENCHMARK(BM_GeneratePlan)->Arg(1)->Arg(7)->Unit(benchmark::kMillisecond);

// The generated plan flown by the built-in aircraft with five-second navigation ticks and
// the autopilot, from sending it to reaching Kennedy. Target: 1 s.
void BM_FlyGeneratedPlan(benchmark::State& state) {
    const auto& store = shippedStore();
    if (store.WpsCount == 0) {
        state.SkipWithError("the shipped database is missing");
        return;
    }
    flightplan::FlightPlan planned = atlantaToKennedy();
    flightplan::generateRoute(planned, store,
                              {100, flightplan::kAll, true, false, false, "9000", "250"});
    double seconds = 0;
    for (auto _ : state) {
        flightplan::FlightPlan f = planned;
        platform::VirtualScheduler clock;
        simlink::BuiltInAircraft aircraft(clock);
        aircraft.setLogLimit(1000);
        const auto outcome = flightplan::flyPlan(f, aircraft, clock);
        if (!outcome.arrived) {
            state.SkipWithError("the flight did not arrive");
            return;
        }
        seconds = outcome.seconds;
    }
    state.counters["flown_s"] = seconds;
}
BENCHMARK(BM_FlyGeneratedPlan)->Unit(benchmark::kMillisecond);

}  // namespace
