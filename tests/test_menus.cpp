// The title, options, pause and result menus, played through the main loop
// with a simulated sensor board: the tilt and the button come from its
// registers, and every lamp pattern and sound the game raises is read back
// from what the board received. The board thread runs on its own clock,
// which the test advances one 16 ms cycle after every game frame, so each
// frame's lamps and sound reach the board before the next frame runs.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/game.h"
#include "app/loop.h"
#include "data/bindings.h"
#include "data/calibration.h"
#include "data/course_list.h"
#include "data/extras.h"
#include "data/texts.h"
#include "platform/hid_sim.h"
#include "platform/pad.h"
#include "platform/sys.h"
#include "screens/screens.h"
#include "sensor/board_local.h"
#include "support/board_helpers.h"
#include "support/data_files.h"
#include "support/physics_support.h"

namespace {

enum Sound { NO_SOUND, CLICK, TICK, CONFIRM, OTHER_SOUND };

// What one frame left on the board.
struct FrameOut {
    int lamps;     // the lamp pattern sent after it
    Sound sound;   // the sound sent after it, if any
};

std::thread::id mainThread;
std::atomic<uint32_t> boardClockMs{0};
uint32_t mainClockMs;
std::atomic<int> boardSleeps{0};

uint32_t SplitClock()
{
    return std::this_thread::get_id() == mainThread ? mainClockMs : boardClockMs.load();
}

// The main loop never needs to sleep here; the board thread's waits are real
// but short, and counted so the test knows when a cycle has ended.
void SplitSleep(uint32_t)
{
    if (std::this_thread::get_id() == mainThread)
        return;
    boardSleeps++;
    SysSleepMicroseconds(200);
}

void KeepMessage(const char* text) { shownMessages.push_back(text); }

Sound SoundOf(const SimEvent& event)
{
    int a = event.report[5] | event.report[6] << 8;
    int b = event.report[7] | event.report[8] << 8;
    if (a == 0x1800 && b == 1) return CLICK;
    if (a == 0x9000 && b == 1) return TICK;
    if (a == 0x3000 && b == 6) return CONFIRM;
    return OTHER_SOUND;
}

class Menus : public DataFilesTest {
protected:
    void SetUp() override
    {
        DataFilesTest::SetUp();
        WriteGame();
        mainThread = std::this_thread::get_id();
        mainClockMs = 5000;
        boardClockMs = 0;
        boardSleeps = 0;
        SysHooks hooks{};
        hooks.milliseconds = SplitClock;
        hooks.sleep = SplitSleep;
        hooks.errorBox = KeepMessage;
        SysSetHooks(&hooks);
        game = Game{};
        loop = LoopState{};
        StartThreadWithSimBoard();
        ASSERT_EQ(1, StartUp());
        // From here on the board thread waits for the test's clock between cycles.
        ASSERT_TRUE(WaitFor([] { return BoardConnected() && boardSleeps.load() > 0; }, 2000));
        logSize = SimBoardLog().size();
    }
    void TearDown() override
    {
        ShutDown();
        SimBoardSetPresent(0);
        boardClockMs += 1000;
        EXPECT_TRUE(WaitFor([] { return BoardThreadFinished(); }, 2000));
        HidSelectTransport(nullptr);
        EXPECT_TRUE(shownMessages.empty()) << shownMessages.front();
        DataFilesTest::TearDown();
    }
    // A flat 68 x 68 course, no sprite sheets, and the given option choices.
    void WriteGame()
    {
        std::string bmp = WriteGreyBmp("menus_flat16.bmp", 16, 16, std::vector<int>(256, 0));
        ASSERT_EQ(0, system(("mkdir -p " + dir + "field && cp " + bmp + " " + dir + "field/map.bmp").c_str()));
        WriteBytes("sprite.ini", "PLANE_NUM:[0]\r\n");
        WriteBytes("def.ini", "GRAVITY:[1][1][1]\r\nBALL_SIZE:[3]\r\n");
        WriteBytes("course.ini",
                   "FIELD_TOTAL:[1]\r\nFIELD_NUM:[0]\r\nFIELD_NAME:[[flat]]\r\n"
                   "HEIGHT_MAP:[[field\\map.bmp]] FIELD_TEXTURE:[[field\\map.bmp]]\r\n"
                   "MAP_HEIGHT:[3] GRID_SIZE:[4] DOCUMENT:[[flat.txt]]\r\n"
                   "START:[0.5,1,0.5] GOAL:[0.1][0.2][0.1][0.2]\r\n");
        WriteBytes("flat.txt", "A flat field.\r\n");
        WriteBytes("config.sav", LittleEndianWords({1, 2, 1, 0}));
    }

    // One board cycle: reads the registers into the board's data block and
    // sends the lamps and any pending sound. Returns once the thread waits
    // for its next cycle.
    void Deliver()
    {
        size_t from = logSize;
        bool soundDue = boardLink.soundPending.load() != 0;
        boardClockMs += 16;
        std::vector<SimEvent> log;
        auto sent = [&] {
            log = SimBoardLog();
            bool lamps = false, sound = !soundDue;
            for (size_t i = from; i < log.size(); i++) {
                lamps |= log[i].exchange == SIM_LAMPS;
                sound |= lamps && log[i].exchange == SIM_SOUND;
            }
            return lamps && sound;
        };
        ASSERT_TRUE(WaitFor(sent, 2000));
        int sleeps = boardSleeps.load();
        ASSERT_TRUE(WaitFor([&] { return boardSleeps.load() > sleeps; }, 2000));
        lastSound = NO_SOUND;
        for (size_t i = from; i < log.size(); i++) {
            if (log[i].exchange == SIM_LAMPS)
                lastLamps = log[i].report[5] & 0x0F;
            if (log[i].exchange == SIM_SOUND)
                lastSound = SoundOf(log[i]);
        }
        logSize = log.size();
    }
    // The board as the player holds it: z > 0 tilted forward, x > 0 to the left.
    void Hold(int z, int x, int button)
    {
        SimBoardSetRegister(4, uint8_t(button));
        SimBoardSetRegister(6, uint8_t(-x));
        SimBoardSetRegister(7, uint8_t(-z));
        Deliver();
    }
    void Frame()
    {
        mainClockMs += 16;
        SampleInput();
        RunFrame(mainClockMs);
        Deliver();
        frames.push_back({lastLamps, lastSound});
    }
    void Frames(int n)
    {
        for (int i = 0; i < n; i++)
            Frame();
    }
    void FramesUntilStateLeaves(int state, int limit)
    {
        for (int i = 0; i < limit && game.state == state; i++)
            Frame();
    }
    // Frames since `from` with the given sound, counted from `from`.
    std::vector<int> SoundFrames(Sound sound, int from) const
    {
        std::vector<int> at;
        for (int i = from; i < int(frames.size()); i++)
            if (frames[i].sound == sound)
                at.push_back(i - from);
        return at;
    }
    int Now() const { return int(frames.size()); }
    const FrameOut& Last() const { return frames.back(); }
    // Taps the button for one frame and lets it go.
    void Tap()
    {
        Hold(0, 0, 1);
        Frame();
        Hold(0, 0, 0);
    }
    // One forward (+1) or back (-1) tilt, held for one frame, then neutral.
    void Nudge(int direction)
    {
        Hold(20 * direction, 0, 0);
        Frame();
        Hold(0, 0, 0);
        Frame();
    }
    // Skips the letters and waits for the title's menu to take input.
    void OpenTitleMenu()
    {
        Tap();
        Frames(30);
    }

    size_t logSize = 0;
    int lastLamps = 0;
    Sound lastSound = NO_SOUND;
    std::vector<FrameOut> frames;
};

// A held forward tilt moves the title cursor every 31 frames and wraps;
// lamps 6 on each move, dark once the hold runs out. A confirm during the
// hold waits; the tilt's return re-arms at once with a tick.
TEST_F(Menus, TitleHeldTiltRepeatsAndConfirmWaitsForTheHold)
{
    Frames(100);
    ASSERT_EQ(STATE_TITLE, game.state);
    EXPECT_EQ(std::vector<int>{}, SoundFrames(CLICK, 0));
    int from = Now();
    Hold(20, 0, 0);
    Frames(70);
    EXPECT_EQ((std::vector<int>{0, 31, 62}), SoundFrames(CLICK, from));   // 1, 2, then 0
    EXPECT_EQ(6, frames[from + 31].lamps);
    EXPECT_EQ(0, frames[from + 30].lamps);
    Hold(20, 0, 1);
    Frames(10);
    EXPECT_EQ(std::vector<int>{}, SoundFrames(CONFIRM, from));
    Hold(0, 0, 1);
    Frame();
    EXPECT_EQ(TICK, Last().sound);
    EXPECT_EQ(0, Last().lamps);
    Frame();
    EXPECT_EQ(CONFIRM, Last().sound);
    Hold(0, 0, 0);
    Frames(40);
    EXPECT_EQ(STATE_TITLE, game.state);
    Frame();
    EXPECT_EQ(STATE_COURSE_SELECT, game.state);
}

// The button during the fly-in opens the menu at once; a press while the
// panel still opens does nothing. Back from the first entry wraps to exit,
// which ends the loop with exit code 0.
TEST_F(Menus, TitleSkipThenExit)
{
    Tap();
    Frames(4);
    Tap();
    int from = Now();
    Hold(-20, 0, 0);
    Frames(40);
    std::vector<int> clicks = SoundFrames(CLICK, from);
    ASSERT_EQ(1u, clicks.size());     // a held tilt, no hold run out yet
    EXPECT_LT(clicks[0] + from, 30);  // well before the 61 frames of letters
    EXPECT_EQ(9, frames[from + clicks[0]].lamps);
    EXPECT_EQ(std::vector<int>{}, SoundFrames(CONFIRM, 0));
    Hold(0, 0, 0);
    Frame();
    Tap();
    EXPECT_EQ(CONFIRM, Last().sound);
    FramesUntilStateLeaves(STATE_TITLE, 100);
    EXPECT_EQ(STATE_EXIT, game.state);
    EXPECT_EQ(0, RunPass());
    EXPECT_EQ(0, LastQuitCode());
}

// Options end to end: the press that entered opens no row, left/right do
// nothing until a row is opened, a held tilt moves a row every 30 frames,
// nothing moves rows while one is open, values wrap both ways, and the last
// row writes all four choices in order.
TEST_F(Menus, OptionsEditAndSave)
{
    OpenTitleMenu();
    Nudge(+1);
    Hold(0, 0, 1);                         // held from the title into options
    FramesUntilStateLeaves(STATE_TITLE, 100);
    ASSERT_EQ(STATE_OPTIONS, game.state);
    int from = Now();
    Hold(0, 20, 1);
    Frames(40);
    Hold(0, 0, 0);
    Frames(2);
    EXPECT_EQ(std::vector<int>{}, SoundFrames(CONFIRM, from));
    EXPECT_EQ(std::vector<int>{}, SoundFrames(CLICK, from));

    from = Now();
    Hold(20, 0, 0);                        // rows 1, 2, 3
    Frames(65);
    EXPECT_EQ((std::vector<int>{0, 30, 60}), SoundFrames(CLICK, from));
    EXPECT_EQ(6, frames[from + 30].lamps);
    Hold(0, 0, 0);
    Frame();
    EXPECT_EQ(TICK, Last().sound);
    Tap();                                 // open camera distance
    EXPECT_EQ(CONFIRM, Last().sound);
    from = Now();
    Hold(20, 0, 0);
    Frames(40);
    EXPECT_EQ(std::vector<int>{}, SoundFrames(CLICK, from));
    for (int x : {-20, -20, -20, 20}) {    // 1, 2, wrap to 0, wrap back to 2
        Hold(0, x, 0);
        Frame();
        EXPECT_EQ(CLICK, Last().sound);
        EXPECT_EQ(x < 0 ? 12 : 3, Last().lamps);
        Frame();
        Hold(0, 0, 0);
        Frame();
        EXPECT_EQ(TICK, Last().sound);
    }
    Tap();                                 // close the row
    for (int row = 4; row <= 6; row++)
        Nudge(+1);                         // language, more settings, leave
    Tap();
    FramesUntilStateLeaves(STATE_OPTIONS, 100);
    EXPECT_EQ(STATE_TITLE, game.state);
    EXPECT_EQ(LittleEndianWords({1, 2, 1, 2}), ReadBytes("config.sav"));
}

// The language row changes the language at once and keeps it in the
// extras; the next row opens the more settings, whose switch rows change
// their extras at once and whose last row comes back to the options and
// saves them.
TEST_F(Menus, LanguageRowAndMoreSettings)
{
    OpenTitleMenu();
    Nudge(+1);
    Tap();                                 // options
    FramesUntilStateLeaves(STATE_TITLE, 100);
    ASSERT_EQ(STATE_OPTIONS, game.state);
    Frames(40);
    for (int row = 0; row < 4; row++)
        Nudge(+1);
    Tap();                                 // open the language row
    int before = CurrentLanguage();
    Hold(0, -20, 0);
    Frame();
    Hold(0, 0, 0);
    Frame();
    EXPECT_NE(before, CurrentLanguage());
    EXPECT_EQ(CurrentLanguage(), extras.language);
    Tap();                                 // close it
    Nudge(+1);
    Tap();                                 // more settings
    ASSERT_EQ(STATE_SETTINGS, game.state);
    Frames(40);
    int lamps = extras.lampsShown;
    Hold(0, -20, 0);                       // first row: the on-screen lamps
    Frame();
    Hold(0, 0, 0);
    Frame();
    EXPECT_EQ(!lamps, extras.lampsShown);
    Nudge(-1);                             // wraps from the first row to "back", the last
    Tap();
    EXPECT_EQ(STATE_OPTIONS, game.state);
    std::string saved = ReadBytes("extras.sav");
    ASSERT_GE(saved.size(), 16u);
    EXPECT_EQ(LittleEndianWords({uint32_t(!lamps)}), saved.substr(0, 4));
    EXPECT_EQ(LittleEndianWords({uint32_t(CurrentLanguage())}), saved.substr(12, 4));
}

// The more settings' sound rows edit the extras the sound reads: the master
// volume steps down one a move and stops at 0, music and effects have rows
// of their own, and the background mute switches off and on.
TEST_F(Menus, SoundRowsInTheMoreSettings)
{
    game.state = STATE_SETTINGS;
    ResetSettings();
    Frames(40);
    for (int row = 0; row < 3; row++)
        Nudge(+1);                         // lamps, sound, ghost: the master volume
    extras.masterVolume = 2;
    for (int step = 0; step < 4; step++) {
        Hold(0, 20, 0);                    // left lowers
        Frames(12);
        Hold(0, 0, 0);
        Frame();
    }
    EXPECT_EQ(0, extras.masterVolume);
    int music = extras.musicVolume, effects = extras.effectsVolume;
    Nudge(+1);
    Hold(0, -20, 0);
    Frame();
    Hold(0, 0, 0);
    Frame();
    EXPECT_EQ(music + 1, extras.musicVolume);
    Nudge(+1);
    Hold(0, 20, 0);
    Frame();
    Hold(0, 0, 0);
    Frame();
    EXPECT_EQ(effects - 1, extras.effectsVolume);
    Nudge(+1);
    int mute = extras.muteUnfocused;
    Tap();
    EXPECT_EQ(!mute, extras.muteUnfocused);
}

// The vsync and picture rows (the last two before "back") switch their
// extras at once; the next pass of the loop hands the new vsync choice to
// the platform, and leaving saves both after the sound's entries.
TEST_F(Menus, VsyncAndPictureRows)
{
    game.state = STATE_SETTINGS;
    ResetSettings();
    Frames(40);
    ASSERT_EQ(1, extras.vsync);
    ASSERT_EQ(0, extras.pictureFill);
    for (int row = 0; row < 3; row++)
        Nudge(-1);                         // round past "back" and the picture to vsync
    Hold(0, -20, 0);
    Frame();
    Hold(0, 0, 0);
    Frame();
    EXPECT_EQ(0, extras.vsync);
    Nudge(+1);                             // the race picture
    Hold(0, -20, 0);
    Frame();
    Hold(0, 0, 0);
    Frame();
    EXPECT_EQ(1, extras.pictureFill);
    RunPass();
    EXPECT_EQ(0, loop.vsyncAsked);
    Nudge(+1);                             // back
    Tap();
    EXPECT_EQ(STATE_OPTIONS, game.state);
    std::string saved = ReadBytes("extras.sav");
    ASSERT_GE(saved.size(), 40u);
    EXPECT_EQ(LittleEndianWords({0, 1}), saved.substr(32, 8));
}

// A config.sav that cannot be replaced still leaves the screen for the title.
TEST_F(Menus, OptionsUnwritableSaveStillReturns)
{
    ASSERT_EQ(0, system(("rm " + dir + "config.sav && mkdir -p " + dir + "config.sav/in").c_str()));
    game.state = STATE_OPTIONS;
    ResetOptions();
    Frames(40);
    Nudge(-1);                             // wraps from the first row to the last
    Tap();
    FramesUntilStateLeaves(STATE_OPTIONS, 100);
    EXPECT_EQ(STATE_TITLE, game.state);
    EXPECT_EQ(1, game.settings.ballTypeSel);   // still in effect for this run
}

class RaceMenus : public Menus {
protected:
    // The course loaded and the race running, without the fly-over and countdown.
    void StartRace()
    {
        RequestCourseLoad(0);
        EnterIntro();
        Frame();
        loop.introFrames = 0;
        game.state = STATE_RACE;
        Frames(10);
    }
};

// Pause: the pausing press does not resume; a held tilt moves once and its
// return ticks with the lamps off; the cursor wraps both ways; resume waits
// for the confirming press to end (or the race would pause again at once)
// and keeps the clock running from where it stopped; retry starts it again.
TEST_F(RaceMenus, PauseResumeAndRetry)
{
    StartRace();
    Hold(0, 0, 1);
    Frame();
    ASSERT_EQ(STATE_PAUSE, game.state);
    EXPECT_EQ(CONFIRM, Last().sound);
    uint32_t paused = loop.raceTimeMs;
    Frames(30);                            // held: the panel opens, nothing confirmed
    int from = Now();
    Hold(20, 0, 0);
    Frames(40);
    EXPECT_EQ(std::vector<int>{0}, SoundFrames(CLICK, from));
    EXPECT_EQ(6, frames[from].lamps);
    Hold(0, 0, 0);
    Frame();
    EXPECT_EQ(TICK, Last().sound);
    EXPECT_EQ(0, Last().lamps);
    Nudge(-1);                             // back to resume
    Nudge(-1);                             // wraps to title
    EXPECT_EQ(9, frames[Now() - 2].lamps);
    Nudge(+1);                             // wraps to resume
    EXPECT_EQ(STATE_PAUSE, game.state);
    EXPECT_EQ(paused, loop.raceTimeMs);
    Hold(0, 0, 1);                         // resume, the press held past the closing
    Frames(40);
    EXPECT_EQ(STATE_PAUSE, game.state);
    Hold(0, 0, 0);
    Frame();
    ASSERT_EQ(STATE_RACE, game.state);
    Frames(5);
    EXPECT_EQ(STATE_RACE, game.state);
    EXPECT_EQ(paused + 5 * 16, loop.raceTimeMs);

    Tap();
    ASSERT_EQ(STATE_PAUSE, game.state);
    Frames(15);
    Nudge(+1);                             // retry
    Tap();
    FramesUntilStateLeaves(STATE_PAUSE, 100);
    EXPECT_EQ(STATE_INTRO, game.state);
    EXPECT_EQ(0u, loop.raceTimeMs);
    EXPECT_EQ(1, loop.courseReloadPending);
}

// The result menu: the press held from before it opened does not confirm;
// from title a further move wraps to retry; title and retry act.
TEST_F(RaceMenus, ResultMenuWrapsAndActs)
{
    StartRace();
    game.state = STATE_MISS_MENU;
    OpenResultMenu();
    Hold(0, 0, 1);
    Frames(30);
    EXPECT_EQ(STATE_MISS_MENU, game.state);
    Hold(0, 0, 0);
    Nudge(-1);                             // wraps to title
    Tap();
    EXPECT_EQ(CONFIRM, Last().sound);
    FramesUntilStateLeaves(STATE_MISS_MENU, 100);
    EXPECT_EQ(STATE_TITLE, game.state);

    game.state = STATE_GOAL_MENU;
    OpenResultMenu();
    Frames(15);
    for (int i = 0; i < 3; i++)
        Nudge(+1);                         // course select, title, wrap to retry
    Tap();
    FramesUntilStateLeaves(STATE_GOAL_MENU, 100);
    EXPECT_EQ(STATE_INTRO, game.state);
    EXPECT_EQ(0u, loop.raceTimeMs);
}


// ---------------------------------------------------------------------------
// The controls and calibration screens, steered with the board.

bool heldCodes[KEYCODE_COUNT];
int HeldCode(int code) { return heldCodes[code] ? 1 : 0; }

class ControlScreens : public Menus {
protected:
    void SetUp() override
    {
        Menus::SetUp();
        SysHooks hooks{};
        hooks.milliseconds = SplitClock;
        hooks.sleep = SplitSleep;
        hooks.errorBox = KeepMessage;
        hooks.keyCodeDown = HeldCode;
        SysSetHooks(&hooks);
        for (bool& held : heldCodes)
            held = false;
    }
    void TearDown() override
    {
        Menus::TearDown();
        bindings = DefaultBindings();
        calibrations = CalibrationTable{};
    }
    // A key pressed for one frame while the screen waits for one.
    void PressKey(int code)
    {
        heldCodes[code] = true;
        Frame();
        heldCodes[code] = false;
        Frame();
    }
};

// The button on the first box, then W: tilt up is W, in controls.txt too,
// and the cursor stays while the new key is held.
// W again on tilt down's box swaps: tilt up gets DOWN back. Esc leaves a
// box as it was; the defaults row restores every binding; back returns to
// the more settings.
TEST_F(ControlScreens, RebindWithTheNextKey)
{
    const int kW = KEYCODE_A + 22;
    game.state = STATE_CONTROLS;
    ResetControls();
    Frames(30);
    Tap();
    Hold(20, 0, 0);                        // the new key is a tilt, and still held
    PressKey(kW);
    Frames(3);
    Hold(0, 0, 0);
    Frame();
    EXPECT_EQ(kW, bindings.action[ACTION_TILT_UP].keys[0]);
    EXPECT_NE(std::string::npos, ReadBytes("controls.txt").find("TiltUp = W, Pad:DPadUp"));
    Nudge(+1);
    Tap();
    PressKey(kW);
    EXPECT_EQ(kW, bindings.action[ACTION_TILT_DOWN].keys[0]);
    EXPECT_EQ(KEYCODE_DOWN, bindings.action[ACTION_TILT_UP].keys[0]);
    Tap();
    PressKey(KEYCODE_ESCAPE);
    EXPECT_EQ(kW, bindings.action[ACTION_TILT_DOWN].keys[0]);
    for (int box = 0; box < 2; box++) {
        Hold(0, -20, 0);                   // right, twice: the first pad box
        Frame();
        Hold(0, 0, 0);
        Frame();
    }
    Tap();
    PressKey(KEYCODE_R);                   // a key in a pad box is no button: still waiting
    PadState pad = {};
    pad.attached = 1;
    pad.buttons = PAD_WEST;
    PadSetForTests(&pad);
    Frame();
    PadSetForTests(nullptr);
    Frame();
    EXPECT_EQ(uint32_t(PAD_WEST), bindings.action[ACTION_TILT_DOWN].buttons[0]);
    EXPECT_EQ(KEYCODE_NONE, bindings.action[ACTION_TILT_DOWN].keys[1]);
    EXPECT_EQ(KEYCODE_R, bindings.action[ACTION_QUICK_RETRY].keys[0]);
    for (int row = 1; row < ACTION_COUNT; row++)
        Nudge(+1);                         // to "restore the defaults"
    Tap();
    EXPECT_EQ(KEYCODE_UP, bindings.action[ACTION_TILT_UP].keys[0]);
    EXPECT_EQ(KEYCODE_DOWN, bindings.action[ACTION_TILT_DOWN].keys[0]);
    EXPECT_EQ(uint32_t(PAD_DPAD_DOWN), bindings.action[ACTION_TILT_DOWN].buttons[0]);
    Nudge(+1);
    Tap();
    EXPECT_EQ(STATE_SETTINGS, game.state);
}

// With the board resting at (x 3, z -2): "set level" keeps that as level,
// "set range" keeps the farthest tip each way until the button, and the
// board then reads level as zero and full left as the keys' full tilt.
TEST_F(ControlScreens, CalibrateTheBoard)
{
    game.state = STATE_CALIBRATION;
    ResetCalibration();
    Frames(30);
    Hold(-2, 3, 1);                        // set level, held off level
    Frame();
    Hold(-2, 3, 0);
    Frames(35);
    const Calibration* c = FindCalibration(kBoardDevice, false);
    ASSERT_NE(nullptr, c);
    EXPECT_EQ(3, c->levelX);
    EXPECT_EQ(-2, c->levelZ);
    Hold(20, 3, 0);                        // on to "set range"
    Frame();
    Hold(-2, 3, 0);
    Frame();
    Hold(-2, 3, 1);
    Frame();
    Hold(-2, 3, 0);
    Frame();
    const int tips[4][2] = {{-2, 27}, {-2, -19}, {-12, 3}, {10, 3}};   // left, right, forward, back
    for (const auto& tip : tips) {
        Hold(tip[0], tip[1], 0);
        Frame();
    }
    Hold(-2, 3, 1);
    Frame();
    Hold(-2, 3, 0);
    Frame();
    EXPECT_EQ(24, c->range[TIP_LEFT]);
    EXPECT_EQ(22, c->range[TIP_RIGHT]);
    EXPECT_EQ(10, c->range[TIP_FORWARD]);
    EXPECT_EQ(12, c->range[TIP_BACK]);
    EXPECT_NE(std::string::npos, ReadBytes("calibration.txt").find("range = 24, 22, 10, 12"));
    EXPECT_EQ(0, loop.tilt.x);
    EXPECT_EQ(0, loop.tilt.z);
    Hold(-2, 27, 0);
    Frame();
    EXPECT_EQ(20, loop.tilt.x);
}

}  // namespace
