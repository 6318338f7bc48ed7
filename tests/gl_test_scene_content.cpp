// Every shipped course seen through the real loop on the real device: the
// intro's first and half-way frames, the countdown, the race with shadows on
// and off and in wireframe, and the goal. Set KESTRUNE_FRAME_DIR to keep the
// frames as PNG files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/game.h"
#include "app/loop.h"
#include "data/course_list.h"
#include "physics/physics.h"
#include "screens/screens.h"
#include "support/gfx_window.h"
#include "support/scripted_input.h"

namespace fs = std::filesystem;

namespace {

const uint32_t kClear = 0x404040;



::Frame Keep(int course, const char* what)
{
    return KeepFrame("course" + std::to_string(course) + "_" + what);
}

int Differing(const ::Frame& a, const ::Frame& b)
{
    int n = 0;
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++)
            n += a.Rgb(x, y) != b.Rgb(x, y);
    return n;
}

// Intro (pressing the button half-way skips the rest), countdown, race.
void StartRace(int index)
{
    ReleaseScriptedKeys();
    RequestCourseLoad(index);
    EnterIntro();
    ScriptedFrame();
    Keep(index, "1_intro_first");
    ScriptedFrames(89);
    Keep(index, "2_intro_half");
    scriptedKeys[KEY_SPACE] = true;
    ScriptedFrame();
    scriptedKeys[KEY_SPACE] = false;
    ASSERT_EQ(game.state, STATE_COUNTDOWN);
    ScriptedFrames(100);
    Keep(index, "3_countdown");
    ScriptedFrames(139);
    ASSERT_EQ(game.state, STATE_RACE);
}

void CheckRace(int index)
{
    StartRace(index);
    ScriptedFrames(10);
    game.settings.renderFlags = USETEXTURE | DRAWSHADOW;
    ScriptedFrame();
    ::Frame shadowed = Keep(index, "4_race_shadows");
    game.settings.renderFlags = USETEXTURE;
    ScriptedFrame();
    ::Frame plain = Keep(index, "5_race_no_shadows");
    game.settings.renderFlags = USETEXTURE | DRAWSHADOW | WYREFRAME;
    ScriptedFrame();
    ::Frame wire = Keep(index, "6_wireframe");
    game.settings.renderFlags = USETEXTURE | DRAWSHADOW;
    EXPECT_LT(plain.Count(kClear), 640 * 480 * 3 / 4) << "course " << index << ": terrain in view";
    EXPECT_GT(Differing(shadowed, plain), 50) << "course " << index << ": a shadow shows";
    EXPECT_GT(wire.Count(kClear), plain.Count(kClear) + 20000) << "course " << index;
}

// A start moved into the goal rectangle, well above the ground, drops the
// ball into the goal column (straight into Race: the intro was seen above).
void CheckGoal(int index)
{
    CourseDef& c = courseList.courses[index];
    float start[3] = {c.START[0], c.START[1], c.START[2]};
    c.START[0] = (c.GOAL[0] + c.GOAL[2]) / 2;
    c.START[2] = (c.GOAL[1] + c.GOAL[3]) / 2;
    c.START[1] = 9.5f;
    RequestCourseLoad(index);
    game.state = STATE_RACE;
    for (int k = 0; k < 400 && game.state == STATE_RACE; k++)
        ScriptedFrame();
    for (int k = 0; k < 3; k++)
        c.START[k] = start[k];
    ASSERT_EQ(game.state, STATE_GOAL) << "course " << index;
    ScriptedFrames(20);
    ::Frame goal = Keep(index, "7_goal");
    EXPECT_LT(goal.Count(kClear), 640 * 480 * 3 / 4) << "course " << index;
    // Out through the goal menu, as a player would: no goal frames left over.
    ScriptedFrames(100);
    EXPECT_EQ(game.state, STATE_GOAL_MENU);
}

}  // namespace

TEST(ShippedScenes, EveryCourseShowsItsSceneInEveryState)
{
    std::string dir = CopyGameFolder(KESTRUNE_GAME_DIR, "kestrune-scene");
    ASSERT_EQ(StartScriptedGame(dir, nullptr), 1);
    game.settings.renderFlags = USETEXTURE | DRAWSHADOW;
    for (int i = 0; i < courseList.courseCount; i++) {
        CheckRace(i);
        CheckGoal(i);
    }
    StopScriptedGame();
    fs::remove_all(dir);
}
