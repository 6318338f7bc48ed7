// Saves under SIGKILL, the full run: 1000 writers of config.sav, record.sav,
// extras.sav and a ghost killed at random moments, every file checked after
// each kill, then a clean start-up of what is left. The test suite runs a
// share of it (SaveSoak.KilledWritersLeaveWholeFiles).
#include <benchmark/benchmark.h>

#include "data/course_list.h"
#include "platform/paths.h"
#include "support/save_soak.h"

namespace {

void SaveSoak(benchmark::State& state)
{
    for (auto _ : state) {
        MakeSoakGame("soak-bench");
        SoakReport report = RunSaveSoak(int(state.range(0)), 2024);
        std::string startUp = report.problem.empty() ? CheckSoakedStartUp() : "";
        FreeCourseList();
        SysUseOneFolder(nullptr);
        state.counters["kills"] = report.kills;
        state.counters["rounds"] = report.rounds;
        if (!report.problem.empty())
            state.SkipWithError(report.problem.c_str());
        else if (!startUp.empty())
            state.SkipWithError(startUp.c_str());
    }
}
BENCHMARK(SaveSoak)->Arg(1000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
