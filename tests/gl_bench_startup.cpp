// From exec to the title's first pictures on the screen, the game started
// whole as a player starts it. The first is the title's white backdrop,
// shown as soon as the window can draw; the second the first the title
// draws itself (its letters still off to the right, as they fly in). A
// probe loaded into the game notes the present and ends the process. Run
// it on a display (Xvfb will do):
//   xvfb-run -a build/tests/gl_bench_startup
// KESTRUNE_BENCH_GAME names another build's game to time instead.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <stdint.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

int64_t NowNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The environment the game starts with: this one, plus the probe.
std::vector<std::string> ProbeEnvironment(int fd, int picture)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    env.push_back("LD_PRELOAD=" KESTRUNE_PROBE);
    env.push_back("KESTRUNE_PROBE_FD=" + std::to_string(fd));
    env.push_back("KESTRUNE_PROBE_PICTURE=" + std::to_string(picture));
    return env;
}

// Nanoseconds from spawning the game to its present number `picture`; -1
// when it ended without one.
int64_t TimeOneStart(int picture)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    std::vector<std::string> env = ProbeEnvironment(fds[1], picture);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const char* other = getenv("KESTRUNE_BENCH_GAME");
    std::string exe = other ? other : KESTRUNE_GAME_EXE;
    char windowed[] = "--windowed";
    char* argv[] = {exe.data(), windowed, nullptr};

    pid_t pid;
    int64_t start = NowNs();
    int spawned = posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, envp.data());
    close(fds[1]);
    int64_t shown = -1;
    if (spawned == 0 && read(fds[0], &shown, sizeof shown) != sizeof shown)
        shown = -1;
    close(fds[0]);
    if (spawned == 0)
        waitpid(pid, nullptr, 0);
    return shown < 0 ? -1 : shown - start;
}

void ExecToPicture(benchmark::State& state)
{
    std::vector<double> ms;
    for (auto _ : state) {
        int64_t ns = TimeOneStart(int(state.range(0)));
        if (ns < 0) {
            state.SkipWithError("the game ended without a picture (no display?)");
            return;
        }
        ms.push_back(double(ns) / 1e6);
        state.SetIterationTime(double(ns) / 1e9);
        // The display server has the last game's window to tidy away; a
        // player's start does not find it busy with that.
        usleep(300 * 1000);
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["worst_ms"] = ms.back();
}
BENCHMARK(ExecToPicture)->Arg(1)->Arg(2)->Iterations(21)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
