// Stand-ins until the data loaders land; each is removed when its real
// version exists.
#include "data/course_list.h"
#include "data/sprite_sheets.h"

CourseList courseList;
int  LoadSpriteSheets() { return 1; }
void ReleaseSpriteSheets() {}
int  LoadCourseList() { return 1; }
void FreeCourseList() {}
