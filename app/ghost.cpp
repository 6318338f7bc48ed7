#include "app/ghost.h"

#include <cstdlib>

#include "app/splits.h"
#include "core/game.h"
#include "data/course_list.h"
#include "data/course_packs.h"
#include "data/extras.h"
#include "data/par.h"
#include "physics/physics.h"
#include "platform/paths.h"

Ghost ghost = {{}, {}, -1, GHOST_BEST, false, false, false};

namespace {

const uint32_t kFrameMs = 16;

bool RacePhase(int state)
{
    return state == STATE_COUNTDOWN || state == STATE_RACE || state == STATE_MISS;
}

// The player's best run, or the par run until there is one (or always, or
// none, as the extras choose).
void LoadCourseGhost()
{
    int course = game.currentCourse;
    ghost.replay.frameCount = 0;
    ghost.replay.obstacleCount = 0;
    ghost.loadedCourse = course;
    ghost.loadedChoice = extras.ghostChoice;
    ghost.replayIsPar = false;
    if (extras.ghostChoice == GHOST_NONE) return;
    uint64_t hash = CourseHash(course);
    if (extras.ghostChoice == GHOST_BEST && LoadGhostFile(course, hash, &ghost.replay)) return;
    char name[64];
    ParGhostFileName(CourseNumberInPack(course), name, sizeof name);
    ghost.replayIsPar = LoadGhostFileIn(ParFolder(course), name, course, hash, &ghost.replay) == 1;
}

// The obstacles that can move, in list order, as many as a ghost keeps.
void ChooseRecordedObstacles()
{
    GhostRun& run = ghost.recording;
    run.obstacleCount = 0;
    if (game.currentCourse < 0 || game.currentCourse >= courseList.courseCount) return;
    uint32_t index = 0;
    for (const ObstacleDef* o = courseList.courses[game.currentCourse].firstObstacle; o; o = o->next, index++)
        if (o->weight > 0 && run.obstacleCount < GHOST_MAX_OBSTACLES) run.obstacleIndex[run.obstacleCount++] = index;
}

void RecordObstacles(uint32_t frame)
{
    GhostRun& run = ghost.recording;
    if (run.obstacleCount == 0) return;
    if (!GrowGhostObstacles(&run, size_t(frame + 1) * run.obstacleCount)) {
        ghost.overflowed = true;   // no memory for the whole run: it keeps no ghost
        return;
    }
    GhostPose* poses = run.obstacleFrames + size_t(frame) * run.obstacleCount;
    uint32_t index = 0, recorded = 0;
    for (const ObstacleDef* o = courseList.courses[game.currentCourse].firstObstacle;
         o && recorded < run.obstacleCount; o = o->next, index++)
        if (index == run.obstacleIndex[recorded]) PoseFromMatrix(o->world, &poses[recorded++]);
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
    RecordObstacles(index);
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
    // Racing the par run (or none) by choice: the new best waits on disk.
    if (ghost.loadedChoice == GHOST_BEST) {
        GhostRun kept = ghost.replay;
        ghost.replay = ghost.recording;
        ghost.recording = kept;        // the old replay's buffers record the next run
        ghost.loadedCourse = course;
        ghost.replayIsPar = false;
    }
    ghost.recording.frameCount = 0;
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
    free(ghost.replay.obstacleFrames);
    free(ghost.recording.obstacleFrames);
    ghost = Ghost{{}, {}, -1, GHOST_BEST, false, false, false};
}

void LoadRacedGhost()
{
    if (!ghost.replay.frames) return;
    if (ghost.loadedCourse != game.currentCourse || ghost.loadedChoice != extras.ghostChoice)
        LoadCourseGhost();
}

void ReloadCourseGhost()
{
    if (!ghost.replay.frames || !ghost.recording.frames) return;
    LoadCourseGhost();
    RestartGhostRun();
}

void KeepGhostRun()
{
    ghost.keepRun = true;
}

void RestartGhostRun()
{
    ghost.recording.frameCount = 0;
    ghost.overflowed = false;
    ghost.keepRun = false;
    ChooseRecordedObstacles();
    UpdateSplits(STATE_INTRO);   // the checkpoints start over with the replay
}

void UpdateGhost(int frameState)
{
    if (!ghost.replay.frames || !ghost.recording.frames) return;   // no memory: no ghost
    if (frameState == STATE_INTRO) {
        LoadRacedGhost();
        RestartGhostRun();
        return;
    }
    if (!RacePhase(frameState)) return;
    UpdateSplits(frameState);   // before a new best takes the replay's place
    RecordFrame();
    if (ghost.keepRun) {
        ghost.keepRun = false;
        KeepRecordRun();
    }
}

uint32_t GhostFrameAt(uint32_t timeMs)
{
    uint32_t index = timeMs / kFrameMs;
    uint32_t frames = ghost.replay.frameCount;
    return index < frames ? index : frames ? frames - 1 : 0;   // it waits where it finished
}

bool GhostMatrixNow(Matrix* out)
{
    const GhostRun& run = ghost.replay;
    if (run.frameCount == 0 || run.course != game.currentCourse || ghost.loadedCourse != game.currentCourse)
        return false;
    MatrixFromPose(run.frames[GhostFrameAt(loop.raceTimeMs)], out);
    return true;
}

bool GhostPoseShown(Matrix* out)
{
    if (extras.ghostChoice == GHOST_NONE || game.state < STATE_COUNTDOWN || game.state > STATE_GOAL_MENU)
        return false;
    return GhostMatrixNow(out);
}
