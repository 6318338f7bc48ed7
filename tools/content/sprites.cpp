// The sprite sheets and "sprite.ini". A sheet's number is its place in the
// list below, and the screens draw by sheet and cell number, so the order
// and the cell layout of every sheet are fixed by the game:
//
//   0 options heading     1 yes / no            2 window frame (3 x 3)
//   3 course-select heading                     4 title menu entries
//   5 intro/miss/goal plates                    6 cursor (cell 1 points right)
//   7 preview start/goal flags                  8 start question
//   9 map icons (ball, goal)                   10 spare, drawn by no screen
//  11 pause/result labels  12 countdown 3 2 1 GO  13 time glyphs
//  14 best-time label (cell 1)  15 new-record badge  16 option rows
//  17 option presets (row x 3 + preset)  18, 19 the two rows of title letters
//
// The cell sizes below are in units, twice the size the game shows a cell
// where it is small and the shown size for the big plates. Every sheet is
// painted at kTexelsPerUnit texels per unit, so its letters and edges stay
// crisp in a picture three times 640 x 480 and more; the game samples it
// with mipmaps, so at 640 x 480 a cell looks as a cell painted at its shown
// size would.
//
// Every sheet with words is drawn once per language: Japanese in image/,
// listed by sprite.ini, and English in en/image/, listed by en/sprite.ini.
// The words of each language stand in the tables below; where the English
// words need another grid (the title's letters, the options heading, the
// title entries), kEnglishGrids gives it and en/sprite.ini tells the screen
// how many cells to lay out. The sheets without words are drawn once, in
// image/, and the English list names them there.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "canvas.h"
#include "content.h"

namespace {

const float kTexelsPerUnit = 4;

// ---------------------------------------------------------------- words

enum Language { JAPANESE, ENGLISH };
Language drawing = JAPANESE;               // the language the sheets are drawn in

struct Words {
    std::vector<const char*> japanese, english;
};
const std::vector<const char*>& InLanguage(const Words& w)
{
    return drawing == ENGLISH ? w.english : w.japanese;
}
const char* Word(const Words& w, int cell)
{
    const std::vector<const char*>& list = InLanguage(w);
    return cell >= 0 && cell < int(list.size()) ? list[cell] : nullptr;
}

const Words kOptionsHeading = {{"お", "好", "み"}, {"O", "P", "T", "I", "O", "N", "S"}};
const Words kSelectHeading = {{"コ", "ー", "ス", "セ", "レ", "ク", "ト"}, {"C", "O", "U", "R", "S", "E", "S"}};
const Words kTitleTop = {{"ケ", "ス", "ト", "ル", "ー", "ン"}, {"K", "E", "S", "T", "R", "U", "N", "E"}};
const Words kTitleBottom = {{"ボ", "ー", "ル", "レ", "ー", "ス"}, {"B", "A", "L", "L", "", "R", "A", "C", "E"}};
const Words kYesNo = {{"はい", "いいえ"}, {"Yes", "No"}};
const Words kTitleMenu = {{"遊ぶ", "設定", "終了"}, {"Play", "Options", "Quit"}};
const Words kRaceMenu = {{"つづける", "やりなおす", "コースセレクト", "タイトルへ"},
                         {"Resume", "Retry", "Course select", "Title"}};
const Words kQuestion = {{"このコースで はじめますか?"}, {"Start on this course?"}};
const Words kOptionRows = {{"ボール", "重力", "カメラの角度", "カメラの距離", "もどる"},
                           {"Ball", "Gravity", "Camera angle", "Camera distance", "Back"}};
// Preset 0 of each row is the default, so "normal" comes first.
const Words kOptionValues = {{"ふつう", "かるい", "おもい", "ふつう", "よわい", "つよい",
                              "ふつう", "たかい", "ひくい", "ふつう", "ちかい", "とおい"},
                             {"Normal", "Light", "Heavy", "Normal", "Weak", "Strong",
                              "Normal", "High", "Low", "Normal", "Near", "Far"}};
const Words kPlates = {{"ゴールをめざせ!", "コースアウト!", "ゴール!!"}, {"Reach the goal!", "Off course!", "Goal!!"}};
const Words kHudLabels = {{"タイム", "ベスト"}, {"TIME", "BEST"}};
const Words kRecordBadge = {{"新記録!"}, {"New record!"}};

const Color kInk = Rgb(0x1E2A44);          // menu lettering on the light panels
const Color kOutlineDark = Rgb(0x14213D);

struct Sheet {
    const char* file;                      // below the game folder
    int cols, rows, cellW, cellH;
    // Draws cell `cell` into the rectangle at (x, y).
    void (*draw)(Image& img, int cell, int x, int y, int w, int h);
};

LetterStyle MenuStyle()
{
    return {Solid(kInk), {0, 0, 0, 0}, 0, Rgb(0xB8C4D8, 0.8f), 2, 700};
}

// English menu words of one sheet share one size and one baseline, so a
// short word does not tower over a long one, and are no larger than the
// menu text the game draws beside them (a 24-pixel line on a 32-pixel row);
// each Japanese word fills its cell, as it always has.
void DrawMenuWords(Image& img, int x, int y, int w, int h, const Words& words, int cell)
{
    const char* word = Word(words, cell);
    if (!word) return;
    if (drawing == ENGLISH) DrawEvenLettering(img, x, y, w, h, InLanguage(words), cell, MenuStyle(), 0.9f, h * 3 / 4);
    else DrawLettering(img, x, y, w, h, word, MenuStyle(), 0.9f);
}

// A heading letter on a rounded tile, for the options and course-select
// headings that spin in over the white background.
void DrawTileLetter(Image& img, int x, int y, int w, int h, const char* letter, Color top, Color bottom)
{
    float cx = x + w / 2.0f, cy = y + h / 2.0f;
    FillShape(img, RoundBox(cx + 2, cy + 3, w / 2.0f - 5, h / 2.0f - 5, 10), Solid(Rgb(0x000000, 0.25f)));
    FillShape(img, RoundBox(cx, cy, w / 2.0f - 4, h / 2.0f - 4, 10), Solid(kOutlineDark));
    FillShape(img, RoundBox(cx, cy, w / 2.0f - 6, h / 2.0f - 6, 8), VerticalGradient(top, bottom, y + 6, y + h - 6));
    FillShape(img, RoundBox(cx, y + 14, w / 2.0f - 10, 5, 5), Solid(Rgb(0xFFFFFF, 0.25f)));
    LetterStyle s{Solid(Rgb(0xFFFFFF)), kOutlineDark, 2.0f, {0, 0, 0, 0}, 0, 700};
    DrawLettering(img, x, y, w, h, letter, s, 0.78f);
}

// ---------------------------------------------------------------- headings

void OptionsHeading(Image& img, int cell, int x, int y, int w, int h)
{
    if (const char* letter = Word(kOptionsHeading, cell))
        DrawTileLetter(img, x, y, w, h, letter, Rgb(0x8EE07A), Rgb(0x2E9E4F));
}

void SelectHeading(Image& img, int cell, int x, int y, int w, int h)
{
    if (const char* letter = Word(kSelectHeading, cell))
        DrawTileLetter(img, x, y, w, h, letter, Rgb(0x7CC8FF), Rgb(0x2764C8));
}

void TitleLetter(Image& img, int x, int y, int w, int h, const char* letter, Color top, Color bottom, Color rim)
{
    LetterStyle s{VerticalGradient(top, bottom, 8, h - 8), rim, 3.5f, Rgb(0x000000, 0.3f), 3, 800};
    DrawLettering(img, x, y, w, h, letter, s, 0.98f);
}

void TitleTop(Image& img, int cell, int x, int y, int w, int h)
{
    if (const char* letter = Word(kTitleTop, cell))
        TitleLetter(img, x, y, w, h, letter, Rgb(0xFFE45C), Rgb(0xF2542D), Rgb(0x4A1C06));
}

void TitleBottom(Image& img, int cell, int x, int y, int w, int h)
{
    if (const char* letter = Word(kTitleBottom, cell))
        TitleLetter(img, x, y, w, h, letter, Rgb(0x9BF0FF), Rgb(0x1F5FD6), Rgb(0x0B1F4F));
}

// ---------------------------------------------------------------- window frame

// Colour of the frame band at depth t pixels in from its outer edge.
Color FrameBand(float t)
{
    if (t < 1.5f) return Rgb(0x0F2C52);
    if (t < 12.0f) return Mix(Rgb(0x5AA6EE), Rgb(0x2A6FB0), (t - 1.5f) / 10.5f);
    if (t < 14.0f) return Rgb(0x0F2C52);
    return Rgb(0xFDFBF3, 0.94f);
}

void FramePiece(Image& img, int cell, int x, int y, int w, int h)
{
    const float s = img.scale;
    const int tx = int(std::lround(x * s)), ty = int(std::lround(y * s));
    for (int py = 0; py < int(std::lround(h * s)); ++py)
        for (int px = 0; px < int(std::lround(w * s)); ++px) {
            float fx = (px + 0.5f) / s, fy = (py + 0.5f) / s, t = 100;
            if (cell == 0) t = w - std::hypot(w - fx, h - fy);   // corner, outer side top left
            else if (cell == 1) t = fy;                          // top edge
            else if (cell == 3) t = fx;                          // left edge
            Color c = FrameBand(t);
            c.a *= std::clamp(t * s + 0.5f, 0.0f, 1.0f);
            img.At(tx + px, ty + py) = c;
        }
}

// ---------------------------------------------------------------- menus

void YesNo(Image& img, int cell, int x, int y, int w, int h)
{
    DrawMenuWords(img, x, y, w, h, kYesNo, cell);
}

void TitleMenu(Image& img, int cell, int x, int y, int w, int h)
{
    DrawMenuWords(img, x, y, w, h, kTitleMenu, cell);
}

void RaceMenu(Image& img, int cell, int x, int y, int w, int h)
{
    DrawMenuWords(img, x, y, w, h, kRaceMenu, cell);
}

void Question(Image& img, int, int x, int y, int w, int h)
{
    DrawLettering(img, x, y, w, h, Word(kQuestion, 0), MenuStyle(), 0.94f);
}

void OptionRows(Image& img, int cell, int x, int y, int w, int h)
{
    DrawMenuWords(img, x, y, w, h, kOptionRows, cell);
}

void OptionValues(Image& img, int cell, int x, int y, int w, int h)
{
    DrawMenuWords(img, x, y, w, h, kOptionValues, cell);
}

// ---------------------------------------------------------------- cursor

void Cursor(Image& img, int cell, int x, int y, int w, int h)
{
    float cx = x + w / 2.0f, cy = y + h / 2.0f;
    Paint warm = VerticalGradient(Rgb(0xFFD45A), Rgb(0xF0642A), y + 8, y + h - 8);
    if (cell == 0) {
        FillShape(img, Circle(cx, cy, 16), Solid(kOutlineDark));
        FillShape(img, Circle(cx, cy, 13), warm);
        return;
    }
    // An arrow pointing right: a shaft and a head, outlined.
    Sdf arrow = Union(RoundBox(cx - 13, cy, 14, 8, 3),
                      Polygon({cx - 5, cy - 23, cx + 22, cy, cx - 5, cy + 23}));
    FillShape(img, [&](float px, float py) { return arrow(px - 2, py - 3) - 3; }, Solid(Rgb(0, 0.3f)));
    FillShape(img, [&](float px, float py) { return arrow(px, py) - 3; }, Solid(kOutlineDark));
    FillShape(img, arrow, warm);
}

// ---------------------------------------------------------------- plates

void BigWords(Image& img, int x, int y, int w, int h, const char* text, Color top, Color bottom, Color rim)
{
    LetterStyle s{VerticalGradient(top, bottom, h * 0.15f, h * 0.85f), rim, 5.0f, Rgb(0, 0.35f), 4, 800};
    DrawLettering(img, x, y, w, h, text, s, 0.94f);
}

void Plates(Image& img, int cell, int x, int y, int w, int h)
{
    if (cell == 0) BigWords(img, x, y, w, h, Word(kPlates, 0), Rgb(0xFFFFFF), Rgb(0x7FD8FF), Rgb(0x0B2E63));
    if (cell == 1) BigWords(img, x, y, w, h, Word(kPlates, 1), Rgb(0xE9D8FF), Rgb(0x8A5BD6), Rgb(0x26104A));
    if (cell == 2) BigWords(img, x, y, w, h, Word(kPlates, 2), Rgb(0xFFF27A), Rgb(0xFF8A1F), Rgb(0x5A1A00));
}

void Countdown(Image& img, int cell, int x, int y, int w, int h)
{
    const char* text[] = {"3", "2", "1", "GO!"};
    Color tops[] = {Rgb(0xFFB0A0), Rgb(0xFFD39A), Rgb(0xFFF3A0), Rgb(0xC8FF9A)};
    Color bottoms[] = {Rgb(0xE0302A), Rgb(0xF07A1A), Rgb(0xE8B800), Rgb(0x2FB344)};
    if (cell < 4) BigWords(img, x, y, w, h, text[cell], tops[cell], bottoms[cell], Rgb(0x1A1A1A));
}

// ---------------------------------------------------------------- HUD

// White glyphs with a dark rim; the HUD tints them (yellow best time, white
// race time). 10 and 11 are the separators of 01:23.456, 12 the blank digit.
void TimeGlyph(Image& img, int cell, int x, int y, int w, int h)
{
    Image layer = MakeScaledImage(w, h, img.scale);
    Paint white = Solid(Rgb(0xFFFFFF));
    if (cell < 10) {
        char digit[2] = {static_cast<char>('0' + cell), 0};
        LetterStyle s{white, Rgb(0x101010), 2.5f, {0, 0, 0, 0}, 0, 700};
        DrawLettering(layer, 0, 0, w, h, digit, s, 0.92f);
    } else if (cell <= 12) {
        float cx = w / 2.0f;
        Sdf shape = cell == 10 ? Circle(cx, h * 0.78f, 3.5f)
                  : cell == 11 ? Union(Circle(cx, h * 0.36f, 3.5f), Circle(cx, h * 0.72f, 3.5f))
                               : RoundBox(cx, h * 0.52f, w * 0.3f, 3, 2);
        FillShape(layer, [&](float px, float py) { return shape(px, py) - 2.5f; }, Solid(Rgb(0x101010)));
        FillShape(layer, shape, white);
    }
    const int tx = int(std::lround(x * img.scale)), ty = int(std::lround(y * img.scale));
    for (int py = 0; py < layer.h; ++py)
        for (int px = 0; px < layer.w; ++px) img.At(tx + px, ty + py) = layer.At(px, py);
}

void HudLabel(Image& img, int cell, int x, int y, int w, int h)
{
    LetterStyle s{VerticalGradient(Rgb(0xFFF6B0), Rgb(0xFFC928), 8, h - 8), Rgb(0x101010), 2.5f, {0, 0, 0, 0}, 0, 700};
    if (const char* word = Word(kHudLabels, cell)) DrawLettering(img, x, y, w, h, word, s, 0.9f);
}

void RecordBadge(Image& img, int, int x, int y, int w, int h)
{
    float cx = x + w / 2.0f, cy = y + h / 2.0f;
    FillShape(img, RoundBox(cx, cy, w / 2.0f - 2, h / 2.0f - 2, h / 2.0f - 2), Solid(Rgb(0x5A0A0A)));
    FillShape(img, RoundBox(cx, cy, w / 2.0f - 5, h / 2.0f - 5, h / 2.0f - 5), Solid(Rgb(0xFFD23C)));
    FillShape(img, RoundBox(cx, cy, w / 2.0f - 9, h / 2.0f - 9, h / 2.0f - 9),
              VerticalGradient(Rgb(0xFF5A4A), Rgb(0xC8141E), y + 9, y + h - 9));
    LetterStyle s{Solid(Rgb(0xFFFFFF)), Rgb(0x5A0A0A), 2.0f, {0, 0, 0, 0}, 0, 800};
    DrawLettering(img, x + 10, y + 8, w - 20, h - 16, Word(kRecordBadge, 0), s, 1.0f);
}

// Map icons are white so that the HUD's pulsing red and green tints show.
void MapIcon(Image& img, int cell, int x, int y, int w, int h)
{
    float cx = x + w / 2.0f, cy = y + h / 2.0f;
    if (cell == 0) {
        FillShape(img, Circle(cx, cy, w * 0.42f), Solid(Rgb(0x202020)));
        FillShape(img, Circle(cx, cy, w * 0.34f),
                  [&](float px, float py) { return Mix(Rgb(0xFFFFFF), Rgb(0xB0B0B0), std::clamp(std::hypot(px - cx + 4, py - cy + 4) / (w * 0.5f), 0.0f, 1.0f)); });
        return;
    }
    Sdf flag = Union(RoundBox(x + 9, cy + 1, 1.5f, 13, 1), Polygon({x + 10.0f, y + 4.0f, x + 28.0f, y + 10.0f, x + 10.0f, y + 17.0f}));
    FillShape(img, [&](float px, float py) { return flag(px, py) - 2; }, Solid(Rgb(0x202020)));
    FillShape(img, flag, Solid(Rgb(0xFFFFFF)));
}

// Flags over the course preview; the pole's foot is the cell's bottom
// middle, which the preview lifts just above the start or goal point.
void PreviewFlag(Image& img, int cell, int x, int y, int w, int h)
{
    float poleX = x + w / 2.0f;
    Sdf pole = RoundBox(poleX, y + h * 0.55f, 2.5f, h * 0.43f, 2);
    Sdf cloth = Polygon({poleX + 2, y + 8.0f, poleX + 44, y + 14.0f, poleX + 40, y + 40.0f, poleX + 2, y + 44.0f});
    Sdf outline = Union(pole, cloth);
    FillShape(img, [&](float px, float py) { return outline(px, py) - 3; }, Solid(kOutlineDark));
    FillShape(img, pole, Solid(Rgb(0xE8E8E8)));
    if (cell == 0) {
        FillShape(img, cloth, VerticalGradient(Rgb(0x6FB8FF), Rgb(0x1F5FD6), y + 8, y + 44));
        LetterStyle s{Solid(Rgb(0xFFFFFF)), kOutlineDark, 1.5f, {0, 0, 0, 0}, 0, 800};
        DrawLettering(img, int(poleX) + 4, y + 10, 36, 32, "S", s, 0.9f);
        return;
    }
    Paint checks = [&](float px, float py) {
        int k = int(std::floor((px - poleX) / 7)) + int(std::floor((py - y) / 7));
        return (k & 1) ? Rgb(0x151515) : Rgb(0xFFFFFF);
    };
    FillShape(img, cloth, checks);
}

void Spare(Image& img, int, int x, int y, int w, int h)
{
    float cx = x + w / 2.0f, cy = y + h / 2.0f;
    FillShape(img, Circle(cx, cy, w * 0.45f),
              [&](float px, float py) { return Rgb(0xFFFFFF, 1.0f - std::clamp(std::hypot(px - cx, py - cy) / (w * 0.45f), 0.0f, 1.0f)); });
}

const Sheet kSheets[] = {
    {"image/head_option.png", 4, 1, 64, 64, OptionsHeading},
    {"image/yesno.png", 2, 1, 120, 64, YesNo},
    {"image/frame.png", 3, 3, 32, 32, FramePiece},
    {"image/head_select.png", 8, 1, 64, 64, SelectHeading},
    {"image/title_menu.png", 1, 3, 120, 72, TitleMenu},
    {"image/plates.png", 1, 3, 448, 96, Plates},
    {"image/cursor.png", 2, 1, 64, 64, Cursor},
    {"image/flags.png", 2, 1, 96, 96, PreviewFlag},
    {"image/question.png", 1, 1, 500, 48, Question},
    {"image/map_icons.png", 2, 1, 32, 32, MapIcon},
    {"image/spare.png", 1, 1, 64, 64, Spare},
    {"image/race_menu.png", 1, 4, 288, 48, RaceMenu},
    {"image/countdown.png", 2, 2, 192, 96, Countdown},
    {"image/digits.png", 8, 2, 32, 48, TimeGlyph},
    {"image/hud_label.png", 1, 2, 160, 48, HudLabel},
    {"image/record.png", 1, 1, 220, 60, RecordBadge},
    {"image/option_items.png", 1, 5, 260, 64, OptionRows},
    {"image/option_values.png", 3, 4, 160, 64, OptionValues},
    {"image/title_top.png", 8, 1, 64, 64, TitleTop},
    {"image/title_bottom.png", 8, 1, 64, 64, TitleBottom},
};

// The sheets drawn again in English, with the grid where the English words
// need another one: columns and rows (0: the Japanese sheet's), the cell
// width as a share of the Japanese one, and the cells the screen lays out
// (0: the screen's own count, which the Japanese sheet keeps too).
struct EnglishGrid {
    const char* file;
    int cols, rows;
    float widthShare;
    int cells;
};
const EnglishGrid kEnglishGrids[] = {
    {"image/head_option.png", 8, 1, 1.0f, 7},
    {"image/yesno.png", 0, 0, 1.0f, 0},
    {"image/head_select.png", 0, 0, 1.0f, 0},
    {"image/title_menu.png", 0, 0, 5.0f / 3, 3},
    {"image/plates.png", 0, 0, 1.0f, 0},
    {"image/question.png", 0, 0, 1.0f, 0},
    {"image/race_menu.png", 0, 0, 1.0f, 0},
    {"image/hud_label.png", 0, 0, 1.0f, 0},
    {"image/record.png", 0, 0, 1.0f, 0},
    {"image/option_items.png", 0, 0, 1.0f, 0},
    {"image/option_values.png", 0, 0, 1.0f, 0},
    {"image/title_top.png", 8, 1, 0.875f, 8},
    {"image/title_bottom.png", 9, 1, 0.875f, 9},
};

struct Grid {
    int cols, rows, cellW, cellH, cells;
};

const EnglishGrid* EnglishGridOf(const Sheet& s)
{
    for (const EnglishGrid& g : kEnglishGrids)
        if (std::string(g.file) == s.file) return &g;
    return nullptr;
}

Grid EnglishLayout(const Sheet& s, const EnglishGrid& g)
{
    return {g.cols ? g.cols : s.cols, g.rows ? g.rows : s.rows,
            static_cast<int>(std::lround(s.cellW * g.widthShare)), s.cellH, g.cells};
}

int WriteSheet(const std::string& path, const Sheet& s, const Grid& grid)
{
    Image img = MakeScaledImage(grid.cols * grid.cellW, grid.rows * grid.cellH, kTexelsPerUnit);
    for (int cell = 0; cell < grid.cols * grid.rows; ++cell)
        s.draw(img, cell, (cell % grid.cols) * grid.cellW, (cell / grid.cols) * grid.cellH, grid.cellW, grid.cellH);
    BleedEdges(img);
    return WritePng(path, img);
}

std::string ListLine(const Sheet& s, const Grid& grid, int number)
{
    std::string name = s.file;
    for (char& c : name)
        if (c == '/') c = '\\';
    char cells[32] = "";
    if (grid.cells) snprintf(cells, sizeof cells, "[%d]", grid.cells);
    char line[256];
    snprintf(line, sizeof line, "TEXTURE:[[%s]][%d][%d]%s\t# sheet %d\r\n", name.c_str(), grid.cols, grid.rows, cells, number);
    return line;
}

const int kSheetCount = sizeof kSheets / sizeof kSheets[0];

// The first line must hold the count; the sheets follow in number order.
std::string ListHead(const char* note)
{
    return "PLANE_NUM:[" + std::to_string(kSheetCount) + "]\r\n" + note;
}

int WriteJapanese(const std::string& dir)
{
    drawing = JAPANESE;
    std::string ini = ListHead("# Sprite sheets in the order the game numbers them: TEXTURE:[[file]][columns][rows]\r\n");
    for (int i = 0; i < kSheetCount; ++i) {
        const Sheet& s = kSheets[i];
        Grid grid = {s.cols, s.rows, s.cellW, s.cellH, 0};
        if (!WriteSheet(dir + "/" + s.file, s, grid)) return 0;
        ini += ListLine(s, grid, i);
    }
    return WriteFile(dir + "/sprite.ini", ini);
}

// The English list names every sheet; those without words are the game
// folder's own pictures, found there as en/ has none.
int WriteEnglish(const std::string& dir)
{
    drawing = ENGLISH;
    if (!MakeFolder(dir + "/en") || !MakeFolder(dir + "/en/image")) return 0;
    std::string ini = ListHead("# The English sheets: TEXTURE:[[file]][columns][rows][cells the screen lays out]\r\n"
                               "# A picture missing from en\\image is taken from image.\r\n");
    for (int i = 0; i < kSheetCount; ++i) {
        const Sheet& s = kSheets[i];
        const EnglishGrid* g = EnglishGridOf(s);
        Grid grid = g ? EnglishLayout(s, *g) : Grid{s.cols, s.rows, s.cellW, s.cellH, 0};
        if (g && !WriteSheet(dir + "/en/" + s.file, s, grid)) return 0;
        ini += ListLine(s, grid, i);
    }
    drawing = JAPANESE;
    return WriteFile(dir + "/en/sprite.ini", ini);
}

} // namespace

int WriteSprites(const std::string& dir)
{
    if (!MakeFolder(dir + "/image")) return 0;
    return WriteJapanese(dir) && WriteEnglish(dir);
}
