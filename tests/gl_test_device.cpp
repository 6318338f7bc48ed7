// The OpenGL device drawn headless and read back: clear colour, pixel
// coverage, lighting, fill and shade modes, projection and clipping, and a
// frame of the shared geometry saved for a look.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/gfx.h"
#include "platform/sys.h"
#include "render/device.h"
#include "support/gfx_window.h"

namespace {

const uint32_t kGrey = 0x404040;

struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 28, "screen vertex layout");

class DeviceTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(OpenTestDevice(), 1) << "no GL context (SDL_VIDEODRIVER=offscreen?)";
        Matrix identity;
        MatrixIdentity(&identity);
        SetTransform(TS_WORLD, &identity);
        SetTransform(TS_VIEW, &identity);
        SetTexture(nullptr);
        BeginScene();
    }
};

// Fan-ordered rectangle in back-buffer pixels.
void DrawScreenRect(float left, float top, float right, float bottom, uint32_t colour)
{
    ScreenVertex quad[4] = {{right, bottom, 0, 1, colour, 1, 1}, {left, bottom, 0, 1, colour, 0, 1},
                            {left, top, 0, 1, colour, 0, 0}, {right, top, 0, 1, colour, 1, 0}};
    DrawTriangleFan(FVF_SCREEN, quad, 2);
}

// A square of half-size s facing the eye at the origin, at distance z,
// clockwise on screen, with one colour per corner.
void DrawFacingSquare(float s, float z, const uint32_t colours[4])
{
    TerrainVertex quad[4] = {{-s, -s, z, 0, 0, -1, colours[0], 0, 0},
                             {-s, s, z, 0, 0, -1, colours[1], 0, 0},
                             {s, s, z, 0, 0, -1, colours[2], 0, 0},
                             {s, -s, z, 0, 0, -1, colours[3], 0, 0}};
    DrawTriangleFan(FVF_TERRAIN, quad, 2);
}

void DrawFacingSquare(float s, float z, uint32_t colour)
{
    const uint32_t colours[4] = {colour, colour, colour, colour};
    DrawFacingSquare(s, z, colours);
}

struct Box {
    int left, top, right, bottom;   // inclusive; left > right when empty
};

Box BoundsOf(const Frame& frame, uint32_t rgb)
{
    Box box = {640, 480, -1, -1};
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (frame.Rgb(x, y) == rgb) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

}  // namespace

// A frame with nothing drawn is the clear colour everywhere.
TEST_F(DeviceTest, EmptyFrameIsDarkGrey)
{
    Frame frame = ReadFrame();
    EXPECT_EQ(frame.Count(kGrey), 640 * 480);
}

// A white screen-space rectangle covers exactly its pixels, the top of the
// picture in the first rows (GL reads rows bottom-up).
TEST_F(DeviceTest, ScreenRectangleCoversExactPixels)
{
    DrawScreenRect(100, 50, 300, 150, 0xFFFFFFFF);
    Frame frame = ReadFrame();
    EXPECT_EQ(frame.Count(0xFFFFFF), 200 * 100);
    Box box = BoundsOf(frame, 0xFFFFFF);
    EXPECT_EQ(box.left, 100);
    EXPECT_EQ(box.right, 299);
    EXPECT_EQ(box.top, 50);
    EXPECT_EQ(box.bottom, 149);
}

// Screen vertices are never lit, and their alpha blends over what is there.
TEST_F(DeviceTest, ScreenRectangleBlendsByAlpha)
{
    DrawScreenRect(0, 0, 640, 480, 0xFFFFFFFF);
    DrawScreenRect(0, 0, 320, 480, 0x80000000);
    Frame frame = ReadFrame();
    uint32_t half = frame.Rgb(10, 10);
    EXPECT_NEAR(static_cast<int>(half & 255), 127, 1);
    EXPECT_EQ(frame.Rgb(400, 10), 0xFFFFFFu);
}

// An unlit white square in 3D lands where the projection puts it.
TEST_F(DeviceTest, UnlitSquareCoversProjectedPixels)
{
    SetRenderState(RS_LIGHTING, 0);
    DrawFacingSquare(10, 100, 0xFFFFFFFF);
    SetRenderState(RS_LIGHTING, 1);
    Frame frame = ReadFrame();
    // Half-extents cot(pi/8) * 10 / 100 of the half-screen: 77.25 by 57.94
    // pixels about the centre; pixel k is in when its centre k is.
    Box box = BoundsOf(frame, 0xFFFFFF);
    EXPECT_EQ(box.left, 243);
    EXPECT_EQ(box.right, 397);
    EXPECT_EQ(box.top, 183);
    EXPECT_EQ(box.bottom, 297);
    EXPECT_EQ(frame.Count(0xFFFFFF), (box.right - box.left + 1) * (box.bottom - box.top + 1));
}

// With aspect ratio 1 an equal-sided square comes out wider than tall by 640 / 480.
TEST_F(DeviceTest, SquareIsWiderThanTallByBackBufferRatio)
{
    SetRenderState(RS_LIGHTING, 0);
    DrawFacingSquare(40, 100, 0xFFFFFFFF);
    SetRenderState(RS_LIGHTING, 1);
    Box box = BoundsOf(ReadFrame(), 0xFFFFFF);
    double width = box.right - box.left + 1, height = box.bottom - box.top + 1;
    EXPECT_NEAR(width / height, 640.0 / 480.0, 0.02);
    EXPECT_GT(height, 200);
}

// Nearer than 10 or farther than 2000 is clipped; just inside is drawn.
TEST_F(DeviceTest, NearAndFarPlanesClip)
{
    SetRenderState(RS_LIGHTING, 0);
    const float depths[4] = {9.5f, 10.5f, 1990.0f, 2010.0f};
    const bool visible[4] = {false, true, true, false};
    for (int k = 0; k < 4; ++k) {
        BeginScene();
        DrawFacingSquare(depths[k], depths[k], 0xFFFFFFFF);
        EXPECT_EQ(ReadFrame().Rgb(320, 240) == 0xFFFFFF, visible[k]) << "depth " << depths[k];
    }
    SetRenderState(RS_LIGHTING, 1);
}

// Counter-clockwise triangles are culled unless culling is off.
TEST_F(DeviceTest, CounterClockwiseIsCulled)
{
    SetRenderState(RS_LIGHTING, 0);
    TerrainVertex tri[3] = {{-10, -10, 100, 0, 0, -1, 0xFFFFFFFF, 0, 0},
                            {10, 10, 100, 0, 0, -1, 0xFFFFFFFF, 0, 0},
                            {-10, 10, 100, 0, 0, -1, 0xFFFFFFFF, 0, 0}};
    DrawTriangleFan(FVF_TERRAIN, tri, 1);
    EXPECT_EQ(ReadFrame().Count(0xFFFFFF), 0);
    SetRenderState(RS_CULL_CCW, 0);
    DrawTriangleFan(FVF_TERRAIN, tri, 1);
    SetRenderState(RS_CULL_CCW, 1);
    SetRenderState(RS_LIGHTING, 1);
    EXPECT_GT(ReadFrame().Count(0xFFFFFF), 1000);
}

// The nearer surface wins whatever the drawing order.
TEST_F(DeviceTest, DepthTestKeepsNearerSurface)
{
    SetRenderState(RS_LIGHTING, 0);
    DrawFacingSquare(5, 50, 0xFFFF0000);
    DrawFacingSquare(20, 100, 0xFF0000FF);
    SetRenderState(RS_LIGHTING, 1);
    Frame frame = ReadFrame();
    EXPECT_EQ(frame.Rgb(320, 240), 0xFF0000u);
    EXPECT_EQ(frame.Rgb(320 + 120, 240), 0x0000FFu);
}

// A face looking straight up gets ambient 0.6 x 0.3 plus its colour times
// cos 15.8 degrees, the angle of the light (0.2, -1, 0.2).
TEST_F(DeviceTest, UpwardFaceIsLitAtLightAngle)
{
    Matrix view;
    Vec3 eye = {0, 100, 0}, at = {0, 0, 0}, up = {0, 0, 1};
    SetTransform(TS_VIEW, MatrixLookAtLH(&view, &eye, &at, &up));
    SetMaterial(&TerrainMaterial());
    const uint32_t grey = 0xFF808080;
    TerrainVertex quad[4] = {{-50, 0, -50, 0, 1, 0, grey, 0, 0}, {-50, 0, 50, 0, 1, 0, grey, 0, 0},
                             {50, 0, 50, 0, 1, 0, grey, 0, 0}, {50, 0, -50, 0, 1, 0, grey, 0, 0}};
    DrawTriangleFan(FVF_TERRAIN, quad, 2);
    Frame frame = ReadFrame();
    double cosine = 1.0 / std::sqrt(1.08);
    EXPECT_NEAR(std::acos(cosine) * 180.0 / M_PI, 15.8, 0.05);
    int expect = static_cast<int>(std::lround((0.18 + 128.0 / 255.0 * cosine) * 255.0));
    uint32_t rgb = frame.Rgb(320, 240);
    EXPECT_NEAR(static_cast<int>(rgb >> 16), expect, 2);
    EXPECT_NEAR(static_cast<int>(rgb & 255), expect, 2);
}

// Highlight of an upward face at (x, 0, z) seen from (0, 100, 0).
double SpecularAt(double x, double z, double power)
{
    double v[3] = {-x, 100, -z}, l[3] = {-0.2, 1, -0.2};
    double lv = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]), ll = std::sqrt(1.08);
    double h[3];
    for (int k = 0; k < 3; ++k)
        h[k] = v[k] / lv + l[k] / ll;
    double lh = std::sqrt(h[0] * h[0] + h[1] * h[1] + h[2] * h[2]);
    return std::pow(h[1] / lh, power);
}

// Specular highlights follow the half-way vector and the material power,
// and go away with the specular state off.
TEST_F(DeviceTest, SpecularHighlightFollowsPower)
{
    Matrix view;
    Vec3 eye = {0, 100, 0}, at = {0, 0, 0}, up = {0, 0, 1};
    SetTransform(TS_VIEW, MatrixLookAtLH(&view, &eye, &at, &up));
    Material shiny = {{0, 0, 0, 1}, {0, 0, 0, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}, 10};
    SetMaterial(&shiny);
    const float s = 50;
    const uint32_t black = 0xFF000000;
    TerrainVertex quad[4] = {{-s, 0, -s, 0, 1, 0, black, 0, 0}, {-s, 0, s, 0, 1, 0, black, 0, 0},
                             {s, 0, s, 0, 1, 0, black, 0, 0}, {s, 0, -s, 0, 1, 0, black, 0, 0}};
    DrawTriangleFan(FVF_TERRAIN, quad, 2);
    uint32_t lit = ReadFrame().Rgb(320, 240);
    // Lit per vertex: the centre lies midway between corners 0 and 2.
    int expect = static_cast<int>(
        std::lround((SpecularAt(-s, -s, 10) + SpecularAt(s, s, 10)) / 2 * 255.0));
    EXPECT_NEAR(static_cast<int>(lit & 255), expect, 3);
    BeginScene();
    SetRenderState(RS_SPECULAR, 0);
    DrawTriangleFan(FVF_TERRAIN, quad, 2);
    SetRenderState(RS_SPECULAR, 1);
    EXPECT_EQ(ReadFrame().Rgb(320, 240), 0u);
    BeginScene();
    shiny.power = 0;
    SetMaterial(&shiny);
    DrawTriangleFan(FVF_TERRAIN, quad, 2);
    EXPECT_EQ(ReadFrame().Rgb(320, 240), 0u);
}

// Mesh vertices carry no colour: the material's diffuse is lit instead, and
// with the light off they show white.
TEST_F(DeviceTest, MeshUsesMaterialDiffuse)
{
    Material red = {{1, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 0}, 0};
    SetMaterial(&red);
    Matrix world;
    SetTransform(TS_WORLD, MatrixTranslation(&world, 0, 0, 50));
    DrawMeshSubset(BoxMesh(), 0);
    uint32_t lit = ReadFrame().Rgb(320, 240);
    // The face toward the eye has normal (0, 0, -1): cos = 0.2 / |(0.2,-1,0.2)|.
    int expect = static_cast<int>(std::lround(0.2 / std::sqrt(1.08) * 255.0));
    EXPECT_NEAR(static_cast<int>(lit >> 16), expect, 2);
    EXPECT_EQ(lit & 0xFFFF, 0u);
    SetRenderState(RS_LIGHTING, 0);
    DrawMeshSubset(BoxMesh(), 0);
    SetRenderState(RS_LIGHTING, 1);
    EXPECT_EQ(ReadFrame().Rgb(320, 240), 0xFFFFFFu);
}

// Each primitive shows its outward face to the eye, lit by that face's
// normal: from the front (normal -z gets 0.19 of the light) and from above
// (normal +y gets cos 15.8 = 0.96). Wrong winding would show the far side.
TEST_F(DeviceTest, PrimitivesFaceOutwardWithTheirNormals)
{
    Material red = {{1, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 0}, 0};
    Mesh* meshes[3] = {SphereMesh(), BoxMesh(), CylinderMesh()};
    const char* names[3] = {"sphere", "box", "cylinder"};
    const Vec3 eyes[2] = {{0, 0, -50}, {0, 50, 0}};
    const Vec3 ups[2] = {{0, 1, 0}, {0, 0, 1}};
    const double cosines[2] = {0.2 / std::sqrt(1.08), 1.0 / std::sqrt(1.08)};
    for (int e = 0; e < 2; ++e) {
        for (int k = 0; k < 3; ++k) {
            BeginScene();
            Matrix view, world;
            Vec3 at = {0, 0, 0};
            SetTransform(TS_VIEW, MatrixLookAtLH(&view, &eyes[e], &at, &ups[e]));
            SetTransform(TS_WORLD, MatrixScaling(&world, 1, 1, 1));
            SetMaterial(&red);
            DrawMeshSubset(meshes[k], 0);
            // The sphere's normals are interpolated across facets: a looser match.
            int tolerance = k == 0 ? 12 : 2;
            int expect = static_cast<int>(std::lround(cosines[e] * 255.0));
            uint32_t rgb = ReadFrame().Rgb(320, 240);
            EXPECT_NEAR(static_cast<int>(rgb >> 16), expect, tolerance) << names[k] << " eye " << e;
        }
    }
}

// Normals are not renormalised unless asked: a box scaled ten-fold takes a
// tenth of the diffuse light on its front face, and all of it when asked.
TEST_F(DeviceTest, ScaledNormalsKeepTheirLengthUnlessNormalised)
{
    Material red = {{1, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 0}, 0};
    SetMaterial(&red);
    Matrix world, scale, move;
    MatrixMultiply(&world, MatrixScaling(&scale, 10, 10, 10), MatrixTranslation(&move, 0, 0, 200));
    SetTransform(TS_WORLD, &world);
    DrawMeshSubset(BoxMesh(), 0);
    double full = 0.2 / std::sqrt(1.08) * 255.0;
    EXPECT_NEAR(static_cast<int>(ReadFrame().Rgb(320, 240) >> 16), std::lround(full / 10), 2);
    BeginScene();
    SetRenderState(RS_NORMALIZE_NORMALS, 1);
    DrawMeshSubset(BoxMesh(), 0);
    SetRenderState(RS_NORMALIZE_NORMALS, 0);
    EXPECT_NEAR(static_cast<int>(ReadFrame().Rgb(320, 240) >> 16), std::lround(full), 2);
}

// Wireframe leaves the inside of a square empty but draws its edges.
TEST_F(DeviceTest, WireframeDrawsOnlyEdges)
{
    SetRenderState(RS_LIGHTING, 0);
    DrawFacingSquare(40, 100, 0xFFFFFFFF);
    int solid = ReadFrame().Count(0xFFFFFF);
    BeginScene();
    SetRenderState(RS_WIREFRAME, 1);
    DrawFacingSquare(40, 100, 0xFFFFFFFF);
    SetRenderState(RS_WIREFRAME, 0);
    SetRenderState(RS_LIGHTING, 1);
    Frame frame = ReadFrame();
    int wire = frame.Count(0xFFFFFF);
    EXPECT_GT(wire, 500);
    EXPECT_LT(wire, solid / 10);
    EXPECT_EQ(frame.Rgb(330, 250), kGrey);   // inside, off the diagonal
}

// Flat shading paints each triangle of an indexed list with its first
// vertex's colour; Gouraud blends the corners.
TEST_F(DeviceTest, FlatShadingTakesFirstVertexColour)
{
    const float s = 40, z = 100;
    const uint32_t c[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    TerrainVertex quad[4] = {{-s, -s, z, 0, 0, -1, c[0], 0, 0}, {-s, s, z, 0, 0, -1, c[1], 0, 0},
                             {s, s, z, 0, 0, -1, c[2], 0, 0}, {s, -s, z, 0, 0, -1, c[3], 0, 0}};
    // Upper-left triangle starts at red, lower-right at blue.
    const uint16_t indices[6] = {0, 1, 2, 2, 3, 0};
    VertexBuffer* vb = CreateVertexBuffer(sizeof quad);
    IndexBuffer* ib = CreateIndexBuffer(sizeof indices, 16);
    ASSERT_EQ(WriteVertexBuffer(vb, quad, sizeof quad), 1);
    ASSERT_EQ(WriteIndexBuffer(ib, indices, sizeof indices), 1);
    SetRenderState(RS_LIGHTING, 0);
    DrawIndexedTriangles(vb, FVF_TERRAIN, ib, 0, 2);
    Frame smooth = ReadFrame();
    BeginScene();
    SetRenderState(RS_FLAT_SHADING, 1);
    DrawIndexedTriangles(vb, FVF_TERRAIN, ib, 0, 2);
    SetRenderState(RS_FLAT_SHADING, 0);
    SetRenderState(RS_LIGHTING, 1);
    Frame flat = ReadFrame();
    ReleaseVertexBuffer(vb);
    ReleaseIndexBuffer(ib);
    EXPECT_LT(smooth.Count(0xFF0000) + smooth.Count(0x0000FF), 20);
    int red = flat.Count(0xFF0000), blue = flat.Count(0x0000FF);
    EXPECT_GT(red, 10000);
    EXPECT_NEAR(red, blue, 400);
    EXPECT_EQ(red + blue + flat.Count(kGrey), 640 * 480);
    EXPECT_EQ(flat.Rgb(320 - 60, 240 - 30), 0xFF0000u);   // upper left
    EXPECT_EQ(flat.Rgb(320 + 60, 240 + 30), 0x0000FFu);   // lower right
}

// A texture is multiplied with the vertex colour.
TEST_F(DeviceTest, TextureModulatesColour)
{
    const uint8_t pixels[4 * 4] = {255, 255, 255, 255, 255, 255, 255, 255,
                                   255, 255, 255, 255, 255, 255, 255, 255};
    const uint8_t half[4] = {255, 128, 0, 255};
    uint8_t texels[16];
    for (int k = 0; k < 4; ++k)
        for (int c = 0; c < 4; ++c)
            texels[k * 4 + c] = half[c] * pixels[k * 4 + c] / 255;
    Texture* texture = CreateTextureFromPixels(texels, 2, 2);
    ASSERT_NE(texture, nullptr);
    SetTexture(texture);
    DrawScreenRect(0, 0, 100, 100, 0xFF8080FF);
    SetTexture(nullptr);
    ReleaseTexture(texture);
    uint32_t rgb = ReadFrame().Rgb(50, 50);
    EXPECT_NEAR(static_cast<int>(rgb >> 16), 128, 1);
    EXPECT_NEAR(static_cast<int>((rgb >> 8) & 255), 64, 1);
    EXPECT_EQ(rgb & 255, 0u);
}

// The three primitive meshes and the goal marker side by side, lit, scaled
// by `scale` and seen from `eye`; returns the frame.
Frame DrawSharedGeometry(float scale, const Vec3& eye)
{
    Matrix view, world, size, move;
    Vec3 at = {0, scale * 0.5f, 0}, up = {0, 1, 0};
    SetTransform(TS_VIEW, MatrixLookAtLH(&view, &eye, &at, &up));
    Material grey = {{0.8f, 0.8f, 0.8f, 1}, {0.8f, 0.8f, 0.8f, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}, 20};
    SetMaterial(&grey);
    Mesh* meshes[3] = {SphereMesh(), BoxMesh(), CylinderMesh()};
    for (int k = 0; k < 3; ++k) {
        MatrixMultiply(&world, MatrixScaling(&size, scale, scale, scale),
                       MatrixTranslation(&move, scale * (-3.6f + 2.4f * k), scale, 0));
        SetTransform(TS_WORLD, &world);
        DrawMeshSubset(meshes[k], 0);
    }
    // As the goal pass places it: lifted onto y = 0, then sized, then moved.
    MatrixMultiply(&world, MatrixTranslation(&move, 0, 1, 0),
                   MatrixScaling(&size, scale, scale * 1.5f, scale));
    MatrixMultiply(&world, &world, MatrixTranslation(&move, scale * 3.6f, 0, 0));
    SetTransform(TS_WORLD, &world);
    SetMaterial(&MarkerMaterial());
    SetRenderState(RS_CULL_CCW, 0);
    DrawIndexedTriangles(MarkerVertexBuffer(), FVF_TERRAIN, MarkerIndexBuffer(), 0, 8);
    SetRenderState(RS_CULL_CCW, 1);
    return ReadFrame();
}

// Unlit goal marker seen from (0, 0, -20) or from straight above; returns the frame.
Frame DrawMarkerFrom(const Vec3& eye, const Vec3& up)
{
    Matrix view;
    Vec3 at = {0, 0, 0};
    SetTransform(TS_VIEW, MatrixLookAtLH(&view, &eye, &at, &up));
    SetRenderState(RS_LIGHTING, 0);
    SetRenderState(RS_CULL_CCW, 0);
    DrawIndexedTriangles(MarkerVertexBuffer(), FVF_TERRAIN, MarkerIndexBuffer(), 0, 8);
    SetRenderState(RS_CULL_CCW, 1);
    SetRenderState(RS_LIGHTING, 1);
    return ReadFrame();
}

// The goal marker is white, clear at its top and most opaque at its foot,
// and has walls only: looking down the column shows the floor through it.
TEST_F(DeviceTest, GoalMarkerFadesUpwardsAndIsOpenAtTheEnds)
{
    Frame side = DrawMarkerFrom({0, 0, -20}, {0, 1, 0});
    uint32_t top = side.Rgb(320, 214), middle = side.Rgb(320, 240), foot = side.Rgb(320, 266);
    for (uint32_t rgb : {top, middle, foot}) {
        EXPECT_EQ(rgb >> 16, (rgb >> 8) & 255) << std::hex << rgb;
        EXPECT_EQ(rgb >> 16, rgb & 255) << std::hex << rgb;
    }
    EXPECT_LT(top & 255, 90u);
    EXPECT_GT(middle & 255, 130u);
    EXPECT_LT(middle & 255, 190u);
    EXPECT_GT(foot & 255, 200u);
    BeginScene();
    Frame above = DrawMarkerFrom({0, 20, 0}, {0, 0, 1});
    for (int x : {310, 330})
        for (int y : {230, 250})
            EXPECT_EQ(above.Rgb(x, y), kGrey) << x << ", " << y;
    EXPECT_GT(above.Count(kGrey), 0);
    EXPECT_LT(above.Count(kGrey), 640 * 480);
}

// Screen pixels are sampled at their whole-number centres, as the game's
// pictures were made for: a texture laid 1:1 over a quad at whole pixels is
// read half a texel off, so pixel k mixes texels k - 1 and k.
TEST_F(DeviceTest, ScreenQuadSamplesAtWholePixelCentres)
{
    // One row of four texels: black, white, black, white.
    const uint8_t texels[16] = {0, 0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255};
    Texture* texture = CreateTextureFromPixels(texels, 4, 1);
    ASSERT_NE(texture, nullptr);
    SetTexture(texture);
    DrawScreenRect(100, 100, 104, 101, 0xFFFFFFFF);
    SetTexture(nullptr);
    ReleaseTexture(texture);
    Frame frame = ReadFrame();
    for (int x = 100; x < 104; ++x)
        EXPECT_NEAR(static_cast<int>(frame.Rgb(x, 100) & 255), 128, 2) << "pixel " << x;
}

// The goal marker and the three primitive meshes, lit, in one frame, at unit
// scale (normals of length 1) and at the ten-fold scale of a course object;
// saved as /tmp/kestrune_device_scene_*.png for a look.
TEST_F(DeviceTest, SharedGeometryFrame)
{
    ASSERT_NE(SphereMesh(), nullptr);
    ASSERT_NE(BoxMesh(), nullptr);
    ASSERT_NE(CylinderMesh(), nullptr);
    Frame unit = DrawSharedGeometry(1.0f, {0, 5, -13});
    SaveFrame(unit, "/tmp/kestrune_device_scene_unit.png");
    EXPECT_LT(unit.Count(kGrey), 640 * 480 - 20000);
    BeginScene();
    Frame big = DrawSharedGeometry(10.0f, {0, 50, -130});
    SaveFrame(big, "/tmp/kestrune_device_scene_x10.png");
    EXPECT_LT(big.Count(kGrey), 640 * 480 - 20000);
}

// A lit model with a half-clear part, drawn into a layer and laid over a 2D
// backdrop, gives the pixels drawing it there gives (to one step of rounding
// where it is half clear), and hides what is drawn behind it afterwards the
// same way; a layer made for another picture size is refused.
TEST_F(DeviceTest, LayerLaysTheSamePixelsAsDrawingThere)
{
    Layer* layer = CreateLayer();
    ASSERT_NE(layer, nullptr);
    auto scene = [layer](bool viaLayer) {
        BeginScene();
        DrawScreenRect(0, 0, 640, 480, 0xFF30A060);
        ClearDepth();
        if (viaLayer) {
            EXPECT_EQ(BeginLayer(layer), 1);
        }
        const uint32_t corners[4] = {0xFFFF0000, 0xFF00FF00, 0x800000FF, 0xFFFFFFFF};
        DrawFacingSquare(10, 100, corners);
        DrawFacingSquare(4, 90, 0xFFFFFF00);
        if (viaLayer) {
            EndLayer();
            DrawLayer(layer, {230, 170, 410, 310});
        }
        SetRenderState(RS_LIGHTING, 0);
        DrawFacingSquare(30, 150, 0xFF0000FF);
        SetRenderState(RS_LIGHTING, 1);
        return ReadFrame();
    };
    Frame direct = scene(false), layered = scene(true);
    int worst = 0;   // over the colours; the picture's alpha is never shown
    for (size_t k = 0; k < direct.rgba.size(); ++k)
        if (k % 4 != 3)
            worst = std::max(worst, std::abs(int(direct.rgba[k]) - int(layered.rgba[k])));
    EXPECT_LE(worst, 1);
    EXPECT_EQ(layered.Rgb(320 + 140, 240), 0x0000FFu) << "behind the model, beside it";
    EXPECT_EQ(layered.Rgb(320, 240), direct.Rgb(320, 240));
    SysSetWindowSize(1280, 960);
    BeginScene();
    EXPECT_EQ(LayerFitsPicture(layer), 0);
    EXPECT_EQ(BeginLayer(layer), 0);
    SysSetWindowSize(640, 480);
    BeginScene();
    EXPECT_EQ(LayerFitsPicture(layer), 1);
    ReleaseLayer(layer);
}

// Presenting leaves the device drawing into the whole 640 x 480 back buffer.
TEST_F(DeviceTest, DrawingAfterPresentStillFillsBackBuffer)
{
    PresentScene();
    BeginScene();
    DrawScreenRect(0, 0, 640, 480, 0xFFFFFFFF);
    EXPECT_EQ(ReadFrame().Count(0xFFFFFF), 640 * 480);
}

// The picture keeps 4:3 in any window: bars at the sides of a wide window,
// above and below in a tall one, none at 640 x 480.
TEST(Present, LetterboxKeepsFourToThree)
{
    int rect[4];
    GfxLetterbox(640, 480, rect);
    EXPECT_EQ(rect[0], 0); EXPECT_EQ(rect[1], 0); EXPECT_EQ(rect[2], 640); EXPECT_EQ(rect[3], 480);
    GfxLetterbox(1920, 1080, rect);
    EXPECT_EQ(rect[0], 240); EXPECT_EQ(rect[1], 0); EXPECT_EQ(rect[2], 1440); EXPECT_EQ(rect[3], 1080);
    GfxLetterbox(800, 1000, rect);
    EXPECT_EQ(rect[0], 0); EXPECT_EQ(rect[1], 200); EXPECT_EQ(rect[2], 800); EXPECT_EQ(rect[3], 600);
    GfxLetterbox(1, 1, rect);
    EXPECT_GE(rect[2], 0);
    EXPECT_GE(rect[3], 0);
}

// A picture larger than any texture the GL can hold fails instead of
// giving a blank texture.
TEST_F(DeviceTest, OversizedTextureFails)
{
    const int width = 65536, height = 1;
    std::vector<uint8_t> pixels(width * height * 4, 255);
    EXPECT_EQ(CreateTextureFromPixels(pixels.data(), width, height), nullptr);
}

// Shutting the renderer releases everything it made.
TEST(DeviceLifetime, ReleaseLeavesNoObjects)
{
    ASSERT_EQ(OpenTestDevice(), 1);
    EXPECT_GT(GfxLiveObjects(), 0);
    CloseTestDevice();
    EXPECT_EQ(GfxLiveObjects(), 0);
    EXPECT_EQ(SphereMesh(), nullptr);
    EXPECT_EQ(MarkerVertexBuffer(), nullptr);
}
