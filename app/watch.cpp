#include "app/watch.h"

#include "app/ghost.h"
#include "data/course_list.h"
#include "data/texts.h"
#include "physics/physics.h"
#include "render/hud.h"
#include "render/text.h"
#include "screens/screens.h"
#include "sensor/board.h"

namespace {

const int kLeadFrames = 60;     // the ball waits a second at the start
const int kGoalFrames = 120;    // the goal plate, as after a race
const int kRestFrames = 90;     // then the result rests before course select

struct Watch {
    bool active;      // set on a watch's first frame, cleared when it ends
    int leadFrames;   // frames left before the run plays
    int restFrames;   // frames left after the goal plate
};
Watch watch;

void Leave()
{
    watch.active = false;
    game.state = STATE_COURSE_SELECT;
    ResetCourseSelect();
}

// Body 1 is the ball, 2 + k the course's k-th obstacle.
void PlaceRecordedPoses(uint32_t frame)
{
    const GhostRun& run = ghost.replay;
    Matrix world;
    MatrixFromPose(run.frames[frame], &world);
    PlaceBody(1, world);
    for (uint32_t i = 0; i < run.obstacleCount; i++) {
        MatrixFromPose(run.obstacleFrames[size_t(frame) * run.obstacleCount + i], &world);
        PlaceBody(2 + int(run.obstacleIndex[i]), world);
    }
    SyncCourseTransforms();
}

// The clock runs to the run's own time, then the goal plate shows.
void Advance()
{
    if (watch.leadFrames > 0) {
        watch.leadFrames--;
    } else if (loop.raceTimeMs < ghost.replay.timeMs) {
        loop.raceTimeMs += 16;
        if (loop.raceTimeMs >= ghost.replay.timeMs) {
            loop.goalFrames = kGoalFrames;
            RaiseCue(CueGo);
        }
    } else if (loop.goalFrames > 0) {
        loop.goalFrames--;
    } else if (--watch.restFrames <= 0) {
        Leave();
    }
}

void QueueLabels()
{
    TextId run = ghost.replayIsPar ? TEXT_WATCH_PAR_RUN : TEXT_WATCH_BEST_RUN;
    QueueText(Tr(run), 17, 25, 22, 0xC0000000u);
    QueueText(Tr(run), 16, 24, 22, 0xFFFFFFFFu);
    QueueText(Tr(TEXT_WATCH_BACK), 321, 457, 18, 0xC0000000u, TEXT_CENTRE);
    QueueText(Tr(TEXT_WATCH_BACK), 320, 456, 18, 0xFFFFFFFFu, TEXT_CENTRE);
}

}  // namespace

void UpdateWatch(const TiltVector& tilt)
{
    if (!watch.active) {
        watch = Watch{true, kLeadFrames, kRestFrames};
        LoadRacedGhost();
    }
    if (ghost.replay.frameCount == 0 || ghost.loadedCourse != game.currentCourse) {
        Leave();
        return;
    }
    if (tilt.button && !loop.releaseLatch) {
        RaiseCue(CueConfirm);
        Leave();
        return;
    }
    Advance();
    if (game.state != STATE_WATCH)
        return;
    PlaceRecordedPoses(GhostFrameAt(loop.raceTimeMs));
    if (loop.raceTimeMs >= ghost.replay.timeMs)
        QueueGoalOverlay();
    QueueLabels();
}
