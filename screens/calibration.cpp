// The calibration screen for the device that steers now: the board when it
// is connected, else a pad with a motion sensor. Two live meters show the
// device's reading (with its level, range and dead zone) and the tilt the
// game makes of it. "Set level" averages the reading held still for half a
// second; "Set range" follows the tips each way until the button. The dead
// zone, the response curve and the axes' inversion are rows to change with
// left/right. Each change is kept at once, for this device only.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "data/calibration.h"
#include "data/texts.h"
#include "render/sprites.h"
#include "render/text.h"
#include "screens/screens.h"
#include "screens/screens_local.h"
#include "sensor/board.h"

namespace {

enum CalibrationRow {
    ROW_SET_LEVEL, ROW_SET_RANGE, ROW_DEAD_ZONE, ROW_CURVE, ROW_INVERT_X, ROW_INVERT_Z,
    ROW_FORGET, ROW_LEAVE, ROW_COUNT
};
const TextId kRowLabels[ROW_COUNT] = {
    TEXT_CALIBRATION_LEVEL, TEXT_CALIBRATION_RANGE, TEXT_CALIBRATION_DEAD_ZONE,
    TEXT_CALIBRATION_CURVE, TEXT_CALIBRATION_INVERT_X, TEXT_CALIBRATION_INVERT_Z,
    TEXT_CALIBRATION_FORGET, TEXT_SETTINGS_BACK,
};

enum CalibrationPhase {
    PHASE_MENU,
    PHASE_LEVEL,    // averaging the reading held level
    PHASE_RANGE     // following the tips until the button
};

const int kLevelFrames = 30;
const float kSmallestRange = 4;      // a tip each way of at least this many counts
const float kFirstRowY = 116;
const float kRowGap = 34;
const float kLabelX = 352;
const float kValueX = 545;
const int kFontHeight = 18;
const float kMeterY = 214;
const float kReadingMeterX = 110;
const float kTiltMeterX = 262;
const float kMeterHalf = 64;         // pixels from a meter's centre to its edge
const float kReadingScale = kMeterHalf / 40;   // a reading of 40 reaches the edge
const float kTiltScale = kMeterHalf / kFullTilt;
const uint32_t kDimInk = 0xFF9AA4B8u;

struct CalibrationScreen {
    ListCursor cursor;      // the row (a CalibrationRow) and its latches
    int phase;              // CalibrationPhase
    int frameCounter;       // +1 every frame: the cursor's pulse
    int levelFrames;        // readings summed so far for the level
    float sumX, sumZ;       // their sum
    float tip[TIP_COUNT];   // the farthest tip each way so far, from the level
    TextId message;         // the outcome of the last change; TEXT_COUNT for none
    MenuPanel panel;
};
CalibrationScreen screen;

// The device that steers now, as the sampler saw it; null when none can be
// calibrated.
const TiltSource* Device()
{
    const TiltSource& source = LastTiltSource();
    return source.kind == SOURCE_NONE ? nullptr : &source;
}

const Calibration* Record()
{
    const TiltSource* device = Device();
    return device ? FindCalibration(device->device, false) : nullptr;
}

Calibration* RecordToChange()
{
    const TiltSource* device = Device();
    return device ? FindCalibration(device->device, true) : nullptr;
}

// ---------------------------------------------------------------------------
// The meters

void Quad(float x, float y, float w, float h, uint32_t colour)
{
    DrawSprite(SHEET_NONE, 0, colour, 0, DEPTH_SPRITE, 0, x, y, w, h);
}

float Clamp(float v)
{
    return v < -kMeterHalf ? -kMeterHalf : v > kMeterHalf ? kMeterHalf : v;
}

// A point of the meter at (cx, kMeterY): +x (left) draws left, -z
// (forward) draws up.
void Dot(float cx, float x, float z, float scale, float side, uint32_t colour)
{
    Quad(cx + Clamp(-x * scale), kMeterY + Clamp(z * scale), side, side, colour);
}

void MeterFrame(float cx, TextId label)
{
    Quad(cx, kMeterY, 2 * kMeterHalf, 2 * kMeterHalf, 0xFFEEF2F8u);
    Quad(cx, kMeterY, 2 * kMeterHalf, 1, 0xFFC8D0DEu);
    Quad(cx, kMeterY, 1, 2 * kMeterHalf, 0xFFC8D0DEu);
    QueueText(Tr(label), cx, kMeterY + kMeterHalf + 16, 16, kDimInk, TEXT_CENTRE);
}

// A rectangle from `left` to `right` and `forward` to `back`, reading units
// about the level, as four thin edges.
void Outline(float lx, float lz, float left, float right, float forward, float back, uint32_t colour)
{
    float x0 = kReadingMeterX + Clamp(-(lx + left) * kReadingScale);
    float x1 = kReadingMeterX + Clamp(-(lx - right) * kReadingScale);
    float y0 = kMeterY + Clamp((lz - forward) * kReadingScale);
    float y1 = kMeterY + Clamp((lz + back) * kReadingScale);
    Quad((x0 + x1) / 2, y0, x1 - x0, 1, colour);
    Quad((x0 + x1) / 2, y1, x1 - x0, 1, colour);
    Quad(x0, (y0 + y1) / 2, 1, y1 - y0, colour);
    Quad(x1, (y0 + y1) / 2, 1, y1 - y0, colour);
}

float RangeOrFull(const Calibration& c, int way)
{
    return c.range[way] > 0 ? c.range[way] : kFullTilt;
}

void DrawReadingMeter(const TiltSource& device, const Calibration* c)
{
    MeterFrame(kReadingMeterX, TEXT_CALIBRATION_READING);
    if (c) {
        float d = float(c->deadZone) * 0.05f;
        Outline(c->levelX, c->levelZ, RangeOrFull(*c, TIP_LEFT), RangeOrFull(*c, TIP_RIGHT),
                RangeOrFull(*c, TIP_FORWARD), RangeOrFull(*c, TIP_BACK), 0xFF7C8BA6u);
        if (d > 0)
            Outline(c->levelX, c->levelZ, d * RangeOrFull(*c, TIP_LEFT), d * RangeOrFull(*c, TIP_RIGHT),
                    d * RangeOrFull(*c, TIP_FORWARD), d * RangeOrFull(*c, TIP_BACK), 0xFFE0A040u);
        Dot(kReadingMeterX, c->levelX, c->levelZ, kReadingScale, 5, 0xFF7C8BA6u);
    }
    if (screen.phase == PHASE_RANGE) {
        float lx = c ? c->levelX : 0, lz = c ? c->levelZ : 0;
        Outline(lx, lz, screen.tip[TIP_LEFT], screen.tip[TIP_RIGHT], screen.tip[TIP_FORWARD],
                screen.tip[TIP_BACK], 0xFF40A060u);
    }
    Dot(kReadingMeterX, device.x, device.z, kReadingScale, 9, kMenuInk);
}

void DrawTiltMeter(const TiltSource& device, const Calibration* c)
{
    MeterFrame(kTiltMeterX, TEXT_CALIBRATION_TILT);
    float x = device.x, z = device.z;
    if (c)
        CalibrateTilt(*c, &x, &z);
    Dot(kTiltMeterX, x, z, kTiltScale, 9, kMenuInk);
}

// ---------------------------------------------------------------------------
// The rows

int RowValue(int row, const Calibration* c)
{
    switch (row) {
    case ROW_DEAD_ZONE: return c ? c->deadZone : 0;
    case ROW_CURVE: return c ? c->curve : CURVE_LINEAR;
    case ROW_INVERT_X: return c ? c->invertX : 0;
    case ROW_INVERT_Z: return c ? c->invertZ : 0;
    default: return -1;
    }
}

void DrawLevel(int value, float y)
{
    for (int i = 0; i < kDeadZoneSteps; i++)
        Quad(kValueX - 45 + 10 * i, y, 7, 12, i < value ? kMenuInk : 0xFFD0D6E2u);
}

void DrawRow(int row, const Calibration* c, bool usable)
{
    float y = kFirstRowY + kRowGap * float(row);
    uint32_t ink = usable || row == ROW_LEAVE ? kMenuInk : kDimInk;
    QueueText(Tr(kRowLabels[row]), kLabelX, y, kFontHeight, ink, TEXT_LEFT);
    int value = RowValue(row, c);
    if (row == ROW_DEAD_ZONE)
        DrawLevel(value, y);
    else if (row == ROW_CURVE)
        QueueText(Tr(value == CURVE_GENTLE ? TEXT_VALUE_GENTLE : TEXT_VALUE_LINEAR), kValueX, y, kFontHeight, ink, TEXT_CENTRE);
    else if (value >= 0)
        QueueText(Tr(value ? TEXT_VALUE_ON : TEXT_VALUE_OFF), kValueX, y, kFontHeight, ink, TEXT_CENTRE);
    if (row == screen.cursor.row) {
        float side = 24 - CursorPulse(screen.frameCounter, 24);
        DrawSprite(SHEET_CURSOR, 1, 0xFFFFFFFF, 0, DEPTH_SPRITE, 0, kLabelX - 20, y, side, side);
    }
}

void DrawDeviceName(const TiltSource* device)
{
    char name[96];
    if (!device)
        snprintf(name, sizeof name, "%s", Tr(TEXT_CALIBRATION_NO_DEVICE));
    else if (device->kind == SOURCE_BOARD)
        snprintf(name, sizeof name, "%s", Tr(TEXT_CALIBRATION_BOARD));
    else
        snprintf(name, sizeof name, Tr(TEXT_CALIBRATION_PAD), device->device + 4);
    QueueText(name, 320, 80, kFontHeight, kMenuInk, TEXT_CENTRE);
}

void DrawFooter(const TiltSource* device)
{
    TextId line = screen.message;
    if (screen.phase == PHASE_LEVEL)
        line = TEXT_CALIBRATION_HOLD_LEVEL;
    else if (screen.phase == PHASE_RANGE)
        line = TEXT_CALIBRATION_TIP;
    else if (line == TEXT_COUNT && device && !Record())
        line = TEXT_CALIBRATION_NONE;
    if (line != TEXT_COUNT)
        QueueText(Tr(line), 320, 428, 16, kMenuInk, TEXT_CENTRE);
    if (device && device->kind == SOURCE_PAD_MOTION)
        QueueText(Tr(TEXT_CALIBRATION_PAD_HINT), 320, 452, 14, kDimInk, TEXT_CENTRE);
}

void DrawScreen()
{
    const TiltSource* device = Device();
    const Calibration* c = Record();
    QueueMenuText(Tr(TEXT_CALIBRATION_HEADING), 320, 34, TEXT_CENTRE, 32);
    DrawDeviceName(device);
    if (device) {
        DrawReadingMeter(*device, c);
        DrawTiltMeter(*device, c);
    }
    for (int r = 0; r < ROW_COUNT; r++)
        DrawRow(r, c, device != nullptr);
    DrawFooter(device);
}

// ---------------------------------------------------------------------------
// Level and range

void Keep(TextId message)
{
    SaveCalibrations();
    screen.message = message;
    screen.phase = PHASE_MENU;
    MenuSound(MENU_SOUND_CONFIRM);
}

void FollowLevel(const TiltSource& device)
{
    screen.sumX += device.x;
    screen.sumZ += device.z;
    if (++screen.levelFrames < kLevelFrames)
        return;
    Calibration* c = RecordToChange();
    if (!c) {
        screen.phase = PHASE_MENU;
        return;
    }
    c->levelX = screen.sumX / float(kLevelFrames);
    c->levelZ = screen.sumZ / float(kLevelFrames);
    Keep(TEXT_CALIBRATION_KEPT);
}

void FollowTips(const TiltSource& device, const TiltVector& tilt)
{
    const Calibration* c = Record();
    float dx = device.x - (c ? c->levelX : 0), dz = device.z - (c ? c->levelZ : 0);
    float* tip = screen.tip;
    if (dx > tip[TIP_LEFT]) tip[TIP_LEFT] = dx;
    if (-dx > tip[TIP_RIGHT]) tip[TIP_RIGHT] = -dx;
    if (-dz > tip[TIP_FORWARD]) tip[TIP_FORWARD] = -dz;
    if (dz > tip[TIP_BACK]) tip[TIP_BACK] = dz;
    if (screen.cursor.buttonLatch || !tilt.button)
        return;
    screen.cursor.buttonLatch = 1;
    bool enough = true;
    for (float t : screen.tip)
        enough = enough && t >= kSmallestRange;
    Calibration* record = enough ? RecordToChange() : nullptr;
    if (!record) {
        Keep(TEXT_CALIBRATION_TOO_SMALL);
        return;
    }
    memcpy(record->range, screen.tip, sizeof record->range);
    Keep(TEXT_CALIBRATION_KEPT);
}

// ---------------------------------------------------------------------------
// Choosing and changing

void Rearm(const TiltVector& tilt)
{
    RearmListCursor(&screen.cursor, tilt);
}

void ChooseRow(const TiltVector& tilt)
{
    MoveListRow(&screen.cursor, tilt, ROW_COUNT);
}

void Change(int by)
{
    Calibration* c = RecordToChange();
    if (!c)
        return;
    switch (screen.cursor.row) {
    case ROW_DEAD_ZONE: {
        int v = c->deadZone + by;
        c->deadZone = v < 0 ? 0 : v > kDeadZoneSteps ? kDeadZoneSteps : v;
        break;
    }
    case ROW_CURVE: c->curve = c->curve == CURVE_GENTLE ? CURVE_LINEAR : CURVE_GENTLE; break;
    case ROW_INVERT_X: c->invertX = !c->invertX; break;
    case ROW_INVERT_Z: c->invertZ = !c->invertZ; break;
    default: return;
    }
    SaveCalibrations();
    screen.message = TEXT_COUNT;
    MenuSound(MENU_SOUND_MOVE);
}

void ChangeValue(const TiltVector& tilt)
{
    if (screen.cursor.xLatch || RowValue(screen.cursor.row, nullptr) < 0)
        return;
    int by = TakeSideStep(&screen.cursor, tilt);
    if (by != 0)
        Change(by);
}

void Press()
{
    screen.cursor.buttonLatch = 1;
    MenuSound(screen.cursor.row == ROW_LEAVE ? MENU_SOUND_BACK : MENU_SOUND_CONFIRM);
    const TiltSource* device = Device();
    if (screen.cursor.row == ROW_LEAVE) {
        SaveCalibrations();
        game.state = STATE_SETTINGS;
        ReturnToSettings();
    } else if (!device) {
        return;
    } else if (screen.cursor.row == ROW_SET_LEVEL) {
        screen.phase = PHASE_LEVEL;
        screen.levelFrames = 0;
        screen.sumX = screen.sumZ = 0;
    } else if (screen.cursor.row == ROW_SET_RANGE) {
        screen.phase = PHASE_RANGE;
        memset(screen.tip, 0, sizeof screen.tip);
    } else if (screen.cursor.row == ROW_FORGET) {
        ForgetCalibration(device->device);
        Keep(TEXT_CALIBRATION_NONE);
    } else {
        Change(+1);
    }
}

void Run(const TiltVector& tilt)
{
    const TiltSource* device = Device();
    Rearm(tilt);
    if (screen.phase != PHASE_MENU && !device)
        screen.phase = PHASE_MENU;   // the device went away
    if (screen.phase == PHASE_LEVEL) {
        FollowLevel(*device);
    } else if (screen.phase == PHASE_RANGE) {
        FollowTips(*device, tilt);
    } else {
        ChooseRow(tilt);
        ChangeValue(tilt);
        if (!screen.cursor.buttonLatch && tilt.button)
            Press();
    }
}

}  // namespace

void ResetCalibration()
{
    screen = CalibrationScreen{};
    screen.message = TEXT_COUNT;
    screen.cursor.buttonLatch = 1;   // the press that chose this screen changes nothing
    // Clear of the on-screen lamps in the bottom-left corner.
    InitMenuPanel(&screen.panel, 24, 62, 616, 400, 8, 12);
}

void UpdateCalibration(const TiltVector& tilt)
{
    screen.frameCounter++;
    DrawWhiteBackground();
    UpdateMenuPanel(&screen.panel);
    if (screen.panel.phase == PANEL_OPEN) {
        Run(tilt);
        DrawScreen();
    }
    DrawMenuPanel(&screen.panel);
}
