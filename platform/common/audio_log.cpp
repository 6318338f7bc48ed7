// Muting and the record of requests, the same on every platform.
#include "platform/audio_local.h"

AudioState audioState;

namespace {

float Clamp01(float value)
{
    return value > 1.0f ? 1.0f : value > 0.0f ? value : 0.0f;   // NaN -> 0
}

}  // namespace

int AudioAcceptTone(float frequencyHz, uint32_t lengthMs)
{
    if (audioState.muted.load(std::memory_order_relaxed) || !(frequencyHz > 0.0f) || lengthMs == 0)
        return 0;
    audioState.tones.count++;
    audioState.tones.lastFrequencyHz = frequencyHz;
    audioState.tones.lastLengthMs = lengthMs;
    return 1;
}

int AudioAcceptEffect(int slot, float volume)
{
    volume = Clamp01(volume);
    if (audioState.muted.load(std::memory_order_relaxed) || slot < 0 || slot >= AUDIO_SOUNDS || volume == 0.0f)
        return 0;
    AudioEffectLog& log = audioState.effects;
    log.count++;
    log.lastSlot = slot;
    log.lastVolume = volume;
    log.perSlot[slot]++;
    return 1;
}

int AudioAcceptLoop(int loop, int slot, float volume, float pitch)
{
    if (loop < 0 || loop >= AUDIO_LOOPS)
        return 0;
    bool stop = slot < 0 || slot >= AUDIO_SOUNDS;
    // A pitch outside a few octaves is a caller's mistake, not a sound.
    float safePitch = pitch > 0.125f ? (pitch < 8.0f ? pitch : 8.0f) : 0.125f;
    audioState.loops[loop] = AudioLoopLog{stop ? -1 : slot, stop ? 0.0f : Clamp01(volume), safePitch};
    return 1;
}

int AudioAcceptMusic(int slot)
{
    audioState.musicSlot = slot >= 0 && slot < AUDIO_SOUNDS ? slot : -1;
    return 1;
}

void AudioResetRequests()
{
    for (AudioLoopLog& loop : audioState.loops)
        loop = AudioLoopLog{-1, 0.0f, 1.0f};
    audioState.musicSlot = -1;
}

void AudioSetMuted(int muted)
{
    audioState.muted.store(muted ? 1 : 0, std::memory_order_relaxed);
}

AudioToneLog AudioQueuedTones()
{
    return audioState.tones;
}

AudioEffectLog AudioQueuedEffects()
{
    return audioState.effects;
}

AudioLoopLog AudioLoopSetting(int loop)
{
    return loop >= 0 && loop < AUDIO_LOOPS ? audioState.loops[loop] : AudioLoopLog{-1, 0.0f, 1.0f};
}

int AudioMusicSlot()
{
    return audioState.musicSlot;
}
