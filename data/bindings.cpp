// The bindings record, its file and the swap rule of the controls screen.
//
// controls.txt, one action a line, keys and pad buttons after '=':
//     TiltUp = W, Up, Pad:DPadUp
//     HalfTilt = LShift, RShift, Pad:LShoulder
// '#' starts a comment; names are matched in any letter case; "none" binds
// nothing. Lines for the same action: the last one counts.
#include "data/bindings.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "data/config_files.h"
#include "platform/keycodes.h"
#include "platform/pad.h"

const char* const kBindingsFileName = "controls.txt";

namespace {

// ---------------------------------------------------------------------------
// Names

const char* const kActionKeywords[ACTION_COUNT] = {
    "TiltUp", "TiltDown", "TiltLeft", "TiltRight", "HalfTilt", "Lift", "Drop",
    "Confirm", "CameraDistance", "CameraPitch", "QuickRetry",
};

struct KeyNameRow {
    int code;
    const char* name;
};
// Letters and digits are made by KeyName itself; a key without a row here
// is "Key<code>".
const KeyNameRow kKeyNames[] = {
    {40, "Enter"}, {41, "Escape"}, {42, "Backspace"}, {43, "Tab"}, {44, "Space"},
    {45, "Minus"}, {46, "Equals"}, {47, "LeftBracket"}, {48, "RightBracket"},
    {49, "Backslash"}, {51, "Semicolon"}, {52, "Apostrophe"}, {53, "Grave"},
    {54, "Comma"}, {55, "Period"}, {56, "Slash"}, {57, "CapsLock"},
    {58, "F1"}, {59, "F2"}, {60, "F3"}, {61, "F4"}, {62, "F5"}, {63, "F6"},
    {64, "F7"}, {65, "F8"}, {66, "F9"}, {67, "F10"}, {68, "F11"}, {69, "F12"},
    {70, "PrintScreen"}, {71, "ScrollLock"}, {72, "Pause"}, {73, "Insert"},
    {74, "Home"}, {75, "PageUp"}, {76, "Delete"}, {77, "End"}, {78, "PageDown"},
    {79, "Right"}, {80, "Left"}, {81, "Down"}, {82, "Up"}, {83, "NumLock"},
    {84, "KPDivide"}, {85, "KPMultiply"}, {86, "KPMinus"}, {87, "KPPlus"},
    {88, "KPEnter"}, {89, "KP1"}, {90, "KP2"}, {91, "KP3"}, {92, "KP4"},
    {93, "KP5"}, {94, "KP6"}, {95, "KP7"}, {96, "KP8"}, {97, "KP9"}, {98, "KP0"},
    {99, "KPPeriod"}, {100, "NonUSBackslash"}, {101, "Menu"},
    {135, "Ro"}, {136, "Kana"}, {137, "Yen"}, {138, "Henkan"}, {139, "Muhenkan"},
    {224, "LCtrl"}, {225, "LShift"}, {226, "LAlt"}, {227, "LSuper"},
    {228, "RCtrl"}, {229, "RShift"}, {230, "RAlt"}, {231, "RSuper"},
};

const char* const kButtonNames[int(PAD_BUTTON_COUNT)] = {
    "South", "East", "North", "Start", "LShoulder", "RShoulder", "West", "Back",
    "LStick", "RStick", "DPadUp", "DPadDown", "DPadLeft", "DPadRight",
};

const char* const kPadPrefix = "Pad:";

bool SameName(const char* a, const char* b)
{
    return strcasecmp(a, b) == 0;
}

// ---------------------------------------------------------------------------
// Reading a line

int ActionByKeyword(const std::string& word)
{
    for (int a = 0; a < ACTION_COUNT; a++)
        if (SameName(word.c_str(), kActionKeywords[a]))
            return a;
    return -1;
}

// Adds one name to the binding; the reason when it cannot.
bool AddName(const std::string& name, Binding* b, int* keys, int* buttons, std::string* why)
{
    if (SameName(name.c_str(), "none"))
        return true;
    if (name.size() > strlen(kPadPrefix) && strncasecmp(name.c_str(), kPadPrefix, strlen(kPadPrefix)) == 0) {
        uint32_t button = PadButtonByName(name.c_str() + strlen(kPadPrefix));
        if (!button) {
            *why = "unknown pad button " + Quoted(name);
            return false;
        }
        if (PadButtonReserved(button)) {
            *why = name + " is kept for motion steering";
            return false;
        }
        if (*buttons == kButtonSlots) {
            *why = "more than " + std::to_string(kButtonSlots) + " pad buttons";
            return false;
        }
        b->buttons[(*buttons)++] = button;
        return true;
    }
    int code = KeyByName(name.c_str());
    if (code == KEYCODE_NONE) {
        *why = "unknown key " + Quoted(name);
        return false;
    }
    if (KeyReserved(code)) {
        *why = name + " is kept for the game's own use";
        return false;
    }
    if (*keys == kKeySlots) {
        *why = "more than " + std::to_string(kKeySlots) + " keys";
        return false;
    }
    b->keys[(*keys)++] = code;
    return true;
}

bool ReadValues(const std::string& value, int action, Binding* b, std::string* why)
{
    *b = Binding{};
    int keys = 0, buttons = 0;
    size_t start = 0;
    while (start <= value.size()) {
        size_t comma = value.find(',', start);
        if (comma == std::string::npos)
            comma = value.size();
        std::string name = TrimBlanks(value.substr(start, comma - start));
        if (name.empty()) {
            *why = "an empty name (write \"none\" for no key)";
            return false;
        }
        if (!AddName(name, b, &keys, &buttons, why))
            return false;
        start = comma + 1;
    }
    if (action == ACTION_CONFIRM && keys == 0) {
        *why = "Confirm needs a key, or no menu could be left from the keyboard";
        return false;
    }
    return true;
}

// One line: nothing to do, a binding, or a reason it is broken.
bool ReadLine(const std::string& raw, Bindings* out, std::string* why)
{
    std::string line = TrimBlanks(raw.substr(0, raw.find('#')));
    if (line.empty())
        return true;
    size_t equals = line.find('=');
    if (equals == std::string::npos) {
        *why = "no '=' between the action and its keys";
        return false;
    }
    std::string keyword = TrimBlanks(line.substr(0, equals));
    int action = ActionByKeyword(keyword);
    if (action < 0) {
        *why = "unknown action " + Quoted(keyword);
        return false;
    }
    Binding b;
    if (!ReadValues(TrimBlanks(line.substr(equals + 1)), action, &b, why))
        return false;
    out->action[action] = b;
    return true;
}

// ---------------------------------------------------------------------------
// The swap rule, the same for key slots and button slots

struct Holder {
    int action;   // -1: nobody else holds it
    int slot;
};

// Another action holding `value` first; else another slot of this action.
template <typename T, int N>
Holder FindHolder(const Bindings& b, int action, int slot, T value, T (Binding::*slots)[N])
{
    for (int a = 0; a < ACTION_COUNT; a++)
        for (int s = 0; s < N; s++)
            if (a != action && (b.action[a].*slots)[s] == value)
                return {a, s};
    for (int s = 0; s < N; s++)
        if (s != slot && (b.action[action].*slots)[s] == value)
            return {action, s};
    return {-1, -1};
}

template <typename T, int N>
RebindOutcome Rebind(Bindings* b, int action, int slot, T value, T (Binding::*slots)[N])
{
    T* mine = &(b->action[action].*slots)[slot];
    T old = *mine;
    Holder holder = FindHolder(*b, action, slot, value, slots);
    if (value == old || holder.action < 0) {
        *mine = value;
        return {REBIND_DONE, -1};
    }
    T* theirs = &(b->action[holder.action].*slots)[holder.slot];
    if (holder.action == action) {
        *theirs = old;
        *mine = value;
        return {REBIND_DONE, -1};
    }
    int othersLeft = 0;
    for (int s = 0; s < N; s++)
        othersLeft += s != holder.slot && (b->action[holder.action].*slots)[s] != 0;
    if (old == 0 && othersLeft == 0)
        return {REBIND_ONLY_KEY, holder.action};
    *theirs = old;
    *mine = value;
    return {REBIND_SWAPPED, holder.action};
}

template <typename T, int N>
int Conflicts(const Bindings& b, int action, int slot, T (Binding::*slots)[N])
{
    T value = (b.action[action].*slots)[slot];
    if (value == 0)
        return 0;
    Holder holder = FindHolder(b, action, slot, value, slots);
    return holder.action >= 0 && holder.action != action;
}

}  // namespace

// ---------------------------------------------------------------------------

Bindings DefaultBindings()
{
    Bindings b = {};
    auto set = [&](int action, int key1, int key2, uint32_t button1, uint32_t button2) {
        b.action[action] = Binding{{key1, key2}, {button1, button2}};
    };
    set(ACTION_TILT_UP, KEYCODE_UP, 0, PAD_DPAD_UP, 0);
    set(ACTION_TILT_DOWN, KEYCODE_DOWN, 0, PAD_DPAD_DOWN, 0);
    set(ACTION_TILT_LEFT, KEYCODE_LEFT, 0, PAD_DPAD_LEFT, 0);
    set(ACTION_TILT_RIGHT, KEYCODE_RIGHT, 0, PAD_DPAD_RIGHT, 0);
    set(ACTION_HALF_TILT, KEYCODE_LSHIFT, KEYCODE_RSHIFT, PAD_LEFT_SHOULDER, 0);
    set(ACTION_LIFT, KEYCODE_X, 0, PAD_NORTH, 0);
    set(ACTION_DROP, KEYCODE_Z, 0, PAD_EAST, 0);
    set(ACTION_CONFIRM, KEYCODE_SPACE, 0, PAD_SOUTH, PAD_START);
    set(ACTION_CAMERA_DISTANCE, KEYCODE_F5, 0, 0, 0);
    set(ACTION_CAMERA_PITCH, KEYCODE_F6, 0, 0, 0);
    set(ACTION_QUICK_RETRY, KEYCODE_R, 0, PAD_BACK, 0);
    return b;
}

Bindings bindings = DefaultBindings();

uint32_t BoundButtons(const Binding& binding)
{
    uint32_t bits = 0;
    for (uint32_t button : binding.buttons)
        bits |= button;
    return bits;
}

const char* ActionKeyword(int action)
{
    return action >= 0 && action < ACTION_COUNT ? kActionKeywords[action] : "";
}

const char* KeyName(int code)
{
    static const char* const kLetters[26] = {
        "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
        "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
    static const char* const kDigits[10] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"};
    static char other[KEYCODE_COUNT][8];
    if (code <= KEYCODE_NONE || code >= KEYCODE_COUNT)
        return "";
    if (code >= KEYCODE_A && code < KEYCODE_A + 26)
        return kLetters[code - KEYCODE_A];
    if (code >= KEYCODE_1 && code <= KEYCODE_0)
        return kDigits[code - KEYCODE_1];
    for (const KeyNameRow& row : kKeyNames)
        if (row.code == code)
            return row.name;
    snprintf(other[code], sizeof other[code], "Key%d", code);
    return other[code];
}

int KeyByName(const char* name)
{
    for (int code = 1; code < KEYCODE_COUNT; code++)
        if (SameName(name, KeyName(code)))
            return code;
    // Any key by its number, also one that has a name.
    if (strncasecmp(name, "Key", 3) == 0 && isdigit((unsigned char)name[3])) {
        char* end;
        long code = strtol(name + 3, &end, 10);
        if (!*end && code > KEYCODE_NONE && code < KEYCODE_COUNT)
            return int(code);
    }
    return KEYCODE_NONE;
}

const char* PadButtonName(uint32_t button)
{
    for (int i = 0; i < int(PAD_BUTTON_COUNT); i++)
        if (button == (1u << i))
            return kButtonNames[i];
    return "";
}

uint32_t PadButtonByName(const char* name)
{
    for (int i = 0; i < int(PAD_BUTTON_COUNT); i++)
        if (SameName(name, kButtonNames[i]))
            return 1u << i;
    return 0;
}

int KeyReserved(int code)
{
    bool extras = (code >= KEYCODE_F1 && code < KEYCODE_F1 + 4) ||
                  (code >= KEYCODE_F1 + 6 && code < KEYCODE_F1 + 9);
    return extras || code == KEYCODE_ESCAPE || code == KEYCODE_F11;
}

int PadButtonReserved(uint32_t button)
{
    return button == PAD_RIGHT_SHOULDER;
}

int ReadBindingsText(const std::string& text, Bindings* out, std::string* problems)
{
    std::vector<std::string> lines = SplitLines(text);
    int broken = 0;
    for (size_t i = 0; i < lines.size(); i++) {
        std::string why;
        if (!ReadLine(lines[i], out, &why)) {
            broken++;
            problems->append(std::string(kBindingsFileName) + " line " + std::to_string(i + 1) +
                             ": " + why + "; the line is skipped\n");
        }
    }
    return broken;
}

std::string WriteBindingsText(const Bindings& b)
{
    std::string text =
        "# Kestrune controls: each action, then its keys (two at most) and pad\n"
        "# buttons (Pad:South, Pad:East, Pad:North, Pad:West, Pad:Start, Pad:Back,\n"
        "# Pad:LShoulder, Pad:LStick, Pad:RStick, Pad:DPadUp ... two at most).\n"
        "# Keys by name: A to Z, 0 to 9, Up, Down, Left, Right, Space, Enter, LShift,\n"
        "# RShift, LCtrl, F5, KP0 ...; letters are the keys that type them.\n"
        "# A line the game cannot read is skipped and its action keeps its default.\n";
    for (int a = 0; a < ACTION_COUNT; a++) {
        std::string names;
        for (int32_t key : b.action[a].keys)
            if (key != KEYCODE_NONE)
                names += std::string(names.empty() ? "" : ", ") + KeyName(key);
        for (uint32_t button : b.action[a].buttons)
            if (button)
                names += std::string(names.empty() ? "" : ", ") + kPadPrefix + PadButtonName(button);
        text += std::string(kActionKeywords[a]) + " = " + (names.empty() ? "none" : names) + "\n";
    }
    return text;
}

int LoadBindings()
{
    bindings = DefaultBindings();
    std::string text;
    if (!ReadConfigFile(kBindingsFileName, &text))
        return 0;
    std::string problems;
    ReadBindingsText(text, &bindings, &problems);
    ReportProblems(problems);
    return 1;
}

int SaveBindings()
{
    static int reported;
    return WriteConfigFile(kBindingsFileName, WriteBindingsText(bindings), &reported);
}

RebindOutcome RebindKey(Bindings* b, int action, int slot, int code)
{
    if (KeyReserved(code))
        return {REBIND_RESERVED, -1};
    return Rebind<int32_t, kKeySlots>(b, action, slot, int32_t(code), &Binding::keys);
}

RebindOutcome RebindButton(Bindings* b, int action, int slot, uint32_t button)
{
    if (PadButtonReserved(button))
        return {REBIND_RESERVED, -1};
    return Rebind<uint32_t, kButtonSlots>(b, action, slot, button, &Binding::buttons);
}

int KeyConflicts(const Bindings& b, int action, int slot)
{
    return Conflicts<int32_t, kKeySlots>(b, action, slot, &Binding::keys);
}

int ButtonConflicts(const Bindings& b, int action, int slot)
{
    return Conflicts<uint32_t, kButtonSlots>(b, action, slot, &Binding::buttons);
}
