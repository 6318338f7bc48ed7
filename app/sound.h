// What the player hears: the music of the menus and of the race, the ball
// rolling, knocking and landing, the race's jingles, and the volumes and
// muting the extras keep. Menu clicks are the screens' own (MenuSound).
#pragma once

// Opens the speakers and starts decoding the sounds beside the game (each
// is silent until it arrives); silent, and saying nothing, when there is no
// sound device. StopSound waits for the decoding to end.
void StartSound();
void StopSound();

// Every frame, after the state's update: volumes, muting and music; and
// while the world stepped this frame (Race and Miss), the rolling loop and
// the impacts of the step.
void UpdateSound(int frameState);

// Events of the race.
void PlayJumpSound();                  // the jumping ball took off
void PlayFallSound();                  // it fell off the course
void PlayGoalSounds(bool newRecord);   // the fanfare, and the jingle after it for a new best time
