// Short tones through the speakers: how the board's sound cues reach a player
// who has no board. platform/sdl plays them through SDL audio; platform/null
// only keeps count, so tests can see what would have sounded.
#pragma once
#include <cstdint>

// Opens the output; 1 when tones will be heard, 0 when the game runs silent
// (no device, no driver). Never shows a message.
int  AudioOpen();
void AudioClose();

// Queues one tone; it mixes with any still sounding. Never blocks and never
// allocates; a tone that finds the queue full is dropped.
void AudioPlayTone(float frequencyHz, uint32_t lengthMs);
void AudioSetMuted(int muted);

// What was queued since start-up (muted tones are not queued): the count and
// the last tone's parameters, for tests.
struct AudioToneLog {
    int count;
    float lastFrequencyHz;
    uint32_t lastLengthMs;
};
AudioToneLog AudioQueuedTones();
