// One-off: writes what SysLoadMeshFile gives for each named file (through
// the Assimp-based loader), the expected triangle dump in tests/data/mesh.
// Built by hand against platform/common/meshfile.cpp and -lassimp.
#include "platform/meshfile.h"
#include <cstdio>
#include <cstring>
#include <string>

static void Hex(const char* s)
{
    if (!*s) { printf("-"); return; }
    for (; *s; ++s) printf("%02x", (unsigned char)*s);
}

int main(int argc, char** argv)
{
    for (int a = 1; a < argc; ++a) {
        const char* label = strrchr(argv[a], '/') ? strrchr(argv[a], '/') + 1 : argv[a];
        MeshFile m;
        if (!SysLoadMeshFile(argv[a], &m)) { printf("mesh %s refused\n", label); continue; }
        printf("mesh %s\nmaterials %u\n", label, m.materialCount);
        for (uint32_t k = 0; k < m.materialCount; ++k) {
            const MeshFileMaterial& t = m.materials[k];
            const float* cs[4] = {t.diffuse, t.ambient, t.specular, t.emissive};
            for (const float* c : cs) printf("%.9g %.9g %.9g %.9g ", c[0], c[1], c[2], c[3]);
            printf("%.9g ", t.power);
            Hex(t.textureFile);
            printf("\n");
        }
        printf("vertices %u\n", m.vertexCount);
        for (uint32_t k = 0; k < m.vertexCount; ++k) {
            const MeshFileVertex& v = m.vertices[k];
            printf("%.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g\n", v.position[0], v.position[1], v.position[2],
                   v.normal[0], v.normal[1], v.normal[2], v.u, v.v);
        }
        for (uint32_t k = 0; k < m.materialCount; ++k) {
            printf("subset %u\n", m.subsets[k].triangleCount);
            for (uint32_t t = 0; t < m.subsets[k].triangleCount; ++t) {
                const uint32_t* i = m.indices + m.subsets[k].firstIndex + 3 * t;
                printf("%u %u %u\n", i[0], i[1], i[2]);
            }
        }
        SysFreeMeshFile(&m);
    }
    return 0;
}
