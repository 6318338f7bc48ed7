// X meshes flattened for the device: one vertex and one index array, the
// frame transforms applied, triangles sorted into one subset per material.
// Materials are numbered as the game has always numbered them: the top-level
// materials first, then each mesh's own in frame order, then those of meshes
// outside any frame; a ball type picks its material by that number, so
// unused materials keep their place.
#include "platform/meshfile.h"
#include "platform/common/xfile.h"
#include "platform/files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace {

// No mesh the game draws comes near this; a bigger file is refused unread.
const long kMaxMeshFileBytes = 16L * 1024 * 1024;

struct VertexKey {
    MeshFileVertex v;
    bool operator==(const VertexKey& o) const { return memcmp(&v, &o.v, sizeof v) == 0; }
};

struct VertexHash {
    size_t operator()(const VertexKey& k) const
    {
        const unsigned char* b = reinterpret_cast<const unsigned char*>(&k.v);
        size_t h = 1469598103934665603ull;
        for (size_t i = 0; i < sizeof k.v; ++i) h = (h ^ b[i]) * 1099511628211ull;
        return h;
    }
};

struct Builder {
    std::vector<MeshFileMaterial> materials;
    std::unordered_map<std::string, uint32_t> firstNamed;   // material name -> first number
    std::vector<MeshFileVertex> vertices;
    std::unordered_map<VertexKey, uint32_t, VertexHash> vertexNumbers;   // joins equal vertices
    std::vector<std::vector<uint32_t>> subsetIndices;                    // per material
    std::vector<uint32_t> cut;                                           // the face being cut
};

// Where one mesh's vertices go: its frame's transform, and for normals the
// inverse of its 3 x 3 part (all zero when the frame flattens the mesh).
struct Placement {
    const float* m;
    float normal[9];
};

// ---------------------------------------------------------------- materials

MeshFileMaterial ToMeshFileMaterial(const XMaterial& x)
{
    MeshFileMaterial out = {};
    memcpy(out.diffuse, x.diffuse, sizeof x.diffuse);
    memcpy(out.specular, x.specular, sizeof x.specular);
    memcpy(out.emissive, x.emissive, sizeof x.emissive);
    out.specular[3] = 1.0f;
    out.emissive[3] = 1.0f;
    out.power = x.power;
    snprintf(out.textureFile, sizeof out.textureFile, "%s", x.texture.c_str());
    return out;
}

void AddMaterial(Builder* b, const XMaterial& x)
{
    if (!x.name.empty()) b->firstNamed.emplace(x.name, static_cast<uint32_t>(b->materials.size()));
    b->materials.push_back(ToMeshFileMaterial(x));
}

// A reference names a material met earlier; one that names none is an error.
int NumberMaterials(Builder* b, const XMesh& mesh, std::vector<uint32_t>* numbers)
{
    for (size_t k = 0; k < mesh.materials.size(); ++k) {
        if (!mesh.isReference[k]) {
            numbers->push_back(static_cast<uint32_t>(b->materials.size()));
            AddMaterial(b, mesh.materials[k]);
            continue;
        }
        auto found = b->firstNamed.find(mesh.materials[k].name);
        if (found == b->firstNamed.end()) return 0;
        numbers->push_back(found->second);
    }
    return 1;
}

// A file with no material at all gets one plain grey material.
MeshFileMaterial DefaultMaterial()
{
    MeshFileMaterial m = {};
    m.diffuse[0] = m.diffuse[1] = m.diffuse[2] = 0.5f;
    m.diffuse[3] = 1.0f;
    m.specular[3] = m.emissive[3] = 1.0f;
    m.power = 1.0f;
    return m;
}

// ---------------------------------------------------------------- vertices

Placement PlacementOf(const float* m)
{
    Placement p = {m, {}};
    float a = m[0], b = m[1], c = m[2], d = m[4], e = m[5], f = m[6], g = m[8], h = m[9], i = m[10];
    float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    if (det == 0.0f) return p;
    float inverse[9] = {e * i - f * h, c * h - b * i, b * f - c * e, f * g - d * i, a * i - c * g,
                        c * d - a * f, d * h - e * g, b * g - a * h, a * e - b * d};
    for (int k = 0; k < 9; ++k) p.normal[k] = inverse[k] / det;
    return p;
}

MeshFileVertex CornerVertex(const XMesh& mesh, const Placement& at, uint32_t corner)
{
    MeshFileVertex v = {};
    const float* m = at.m;
    const float* p = &mesh.positions[size_t(mesh.faceIndices[corner]) * 3];
    for (int c = 0; c < 3; ++c) v.position[c] = p[0] * m[c] + p[1] * m[4 + c] + p[2] * m[8 + c] + m[12 + c];
    if (!mesh.normals.empty()) {
        // Row vectors: a normal goes through the inverse transpose, that is
        // the inverse applied to it as a column.
        const float* n = &mesh.normals[size_t(mesh.normalIndices[corner]) * 3];
        for (int c = 0; c < 3; ++c)
            v.normal[c] = at.normal[c * 3] * n[0] + at.normal[c * 3 + 1] * n[1] + at.normal[c * 3 + 2] * n[2];
        float length = std::sqrt(v.normal[0] * v.normal[0] + v.normal[1] * v.normal[1] + v.normal[2] * v.normal[2]);
        if (length > 0.0f)
            for (float& c : v.normal) c /= length;
    }
    if (!mesh.uvs.empty()) {
        v.u = mesh.uvs[size_t(mesh.faceIndices[corner]) * 2];
        v.v = mesh.uvs[size_t(mesh.faceIndices[corner]) * 2 + 1];
    }
    return v;
}

uint32_t VertexNumber(Builder* b, const MeshFileVertex& v)
{
    auto found = b->vertexNumbers.emplace(VertexKey{v}, static_cast<uint32_t>(b->vertices.size()));
    if (found.second) b->vertices.push_back(v);
    return found.first->second;
}

// ---------------------------------------------------------------- faces

// A four-corner face is cut from its one reflex corner, if it has one, so the
// two triangles stay inside it.
uint32_t QuadStart(const XMesh& mesh, uint32_t first)
{
    for (uint32_t i = 0; i < 4; ++i) {
        float d[3][3];
        const float* v = &mesh.positions[size_t(mesh.faceIndices[first + i]) * 3];
        bool usable = true;
        for (int k = 0; k < 3; ++k) {
            const float* w = &mesh.positions[size_t(mesh.faceIndices[first + (i + 3 - k) % 4]) * 3];
            float length = 0.0f;
            for (int c = 0; c < 3; ++c) {
                d[k][c] = w[c] - v[c];
                length += d[k][c] * d[k][c];
            }
            length = std::sqrt(length);
            usable = usable && length > 0.0f;
            for (int c = 0; c < 3 && usable; ++c) d[k][c] /= length;
        }
        if (!usable) continue;
        float toLeft = d[0][0] * d[1][0] + d[0][1] * d[1][1] + d[0][2] * d[1][2];
        float toRight = d[2][0] * d[1][0] + d[2][1] * d[1][1] + d[2][2] * d[1][2];
        if (std::acos(toLeft) + std::acos(toRight) > float(M_PI)) return i;
    }
    return 0;
}

// Corners of each triangle of a face, as offsets into the face: a fan, from
// the reflex corner of a quad or from the last corner of a larger face.
void CutFace(const XMesh& mesh, uint32_t first, uint32_t corners, std::vector<uint32_t>* out)
{
    out->clear();
    if (corners == 3) {
        out->insert(out->end(), {0, 1, 2});
    } else if (corners == 4) {
        uint32_t s = QuadStart(mesh, first);
        out->insert(out->end(), {s, (s + 1) % 4, (s + 2) % 4, s, (s + 2) % 4, (s + 3) % 4});
    } else {
        for (uint32_t k = 0; k + 2 < corners; ++k) out->insert(out->end(), {corners - 1, k, k + 1});
    }
}

void AddFace(Builder* b, const XMesh& mesh, const Placement& at, uint32_t face, uint32_t material)
{
    uint32_t first = mesh.faceStarts[face], corners = mesh.faceStarts[face + 1] - first;
    std::vector<uint32_t>& cut = b->cut;
    CutFace(mesh, first, corners, &cut);
    for (uint32_t offset : cut)
        b->subsetIndices[material].push_back(VertexNumber(b, CornerVertex(mesh, at, first + offset)));
}

// Faces go to their material's subset in list order, material by material,
// as the meshes have always been split.
void AddMesh(Builder* b, const XMesh& mesh, const std::vector<uint32_t>& numbers)
{
    Placement at = PlacementOf(mesh.transform);
    uint32_t faces = static_cast<uint32_t>(mesh.faceStarts.size() - 1);
    if (!mesh.hasMaterialList) {
        for (uint32_t f = 0; f < faces; ++f) AddFace(b, mesh, at, f, 0);
        return;
    }
    std::vector<uint32_t> byMaterial(faces);
    for (uint32_t f = 0; f < faces; ++f) byMaterial[f] = f;
    std::stable_sort(byMaterial.begin(), byMaterial.end(),
                     [&mesh](uint32_t a, uint32_t c) { return mesh.faceMaterials[a] < mesh.faceMaterials[c]; });
    for (uint32_t f : byMaterial) AddFace(b, mesh, at, f, numbers[mesh.faceMaterials[f]]);
}

template <typename T>
T* CopyOut(const std::vector<T>& items)
{
    if (items.empty()) return nullptr;
    T* copy = static_cast<T*>(malloc(items.size() * sizeof(T)));
    if (copy) memcpy(copy, items.data(), items.size() * sizeof(T));
    return copy;
}

int BuildMeshFile(const XScene& scene, MeshFile* out)
{
    Builder b;
    for (const XMaterial& m : scene.globalMaterials) AddMaterial(&b, m);
    std::vector<std::vector<uint32_t>> frameNumbers(scene.frameMeshes.size());
    std::vector<std::vector<uint32_t>> looseNumbers(scene.looseMeshes.size());
    for (size_t k = 0; k < scene.frameMeshes.size(); ++k)
        if (!NumberMaterials(&b, scene.frameMeshes[k], &frameNumbers[k])) return 0;
    for (size_t k = 0; k < scene.looseMeshes.size(); ++k)
        if (!NumberMaterials(&b, scene.looseMeshes[k], &looseNumbers[k])) return 0;
    if (b.materials.empty()) b.materials.push_back(DefaultMaterial());
    b.subsetIndices.resize(b.materials.size());
    for (size_t k = 0; k < scene.looseMeshes.size(); ++k) AddMesh(&b, scene.looseMeshes[k], looseNumbers[k]);
    for (size_t k = 0; k < scene.frameMeshes.size(); ++k) AddMesh(&b, scene.frameMeshes[k], frameNumbers[k]);
    std::vector<uint32_t> indices;
    std::vector<MeshFileSubset> subsets;
    for (const std::vector<uint32_t>& subset : b.subsetIndices) {
        subsets.push_back({static_cast<uint32_t>(indices.size()), static_cast<uint32_t>(subset.size() / 3)});
        indices.insert(indices.end(), subset.begin(), subset.end());
    }
    if (b.vertices.empty() || indices.empty()) return 0;
    out->vertices = CopyOut(b.vertices);
    out->vertexCount = static_cast<uint32_t>(b.vertices.size());
    out->indices = CopyOut(indices);
    out->indexCount = static_cast<uint32_t>(indices.size());
    out->subsets = CopyOut(subsets);
    out->materials = CopyOut(b.materials);
    out->materialCount = static_cast<uint32_t>(b.materials.size());
    return out->vertices && out->indices && out->subsets && out->materials;
}

int ReadWholeFile(const char* path, std::vector<unsigned char>* bytes)
{
    FILE* file = fopen(path, "rb");
    if (!file) return 0;
    long size = fseek(file, 0, SEEK_END) == 0 ? ftell(file) : -1;
    int res = size >= 0 && size <= kMaxMeshFileBytes && fseek(file, 0, SEEK_SET) == 0;
    if (res) {
        bytes->resize(static_cast<size_t>(size));
        res = fread(bytes->data(), 1, bytes->size(), file) == bytes->size();
    }
    fclose(file);
    return res;
}

}  // namespace

int SysLoadMeshFile(const char* nameUtf8, MeshFile* out)
{
    *out = {};
    char path[4096];
    if (!nameUtf8 || !nameUtf8[0] || !SysResolvePath(nameUtf8, path, sizeof path)) return 0;
    std::vector<unsigned char> bytes;
    XScene scene;
    if (!ReadWholeFile(path, &bytes) || !ReadXFile(bytes.data(), bytes.size(), &scene)) return 0;
    int res = BuildMeshFile(scene, out);
    if (!res) SysFreeMeshFile(out);
    return res;
}

void SysFreeMeshFile(MeshFile* mesh)
{
    free(mesh->vertices);
    free(mesh->indices);
    free(mesh->subsets);
    free(mesh->materials);
    *mesh = {};
}
