// The tilt sampler: keyboard table without a board, signed board bytes with
// one.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/loop.h"
#include "app/tilt.h"
#include "app/tilt_local.h"
#include "data/calibration.h"
#include "data/extras.h"
#include "platform/pad.h"
#include "platform/sys.h"
#include "sensor/board_local.h"

namespace {

bool keys[KEY_COUNT];

int FakeKeyDown(SysKey key) { return keys[key]; }

class TiltTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (bool& key : keys)
            key = false;
        SysHooks hooks = {};
        hooks.keyDown = FakeKeyDown;
        SysSetHooks(&hooks);
        boardLink.boardConnected = 0;
    }
    void TearDown() override
    {
        SysSetHooks(nullptr);
        boardLink.boardConnected = 0;
        for (auto& byte : boardLink.boardData)
            byte = 0;
    }
    static TiltVector Sample()
    {
        TiltVector tilt = {99, 99, 99, 0, 0};
        EXPECT_EQ(SampleTilt(&tilt), 1);
        return tilt;
    }
    static void Board(uint8_t b6, uint8_t b7, uint8_t b8)
    {
        boardLink.boardData[6] = b6;
        boardLink.boardData[7] = b7;
        boardLink.boardData[8] = b8;
        boardLink.boardConnected = 1;
    }
};

struct KeyRow {
    std::vector<SysKey> down;
    float x, y, z;
};

}  // namespace

// Every keyboard combination of the sample table, plus the precedence of
// opposite keys and of X over Z.
TEST_F(TiltTest, KeyboardTable)
{
    const KeyRow rows[] = {
        {{}, 0, 10, 0},
        {{KEY_UP}, 0, 10, -20},
        {{KEY_DOWN}, 0, 10, 20},
        {{KEY_LEFT}, 20, 10, 0},
        {{KEY_RIGHT}, -20, 10, 0},
        {{KEY_UP, KEY_LEFT}, 10, 10, -10},
        {{KEY_DOWN, KEY_RIGHT}, -10, 10, 10},
        {{KEY_SHIFT, KEY_UP}, 0, 0, -10},
        {{KEY_SHIFT, KEY_UP, KEY_LEFT}, 5, 0, -5},
        {{KEY_SHIFT}, 0, 0, 0},
        {{KEY_Z}, 0, -32, 0},
        {{KEY_X}, 0, 31, 0},
        {{KEY_X, KEY_Z}, 0, 31, 0},
        {{KEY_SHIFT, KEY_Z, KEY_LEFT}, 10, -32, 0},
        {{KEY_UP, KEY_DOWN}, 0, 10, -20},
        {{KEY_LEFT, KEY_RIGHT}, 20, 10, 0},
    };
    for (const KeyRow& row : rows) {
        for (bool& key : keys)
            key = false;
        for (SysKey key : row.down)
            keys[key] = true;
        TiltVector tilt = Sample();
        SCOPED_TRACE(testing::Message() << "keys held: " << row.down.size() << ", first "
                                        << (row.down.empty() ? -1 : int(row.down[0])));
        EXPECT_EQ(tilt.x, row.x);
        EXPECT_EQ(tilt.y, row.y);
        EXPECT_EQ(tilt.z, row.z);
    }
}

// A connected board gives x = -byte 6, y = byte 8, z = -byte 7, signed.
TEST_F(TiltTest, BoardBytesAreSigned)
{
    Board(0x05, 0xFB, 0x9C);   // 5, -5, -100
    TiltVector tilt = Sample();
    EXPECT_EQ(tilt.x, -5);
    EXPECT_EQ(tilt.y, -100);
    EXPECT_EQ(tilt.z, 5);
}

// Negation stays in 8 bits: -128 stays -128, 127 becomes -127.
TEST_F(TiltTest, Minus128StaysMinus128)
{
    Board(0x80, 0x7F, 0x80);
    TiltVector tilt = Sample();
    EXPECT_EQ(tilt.x, -128);
    EXPECT_EQ(tilt.z, -127);
    EXPECT_EQ(tilt.y, -128);
}

// With the board connected the keyboard is ignored, SHIFT, X and Z included.
TEST_F(TiltTest, ConnectedBoardIgnoresKeyboard)
{
    Board(0, 0, 0);
    for (SysKey key : {KEY_UP, KEY_LEFT, KEY_SHIFT, KEY_X, KEY_Z})
        keys[key] = true;
    TiltVector tilt = Sample();
    EXPECT_EQ(tilt.x, 0);
    EXPECT_EQ(tilt.y, 0);
    EXPECT_EQ(tilt.z, 0);
}

// When the board drops, the next sample comes from the keyboard.
TEST_F(TiltTest, DisconnectSwitchesToKeyboard)
{
    Board(0x10, 0x10, 0x10);
    keys[KEY_UP] = true;
    EXPECT_EQ(Sample().z, -16);
    boardLink.boardConnected = 0;
    TiltVector tilt = Sample();
    EXPECT_EQ(tilt.z, -20);
    EXPECT_EQ(tilt.y, 10);
}

// ---------------------------------------------------------------------------
// The game pad, on the null platform's test pad.

namespace {

uint32_t clockMs;
uint32_t FakeClock() { return clockMs; }

class PadTiltTest : public TiltTest {
protected:
    void SetUp() override
    {
        TiltTest::SetUp();
        SysHooks hooks = {};
        hooks.keyDown = FakeKeyDown;
        hooks.milliseconds = FakeClock;
        SysSetHooks(&hooks);
        clockMs = 1000;
        pad = PadState{};
        pad.attached = 1;
    }
    void TearDown() override
    {
        // A pass with no pad also forgets the smoothed motion readings.
        PadSetForTests(nullptr);
        Sample();
        TiltTest::TearDown();
    }
    // The pad as set now, sampled once, 16 ms after the last sample.
    TiltVector PadSample()
    {
        PadSetForTests(&pad);
        clockMs += 16;
        return Sample();
    }
    // A pad tilted by the given angles (degrees): roll lowers the left edge,
    // pitch the far edge; the accelerometer reads "up" in the pad's frame.
    void Tilted(float rollDeg, float pitchDeg, float g = 1)
    {
        float roll = rollDeg * 3.14159265f / 180, pitch = pitchDeg * 3.14159265f / 180;
        pad.hasMotion = 1;
        pad.accel[0] = g * std::sin(roll) * std::cos(pitch);
        pad.accel[1] = g * std::cos(roll) * std::cos(pitch);
        pad.accel[2] = g * std::sin(pitch);
    }
    PadState pad;
};

struct PadRow {
    float stickX, stickY;
    uint32_t buttons;
    std::vector<SysKey> keys;   // the keys that give the same sample
};

}  // namespace

// A full stick and the buttons give exactly the sample of the matching keys:
// directions and signs, SHIFT's half tilt, X and Z, X over Z.
TEST_F(PadTiltTest, StickAndButtonsReadLikeTheirKeys)
{
    const PadRow rows[] = {
        {-1, 0, 0, {KEY_LEFT}},
        {1, 0, 0, {KEY_RIGHT}},
        {0, -1, 0, {KEY_UP}},
        {0, 1, 0, {KEY_DOWN}},
        {-1, 0, PAD_LEFT_SHOULDER, {KEY_SHIFT, KEY_LEFT}},
        {0, -1, PAD_LEFT_SHOULDER, {KEY_SHIFT, KEY_UP}},
        {0, 0, PAD_LEFT_SHOULDER, {KEY_SHIFT}},
        {0, 0, PAD_EAST, {KEY_Z}},
        {0, 0, PAD_NORTH, {KEY_X}},
        {0, 0, PAD_NORTH | PAD_EAST, {KEY_X, KEY_Z}},
        {1, 0, PAD_EAST | PAD_LEFT_SHOULDER, {KEY_RIGHT, KEY_Z, KEY_SHIFT}},
        {0, 0, PAD_SOUTH, {}},
        {0, 0, PAD_START, {}},
    };
    for (const PadRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "stick " << row.stickX << "," << row.stickY
                                        << " buttons " << row.buttons);
        for (bool& key : keys)
            key = false;
        for (SysKey key : row.keys)
            keys[key] = true;
        PadSetForTests(nullptr);
        TiltVector byKeys = Sample();
        for (bool& key : keys)
            key = false;
        pad.stickX = row.stickX;
        pad.stickY = row.stickY;
        pad.buttons = row.buttons;
        TiltVector byPad = PadSample();
        EXPECT_EQ(byPad.x, byKeys.x);
        EXPECT_EQ(byPad.y, byKeys.y);
        EXPECT_EQ(byPad.z, byKeys.z);
    }
}

// Stick noise inside the dead zone leaves the keyboard in charge and never
// reaches a menu's threshold of 7; past it the tilt ramps linearly to 20,
// and a stick pushed into a corner is no stronger than one pushed straight.
TEST_F(PadTiltTest, StickDeadZoneAndRamp)
{
    keys[KEY_LEFT] = true;
    for (int k = 0; k < 8; k++) {
        pad.stickX = 0.24f * std::cos(k * 0.785398f);
        pad.stickY = 0.24f * std::sin(k * 0.785398f);
        TiltVector tilt = PadSample();
        EXPECT_EQ(tilt.x, 20);   // the LEFT key's, not the pad's
        EXPECT_EQ(tilt.z, 0);
    }
    keys[KEY_LEFT] = false;
    pad.stickX = 0.5f;
    pad.stickY = 0;
    EXPECT_GT(PadSample().x, -7);
    pad.stickX = 0.625f;             // halfway along the ramp
    EXPECT_NEAR(PadSample().x, -10, 1e-4);
    pad.stickX = 1;
    pad.stickY = -1;                 // corner: travel beyond 1 is clipped
    TiltVector corner = PadSample();
    EXPECT_NEAR(std::hypot(corner.x, corner.z), 20, 1e-4);
    EXPECT_LT(corner.x, 0);
    EXPECT_LT(corner.z, 0);
}

// Holding the right shoulder steers by the pad's own tilt: 39 degrees to
// each side gives the arrow keys' 20 with their signs, flat gives (0, 10, 0),
// however strong the reading; without the shoulder the tilt is ignored.
TEST_F(PadTiltTest, MotionTiltMatchesTheKeys)
{
    pad.buttons = PAD_RIGHT_SHOULDER;
    const struct { float roll, pitch, x, z; } rows[] = {
        {39, 0, 20, 0}, {-39, 0, -20, 0}, {0, 39, 0, -20}, {0, -39, 0, 20}, {0, 0, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "roll " << row.roll << " pitch " << row.pitch);
        for (float g : {1.0f, 1.6f}) {
            Tilted(row.roll, row.pitch, g);
            for (int k = 0; k < 15; k++)
                PadSample();         // a quarter of a second: settled
            TiltVector tilt = PadSample();
            EXPECT_NEAR(tilt.x, row.x, 0.2f);
            EXPECT_NEAR(tilt.z, row.z, 0.2f);
            EXPECT_EQ(tilt.y, 10);
        }
    }
    Tilted(39, 0);
    pad.buttons = 0;
    keys[KEY_UP] = true;
    TiltVector tilt = PadSample();
    EXPECT_EQ(tilt.x, 0);            // the keyboard's UP, the pad's tilt unused
    EXPECT_EQ(tilt.z, -20);
}

// A one-frame jolt of 20 degrees (11 counts raw) stays below a menu's 7,
// and so does the frame after it; a tilt held for a quarter of a second
// comes through in full.
TEST_F(PadTiltTest, MotionTiltIsSmoothed)
{
    pad.buttons = PAD_RIGHT_SHOULDER;
    Tilted(0, 0);
    for (int k = 0; k < 5; k++)
        PadSample();
    Tilted(20, 0);
    EXPECT_LT(PadSample().x, 7);
    Tilted(0, 0);
    EXPECT_LT(PadSample().x, 7);
    Tilted(39, 0);
    for (int k = 0; k < 15; k++)
        PadSample();
    EXPECT_GT(PadSample().x, 19.5f);
}

// Board first, then a pad in use, then the keyboard; the board's button
// wins over the pad's, and without a board the south button and start press
// it like SPACE.
TEST_F(PadTiltTest, BoardThenPadThenKeyboard)
{
    keys[KEY_RIGHT] = true;
    pad.stickX = -1;
    pad.buttons = PAD_SOUTH | PAD_NORTH;
    PadSetForTests(&pad);
    Board(0x05, 0, 0x0A);
    SampleInput();
    EXPECT_EQ(loop.tilt.x, -5);
    EXPECT_EQ(loop.tilt.y, 10);
    EXPECT_EQ(loop.tilt.button, 0);

    boardLink.boardConnected = 0;
    SampleInput();
    EXPECT_EQ(loop.tilt.x, 20);      // the pad's stick, not RIGHT
    EXPECT_EQ(loop.tilt.y, 31);
    EXPECT_EQ(loop.tilt.button, 1);

    pad.stickX = 0;
    pad.buttons = 0;
    PadSetForTests(&pad);
    SampleInput();
    EXPECT_EQ(loop.tilt.x, -20);     // an idle pad hands back to the keyboard
    EXPECT_EQ(loop.tilt.button, 0);
    pad.buttons = PAD_START;
    PadSetForTests(&pad);
    SampleInput();
    EXPECT_EQ(loop.tilt.button, 1);
    EXPECT_EQ(loop.tilt.x, 0);       // a held button puts the pad in charge
}

// ---------------------------------------------------------------------------
// The player's settings: mouse steering, the key ramp, calibration.

namespace {

float mouseDx, mouseDy;
void FakeMouse(float* dx, float* dy)
{
    *dx = mouseDx;
    *dy = mouseDy;
    mouseDx = mouseDy = 0;
}

class SteeringTest : public PadTiltTest {
protected:
    void SetUp() override
    {
        PadTiltTest::SetUp();
        SysHooks hooks = {};
        hooks.keyDown = FakeKeyDown;
        hooks.milliseconds = FakeClock;
        hooks.mouseMotion = FakeMouse;
        SysSetHooks(&hooks);
        kept = extras;
        SysSetMouseCaptured(1);
        Sample();                    // the clock's starting point
    }
    void TearDown() override
    {
        SysSetMouseCaptured(0);
        extras = kept;
        calibrations = CalibrationTable{};
        PadTiltTest::TearDown();
    }
    // A sample `ms` after the last one, the mouse moved by (dx, dy) between.
    TiltVector After(uint32_t ms, float dx = 0, float dy = 0)
    {
        clockMs += ms;
        mouseDx = dx;
        mouseDy = dy;
        return Sample();
    }
    Extras kept;
};

}  // namespace

// 50 pixels to the right at the middle sensitivity tilt right by half the
// keys' full tilt; resting, the tilt decays with its 200 ms time constant
// and is level again, exactly, within two seconds. A key wins over the mouse.
TEST_F(SteeringTest, MouseTiltDecaysToLevel)
{
    TiltVector t = After(0, 50, 0);
    EXPECT_FLOAT_EQ(t.x, -10);
    EXPECT_EQ(t.z, 0);
    EXPECT_EQ(t.y, 10);
    EXPECT_NEAR(After(200).x, -10 * std::exp(-1.0f), 0.01f);
    t = After(2000);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.z, 0);
    EXPECT_FLOAT_EQ(After(0, 0, -400).z, -20);      // far forward: no more than a key
    keys[KEY_LEFT] = true;
    EXPECT_EQ(After(16).x, 20);
}

// The mouse steers only while captured for the race, and only with its
// option on; motion made meanwhile is not saved up.
TEST_F(SteeringTest, MouseSteersOnlyWhenCapturedAndChosen)
{
    SysSetMouseCaptured(0);
    EXPECT_EQ(After(16, 50, 50).x, 0);
    SysSetMouseCaptured(1);
    EXPECT_EQ(After(16).x, 0);
    extras.mouseSteering = 0;
    EXPECT_EQ(After(16, 50, 50).x, 0);
}

// With a 0.3 s ramp a held key's tilt grows by 16/300 of the full tilt per
// 16 ms, a tap stays small, letting go or turning round starts from level,
// and the half tilt halves the ramped tilt. Without a ramp it is at once.
TEST_F(SteeringTest, KeyRamp)
{
    extras.keyRamp = 6;
    keys[KEY_LEFT] = true;
    EXPECT_FLOAT_EQ(After(16).x, 20 * 16 / 300.0f);
    EXPECT_FLOAT_EQ(After(16).x, 20 * 32 / 300.0f);
    keys[KEY_LEFT] = false;
    EXPECT_EQ(After(16).x, 0);
    keys[KEY_RIGHT] = true;
    EXPECT_FLOAT_EQ(After(16).x, -20 * 16 / 300.0f);
    for (int k = 0; k < 20; k++)
        After(16);
    EXPECT_EQ(After(16).x, -20);
    keys[KEY_SHIFT] = true;
    EXPECT_EQ(After(16).x, -10);
    keys[KEY_SHIFT] = keys[KEY_RIGHT] = false;
    After(16);
    extras.keyRamp = 0;
    keys[KEY_UP] = true;
    EXPECT_EQ(After(16).z, -20);
}

// A board that rests at (3, -2) reads level as zero tilt once its level is
// set, its full tilt each way as the keys' full tilt (and no more beyond),
// half of it as a quarter with the gentle curve; the dead zone and the
// inverted axis apply. An uncalibrated board is read as it is.
TEST_F(SteeringTest, CalibratedBoardLevelAndRange)
{
    Board(0xFD, 0x02, 0x10);                     // x 3, z -2
    EXPECT_EQ(Sample().x, 3);
    Calibration* c = FindCalibration(kBoardDevice, true);
    ASSERT_NE(c, nullptr);
    c->levelX = 3;
    c->levelZ = -2;
    c->range[TIP_LEFT] = 24;
    c->range[TIP_RIGHT] = 22;
    c->range[TIP_FORWARD] = 10;
    c->range[TIP_BACK] = 12;
    TiltVector t = Sample();
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.z, 0);
    EXPECT_EQ(t.y, 16);                          // the vertical reading is not calibrated
    EXPECT_EQ(LastTiltSource().x, 3);            // the meter sees the raw reading
    Board(uint8_t(-27), uint8_t(12), 0);         // x 27: full left; z -12: full forward
    t = Sample();
    EXPECT_FLOAT_EQ(t.x, 20);
    EXPECT_FLOAT_EQ(t.z, -20);
    Board(uint8_t(40), uint8_t(-30), 0);         // beyond full right and full back
    t = Sample();
    EXPECT_FLOAT_EQ(t.x, -20);
    EXPECT_FLOAT_EQ(t.z, 20);
    c->curve = CURVE_GENTLE;
    Board(uint8_t(-3 - 12), 2, 0);               // x 15: halfway left
    EXPECT_NEAR(Sample().x, 5, 1e-4);
    c->curve = CURVE_LINEAR;
    c->deadZone = 2;                             // 10 %: 2.4 counts left of level
    Board(uint8_t(-3 - 2), 2, 0);
    EXPECT_EQ(Sample().x, 0);
    Board(uint8_t(-27), 2, 0);
    c->invertX = 1;
    EXPECT_FLOAT_EQ(Sample().x, -20);
}

// The pad's motion steering is calibrated by the pad's GUID: a pad held at
// 10 degrees reads level, 40 degrees full; another make of pad keeps its
// raw tilt.
TEST_F(SteeringTest, CalibratedPadByItsGuid)
{
    const char* guid = "030000004c050000cc09000000016800";
    snprintf(pad.guid, sizeof pad.guid, "%s", guid);
    pad.buttons = PAD_RIGHT_SHOULDER;
    Calibration* c = FindCalibration(PadDevice(guid).c_str(), true);
    ASSERT_NE(c, nullptr);
    float rad = 3.14159265f / 180;
    c->levelX = kPadCountsPerG * std::sin(10 * rad);
    c->range[TIP_LEFT] = kPadCountsPerG * std::sin(40 * rad) - c->levelX;
    auto settled = [&](float roll) {
        Tilted(roll, 0);
        for (int k = 0; k < 15; k++)
            PadSample();
        return PadSample();
    };
    EXPECT_NEAR(settled(10).x, 0, 0.2f);
    EXPECT_NEAR(settled(40).x, 20, 0.2f);
    EXPECT_EQ(std::string(LastTiltSource().device), PadDevice(guid));
    snprintf(pad.guid, sizeof pad.guid, "%s", "03000000de280000ff11000001000000");
    EXPECT_NEAR(settled(10).x, kPadCountsPerG * std::sin(10 * rad), 0.2f);
}
