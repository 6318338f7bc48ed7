// How evenly the loop starts frames, and what an idle loop costs, with the
// real clock and sleeps on the null platform (nothing is drawn).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

#include "core/game.h"
#include "app/loop.h"
#include "platform/sys.h"

namespace {

double CpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double WallSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Runs the title loop for a number of frames and reports the spread of the
// gaps between frame starts and the share of one core used while idle.
void BM_IdleTitleLoop(benchmark::State& state)
{
    const int frames = int(state.range(0));
    double worstDeviation = 0, cpuShare = 0, meanGap = 0;
    for (auto _ : state) {
        game = Game{};
        loop = LoopState{};
        game.state = STATE_TITLE;
        loop.frameTime = SysMilliseconds();
        std::vector<uint32_t> starts;
        double cpu0 = CpuSeconds(), wall0 = WallSeconds();
        while (int(starts.size()) < frames) {
            uint32_t before = loop.frameTime;
            RunPass();
            if (loop.frameTime != before)
                starts.push_back(loop.frameTime);
        }
        cpuShare = (CpuSeconds() - cpu0) / (WallSeconds() - wall0);
        worstDeviation = 0;
        for (size_t i = 1; i < starts.size(); i++) {
            double gap = double(starts[i] - starts[i - 1]);
            worstDeviation = std::max(worstDeviation, std::fabs(gap - 16.0));
        }
        meanGap = double(starts.back() - starts.front()) / double(starts.size() - 1);
    }
    state.counters["worst_gap_deviation_ms"] = worstDeviation;
    state.counters["mean_gap_ms"] = meanGap;
    state.counters["cpu_share_of_core"] = cpuShare;
}
BENCHMARK(BM_IdleTitleLoop)->Arg(200)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
