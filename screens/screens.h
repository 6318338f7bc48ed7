// The screens: title, options, course select, and the menus and entries of
// the race flow. Each changes game.state by plain assignment.
#pragma once
#include "core/game.h"

void ResetTitle();
void UpdateTitle(const TiltVector& tilt);
void ResetOptions();
void UpdateOptions(const TiltVector& tilt);
void ResetSettings();
void UpdateSettings(const TiltVector& tilt);
// Back from a screen the more settings opened, its cursor where it was.
void ReturnToSettings();
void ResetControls();
void UpdateControls(const TiltVector& tilt);
void ResetCalibration();
void UpdateCalibration(const TiltVector& tilt);
void ResetCourseSelect();
void StartCourseSelectAtFirst();  // a new game browses from the first course
// Straight into course `index`'s intro, as if chosen on course select, which
// then shows it when the race menus lead back there.
void StartAtCourse(int index);
void UpdateCourseSelect(const TiltVector& tilt);
// Course `index` is the one course select stands on from now on (the list
// was read again); with `preview` its preview and text are made again, the
// description typed out afresh.
void ShowCourseAgain(int index, bool preview);
// The course model over the screen, after its 2D layer is flushed.
void DrawCourseSelectPreview();

// Race flow.
void EnterIntro();                 // state Intro, 180 frames, latch the button, clock to 0;
                                   // with reduced motion one frame, already the countdown's first
// Quick retry: the course reloaded and the race from the countdown's first
// step, its clock at 0, no plate of a miss or goal left running.
void RestartFromCountdown();
void EnterWatch();                 // state Watch: the course's ghost replays; latch the button, clock to 0
// State Countdown from its first step, the clock at 0, nothing of the run
// before left: a race restarted on a course reloaded under way.
void EnterCountdown();
void OpenPauseMenu();
void UpdatePauseMenu(const TiltVector& tilt);
void OpenResultMenu();
void UpdateResultMenu(const TiltVector& tilt);

// Asks the loop to (re)load a course before the next frame.
void RequestCourseLoad(int index);
