// The course model and description shown on the course-select screen.
#pragma once
#include "render/course_text.h"

struct CourseDef;

void LoadCoursePreview(const CourseDef& course);
void ResetPreviewMaterial();
void DrawCoursePreview();
void ReleaseCoursePreview();
