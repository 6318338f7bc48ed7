// What the audio implementations (sdl/, null/) share with platform/common:
// the muting switch and the record of what the game asked for. Game thread
// only, apart from `muted`, which the mixer reads.
#pragma once
#include <atomic>

#include "platform/audio.h"

static_assert(AUDIO_LOOPS == 4, "AudioState.loops starts every loop stopped");

struct AudioState {
    std::atomic<int> muted{0};         // written by the game thread, read by the mixer
    AudioToneLog tones;                // tones accepted
    AudioEffectLog effects;            // effects accepted
    AudioLoopLog loops[AUDIO_LOOPS] = {{-1, 0.0f, 1.0f}, {-1, 0.0f, 1.0f}, {-1, 0.0f, 1.0f},
                                       {-1, 0.0f, 1.0f}};   // the last setting of each looping voice
    int musicSlot = -1;                // the music last asked for
};
extern AudioState audioState;

// Each returns 1 when the request should sound (not muted, sensible
// parameters) and records it; the implementation then plays it.
int AudioAcceptTone(float frequencyHz, uint32_t lengthMs);
int AudioAcceptEffect(int slot, float volume);
// Loops and music are recorded even while muted: they carry on silently.
int AudioAcceptLoop(int loop, int slot, float volume, float pitch);
int AudioAcceptMusic(int slot);
// Forgets the loops and the music (the device closed).
void AudioResetRequests();
