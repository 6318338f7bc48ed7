// The game's version, written by the build: the project's version, and the
// `git describe` of the checkout it was built from when there is one.
#pragma once

extern const char* const kGameVersion;   // e.g. "1.0.0" or "1.0.0 (git f709921-dirty)"
