#include "app/ghost.h"

#include <cmath>
#include <cstdlib>

#include "core/game.h"
#include "data/course_list.h"
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

// Rows of the row-vector matrix are the rotated axes, so the usual
// column-vector formulas read the matrix transposed: R[i][j] = m[j][i].
void PoseFromMatrix(const Matrix& m, GhostPose* pose)
{
    auto R = [&m](int i, int j) { return m.m[j][i]; };
    float trace = R(0, 0) + R(1, 1) + R(2, 2);
    float x, y, z, w;
    if (trace > 0.0f) {
        float s = std::sqrt(trace + 1.0f) * 2.0f;
        w = 0.25f * s;
        x = (R(2, 1) - R(1, 2)) / s;
        y = (R(0, 2) - R(2, 0)) / s;
        z = (R(1, 0) - R(0, 1)) / s;
    } else if (R(0, 0) > R(1, 1) && R(0, 0) > R(2, 2)) {
        float s = std::sqrt(1.0f + R(0, 0) - R(1, 1) - R(2, 2)) * 2.0f;
        w = (R(2, 1) - R(1, 2)) / s;
        x = 0.25f * s;
        y = (R(0, 1) + R(1, 0)) / s;
        z = (R(0, 2) + R(2, 0)) / s;
    } else if (R(1, 1) > R(2, 2)) {
        float s = std::sqrt(1.0f + R(1, 1) - R(0, 0) - R(2, 2)) * 2.0f;
        w = (R(0, 2) - R(2, 0)) / s;
        x = (R(0, 1) + R(1, 0)) / s;
        y = 0.25f * s;
        z = (R(1, 2) + R(2, 1)) / s;
    } else {
        float s = std::sqrt(1.0f + R(2, 2) - R(0, 0) - R(1, 1)) * 2.0f;
        w = (R(1, 0) - R(0, 1)) / s;
        x = (R(0, 2) + R(2, 0)) / s;
        y = (R(1, 2) + R(2, 1)) / s;
        z = 0.25f * s;
    }
    float n = std::sqrt(x * x + y * y + z * z + w * w);
    if (!(n > 0.0f)) { x = y = z = 0.0f; w = n = 1.0f; }
    const float q[4] = {x / n, y / n, z / n, w / n};
    for (int k = 0; k < 4; k++) pose->rotation[k] = q[k];
    for (int k = 0; k < 3; k++) pose->position[k] = m.m[3][k];
}

void MatrixFromPose(const GhostPose& pose, Matrix* m)
{
    float x = pose.rotation[0], y = pose.rotation[1], z = pose.rotation[2], w = pose.rotation[3];
    const float R[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                           {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                           {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
    MatrixIdentity(m);
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) m->m[j][i] = R[i][j];
    for (int k = 0; k < 3; k++) m->m[3][k] = pose.position[k];
}
