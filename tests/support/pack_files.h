// Game folders and course packs for the pack, reload and command-line tests:
// flat courses on one small height map, each with its texture and
// description, written where the test says.
#pragma once
#include <string>

// A 16 x 16 height map, all at grey level `grey` (a hill of `hill` in its
// middle when above 0), as bytes of a 24-bit BMP.
std::string FlatMapBytes(int grey, int hill = 0);

// course.ini's text for `courses` flat courses (field/map.bmp, its texture,
// doc.txt), then `extraLines` (each ending in CRLF).
std::string FlatCourseIni(int courses, const std::string& extraLines = "");

// `folder` (made, with its parents) holds a course.ini of `courses` flat
// courses, with `extraLines`, and their files.
void WriteFlatPack(const std::string& folder, int courses, const std::string& extraLines = "");
// The same with def.ini and sprite.ini beside it: a game folder.
void WriteFlatGame(const std::string& folder, int courses);

// `text` with every `from` replaced by `to`.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);
