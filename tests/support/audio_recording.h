// Recording what the mixer plays through SDL's disk audio driver, and
// measuring the recording: the tests hear the real SDL_mixer path, callback
// included. Frames are stereo; positions are in frames since AudioOpen, as
// AudioFramesMixed() counts them, so a test marks where it asked for
// something and looks there.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Recording {
    std::vector<float> samples;   // interleaved left, right
    size_t Frames() const { return samples.size() / 2; }
    // Over frames [from, to), both sides.
    float Rms(size_t from, size_t to) const;
    float Peak(size_t from, size_t to) const;
    // Rising zero crossings of the left side over [from, to).
    int Crossings(size_t from, size_t to) const;
    // The first frame at or after `from` louder than `level`; Frames() if none.
    size_t Onset(size_t from, float level) const;
};

// Points SDL at the disk driver writing into `path`, `speedUp` times faster
// than real time, and opens the audio. 1 when it opened.
int StartRecording(const std::string& path, int speedUp = 8);
// Waits (sleeping) until the mixer has produced `frames` more frames; returns
// the position reached.
uint64_t WaitFrames(uint64_t frames);
// Closes the audio and reads the recording back, aligned with AudioFramesMixed
// (SDL writes silence before the mixer's first callback; that is cut).
Recording StopRecording(const std::string& path);

// A 16-bit mono WAV of a sine, for sounds with exactly known pitch and level.
void WriteSineWav(const std::string& path, float hz, float amplitude, double seconds);
