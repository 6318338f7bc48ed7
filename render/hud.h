// HUD and overlays; each operation only queues sprites.
#pragma once

void QueueIntroOverlay();
void QueueCountdownOverlay();
void QueueMissOverlay();
void QueueGoalOverlay();
void QueueRecordBadge();
void QueueCourseMap();
void QueueTimePanel();

// Where the world point (x, z) lies on the course map, in screen pixels (not
// clamped to the map). False when no course is loaded.
bool CourseMapPoint(float x, float z, float* sx, float* sy);
