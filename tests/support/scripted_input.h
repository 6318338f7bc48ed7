// A scripted keyboard and clock for tests that drive the loop frame by frame.
#pragma once
#include <cstdint>
#include "platform/sys.h"

extern bool scriptedKeys[KEY_COUNT];   // held keys, read through the key hook
extern uint32_t scriptedClockMs;       // what the millisecond clock returns

// Installs the key and clock hooks (and the given error box and sleep hooks,
// either may be null) with every key up.
void InstallScriptedInput(void (*errorBox)(const char*), void (*sleep)(uint32_t));
void ReleaseScriptedKeys();
