// Narrow text from Japanese Windows: course packs, setting files and the
// texture names inside X files are often in the code page 932 (Shift_JIS
// with Microsoft's extensions). Only this part of the program knows how to
// turn those bytes into UTF-16.
#pragma once
#include <cstddef>

// Decodes `length` bytes of CP932 text into at most `outUnits` UTF-16 units
// (no terminator is written) and returns the number of units stored. A byte
// that starts no valid character becomes U+FFFD and decoding goes on after it;
// a double-byte character that would not fit whole is left out.
size_t SysDecodeCp932(const char* bytes, size_t length, char16_t* out, size_t outUnits);
