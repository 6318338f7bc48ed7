// Mesh files in DirectX X format, flattened into one vertex array and one
// index array whose triangles are grouped by material: subset i is every
// triangle drawn with material i, and the materials keep their file order
// (unused ones included), so a mesh's material number addresses both.
#pragma once
#include <cstdint>

struct MeshFileVertex {            // 32 bytes
    float position[3];             // left-handed, as the file gives it
    float normal[3];
    float u, v;                    // v runs down the picture
};

struct MeshFileSubset {
    uint32_t firstIndex;           // into indices
    uint32_t triangleCount;
};

struct MeshFileMaterial {
    float diffuse[4];              // r, g, b, a
    float ambient[4];              // the file format has none: zero
    float specular[4];
    float emissive[4];
    float power;
    char  textureFile[260];        // bytes as the file wrote them; "" = none
};

struct MeshFile {
    MeshFileVertex*   vertices;
    uint32_t          vertexCount;
    uint32_t*         indices;
    uint32_t          indexCount;
    MeshFileSubset*   subsets;       // materialCount entries
    MeshFileMaterial* materials;
    uint32_t          materialCount;
};

// 1 ok; 0 when the file is missing or not a mesh (out is then empty).
int  SysLoadMeshFile(const char* nameUtf8, MeshFile* out);
void SysFreeMeshFile(MeshFile* mesh);
