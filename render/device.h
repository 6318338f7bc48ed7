// The graphics device: created once for the window, with the states, light,
// materials and shared geometry every drawing part uses, and the frame bracket.
#pragma once

int  InitRenderer();      // 1 ok, 0 when no device can be made
void ReleaseRenderer();
void BeginScene();        // begin the frame and clear to 0xFF404040, depth 1.0
void PresentScene();      // end the frame and show it; failures are ignored

// Resources the data loaders create through the device. Both work on the
// null platform too (files are still decoded, so failures are real).
#include <cstdint>

struct Texture;                      // a GPU texture with a full mip chain
struct Mesh;                         // a mesh made of subsets, one per material

struct Material {
    float diffuse[4];                // r, g, b, a
    float ambient[4];
    float specular[4];
    float emissive[4];
    float power;                     // specular exponent
};

struct MeshMaterial {
    Material material;
    char textureFile[260];           // raw name as the X file gives it ("" = none)
};

Texture* CreateTextureFromFile(const char* pathUtf8);    // null when missing/unreadable
void     ReleaseTexture(Texture* texture);
// Loads an X file; *materials (malloc'd, caller frees) lists every material in
// file order, subset i drawn with material i. Null on failure.
Mesh*    LoadMeshFromX(const char* pathUtf8, MeshMaterial** materials, uint32_t* materialCount);
void     ReleaseMesh(Mesh* mesh);
