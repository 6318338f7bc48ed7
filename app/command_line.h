// The game's command line:
//   kestrune [--fullscreen | --windowed] [--course N] [--data DIR]
//   kestrune --help | --version
// Read before anything starts; a mistake ends the game with exit code 2.
#pragma once
#include <cstdio>
#include <string>

// What --course asks for: a course number of the game folder.
struct CourseChoice {
    int number;               // -1 when none is asked for
};

struct CommandLine {
    int help;                 // --help: the usage on standard output
    int version;              // --version
    int fullscreen;           // 1 --fullscreen, 0 --windowed, -1 neither
    CourseChoice course;      // --course N: straight into that course's intro
    std::string data;         // --data DIR: another game folder; "" the game's own
};

// 1 when every argument is understood; 0 with `error` saying which is not.
int ParseCommandLine(int argc, const char* const* argv, CommandLine* out, std::string* error);
// Reads `value` of --course into `out`; 0 with `error` when it names none.
int ParseCourseChoice(const char* value, CourseChoice* out, std::string* error);
void PrintUsage(FILE* to);

// What the command line ends by itself, before the game starts: the usage,
// the version, or a mistake (said on standard error with the usage). 1 when
// the game should start; 0 with the process's exit code in `code`.
int HandleCommandLine(int argc, const char* const* argv, CommandLine* out, int* code);
// After start-up: the window mode and the course asked for. 0 (after a line
// on standard error) when the course is not one the game folder has.
int ApplyCommandLine(const CommandLine& options);
// The line for a player with no display, in the player's language.
void SayNoDisplay();
