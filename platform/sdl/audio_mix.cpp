// Everything here runs inside SDL_mixer's callback on the audio thread. It
// reads the game's requests from MixerShared, steers SDL_mixer's channels
// (SDL_mixer's own calls only re-enter the device lock this thread already
// holds), and writes what SDL_mixer cannot do itself: looping voices whose
// pitch follows the game, and the board tones. Nothing here allocates:
// SDL_mixer allocates in its callback only for per-channel effects, which
// are never registered.
#include <cmath>

#include "platform/audio_local.h"
#include "platform/sdl/audio_sdl.h"

MixerShared mixShared;

namespace {

const int kChannels = 2;                    // stereo, interleaved floats
const float kMusicFadeFrames = 0.6f * AUDIO_RATE;
const float kMuteFadeFrames = 0.005f * AUDIO_RATE;   // short enough to feel instant, long enough not to click
const int kToneBlock = 1024;                // frames of tones rendered at a time

// A looping voice as it sounds now; it glides towards its LoopTarget.
struct LoopVoice {
    int slot;          // -1 silent
    double position;   // in frames of the sound
    float gain;        // after the effects and master volumes
    float rate;        // frames of the sound per output frame
};

// One of the two music channels.
struct MusicVoice {
    int slot;          // -1 idle
    float fade;        // 0..1
    int fadingIn;      // 1 rising to 1, 0 falling to 0
};

struct MixerOwn {
    LoopVoice loops[AUDIO_LOOPS];
    MusicVoice music[MUSIC_CHANNELS];
    int activeMusic;                 // the channel that plays (or will play) the asked music
    int musicSeen;                   // the music asked for when last looked, -1 none
    float muteGain;                  // 1 sounding, 0 muted, gliding between
    float toneBlock[kToneBlock];     // mono tones before they are spread to both sides
};
MixerOwn own;

Mix_Chunk* Sound(int slot)
{
    return slot >= 0 && slot < AUDIO_SOUNDS ? mixShared.sounds[slot].load(std::memory_order_acquire) : nullptr;
}

int ChunkFrames(const Mix_Chunk* chunk)
{
    return int(chunk->alen / (kChannels * sizeof(float)));
}

float EffectsGain()
{
    return mixShared.effectsGain.load(std::memory_order_relaxed) *
           mixShared.masterGain.load(std::memory_order_relaxed);
}

int MixVolume(float gain)
{
    return int(std::lround(gain * MIX_MAX_VOLUME));
}

// ---------------------------------------------------------------------------
// Effects: each request starts on a free effect channel, or on the one that
// has played longest.

void StartEffect(const EffectRequest& request)
{
    Mix_Chunk* chunk = Sound(request.slot);
    int volume = MixVolume(request.volume * EffectsGain());
    if (!chunk || volume == 0)
        return;
    int channel = Mix_PlayChannel(-1, chunk, 0);
    if (channel < 0) {
        channel = Mix_GroupOldest(EFFECT_GROUP);
        if (channel < 0)
            return;
        Mix_HaltChannel(channel);
        channel = Mix_PlayChannel(channel, chunk, 0);
    }
    if (channel >= 0)
        Mix_Volume(channel, volume);
}

void TakeEffects()
{
    uint32_t tail = mixShared.effectTail.load(std::memory_order_relaxed);
    uint32_t head = mixShared.effectHead.load(std::memory_order_acquire);
    for (; tail != head; tail++)
        StartEffect(mixShared.effects[tail % EFFECT_QUEUE]);
    mixShared.effectTail.store(tail, std::memory_order_release);
}

// ---------------------------------------------------------------------------
// Music: the asked loop fades in on one channel while the other fades out.

void SwitchMusic(int wanted)
{
    MusicVoice& old = own.music[own.activeMusic];
    if (old.slot == wanted) {
        old.fadingIn = 1;   // asked back before it had faded away
        return;
    }
    old.fadingIn = 0;
    int next = 1 - own.activeMusic;
    MusicVoice& voice = own.music[next];
    own.activeMusic = next;
    if (voice.slot == wanted) {
        voice.fadingIn = 1;
        return;
    }
    Mix_HaltChannel(next);
    voice = MusicVoice{-1, 0.0f, 1};
    Mix_Chunk* chunk = Sound(wanted);
    if (chunk && Mix_PlayChannel(next, chunk, -1) == next)
        voice.slot = wanted;
}

// Music asked for before its sound was decoded (the device opens before the
// sounds load) starts, fading in, once the sound is there.
void StartWaitingMusic(int wanted)
{
    MusicVoice& voice = own.music[own.activeMusic];
    if (wanted < 0 || voice.slot >= 0 || !voice.fadingIn)
        return;
    Mix_Chunk* chunk = Sound(wanted);
    if (chunk && Mix_PlayChannel(own.activeMusic, chunk, -1) == own.activeMusic)
        voice.slot = wanted;
}

void SteerMusic(int frames)
{
    int wanted = mixShared.music.load(std::memory_order_relaxed);
    if (wanted != own.musicSeen) {
        SwitchMusic(wanted);
        own.musicSeen = wanted;
    } else {
        StartWaitingMusic(wanted);
    }
    float gain = mixShared.musicGain.load(std::memory_order_relaxed) *
                 mixShared.masterGain.load(std::memory_order_relaxed);
    float step = float(frames) / kMusicFadeFrames;
    for (int channel = 0; channel < MUSIC_CHANNELS; channel++) {
        MusicVoice& voice = own.music[channel];
        if (voice.slot < 0)
            continue;
        voice.fade = voice.fadingIn ? std::fmin(1.0f, voice.fade + step) : std::fmax(0.0f, voice.fade - step);
        if (voice.fade == 0.0f && !voice.fadingIn) {
            Mix_HaltChannel(channel);
            voice.slot = -1;
        } else {
            Mix_Volume(channel, MixVolume(voice.fade * gain));
        }
    }
}

// ---------------------------------------------------------------------------
// Looping voices: the sound read at a varying rate with linear interpolation;
// gain and rate glide across the block so per-frame changes do not click.

void RetargetLoop(LoopVoice* voice, const LoopTarget& target, float* gainTo, float* rateTo)
{
    int slot = target.slot.load(std::memory_order_relaxed);
    *gainTo = slot < 0 ? 0.0f : target.volume.load(std::memory_order_relaxed) * EffectsGain();
    *rateTo = target.pitch.load(std::memory_order_relaxed);
    // A new sound starts from its beginning, rising from silence.
    if (slot != voice->slot)
        *voice = LoopVoice{slot, 0.0, 0.0f, *rateTo};
}

void RenderLoop(LoopVoice* voice, const LoopTarget& target, float* out, int frames)
{
    float gainTo, rateTo;
    RetargetLoop(voice, target, &gainTo, &rateTo);
    Mix_Chunk* chunk = Sound(voice->slot);
    int length = chunk ? ChunkFrames(chunk) : 0;
    if (length < 2 || (gainTo == 0.0f && voice->gain == 0.0f)) {
        voice->gain = 0.0f;
        voice->rate = rateTo;
        return;
    }
    const float* samples = reinterpret_cast<const float*>(chunk->abuf);
    double position = std::fmod(voice->position, double(length));
    float gainStep = (gainTo - voice->gain) / float(frames);
    float rateStep = (rateTo - voice->rate) / float(frames);
    float gain = voice->gain, rate = voice->rate;
    for (int i = 0; i < frames; i++) {
        int at = int(position);
        int next = at + 1 < length ? at + 1 : 0;
        float t = float(position - at);
        for (int c = 0; c < kChannels; c++) {
            float a = samples[at * kChannels + c], b = samples[next * kChannels + c];
            out[i * kChannels + c] += gain * (a + (b - a) * t);
        }
        gain += gainStep;
        rate += rateStep;
        position += rate;
        if (position >= length)
            position -= length;
    }
    *voice = LoopVoice{voice->slot, position, gainTo, rateTo};
}

// ---------------------------------------------------------------------------
// Tones: the board's cues, mono, spread to both sides.

void RenderTones(float* out, int frames)
{
    float gain = EffectsGain();
    for (int done = 0; done < frames;) {
        int block = frames - done < kToneBlock ? frames - done : kToneBlock;
        ToneMixerRender(&mixShared.tones, own.toneBlock, block);
        for (int i = 0; i < block; i++)
            for (int c = 0; c < kChannels; c++)
                out[(done + i) * kChannels + c] += gain * own.toneBlock[i];
        done += block;
    }
}

void Clip(float* out, int samples)
{
    for (int i = 0; i < samples; i++)
        out[i] = out[i] > 1.0f ? 1.0f : out[i] < -1.0f ? -1.0f : out[i];
}

}  // namespace

void MixReset()
{
    own = MixerOwn{};
    for (LoopVoice& voice : own.loops)
        voice = LoopVoice{-1, 0.0, 0.0f, 1.0f};
    for (MusicVoice& voice : own.music)
        voice = MusicVoice{-1, 0.0f, 0};
    own.musicSeen = -1;
    own.muteGain = audioState.muted.load() ? 0.0f : 1.0f;
}

void SDLCALL MixBeforeChannels(void*, Uint8* stream, int bytes)
{
    // SDL_mixer has cleared the stream; the channels are added after this.
    float* out = reinterpret_cast<float*>(stream);
    int frames = bytes / int(kChannels * sizeof(float));
    TakeEffects();
    SteerMusic(frames);
    for (int loop = 0; loop < AUDIO_LOOPS; loop++)
        RenderLoop(&own.loops[loop], mixShared.loops[loop], out, frames);
    RenderTones(out, frames);
    Clip(out, frames * kChannels);
}

void SDLCALL MixAfterChannels(void*, Uint8* stream, int bytes)
{
    float* out = reinterpret_cast<float*>(stream);
    int frames = bytes / int(kChannels * sizeof(float));
    float target = audioState.muted.load(std::memory_order_relaxed) ? 0.0f : 1.0f;
    if (target != 1.0f || own.muteGain != 1.0f) {
        float step = 1.0f / kMuteFadeFrames;
        for (int i = 0; i < frames; i++) {
            own.muteGain = target > own.muteGain ? std::fmin(target, own.muteGain + step)
                                                 : std::fmax(target, own.muteGain - step);
            out[i * kChannels] *= own.muteGain;
            out[i * kChannels + 1] *= own.muteGain;
        }
    }
    mixShared.framesMixed.fetch_add(uint64_t(frames), std::memory_order_relaxed);
}
