// Operations of the screens, the HUD, the cameras and the scene drawing that
// are not built yet. The loop already calls each at its place; until a real
// version lands each does nothing, so the game runs frames on a grey screen.
#include "render/camera.h"
#include "render/hud.h"
#include "render/preview.h"
#include "render/scene.h"
#include "render/sprites.h"
#include "screens/screens.h"

void ResetTitle() {}
void UpdateTitle(const TiltVector&) {}
void ResetOptions() {}
void UpdateOptions(const TiltVector&) {}
void ResetCourseSelect() {}
void UpdateCourseSelect(const TiltVector&) {}
void OpenPauseMenu() {}
void UpdatePauseMenu(const TiltVector&) {}
void OpenResultMenu() {}
void UpdateResultMenu(const TiltVector&) {}

void DrawTerrain() {}
void DrawBallAndObstacles() {}
void DrawShadows() {}
void DrawGoalMarker() {}
void SetRaceCamera() {}
void SetIntroCamera() {}
void FlushSprites() {}
void QueueIntroOverlay() {}
void QueueCountdownOverlay() {}
void QueueMissOverlay() {}
void QueueGoalOverlay() {}
void QueueRecordBadge() {}
void QueueCourseMap() {}
void QueueTimePanel() {}
void DrawCoursePreview() {}
void ReleaseCoursePreview() {}
void ReleaseCourseText() {}

// Record keeping lands with the save files; until then a goal keeps nothing.
__attribute__((weak)) void KeepBestTime() {}
