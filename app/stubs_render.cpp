// Stand-ins until the graphics device lands; each is removed when its real
// version exists.
#include "render/device.h"

int  InitRenderer() { return 1; }
void ReleaseRenderer() {}
void BeginScene() {}
void PresentScene() {}
Texture* CreateTextureFromFile(const char*) { return nullptr; }
void     ReleaseTexture(Texture*) {}
Mesh*    LoadMeshFromX(const char*, MeshMaterial**, uint32_t*) { return nullptr; }
void     ReleaseMesh(Mesh*) {}
