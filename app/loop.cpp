// Start-up, the main loop with its frame gate, the per-state dispatch and the
// race-flow chain, and shutdown.
#include "app/loop.h"

#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "app/ghost.h"
#include "app/race.h"
#include "app/sound.h"
#include "app/tilt.h"
#include "core/game.h"
#include "course/course.h"
#include "data/course_list.h"
#include "data/extras.h"
#include "data/old_saves.h"
#include "data/sounds.h"
#include "data/texts.h"
#include "physics/physics.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/sys.h"
#include "render/board_lamps.h"
#include "render/camera.h"
#include "render/course_text.h"
#include "render/device.h"
#include "render/ghost_view.h"
#include "render/hud.h"
#include "render/preview.h"
#include "render/scene.h"
#include "render/shapes.h"
#include "render/sprite_sheets.h"
#include "render/sprites.h"
#include "render/text.h"
#include "screens/screens.h"
#include "sensor/board.h"

const char* const kInstanceLockName = "kestrune.lock";

namespace {

const uint32_t kFrameMs = 16;

struct LoopRun {
    bool quitSeen;        // the last message retrieved was the quit message
    int quitCode;         // its parameter, the process exit code
};
LoopRun run;

// The advisory lock that keeps a second copy of the game from writing the
// same save files; -1 while none is held.
int instanceLock = -1;

// ---------------------------------------------------------------------------
// Messages: a close request becomes a destroy, a destroy becomes the quit
// that ends the loop, as the window system does it.

void HandleMessage(const SysMessage& msg)
{
    switch (msg.kind) {
    case SYS_MSG_CLOSE:
        SysPostMessage(SYS_MSG_DESTROY, 0);
        break;
    case SYS_MSG_DESTROY:
        SysPostMessage(SYS_MSG_QUIT, 0);
        break;
    case SYS_MSG_QUIT:
        run.quitSeen = true;
        run.quitCode = msg.param;
        break;
    case SYS_MSG_OTHER:
        break;
    }
}

// ---------------------------------------------------------------------------
// Function keys: F1..F4 toggle render flags, F5/F6 step the camera presets.

int NextPreset(int sel)
{
    return sel >= 2 ? 0 : sel + 1;
}

// F7..F9 switch the extras; each switch is saved at once, as the player
// expects it to hold next time. (F8's muting reaches the speakers with this
// frame's UpdateSound.)
void ToggleExtra(int index)
{
    switch (index) {
    case 6: extras.lampsShown = !extras.lampsShown; break;
    case 7: extras.muted = !extras.muted; break;
    case 8: extras.ghostShown = !extras.ghostShown; break;
    default: return;
    }
    SaveExtras();
}

void ApplyFunctionKey(int index)
{
    GameSettings& s = game.settings;
    switch (index) {
    case 0: s.renderFlags ^= WYREFRAME; break;
    case 1: s.renderFlags ^= FLATSHADING; break;
    case 2: s.renderFlags ^= USETEXTURE; break;
    case 3: s.renderFlags ^= DRAWSHADOW; break;
    case 4: s.cameraLengthSel = NextPreset(s.cameraLengthSel); break;
    case 5: s.cameraPitchSel = NextPreset(s.cameraPitchSel); break;
    default: ToggleExtra(index); break;
    }
}

void HandleFunctionKeys()
{
    static const SysKey keys[9] = {KEY_F1, KEY_F2, KEY_F3, KEY_F4, KEY_F5,
                                   KEY_F6, KEY_F7, KEY_F8, KEY_F9};
    for (int i = 0; i < 9; i++) {
        if (!SysKeyDown(keys[i])) {
            loop.keyLatch[i] = 0;
        } else if (!loop.keyLatch[i]) {
            loop.keyLatch[i] = 1;
            ApplyFunctionKey(i);
        }
    }
}

// ---------------------------------------------------------------------------
// The race-flow chain: each state of 3..10 enters at its own block and runs
// every block after it.

void MissBlock()
{
    if (loop.missFrames <= 0)
        return;
    QueueMissOverlay();
    if (--loop.missFrames == 0) {
        game.state = STATE_MISS_MENU;
        OpenResultMenu();
    }
}

void RaceBlock(int frameState)
{
    StepPhysicsWorld();
    loop.raceTimeMs += 16;
    if (frameState != STATE_RACE)
        return;
    UpdateRace(loop.tilt, loop.previousTilt);
    if (loop.tilt.button) {
        RaiseBoardCue(CueConfirm);
        PlaySound(SOUND_MENU_CONFIRM, 1.0f);
        game.state = STATE_PAUSE;
        OpenPauseMenu();
    }
    // Checked after the pause, so a fall in the same frame wins.
    if (IsBallFallen()) {
        game.state = STATE_MISS;
        loop.missFrames = 120;
        PlayFallSound();
    }
}

void IntroBlock()
{
    if (loop.introFrames <= 0)
        return;
    QueueIntroOverlay();
    loop.introFrames--;
    bool skipped = loop.tilt.button && !loop.releaseLatch;
    if (loop.introFrames == 0 || skipped) {
        // The countdown block runs next in this same frame, so this frame
        // already counts as the first countdown frame.
        game.state = STATE_COUNTDOWN;
        loop.countdownFrames = 60;
        loop.countdownStep = 0;
        loop.introFrames = 0;
    }
}

void CountdownBlock()
{
    if (loop.countdownFrames <= 0)
        return;
    QueueIntroOverlay();
    if (--loop.countdownFrames == 0) {
        loop.countdownStep++;
        if (loop.countdownStep > 3)
            game.state = STATE_RACE;
        else
            loop.countdownFrames = 60;
    }
    QueueCountdownOverlay();
}

void GoalBlock()
{
    if (loop.goalFrames == 0)
        return;
    QueueGoalOverlay();
    QueueRecordBadge();
    if (--loop.goalFrames == 0) {
        game.state = STATE_GOAL_MENU;
        OpenResultMenu();
    }
}

void CameraBlock(int frameState)
{
    SyncCourseTransforms();
    switch (frameState) {
    case STATE_MISS_MENU:
        QueueMissOverlay();
        UpdateResultMenu(loop.tilt);
        SetRaceCamera();
        break;
    case STATE_GOAL_MENU:
        QueueRecordBadge();
        QueueGoalOverlay();
        UpdateResultMenu(loop.tilt);
        SetRaceCamera();
        break;
    case STATE_INTRO:
        SetIntroCamera();
        break;
    default:
        SetRaceCamera();
        break;
    }
}

void RunRaceChain(int frameState)
{
    switch (frameState) {
    case STATE_MISS:
        MissBlock();
        [[fallthrough]];
    case STATE_RACE:
        RaceBlock(frameState);
        [[fallthrough]];
    case STATE_INTRO:
        IntroBlock();
        [[fallthrough]];
    case STATE_COUNTDOWN:
        CountdownBlock();
        [[fallthrough]];
    case STATE_GOAL:
        GoalBlock();
        [[fallthrough]];
    case STATE_PAUSE:
        if (frameState == STATE_PAUSE)
            UpdatePauseMenu(loop.tilt);
        [[fallthrough]];
    default:
        CameraBlock(frameState);
        break;
    }
}

void Dispatch(int frameState)
{
    switch (frameState) {
    case STATE_TITLE: UpdateTitle(loop.tilt); break;
    case STATE_OPTIONS: UpdateOptions(loop.tilt); break;
    case STATE_SETTINGS: UpdateSettings(loop.tilt); break;
    case STATE_COURSE_SELECT: UpdateCourseSelect(loop.tilt); break;
    default:
        if (frameState >= STATE_INTRO && frameState <= STATE_GOAL_MENU)
            RunRaceChain(frameState);
        break;
    }
}

bool InRaceFlow(int state)
{
    return state >= STATE_INTRO && state <= STATE_GOAL_MENU;
}

void DrawFrame(int frameState)
{
    Matrix ghostPose;
    bool ghostShown = GhostPoseShown(&ghostPose);
    BeginScene();
    if (InRaceFlow(frameState)) {
        DrawTerrain();
        DrawBallAndObstacles();
        if (game.settings.renderFlags & DRAWSHADOW)
            DrawShadows();
        DrawGoalMarker();
        if (ghostShown)
            DrawGhost(ghostPose);
    }
    FlushSprites();
    if (frameState == STATE_COURSE_SELECT) {
        DrawCourseSelectPreview();
    } else if (InRaceFlow(frameState)) {
        if (ghostShown)
            QueueGhostDot(ghostPose);
        QueueCourseMap();
        QueueTimePanel();
        FlushSprites();
    }
    // The board's lamps for players without one, over everything else.
    QueueScreenLamps();
    FlushSprites();
    PresentScene();
}

// A language chosen in the options shows from the next frame on: its sheets
// replace the old ones before anything of the frame is queued.
void FollowLanguage()
{
    if (sheetsLanguage == CurrentLanguage())
        return;
    LoadSpriteSheets();
    SysSetWindowCaption(Tr(TEXT_WINDOW_TITLE));
}

// Between frames: sleep until about 1 ms before the next frame is due, then
// only yield, so an idle game costs a few percent of a core instead of one
// whole core, while the gate keeps its 1 ms accuracy.
void WaitForFrame(uint32_t now)
{
    uint32_t elapsed = now - loop.frameTime;
    uint32_t left = elapsed < kFrameMs ? kFrameMs - elapsed : 0;
    if (left > 1)
        SysSleep(left - 1);
    else
        SysYield();
}

}  // namespace

// ---------------------------------------------------------------------------

bool FrameDue(uint32_t now, uint32_t frameTime)
{
    return uint32_t(now - frameTime) >= kFrameMs;
}

void SampleInput()
{
    TiltVector& t = loop.tilt;
    SampleTilt(&t);
    bool connected = BoardConnected();
    t.button = connected ? (BoardButtonByte() != 0)
                         : (SysKeyDown(KEY_SPACE) != 0 || PadButtonHeld() != 0);
    t.connected = connected ? 1 : 0;
    if (loop.courseReloadPending) {
        if (loop.courseReloadIndex >= 0)
            LoadCourse(loop.courseReloadIndex);
        loop.courseReloadPending = 0;
    }
}

void RunFrame(uint32_t now)
{
    FollowLanguage();
    int frameState = game.state;
    if (!loop.tilt.button)
        loop.releaseLatch = 0;
    HandleFunctionKeys();
    Dispatch(frameState);
    UpdateGhost(frameState);
    UpdateSound(frameState);
    DrawFrame(frameState);
    loop.previousTilt = loop.tilt;
    loop.frameTime = now;
}

int RunPass()
{
    SysMessage msg;
    if (SysPeekMessage(&msg)) {
        HandleMessage(msg);
    } else {
        uint32_t now = SysMilliseconds();
        SampleInput();
        if (FrameDue(now, loop.frameTime))
            RunFrame(now);
        else
            WaitForFrame(now);
    }
    return !run.quitSeen && game.state != STATE_EXIT;
}

int LastQuitCode()
{
    return run.quitSeen ? run.quitCode : 0;
}

int StartUp()
{
    run = LoopRun{};
    // First of all: the language every message from here on is shown in.
    LoadExtras();
    if (!SysCreateWindow(Tr(TEXT_WINDOW_TITLE), 640, 480))
        return 0;
    if (!InitRenderer())
        return 0;
    SysMakeGameFolderCurrent();
    if (!LoadSpriteSheets())
        return 0;
    if (!LoadCourseList())
        return 0;
    LoadShapeMeshes();
    CreatePhysicsWorld();
    InitGhost();
    LoadCourse(0);
    // The contact of the last Race frame counts as "touching" before any race.
    loop.previousGrounded = 1;
    StartBoardThread();
    StartSound();   // without speakers the game simply runs silent
    loop.frameTime = SysMilliseconds();
    game.state = STATE_TITLE;
    StartCourseSelectAtFirst();
    ResetTitle();
    return 1;
}

int RunLoop()
{
    while (RunPass()) {
    }
    return LastQuitCode();
}

void ShutDown()
{
    ReleaseCoursePreview();
    ReleaseCourseText();
    ReleaseTextCache();
    ReleaseScreenLamps();
    ReleaseRenderer();
    ReleaseCourseGraphics();
    DestroyPhysicsWorld();
    FreeGhost();
    // The board thread may be blocked on a read; give it one second at most.
    StopBoardThread();
    for (int step = 0; step < 10; step++) {
        SysSleep(100);
        if (BoardThreadFinished())
            break;
    }
    StopSound();
    ReleaseSpriteSheets();
    FreeCourseList();
    // GL objects die with their context, so the device goes only after the
    // course graphics and the sprite sheets have been released above.
    ShutdownDevice();
    SysDestroyWindow();
}

int TakeInstanceLock()
{
    ReleaseInstanceLock();
    std::string path = std::string(SysSaveFolder()) + kInstanceLockName;
    int handle = SysLockFile(path.c_str());
    if (handle == -1) {
        fprintf(stderr, "Kestrune: another copy of the game is already running (it holds %s); "
                        "this one ends so the two cannot overwrite each other's records.\n",
                path.c_str());
        return 0;
    }
    // A folder where no lock can be made cannot take saves either; the save
    // code says so when it tries.
    instanceLock = handle >= 0 ? handle : -1;
    return 1;
}

void ReleaseInstanceLock()
{
    SysUnlockFile(instanceLock);
    instanceLock = -1;
}

// Everything that may end the game before a window opens comes first: the
// command line, the display, the folders, and the lock (a refused second
// copy must not flash a window up).
int GameMain(int argc, const char* const* argv)
{
    CommandLine options;
    int code = 0;
    if (!HandleCommandLine(argc, argv, &options, &code))
        return code;
    if (!SysHasDisplay()) {
        SayNoDisplay();
        return 1;
    }
    if (!SysChooseFolders(SysFolderSourcesOfProcess(options.data.c_str()))) {
        fprintf(stderr, "Kestrune: no home folder to keep options and records in (HOME is not set)\n");
        return 1;
    }
    CarryOverOldSaves();
    SysCatchStopSignals();
    if (!TakeInstanceLock())
        return 1;
    if (StartUp()) {
        code = ApplyCommandLine(options) ? RunLoop() : 2;
        ShutDown();
    }
    ReleaseInstanceLock();
    return code;
}
