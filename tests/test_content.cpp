// The data set the build writes beside the game: it must load with no
// message box, hold every sheet and course the screens use, and each course
// must be sound (files present, grid inside the world, ball resting on it).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/game.h"
#include "data/course_list.h"
#include "data/course_texts.h"
#include "data/texts.h"
#include "data/settings.h"
#include "render/shapes.h"
#include "render/sprite_sheets.h"
#include "physics/physics.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/sys.h"
#include "course/course.h"
#include "render/scene.h"
#include "render/device.h"

#ifndef KESTRUNE_GAME_DIR
#error "KESTRUNE_GAME_DIR names the folder the content generator writes"
#endif

namespace {

// The install check points the same tests at an installed game folder.
const char* GameDir()
{
    const char* installed = getenv("KESTRUNE_CONTENT_DIR");
    return installed && installed[0] ? installed : KESTRUNE_GAME_DIR;
}

std::vector<std::string> messages;
void CatchErrorBox(const char* text) { messages.push_back(text); }

std::string Utf8(const char16_t* s)
{
    std::string out;
    for (; *s; ++s) {
        char16_t c = *s;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool Exists(const char16_t* name)
{
    char path[1024];
    return SysResolvePath(Utf8(name).c_str(), path, sizeof path) == 1;
}

std::string Slurp(const std::string& name)
{
    std::string bytes;
    FILE* f = fopen((std::string(GameDir()) + "/" + name).c_str(), "rb");
    if (!f) return bytes;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    fclose(f);
    return bytes;
}

class ShippedContent : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        messages.clear();
        SysHooks hooks = {};
        hooks.errorBox = CatchErrorBox;
        SysSetHooks(&hooks);
        SysUseOneFolder(GameDir());
        SysMakeGameFolderCurrent();
        spritesRead = LoadSpriteSheets();
        LoadSheetPictures();
        listRead = LoadCourseList();
        LoadShapeMeshes();
        CreatePhysicsWorld();
    }
    static void TearDownTestSuite()
    {
        ClearCourseBodies();
        ReleaseCourseGraphics();
        DestroyPhysicsWorld();
        for (ShapeMesh& shape : shapeMeshes) ReleaseShapeMesh(&shape);
        FreeCourseList();
        ReleaseSpriteSheets();
        SysUseOneFolder(nullptr);
        SysSetHooks(nullptr);
    }
    static int spritesRead, listRead;
};
int ShippedContent::spritesRead = 0;
int ShippedContent::listRead = 0;

} // namespace

// Start-up reads sprite.ini, course.ini and def.ini with their meshes and pictures without one message.
TEST_F(ShippedContent, LoadsWithoutMessages)
{
    EXPECT_EQ(spritesRead, 1);
    EXPECT_EQ(listRead, 1);
    for (const std::string& m : messages) ADD_FAILURE() << "message box: " << m;
}

// Every sheet the screens draw (0 to 19) is there, with a picture and the grid the cells need.
TEST_F(ShippedContent, SheetsCoverEveryDrawnCell)
{
    ASSERT_GE(sheetCount, 20);
    // Highest cell each sheet is drawn with.
    const int lastCell[20] = {2, 1, 4, 6, 2, 2, 1, 1, 0, 1, 0, 3, 3, 12, 1, 0, 4, 11, 5, 5};
    for (int i = 0; i < 20; ++i) {
        EXPECT_NE(sheets[i].texture, nullptr) << "sheet " << i;
        EXPECT_GT(sheets[i].columns * sheets[i].rows, lastCell[i]) << "sheet " << i;
    }
    // The frame's pieces 0, 1, 3 and 4 are a corner, the top edge, the left edge and the centre.
    EXPECT_EQ(sheets[2].columns, 3);
    EXPECT_GE(sheets[2].rows, 2);
}

// Three distinct ball types, real gravity by default, and camera presets a race can use.
TEST_F(ShippedContent, SettingsGiveAPlayableRace)
{
    const GameSettings& s = game.settings;
    EXPECT_GT(s.gravity[0], 0.5f);
    for (int i = 0; i < 3; ++i) {
        EXPECT_GT(s.gravity[i], 0.0f);
        EXPECT_GT(s.ballTypes[i].size, 1.0f);
        EXPECT_GT(s.ballTypes[i].weight, 0.0f);
        EXPECT_GT(s.ballTypes[i].speed, 0.0f);
        EXPECT_GT(s.cameraLength[i], 20.0f);
        EXPECT_GT(s.cameraPitch[i], 0.2f);
        EXPECT_LT(s.cameraPitch[i], 1.4f);
    }
    EXPECT_NE(s.ballTypes[0].weight, s.ballTypes[1].weight);
    EXPECT_NE(s.ballTypes[1].weight, s.ballTypes[2].weight);
    EXPECT_GT(s.ballTypes[2].brakeGain, 0.0f);
    EXPECT_GT(s.ballTypes[1].bound, s.ballTypes[0].bound);
    EXPECT_EQ(s.renderFlags & (USETEXTURE | DRAWSHADOW), unsigned(USETEXTURE | DRAWSHADOW));
}

// The meshes load with one subset per material, in file order, and every material has its texture.
TEST_F(ShippedContent, MeshesCarryTheirMaterials)
{
    const uint32_t expected[3] = {3, 5, 3};   // box, sphere (three balls and two obstacles), pillar
    for (int shape = 0; shape < 3; ++shape) {
        const ShapeMesh& m = shapeMeshes[shape];
        ASSERT_NE(m.mesh, nullptr) << "shape " << shape;
        EXPECT_EQ(m.materialCount, expected[shape]);
        EXPECT_EQ(MeshSubsetCount(m.mesh), m.materialCount);
        for (uint32_t k = 0; k < m.materialCount; ++k) EXPECT_NE(m.textures[k], nullptr) << shape << "/" << k;
    }
    // File order: the sphere's first three materials dress the three ball types.
    MeshMaterial* list = nullptr;
    uint32_t count = 0;
    Mesh* sphere = LoadMeshFromX("mesh/sphere.x", &list, &count);
    ASSERT_NE(sphere, nullptr);
    ASSERT_EQ(count, 5u);
    EXPECT_STREQ(list[0].textureFile, "ball_standard.png");
    EXPECT_STREQ(list[1].textureFile, "ball_light.png");
    EXPECT_STREQ(list[2].textureFile, "ball_heavy.png");
    free(list);
    ReleaseMesh(sphere);
}

// At least six courses, each naming files that exist, with a title and a sound goal rectangle.
TEST_F(ShippedContent, CoursesNameTheirFiles)
{
    ASSERT_GE(courseList.courseCount, 6);
    for (int i = 0; i < courseList.courseCount; ++i) {
        const CourseDef& c = courseList.courses[i];
        EXPECT_NE(c.FIELD_NAME[0], 0) << "course " << i;
        EXPECT_TRUE(Exists(c.HEIGHT_MAP)) << Utf8(c.HEIGHT_MAP);
        EXPECT_TRUE(Exists(c.FIELD_TEXTURE)) << Utf8(c.FIELD_TEXTURE);
        EXPECT_TRUE(Exists(c.DOCUMENT)) << Utf8(c.DOCUMENT);
        EXPECT_LT(c.GOAL[0], c.GOAL[2]);
        EXPECT_LT(c.GOAL[1], c.GOAL[3]);
        EXPECT_GT(c.SELECT_SCALING, 0.1f);
        for (int k = 0; k < 3; k += 2) EXPECT_TRUE(c.START[k] > 0 && c.START[k] < 1) << "course " << i;
    }
}

// Descriptions come both as UTF-16 with a byte-order mark and in the ANSI code page, and fit the reader.
TEST_F(ShippedContent, DescriptionsUseBothEncodings)
{
    int utf16 = 0, ansi = 0;
    for (int i = 0; i < courseList.courseCount; ++i) {
        std::string path = Utf8(courseList.courses[i].DOCUMENT);
        for (char& ch : path)
            if (ch == '\\') ch = '/';
        std::string bytes = Slurp(path);
        ASSERT_FALSE(bytes.empty()) << path;
        EXPECT_LE(bytes.size(), 8192u);
        EXPECT_EQ(bytes.find('\r'), std::string::npos) << "a CR would show as a glyph";
        if (bytes.compare(0, 2, "\xFF\xFE") == 0) ++utf16;
        else ++ansi;
    }
    EXPECT_GT(utf16, 0);
    EXPECT_GT(ansi, 0);
}

// Every course has an English name and an English description beside its
// own, and every lettered sheet an English picture.
TEST_F(ShippedContent, EnglishForEveryCourseAndSheet)
{
    SetLanguage(LANGUAGE_ENGLISH);
    for (int i = 0; i < courseList.courseCount; ++i) {
        const CourseDef& c = courseList.courses[i];
        EXPECT_NE(std::u16string(CourseName(c)), std::u16string(c.FIELD_NAME)) << "course " << i;
        for (const char16_t* ch = CourseName(c); *ch; ch++) EXPECT_LT(*ch, 0x80) << "course " << i;
        std::string path = "en/" + Utf8(CourseDocument(c));
        for (char& ch : path)
            if (ch == '\\') ch = '/';
        std::string bytes = Slurp(path);
        EXPECT_FALSE(bytes.empty()) << path;
        EXPECT_LE(bytes.size(), 8192u) << path;
    }
    for (const char* sheet : {"head_option", "yesno", "head_select", "title_menu", "plates", "question", "race_menu",
                              "hud_label", "record", "option_items", "option_values", "title_top", "title_bottom"})
        EXPECT_TRUE(Exists((u"en/image/" + std::u16string(sheet, sheet + strlen(sheet)) + u".png").c_str())) << sheet;
    SetLanguage(LANGUAGE_JAPANESE);
}

// Every course loads, its grid lies inside the physics world's ±1000 box, and the ball settles at the start.
TEST_F(ShippedContent, EveryCourseLoadsAndHoldsTheBall)
{
    for (int i = 0; i < courseList.courseCount; ++i) {
        messages.clear();
        ASSERT_TRUE(LoadCourse(i)) << "course " << i;
        EXPECT_TRUE(messages.empty()) << "course " << i << ": " << (messages.empty() ? "" : messages[0]);
        const TerrainGrid& grid = CurrentTerrainGrid();
        ASSERT_GT(grid.vertexCount, 0);
        float reach = 0;
        for (int v = 0; v < grid.vertexCount; ++v) {
            const GridPoint& p = grid.positions[v];
            reach = std::max({reach, std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
        }
        EXPECT_LT(reach, 1000.0f) << "course " << i;
        // Two seconds without steering: the ball neither sinks through nor leaves the map.
        for (int frame = 0; frame < 120; ++frame) StepPhysicsWorld();
        SyncCourseTransforms();
        EXPECT_FALSE(IsBallFallen()) << "course " << i;
        EXPECT_FALSE(IsBallInGoal()) << "course " << i << " must not start in its goal";
    }
}
