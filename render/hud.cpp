// The 2D elements over a run: the plates of intro, countdown, miss and goal,
// the goal veil and record badge, the course map and the time panel. Each
// operation recomputes its sprites from the loop's counters every frame.
#include "render/hud.h"

#include "core/game.h"
#include "data/course_list.h"
#include "data/extras.h"
#include "data/par.h"
#include "physics/physics.h"
#include "platform/sys.h"
#include "render/medal.h"
#include "render/device.h"
#include "render/scene.h"
#include "render/sprites.h"
#include "render/text.h"
#include "sensor/board.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

enum HudSheet {
    SHEET_PLATES = 5,        // 0 intro, 1 miss, 2 goal
    SHEET_MAP_ICONS = 9,     // 0 ball, 1 goal
    SHEET_COUNTDOWN = 12,    // one cell per step
    SHEET_TIME_GLYPHS = 13,  // 0..9 digits, 10 and 11 separators, 12 blank
    SHEET_HUD_LABELS = 14,   // 1: the best-time row's label
    SHEET_RECORD_BADGE = 15
};

const float kPi = 3.1415925f;      // the single-precision value the animations were tuned with
const uint32_t kWhite = 0xFFFFFFFF;
// Past 99:59.999 the tens-of-minutes place would ask for a cell that is not
// a digit, so longer times show as that.
const uint32_t kLongestShownMs = 99 * 60000 + 59 * 1000 + 999;

int lastCountdownStep = -1;        // step whose cues were last raised; kept across races

// How far the picture's right edge lies past the frame's: the time panel, the
// record badge and the map keep to the window's corner when the scene fills it.
float RightCornerShift()
{
    return CurrentPictureSpan().right - 640.0f;
}

const CourseDef* CurrentCourseDef()
{
    if (!courseList.courses || game.currentCourse < 0 || game.currentCourse >= courseList.courseCount)
        return nullptr;
    return &courseList.courses[game.currentCourse];
}

uint32_t PlateColour(float q)
{
    const uint32_t alpha = 255u - static_cast<uint32_t>(std::floor(255.0f * q));
    return alpha << 24 | 0xFFFFFFu;
}

// A plate that settles from (1 + 8q) times its size, spinning and fading in;
// with reduced motion it only fades in, at rest.
void QueueSettlingPlate(uint32_t cell, float q, float turns)
{
    const float moving = extras.reducedMotion ? 0.0f : q;
    const float grow = 1.0f + 8.0f * moving;
    DrawSprite(SHEET_PLATES, cell, PlateColour(q), turns * kPi * moving, DEPTH_SPRITE, 0,
               320, 114, 448 * grow, 96 * grow);
}

// Progress of a slide-in plate: 0 once it rests at the centre, and always
// with reduced motion.
float SlideProgress(int frames, float period)
{
    if (extras.reducedMotion)
        return 0.0f;
    return std::max(static_cast<float>(frames) / period - 0.8f, 0.0f);
}

// The board's part of the countdown: a sound when a new step shows, and one
// more lamp lit per step.
void SignalCountdownStep(int step)
{
    static const int kLamps[4] = {1, 3, 7, 15};
    if (step != lastCountdownStep) {
        RaiseCue(step == 3 ? CueGo : CueCount);
        lastCountdownStep = step;
    }
    SetLedPattern(kLamps[step]);
}

void QueueTimeRow(uint32_t timeMs, float y, uint32_t colour, bool blankWhenZero, float shift)
{
    static const float kX[9] = {488, 504, 520, 536, 552, 568, 584, 600, 616};
    const uint32_t t = std::min(timeMs, kLongestShownMs);
    const uint32_t m = t / 60000, s = t / 1000 % 60, f = t % 1000;
    uint32_t cells[9] = {m / 10, m % 10, 11, s / 10, s % 10, 10, f / 100, f / 10 % 10, f % 10};
    if (blankWhenZero && timeMs == 0)
        for (uint32_t& c : cells)
            if (c < 10)
                c = 12;
    for (int i = 0; i < 9; ++i)
        DrawSprite(SHEET_TIME_GLYPHS, cells[i], colour, 0, DEPTH_SPRITE, 0, kX[i] + shift, y, 16, 24);
}

// Under the resting goal plate: the medal this run earned and its name, in
// the gap between the plate (down to 162) and the result menu (from 195).
void QueueGoalMedal(const CourseDef& course)
{
    const int medal = MedalFor(loop.raceTimeMs, course.parTimeMs);
    if (medal == MEDAL_NONE)
        return;
    const float disc = 28, gap = 8, fontHeight = 26, middle = 178;
    const char* name = MedalName(medal);
    const float left = 320 - (disc + gap + TextWidth(name, fontHeight)) / 2;
    QueueMedal(medal, left + disc / 2, middle, disc);
    QueueText(name, left + disc + gap + 2, middle + 2, fontHeight, 0xC0000000u);
    QueueText(name, left + disc + gap, middle, fontHeight, MedalColour(medal));
}

}  // namespace

void QueueIntroOverlay()
{
    QueueSettlingPlate(0, static_cast<float>(loop.introFrames) / 180.0f, 10.0f);
}

void QueueCountdownOverlay()
{
    const int step = std::min(std::max(loop.countdownStep, 0), 3);
    SignalCountdownStep(step);
    const float q = SlideProgress(loop.countdownFrames, 60.0f);
    DrawSprite(SHEET_COUNTDOWN, static_cast<uint32_t>(step), kWhite, 0, DEPTH_SPRITE, 0,
               320 + 6400 * q, 210, 192, 96);
}

void QueueMissOverlay()
{
    const float q = SlideProgress(loop.missFrames, 120.0f);
    DrawSprite(SHEET_PLATES, 1, kWhite, 0, DEPTH_SPRITE, 0, 320 + 6400 * q, 114, 448, 96);
}

void QueueGoalOverlay()
{
    const float q = std::max(static_cast<float>(loop.goalFrames) / 120.0f - 0.5f, 0.0f);
    QueueSettlingPlate(2, q, 20.0f);
    if (q != 0)
        return;
    if (const CourseDef* course = CurrentCourseDef())
        QueueGoalMedal(*course);
    // The veil darkens the resting scene behind the result menu.
    const float v = static_cast<float>(loop.goalFrames) / 60.0f;
    const uint32_t alpha = 128u - static_cast<uint32_t>(std::floor(128.0f * v));
    const PictureSpan span = CurrentPictureSpan();
    DrawSprite(-1, 0, alpha << 24, 0, DEPTH_BACKGROUND, 0, (span.left + span.right) / 2, 240,
               span.right - span.left, 480);
}

void QueueRecordBadge()
{
    const CourseDef* course = CurrentCourseDef();
    if (!course || course->bestTimeMs != loop.raceTimeMs || (SysMilliseconds() & 256))
        return;
    DrawSprite(SHEET_RECORD_BADGE, 0, kWhite, 0, DEPTH_SPRITE, 0, 577 + RightCornerShift(), 75, 110, 30);
}

namespace {

// The course map: a quarter-scale picture of the W x H world whose lower
// right corner is (Rx, 468), 12 units in from the picture's right edge, its
// upper left (Lx, Ty). False without a course.
struct CourseMapRect {
    float W, H, Lx, Ty, Rx;
};

bool GetCourseMapRect(const CourseDef** course, CourseMapRect* r)
{
    *course = CurrentCourseDef();
    const TerrainGrid& grid = CurrentTerrainGrid();
    if (!*course)
        return false;
    r->W = static_cast<float>(grid.NX) * (*course)->GRID_SIZE;
    r->H = static_cast<float>(grid.NZ) * (*course)->GRID_SIZE;
    r->Rx = 628 + RightCornerShift();
    r->Lx = r->Rx - r->W / 4;
    r->Ty = 468 - r->H / 4;
    return r->W > 0 && r->H > 0;
}

void MapPoint(const CourseMapRect& r, float x, float z, float* sx, float* sy)
{
    *sx = r.W * (1 - (x / r.W + 0.5f)) * 0.25f + r.Lx;
    *sy = r.H * (z / r.H + 0.5f) * 0.25f + r.Ty;
}

}  // namespace

bool CourseMapPoint(float x, float z, float* sx, float* sy)
{
    const CourseDef* course;
    CourseMapRect r;
    if (!GetCourseMapRect(&course, &r))
        return false;
    MapPoint(r, x, z, sx, sy);
    return true;
}

void QueueCourseMap()
{
    const CourseDef* course;
    CourseMapRect r;
    if (!GetCourseMapRect(&course, &r))
        return;
    // A quarter-scale map in the bottom-right corner, picture upright.
    const float W = r.W, H = r.H, Lx = r.Lx, Ty = r.Ty, Rx = r.Rx;
    const uint32_t tint = 0xC0FFFFFF;
    const SpriteVertex map[4] = {{Rx, 468, 0, 1, tint, 1, 1}, {Lx, 468, 0, 1, tint, 0, 1},
                                 {Lx, Ty, 0, 1, tint, 0, 0}, {Rx, Ty, 0, 1, tint, 1, 0}};
    QueueQuad(GetCourseGraphics().fieldTexture, map, DEPTH_PANEL);

    const uint32_t t = SysMilliseconds();
    const uint32_t k = static_cast<uint32_t>(
        static_cast<int>(std::floor(128.0f * std::sin(kPi * static_cast<float>(t % 1000) / 1000.0f))) + 127);
    float bx, by;
    MapPoint(r, ballMatrix.m[3][0], ballMatrix.m[3][2], &bx, &by);
    DrawSprite(SHEET_MAP_ICONS, 0, 0xFF000000u + k * 65536u, 0, DEPTH_SPRITE, 0, bx, by, 12, 12);
    const float x0 = course->GOAL[0], z0 = course->GOAL[1], x1 = course->GOAL[2], z1 = course->GOAL[3];
    const float gx = Lx + (x0 + x1) / 2 * W / 4, gz = Ty + (z0 + z1) / 2 * H / 4;
    DrawSprite(-1, 0, 0xC0000000u + k * 256u, 0, DEPTH_SPRITE, 0, gx, gz,
               (x1 - x0) * W / 4, (z1 - z0) * H / 4);
    DrawSprite(SHEET_MAP_ICONS, 1, 0xFF000000u + k * 256u, 0, DEPTH_SPRITE, 0, gx + 9, gz - 9, 18, 18);
}

void QueueTimePanel()
{
    const float shift = RightCornerShift();
    DrawSprite(SHEET_HUD_LABELS, 1, 0xE0FFFFFF, 0, DEPTH_SPRITE, 0, 438 + shift, 24, 80, 24);
    DrawSprite(-1, 0, 0xE0404040, 0, DEPTH_PANEL, 0, 515 + shift, 36, 234, 48);
    const CourseDef* course = CurrentCourseDef();
    QueueTimeRow(course ? course->bestTimeMs : 0, 24, 0xFFFFFF00, true, shift);
    QueueTimeRow(loop.raceTimeMs, 48, kWhite, false, shift);
}

void FormatSplitDelta(int32_t deltaMs, char* out, size_t outSize)
{
    const uint32_t hundredths = (static_cast<uint32_t>(std::abs(static_cast<int64_t>(deltaMs))) + 5) / 10;
    const char* sign = deltaMs < 0 ? "\u2212" : deltaMs > 0 ? "+" : "\u00B1";
    snprintf(out, outSize, "%s%u.%02u", sign, hundredths / 100, hundredths % 100);
}

void QueueSplitDelta(int32_t deltaMs)
{
    const uint32_t kAhead = 0xFF5AB4FFu, kBehind = 0xFFFF5A50u;
    char text[32];
    FormatSplitDelta(deltaMs, text, sizeof text);
    const uint32_t colour = deltaMs < 0 ? kAhead : deltaMs > 0 ? kBehind : kWhite;
    // A panel of its own left of the time panel, level with the run's time.
    const float shift = RightCornerShift();
    DrawSprite(-1, 0, 0xE0404040, 0, DEPTH_PANEL, 0, 349 + shift, 48, 90, 26);
    QueueText(text, 388 + shift, 48, 24, colour, TEXT_RIGHT);
}
