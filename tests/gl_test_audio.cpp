// The speakers through SDL_mixer, recorded with SDL's disk driver: what the
// callback really writes. Looping voices follow volume and pitch, the three
// volumes scale and muting silences; an effect's peak follows its volume and
// starts within two mixing periods of the request; the shipped music loops
// without a seam; the audio thread allocates nothing however busy; bad files
// are refused quietly; no device, no output.
#include <gtest/gtest.h>

#include <pthread.h>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/audio.h"
#include "support/audio_recording.h"

// Every allocation made by a thread other than the test's own while
// `counting` is set is counted (the test's thread only sleeps then, so they
// are the audio thread's). A sanitizer build keeps its own malloc, and the
// count is skipped there.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define COUNT_ALLOCATIONS 0
#else
#define COUNT_ALLOCATIONS 1
#endif

namespace {
std::atomic<bool> counting;
pthread_t testThread;
std::atomic<int> otherThreadAllocations;
}  // namespace

#if COUNT_ALLOCATIONS
extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* p, size_t size);

namespace {
void Count()
{
    if (counting.load(std::memory_order_relaxed) && !pthread_equal(pthread_self(), testThread))
        otherThreadAllocations++;
}
}  // namespace

extern "C" void* malloc(size_t size)
{
    Count();
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size)
{
    Count();
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* p, size_t size)
{
    Count();
    return __libc_realloc(p, size);
}
#endif

namespace {

const uint64_t kPeriod = 512;              // frames per mixing callback
const uint64_t kMeasure = AUDIO_RATE / 10;

std::string TempPath(const char* name)
{
    return testing::TempDir() + "kestrune_audio_" + std::to_string(getpid()) + "_" + name;
}

// A span of the recording measured after the last change has settled (the
// gain glides over one period, the mute over 5 ms).
struct Span {
    uint64_t from, to;
};

Span Settle()
{
    uint64_t from = WaitFrames(3 * kPeriod);
    return Span{from, WaitFrames(kMeasure)};
}

}  // namespace

// A 480 Hz sine of amplitude 0.5 looped: each volume halves it, mute makes
// it exactly silent and lifting the mute brings it back, pitch 1.5 plays it
// at 720 Hz; the music volume scales the music alone.
TEST(MixerTest, VolumesScaleMuteSilencesPitchFollows)
{
    std::string wav = TempPath("sine.wav"), raw = TempPath("volumes.raw");
    WriteSineWav(wav, 480.0f, 0.5f, 1.0);
    ASSERT_EQ(StartRecording(raw), 1);
    ASSERT_EQ(AudioLoadSound(0, wav.c_str()), 1);
    EXPECT_EQ(AudioSoundFrames(0), AUDIO_RATE);
    AudioSetVolumes(1.0f, 1.0f, 1.0f);
    AudioSetLoop(0, 0, 1.0f, 1.0f);
    Span full = Settle();
    AudioSetLoop(0, 0, 0.5f, 1.0f);
    Span halfLoop = Settle();
    AudioSetLoop(0, 0, 1.0f, 1.0f);
    AudioSetVolumes(1.0f, 1.0f, 0.5f);
    Span halfEffects = Settle();
    AudioSetVolumes(0.5f, 1.0f, 1.0f);
    Span halfMaster = Settle();
    AudioSetVolumes(1.0f, 1.0f, 1.0f);
    AudioSetMuted(1);
    Span muted = Settle();
    AudioSetMuted(0);
    Span unmuted = Settle();
    AudioSetLoop(0, 0, 1.0f, 1.5f);
    Span faster = Settle();
    AudioSetLoop(0, -1, 0.0f, 1.0f);
    AudioPlayMusic(0);
    WaitFrames(AUDIO_RATE);            // past the crossfade
    Span music = Settle();
    AudioSetVolumes(1.0f, 0.5f, 1.0f);
    Span halfMusic = Settle();
    Recording rec = StopRecording(raw);

    float level = rec.Rms(full.from, full.to);
    EXPECT_NEAR(level, 0.5f / std::sqrt(2.0f), 0.01f);
    EXPECT_NEAR(rec.Rms(halfLoop.from, halfLoop.to) / level, 0.5f, 0.02f);
    EXPECT_NEAR(rec.Rms(halfEffects.from, halfEffects.to) / level, 0.5f, 0.02f);
    EXPECT_NEAR(rec.Rms(halfMaster.from, halfMaster.to) / level, 0.5f, 0.02f);
    EXPECT_EQ(rec.Peak(muted.from, muted.to), 0.0f);
    EXPECT_NEAR(rec.Rms(unmuted.from, unmuted.to) / level, 1.0f, 0.02f);
    EXPECT_NEAR(rec.Crossings(faster.from, faster.to), 720.0 * double(faster.to - faster.from) / AUDIO_RATE, 2);
    EXPECT_NEAR(rec.Rms(music.from, music.to) / level, 1.0f, 0.02f);
    EXPECT_NEAR(rec.Rms(halfMusic.from, halfMusic.to) / level, 0.5f, 0.02f);
    remove(wav.c_str());
    remove(raw.c_str());
}

// Three shots at 0.2, 0.5 and 1: peaks in that proportion, each heard within
// two periods (21 ms) of the frame count read when it was asked for.
TEST(MixerTest, EffectPeakFollowsVolumeAndStartsPromptly)
{
    std::string wav = TempPath("shot.wav"), raw = TempPath("effects.raw");
    WriteSineWav(wav, 1000.0f, 0.8f, 0.05);
    ASSERT_EQ(StartRecording(raw), 1);
    ASSERT_EQ(AudioLoadSound(3, wav.c_str()), 1);
    AudioSetVolumes(1.0f, 1.0f, 1.0f);
    const float volumes[3] = {0.2f, 0.5f, 1.0f};
    uint64_t asked[3];
    for (int i = 0; i < 3; i++) {
        WaitFrames(AUDIO_RATE / 10);
        asked[i] = AudioFramesMixed();
        AudioPlayEffect(3, volumes[i]);
    }
    WaitFrames(AUDIO_RATE / 10);
    Recording rec = StopRecording(raw);

    for (int i = 0; i < 3; i++) {
        size_t onset = rec.Onset(asked[i], 0.001f);
        EXPECT_LT(onset - asked[i], 2 * kPeriod) << "shot " << i;
        EXPECT_NEAR(rec.Peak(onset, onset + AUDIO_RATE / 20), 0.8f * volumes[i], 0.02f) << "shot " << i;
    }
    remove(wav.c_str());
    remove(raw.c_str());
}

// Where the menu music wraps, no step between two samples is larger than the
// largest step inside the music, and no gap of silence opens.
TEST(MixerTest, ShippedMusicLoopsWithoutASeam)
{
    std::string raw = TempPath("music.raw");
    std::string music = std::string(KESTRUNE_GAME_DIR) + "/sound/music_menu.ogg";
    ASSERT_EQ(StartRecording(raw, 16), 1);
    ASSERT_EQ(AudioLoadSound(1, music.c_str()), 1);
    uint64_t length = uint64_t(AudioSoundFrames(1));
    ASSERT_GT(length, uint64_t(AUDIO_RATE));
    AudioSetVolumes(1.0f, 1.0f, 1.0f);
    uint64_t asked = AudioFramesMixed();
    AudioPlayMusic(1);
    WaitFrames(length + AUDIO_RATE / 2);
    Recording rec = StopRecording(raw);

    size_t start = rec.Onset(asked, 0.0f);
    size_t seam = start + length;
    ASSERT_LT(seam + AUDIO_RATE / 4, rec.Frames());
    auto largestStep = [&rec](size_t from, size_t to) {
        float step = 0.0f;
        for (size_t i = 2 * from + 2; i < 2 * to; i++) step = std::fmax(step, std::fabs(rec.samples[i] - rec.samples[i - 2]));
        return step;
    };
    float inside = largestStep(start + AUDIO_RATE, seam - 4 * kPeriod);
    EXPECT_LE(largestStep(seam - 4 * kPeriod, seam + 4 * kPeriod), inside);
    int silentRun = 0, longest = 0;
    for (size_t i = seam - 4 * kPeriod; i < seam + 4 * kPeriod; i++) {
        silentRun = rec.samples[2 * i] == 0.0f && rec.samples[2 * i + 1] == 0.0f ? silentRun + 1 : 0;
        longest = std::max(longest, silentRun);
    }
    EXPECT_LT(longest, 16);
    remove(raw.c_str());
}

// With music crossfading, both looping voices gliding, tones, and more
// effects than voices (so old ones make way), the audio thread allocates
// nothing: SDL_mixer's callback and ours run on what was made beforehand.
TEST(MixerTest, AudioThreadAllocatesNothing)
{
    if (!COUNT_ALLOCATIONS)
        GTEST_SKIP() << "the sanitizer owns malloc";
    std::string raw = TempPath("busy.raw");
    std::string dir = std::string(KESTRUNE_GAME_DIR) + "/sound/";
    ASSERT_EQ(StartRecording(raw), 1);
    const char* files[] = {"music_menu.ogg", "music_race.ogg", "roll_terrain.ogg", "roll_obstacle.ogg", "hit_box.ogg"};
    for (int slot = 0; slot < 5; slot++) ASSERT_EQ(AudioLoadSound(slot, (dir + files[slot]).c_str()), 1);
    AudioPlayMusic(0);
    AudioSetLoop(0, 2, 0.5f, 1.0f);
    AudioPlayEffect(4, 1.0f);
    WaitFrames(AUDIO_RATE / 5);          // every voice has sounded once

    testThread = pthread_self();
    otherThreadAllocations = 0;
    counting = true;
    AudioPlayMusic(1);
    for (int k = 0; k < 40; k++) {
        AudioPlayEffect(4, 0.5f);
        AudioSetLoop(0, 2, 0.5f, 0.6f + 0.02f * float(k));
        AudioSetLoop(1, 3, 0.3f, 1.5f);
        if (k % 10 == 0) AudioPlayTone(768.0f, 64);
        WaitFrames(1024);
    }
    AudioPlayMusic(-1);
    WaitFrames(AUDIO_RATE);              // the music fades out and stops
    counting = false;
    StopRecording(raw);
    EXPECT_EQ(otherThreadAllocations.load(), 0);
    remove(raw.c_str());
}

// A missing file, a file of junk and a cut OGG leave their slot silent
// (the cut one may keep what decoded), and nothing is printed.
TEST(MixerTest, BadSoundFilesAreRefusedQuietly)
{
    std::string raw = TempPath("bad.raw"), junk = TempPath("junk.ogg"), cut = TempPath("cut.ogg");
    FILE* file = fopen(junk.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fputs("OggS this is not a sound at all", file);
    fclose(file);
    std::string whole = std::string(KESTRUNE_GAME_DIR) + "/sound/hit_box.ogg";
    FILE* in = fopen(whole.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    char bytes[4000];
    size_t got = fread(bytes, 1, sizeof bytes, in);
    fclose(in);
    file = fopen(cut.c_str(), "wb");
    fwrite(bytes, 1, got, file);
    fclose(file);

    ASSERT_EQ(StartRecording(raw), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(AudioLoadSound(5, (junk + ".missing").c_str()), 0);
    EXPECT_EQ(AudioLoadSound(5, junk.c_str()), 0);
    EXPECT_EQ(AudioSoundFrames(5), 0);
    AudioLoadSound(6, cut.c_str());
    AudioPlayEffect(5, 1.0f);
    AudioPlayEffect(6, 1.0f);
    WaitFrames(AUDIO_RATE / 10);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    StopRecording(raw);
    for (const std::string& path : {raw, junk, cut}) remove(path.c_str());
}

// Where ALSA finds no sound card (as on a build machine) the game opens no
// device and nothing at all reaches standard error.
TEST(MixerTest, NoDeviceStaysQuiet)
{
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    testing::internal::CaptureStderr();
    int opened = AudioOpen();
    AudioClose();
    std::string printed = testing::internal::GetCapturedStderr();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!opened) {
        EXPECT_EQ(printed, "");
    }
}
