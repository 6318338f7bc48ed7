// The calibration records, their mapping and their file.
//
// calibration.txt, one block per device:
//     [board]
//     level = 3.5, -2          the reading held level (x, z)
//     range = 28, 30, 27, 31   full tilt left, right, forward, back; 0 = not set
//     deadzone = 2             0 to 10, steps of 5 % of the range
//     curve = gentle           linear or gentle
//     invert = x               none, x, z or xz
#include "data/calibration.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "data/config_files.h"

CalibrationTable calibrations;
const char* const kBoardDevice = "board";
const char* const kCalibrationFileName = "calibration.txt";

namespace {

TiltSource lastSource;   // written by the tilt sampler on every pass

const float kLargestReading = 128;   // a board byte's reach; a pad's is less
const char* const kCurveNames[CURVE_COUNT] = {"linear", "gentle"};

// ---------------------------------------------------------------------------
// The mapping

// Travel t (1 = the full tilt) through the dead zone and the curve.
float Shape(float t, const Calibration& c, bool rangeSet)
{
    if (t > 1)
        return rangeSet ? 1 : t;
    float dead = float(c.deadZone) * 0.05f;
    if (t <= dead)
        return 0;
    float u = (t - dead) / (1 - dead);
    return c.curve == CURVE_GENTLE ? u * u : u;
}

float Axis(float v, float positiveRange, float negativeRange, const Calibration& c)
{
    float range = v >= 0 ? positiveRange : negativeRange;
    bool set = range > 0;
    float out = kFullTilt * Shape(std::fabs(v) / (set ? range : kFullTilt), c, set);
    if (out == 0)
        return 0;   // never -0: the lamps read the push's direction
    return v >= 0 ? out : -out;
}

// ---------------------------------------------------------------------------
// Reading

// Exactly `count` numbers separated by commas, each within -limit .. limit.
bool ReadNumbers(const std::string& value, float* out, int count, float limit)
{
    const char* p = value.c_str();
    for (int i = 0; i < count; i++) {
        char* end;
        float v = strtof(p, &end);
        if (end == p || !std::isfinite(v) || std::fabs(v) > limit)
            return false;
        out[i] = v;
        p = end;
        while (*p == ' ' || *p == '\t')
            p++;
        if (i + 1 < count && *p++ != ',')
            return false;
    }
    return *p == '\0';
}

bool ReadWhole(const std::string& value, int32_t low, int32_t high, int32_t* out)
{
    char* end;
    long v = strtol(value.c_str(), &end, 10);
    if (end == value.c_str() || *end || v < low || v > high)
        return false;
    *out = int32_t(v);
    return true;
}

bool ReadLevel(const std::string& value, Calibration* c)
{
    float v[2];
    if (!ReadNumbers(value, v, 2, kLargestReading))
        return false;
    c->levelX = v[0];
    c->levelZ = v[1];
    return true;
}

bool ReadRange(const std::string& value, Calibration* c)
{
    float v[TIP_COUNT];
    if (!ReadNumbers(value, v, TIP_COUNT, 2 * kLargestReading))
        return false;
    for (float r : v)
        if (r < 0)
            return false;
    memcpy(c->range, v, sizeof v);
    return true;
}

bool ReadCurve(const std::string& value, Calibration* c)
{
    for (int k = 0; k < CURVE_COUNT; k++) {
        if (strcasecmp(value.c_str(), kCurveNames[k]) == 0) {
            c->curve = k;
            return true;
        }
    }
    return false;
}

bool ReadInvert(const std::string& value, Calibration* c)
{
    static const char* const kNames[4] = {"none", "x", "z", "xz"};
    for (int k = 0; k < 4; k++) {
        if (strcasecmp(value.c_str(), kNames[k]) == 0) {
            c->invertX = k & 1;
            c->invertZ = k >> 1;
            return true;
        }
    }
    return false;
}

// One "key = value" line of a device's block; the reason when it is broken.
bool ReadField(const std::string& line, Calibration* c, std::string* why)
{
    size_t equals = line.find('=');
    if (equals == std::string::npos) {
        *why = "no '=' between the name and its value";
        return false;
    }
    std::string key = TrimBlanks(line.substr(0, equals)), value = TrimBlanks(line.substr(equals + 1));
    bool ok;
    if (key == "level") ok = ReadLevel(value, c);
    else if (key == "range") ok = ReadRange(value, c);
    else if (key == "deadzone") ok = ReadWhole(value, 0, kDeadZoneSteps, &c->deadZone);
    else if (key == "curve") ok = ReadCurve(value, c);
    else if (key == "invert") ok = ReadInvert(value, c);
    else {
        *why = "unknown name " + Quoted(key);
        return false;
    }
    if (!ok)
        *why = Quoted(value) + " is not a value " + key + " can take";
    return ok;
}

// "[board]" or "[pad <32 hex digits>]": the device's record, made when new.
Calibration* ReadHeader(const std::string& line, CalibrationTable* table, std::string* why)
{
    std::string name = TrimBlanks(line.substr(1, line.size() - 2));
    bool pad = name.compare(0, 4, "pad ") == 0 && name.size() == 36 &&
               name.find_first_not_of("0123456789abcdefABCDEF", 4) == std::string::npos;
    if (name != kBoardDevice && !pad) {
        *why = "unknown device " + Quoted(name) + " (its lines are skipped)";
        return nullptr;
    }
    for (int i = 0; i < table->count; i++)
        if (name == table->device[i].device)
            return &table->device[i];
    if (table->count == kMaxCalibrations) {
        *why = "more than " + std::to_string(kMaxCalibrations) + " devices (its lines are skipped)";
        return nullptr;
    }
    Calibration* c = &table->device[table->count++];
    *c = Calibration{};
    snprintf(c->device, sizeof c->device, "%s", name.c_str());
    return c;
}

// One line; `current` is the block being read (null: none, or a broken one).
bool ReadLine(const std::string& raw, CalibrationTable* table, Calibration** current, bool* inBlock,
              std::string* why)
{
    std::string line = TrimBlanks(raw.substr(0, raw.find('#')));
    if (line.empty())
        return true;
    if (line.front() == '[' && line.back() == ']') {
        *inBlock = true;
        *current = ReadHeader(line, table, why);
        return *current != nullptr;
    }
    if (!*current) {
        if (*inBlock)
            return true;   // the broken header was said already
        *why = "a setting before any [device]";
        return false;
    }
    return ReadField(line, *current, why);
}

void WriteRecord(const Calibration& c, std::string* text)
{
    static const char* const kInvert[4] = {"none", "x", "z", "xz"};
    char lines[512];
    snprintf(lines, sizeof lines,
             "[%s]\nlevel = %g, %g\nrange = %g, %g, %g, %g\ndeadzone = %d\ncurve = %s\ninvert = %s\n",
             c.device, c.levelX, c.levelZ, c.range[TIP_LEFT], c.range[TIP_RIGHT],
             c.range[TIP_FORWARD], c.range[TIP_BACK], int(c.deadZone),
             kCurveNames[c.curve == CURVE_GENTLE ? 1 : 0], kInvert[(c.invertX ? 1 : 0) | (c.invertZ ? 2 : 0)]);
    *text += lines;
}

}  // namespace

// ---------------------------------------------------------------------------

std::string PadDevice(const char* guid)
{
    return std::string("pad ") + guid;
}

Calibration* FindCalibration(const char* device, bool create)
{
    for (int i = 0; i < calibrations.count; i++)
        if (strcmp(calibrations.device[i].device, device) == 0)
            return &calibrations.device[i];
    if (!create || calibrations.count == kMaxCalibrations || !device[0])
        return nullptr;
    Calibration* c = &calibrations.device[calibrations.count++];
    *c = Calibration{};
    snprintf(c->device, sizeof c->device, "%s", device);
    return c;
}

void ForgetCalibration(const char* device)
{
    Calibration* c = FindCalibration(device, false);
    if (!c)
        return;
    Calibration* last = &calibrations.device[calibrations.count - 1];
    *c = *last;
    calibrations.count--;
}

void CalibrateTilt(const Calibration& c, float* x, float* z)
{
    float cx = Axis(*x - c.levelX, c.range[TIP_LEFT], c.range[TIP_RIGHT], c);
    float cz = Axis(*z - c.levelZ, c.range[TIP_BACK], c.range[TIP_FORWARD], c);
    *x = c.invertX && cx != 0 ? -cx : cx;
    *z = c.invertZ && cz != 0 ? -cz : cz;
}

int ReadCalibrationText(const std::string& text, CalibrationTable* out, std::string* problems)
{
    std::vector<std::string> lines = SplitLines(text);
    int broken = 0;
    Calibration* current = nullptr;
    bool inBlock = false;
    for (size_t i = 0; i < lines.size(); i++) {
        std::string why;
        if (!ReadLine(lines[i], out, &current, &inBlock, &why)) {
            broken++;
            problems->append(std::string(kCalibrationFileName) + " line " + std::to_string(i + 1) +
                             ": " + why + "; the line is skipped\n");
        }
    }
    return broken;
}

std::string WriteCalibrationText(const CalibrationTable& table)
{
    std::string text =
        "# Kestrune calibration, one block per device: the reading held level (x, z);\n"
        "# the full tilt each way from it (left, right, forward, back; 0 = not set);\n"
        "# the dead zone (0 to 10, 5 % of the range a step); curve linear or gentle;\n"
        "# invert none, x, z or xz.\n";
    for (int i = 0; i < table.count; i++)
        WriteRecord(table.device[i], &text);
    return text;
}

int LoadCalibrations()
{
    calibrations = CalibrationTable{};
    std::string text;
    if (!ReadConfigFile(kCalibrationFileName, &text))
        return 0;
    std::string problems;
    ReadCalibrationText(text, &calibrations, &problems);
    ReportProblems(problems);
    return 1;
}

int SaveCalibrations()
{
    static int reported;
    return WriteConfigFile(kCalibrationFileName, WriteCalibrationText(calibrations), &reported);
}

void NoteTiltSource(const TiltSource& source)
{
    lastSource = source;
}

const TiltSource& LastTiltSource()
{
    return lastSource;
}
