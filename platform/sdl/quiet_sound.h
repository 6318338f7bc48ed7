// What the SDL window code calls before SDL can load the sound libraries.
// Not for game code.
#pragma once

// Keeps the sound libraries' own error lines off standard error: a machine
// without a sound card plays silently instead of printing them at each start.
// Safe to call more than once.
void QuietSoundLibraries();
