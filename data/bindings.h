// Which keys and pad buttons do what: two keys and two pad buttons per
// action, kept in "controls.txt" in the config folder, a text file the
// player may edit by hand. A line the reader cannot use is reported and
// skipped, and its action keeps the default; every other line still counts.
#pragma once
#include <cstdint>
#include <string>

enum Action {
    ACTION_TILT_UP,
    ACTION_TILT_DOWN,
    ACTION_TILT_LEFT,
    ACTION_TILT_RIGHT,
    ACTION_HALF_TILT,        // half tilt, no vertical push
    ACTION_LIFT,             // lifts the vertical reading
    ACTION_DROP,             // drops it: a jump with the jumping ball
    ACTION_CONFIRM,          // the board's button: confirm, skip, pause
    ACTION_CAMERA_DISTANCE,  // steps the camera distance preset
    ACTION_CAMERA_PITCH,     // steps the camera pitch preset
    ACTION_QUICK_RETRY,      // restarts the race from the countdown
    ACTION_COUNT
};

const int kKeySlots = 2;
const int kButtonSlots = 2;

struct Binding {
    int32_t keys[kKeySlots];          // KeyCode; KEYCODE_NONE for an empty slot
    uint32_t buttons[kButtonSlots];   // one PadButton bit each; 0 for an empty slot
};
struct Bindings {
    Binding action[ACTION_COUNT];
};
extern Bindings bindings;             // in use; the defaults until LoadBindings

// Arrows, either SHIFT, X, Z, SPACE, F5, F6, R; on the pad the D-pad, left
// shoulder, north, east, south and start, back.
Bindings DefaultBindings();
uint32_t BoundButtons(const Binding& binding);   // its buttons' bits together

extern const char* const kBindingsFileName;      // "controls.txt"
// Defaults, then the file's lines over them; a broken line is said once on
// standard error. 1 when the file was there to read.
int  LoadBindings();
int  SaveBindings();    // 1 written; 0 failed (said once per run)

// The file's text both ways. The reader starts from what `out` holds and
// returns the number of broken lines, each explained in `problems` (one
// line of text each).
int  ReadBindingsText(const std::string& text, Bindings* out, std::string* problems);
std::string WriteBindingsText(const Bindings& b);

// Names, as the file writes them and the controls screen shows them.
const char* ActionKeyword(int action);          // "TiltUp"
const char* KeyName(int code);                  // "Space", "W", "Key135"; "" for none
int         KeyByName(const char* name);        // any letter case; KEYCODE_NONE when unknown
const char* PadButtonName(uint32_t button);     // "South"; "" for none
uint32_t    PadButtonByName(const char* name);  // 0 when unknown

// Keys and buttons the game keeps for itself: Esc, F1 to F4, F7 to F9, F11;
// the right shoulder (motion steering).
int KeyReserved(int code);
int PadButtonReserved(uint32_t button);

// Rebinding from the controls screen. A key another action holds is
// swapped: that action takes the key this slot held. When this slot was
// empty and the key is the other action's only one, the choice is refused
// instead, so no action is ever left without a key.
enum RebindResult {
    REBIND_DONE,        // bound (or already was)
    REBIND_SWAPPED,     // bound; `other` took the slot's old key
    REBIND_RESERVED,    // refused: the game keeps that key
    REBIND_ONLY_KEY     // refused: it is `other`'s only key
};
struct RebindOutcome {
    RebindResult result;
    int other;          // the action swapped with or refused for; -1 none
};
RebindOutcome RebindKey(Bindings* b, int action, int slot, int code);
RebindOutcome RebindButton(Bindings* b, int action, int slot, uint32_t button);
// 1 when the slot's key (button) is also bound to another action, as a
// hand-edited file can have it.
int KeyConflicts(const Bindings& b, int action, int slot);
int ButtonConflicts(const Bindings& b, int action, int slot);
