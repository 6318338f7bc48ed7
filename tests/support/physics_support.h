// Helpers for the physics, course and race tests: a flat terrain, a ball
// type, a hand-made course and a height-map picture written to a temp dir.
#pragma once
#include <string>
#include <vector>
#include "data/course_list.h"
#include "physics/physics.h"

// A flat grid at y = 0 of nx x nz vertices spaced gridSize, centred on the
// origin, with new[] arrays ready to hand to BuildTerrainCollision.
TerrainGrid MakeFlatGrid(int nx, int nz, float gridSize);

// Selected ball type 0 with the given values; gains 0, speed 0.5.
void SetBallType(float size, float weight, float bound);

// One course in courseList (index 0, current), goal and start as given.
struct TestCourse {
    CourseDef def;
    std::vector<ObstacleDef> obstacles;
};
void InstallCourses(std::vector<TestCourse>* courses);
void LinkObstacles(TestCourse* course);

// The ball's position from ballMatrix.
Vec3 BallPosition();

// A 24-bit bottom-up BMP; pixels given top row first, left to right, as grey
// levels; WriteBmpRaw writes any bytes (for broken or other-depth files).
std::string WriteGreyBmp(const std::string& name, int w, int h, const std::vector<int>& grey);
std::string WriteBmpRaw(const std::string& name, const std::vector<unsigned char>& bytes);
std::string TempDir();
void CopyUtf8ToUtf16(char16_t* dest, size_t capacity, const std::string& text);

// A cube mesh file (-1 ... 1, faces of both windings, no normals) in
// TempDir with one material per diffuse colour "r;g;b"; its path. Without
// normals it shows each material's ambient share only: flat colours.
std::string WriteCubeMesh(const std::string& name, const std::vector<const char*>& colours);

// The benchmarks' course, made current and loaded into a new physics world:
// a side x side bowl (4 units a step, MAP_HEIGHT 4), the ball in the middle
// and `obstacles` boxes, spheres and pillars in rows, half of them movable.
void InstallBowlCourse(std::vector<TestCourse>* courses, int side, int obstacles);
// The scene benchmarks' course: every shape a two-material cube, a 128 x 128
// bowl with 20 obstacles, settled for two seconds so shadow rays meet a
// course at rest. Needs the device; ReleaseBenchmarkScene undoes it.
void InstallBenchmarkScene(std::vector<TestCourse>* courses);
void ReleaseBenchmarkScene();
