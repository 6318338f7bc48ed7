// Long play: the shipped game driven from its title with keys only, the
// autopilot racing every course in turn through the real loop on the null
// platform (course select, intro, race to the goal menu, back to course
// select), while the process's memory and the device's live objects are
// watched. Shared by test_long_play (two laps) and bench_long_play (an hour
// of game time).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct LongPlayReport {
    int laps;                          // laps of every course finished
    int races;                         // races run
    int unfinished;                    // races the autopilot did not bring home
    uint32_t steps;                    // logic steps run, 16 ms of game time each
    // Memory is read after every course. By the end of the first lap every
    // course has been met once and the caches have filled.
    long firstLapKiB;                  // resident memory when the first lap ended
    long growthKiB;                    // the most it stood above that after any later course
    long heapFirstLapKiB;              // malloc'd memory in use when the first lap ended
    long heapGrowthKiB;                // the most it stood above that when a later lap ended
                                       // (the same course loaded: a big one holds more)
    int liveAtStart;                   // device objects on the first visit to course select,
                                       // the text drawer's cached strings left out
    std::vector<std::string> liveChanges;  // "after course k: n objects" whenever it differed
    std::string problem;               // what stopped the play early; "" when nothing did
};

// Plays a private copy of the game folder `gameDir` until at least `minLaps`
// laps and `minSteps` logic steps have run (whole laps), or a problem stops it.
LongPlayReport PlayLong(const std::string& gameDir, int minLaps, uint32_t minSteps);
