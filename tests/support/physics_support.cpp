#include "support/physics_support.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include "core/game.h"
#include "data/settings.h"
#include "render/shapes.h"
#include "course/course.h"
#include "render/scene.h"

TerrainGrid MakeFlatGrid(int nx, int nz, float gridSize)
{
    TerrainGrid grid = {};
    grid.NX = nx;
    grid.NZ = nz;
    grid.vertexCount = nx * nz;
    grid.triangleCount = 2 * (nx - 1) * (nz - 1);
    grid.positions = new GridPoint[grid.vertexCount];
    grid.indices = new int32_t[3 * grid.triangleCount];
    grid.GRID_SIZE = gridSize;
    grid.MAP_HEIGHT = 1;
    for (int j = 0; j < nz; j++)
        for (int i = 0; i < nx; i++)
            grid.positions[j * nx + i] = { (i - nx / 2.0f) * gridSize, 0, (j - nz / 2.0f) * gridSize, 0 };
    int32_t* out = grid.indices;
    for (int i = 1; i < nx; i++) {
        for (int j = 0; j < nz - 1; j++) {
            int32_t a = j * nx + i - 1, b = (j + 1) * nx + i, c = j * nx + i, d = (j + 1) * nx + i - 1;
            int32_t tri[6] = { a, b, c, a, d, b };
            std::memcpy(out, tri, sizeof tri);
            out += 6;
        }
    }
    return grid;
}

void SetBallType(float size, float weight, float bound)
{
    game.settings.ballTypeSel = 0;
    BallType& ball = game.settings.ballTypes[0];
    ball = {};
    ball.size = size;
    ball.weight = weight;
    ball.bound = bound;
    ball.speed = 0.5f;
}

void LinkObstacles(TestCourse* course)
{
    std::vector<ObstacleDef>& list = course->obstacles;
    for (size_t k = 0; k < list.size(); k++) {
        list[k].prev = k ? &list[k - 1] : nullptr;
        list[k].next = k + 1 < list.size() ? &list[k + 1] : nullptr;
    }
    course->def.firstObstacle = list.empty() ? nullptr : &list.front();
    course->def.lastObstacle = list.empty() ? nullptr : &list.back();
}

void InstallCourses(std::vector<TestCourse>* courses)
{
    static std::vector<CourseDef> defs;
    defs.clear();
    for (TestCourse& c : *courses) {
        LinkObstacles(&c);
        defs.push_back(c.def);
    }
    courseList.courseCount = (int32_t)defs.size();
    courseList.courses = defs.data();
    game.currentCourse = 0;
}

Vec3 BallPosition()
{
    return { ballMatrix.m[3][0], ballMatrix.m[3][1], ballMatrix.m[3][2] };
}

std::string TempDir()
{
    static std::string dir;
    if (dir.empty()) {
        char pattern[] = "/tmp/kestrune_physics_XXXXXX";
        const char* made = mkdtemp(pattern);
        dir = made ? made : "/tmp";
    }
    return dir;
}

std::string WriteBmpRaw(const std::string& name, const std::vector<unsigned char>& bytes)
{
    std::string path = TempDir() + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path;
}

static void Put(std::vector<unsigned char>* out, uint32_t value, int bytes)
{
    for (int k = 0; k < bytes; k++)
        out->push_back((unsigned char)(value >> (8 * k)));
}

std::string WriteGreyBmp(const std::string& name, int w, int h, const std::vector<int>& grey)
{
    int stride = (w * 3 + 3) / 4 * 4;
    std::vector<unsigned char> b;
    Put(&b, 'B' | ('M' << 8), 2);
    Put(&b, 54 + stride * h, 4);
    Put(&b, 0, 4);
    Put(&b, 54, 4);
    Put(&b, 40, 4);
    Put(&b, w, 4);
    Put(&b, h, 4);
    Put(&b, 1, 2);
    Put(&b, 24, 2);
    Put(&b, 0, 4);
    Put(&b, stride * h, 4);
    Put(&b, 2835, 4);
    Put(&b, 2835, 4);
    Put(&b, 0, 4);
    Put(&b, 0, 4);
    for (int row = h - 1; row >= 0; row--) {      // bottom row first
        for (int x = 0; x < w; x++)
            for (int c = 0; c < 3; c++)
                b.push_back((unsigned char)grey[row * w + x]);
        for (int p = w * 3; p < stride; p++)
            b.push_back(0);
    }
    return WriteBmpRaw(name, b);
}

void CopyUtf8ToUtf16(char16_t* dest, size_t capacity, const std::string& text)
{
    size_t n = 0;
    for (; n + 1 < capacity && n < text.size(); n++)
        dest[n] = (char16_t)(unsigned char)text[n];    // tests use ASCII paths
    dest[n] = 0;
}

std::string WriteCubeMesh(const std::string& name, const std::vector<const char*>& colours)
{
    static const int quads[6][4] = {{0, 2, 6, 4}, {1, 3, 7, 5}, {0, 1, 5, 4},
                                    {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 5, 7, 6}};
    std::string x = "xof 0303txt 0032\nMesh Cube {\n 8;\n";
    for (int k = 0; k < 8; k++) {
        char line[80];
        snprintf(line, sizeof line, " %d.0;%d.0;%d.0;%s\n", (k & 1) ? 1 : -1, (k & 2) ? 1 : -1,
                 (k & 4) ? 1 : -1, k < 7 ? "," : ";");
        x += line;
    }
    x += " 24;\n";
    for (int q = 0; q < 6; q++) {
        const int* v = quads[q];
        char line[160];
        snprintf(line, sizeof line, " 3;%d,%d,%d;, 3;%d,%d,%d;, 3;%d,%d,%d;, 3;%d,%d,%d;%s\n", v[0],
                 v[1], v[2], v[0], v[2], v[3], v[0], v[2], v[1], v[0], v[3], v[2],
                 q < 5 ? "," : ";");
        x += line;
    }
    x += " MeshMaterialList {\n  " + std::to_string(colours.size()) + ";\n  24;\n  ";
    for (int f = 0; f < 24; f++)
        x += f < 23 ? "0,\n  " : "0;;\n";
    for (const char* c : colours)
        x += std::string("  Material {\n   ") + c + ";1.0;;\n   0.0;\n   0.0;0.0;0.0;;\n   0.0;0.0;0.0;;\n  }\n";
    x += " }\n}\n";
    std::string path = TempDir() + "/" + name;
    FILE* f = fopen(path.c_str(), "wb");
    if (f) {
        fwrite(x.data(), 1, x.size(), f);
        fclose(f);
    }
    return path;
}

// Black in the middle, rising toward the edges, so the ball stays on.
static std::string BowlPicture(int side)
{
    std::vector<int> grey(side * side);
    for (int y = 0; y < side; y++) {
        for (int x = 0; x < side; x++) {
            float dx = (x - side / 2.0f) / side, dy = (y - side / 2.0f) / side;
            grey[y * side + x] = (int)std::fmin(255.0f, 700.0f * (dx * dx + dy * dy));
        }
    }
    return WriteGreyBmp("bowl" + std::to_string(side) + ".bmp", side, side, grey);
}

void InstallBowlCourse(std::vector<TestCourse>* courses, int side, int obstacles)
{
    game = {};
    loop = {};
    SetBallType(3, 1, 0.5f);
    game.settings.gravity[0] = 1;
    std::string path = BowlPicture(side);
    courses->assign(1, TestCourse{});
    CourseDef& def = (*courses)[0].def;
    CopyUtf8ToUtf16(def.HEIGHT_MAP, 260, path);
    CopyUtf8ToUtf16(def.FIELD_TEXTURE, 260, path);
    def.MAP_HEIGHT = 4;
    def.GRID_SIZE = 4;
    def.START[0] = 0.5f; def.START[1] = 1; def.START[2] = 0.5f;
    def.GOAL[0] = 0.9f; def.GOAL[1] = 0.9f; def.GOAL[2] = 0.95f; def.GOAL[3] = 0.95f;
    (*courses)[0].obstacles.resize(obstacles);
    for (int k = 0; k < obstacles; k++) {
        ObstacleDef& o = (*courses)[0].obstacles[k];
        o.shape = k % 3;
        o.size[0] = 3; o.size[1] = 3; o.size[2] = 3;
        o.position[0] = 0.2f + 0.6f * (k % 5) / 4;
        o.position[1] = 2;
        o.position[2] = 0.2f + 0.6f * (k / 5) / 3;
        o.weight = k % 2 ? 2.0f : 0.0f;     // half of them fall and roll
    }
    InstallCourses(courses);
    CreatePhysicsWorld();
    LoadCourse(0);
}

void InstallBenchmarkScene(std::vector<TestCourse>* courses)
{
    std::string cube = WriteCubeMesh("bench_cube.x", {"1.0;0.0;0.0", "0.0;1.0;0.0"});
    char16_t name[260];
    CopyUtf8ToUtf16(name, 260, cube);
    for (ShapeMesh& shape : shapeMeshes)
        LoadShapeMesh(name, &shape);
    InstallBowlCourse(courses, 128, 20);
    for (int k = 0; k < 120; k++)
        StepPhysicsWorld();
}

void ReleaseBenchmarkScene()
{
    ReleaseCourseGraphics();
    DestroyPhysicsWorld();
    for (ShapeMesh& shape : shapeMeshes)
        ReleaseShapeMesh(&shape);
    courseList = {};
}
