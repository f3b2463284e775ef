// Speed of the shell's hot paths: settings parsing and the built-in aircraft in virtual time.

#include <benchmark/benchmark.h>

#include "platform/VirtualScheduler.h"
#include "shell/ParamFile.h"
#include "simlink/BuiltInAircraft.h"

namespace {

void BM_ParseParamFile(benchmark::State& state) {
    const std::string text =
        zephyra::shell::formatParamFile(zephyra::shell::firstRunSettings("/games/FS98"));
    for (auto _ : state) {
        zephyra::shell::Settings s;
        benchmark::DoNotOptimize(zephyra::shell::parseParamText(text, s));
    }
}
BENCHMARK(BM_ParseParamFile);

// One hour of flight with the navigation tick's reads every five seconds.
void BM_BuiltInAircraftHour(benchmark::State& state) {
    for (auto _ : state) {
        zephyra::platform::VirtualScheduler scheduler;
        zephyra::simlink::BuiltInAircraft aircraft(scheduler);
        aircraft.start();
        aircraft.upd_APHead(45);
        aircraft.upd_APAlt(9000);
        aircraft.upd_APAirSpeed(250);
        auto nav = scheduler.createTimer([&] {
            benchmark::DoNotOptimize(aircraft.get_curr_lat() + aircraft.get_curr_lon() +
                                     aircraft.get_alt() + aircraft.get_TAS());
        });
        nav->setInterval(5000);
        scheduler.advance(3600);
        benchmark::DoNotOptimize(aircraft.latitude());
    }
}
BENCHMARK(BM_BuiltInAircraftHour)->Unit(benchmark::kMillisecond);

}  // namespace
