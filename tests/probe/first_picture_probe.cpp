// Loaded into the game by gl_bench_startup (LD_PRELOAD): at the picture
// presented KESTRUNE_PROBE_PICTURE names (1, the first, when unset) it
// writes the monotonic clock, in nanoseconds, to the descriptor
// KESTRUNE_PROBE_FD names and ends the process at once, saving nothing. The
// game itself is the one a player runs, unchanged.
#include <dlfcn.h>
#include <stdint.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

extern "C" void SDL_GL_SwapWindow(void* window)
{
    using Swap = void (*)(void*);
    Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    if (real)
        real(window);
    static int presented = 0;
    const char* fd = getenv("KESTRUNE_PROBE_FD");
    const char* picture = getenv("KESTRUNE_PROBE_PICTURE");
    if (!fd || ++presented < (picture ? atoi(picture) : 1))
        return;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    int64_t ns = int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
    ssize_t written = write(atoi(fd), &ns, sizeof ns);
    _exit(written == sizeof ns ? 0 : 1);
}
