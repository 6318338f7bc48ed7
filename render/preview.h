// The course model on the course-select screen: a course's terrain at
// preview scale with its ball, obstacles, goal column and flags, drawn over
// the screen's 2D elements. The course builder (course/) makes the model;
// the screen says each frame where it stands.
#pragma once
#include "data/course_list.h"
#include "render/device.h"

struct CoursePreview {
    CourseDef course;            // the course last shown (previewCourse)
    bool hasModel;               // its height map was read and its grid built
    Texture* texture;            // FIELD_TEXTURE, or null: drawn untextured
    VertexBuffer* vertices;      // one TerrainVertex per grid point
    IndexBuffer* indices;        // 3 per triangle
    int indexBits;               // 16, or 32 past 65,536 points (as the race terrain)
    int NX, NZ;                  // grid points across and down
    int vertexCount;
    int triangleCount;
    Vec3 low, high;              // corners of the box round its vertices
    float goalX, goalZ;          // goal centre: x from the right edge, z from the top
    float goalHeight;            // sample value under the goal; kept when outside the grid
    Material material;           // PreviewMaterial
};
const CoursePreview& GetCoursePreview();
// The preview takes over the model's texture and buffers; call
// ReleaseCoursePreview first, or the ones shown before are lost.
void SetCoursePreview(const CoursePreview& model);
// Releases the texture and buffers; the rest of the record stays.
void ReleaseCoursePreview();
void ResetPreviewMaterial();

// Where the course-select screen stands this frame.
struct PreviewFrame {
    bool shown;                  // false while the screen enters: nothing is drawn
    float slideOffset;           // 0 at rest, +-2 out of view
    int frameCounter;            // the screen's frame counter: the flags bob by it
    bool starting;               // the race is about to start: the screen fades out
    int startDelay;              // frames left before it starts
};
void DrawCoursePreview(const PreviewFrame& frame);
