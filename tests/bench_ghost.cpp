// What the ghost costs per frame: recording the ball's pose in a Race frame
// and finding the replay's pose for drawing. Neither allocates.
#include <benchmark/benchmark.h>

#include "core/game.h"
#include "app/ghost.h"
#include "physics/physics.h"

namespace {

void SetUpRun()
{
    InitGhost();
    game.currentCourse = 0;
    ghost.loadedCourse = 0;
    ghost.replay.course = 0;
    ghost.replay.frameCount = GHOST_MAX_FRAMES;
    MatrixRotationYawPitchRoll(&ballMatrix, 0.3f, 0.2f, 0.1f);
    ballMatrix.m[3][0] = 12.0f;
}

void BM_GhostRecordFrame(benchmark::State& state)
{
    SetUpRun();
    loop.raceTimeMs = 0;
    for (auto _ : state) {
        UpdateGhost(STATE_RACE);    // records the pose at the race clock
        loop.raceTimeMs = (loop.raceTimeMs + 16) % (16 * 30000);
    }
    FreeGhost();
}
BENCHMARK(BM_GhostRecordFrame);

void BM_GhostReplayFrame(benchmark::State& state)
{
    SetUpRun();
    Matrix m;
    for (auto _ : state) {
        loop.raceTimeMs = (loop.raceTimeMs + 16) % (16 * 30000);
        benchmark::DoNotOptimize(GhostMatrixNow(&m));
    }
    FreeGhost();
}
BENCHMARK(BM_GhostReplayFrame);

}  // namespace
