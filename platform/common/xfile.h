// The X file's content as the mesh loader needs it, read from the text or
// the binary form. Shared by meshfile.cpp and the mesh tests only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct XMaterial {
    std::string name;              // "" when the file gave none
    float diffuse[4];
    float power;
    float specular[3];
    float emissive[3];
    std::string texture;           // first TextureFilename, "" = none
};

struct XMesh {
    std::vector<float> positions;       // 3 per vertex
    std::vector<uint32_t> faceStarts;   // faceCount + 1 offsets into faceIndices
    std::vector<uint32_t> faceIndices;
    std::vector<float> normals;         // 3 per normal; empty = none
    std::vector<uint32_t> normalIndices; // parallel to faceIndices when normals exist
    std::vector<float> uvs;             // 2 per vertex; empty = none
    bool hasMaterialList;
    std::vector<uint32_t> faceMaterials; // one per face when hasMaterialList
    std::vector<XMaterial> materials;   // own materials and references, list order
    std::vector<bool> isReference;      // parallel to materials
    float transform[16];                // to the file's frame, row vectors
};

struct XScene {
    std::vector<XMaterial> globalMaterials;  // top-level Material objects
    std::vector<XMesh> frameMeshes;          // meshes inside frames, frame order
    std::vector<XMesh> looseMeshes;          // top-level Mesh objects
};

// 1 ok; 0 when the bytes are no X file this reader takes or break any of its
// limits (counts beyond what the bytes can hold, indices out of range,
// nesting too deep). The compressed forms are refused.
int ReadXFile(const unsigned char* bytes, size_t size, XScene* out);
