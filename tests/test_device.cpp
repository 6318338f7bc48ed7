// The device on the null platform: texture and mesh loading, object
// lifetimes, and the fixed geometry made at start-up.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "platform/gfx.h"
#include "platform/image.h"
#include "platform/meshfile.h"
#include "render/device.h"

namespace {

// A mesh of two triangles: the first drawn with material 2, the second with
// material 0; material 1 is used by no face.
const char kTwoTriangles[] =
    "xof 0302txt 0064\n"
    "Material Red {\n"
    " 1.000000;0.000000;0.000000;1.000000;;\n"
    " 12.500000;\n"
    " 0.500000;0.500000;0.500000;;\n"
    " 0.100000;0.200000;0.300000;;\n"
    " TextureFilename {\n"
    "  \"tex\\\\ball.png\";\n"
    " }\n"
    "}\n"
    "Material Green {\n"
    " 0.000000;1.000000;0.000000;0.500000;;\n"
    " 0.000000;\n"
    " 0.000000;0.000000;0.000000;;\n"
    " 0.000000;0.000000;0.000000;;\n"
    "}\n"
    "Material Blue {\n"
    " 0.000000;0.000000;1.000000;1.000000;;\n"
    " 0.000000;\n"
    " 0.000000;0.000000;0.000000;;\n"
    " 0.000000;0.000000;0.000000;;\n"
    "}\n"
    "Frame Root {\n"
    " FrameTransformMatrix {\n"
    "  1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;;\n"
    " }\n"
    " Mesh Quad {\n"
    "  6;\n"
    "  0.0;0.0;0.0;,\n"
    "  1.0;0.0;0.0;,\n"
    "  0.0;0.0;1.0;,\n"
    "  2.0;0.0;0.0;,\n"
    "  3.0;0.0;0.0;,\n"
    "  2.0;0.0;1.0;;\n"
    "  2;\n"
    "  3;0,2,1;,\n"
    "  3;3,5,4;;\n"
    "  MeshMaterialList {\n"
    "   3;\n"
    "   2;\n"
    "   2,\n"
    "   0;;\n"
    "   {Red}\n"
    "   {Green}\n"
    "   {Blue}\n"
    "  }\n"
    "  MeshNormals {\n"
    "   1;\n"
    "   0.0;1.0;0.0;;\n"
    "   2;\n"
    "   3;0,0,0;,\n"
    "   3;0,0,0;;\n"
    "  }\n"
    "  MeshTextureCoords {\n"
    "   6;\n"
    "   0.0;0.0;,\n"
    "   1.0;0.0;,\n"
    "   0.0;1.0;,\n"
    "   0.0;0.0;,\n"
    "   1.0;0.0;,\n"
    "   0.0;1.0;;\n"
    "  }\n"
    " }\n"
    "}\n";

std::string TempDir()
{
    static std::string dir;
    if (dir.empty()) {
        char pattern[] = "/tmp/kestrune_device_XXXXXX";
        dir = mkdtemp(pattern);
    }
    return dir;
}

std::string WriteFile(const char* name, const void* data, size_t bytes)
{
    std::string path = TempDir() + "/" + name;
    FILE* file = fopen(path.c_str(), "wb");
    fwrite(data, 1, bytes, file);
    fclose(file);
    return path;
}

// A 3 x 2 24-bit bitmap, rows bottom-up, each padded to 12 bytes.
std::string WriteBitmap(const char* name)
{
    unsigned char bmp[54 + 24] = {'B', 'M'};
    bmp[2] = sizeof bmp;
    bmp[10] = 54;
    bmp[14] = 40;
    bmp[18] = 3;
    bmp[22] = 2;
    bmp[26] = 1;
    bmp[28] = 24;
    unsigned char* pixels = bmp + 54;
    // Bottom row: blue, green, red (BGR order); top row: white, black, grey.
    const unsigned char rows[2][9] = {{255, 0, 0, 0, 255, 0, 0, 0, 255},
                                      {255, 255, 255, 0, 0, 0, 128, 128, 128}};
    for (int r = 0; r < 2; ++r)
        for (int k = 0; k < 9; ++k)
            pixels[r * 12 + k] = rows[r][k];
    return WriteFile(name, bmp, sizeof bmp);
}

}  // namespace

// A 24-bit bitmap decodes to RGBA with the top row first.
TEST(Image, BitmapDecodesTopRowFirst)
{
    Image image;
    ASSERT_EQ(SysLoadImage(WriteBitmap("a.bmp").c_str(), &image), 1);
    ASSERT_EQ(image.width, 3);
    ASSERT_EQ(image.height, 2);
    const uint8_t expect[6][4] = {{255, 255, 255, 255}, {0, 0, 0, 255}, {128, 128, 128, 255},
                                  {0, 0, 255, 255}, {0, 255, 0, 255}, {255, 0, 0, 255}};
    for (int p = 0; p < 6; ++p)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(image.rgba[p * 4 + c], expect[p][c]) << "pixel " << p << " channel " << c;
    SysFreeImage(&image);
    EXPECT_EQ(image.rgba, nullptr);
}

// A PNG written by us reads back byte for byte, alpha included.
TEST(Image, PngRoundTrip)
{
    const uint8_t rgba[2 * 2 * 4] = {1, 2, 3, 4, 50, 60, 70, 80, 200, 201, 202, 203, 9, 8, 7, 255};
    std::string path = TempDir() + "/round.png";
    ASSERT_EQ(SysSavePng(path.c_str(), rgba, 2, 2), 1);
    Image image;
    ASSERT_EQ(SysLoadImage(path.c_str(), &image), 1);
    EXPECT_EQ(memcmp(image.rgba, rgba, sizeof rgba), 0);
    SysFreeImage(&image);
}

// Missing, empty and garbage files fail instead of giving a texture.
TEST(Image, BadFilesFail)
{
    int live = GfxLiveObjects();
    EXPECT_EQ(CreateTextureFromFile((TempDir() + "/missing.png").c_str()), nullptr);
    EXPECT_EQ(CreateTextureFromFile(WriteFile("empty.png", "", 0).c_str()), nullptr);
    const char junk[] = "\x89PNG\r\n\x1a\n this is not a picture at all";
    EXPECT_EQ(CreateTextureFromFile(WriteFile("junk.png", junk, sizeof junk).c_str()), nullptr);
    // A bitmap cut off inside its pixel rows.
    std::string good = WriteBitmap("cut.bmp");
    FILE* file = fopen(good.c_str(), "r+b");
    ASSERT_EQ(ftruncate(fileno(file), 40), 0);
    fclose(file);
    EXPECT_EQ(CreateTextureFromFile(good.c_str()), nullptr);
    EXPECT_EQ(CreateTextureFromFile(nullptr), nullptr);
    EXPECT_EQ(GfxLiveObjects(), live);
}

// Course-style names with backslashes and another letter case still open.
TEST(Image, WindowsStyleNameOpens)
{
    WriteBitmap("Field.BMP");
    std::string name = TempDir() + "\\field.bmp";
    Texture* texture = CreateTextureFromFile(name.c_str());
    EXPECT_NE(texture, nullptr);
    ReleaseTexture(texture);
}

// Every texture made is counted until released.
TEST(Device, TexturesAreCountedUntilReleased)
{
    int live = GfxLiveObjects();
    Texture* texture = CreateTextureFromFile(WriteBitmap("b.bmp").c_str());
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(GfxLiveObjects(), live + 1);
    ReleaseTexture(texture);
    ReleaseTexture(nullptr);
    EXPECT_EQ(GfxLiveObjects(), live);
}

// Subset i holds exactly the faces of material i; unused materials stay in
// file order with their colours, power and raw texture name.
TEST(Mesh, SubsetsAndMaterialsFollowFileOrder)
{
    std::string path = WriteFile("two.x", kTwoTriangles, sizeof kTwoTriangles - 1);
    MeshFile file;
    ASSERT_EQ(SysLoadMeshFile(path.c_str(), &file), 1);
    ASSERT_EQ(file.materialCount, 3u);
    EXPECT_EQ(file.subsets[0].triangleCount, 1u);
    EXPECT_EQ(file.subsets[1].triangleCount, 0u);
    EXPECT_EQ(file.subsets[2].triangleCount, 1u);
    // Material 0's triangle is the one at x 2 ... 3 of the file.
    for (int c = 0; c < 3; ++c)
        EXPECT_GE(file.vertices[file.indices[file.subsets[0].firstIndex + c]].position[0], 2.0f);
    for (int c = 0; c < 3; ++c)
        EXPECT_LE(file.vertices[file.indices[file.subsets[2].firstIndex + c]].position[0], 1.0f);
    EXPECT_FLOAT_EQ(file.materials[0].diffuse[0], 1.0f);
    EXPECT_FLOAT_EQ(file.materials[0].power, 12.5f);
    EXPECT_FLOAT_EQ(file.materials[0].specular[0], 0.5f);
    EXPECT_FLOAT_EQ(file.materials[0].emissive[2], 0.3f);
    EXPECT_STREQ(file.materials[0].textureFile, "tex\\ball.png");
    EXPECT_FLOAT_EQ(file.materials[1].diffuse[1], 1.0f);
    EXPECT_FLOAT_EQ(file.materials[1].diffuse[3], 0.5f);
    EXPECT_STREQ(file.materials[1].textureFile, "");
    EXPECT_FLOAT_EQ(file.materials[2].diffuse[2], 1.0f);
    SysFreeMeshFile(&file);
}

// The file's winding, z and v come back as written (left-handed, v down).
TEST(Mesh, KeepsTheFilesFrame)
{
    std::string path = WriteFile("two.x", kTwoTriangles, sizeof kTwoTriangles - 1);
    MeshFile file;
    ASSERT_EQ(SysLoadMeshFile(path.c_str(), &file), 1);
    const MeshFileSubset& s = file.subsets[2];
    const MeshFileVertex& a = file.vertices[file.indices[s.firstIndex]];
    const MeshFileVertex& b = file.vertices[file.indices[s.firstIndex + 1]];
    const MeshFileVertex& c = file.vertices[file.indices[s.firstIndex + 2]];
    // Written as (0,0,0), (0,0,1), (1,0,0): clockwise seen from above.
    EXPECT_FLOAT_EQ(a.position[0], 0.0f);
    EXPECT_FLOAT_EQ(a.position[2], 0.0f);
    EXPECT_FLOAT_EQ(b.position[2], 1.0f);
    EXPECT_FLOAT_EQ(c.position[0], 1.0f);
    EXPECT_FLOAT_EQ(b.v, 1.0f);
    EXPECT_FLOAT_EQ(c.u, 1.0f);
    EXPECT_FLOAT_EQ(a.normal[1], 1.0f);
    SysFreeMeshFile(&file);
}

// The device's mesh loader hands out one material record per material and
// releases every buffer it made.
TEST(Mesh, DeviceMeshLoadsAndReleases)
{
    int live = GfxLiveObjects();
    std::string path = WriteFile("two.x", kTwoTriangles, sizeof kTwoTriangles - 1);
    MeshMaterial* materials = nullptr;
    uint32_t count = 0;
    Mesh* mesh = LoadMeshFromX(path.c_str(), &materials, &count);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(MeshSubsetCount(mesh), 3u);
    EXPECT_FLOAT_EQ(materials[0].material.power, 12.5f);
    EXPECT_STREQ(materials[0].textureFile, "tex\\ball.png");
    EXPECT_GT(GfxLiveObjects(), live);
    free(materials);
    ReleaseMesh(mesh);
    EXPECT_EQ(GfxLiveObjects(), live);
}

// Missing and broken mesh files fail cleanly with no material list.
TEST(Mesh, BadFilesFail)
{
    MeshMaterial* materials = reinterpret_cast<MeshMaterial*>(1);
    uint32_t count = 7;
    EXPECT_EQ(LoadMeshFromX((TempDir() + "/none.x").c_str(), &materials, &count), nullptr);
    EXPECT_EQ(materials, nullptr);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(LoadMeshFromX("", &materials, &count), nullptr);
    std::string cut(kTwoTriangles, sizeof kTwoTriangles / 2);
    std::string path = WriteFile("cut.x", cut.data(), cut.size());
    EXPECT_EQ(LoadMeshFromX(path.c_str(), &materials, &count), nullptr);
    // A face naming a vertex the mesh does not have.
    const char badIndex[] = "xof 0302txt 0064\nMesh { 2; 1.0;0.0;0.0;, 0.0;0.0;0.0;; 1; 3; 0,1,7;; }\n";
    path = WriteFile("index.x", badIndex, sizeof badIndex - 1);
    EXPECT_EQ(LoadMeshFromX(path.c_str(), &materials, &count), nullptr);
}

// Start-up on the null platform succeeds and sets the fixed values: light 0
// along normalised (0.2, -1, 0.2), the two materials, the projection.
TEST(Renderer, StartUpValues)
{
    ASSERT_EQ(InitRenderer(), 1);
    const Vec3& l = LightDirection();
    float n = std::sqrt(1.08f);
    EXPECT_FLOAT_EQ(l.x, 0.2f / n);
    EXPECT_FLOAT_EQ(l.y, -1.0f / n);
    EXPECT_FLOAT_EQ(l.z, 0.2f / n);
    const Material terrain = {{1, 1, 1, 1}, {0.3f, 0.3f, 0.3f, 1}, {0, 0, 0, 1}, {0, 0, 0, 0}, 0};
    const Material marker = {{0, 1, 0, 1}, {0, 1, 0, 1}, {0, 1, 0, 1}, {0, 0, 0, 0}, 0};
    const Material* got[2] = {&TerrainMaterial(), &MarkerMaterial()};
    const Material* want[2] = {&terrain, &marker};
    for (int k = 0; k < 2; ++k) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_FLOAT_EQ(got[k]->diffuse[c], want[k]->diffuse[c]) << k << " diffuse " << c;
            EXPECT_FLOAT_EQ(got[k]->ambient[c], want[k]->ambient[c]) << k << " ambient " << c;
            EXPECT_FLOAT_EQ(got[k]->specular[c], want[k]->specular[c]) << k << " specular " << c;
            EXPECT_FLOAT_EQ(got[k]->emissive[c], want[k]->emissive[c]) << k << " emissive " << c;
        }
        EXPECT_FLOAT_EQ(got[k]->power, 0.0f);
    }
    EXPECT_NEAR(ProjectionMatrix().m[0][0], 2.4142135f, 1e-5f);
    EXPECT_NEAR(ProjectionMatrix().m[1][1], 2.4142135f, 1e-5f);
    EXPECT_NEAR(ProjectionMatrix().m[2][2], 2000.0f / 1990.0f, 1e-6f);
    EXPECT_NEAR(ProjectionMatrix().m[3][2], -10.0f * 2000.0f / 1990.0f, 1e-4f);
    EXPECT_EQ(GetRenderState(RS_CULL_CCW), 1);
    EXPECT_EQ(GetRenderState(RS_ALPHA_BLEND), 1);
    EXPECT_EQ(GetRenderState(RS_Z_ENABLE), 1);
    EXPECT_EQ(GetRenderState(RS_LIGHTING), 1);
    EXPECT_EQ(GetRenderState(RS_SPECULAR), 1);
    EXPECT_EQ(GetRenderState(RS_WIREFRAME), 0);
    EXPECT_EQ(GetRenderState(RS_FLAT_SHADING), 0);
}

// The shared geometry exists after start-up; releasing the renderer frees
// all of it while the device lives on for the course's own objects.
TEST(Renderer, ReleaseFreesSharedGeometryBeforeShutdown)
{
    ASSERT_EQ(InitRenderer(), 1);
    int before = GfxLiveObjects();
    ShutdownDevice();
    EXPECT_EQ(GfxLiveObjects(), before - 8);   // three meshes of two buffers, two marker buffers
    ASSERT_EQ(InitRenderer(), 1);
    EXPECT_NE(SphereMesh(), nullptr);
    EXPECT_NE(BoxMesh(), nullptr);
    EXPECT_NE(CylinderMesh(), nullptr);
    EXPECT_NE(MarkerVertexBuffer(), nullptr);
    EXPECT_NE(MarkerIndexBuffer(), nullptr);
    EXPECT_EQ(MeshSubsetCount(SphereMesh()), 1u);
    ReleaseRenderer();
    EXPECT_EQ(SphereMesh(), nullptr);
    EXPECT_EQ(MarkerIndexBuffer(), nullptr);
    EXPECT_EQ(GfxLiveObjects(), before - 8);
    // The device still makes objects until it is shut down.
    VertexBuffer* course = CreateVertexBuffer(36 * 4);
    EXPECT_NE(course, nullptr);
    ReleaseVertexBuffer(course);
    ShutdownDevice();
    ASSERT_EQ(InitRenderer(), 1);
}

// Buffers refuse writes past their end and index sizes other than 16 and 32.
TEST(Renderer, BufferBounds)
{
    VertexBuffer* vb = CreateVertexBuffer(72);
    ASSERT_NE(vb, nullptr);
    const uint8_t bytes[80] = {};
    EXPECT_EQ(WriteVertexBuffer(vb, bytes, 72), 1);
    EXPECT_EQ(WriteVertexBuffer(vb, bytes, 73), 0);
    ReleaseVertexBuffer(vb);
    EXPECT_EQ(CreateIndexBuffer(48, 8), nullptr);
    EXPECT_EQ(CreateVertexBuffer(0), nullptr);
    IndexBuffer* ib = CreateIndexBuffer(48, 32);
    EXPECT_NE(ib, nullptr);
    ReleaseIndexBuffer(ib);
}
