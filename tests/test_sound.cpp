// The game's sounds on the null platform, where every request is recorded:
// sound.ini and its messages, contact starts in the physics, impacts through
// the loop (one per start, rate-limited, obstacles quieter and fainter far
// away), and which music and effects the screens and the race ask for.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/game.h"
#include "data/extras.h"
#include "data/sounds.h"
#include "physics/physics.h"
#include "platform/audio.h"
#include "platform/paths.h"
#include "platform/sys.h"
#include "screens/screens.h"
#include "sensor/board_local.h"
#include "support/physics_support.h"
#include "support/scripted_input.h"
#include "support/sound_course.h"

namespace {

void IgnoreBox(const char*) {}

// The effects asked for while `frames` frames run, one entry per frame that
// asked (a frame's last request).
struct Asked {
    int slot;
    float volume;
    int frame;
};
std::vector<Asked> RunFrames(int frames)
{
    std::vector<Asked> asked;
    for (int f = 0; f < frames; f++) {
        int before = AudioQueuedEffects().count;
        ScriptedFrame();
        AudioEffectLog log = AudioQueuedEffects();
        if (log.count != before) asked.push_back(Asked{log.lastSlot, log.lastVolume, f});
    }
    return asked;
}

int Count(const std::vector<Asked>& asked, int slot)
{
    int n = 0;
    for (const Asked& a : asked) n += a.slot == slot;
    return n;
}

// The first volume asked for `slot`, 0 when none.
float FirstVolume(const std::vector<Asked>& asked, int slot)
{
    for (const Asked& a : asked)
        if (a.slot == slot) return a.volume;
    return 0.0f;
}

std::string Box(float x, float y, float z)
{
    return "OBJECT:[BOX][2,2,2][" + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(z) +
           "][0,0,0][1][0]\r\n";
}

// Runs a race on a sound course and returns what it asked for in 3 s.
std::vector<Asked> RaceOn(const std::string& name, float startY, const std::string& objects)
{
    std::string dir = WriteSoundCourse(name, startY, objects, nullptr);
    EXPECT_EQ(StartScriptedGame(dir, IgnoreBox), 1);
    StartSoundRace();
    std::vector<Asked> asked = RunFrames(180);
    StopScriptedGame();
    return asked;
}

}  // namespace

// Keys count at the start of a line only; '#' comments; a key left out stays
// empty. A named file that is missing is said once, with its key; the
// player's music in music/ replaces the named loop without a word.
TEST(SoundSettings, KeysCommentsAndMessages)
{
    std::string dir = TempDir() + "/sound-ini/";
    ASSERT_EQ(0, system(("rm -rf " + dir + " && mkdir -p " + dir + "music " + dir + "sound").c_str()));
    WriteFileText(dir + "sound.ini",
                  "# GOAL:[[commented.ogg]]\r\n"
                  "  HIT_BOX:[[sound\\knock.ogg]]  # a comment after the key\r\n"
                  "MUSIC_RACE:[[sound\\race.ogg]] MUSIC_MENU:[[not at a line start.ogg]]\r\n"
                  "MUSIC_MENU:[[sound\\gone.ogg]]\r\n"
                  "LAND:[[sound\\missing.ogg]]\r\n");
    for (const char* file : {"sound/knock.ogg", "sound/race.ogg", "music/menu.ogg"}) WriteFileText(dir + file, "x");
    SoundNames names;
    ASSERT_EQ(ReadSoundNames((dir + "sound.ini").c_str(), &names), 1);
    EXPECT_STREQ(names.file[SOUND_HIT_BOX], "sound\\knock.ogg");
    EXPECT_STREQ(names.file[SOUND_MUSIC_MENU], "sound\\gone.ogg");
    EXPECT_STREQ(names.file[SOUND_GOAL], "");
    EXPECT_STREQ(names.file[SOUND_ROLL_TERRAIN], "");

    SysUseOneFolder(dir.c_str());
    testing::internal::CaptureStderr();
    LoadSounds();
    std::string said = testing::internal::GetCapturedStderr();
    SysUseOneFolder(nullptr);
    EXPECT_EQ(said, "Kestrune: sound.ini: LAND names sound\\missing.ogg, which is missing; "
                    "that sound stays silent\n");
}

// A ball dropped on the ground begins one contact with it; resting there
// begins none; dropped from higher it strikes with a larger impulse. A box
// landing on the ground is a pair of its own.
TEST(SoundContacts, OneStartPerTouchImpulseGrowsWithTheDrop)
{
    float impulse[2] = {};
    for (int drop = 0; drop < 2; drop++) {
        game = {};
        SetBallType(3, 1, 0);
        CreatePhysicsWorld();
        ASSERT_EQ(1, BuildTerrainCollision(MakeFlatGrid(21, 21, 5), 0.3f));
        AddCourseBody(BODY_SPHERE, 0, drop ? 40.0f : 10.0f, 0, 3, 3, 3, 1, 0.3f, 0, 0, 0);
        AddCourseBody(BODY_BOX, 20, 10, 0, 2, 2, 2, 1, 0.3f, 0, 0, 0);
        int ballStarts = 0, boxStarts = 0;
        for (int step = 0; step < 240; step++) {
            StepPhysicsWorld();
            ContactStart starts[4];
            BallContacts ball;
            int n = ScanContacts(starts, 4, &ball);
            for (int i = 0; i < n; i++) {
                if (starts[i].a == 0 && starts[i].b == 1 && ballStarts++ == 0) impulse[drop] = starts[i].impulse;
                if (starts[i].a == 0 && starts[i].b == 2) {
                    boxStarts++;
                    EXPECT_EQ(starts[i].shapeA, -1);
                    EXPECT_EQ(starts[i].shapeB, BODY_BOX);
                }
            }
            if (step == 239) {
                EXPECT_TRUE(ball.terrain);
            }
        }
        EXPECT_GE(ballStarts, 1);
        EXPECT_LE(ballStarts, 3) << "a bounce or two, not one per step";
        EXPECT_EQ(boxStarts, 1);
        DestroyPhysicsWorld();
    }
    EXPECT_GT(impulse[1], 1.5f * impulse[0]);
}

// Through the loop: the ball landing is one landing sound; a box landing
// beside it knocks more quietly than the ball with the same blow, and the
// same box at the far corner of the course more quietly still; sixty boxes
// landing one after another over a second sound at most about twenty times
// a second.
TEST(SoundImpacts, OneSoundPerStartQuieterFartherRateLimited)
{
    std::vector<Asked> ball = RaceOn("sound-ball", 8.0f, "");
    EXPECT_EQ(Count(ball, SOUND_LAND), 1);
    std::vector<Asked> near = RaceOn("sound-near", 1.0f, Box(0.55f, 8.0f, 0.5f));
    std::vector<Asked> far = RaceOn("sound-far", 1.0f, Box(0.97f, 8.0f, 0.03f));
    float ballVolume = FirstVolume(ball, SOUND_LAND);
    float nearVolume = FirstVolume(near, SOUND_HIT_BOX), farVolume = FirstVolume(far, SOUND_HIT_BOX);
    EXPECT_GT(nearVolume, 0.0f);
    EXPECT_LT(nearVolume, 0.7f * ballVolume);
    EXPECT_LT(farVolume, 0.7f * nearVolume);

    std::string crowd;
    for (int k = 0; k < 60; k++) {
        float t = 0.25f + k / 60.0f;                        // seconds until it lands
        float y = (0.5f * 58.5f * t * t + 2.0f) / 3.0f;     // its centre, in MAP_HEIGHT units
        crowd += Box(0.1f + 0.8f * float(k % 10) / 9.0f, y, 0.2f + 0.1f * float(k / 10));
    }
    std::vector<Asked> many = RaceOn("sound-crowd", 1.0f, crowd);
    std::vector<int> knocks;
    for (const Asked& a : many)
        if (a.slot == SOUND_HIT_BOX && a.frame < 90) knocks.push_back(a.frame);
    EXPECT_GE(knocks.size(), 15u);
    EXPECT_LE(knocks.size(), 3u + 30u);                     // a burst of three, then twenty a second
    for (size_t i = 3; i + 1 < knocks.size(); i++) EXPECT_GE(knocks[i + 1] - knocks[i], 3);
}

// The title plays the menu music, and its cursor's move is the menu's own
// sound with no speaker tone beside it; with a board connected the board
// gets the click and the speakers still play the move; the race plays the
// race music and the countdown still beeps; falling off sounds the fall.
TEST(SoundScreens, MusicPerScreenMenuSoundsAndTheFall)
{
    std::string dir = WriteSoundCourse("sound-screens", 1.0f, "", nullptr);
    ASSERT_EQ(StartScriptedGame(dir, IgnoreBox), 1);
    for (int f = 0; f < 150; f++) ScriptedFrame();
    EXPECT_EQ(AudioMusicSlot(), SOUND_MUSIC_MENU);
    int tones = AudioQueuedTones().count, moves = AudioQueuedEffects().perSlot[SOUND_MENU_MOVE];
    scriptedKeys[KEY_DOWN] = true;
    for (int f = 0; f < 3; f++) ScriptedFrame();
    scriptedKeys[KEY_DOWN] = false;
    for (int f = 0; f < 3; f++) ScriptedFrame();
    EXPECT_EQ(AudioQueuedEffects().perSlot[SOUND_MENU_MOVE], moves + 1);
    EXPECT_EQ(AudioQueuedTones().count, tones);
    boardLink.boardConnected.store(1);
    boardLink.soundWordA.store(0);
    boardLink.boardData[7].store(uint8_t(-20));   // the board tipped towards the player
    for (int f = 0; f < 3; f++) ScriptedFrame();
    EXPECT_EQ(boardLink.soundWordA.load(), 0x1800);   // the board's click
    boardLink.boardData[7].store(0);
    for (int f = 0; f < 3; f++) ScriptedFrame();
    boardLink.boardConnected.store(0);
    EXPECT_EQ(AudioQueuedEffects().perSlot[SOUND_MENU_MOVE], moves + 2);

    RequestCourseLoad(0);
    EnterIntro();
    for (int f = 0; f < 180 + 240 + 10; f++) ScriptedFrame();
    EXPECT_EQ(AudioMusicSlot(), SOUND_MUSIC_RACE);
    EXPECT_GT(AudioQueuedTones().count, tones);   // the countdown
    int falls = AudioQueuedEffects().perSlot[SOUND_FALL];
    scriptedKeys[KEY_LEFT] = true;   // to the map's edge and off it
    for (int f = 0; f < 900 && game.state == STATE_RACE; f++) ScriptedFrame();
    scriptedKeys[KEY_LEFT] = false;
    EXPECT_EQ(game.state, STATE_MISS);
    EXPECT_EQ(AudioQueuedEffects().perSlot[SOUND_FALL], falls + 1);
    StopScriptedGame();
}
