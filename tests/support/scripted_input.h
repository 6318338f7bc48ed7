// A scripted keyboard and clock for tests that drive the loop frame by frame.
#pragma once
#include <cstdint>
#include <string>
#include "platform/sys.h"

extern bool scriptedKeys[KEY_COUNT];   // held keys, read through the key hook
extern bool scriptedCodes[KEYCODE_COUNT];   // any key held by its KeyCode
extern float scriptedMouseDx, scriptedMouseDy;   // motion handed to the next mouse read
extern uint32_t scriptedClockMs;       // what the millisecond clock returns
extern bool scriptedFocus;             // whether the window has the focus (starts true)

// Installs the key, mouse and clock hooks (and the given error box and sleep
// hooks, either may be null) with every key up and the mouse still.
void InstallScriptedInput(void (*errorBox)(const char*), void (*sleep)(uint32_t));
void ReleaseScriptedKeys();
// One loop frame 16 ms after the last on the scripted clock (input sampled,
// then the frame run), or `count` of them.
void ScriptedFrame();
void ScriptedFrames(int count);

// Writes bytes to a file (a failure fails the test).
void WriteFileText(const std::string& path, const std::string& bytes);
// Starts the game from the folder `dir` on the scripted keys and clock (at
// 5000 ms) with fresh game and loop records; message boxes go to errorBox.
// 1 when start-up succeeded. StopScriptedGame shuts it down and restores the
// platform's own hooks and folders.
int  StartScriptedGame(const std::string& dir, void (*errorBox)(const char*));
void StopScriptedGame();
// A private copy of a game folder (the shipped one) in the temp folder,
// without the player's saves, so a test never writes into the original.
std::string CopyGameFolder(const std::string& from, const std::string& name);
