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
    {TEXT_SETTINGS_BACK, {"もどる", "Back"}},
    {TEXT_VALUE_ON, {"オン", "On"}},
    {TEXT_VALUE_OFF, {"オフ", "Off"}},
    {TEXT_VALUE_SHOWN, {"表示", "Shown"}},
    {TEXT_VALUE_HIDDEN, {"非表示", "Hidden"}},
    {TEXT_NO_DISPLAY,
     {"ケストルーン: ディスプレイがありません。デスクトップの画面から起動してください"
      "（DISPLAY または WAYLAND_DISPLAY が設定されていません）。",
      "Kestrune: no display. Start the game from a desktop session "
      "(neither DISPLAY nor WAYLAND_DISPLAY leads to one)."}},
    {TEXT_PACK_SKIPPED, {"コースパック「%s」は読み込めません: %s", "Course pack '%s' skipped: %s"}},
    {TEXT_PACK_UNREADABLE, {"course.ini が読めません", "its course.ini cannot be read"}},
    {TEXT_PACK_NO_COURSES,
     {"course.ini に 1 以上の FIELD_TOTAL:[n] がありません", "its course.ini has no FIELD_TOTAL:[n] of 1 or more"}},
    {TEXT_PACK_TOO_MANY, {"course.ini %d 行目: コースが多すぎます", "course.ini line %d: too many courses"}},
    {TEXT_PACK_BAD_FIELD_NUM,
     {"course.ini %d 行目: FIELD_NUM が 0 から FIELD_TOTAL - 1 の外です",
      "course.ini line %d: FIELD_NUM is outside 0 to FIELD_TOTAL - 1"}},
    {TEXT_PACK_BAD_SHAPE,
     {"course.ini %d 行目: 形状が BOX、SPHERE、PILLAR のどれでもありません",
      "course.ini line %d: the shape is not BOX, SPHERE or PILLAR"}},
    {TEXT_PACK_EMPTY_COURSE, {"コース %d に HEIGHT_MAP がありません", "course %d has no HEIGHT_MAP"}},
    {TEXT_PACK_MISSING_FILE, {"コース %d のファイル '%s' がありません", "course %d: the file '%s' is not there"}},
    {TEXT_PACK_SAME_NAME,
     {"同じ名前のフォルダーのパックが先にあります (%s)", "a pack in a folder of the same name comes first (%s)"}},
    {TEXT_PACK_MORE_SKIPPED,
     {"ほかに %d 個のパックを読み込めません（端末に表示）", "Skipped packs besides this one: %d (see the terminal)"}},
    {TEXT_PACK_LABEL, {"パック: %s", "Pack: %s"}},
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
