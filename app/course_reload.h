// The course author's edit loop: while a course is raced or shown on course
// select, saving one of its files (height map, texture, description, the
// course.ini it comes from) reads it again within a second. A race starts
// again at the countdown on the new course; course select shows it anew.
#pragma once
#include <cstdint>

// At the start of each frame, before its state runs: the course the state
// shows is watched, and read again when its files were saved.
void ReloadEditedCourse(int frameState, uint32_t now);
// At start-up: no course is watched until a state shows one (the watch
// outlives a shut-down game, as in the tests, which start many).
void ForgetEditedCourse();
