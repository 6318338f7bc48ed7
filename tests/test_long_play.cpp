// Long play, two laps of every shipped course through the real loop on the
// null platform: nothing grows from the first lap to the second, and the
// device holds as many objects after each course as before the first.
// bench_long_play plays an hour of game time the same way.
#include <gtest/gtest.h>

#include "support/long_play.h"

// The second lap leaves the resident memory within 1 MiB of where the first
// left it, and every course releases what it made.
TEST(LongPlay, TwoLapsOfEveryCourseDoNotGrow)
{
    LongPlayReport report = PlayLong(KESTRUNE_GAME_DIR, 2, 0);
    ASSERT_EQ(report.problem, "");
    EXPECT_EQ(report.laps, 2);
    EXPECT_EQ(report.races, 24);
    EXPECT_EQ(report.unfinished, 0);
    EXPECT_GT(report.liveAtStart, 0);
    EXPECT_TRUE(report.liveChanges.empty()) << report.liveChanges.front();
    EXPECT_LE(report.growthKiB, 1024) << "resident memory after the first lap: " << report.firstLapKiB << " KiB";
    EXPECT_LE(report.heapGrowthKiB, 1024);
    RecordProperty("steps", int(report.steps));
    RecordProperty("growth_kib", int(report.growthKiB));
}
