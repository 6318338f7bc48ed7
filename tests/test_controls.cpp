// The player's control files (controls.txt, calibration.txt) and the swap
// rule of rebinding.
#include <gtest/gtest.h>

#include <string>

#include <unistd.h>

#include "data/bindings.h"
#include "data/calibration.h"
#include "platform/keycodes.h"
#include "platform/pad.h"
#include "support/data_files.h"

namespace {

const int kW = KEYCODE_A + 22;
const int kA = KEYCODE_A;

class ControlFiles : public DataFilesTest {
protected:
    void TearDown() override
    {
        bindings = DefaultBindings();
        calibrations = CalibrationTable{};
        DataFilesTest::TearDown();
    }
};

bool Same(const Binding& a, const Binding& b)
{
    return a.keys[0] == b.keys[0] && a.keys[1] == b.keys[1] &&
           a.buttons[0] == b.buttons[0] && a.buttons[1] == b.buttons[1];
}

}  // namespace

// The defaults written and read back are the defaults; a file's bindings
// (any letter case, CRLF, a byte-order mark, comments) replace only the
// actions it names.
TEST_F(ControlFiles, BindingsRoundTrip)
{
    Bindings read = {};
    std::string problems;
    EXPECT_EQ(0, ReadBindingsText(WriteBindingsText(DefaultBindings()), &read, &problems)) << problems;
    for (int a = 0; a < ACTION_COUNT; a++)
        EXPECT_TRUE(Same(read.action[a], DefaultBindings().action[a])) << ActionKeyword(a);

    WriteBytes("controls.txt", "\xEF\xBB\xBF# mine\r\ntiltup = w, UP, pad:dpadup  # both\r\n"
                               "TiltLeft = A\r\nCameraPitch = none\r\nQuickRetry = Key135, Pad:West\r\n");
    EXPECT_EQ(1, LoadBindings());
    const Binding& up = bindings.action[ACTION_TILT_UP];
    EXPECT_EQ(kW, up.keys[0]);
    EXPECT_EQ(KEYCODE_UP, up.keys[1]);
    EXPECT_EQ(uint32_t(PAD_DPAD_UP), up.buttons[0]);
    EXPECT_EQ(kA, bindings.action[ACTION_TILT_LEFT].keys[0]);
    EXPECT_EQ(0u, bindings.action[ACTION_TILT_LEFT].buttons[0]);
    EXPECT_EQ(KEYCODE_NONE, bindings.action[ACTION_CAMERA_PITCH].keys[0]);
    EXPECT_EQ(135, bindings.action[ACTION_QUICK_RETRY].keys[0]);
    EXPECT_EQ(uint32_t(PAD_WEST), bindings.action[ACTION_QUICK_RETRY].buttons[0]);
    EXPECT_TRUE(Same(bindings.action[ACTION_CONFIRM], DefaultBindings().action[ACTION_CONFIRM]));

    ASSERT_EQ(1, SaveBindings());
    Bindings again = DefaultBindings();
    EXPECT_EQ(0, ReadBindingsText(ReadBytes("controls.txt"), &again, &problems)) << problems;
    for (int a = 0; a < ACTION_COUNT; a++)
        EXPECT_TRUE(Same(again.action[a], bindings.action[a])) << ActionKeyword(a);
}

// Each broken line is reported with its number and skipped: its action keeps
// the default, and the good lines around it still count.
TEST_F(ControlFiles, BrokenBindingLinesAreSkipped)
{
    const char* text =
        "TiltUp = W\n"                      // 1 good
        "TiltDown = Foo\n"                  // 2 unknown key
        "TiltLeft A\n"                      // 3 no '='
        "Jump = Space\n"                    // 4 unknown action
        "Lift = Escape\n"                   // 5 reserved
        "Drop = Q, W, E\n"                  // 6 three keys
        "Confirm = Pad:South\n"             // 7 Confirm without a key
        "HalfTilt = Pad:RShoulder\n"        // 8 the motion button
        "TiltRight = D,\n"                  // 9 empty name
        "CameraDistance = Pad:Nowhere\n"    // 10 unknown button
        "QuickRetry = Q\n";                 // 11 good
    Bindings b = DefaultBindings();
    std::string problems;
    EXPECT_EQ(9, ReadBindingsText(text, &b, &problems));
    EXPECT_EQ(kW, b.action[ACTION_TILT_UP].keys[0]);
    EXPECT_EQ(KEYCODE_A + 16, b.action[ACTION_QUICK_RETRY].keys[0]);
    for (int a : {ACTION_TILT_DOWN, ACTION_TILT_LEFT, ACTION_TILT_RIGHT, ACTION_HALF_TILT, ACTION_LIFT,
                  ACTION_DROP, ACTION_CONFIRM, ACTION_CAMERA_DISTANCE})
        EXPECT_TRUE(Same(b.action[a], DefaultBindings().action[a])) << ActionKeyword(a);
    for (int line = 2; line <= 10; line++)
        EXPECT_NE(std::string::npos, problems.find("controls.txt line " + std::to_string(line) + ":")) << line;
    EXPECT_EQ(std::string::npos, problems.find("line 1:"));
    EXPECT_EQ(std::string::npos, problems.find("line 11:"));
}

// A controls.txt that never ends (a link to an endless device) is refused
// and the game starts with the defaults instead of filling the memory; a
// broken line's message quotes a long name only in part.
TEST_F(ControlFiles, EndlessFileAndLongLines)
{
    ASSERT_EQ(0, symlink("/dev/zero", (dir + "controls.txt").c_str()));
    EXPECT_EQ(0, LoadBindings());
    for (int a = 0; a < ACTION_COUNT; a++)
        EXPECT_TRUE(Same(bindings.action[a], DefaultBindings().action[a])) << ActionKeyword(a);

    Bindings b = DefaultBindings();
    std::string problems;
    EXPECT_EQ(1, ReadBindingsText("Confirm = " + std::string(100000, 'A') + "\n", &b, &problems));
    EXPECT_LT(problems.size(), 200u) << problems.substr(0, 200);
    EXPECT_NE(std::string::npos, problems.find("controls.txt line 1: unknown key \"AAAA")) << problems;
}

// A key another action holds is swapped with this box's key; into an empty
// box, the other action's only key is refused; reserved keys are refused;
// pad buttons follow the same rule. Conflicts from a hand-made file show.
TEST_F(ControlFiles, RebindSwapsOrRefuses)
{
    Bindings b = DefaultBindings();
    RebindOutcome swapped = RebindKey(&b, ACTION_TILT_UP, 0, KEYCODE_DOWN);
    EXPECT_EQ(REBIND_SWAPPED, swapped.result);
    EXPECT_EQ(ACTION_TILT_DOWN, swapped.other);
    EXPECT_EQ(KEYCODE_DOWN, b.action[ACTION_TILT_UP].keys[0]);
    EXPECT_EQ(KEYCODE_UP, b.action[ACTION_TILT_DOWN].keys[0]);

    RebindOutcome refused = RebindKey(&b, ACTION_LIFT, 1, KEYCODE_SPACE);
    EXPECT_EQ(REBIND_ONLY_KEY, refused.result);
    EXPECT_EQ(ACTION_CONFIRM, refused.other);
    EXPECT_EQ(KEYCODE_NONE, b.action[ACTION_LIFT].keys[1]);
    EXPECT_EQ(KEYCODE_SPACE, b.action[ACTION_CONFIRM].keys[0]);
    // Half tilt has two keys: one may go into an empty box elsewhere.
    EXPECT_EQ(REBIND_SWAPPED, RebindKey(&b, ACTION_LIFT, 1, KEYCODE_RSHIFT).result);
    EXPECT_EQ(KEYCODE_NONE, b.action[ACTION_HALF_TILT].keys[1]);
    EXPECT_EQ(KEYCODE_LSHIFT, b.action[ACTION_HALF_TILT].keys[0]);

    EXPECT_EQ(REBIND_RESERVED, RebindKey(&b, ACTION_DROP, 0, KEYCODE_ESCAPE).result);
    EXPECT_EQ(REBIND_RESERVED, RebindKey(&b, ACTION_DROP, 0, KEYCODE_F1 + 7).result);   // F8
    EXPECT_EQ(KEYCODE_Z, b.action[ACTION_DROP].keys[0]);
    EXPECT_EQ(REBIND_DONE, RebindKey(&b, ACTION_DROP, 0, kA).result);   // a free key replaces Z
    EXPECT_EQ(REBIND_DONE, RebindKey(&b, ACTION_DROP, 1, kA).result);   // within one action: moved
    EXPECT_EQ(KEYCODE_NONE, b.action[ACTION_DROP].keys[0]);
    EXPECT_EQ(kA, b.action[ACTION_DROP].keys[1]);

    EXPECT_EQ(REBIND_SWAPPED, RebindButton(&b, ACTION_QUICK_RETRY, 0, PAD_SOUTH).result);
    EXPECT_EQ(uint32_t(PAD_BACK), b.action[ACTION_CONFIRM].buttons[0]);
    EXPECT_EQ(uint32_t(PAD_START), b.action[ACTION_CONFIRM].buttons[1]);
    EXPECT_EQ(REBIND_RESERVED, RebindButton(&b, ACTION_LIFT, 0, PAD_RIGHT_SHOULDER).result);

    std::string problems;
    ReadBindingsText("Lift = Up\n", &b, &problems);
    EXPECT_TRUE(KeyConflicts(b, ACTION_LIFT, 0));        // TiltDown has Up since the swap
    EXPECT_FALSE(KeyConflicts(b, ACTION_DROP, 1));
}

// Calibration records are kept per device and read back as written; a
// broken line spoils only itself, an unknown device only its own block.
TEST_F(ControlFiles, CalibrationFile)
{
    const std::string pad = PadDevice("030000004c050000cc09000000016800");
    Calibration* board = FindCalibration(kBoardDevice, true);
    *board = Calibration{};
    snprintf(board->device, sizeof board->device, "%s", kBoardDevice);
    board->levelX = 3.5f;
    board->levelZ = -2;
    board->range[TIP_LEFT] = 28;
    board->range[TIP_BACK] = 31;
    board->deadZone = 2;
    board->curve = CURVE_GENTLE;
    board->invertZ = 1;
    FindCalibration(pad.c_str(), true)->levelX = -1.25f;
    ASSERT_EQ(1, SaveCalibrations());
    calibrations = CalibrationTable{};
    ASSERT_EQ(1, LoadCalibrations());
    ASSERT_EQ(2, calibrations.count);
    const Calibration* b = FindCalibration(kBoardDevice, false);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(3.5f, b->levelX);
    EXPECT_EQ(-2.0f, b->levelZ);
    EXPECT_EQ(28.0f, b->range[TIP_LEFT]);
    EXPECT_EQ(0.0f, b->range[TIP_RIGHT]);
    EXPECT_EQ(31.0f, b->range[TIP_BACK]);
    EXPECT_EQ(2, b->deadZone);
    EXPECT_EQ(CURVE_GENTLE, b->curve);
    EXPECT_EQ(0, b->invertX);
    EXPECT_EQ(1, b->invertZ);
    EXPECT_EQ(-1.25f, FindCalibration(pad.c_str(), false)->levelX);

    CalibrationTable table = {};
    std::string problems;
    const char* text =
        "deadzone = 1\n"                    // 1 before any device
        "[board]\n"
        "level = 1, 2\n"
        "range = 10, -4, 10, 10\n"          // 4 a negative range
        "deadzone = 11\n"                   // 5 beyond 10
        "curve = wobbly\n"                  // 6 unknown curve
        "invert = z\n"
        "[mouse]\n"                         // 8 unknown device
        "level = 9, 9\n"                    // its line: skipped with it
        "[pad 0300]\n";                     // 10 not a GUID
    EXPECT_EQ(6, ReadCalibrationText(text, &table, &problems));
    ASSERT_EQ(1, table.count);
    EXPECT_EQ(1.0f, table.device[0].levelX);
    EXPECT_EQ(0.0f, table.device[0].range[TIP_LEFT]);
    EXPECT_EQ(0, table.device[0].deadZone);
    EXPECT_EQ(1, table.device[0].invertZ);
    for (int line : {1, 4, 5, 6, 8, 10})
        EXPECT_NE(std::string::npos, problems.find("line " + std::to_string(line) + ":")) << line;
}
