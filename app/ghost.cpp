#include "app/ghost.h"

#include <cstdlib>

#include "core/game.h"
#include "data/course_list.h"
#include "data/extras.h"
#include "physics/physics.h"

Ghost ghost = {{}, {}, -1, false, false};

namespace {

const uint32_t kFrameMs = 16;

bool RacePhase(int state)
{
    return state == STATE_COUNTDOWN || state == STATE_RACE || state == STATE_MISS;
}

void LoadCourseGhost()
{
    int course = game.currentCourse;
    ghost.replay.frameCount = 0;
    ghost.loadedCourse = course;
    LoadGhostFile(course, CourseHash(course), &ghost.replay);
}

// The recorded frame k is the ball at race clock 16 k ms; the countdown
// keeps rewriting frame 0, the ball waiting at the start.
void RecordFrame()
{
    uint32_t index = loop.raceTimeMs / kFrameMs;
    if (index >= GHOST_MAX_FRAMES) {
        ghost.overflowed = true;
        return;
    }
    PoseFromMatrix(ballMatrix, &ghost.recording.frames[index]);
    ghost.recording.frameCount = index + 1;
}

// The run that set a new best time becomes the ghost, on disk and on screen,
// when it was recorded whole.
void KeepRecordRun()
{
    int course = game.currentCourse;
    bool whole = !ghost.overflowed && ghost.recording.frameCount == loop.raceTimeMs / kFrameMs + 1;
    if (course < 0 || course >= courseList.courseCount || !whole) return;
    ghost.recording.course = course;
    ghost.recording.courseHash = CourseHash(course);
    ghost.recording.timeMs = loop.raceTimeMs;
    SaveGhostFile(ghost.recording);
    GhostRun kept = ghost.replay;
    ghost.replay = ghost.recording;
    ghost.recording = kept;        // the old replay's buffer records the next run
    ghost.recording.frameCount = 0;
    ghost.loadedCourse = course;
}

}  // namespace

void InitGhost()
{
    size_t bytes = sizeof(GhostPose) * GHOST_MAX_FRAMES;
    if (!ghost.replay.frames) ghost.replay.frames = static_cast<GhostPose*>(calloc(1, bytes));
    if (!ghost.recording.frames) ghost.recording.frames = static_cast<GhostPose*>(calloc(1, bytes));
    ghost.replay.frameCount = ghost.recording.frameCount = 0;
    ghost.loadedCourse = -1;
}

void FreeGhost()
{
    free(ghost.replay.frames);
    free(ghost.recording.frames);
    ghost = Ghost{{}, {}, -1, false, false};
}

void ReloadCourseGhost()
{
    if (!ghost.replay.frames || !ghost.recording.frames) return;
    ghost.recording.frameCount = 0;
    ghost.overflowed = false;
    ghost.keepRun = false;
    LoadCourseGhost();
}

void KeepGhostRun()
{
    ghost.keepRun = true;
}

void UpdateGhost(int frameState)
{
    if (!ghost.replay.frames || !ghost.recording.frames) return;   // no memory: no ghost
    if (frameState == STATE_INTRO) {
        ghost.recording.frameCount = 0;
        ghost.overflowed = false;
        ghost.keepRun = false;
        if (ghost.loadedCourse != game.currentCourse) LoadCourseGhost();
        return;
    }
    if (!RacePhase(frameState)) return;
    RecordFrame();
    if (ghost.keepRun) {
        ghost.keepRun = false;
        KeepRecordRun();
    }
}

bool GhostMatrixNow(Matrix* out)
{
    const GhostRun& run = ghost.replay;
    if (run.frameCount == 0 || run.course != game.currentCourse || ghost.loadedCourse != game.currentCourse)
        return false;
    uint32_t index = loop.raceTimeMs / kFrameMs;
    if (index >= run.frameCount) index = run.frameCount - 1;   // it waits where it finished
    MatrixFromPose(run.frames[index], out);
    return true;
}

bool GhostPoseShown(Matrix* out)
{
    if (!extras.ghostShown || game.state < STATE_COUNTDOWN || game.state > STATE_GOAL_MENU)
        return false;
    return GhostMatrixNow(out);
}
