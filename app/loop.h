// The program's heartbeat: start-up, the loop of 16 ms logic steps and the
// pictures drawn between them at the display's pace, the game-state dispatch
// and shutdown.
#pragma once
#include <cstdint>

struct ScenePose;

// The command line, start-up, loop, shutdown; returns the exit code.
int  GameMain(int argc, const char* const* argv);

// One copy of the game per save folder: an advisory lock on
// kInstanceLockName beside the records. 0 (after a line on standard error) when another
// process holds it; 1 otherwise, also when the folder allows no lock file.
int  TakeInstanceLock();
void ReleaseInstanceLock();
extern const char* const kInstanceLockName;

int  StartUp();          // 1 when every step succeeded; stops at the first failure
// What StartUp leaves to the pictures after the first (the physics world,
// the first course, the sound), done now.
void FinishStartUp();
int  RunLoop();          // passes until a quit message or the Exit state
void ShutDown();

// The pieces of one pass, exposed so tests can drive frames with any clock.
// A pass runs the logic steps due (at most 5 after a stall), then draws a
// picture when the display is ready for one, else waits.
int  RunPass();                                  // 0 once the loop must end
void SampleInput();                              // tilt, button, connected, reload
bool FrameDue(uint32_t now, uint32_t frameTime); // 16 ms since the last frame
// One logic step and a picture of it, as the loop ran before it drew at the
// display's pace; `now` becomes the step clock.
void RunFrame(uint32_t now);
// Its two halves, for benchmarks that time them apart: the step's logic
// (physics, the state's update, ghost and sound), then its picture.
void RunLogicStep();
void DrawStepPicture();
int  LastQuitCode();                             // param of the last quit message
// Forgets the quit an earlier run ended on; StartUp begins with it.
void ResetLoopRun();

// The pictures, for tests on the null platform where nothing is drawn: how
// many, how far between the last two logic steps the last one was drawn
// (0 the step before, 1 the last), and the race scene it showed.
uint32_t         PicturesDrawn();
uint32_t         StepsRun();         // logic steps since start (benchmarks)
float            LastPictureBlend();
const ScenePose& LastPictureScene();

