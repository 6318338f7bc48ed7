// What the game plays, recorded through the real loop with SDL's disk
// driver: the rolling is louder at speed than at rest and silent in the air,
// a landing's transient grows with its impulse, the volumes scale the music
// and F8 silences everything, and an unfocused window stays silent while
// that option is on. Each game frame lasts at least 16 ms of sound, and a
// span of frames is found in the recording by the mixer's frame count.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <unistd.h>

#include "app/loop.h"
#include "core/game.h"
#include "data/extras.h"
#include "data/sounds.h"
#include "physics/physics.h"
#include "platform/audio.h"
#include "support/audio_recording.h"
#include "support/physics_support.h"
#include "support/scripted_input.h"
#include "support/sound_course.h"

namespace {

const uint64_t kFrameAudio = AUDIO_RATE * 16 / 1000;   // 768 frames of sound a game frame
const uint64_t kPickUp = 2 * 512;                      // a change is heard within two mixing periods

void IgnoreBox(const char*) {}

struct Span {
    uint64_t from, to;
};

class SoundRecording : public ::testing::Test {
protected:
    void SetUp() override { raw = testing::TempDir() + "kestrune_sound_" + std::to_string(getpid()) + ".raw"; }

    // Starts the game in `dir` with the disk driver recording.
    void Start(const std::string& dir)
    {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "2", 1);   // about five times faster than heard
        ASSERT_EQ(StartScriptedGame(dir, IgnoreBox), 1);
        FinishStartUp();   // the sound device is open from the first frame on
        extras.masterVolume = extras.musicVolume = extras.effectsVolume = EXTRAS_VOLUME_MAX;
    }
    Recording Stop()
    {
        StopScriptedGame();
        return StopRecording(raw);
    }
    // Game frames, each lasting at least 16 ms of sound.
    void Frames(int n)
    {
        for (int i = 0; i < n; i++) {
            uint64_t until = AudioFramesMixed() + kFrameAudio;
            ScriptedFrame();
            while (AudioFramesMixed() < until) usleep(200);
        }
    }
    // The sound of the next n frames, from when their first change is heard.
    Span Measure(int n)
    {
        uint64_t from = AudioFramesMixed() + kPickUp;
        Frames(n);
        return Span{from, AudioFramesMixed()};
    }
    std::string raw;
};

// A sound.ini naming a 480 Hz sine (amplitude 0.5) as the menu music and as
// the menu's move.
std::string SineFolder(const char* name)
{
    std::string dir = WriteSoundCourse(name, 1.0f, "", nullptr);
    WriteSineWav(dir + "sine.wav", 480.0f, 0.5f, 1.0);
    WriteSineWav(dir + "blip.wav", 1000.0f, 0.5f, 0.1);
    WriteFileText(dir + "sound.ini", "MUSIC_MENU:[[sine.wav]]\r\nMENU_MOVE:[[blip.wav]]\r\n");
    return dir;
}

}  // namespace

// Dropped from high, the ball falls in silence (the music turned down);
// resting after its landing it makes no rolling sound; pushed along the
// ground it rolls audibly.
TEST_F(SoundRecording, RollingLouderAtSpeedSilentInTheAir)
{
    Start(WriteSoundCourse("sound-roll", 10.0f, "", KESTRUNE_GAME_DIR));
    extras.musicVolume = 0;
    StartSoundRace();
    Frames(5);
    Span air = Measure(35);
    Frames(150);                      // lands, bounces, settles
    Span rest = Measure(30);
    scriptedKeys[KEY_LEFT] = true;
    Frames(70);
    Span rolling = Measure(30);
    scriptedKeys[KEY_LEFT] = false;
    Recording rec = Stop();

    EXPECT_EQ(rec.Peak(air.from, air.to), 0.0f);
    float atRest = rec.Rms(rest.from, rest.to), atSpeed = rec.Rms(rolling.from, rolling.to);
    EXPECT_GT(atSpeed, 0.01f);
    EXPECT_GT(atSpeed, 10.0f * atRest);
}

// The same ball dropped from 1.5 and from 3 units above its resting height:
// the higher drop strikes harder and its landing sounds louder.
TEST_F(SoundRecording, LandingTransientGrowsWithImpulse)
{
    float peaks[2];
    float heights[2] = {1.5f, 2.0f};   // START y in MAP_HEIGHT units of 3; 1 rests
    for (int drop = 0; drop < 2; drop++) {
        Start(WriteSoundCourse("sound-drop", heights[drop], "", KESTRUNE_GAME_DIR));
        extras.musicVolume = 0;
        StartSoundRace();
        int lands = AudioQueuedEffects().perSlot[SOUND_LAND];
        uint64_t landed = 0;
        for (int f = 0; f < 60 && !landed; f++) {
            uint64_t before = AudioFramesMixed();
            ScriptedFrame();
            if (AudioQueuedEffects().perSlot[SOUND_LAND] != lands) landed = before;
        }
        Frames(20);
        Recording rec = Stop();
        ASSERT_NE(landed, 0u) << "drop " << drop;
        peaks[drop] = rec.Peak(landed, landed + kPickUp + AUDIO_RATE / 5);
    }
    EXPECT_GT(peaks[0], 0.05f);
    EXPECT_GT(peaks[1], 1.25f * peaks[0]);
}

// On the title with a sine as its music: music 5 of 10 and master 5 of 10
// each play it at a quarter (the square law), the effects volume leaves it
// alone, F8 silences it exactly and F8 again brings it back.
TEST_F(SoundRecording, VolumesScaleAndF8MutesEverything)
{
    Start(SineFolder("sound-volumes"));
    Frames(60);                         // past the music's fade-in
    Span full = Measure(20);
    extras.musicVolume = 5;
    Frames(2);
    Span halfMusic = Measure(20);
    extras.musicVolume = 10;
    extras.masterVolume = 5;
    Frames(2);
    Span halfMaster = Measure(20);
    extras.masterVolume = 10;
    extras.effectsVolume = 0;
    Frames(2);
    Span noEffects = Measure(20);
    scriptedKeys[KEY_F8] = true;
    Frames(2);
    Span muted = Measure(20);
    scriptedKeys[KEY_F8] = false;
    Frames(1);
    scriptedKeys[KEY_F8] = true;
    Frames(2);
    scriptedKeys[KEY_F8] = false;
    Span back = Measure(20);
    Recording rec = Stop();

    float level = rec.Rms(full.from, full.to);
    EXPECT_NEAR(level, 0.5f / std::sqrt(2.0f), 0.02f);
    EXPECT_NEAR(rec.Rms(halfMusic.from, halfMusic.to) / level, 0.25f, 0.02f);
    EXPECT_NEAR(rec.Rms(halfMaster.from, halfMaster.to) / level, 0.25f, 0.02f);
    EXPECT_NEAR(rec.Rms(noEffects.from, noEffects.to) / level, 1.0f, 0.02f);
    EXPECT_EQ(rec.Peak(muted.from, muted.to), 0.0f);
    EXPECT_NEAR(rec.Rms(back.from, back.to) / level, 1.0f, 0.02f);
    EXPECT_EQ(extras.muted, 0);
}

// Out of focus with "mute in the background" on, a cursor move on the title
// plays nothing and the music is silent; with the option off the move and
// the music sound.
TEST_F(SoundRecording, UnfocusedWindowStaysSilentWithTheOption)
{
    Start(SineFolder("sound-focus"));
    Frames(150);                        // the title's menu is up
    scriptedFocus = false;
    extras.muteUnfocused = 1;
    int moves = AudioQueuedEffects().perSlot[SOUND_MENU_MOVE];
    Frames(2);
    scriptedKeys[KEY_DOWN] = true;
    Span hidden = Measure(3);
    scriptedKeys[KEY_DOWN] = false;
    Frames(40);
    int movesHidden = AudioQueuedEffects().perSlot[SOUND_MENU_MOVE] - moves;
    extras.muteUnfocused = 0;
    extras.musicVolume = 0;
    Frames(2);
    scriptedKeys[KEY_DOWN] = true;
    Span shown = Measure(3);
    scriptedKeys[KEY_DOWN] = false;
    Frames(10);
    Recording rec = Stop();

    EXPECT_EQ(movesHidden, 0);
    EXPECT_EQ(rec.Peak(hidden.from - kPickUp, hidden.to + 10 * kFrameAudio), 0.0f);
    EXPECT_GT(rec.Peak(shown.from - kPickUp, shown.to + 10 * kFrameAudio), 0.3f);
}
