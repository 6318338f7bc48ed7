// Operations of the screens, the cameras, the scene drawing and the preview that
// are not built yet. The loop already calls each at its place; until a real
// version lands each does nothing, so the game runs frames on a grey screen.
#include "render/camera.h"
#include "render/preview.h"
#include "render/scene.h"
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
void DrawCoursePreview() {}
void ReleaseCoursePreview() {}
void LoadCoursePreview(const CourseDef&) {}
void ResetPreviewMaterial() {}

// Record keeping lands with the save files; until then a goal keeps nothing.
__attribute__((weak)) void KeepBestTime() {}
