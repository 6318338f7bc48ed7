// Board-less feedback: cues become speaker tones only while no board is
// connected, the tone mixer's pitch, length and mixing, and the extras file.
#include <cmath>
#include <vector>

#include "data/extras.h"
#include "data/texts.h"
#include "platform/audio.h"
#include "platform/tone_mixer.h"
#include "sensor/board_local.h"
#include "support/data_files.h"

namespace {

const int kRate = 48000;

// Zero crossings from below, over the sounding part only.
int RisingCrossings(const std::vector<float>& samples)
{
    int crossings = 0;
    for (size_t i = 1; i < samples.size(); i++)
        if (samples[i - 1] < 0.0f && samples[i] >= 0.0f) crossings++;
    return crossings;
}

int LastSoundingSample(const std::vector<float>& samples)
{
    for (int i = int(samples.size()) - 1; i >= 0; i--)
        if (samples[i] != 0.0f) return i;
    return -1;
}

std::vector<float> Render(const std::vector<ToneRequest>& tones, int frames)
{
    static ToneMixer mixer;
    ToneMixerReset(&mixer, kRate);
    for (const ToneRequest& t : tones) ToneMixerPush(&mixer, t.frequencyHz, t.lengthMs);
    std::vector<float> out(size_t(frames), 0.0f);
    // In callback-sized pieces, as the audio device asks for them.
    for (int at = 0; at < frames; at += 512)
        ToneMixerRender(&mixer, out.data() + at, frames - at < 512 ? frames - at : 512);
    return out;
}

}  // namespace

// Each cue's pitch is the board's clock over word A, its length word B x 16 ms;
// a connected board takes the cue itself, and muting silences the speakers.
TEST(FeedbackTest, CuesSoundOnlyWithoutABoard)
{
    struct { BoardCue cue; float hz; uint32_t ms; } expected[] = {
        {CueClick, 2048.0f, 16}, {CueTick, 341.33334f, 16}, {CueConfirm, 1024.0f, 96},
        {CueCount, 768.0f, 64},  {CueGo, 2048.0f, 384}};
    boardLink.boardConnected.store(0);
    AudioSetMuted(0);
    for (const auto& e : expected) {
        int before = AudioQueuedTones().count;
        RaiseCue(e.cue);
        AudioToneLog log = AudioQueuedTones();
        EXPECT_EQ(log.count, before + 1);
        EXPECT_FLOAT_EQ(log.lastFrequencyHz, e.hz);
        EXPECT_EQ(log.lastLengthMs, e.ms);
    }
    int before = AudioQueuedTones().count;
    boardLink.boardConnected.store(1);
    RaiseCue(CueGo);
    EXPECT_EQ(boardLink.soundWordB.load(), 24);   // still handed to the board
    boardLink.boardConnected.store(0);
    AudioSetMuted(1);
    RaiseCue(CueGo);
    AudioSetMuted(0);
    EXPECT_EQ(AudioQueuedTones().count, before);
}

// A tone has the asked pitch and length; two overlapping tones add up.
TEST(FeedbackTest, MixerPitchLengthAndMixing)
{
    std::vector<float> count = Render({{768.0f, 64}}, kRate / 10);
    EXPECT_EQ(LastSoundingSample(count), kRate * 64 / 1000 - 2);   // the last sample fades to 0
    EXPECT_NEAR(RisingCrossings(count), 768 * 64 / 1000, 1);
    EXPECT_LT(std::fabs(count[0]), 1e-6f);                        // no click at the start

    std::vector<float> go = Render({{2048.0f, 384}}, kRate / 10);
    std::vector<float> both = Render({{768.0f, 64}, {2048.0f, 384}}, kRate / 10);
    for (size_t i = 0; i < both.size(); i++)
        ASSERT_NEAR(both[i], count[i] + go[i], 1e-5f) << "sample " << i;
}

class ExtrasTest : public DataFilesTest {};

// Missing file: defaults; a file from an older game with one entry keeps the
// later choices at their defaults; a save reads back; a damaged file's value
// out of its choice's range takes the default.
TEST_F(ExtrasTest, DefaultsShortFileAndRoundTrip)
{
    LoadExtras();
    EXPECT_EQ(extras.lampsShown, 1);
    EXPECT_EQ(extras.muted, 0);
    EXPECT_EQ(extras.ghostShown, 1);
    EXPECT_EQ(extras.masterVolume, 8);
    EXPECT_EQ(extras.musicVolume, 6);
    EXPECT_EQ(extras.effectsVolume, 8);
    EXPECT_EQ(extras.muteUnfocused, 1);
    WriteBytes("extras.sav", LittleEndianWords({0}));
    LoadExtras();
    EXPECT_EQ(extras.lampsShown, 0);
    EXPECT_EQ(extras.ghostShown, 1);
    EXPECT_EQ(extras.musicVolume, 6);
    extras = Extras{};   // the fields appended later keep their zeros
    extras.muted = 1;
    extras.language = LANGUAGE_JAPANESE;
    extras.masterVolume = 3;
    extras.effectsVolume = 10;
    extras.ghostChoice = GHOST_NONE;
    ASSERT_EQ(SaveExtras(), 1);
    // Later extras are appended: the first words keep their places.
    EXPECT_EQ(ReadBytes("extras.sav").substr(0, 32), LittleEndianWords({0, 1, 0, LANGUAGE_JAPANESE, 3, 0, 10, 0}));
    extras = Extras{};
    LoadExtras();
    EXPECT_EQ(extras.muted, 1);
    EXPECT_EQ(extras.language, LANGUAGE_JAPANESE);
    EXPECT_EQ(CurrentLanguage(), LANGUAGE_JAPANESE);
    EXPECT_EQ(extras.masterVolume, 3);
    EXPECT_EQ(extras.musicVolume, 0);
    EXPECT_EQ(extras.effectsVolume, 10);
    EXPECT_EQ(extras.muteUnfocused, 0);
    // A damaged file: a volume out of 0..10 takes its default.
    WriteBytes("extras.sav", LittleEndianWords({7, 1, 1, 0, 11, 0xFFFFFFFFu, 4, 2}));
    LoadExtras();
    EXPECT_EQ(extras.lampsShown, 1);
    EXPECT_EQ(extras.masterVolume, 8);
    EXPECT_EQ(extras.musicVolume, 6);
    EXPECT_EQ(extras.effectsVolume, 4);
    EXPECT_EQ(extras.muteUnfocused, 1);
    EXPECT_EQ(extras.ghostChoice, GHOST_BEST);   // a file without the choice: the ghost switch says shown
}

// The ghost choice: a file from before it keeps the ghost switch's meaning
// (hidden is none, shown is the best run); the par choice reads back and
// keeps the old switch word saying "shown"; F9 hides the ghost and brings
// back the one chosen before.
TEST_F(ExtrasTest, GhostChoiceFromOlderFilesAndF9)
{
    extras = Extras{};
    extras.language = LANGUAGE_JAPANESE;
    extras.ghostChoice = GHOST_NONE;
    ASSERT_EQ(SaveExtras(), 1);
    extras = Extras{};
    LoadExtras();
    EXPECT_EQ(extras.ghostChoice, GHOST_NONE);
    WriteBytes("extras.sav", LittleEndianWords({1, 0, 0, LANGUAGE_ENGLISH}));
    LoadExtras();
    EXPECT_EQ(extras.ghostChoice, GHOST_NONE);
    WriteBytes("extras.sav", LittleEndianWords({1, 0, 1}));
    LoadExtras();
    EXPECT_EQ(extras.ghostChoice, GHOST_BEST);
    extras.ghostChoice = GHOST_PAR;
    GhostChoiceChanged();
    ASSERT_EQ(SaveExtras(), 1);
    EXPECT_EQ(ReadBytes("extras.sav").substr(8, 4), LittleEndianWords({1}));
    extras = Extras{};
    LoadExtras();
    EXPECT_EQ(extras.ghostChoice, GHOST_PAR);
    ToggleGhost();
    EXPECT_EQ(extras.ghostChoice, GHOST_NONE);
    EXPECT_EQ(extras.ghostShown, 0);
    ToggleGhost();
    EXPECT_EQ(extras.ghostChoice, GHOST_PAR);
    // The choice after the picture's and the window's words, out of range.
    WriteBytes("extras.sav", LittleEndianWords({1, 0, 1, LANGUAGE_ENGLISH, 8, 6, 8, 1, 1, 0, 0, 0, 0, 0, 0, 0, 7}));
    LoadExtras();
    EXPECT_EQ(extras.ghostChoice, GHOST_BEST);
}
