// The tilt sampler: keyboard table without a board, signed board bytes with
// one.
#include <gtest/gtest.h>

#include "app/tilt.h"
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
