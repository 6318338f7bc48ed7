// Sound through SDL_mixer, the game-thread half: opening the device quietly,
// decoding sounds, and handing requests to the callback (audio_mix.cpp).
//
// The board tones stay our own synthesiser, mixed in SDL_mixer's music-hook
// slot beside the looping voices rather than turned into SDL_mixer chunks:
// a cue's pitch and length come from the board's words at run time, and the
// tone mixer already renders them click-free without allocating. Music is
// not streamed through Mix_PlayMusic (its decoder allocates in the
// callback); it is decoded whole and looped on a channel of its own.
#include <SDL.h>
#include <SDL_mixer.h>

#include "platform/audio_local.h"
#include "platform/files.h"
#include "platform/sdl/audio_sdl.h"
#include "platform/sdl/quiet_sound.h"

namespace {

struct AudioDevice {
    bool open;        // SDL_mixer opened and the hooks installed
};
AudioDevice device;

// The volumes stay as set; loops and music asked for before the device
// opened start with it.
void ResetShared()
{
    for (auto& sound : mixShared.sounds)
        sound.store(nullptr);
    mixShared.effectHead.store(0);
    mixShared.effectTail.store(0);
    for (int i = 0; i < AUDIO_LOOPS; i++) {
        mixShared.loops[i].slot.store(audioState.loops[i].slot);
        mixShared.loops[i].volume.store(audioState.loops[i].volume);
        mixShared.loops[i].pitch.store(audioState.loops[i].pitch);
    }
    mixShared.music.store(audioState.musicSlot);
    mixShared.framesMixed.store(0);
    ToneMixerReset(&mixShared.tones, AUDIO_RATE);
}

bool OpenMixer()
{
    // No format changes allowed: SDL converts for the hardware, and the
    // callback can rely on 48 kHz stereo floats.
    if (Mix_OpenAudioDevice(AUDIO_RATE, AUDIO_F32SYS, 2, PERIOD_FRAMES, nullptr, 0) != 0)
        return false;
    Mix_Init(MIX_INIT_OGG);
    Mix_AllocateChannels(MUSIC_CHANNELS + EFFECT_CHANNELS);
    Mix_ReserveChannels(MUSIC_CHANNELS);
    Mix_GroupChannels(MUSIC_CHANNELS, MUSIC_CHANNELS + EFFECT_CHANNELS - 1, EFFECT_GROUP);
    Mix_HookMusic(MixBeforeChannels, nullptr);
    Mix_SetPostMix(MixAfterChannels, nullptr);
    return true;
}

}  // namespace

int AudioOpen()
{
    if (device.open)
        return 1;
    QuietSoundLibraries();   // the tests open the sound without a window
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return 0;
    ResetShared();
    MixReset();
    if (!OpenMixer()) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 0;
    }
    device.open = true;
    return 1;
}

void AudioClose()
{
    AudioResetRequests();
    if (!device.open)
        return;
    // The device stops first, so no callback can still be reading a chunk.
    Mix_CloseAudio();
    for (auto& slot : mixShared.sounds)
        Mix_FreeChunk(slot.exchange(nullptr));
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device.open = false;
}

int AudioLoadSound(int slot, const char* nameUtf8)
{
    if (slot < 0 || slot >= AUDIO_SOUNDS)
        return 0;
    if (!device.open)
        return 1;
    FILE* file = SysOpenFile(nameUtf8, "rb");
    SDL_RWops* stream = file ? SDL_RWFromFP(file, SDL_TRUE) : nullptr;
    if (!stream) {
        if (file)
            fclose(file);
        return 0;
    }
    Mix_Chunk* chunk = Mix_LoadWAV_RW(stream, 1);
    const Uint32 maxBytes = Uint32(AUDIO_MAX_SECONDS) * AUDIO_RATE * 2 * sizeof(float);
    if (chunk && (chunk->alen < 2 * 2 * sizeof(float) || chunk->alen > maxBytes)) {
        Mix_FreeChunk(chunk);
        chunk = nullptr;
    }
    if (!chunk)
        return 0;
    // Mix_FreeChunk waits for a running callback to end before it frees, and
    // any later callback already reads the new chunk.
    Mix_FreeChunk(mixShared.sounds[slot].exchange(chunk, std::memory_order_acq_rel));
    return 1;
}

int AudioSoundFrames(int slot)
{
    if (slot < 0 || slot >= AUDIO_SOUNDS)
        return 0;
    Mix_Chunk* chunk = mixShared.sounds[slot].load();
    return chunk ? int(chunk->alen / (2 * sizeof(float))) : 0;
}

void AudioPlayEffect(int slot, float volume)
{
    if (!AudioAcceptEffect(slot, volume) || !device.open)
        return;
    uint32_t head = mixShared.effectHead.load(std::memory_order_relaxed);
    uint32_t tail = mixShared.effectTail.load(std::memory_order_acquire);
    if (head - tail >= EFFECT_QUEUE)
        return;   // a burst beyond what one callback can start is dropped
    mixShared.effects[head % EFFECT_QUEUE] = EffectRequest{slot, audioState.effects.lastVolume};
    mixShared.effectHead.store(head + 1, std::memory_order_release);
}

void AudioSetLoop(int loop, int slot, float volume, float pitch)
{
    if (!AudioAcceptLoop(loop, slot, volume, pitch))
        return;
    const AudioLoopLog& accepted = audioState.loops[loop];
    LoopTarget& target = mixShared.loops[loop];
    target.volume.store(accepted.volume, std::memory_order_relaxed);
    target.pitch.store(accepted.pitch, std::memory_order_relaxed);
    target.slot.store(accepted.slot, std::memory_order_relaxed);
}

void AudioPlayMusic(int slot)
{
    AudioAcceptMusic(slot);
    mixShared.music.store(audioState.musicSlot, std::memory_order_relaxed);
}

void AudioSetVolumes(float master, float music, float effects)
{
    auto clamp = [](float v) { return v > 1.0f ? 1.0f : v > 0.0f ? v : 0.0f; };
    mixShared.masterGain.store(clamp(master), std::memory_order_relaxed);
    mixShared.musicGain.store(clamp(music), std::memory_order_relaxed);
    mixShared.effectsGain.store(clamp(effects), std::memory_order_relaxed);
}

void AudioPlayTone(float frequencyHz, uint32_t lengthMs)
{
    if (AudioAcceptTone(frequencyHz, lengthMs) && device.open)
        ToneMixerPush(&mixShared.tones, frequencyHz, lengthMs);
}

uint64_t AudioFramesMixed()
{
    return mixShared.framesMixed.load(std::memory_order_relaxed);
}
