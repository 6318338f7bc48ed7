// Loading one course: terrain grid, terrain buffers, field texture, bodies.
#pragma once

bool LoadCourse(int index);
void ReleaseCourseGraphics();
