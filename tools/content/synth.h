// A small synthesiser kit for the shipped sounds: sample buffers at the
// game's mixing rate, a seeded noise source, oscillators, envelopes and
// filters, and the OGG Vorbis writer. Everything is deterministic, so every
// build writes the same files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

const int kSynthRate = 48000;
const float kPi = 3.14159265358979f;

// Interleaved samples, -1..1.
struct Pcm {
    int channels = 1;
    std::vector<float> samples;
    size_t Frames() const { return samples.size() / size_t(channels); }
};
Pcm MakePcm(int channels, double seconds);
int Seconds(double seconds);    // frames in that many seconds

// Seeded xorshift: the same seed gives the same noise everywhere.
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed ? seed : 1) {}
    float Next();               // white, -1..1
};

// White noise by position, -1..1: a loop reads the same value on every pass.
float NoiseAt(uint32_t seed, uint32_t index);

float Midi(float note);         // frequency of a MIDI note number (69 = A4 = 440 Hz)
// Oscillators by phase in cycles (0..1) and the phase step per frame; the
// steps of saw and pulse are smoothed (polyBLEP) so high notes do not alias.
float Saw(float phase, float step);
float Pulse(float phase, float step, float duty = 0.5f);
float Decay(float t, float seconds);    // e^(-t/seconds)
// 0 -> 1 over attack, 1 for hold, then exponential release.
float Pluck(float t, float attack, float release);

// One-pole low/high pass and a resonant band pass (state-variable filter).
struct OnePole {
    float a = 0.0f, y = 0.0f;
    OnePole() {}
    explicit OnePole(float cutoffHz);
    float Low(float x);
    float High(float x) { return x - Low(x); }
};
struct BandPass {
    float f, q, low = 0.0f, band = 0.0f;
    BandPass(float centreHz, float damping);
    float Run(float x);
};

// Scales so the loudest sample reaches `peak`.
void Normalize(Pcm* pcm, float peak);
// Folds everything past `loopFrames` back onto the start and cuts there, so
// notes and echoes that ring over the loop's end sound at its beginning, as
// they will when the loop repeats.
void FoldLoop(Pcm* pcm, size_t loopFrames);

// Encodes as OGG Vorbis (quality -0.1..1) into path. 1 written.
int WriteOggVorbis(const std::string& path, const Pcm& pcm, float quality, int serial);
