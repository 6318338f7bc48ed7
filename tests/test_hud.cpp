// HUD and overlays: the time panel's glyph cells, the plates' slide-in and
// settling, the goal veil and record badge, the countdown's board cues and
// lamps, and the quarter-scale course map.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/game.h"
#include "data/course_list.h"
#include "render/sprite_sheets.h"
#include "physics/physics.h"
#include "platform/sys.h"
#include "render/device.h"
#include "render/hud.h"
#include "render/sprites.h"
#include "render/sprites_local.h"
#include "sensor/board_local.h"

namespace {

uint32_t clockMs;
uint32_t Clock() { return clockMs; }

// Sixteen sheets of 8 x 2 cells each, so any cell can be read back from the
// quad's texture coordinates; one course of 20 x 20 grid points, 20 apart.
class HudTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const uint8_t pixel[4] = {255, 255, 255, 255};
        for (SpriteSheet& s : table)
            s = {CreateTextureFromPixels(pixel, 1, 1), 8, 2};
        sheets = table;
        sheetCount = 16;
        course = {};
        course.GRID_SIZE = 20;
        course.GOAL[0] = 0.25f;
        course.GOAL[1] = 0.0f;
        course.GOAL[2] = 0.75f;
        course.GOAL[3] = 0.1f;
        courseList.courses = &course;
        courseList.courseCount = 1;
        game.currentCourse = 0;
        loop = {};
        ballMatrix = {};
        clockMs = 0;
        SysHooks hooks = {};
        hooks.milliseconds = Clock;
        SysSetHooks(&hooks);
    }
    void TearDown() override
    {
        FlushSprites();
        for (SpriteSheet& s : table)
            ReleaseTexture(s.texture);
        sheets = nullptr;
        sheetCount = 0;
        courseList = {};
        SysSetHooks(nullptr);
    }
    std::vector<QueuedSprite> Take()
    {
        std::vector<QueuedSprite> out(64);
        out.resize(QueuedSpritesInDrawOrder(out.data(), 64));
        FlushSprites();
        return out;
    }
    int SheetOf(const QueuedSprite& s) const
    {
        for (int i = 0; i < 16; ++i)
            if (s.texture == table[i].texture)
                return i;
        return -1;
    }
    SpriteSheet table[16];
    CourseDef course;
};

uint32_t CellOf(const QueuedSprite& s)
{
    return uint32_t(std::lround(s.corners[2].u * 8)) + 8 * uint32_t(std::lround(s.corners[2].v * 2));
}
float CentreX(const QueuedSprite& s) { return (s.corners[0].x + s.corners[2].x) / 2; }
float Width(const QueuedSprite& s) { return s.corners[0].x - s.corners[2].x; }

std::vector<uint32_t> RowCells(const std::vector<QueuedSprite>& q, float y)
{
    std::vector<uint32_t> cells;
    for (const QueuedSprite& s : q)
        if (s.depth == 3 && std::fabs((s.corners[0].y + s.corners[2].y) / 2 - y) < 0.01f && Width(s) == 16)
            cells.push_back(CellOf(s));
    return cells;
}

}  // namespace

// 83 456 ms shows 01 23 456; no best time blanks the seven digit places but
// keeps the separators; a time past 99:59.999 stays at that.
TEST_F(HudTest, TimePanelCells)
{
    loop.raceTimeMs = 83456;
    QueueTimePanel();
    std::vector<QueuedSprite> q = Take();
    ASSERT_EQ(q.size(), 2u + 18u);
    EXPECT_EQ(q[0].depth, 4);   // the backing, drawn under the glyphs
    EXPECT_EQ(q[0].corners[0].colour, 0xE0404040u);
    EXPECT_EQ(RowCells(q, 48), (std::vector<uint32_t>{0, 1, 11, 2, 3, 10, 4, 5, 6}));
    EXPECT_EQ(RowCells(q, 24), (std::vector<uint32_t>{12, 12, 11, 12, 12, 10, 12, 12, 12}));

    course.bestTimeMs = 5007;
    loop.raceTimeMs = 100u * 60000u;
    QueueTimePanel();
    q = Take();
    EXPECT_EQ(RowCells(q, 24), (std::vector<uint32_t>{0, 0, 11, 0, 5, 10, 0, 0, 7}));
    EXPECT_EQ(RowCells(q, 48), (std::vector<uint32_t>{9, 9, 11, 5, 9, 10, 9, 9, 9}));
}

// Countdown and miss plates slide in from x = 1600 and rest at 320; the intro
// plate starts transparent and rests opaque at 448 x 96.
TEST_F(HudTest, PlatesSlideAndSettle)
{
    loop.countdownStep = 3;   // as after every race, so no cue order is disturbed
    loop.countdownFrames = 60;
    QueueCountdownOverlay();
    loop.countdownFrames = 48;
    QueueCountdownOverlay();
    loop.missFrames = 120;
    QueueMissOverlay();
    loop.missFrames = 96;
    QueueMissOverlay();
    std::vector<QueuedSprite> q = Take();
    ASSERT_EQ(q.size(), 4u);
    EXPECT_NEAR(CentreX(q[0]), 1600, 1);
    EXPECT_FLOAT_EQ(CentreX(q[1]), 320);
    EXPECT_EQ(SheetOf(q[1]), 12);
    EXPECT_EQ(CellOf(q[1]), 3u);
    EXPECT_NEAR(CentreX(q[2]), 1600, 1);
    EXPECT_FLOAT_EQ(CentreX(q[3]), 320);
    EXPECT_EQ(CellOf(q[3]), 1u);

    loop.introFrames = 180;
    QueueIntroOverlay();
    loop.introFrames = 0;
    QueueIntroOverlay();
    q = Take();
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[0].corners[0].colour, 0x00FFFFFFu);
    EXPECT_EQ(q[1].corners[0].colour, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(Width(q[1]), 448);
    EXPECT_FLOAT_EQ(q[1].corners[0].y - q[1].corners[2].y, 96);
}

// No veil above 60 goal frames; from alpha 0 at 60 to 128 at 0, at depth 5.
// The badge blinks on equality with the record only.
TEST_F(HudTest, GoalVeilAndRecordBadge)
{
    loop.goalFrames = 61;
    QueueGoalOverlay();
    EXPECT_EQ(Take().size(), 1u);
    loop.goalFrames = 60;
    QueueGoalOverlay();
    std::vector<QueuedSprite> q = Take();
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[0].depth, 5);
    EXPECT_EQ(q[0].texture, nullptr);
    EXPECT_EQ(q[0].corners[0].colour, 0x00000000u);
    EXPECT_EQ(q[1].corners[0].colour, 0xFFFFFFFFu);   // the plate at rest
    loop.goalFrames = 0;
    QueueGoalOverlay();
    EXPECT_EQ(Take()[0].corners[0].colour, 0x80000000u);

    course.bestTimeMs = 20000;
    loop.raceTimeMs = 20000;   // a tie shows the badge too
    QueueRecordBadge();
    q = Take();
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(SheetOf(q[0]), 15);
    EXPECT_FLOAT_EQ(CentreX(q[0]), 577);
    clockMs = 256;
    QueueRecordBadge();
    EXPECT_EQ(Take().size(), 0u);
    clockMs = 512;
    loop.raceTimeMs = 20016;
    QueueRecordBadge();
    EXPECT_EQ(Take().size(), 0u);
}

// Every countdown, the first and any later one, sounds CueCount on steps 0,
// 1, 2 and CueGo on 3, once each, and lights one more lamp per step.
TEST_F(HudTest, CountdownCuesAndLamps)
{
    for (int race = 0; race < 2; ++race) {
        std::vector<int> cueFrames, lamps;
        std::vector<uint16_t> words;
        loop.countdownFrames = 60;
        loop.countdownStep = 0;
        for (int frame = 0; frame < 240; ++frame) {
            // The loop's countdown block, then the overlay.
            if (--loop.countdownFrames == 0 && ++loop.countdownStep <= 3)
                loop.countdownFrames = 60;
            boardLink.soundPending = 0;
            QueueCountdownOverlay();
            if (boardLink.soundPending) {
                cueFrames.push_back(frame);
                words.push_back(boardLink.soundWordA);
                words.push_back(boardLink.soundWordB);
            }
            lamps.push_back(boardLink.ledPattern);
        }
        FlushSprites();
        EXPECT_EQ(loop.countdownStep, 4);
        EXPECT_EQ(cueFrames, (std::vector<int>{0, 59, 119, 179})) << "race " << race;
        EXPECT_EQ(words, (std::vector<uint16_t>{0x4000, 4, 0x4000, 4, 0x4000, 4, 0x1800, 24}));
        EXPECT_EQ(lamps[0], 1);
        EXPECT_EQ(lamps[60], 3);
        EXPECT_EQ(lamps[120], 7);
        EXPECT_EQ(lamps[239], 15);
    }
    boardLink.soundPending = 0;
}

// A 400 x 400 course gives a 100 x 100 map at the lower right; the ball dot,
// goal area and goal icon sit on it, pulsing at full strength at 500 ms.
TEST_F(HudTest, CourseMapQuarterScale)
{
    clockMs = 1500;
    QueueCourseMap();
    std::vector<QueuedSprite> q = Take();
    ASSERT_EQ(q.size(), 4u);
    const float map[4][2] = {{628, 468}, {528, 468}, {528, 368}, {628, 368}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(q[0].corners[i].x, map[i][0]);
        EXPECT_FLOAT_EQ(q[0].corners[i].y, map[i][1]);
        EXPECT_EQ(q[0].corners[i].colour, 0xC0FFFFFFu);
    }
    EXPECT_EQ(q[0].corners[0].u, 1);
    EXPECT_EQ(q[0].corners[2].v, 0);
    // Ball at the world origin: the map's centre.
    EXPECT_FLOAT_EQ(CentreX(q[1]), 578);
    EXPECT_FLOAT_EQ((q[1].corners[0].y + q[1].corners[2].y) / 2, 418);
    EXPECT_EQ(q[1].corners[0].colour, 0xFFFF0000u);
    // Goal area: fractions 0.25..0.75 across, 0..0.1 down.
    EXPECT_FLOAT_EQ(CentreX(q[2]), 578);
    EXPECT_FLOAT_EQ(Width(q[2]), 50);
    EXPECT_FLOAT_EQ((q[2].corners[0].y + q[2].corners[2].y) / 2, 373);
    EXPECT_EQ(q[2].texture, nullptr);
    EXPECT_EQ(q[2].corners[0].colour, 0xC000FF00u);
    EXPECT_FLOAT_EQ(CentreX(q[3]), 587);
    EXPECT_EQ(q[3].corners[0].colour, 0xFF00FF00u);

    // At the pulse's low point the colours are at intensity 127.
    clockMs = 2000;
    ballMatrix.m[3][0] = 200;   // the picture's left edge
    QueueCourseMap();
    q = Take();
    EXPECT_FLOAT_EQ(CentreX(q[1]), 528);
    EXPECT_EQ(q[1].corners[0].colour, 0xFF7F0000u);
}
