// The course scene, drawn in four passes each frame of the race flow: the
// terrain, the ball and obstacles, their shadows, and the goal column.
#include "render/scene.h"

#include <cmath>
#include <vector>

#include "core/game.h"
#include "data/course_list.h"
#include "physics/physics.h"
#include "platform/sys.h"
#include "render/device.h"
#include "render/shapes.h"

static CourseGraphics graphics;
static int courseLoads;   // SetCourseGraphics calls: one per course load

namespace {

const float kPi = 3.1415925f;
const float kShadowReach = 1000.0f;   // how far below an object a shadow may land
const float kShadowLift = 0.1f;       // keeps the shadow in front of its surface
const float kShadowDarkness = 0.6f;   // alpha on a surface facing the light

const CourseDef* CurrentCourseDef()
{
    int index = game.currentCourse;
    if (!courseList.courses || index < 0 || index >= courseList.courseCount)
        return nullptr;
    return &courseList.courses[index];
}

const ShapeMesh& ShapeMeshOf(int32_t shape)
{
    return shapeMeshes[shape == SHAPE_SPHERE ? SHAPE_SPHERE
                       : shape == SHAPE_PILLAR ? SHAPE_PILLAR : SHAPE_BOX];
}

Mesh* PrimitiveOf(int32_t shape)
{
    return shape == SHAPE_SPHERE ? SphereMesh()
         : shape == SHAPE_PILLAR ? CylinderMesh() : BoxMesh();
}

// One object's shadow: its scaled mesh flattened along the light onto the
// surface the light ray from its centre meets first.
void DrawShadow(const Matrix& world, int selfIndex, Mesh* primitive, Material* material)
{
    const Vec3& light = LightDirection();
    Vec3 origin = {0, 0, 0}, centre;
    Vec3TransformCoord(&centre, &origin, &world);
    Vec3 end = {centre.x + kShadowReach * light.x, centre.y + kShadowReach * light.y,
                centre.z + kShadowReach * light.z};
    Vec3 hit, normal;
    if (!CastGroundRay(&hit, selfIndex, centre, end, &normal))
        return;
    float facing = -(normal.x * light.x + normal.y * light.y + normal.z * light.z);
    // A surface turned away from the light gets no shadow at all (its alpha
    // would be zero or below): skip the draw rather than blend nothing.
    if (facing <= 0.0f)
        return;
    Vec3 lifted = {hit.x + kShadowLift * normal.x, hit.y + kShadowLift * normal.y,
                   hit.z + kShadowLift * normal.z};
    Plane plane;
    PlaneFromPointNormal(&plane, &lifted, &normal);
    Vec4 towardLight = {-light.x, -light.y, -light.z, 0};
    Matrix flatten, shadowWorld;
    MatrixShadow(&flatten, &towardLight, &plane);
    MatrixMultiply(&shadowWorld, &world, &flatten);
    material->diffuse[3] = kShadowDarkness * facing;
    SetMaterial(material);
    SetTransform(TS_WORLD, &shadowWorld);
    DrawMeshSubset(primitive, 0);
}

}  // namespace

const CourseGraphics& GetCourseGraphics()
{
    return graphics;
}

void SetCourseGraphics(const CourseGraphics& made)
{
    graphics = made;
    courseLoads++;
}

int CourseLoadCount()
{
    return courseLoads;
}

void ReleaseCourseGraphics()
{
    if (graphics.terrainVertices)
        ReleaseVertexBuffer(graphics.terrainVertices);
    if (graphics.terrainIndices)
        ReleaseIndexBuffer(graphics.terrainIndices);
    if (graphics.fieldTexture)
        ReleaseTexture(graphics.fieldTexture);
    graphics = {};
}

// A course file may name a material the mesh file does not have, and the
// ball type a material of the sphere mesh that is missing: the last one
// there is dresses the object then, so a typo still shows the obstacle.
uint32_t ShapeMaterialIndex(const ShapeMesh& shape, int32_t wanted)
{
    if (wanted <= 0)
        return 0;
    uint32_t index = static_cast<uint32_t>(wanted);
    return index < shape.materialCount ? index : shape.materialCount - 1;
}

void DrawShape(const ShapeMesh& shape, int32_t material, const Matrix& world)
{
    if (!shape.mesh || shape.materialCount == 0)
        return;
    uint32_t k = ShapeMaterialIndex(shape, material);
    SetTransform(TS_WORLD, &world);
    SetMaterial(&shape.materials[k]);
    SetTexture(shape.textures ? shape.textures[k] : nullptr);
    DrawMeshSubset(shape.mesh, 0);
}

// Sizes are half-extents; the pillar's axis is the mesh's z axis.
void ObstacleScaling(Matrix* out, const ObstacleDef& o)
{
    switch (o.shape) {
    case SHAPE_SPHERE: MatrixScaling(out, o.size[0], o.size[0], o.size[0]); break;
    case SHAPE_PILLAR: MatrixScaling(out, o.size[0], o.size[0], o.size[1]); break;
    default:           MatrixScaling(out, o.size[0], o.size[1], o.size[2]); break;
    }
}

void DrawTerrain()
{
    uint32_t flags = game.settings.renderFlags;
    Matrix world;
    MatrixIdentity(&world);
    GetBodyMatrix(&world, 0);
    SetTransform(TS_WORLD, &world);
    SetRenderState(RS_ALPHA_BLEND, 0);
    SetMaterial(&TerrainMaterial());
    SetTexture((flags & USETEXTURE) ? graphics.fieldTexture : nullptr);
    if (flags & WYREFRAME)
        SetRenderState(RS_WIREFRAME, 1);
    if (flags & FLATSHADING)
        SetRenderState(RS_FLAT_SHADING, 1);
    DrawIndexedTriangles(graphics.terrainVertices, FVF_TERRAIN, graphics.terrainIndices, 0,
                         graphics.triangleCount);
    if (flags & WYREFRAME)
        SetRenderState(RS_WIREFRAME, 0);
    if (flags & FLATSHADING)
        SetRenderState(RS_FLAT_SHADING, 0);
    SetRenderState(RS_ALPHA_BLEND, 1);
}

namespace {

// The moving bodies' world matrices with their sizes applied: size first,
// then the body's pose, so the position row stays as it was.
struct ScaledBodies {
    Matrix ball;
    std::vector<Matrix> obstacles;   // course order
};
ScaledBodies scaled;   // kept from picture to picture so drawing allocates nothing

void ScaleBodies(const ScenePose& pose, ScaledBodies* out)
{
    float r = SelectedBallType().size;
    Matrix scale;
    MatrixScaling(&scale, r, r, r);
    MatrixMultiply(&out->ball, &scale, &pose.ball);
    out->obstacles.clear();
    const CourseDef* course = CurrentCourseDef();
    size_t k = 0;
    for (const ObstacleDef* o = course ? course->firstObstacle : nullptr;
         o && k < pose.obstacles.size(); o = o->next, k++) {
        ObstacleScaling(&scale, *o);
        out->obstacles.push_back(Matrix{});
        MatrixMultiply(&out->obstacles.back(), &scale, &pose.obstacles[k]);
    }
}

void DrawScaledBodies(const ScaledBodies& bodies)
{
    SetTexture(nullptr);
    DrawShape(shapeMeshes[SHAPE_SPHERE], game.settings.ballTypeSel, bodies.ball);
    const CourseDef* course = CurrentCourseDef();
    size_t k = 0;
    for (const ObstacleDef* o = course ? course->firstObstacle : nullptr;
         o && k < bodies.obstacles.size(); o = o->next, k++)
        DrawShape(ShapeMeshOf(o->shape), o->material, bodies.obstacles[k]);
}

void ShadowScaledBodies(const ScaledBodies& bodies)
{
    SetTexture(nullptr);
    Material shadow = {};
    DrawShadow(bodies.ball, 1, SphereMesh(), &shadow);
    const CourseDef* course = CurrentCourseDef();
    size_t k = 0;
    for (const ObstacleDef* o = course ? course->firstObstacle : nullptr;
         o && k < bodies.obstacles.size(); o = o->next, k++)
        DrawShadow(bodies.obstacles[k], int(2 + k), PrimitiveOf(o->shape), &shadow);
}

}  // namespace

void CaptureScenePose(ScenePose* out)
{
    out->valid = true;
    out->courseLoad = courseLoads;
    out->ball = ballMatrix;
    out->obstacles.clear();
    const CourseDef* course = CurrentCourseDef();
    for (const ObstacleDef* o = course ? course->firstObstacle : nullptr; o; o = o->next)
        out->obstacles.push_back(o->world);
}

void BlendScenePose(const ScenePose& from, const ScenePose& to, float t, ScenePose* out)
{
    *out = to;
    bool sameScene = from.valid && to.valid && from.courseLoad == to.courseLoad &&
                     from.obstacles.size() == to.obstacles.size();
    if (!sameScene || t >= 1)
        return;
    MatrixBlendRigid(&out->ball, &from.ball, &to.ball, t);
    for (size_t k = 0; k < to.obstacles.size(); k++)
        MatrixBlendRigid(&out->obstacles[k], &from.obstacles[k], &to.obstacles[k], t);
    out->camera.eye = Vec3Lerp(from.camera.eye, to.camera.eye, t);
    out->camera.target = Vec3Lerp(from.camera.target, to.camera.target, t);
    if (from.ghostShown && to.ghostShown)
        MatrixBlendRigid(&out->ghost, &from.ghost, &to.ghost, t);
}

void DrawBallAndObstacles(const ScenePose& pose)
{
    ScaleBodies(pose, &scaled);
    DrawScaledBodies(scaled);
}

void DrawShadows(const ScenePose& pose)
{
    ScaleBodies(pose, &scaled);
    ShadowScaledBodies(scaled);
}

void DrawBallAndObstacles()
{
    ScenePose now;
    CaptureScenePose(&now);
    ScaleBodies(now, &scaled);
    ballMatrix = scaled.ball;
    const CourseDef* course = CurrentCourseDef();
    size_t k = 0;
    for (ObstacleDef* o = course ? course->firstObstacle : nullptr; o; o = o->next, k++)
        o->world = scaled.obstacles[k];
    DrawScaledBodies(scaled);
}

void DrawShadows()
{
    ScenePose now;
    CaptureScenePose(&now);
    ScaledBodies inPlace = {now.ball, now.obstacles};
    ShadowScaledBodies(inPlace);
}

void DrawGoalMarker()
{
    const CourseDef* course = CurrentCourseDef();
    if (!course)
        return;
    const TerrainGrid& grid = CurrentTerrainGrid();
    float w = grid.NX * course->GRID_SIZE, h = grid.NZ * course->GRID_SIZE;
    float x0 = course->GOAL[0], z0 = course->GOAL[1], x1 = course->GOAL[2], z1 = course->GOAL[3];
    float pulse = sinf(kPi * static_cast<float>(SysMilliseconds() % 300) / 300.0f);
    Matrix lift, scale, place, world;
    MatrixTranslation(&lift, 0, 1, 0);
    MatrixScaling(&scale, (x1 - x0) * w * 0.5f, (5 * pulse + 10) * course->MAP_HEIGHT,
                  (z1 - z0) * h * 0.5f);
    MatrixTranslation(&place, w * (0.5f - (x0 + x1) / 2), 0, h * ((z0 + z1) / 2 - 0.5f));
    MatrixMultiply(&world, &lift, &scale);
    MatrixMultiply(&world, &world, &place);
    SetMaterial(&MarkerMaterial());
    SetTransform(TS_WORLD, &world);
    SetTexture(nullptr);
    // Both faces of the walls are seen through the column.
    SetRenderState(RS_CULL_CCW, 0);
    DrawIndexedTriangles(MarkerVertexBuffer(), FVF_TERRAIN, MarkerIndexBuffer(), 0, 8);
    SetRenderState(RS_CULL_CCW, 1);
}
