// Saves under SIGKILL: a child process writes "config.sav", "record.sav",
// "extras.sav" and course 0's ghost over and over, one round of all four
// after another, and is killed at a random moment; after every kill each
// file must hold exactly what one of the last two rounds wrote. Shared by
// the save-file test (a short run) and bench_save_soak (the full run).
#pragma once
#include <string>

// A small game folder (one 16 x 16 course, no sprite sheets) under the temp
// folder, made current as the program folder with its course list loaded.
// Returns the folder, ending in '/'.
std::string MakeSoakGame(const std::string& name);

struct SoakReport {
    int kills;              // writers killed
    int rounds;             // rounds they began, all together
    std::string problem;    // the first file found torn or out of turn; "" when none
};

// `kills` writers in the folder MakeSoakGame made, each killed after a
// random wait of up to two rounds' time (measured first, 60 ms at most);
// stops at the first problem.
SoakReport RunSaveSoak(int kills, unsigned seed);

// After a soak: what a clean start-up of the folder must find. "" when the
// loaded options, best times, extras and ghost are those of the files left.
std::string CheckSoakedStartUp();
