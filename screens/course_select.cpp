// Course select: one course at a time with its 3D preview, a panel with its
// name, record (with its medal and the par) and description, arrows to the
// neighbours, and a yes/no dialog that starts the race. A backward tilt
// watches the run of the ghost the course would be raced against. There is
// no way back to the title from here.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "screens/course_select.h"
#include "course/course.h"
#include "data/course_list.h"
#include "data/course_packs.h"
#include "data/extras.h"
#include "data/par.h"
#include "data/texts.h"
#include "render/course_text.h"
#include "render/medal.h"
#include "render/preview.h"
#include "render/sprites.h"
#include "render/text.h"
#include "render/text_layout.h"
#include "screens/screens.h"
#include "screens/screens_local.h"
#include "sensor/board.h"

namespace {

const float kSlideStep = 0.2f;

enum SelectSheet {
    SHEET_ANSWERS = 1,         // cell 0 yes, cell 1 no
    SHEET_SELECT_HEADING = 3,  // cells 0..6, the seven letters
    SHEET_START_QUESTION = 8
};

// The dialog panel starts closed, so nothing shows before the first dialog.
CourseSelect selectScreen = [] {
    CourseSelect s = {};
    s.dialogPanel.phase = PANEL_CLOSED;
    return s;
}();

bool HasPrevious()
{
    return selectScreen.selectedCourse > 0;
}

bool HasNext()
{
    return selectScreen.selectedCourse < courseList.courseCount - 1;
}

void ShowCourse(int index)
{
    selectScreen.watchable = 0;
    if (index < 0 || index >= courseList.courseCount || !courseList.courses)
        return;
    ReadyCourseWorld();   // the preview's obstacles wear the shapes' meshes
    LoadCoursePreview(index);
    uint32_t time = 0;
    selectScreen.watchable = PeekRacedGhost(index, extras.ghostChoice, &time, &selectScreen.watchIsPar);
}

const CourseDef* ShownCourse()
{
    bool listed = courseList.courses && selectScreen.selectedCourse < courseList.courseCount;
    return listed ? &courseList.courses[selectScreen.selectedCourse] : nullptr;
}

// ---------------------------------------------------------------------------
// Drawing

// The seven letters rest centred at 128 + 64 i; a heading laid out from its
// sheet (another language's word) rests centred too.
void QueueHeading()
{
    float w = menuLatches.frameCounter / 40.0f;
    LetteredRow row = LayoutOfRow(SHEET_SELECT_HEADING, 7, 64, 64);
    float side = row.cellWidth;
    float shift = row.fromSheet ? 192 - side * (row.cells - 1) / 2 : 0;
    for (int i = 0; i < row.cells; i++) {
        float o = side * i;
        float x = 128 + o + shift, angle = 0;
        if (selectScreen.phase == SELECT_ENTERING) {
            x = o * 2 * (1 - w) + o + (672 - 544 * w) + shift;
            angle = -(i + 8) * w * 2 * kPi;
        }
        DrawSprite(SHEET_SELECT_HEADING, (uint32_t)i, 0xFFFFFFFFu, angle, DEPTH_SPRITE, 0, x, 60, side, 64);
    }
}

// A glyph whose texture could not be made is left out rather than drawn as
// a solid block.
void QueueGlyph(const Glyph& g, float left, float top, float scale, uint32_t colour)
{
    if (!g.texture)
        return;
    float right = left + g.width * scale, bottom = top + g.height * scale;
    SpriteVertex v[4] = {
        {right, bottom, 0, 1, colour, g.u1, g.v1},
        {left, bottom, 0, 1, colour, g.u0, g.v1},
        {left, top, 0, 1, colour, g.u0, g.v0},
        {right, top, 0, 1, colour, g.u1, g.v0},
    };
    QueueQuad(g.texture, v, DEPTH_SPRITE);
}

bool IsBlank(const Glyph& g)
{
    return g.character == 32 || g.character == 0x3000;
}

// Glyphs without an ink box (line ends) take no room; blanks only move the pen.
bool Skipped(const Glyph& g)
{
    return g.width == 0 && g.height == 0 && !IsBlank(g);
}

// After the record: the medal it earned, then the course's par.
void QueueMedalAndPar(const MenuPanel& panel, float pen)
{
    const CourseDef* c = ShownCourse();
    if (!c || c->parTimeMs == 0)
        return;
    const float middle = panel.top + courseText.titleMetrics.height * 0.5f + 3;
    int medal = MedalFor(c->bestTimeMs, c->parTimeMs);
    if (medal != MEDAL_NONE) {
        QueueMedal(medal, pen + 14, middle, 18);
        pen += 25;
    }
    uint32_t t = c->parTimeMs;
    char text[64];
    snprintf(text, sizeof text, "%s %u:%02u.%03u", Tr(TEXT_SELECT_PAR), t / 60000, t / 1000 % 60, t % 1000);
    QueueText(text, pen + 8, middle, 18, 0xFF808080u);
}

// Above the panel's right end; the pack's name takes its left end.
const float kWatchHintRight = 586, kWatchHintHeight = 18, kAbovePanel = 318;

const char* WatchHint()
{
    return Tr(selectScreen.watchIsPar ? TEXT_SELECT_WATCH_PAR : TEXT_SELECT_WATCH_BEST);
}

void QueueWatchHint()
{
    if (!selectScreen.watchable || selectScreen.phase != SELECT_BROWSING)
        return;
    QueueText(WatchHint(), kWatchHintRight, kAbovePanel, kWatchHintHeight, 0xFF506080u, TEXT_RIGHT);
}

// The name in colour, then the record text smaller and a little lower.
void QueueTitleLine(const MenuPanel& panel)
{
    const CourseText& t = courseText;
    float pen = panel.left;
    for (int k = 0; k < t.titleGlyphCount; k++) {
        const Glyph& g = t.titleGlyphs[k];
        if (Skipped(g))
            continue;
        bool name = k < t.nameGlyphCount;
        float s = name ? 1.0f : 0.7f;
        float top = panel.top + (t.titleMetrics.ascent - g.originY) * s + (name ? 0 : 5.5f);
        if (!IsBlank(g))
            QueueGlyph(g, pen + g.originX * s, top, s, name ? 0xFF00BFBFu : 0xFF808080u);
        pen += g.advanceX * s;
    }
    QueueMedalAndPar(panel, pen);
}

// The typewriter's share of the description, wrapped at the panel's right
// (an LF, a paragraph break, starts a new line): the whole text is laid out,
// so a word keeps its line while it is typed.
void QueueDescription(const MenuPanel& panel)
{
    const CourseText& t = courseText;
    int shown = selectScreen.revealedGlyphs < t.docGlyphCount ? selectScreen.revealedGlyphs : t.docGlyphCount;
    if (shown <= 0)
        return;
    std::vector<GlyphPlace> places(size_t(t.docGlyphCount));
    LayoutLines(t.docGlyphs, t.docGlyphCount, panel.left, panel.right, places.data());
    float firstLineTop = panel.top + (t.titleMetrics.height * 12) / 10;
    for (int k = 0; k < shown; k++) {
        const Glyph& g = t.docGlyphs[k];
        if (Skipped(g) || IsBlank(g) || g.character == u'\n')
            continue;
        float lineTop = firstLineTop + float(places[k].line * t.docMetrics.height);
        uint32_t ink = k < t.noteGlyphCount ? 0xFFC00000u : 0xFF000000u;
        QueueGlyph(g, places[k].x + g.originX, lineTop + (t.docMetrics.ascent - g.originY), 1, ink);
    }
}

// The last UTF-8 character of `text` taken off.
void DropLastCharacter(std::string* text)
{
    while (!text->empty() && (text->back() & 0xC0) == 0x80)
        text->pop_back();
    if (!text->empty())
        text->pop_back();
}

// The pack a course comes from, above the panel's left end, clear of the
// watch hint at its right end (kept clear even while the dialog hides the
// hint, so the label stays put): a long name is set smaller, then cut.
void QueuePackName()
{
    const CoursePack* pack = PackOfCourse(selectScreen.selectedCourse);
    if (!pack)
        return;
    const float left = 54;
    float right = kWatchHintRight;
    if (selectScreen.watchable)
        right -= TextWidth(WatchHint(), kWatchHintHeight) + 16;
    std::string name = pack->name;
    bool cut = false;
    char label[600];
    int height = 16;
    for (;;) {
        snprintf(label, sizeof label, Tr(TEXT_PACK_LABEL), (name + (cut ? "\u2026" : "")).c_str());
        if (TextWidth(label, height) <= right - left || name.empty())
            break;
        if (height > 12) {
            height--;
        } else {
            DropLastCharacter(&name);
            cut = true;
        }
    }
    QueueMenuText(label, left, kAbovePanel, TEXT_LEFT, height);
}

const uint32_t kProblemInk = 0xFFB0302Au;

// Narrowed until it fits the picture's width, down to a size still legible.
void QueueProblemLine(const std::string& text, float x, float y, int align)
{
    int height = 15;
    while (height > 11 && TextWidth(text.c_str(), height) > 628)
        height--;
    QueueText(text.c_str(), x, y, height, kProblemInk, align);
}

// Packs that cannot be played: the first one's problem along the top, how
// many more there are along the bottom (each was said on the terminal).
void QueueSkippedPacks()
{
    const CoursePack* first = nullptr;
    int more = 0;
    for (const CoursePack& pack : CoursePacks().packs) {
        if (pack.problem.kind == PACK_OK)
            continue;
        if (first)
            more++;
        else
            first = &pack;
    }
    if (!first)
        return;
    QueueProblemLine(PackProblemText(*first, CurrentLanguage()), 6, 11, TEXT_LEFT);
    if (more == 0)
        return;
    char line[200];
    snprintf(line, sizeof line, Tr(TEXT_PACK_MORE_SKIPPED), more);
    QueueProblemLine(line, 634, 471, TEXT_RIGHT);
}

void QueueArrow(bool right, float side)
{
    DrawSprite(SHEET_CURSOR, 1, 0xFFFFFFFFu, 0, DEPTH_SPRITE, right ? 0 : FLIP_HORIZONTAL,
               right ? 590.0f : 50.0f, 240, side, side);
}

void QueuePanels()
{
    DrawMenuPanel(&selectScreen.mainPanel);
    DrawMenuPanel(&selectScreen.dialogPanel);
    if (selectScreen.dialogPanel.phase != PANEL_OPEN)
        return;
    DrawSprite(SHEET_START_QUESTION, 0, 0xFFFFFFFFu, 0, DEPTH_SPRITE, 0, 320, 356, 250, 24);
    DrawSprite(SHEET_ANSWERS, 0, 0xFFFFFFFFu, 0, DEPTH_SPRITE, 0, 270, 393, 60, 32);
    DrawSprite(SHEET_ANSWERS, 1, 0xFFFFFFFFu, 0, DEPTH_SPRITE, 0, 370, 393, 60, 32);
    float side = 32 - CursorPulse(menuLatches.frameCounter, 24);
    DrawSprite(SHEET_CURSOR, 1, 0xFFFFFFFFu, 0, DEPTH_SPRITE, 0,
               selectScreen.confirmNo ? 324.0f : 224.0f, 393, side, side);
}

// ---------------------------------------------------------------------------
// Phases

void Entering()
{
    UpdateMenuPanel(&selectScreen.mainPanel);
    if (menuLatches.frameCounter >= 40) {
        selectScreen.phase = SELECT_SLIDE_IN_FROM_RIGHT;
        selectScreen.slideOffset = -2;
    }
}

void OpenDialog()
{
    MenuSound(MENU_SOUND_CONFIRM);
    selectScreen.revealedGlyphs = courseText.docGlyphCount;
    selectScreen.phase = SELECT_CONFIRMING;
    menuLatches.confirmLatch = 1;
    selectScreen.confirmNo = 0;
    // The press that opened the dialog must not also move its cursor.
    menuLatches.xLatch = 1;
    InitMenuPanel(&selectScreen.dialogPanel, 192, 346, 448, 406, 8, 5);
    selectScreen.dialogPanel.depth = DEPTH_SPRITE;
}

void Browsing(const TiltVector& tilt)
{
    // Every second frame. (The parity of the millisecond clock would do on a
    // jittery timer, but our frames fall 16 ms apart and keep their parity:
    // the text then stalled for seconds.)
    if (selectScreen.revealedGlyphs < courseText.docGlyphCount && (menuLatches.frameCounter & 1))
        selectScreen.revealedGlyphs++;
    if (tilt.button && !menuLatches.confirmLatch) {
        OpenDialog();
    } else if (HasNext() && tilt.x < -7) {
        selectScreen.phase = SELECT_SLIDE_OUT_TO_NEXT;
        SetLedPattern(12);
        MenuSound(MENU_SOUND_MOVE);
    } else if (HasPrevious() && tilt.x > 7) {
        selectScreen.phase = SELECT_SLIDE_OUT_TO_PREVIOUS;
        SetLedPattern(3);
        MenuSound(MENU_SOUND_MOVE);
    } else if (selectScreen.watchable && tilt.z > 7 && !menuLatches.zLatch) {
        menuLatches.zLatch = 1;
        MenuSound(MENU_SOUND_CONFIRM);
        selectScreen.phase = SELECT_STARTING;
        selectScreen.startDelay = 60;
        selectScreen.startWatch = 1;
    } else if (tilt.x > -7 && tilt.x < 7) {
        SetLedPattern(0);
    }
}

void AnswerDialog(const TiltVector& tilt)
{
    if (tilt.button && !menuLatches.confirmLatch) {
        selectScreen.dialogPanel.phase = PANEL_CLOSING;
        menuLatches.confirmLatch = 1;
        MenuSound(selectScreen.confirmNo ? MENU_SOUND_BACK : MENU_SOUND_CONFIRM);
        return;
    }
    if (menuLatches.xLatch)
        return;
    if (tilt.x > 7 && selectScreen.confirmNo == 1) {
        selectScreen.confirmNo = 0;
        SetLedPattern(3);
    } else if (tilt.x < -7 && selectScreen.confirmNo == 0) {
        selectScreen.confirmNo = 1;
        SetLedPattern(12);
    } else {
        return;
    }
    menuLatches.xLatch = 1;
    MenuSound(MENU_SOUND_MOVE);
}

// Shared by Browsing and Confirming: text, arrows and the dialog.
void Confirming(const TiltVector& tilt)
{
    if (selectScreen.mainPanel.phase == PANEL_OPEN) {
        QueueTitleLine(selectScreen.mainPanel);
        QueueDescription(selectScreen.mainPanel);
        QueueWatchHint();
        QueuePackName();
    }
    float side = 50 - CursorPulse(menuLatches.frameCounter, 50);
    if (HasPrevious())
        QueueArrow(false, side);
    if (HasNext())
        QueueArrow(true, side);
    UpdateMenuPanel(&selectScreen.dialogPanel);
    if (selectScreen.dialogPanel.phase == PANEL_OPEN)
        AnswerDialog(tilt);
    if (selectScreen.dialogPanel.phase == PANEL_CLOSED && selectScreen.phase == SELECT_CONFIRMING) {
        if (selectScreen.confirmNo) {
            selectScreen.phase = SELECT_BROWSING;
        } else {
            selectScreen.phase = SELECT_STARTING;
            selectScreen.startDelay = 60;
            selectScreen.startWatch = 0;
        }
    }
}

void SlideOut(int direction)
{
    bool next = direction > 0;
    if (next ? selectScreen.slideOffset < 2 : selectScreen.slideOffset > -2) {
        selectScreen.slideOffset += next ? kSlideStep : -kSlideStep;
    } else {
        selectScreen.selectedCourse += direction;
        ShowCourse(selectScreen.selectedCourse);
        selectScreen.phase = next ? SELECT_SLIDE_IN_FROM_RIGHT : SELECT_SLIDE_IN_FROM_LEFT;
        selectScreen.slideOffset = next ? -2.0f : 2.0f;
    }
    if (menuLatches.frameCounter & 2)
        QueueArrow(next, 50);
}

void SlideIn(int direction)
{
    bool fromRight = direction > 0;
    if (fromRight ? selectScreen.slideOffset < 0 : selectScreen.slideOffset > 0) {
        selectScreen.slideOffset += fromRight ? kSlideStep : -kSlideStep;
        return;
    }
    selectScreen.slideOffset = 0;
    selectScreen.phase = SELECT_BROWSING;
    selectScreen.revealedGlyphs = 0;
    MenuSound(MENU_SOUND_TICK);
}

void Starting()
{
    if (--selectScreen.startDelay == 0) {
        RequestCourseLoad(selectScreen.selectedCourse);
        if (selectScreen.startWatch)
            EnterWatch();
        else
            EnterIntro();
    }
    selectScreen.mainPanel.phase = PANEL_CLOSING;
    UpdateMenuPanel(&selectScreen.mainPanel);
}

}  // namespace

const CourseSelect& GetCourseSelect()
{
    return selectScreen;
}

int CourseSelectFrame()
{
    return menuLatches.frameCounter;
}

void DrawCourseSelectPreview()
{
    PreviewFrame frame = {};
    frame.shown = selectScreen.phase != SELECT_ENTERING;
    frame.slideOffset = selectScreen.slideOffset;
    frame.frameCounter = menuLatches.frameCounter;
    frame.starting = selectScreen.phase == SELECT_STARTING;
    frame.startDelay = selectScreen.startDelay;
    DrawCoursePreview(frame);
}

void ResetCourseSelect()
{
    selectScreen.phase = SELECT_ENTERING;
    menuLatches.frameCounter = 0;
    selectScreen.startDelay = 0;
    selectScreen.startWatch = 0;
    InitMenuPanel(&selectScreen.mainPanel, 51.2f, 336, 588.8f, 456, 8, 10);
    ShowCourse(selectScreen.selectedCourse);
    menuLatches.zLatch = 0;
    menuLatches.xLatch = 0;
    menuLatches.confirmLatch = 0;
    ResetPreviewMaterial();
}

void UpdateCourseSelect(const TiltVector& tilt)
{
    FitCourseTextToPicture();
    DrawWhiteBackground();
    menuLatches.frameCounter++;
    RearmTilt(tilt);
    QueueHeading();
    QueueSkippedPacks();
    switch (selectScreen.phase) {
    case SELECT_ENTERING: Entering(); break;
    case SELECT_BROWSING:
        Browsing(tilt);
        Confirming(tilt);
        break;
    case SELECT_CONFIRMING: Confirming(tilt); break;
    case SELECT_SLIDE_OUT_TO_PREVIOUS: SlideOut(-1); break;
    case SELECT_SLIDE_OUT_TO_NEXT: SlideOut(+1); break;
    case SELECT_SLIDE_IN_FROM_LEFT: SlideIn(-1); break;
    case SELECT_SLIDE_IN_FROM_RIGHT: SlideIn(+1); break;
    case SELECT_STARTING: Starting(); break;
    }
    QueuePanels();
}

// The course shown is kept from one visit to the next, but not from one game
// to the next.
void StartCourseSelectAtFirst()
{
    selectScreen = CourseSelect{};
    selectScreen.dialogPanel.phase = PANEL_CLOSED;
}

void ShowCourseAgain(int index, bool preview)
{
    selectScreen.selectedCourse = index;
    if (!preview)
        return;
    ShowCourse(index);
    selectScreen.revealedGlyphs = 0;
}

void StartAtCourse(int index)
{
    selectScreen.selectedCourse = index;
    RequestCourseLoad(index);
    EnterIntro();
}
