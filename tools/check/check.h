// kestrune-check: reads a game folder's setting files with the game's own
// loaders and reports every problem at its file and line.
#pragma once
#include <string>
#include <vector>

enum Severity { SEVERITY_ERROR, SEVERITY_WARNING, SEVERITY_NOTE };

struct Finding {
    std::string file;     // "course.ini", ...
    int line;             // from 1; 0 when the problem is the file as a whole
    Severity severity;
    std::string message;  // the game's own text with an English gloss, or ours
};

// --- findings (report.cpp) ---------------------------------------------------
void Report(const std::string& file, int line, Severity severity, const std::string& message);
// The game's message box text on one line, followed by its English gloss.
std::string GameMessage(const std::string& boxText);
void PrintFindings();
int  ExitCode();              // 0 clean, 1 warnings, 2 errors

// Message boxes the loaders show are collected instead of shown.
void InstallMessageCapture();
std::vector<std::string> TakeMessages();   // and forget them

// --- a setting file as the game reads it (report.cpp) -------------------------
struct TextLines {
    bool opened;
    std::vector<std::u16string> lines;   // line n is lines[n - 1], comments kept
    int endedAt;                         // empty line that ended reading early, else 0
};
TextLines ReadLines(const char* name);
// The text of a line with its comment cut, as the loaders see it.
std::u16string Uncommented(const std::u16string& line);
std::string Utf8(const std::u16string& text);

// --- the checks ---------------------------------------------------------------
void CheckSprites();          // sprite.ini and its pictures
void CheckSettings();         // def.ini and its meshes
void CheckCourses();          // course.ini and each course's files
// Every course raced by the autopilot: its Race frames, -1 when it was not
// finished, AUTOPILOT_NOT_LOADED when it could not be raced.
std::vector<int> PlayCourses();
void CheckPars();             // par/ beside course.ini
// --write-par: the par time and par run of every course the autopilot
// finished (the runs are the ghosts the races left in `raced`), into `folder`.
void WriteParFiles(const std::string& folder, const std::string& raced, const std::vector<int>& raceFrames);
