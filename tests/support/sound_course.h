// A game folder for the sound tests: a flat square course of 264 x 264
// units (a 32 x 32 map, 8 units a step) with the ball and obstacles where a
// test puts them, and the shipped sounds beside it; and the race started
// on it at once, without the fly-over and the countdown.
#pragma once
#include <string>

// Writes the folder; `objects` are course.ini OBJECT lines, `startY` the
// ball's start height in units of MAP_HEIGHT (1 = resting on the ground).
// The sounds come from `shippedDir` when it is given.
std::string WriteSoundCourse(const std::string& name, float startY, const std::string& objects,
                             const char* shippedDir);
// The running game (StartScriptedGame) loads course 0 and enters the race.
void StartSoundRace();
