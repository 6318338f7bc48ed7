// Start-up, the main loop with its frame gate, the per-state dispatch and the
// race-flow chain, and shutdown.
#include "app/loop.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "app/command_line.h"
#include "app/course_reload.h"
#include "app/ghost.h"
#include "app/race.h"
#include "app/sound.h"
#include "app/splits.h"
#include "app/tilt.h"
#include "app/watch.h"
#include "core/game.h"
#include "course/course.h"
#include "data/bindings.h"
#include "data/calibration.h"
#include "data/course_list.h"
#include "data/extras.h"
#include "data/old_saves.h"
#include "data/sounds.h"
#include "data/texts.h"
#include "physics/physics.h"
#include "platform/files.h"
#include "platform/gfx.h"
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
// After a stall (a slow disk, a dragged window) at most this many logic steps
// catch up before the next picture; the rest of the backlog is dropped.
const uint32_t kMaxCatchUpSteps = 5;

struct LoopRun {
    bool quitSeen;        // the last message retrieved was the quit message
    int quitCode;         // its parameter, the process exit code
    bool retryLatch;      // the quick retry was held at the last frame
    int lateChore;        // the next of StartUp's LateChores; CHORES_DONE when none is left
    int loadsAtStart;     // CourseLoadCount when StartUp ended
};
LoopRun run;

// What the pictures between logic steps are drawn from. The 3D scene blends
// the last two steps; the 2D layer is the one the last step queued.
struct Pictures {
    int stepState;         // the state the last logic step ran in: what the pictures show
    CameraPose stepCamera; // the camera the step's race chain chose
    ScenePose previous;    // the race scene after the step before the last
    ScenePose current;     // the race scene after the last step
    ScenePose shown;       // the last picture's blend of the two
    float shownBlend;      // how far from previous to current it was drawn
    uint32_t count;        // pictures drawn since start
    uint32_t steps;        // logic steps run since start
};
Pictures pictures;

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
// Function keys: F1..F4 toggle render flags, the camera actions (F5/F6 at
// first) step the camera presets.

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
    case 8: ToggleGhost(); break;
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

bool FunctionKeyHeld(int index)
{
    static const SysKey keys[9] = {KEY_F1, KEY_F2, KEY_F3, KEY_F4, KEY_F5,
                                   KEY_F6, KEY_F7, KEY_F8, KEY_F9};
    if (index == 4)
        return ActionHeld(ACTION_CAMERA_DISTANCE);
    if (index == 5)
        return ActionHeld(ACTION_CAMERA_PITCH);
    return SysKeyDown(keys[index]);
}

void HandleFunctionKeys()
{
    for (int i = 0; i < 9; i++) {
        if (!FunctionKeyHeld(i)) {
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
        break;
    case STATE_GOAL_MENU:
        QueueRecordBadge();
        QueueGoalOverlay();
        UpdateResultMenu(loop.tilt);
        break;
    default:
        break;
    }
    pictures.stepCamera = frameState == STATE_INTRO ? IntroCameraPose() : FollowRaceCamera();
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
    case STATE_CONTROLS: UpdateControls(loop.tilt); break;
    case STATE_CALIBRATION: UpdateCalibration(loop.tilt); break;
    case STATE_COURSE_SELECT: UpdateCourseSelect(loop.tilt); break;
    case STATE_WATCH:
        UpdateWatch(loop.tilt);
        // The pictures look through the step's camera, as in a race.
        pictures.stepCamera = FollowRaceCamera();
        break;
    default:
        if (frameState >= STATE_INTRO && frameState <= STATE_GOAL_MENU)
            RunRaceChain(frameState);
        break;
    }
}

// The race flow and watching a run show the course.
bool ShowsCourse(int state)
{
    return (state >= STATE_INTRO && state <= STATE_GOAL_MENU) || state == STATE_WATCH;
}

// Quick retry, on its press anywhere in a race: after the step is kept, so
// the course reload before the next step comes before the countdown's first
// step, as for a retry from the menus.
void HandleQuickRetry(int frameState)
{
    bool held = ActionHeld(ACTION_QUICK_RETRY) != 0;
    bool pressed = held && !run.retryLatch;
    run.retryLatch = held;
    if (!pressed || !ShowsCourse(frameState) || frameState == STATE_WATCH)
        return;
    RestartFromCountdown();
    RestartGhostRun();
    RaiseBoardCue(CueConfirm);
    PlaySound(SOUND_MENU_CONFIRM, 1.0f);
}

// The mouse steers the race only: the pointer is the desktop's everywhere
// else, the pause menu included.
void CaptureMouseForRace()
{
    bool racing = game.state == STATE_COUNTDOWN || game.state == STATE_RACE;
    SysSetMouseCaptured(extras.mouseSteering && racing);
}

// The fill option widens race scenes only; menus keep their 4:3 frame.
void ChoosePictureShape(int frameState)
{
    SetPictureFill(extras.pictureFill && ShowsCourse(frameState) ? 1 : 0);
}

// After each logic step: the race scene it left and its 2D layer, kept for
// the pictures until the next step.
void KeepStep(int frameState)
{
    pictures.stepState = frameState;
    std::swap(pictures.previous, pictures.current);
    ScenePose& now = pictures.current;
    now.valid = false;
    if (ShowsCourse(frameState)) {
        CaptureScenePose(&now);
        now.camera = pictures.stepCamera;
        now.ghostShown = GhostPoseShown(&now.ghost);
    }
    KeepSprites();
}

void DrawRaceScene(const ScenePose& pose)
{
    SetCameraView(pose.camera);
    DrawTerrain();
    DrawBallAndObstacles(pose);
    if (game.settings.renderFlags & DRAWSHADOW)
        DrawShadows(pose);
    DrawGoalMarker();
    if (pose.ghostShown)
        DrawGhost(pose.ghost);
}

// What the title does not need waits for its first picture, so the window
// shows it at once; then each picture does one of these, so none of them
// holds up the title's flourish by more than a step or two. A course asked
// for meanwhile (--course) makes its world itself and replaces the first.
enum LateChore {
    CHORES_DONE,
    CHORE_WORLD,          // the physics world and the shapes' meshes
    CHORE_FIRST_COURSE,   // course 0, which start-up has always loaded
    CHORE_SOUND,          // the sound device; the sounds decode beside the game
};

void DoLateChore()
{
    switch (run.lateChore) {
    case CHORE_WORLD:
        ReadyCourseWorld();
        run.lateChore = CHORE_FIRST_COURSE;
        break;
    case CHORE_FIRST_COURSE:
        if (CourseLoadCount() == run.loadsAtStart && !loop.courseReloadPending)
            LoadCourse(0);
        run.lateChore = CHORE_SOUND;
        break;
    case CHORE_SOUND:
        StartSound();   // without speakers the game simply runs silent
        run.lateChore = CHORES_DONE;
        break;
    default:
        break;
    }
}

// One picture, `blend` of the way from the step before the last to the last.
// The HUD, the map's dots and the lamps show the last step as it is.
void DrawPicture(float blend)
{
    int frameState = pictures.stepState;
    bool race = ShowsCourse(frameState);
    pictures.shownBlend = blend;
    ChoosePictureShape(frameState);
    BeginScene();
    if (race) {
        BlendScenePose(pictures.previous, pictures.current, blend, &pictures.shown);
        DrawRaceScene(pictures.shown);
    }
    DrawKeptSprites();
    if (frameState == STATE_COURSE_SELECT) {
        DrawCourseSelectPreview();
    } else if (race) {
        if (pictures.current.ghostShown)
            QueueGhostDot(pictures.current.ghost);
        QueueCourseMap();
        QueueTimePanel();
        QueueSplits();
        FlushSprites();
    }
    // The board's lamps for players without one, over everything else.
    QueueScreenLamps();
    FlushSprites();
    pictures.count++;
    PresentScene();
    loop.freshSteps = 0;
    DoLateChore();
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

// The logic of one 16 ms step, with no picture.
void RunStep()
{
    FollowLanguage();
    ReloadEditedCourse(game.state, loop.frameTime);
    int frameState = game.state;
    if (!loop.tilt.button)
        loop.releaseLatch = 0;
    HandleFunctionKeys();
    ChoosePictureShape(frameState);
    Dispatch(frameState);
    UpdateGhost(frameState);
    UpdateSound(frameState);
    KeepStep(frameState);
    HandleQuickRetry(frameState);
    CaptureMouseForRace();
    loop.previousTilt = loop.tilt;
    loop.freshSteps++;
    pictures.steps++;
}

// Logic steps due at `now`: one per 16 ms since the last, at most
// kMaxCatchUpSteps; a longer backlog is dropped, so the next picture comes
// soon and the race clock, which counts steps, gains nothing from the stall.
uint32_t TakeDueSteps(uint32_t now)
{
    uint32_t elapsed = now - loop.frameTime;
    if (int32_t(elapsed) < 0)
        return 0;
    uint32_t due = elapsed / kFrameMs;
    if (due > kMaxCatchUpSteps) {
        loop.frameTime += (due - kMaxCatchUpSteps) * kFrameMs;
        due = kMaxCatchUpSteps;
    }
    return due;
}

// Microseconds since the last step was due (below 16,000 once the due steps ran).
uint64_t SinceStepUs(uint64_t nowUs)
{
    uint32_t elapsedMs = uint32_t(nowUs / 1000) - loop.frameTime;
    if (int32_t(elapsedMs) < 0)
        return 0;
    return uint64_t(elapsedMs) * 1000 + nowUs % 1000;
}

// The shortest time between pictures: the display's refresh; 0 when its rate
// is unknown, and then one picture follows each logic step.
uint64_t PictureGapUs()
{
    int hz = SysRefreshRate();
    return hz > 0 ? 1000000u / uint32_t(hz) : 0;
}

// With vsync the present itself waits for the display, so a picture is due
// at once; the cap at three quarters of a refresh only keeps a driver whose
// vsync does not wait from drawing without end.
uint64_t PictureWaitUs(uint64_t nowUs)
{
    uint64_t gap = PictureGapUs();
    if (gap == 0)
        return loop.freshSteps > 0 ? 0 : UINT64_MAX;
    uint64_t cap = loop.vsync ? gap * 3 / 4 : gap;
    uint64_t since = nowUs - loop.pictureTimeUs;
    return since >= cap ? 0 : cap - since;
}

// Without vsync the pictures keep to the refresh's own beat, not to the
// moments the loop happened to notice them due.
void NotePictureTime(uint64_t nowUs)
{
    uint64_t gap = PictureGapUs();
    bool onBeat = !loop.vsync && gap > 0 && nowUs - loop.pictureTimeUs < 2 * gap;
    loop.pictureTimeUs = onBeat ? loop.pictureTimeUs + gap : nowUs;
}

// Between pictures: sleep until about 1 ms before the next step or picture is
// due, then only yield, so an idle game costs a few percent of a core instead
// of one whole core, while the gate keeps its 1 ms accuracy.
void WaitForNext(uint64_t waitUs)
{
    uint64_t left = waitUs / 1000;
    if (left > 1)
        SysSleep(uint32_t(left - 1));
    else
        SysYield();
}

// The platform is asked again whenever the option changes.
void FollowVsyncOption()
{
    if (loop.vsyncAsked == extras.vsync)
        return;
    loop.vsyncAsked = extras.vsync;
    loop.vsync = SysSetVsync(extras.vsync);
}

// ---------------------------------------------------------------------------
// The window's place is kept in the extras from one run to the next.

void RestoreWindowPlace()
{
    if (extras.windowWidth <= 0 || extras.windowHeight <= 0)
        return;   // never kept: the window opens as it always did
    SysWindowPlace kept = {extras.windowX, extras.windowY, extras.windowWidth,
                           extras.windowHeight, extras.windowFullscreen, extras.windowDisplay};
    SysRect areas[16];
    int count = SysDisplayAreas(areas, 16);
    SysSetWindowPlace(FitWindowPlace(kept, areas, count));
}

void KeepWindowPlace()
{
    SysWindowPlace place;
    if (!SysGetWindowPlace(&place) || place.width <= 0 || place.height <= 0)
        return;
    extras.windowX = place.x;
    extras.windowY = place.y;
    extras.windowWidth = place.width;
    extras.windowHeight = place.height;
    extras.windowFullscreen = place.fullscreen;
    extras.windowDisplay = place.display;
    SaveExtras();
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
    t.button = connected ? (BoardButtonByte() != 0) : (ActionHeld(ACTION_CONFIRM) != 0);
    t.connected = connected ? 1 : 0;
    if (loop.courseReloadPending) {
        if (loop.courseReloadIndex >= 0) {
            ReadyCourseWorld();
            LoadCourse(loop.courseReloadIndex);
        }
        // The sheets not read yet (the race's plates, digits and menus) are
        // read with the course, not in the steps of its intro and race.
        LoadSheetPictures();
        loop.courseReloadPending = 0;
    }
}

void RunFrame(uint32_t now)
{
    RunLogicStep();
    DrawStepPicture();
    loop.frameTime = now;
}

void RunLogicStep()
{
    RunStep();
}

void DrawStepPicture()
{
    DrawPicture(1.0f);
}

int RunPass()
{
    SysMessage msg;
    if (SysPeekMessage(&msg)) {
        HandleMessage(msg);
    } else {
        uint64_t nowUs = SysMicroseconds();
        FollowVsyncOption();
        SampleInput();
        uint32_t steps = TakeDueSteps(uint32_t(nowUs / 1000));
        for (uint32_t k = 0; k < steps; k++) {
            // A course load asked for by the step before is served first.
            if (k > 0)
                SampleInput();
            RunStep();
            loop.frameTime += kFrameMs;
        }
        uint64_t pictureWait = PictureWaitUs(nowUs);
        if (pictureWait == 0) {
            DrawPicture(float(SinceStepUs(nowUs)) / float(kFrameMs * 1000));
            NotePictureTime(nowUs);
        } else {
            uint64_t stepWait = kFrameMs * 1000 - SinceStepUs(nowUs);
            WaitForNext(stepWait < pictureWait ? stepWait : pictureWait);
        }
    }
    return !run.quitSeen && game.state != STATE_EXIT;
}

uint32_t PicturesDrawn()
{
    return pictures.count;
}

uint32_t StepsRun()
{
    return pictures.steps;
}

float LastPictureBlend()
{
    return pictures.shownBlend;
}

const ScenePose& LastPictureScene()
{
    return pictures.shown;
}

int LastQuitCode()
{
    return run.quitSeen ? run.quitCode : 0;
}

void ResetLoopRun()
{
    run = LoopRun{};
}

int StartUp()
{
    ResetLoopRun();
    ForgetEditedCourse();
    // First of all: the language every message from here on is shown in,
    // and the place the window was left.
    LoadExtras();
    LoadBindings();
    LoadCalibrations();
    if (!SysCreateWindow(Tr(TEXT_WINDOW_TITLE), 640, 480))
        return 0;
    RestoreWindowPlace();
    if (!InitRenderer())
        return 0;
    loop.vsyncAsked = extras.vsync;
    loop.vsync = SysSetVsync(extras.vsync);
    SysMakeGameFolderCurrent();
    if (!LoadSpriteSheets())
        return 0;
    if (!LoadCourseList())
        return 0;
    InitGhost();
    // The contact of the last Race frame counts as "touching" before any race.
    loop.previousGrounded = 1;
    StartBoardThread();
    loop.frameTime = SysMilliseconds();
    game.state = STATE_TITLE;
    StartCourseSelectAtFirst();
    ResetTitle();
    run.lateChore = CHORE_WORLD;
    run.loadsAtStart = CourseLoadCount();
    return 1;
}

void FinishStartUp()
{
    while (run.lateChore != CHORES_DONE)
        DoLateChore();
}

int RunLoop()
{
    while (RunPass()) {
    }
    return LastQuitCode();
}

void ShutDown()
{
    run.lateChore = CHORES_DONE;   // a game shut down early starts nothing more
    SysSetMouseCaptured(0);
    KeepWindowPlace();
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
    // Before anything changes the current folder the pack is named from.
    ListCommandLinePack(options);
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
    // The window opens on its first screen's backdrop while the rest
    // starts: the title's white, or black before a race asked for here.
    GfxSetStartBackdrop(options.course.number >= 0 ? 0x000000 : 0xFFFFFF);
    if (StartUp()) {
        code = ApplyCommandLine(options) ? RunLoop() : 2;
        ShutDown();
    }
    ReleaseInstanceLock();
    return code;
}
