// Calibration of the tilting devices, one record per device (the board; a
// pad by its make and model), kept in "calibration.txt" in the config
// folder. A device without a record steers by its readings as they are.
//
// A record maps the device's tilt (x, z on the game's scale: +x left, -z
// forward) so that its level reads zero and its full tilt each way reads the
// keyboard's full tilt, with a dead zone, a response curve and either axis
// inverted.
#pragma once
#include <cstdint>
#include <string>

const float kFullTilt = 20;        // the keyboard's full tilt
const int kDeadZoneSteps = 10;     // the dead zone goes 0 .. 10 steps of 5 %
const int kMaxCalibrations = 16;

enum CalibrationCurve {
    CURVE_LINEAR = 0,
    CURVE_GENTLE = 1,              // the square: small tilts give smaller pushes
    CURVE_COUNT
};
// The four ways a device tips, as indices of Calibration::range.
enum TipDirection { TIP_LEFT, TIP_RIGHT, TIP_FORWARD, TIP_BACK, TIP_COUNT };

struct Calibration {
    char device[48];          // "board", or "pad " and the pad's GUID
    float levelX, levelZ;     // the reading held level
    float range[TIP_COUNT];   // full tilt each way from level; 0 = not set
    int32_t deadZone;         // 0 .. kDeadZoneSteps
    int32_t curve;            // CalibrationCurve
    int32_t invertX;          // 1: left and right swapped
    int32_t invertZ;          // 1: forward and back swapped
};

struct CalibrationTable {
    Calibration device[kMaxCalibrations];
    int count;
};
extern CalibrationTable calibrations;

extern const char* const kBoardDevice;            // "board"
std::string PadDevice(const char* guid);          // "pad " + guid

// The record of a device; null when it has none. With `create` a record
// with neutral values is made for it (null only when the table is full).
Calibration* FindCalibration(const char* device, bool create);
void ForgetCalibration(const char* device);
// The device's tilt through the record. A direction whose range is not set
// keeps the device's own scale beyond the dead zone.
void CalibrateTilt(const Calibration& c, float* x, float* z);

extern const char* const kCalibrationFileName;    // "calibration.txt"
int  LoadCalibrations();   // 1 when the file was there; broken lines said once on stderr
int  SaveCalibrations();   // 1 written
int  ReadCalibrationText(const std::string& text, CalibrationTable* out, std::string* problems);
std::string WriteCalibrationText(const CalibrationTable& table);

// What the tilt sampler read last from the device it steers with, before
// calibration: the calibration screen's live meter. The sampler writes it.
enum TiltSourceKind { SOURCE_NONE, SOURCE_BOARD, SOURCE_PAD_MOTION };
struct TiltSource {
    int kind;                 // TiltSourceKind
    char device[48];          // the device's name for FindCalibration
    float x, z;               // its reading, uncalibrated
};
void NoteTiltSource(const TiltSource& source);
const TiltSource& LastTiltSource();
