// Operations of the screens, the HUD, the cameras and the scene drawing that
// are not built yet. The loop already calls each at its place; until a real
// version lands each does nothing, so the game runs frames on a grey screen.
#include "render/hud.h"
#include "render/preview.h"
#include "render/sprites.h"
#include "screens/screens.h"

void FlushSprites() {}
int DrawSprite(int32_t, uint32_t, uint32_t, float, int32_t, uint32_t, float, float, float, float) { return 1; }
void QueueQuad(Texture*, const SpriteVertex*, int32_t) {}
void DrawFrame(int32_t, int32_t, float, uint32_t, float, float, float, float) {}
void InitMenuPanel(MenuPanel* panel, float, float, float, float, float, int) { *panel = {}; }
void UpdateMenuPanel(MenuPanel*) {}
void DrawMenuPanel(const MenuPanel*) {}
void QueueIntroOverlay() {}
void QueueCountdownOverlay() {}
void QueueMissOverlay() {}
void QueueGoalOverlay() {}
void QueueRecordBadge() {}
void QueueCourseMap() {}
void QueueTimePanel() {}
void ReleaseCourseText() {}
CourseText courseText;
Glyph* MakeGlyphs(const char16_t*, int, int* count, TextMetrics* metrics) { *count = 0; *metrics = {}; return nullptr; }
void FreeGlyphs(Glyph*, int) {}
void LoadCourseText(const CourseDef&) {}

// Record keeping lands with the save files; until then a goal keeps nothing.
__attribute__((weak)) void KeepBestTime() {}
