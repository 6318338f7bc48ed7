// The course-select screen's own state. The screen writes it and hands the
// preview what it needs each frame (DrawCourseSelectPreview). The tilt and
// button latches are the menus' shared ones.
#pragma once
#include "render/sprites.h"

enum SelectPhase {
    SELECT_ENTERING = 0,
    SELECT_BROWSING = 1,
    SELECT_CONFIRMING = 2,
    SELECT_SLIDE_IN_FROM_LEFT = 3,
    SELECT_SLIDE_IN_FROM_RIGHT = 4,
    SELECT_SLIDE_OUT_TO_PREVIOUS = 5,
    SELECT_SLIDE_OUT_TO_NEXT = 6,
    SELECT_STARTING = 7
};

struct CourseSelect {
    int phase;               // SelectPhase
    int selectedCourse;      // index into the course list; kept between visits
    float slideOffset;       // preview offset: 0 at rest, +-2 out of view
    int revealedGlyphs;      // typewriter: description glyphs shown so far
    int confirmNo;           // dialog answer: 0 yes, 1 no
    int startDelay;          // frames left before the race (or the watching) starts (60 after yes)
    int startWatch;          // the start leads to watching the course's ghost, not a race
    int watchable;           // the course shown has a ghost to watch (under the ghost choice)
    bool watchIsPar;         // that ghost is the par run
    MenuPanel mainPanel;     // name, record and description
    MenuPanel dialogPanel;   // the yes/no question; keeps its phase between dialogs
};
const CourseSelect& GetCourseSelect();
// The menu frame counter (0 on entering the screen): the preview's flags bob by it.
int CourseSelectFrame();
