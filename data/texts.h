// The player's language and every text the game shows in it. The running
// game reads its texts through Tr() each time it draws them, so a change of
// language shows on the next frame.
#pragma once
#include <cstddef>

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
// The folder below the game folder that holds a language's own files ("ja",
// "en"): sprite sheets, course descriptions, course names.
const char* LanguageFolder(int language);
// The name to open for the data file `name` in the player's language: the
// same name inside the language's folder when that file exists there, else
// `name` itself. Each file falls back on its own, so a course pack or a
// sheet set with only its original files keeps working.
void LanguageFileName(const char* name, char* out, size_t outSize);
void LanguageFileNameIn(int language, const char* name, char* out, size_t outSize);

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
    // the window
    TEXT_WINDOW_TITLE,
    // course select: the record beside the course name
    TEXT_NO_RECORD,
    TEXT_BEST_TIME,               // minutes, seconds, milliseconds
    // message boxes
    TEXT_MSG_SPRITE_INI,
    TEXT_MSG_SHEET_PICTURE,       // the picture's name
    TEXT_MSG_DEF_INI,
    TEXT_MSG_COURSE_INI,
    TEXT_MSG_LINE_ERROR,          // line number, one of the three below
    TEXT_MSG_TOO_MANY_COURSES,
    TEXT_MSG_COURSE_NUMBER,
    TEXT_MSG_UNKNOWN_SHAPE,
    TEXT_MSG_MESH_FILE,
    TEXT_MSG_MESH_TEXTURE,
    TEXT_MSG_NO_DESCRIPTION,      // the description's name
    TEXT_MSG_FIELD_TEXTURE,       // the texture's name
    TEXT_MSG_HEIGHT_MAP,          // why (one of TEXT_BMP_...), the file's name
    TEXT_MSG_TERRAIN_TOO_BIG,     // the height map's name
    TEXT_MSG_TERRAIN_MEMORY,      // the height map's name
    TEXT_MSG_VERTEX_BUFFER,
    TEXT_MSG_INDEX_BUFFER,
    // why a height map is refused
    TEXT_BMP_TOO_SHORT,
    TEXT_BMP_FORMAT,
    TEXT_BMP_DEPTH,
    TEXT_BMP_COMPRESSED,
    TEXT_BMP_SIZE,
    TEXT_BMP_PIXELS_OUTSIDE,
    TEXT_BMP_MEMORY,
    TEXT_VALUE_PICTURE_FRAME,
    TEXT_VALUE_PICTURE_FILL,
    // start-up, on the terminal
    TEXT_NO_DISPLAY,
    // course packs: a skipped pack on course select and the terminal (the
    // formats take the pack's name and the reason, then the reason's line,
    // course number or file), and the pack a course comes from
    TEXT_PACK_SKIPPED,
    TEXT_PACK_UNREADABLE,
    TEXT_PACK_NO_COURSES,
    TEXT_PACK_TOO_MANY,
    TEXT_PACK_BAD_FIELD_NUM,
    TEXT_PACK_BAD_SHAPE,
    TEXT_PACK_EMPTY_COURSE,
    TEXT_PACK_MISSING_FILE,
    TEXT_PACK_SAME_NAME,
    TEXT_PACK_MORE_SKIPPED,
    TEXT_PACK_LABEL,
    // medals, the ghost choice, watching a run
    TEXT_VALUE_GHOST_BEST,
    TEXT_VALUE_GHOST_PAR,
    TEXT_VALUE_NONE,
    TEXT_MEDAL_GOLD,
    TEXT_MEDAL_SILVER,
    TEXT_MEDAL_BRONZE,
    TEXT_TITLE_MEDALS,
    TEXT_SELECT_PAR,
    TEXT_SELECT_WATCH_BEST,
    TEXT_SELECT_WATCH_PAR,
    TEXT_WATCH_BEST_RUN,
    TEXT_WATCH_PAR_RUN,
    TEXT_WATCH_BACK,
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
    // course select: a course whose height map is refused says so in its
    // description panel instead of a message box (why, the file's name)
    TEXT_SELECT_HEIGHT_MAP,
    TEXT_COUNT
};

// The text in the player's language, UTF-8; never null. Texts whose key
// says what they are given are printf formats taking exactly that.
const char* Tr(TextId id);
const char* TrIn(TextId id, int language);
