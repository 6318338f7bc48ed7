#include "app/sound.h"

#include <cmath>
#include <thread>
#include <utility>

#include "core/game.h"
#include "data/extras.h"
#include "data/sounds.h"
#include "physics/physics.h"
#include "platform/audio.h"
#include "platform/sys.h"
#include "render/camera.h"

namespace {

// Decodes the sounds beside the game once the device is open; the music
// alone takes a tenth of a second and more.
std::thread soundLoader;

void WaitForSoundLoader()
{
    if (soundLoader.joinable())
        soundLoader.join();
}

// The two looping voices of the rolling ball.
enum { LOOP_TERRAIN = 0, LOOP_OBSTACLE = 1 };

// Speeds in units a second: the ball rolls at about 20 on a gentle slope and
// at 60 downhill.
const float kRollFullSpeed = 60.0f;
// Contact impulses: under the first a touch makes no sound; the second and
// above sound at full volume (a ball of weight 1 dropping a few of its own
// sizes onto the ground).
const float kQuietImpulse = 2.5f;
const float kLoudImpulse = 30.0f;
// At most about twenty impacts a second, a few of them at once.
const float kImpactsPerFrame = 20.0f / 60.0f;
const float kImpactBurst = 3.0f;
// Obstacles knocking each other are quieter than the ball, and fainter
// beyond the normal camera distance.
const float kObstacleShare = 0.5f;
const float kNearDistance = 100.0f;
// The ball lands (rather than bumps) after this long in the air; the rolling
// goes on through shorter hops over the terrain's bumps, which would
// otherwise chop it.
const int kLandingAirFrames = 12;
const int kRollHoldFrames = 3;
const int kJumpGapFrames = 15;
// The new-record jingle follows the fanfare.
const int kRecordDelayFrames = 75;

struct RaceSound {
    int airFrames;        // stepped frames since the ball last touched anything
    BallContacts rolling; // what the ball rolls on, kept through short hops
    float impactTokens;   // impacts allowed now (the rate limit)
    int jumpGap;          // frames until another jump may sound
    int recordDelay;      // frames until the new-record jingle; 0 none
};
RaceSound raceSound;

float VolumeGain(int volume)
{
    // Square law: each step of the 0..10 scale sounds about as large as the last.
    float x = float(volume) / float(EXTRAS_VOLUME_MAX);
    return x * x;
}

void ApplySettings()
{
    AudioSetVolumes(VolumeGain(extras.masterVolume), VolumeGain(extras.musicVolume),
                    VolumeGain(extras.effectsVolume));
    AudioSetMuted(extras.muted || (extras.muteUnfocused && !SysWindowFocused()));
}

// Watching a recorded run plays the race's music too.
bool InRaceFlow(int state)
{
    return (state >= STATE_INTRO && state <= STATE_GOAL_MENU) || state == STATE_WATCH;
}

void ChooseMusic()
{
    if (game.state == STATE_EXIT)
        AudioPlayMusic(-1);
    else
        AudioPlayMusic(InRaceFlow(game.state) ? SOUND_MUSIC_RACE : SOUND_MUSIC_MENU);
}

// ---------------------------------------------------------------------------
// Rolling: louder and higher the faster the ball goes, on the ground only.

float Clamp01(float x)
{
    return x < 0.0f ? 0.0f : x > 1.0f ? 1.0f : x;
}

void Roll(const BallContacts& touching)
{
    Vec3 v = {0, 0, 0};
    GetBallVelocity(&v);
    float speed = Clamp01(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z) / kRollFullSpeed);
    float pitch = 0.6f + 0.8f * speed;
    AudioSetLoop(LOOP_TERRAIN, SOUND_ROLL_TERRAIN, touching.terrain ? speed : 0.0f, pitch);
    AudioSetLoop(LOOP_OBSTACLE, SOUND_ROLL_OBSTACLE, touching.obstacle ? speed : 0.0f, pitch);
}

void StopRolling()
{
    AudioSetLoop(LOOP_TERRAIN, SOUND_ROLL_TERRAIN, 0.0f, 1.0f);
    AudioSetLoop(LOOP_OBSTACLE, SOUND_ROLL_OBSTACLE, 0.0f, 1.0f);
}

// ---------------------------------------------------------------------------
// Impacts: one sound per contact start, its volume from the impulse.

// A thud for the ground, a knock for boxes and pillars, a click for spheres.
SoundId ImpactSound(const ContactStart& c)
{
    bool ball = c.a == 1 || c.b == 1;
    int other = c.a == 1 ? c.shapeB : c.b == 1 ? c.shapeA : -1;
    if (ball)
        return other < 0 ? SOUND_HIT_TERRAIN : other == BODY_SPHERE ? SOUND_HIT_SPHERE : SOUND_HIT_BOX;
    if (c.shapeA == BODY_BOX || c.shapeA == BODY_PILLAR || c.shapeB == BODY_BOX || c.shapeB == BODY_PILLAR)
        return SOUND_HIT_BOX;
    return c.shapeA < 0 ? SOUND_HIT_TERRAIN : SOUND_HIT_SPHERE;
}

float DistanceFade(const Vec3& point)
{
    Vec3 eye = RaceCameraPose().eye;
    float dx = point.x - eye.x, dy = point.y - eye.y, dz = point.z - eye.z;
    float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    return distance > kNearDistance ? kNearDistance / distance : 1.0f;
}

void Impact(const ContactStart& c, bool landing)
{
    float volume = Clamp01((c.impulse - kQuietImpulse) / (kLoudImpulse - kQuietImpulse));
    bool ball = c.a == 1 || c.b == 1;
    if (!ball)
        volume *= kObstacleShare * DistanceFade(c.point);
    if (volume <= 0.0f || raceSound.impactTokens < 1.0f)
        return;
    raceSound.impactTokens -= 1.0f;
    PlaySound(landing && ball ? SOUND_LAND : ImpactSound(c), volume);
}

void Impacts(const ContactStart* starts, int count, bool landing)
{
    raceSound.impactTokens = std::fmin(kImpactBurst, raceSound.impactTokens + kImpactsPerFrame);
    for (int i = 0; i < count; i++)
        Impact(starts[i], landing);
}

void SteppedFrame()
{
    ContactStart starts[8];
    BallContacts touching;
    int count = ScanContacts(starts, 8, &touching);
    bool onSomething = touching.terrain || touching.obstacle;
    Impacts(starts, count, onSomething && raceSound.airFrames >= kLandingAirFrames);
    raceSound.airFrames = onSomething ? 0 : raceSound.airFrames + 1;
    if (onSomething || raceSound.airFrames > kRollHoldFrames)
        raceSound.rolling = touching;
    Roll(raceSound.rolling);
}

}  // namespace

void StartSound()
{
    WaitForSoundLoader();
    raceSound = RaceSound{};
    raceSound.impactTokens = kImpactBurst;
    ApplySettings();
    if (!AudioOpen())
        return;
    SoundPlan plan;
    PlanSounds(&plan);
    soundLoader = std::thread([plan = std::move(plan)] { LoadPlannedSounds(plan); });
}

void StopSound()
{
    WaitForSoundLoader();
    AudioClose();
}

void UpdateSound(int frameState)
{
    ApplySettings();
    ChooseMusic();
    if (frameState == STATE_RACE || frameState == STATE_MISS)
        SteppedFrame();
    else
        StopRolling();
    if (frameState != STATE_RACE && frameState != STATE_MISS)
        raceSound.rolling = BallContacts{};
    if (raceSound.jumpGap > 0)
        raceSound.jumpGap--;
    if (raceSound.recordDelay > 0 && --raceSound.recordDelay == 0)
        PlaySound(SOUND_RECORD, 1.0f);
}

void PlayJumpSound()
{
    if (raceSound.jumpGap > 0)
        return;
    raceSound.jumpGap = kJumpGapFrames;
    PlaySound(SOUND_JUMP, 1.0f);
}

void PlayFallSound()
{
    PlaySound(SOUND_FALL, 1.0f);
}

void PlayGoalSounds(bool newRecord)
{
    PlaySound(SOUND_GOAL, 1.0f);
    raceSound.recordDelay = newRecord ? kRecordDelayFrames : 0;
}
