// The course model and description shown on the course-select screen.
#pragma once

void DrawCoursePreview();
void ReleaseCoursePreview();
void ReleaseCourseText();
