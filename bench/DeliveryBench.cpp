// Speed of the closest-station search, which the tracking runs once a minute and the
// command-line tool on demand.

#include <benchmark/benchmark.h>

#include "delivery/StationTracker.h"
#include "platform/Random.h"

namespace {

// 10,000 stations spread over the world with names of a realistic length, so an entry is
// as large as a loaded one.
zephyra::weather::StationList worldStations(int count) {
    zephyra::platform::DefaultRandom rnd;
    rnd.seed(7);
    zephyra::weather::StationList list;
    for (int i = 0; i < count; ++i) {
        zephyra::weather::StationEntry e;
        e.ID = "K" + std::to_string(1000 + i % 9000);
        e.latitude = rnd.next() * 180.0 - 90.0;
        e.longitude = rnd.next() * 360.0 - 180.0;
        e.Name = "Municipal Airport of Station Number " + std::to_string(i);
        e.StateCode = "GA";
        e.Country = "United States of America";
        list.entries.push_back(std::move(e));
    }
    return list;
}

void BM_ClosestStation10k(benchmark::State& state) {
    const auto list = worldStations(10000);
    double lat = 33.6;
    for (auto _ : state) {
        lat = lat > 60 ? -60 : lat + 0.37;  // another position each time
        benchmark::DoNotOptimize(zephyra::delivery::findClosestStation(list, lat, -84.4));
    }
}
BENCHMARK(BM_ClosestStation10k)->Unit(benchmark::kMicrosecond);

}  // namespace
