#include "synth.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>

Pcm MakePcm(int channels, double seconds)
{
    Pcm pcm;
    pcm.channels = channels;
    pcm.samples.assign(size_t(Seconds(seconds)) * size_t(channels), 0.0f);
    return pcm;
}

int Seconds(double seconds)
{
    return int(std::lround(seconds * kSynthRate));
}

float Noise::Next()
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return float(state) / 2147483648.0f - 1.0f;
}

float NoiseAt(uint32_t seed, uint32_t index)
{
    // One round of a 32-bit integer hash (multiply-xorshift).
    uint32_t x = index * 0x9E3779B9u ^ seed * 0x85EBCA6Bu;
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return float(x) / 2147483648.0f - 1.0f;
}

float Midi(float note)
{
    return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f);
}

namespace {

// The polynomial correction around a step at phase 0.
float Blep(float t, float step)
{
    if (t < step) {
        t /= step;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - step) {
        t = (t - 1.0f) / step;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

float Wrap(float phase)
{
    return phase - std::floor(phase);
}

}  // namespace

float Saw(float phase, float step)
{
    phase = Wrap(phase);
    return 2.0f * phase - 1.0f - Blep(phase, step);
}

float Pulse(float phase, float step, float duty)
{
    phase = Wrap(phase);
    float value = phase < duty ? 1.0f : -1.0f;
    return value + Blep(phase, step) - Blep(Wrap(phase - duty), step);
}

float Decay(float t, float seconds)
{
    return t < 0.0f ? 0.0f : std::exp(-t / seconds);
}

float Pluck(float t, float attack, float release)
{
    if (t < 0.0f)
        return 0.0f;
    if (t < attack)
        return t / attack;
    return std::exp(-(t - attack) / release);
}

OnePole::OnePole(float cutoffHz) : a(1.0f - std::exp(-2.0f * kPi * cutoffHz / kSynthRate)) {}

float OnePole::Low(float x)
{
    y += a * (x - y);
    return y;
}

BandPass::BandPass(float centreHz, float damping)
    : f(2.0f * std::sin(kPi * centreHz / kSynthRate)), q(damping) {}

float BandPass::Run(float x)
{
    low += f * band;
    float high = x - low - q * band;
    band += f * high;
    return band;
}

void Normalize(Pcm* pcm, float peak)
{
    float loudest = 0.0f;
    for (float s : pcm->samples) loudest = std::fmax(loudest, std::fabs(s));
    if (loudest > 0.0f)
        for (float& s : pcm->samples) s *= peak / loudest;
}

void FoldLoop(Pcm* pcm, size_t loopFrames)
{
    size_t loop = loopFrames * size_t(pcm->channels);
    for (size_t i = loop; i < pcm->samples.size(); i++)
        pcm->samples[i % loop] += pcm->samples[i];
    pcm->samples.resize(loop);
}

// ---------------------------------------------------------------- OGG Vorbis

namespace {

struct OggOut {
    FILE* file;
    ogg_stream_state stream;
    bool ok;
};

void WritePages(OggOut* out, bool flush)
{
    ogg_page page;
    while (flush ? ogg_stream_flush(&out->stream, &page) : ogg_stream_pageout(&out->stream, &page)) {
        out->ok = out->ok && fwrite(page.header, 1, size_t(page.header_len), out->file) == size_t(page.header_len);
        out->ok = out->ok && fwrite(page.body, 1, size_t(page.body_len), out->file) == size_t(page.body_len);
    }
}

void WriteHeaders(OggOut* out, vorbis_dsp_state* dsp)
{
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", "Kestrune");
    ogg_packet id, tags, books;
    vorbis_analysis_headerout(dsp, &comment, &id, &tags, &books);
    ogg_stream_packetin(&out->stream, &id);
    ogg_stream_packetin(&out->stream, &tags);
    ogg_stream_packetin(&out->stream, &books);
    WritePages(out, true);   // the audio starts on a page of its own
    vorbis_comment_clear(&comment);
}

void DrainBlocks(OggOut* out, vorbis_dsp_state* dsp, vorbis_block* block)
{
    ogg_packet packet;
    while (vorbis_analysis_blockout(dsp, block) == 1) {
        vorbis_analysis(block, nullptr);
        vorbis_bitrate_addblock(block);
        while (vorbis_bitrate_flushpacket(dsp, &packet)) {
            ogg_stream_packetin(&out->stream, &packet);
            WritePages(out, false);
        }
    }
}

void EncodeFrames(OggOut* out, vorbis_dsp_state* dsp, vorbis_block* block, const Pcm& pcm)
{
    const size_t chunk = 4096;
    for (size_t at = 0; at < pcm.Frames(); at += chunk) {
        size_t n = pcm.Frames() - at < chunk ? pcm.Frames() - at : chunk;
        float** buffer = vorbis_analysis_buffer(dsp, int(n));
        for (size_t i = 0; i < n; i++)
            for (int c = 0; c < pcm.channels; c++)
                buffer[c][i] = pcm.samples[(at + i) * size_t(pcm.channels) + size_t(c)];
        vorbis_analysis_wrote(dsp, int(n));
        DrainBlocks(out, dsp, block);
    }
    vorbis_analysis_wrote(dsp, 0);   // end of stream
    DrainBlocks(out, dsp, block);
    WritePages(out, true);
}

}  // namespace

int WriteOggVorbis(const std::string& path, const Pcm& pcm, float quality, int serial)
{
    OggOut out{fopen(path.c_str(), "wb"), {}, true};
    if (!out.file) {
        fprintf(stderr, "kestrune-content: cannot write %s\n", path.c_str());
        return 0;
    }
    vorbis_info info;
    vorbis_info_init(&info);
    int res = vorbis_encode_init_vbr(&info, pcm.channels, kSynthRate, quality) == 0;
    if (res) {
        vorbis_dsp_state dsp;
        vorbis_block block;
        vorbis_analysis_init(&dsp, &info);
        vorbis_block_init(&dsp, &block);
        ogg_stream_init(&out.stream, serial);
        WriteHeaders(&out, &dsp);
        EncodeFrames(&out, &dsp, &block, pcm);
        ogg_stream_clear(&out.stream);
        vorbis_block_clear(&block);
        vorbis_dsp_clear(&dsp);
        res = out.ok;
    }
    vorbis_info_clear(&info);
    res = fclose(out.file) == 0 && res;
    if (!res)
        fprintf(stderr, "kestrune-content: encoding %s failed\n", path.c_str());
    return res;
}
