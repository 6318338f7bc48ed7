// The controls and calibration screens and the reduced-motion plates, drawn
// by the real loop headless over the shipped folder. With KESTRUNE_FRAME_DIR
// set, each frame is also saved there as a PNG.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/loop.h"
#include "core/game.h"
#include "data/bindings.h"
#include "data/calibration.h"
#include "data/extras.h"
#include "platform/pad.h"
#include "screens/screens.h"
#include "support/gfx_window.h"
#include "support/scripted_input.h"

namespace fs = std::filesystem;

namespace {

const uint32_t kInk = 0x1E2A44;         // the menus' ink: the meters' dots
const float kMeterY = 214;
const float kTiltMeterX = 262;
const float kMeterHalf = 64;

class ControlFrames : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = CopyGameFolder(KESTRUNE_GAME_DIR, "kestrune-controls");
        ASSERT_EQ(StartScriptedGame(dir, nullptr), 1);
    }
    void TearDown() override
    {
        PadSetForTests(nullptr);
        SysPostMessage(SYS_MSG_CLOSE, 0);
        while (RunPass()) {
        }
        StopScriptedGame();
        bindings = DefaultBindings();
        calibrations = CalibrationTable{};
        fs::remove_all(dir);
    }
    // A pad with a motion sensor held with its left edge down by `roll`
    // degrees.
    void MotionPad(float roll)
    {
        PadState pad = {};
        pad.attached = 1;
        pad.hasMotion = 1;
        float r = roll * 3.14159265f / 180;
        pad.accel[0] = std::sin(r);
        pad.accel[1] = std::cos(r);
        snprintf(pad.guid, sizeof pad.guid, "%s", "030000004c050000cc09000000016800");
        PadSetForTests(&pad);
    }
    std::string dir;
};

// Pixels of the box that are mostly red: the conflict ink.
int RedPixels(const Frame& f, int left, int top, int right, int bottom)
{
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            uint32_t c = f.Rgb(x, y);
            n += (c >> 16) > 150 && ((c >> 8) & 255) < 90 && (c & 255) < 90;
        }
    return n;
}

// Pixels of text ink, anti-aliased edges included.
int DarkPixels(const Frame& f, int left, int top, int right, int bottom)
{
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            uint32_t c = f.Rgb(x, y);
            n += (c >> 16) < 160 && ((c >> 8) & 255) < 160;
        }
    return n;
}

int InkPixels(const Frame& f, int cx, int cy, int half)
{
    int n = 0;
    for (int y = cy - half; y <= cy + half; ++y)
        for (int x = cx - half; x <= cx + half; ++x)
            n += f.Rgb(x, y) == kInk;
    return n;
}

}  // namespace

// Every action's names in their boxes; a key two actions share (from a
// hand-edited file) in red in both rows, and nowhere else.
TEST_F(ControlFrames, ControlsScreen)
{
    std::string problems;
    ReadBindingsText("Lift = Up, X\n", &bindings, &problems);
    game.state = STATE_CONTROLS;
    ResetControls();
    ScriptedFrames(40);
    Frame f = KeepFrame("controls");
    EXPECT_GT(RedPixels(f, 250, 89, 330, 111), 8) << "tilt up's Up";
    EXPECT_GT(RedPixels(f, 250, 209, 330, 231), 8) << "lift's Up";
    EXPECT_EQ(RedPixels(f, 250, 113, 330, 207), 0) << "the rows between";
}

// The longest key names stay inside their boxes: no ink in the gaps on
// either side of the second key box.
TEST_F(ControlFrames, LongKeyNamesStayInTheirBoxes)
{
    std::string problems;
    ASSERT_EQ(ReadBindingsText("TiltDown = NonUSBackslash, RightBracket\n", &bindings, &problems), 0) << problems;
    game.state = STATE_CONTROLS;
    ResetControls();
    ScriptedFrames(40);
    Frame f = KeepFrame("controls_long_names");
    EXPECT_EQ(DarkPixels(f, 328, 114, 330, 134), 0) << "between the key boxes";
    EXPECT_EQ(DarkPixels(f, 422, 114, 428, 134), 0) << "between the keys and the pad";
    EXPECT_GT(DarkPixels(f, 240, 114, 326, 134), 20) << "the name is drawn";
}

// The pad held level reads no tilt; tipped 39 degrees left, the tilt meter's
// dot sits at its left edge. With a level of 10 degrees, 10 degrees is level.
TEST_F(ControlFrames, CalibrationMeters)
{
    MotionPad(0);
    game.state = STATE_CALIBRATION;
    ResetCalibration();
    ScriptedFrames(40);
    Frame level = KeepFrame("calibration_level");
    EXPECT_GT(InkPixels(level, int(kTiltMeterX), int(kMeterY), 3), 20);
    MotionPad(39);
    ScriptedFrames(20);
    Frame left = KeepFrame("calibration_left");
    EXPECT_EQ(InkPixels(left, int(kTiltMeterX), int(kMeterY), 3), 0);
    EXPECT_GT(InkPixels(left, int(kTiltMeterX - kMeterHalf), int(kMeterY), 3), 15);

    Calibration* c = FindCalibration(PadDevice("030000004c050000cc09000000016800").c_str(), true);
    ASSERT_NE(c, nullptr);
    c->levelX = 32 * std::sin(10 * 3.14159265f / 180);
    c->deadZone = 2;
    MotionPad(10);
    ScriptedFrames(20);
    EXPECT_GT(InkPixels(KeepFrame("calibration_calibrated"), int(kTiltMeterX), int(kMeterY), 3), 20);
}

// With no device to calibrate the screen says so and draws no meter.
TEST_F(ControlFrames, CalibrationWithoutDevice)
{
    game.state = STATE_CALIBRATION;
    ResetCalibration();
    ScriptedFrames(40);
    Frame f = KeepFrame("calibration_none");
    EXPECT_EQ(InkPixels(f, int(kTiltMeterX), int(kMeterY), 3), 0);
}

// Reduced motion: the countdown's first frame already shows its plate at
// rest in the middle, where it would otherwise still be sliding in from the
// right; nothing else in the picture differs.
TEST_F(ControlFrames, ReducedMotionPlatesRest)
{
    RequestCourseLoad(0);
    EnterIntro();
    ScriptedFrames(1);
    loop.introFrames = 1;                    // to the end of the fly-over
    ScriptedFrames(1);
    ASSERT_EQ(game.state, STATE_COUNTDOWN);
    Frame sliding = KeepFrame("countdown_sliding");
    extras.reducedMotion = 1;
    RequestCourseLoad(0);
    EnterIntro();
    ScriptedFrames(1);
    ASSERT_EQ(game.state, STATE_COUNTDOWN);
    Frame resting = KeepFrame("countdown_reduced");
    int plate = 0, below = 0;
    for (int y = 162; y < 400; ++y)          // the countdown plate, and the scene under it
        for (int x = 0; x < 440; ++x) {
            int differs = sliding.Rgb(x, y) != resting.Rgb(x, y);
            (y < 258 ? plate : below) += differs;
        }
    EXPECT_GT(plate, 2000);
    EXPECT_LT(below, 200) << "the scene stays as it was";
}
