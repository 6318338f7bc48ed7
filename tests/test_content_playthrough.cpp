// Every shipped course can be finished through the real loop: start-up reads
// the shipped files, then for each course the autopilot, holding arrow keys
// along the route course.ini gives it, goes through Intro, Countdown, Race
// and Goal, within three minutes of race time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/loop.h"
#include "data/course_list.h"
#include "physics/physics.h"
#include "platform/sys.h"
#include "render/terrain.h"
#include "screens/screens.h"
#include "support/scripted_input.h"
#include "tools/autopilot/autopilot.h"

namespace fs = std::filesystem;

namespace {

int messages;

void CountBox(const char*) { messages++; }

uint32_t RecordOnDisk(const fs::path& dir, int index)
{
    uint32_t value = 0;
    FILE* f = fopen((dir / "record.sav").c_str(), "rb");
    if (!f)
        return 0;
    unsigned char b[4];
    if (fseek(f, long(index) * 4, SEEK_SET) == 0 && fread(b, 1, 4, f) == 4)
        value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    fclose(f);
    return value;
}

}  // namespace

// Each shipped course is finished from its start within three minutes, its
// race clock is 16 ms a Race frame, and its best time reaches record.sav.
TEST(ContentPlaythrough, EveryCourseCanBeFinishedThroughTheLoop)
{
    // Race on a copy, so the shipped folder never gets a record.sav.
    fs::path dir = fs::temp_directory_path() / ("kestrune-play-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::copy(KESTRUNE_GAME_DIR, dir, fs::copy_options::recursive);
    fs::remove(dir / "record.sav");
    fs::remove(dir / "config.sav");

    InstallScriptedInput(CountBox, nullptr);
    scriptedClockMs = 5000;
    messages = 0;
    SysSetProgramDirectoryForTests(dir.c_str());

    ASSERT_EQ(StartUp(), 1);
    EXPECT_EQ(messages, 0);
    ASSERT_EQ(courseList.courseCount, 12);
    std::vector<AutopilotRoute> routes = ReadAutopilotRoutes(courseList.courseCount);
    AutopilotInput input = {scriptedKeys, &scriptedClockMs};
    for (int i = 0; i < courseList.courseCount; i++) {
        EXPECT_FALSE(routes[i].points.empty()) << "course " << i << " gives the autopilot no route";
        int frames = RaceWithAutopilot(i, routes[i], input);
        EXPECT_EQ(game.state, STATE_GOAL_MENU) << "course " << i;
        ASSERT_GT(frames, 0) << "course " << i << " was not finished";
        EXPECT_EQ(loop.raceTimeMs, uint32_t(frames) * 16u) << "course " << i;
        EXPECT_EQ(courseList.courses[i].bestTimeMs, loop.raceTimeMs) << "course " << i;
        EXPECT_EQ(RecordOnDisk(dir, i), loop.raceTimeMs) << "course " << i;
        ::testing::Test::RecordProperty("course" + std::to_string(i) + "_frames", frames);
    }
    EXPECT_EQ(messages, 0);

    SysPostMessage(SYS_MSG_CLOSE, 0);
    while (RunPass()) {
    }
    ShutDown();
    SysSetProgramDirectoryForTests(nullptr);
    SysSetHooks(nullptr);
    fs::remove_all(dir);
}
