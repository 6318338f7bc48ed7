// Steering the ball during a race: contacts, push, brake, jump, goal, lamps.
#pragma once
#include "core/game.h"

void UpdateRace(const TiltVector& tilt, const TiltVector& previous);
