// The mixer's processor time for one second of sound with every effect
// voice busy (16 two-second fanfares), the race music, both rolling loops
// gliding in pitch, and a tone: SDL_mixer and our callback together, run by
// the disk driver as fast as it can into /dev/null. The time counted is the
// whole process's CPU time while the game thread only sleeps, so it is the
// audio thread's work.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>

#include "platform/audio.h"

namespace {

double ProcessCpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

void WaitForFrames(uint64_t frames)
{
    uint64_t target = AudioFramesMixed() + frames;
    while (AudioFramesMixed() < target) usleep(2000);
}

int LoadShippedSounds()
{
    std::string dir = std::string(KESTRUNE_GAME_DIR) + "/sound/";
    return AudioLoadSound(0, (dir + "music_race.ogg").c_str()) && AudioLoadSound(1, (dir + "goal.ogg").c_str()) &&
           AudioLoadSound(2, (dir + "roll_terrain.ogg").c_str()) && AudioLoadSound(3, (dir + "roll_obstacle.ogg").c_str());
}

void MixOneSecond(benchmark::State& state)
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    if (!AudioOpen() || !LoadShippedSounds()) {
        state.SkipWithError("no disk audio or no shipped sounds");
        return;
    }
    AudioSetVolumes(0.8f, 0.7f, 0.9f);
    AudioPlayMusic(0);
    float pitch = 0.8f;
    for (auto _ : state) {
        for (int voice = 0; voice < 16; voice++) AudioPlayEffect(1, 0.5f);
        AudioSetLoop(0, 2, 0.7f, pitch);
        AudioSetLoop(1, 3, 0.4f, 2.0f - pitch);
        AudioPlayTone(768.0f, 500);
        pitch = pitch > 1.5f ? 0.8f : pitch + 0.1f;
        double before = ProcessCpuSeconds();
        WaitForFrames(AUDIO_RATE);
        state.SetIterationTime(ProcessCpuSeconds() - before);
    }
    AudioClose();
}
BENCHMARK(MixOneSecond)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
