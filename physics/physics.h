// The physics world and the course's bodies, as the game core sees them.
#pragma once

void CreatePhysicsWorld();
void DestroyPhysicsWorld();
void StepPhysicsWorld();          // one frame: 1/60 s, up to 10 substeps of 1/60 s
void SyncCourseTransforms();      // refresh ballMatrix and the obstacles' world matrices
bool IsBallFallen();
