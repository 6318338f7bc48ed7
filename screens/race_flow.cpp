// Entering the race flow's states. The menus themselves come with the screens.
#include "data/extras.h"
#include "screens/screens.h"

namespace {

const int kIntroFrames = 180;
// Without the fly-over the intro lasts one frame, already the countdown's
// first (so the ghost and the button latch start a run as always), and its
// camera stands where the race camera does.
const int kReducedIntroFrames = 1;

}  // namespace

void EnterIntro()
{
    game.state = STATE_INTRO;
    loop.introFrames = extras.reducedMotion ? kReducedIntroFrames : kIntroFrames;
    // A button still held from the menu that started the race must not skip
    // the fly-over; the latch holds until the button is released.
    loop.releaseLatch = 1;
    loop.raceTimeMs = 0;
}

void EnterWatch()
{
    game.state = STATE_WATCH;
    loop.releaseLatch = 1;
    loop.raceTimeMs = 0;
    loop.goalFrames = 0;
}

void EnterCountdown()
{
    game.state = STATE_COUNTDOWN;
    loop.introFrames = 0;
    loop.countdownFrames = 60;
    loop.countdownStep = 0;
    loop.missFrames = 0;
    loop.goalFrames = 0;
    loop.raceTimeMs = 0;
    loop.previousGrounded = 1;
}

void RequestCourseLoad(int index)
{
    loop.courseReloadIndex = index;
    loop.courseReloadPending = 1;
}

void RestartFromCountdown()
{
    RequestCourseLoad(game.currentCourse);
    EnterCountdown();
}
