// The course list read from "course.ini": one CourseDef per course with its
// files, scales, start point, goal rectangle and obstacles.
#pragma once
#include <cstdint>
#include "core/xmath.h"

enum ObstacleShape { SHAPE_BOX = 0, SHAPE_SPHERE = 1, SHAPE_PILLAR = 2 };

struct ObstacleDef {
    int32_t shape;          // ObstacleShape
    float size[3];          // box half extents; sphere x = radius; pillar x = radius, y = half length
    float position[3];      // map fractions, like START
    float rotation[3];      // radians about x, y, z (the file gives degrees)
    float weight;           // mass; 0 = immovable
    int32_t material;       // material/texture index of the shape's mesh
    ObstacleDef* prev;      // neighbours in the course's list
    ObstacleDef* next;
    Matrix world;           // current world transform, refreshed every frame
};

// Text fields are zero-terminated UTF-16 with fixed capacities.
struct CourseDef {
    char16_t FIELD_NAME[32];        // title, up to 31 characters
    char16_t HEIGHT_MAP[260];       // height-map picture
    char16_t FIELD_TEXTURE[260];    // terrain texture
    char16_t DOCUMENT[260];         // description text
    float MAP_HEIGHT;               // world height of a height value 1.0
    float GRID_SIZE;                // world distance between samples
    uint32_t bestTimeMs;            // best time from record.sav, 0 = none
    uint32_t parTimeMs;             // par from the course's par file, 0 = none (no medals)
    float SELECT_SCALING;           // preview scale, 1.0 on FIELD_NUM
    float START[3];                 // start point, map fractions
    float GOAL[4];                  // x from, z from, x to, z to (fractions)
    ObstacleDef* firstObstacle;     // obstacles in file order
    ObstacleDef* lastObstacle;
};

struct CourseList {
    int32_t courseCount;            // entries in courses
    CourseDef* courses;             // null until FIELD_TOTAL is read
};
extern CourseList courseList;
// A FIELD_TOTAL above this is refused with a message and makes no table.
enum { MAX_COURSES = 9999 };

// A point given as fractions of the height-map picture (fx from its left
// edge, fz from its top edge), in the world of a grid of nx x nz points.
Vec3 CoursePoint(const float fraction[3], int nx, int nz, float gridSize, float mapHeight);

int  LoadCourseList();   // 1 read, 0 when course.ini cannot be opened
void FreeCourseList();
