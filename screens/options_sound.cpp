// The options screen's sound rows: three volumes shown as a number and a bar
// of ten pips, and the background mute as on / off. The texts are made into
// glyphs the first time the rows are drawn and kept until released.
#include <initializer_list>

#include "data/extras.h"
#include "render/course_text.h"
#include "render/sprites.h"
#include "screens/screens_local.h"

namespace {

const uint32_t kInk = 0xFF1E2A44u;          // the menu lettering's colour
const uint32_t kPipOff = 0xFFC8D0DCu;
const int kLabelFont = 20;
const int kValueFont = 22;
const float kLabelX = 152, kFirstValueX = 321, kValueStep = 112, kCursorX = 265;
const float kFirstPipX = 380, kPipStep = 19, kPipSide = 13;

// What the player reads; English beside each.
const char16_t* const kLabels[OPTION_SOUND_ROWS] = {
    u"全体の音量",     // Master volume
    u"音楽の音量",     // Music volume
    u"効果音の音量",   // Effects volume
    u"背景で消音",     // Mute in the background
};
const char16_t kDigits[] = u"0123456789";
const char16_t kOn[] = u"オン";    // On
const char16_t kOff[] = u"オフ";   // Off

struct TextRun {
    Glyph* glyphs;
    int count;
    TextMetrics metrics;
};

struct SoundRowText {
    TextRun labels[OPTION_SOUND_ROWS];
    TextRun digits;
    TextRun on, off;
    bool made;
};
SoundRowText text;

int32_t* VolumeOfRow(int row)
{
    int32_t* volumes[3] = {&extras.masterVolume, &extras.musicVolume, &extras.effectsVolume};
    return row < 3 ? volumes[row] : nullptr;
}

void Make(TextRun* run, const char16_t* string, int font)
{
    run->glyphs = MakeGlyphs(string, font, &run->count, &run->metrics);
}

void MakeTexts()
{
    if (text.made)
        return;
    for (int row = 0; row < OPTION_SOUND_ROWS; row++) Make(&text.labels[row], kLabels[row], kLabelFont);
    Make(&text.digits, kDigits, kValueFont);
    Make(&text.on, kOn, kValueFont);
    Make(&text.off, kOff, kValueFont);
    text.made = true;
}

float RunWidth(const TextRun& run, int from, int count)
{
    float width = 0;
    for (int k = from; k < from + count && k < run.count; k++) width += run.glyphs[k].advanceX;
    return width;
}

// Glyphs [from, from + count) of the run, centred on (x, y).
void QueueRun(const TextRun& run, int from, int count, float x, float y)
{
    float pen = x - RunWidth(run, from, count) / 2;
    float top = y - run.metrics.height / 2.0f;
    for (int k = from; k < from + count && k < run.count; k++) {
        const Glyph& g = run.glyphs[k];
        QueueGlyph(g, pen + g.originX, top + (run.metrics.ascent - g.originY), 1, kInk);
        pen += g.advanceX;
    }
}

void QueueNumber(int value, float x, float y)
{
    if (value >= 10) {
        float half = RunWidth(text.digits, 1, 1) / 2;
        QueueRun(text.digits, 1, 1, x - half, y);
        QueueRun(text.digits, 0, 1, x + half, y);
    } else {
        QueueRun(text.digits, value, 1, x, y);
    }
}

void DrawVolume(int value, float y)
{
    QueueNumber(value, kFirstValueX, y);
    for (int pip = 0; pip < EXTRAS_VOLUME_MAX; pip++)
        DrawSprite(SHEET_NONE, 0, pip < value ? kInk : kPipOff, 0, DEPTH_SPRITE, 0,
                   kFirstPipX + kPipStep * pip, y, kPipSide, kPipSide);
}

}  // namespace

void DrawOptionSoundRow(int row, float y, bool editing, float pulse)
{
    MakeTexts();
    QueueRun(text.labels[row], 0, text.labels[row].count, kLabelX, y);
    int choice = 0;
    if (int32_t* volume = VolumeOfRow(row)) {
        DrawVolume(*volume, y);
    } else {
        QueueRun(text.on, 0, text.on.count, kFirstValueX, y);
        QueueRun(text.off, 0, text.off.count, kFirstValueX + kValueStep, y);
        choice = extras.muteUnfocused ? 0 : 1;
    }
    float side = editing ? 32 - pulse : 32;
    DrawSprite(SHEET_CURSOR, 1, 0xFFFFFFFF, 0, DEPTH_SPRITE, 0, kCursorX + kValueStep * choice, y, side, side);
}

void ChangeOptionSoundRow(int row, int by)
{
    if (int32_t* volume = VolumeOfRow(row)) {
        int value = *volume + by;
        *volume = value < 0 ? 0 : value > EXTRAS_VOLUME_MAX ? EXTRAS_VOLUME_MAX : value;
    } else {
        extras.muteUnfocused = !extras.muteUnfocused;
    }
}

void ReleaseOptionSoundText()
{
    for (TextRun* run : {&text.labels[0], &text.labels[1], &text.labels[2], &text.labels[3],
                         &text.digits, &text.on, &text.off})
        FreeGlyphs(run->glyphs, run->count);
    text = SoundRowText{};
}
