// Split times against the ghost: four checkpoints spaced evenly along the
// path of the ghost being raced. When the ball first comes within reach of
// one, the difference from the ghost there shows beside the time panel for
// two seconds; the goal shows the final difference. No ghost, no splits.
#pragma once
#include <cstdint>

#include "data/ghost_file.h"

enum {
    SPLIT_CHECKPOINTS = 4,
    SPLIT_SHOWN_FRAMES = 125        // two seconds of 16 ms frames
};

struct Checkpoint {
    float x, z;                     // where it stands on the ghost's path
    uint32_t ghostMs;               // when the ghost first came within reach of it
};

struct Splits {
    int count;                      // checkpoints placed; 0 = no splits this race
    Checkpoint points[SPLIT_CHECKPOINTS];
    float reach;                    // how near the ball must come, world units across the ground
    int next;                       // the first checkpoint not yet reached
    int32_t deltaMs;                // the last difference: the run's time minus the ghost's
    int shownFrames;                // race frames it stays on screen; 0 = hidden
    bool finished;                  // the goal was reached: deltaMs is the final difference
};
extern Splits splits;

// The checkpoints of a run, timed the way a race times them: the run itself
// passes through them, and a checkpoint the run did not reach in order is
// left out. Also starts a new race (nothing reached, nothing shown).
void PlaceCheckpoints(const GhostRun& run, float reach, Splits* out);
// One race frame: the ball at (x, z) on race clock timeMs. True when it
// reached a checkpoint now; the checkpoints it skipped stay unreached.
bool PassCheckpoints(Splits* s, float x, float z, uint32_t timeMs);
// The goal: the final difference from a ghost that finished in ghostMs.
void FinishSplits(Splits* s, uint32_t runMs, uint32_t ghostMs);

// The loop's part: checkpoints for the raced ghost at Intro, passed and
// finished on Race frames (UpdateGhost calls it), shown while a ghost is.
void UpdateSplits(int frameState);
void QueueSplits();
