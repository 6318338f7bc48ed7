// The two music loops: a relaxed one for the menus and a driving one for
// races. Each is a short sequenced tune (pad chords, bass, lead, drums)
// written below as note lists, rendered note by note and folded at its end
// (FoldLoop), so releases and echoes that ring over the end sound at the
// start: the loop repeats without a seam.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "content.h"
#include "synth.h"

namespace {

// ---------------------------------------------------------------- note lists

// "A4:1 C5:.5 r:2 F3+A3+C4:4 |": a note (or notes joined by '+') and its
// length in beats; "r" rests; '|' marks bars and is skipped.
struct Event {
    float beat, beats;
    std::vector<float> midi;
};

// -1 when the name is not a note from C0 to B9.
float ParseNote(const std::string& name)
{
    static const int classes[7] = {9, 11, 0, 2, 4, 5, 7};   // A B C D E F G
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G')
        return -1.0f;
    int pc = classes[name[0] - 'A'];
    size_t at = 1;
    if (name[at] == '#') { pc++; at++; }
    else if (name[at] == 'b') { pc--; at++; }
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '9')
        return -1.0f;
    return float(12 * (name[at] - '0' + 1) + pc);
}

// One "notes:beats" token; 0 when it does not read.
int ParseEvent(const std::string& token, float beat, Event* e)
{
    size_t colon = token.find(':');
    if (colon == std::string::npos)
        return 0;
    *e = Event{beat, std::strtof(token.c_str() + colon + 1, nullptr), {}};
    for (size_t at = 0; at < colon;) {
        size_t plus = token.find('+', at);
        size_t end = plus == std::string::npos || plus > colon ? colon : plus;
        std::string name = token.substr(at, end - at);
        float midi = name == "r" ? 0.0f : ParseNote(name);
        if (midi < 0.0f)
            return 0;
        if (midi > 0.0f)
            e->midi.push_back(midi);
        at = end + 1;
    }
    return e->beats > 0.0f;
}

// The beats the list lasts, or -1 (with a message) at a token that does not
// read: a typo in the tables below fails the build instead of a wrong tune.
float ParseNotes(const char* text, std::vector<Event>* events)
{
    std::string spaced = text;
    for (char& c : spaced)
        if (c == '|') c = ' ';
    std::istringstream in(spaced);
    std::string token;
    float beat = 0.0f;
    while (in >> token) {
        Event e;
        if (!ParseEvent(token, beat, &e)) {
            fprintf(stderr, "kestrune-content: music: cannot read \"%s\"\n", token.c_str());
            return -1.0f;
        }
        if (!e.midi.empty())
            events->push_back(e);
        beat += e.beats;
    }
    return beat;
}

// ---------------------------------------------------------------- instruments

// Each adds one note of `seconds` (plus its release) at `level` into out from `start`.
using Instrument = void (*)(std::vector<float>& out, size_t start, float seconds, float hz, float level);

void Add(std::vector<float>& out, size_t at, float value)
{
    if (at < out.size())
        out[at] += value;
}

// A plucked saw bass with a sine under it.
void Bass(std::vector<float>& out, size_t start, float seconds, float hz, float level)
{
    OnePole tone(900.0f);
    float step = hz / kSynthRate, phase = 0.0f;
    int frames = Seconds(seconds + 0.1);
    for (int i = 0; i < frames; i++) {
        float t = float(i) / kSynthRate;
        float gate = t < seconds ? 1.0f : Decay(t - seconds, 0.02f);
        float env = Pluck(t, 0.004f, 0.35f) * gate;
        tone.a = 0.05f + 0.15f * env;
        phase += step;
        Add(out, start + size_t(i), level * env * (0.6f * tone.Low(Saw(phase, step)) + 0.5f * std::sin(2.0f * kPi * phase)));
    }
}

// A square-ish lead that sings with vibrato once the note is held.
void Lead(std::vector<float>& out, size_t start, float seconds, float hz, float level)
{
    OnePole tone(3500.0f);
    float phase = 0.0f;
    int frames = Seconds(seconds + 0.15);
    for (int i = 0; i < frames; i++) {
        float t = float(i) / kSynthRate;
        float vibrato = 1.0f + 0.006f * std::fmin(1.0f, std::fmax(0.0f, t - 0.15f) * 4.0f) * std::sin(2.0f * kPi * 5.5f * t);
        float step = hz * vibrato / kSynthRate;
        phase += step;
        float env = (t < 0.01f ? t / 0.01f : 0.75f + 0.25f * Decay(t - 0.01f, 0.1f)) *
                    (t < seconds ? 1.0f : Decay(t - seconds, 0.05f));
        Add(out, start + size_t(i), level * env * tone.Low(Pulse(phase, step, 0.3f)));
    }
}

// A soft pad: two detuned saws, slow to rise and to fade.
void Pad(std::vector<float>& out, size_t start, float seconds, float hz, float level)
{
    OnePole tone(1100.0f);
    float a = 0.0f, b = 0.0f, stepA = hz * 1.004f / kSynthRate, stepB = hz * 0.996f / kSynthRate;
    int frames = Seconds(seconds + 0.6);
    for (int i = 0; i < frames; i++) {
        float t = float(i) / kSynthRate;
        float env = std::fmin(1.0f, t / 0.25f) * (t < seconds ? 1.0f : Decay(t - seconds, 0.25f));
        a += stepA;
        b += stepB;
        Add(out, start + size_t(i), level * env * tone.Low(Saw(a, stepA) + Saw(b, stepB)));
    }
}

// ---------------------------------------------------------------- drums

// A step pattern of one bar: 'x' a hit, 'o' a soft hit, '.' nothing.
void Kick(std::vector<float>& out, size_t start, float level)
{
    float phase = 0.0f;
    for (int i = 0; i < Seconds(0.35); i++) {
        float t = float(i) / kSynthRate;
        phase += (45.0f + 110.0f * Decay(t, 0.03f)) / kSynthRate;
        Add(out, start + size_t(i), level * std::sin(2.0f * kPi * phase) * Pluck(t, 0.001f, 0.12f));
    }
}

void Snare(std::vector<float>& out, size_t start, float level)
{
    BandPass rattle(1900.0f, 0.7f);
    for (int i = 0; i < Seconds(0.25); i++) {
        float t = float(i) / kSynthRate;
        float body = std::sin(2.0f * kPi * 190.0f * t) * Decay(t, 0.04f);
        float noise = rattle.Run(NoiseAt(7, uint32_t(start) + uint32_t(i))) * Decay(t, 0.07f);
        Add(out, start + size_t(i), level * (0.5f * body + 1.2f * noise));
    }
}

void Hat(std::vector<float>& out, size_t start, float level)
{
    OnePole air(7000.0f);
    for (int i = 0; i < Seconds(0.06); i++) {
        float t = float(i) / kSynthRate;
        Add(out, start + size_t(i), level * air.High(NoiseAt(9, uint32_t(start) + uint32_t(i))) * Decay(t, 0.015f));
    }
}

using Drum = void (*)(std::vector<float>& out, size_t start, float level);

// ---------------------------------------------------------------- songs

struct DrumPart {
    Drum drum;
    float level;
    const char* bar;        // 16 steps, repeated every bar
    const char* lastBar;    // the fill of every fourth bar (null: the same)
};

struct Song {
    const char* file;
    float bpm;
    int bars;
    const char* pad;        // note lists, bar after bar
    const char* bass;
    const char* lead;
    DrumPart drums[3];
    float echoBeats;        // the lead's echo delay
};

// F major at 96 beats a minute: Fmaj7 Dm7 Gm7 C7 Fmaj7 Dm7 Bbmaj7 C.
const Song kMenuSong = {
    "music_menu.ogg", 96.0f, 8,
    "F3+A3+C4+E4:4 | D3+F3+A3+C4:4 | G3+Bb3+D4+F4:4 | C3+E3+G3+Bb3:4 |"
    "F3+A3+C4+E4:4 | D3+F3+A3+C4:4 | Bb2+D3+F3+A3:4 | C3+F3+G3+Bb3:2 C3+E3+G3+Bb3:2",
    "F2:1.5 C3:.5 F2:1 F3:.5 C3:.5 | D2:1.5 A2:.5 D2:1 D3:.5 A2:.5 | G2:1.5 D3:.5 G2:1 G3:.5 D3:.5 |"
    "C2:1.5 G2:.5 C2:1 C3:.5 Bb2:.5 | F2:1.5 C3:.5 F2:1 F3:.5 C3:.5 | D2:1.5 A2:.5 D2:1 D3:.5 A2:.5 |"
    "Bb1:1.5 F2:.5 Bb1:1 Bb2:.5 F2:.5 | C2:1.5 G2:.5 C2:1 E2:.5 G2:.5",
    "A4:1 C5:1 F5:1.5 E5:.5 | D5:2 C5:1 A4:1 | Bb4:1 D5:1 G5:1.5 F5:.5 | E5:2 r:1 C5:1 |"
    "A4:.5 C5:.5 F5:1 A5:1.5 G5:.5 | F5:1 E5:.5 D5:1.5 r:1 | D5:1 F5:1 Bb5:1.5 A5:.5 | G5:2 E5:1 C5:1",
    {{Kick, 0.8f, "x.......x.x.....", nullptr},
     {Snare, 0.35f, "....x.......x...", "....x.......x.oo"},
     {Hat, 0.25f, "x.o.x.o.x.o.x.o.", nullptr}},
    0.75f,
};

// A minor at 144 beats a minute: Am F C G | Am F G E | F G Am Am | F G E E.
const Song kRaceSong = {
    "music_race.ogg", 144.0f, 16,
    "A3+C4+E4:4 | F3+A3+C4:4 | G3+C4+E4:4 | G3+B3+D4:4 | A3+C4+E4:4 | F3+A3+C4:4 | G3+B3+D4:4 | G#3+B3+E4:4 |"
    "F3+A3+C4:4 | G3+B3+D4:4 | A3+C4+E4:4 | A3+C4+E4:4 | F3+A3+C4:4 | G3+B3+D4:4 | G#3+B3+E4:4 | G#3+B3+D4+E4:4",
    "A1:.5 A1:.5 A2:.5 A1:.5 A1:.5 A2:.5 A1:.5 E2:.5 | F1:.5 F1:.5 F2:.5 F1:.5 F1:.5 F2:.5 F1:.5 C2:.5 |"
    "C2:.5 C2:.5 C3:.5 C2:.5 C2:.5 C3:.5 C2:.5 G2:.5 | G1:.5 G1:.5 G2:.5 G1:.5 G1:.5 G2:.5 G1:.5 D2:.5 |"
    "A1:.5 A1:.5 A2:.5 A1:.5 A1:.5 A2:.5 A1:.5 E2:.5 | F1:.5 F1:.5 F2:.5 F1:.5 F1:.5 F2:.5 F1:.5 C2:.5 |"
    "G1:.5 G1:.5 G2:.5 G1:.5 G1:.5 G2:.5 G1:.5 D2:.5 | E1:.5 E1:.5 E2:.5 E1:.5 E1:.5 E2:.5 G#1:.5 B1:.5 |"
    "F1:.5 F1:.5 F2:.5 F1:.5 F1:.5 F2:.5 F1:.5 C2:.5 | G1:.5 G1:.5 G2:.5 G1:.5 G1:.5 G2:.5 G1:.5 D2:.5 |"
    "A1:.5 A1:.5 A2:.5 A1:.5 A1:.5 A2:.5 A1:.5 E2:.5 | A1:.5 A1:.5 A2:.5 A1:.5 G1:.5 G2:.5 G1:.5 E1:.5 |"
    "F1:.5 F1:.5 F2:.5 F1:.5 F1:.5 F2:.5 F1:.5 C2:.5 | G1:.5 G1:.5 G2:.5 G1:.5 G1:.5 G2:.5 G1:.5 D2:.5 |"
    "E1:.5 E1:.5 E2:.5 E1:.5 E1:.5 E2:.5 E1:.5 B1:.5 | E1:.5 E1:.5 E2:.5 E1:.5 D2:.5 D2:.5 B1:.5 G#1:.5",
    "E5:.5 A5:.5 C6:.5 B5:.5 A5:1 E5:1 | F5:.5 A5:.5 C6:1 B5:.5 A5:.5 F5:1 | G5:.5 E5:.5 C5:.5 E5:.5 G5:1 C6:1 |"
    "B5:1 A5:.5 G5:.5 D5:2 | E5:.5 A5:.5 C6:.5 B5:.5 A5:1 E5:1 | F5:.5 A5:.5 C6:1 D6:.5 C6:.5 A5:1 |"
    "B5:.5 D6:.5 B5:.5 G5:.5 D5:1 G5:1 | G#5:1.5 B5:.5 E6:2 |"
    "A5:1 C6:1 A5:.5 G5:.5 F5:1 | G5:1 B5:1 D6:1 B5:1 | C6:1.5 B5:.5 A5:1 E5:1 | A5:3 r:1 |"
    "A5:.5 A5:.5 C6:.5 A5:.5 F5:1 A5:1 | B5:.5 B5:.5 D6:.5 B5:.5 G5:1 B5:1 | G#5:1 B5:1 E6:1 D6:1 | B5:2 G#5:1 E5:1",
    {{Kick, 0.9f, "x...x...x...x...", nullptr},
     {Snare, 0.45f, "....x.......x...", "....x.......xoxx"},
     {Hat, 0.22f, "xoxoxoxoxoxoxoxo", nullptr}},
    0.75f,
};

// ---------------------------------------------------------------- rendering

struct Tracks {
    size_t loop, length;             // frames of the loop, and with the ringing tail
    std::vector<float> pad, bass, lead, drums;
};

// 0 when the part does not read or does not fill the song's bars exactly.
int RenderPart(std::vector<float>& out, const Song& song, const char* notes, Instrument voice, float level)
{
    std::vector<Event> events;
    float beats = ParseNotes(notes, &events);
    if (beats != float(song.bars * 4)) {
        if (beats >= 0.0f)
            fprintf(stderr, "kestrune-content: %s: a part lasts %g beats, not %d\n", song.file, beats, song.bars * 4);
        return 0;
    }
    float beatSeconds = 60.0f / song.bpm;
    for (const Event& e : events)
        for (float midi : e.midi)
            voice(out, size_t(Seconds(e.beat * beatSeconds)), e.beats * beatSeconds * 0.95f, Midi(midi), level);
    return 1;
}

void RenderDrums(std::vector<float>& out, const Song& song, float beatSeconds)
{
    for (const DrumPart& part : song.drums)
        for (int bar = 0; bar < song.bars; bar++) {
            const char* steps = part.lastBar && bar % 4 == 3 ? part.lastBar : part.bar;
            for (int s = 0; s < 16; s++) {
                if (steps[s] == '.')
                    continue;
                size_t at = size_t(Seconds((bar * 4 + s * 0.25f) * beatSeconds));
                part.drum(out, at, part.level * (steps[s] == 'x' ? 1.0f : 0.5f));
            }
        }
}

// Mixes the folded tracks to stereo: bass and drums in the middle, the pad
// wide, the lead a little right with its echo answering from the left. The
// echo reads round the loop, so it too crosses the seam.
Pcm MixDown(const Tracks& t, size_t echoFrames)
{
    Pcm pcm;
    pcm.channels = 2;
    pcm.samples.assign(t.loop * 2, 0.0f);
    for (size_t i = 0; i < t.loop; i++) {
        size_t back1 = (i + t.loop - echoFrames % t.loop) % t.loop;
        size_t back2 = (i + 2 * t.loop - (2 * echoFrames) % t.loop) % t.loop;
        float echo = 0.3f * t.lead[back1] + 0.12f * t.lead[back2];
        float middle = t.bass[i] + t.drums[i];
        pcm.samples[2 * i] = middle + 0.8f * t.pad[i] + 0.4f * t.lead[i] + 0.8f * echo;
        pcm.samples[2 * i + 1] = middle + 0.6f * t.pad[i] + 0.6f * t.lead[i] + 0.3f * echo;
    }
    return pcm;
}

void Fold(std::vector<float>* track, size_t loop)
{
    Pcm pcm;
    pcm.samples = *track;
    FoldLoop(&pcm, loop);
    *track = pcm.samples;
}

// 1 with the loop in *pcm.
int RenderSong(const Song& song, Pcm* pcm)
{
    float beatSeconds = 60.0f / song.bpm;
    Tracks t;
    t.loop = size_t(Seconds(song.bars * 4 * beatSeconds));
    t.length = t.loop + size_t(Seconds(2.0));
    for (auto* track : {&t.pad, &t.bass, &t.lead, &t.drums}) track->assign(t.length, 0.0f);
    if (!RenderPart(t.pad, song, song.pad, Pad, 0.08f) || !RenderPart(t.bass, song, song.bass, Bass, 0.45f) ||
        !RenderPart(t.lead, song, song.lead, Lead, 0.22f))
        return 0;
    RenderDrums(t.drums, song, beatSeconds);
    for (auto* track : {&t.pad, &t.bass, &t.lead, &t.drums}) Fold(track, t.loop);
    *pcm = MixDown(t, size_t(Seconds(song.echoBeats * beatSeconds)));
    Normalize(pcm, 0.8f);
    return 1;
}

}  // namespace

int WriteMusic(const std::string& soundDir)
{
    int serial = 100;
    for (const Song* song : {&kMenuSong, &kRaceSong}) {
        Pcm pcm;
        if (!RenderSong(*song, &pcm) || !WriteOggVorbis(soundDir + "/" + song->file, pcm, 0.4f, serial++))
            return 0;
    }
    return 1;
}
