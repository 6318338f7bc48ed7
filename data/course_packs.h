// Course packs: folders of courses that follow the game's own on course
// select. Every folder in courses/ of the game folder (packs shipped with the
// game) and in the player's pack folder (platform/paths.h) that holds a
// course.ini is a pack, and so is the folder `kestrune --course DIR` names.
// A pack's course.ini has the game's course keys and no def.ini of its own;
// the files it names are looked up in the pack's folder.
//
// Packs are listed shipped ones first, then the player's, each by folder
// name; a pack's courses keep their course.ini's order. Records and ghosts
// are kept per pack in packs/<folder name>/ of the save folder, so adding
// or removing a pack never moves another course's record.
//
// A pack that cannot be played (course.ini mistakes, files missing, a
// second pack of the same folder name) is skipped: it is listed with its
// problem, said once on standard error, and has no courses.
#pragma once
#include <string>
#include <vector>

enum PackProblemKind {
    PACK_OK = 0,
    PACK_UNREADABLE,      // course.ini cannot be read
    PACK_NO_COURSES,      // no FIELD_TOTAL:[n] with n of 1 or more
    PACK_TOO_MANY,        // FIELD_TOTAL above MAX_COURSES, or no memory for the courses
    PACK_BAD_FIELD_NUM,   // FIELD_NUM outside 0 .. FIELD_TOTAL - 1
    PACK_BAD_SHAPE,       // an OBJECT shape that is not BOX, SPHERE or PILLAR
    PACK_EMPTY_COURSE,    // a course without HEIGHT_MAP
    PACK_MISSING_FILE,    // a course's height map, texture or description is not there
    PACK_SAME_NAME        // a pack in a folder of the same name is listed already
};

struct PackProblem {
    int kind;             // PackProblemKind
    int line;             // course.ini line, 0 when none
    int course;           // course number in the pack, -1 when none
    std::string detail;   // the missing file's name, or the other pack's folder
};

struct CoursePack {
    std::string folder;   // absolute, links resolved, ending in '/'
    std::string key;      // the folder's own name: its saves are in packs/<key>/
    std::string name;     // shown with its courses (UTF-8): its PACK_NAME comment, else the key
    int firstCourse;      // index of its course 0 in courseList; -1 when skipped
    int courseCount;      // 0 when skipped
    PackProblem problem;  // PACK_OK when listed
};

struct PackList {
    std::vector<CoursePack> packs;   // in course-select order, the skipped ones too
};
// The packs of the course list loaded last (empty before and after it).
const PackList& CoursePacks();

// `kestrune --course DIR`: the pack in DIR is listed even outside the pack
// folders, and a pack of the same folder name there gives way to it. Taken
// before the list is loaded; relative to the current folder. Null clears it.
void SetCommandLinePack(const char* folder);
// The listed pack in `folder` (any spelling of it); null when none is.
const CoursePack* FindPack(const char* folder);
// The pack SetCommandLinePack named, as listed; null when none is.
const CoursePack* CommandLinePack();

// The pack a course of the list belongs to; null for the game's own courses.
const CoursePack* PackOfCourse(int course);
// The course's number in its pack's course.ini; the game's own courses keep
// their index.
int CourseNumberInPack(int course);
// The game's own courses: the list's first ones, before any pack's.
int OwnCourseCount();
// Where the course's files are looked up: its pack's folder, else the game
// folder. 1 when that folder is now the current one.
int MakeCourseFolderCurrent(int course);
// packs/<key>/ in the save folder, ending in '/'; MakePackSaveFolder makes
// it (and `sub` below it, when given) where missing. 1 when it is there.
std::string PackSaveFolder(const CoursePack& pack);
int MakePackSaveFolder(const CoursePack& pack, const char* sub);

// Why a pack is skipped, on one line in `language` (data/texts.h): "Course
// pack 'name' skipped: course.ini line 4: ...". "" for a listed pack.
std::string PackProblemText(const CoursePack& pack, int language);

// Reads course.ini and every pack again, the settings from def.ini kept.
// `course` is looked up by its pack and number: its index in the new list,
// or -1 when the new list lacks it (its pack is skipped now, course.ini
// cannot be read): the list before is then kept as it was.
int ReloadCourseList(int course);

// The course checker: the pack's course.ini alone is the course list (course
// i is the pack's course i), after def.ini as LoadCourseList reads it, even
// when the game would skip the pack; mistakes on its lines are shown in
// message boxes as the game's own list's are. 0 when course.ini cannot be
// opened. The current folder is the pack's afterwards.
int LoadPackAsCourseList(const char* folder);
// What the game would make of the pack in `folder`: skipped or not, and why.
CoursePack ExaminePack(const char* folder);
