// The I/O thread: finds the board, runs the fixed cycle of reports every
// 16 ms while it answers, and looks for it again every 16 ms when it does not.
#include <cstring>

#include "platform/sys.h"
#include "sensor/board_local.h"

namespace {

// One write and, when it went out, the read of its answer. The answer stays
// all zero when nothing was read.
int Exchange(HidBoard* handle, const uint8_t* out, uint8_t* in)
{
    memset(in, 0, kHidReportSize);
    if (!HidWriteReport(handle, out))
        return 0;
    return HidReadReport(handle, in);
}

// 1 when the board answered the probe with 0x55; anything else is told so
// with the failure reports.
int ProbeBoard(HidBoard* handle)
{
    uint8_t out[kHidReportSize] = {0x00, 0xAA};
    uint8_t in[kHidReportSize];
    int ok = Exchange(handle, out, in);
    if (in[1] != 0x55) {
        SendProbeFailureReports(handle);
        ok = 0;
    }
    return ok;
}

void DisconnectUnless(int ok)
{
    if (!ok)
        boardLink.boardConnected.store(0, std::memory_order_release);
}

// The sound is taken before it is sent, so one raised while it goes out is
// not lost; a failed write puts it back for the next cycle.
void SendPendingSound(HidBoard* handle)
{
    if (!boardLink.soundPending.exchange(0, std::memory_order_acquire))
        return;
    uint16_t wordA = boardLink.soundWordA.load(std::memory_order_relaxed);
    uint16_t wordB = boardLink.soundWordB.load(std::memory_order_relaxed);
    if (!WriteBoardSound(handle, wordA, wordB))
        boardLink.soundPending.store(1, std::memory_order_relaxed);
}

// Always runs to the end, even once an early step found the board gone.
void RunBoardCycle(HidBoard* handle)
{
    DisconnectUnless(ProbeBoard(handle));
    ReadBoardBlock(handle);
    DisconnectUnless(ClearBoardRegister1(handle));
    if (WriteBoardLamps(handle, boardLink.ledPattern.load(std::memory_order_relaxed)))
        boardLink.ledChanged.store(0, std::memory_order_relaxed);
    SendPendingSound(handle);
}

void WaitForCycleEnd(uint32_t* cycleStart)
{
    while (BoardCycleElapsed(SysMilliseconds(), *cycleStart) < kBoardCycleMs)
        SysSleep(1);
    *cycleStart = SysMilliseconds();
}

bool KeepCycling()
{
    return boardLink.boardConnected.load(std::memory_order_acquire) &&
           boardLink.boardRunning.load(std::memory_order_acquire);
}

void ServeBoard(HidBoard* handle)
{
    boardLink.boardConnected.store(1, std::memory_order_release);
    uint32_t cycleStart = SysMilliseconds();
    while (KeepCycling()) {
        RunBoardCycle(handle);
        WaitForCycleEnd(&cycleStart);
    }
    boardLink.boardConnected.store(0, std::memory_order_release);
}

}  // namespace

uint32_t BoardCycleElapsed(uint32_t now, uint32_t start)
{
    uint32_t forward = now - start;
    uint32_t backward = start - now;
    return forward < backward ? forward : backward;
}

int OpenBoard(HidBoard** handle)
{
    *handle = HidOpenBoard();
    return *handle != nullptr;
}

void CloseBoard(HidBoard** handle)
{
    if (*handle)
        HidCloseBoard(*handle);
    *handle = nullptr;
}

int SendProbeFailureReports(HidBoard* handle)
{
    uint8_t first[kHidReportSize] = {0x00, 0x05, 0xFF, 0x00, 0xF0, 0x00, 0x01};
    uint8_t second[kHidReportSize] = {0x00, 0x08};
    if (!HidWriteReport(handle, first))
        return 0;
    return HidWriteReport(handle, second);
}

// A wrong or missing answer leaves the last good block in place.
int ReadBoardBlock(HidBoard* handle)
{
    uint8_t out[kHidReportSize] = {0x00, 0x6D, 0x72, 0x00, kBoardDataSize};
    uint8_t in[kHidReportSize];
    if (!Exchange(handle, out, in))
        return 0;
    if (in[0] != 0x00 || in[1] != 0x6D || in[2] != 0x72)
        return 0;
    for (int i = 0; i < kBoardDataSize; i++)
        boardLink.boardData[i].store(in[5 + i], std::memory_order_relaxed);
    return 1;
}

int ClearBoardRegister1(HidBoard* handle)
{
    uint8_t out[kHidReportSize] = {0x00, 0x6D, 0x77, 0x01, 0x01, 0x00};
    uint8_t in[kHidReportSize];
    return Exchange(handle, out, in);
}

int WriteBoardLamps(HidBoard* handle, uint8_t pattern)
{
    uint8_t out[kHidReportSize] = {0x00, 0x6D, 0x77, 0x09, 0x01, uint8_t(pattern | 0x10)};
    uint8_t in[kHidReportSize];
    return Exchange(handle, out, in);
}

int WriteBoardSound(HidBoard* handle, uint16_t wordA, uint16_t wordB)
{
    uint8_t out[kHidReportSize] = {0x00, 0x6D, 0x77, 0x0D, 0x04,
                                   uint8_t(wordA & 0xFF), uint8_t(wordA >> 8),
                                   uint8_t(wordB & 0xFF), uint8_t(wordB >> 8)};
    uint8_t in[kHidReportSize];
    return Exchange(handle, out, in);
}

void BoardThread(void*)
{
    boardLink.boardConnected.store(0, std::memory_order_release);
    HidBoard* handle = nullptr;
    while (boardLink.boardRunning.load(std::memory_order_acquire)) {
        if (OpenBoard(&handle)) {
            ServeBoard(handle);
            CloseBoard(&handle);
        }
        SysSleep(kBoardCycleMs);
    }
    boardLink.boardFinished.store(1, std::memory_order_release);
}
