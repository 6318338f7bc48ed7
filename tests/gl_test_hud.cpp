// The overlays and the HUD over a shipped course, drawn by the real loop
// headless: intro, countdown, race (map and time panel), miss and goal.
// With KESTRUNE_FRAME_DIR set, each frame is also saved there as a PNG.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/game.h"
#include "app/loop.h"
#include "app/race.h"
#include "data/course_list.h"
#include "course/course.h"
#include "render/scene.h"
#include "screens/screens.h"
#include "support/gfx_window.h"
#include "support/scripted_input.h"

namespace fs = std::filesystem;

namespace {

const uint32_t kGrey = 0x404040;

// Pixels of the rectangle that are not the clear colour.
int Painted(const Frame& f, int left, int top, int right, int bottom)
{
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            n += f.Rgb(x, y) != kGrey;
    return n;
}

}  // namespace

// Course 0 from its intro to its goal menu, with a fall in between.
TEST(HudFrames, OverlaysOfOneRun)
{
    std::string dir = CopyGameFolder(KESTRUNE_GAME_DIR, "kestrune-hud");
    ASSERT_EQ(StartScriptedGame(dir, nullptr), 1);

    RequestCourseLoad(0);
    EnterIntro();
    ScriptedFrames(150);   // 30 intro frames left: the plate still large and spinning
    EXPECT_GT(Painted(KeepFrame("intro"), 0, 0, 640, 240), 20000);

    ScriptedFrames(29 + 20);   // countdown step 0, its plate at rest
    ASSERT_EQ(game.state, STATE_COUNTDOWN);
    EXPECT_GT(Painted(KeepFrame("countdown"), 224, 162, 416, 258), 2000);

    ScriptedFrames(220 + 50);
    ASSERT_EQ(game.state, STATE_RACE);
    Frame race = KeepFrame("race");
    EXPECT_GT(Painted(race, 398, 12, 632, 60), 1500) << "time panel";
    EXPECT_GT(Painted(race, 600, 440, 628, 468), 600) << "course map";

    game.state = STATE_MISS;
    loop.missFrames = 120;
    ScriptedFrames(40);
    EXPECT_GT(Painted(KeepFrame("miss"), 96, 66, 544, 162), 10000);

    game.state = STATE_RACE;
    loop.raceTimeMs = 83456;
    // The veil lies behind the scene; without the terrain, the pixel checked
    // below shows the clear colour whatever the course's texture holds there.
    ReleaseCourseGraphics();
    EnterGoal();
    ScriptedFrames(120);   // the veil fully down behind the (stubbed) result menu
    while (scriptedClockMs & 256)
        ScriptedFrames(1);   // the record badge is lit
    ASSERT_EQ(game.state, STATE_GOAL_MENU);
    Frame goal = KeepFrame("goal");
    EXPECT_NEAR(int(goal.Rgb(20, 240) & 255), 0x20, 1) << "half-black veil over the clear colour";

    SysPostMessage(SYS_MSG_CLOSE, 0);
    while (RunPass()) {
    }
    StopScriptedGame();
    fs::remove_all(dir);
}
