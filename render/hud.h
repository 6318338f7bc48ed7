// HUD and overlays; each operation only queues sprites.
#pragma once

void QueueIntroOverlay();
void QueueCountdownOverlay();
void QueueMissOverlay();
void QueueGoalOverlay();
void QueueRecordBadge();
void QueueCourseMap();
void QueueTimePanel();
