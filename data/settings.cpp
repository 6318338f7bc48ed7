// "def.ini" and the obstacle meshes it names. Every line is searched for
// every key, so the file has no comment syntax: "#BALL_SIZE:[2]" still counts.
#include "data/settings.h"

#include <cstdlib>
#include <cstring>

#include "app/game.h"
#include "data/course_list.h"
#include "data/save_files.h"
#include "data/text_reader.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/sys.h"

ShapeMesh shapeMeshes[3];

const SettingKey settingKeys[] = {
    {u"BALL_NUM:", SETTING_BALL_NUM, 0, 1, 0.0f},
    {u"CAMERA_LENGTH:", SETTING_FLOATS, offsetof(GameSettings, cameraLength), 3, 96.0f},
    {u"CAMERA_PITCH:", SETTING_DEGREES, offsetof(GameSettings, cameraPitch), 3, 0.83775806f},
    {u"RENDER_SETTING:", SETTING_RENDER, offsetof(GameSettings, renderFlags), 1, 12.0f},
    {u"GROUND_BOUND:", SETTING_FLOATS, offsetof(GameSettings, groundBound), 1, 0.0f},
    {u"GRAVITY:", SETTING_FLOATS, offsetof(GameSettings, gravity), 3, 0.0f},
    {u"BALL_SIZE:", SETTING_BALL_FLOAT, offsetof(BallType, size), 1, 3.0f},
    {u"BALL_WEIGHT:", SETTING_BALL_FLOAT, offsetof(BallType, weight), 1, 1.0f},
    {u"BALL_BOUND:", SETTING_BALL_FLOAT, offsetof(BallType, bound), 1, 0.0f},
    {u"BALL_BRAKE_GAIN:", SETTING_BALL_FLOAT, offsetof(BallType, brakeGain), 1, 0.0f},
    {u"BALL_JUMP_GAIN:", SETTING_BALL_FLOAT, offsetof(BallType, jumpGain), 1, 0.0f},
    {u"BALL_SPEED:", SETTING_BALL_FLOAT, offsetof(BallType, speed), 1, 0.5f},
    {u"BOX_MESH:", SETTING_MESH, SHAPE_BOX, 1, 0.0f},
    {u"SPHERE_MESH:", SETTING_MESH, SHAPE_SPHERE, 1, 0.0f},
    {u"PILLAR_MESH:", SETTING_MESH, SHAPE_PILLAR, 1, 0.0f},
};
const int settingKeyCount = sizeof settingKeys / sizeof settingKeys[0];

namespace {

// The single-precision pi the game's angles have always been converted with.
const float kPi = 3.1415925f;

struct RenderWord { const char16_t* word; uint32_t flag; };
const RenderWord kRenderWords[] = {
    {u"WYREFRAME", WYREFRAME}, {u"FLATSHADING", FLATSHADING},
    {u"USETEXTURE", USETEXTURE}, {u"DRAWSHADOW", DRAWSHADOW},
};

float* FloatAt(void* base, size_t offset)
{
    return reinterpret_cast<float*>(static_cast<char*>(base) + offset);
}

void ApplyDefaults(GameSettings* settings)
{
    settings->renderFlags = USETEXTURE | DRAWSHADOW;
    for (const SettingKey& key : settingKeys) {
        for (int i = 0; i < key.count; i++) {
            if (key.kind == SETTING_FLOATS || key.kind == SETTING_DEGREES)
                FloatAt(settings, key.offset)[i] = key.defaultValue;
            if (key.kind == SETTING_BALL_FLOAT)
                for (BallType& ball : settings->ballTypes) *FloatAt(&ball, key.offset) = key.defaultValue;
        }
    }
}

// Values stand one after the other from the key on; from the first missing
// bracket on every value reads 0.
void ReadFloats(const char16_t* at, float* out, int count, bool degrees)
{
    char16_t value[VALUE_CHARS];
    for (int i = 0; i < count; i++) {
        at = GetBracketValue(value, at);
        float v = ParseReal(value);
        out[i] = degrees ? v * kPi / 180.0f : v;
    }
}

uint32_t ReadRenderFlags(const char16_t* at)
{
    char16_t value[VALUE_CHARS];
    GetBracketValue(value, at);
    uint32_t flags = 0;
    for (const RenderWord& word : kRenderWords)
        if (FindText(value, word.word)) flags |= word.flag;
    return flags;
}

// A ball number is cut to an integer; one that names no ball type is
// ignored rather than letting later keys write past the three entries.
void ReadBallNumber(const char16_t* at, int* ballIndex)
{
    char16_t value[VALUE_CHARS];
    GetBracketValue(value, at);
    float number = ParseReal(value);
    if (number > -1.0f && number < 3.0f) *ballIndex = (int)number;
}

void ApplyKey(const SettingKey& key, const char16_t* at, BallType* ball, int* nextBall)
{
    GameSettings* settings = &game.settings;
    char16_t name[VALUE_CHARS];
    switch (key.kind) {
    case SETTING_BALL_NUM: ReadBallNumber(at, nextBall); break;
    case SETTING_FLOATS: ReadFloats(at, FloatAt(settings, key.offset), key.count, false); break;
    case SETTING_DEGREES: ReadFloats(at, FloatAt(settings, key.offset), key.count, true); break;
    case SETTING_RENDER: settings->renderFlags = ReadRenderFlags(at); break;
    case SETTING_BALL_FLOAT: ReadFloats(at, FloatAt(ball, key.offset), 1, false); break;
    case SETTING_MESH:
        GetNameValue(name, at);
        LoadShapeMesh(name, &shapeMeshes[key.offset]);
        break;
    }
}

void ApplyLine(const char16_t* line, int* ballIndex)
{
    BallType* ball = &game.settings.ballTypes[*ballIndex];
    int nextBall = *ballIndex;
    for (const SettingKey& key : settingKeys) {
        const char16_t* at = FindText(line, key.key);
        if (at) ApplyKey(key, at, ball, &nextBall);
    }
    *ballIndex = nextBall;
}

// ---------------------------------------------------------------- meshes

// Textures sit in the folder of the mesh name's first component ("mesh\" of
// "mesh\box.x"), below the game folder, whichever separator is used.
void TextureFolder(const char16_t* meshName, char* out, size_t outSize)
{
    const char16_t* cut = FindText(meshName, u"\\");
    if (!cut) cut = FindText(meshName, u"/");
    size_t length = cut ? (size_t)(cut - meshName) + 1 : 0;
    char16_t folder[VALUE_CHARS];
    CopyText(folder, length + 1 < (size_t)VALUE_CHARS ? length + 1 : (size_t)VALUE_CHARS, meshName);
    char folderUtf8[1024];
    Utf16ToUtf8(folder, folderUtf8, sizeof folderUtf8);
    snprintf(out, outSize, "%s%s", SysGameFolder(), folderUtf8);
}

Texture* LoadMaterialTexture(const char* folder, const char* rawName)
{
    char16_t name[260];
    DecodeNarrowText(rawName, strnlen(rawName, 259), name, 260);
    char nameUtf8[1024];
    Utf16ToUtf8(name, nameUtf8, sizeof nameUtf8);
    char path[2048];
    // A name that does not fit cannot be a real file: treat it as missing.
    int n = snprintf(path, sizeof path, "%s%s", nameUtf8[0] == '/' ? "" : folder, nameUtf8);
    if (n < 0 || n >= (int)sizeof path)
        return nullptr;
    char resolved[2048];
    SysResolvePath(path, resolved, sizeof resolved);
    return CreateTextureFromFile(resolved);
}

}  // namespace

// ---------------------------------------------------------------- public

void LoadSettings()
{
    memset(&game, 0, sizeof game);
    ApplyDefaults(&game.settings);
    SysMakeGameFolderCurrent();
    LoadOptions();
    for (ShapeMesh& shape : shapeMeshes) ReleaseShapeMesh(&shape);
    FILE* file = OpenTextFile("def.ini");
    if (!file) {
        SysErrorBox("初期設定ファイル'def.ini'が読み込めませんでした。");
        return;
    }
    char16_t line[SETTING_LINE_CHARS + 1];
    int ballIndex = 0;
    while (ReadTextLine(file, line, SETTING_LINE_CHARS) != 0) ApplyLine(line, &ballIndex);
    fclose(file);
}

int LoadShapeMesh(const char16_t* fileName, ShapeMesh* shape)
{
    ReleaseShapeMesh(shape);
    char name[1024];
    Utf16ToUtf8(fileName, name, sizeof name);
    char path[2048];
    SysResolvePath(name, path, sizeof path);
    MeshMaterial* loaded = nullptr;
    uint32_t count = 0;
    Mesh* mesh = path[0] ? LoadMeshFromX(path, &loaded, &count) : nullptr;
    Texture** textures = mesh ? (Texture**)calloc(count + 1, sizeof(Texture*)) : nullptr;
    Material* materials = mesh ? (Material*)calloc(count + 1, sizeof(Material)) : nullptr;
    if (!textures || !materials) {
        free(textures);
        free(materials);
        free(loaded);
        if (mesh) ReleaseMesh(mesh);
        SysErrorBox("Xファイルの読み込みに失敗しました");
        return 0;
    }
    *shape = {mesh, count, textures, materials};
    char folder[2048];
    TextureFolder(fileName, folder, sizeof folder);
    for (uint32_t i = 0; i < count; i++) {
        materials[i] = loaded[i].material;
        memcpy(materials[i].ambient, materials[i].diffuse, sizeof materials[i].ambient);
        if (!loaded[i].textureFile[0]) continue;
        textures[i] = LoadMaterialTexture(folder, loaded[i].textureFile);
        if (!textures[i]) SysErrorBox("テクスチャの読み込みに失敗しました");
    }
    free(loaded);
    return 1;
}

void ReleaseShapeMesh(ShapeMesh* shape)
{
    if (!shape->mesh) return;
    for (uint32_t i = 0; i < shape->materialCount; i++)
        if (shape->textures[i]) ReleaseTexture(shape->textures[i]);
    free(shape->textures);
    free(shape->materials);
    ReleaseMesh(shape->mesh);
    *shape = {};
}
