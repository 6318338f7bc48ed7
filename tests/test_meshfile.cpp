// The X mesh reader: the shipped meshes and the mesh test files give the
// triangles, subsets and materials recorded from the loader the game used
// before (tests/data/mesh/expected.dump), the binary form reads like the
// text, and broken or hostile files end in the mesh message, never a crash.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/settings.h"
#include "render/shapes.h"
#include "platform/meshfile.h"
#include "support/data_files.h"

#ifndef KESTRUNE_GAME_DIR
#error "KESTRUNE_GAME_DIR names the folder the content generator writes"
#endif

namespace {

// ---------------------------------------------------------------- the dump

struct DumpMesh {
    std::string name;
    std::vector<std::vector<float>> materials;      // 17 numbers each
    std::vector<std::string> textures;              // hex, "-" = none
    std::vector<std::vector<MeshFileVertex>> subsets;   // 3 corners per triangle
};

std::vector<DumpMesh> ReadDump()
{
    std::ifstream in(KESTRUNE_TEST_DATA "/mesh/expected.dump");
    std::vector<DumpMesh> meshes;
    std::string word;
    while (in >> word) {
        DumpMesh m;
        size_t count, vertexCount;
        in >> m.name >> word >> count;
        for (size_t k = 0; k < count; ++k) {
            m.materials.emplace_back(17);
            for (float& f : m.materials.back()) in >> f;
            m.textures.emplace_back();
            in >> m.textures.back();
        }
        in >> word >> vertexCount;
        std::vector<MeshFileVertex> vertices(vertexCount);
        for (MeshFileVertex& v : vertices)
            in >> v.position[0] >> v.position[1] >> v.position[2] >> v.normal[0] >> v.normal[1] >> v.normal[2] >>
                v.u >> v.v;
        for (size_t k = 0; k < count; ++k) {
            size_t triangles, index;
            in >> word >> triangles;
            m.subsets.emplace_back();
            for (size_t c = 0; c < triangles * 3 && in >> index; ++c) m.subsets.back().push_back(vertices.at(index));
        }
        meshes.push_back(m);
    }
    return meshes;
}

std::string Hex(const char* s)
{
    std::string out;
    char two[3];
    for (; *s; ++s) snprintf(two, sizeof two, "%02x", static_cast<unsigned char>(*s)), out += two;
    return out.empty() ? "-" : out;
}

bool Near(float a, float b) { return std::fabs(a - b) <= 1e-5f * std::fmax(1.0f, std::fabs(a)); }

bool SameCorner(const MeshFileVertex& a, const MeshFileVertex& b)
{
    return Near(a.position[0], b.position[0]) && Near(a.position[1], b.position[1]) &&
           Near(a.position[2], b.position[2]) && Near(a.normal[0], b.normal[0]) && Near(a.normal[1], b.normal[1]) &&
           Near(a.normal[2], b.normal[2]) && Near(a.u, b.u) && Near(a.v, b.v);
}

// The same triangle: the same corners in the same turning order, whichever
// corner comes first.
bool SameTriangle(const MeshFileVertex* a, const MeshFileVertex* b)
{
    for (int turn = 0; turn < 3; ++turn)
        if (SameCorner(a[0], b[turn]) && SameCorner(a[1], b[(turn + 1) % 3]) && SameCorner(a[2], b[(turn + 2) % 3]))
            return true;
    return false;
}

void ExpectMeshEquals(const MeshFile& file, const DumpMesh& expected)
{
    ASSERT_EQ(file.materialCount, expected.materials.size()) << expected.name;
    for (uint32_t k = 0; k < file.materialCount; ++k) {
        const MeshFileMaterial& m = file.materials[k];
        std::vector<float> got(m.diffuse, m.diffuse + 4);
        got.insert(got.end(), m.ambient, m.ambient + 4);
        got.insert(got.end(), m.specular, m.specular + 4);
        got.insert(got.end(), m.emissive, m.emissive + 4);
        got.push_back(m.power);
        for (size_t c = 0; c < got.size(); ++c)
            EXPECT_TRUE(Near(got[c], expected.materials[k][c])) << expected.name << " material " << k << " " << c;
        EXPECT_EQ(Hex(m.textureFile), expected.textures[k]) << expected.name << " material " << k;
    }
    for (uint32_t k = 0; k < file.materialCount; ++k) {
        const std::vector<MeshFileVertex>& want = expected.subsets[k];
        ASSERT_EQ(file.subsets[k].triangleCount * 3, want.size()) << expected.name << " subset " << k;
        for (size_t t = 0; t < want.size() / 3; ++t) {
            MeshFileVertex got[3];
            for (int c = 0; c < 3; ++c) {
                uint32_t index = file.indices[file.subsets[k].firstIndex + t * 3 + c];
                ASSERT_LT(index, file.vertexCount);
                got[c] = file.vertices[index];
            }
            EXPECT_TRUE(SameTriangle(got, &want[t * 3])) << expected.name << " subset " << k << " triangle " << t;
        }
    }
}

std::string MeshPath(const std::string& name)
{
    bool shipped = name == "box.x" || name == "sphere.x" || name == "pillar.x";
    return (shipped ? std::string(KESTRUNE_GAME_DIR "/mesh/") : std::string(KESTRUNE_TEST_DATA "/mesh/")) + name;
}

// ---------------------------------------------------------------- binary form

// Builds a binary X file token by token.
struct BinaryX {
    std::string bytes;
    bool doubles;

    explicit BinaryX(bool wide) : bytes(wide ? "xof 0303bin 0064" : "xof 0302bin 0032"), doubles(wide) {}
    BinaryX& Word(uint16_t w) { bytes += char(w & 0xFF), bytes += char(w >> 8); return *this; }
    BinaryX& Dword(uint32_t d) { return Word(d & 0xFFFF).Word(d >> 16); }
    BinaryX& Open() { return Word(10); }
    BinaryX& Close() { return Word(11); }
    BinaryX& Name(const std::string& s) { Word(1).Dword(uint32_t(s.size())); bytes += s; return *this; }
    BinaryX& String(const std::string& s) { Word(2).Dword(uint32_t(s.size())); bytes += s; return Word(20); }
    BinaryX& Int(uint32_t v) { return Word(3).Dword(v); }
    BinaryX& Ints(const std::vector<uint32_t>& v)
    {
        Word(6).Dword(uint32_t(v.size()));
        for (uint32_t d : v) Dword(d);
        return *this;
    }
    BinaryX& Floats(const std::vector<double>& v)
    {
        Word(7).Dword(uint32_t(v.size()));
        for (double d : v) {
            float f = float(d);
            bytes.append(doubles ? reinterpret_cast<const char*>(&d) : reinterpret_cast<const char*>(&f),
                         doubles ? 8 : 4);
        }
        return *this;
    }
    BinaryX& Material(const char* name, std::vector<double> numbers, const char* texture)
    {
        Name("Material").Name(name).Open().Floats(numbers);
        if (texture) Name("TextureFilename").Open().String(texture).Close();
        return Close();
    }
};

// two.x, token for token, with a template the reader has to step over.
std::string BinaryTwoTriangles(bool doubles)
{
    BinaryX x(doubles);
    x.Word(31).Name("Unused").Open().Word(5);
    x.bytes += std::string(16, '\x5A');
    x.Word(41).Name("value").Word(20).Close();
    x.Material("Red", {1, 0, 0, 1, 12.5, 0.5, 0.5, 0.5, 0.1, 0.2, 0.3}, "tex\\\\ball.png");
    x.Material("Green", {0, 1, 0, 0.5, 0, 0, 0, 0, 0, 0, 0}, nullptr);
    x.Material("Blue", {0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0}, nullptr);
    x.Name("Frame").Name("Root").Open();
    x.Name("FrameTransformMatrix").Open().Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}).Close();
    x.Name("Mesh").Name("Quad").Open().Ints({6});
    x.Floats({0, 0, 0, 1, 0, 0, 0, 0, 1, 2, 0, 0, 3, 0, 0, 2, 0, 1});
    x.Ints({2, 3, 0, 2, 1, 3, 3, 5, 4});
    x.Name("MeshMaterialList").Open().Ints({3, 2, 2, 0});
    for (const char* name : {"Red", "Green", "Blue"}) x.Open().Name(name).Close();
    x.Close();
    x.Name("MeshNormals").Open().Int(1).Floats({0, 1, 0}).Ints({2, 3, 0, 0, 0, 3, 0, 0, 0}).Close();
    x.Name("MeshTextureCoords").Open().Int(6).Floats({0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}).Close();
    x.Close().Close();
    return x.bytes;
}

class MeshFileTest : public DataFilesTest {
protected:
    void TearDown() override
    {
        for (ShapeMesh& shape : shapeMeshes) ReleaseShapeMesh(&shape);
        DataFilesTest::TearDown();
    }
};

}  // namespace

// Every mesh of the dump, shipped ones included, reads to the same materials
// and the same triangles in the same subsets and order.
TEST(MeshFile, ReadsAsTheDumpRecords)
{
    std::vector<DumpMesh> dump = ReadDump();
    ASSERT_EQ(dump.size(), 7u);
    for (const DumpMesh& expected : dump) {
        MeshFile file;
        ASSERT_EQ(SysLoadMeshFile(MeshPath(expected.name).c_str(), &file), 1) << expected.name;
        ExpectMeshEquals(file, expected);
        SysFreeMeshFile(&file);
    }
}

// The binary form, with 32- and 64-bit floats, reads like its text twin.
TEST_F(MeshFileTest, BinaryFormReadsLikeText)
{
    const DumpMesh* twin = nullptr;
    std::vector<DumpMesh> dump = ReadDump();
    for (const DumpMesh& m : dump)
        if (m.name == "two.x") twin = &m;
    ASSERT_NE(twin, nullptr);
    for (bool doubles : {false, true}) {
        WriteBytes("binary.x", BinaryTwoTriangles(doubles));
        MeshFile file;
        ASSERT_EQ(SysLoadMeshFile((dir + "binary.x").c_str(), &file), 1) << doubles;
        ExpectMeshEquals(file, *twin);
        SysFreeMeshFile(&file);
    }
}

// Files that crashed, aborted or ate gigabytes in the former loader, and
// others that break the reader's limits, give the mesh message and no mesh.
TEST_F(MeshFileTest, HostileFilesGiveTheMeshMessage)
{
    const std::string text = "xof 0303txt 0032";
    std::string binaryCut = BinaryTwoTriangles(false);
    std::string binaryHuge =
        BinaryX(false).Name("Mesh").Open().Ints({1}).Word(7).Dword(0x40000000u).bytes + std::string(12, '\0');
    std::string deep = text;
    for (int k = 0; k < 100000; ++k) deep += "Frame{";
    std::string many = text;
    for (int k = 0; k < 70000; ++k) many += "Frame{}";
    const std::vector<std::string> files = {
        text + "Mesh{3;0;0;0;,1;0;0;,0;1;0;;1;3;0,1,2;;MeshMaterialList{1;1;0;;}}",   // names a material, holds none
        text + "Mesh{3;0;0;0;,1;0;0;,0;1;0;;2;3;0,1,2;,0;;}",                          // a face of no corners
        text + "Mesh{3;0;0;0;,1;0;0;,0;1;0;;1;3;0,1,3;;}",                             // index = vertex count
        text + "Mesh{4000000000;",                                                       // billions of vertices
        text + "Mesh{1;0;0;0;;3000000000;",                                              // billions of faces
        binaryHuge,                                                                      // a float list past the end
        binaryCut.substr(0, binaryCut.size() / 2),                                       // binary cut short
        "xof 0303tzip0032" + std::string(32, '\x01'),                                    // compressed
        text + "Mesh{3;0;0;0;,1;0;0;,0;1;0;;1;3;0,1,2;;MeshMaterialList{1;1;0;;{Gone}}}",  // unknown reference
        text + "Mesh{3;0;0;0;,1;0;0;,0;1;0;;1;3;0,1,2;;MeshNormals{1;0;1;0;;1;3;0,0,1;;}}",  // normal index
        deep,                                                                            // frames nested too deep
        many,                                                                            // more objects than any mesh
    };
    WriteBytes("def.ini", "BOX_MESH:[[mesh\\bad.x]]\n");
    for (size_t k = 0; k < files.size(); ++k) {
        WriteBytes("mesh/bad.x", files[k]);
        shownMessages.clear();
        LoadSettings();
        LoadShapeMeshes();
        EXPECT_EQ(shownMessages, std::vector<std::string>{"Xファイルの読み込みに失敗しました"}) << "file " << k;
        EXPECT_EQ(shapeMeshes[SHAPE_BOX].mesh, nullptr) << "file " << k;
    }
    // The same loader still takes a sound file.
    WriteBytes("mesh/bad.x", text + "Mesh{3;0;0;0;,1;0;0;,0;1;0;;1;3;0,1,2;;}");
    shownMessages.clear();
    LoadSettings();
    LoadShapeMeshes();
    EXPECT_TRUE(shownMessages.empty());
    ASSERT_NE(shapeMeshes[SHAPE_BOX].mesh, nullptr);
    EXPECT_EQ(shapeMeshes[SHAPE_BOX].materialCount, 1u);
}
