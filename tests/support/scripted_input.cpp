#include "support/scripted_input.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "core/game.h"
#include "app/loop.h"
#include "platform/paths.h"

bool scriptedKeys[KEY_COUNT];
bool scriptedCodes[KEYCODE_COUNT];
float scriptedMouseDx, scriptedMouseDy;
uint32_t scriptedClockMs;
bool scriptedFocus = true;

namespace {
int ScriptedKey(SysKey key) { return scriptedKeys[key] ? 1 : 0; }
int ScriptedCode(int code) { return scriptedCodes[code] ? 1 : 0; }
uint32_t ScriptedClock() { return scriptedClockMs; }
void ScriptedMouse(float* dx, float* dy)
{
    *dx = scriptedMouseDx;
    *dy = scriptedMouseDy;
    scriptedMouseDx = scriptedMouseDy = 0;
}
int ScriptedFocus() { return scriptedFocus ? 1 : 0; }
}  // namespace

void ReleaseScriptedKeys()
{
    for (bool& k : scriptedKeys)
        k = false;
    for (bool& k : scriptedCodes)
        k = false;
    scriptedMouseDx = scriptedMouseDy = 0;
}

void InstallScriptedInput(void (*errorBox)(const char*), void (*sleep)(uint32_t))
{
    ReleaseScriptedKeys();
    SysHooks hooks{};
    hooks.keyDown = ScriptedKey;
    hooks.keyCodeDown = ScriptedCode;
    hooks.mouseMotion = ScriptedMouse;
    hooks.milliseconds = ScriptedClock;
    hooks.errorBox = errorBox;
    hooks.sleep = sleep;
    hooks.windowFocused = ScriptedFocus;
    scriptedFocus = true;
    SysSetHooks(&hooks);
}

void WriteFileText(const std::string& path, const std::string& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        ADD_FAILURE() << "cannot write " << path;
        return;
    }
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

void ScriptedFrame()
{
    scriptedClockMs += 16;
    SampleInput();
    RunFrame(scriptedClockMs);
}

void ScriptedFrames(int count)
{
    for (int i = 0; i < count; i++)
        ScriptedFrame();
}

int StartScriptedGame(const std::string& dir, void (*errorBox)(const char*))
{
    SysUseOneFolder(dir.c_str());
    InstallScriptedInput(errorBox, nullptr);
    scriptedClockMs = 5000;
    game = Game{};
    loop = LoopState{};
    return StartUp();
}

void StopScriptedGame()
{
    ShutDown();
    SysSetHooks(nullptr);
    SysUseOneFolder(nullptr);
}

std::string CopyGameFolder(const std::string& from, const std::string& name)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / (name + "-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::copy(from, dir, fs::copy_options::recursive);
    for (const char* save : {"record.sav", "config.sav", "extras.sav", "controls.txt", "calibration.txt", "ghost"})
        fs::remove_all(dir / save);
    return dir.string();
}
