// Course names and descriptions in the player's language. course.ini keeps
// the course's own name and description; a language may add its own in
// "<language folder>/course_text.ini" beside course.ini, one course by
// number at a time, in course.ini's own spelling:
//
//   FIELD_NUM:[0] FIELD_NAME:[[The first road]] DOCUMENT:[[field\map0.txt]]
//
// A course the file leaves out (or a pack without the file) shows its own
// text. The description named either way is looked for in the language's
// folder first (data/texts.h).
#pragma once

struct CourseDef;

// Reads every language's file for the courses of courseList; a missing file
// is no fault. Called by LoadCourseList.
void LoadCourseTexts();
void FreeCourseTexts();

// The name and the description file to show for a course of courseList in
// the player's language; a course outside the list has its own.
const char16_t* CourseName(const CourseDef& course);
const char16_t* CourseDocument(const CourseDef& course);

// The translation file of a language, below the game folder ("en/course_text.ini").
void CourseTextFileName(int language, char* out, int outSize);

// What one line of a translation file does; the loader and the checker read
// the lines alike.
enum CourseTextLine {
    COURSE_TEXT_NOTHING,      // empty, a comment, or a line of a course skipped
    COURSE_TEXT_READ,         // picks a course and sets what it gives
    COURSE_TEXT_NO_COURSE,    // its FIELD_NUM is no course of course.ini
    COURSE_TEXT_NO_NUMBER,    // a name or description before any FIELD_NUM
    COURSE_TEXT_UNREADABLE    // no key the file knows, or a value without its brackets
};
// Applies one line (its comment cut) for `language`. *course is the course
// the lines fill: -1 before the first FIELD_NUM, -2 after one naming no
// course (its lines are skipped).
CourseTextLine ApplyCourseTextLine(const char16_t* line, int language, int* course);
