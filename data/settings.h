// "def.ini": the game's tunable constants (ball types, camera and gravity
// presets, render switches) and the meshes of the three obstacle shapes.
// Read once at start-up by the course list loader.
#pragma once
#include <cstddef>
#include <cstdint>
#include "data/course_list.h"
#include "render/device.h"

// One obstacle shape's mesh as "def.ini" names it. Entry i of the lists
// dresses subset i; a texture entry is null where the material has none.
struct ShapeMesh {
    Mesh* mesh;                  // null when not loaded
    uint32_t materialCount;      // entries in textures and materials
    Texture** textures;          // malloc'd, materialCount entries
    Material* materials;         // malloc'd, ambient equal to diffuse
};
// Indexed by ObstacleShape: box, sphere (also the balls), pillar.
extern ShapeMesh shapeMeshes[3];

// What a key of "def.ini" fills.
enum SettingKind {
    SETTING_BALL_NUM,     // [n]: the ball type later lines fill
    SETTING_FLOATS,       // [a][b][c]...: floats of GameSettings at `offset`
    SETTING_DEGREES,      // like SETTING_FLOATS, the file gives degrees
    SETTING_RENDER,       // [words]: renderFlags
    SETTING_BALL_FLOAT,   // [v]: a float of the current BallType at `offset`
    SETTING_MESH          // [[file]]: shapeMeshes[`offset`]
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
// missing) and loads the shape meshes it names.
void LoadSettings();
// 1 loaded; 0 with a message when the X file fails (shape left empty).
// A texture that fails shows its message and leaves that entry null.
int  LoadShapeMesh(const char16_t* fileName, ShapeMesh* shape);
void ReleaseShapeMesh(ShapeMesh* shape);   // leaves it empty; no-op when empty
