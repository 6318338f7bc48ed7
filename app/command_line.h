// The game's command line:
//   kestrune [--fullscreen | --windowed] [--course N | --course DIR[:N]] [--data DIR]
//   kestrune --help | --version
// Read before anything starts; a mistake ends the game with exit code 2.
#pragma once
#include <cstdio>
#include <string>

// What --course asks for: a course number of the game folder, or course N
// of the course pack in a folder (a folder holding a course.ini).
struct CourseChoice {
    int number;               // -1 when none is asked for; the pack's course number with a pack
    std::string pack;         // the pack's folder as given; "" for the game folder's own courses
};

struct CommandLine {
    int help;                 // --help: the usage on standard output
    int version;              // --version
    int fullscreen;           // 1 --fullscreen, 0 --windowed, -1 neither
    CourseChoice course;      // --course N or DIR[:N]: straight into that course's intro
    std::string data;         // --data DIR: another game folder; "" the game's own
};

// 1 when every argument is understood; 0 with `error` saying which is not.
int ParseCommandLine(int argc, const char* const* argv, CommandLine* out, std::string* error);
// Reads `value` of --course into `out`: digits are a course number of the
// game folder; a folder holding a course.ini is that pack's course 0, and
// "DIR:N" its course N (a folder whose own name ends in ":N" is taken whole).
// 0 with `error` when it names neither.
int ParseCourseChoice(const char* value, CourseChoice* out, std::string* error);
void PrintUsage(FILE* to);

// What the command line ends by itself, before the game starts: the usage,
// the version, or a mistake (said on standard error with the usage). 1 when
// the game should start; 0 with the process's exit code in `code`.
int HandleCommandLine(int argc, const char* const* argv, CommandLine* out, int* code);
// Before start-up: the pack --course names is listed with the others, even
// outside the pack folders.
void ListCommandLinePack(const CommandLine& options);
// After start-up: the window mode and the course asked for. 0 (after a line
// on standard error) when the course is not one the game folder (or the
// pack) has, or the pack is skipped.
int ApplyCommandLine(const CommandLine& options);
// The line for a player with no display, in the player's language.
void SayNoDisplay();
