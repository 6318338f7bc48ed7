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
    TEXT_SETTINGS_BACK,
    // values shared by many settings
    TEXT_VALUE_ON,
    TEXT_VALUE_OFF,
    TEXT_VALUE_SHOWN,
    TEXT_VALUE_HIDDEN,
    // start-up, on the terminal
    TEXT_NO_DISPLAY,
    // more settings: controls and comfort
    TEXT_SETTING_MOUSE_STEERING,
    TEXT_SETTING_MOUSE_SENSITIVITY,
    TEXT_SETTING_KEY_RAMP,
    TEXT_SETTING_REDUCED_MOTION,
    TEXT_SETTING_CONTROLS,
    TEXT_SETTING_CALIBRATION,
    // controls screen; the %s are key or action names
    TEXT_CONTROLS_HEADING,
    TEXT_CONTROLS_KEYS,
    TEXT_CONTROLS_PAD,
    TEXT_ACTION_TILT_UP,        // the actions, in Action order
    TEXT_ACTION_TILT_DOWN,
    TEXT_ACTION_TILT_LEFT,
    TEXT_ACTION_TILT_RIGHT,
    TEXT_ACTION_HALF_TILT,
    TEXT_ACTION_LIFT,
    TEXT_ACTION_DROP,
    TEXT_ACTION_CONFIRM,
    TEXT_ACTION_CAMERA_DISTANCE,
    TEXT_ACTION_CAMERA_PITCH,
    TEXT_ACTION_QUICK_RETRY,
    TEXT_CONTROLS_DEFAULTS,
    TEXT_CONTROLS_HINT,
    TEXT_CONTROLS_PRESS_KEY,
    TEXT_CONTROLS_PRESS_BUTTON,
    TEXT_CONTROLS_SWAPPED,
    TEXT_CONTROLS_RESERVED,
    TEXT_CONTROLS_ONLY_KEY,
    TEXT_CONTROLS_RESTORED,
    TEXT_CONTROLS_CONFLICT,
    // calibration screen
    TEXT_CALIBRATION_HEADING,
    TEXT_CALIBRATION_BOARD,
    TEXT_CALIBRATION_PAD,
    TEXT_CALIBRATION_NO_DEVICE,
    TEXT_CALIBRATION_LEVEL,
    TEXT_CALIBRATION_RANGE,
    TEXT_CALIBRATION_DEAD_ZONE,
    TEXT_CALIBRATION_CURVE,
    TEXT_CALIBRATION_INVERT_X,
    TEXT_CALIBRATION_INVERT_Z,
    TEXT_CALIBRATION_FORGET,
    TEXT_CALIBRATION_HOLD_LEVEL,
    TEXT_CALIBRATION_TIP,
    TEXT_CALIBRATION_TOO_SMALL,
    TEXT_CALIBRATION_KEPT,
    TEXT_CALIBRATION_NONE,
    TEXT_CALIBRATION_PAD_HINT,
    TEXT_CALIBRATION_READING,
    TEXT_CALIBRATION_TILT,
    TEXT_VALUE_LINEAR,
    TEXT_VALUE_GENTLE,
    TEXT_COUNT
};

// The text in the player's language, UTF-8; never null.
const char* Tr(TextId id);
const char* TrIn(TextId id, int language);
