// The cameras of the race and of the intro fly-over.
#pragma once

void SetRaceCamera();
void SetIntroCamera();
