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
    std::string message;  // the game's own text with what it means for the game, or ours
};

// --- the checker's words (words.cpp) -------------------------------------------
// The report speaks the language the game in the checked folder shows.
enum CheckText {
    CHECK_USAGE,
    CHECK_NOT_A_FOLDER,        // the folder
    CHECK_CHECKING,            // the folder
    CHECK_SUMMARY,             // errors, "s" or "", warnings, "s" or ""
    CHECK_NO_RACE_COPY,
    CHECK_GAME_DOES_NOT_START,
    CHECK_COURSE,              // its number
    CHECK_FINISHED,            // the time
    CHECK_NOT_FINISHED,
    CHECK_STRAIGHT,            // ball type
    CHECK_ROUTE,               // ball type, line
    CHECK_SHEET_CELLS,         // sheet, cells, the cell drawn
    CHECK_SHEET_LAYOUT,        // sheet, cells asked for, cells of the grid
    CHECK_NO_PLANE_NUM,
    CHECK_FEW_SHEETS,          // sheets loaded, the last sheet drawn
    CHECK_EMPTY_LINE,
    CHECK_BALL_MATERIAL,       // ball type, material, materials of the mesh
    CHECK_NO_MESH_LINE,        // the key
    CHECK_START_OUTSIDE,
    CHECK_GOAL_OUTSIDE,
    CHECK_GOAL_EMPTY,
    CHECK_NO_DESCRIPTION,      // the file
    CHECK_LONG_DESCRIPTION,    // its bytes (long)
    CHECK_TEXTURE_SIDES,       // width, height
    CHECK_BIG_HEIGHT_MAP,      // width, height
    CHECK_MATERIAL,            // material, materials of the mesh, the shape's name
    CHECK_START_NO_TERRAIN,
    CHECK_START_UNDERGROUND,
    CHECK_START_IN_OBSTACLE,   // the obstacle's line
    CHECK_EMPTY_COURSE,        // course
    CHECK_EMPTY_COURSES,       // first, last course
    CHECK_NO_HEIGHT_MAP,       // the file
    CHECK_NO_FIELD_TOTAL,
    CHECK_TEXT_NO_COURSE,      // the number, the courses of course.ini
    CHECK_TEXT_NO_NUMBER,
    CHECK_TEXT_UNREADABLE,
    CHECK_TEXT_NO_DESCRIPTION, // course, the file
    CHECK_PACK_NOT_A_FOLDER,   // the --pack folder as typed
    CHECK_PACK_SKIPPED,        // why the game skips the pack
    CHECK_PACK_UNOPENED,
    CHECK_NO_RACE_FOLDER,
    CHECK_PACK_NOT_RACED,
    CHECK_PAR_WRITTEN,         // course, time
    CHECK_PAR_NOT_WRITTEN,     // course, why
    CHECK_PAR_UNREADABLE,      // course
    CHECK_TEXT_COUNT
};
// The text in the report's language, printf-formatted with what its key says.
std::string Say(CheckText id, ...);

// --- findings (report.cpp) ---------------------------------------------------
void Report(const std::string& file, int line, Severity severity, const std::string& message);
// The game's message box text on one line, followed by what it means for
// the game, both in the report's language.
std::string GameMessage(const std::string& boxText);
// The line a course.ini message names ("error in 7line."), else 0.
int MessageLine(const std::string& boxText);
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
void CheckSprites();          // sprite.ini and its pictures, for every language with its own
void CheckSettings();         // def.ini and its meshes
// course.ini and each course's files: the game folder's (and whether the
// game plays the packs in its courses/), or with `packFolder` that pack's,
// and whether the game would skip it.
void CheckCourses(const char* packFolder);   // with each language's course names for the game's own

// --- races (play.cpp) -----------------------------------------------------------
struct RaceResult {
    int course;           // number in course.ini (the pack's, for a pack)
    int ballType;         // the ball the autopilot raced with
    int frames;           // race frames to the goal; -1 not finished in time
    std::string parFile;  // the par file written for it, relative to the folder; "" none
    std::string ghost;    // the ghost file the race left
};
// Every course of the game folder (null) or of the pack in `packFolder`,
// raced by the autopilot in the current folders.
std::vector<RaceResult> PlayCourses(const char* packFolder);

// --- par files (check_par.cpp) --------------------------------------------------
void CheckPars();             // par/ beside the game folder's course.ini
// Each finished race's time and run as its course's par time and par run in
// `folder`'s par/ (a pack's, or the game folder's); a course not finished
// loses a stale par. Notes each par written, or why it was not.
void WriteParFiles(const std::string& folder, std::vector<RaceResult>* races);

// --- JSON (json.cpp) ----------------------------------------------------------------
// The whole report as one JSON document on standard output; its shape is in
// the README ("Checking in scripts").
void PrintJson(const std::string& folder, bool pack, const std::vector<RaceResult>& races);

// --- starter pack (new_pack.cpp) ------------------------------------------------------
// --new DIR: a pack that loads, passes the checker and can be finished. The
// exit code: 0 written, 2 not (DIR holds files already, or cannot be written).
int WriteStarterPack(const std::string& folder);
