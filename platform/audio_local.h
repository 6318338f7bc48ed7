// What the audio implementations (sdl/, null/) share with platform/common.
#pragma once
#include <atomic>

#include "platform/audio.h"

struct AudioState {
    std::atomic<int> muted{0};   // written by the game thread, read by it alone today
    AudioToneLog log;            // game thread only
};
extern AudioState audioState;

// 1 when the tone should sound (not muted, sensible parameters); logs it.
int AudioAcceptTone(float frequencyHz, uint32_t lengthMs);
