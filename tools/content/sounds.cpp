// "sound.ini" and the effects in sound/: the ball rolling on terrain and on
// obstacles (seamless loops the game speeds up and slows down), impacts,
// jumps and landings, falling off, the goal fanfare, the new-record jingle
// and the menu clicks. The music loops come from music.cpp.
#include <cmath>
#include <cstdio>

#include "canvas.h"
#include "content.h"
#include "synth.h"

namespace {

// ---------------------------------------------------------------- rolling

// Filters settle by running over the loop once before the kept pass, so the
// loop's end flows into its start; the voices read their noise by position
// (NoiseAt), so both passes hear the same input.
template <typename Voice>
Pcm RenderLoop(double seconds, Voice voice)
{
    Pcm pcm = MakePcm(1, seconds);
    size_t n = pcm.Frames();
    for (int pass = 0; pass < 2; pass++)
        for (size_t i = 0; i < n; i++)
            pcm.samples[i] = voice(i, n);
    return pcm;
}

// A rumble: brown noise low-passed, with the ball's turn felt as a slow
// swell and small grit grains. Every period divides the loop's length.
Pcm RollTerrain()
{
    float brown = 0.0f;
    OnePole low(260.0f), body(90.0f);
    return RenderLoop(2.0, [&](size_t i, size_t n) {
        brown = 0.985f * brown + 0.06f * NoiseAt(11, uint32_t(i));
        float t = float(i) / float(n);
        float swell = 0.8f + 0.2f * std::sin(2.0f * kPi * 7.0f * t);
        float grain = NoiseAt(12, uint32_t(i));
        float crunch = grain > 0.985f ? (grain - 0.985f) * 40.0f : 0.0f;
        return swell * (low.Low(brown) + 0.6f * body.Low(brown)) + 0.25f * low.Low(crunch);
    });
}

// Harder and hollower: noise through two resonances of a wooden or stone
// surface, and the clack of seams passing under the ball.
Pcm RollObstacle()
{
    BandPass wood(520.0f, 0.25f), shell(1350.0f, 0.35f);
    OnePole seams(900.0f);
    return RenderLoop(1.5, [&](size_t i, size_t n) {
        float x = NoiseAt(21, uint32_t(i));
        float t = float(i) / float(n) * 12.0f;   // twelve seams a loop
        float tick = Decay((t - std::floor(t)) * 0.125f, 0.004f);
        return 0.5f * wood.Run(x) + 0.3f * shell.Run(x) + 0.35f * seams.Low(tick * NoiseAt(22, uint32_t(i)));
    });
}

// ---------------------------------------------------------------- impacts

// Damped resonances struck at once: the body of a knock or a click.
struct Mode {
    float hz, seconds, level;
};

template <size_t N>
float Modes(const Mode (&modes)[N], float t)
{
    float sum = 0.0f;
    for (const Mode& m : modes) sum += m.level * Decay(t, m.seconds) * std::sin(2.0f * kPi * m.hz * t);
    return sum;
}

// A soft thud: a low tone that sinks as it dies, under a muffled puff.
Pcm HitTerrain()
{
    Pcm pcm = MakePcm(1, 0.35);
    Noise noise(31);
    OnePole puff(500.0f);
    float phase = 0.0f;
    for (size_t i = 0; i < pcm.Frames(); i++) {
        float t = float(i) / kSynthRate;
        phase += (45.0f + 70.0f * Decay(t, 0.04f)) / kSynthRate;
        float tone = std::sin(2.0f * kPi * phase) * Pluck(t, 0.002f, 0.09f);
        pcm.samples[i] = tone + 0.5f * puff.Low(noise.Next()) * Pluck(t, 0.001f, 0.025f);
    }
    return pcm;
}

// A knock on a crate or a pillar: a few wooden modes and a short strike.
Pcm HitBox()
{
    const Mode modes[] = {{190, 0.07f, 1.0f}, {430, 0.05f, 0.7f}, {760, 0.03f, 0.5f}, {1240, 0.02f, 0.35f}};
    Pcm pcm = MakePcm(1, 0.3);
    Noise noise(41);
    for (size_t i = 0; i < pcm.Frames(); i++) {
        float t = float(i) / kSynthRate;
        pcm.samples[i] = Modes(modes, t) * Pluck(t, 0.0008f, 1.0f) + 0.4f * noise.Next() * Decay(t, 0.003f);
    }
    return pcm;
}

// Two hard balls: a bright, very short click.
Pcm HitSphere()
{
    const Mode modes[] = {{2650, 0.018f, 1.0f}, {4100, 0.012f, 0.6f}, {6200, 0.006f, 0.3f}};
    Pcm pcm = MakePcm(1, 0.12);
    Noise noise(51);
    OnePole air(3000.0f);
    for (size_t i = 0; i < pcm.Frames(); i++) {
        float t = float(i) / kSynthRate;
        pcm.samples[i] = Modes(modes, t) * Pluck(t, 0.0003f, 1.0f) + 0.5f * air.High(noise.Next()) * Decay(t, 0.0015f);
    }
    return pcm;
}

// ---------------------------------------------------------------- the ball's moves

// A springy rise.
Pcm Jump()
{
    Pcm pcm = MakePcm(1, 0.28);
    float phase = 0.0f;
    for (size_t i = 0; i < pcm.Frames(); i++) {
        float t = float(i) / kSynthRate;
        float hz = 220.0f + 380.0f * (t / 0.28f) + 18.0f * std::sin(2.0f * kPi * 30.0f * t);
        phase += hz / kSynthRate;
        pcm.samples[i] = (std::sin(2.0f * kPi * phase) + 0.25f * std::sin(4.0f * kPi * phase)) * Pluck(t, 0.005f, 0.08f);
    }
    return pcm;
}

// A heavier thud than an impact, with a rattle of grit.
Pcm Land()
{
    Pcm pcm = MakePcm(1, 0.45);
    Noise noise(61);
    OnePole grit(1800.0f);
    float phase = 0.0f;
    for (size_t i = 0; i < pcm.Frames(); i++) {
        float t = float(i) / kSynthRate;
        phase += (38.0f + 60.0f * Decay(t, 0.05f)) / kSynthRate;
        float tone = std::sin(2.0f * kPi * phase) * Pluck(t, 0.003f, 0.13f);
        pcm.samples[i] = tone + 0.35f * grit.Low(noise.Next()) * Pluck(t, 0.002f, 0.06f);
    }
    return pcm;
}

// Falling away: a whistle sinking into the wind.
Pcm Fall()
{
    Pcm pcm = MakePcm(1, 1.4);
    Noise noise(71);
    BandPass wind(700.0f, 0.6f);
    float phase = 0.0f;
    for (size_t i = 0; i < pcm.Frames(); i++) {
        float t = float(i) / kSynthRate;
        float hz = 1100.0f * std::pow(0.17f, t / 1.4f) * (1.0f + 0.02f * std::sin(2.0f * kPi * 6.0f * t));
        phase += hz / kSynthRate;
        float fade = Pluck(t, 0.03f, 0.5f);
        pcm.samples[i] = fade * (0.6f * std::sin(2.0f * kPi * phase) + 0.4f * wind.Run(noise.Next()));
    }
    return pcm;
}

// ---------------------------------------------------------------- jingles

struct Note {
    float start, length, midi;    // seconds, seconds, note number
};

// A brassy voice: a saw whose brightness opens with the note and closes as it dies.
float Brass(const Note& n, float t, float* phase, OnePole* tone)
{
    float local = t - n.start;
    if (local < 0.0f || local > n.length + 0.4f)
        return 0.0f;
    float step = Midi(n.midi) / kSynthRate;
    *phase += step;
    float env = local < n.length ? Pluck(local, 0.015f, 2.0f) : Pluck(n.length, 0.015f, 2.0f) * Decay(local - n.length, 0.08f);
    tone->a = 0.08f + 0.3f * env;
    return env * tone->Low(Saw(*phase, step));
}

template <size_t N>
Pcm Fanfare(const Note (&notes)[N], double seconds)
{
    Pcm pcm = MakePcm(1, seconds);
    float phases[N] = {};
    OnePole tones[N] = {};
    for (size_t i = 0; i < pcm.Frames(); i++) {
        float t = float(i) / kSynthRate;
        for (size_t k = 0; k < N; k++) pcm.samples[i] += Brass(notes[k], t, &phases[k], &tones[k]);
    }
    return pcm;
}

// C E G up to a held C major chord.
Pcm Goal()
{
    const Note notes[] = {{0.00f, 0.12f, 72}, {0.13f, 0.12f, 76}, {0.26f, 0.12f, 79}, {0.39f, 1.1f, 84},
                          {0.39f, 1.1f, 76},  {0.39f, 1.1f, 79},  {0.39f, 1.1f, 72}, {0.39f, 1.1f, 60}};
    return Fanfare(notes, 2.0);
}

// A sparkle of bells climbing two octaves.
Pcm Record()
{
    const float arpeggio[] = {79, 83, 86, 91, 95, 98};
    Pcm pcm = MakePcm(1, 1.6);
    for (size_t i = 0; i < pcm.Frames(); i++) {
        float t = float(i) / kSynthRate;
        float sum = 0.0f;
        for (int k = 0; k < 6; k++) {
            float local = t - 0.07f * float(k);
            if (local < 0.0f) continue;
            float hz = Midi(arpeggio[k]);
            // A bell: a frequency-modulated sine whose brightness rings away.
            float bright = 2.0f * Decay(local, 0.25f);
            sum += Pluck(local, 0.002f, 0.45f) * std::sin(2.0f * kPi * hz * local + bright * std::sin(2.0f * kPi * 3.5f * hz * local));
        }
        pcm.samples[i] = sum;
    }
    return pcm;
}

// ---------------------------------------------------------------- menus

// Short sine blips, one or two tones.
Pcm Blip(float firstHz, float secondHz, float toneSeconds)
{
    int tones = secondHz > 0.0f ? 2 : 1;
    Pcm pcm = MakePcm(1, toneSeconds * tones + 0.05);
    for (size_t i = 0; i < pcm.Frames(); i++) {
        float t = float(i) / kSynthRate;
        int k = t < toneSeconds || tones == 1 ? 0 : 1;
        float local = t - toneSeconds * float(k);
        float hz = k == 0 ? firstHz : secondHz;
        pcm.samples[i] = std::sin(2.0f * kPi * hz * local) * Pluck(local, 0.002f, toneSeconds * 0.4f);
    }
    return pcm;
}

Pcm MenuMove() { return Blip(1760.0f, 0.0f, 0.035f); }
Pcm MenuConfirm() { return Blip(880.0f, 1320.0f, 0.06f); }
Pcm MenuBack() { return Blip(660.0f, 440.0f, 0.06f); }

// ---------------------------------------------------------------- the table

struct Effect {
    const char* key;        // in sound.ini
    const char* file;       // below sound/
    Pcm (*make)();
    float peak;             // loudness relative to the others
    const char* comment;
};

const Effect kEffects[] = {
    {"ROLL_TERRAIN", "roll_terrain.ogg", RollTerrain, 0.5f, "rolling on the ground (a seamless loop)"},
    {"ROLL_OBSTACLE", "roll_obstacle.ogg", RollObstacle, 0.45f, "rolling on an obstacle (a seamless loop)"},
    {"HIT_TERRAIN", "hit_terrain.ogg", HitTerrain, 0.9f, "the ball strikes the ground"},
    {"HIT_BOX", "hit_box.ogg", HitBox, 0.8f, "a box or a pillar is struck"},
    {"HIT_SPHERE", "hit_sphere.ogg", HitSphere, 0.7f, "a sphere is struck"},
    {"JUMP", "jump.ogg", Jump, 0.5f, "the jumping ball takes off"},
    {"LAND", "land.ogg", Land, 0.9f, "the ball lands after a jump or a drop"},
    {"FALL", "fall.ogg", Fall, 0.6f, "the ball falls off the course"},
    {"GOAL", "goal.ogg", Goal, 0.7f, "the goal is reached"},
    {"RECORD", "record.ogg", Record, 0.6f, "a new best time"},
    {"MENU_MOVE", "menu_move.ogg", MenuMove, 0.35f, "the cursor moves"},
    {"MENU_CONFIRM", "menu_confirm.ogg", MenuConfirm, 0.4f, "a choice is confirmed"},
    {"MENU_BACK", "menu_back.ogg", MenuBack, 0.4f, "back to the screen before"},
};

std::string SoundIni()
{
    std::string ini =
        "# Kestrune sounds. Each key names an OGG Vorbis (or WAV) file, relative to\r\n"
        "# this folder. Replace a file, or name another one, to change a sound; a\r\n"
        "# key left out or a file that cannot be read stays silent.\r\n"
        "# Music: OGG files placed as music\\menu.ogg and music\\race.ogg in this\r\n"
        "# folder play instead of the two loops named here.\r\n";
    for (const Effect& e : kEffects)
        ini += std::string("# ") + e.comment + "\r\n" + e.key + ":[[sound\\" + e.file + "]]\r\n";
    ini += "# music on the title, options and course select (a seamless loop)\r\n"
           "MUSIC_MENU:[[sound\\music_menu.ogg]]\r\n"
           "# music during races (a seamless loop)\r\n"
           "MUSIC_RACE:[[sound\\music_race.ogg]]\r\n";
    return ini;
}

}  // namespace

int WriteSounds(const std::string& gameDir)
{
    std::string dir = gameDir + "/sound";
    if (!MakeFolder(dir))
        return 0;
    int serial = 1;
    for (const Effect& e : kEffects) {
        Pcm pcm = e.make();
        Normalize(&pcm, e.peak);
        if (!WriteOggVorbis(dir + "/" + e.file, pcm, 0.5f, serial++))
            return 0;
    }
    return WriteMusic(dir) && WriteFile(gameDir + "/sound.ini", SoundIni());
}
