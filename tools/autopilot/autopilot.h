// The autopilot: races a course through the real loop by holding arrow keys
// toward the next point of a route, the way a careful player would. Shared
// by the course checker and the shipped-content playthrough test.
//
// A course gives its route in a comment of course.ini, inside its section
// (the game never reads comments):
//   # AUTOPILOT: BALL:[1] ROUTE:[0.62,0.7][0.38,0.45][0.5,0.1]
// BALL picks the ball type raced with (default 0); the ROUTE points are map
// fractions x, z like START. Without a route the autopilot heads straight
// for the goal's centre.
#pragma once
#include <cstdint>
#include <vector>
#include "platform/sys.h"

struct AutopilotRoute {
    int ballType;                 // ball type raced with, 0..2
    std::vector<float> points;    // x, z pairs in map fractions; empty = the goal's centre
    int line;                     // course.ini line of the hint, 0 = none
    int fieldLine;                // line of the course's FIELD_NUM, 0 = none
};

// One route per course of a course list of `courseCount` courses, from the
// hints of the course.ini in the current folder (missing ones stay empty).
std::vector<AutopilotRoute> ReadAutopilotRoutes(int courseCount);

// What the race driver needs from its caller: the keys its key hook reports
// and the clock its clock hook reports.
struct AutopilotInput {
    bool* keys;          // KEY_COUNT entries
    uint32_t* clockMs;   // advanced 16 ms a frame
    void (*runFrame)(uint32_t nowMs);   // the loop's frame; null: RunFrame (a benchmark times it)
};

enum {
    AUTOPILOT_RACE_LIMIT = 180 * 60,   // three minutes of race frames
    AUTOPILOT_NOT_LOADED = -2
};

// Requests the course, runs Intro and Countdown, steers through Race and runs
// the Goal frames into the goal menu. Returns the Race frames the goal took,
// -1 when the ball fell or the limit passed first, or AUTOPILOT_NOT_LOADED
// when the course did not load. The selected ball type
// is the route's while racing and restored afterwards.
// Steers the race under way (state Race, the current course) until it
// leaves Race or the limit passes: the Race frames the goal took, or -1.
int DriveRaceWithAutopilot(const AutopilotRoute& route, const AutopilotInput& input,
                           int raceFrameLimit = AUTOPILOT_RACE_LIMIT);
int RaceWithAutopilot(int course, const AutopilotRoute& route, const AutopilotInput& input,
                      int raceFrameLimit = AUTOPILOT_RACE_LIMIT);
