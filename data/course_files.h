// The files a course is made of, and whether one of them has been saved
// since: the course author's edit loop. The course.ini the course comes from
// and its height map, field texture and description are looked at every
// COURSE_WATCH_MS of the logic clock, a few stat calls; a change counts once
// the files have held still from one look to the next, so a picture is not
// read while its paint program is still writing it. A save is thus seen
// within two looks.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

enum { COURSE_WATCH_MS = 250 };

struct CourseWatch {
    int course;                         // the course watched; -1 none
    std::vector<std::string> files;     // its course.ini first, then height map, texture, description
    std::vector<SysFileStamp> known;    // the files as the course was last loaded
    std::vector<SysFileStamp> seen;     // the files at the last look
    uint32_t lastLook;                  // logic clock (ms) of the last look
};

// Starts watching course `course` of the list (-1: none) as its files are now.
void WatchCourse(CourseWatch* watch, int course, uint32_t now);
// Looks when a look is due: 1 when the files changed and have held still
// since the look before, with *listChanged set when course.ini is among them.
int CourseFilesChanged(CourseWatch* watch, uint32_t now, int* listChanged);
