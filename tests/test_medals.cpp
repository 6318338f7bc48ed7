// Par and medals, and split times: the medal thresholds at their edges, the
// par file read, missing and broken, the splits of a scripted run against a
// scripted ghost (ahead, behind, level, a checkpoint skipped) and the way a
// difference is written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/splits.h"
#include "data/par.h"
#include "platform/paths.h"
#include "render/hud.h"
#include "support/data_files.h"

namespace {

// --- medals ---------------------------------------------------------------------

// Gold up to par, silver up to half as long again, bronze up to twice par,
// each limit included; nothing without a par or a time.
TEST(Medals, ThresholdsAtTheirEdges)
{
    const uint32_t par = 17536;
    EXPECT_EQ(MedalFor(16, par), MEDAL_GOLD);
    EXPECT_EQ(MedalFor(par, par), MEDAL_GOLD);
    EXPECT_EQ(MedalFor(par + 1, par), MEDAL_SILVER);
    EXPECT_EQ(MedalFor(26304, par), MEDAL_SILVER);
    EXPECT_EQ(MedalFor(26305, par), MEDAL_BRONZE);
    EXPECT_EQ(MedalFor(35072, par), MEDAL_BRONZE);
    EXPECT_EQ(MedalFor(35073, par), MEDAL_NONE);
    EXPECT_EQ(MedalFor(par, 0), MEDAL_NONE);
    EXPECT_EQ(MedalFor(0, par), MEDAL_NONE);        // no record yet
    // An odd par rounds the limits down: a time never gets a medal it missed.
    EXPECT_EQ(MedalLimitMs(MEDAL_SILVER, 17), 25u);
    // The longest par the clock shows: the limits do not wrap.
    const uint32_t longest = 99 * 60000 + 59999;
    EXPECT_EQ(MedalLimitMs(MEDAL_BRONZE, longest), 2 * longest);
    EXPECT_EQ(MedalFor(2 * longest, longest), MEDAL_BRONZE);
}

// --- the par file ---------------------------------------------------------------

class ParFileTest : public DataFilesTest {};

// The checker's file reads back; a hand-written one in UTF-16 with comments
// reads too; without a file there is no par and nothing is said.
TEST_F(ParFileTest, WrittenAndHandWrittenFilesRead)
{
    uint32_t par = 0;
    EXPECT_EQ(ReadParFile(0, &par), 0);
    ASSERT_EQ(WriteParFile(SysGameFolder(), 0, 63136), 1);
    EXPECT_NE(ReadBytes("par/course0.par").find("\nPAR:[1:03.136]\r\n"), std::string::npos);
    ASSERT_EQ(ReadParFile(0, &par), 1);
    EXPECT_EQ(par, 63136u);
    WriteUtf16File("par/course7.par", u"# my own, tougher par\r\nPAR:[12:05.008]  # twelve minutes\r\n");
    ASSERT_EQ(ReadParFile(7, &par), 1);
    EXPECT_EQ(par, 725008u);
    EXPECT_EQ(ReadParFile(3, &par), 0);
    EXPECT_TRUE(shownMessages.empty());
}

// Anything but a time m:ss.sss from 0:00.001 to 99:59.999 is no par (the
// course has no medals), and *parMs is left alone.
TEST_F(ParFileTest, BrokenFilesGiveNoPar)
{
    const std::vector<std::string> broken = {
        "PAR:[17.536]\r\n", "PAR:[0:17.5]\r\n", "PAR:[0:61.000]\r\n", "PAR:[0:00.000]\r\n",
        "PAR:[100:00.000]\r\n", "PAR:[0:1x.536]\r\n", "PAR:0:17.536\r\n", "# PAR:[0:17.536]\r\n",
        "", std::string("\xFF\xFE\x00\xD8PAR", 7),
    };
    for (const std::string& text : broken) {
        WriteBytes("par/course0.par", text);
        uint32_t par = 5;
        EXPECT_EQ(ReadParFile(0, &par), 0) << text;
        EXPECT_EQ(par, 5u) << text;
    }
    EXPECT_EQ(WriteParFile(SysGameFolder(), 0, 0), 0);
    EXPECT_TRUE(shownMessages.empty());   // standard error only: a par is no reason for a message box
}

// --- splits -------------------------------------------------------------------------

// A ghost rolling along +x one unit a frame for 100 frames.
struct StraightGhost {
    std::vector<GhostPose> poses;
    GhostRun run;
    explicit StraightGhost(float unitsPerFrame = 1.0f, uint32_t frames = 101)
        : poses(frames), run()
    {
        for (uint32_t k = 0; k < frames; k++) poses[k] = {{unitsPerFrame * float(k), 3, 0}, {0, 0, 0, 1}};
        run.frames = poses.data();
        run.frameCount = frames;
        run.timeMs = (frames - 1) * 16;
    }
};

// A run along the same line at `speed` units a frame: the differences at the
// checkpoints it reached, in order.
std::vector<int32_t> RaceAlong(Splits* s, float speed, float startAt = 0)
{
    std::vector<int32_t> deltas;
    for (uint32_t k = 1; k < 400; k++)
        if (PassCheckpoints(s, startAt + speed * float(k), 0.0f, k * 16)) deltas.push_back(s->deltaMs);
    return deltas;
}

// Four checkpoints at a fifth of the path each, timed where the ghost first
// came within reach; a run twice as fast is ahead by about half the ghost's
// time there, a run at half speed behind by as much again, the ghost's own
// pace exactly level.
TEST(Splits, AheadBehindAndLevelAgainstAScriptedGhost)
{
    StraightGhost ghost;
    Splits s;
    PlaceCheckpoints(ghost.run, 5, &s);
    ASSERT_EQ(s.count, 4);
    const float at[4] = {20, 40, 60, 80};
    for (int i = 0; i < 4; i++) {
        EXPECT_FLOAT_EQ(s.points[i].x, at[i]);
        EXPECT_EQ(s.points[i].ghostMs, uint32_t(at[i] - 5) * 16) << i;   // reached 5 units before it
    }
    EXPECT_EQ(RaceAlong(&s, 1.0f), (std::vector<int32_t>{0, 0, 0, 0}));
    PlaceCheckpoints(ghost.run, 5, &s);
    EXPECT_EQ(RaceAlong(&s, 2.0f), (std::vector<int32_t>{-112, -272, -432, -592}));
    PlaceCheckpoints(ghost.run, 5, &s);
    EXPECT_EQ(RaceAlong(&s, 0.5f), (std::vector<int32_t>{240, 560, 880, 1200}));
    EXPECT_EQ(s.shownFrames, SPLIT_SHOWN_FRAMES);
    EXPECT_FALSE(s.finished);
    FinishSplits(&s, 3200, ghost.run.timeMs);
    EXPECT_TRUE(s.finished);
    EXPECT_EQ(s.deltaMs, 1600);
}

// A run that starts past the first checkpoint skips it: the next one counts,
// and a checkpoint left behind is never shown late.
TEST(Splits, SkippedCheckpointsStayBehind)
{
    StraightGhost ghost;
    Splits s;
    PlaceCheckpoints(ghost.run, 5, &s);
    std::vector<int32_t> deltas = RaceAlong(&s, 1.0f, 30);
    EXPECT_EQ(deltas, (std::vector<int32_t>{-480, -480, -480}));
    EXPECT_FALSE(PassCheckpoints(&s, 20, 1, 5000));
}

// A ghost that never moved, or a run of one frame, has no splits.
TEST(Splits, NoPathNoCheckpoints)
{
    StraightGhost still(0.0f);
    Splits s;
    PlaceCheckpoints(still.run, 5, &s);
    EXPECT_EQ(s.count, 0);
    EXPECT_FALSE(PassCheckpoints(&s, 0, 0, 16));
    StraightGhost single(1.0f, 1);
    PlaceCheckpoints(single.run, 5, &s);
    EXPECT_EQ(s.count, 0);
}

// Hundredths, rounded half away from zero; a real minus, a plus, and ± when level.
TEST(Splits, DifferencesAreWrittenInHundredths)
{
    char text[32];
    const std::pair<int32_t, const char*> cases[] = {
        {-416, "\u22120.42"}, {128, "+0.13"}, {0, "\u00B10.00"}, {-4, "\u22120.00"},
        {5, "+0.01"}, {61250, "+61.25"},
    };
    for (const auto& [ms, written] : cases) {
        FormatSplitDelta(ms, text, sizeof text);
        EXPECT_STREQ(text, written) << ms;
    }
}

}  // namespace
