// What the board link's files share with each other and with its tests: the
// record shared with the game thread, the thread entry and the exchanges.
#pragma once
#include <atomic>
#include <cstdint>

#include "platform/hid.h"
#include "sensor/board.h"

const int kBoardDataSize = 32;
const uint32_t kBoardCycleMs = 16;

// Everything the I/O thread and the game thread share. Each field is one
// atomic written whole; no lock. The sound words are stored before
// soundPending is set (release) and read after it is seen (acquire).
struct BoardLink {
    std::atomic<int32_t> boardRunning{0};            // the thread runs while nonzero; cleared at shutdown
    std::atomic<int32_t> boardFinished{1};           // 1 once the thread has ended (and before it first starts)
    std::atomic<int32_t> boardConnected{0};          // 1 while a board is open and answering
    std::atomic<uint8_t> boardData[kBoardDataSize] = {};  // last good register block; may mix two reads
    std::atomic<uint8_t> ledPattern{0};              // low 4 bits = the four direction lamps
    std::atomic<int32_t> ledChanged{0};              // set with a new pattern, cleared by a lamp write
    std::atomic<uint16_t> soundWordA{0};             // first sound parameter
    std::atomic<uint16_t> soundWordB{0};             // second sound parameter
    std::atomic<int32_t> soundPending{0};            // a sound waits to be sent
};
extern BoardLink boardLink;

// The thread's entry; ignores its argument.
void BoardThread(void* unused);

// The exchanges; each returns 1 on success, 0 on failure.
int OpenBoard(HidBoard** handle);    // null handle on failure
void CloseBoard(HidBoard** handle);
int SendProbeFailureReports(HidBoard* handle);
int ReadBoardBlock(HidBoard* handle);     // copies the block into boardData
int ClearBoardRegister1(HidBoard* handle);
int WriteBoardLamps(HidBoard* handle, uint8_t pattern);
int WriteBoardSound(HidBoard* handle, uint16_t wordA, uint16_t wordB);

// Milliseconds between two readings of the 32-bit clock, in whichever
// direction is shorter, so the wrap does not stall a cycle.
uint32_t BoardCycleElapsed(uint32_t now, uint32_t start);
