// The sprite layer: sheet cells and flips, corner order and rotation, depth
// order with ties, batching by texture, the nine-piece frame and the panel's
// animation.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/sprite_sheets.h"
#include "platform/gfx.h"
#include "render/device.h"
#include "render/sprites.h"
#include "render/sprites_local.h"

namespace {

// Two sheets with real (null-device) textures: a 4 x 2 grid and a 3 x 3 frame sheet.
class SpriteLayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const uint8_t pixel[4] = {255, 255, 255, 255};
        table[0] = {CreateTextureFromPixels(pixel, 1, 1), 4, 2};
        table[1] = {CreateTextureFromPixels(pixel, 1, 1), 3, 3};
        sheets = table;
        sheetCount = 2;
    }
    void TearDown() override
    {
        FlushSprites();
        ReleaseTexture(table[0].texture);
        ReleaseTexture(table[1].texture);
        sheets = nullptr;
        sheetCount = 0;
    }
    std::vector<QueuedSprite> Queued()
    {
        std::vector<QueuedSprite> out(64);
        out.resize(QueuedSpritesInDrawOrder(out.data(), 64));
        return out;
    }
    SpriteSheet table[2];
};

void ExpectUv(const QueuedSprite& s, float uL, float uR, float vT, float vB)
{
    // Corner 1 carries (uL, vB), corner 3 carries (uR, vT).
    EXPECT_FLOAT_EQ(s.corners[1].u, uL);
    EXPECT_FLOAT_EQ(s.corners[3].u, uR);
    EXPECT_FLOAT_EQ(s.corners[3].v, vT);
    EXPECT_FLOAT_EQ(s.corners[1].v, vB);
}

}  // namespace

// Cell 5 of a 4 x 2 sheet and its flips, cell 9 going below the sheet
// instead of wrapping, the fan's corner order, and sheet -1 as a plain quad.
TEST_F(SpriteLayerTest, CellsFlipsAndCornerOrder)
{
    DrawSprite(0, 5, 0x80112233, 0, 3, 0, 100, 50, 40, 20);
    DrawSprite(0, 5, 0xFFFFFFFF, 0, 3, FLIP_HORIZONTAL, 0, 0, 1, 1);
    DrawSprite(0, 5, 0xFFFFFFFF, 0, 3, FLIP_VERTICAL, 0, 0, 1, 1);
    DrawSprite(0, 9, 0xFFFFFFFF, 0, 3, 0, 0, 0, 1, 1);
    DrawSprite(-1, 7, 0xFFFFFFFF, 0, 5, 0, 320, 240, 640, 480);
    std::vector<QueuedSprite> q = Queued();
    ASSERT_EQ(q.size(), 5u);

    // The full-screen quad of depth 5 comes first, untextured, uv 0..1.
    EXPECT_EQ(q[0].texture, nullptr);
    ExpectUv(q[0], 0, 1, 0, 1);
    EXPECT_FLOAT_EQ(q[0].corners[0].x, 640);
    EXPECT_FLOAT_EQ(q[0].corners[2].y, 0);

    const float corners[4][2] = {{120, 60}, {80, 60}, {80, 40}, {120, 40}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(q[1].corners[i].x, corners[i][0]) << i;
        EXPECT_FLOAT_EQ(q[1].corners[i].y, corners[i][1]) << i;
        EXPECT_EQ(q[1].corners[i].colour, 0x80112233u);
        EXPECT_EQ(q[1].corners[i].z, 0);
        EXPECT_EQ(q[1].corners[i].rhw, 1);
    }
    EXPECT_EQ(q[1].texture, table[0].texture);
    ExpectUv(q[1], 0.25f, 0.5f, 0.5f, 1.0f);
    ExpectUv(q[2], 0.5f, 0.25f, 0.5f, 1.0f);
    ExpectUv(q[3], 0.25f, 0.5f, 1.0f, 0.5f);
    ExpectUv(q[4], 0.25f, 0.5f, 1.0f, 1.5f);
}

// Larger depths first; equal depths in queuing order; the flush empties the
// queue, draws one triangle list per run of one texture, and leaves lighting
// on and blending on.
TEST_F(SpriteLayerTest, DepthOrderTiesAndBatching)
{
    DrawSprite(0, 0, 0xFFFFFFFF, 0, 3, 0, 1, 0, 1, 1);   // A
    DrawSprite(0, 1, 0xFFFFFFFF, 0, 3, 0, 2, 0, 1, 1);   // B
    DrawSprite(1, 0, 0xFFFFFFFF, 0, 4, 0, 3, 0, 1, 1);   // C
    DrawSprite(0, 2, 0xFFFFFFFF, 0, 3, 0, 4, 0, 1, 1);   // D
    SpriteVertex v[4] = {};
    QueueQuad(nullptr, v, 3);                            // E
    DrawSprite(0, 3, 0xFFFFFFFF, 0, 3, 0, 6, 0, 1, 1);   // F
    std::vector<QueuedSprite> q = Queued();
    ASSERT_EQ(q.size(), 6u);
    const float expected[6] = {3 + 0.5f, 1 + 0.5f, 2 + 0.5f, 4 + 0.5f, 0, 6 + 0.5f};
    for (int i = 0; i < 6; ++i)
        EXPECT_FLOAT_EQ(q[i].corners[0].x, expected[i]) << i;

    SetRenderState(RS_ALPHA_BLEND, 0);
    const uint32_t before = DrawCallCount();
    FlushSprites();
    // C | A B D | E | F
    EXPECT_EQ(DrawCallCount() - before, 4u);
    EXPECT_EQ(Queued().size(), 0u);
    EXPECT_EQ(GetRenderState(RS_LIGHTING), 1);
    EXPECT_EQ(GetRenderState(RS_ALPHA_BLEND), 1);
    FlushSprites();
    EXPECT_EQ(DrawCallCount() - before, 4u) << "an empty queue draws nothing";
}

// A zero-width rectangle keeps its corners (the top-right one mirrored, just
// outside the rectangle), side edges and a zero-width centre, but has no top
// or bottom edge.
TEST_F(SpriteLayerTest, ZeroWidthFrame)
{
    DrawFrame(1, 4, 8, 0xFFFFFFFF, 100, 50, 100, 90);
    std::vector<QueuedSprite> q = Queued();
    ASSERT_EQ(q.size(), 7u);
    EXPECT_FLOAT_EQ(q[1].corners[0].x, 108);
    EXPECT_FLOAT_EQ(q[1].corners[0].y, 50);
    EXPECT_FLOAT_EQ(q[1].corners[0].u, 0);
    EXPECT_FLOAT_EQ(q[4].corners[0].y, 70 + 20);   // left edge: cell 3, full height
    EXPECT_FLOAT_EQ(q[4].corners[2].v, 1.0f / 3);
    EXPECT_FLOAT_EQ(q[6].corners[0].x, q[6].corners[1].x);
}

// Step 0.1: ten frames of height while the width stays shut, ten of width,
// then Open; closing narrows first. A closed panel queues nothing.
TEST_F(SpriteLayerTest, PanelOpensHeightFirstAndClosesWidthFirst)
{
    MenuPanel p;
    InitMenuPanel(&p, 195, 189, 445, 291, 8, 10);
    EXPECT_EQ(p.sheet, 2);
    EXPECT_EQ(p.depth, 4);
    EXPECT_EQ(p.colour, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(p.step, 0.1f);
    int frames = 0, heightFrames = 0;
    while (p.phase == PANEL_OPENING && frames < 100) {
        UpdateMenuPanel(&p);
        ++frames;
        if (p.openX == 0)
            heightFrames = frames;
    }
    EXPECT_EQ(p.phase, PANEL_OPEN);
    EXPECT_GE(heightFrames, 10);
    EXPECT_LE(heightFrames, 11);
    EXPECT_GE(frames, 20);
    EXPECT_LE(frames, 23);
    EXPECT_EQ(p.openX, 1);
    EXPECT_EQ(p.openY, 1);

    p.phase = PANEL_CLOSING;
    for (int i = 0; i < 5; ++i)
        UpdateMenuPanel(&p);
    EXPECT_NEAR(p.openX, 0.5f, 1e-5);
    EXPECT_EQ(p.openY, 1);
    DrawMenuPanel(&p);
    std::vector<QueuedSprite> q = Queued();
    ASSERT_EQ(q.size(), 9u);
    // Half the width (125) and the full height (102) about the centre (320, 240).
    EXPECT_NEAR(q[8].corners[2].x, 320 - 62.5f, 1e-3);
    EXPECT_FLOAT_EQ(q[8].corners[2].y, 189);
    FlushSprites();
    for (int i = 0; i < 40 && p.phase != PANEL_CLOSED; ++i)
        UpdateMenuPanel(&p);
    EXPECT_EQ(p.phase, PANEL_CLOSED);
    DrawMenuPanel(&p);
    EXPECT_EQ(Queued().size(), 0u);

    // No frames per stage opens at once instead of stepping by infinity.
    InitMenuPanel(&p, 0, 0, 10, 10, 8, 0);
    EXPECT_EQ(p.step, 1.0f);
}
