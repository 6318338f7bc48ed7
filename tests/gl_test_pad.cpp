// Game pads on the real platform, headless and with no pad plugged in: the
// controller support starts and stops with the window, reports no pad, and
// the sampler's passes allocate nothing.
#include <gtest/gtest.h>

#include <pthread.h>
#include <cstddef>

#include "app/tilt.h"
#include "platform/pad.h"
#include "platform/sys.h"

// Every allocation made by the main thread while `counting` is set is
// counted; the C library does the work. A sanitizer build keeps its own
// malloc, and the count is skipped there.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define COUNT_ALLOCATIONS 0
#else
#define COUNT_ALLOCATIONS 1
#endif

namespace {
bool counting;
pthread_t countedThread;
int allocations;
}  // namespace

#if COUNT_ALLOCATIONS
extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* p, size_t size);

namespace {
void Count()
{
    if (counting && pthread_equal(pthread_self(), countedThread))
        allocations++;
}
}  // namespace

extern "C" void* malloc(size_t size)
{
    Count();
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size)
{
    Count();
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* p, size_t size)
{
    Count();
    return __libc_realloc(p, size);
}
#endif

namespace {

int NoKey(SysKey) { return 0; }

class RealPad : public testing::Test {
protected:
    void SetUp() override
    {
        SysHooks hooks = {};
        hooks.keyDown = NoKey;
        SysSetHooks(&hooks);
        ASSERT_EQ(1, SysCreateWindow("Kestrune pad test", 640, 480))
            << "no window (SDL_VIDEODRIVER=offscreen?)";
    }
    void TearDown() override
    {
        SysDestroyWindow();
        SysSetHooks(nullptr);
    }
};

}  // namespace

// The session opens with pad support up and no pad; the keyboard's idle
// sample comes through; support goes with the window and comes back with
// the next one.
TEST_F(RealPad, OpensWithNoPadAndReportsNone)
{
    EXPECT_EQ(1, PadSupported());
    PadState pad;
    pad.attached = 7;
    PadRead(&pad);
    EXPECT_EQ(0, pad.attached);
    EXPECT_EQ(0u, pad.buttons);
    TiltVector tilt = {};
    SampleTilt(&tilt);
    EXPECT_EQ(0, tilt.x);
    EXPECT_EQ(10, tilt.y);
    EXPECT_EQ(0, tilt.z);
    EXPECT_EQ(0, PadButtonHeld());

    SysDestroyWindow();
    EXPECT_EQ(0, PadSupported());
    ASSERT_EQ(1, SysCreateWindow("Kestrune pad test", 640, 480));
    EXPECT_EQ(1, PadSupported());
    PadRead(&pad);
    EXPECT_EQ(0, pad.attached);
}

// What the loop does on every idle pass, the window's events pumped and the
// tilt sampled, allocates nothing once running.
TEST_F(RealPad, IdlePassesAllocateNothing)
{
    if (!COUNT_ALLOCATIONS)
        GTEST_SKIP() << "the sanitizer owns malloc";
    TiltVector tilt = {};
    SysMessage msg;
    for (int k = 0; k < 10; k++) {
        while (SysPeekMessage(&msg)) {
        }
        SampleTilt(&tilt);
    }
    countedThread = pthread_self();
    allocations = 0;
    counting = true;
    for (int k = 0; k < 2000; k++) {
        while (SysPeekMessage(&msg)) {
        }
        SampleTilt(&tilt);
    }
    counting = false;
    EXPECT_EQ(0, allocations);
    EXPECT_EQ(10, tilt.y);
}
