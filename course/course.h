// Building a course from its files: the height map becomes the terrain grid,
// the grid becomes the physics terrain and the course's bodies, and then the
// GPU meshes the renderer draws. The race and the course-select preview are
// both built here.
#pragma once
#include "data/course_list.h"

// Makes courseList.courses[index] the course being played (its files looked
// up in its pack's folder, or the game folder): field texture,
// height map, terrain grid, terrain collision, terrain buffers, ball and
// obstacles, gravity. game.currentCourse follows successful loads only.
// Messages are shown where loading fails.
bool LoadCourse(int index);

// The physics world and the obstacle shapes' meshes (from def.ini's names)
// that LoadCourse and the preview build with, made if they are not there
// yet: the game makes them after its first picture, or at its first course
// if that comes sooner. Cheap once made.
void ReadyCourseWorld();

// The course-select preview of a course: its own copy of the terrain mesh
// (no physics), the field texture and the course's title and description.
// Failures are not reported: the preview is only a picture, and the race
// load says what went wrong.
void LoadCoursePreview(const CourseDef& course);
// The same for course `index` of the list, its files looked up where it lives.
void LoadCoursePreview(int index);
