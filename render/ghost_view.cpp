#include "render/ghost_view.h"

#include "core/game.h"
#include "data/course_list.h"
#include "render/device.h"
#include "render/hud.h"
#include "render/scene.h"
#include "render/shapes.h"
#include "render/sprites.h"

namespace {

const float kGhostOpacity = 0.4f;
const uint32_t kDotColour = 0x90FFFFFF;   // faint white, under the red ball dot
const int32_t kMapIconSheet = 9;          // the course map's ball and goal icons

// The ball's own material, made translucent.
Material GhostMaterial(const ShapeMesh& shape, Texture** texture)
{
    uint32_t index = ShapeMaterialIndex(shape, game.settings.ballTypeSel);
    Material m = shape.materials[index];
    m.diffuse[3] = kGhostOpacity;
    *texture = shape.textures ? shape.textures[index] : nullptr;
    return m;
}

}  // namespace

void DrawGhost(const Matrix& pose)
{
    const ShapeMesh& shape = shapeMeshes[SHAPE_SPHERE];
    if (!shape.mesh || shape.materialCount == 0)
        return;
    float size = SelectedBallType().size;
    Matrix scale, world;
    MatrixScaling(&scale, size, size, size);
    MatrixMultiply(&world, &scale, &pose);
    Texture* texture = nullptr;
    Material material = GhostMaterial(shape, &texture);
    SetTransform(TS_WORLD, &world);
    SetMaterial(&material);
    SetTexture(texture);
    DrawMeshSubset(shape.mesh, 0);
    SetTexture(nullptr);
}

void QueueGhostDot(const Matrix& pose)
{
    float x, y;
    if (!CourseMapPoint(pose.m[3][0], pose.m[3][2], &x, &y))
        return;
    DrawSprite(kMapIconSheet, 0, kDotColour, 0.0f, DEPTH_SPRITE, 0, x, y, 10.0f, 10.0f);
}
