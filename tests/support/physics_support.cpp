#include "support/physics_support.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include "app/game.h"

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
