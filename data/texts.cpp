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
    {TEXT_SETTING_MOUSE_STEERING, {"マウスで操作", "Mouse steering"}},
    {TEXT_SETTING_MOUSE_SENSITIVITY, {"マウスの感度", "Mouse sensitivity"}},
    {TEXT_SETTING_KEY_RAMP, {"キーの傾きの立ち上がり", "Key tilt ramp"}},
    {TEXT_SETTING_REDUCED_MOTION, {"動きをひかえる", "Reduced motion"}},
    {TEXT_SETTING_CONTROLS, {"キーとボタンの設定", "Controls"}},
    {TEXT_SETTING_CALIBRATION, {"センサーの調整", "Calibration"}},
    {TEXT_CONTROLS_HEADING, {"キーとボタンの設定", "Controls"}},
    {TEXT_CONTROLS_KEYS, {"キー", "Keys"}},
    {TEXT_CONTROLS_PAD, {"パッド", "Pad"}},
    {TEXT_ACTION_TILT_UP, {"上に傾ける", "Tilt up"}},
    {TEXT_ACTION_TILT_DOWN, {"下に傾ける", "Tilt down"}},
    {TEXT_ACTION_TILT_LEFT, {"左に傾ける", "Tilt left"}},
    {TEXT_ACTION_TILT_RIGHT, {"右に傾ける", "Tilt right"}},
    {TEXT_ACTION_HALF_TILT, {"半分だけ傾ける", "Half tilt"}},
    {TEXT_ACTION_LIFT, {"持ち上げる", "Lift"}},
    {TEXT_ACTION_DROP, {"落とす (ジャンプ)", "Drop (jump)"}},
    {TEXT_ACTION_CONFIRM, {"決定 / ポーズ", "Confirm / pause"}},
    {TEXT_ACTION_CAMERA_DISTANCE, {"カメラの距離", "Camera distance"}},
    {TEXT_ACTION_CAMERA_PITCH, {"カメラの角度", "Camera pitch"}},
    {TEXT_ACTION_QUICK_RETRY, {"すぐにやり直す", "Quick retry"}},
    {TEXT_CONTROLS_DEFAULTS, {"最初の設定にもどす", "Restore the defaults"}},
    {TEXT_CONTROLS_HINT, {"枠を選んでボタンを押し、新しいキーかボタンを押してください",
                          "Choose a box, press the button, then the new key or pad button"}},
    {TEXT_CONTROLS_PRESS_KEY, {"「%s」のキーを押してください (Esc でやめる)",
                               "Press a key for %s (Esc cancels)"}},
    {TEXT_CONTROLS_PRESS_BUTTON, {"「%s」のパッドのボタンを押してください (Esc でやめる)",
                                  "Press a pad button for %s (Esc cancels)"}},
    {TEXT_CONTROLS_SWAPPED, {"%s は「%s」から移り、入れ替えました", "%s moved here from %s: the two swapped"}},
    {TEXT_CONTROLS_RESERVED, {"%s はゲームが使うので設定できません", "%s is kept for the game's own use"}},
    {TEXT_CONTROLS_ONLY_KEY, {"%s は「%s」のただ一つのキーなので移せません",
                              "%s is the only key of %s, so it stays there"}},
    {TEXT_CONTROLS_RESTORED, {"最初の設定にもどしました", "The defaults are back"}},
    {TEXT_CONTROLS_CONFLICT, {"赤い名前は二つの操作に使われています", "A name in red does two things"}},
    {TEXT_CALIBRATION_HEADING, {"センサーの調整", "Calibration"}},
    {TEXT_CALIBRATION_BOARD, {"センサーボード", "Sensor board"}},
    {TEXT_CALIBRATION_PAD, {"パッド %s", "Pad %s"}},
    {TEXT_CALIBRATION_NO_DEVICE, {"ボードか、傾きセンサーのあるパッドをつないでください",
                                  "Connect the board, or a pad with a motion sensor"}},
    {TEXT_CALIBRATION_LEVEL, {"水平を決める", "Set level"}},
    {TEXT_CALIBRATION_RANGE, {"傾きの幅を決める", "Set range"}},
    {TEXT_CALIBRATION_DEAD_ZONE, {"あそび", "Dead zone"}},
    {TEXT_CALIBRATION_CURVE, {"反応", "Response"}},
    {TEXT_CALIBRATION_INVERT_X, {"左右を逆に", "Invert left/right"}},
    {TEXT_CALIBRATION_INVERT_Z, {"前後を逆に", "Invert forward/back"}},
    {TEXT_CALIBRATION_FORGET, {"調整を消す", "Forget the calibration"}},
    {TEXT_CALIBRATION_HOLD_LEVEL, {"水平にして、動かさずに持ってください", "Hold it level and still"}},
    {TEXT_CALIBRATION_TIP, {"左・右・前・後にいっぱいまで傾けてから、ボタンを押してください",
                            "Tip it fully left, right, forward and back, then press the button"}},
    {TEXT_CALIBRATION_TOO_SMALL, {"傾きが足りないので、幅は前のままです",
                                  "Not tipped far enough each way: the range is unchanged"}},
    {TEXT_CALIBRATION_KEPT, {"調整を保存しました", "Calibration kept"}},
    {TEXT_CALIBRATION_NONE, {"調整なし: 読みのまま操作します", "Not calibrated: the readings steer as they are"}},
    {TEXT_CALIBRATION_PAD_HINT, {"パッドは右ショルダーを押している間、傾きで操作します",
                                 "The pad steers by its tilt while the right shoulder is held"}},
    {TEXT_CALIBRATION_READING, {"読み", "Reading"}},
    {TEXT_CALIBRATION_TILT, {"傾き", "Tilt"}},
    {TEXT_VALUE_LINEAR, {"比例", "Linear"}},
    {TEXT_VALUE_GENTLE, {"ゆるやか", "Gentle"}},
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
