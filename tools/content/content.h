// The parts of the shipped data set. Each writes its files below the game
// folder and returns 1 on success.
#pragma once
#include <string>

int WriteSprites(const std::string& gameDir);    // sprite.ini and image/
int WriteSettings(const std::string& gameDir);   // def.ini and mesh/
int WriteCourses(const std::string& gameDir);    // course.ini and field/
int WriteSounds(const std::string& gameDir);     // sound.ini and sound/ (the music too)
int WriteMusic(const std::string& soundDir);     // the two music loops
// The launcher icon as an icon theme lays it out: 64x64/apps/kestrune.png
// and 256x256/apps/kestrune.png below iconDir.
int WriteIcons(const std::string& iconDir);

// Text encodings the game's text reader accepts.
std::string Utf16leWithBom(const std::string& utf8);
std::string Cp932(const std::string& utf8);      // empty when not convertible
