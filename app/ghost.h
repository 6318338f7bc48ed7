// The ghost ball: every run is recorded frame by frame (the ball, and the
// obstacles that can move), the run that sets a course's best time is kept
// as that course's ghost, and a ghost replays beside the player with the
// race clock: the player's best, or the course's par run until there is one
// (the extras choose). It is only ever drawn: it never touches the physics
// or the timing of the player's run.
#pragma once
#include <cstdint>

#include "core/xmath.h"
#include "data/ghost_file.h"

struct Ghost {
    GhostRun replay;         // the run raced against; frameCount 0 = none
    GhostRun recording;      // the run under way
    int loadedCourse;        // course whose ghost replay reflects; -1 none
    int loadedChoice;        // the GhostChoice replay was loaded for
    bool replayIsPar;        // replay is the course's par run, not the player's
    bool overflowed;         // the run outlasted the buffer: it keeps no ghost
    bool keepRun;            // the run set a new best time: keep it once recorded
};
extern Ghost ghost;

void InitGhost();            // both frame buffers, once at start-up
void FreeGhost();

// Called by the loop after each frame's state logic with the state the frame
// ran in: loads the course's ghost in Intro, records in Countdown, Race and
// Miss, and keeps the run once its last frame is recorded when the goal said so.
void UpdateGhost(int frameState);
// The course was read again (its file saved under way): its ghost is loaded
// again, as the course's hash decides, and the run under way is dropped.
void ReloadCourseGhost();
// The goal: this run set a new best time, so it becomes the course's ghost.
void KeepGhostRun();
// A new run (the intro, or a quick retry): the run under way is dropped and
// a new one is recorded from the countdown, the splits start over, and the
// replay starts again with the race clock.
void RestartGhostRun();
// Makes replay the ghost raced on the current course under the extras'
// choice, reading it when the course or the choice changed since.
void LoadRacedGhost();

// The replay's world matrix (rotation and position, unscaled) at the race
// clock; false when there is nothing to show.
bool GhostMatrixNow(Matrix* out);
// The same, and false also while the player hides the ghost (F9) or the game
// is outside the race: what the scene and the course map draw.
bool GhostPoseShown(Matrix* out);
// The replay's frame for race clock `timeMs` (its last after its end).
uint32_t GhostFrameAt(uint32_t timeMs);
