// The synthesiser behind the speaker tones: a lock-free queue from the game
// thread to the audio callback, and a mixer of a few soft-edged sine voices.
// Pure code with no audio device, so tests can render it into memory.
#pragma once
#include <atomic>
#include <cstdint>

enum {
    TONE_QUEUE_SIZE = 16,    // requests in flight between two callbacks
    TONE_VOICES = 8          // tones sounding at once
};

struct ToneRequest {
    float frequencyHz;
    uint32_t lengthMs;
};

struct ToneVoice {
    float phase;             // 0..1 of the current period
    float phaseStep;         // frequency / sample rate
    uint32_t played;         // samples produced
    uint32_t length;         // samples in all; 0 = voice free
};

// One producer (the game thread), one consumer (the audio callback).
struct ToneMixer {
    ToneRequest queue[TONE_QUEUE_SIZE];
    std::atomic<uint32_t> head{0};   // next slot the producer writes
    std::atomic<uint32_t> tail{0};   // next slot the consumer reads
    ToneVoice voices[TONE_VOICES];
    int sampleRate;
};

void ToneMixerReset(ToneMixer* mixer, int sampleRate);
// 1 queued, 0 dropped (queue full).
int  ToneMixerPush(ToneMixer* mixer, float frequencyHz, uint32_t lengthMs);
// Mono float samples in -1..1, overwriting out.
void ToneMixerRender(ToneMixer* mixer, float* out, int frames);
