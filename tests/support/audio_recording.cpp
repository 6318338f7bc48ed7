#include "support/audio_recording.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/audio.h"

float Recording::Rms(size_t from, size_t to) const
{
    double sum = 0.0;
    for (size_t i = 2 * from; i < 2 * to && i < samples.size(); i++) sum += double(samples[i]) * samples[i];
    return to > from ? float(std::sqrt(sum / double(2 * (to - from)))) : 0.0f;
}

float Recording::Peak(size_t from, size_t to) const
{
    float peak = 0.0f;
    for (size_t i = 2 * from; i < 2 * to && i < samples.size(); i++) peak = std::fmax(peak, std::fabs(samples[i]));
    return peak;
}

int Recording::Crossings(size_t from, size_t to) const
{
    int crossings = 0;
    for (size_t i = from + 1; i < to && i < Frames(); i++)
        if (samples[2 * (i - 1)] < 0.0f && samples[2 * i] >= 0.0f) crossings++;
    return crossings;
}

size_t Recording::Onset(size_t from, float level) const
{
    for (size_t i = from; i < Frames(); i++)
        if (std::fabs(samples[2 * i]) > level || std::fabs(samples[2 * i + 1]) > level) return i;
    return Frames();
}

int StartRecording(const std::string& path, int speedUp)
{
    remove(path.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    // The driver sleeps this many milliseconds per 512-frame period (10.7 ms).
    setenv("SDL_DISKAUDIODELAY", std::to_string(speedUp > 0 ? 10 / speedUp : 0).c_str(), 1);
    return AudioOpen();
}

uint64_t WaitFrames(uint64_t frames)
{
    uint64_t target = AudioFramesMixed() + frames;
    uint64_t now;
    while ((now = AudioFramesMixed()) < target) usleep(500);
    return now;
}

Recording StopRecording(const std::string& path)
{
    AudioClose();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    Recording rec;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return rec;
    fseek(file, 0, SEEK_END);
    long bytes = ftell(file);
    fseek(file, 0, SEEK_SET);
    std::vector<float> all(size_t(bytes) / sizeof(float));
    size_t got = fread(all.data(), sizeof(float), all.size(), file);
    fclose(file);
    all.resize(got - got % 2);
    size_t mixed = size_t(AudioFramesMixed()) * 2;
    size_t skip = all.size() > mixed ? all.size() - mixed : 0;
    rec.samples.assign(all.begin() + long(skip), all.end());
    return rec;
}

void WriteSineWav(const std::string& path, float hz, float amplitude, double seconds)
{
    const int rate = AUDIO_RATE;
    uint32_t frames = uint32_t(seconds * rate);
    std::string wav = "RIFF____WAVEfmt ";
    auto put = [&wav](uint32_t v, int bytes) { for (int i = 0; i < bytes; i++) wav += char((v >> (8 * i)) & 255); };
    put(16, 4); put(1, 2); put(1, 2); put(rate, 4); put(rate * 2, 4); put(2, 2); put(16, 2);
    wav += "data";
    put(frames * 2, 4);
    for (uint32_t i = 0; i < frames; i++)
        put(uint32_t(int16_t(std::lround(32767.0 * amplitude * std::sin(2.0 * M_PI * hz * i / rate)))) & 0xFFFF, 2);
    uint32_t riff = uint32_t(wav.size() - 8);
    for (int i = 0; i < 4; i++) wav[4 + size_t(i)] = char((riff >> (8 * i)) & 255);
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return;
    fwrite(wav.data(), 1, wav.size(), file);
    fclose(file);
}
