// kestrune-check: reads a game folder's setting files (or a course pack's
// course.ini) with the game's own loaders and reports every problem at its
// file and line; races the courses; writes starter packs.
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
// Files in the order they were checked, each from its first line down.
std::vector<Finding> SortedFindings();
const char* SeverityName(Severity severity);   // "error", "warning", "note"
int CountOf(Severity severity);
// What the author reads; each file name after `prefix` (the pack's folder
// as typed, or "").
void PrintFindings(const std::string& prefix);
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
// course.ini and each course's files: the game folder's (and whether the
// game plays the packs in its courses/), or with `packFolder` that pack's,
// and whether the game would skip it.
void CheckCourses(const char* packFolder);

// --- races (play.cpp) -----------------------------------------------------------
struct RaceResult {
    int course;           // number in course.ini (the pack's, for a pack)
    int ballType;         // the ball the autopilot raced with
    int frames;           // race frames to the goal; -1 not finished in time
    std::string parFile;  // the par file written for it, relative to the pack; "" none
};
// Every course of the game folder (null) or of the pack in `packFolder`,
// raced by the autopilot in the current folders.
std::vector<RaceResult> PlayCourses(const char* packFolder);
// Each finished race's time as its course's par: par/course<N>.par in the
// pack, "PAR:[m:ss.sss]". Notes each file written, or why it was not.
void WriteParFiles(const std::string& packFolder, std::vector<RaceResult>* races);

// --- JSON (json.cpp) ----------------------------------------------------------------
// The whole report as one JSON document on standard output; its shape is in
// the README ("Checking in scripts").
void PrintJson(const std::string& folder, bool pack, const std::vector<RaceResult>& races);

// --- starter pack (new_pack.cpp) ------------------------------------------------------
// --new DIR: a pack that loads, passes the checker and can be finished. The
// exit code: 0 written, 2 not (DIR holds files already, or cannot be written).
int WriteStarterPack(const std::string& folder);
