// The checker's own words in both languages. The report is in the language
// the game in the checked folder would show: the choice kept in its
// extras.sav where it has one, else the locale's.
#include "tools/check/check.h"

#include <cstdarg>
#include <cstdio>

#include "data/texts.h"

namespace {

struct CheckWords {
    CheckText id;
    const char* text[LANGUAGE_COUNT];   // Japanese, English; printf formats
};

// In CheckText order.
const CheckWords kWords[] = {
    {CHECK_USAGE,
     {"使い方: kestrune-check [ゲームのフォルダ] [--pack フォルダ] [--play] [--write-par] [--json]\n"
      "        kestrune-check --new フォルダ\n"
      "  ゲームのフォルダ  def.ini、course.ini、sprite.ini のあるフォルダ (省略時はゲーム自身のフォルダ)\n"
      "  --pack フォルダ   そのフォルダのコースパック (course.ini とそのファイル) をゲームのフォルダと合わせて調べる\n"
      "  --play            すべてのコースを自動操縦でも走らせる (それぞれゲーム内の時間で最長3分)。\n"
      "                    パックでは、ゴールした走りをそのコースのパーのタイムと走りとして書く (par/)\n"
      "  --json            結果 (と走った記録) を一つの JSON として標準出力に書く\n"
      "  --write-par       ゲームのフォルダのコースを (--play のように) 走らせ、ゴールした走りを par/ に\n"
      "                    そのコースのパーのタイム (par/course<N>.par) と走り (par/course<N>.gho) として書く\n"
      "  --new フォルダ    新しいか空のフォルダに始めのパックを書き、次にすることを示す\n",
      "usage: kestrune-check [GAME_FOLDER] [--pack DIR] [--play] [--write-par] [--json]\n"
      "       kestrune-check --new DIR\n"
      "  GAME_FOLDER  the folder holding def.ini, course.ini and sprite.ini (default: the game's own)\n"
      "  --pack DIR   check the course pack in DIR (its course.ini and files) against that game folder\n"
      "  --play       also race every course with the autopilot (3 minutes of game time at most each);\n"
      "               for a pack, each finished race is written as the course's par time and run (par/)\n"
      "  --json       the findings (and races) as one JSON document on standard output\n"
      "  --write-par  race the game folder's courses (as --play) and write each finished race into par/ as the\n"
      "               course's par time (par/course<N>.par) and par run (par/course<N>.gho)\n"
      "  --new DIR    write a starter pack into DIR (a new or empty folder) and say what to do next\n"}},
    {CHECK_NOT_A_FOLDER, {"kestrune-check: '%s' はフォルダではありません\n", "kestrune-check: '%s' is not a folder\n"}},
    {CHECK_CHECKING, {"%s を調べています\n", "Checking %s\n"}},
    {CHECK_SUMMARY, {"エラー %d 件%.0s、警告 %d 件%.0s\n", "%d error%s, %d warning%s\n"}},
    {CHECK_NO_RACE_COPY, {"走らせるためのフォルダの写しを作る場所がありません", "no room for a copy of the folder to race in"}},
    {CHECK_GAME_DOES_NOT_START, {"ゲームが始まらないので、どのコースも走らせられません",
                                 "the game does not start, so no course can be raced"}},
    {CHECK_COURSE, {"コース %d", "course %d"}},
    {CHECK_FINISHED, {"%s でゴール", "finished in %s"}},
    {CHECK_NOT_FINISHED, {"3:00.000 以内にゴールできません", "not finished within 3:00.000"}},
    {CHECK_STRAIGHT, {" (自動操縦、ボール %d、ゴールへまっすぐ)", " (autopilot, ball type %d, straight for the goal)"}},
    {CHECK_ROUTE, {" (自動操縦、ボール %d、%d 行目の道順)", " (autopilot, ball type %d, route of line %d)"}},
    {CHECK_SHEET_CELLS, {"シート %d のセルは %d 個ですが、画面はセル %d を描きます",
                         "sheet %d has %d cells, but the screens draw cell %d"}},
    {CHECK_SHEET_LAYOUT, {"シート %d は %d 個のセルを並べるよう指定していますが、格子には %d 個しかありません",
                          "sheet %d asks for %d cells in a row, but its grid has %d"}},
    {CHECK_NO_PLANE_NUM, {"1行目に PLANE_NUM:[n] がないので、シートは一つも読まれません",
                          "the first line holds no PLANE_NUM:[n], so no sheet is read"}},
    {CHECK_FEW_SHEETS, {"読み込まれたシートは %d 枚ですが、画面はシート 0 から %d を描きます",
                        "%d sheets loaded; the screens draw sheets 0 to %d"}},
    {CHECK_EMPTY_LINE, {"ゲームはこの空行でファイルを読み終えます。この後の行は読まれません",
                        "this empty line ends the file for the game; the lines after it are not read"}},
    {CHECK_BALL_MATERIAL, {"ボール %u は球のメッシュの材質 %u で描かれますが、メッシュの材質は %u 個です",
                           "ball type %u is drawn with sphere material %u, but the mesh has %u"}},
    {CHECK_NO_MESH_LINE, {"%s の行がないので、その形は描かれません", "no %s line: that shape is not drawn"}},
    {CHECK_START_OUTSIDE, {"START の x と z は 0 から 1 の間でなければなりません (マップに対する割合)",
                           "START x and z must lie between 0 and 1 (map fractions)"}},
    {CHECK_GOAL_OUTSIDE, {"GOAL の辺は 0 から 1 の間でなければなりません (マップに対する割合)",
                          "GOAL edges must lie between 0 and 1 (map fractions)"}},
    {CHECK_GOAL_EMPTY, {"GOAL が空か逆向きです。[x 始][z 始][x 終][z 終] で始が終より小さくないと、ボールは届きません",
                        "GOAL is empty or inverted: it is [x from][z from][x to][z to] with from below to, "
                        "so no ball can reach it"}},
    {CHECK_NO_DESCRIPTION, {"説明文 '%s' が見つからないので、コースセレクトには何も表示されません",
                            "the description '%s' cannot be found; course select shows none"}},
    {CHECK_LONG_DESCRIPTION, {"説明文が %ld バイトあります。8192 を超えるとゲームは何も表示しません",
                              "the description is %ld bytes; over 8192 the game shows none"}},
    {CHECK_TEXTURE_SIDES, {"地面のテクスチャが %d x %d です。辺が2のべき乗でないと、古いカードでは遅いかぼやけます",
                           "the field texture is %d x %d; sides that are not powers of two are slow or blurred on "
                           "older cards"}},
    {CHECK_BIG_HEIGHT_MAP, {"高さマップが %d x %d です。255 x 255 を超えると地形の描画が遅くなります",
                            "the height map is %d x %d; above 255 x 255 the terrain is slow to draw"}},
    {CHECK_MATERIAL, {"材質 %d は、材質が %u 個の %s メッシュ (def.ini) にありません",
                      "material %d is beyond the %u materials of the %s mesh def.ini names"}},
    {CHECK_START_NO_TERRAIN, {"START の下に地形がないので、ボールはすぐに落ちます",
                              "START lies above no terrain: the ball falls off at once"}},
    {CHECK_START_UNDERGROUND, {"START が地面より下なので、ボールは地形の中から始まります",
                               "START is below the ground there: the ball starts inside the terrain"}},
    {CHECK_START_IN_OBSTACLE, {"START が %d 行目の障害物の中にあります", "START lies inside the obstacle of line %d"}},
    {CHECK_EMPTY_COURSE, {"FIELD_NUM:[%d] の区切りがないので、空のコースです",
                          "no FIELD_NUM:[%d] section fills it: it is an empty course"}},
    {CHECK_EMPTY_COURSES, {"コース %d から %d: FIELD_NUM の区切りがないので、空のコースです",
                           "courses %d to %d: no FIELD_NUM section fills them: they are empty courses"}},
    {CHECK_NO_HEIGHT_MAP, {"高さマップ '%s' が開けないので、このコースは走れません",
                           "the height map '%s' cannot be opened; the course cannot be raced"}},
    {CHECK_NO_FIELD_TOTAL, {"FIELD_TOTAL:[n] の行がないので、ゲームにはコースがありません",
                            "no FIELD_TOTAL:[n] line: the game has no courses"}},
    {CHECK_TEXT_NO_COURSE, {"FIELD_NUM:[%d] というコースはありません (course.ini のコースは %d 個)。この区切りは使われません",
                            "FIELD_NUM:[%d] names no course (course.ini has %d); this section is not used"}},
    {CHECK_TEXT_NO_NUMBER, {"この行より前に FIELD_NUM:[n] がないので、どのコースのものか分かりません。この行は使われません",
                            "no FIELD_NUM:[n] before this line says which course it is for; it is not used"}},
    {CHECK_TEXT_UNREADABLE, {"この行は読めません。FIELD_NUM:[n]、FIELD_NAME:[[名前]]、DOCUMENT:[[ファイル]] を書いてください",
                             "this line cannot be read: it needs FIELD_NUM:[n], FIELD_NAME:[[name]] or "
                             "DOCUMENT:[[file]]"}},
    {CHECK_TEXT_NO_DESCRIPTION, {"コース %d: 説明文 '%s' が見つからないので、コースセレクトには何も表示されません",
                                 "course %d: the description '%s' cannot be found; course select shows none"}},
    {CHECK_PACK_NOT_A_FOLDER, {"kestrune-check: --pack '%s' はフォルダではありません\n",
                               "kestrune-check: --pack '%s' is not a folder\n"}},
    {CHECK_PACK_SKIPPED, {"ゲームはこのパックを読み飛ばします: %s", "the game skips this pack: %s"}},
    {CHECK_PACK_UNOPENED, {"パックの course.ini が開けません", "the pack's course.ini cannot be opened"}},
    {CHECK_NO_RACE_FOLDER, {"走らせるためのフォルダを作る場所がありません", "no room for a folder to race in"}},
    {CHECK_PACK_NOT_RACED, {"ゲームがこのパックを読み飛ばすので、どのコースも走らせられません",
                            "the game skips this pack, so no course can be raced"}},
    {CHECK_PAR_WRITTEN, {"コース %d: パー %s を書きました", "course %d: par %s written"}},
    {CHECK_PAR_NOT_WRITTEN, {"コース %d: パーが書けません: %s", "course %d: the par cannot be written: %s"}},
    {CHECK_PAR_UNREADABLE, {"パーのファイルではありません (PAR:[m:ss.sss] の行)。コース %d にメダルはありません",
                            "not a par file (a line PAR:[m:ss.sss]); course %d has no medals"}},
};
static_assert(sizeof kWords / sizeof kWords[0] == CHECK_TEXT_COUNT, "one row per checker text");

}  // namespace

std::string Say(CheckText id, ...)
{
    if (id < 0 || id >= CHECK_TEXT_COUNT || kWords[id].id != id) return "";
    int language = CurrentLanguage();
    char text[2048];
    va_list args;
    va_start(args, id);
    vsnprintf(text, sizeof text, kWords[id].text[language], args);
    va_end(args);
    return text;
}
