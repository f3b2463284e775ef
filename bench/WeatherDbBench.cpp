// Database speed: a full load writes every station's record and rebuilds the station list.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "weather/WeatherDb.h"

namespace {

using zephyra::weather::Statement;
using zephyra::weather::WeatherDb;
using zephyra::weather::WeatherRecord;

std::string stationId(int i) {
    char id[8];
    std::snprintf(id, sizeof id, "K%03d", i % 1000);
    id[0] = static_cast<char>('A' + i / 1000);
    return id;
}

struct BenchDb {
    BenchDb() {
        path = (std::filesystem::temp_directory_path() /
                ("zephyra-bench-" + std::to_string(getpid()) + ".mdb"))
                   .string();
        std::filesystem::remove(path);
        db = WeatherDb::open(path);
        auto tx = db->transaction();
        Statement st(db->handle(),
                     "INSERT INTO Stations (ID, Name, Latitude, Longitude, Altitude, "
                     "\"State Code\", Country) VALUES (?, ?, '3338N', '08426W', 313, 'GA', "
                     "'United States')");
        for (int i = 0; i < 10000; ++i) {
            st.bind(1, stationId(i));
            st.bind(2, "Station " + std::to_string(i));
            st.step();
            st.reset();
        }
        tx->commit();
    }
    ~BenchDb() {
        db.reset();
        std::filesystem::remove(path);
        std::filesystem::remove(path + "-wal");
        std::filesystem::remove(path + "-shm");
    }
    std::string path;
    std::unique_ptr<WeatherDb> db;
};

std::vector<WeatherRecord> tenThousandRecords() {
    std::vector<WeatherRecord> records(10000);
    for (int i = 0; i < 10000; ++i) {
        records[static_cast<std::size_t>(i)].ID = stationId(i);
        records[static_cast<std::size_t>(i)].Observation = "METAR";
        records[static_cast<std::size_t>(i)].Visibility = 10;
        records[static_cast<std::size_t>(i)].Pressure = 1013;
        records[static_cast<std::size_t>(i)].t0Deg = i % 40;
    }
    return records;
}

// Writing 10,000 records the way a load does (one transaction, batched statements) and
// building the station list (target: 30 ms).
void BM_WriteTenThousandAndBuildStationList(benchmark::State& state) {
    BenchDb bench;
    const auto records = tenThousandRecords();
    std::vector<const WeatherRecord*> batch;
    for (const auto& r : records) {
        batch.push_back(&r);
    }
    for (auto _ : state) {
        auto tx = bench.db->transaction();
        bench.db->replaceWeather(batch);
        tx->commit();
        auto list = bench.db->stationList();
        benchmark::DoNotOptimize(list.count());
    }
}
BENCHMARK(BM_WriteTenThousandAndBuildStationList)->Unit(benchmark::kMillisecond);

// The same with one statement per record and replacement of duplicates, as a file of
// repeated reports would need without the in-memory merge.
void BM_WriteTenThousandOneByOne(benchmark::State& state) {
    BenchDb bench;
    const auto records = tenThousandRecords();
    for (auto _ : state) {
        auto tx = bench.db->transaction();
        bench.db->emptyWeather();
        for (const auto& r : records) {
            bench.db->addOrReplaceWeather(r);
        }
        tx->commit();
        benchmark::DoNotOptimize(bench.db->stationList().count());
    }
}
BENCHMARK(BM_WriteTenThousandOneByOne)->Unit(benchmark::kMillisecond);

}  // namespace
