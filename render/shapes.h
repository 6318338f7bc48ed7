// The meshes of the three obstacle shapes (also the balls' sphere), loaded
// from the X files "def.ini" names, with their materials and textures.
#pragma once
#include <cstdint>

#include "render/device.h"

// One obstacle shape's mesh. Entry i of the lists dresses subset i; a
// texture entry is null where the material has none.
struct ShapeMesh {
    Mesh* mesh;                  // null when not loaded
    uint32_t materialCount;      // entries in textures and materials
    Texture** textures;          // malloc'd, materialCount entries
    Material* materials;         // malloc'd, ambient equal to diffuse
};
// Indexed by ObstacleShape: box, sphere (also the balls), pillar.
extern ShapeMesh shapeMeshes[3];

// Loads every shape "def.ini" named (LoadSettings keeps the names), after
// releasing what was loaded before; a shape it did not name stays empty.
void LoadShapeMeshes();
void ReleaseShapeMeshes();
// 1 from LoadShapeMeshes to ReleaseShapeMeshes (a shape that failed to
// load counts: it is not tried again).
int  ShapeMeshesLoaded();
// 1 loaded; 0 with a message when the X file fails (shape left empty).
// A texture that fails shows its message and leaves that entry null.
int  LoadShapeMesh(const char16_t* fileName, ShapeMesh* shape);
void ReleaseShapeMesh(ShapeMesh* shape);   // leaves it empty; no-op when empty
