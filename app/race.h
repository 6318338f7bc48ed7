// Steering the ball during a race: contacts, push, brake, jump, goal, lamps.
#pragma once
#include "core/game.h"

void UpdateRace(const TiltVector& tilt, const TiltVector& previous);
// State Goal, 120 frames; keeps the best time, and the run as the course's
// ghost when it set one.
void EnterGoal();
