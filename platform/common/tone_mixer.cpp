// Tones are sines with a short raised-cosine fade at both ends, so a cue
// that starts or stops mid-period does not click.
#include "platform/tone_mixer.h"

#include <cmath>

namespace {

const float kFadeMs = 4.0f;
const float kVoiceGain = 0.25f;   // four voices at full swing reach the clip level
const float kTwoPi = 6.28318530718f;

void StartVoice(ToneMixer* mixer, const ToneRequest& request)
{
    uint32_t length = uint32_t(uint64_t(request.lengthMs) * uint32_t(mixer->sampleRate) / 1000);
    if (length == 0 || !(request.frequencyHz > 0.0f))
        return;
    for (ToneVoice& voice : mixer->voices) {
        if (voice.length != 0)
            continue;
        voice = ToneVoice{0.0f, request.frequencyHz / float(mixer->sampleRate), 0, length};
        return;
    }
    // Every voice busy: the newest cue is the one the player is waiting for,
    // so it replaces the voice closest to its end.
    ToneVoice* oldest = &mixer->voices[0];
    for (ToneVoice& voice : mixer->voices)
        if (voice.length - voice.played < oldest->length - oldest->played)
            oldest = &voice;
    *oldest = ToneVoice{0.0f, request.frequencyHz / float(mixer->sampleRate), 0, length};
}

void TakeRequests(ToneMixer* mixer)
{
    uint32_t tail = mixer->tail.load(std::memory_order_relaxed);
    uint32_t head = mixer->head.load(std::memory_order_acquire);
    for (; tail != head; tail++)
        StartVoice(mixer, mixer->queue[tail % TONE_QUEUE_SIZE]);
    mixer->tail.store(tail, std::memory_order_release);
}

float Envelope(const ToneVoice& voice, float fadeSamples)
{
    float fromStart = float(voice.played);
    float toEnd = float(voice.length - voice.played - 1);
    float edge = fromStart < toEnd ? fromStart : toEnd;
    if (edge >= fadeSamples)
        return 1.0f;
    return 0.5f - 0.5f * std::cos(3.14159265f * edge / fadeSamples);
}

float NextSample(ToneVoice* voice, float fadeSamples)
{
    float value = std::sin(kTwoPi * voice->phase) * Envelope(*voice, fadeSamples);
    voice->phase += voice->phaseStep;
    if (voice->phase >= 1.0f)
        voice->phase -= 1.0f;
    if (++voice->played >= voice->length)
        voice->length = 0;
    return value;
}

}  // namespace

void ToneMixerReset(ToneMixer* mixer, int sampleRate)
{
    mixer->head.store(0, std::memory_order_relaxed);
    mixer->tail.store(0, std::memory_order_relaxed);
    for (ToneVoice& voice : mixer->voices)
        voice = ToneVoice{};
    mixer->sampleRate = sampleRate > 0 ? sampleRate : 48000;
}

int ToneMixerPush(ToneMixer* mixer, float frequencyHz, uint32_t lengthMs)
{
    uint32_t head = mixer->head.load(std::memory_order_relaxed);
    uint32_t tail = mixer->tail.load(std::memory_order_acquire);
    if (head - tail >= TONE_QUEUE_SIZE)
        return 0;
    mixer->queue[head % TONE_QUEUE_SIZE] = ToneRequest{frequencyHz, lengthMs};
    mixer->head.store(head + 1, std::memory_order_release);
    return 1;
}

void ToneMixerRender(ToneMixer* mixer, float* out, int frames)
{
    TakeRequests(mixer);
    float fadeSamples = kFadeMs * float(mixer->sampleRate) / 1000.0f;
    for (int i = 0; i < frames; i++) {
        float sum = 0.0f;
        for (ToneVoice& voice : mixer->voices)
            if (voice.length != 0)
                sum += kVoiceGain * NextSample(&voice, fadeSamples);
        out[i] = sum > 1.0f ? 1.0f : sum < -1.0f ? -1.0f : sum;
    }
}
