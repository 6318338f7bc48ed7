// X meshes through Assimp. Assimp hands back one aiMesh per material and a
// node tree; the game wants what the classic loader gave: one mesh, its frame
// hierarchy applied, with triangles sorted into one subset per material.
#include "platform/meshfile.h"
#include "platform/files.h"

#include <assimp/cimport.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// ConvertToLeftHanded keeps the file's own frame (z, winding and v as
// written). RemoveRedundantMaterials must never be used: materials that no
// face uses still count, a ball type picks its material by number.
const unsigned kImportFlags =
    aiProcess_ConvertToLeftHanded | aiProcess_JoinIdenticalVertices | aiProcess_Triangulate;

struct MeshInstance {
    const aiMesh* mesh;
    aiMatrix4x4   transform;       // node to model
};

void CollectInstances(const aiScene* scene, const aiNode* node, const aiMatrix4x4& parent,
                      std::vector<MeshInstance>* out)
{
    aiMatrix4x4 transform = parent * node->mTransformation;
    for (unsigned k = 0; k < node->mNumMeshes; ++k)
        if (node->mMeshes[k] < scene->mNumMeshes)
            out->push_back({scene->mMeshes[node->mMeshes[k]], transform});
    for (unsigned c = 0; c < node->mNumChildren; ++c)
        CollectInstances(scene, node->mChildren[c], transform, out);
}

void CopyColour(const aiMaterial* material, const char* key, unsigned type, unsigned index,
                float out[4])
{
    aiColor4D colour(0, 0, 0, 0);
    if (aiGetMaterialColor(material, key, type, index, &colour) == AI_SUCCESS) {
        out[0] = colour.r; out[1] = colour.g; out[2] = colour.b; out[3] = colour.a;
    }
}

void CopyMaterial(const aiMaterial* source, MeshFileMaterial* out)
{
    *out = {};
    CopyColour(source, AI_MATKEY_COLOR_DIFFUSE, out->diffuse);
    CopyColour(source, AI_MATKEY_COLOR_SPECULAR, out->specular);
    CopyColour(source, AI_MATKEY_COLOR_EMISSIVE, out->emissive);
    ai_real power = 0;
    if (aiGetMaterialFloat(source, AI_MATKEY_SHININESS, &power) == AI_SUCCESS)
        out->power = power;
    aiString name;
    if (aiGetMaterialTexture(source, aiTextureType_DIFFUSE, 0, &name, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr) == AI_SUCCESS) {
        size_t length = name.length < sizeof out->textureFile ? name.length
                                                              : sizeof out->textureFile - 1;
        memcpy(out->textureFile, name.data, length);
        out->textureFile[length] = '\0';
    }
}

void AppendVertices(const MeshInstance& instance, std::vector<MeshFileVertex>* out)
{
    const aiMesh* mesh = instance.mesh;
    aiMatrix3x3 normalMatrix(instance.transform);
    normalMatrix.Inverse().Transpose();
    for (unsigned k = 0; k < mesh->mNumVertices; ++k) {
        aiVector3D p = instance.transform * mesh->mVertices[k];
        aiVector3D n(0, 0, 0);
        if (mesh->mNormals)
            n = (normalMatrix * mesh->mNormals[k]).NormalizeSafe();
        aiVector3D uv(0, 0, 0);
        if (mesh->mTextureCoords[0])
            uv = mesh->mTextureCoords[0][k];
        out->push_back({{p.x, p.y, p.z}, {n.x, n.y, n.z}, uv.x, uv.y});
    }
}

// Triangles of one instance; points and lines left by Triangulate are
// skipped, and so is a face naming a vertex the mesh does not have.
void AppendTriangles(const aiMesh* mesh, uint32_t base, std::vector<uint32_t>* out)
{
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        if (face.mNumIndices != 3 || face.mIndices[0] >= mesh->mNumVertices ||
            face.mIndices[1] >= mesh->mNumVertices || face.mIndices[2] >= mesh->mNumVertices)
            continue;
        for (int c = 0; c < 3; ++c)
            out->push_back(base + face.mIndices[c]);
    }
}

template <typename T>
T* CopyOut(const std::vector<T>& items)
{
    if (items.empty())
        return nullptr;
    T* copy = static_cast<T*>(malloc(items.size() * sizeof(T)));
    if (copy)
        memcpy(copy, items.data(), items.size() * sizeof(T));
    return copy;
}

int BuildMeshFile(const aiScene* scene, MeshFile* out)
{
    std::vector<MeshInstance> instances;
    CollectInstances(scene, scene->mRootNode, aiMatrix4x4(), &instances);
    std::vector<MeshFileVertex> vertices;
    std::vector<uint32_t> bases;
    for (const MeshInstance& instance : instances) {
        bases.push_back(static_cast<uint32_t>(vertices.size()));
        AppendVertices(instance, &vertices);
    }
    std::vector<uint32_t> indices;
    std::vector<MeshFileSubset> subsets(scene->mNumMaterials);
    for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
        subsets[m].firstIndex = static_cast<uint32_t>(indices.size());
        for (size_t k = 0; k < instances.size(); ++k)
            if (instances[k].mesh->mMaterialIndex == m)
                AppendTriangles(instances[k].mesh, bases[k], &indices);
        subsets[m].triangleCount =
            static_cast<uint32_t>(indices.size() - subsets[m].firstIndex) / 3;
    }
    std::vector<MeshFileMaterial> materials(scene->mNumMaterials);
    for (unsigned m = 0; m < scene->mNumMaterials; ++m)
        CopyMaterial(scene->mMaterials[m], &materials[m]);
    if (vertices.empty() || indices.empty() || materials.empty())
        return 0;
    out->vertices = CopyOut(vertices);
    out->vertexCount = static_cast<uint32_t>(vertices.size());
    out->indices = CopyOut(indices);
    out->indexCount = static_cast<uint32_t>(indices.size());
    out->subsets = CopyOut(subsets);
    out->materials = CopyOut(materials);
    out->materialCount = static_cast<uint32_t>(materials.size());
    return out->vertices && out->indices && out->subsets && out->materials;
}

}  // namespace

int SysLoadMeshFile(const char* nameUtf8, MeshFile* out)
{
    *out = {};
    char path[4096];
    if (!nameUtf8 || !nameUtf8[0] || !SysResolvePath(nameUtf8, path, sizeof path))
        return 0;
    const aiScene* scene = aiImportFile(path, kImportFlags);
    if (!scene)
        return 0;
    int res = scene->mRootNode ? BuildMeshFile(scene, out) : 0;
    aiReleaseImport(scene);
    if (!res)
        SysFreeMeshFile(out);
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
