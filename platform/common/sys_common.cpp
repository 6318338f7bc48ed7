// Platform pieces that are the same with or without a window: the test hooks,
// the message queue, the clock and sleeping.
#include <atomic>
#include <ctime>
#include <csignal>
#include <sched.h>

#include "platform/sys_backend.h"

namespace {

// Each hook is read by the board thread too (its clock and sleeps), so each
// is an atomic pointer of its own.
struct AtomicHooks {
    std::atomic<int (*)(SysKey)> keyDown;
    std::atomic<uint32_t (*)()> milliseconds;
    std::atomic<void (*)(const char*)> errorBox;
    std::atomic<void (*)(uint32_t)> sleep;
    std::atomic<int (*)()> windowFocused;
    std::atomic<int (*)(int)> keyCodeDown;
    std::atomic<void (*)(float*, float*)> mouseMotion;
    std::atomic<uint64_t (*)()> microseconds;
    std::atomic<void (*)()> swapBuffers;
    std::atomic<int (*)()> refreshRate;
    std::atomic<int (*)(int)> setVsync;
};

struct SysCommon {
    AtomicHooks hooks;               // test replacements, null members = own
    SysMessage queue[16];            // posted messages waiting for the loop
    int queueHead;                   // index of the oldest message
    int queueCount;                  // messages waiting
    int mouseCaptured;               // the loop asked for relative mouse mode
    uint8_t hookKeyDown[KEYCODE_COUNT];     // through the hooks: each key at the last count
    uint32_t hookPresses[KEYCODE_COUNT];    // and the presses seen so
};
SysCommon sys;

// Set by the signal handler, taken by SysPeekMessage: the only thing a
// handler may safely do is store a flag.
volatile sig_atomic_t stopSignalled;

void OnStopSignal(int)
{
    stopSignalled = 1;
}

uint64_t MonotonicMicroseconds()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000000u + uint64_t(ts.tv_nsec) / 1000u;
}

void SleepNanoseconds(uint64_t ns)
{
    timespec ts;
    ts.tv_sec = time_t(ns / 1000000000u);
    ts.tv_nsec = long(ns % 1000000000u);
    while (nanosleep(&ts, &ts) != 0) {
    }
}

}  // namespace

void SysSetHooks(const SysHooks* hooks)
{
    SysHooks h = hooks ? *hooks : SysHooks{};
    sys.hooks.keyDown = h.keyDown;
    sys.hooks.milliseconds = h.milliseconds;
    sys.hooks.errorBox = h.errorBox;
    sys.hooks.sleep = h.sleep;
    sys.hooks.keyCodeDown = h.keyCodeDown;
    sys.hooks.mouseMotion = h.mouseMotion;
    sys.hooks.windowFocused = h.windowFocused;
    sys.hooks.microseconds = h.microseconds;
    sys.hooks.swapBuffers = h.swapBuffers;
    sys.hooks.refreshRate = h.refreshRate;
    sys.hooks.setVsync = h.setVsync;
}

int SysWindowFocused()
{
    auto hook = sys.hooks.windowFocused.load();
    return hook ? hook() : SysBackendWindowFocused();
}

int SysKeyDown(SysKey key)
{
    if (key < 0 || key >= KEY_COUNT)
        return 0;
    auto hook = sys.hooks.keyDown.load();
    return hook ? hook(key) : SysBackendKeyDown(key);
}

// A test that holds keys of the small set through the keyDown hook holds
// the same keys by code: either shift is KEY_SHIFT.
static int KeyOfCode(int code, SysKey* key)
{
    static const struct { int code; SysKey key; } kSet[] = {
        {KEYCODE_UP, KEY_UP}, {KEYCODE_DOWN, KEY_DOWN}, {KEYCODE_LEFT, KEY_LEFT},
        {KEYCODE_RIGHT, KEY_RIGHT}, {KEYCODE_LSHIFT, KEY_SHIFT}, {KEYCODE_RSHIFT, KEY_SHIFT},
        {KEYCODE_X, KEY_X}, {KEYCODE_Z, KEY_Z}, {KEYCODE_SPACE, KEY_SPACE},
    };
    for (const auto& k : kSet) {
        if (k.code == code) {
            *key = k.key;
            return 1;
        }
    }
    if (code >= KEYCODE_F1 && code < KEYCODE_F1 + 9) {
        *key = SysKey(KEY_F1 + (code - KEYCODE_F1));
        return 1;
    }
    return 0;
}

int SysKeyCodeDown(int code)
{
    if (code <= KEYCODE_NONE || code >= KEYCODE_COUNT)
        return 0;
    auto byCode = sys.hooks.keyCodeDown.load();
    auto byKey = sys.hooks.keyDown.load();
    if (!byCode && !byKey)
        return SysBackendKeyCodeDown(code);
    SysKey key;
    if (byCode && byCode(code))
        return 1;
    return byKey && KeyOfCode(code, &key) && byKey(key) ? 1 : 0;
}

uint32_t SysKeyPressCount(int code)
{
    if (code <= KEYCODE_NONE || code >= KEYCODE_COUNT)
        return 0;
    if (!sys.hooks.keyCodeDown.load() && !sys.hooks.keyDown.load())
        return SysBackendKeyPressCount(code);
    uint8_t down = SysKeyCodeDown(code) ? 1 : 0;
    if (down && !sys.hookKeyDown[code])
        sys.hookPresses[code]++;
    sys.hookKeyDown[code] = down;
    return sys.hookPresses[code];
}

void SysSetMouseCaptured(int captured)
{
    captured = captured ? 1 : 0;
    if (captured == sys.mouseCaptured)
        return;
    sys.mouseCaptured = captured;
    SysBackendSetMouseCaptured(captured);
    float dx, dy;
    SysBackendTakeMouseMotion(&dx, &dy);   // motion from before the switch is not the player's steering
}

int SysMouseCaptured()
{
    return sys.mouseCaptured;
}

void SysTakeMouseMotion(float* dx, float* dy)
{
    *dx = *dy = 0;
    if (auto hook = sys.hooks.mouseMotion.load()) {
        if (sys.mouseCaptured)
            hook(dx, dy);
        return;
    }
    SysBackendTakeMouseMotion(dx, dy);
    if (!sys.mouseCaptured)
        *dx = *dy = 0;
}

// Truncation to 32 bits is intended: callers compare with unsigned
// differences, so the wrap every 49.7 days is harmless.
uint32_t SysMilliseconds()
{
    if (auto hook = sys.hooks.milliseconds.load())
        return hook();
    return uint32_t(SysMicroseconds() / 1000u);
}

uint64_t SysMicroseconds()
{
    if (auto hook = sys.hooks.microseconds.load())
        return hook();
    if (auto hook = sys.hooks.milliseconds.load())
        return uint64_t(hook()) * 1000u;
    return MonotonicMicroseconds();
}

void SysSwapBuffers()
{
    if (auto hook = sys.hooks.swapBuffers.load())
        hook();
    else
        SysBackendSwapBuffers();
}

int SysRefreshRate()
{
    auto hook = sys.hooks.refreshRate.load();
    return hook ? hook() : SysBackendRefreshRate();
}

int SysSetVsync(int on)
{
    auto hook = sys.hooks.setVsync.load();
    return hook ? hook(on) : SysBackendSetVsync(on);
}

void SysSleep(uint32_t ms)
{
    if (auto hook = sys.hooks.sleep.load()) {
        hook(ms);
        return;
    }
    SleepNanoseconds(uint64_t(ms) * 1000000u);
}

void SysSleepMicroseconds(uint32_t us)
{
    SleepNanoseconds(uint64_t(us) * 1000u);
}

void SysYield()
{
    sched_yield();
}

void SysErrorBox(const char* textUtf8)
{
    if (!textUtf8)
        textUtf8 = "";
    if (auto hook = sys.hooks.errorBox.load())
        hook(textUtf8);
    else
        SysBackendErrorBox(textUtf8);
}

void SysPostMessage(SysMessageKind kind, int param)
{
    if (sys.queueCount == int(sizeof sys.queue / sizeof sys.queue[0]))
        return;  // a full queue only ever holds repeated close requests
    int tail = (sys.queueHead + sys.queueCount) % int(sizeof sys.queue / sizeof sys.queue[0]);
    sys.queue[tail] = SysMessage{kind, param};
    sys.queueCount++;
}

void SysCatchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Restart interrupted reads and writes: the flag is looked at between passes.
    action.sa_flags = SA_RESTART;
    const int stopSignals[] = {SIGTERM, SIGINT, SIGHUP};
    for (int signal : stopSignals)
        sigaction(signal, &action, nullptr);
}

int SysPeekMessage(SysMessage* msg)
{
    if (stopSignalled) {
        stopSignalled = 0;
        SysPostMessage(SYS_MSG_CLOSE, 0);
    }
    if (sys.queueCount == 0)
        SysBackendPollEvents();
    if (sys.queueCount == 0)
        return 0;
    *msg = sys.queue[sys.queueHead];
    sys.queueHead = (sys.queueHead + 1) % int(sizeof sys.queue / sizeof sys.queue[0]);
    sys.queueCount--;
    return 1;
}

