// What the course list's files share: one reader for the game's own
// course.ini and every pack's, and the packs' part of loading the list.
#pragma once
#include <cstdio>

#include "data/course_list.h"

// The mistakes the reader finds on a line.
enum CourseLineError {
    COURSE_LINE_TOO_MANY = 0,     // FIELD_TOTAL above MAX_COURSES: no table
    COURSE_LINE_BAD_NUMBER = 1,   // FIELD_NUM outside the table: the last course is filled
    COURSE_LINE_BAD_SHAPE = 2     // an OBJECT shape that is none of the three: a box
};

struct CourseTableRead {
    bool showBoxes;           // in: show each mistake in a message box, as the game's own list does
    int firstError;           // out: CourseLineError of the first mistake, -1 none
    int firstErrorLine;       // out: its line, from 1
    char16_t packName[64];    // out: "# PACK_NAME:[[...]]", "" when the file gives none
};
// Reads a course.ini into `table` (cleared first; free with FreeCourseTable).
void ReadCourseTable(FILE* file, CourseList* table, CourseTableRead* read);
void FreeCourseTable(CourseList* table);

// The game's own course.ini, open, into courseList (the file is closed),
// then the packs' courses after it, then every best time.
void ReadCourseLists(FILE* ownList);

// Lists the packs and appends each listed pack's courses to courseList;
// the current folder is the game folder afterwards.
void AppendCoursePacks();
// The pack list goes with the course list it describes.
void ForgetCoursePacks();
