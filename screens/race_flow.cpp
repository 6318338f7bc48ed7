// Entering the race flow's states. The menus themselves come with the screens.
#include "screens/screens.h"

void EnterIntro()
{
    game.state = STATE_INTRO;
    loop.introFrames = 180;
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
