// A full weather load of a real NOAA file (decode, store, second pass, station list) and the
// waypoint store built from a full WPS table.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "delivery/BlendedSender.h"
#include "flightplan/WaypointStore.h"
#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/ScriptedDialogs.h"
#include "platform/VirtualScheduler.h"
#include "support/RealData.h"
#include "weather/NoaaProducts.h"
#include "weather/WeatherDb.h"
#include "weather/WeatherLoader.h"

namespace {

namespace fs = std::filesystem;
using namespace zephyra;

class NullHost final : public weather::LoadHost, public flightplan::QuietWaypointLoadHost {
  public:
    void setStatus(const std::string&) override {}
    void processEvents() override {}
    void setRandomTimerInterval(int) override {}
};

// A scratch copy of the shipped database, removed afterwards.
struct ScratchDb {
    ScratchDb() {
        const fs::path shipped = fs::path(ZEPHYRA_PROGRAM_DIR) / "vanedb.mdb";
        path = (fs::temp_directory_path() / ("zephyra-load-" + std::to_string(getpid()) + ".mdb"))
                   .string();
        if (fs::exists(shipped)) {
            fs::copy_file(shipped, path, fs::copy_options::overwrite_existing);
        }
        db = weather::WeatherDb::open(path);
    }
    ~ScratchDb() {
        db.reset();
        for (const char* suffix : {"", "-wal", "-shm"}) {
            fs::remove(path + suffix);
        }
    }
    std::string path;
    std::unique_ptr<weather::WeatherDb> db;
};

// Loads of the 2022 file, about 4,900 reports, into a scratch copy of the shipped database.
struct MetarFileLoad {
    MetarFileLoad() {
        const std::string reports = test::realData("metar/awc_metars_2022-10-23T11Z.txt");
        platform::writeFile(file, reports);
    }
    ~MetarFileLoad() { fs::remove(file); }
    MetarFileLoad(const MetarFileLoad&) = delete;
    MetarFileLoad& operator=(const MetarFileLoad&) = delete;

    void loadInto(weather::WeatherDb& db) {
        weather::WeatherLoader loader(db, rnd, dialogs, clock, host, loaded);
        const auto outcome = loader.loadMetar(file, false);
        benchmark::DoNotOptimize(outcome.processed);
        dialogs.clear();
    }

    const std::string file =
        (fs::temp_directory_path() / ("zephyra-load-" + std::to_string(getpid()) + ".txt"))
            .string();
    ScratchDb scratch;
    platform::DefaultRandom rnd;  // the program's own generator
    platform::ScriptedDialogs dialogs;
    platform::VirtualScheduler clock;
    NullHost host;
    weather::LoadedWeather loaded;
};

// Full load on an open database (target: 15 ms).
void BM_LoadRealMetarFile(benchmark::State& state) {
    MetarFileLoad run;
    for (auto _ : state) {
        run.loadInto(*run.scratch.db);
    }
    state.counters["stations"] = run.loaded.stations.count();
}
BENCHMARK(BM_LoadRealMetarFile)->Unit(benchmark::kMillisecond);

// NOAA's gzip CSV of the same reports into report lines: inflate, read the CSV, keep raw_text
// (the step a downloaded or picked .csv.gz adds before the load; target: 10 ms).
void BM_ReadNoaaCsvGz(benchmark::State& state) {
    std::string packed;
    if (!platform::readFile(
            std::string(ZEPHYRA_SOURCE_DIR) + "/tests/data/metar/awc_metars_2022-10-23T11Z.csv.gz",
            packed)) {
        state.SkipWithError("tests/data/metar/awc_metars_2022-10-23T11Z.csv.gz is missing");
        return;
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string text = packed;
        const bool ok = weather::toReportText(text);
        benchmark::DoNotOptimize(ok);
        bytes = text.size();
    }
    state.counters["report_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ReadNoaaCsvGz)->Unit(benchmark::kMillisecond);

// The same load as the program runs it: the database is opened for the action and closed after
// it, and closing the last connection copies the write-ahead log back into the file.
void BM_LoadRealMetarFileOpenAndClose(benchmark::State& state) {
    MetarFileLoad run;
    run.scratch.db.reset();
    for (auto _ : state) {
        auto db = weather::WeatherDb::open(run.scratch.path, nullptr, false);
        run.loadInto(*db);
    }
    state.counters["stations"] = run.loaded.stations.count();
}
BENCHMARK(BM_LoadRealMetarFileOpenAndClose)->Unit(benchmark::kMillisecond);

// The waypoint store from the shipped WPS table (up to 50,000 rows) and a loaded weather file
// (target: 50 ms).
void BM_LoadWaypointStore(benchmark::State& state) {
    ScratchDb scratch;
    if (!scratch.db->hasWaypoints()) {
        state.SkipWithError("the shipped database is missing");
        return;
    }
    platform::PinnedRandom rnd;
    const weather::StationList stations = scratch.db->stationList();
    NullHost host;
    int entries = 0;
    for (auto _ : state) {
        flightplan::WaypointStore store;
        flightplan::loadWaypoints(*scratch.db, flightplan::kAll, stations, rnd, store, host);
        entries = store.WpsCount;
    }
    state.counters["entries"] = entries;
}
BENCHMARK(BM_LoadWaypointStore)->Unit(benchmark::kMillisecond);

}  // namespace

// One step of the blended delivery with the 2022 file loaded: the stations around the aircraft
// chosen and blended, and the send moved towards it (target: 50 us).
void BM_BlendStep(benchmark::State& state) {
    MetarFileLoad run;
    run.loadInto(*run.scratch.db);
    std::vector<weather::WeatherRecord> records;
    const auto stations = delivery::storedBlendStations(*run.scratch.db, 0, 30, 21600, records);
    delivery::Blended sent = delivery::blendAt(33.64, -84.43, stations);
    double f = 0;
    for (auto _ : state) {
        f = f >= 1 ? 0 : f + 0.001;  // along KATL to KJFK
        const auto target = delivery::blendAt(33.64 + f * 7.0, -84.43 + f * 10.65, stations);
        sent = delivery::limitedStep(sent, target, 5);
        benchmark::DoNotOptimize(sent);
    }
    state.counters["stations"] = static_cast<double>(stations.size());
}
BENCHMARK(BM_BlendStep)->Unit(benchmark::kMicrosecond);
