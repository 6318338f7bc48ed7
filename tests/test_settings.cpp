// "def.ini": defaults, every key's parsing rules, config.sav restore and the
// obstacle meshes with their textures.
#include <cmath>
#include <cstring>
#include <string>

#include "core/game.h"
#include "data/settings.h"
#include "render/shapes.h"
#include "data/text_reader.h"
#include "support/data_files.h"

namespace {

class SettingsTest : public DataFilesTest {
protected:
    void TearDown() override
    {
        for (ShapeMesh& shape : shapeMeshes) ReleaseShapeMesh(&shape);
        DataFilesTest::TearDown();
    }
};

const GameSettings& S() { return game.settings; }

const double kDegree = 3.14159265358979 / 180.0;

}  // namespace

// No def.ini: one message and every default.
TEST_F(SettingsTest, MissingFileKeepsDefaults)
{
    game.state = STATE_RACE;
    game.currentCourse = 4;
    LoadSettings();
    ASSERT_EQ(shownMessages.size(), 1u);
    EXPECT_EQ(shownMessages[0], "初期設定ファイル'def.ini'が読み込めませんでした。");
    EXPECT_EQ(game.state, STATE_TITLE);
    EXPECT_EQ(game.currentCourse, 0);
    EXPECT_EQ(S().renderFlags, 12u);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(S().ballTypes[i].size, 3.0f);
        EXPECT_EQ(S().ballTypes[i].weight, 1.0f);
        EXPECT_EQ(S().ballTypes[i].speed, 0.5f);
        EXPECT_EQ(S().ballTypes[i].bound, 0.0f);
        EXPECT_EQ(S().ballTypes[i].brakeGain, 0.0f);
        EXPECT_EQ(S().ballTypes[i].jumpGain, 0.0f);
        EXPECT_EQ(S().cameraLength[i], 96.0f);
        EXPECT_EQ(S().cameraPitch[i], 0.83775806f);
        EXPECT_EQ(S().gravity[i], 0.0f);
    }
    EXPECT_EQ(S().groundBound, 0.0f);
    EXPECT_EQ(shapeMeshes[SHAPE_BOX].mesh, nullptr);
}

// Render words anywhere in the bracket set their bits; an empty bracket clears all four.
TEST_F(SettingsTest, RenderSettingWords)
{
    WriteBytes("def.ini", "RENDER_SETTING:[USETEXTURE DRAWSHADOW FLATSHADING]\n");
    LoadSettings();
    EXPECT_EQ(S().renderFlags, 13u);
    WriteBytes("def.ini", "RENDER_SETTING:[WYREFRAME,x]\n");
    LoadSettings();
    EXPECT_EQ(S().renderFlags, 2u);
    WriteBytes("def.ini", "RENDER_SETTING:[]\n");
    LoadSettings();
    EXPECT_EQ(S().renderFlags, 0u);
    EXPECT_TRUE(shownMessages.empty());
}

// BALL_NUM applies from the next line, is cut to an integer, and one outside 0..2 is ignored.
TEST_F(SettingsTest, BallNumberSelectsFromTheNextLine)
{
    WriteBytes("def.ini",
               "BALL_NUM:[1] BALL_SIZE:[2]\n"
               "BALL_SIZE:[4]\n"
               "BALL_NUM:[2.9]\nBALL_WEIGHT:[7]\n"
               "BALL_NUM:[5]\nBALL_SPEED:[9]\n"
               "BALL_NUM:[-1]\nBALL_BOUND:[0.5]\n");
    LoadSettings();
    EXPECT_EQ(S().ballTypes[0].size, 2.0f);
    EXPECT_EQ(S().ballTypes[1].size, 4.0f);
    EXPECT_EQ(S().ballTypes[2].weight, 7.0f);
    EXPECT_EQ(S().ballTypes[2].speed, 9.0f);     // [5] ignored: still type 2
    EXPECT_EQ(S().ballTypes[2].bound, 0.5f);     // [-1] ignored
    EXPECT_EQ(S().ballTypes[0].speed, 0.5f);
}

// Several values per key; a missing bracket stores 0, not the default.
TEST_F(SettingsTest, MissingBracketsStoreZero)
{
    WriteBytes("def.ini",
               "GRAVITY:[9.8]\n"
               "CAMERA_LENGTH:[50][60\n"
               "BALL_SIZE:\n"
               "GROUND_BOUND:[0.25]\n");
    LoadSettings();
    EXPECT_FLOAT_EQ(S().gravity[0], 9.8f);
    EXPECT_EQ(S().gravity[1], 0.0f);
    EXPECT_EQ(S().gravity[2], 0.0f);
    EXPECT_EQ(S().cameraLength[0], 50.0f);
    EXPECT_EQ(S().cameraLength[1], 0.0f);
    EXPECT_EQ(S().cameraLength[2], 0.0f);
    EXPECT_EQ(S().ballTypes[0].size, 0.0f);
    EXPECT_EQ(S().groundBound, 0.25f);
}

// Camera pitches come in degrees and are stored in radians.
TEST_F(SettingsTest, PitchInDegrees)
{
    WriteBytes("def.ini", "CAMERA_PITCH:[30][48][70]\n");
    LoadSettings();
    EXPECT_NEAR(S().cameraPitch[0], 30 * kDegree, 1e-6);
    EXPECT_NEAR(S().cameraPitch[1], 0.83775806, 1e-7);
    EXPECT_NEAR(S().cameraPitch[2], 70 * kDegree, 1e-6);
}

// Pitches are degrees times 3.1415925f, then divided by 180, in single precision
// (the other orders, or double arithmetic, land one float step away).
TEST_F(SettingsTest, PitchRoundsLikeTheGame)
{
    WriteBytes("def.ini", "CAMERA_PITCH:[30][48][70]\n");
    LoadSettings();
    EXPECT_EQ(S().cameraPitch[0], 0.523598731f);
    EXPECT_EQ(S().cameraPitch[1], 0.837758064f);
    EXPECT_EQ(S().cameraPitch[2], 1.22173035f);
}

// There are no comments: a key after "#" still counts; keys repeat and later lines win.
TEST_F(SettingsTest, HashIsNoCommentAndLaterLinesWin)
{
    WriteBytes("def.ini", "#BALL_JUMP_GAIN:[3]\nBALL_BRAKE_GAIN:[1]\nBALL_BRAKE_GAIN:[2]\n");
    LoadSettings();
    EXPECT_EQ(S().ballTypes[0].jumpGain, 3.0f);
    EXPECT_EQ(S().ballTypes[0].brakeGain, 2.0f);
}

// Every ball key of the table fills its own field of the selected ball type (UTF-16 file).
TEST_F(SettingsTest, EveryBallKeyFillsItsField)
{
    std::u16string text = u"BALL_NUM:[2]\r\n";
    int n = 0;
    for (int k = 0; k < settingKeyCount; k++)
        if (settingKeys[k].kind == SETTING_BALL_FLOAT)
            text += std::u16string(settingKeys[k].key) + u"[" + char16_t(u'1' + n++) + u"]\r\n";
    WriteUtf16File("def.ini", text);
    LoadSettings();
    n = 0;
    for (int k = 0; k < settingKeyCount; k++) {
        if (settingKeys[k].kind != SETTING_BALL_FLOAT) continue;
        float value;
        memcpy(&value, reinterpret_cast<const char*>(&S().ballTypes[2]) + settingKeys[k].offset, sizeof value);
        EXPECT_EQ(value, float(1 + n++));
        memcpy(&value, reinterpret_cast<const char*>(&S().ballTypes[0]) + settingKeys[k].offset, sizeof value);
        EXPECT_EQ(value, settingKeys[k].defaultValue);
    }
    EXPECT_EQ(n, 6);
}

// config.sav restores the four choices in order; a 4-byte file only the first; out of range clamps.
TEST_F(SettingsTest, ConfigSaveRestoresChoices)
{
    WriteBytes("config.sav", LittleEndianWords({2, 1, 2, 1}));
    LoadSettings();
    EXPECT_EQ(S().ballTypeSel, 2);
    EXPECT_EQ(S().gravitySel, 1);
    EXPECT_EQ(S().cameraPitchSel, 2);
    EXPECT_EQ(S().cameraLengthSel, 1);
    WriteBytes("config.sav", LittleEndianWords({1}));
    LoadSettings();
    EXPECT_EQ(S().ballTypeSel, 1);
    EXPECT_EQ(S().gravitySel, 0);
    EXPECT_EQ(S().cameraLengthSel, 0);
    WriteBytes("config.sav", LittleEndianWords({7, 0xFFFFFFFDu, 0x80000000u}) + "\x01\x00");
    LoadSettings();
    EXPECT_EQ(S().ballTypeSel, 2);
    EXPECT_EQ(S().gravitySel, 0);
    EXPECT_EQ(S().cameraPitchSel, 0);
    EXPECT_EQ(S().cameraLengthSel, 0);   // a cut value is not used
}

// A mesh that does not load shows the X-file message and leaves the shape empty; so does a missing name.
TEST_F(SettingsTest, MissingMeshShowsMessage)
{
    WriteBytes("def.ini", "BOX_MESH:[[mesh\\none.x]]\nSPHERE_MESH:\n");
    LoadSettings();
    LoadShapeMeshes();
    ASSERT_EQ(shownMessages.size(), 2u);
    EXPECT_EQ(shownMessages[0], "Xファイルの読み込みに失敗しました");
    EXPECT_EQ(shownMessages[1], "Xファイルの読み込みに失敗しました");
    EXPECT_EQ(shapeMeshes[SHAPE_BOX].mesh, nullptr);
    EXPECT_EQ(shapeMeshes[SHAPE_SPHERE].materialCount, 0u);
}

// Mesh textures are found in the mesh name's first folder, with either separator; ambient equals diffuse.
TEST_F(SettingsTest, MeshMaterialsAndTextures)
{
    WriteXMesh("Mesh/box.x", {"wood.bmp", "", "gone.bmp", "\x95\x5C.bmp"});
    WriteBmp("Mesh/wood.bmp");
    WriteBmp("Mesh/\xE8\xA1\xA8.bmp");   // 表.bmp, named in CP932 inside the mesh
    WriteBytes("def.ini", "BOX_MESH:[[mesh\\box.x]]\nPILLAR_MESH:[[mesh/box.x]]\n");
    LoadSettings();
    LoadShapeMeshes();
    const ShapeMesh& box = shapeMeshes[SHAPE_BOX];
    if (!box.mesh) GTEST_SKIP() << "X meshes do not load on this build yet";
    ASSERT_EQ(box.materialCount, 4u);
    EXPECT_NE(box.textures[0], nullptr);
    EXPECT_EQ(box.textures[1], nullptr);
    EXPECT_EQ(box.textures[2], nullptr);
    EXPECT_NE(box.textures[3], nullptr);
    for (uint32_t i = 0; i < 4; i++) {
        EXPECT_NEAR(box.materials[i].diffuse[0], 0.1f * float(i + 1), 1e-6);
        EXPECT_EQ(0, memcmp(box.materials[i].ambient, box.materials[i].diffuse, sizeof(float) * 4));
    }
    EXPECT_NEAR(box.materials[0].specular[0], 0.3f, 1e-6);
    // One texture message per shape for "gone.bmp"; the pillar loaded the same mesh.
    EXPECT_EQ(shownMessages, (std::vector<std::string>{"テクスチャの読み込みに失敗しました",
                                                       "テクスチャの読み込みに失敗しました"}));
    EXPECT_NE(shapeMeshes[SHAPE_PILLAR].textures[0], nullptr);
    EXPECT_EQ(shapeMeshes[SHAPE_SPHERE].mesh, nullptr);
    ReleaseShapeMesh(&shapeMeshes[SHAPE_BOX]);
    EXPECT_EQ(shapeMeshes[SHAPE_BOX].mesh, nullptr);
    EXPECT_EQ(shapeMeshes[SHAPE_BOX].textures, nullptr);
}

// Random def.ini contents never crash and never select a fourth ball type.
TEST_F(SettingsTest, RandomFilesAreSafe)
{
    std::vector<std::string> keys;
    for (int k = 0; k < settingKeyCount; k++) {
        char key[64];
        Utf16ToUtf8(settingKeys[k].key, key, sizeof key);
        if (settingKeys[k].kind != SETTING_MESH) keys.push_back(key);
    }
    for (unsigned seed = 0; seed < 60; seed++) {
        WriteBytes("def.ini", RandomSettingText(seed, keys));
        WriteBytes("config.sav", RandomSettingText(seed + 1000, keys).substr(0, seed % 20));
        LoadSettings();
        EXPECT_LE(S().ballTypeSel, 2);
        EXPECT_GE(S().ballTypeSel, 0);
        EXPECT_LE(S().renderFlags, 15u);
    }
}
