// Muting and the record of queued tones, the same on every platform.
#include "platform/audio_local.h"

AudioState audioState;

int AudioAcceptTone(float frequencyHz, uint32_t lengthMs)
{
    if (audioState.muted.load(std::memory_order_relaxed) || !(frequencyHz > 0.0f) || lengthMs == 0)
        return 0;
    audioState.log.count++;
    audioState.log.lastFrequencyHz = frequencyHz;
    audioState.log.lastLengthMs = lengthMs;
    return 1;
}

void AudioSetMuted(int muted)
{
    audioState.muted.store(muted ? 1 : 0, std::memory_order_relaxed);
}

AudioToneLog AudioQueuedTones()
{
    return audioState.log;
}
