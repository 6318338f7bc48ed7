// The program's heartbeat: start-up, the 16 ms frame loop, the game-state
// dispatch and shutdown.
#pragma once
#include <cstdint>

// The command line, start-up, loop, shutdown; returns the exit code.
int  GameMain(int argc, const char* const* argv);

// One copy of the game per save folder: an advisory lock on
// kInstanceLockName beside the records. 0 (after a line on standard error) when another
// process holds it; 1 otherwise, also when the folder allows no lock file.
int  TakeInstanceLock();
void ReleaseInstanceLock();
extern const char* const kInstanceLockName;

int  StartUp();          // 1 when every step succeeded; stops at the first failure
int  RunLoop();          // passes until a quit message or the Exit state
void ShutDown();

// The pieces of one pass, exposed so tests can drive frames with any clock.
int  RunPass();                                  // 0 once the loop must end
void SampleInput();                              // tilt, button, connected, reload
bool FrameDue(uint32_t now, uint32_t frameTime); // 16 ms since the last frame
void RunFrame(uint32_t now);
int  LastQuitCode();                             // param of the last quit message

