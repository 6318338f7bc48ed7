// The language choice and the table of texts.
#include "data/texts.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"

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
    {TEXT_WINDOW_TITLE, {"ケストルーン - Kestrune", "Kestrune"}},
    {TEXT_NO_RECORD, {"(記録なし)", "(no record)"}},
    {TEXT_BEST_TIME, {"(記録時間:%u分%u秒%u)", "(best %u:%02u.%03u)"}},
    {TEXT_MSG_SPRITE_INI, {"テクスチャの設定ファイル'sprite.ini'が読み込めませんでした。",
                           "sprite.ini cannot be opened."}},
    {TEXT_MSG_SHEET_PICTURE, {"テクスチャファイルの読み込みに失敗しました。\nファイル名：'%s'",
                              "The sheet picture cannot be loaded.\nFile: '%s'"}},
    {TEXT_MSG_DEF_INI, {"初期設定ファイル'def.ini'が読み込めませんでした。",
                        "def.ini cannot be opened."}},
    {TEXT_MSG_COURSE_INI, {"フィールドの設定ファイル'course.ini'が読み込めませんでした。",
                           "course.ini cannot be opened."}},
    {TEXT_MSG_LINE_ERROR, {"error in %dline.\n%s", "Error in line %d.\n%s"}},
    {TEXT_MSG_TOO_MANY_COURSES, {"指定されたフィールド数が大きすぎます。",
                                 "FIELD_TOTAL is too large."}},
    {TEXT_MSG_COURSE_NUMBER, {"指定されたフィールド番号が大きすぎます。",
                              "FIELD_NUM is outside 0 to FIELD_TOTAL - 1."}},
    {TEXT_MSG_UNKNOWN_SHAPE, {"指定された形状が不明です。", "The shape is not BOX, SPHERE or PILLAR."}},
    {TEXT_MSG_MESH_FILE, {"Xファイルの読み込みに失敗しました", "The X file cannot be loaded."}},
    {TEXT_MSG_MESH_TEXTURE, {"テクスチャの読み込みに失敗しました", "A texture of the mesh cannot be loaded."}},
    {TEXT_MSG_NO_DESCRIPTION, {"コースの説明文ファイルが見つかりません\n'%s'",
                               "The course description cannot be found.\n'%s'"}},
    {TEXT_MSG_FIELD_TEXTURE, {"テクスチャの読み込みに失敗しました。\n'%s'",
                              "The field texture cannot be loaded.\n'%s'"}},
    {TEXT_MSG_HEIGHT_MAP, {"高さマップを読み込めません（%s）。\n'%s'", "The height map cannot be read (%s).\n'%s'"}},
    {TEXT_MSG_TERRAIN_TOO_BIG, {"地形が大きすぎます（物理空間の範囲 ±1000 を超えています）。\n'%s'",
                                "The terrain leaves the physics world (+-1000).\n'%s'"}},
    {TEXT_MSG_TERRAIN_MEMORY, {"地形のメモリが確保できませんでした。\n'%s'", "No memory for the terrain.\n'%s'"}},
    {TEXT_MSG_VERTEX_BUFFER, {"地形のメッシュデータの頂点バッファが作成できませんでした",
                              "The terrain's vertex buffer cannot be made."}},
    {TEXT_MSG_INDEX_BUFFER, {"地形のメッシュデータのindexバッファが作成できませんでした",
                             "The terrain's index buffer cannot be made."}},
    {TEXT_BMP_TOO_SHORT, {"ファイルが短すぎます", "the file is too short"}},
    {TEXT_BMP_FORMAT, {"対応していない形式です", "its format is not supported"}},
    {TEXT_BMP_DEPTH, {"1・4・8・16・24・32ビットの画像のみ対応しています",
                      "only 1, 4, 8, 16, 24 and 32-bit pictures are supported"}},
    {TEXT_BMP_COMPRESSED, {"圧縮された画像には対応していません", "compressed pictures are not supported"}},
    {TEXT_BMP_SIZE, {"画像の大きさが範囲外です", "the picture's size is out of range"}},
    {TEXT_BMP_PIXELS_OUTSIDE, {"画素データの位置がファイルの外を指しています", "the pixel data lies outside the file"}},
    {TEXT_BMP_MEMORY, {"メモリが足りません", "out of memory"}},
    {TEXT_VALUE_PICTURE_FRAME, {"4:3", "4:3"}},
    {TEXT_VALUE_PICTURE_FILL, {"ワイド", "Fill"}},
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
    {TEXT_VALUE_GHOST_BEST, {"自己ベスト", "Your best"}},
    {TEXT_VALUE_GHOST_PAR, {"パー", "Par"}},
    {TEXT_VALUE_NONE, {"なし", "None"}},
    {TEXT_MEDAL_GOLD, {"金メダル", "Gold"}},
    {TEXT_MEDAL_SILVER, {"銀メダル", "Silver"}},
    {TEXT_MEDAL_BRONZE, {"銅メダル", "Bronze"}},
    {TEXT_TITLE_MEDALS, {"メダル", "Medals"}},
    {TEXT_SELECT_PAR, {"パー", "Par"}},
    {TEXT_SELECT_WATCH_BEST, {"▼ 自己ベストの走りを見る", "▼ Watch your best run"}},
    {TEXT_SELECT_WATCH_PAR, {"▼ パーの走りを見る", "▼ Watch the par run"}},
    {TEXT_WATCH_BEST_RUN, {"リプレイ: 自己ベスト", "Replay: your best run"}},
    {TEXT_WATCH_PAR_RUN, {"リプレイ: パーの走り", "Replay: the par run"}},
    {TEXT_WATCH_BACK, {"ボタンで コースセレクトへ", "Button: back to course select"}},
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
    {TEXT_SELECT_HEIGHT_MAP, {"高さマップを読み込めないため、コースを表示できません（%s）：%s",
                              "The height map cannot be read (%s), so the course cannot be shown: %s"}},
};
static_assert(sizeof kTexts / sizeof kTexts[0] == TEXT_COUNT, "one row per text key");

const char* const kLanguageNames[LANGUAGE_COUNT] = {"日本語", "English"};
const char* const kLanguageFolders[LANGUAGE_COUNT] = {"ja", "en"};

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

const char* LanguageFolder(int which)
{
    return which >= 0 && which < LANGUAGE_COUNT ? kLanguageFolders[which] : "";
}

void LanguageFileName(const char* name, char* out, size_t outSize)
{
    LanguageFileNameIn(language, name, out, outSize);
}

void LanguageFileNameIn(int which, const char* name, char* out, size_t outSize)
{
    if (!out || outSize == 0)
        return;
    snprintf(out, outSize, "%s", name ? name : "");
    // An absolute name says exactly which file it means.
    if (!name || !name[0] || name[0] == '/')
        return;
    char inFolder[2048], path[2048];
    snprintf(inFolder, sizeof inFolder, "%s/%s", LanguageFolder(which), name);
    if (SysResolvePath(inFolder, path, sizeof path) && strlen(inFolder) < outSize)
        snprintf(out, outSize, "%s", inFolder);
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
