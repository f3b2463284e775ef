// The stages of a whole run of the program, each alone, and the command-line tool as a whole
// process: start and exit, opening the database, reading the station table, estimating what
// reports left out, then decode and fly --weather from exec to exit (wall time of the child).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "support/RealData.h"
#include "weather/Estimates.h"
#include "weather/StationCache.h"
#include "weather/WeatherDb.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace zephyra;

const std::string kProgramDir = ZEPHYRA_PROGRAM_DIR;

// A scratch folder with a copy of the shipped database, removed afterwards.
struct Scratch {
    Scratch() {
        folder =
            (fs::temp_directory_path() / ("zephyra-process-" + std::to_string(getpid()))).string();
        fs::create_directories(folder);
        database = folder + "/vanedb.mdb";
        if (fs::exists(kProgramDir + "/vanedb.mdb")) {
            fs::copy_file(kProgramDir + "/vanedb.mdb", database,
                          fs::copy_options::overwrite_existing);
        }
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    // A copy of one of the real METAR files kept in tests/data, in the folder.
    std::string metar(const std::string& name) const {
        platform::writeFile(folder + "/" + name, test::realData("metar/" + name));
        return folder + "/" + name;
    }
    bool ready() const { return fs::exists(database); }
    std::string folder;
    std::string database;
};

// Runs zephyra-cli with its output thrown away; true when it exits with 0.
bool runCli(const std::vector<std::string>& args) {
    const std::string program = kProgramDir + "/zephyra-cli";
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return rc == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// Start and exit of the tool alone: loading its libraries, printing its usage.
void BM_ProcessStartAndExit(benchmark::State& state) {
    for (auto _ : state) {
        if (!runCli({"--help"})) {
            state.SkipWithError("zephyra-cli did not run");
            return;
        }
    }
}
BENCHMARK(BM_ProcessStartAndExit)->Unit(benchmark::kMillisecond)->UseRealTime();

// Opening the program's database for an action and closing it (its checks, schema, log).
void BM_OpenAndCloseDatabase(benchmark::State& state) {
    Scratch scratch;
    if (!scratch.ready()) {
        state.SkipWithError("the shipped database is missing");
        return;
    }
    for (auto _ : state) {
        auto db = weather::WeatherDb::open(scratch.database, nullptr, false);
        benchmark::DoNotOptimize(db.get());
    }
}
BENCHMARK(BM_OpenAndCloseDatabase)->Unit(benchmark::kMicrosecond);

// The station table read into memory, as a run's first load does (about 11,800 rows).
void BM_ReadStationTable(benchmark::State& state) {
    Scratch scratch;
    auto db = weather::WeatherDb::open(scratch.database, nullptr, false);
    if (!db) {
        state.SkipWithError("the shipped database is missing");
        return;
    }
    const std::vector<std::string> ids{"KATL", "KJFK"};
    for (auto _ : state) {
        weather::StationCache cache;
        benchmark::DoNotOptimize(cache.lookup(*db, ids));
    }
}
BENCHMARK(BM_ReadStationTable)->Unit(benchmark::kMillisecond);

// Missing elements of one report in ten estimated from neighbours among 5,000 stations spread
// over North America (a search of every pair would show here).
void BM_EstimateMissing(benchmark::State& state) {
    constexpr int kStations = 5000;
    std::vector<weather::StationRecord> stations(kStations);
    std::vector<weather::WeatherRecord> records(kStations);
    unsigned seed = 12345;
    const auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
    };
    char text[16];
    for (int i = 0; i < kStations; ++i) {
        std::snprintf(text, sizeof text, "%02d%02dN", 25 + next(25), next(60));
        stations[i].Latitude = text;
        std::snprintf(text, sizeof text, "%03d%02dW", 65 + next(60), next(60));
        stations[i].Longitude = text;
        stations[i].Altitude = next(1500);
        records[i].ID = "S" + std::to_string(i);
        records[i].t0Deg = next(30);
        records[i].Pressure = 1000 + next(30);
        records[i].Visibility = 1 + next(10);
    }
    for (auto _ : state) {
        std::vector<weather::EstimateSubject> subjects;
        for (int i = 0; i < kStations; ++i) {
            records[i].Estimated =
                i % 10 == 0 ? weather::missingElements(true, true, true) : std::string();
            subjects.push_back({&records[i], &stations[i]});
        }
        weather::estimateMissing(subjects);
        benchmark::DoNotOptimize(records[0].Estimated);
    }
}
BENCHMARK(BM_EstimateMissing)->Unit(benchmark::kMillisecond);

// `zephyra-cli decode` of the cycle file of 2022-10-23 (4,860 stations), from exec to exit:
// start, database, load, waypoint store and the checkpoint at the close.
void BM_DecodeCycleFileProcess(benchmark::State& state) {
    Scratch scratch;
    const std::string file = scratch.metar("awc_metars_2022-10-23T11Z_cycle.txt");
    if (!scratch.ready()) {
        state.SkipWithError("the shipped database is missing");
        return;
    }
    for (auto _ : state) {
        if (!runCli({"decode", "--db", scratch.database, file})) {
            state.SkipWithError("decode failed");
            return;
        }
    }
}
BENCHMARK(BM_DecodeCycleFileProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

// `zephyra-cli fly --weather` of a plan generated from KATL to KJFK, from exec to exit: the
// load into a scratch copy of the database, then the flight with its weather and random
// variation. Compare with the decode above: the flight should cost at most as much again.
void BM_FlyWithWeatherProcess(benchmark::State& state) {
    Scratch scratch;
    const std::string file = scratch.metar("awc_metars_2022-10-23T11Z.txt");
    const std::string plan = scratch.folder + "/katl-kjfk.fpl";
    if (!scratch.ready() || !runCli({"plan", "generate", "--from", "KATL", "--to", "KJFK", "--db",
                                     scratch.database, "--out", plan})) {
        state.SkipWithError("the shipped database is missing or the plan was not made");
        return;
    }
    for (auto _ : state) {
        if (!runCli({"fly", plan, "--from-airport", "KATL", "--db", scratch.database, "--weather",
                     file})) {
            state.SkipWithError("fly failed");
            return;
        }
    }
}
BENCHMARK(BM_FlyWithWeatherProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
