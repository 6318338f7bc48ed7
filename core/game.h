// The game's global record and the loop-owned state every subsystem reads.
#pragma once
#include <cstdint>

enum GameState {
    STATE_TITLE = 0,
    STATE_OPTIONS = 1,
    STATE_COURSE_SELECT = 2,
    STATE_INTRO = 3,
    STATE_COUNTDOWN = 4,
    STATE_RACE = 5,
    STATE_PAUSE = 6,
    STATE_MISS = 7,
    STATE_MISS_MENU = 8,
    STATE_GOAL = 9,
    STATE_GOAL_MENU = 10,
    STATE_EXIT = 11,
    STATE_SETTINGS = 12,       // the more settings, under the options
    STATE_WATCH = 13,          // a recorded run replayed, from course select
    STATE_CONTROLS = 14,       // keys and pad buttons, from the more settings
    STATE_CALIBRATION = 15     // the board's and the pad's tilt, from the more settings
};

// renderFlags bits, named as the settings file spells them.
enum RenderFlag {
    FLATSHADING = 1,
    WYREFRAME = 2,
    USETEXTURE = 4,
    DRAWSHADOW = 8
};

struct BallType {
    float size;        // radius; also the fall threshold
    float weight;      // mass
    float bound;       // restitution
    float brakeGain;   // velocity damping gain, 0 = off
    float jumpGain;    // upward push from a falling vertical reading, 0 = off
    float speed;       // tilt-to-impulse gain
};

struct GameSettings {
    uint32_t renderFlags;      // RenderFlag bits
    BallType ballTypes[3];
    float cameraLength[3];     // camera distance presets
    float cameraPitch[3];      // camera pitch presets, radians
    float gravity[3];          // gravity strength presets
    int32_t ballTypeSel;       // 0..2, saved in config.sav
    int32_t gravitySel;        // 0..2
    int32_t cameraPitchSel;    // 0..2, F6 steps it
    int32_t cameraLengthSel;   // 0..2, F5 steps it
    float groundBound;         // restitution of terrain and obstacles
};

// The one record the settings loader clears before filling it.
struct Game {
    int state;                 // GameState
    int currentCourse;         // index into the course table of the race
    GameSettings settings;
};
extern Game game;

// The input sample shared with every screen.
struct TiltVector {
    float x;          // left/right tilt, raw sensor counts (keyboard: 20 = full)
    float y;          // vertical acceleration
    float z;          // forward/back tilt
    int button;       // board button, or SPACE without a board
    int connected;    // copy of the board link's connected flag
};

// State owned by the main loop; zero at start unless noted.
struct LoopState {
    int introFrames;           // frames of Intro left (180 on entry)
    int countdownFrames;       // frames left of the current countdown step
    int countdownStep;         // 0..4
    int missFrames;            // 120 on entering Miss
    int goalFrames;            // 120 on entering Goal
    uint32_t raceTimeMs;       // 16 per Race or Miss frame
    int releaseLatch;          // set on entering Intro, cleared when button is up
    int courseReloadPending;   // a screen asked for a course (re)load
    int courseReloadIndex;     // which course; below 0 means none
    int keyLatch[9];           // F1..F9 edge detection
    uint32_t frameTime;        // when the last logic step was due (ms); steps 16 apart
    TiltVector tilt;           // this pass's sample
    TiltVector previousTilt;   // the last frame's sample (jump term)
    int previousGrounded;      // the last Race frame's contact; 1 at start
    uint64_t pictureTimeUs;    // when the last picture was drawn (us)
    int freshSteps;            // logic steps run since the last picture
    int vsync;                 // presents wait for the display (asked for and granted)
    int vsyncAsked;            // extras.vsync as last handed to the platform
};
extern LoopState loop;

inline const BallType& SelectedBallType()
{
    return game.settings.ballTypes[game.settings.ballTypeSel];
}
