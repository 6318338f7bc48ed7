// The player's language and every text the game shows in it. The running
// game reads its texts through Tr() each time it draws them, so a change of
// language shows on the next frame.
#pragma once

enum Language {
    LANGUAGE_JAPANESE = 0,
    LANGUAGE_ENGLISH = 1,
    LANGUAGE_COUNT
};

// The language the locale asks for: the first of LC_ALL, LC_MESSAGES and
// LANG that is set and not empty decides; "ja..." is Japanese, anything else
// (also "C" and no locale at all) English. Null stands for unset.
int LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang);
// The same from this process's environment.
int SystemLanguage();

int  CurrentLanguage();
void SetLanguage(int language);        // out of range gives English
// A language's own name in that language ("日本語", "English").
const char* LanguageName(int language);

// Keys of the texts, grouped by screen. Every key has a text in every
// language (a test walks the table).
enum TextId {
    // options
    TEXT_OPTION_LANGUAGE,
    TEXT_OPTION_MORE,
    // more settings
    TEXT_SETTINGS_HEADING,
    TEXT_SETTING_SCREEN_LAMPS,
    TEXT_SETTING_SOUND,
    TEXT_SETTING_GHOST,
    TEXT_SETTING_MASTER_VOLUME,
    TEXT_SETTING_MUSIC_VOLUME,
    TEXT_SETTING_EFFECTS_VOLUME,
    TEXT_SETTING_MUTE_UNFOCUSED,
    TEXT_SETTING_VSYNC,
    TEXT_SETTING_PICTURE,
    TEXT_SETTINGS_BACK,
    // values shared by many settings
    TEXT_VALUE_ON,
    TEXT_VALUE_OFF,
    TEXT_VALUE_SHOWN,
    TEXT_VALUE_HIDDEN,
    TEXT_VALUE_PICTURE_FRAME,
    TEXT_VALUE_PICTURE_FILL,
    // start-up, on the terminal
    TEXT_NO_DISPLAY,
    TEXT_COUNT
};

// The text in the player's language, UTF-8; never null.
const char* Tr(TextId id);
const char* TrIn(TextId id, int language);
