#include "app/splits.h"

#include <cmath>

#include "app/ghost.h"
#include "core/game.h"
#include "data/extras.h"
#include "physics/physics.h"
#include "render/hud.h"

Splits splits;

namespace {

const uint32_t kFrameMs = 16;
// Within five ball radii across the ground: near enough to be on the
// ghost's line, far enough that a wider line still counts.
const float kReachBalls = 5.0f;

float Step(const GhostPose& a, const GhostPose& b)
{
    return std::hypot(b.position[0] - a.position[0], b.position[2] - a.position[2]);
}

// The first checkpoint from `next` on within reach of (x, z), or -1.
int Reached(const Splits& s, float x, float z)
{
    for (int i = s.next; i < s.count; i++)
        if (std::hypot(x - s.points[i].x, z - s.points[i].z) <= s.reach)
            return i;
    return -1;
}

// Checkpoints at 1/5 .. 4/5 of the distance the run covered.
int SpreadAlongPath(const GhostRun& run, Checkpoint* points)
{
    float length = 0;
    for (uint32_t k = 1; k < run.frameCount; k++) length += Step(run.frames[k - 1], run.frames[k]);
    if (!(length > 0)) return 0;
    int placed = 0;
    float covered = 0;
    for (uint32_t k = 1; k < run.frameCount && placed < SPLIT_CHECKPOINTS; k++) {
        covered += Step(run.frames[k - 1], run.frames[k]);
        while (placed < SPLIT_CHECKPOINTS && covered >= length * float(placed + 1) / (SPLIT_CHECKPOINTS + 1)) {
            points[placed] = {run.frames[k].position[0], run.frames[k].position[2], 0};
            placed++;
        }
    }
    return placed;
}

// The run's own times at its checkpoints, found as a race finds them; the
// ones it skipped or never reached are dropped.
void TimeCheckpoints(const GhostRun& run, Splits* s)
{
    bool timed[SPLIT_CHECKPOINTS] = {};
    for (uint32_t k = 1; k < run.frameCount; k++) {
        int i = Reached(*s, run.frames[k].position[0], run.frames[k].position[2]);
        if (i < 0) continue;
        s->points[i].ghostMs = k * kFrameMs;
        timed[i] = true;
        s->next = i + 1;
    }
    int kept = 0;
    for (int i = 0; i < s->count; i++)
        if (timed[i]) s->points[kept++] = s->points[i];
    s->count = kept;
    s->next = 0;
}

bool GhostRaced()
{
    return extras.ghostChoice != GHOST_NONE && ghost.replay.frameCount > 0 &&
           ghost.loadedCourse == game.currentCourse;
}

}  // namespace

void PlaceCheckpoints(const GhostRun& run, float reach, Splits* out)
{
    *out = Splits{};
    out->reach = reach;
    out->count = SpreadAlongPath(run, out->points);
    TimeCheckpoints(run, out);
}

bool PassCheckpoints(Splits* s, float x, float z, uint32_t timeMs)
{
    int i = Reached(*s, x, z);
    if (i < 0) return false;
    s->deltaMs = int32_t(timeMs - s->points[i].ghostMs);
    s->shownFrames = SPLIT_SHOWN_FRAMES;
    s->next = i + 1;
    return true;
}

void FinishSplits(Splits* s, uint32_t runMs, uint32_t ghostMs)
{
    s->deltaMs = int32_t(runMs - ghostMs);
    s->finished = true;
}

void UpdateSplits(int frameState)
{
    if (frameState == STATE_INTRO) {
        PlaceCheckpoints(ghost.replay, kReachBalls * SelectedBallType().size, &splits);
        if (!GhostRaced()) splits.count = 0;
        return;
    }
    if (frameState != STATE_RACE || !GhostRaced()) return;
    if (splits.shownFrames > 0) splits.shownFrames--;
    // The frame that reached the goal still passes checkpoints, then ends the race.
    PassCheckpoints(&splits, ballMatrix.m[3][0], ballMatrix.m[3][2], loop.raceTimeMs);
    if (game.state == STATE_GOAL) FinishSplits(&splits, loop.raceTimeMs, ghost.replay.timeMs);
}

// A split stays while its two seconds of race run (a pause holds it), the
// final difference through the goal and its menu; not after a fall, not
// outside a race.
void QueueSplits()
{
    if (extras.ghostChoice == GHOST_NONE) return;
    bool atGoal = game.state == STATE_GOAL || game.state == STATE_GOAL_MENU;
    bool racing = game.state == STATE_RACE || game.state == STATE_PAUSE;
    if (atGoal ? splits.finished : racing && splits.shownFrames > 0)
        QueueSplitDelta(splits.deltaMs);
}
