// The obstacle shapes' meshes: each X file "def.ini" names, with the
// materials and textures it lists.
#include "render/shapes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "data/settings.h"
#include "data/text_reader.h"
#include "data/texts.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/sys.h"

ShapeMesh shapeMeshes[3];

namespace {

bool shapeMeshesLoaded;   // LoadShapeMeshes ran since the last release

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

void LoadShapeMeshes()
{
    ReleaseShapeMeshes();
    SysMakeGameFolderCurrent();
    for (int shape = 0; shape < 3; shape++)
        if (shapeMeshNames.named[shape])
            LoadShapeMesh(shapeMeshNames.file[shape], &shapeMeshes[shape]);
    shapeMeshesLoaded = true;
}

void ReleaseShapeMeshes()
{
    for (ShapeMesh& shape : shapeMeshes)
        ReleaseShapeMesh(&shape);
    shapeMeshesLoaded = false;
}

int ShapeMeshesLoaded()
{
    return shapeMeshesLoaded ? 1 : 0;
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
        SysErrorBox(Tr(TEXT_MSG_MESH_FILE));
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
        if (!textures[i]) SysErrorBox(Tr(TEXT_MSG_MESH_TEXTURE));
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
