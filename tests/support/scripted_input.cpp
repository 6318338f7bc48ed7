#include "support/scripted_input.h"

bool scriptedKeys[KEY_COUNT];
uint32_t scriptedClockMs;

namespace {
int ScriptedKey(SysKey key) { return scriptedKeys[key] ? 1 : 0; }
uint32_t ScriptedClock() { return scriptedClockMs; }
}  // namespace

void ReleaseScriptedKeys()
{
    for (bool& k : scriptedKeys)
        k = false;
}

void InstallScriptedInput(void (*errorBox)(const char*), void (*sleep)(uint32_t))
{
    ReleaseScriptedKeys();
    SysHooks hooks{};
    hooks.keyDown = ScriptedKey;
    hooks.milliseconds = ScriptedClock;
    hooks.errorBox = errorBox;
    hooks.sleep = sleep;
    SysSetHooks(&hooks);
}
