// The sensor board link against the simulated board: report bytes, the cycle
// and its failures, the shared flags and shutdown.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "sensor/board_local.h"
#include "support/board_helpers.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Runs the exchanges straight against a fresh simulated board.
class BoardExchange : public ::testing::Test {
protected:
    void SetUp() override
    {
        SimBoardReset();
        HidSelectTransport(SimBoardTransport());
        for (auto& byte : boardLink.boardData)
            byte = 0;
        ASSERT_TRUE(OpenBoard(&handle));
    }
    void TearDown() override
    {
        CloseBoard(&handle);
        HidSelectTransport(nullptr);
    }
    SimEvent LastWrite()
    {
        std::vector<SimEvent> log = SimBoardLog();
        return log.back();
    }
    HidBoard* handle = nullptr;
};

// Drives the thread; whatever a case does, the thread is stopped afterwards.
class BoardThreadTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        SimBoardRelease();
        SimBoardClearFault();
        EXPECT_TRUE(StopThreadAndWait());
        HidSelectTransport(nullptr);
    }
    static int Probes(int connection)
    {
        return CountWrites(WritesOf(SimBoardLog(), connection), SIM_PROBE);
    }
};

// Each cycle's writes, split where a probe begins the next.
std::vector<std::vector<SimEvent>> Cycles(const std::vector<SimEvent>& writes)
{
    std::vector<std::vector<SimEvent>> cycles;
    for (const SimEvent& event : writes) {
        if (event.exchange == SIM_PROBE || cycles.empty())
            cycles.emplace_back();
        cycles.back().push_back(event);
    }
    return cycles;
}

std::vector<SimExchange> Kinds(const std::vector<SimEvent>& events)
{
    std::vector<SimExchange> kinds;
    for (const SimEvent& event : events)
        kinds.push_back(event.exchange);
    return kinds;
}

}  // namespace

// --- exchanges -------------------------------------------------------------

// The block read asks for 32 registers from register 0.
TEST_F(BoardExchange, BlockReadReportBytes)
{
    ReadBoardBlock(handle);
    EXPECT_EQ(BytesOf(LastWrite()), Report({0x00, 0x6D, 0x72, 0x00, 0x20}));
}

// Register 1 is cleared with a one-register write of 0.
TEST_F(BoardExchange, ClearRegister1ReportBytes)
{
    EXPECT_EQ(ClearBoardRegister1(handle), 1);
    EXPECT_EQ(BytesOf(LastWrite()), Report({0x00, 0x6D, 0x77, 0x01, 0x01, 0x00}));
}

// Lamp pattern 12 goes out as register value 0x1C.
TEST_F(BoardExchange, LampPattern12GoesOutAs0x1C)
{
    EXPECT_EQ(WriteBoardLamps(handle, 12), 1);
    EXPECT_EQ(BytesOf(LastWrite()), Report({0x00, 0x6D, 0x77, 0x09, 0x01, 0x1C}));
    EXPECT_EQ(SimBoardRegister(9), 0x1C);
}

// Sound words go out little-endian from register 13.
TEST_F(BoardExchange, SoundReportBytes)
{
    EXPECT_EQ(WriteBoardSound(handle, 0x9000, 0x0118), 1);
    EXPECT_EQ(BytesOf(LastWrite()),
              Report({0x00, 0x6D, 0x77, 0x0D, 0x04, 0x00, 0x90, 0x18, 0x01}));
}

// The probe-failure sequence is two reports with no reads.
TEST_F(BoardExchange, ProbeFailureReportBytes)
{
    EXPECT_EQ(SendProbeFailureReports(handle), 1);
    std::vector<SimEvent> writes = WritesOf(SimBoardLog(), 1);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(BytesOf(writes[0]), Report({0x00, 0x05, 0xFF, 0x00, 0xF0, 0x00, 0x01}));
    EXPECT_EQ(BytesOf(writes[1]), Report({0x00, 0x08}));
}

// The second failure report is sent only when the first went out.
TEST_F(BoardExchange, ProbeFailureStopsAfterFailedFirstWrite)
{
    SimBoardArmFault(SIM_FAILURE_FIRST, SIM_FAIL_WRITE, 1);
    EXPECT_EQ(SendProbeFailureReports(handle), 0);
    EXPECT_EQ(Kinds(WritesOf(SimBoardLog(), 1)), std::vector<SimExchange>{SIM_FAILURE_FIRST});
}

// Registers 0..31 of the answer land in the data block; the button is byte 4.
TEST_F(BoardExchange, BlockReadCopiesRegisters)
{
    for (int i = 0; i < kBoardDataSize; i++)
        SimBoardSetRegister(i, uint8_t(0xA0 + i));
    EXPECT_EQ(ReadBoardBlock(handle), 1);
    for (int i = 0; i < kBoardDataSize; i++)
        EXPECT_EQ(BoardDataByte(i), 0xA0 + i) << "byte " << i;
    EXPECT_EQ(BoardButtonByte(), 0xA4);
}

// A wrong echo, a failed read or a failed write keeps the last good block.
TEST_F(BoardExchange, BadBlockAnswersKeepLastBlock)
{
    SimBoardSetRegister(6, 0x11);
    ASSERT_EQ(ReadBoardBlock(handle), 1);
    SimBoardSetRegister(6, 0x22);
    SimBoardArmFault(SIM_BLOCK_READ, SIM_WRONG_ANSWER, 1);
    EXPECT_EQ(ReadBoardBlock(handle), 0);
    SimBoardArmFault(SIM_BLOCK_READ, SIM_FAIL_READ, 1);
    EXPECT_EQ(ReadBoardBlock(handle), 0);
    SimBoardArmFault(SIM_BLOCK_READ, SIM_FAIL_WRITE, 1);
    EXPECT_EQ(ReadBoardBlock(handle), 0);
    EXPECT_EQ(BoardDataByte(6), 0x11);
    EXPECT_EQ(ReadBoardBlock(handle), 1);
    EXPECT_EQ(BoardDataByte(6), 0x22);
}

// An unplugged board fails every exchange.
TEST_F(BoardExchange, UnpluggedBoardFailsExchanges)
{
    SimBoardSetPresent(0);
    EXPECT_EQ(ClearBoardRegister1(handle), 0);
    EXPECT_EQ(WriteBoardLamps(handle, 1), 0);
    EXPECT_EQ(WriteBoardSound(handle, 1, 1), 0);
    EXPECT_EQ(SendProbeFailureReports(handle), 0);
    HidBoard* other = nullptr;
    EXPECT_EQ(OpenBoard(&other), 0);
    EXPECT_EQ(other, nullptr);
}

// --- cues and clock ---------------------------------------------------------

// Each cue stores its two words and then flags them pending.
TEST(BoardCues, CueWords)
{
    struct { BoardCue cue; uint16_t wordA, wordB; } rows[] = {
        {CueClick, 0x1800, 1}, {CueTick, 0x9000, 1}, {CueConfirm, 0x3000, 6},
        {CueCount, 0x4000, 4}, {CueGo, 0x1800, 24},
    };
    for (const auto& row : rows) {
        boardLink.soundPending = 0;
        RaiseCue(row.cue);
        EXPECT_EQ(boardLink.soundWordA.load(), row.wordA) << "cue " << row.cue;
        EXPECT_EQ(boardLink.soundWordB.load(), row.wordB) << "cue " << row.cue;
        EXPECT_EQ(boardLink.soundPending.load(), 1);
    }
    boardLink.soundPending = 0;
}

// Setting a pattern stores it and marks it changed.
TEST(BoardCues, LedPatternSetsChanged)
{
    boardLink.ledChanged = 0;
    SetLedPattern(9);
    EXPECT_EQ(boardLink.ledPattern.load(), 9);
    EXPECT_EQ(boardLink.ledChanged.load(), 1);
}

// The cycle clock measures across the 32-bit wrap and in both directions.
TEST(BoardClock, ElapsedAcrossWrap)
{
    EXPECT_EQ(BoardCycleElapsed(0x00000008u, 0xFFFFFFF8u), 16u);
    EXPECT_EQ(BoardCycleElapsed(0xFFFFFFF8u, 0x00000008u), 16u);
    EXPECT_EQ(BoardCycleElapsed(100, 90), 10u);
    EXPECT_EQ(BoardCycleElapsed(90, 100), 10u);
    EXPECT_EQ(BoardCycleElapsed(0x80000000u, 0), 0x80000000u);
}

// --- the thread -------------------------------------------------------------

// Without a board: not connected, data untouched, a search every 16 ms or so.
TEST_F(BoardThreadTest, NoBoardKeepsSearching)
{
    StartThreadWithSimBoard(0);
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitFor([] { return SimBoardOpenAttempts() >= 3; }, 2000));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int attempts = SimBoardOpenAttempts();
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start).count();
    EXPECT_LE(attempts, elapsed / 16 + 2);
    EXPECT_FALSE(BoardConnected());
    for (int i = 0; i < kBoardDataSize; i++)
        EXPECT_EQ(BoardDataByte(i), 0);
}

// A connected board gets probe, block read, register clear and lamps, in
// that order, with the block published and the lamp change acknowledged.
TEST_F(BoardThreadTest, CycleOrderAndEffects)
{
    StartThreadWithSimBoard();
    SimBoardSetRegister(4, 1);
    SimBoardSetRegister(7, 0xF0);
    SetLedPattern(5);
    ASSERT_TRUE(WaitFor([] { return Probes(1) >= 3; }, 2000));
    EXPECT_TRUE(BoardConnected());
    EXPECT_EQ(BoardButtonByte(), 1);
    EXPECT_EQ(BoardDataByte(7), 0xF0);
    EXPECT_EQ(boardLink.ledChanged.load(), 0);
    std::vector<std::vector<SimEvent>> cycles = Cycles(WritesOf(SimBoardLog(), 1));
    std::vector<SimExchange> expected = {SIM_PROBE, SIM_BLOCK_READ, SIM_CLEAR_REG1, SIM_LAMPS};
    EXPECT_EQ(Kinds(cycles[1]), expected);
    EXPECT_EQ(BytesOf(cycles[1][0]), Report({0x00, 0xAA}));
    EXPECT_EQ(BytesOf(cycles[1][3]), Report({0x00, 0x6D, 0x77, 0x09, 0x01, 0x15}));
}

// Cycles are at least 16 ms apart.
TEST_F(BoardThreadTest, CyclesArePaced)
{
    StartThreadWithSimBoard();
    ASSERT_TRUE(WaitFor([] { return Probes(1) >= 1; }, 2000));
    auto start = std::chrono::steady_clock::now();
    int first = Probes(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(160));
    int cycles = Probes(1) - first;
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(cycles, 1);
    EXPECT_LE(cycles, elapsed / 16 + 1);
}

// A wrong probe answer: the two failure reports, the rest of the cycle, a
// close, and the board opened again on the next search.
TEST_F(BoardThreadTest, WrongProbeAnswerReopens)
{
    SimBoardReset();
    SimBoardArmFault(SIM_PROBE, SIM_WRONG_ANSWER, 1);
    HidSelectTransport(SimBoardTransport());
    boardLink.boardConnected = 0;
    StartBoardThread();
    ASSERT_TRUE(WaitFor([] { return Probes(2) >= 1; }, 2000));
    std::vector<SimEvent> log = SimBoardLog();
    std::vector<SimExchange> expected = {SIM_PROBE, SIM_FAILURE_FIRST, SIM_FAILURE_SECOND,
                                         SIM_BLOCK_READ, SIM_CLEAR_REG1, SIM_LAMPS};
    EXPECT_EQ(Kinds(WritesOf(log, 1)), expected);
    int close = FindEvent(log, SIM_EVENT_CLOSE, SIM_OTHER);
    ASSERT_GE(close, 0);
    EXPECT_EQ(log[close].connection, 1);
    int reopen = FindEvent(log, SIM_EVENT_OPEN, SIM_OTHER, close);
    ASSERT_GE(reopen, 0);
    EXPECT_EQ(log[reopen].connection, 2);
}

// A probe whose answer is lost (read or write failed) counts as a wrong
// answer: the failure reports still go out, then a close and a reopen.
TEST_F(BoardThreadTest, LostProbeAnswerSendsFailureReports)
{
    for (SimFault fault : {SIM_FAIL_READ, SIM_FAIL_WRITE}) {
        SimBoardReset();
        SimBoardArmFault(SIM_PROBE, fault, 1);
        HidSelectTransport(SimBoardTransport());
        boardLink.boardConnected = 0;
        StartBoardThread();
        ASSERT_TRUE(WaitFor([] { return Probes(2) >= 1; }, 2000)) << "fault " << fault;
        std::vector<SimExchange> expected = {SIM_PROBE, SIM_FAILURE_FIRST, SIM_FAILURE_SECOND,
                                             SIM_BLOCK_READ, SIM_CLEAR_REG1, SIM_LAMPS};
        EXPECT_EQ(Kinds(WritesOf(SimBoardLog(), 1)), expected) << "fault " << fault;
        ASSERT_TRUE(StopThreadAndWait());
    }
}

// A sound raised while no board is there goes out in the first cycle after
// the board appears, and is then no longer pending.
TEST_F(BoardThreadTest, SoundWaitsForBoard)
{
    StartThreadWithSimBoard(0);
    RaiseCue(CueCount);
    ASSERT_TRUE(WaitFor([] { return SimBoardOpenAttempts() >= 3; }, 2000));
    EXPECT_EQ(boardLink.soundPending.load(), 1);
    SimBoardSetPresent(1);
    ASSERT_TRUE(WaitFor([] { return CountWrites(SimBoardLog(), SIM_SOUND) >= 1; }, 2000));
    std::vector<std::vector<SimEvent>> cycles = Cycles(WritesOf(SimBoardLog(), 1));
    ASSERT_FALSE(cycles.empty());
    ASSERT_EQ(cycles[0].size(), 5u);
    EXPECT_EQ(BytesOf(cycles[0][4]), Report({0x00, 0x6D, 0x77, 0x0D, 0x04, 0x00, 0x40, 0x04, 0x00}));
    EXPECT_TRUE(WaitFor([] { return boardLink.soundPending.load() == 0; }, 1000));
    EXPECT_EQ(CountWrites(SimBoardLog(), SIM_SOUND), 1);
}

// A failed sound write stays pending and goes out in the next cycle, and the
// board stays connected.
TEST_F(BoardThreadTest, FailedSoundRetriedNextCycle)
{
    StartThreadWithSimBoard();
    ASSERT_TRUE(WaitFor([] { return Probes(1) >= 1; }, 2000));
    SimBoardArmFault(SIM_SOUND, SIM_FAIL_WRITE, 1);
    RaiseCue(CueConfirm);
    ASSERT_TRUE(WaitFor([] { return CountWrites(SimBoardLog(), SIM_SOUND) >= 2; }, 2000));
    std::vector<SimEvent> writes = WritesOf(SimBoardLog(), 1);
    std::vector<std::vector<SimEvent>> cycles = Cycles(writes);
    size_t failed = 0;
    while (failed < cycles.size() && Kinds(cycles[failed]).back() != SIM_SOUND)
        failed++;
    ASSERT_LT(failed + 1, cycles.size());
    EXPECT_EQ(cycles[failed].back().delivered, 0);
    EXPECT_EQ(cycles[failed + 1].back().exchange, SIM_SOUND);
    EXPECT_EQ(cycles[failed + 1].back().delivered, 1);
    EXPECT_EQ(BytesOf(cycles[failed + 1].back()),
              Report({0x00, 0x6D, 0x77, 0x0D, 0x04, 0x00, 0x30, 0x06, 0x00}));
    EXPECT_EQ(SimBoardRegister(13), 0x00);
    EXPECT_EQ(SimBoardRegister(14), 0x30);
    EXPECT_TRUE(BoardConnected());
}

// A failed register clear disconnects; failed lamps and block reads do not.
TEST_F(BoardThreadTest, OnlyProbeAndClearFailuresDisconnect)
{
    StartThreadWithSimBoard();
    ASSERT_TRUE(WaitFor([] { return Probes(1) >= 1; }, 2000));
    SimBoardArmFault(SIM_LAMPS, SIM_FAIL_WRITE, 3);
    ASSERT_TRUE(WaitFor([] { return Probes(1) >= 5; }, 2000));
    SimBoardArmFault(SIM_BLOCK_READ, SIM_FAIL_READ, 3);
    ASSERT_TRUE(WaitFor([] { return Probes(1) >= 9; }, 2000));
    EXPECT_EQ(Probes(2), 0);
    SimBoardArmFault(SIM_CLEAR_REG1, SIM_FAIL_READ, 1);
    EXPECT_TRUE(WaitFor([] { return Probes(2) >= 1; }, 2000));
}

// A board unplugged mid-game is closed and found again when it returns.
TEST_F(BoardThreadTest, UnplugAndReplug)
{
    StartThreadWithSimBoard();
    ASSERT_TRUE(WaitFor([] { return BoardConnected(); }, 2000));
    SimBoardSetPresent(0);
    ASSERT_TRUE(WaitFor([] { return !BoardConnected(); }, 2000));
    EXPECT_TRUE(WaitFor([] { return FindEvent(SimBoardLog(), SIM_EVENT_CLOSE, SIM_OTHER) >= 0; }, 1000));
    SimBoardSetPresent(1);
    EXPECT_TRUE(WaitFor([] { return Probes(2) >= 1 && BoardConnected(); }, 2000));
}

// Clearing the run flag while connected ends the thread after the current
// cycle, with the board closed and the finished flag set.
TEST_F(BoardThreadTest, StopEndsAfterCurrentCycle)
{
    StartThreadWithSimBoard();
    ASSERT_TRUE(WaitFor([] { return Probes(1) >= 2; }, 2000));
    SimBoardArmFault(SIM_PROBE, SIM_HOLD_READ, 1);
    ASSERT_TRUE(WaitFor([] { return SimBoardReadHeld() != 0; }, 2000));
    size_t heldAt = SimBoardLog().size();
    StopBoardThread();
    SimBoardRelease();
    ASSERT_TRUE(WaitFor([] { return BoardThreadFinished(); }, 1000));
    std::vector<SimEvent> log = SimBoardLog();
    std::vector<SimEvent> rest(log.begin() + heldAt, log.end());
    ASSERT_EQ(rest.size(), 4u);
    EXPECT_EQ(rest[0].exchange, SIM_BLOCK_READ);
    EXPECT_EQ(rest[1].exchange, SIM_CLEAR_REG1);
    EXPECT_EQ(rest[2].exchange, SIM_LAMPS);
    EXPECT_EQ(rest[3].kind, SIM_EVENT_CLOSE);
    EXPECT_FALSE(BoardConnected());
}

// A board that never answers: every read times out, the probe fails and the
// board is dropped, and shutdown sees the thread finish within one second.
TEST_F(BoardThreadTest, SilentBoardDoesNotHoldShutdown)
{
    StartThreadWithSimBoard();
    SimBoardArmFault(SIM_ANY, SIM_NO_ANSWER, -1);
    ASSERT_TRUE(WaitFor([] { return CountWrites(SimBoardLog(), SIM_FAILURE_SECOND) >= 1; }, 2000));
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(StopThreadAndWait());
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(waited, 1000);
    EXPECT_FALSE(BoardConnected());
}

// A read stuck for good keeps the thread from finishing (the shutdown wait
// then gives up) until the board goes away and the read fails.
TEST_F(BoardThreadTest, StuckReadEndsWhenBoardVanishes)
{
    StartThreadWithSimBoard();
    ASSERT_TRUE(WaitFor([] { return Probes(1) >= 1; }, 2000));
    SimBoardArmFault(SIM_ANY, SIM_HOLD_READ, -1);
    ASSERT_TRUE(WaitFor([] { return SimBoardReadHeld() != 0; }, 2000));
    StopBoardThread();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_FALSE(BoardThreadFinished());
    SimBoardSetPresent(0);
    EXPECT_TRUE(WaitFor([] { return BoardThreadFinished(); }, 1000));
}

// --- the real transport -----------------------------------------------------

namespace {
std::atomic<int> realOpens;
std::atomic<int> realBoardFound;

HidBoard* CountingOpen()
{
    realOpens++;
    HidBoard* board = HidRealTransport()->open();
    if (board)
        realBoardFound = 1;
    return board;
}
}  // namespace

// Over hidapi with no board attached the thread searches about every 16 ms,
// stays disconnected and stops cleanly.
TEST(BoardRealTransport, SearchesWithoutBoard)
{
    const HidTransport* real = HidRealTransport();
    static HidTransport counting;
    counting = {CountingOpen, real->write, real->read, real->close};
    realOpens = 0;
    realBoardFound = 0;
    HidSelectTransport(&counting);
    auto start = std::chrono::steady_clock::now();
    StartBoardThread();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    bool connected = BoardConnected();
    EXPECT_TRUE(StopThreadAndWait());
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start).count();
    HidSelectTransport(nullptr);
    if (realBoardFound)
        GTEST_SKIP() << "a real board is attached";
    EXPECT_FALSE(connected);
    EXPECT_GE(realOpens.load(), 3);
    EXPECT_LE(realOpens.load(), elapsed / 16 + 1);
}
