// Drawing the course scene: terrain, ball and obstacles, shadows, goal marker.
#pragma once
#include <cstdint>
#include <vector>

#include "core/xmath.h"
#include "render/camera.h"

struct ShapeMesh;
struct ObstacleDef;
struct Texture;
struct VertexBuffer;
struct IndexBuffer;

// The loaded course's graphics, made by the course loader (course/); each
// null when absent.
struct CourseGraphics {
    Texture* fieldTexture;            // FIELD_TEXTURE with a full mip chain
    VertexBuffer* terrainVertices;    // one TerrainVertex per grid point
    IndexBuffer* terrainIndices;      // 3 per triangle
    int indexBits;                    // 16, or 32 when the grid has over 65,536 points
    int triangleCount;                // triangles in terrainIndices
};
const CourseGraphics& GetCourseGraphics();
// The scene takes over the course's texture and buffers; call
// ReleaseCourseGraphics first, or the ones before are lost.
void SetCourseGraphics(const CourseGraphics& graphics);
void ReleaseCourseGraphics();

// What moves in the scene, as one logic step left it, or as a picture drawn
// between two steps shows it.
struct ScenePose {
    bool valid;                      // a race scene was captured
    int courseLoad;                  // the course load it belongs to (CourseLoadCount)
    Matrix ball;                     // the ball's world matrix, unscaled
    std::vector<Matrix> obstacles;   // each obstacle's, unscaled, in course order
    CameraPose camera;               // the step's camera
    bool ghostShown;                 // the ghost ball is in the picture
    Matrix ghost;                    // its world matrix, unscaled
};
// Ball and obstacles as the last SyncCourseTransforms left them; camera and
// ghost are the caller's to fill in.
void CaptureScenePose(ScenePose* out);
// `from` blended into `to` by t (0 gives from, 1 gives to, exactly). A pose of
// another course load, or none, is not blended from: a course (re)load, a
// retry, the first frame of a race show `to` as it is.
void BlendScenePose(const ScenePose& from, const ScenePose& to, float t, ScenePose* out);
// Course loads so far: a new load's bodies have nothing to blend from.
int  CourseLoadCount();

void DrawTerrain();
void DrawBallAndObstacles(const ScenePose& pose);
void DrawShadows(const ScenePose& pose);
void DrawGoalMarker();
// The newest logic step drawn in place: the scaled matrices stay in
// ballMatrix and the obstacles' `world` until the next
// SyncCourseTransforms, where the shadow pass below draws with them.
void DrawBallAndObstacles();
void DrawShadows();

// Shared with the other drawers of shapes (course preview, ghost ball).
// A material index past the mesh's list takes the last one there is.
uint32_t ShapeMaterialIndex(const ShapeMesh& shape, int32_t wanted);
// Subset 0 of the shape's mesh with that material, at `world`.
void DrawShape(const ShapeMesh& shape, int32_t material, const Matrix& world);
// An obstacle's size as a scaling (half-extents; the pillar's axis is z).
void ObstacleScaling(Matrix* out, const ObstacleDef& o);
