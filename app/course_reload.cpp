#include "app/course_reload.h"

#include "app/ghost.h"
#include "core/game.h"
#include "course/course.h"
#include "data/course_files.h"
#include "data/course_packs.h"
#include "screens/course_select.h"
#include "screens/screens.h"

namespace {

CourseWatch courseWatch = {-1, {}, {}, {}, 0};

bool InRaceFlow(int state)
{
    return state >= STATE_INTRO && state <= STATE_GOAL_MENU;
}

int ShownCourse(int state)
{
    if (InRaceFlow(state)) return game.currentCourse;
    if (state == STATE_COURSE_SELECT) return GetCourseSelect().selectedCourse;
    return -1;
}

void RestartRace(int course)
{
    LoadCourse(course);
    EnterCountdown();
    ReloadCourseGhost();
    ShowCourseAgain(course, false);
}

}  // namespace

void ForgetEditedCourse()
{
    courseWatch = CourseWatch{-1, {}, {}, {}, 0};
}

void ReloadEditedCourse(int frameState, uint32_t now)
{
    int course = ShownCourse(frameState);
    if (course != courseWatch.course) {
        WatchCourse(&courseWatch, course, now);
        return;
    }
    int listChanged = 0;
    if (!CourseFilesChanged(&courseWatch, now, &listChanged)) return;
    // A course.ini that no longer holds the course keeps the course as it
    // was; the list said why on standard error, and a later save tries again.
    if (listChanged && (course = ReloadCourseList(course)) < 0) return;
    if (frameState == STATE_COURSE_SELECT) ShowCourseAgain(course, true);
    else RestartRace(course);
    WatchCourse(&courseWatch, course, now);
}
