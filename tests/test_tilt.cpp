// The tilt sampler: keyboard table without a board, signed board bytes with
// one.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/loop.h"
#include "app/tilt.h"
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
