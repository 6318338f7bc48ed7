// The sprite layer drawn headless and read back: a textured, a rotated and a
// translucent sprite in depth order, batched drawing matching one fan per
// quad pixel for pixel, and a glyph texture's pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <vector>

#include "render/sprite_sheets.h"
#include "render/course_text.h"
#include "render/device.h"
#include "render/sprites.h"
#include "render/sprites_local.h"
#include "support/gfx_window.h"

namespace {

int Channel(uint32_t rgb, int shift) { return int((rgb >> shift) & 255); }

// Sheet 0: a 16 x 8 picture cut into two cells, red on the left, green on
// the right. Sheet 1: a 2 x 2 grid of white, blue, yellow and magenta.
class SpriteFrameTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(OpenTestDevice(), 1) << "no GL context (SDL_VIDEODRIVER=offscreen?)";
        std::vector<uint8_t> halves(16 * 8 * 4), grid(16 * 16 * 4);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x) {
                uint8_t* p = &halves[(y * 16 + x) * 4];
                p[0] = x < 8 ? 255 : 0;
                p[1] = x < 8 ? 0 : 255;
                p[2] = 0;
                p[3] = 255;
            }
        const uint8_t colours[4][3] = {{255, 255, 255}, {0, 0, 255}, {255, 255, 0}, {255, 0, 255}};
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                for (int c = 0; c < 4; ++c)
                    grid[(y * 16 + x) * 4 + c] = c < 3 ? colours[(y / 8) * 2 + x / 8][c] : 255;
        table[0] = {CreateTextureFromPixels(halves.data(), 16, 8), 2, 1};
        table[1] = {CreateTextureFromPixels(grid.data(), 16, 16), 2, 2};
        sheets = table;
        sheetCount = 2;
        BeginScene();
    }
    void TearDown() override
    {
        FlushSprites();
        ReleaseTexture(table[0].texture);
        ReleaseTexture(table[1].texture);
        sheets = nullptr;
        sheetCount = 0;
    }
    SpriteSheet table[2];
};

}  // namespace

// A plain opaque quad over the whole picture (drawn as a fill) leaves the
// pixels and the depth a drawn quad leaves: the 3D square under it is gone,
// the one drawn after it fails the depth test, sprites over it show.
TEST_F(SpriteFrameTest, BackdropOverThePictureIsAsDrawn)
{
    auto scene = [](bool queued) {
        BeginScene();
        SetRenderState(RS_LIGHTING, 0);
        TerrainVertex square[4] = {{-10, -10, 100, 0, 0, -1, 0xFFFF0000, 0, 0},
                                   {-10, 10, 100, 0, 0, -1, 0xFFFF0000, 0, 0},
                                   {10, 10, 100, 0, 0, -1, 0xFFFF0000, 0, 0},
                                   {10, -10, 100, 0, 0, -1, 0xFFFF0000, 0, 0}};
        DrawTriangleFan(FVF_TERRAIN, square, 2);
        if (queued) {
            DrawSprite(-1, 0, 0xFFE0E0E0, 0, DEPTH_BACKGROUND, 0, 320, 240, 640, 480);
        } else {
            SpriteVertex quad[4] = {{640, 480, 0, 1, 0xFFE0E0E0, 0, 0}, {0, 480, 0, 1, 0xFFE0E0E0, 0, 0},
                                    {0, 0, 0, 1, 0xFFE0E0E0, 0, 0}, {640, 0, 0, 1, 0xFFE0E0E0, 0, 0}};
            DrawTriangleFan(FVF_SCREEN, quad, 2);
        }
        DrawSprite(0, 1, 0xFFFFFFFF, 0, DEPTH_SPRITE, 0, 100, 100, 40, 40);
        FlushSprites();
        SetRenderState(RS_LIGHTING, 0);
        DrawTriangleFan(FVF_TERRAIN, square, 2);
        SetRenderState(RS_LIGHTING, 1);
        return ReadFrame();
    };
    Frame drawn = scene(false), filled = scene(true);
    EXPECT_EQ(filled.Rgb(320, 240), 0xE0E0E0u);
    EXPECT_EQ(filled.Rgb(100, 100), 0x00FF00u);
    EXPECT_TRUE(drawn.rgba == filled.rgba);
}

// A white background queued last still goes under everything; the green
// cell keeps its colour, a quarter turn stands the red bar upright, and a
// half-black sprite in front halves the green.
TEST_F(SpriteFrameTest, TexturedRotatedAndTranslucent)
{
    DrawSprite(0, 1, 0xFFFFFFFF, 0, 3, 0, 100, 100, 40, 40);
    DrawSprite(0, 0, 0xFFFFFFFF, 3.14159265f / 2, 3, 0, 300, 100, 80, 20);
    DrawSprite(-1, 0, 0x80000000, 0, 1, 0, 100, 110, 40, 20);
    DrawSprite(-1, 0, 0xFFFFFFFF, 0, 5, 0, 320, 240, 640, 480);
    FlushSprites();
    Frame frame = ReadFrame();
    EXPECT_EQ(frame.Rgb(100, 95), 0x00FF00u);
    const uint32_t shaded = frame.Rgb(100, 115);
    EXPECT_EQ(Channel(shaded, 16), 0);
    EXPECT_NEAR(Channel(shaded, 8), 127, 2);
    EXPECT_EQ(frame.Rgb(125, 100), 0xFFFFFFu);
    // The bar: 20 wide and 80 tall about (300, 100).
    EXPECT_EQ(frame.Rgb(300, 95), 0xFF0000u);
    EXPECT_EQ(frame.Rgb(300, 65), 0xFF0000u);
    EXPECT_EQ(frame.Rgb(300, 145), 0xFFFFFFu);
    EXPECT_EQ(frame.Rgb(315, 100), 0xFFFFFFu);
    EXPECT_EQ(frame.Count(0x404040), 0);
}

// Overlapping translucent sprites of two sheets at three depths, some turned
// and flipped: the batched flush gives the same pixels as drawing every
// queued quad as its own fan.
TEST_F(SpriteFrameTest, BatchedFlushMatchesOneFanPerQuad)
{
    for (int i = 0; i < 60; ++i) {
        const uint32_t alpha = 0x40u + uint32_t(i * 37 % 0xC0);
        DrawSprite(i % 7 == 0 ? -1 : (i / 4) % 2, uint32_t(i % 4), alpha << 24 | 0xFFFFFF,
                   i % 3 ? 0.0f : 0.2f * float(i), 3 + i % 3, uint32_t(i % 4),
                   float(40 + i * 9 % 560), float(40 + i * 23 % 400), float(30 + i % 50), float(20 + i % 40));
    }
    std::vector<QueuedSprite> quads(64);
    quads.resize(QueuedSpritesInDrawOrder(quads.data(), 64));
    ASSERT_EQ(quads.size(), 60u);
    const uint32_t before = DrawCallCount();
    FlushSprites();
    EXPECT_LT(DrawCallCount() - before, 60u);
    Frame batched = ReadFrame();

    BeginScene();
    SetRenderState(RS_LIGHTING, 0);
    for (const QueuedSprite& q : quads) {
        SetTexture(q.texture);
        DrawTriangleFan(FVF_SCREEN, q.corners, 2);
    }
    SetTexture(nullptr);
    SetRenderState(RS_LIGHTING, 1);
    Frame fans = ReadFrame();
    EXPECT_LT(batched.Count(0x404040), 640 * 480 - 40000) << "the sprites should cover much of the screen";
    EXPECT_TRUE(batched.rgba == fans.rgba);
}

// A glyph drawn four times its size in white over black, read at its texel
// centres: grey levels are the coverage scale's (c * 255 / 16), the outer
// ring is clear, and full ink is 255, also for a mark that is one row of
// ink. (Screen sampling is good to a grey level or so, hence the slack of 1.)
TEST_F(SpriteFrameTest, GlyphTexturePixels)
{
    int count = 0;
    TextMetrics metrics;
    Glyph* glyphs = MakeGlyphs(u"漢ー", 26, &count, &metrics);
    ASSERT_EQ(count, 2);
    ASSERT_EQ(glyphs[0].texture, glyphs[1].texture) << "one texture per string";
    for (int i = 0; i < count; i++) {
        BeginScene();
        const Glyph& g = glyphs[i];
        ASSERT_NE(g.texture, nullptr);
        const int w = int(g.width), h = int(g.height);
        const float l = 100, t = 100, r = l + 4 * w, b = t + 4 * h;
        DrawSprite(-1, 0, 0xFF000000, 0, 5, 0, 320, 240, 640, 480);
        const SpriteVertex quad[4] = {{r, b, 0, 1, 0xFFFFFFFF, g.u1, g.v1}, {l, b, 0, 1, 0xFFFFFFFF, g.u0, g.v1},
                                      {l, t, 0, 1, 0xFFFFFFFF, g.u0, g.v0}, {r, t, 0, 1, 0xFFFFFFFF, g.u1, g.v0}};
        QueueQuad(g.texture, quad, 3);
        FlushSprites();
        Frame frame = ReadFrame();
        std::set<int> levels;
        for (int c = 0; c <= 16; ++c)
            for (int d = -1; d <= 1; ++d)
                levels.insert(c * 255 / 16 + d);
        int brightest = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                // Pixel centres lie on whole numbers: 4x + 2 is texel x's centre.
                const uint32_t rgb = frame.Rgb(100 + 4 * x + 2, 100 + 4 * y + 2);
                const int grey = Channel(rgb, 0);
                ASSERT_EQ(rgb, uint32_t(grey * 0x010101)) << x << "," << y << " is not white with alpha";
                EXPECT_TRUE(levels.count(grey)) << grey << " at " << x << "," << y;
                if (x == 0 || y == 0 || x == w - 1 || y == h - 1) {
                    EXPECT_LE(grey, 1) << "ring at " << x << "," << y;
                }
                brightest = std::max(brightest, grey);
            }
        EXPECT_GE(brightest, 254) << "glyph " << i;
    }
    FreeGlyphs(glyphs, count);
}
