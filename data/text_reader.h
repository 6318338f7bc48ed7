// The one reader behind every text file the game reads: "def.ini",
// "course.ini", "sprite.ini" and the course description texts. Lines come
// back as UTF-16 whatever the file holds: UTF-16LE with a byte-order mark,
// else UTF-8 when the bytes are valid UTF-8, else Japanese Windows' code page
// 932. The file position is the only cursor; the reader keeps no state.
#pragma once
#include <cstddef>
#include <cstdio>

enum {
    TEXT_LINE_LIMIT = 4096,   // the most a caller may ask ReadTextLine for
    SETTING_LINE_CHARS = 1023,// line length every setting file is read with
    VALUE_CHARS = 256         // capacity of a bracket value, terminator included
};

// Opens an existing file for reading; null when the name is null or the file
// cannot be opened. Names are relative to the current folder and may use
// backslashes and any letter case (platform/files.h). Close with fclose.
FILE* OpenTextFile(const char* nameUtf8);
FILE* OpenTextFile(const char16_t* name);

// Reads the next line, up to but not including its LF, into dest (which holds
// maxChars + 1 units); a CR before the LF stays. Returns the characters
// stored: 0 at the end of the file, for an empty line, for a null file and
// when maxChars is above TEXT_LINE_LIMIT (then the file is not touched).
int ReadTextLine(FILE* file, char16_t* dest, int maxChars);
// The same line, but an empty line is not the end of the file: false once
// nothing is left to read (or the request is refused as above), else true
// with the characters stored in *length, 0 for an empty line.
bool ReadNextTextLine(FILE* file, char16_t* dest, int maxChars, int* length);

// Copies the text between the first '[' and the next ']' into dest (at most
// VALUE_CHARS - 1 units, the rest is cut) and returns the position right
// after the ']'. Without both brackets dest is empty and the result null.
const char16_t* GetBracketValue(char16_t* dest, const char16_t* text);
// The same with "[[" and "]]", for names that may hold single brackets.
const char16_t* GetNameValue(char16_t* dest, const char16_t* text);
// "x,y,z" into three floats; a component with no comma before it is 0.
void ParseVector3(const char16_t* text, float out[3]);
// Leading blanks, a sign and digits, else 0; saturates instead of wrapping.
int ParseInt(const char16_t* text);
// The longest prefix the C library's atof reads ('.' as decimal point), else 0.
float ParseReal(const char16_t* text);

// Small UTF-16 string helpers for the loaders.
size_t TextLength(const char16_t* text);
const char16_t* FindText(const char16_t* text, const char16_t* key);  // null when absent
void CutAtHash(char16_t* line);                                      // "#" starts a comment
// Copies at most capacity - 1 units and always terminates.
void CopyText(char16_t* dest, size_t capacity, const char16_t* text);

// Conversions for paths and messages. Both always terminate the output,
// cut at a whole character, and return the units/bytes stored. Unpaired
// surrogates and malformed UTF-8 become U+FFFD.
size_t Utf16ToUtf8(const char16_t* text, char* out, size_t outSize);
size_t Utf8ToUtf16(const char* text, char16_t* out, size_t outUnits);
// Narrow text as the reader decodes it (UTF-8 when valid, else CP932), e.g.
// the texture names an X file gives. Returns units stored, terminated.
size_t DecodeNarrowText(const char* bytes, size_t length, char16_t* out, size_t outUnits);
