// No speakers here: requests are only recorded, for tests.
#include "platform/audio_local.h"

int  AudioOpen() { return 0; }
void AudioClose() { AudioResetRequests(); }

int AudioLoadSound(int, const char*) { return 1; }
int AudioSoundFrames(int) { return 0; }

void AudioPlayEffect(int slot, float volume) { AudioAcceptEffect(slot, volume); }
void AudioSetLoop(int loop, int slot, float volume, float pitch) { AudioAcceptLoop(loop, slot, volume, pitch); }
void AudioPlayMusic(int slot) { AudioAcceptMusic(slot); }
void AudioSetVolumes(float, float, float) {}
void AudioPlayTone(float frequencyHz, uint32_t lengthMs) { AudioAcceptTone(frequencyHz, lengthMs); }
uint64_t AudioFramesMixed() { return 0; }
