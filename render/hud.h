// HUD and overlays; each operation only queues sprites. The goal plate, once
// it rests, shows the medal the run earned when the course has a par.
#pragma once
#include <cstddef>
#include <cstdint>

void QueueIntroOverlay();
void QueueCountdownOverlay();
void QueueMissOverlay();
void QueueGoalOverlay();
void QueueRecordBadge();
void QueueCourseMap();
void QueueTimePanel();
// Beside the time panel: a split's difference from the ghost, ahead (below
// zero) in blue, behind in red, level in white.
void QueueSplitDelta(int32_t deltaMs);
// "−0.42", "+0.13", "±0.00": the difference in hundredths, rounded.
void FormatSplitDelta(int32_t deltaMs, char* out, size_t outSize);

// Where the world point (x, z) lies on the course map, in screen pixels (not
// clamped to the map). False when no course is loaded.
bool CourseMapPoint(float x, float z, float* sx, float* sy);
