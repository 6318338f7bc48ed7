// Sound through the speakers: effects, looping sounds whose volume and pitch
// follow the game (the ball rolling), music, and the short tones that stand
// in for the board's beeper. platform/sdl mixes them with SDL_mixer;
// platform/null only records what was asked, so tests can see what would
// have sounded.
//
// Every call below is made from the game thread and returns at once: it
// hands its request to the mixer through lock-free queues and atomics,
// never through a lock the mixer waits on.
#pragma once
#include <cstdint>

enum {
    AUDIO_RATE = 48000,   // frames a second; the output is stereo 32-bit float
    AUDIO_SOUNDS = 32,    // sound slots the game may load
    AUDIO_LOOPS = 4       // looping voices (AudioSetLoop)
};

// Opens the output; 1 when sound will be heard, 0 when the game runs silent
// (no device, no driver). Prints nothing either way.
int  AudioOpen();
// Stops the output and frees every loaded sound.
void AudioClose();

// Decodes a sound file (OGG Vorbis, or WAV) whole into `slot`, so nothing is
// decoded while it plays. The name is opened the way course files are
// ("sound\Roll.ogg" works). Load while the game is quiet (start-up): a
// decode holds up the mixer for its duration. 1 loaded (or nothing to do
// without a device); 0 when the file is missing, damaged or longer than
// AUDIO_MAX_SECONDS, and the slot then stays silent. Prints nothing: the
// caller knows which setting named the file.
enum { AUDIO_MAX_SECONDS = 600 };
int  AudioLoadSound(int slot, const char* nameUtf8);
int  AudioSoundFrames(int slot);   // its length in frames; 0 when empty

// One shot of a loaded sound; volume 0..1 before the effects and master
// volumes. When every voice is busy the oldest effect makes way.
void AudioPlayEffect(int slot, float volume);
// Looping voice `loop` plays `slot` at `volume` (0 silences it) and `pitch`
// (1 as recorded, 2 an octave up); changes glide over one mixing period, so
// calling this every frame gives smooth changes. slot -1 stops the voice.
void AudioSetLoop(int loop, int slot, float volume, float pitch);
// Crossfades to the music in `slot`, looped without a gap; -1 fades out.
void AudioPlayMusic(int slot);

// Volumes 0..1: master scales everything, music the music, effects the
// effects, the looping voices and the tones.
void AudioSetVolumes(float master, float music, float effects);
// Silences everything (F8, or the window out of focus); music keeps its
// place. Effects and tones asked for while muted are dropped.
void AudioSetMuted(int muted);

// Queues one tone; it mixes with any still sounding. A tone that finds the
// queue full is dropped.
void AudioPlayTone(float frequencyHz, uint32_t lengthMs);

// ---------------------------------------------------------------------------
// What was asked, for tests (kept on every platform; muted requests are not
// counted).

struct AudioToneLog {
    int count;
    float lastFrequencyHz;
    uint32_t lastLengthMs;
};
AudioToneLog AudioQueuedTones();

struct AudioEffectLog {
    int count;                    // effects queued since start-up
    int lastSlot;
    float lastVolume;
    int perSlot[AUDIO_SOUNDS];    // effects queued per slot
};
AudioEffectLog AudioQueuedEffects();

struct AudioLoopLog {
    int slot;        // -1 stopped
    float volume;
    float pitch;
};
AudioLoopLog AudioLoopSetting(int loop);
int AudioMusicSlot();     // the music last asked for, -1 none

// Frames the mixer has produced since AudioOpen: a test marks where in a
// recording (SDL_AUDIODRIVER=disk) a request was made. 0 without a device.
uint64_t AudioFramesMixed();
