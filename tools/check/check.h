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
void CheckSprites();          // sprite.ini and its pictures, for every language with its own
void CheckSettings();         // def.ini and its meshes
void CheckCourses();          // course.ini, each course's files, each language's course names
void PlayCourses();           // every course raced by the autopilot
