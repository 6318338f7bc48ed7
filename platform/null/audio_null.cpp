// No speakers here: tones are only logged, for tests.
#include "platform/audio_local.h"

int  AudioOpen() { return 0; }
void AudioClose() {}

void AudioPlayTone(float frequencyHz, uint32_t lengthMs)
{
    AudioAcceptTone(frequencyHz, lengthMs);
}
