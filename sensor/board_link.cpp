// The game's side of the board link: starting and stopping the I/O thread,
// reading what it publishes, raising lamp patterns and sounds.
#include <system_error>
#include <thread>

#include "platform/audio.h"
#include "sensor/board_local.h"

BoardLink boardLink;

namespace {

struct CueWords {
    uint16_t wordA;
    uint16_t wordB;
};

const CueWords cueWords[] = {
    {0x1800, 1},    // CueClick
    {0x9000, 1},    // CueTick
    {0x3000, 6},    // CueConfirm
    {0x4000, 4},    // CueCount
    {0x1800, 24},   // CueGo
};

// Without a board the cue sounds through the speakers: the board's pitch word
// divides its clock (12 582 912 / A Hz) and its length word counts 16 ms steps.
void PlayCueTone(const CueWords& words)
{
    if (words.wordA == 0)
        return;
    AudioPlayTone(12582912.0f / float(words.wordA), uint32_t(words.wordB) * 16);
}

}  // namespace

// The run flag is raised here rather than by the thread itself, so a stop
// that comes before the thread first runs is not overwritten by it.
void StartBoardThread()
{
    if (!boardLink.boardFinished.load(std::memory_order_acquire))
        return;  // one thread at a time
    boardLink.boardFinished.store(0, std::memory_order_relaxed);
    boardLink.boardRunning.store(1, std::memory_order_release);
    try {
        std::thread(BoardThread, nullptr).detach();
    } catch (const std::system_error&) {
        // No thread: the game goes on with the keyboard.
        boardLink.boardRunning.store(0, std::memory_order_relaxed);
        boardLink.boardFinished.store(1, std::memory_order_release);
    }
}

void StopBoardThread()
{
    boardLink.boardRunning.store(0, std::memory_order_release);
}

bool BoardThreadFinished()
{
    return boardLink.boardFinished.load(std::memory_order_acquire) != 0;
}

bool BoardConnected()
{
    return boardLink.boardConnected.load(std::memory_order_acquire) != 0;
}

uint8_t BoardButtonByte()
{
    return boardLink.boardData[4].load(std::memory_order_relaxed);
}

uint8_t BoardDataByte(int index)
{
    if (index < 0 || index >= kBoardDataSize)
        return 0;
    return boardLink.boardData[index].load(std::memory_order_relaxed);
}

void RaiseBoardCue(BoardCue cue)
{
    if (cue < CueClick || cue > CueGo)
        return;
    boardLink.soundWordA.store(cueWords[cue].wordA, std::memory_order_relaxed);
    boardLink.soundWordB.store(cueWords[cue].wordB, std::memory_order_relaxed);
    boardLink.soundPending.store(1, std::memory_order_release);
}

void RaiseCue(BoardCue cue)
{
    if (cue < CueClick || cue > CueGo)
        return;
    RaiseBoardCue(cue);
    if (!BoardConnected())
        PlayCueTone(cueWords[cue]);
}

int LedPattern()
{
    return boardLink.ledPattern.load(std::memory_order_relaxed) & 15;
}

void SetLedPattern(int pattern)
{
    boardLink.ledPattern.store(uint8_t(pattern), std::memory_order_relaxed);
    boardLink.ledChanged.store(1, std::memory_order_relaxed);
}
