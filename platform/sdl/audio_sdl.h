// What the two halves of the SDL audio share: audio_sdl.cpp runs on the game
// thread (opening, loading, requests), audio_mix.cpp inside SDL_mixer's
// callback on the audio thread. They meet only in MixerShared, whose fields
// are atomics or single-producer queues, so the callback never waits for
// the game thread and never allocates.
#pragma once
#include <SDL_mixer.h>
#include <atomic>
#include <cstdint>

#include "platform/audio.h"
#include "platform/tone_mixer.h"

enum {
    MUSIC_CHANNELS = 2,      // SDL_mixer channels 0 and 1: the music crossfades between them
    EFFECT_CHANNELS = 16,    // channels 2..17: one-shot effects
    EFFECT_GROUP = 1,        // SDL_mixer's tag for the effect channels
    EFFECT_QUEUE = 64,       // effect requests in flight between two callbacks
    PERIOD_FRAMES = 512      // frames per callback: 10.7 ms at 48 kHz
};

struct EffectRequest {
    int slot;
    float volume;            // 0..1, before the effects and master volumes
};

// A looping voice as the game thread last set it.
struct LoopTarget {
    std::atomic<int> slot;       // -1 stopped
    std::atomic<float> volume;   // 0..1
    std::atomic<float> pitch;    // playback rate, 1 as recorded
};

struct MixerShared {
    // Published by AudioLoadSound after decoding; a replaced chunk is freed
    // only after a callback has started since (see AudioLoadSound).
    std::atomic<Mix_Chunk*> sounds[AUDIO_SOUNDS];
    // Effect requests: the game thread writes at head, the callback reads at tail.
    EffectRequest effects[EFFECT_QUEUE];
    std::atomic<uint32_t> effectHead;
    std::atomic<uint32_t> effectTail;
    LoopTarget loops[AUDIO_LOOPS];
    std::atomic<int> music{-1};            // the music slot asked for, -1 none
    std::atomic<float> masterGain{1.0f};   // 0..1
    std::atomic<float> musicGain{1.0f};    // 0..1
    std::atomic<float> effectsGain{1.0f};  // 0..1
    ToneMixer tones;                     // has its own queue from the game thread
    std::atomic<uint64_t> framesMixed;   // written by the callback
};
extern MixerShared mixShared;

// Audio thread only, apart from MixReset, which runs before the device opens.
void MixReset();
// Installed as SDL_mixer's music hook, so it runs at the start of every
// callback, before the channels are mixed: takes the requests, steers the
// music channels and writes the looping voices and the tones.
void SDLCALL MixBeforeChannels(void* unused, Uint8* stream, int bytes);
// Installed as SDL_mixer's post-mix: muting and the frame count.
void SDLCALL MixAfterChannels(void* unused, Uint8* stream, int bytes);
