// Speaker tones through SDL audio. The callback only mixes what the game
// thread queued: no lock is taken and nothing is allocated there.
#include <SDL.h>

#include "platform/audio_local.h"
#include "platform/tone_mixer.h"

namespace {

ToneMixer mixer;
SDL_AudioDeviceID device;   // 0 while closed

void FillBuffer(void*, Uint8* stream, int bytes)
{
    ToneMixerRender(&mixer, reinterpret_cast<float*>(stream), bytes / int(sizeof(float)));
}

}  // namespace

int AudioOpen()
{
    if (device != 0)
        return 1;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return 0;
    SDL_AudioSpec want = {};
    want.freq = 48000;
    want.format = AUDIO_F32SYS;
    want.channels = 1;
    want.samples = 512;   // about 11 ms: a cue starts within the frame that raised it
    want.callback = FillBuffer;
    SDL_AudioSpec have;
    ToneMixerReset(&mixer, want.freq);
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    SDL_PauseAudioDevice(device, 0);
    return 1;
}

void AudioClose()
{
    if (device == 0)
        return;
    SDL_CloseAudioDevice(device);
    device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void AudioPlayTone(float frequencyHz, uint32_t lengthMs)
{
    if (AudioAcceptTone(frequencyHz, lengthMs) && device != 0)
        ToneMixerPush(&mixer, frequencyHz, lengthMs);
}
