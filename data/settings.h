// "def.ini": the game's tunable constants (ball types, camera and gravity
// presets, render switches) and the names of the three obstacle meshes.
// Read once at start-up by the course list loader.
#pragma once
#include <cstddef>
#include <cstdint>
#include "data/course_list.h"
#include "data/text_reader.h"

// The obstacle meshes "def.ini" names, by ObstacleShape. The renderer loads
// them (render/shapes.h); this layer only reads the file.
struct ShapeMeshNames {
    char16_t file[3][VALUE_CHARS];   // the name as written; "" when none was given
    int named[3];                    // 1 when a line named this shape (even "")
};
extern ShapeMeshNames shapeMeshNames;

// What a key of "def.ini" fills.
enum SettingKind {
    SETTING_BALL_NUM,     // [n]: the ball type later lines fill
    SETTING_FLOATS,       // [a][b][c]...: floats of GameSettings at `offset`
    SETTING_DEGREES,      // like SETTING_FLOATS, the file gives degrees
    SETTING_RENDER,       // [words]: renderFlags
    SETTING_BALL_FLOAT,   // [v]: a float of the current BallType at `offset`
    SETTING_MESH          // [[file]]: shapeMeshNames entry `offset`
};

struct SettingKey {
    const char16_t* key;  // exact text, trailing colon included
    SettingKind kind;
    size_t offset;        // byte offset in GameSettings / BallType, or shape
    int count;            // values the key takes
    float defaultValue;   // what LoadSettings starts every value with
};
// In the order a line is tested.
extern const SettingKey settingKeys[];
extern const int settingKeyCount;

// Resets the global game record, applies the defaults, restores the option
// choices of "config.sav", then reads "def.ini" (a message when it is
// missing) and keeps the mesh names it gives.
void LoadSettings();
