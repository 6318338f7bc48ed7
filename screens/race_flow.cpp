// Entering the race flow's states. The menus themselves come with the screens.
#include "screens/screens.h"

#include "app/ghost.h"
#include "data/save_files.h"

void EnterIntro()
{
    game.state = STATE_INTRO;
    loop.introFrames = 180;
    // A button still held from the menu that started the race must not skip
    // the fly-over; the latch holds until the button is released.
    loop.releaseLatch = 1;
    loop.raceTimeMs = 0;
}

void EnterGoal()
{
    game.state = STATE_GOAL;
    loop.goalFrames = 120;
    if (KeepBestTime())
        KeepGhostRun();
}

void RequestCourseLoad(int index)
{
    loop.courseReloadIndex = index;
    loop.courseReloadPending = 1;
}
