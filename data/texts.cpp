// The language choice and the table of texts.
#include "data/texts.h"

#include <cstdlib>
#include <cstring>

namespace {

struct TextRow {
    TextId id;
    const char* text[LANGUAGE_COUNT];   // Japanese, English
};

// In TextId order. A row out of place reads as an empty text rather than a
// neighbour's, and the table's test fails on it.
const TextRow kTexts[] = {
    {TEXT_OPTION_LANGUAGE, {"言語", "Language"}},
    {TEXT_OPTION_MORE, {"その他の設定", "More settings"}},
    {TEXT_SETTINGS_HEADING, {"その他の設定", "More settings"}},
    {TEXT_SETTING_SCREEN_LAMPS, {"画面のランプ (F7)", "Lamps on screen (F7)"}},
    {TEXT_SETTING_SOUND, {"音 (F8)", "Sound (F8)"}},
    {TEXT_SETTING_GHOST, {"ゴースト (F9)", "Ghost (F9)"}},
    {TEXT_SETTING_MASTER_VOLUME, {"全体の音量", "Master volume"}},
    {TEXT_SETTING_MUSIC_VOLUME, {"音楽の音量", "Music volume"}},
    {TEXT_SETTING_EFFECTS_VOLUME, {"効果音の音量", "Effects volume"}},
    {TEXT_SETTING_MUTE_UNFOCUSED, {"背景では消音", "Mute in background"}},
    {TEXT_SETTING_VSYNC, {"垂直同期", "Vsync"}},
    {TEXT_SETTING_PICTURE, {"レースの画面", "Race picture"}},
    {TEXT_SETTINGS_BACK, {"もどる", "Back"}},
    {TEXT_VALUE_ON, {"オン", "On"}},
    {TEXT_VALUE_OFF, {"オフ", "Off"}},
    {TEXT_VALUE_SHOWN, {"表示", "Shown"}},
    {TEXT_VALUE_HIDDEN, {"非表示", "Hidden"}},
    {TEXT_VALUE_PICTURE_FRAME, {"4:3", "4:3"}},
    {TEXT_VALUE_PICTURE_FILL, {"ワイド", "Fill"}},
    {TEXT_NO_DISPLAY,
     {"ケストルーン: ディスプレイがありません。デスクトップの画面から起動してください"
      "（DISPLAY または WAYLAND_DISPLAY が設定されていません）。",
      "Kestrune: no display. Start the game from a desktop session "
      "(neither DISPLAY nor WAYLAND_DISPLAY leads to one)."}},
};
static_assert(sizeof kTexts / sizeof kTexts[0] == TEXT_COUNT, "one row per text key");

const char* const kLanguageNames[LANGUAGE_COUNT] = {"日本語", "English"};

int language = LANGUAGE_ENGLISH;

bool Set(const char* value)
{
    return value && value[0];
}

}  // namespace

int LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang)
{
    const char* chosen = Set(lcAll) ? lcAll : Set(lcMessages) ? lcMessages : lang;
    return Set(chosen) && strncmp(chosen, "ja", 2) == 0 ? LANGUAGE_JAPANESE : LANGUAGE_ENGLISH;
}

int SystemLanguage()
{
    return LanguageFromLocale(getenv("LC_ALL"), getenv("LC_MESSAGES"), getenv("LANG"));
}

int CurrentLanguage()
{
    return language;
}

void SetLanguage(int chosen)
{
    language = chosen >= 0 && chosen < LANGUAGE_COUNT ? chosen : LANGUAGE_ENGLISH;
}

const char* LanguageName(int which)
{
    return which >= 0 && which < LANGUAGE_COUNT ? kLanguageNames[which] : "";
}

const char* TrIn(TextId id, int which)
{
    if (id < 0 || id >= TEXT_COUNT || kTexts[id].id != id)
        return "";
    if (which < 0 || which >= LANGUAGE_COUNT)
        which = LANGUAGE_ENGLISH;
    return kTexts[id].text[which];
}

const char* Tr(TextId id)
{
    return TrIn(id, language);
}
