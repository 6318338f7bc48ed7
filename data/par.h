// Par and medals. A course's par time is kept beside the course in a small
// text file that kestrune-check writes (a course pack may carry its own):
//   PAR:[0:17.536]
// and its par run, the autopilot's, in the ghost file format. A course
// without a par file has no medals.
//
// The medals: gold at or under par, silver up to half as long again, bronze
// up to twice par. The autopilot drives carefully; a beginner at two thirds
// of its pace finishes the first courses within 1.45 par, at half its pace
// within 1.95 par.
#pragma once
#include <cstddef>
#include <cstdint>

enum Medal { MEDAL_NONE = 0, MEDAL_BRONZE = 1, MEDAL_SILVER = 2, MEDAL_GOLD = 3 };

// The medal a time earns against a par; none without a par or a time.
int MedalFor(uint32_t timeMs, uint32_t parMs);
// The slowest time that still earns `medal` against this par.
uint32_t MedalLimitMs(int medal, uint32_t parMs);

// A course's par files are in par/ of its folder: its pack's, or the game
// folder for the game's own courses; N is the course's number there.
const char* ParFolder(int course);                              // ends in '/'
void ParFileName(int number, char* out, size_t outSize);        // "par/course<N>.par"
void ParGhostFileName(int number, char* out, size_t outSize);   // "par/course<N>.gho"

// 1 with the par in *parMs when the course has a usable par file; 0 when it
// has none, and 0 after one line on standard error when the file is broken.
int ReadParFile(int course, uint32_t* parMs);
// Every course's parTimeMs from its file (0 = none); part of LoadCourseList.
void LoadParTimes();
// Written by the checker: course `number`'s par file in `folder` (ending in
// '/') with `parMs`. 1 written.
int WriteParFile(const char* folder, int number, uint32_t parMs);

// The ghost that would race on `course` under the GhostChoice `choice`, as
// its file's header tells: the player's best, else the par run (or the par
// run only, or none). 1 with its time and whether it is the par run.
int PeekRacedGhost(int course, int choice, uint32_t* timeMs, bool* isPar);

// The medals the player's records hold, the best one per course.
struct MedalCounts {
    int gold;
    int silver;
    int bronze;
};
MedalCounts CountMedals();
