// An hour of play: the autopilot races every shipped course in turn through
// the real loop on the null platform for 225,000 logic steps (an hour of
// game time, nothing slept), lap after lap. Reports how far the resident
// memory and the heap rose above where the first lap left them, and skips
// with the reason when they rose over 1 MiB, when a course kept device
// objects, or when the play stopped. test_long_play plays two laps of it.
#include <benchmark/benchmark.h>

#include "support/long_play.h"

namespace {

const uint32_t kHourOfSteps = 3600 * 1000 / 16;

void HourOfPlay(benchmark::State& state)
{
    for (auto _ : state) {
        LongPlayReport report = PlayLong(KESTRUNE_GAME_DIR, 2, kHourOfSteps);
        state.counters["laps"] = report.laps;
        state.counters["races"] = report.races;
        state.counters["unfinished"] = report.unfinished;
        state.counters["game_minutes"] = report.steps * 16.0 / 60000.0;
        state.counters["first_lap_kib"] = double(report.firstLapKiB);
        state.counters["growth_kib"] = double(report.growthKiB);
        state.counters["heap_growth_kib"] = double(report.heapGrowthKiB);
        state.counters["live_objects"] = report.liveAtStart;
        if (!report.problem.empty())
            state.SkipWithError(report.problem.c_str());
        else if (!report.liveChanges.empty())
            state.SkipWithError(("device objects kept: " + report.liveChanges.front()).c_str());
        else if (report.growthKiB > 1024 || report.heapGrowthKiB > 1024)
            state.SkipWithError("memory grew by more than 1 MiB after the first lap");
    }
}
BENCHMARK(HourOfPlay)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
