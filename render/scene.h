// Drawing the course scene: terrain, ball and obstacles, shadows, goal marker.
#pragma once

void DrawTerrain();
void DrawBallAndObstacles();
void DrawShadows();
void DrawGoalMarker();
