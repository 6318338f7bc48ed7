// "def.ini": the tunable constants and the names of the obstacle meshes. Every line is searched for
// every key, so the file has no comment syntax: "#BALL_SIZE:[2]" still counts.
#include "data/settings.h"

#include <cstdlib>
#include <cstring>

#include "core/game.h"
#include "data/course_list.h"
#include "data/save_files.h"
#include "data/text_reader.h"
#include "data/texts.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/sys.h"

ShapeMeshNames shapeMeshNames;

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
        CopyText(shapeMeshNames.file[key.offset], VALUE_CHARS, name);
        shapeMeshNames.named[key.offset] = 1;
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

}  // namespace

// ---------------------------------------------------------------- public

void LoadSettings()
{
    memset(&game, 0, sizeof game);
    ApplyDefaults(&game.settings);
    SysMakeGameFolderCurrent();
    LoadOptions();
    shapeMeshNames = {};
    FILE* file = OpenTextFile("def.ini");
    if (!file) {
        SysErrorBox(Tr(TEXT_MSG_DEF_INI));
        return;
    }
    char16_t line[SETTING_LINE_CHARS + 1];
    int ballIndex = 0;
    while (ReadTextLine(file, line, SETTING_LINE_CHARS) != 0) ApplyLine(line, &ballIndex);
    fclose(file);
}
