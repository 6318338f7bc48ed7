// Line reading with the byte-position rules every setting file relies on:
// a CR before the LF stays in the line, an empty line reads like the end of
// the file (ReadNextTextLine tells them apart), and the next read starts
// right after the consumed LF.
#include "data/text_reader.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/textcodec.h"

namespace {

enum { RAW_READ_BYTES = 8190, RAW_BUFFER_BYTES = 8192, NUMBER_BYTES = 256 };

// ---------------------------------------------------------------- UTF-8

// Length of the valid UTF-8 sequence at `at`, 0 when it is malformed, and
// -1 when it is cut short by the end of the bytes.
int Utf8SequenceLength(const unsigned char* at, size_t left)
{
    unsigned char lead = at[0];
    if (lead < 0x80) return 1;
    int length;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;         // overlong
        if (lead == 0xED) high = 0x9F;        // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;         // overlong
        if (lead == 0xF4) high = 0x8F;        // above U+10FFFF
    } else return 0;
    for (int i = 1; i < length; i++) {
        if ((size_t)i >= left) return -1;
        unsigned char next = at[i];
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return 0;
    }
    return length;
}

// Whether the bytes are strict UTF-8. A sequence cut by the end counts as
// valid when `cutAllowed`: a read that filled its buffer may stop mid-way.
bool IsUtf8(const char* bytes, size_t length, bool cutAllowed)
{
    const unsigned char* at = (const unsigned char*)bytes;
    size_t i = 0;
    while (i < length) {
        int size = Utf8SequenceLength(at + i, length - i);
        if (size == 0) return false;
        if (size < 0) return cutAllowed;
        i += (size_t)size;
    }
    return true;
}

uint32_t Utf8CodePoint(const unsigned char* at, int size)
{
    if (size == 1) return at[0];
    uint32_t code = at[0] & (0x7F >> size);
    for (int i = 1; i < size; i++) code = (code << 6) | (at[i] & 0x3F);
    return code;
}

// Decodes UTF-8 (malformed bytes become U+FFFD) into at most outUnits units
// without splitting a surrogate pair. No terminator.
size_t DecodeUtf8(const char* bytes, size_t length, char16_t* out, size_t outUnits)
{
    const unsigned char* at = (const unsigned char*)bytes;
    size_t i = 0, stored = 0;
    while (i < length && stored < outUnits) {
        int size = Utf8SequenceLength(at + i, length - i);
        uint32_t code = size > 0 ? Utf8CodePoint(at + i, size) : 0xFFFD;
        i += size > 0 ? (size_t)size : 1;
        if (code < 0x10000) { out[stored++] = char16_t(code); continue; }
        if (stored + 2 > outUnits) break;
        code -= 0x10000;
        out[stored++] = char16_t(0xD800 + (code >> 10));
        out[stored++] = char16_t(0xDC00 + (code & 0x3FF));
    }
    return stored;
}

size_t DecodeNarrow(const char* bytes, size_t length, bool utf8, char16_t* out, size_t outUnits)
{
    if (utf8) return DecodeUtf8(bytes, length, out, outUnits);
    return SysDecodeCp932(bytes, length, out, outUnits);
}

// ---------------------------------------------------------------- lines

bool IsUtf16File(FILE* file, long position)
{
    unsigned char mark[2] = {0, 0};
    bool wide = fseek(file, 0, SEEK_SET) == 0 && fread(mark, 1, 2, file) == 2 &&
                mark[0] == 0xFF && mark[1] == 0xFE;
    fseek(file, position, SEEK_SET);
    return wide;
}

// One read of a UTF-16 file: the line goes to dest, the result is where the
// next read starts.
long TakeWideLine(const unsigned char* raw, size_t count, long start,
                  char16_t* dest, int maxChars, int* stored, bool* ended)
{
    if (start == 0 && count >= 2 && raw[0] == 0xFF && raw[1] == 0xFE) {
        raw += 2;
        count -= 2;
        start += 2;
    }
    *ended = count == 0;
    // The raw buffer is cleared before the read, so an odd last byte is the
    // low half of a unit whose high half is zero.
    size_t units = (count + 1) / 2;
    int kept = 0;
    while ((size_t)kept < units && kept < maxChars) {
        char16_t unit = char16_t(raw[2 * kept] | (raw[2 * kept + 1] << 8));
        if (unit == 0 || unit == u'\n') break;
        dest[kept++] = unit;
    }
    *stored = kept;
    return start + 2L * kept + 2;
}

// One read of a narrow file; the line ends at the first LF byte (or zero
// byte), which no CP932 or UTF-8 character contains.
long TakeNarrowLine(const char* raw, size_t count, long start,
                    char16_t* dest, int maxChars, int* stored, bool* ended)
{
    bool filled = count == RAW_READ_BYTES;   // the line may go on past the read
    // Editors on Windows often start UTF-8 files with a mark; it is no text.
    if (start == 0 && count >= 3 && memcmp(raw, "\xEF\xBB\xBF", 3) == 0) {
        raw += 3;
        count -= 3;
        start += 3;
    }
    *ended = count == 0;
    size_t text = 0;
    while (text < count && raw[text] != 0) text++;
    size_t line = 0;
    while (line < text && raw[line] != '\n') line++;
    bool utf8 = IsUtf8(raw, text, text == count && filled);
    *stored = (int)DecodeNarrow(raw, line, utf8, dest, (size_t)maxChars);
    return start + (long)line + 1;
}

// Number text as the C library sees it: ASCII stays, anything else becomes a
// byte no number contains, and the text is cut at the conversion buffer.
void NarrowNumberText(const char16_t* text, char* out)
{
    size_t i = 0;
    for (; text && text[i] && i < NUMBER_BYTES - 1; i++) out[i] = text[i] < 0x80 ? (char)text[i] : '?';
    out[i] = 0;
}

float ToFloat(double value)
{
    // Out of float range is undefined in a plain conversion.
    if (value > FLT_MAX) return HUGE_VALF;
    if (value < -FLT_MAX) return -HUGE_VALF;
    return (float)value;
}

bool IsBlank(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r') || c == u'\x3000';
}

}  // namespace

// ---------------------------------------------------------------- files

FILE* OpenTextFile(const char* nameUtf8)
{
    if (!nameUtf8) return nullptr;
    return SysOpenFile(nameUtf8, "rb");
}

FILE* OpenTextFile(const char16_t* name)
{
    if (!name) return nullptr;
    char path[1024];
    Utf16ToUtf8(name, path, sizeof path);
    return OpenTextFile(path);
}

bool ReadNextTextLine(FILE* file, char16_t* dest, int maxChars, int* length)
{
    *length = 0;
    if (!file || !dest || maxChars > TEXT_LINE_LIMIT || maxChars < 0) return false;
    long start = ftell(file);
    if (start < 0) return false;
    bool wide = IsUtf16File(file, start);
    unsigned char raw[RAW_BUFFER_BYTES] = {};
    memset(dest, 0, sizeof(char16_t) * (size_t)(maxChars + 1));
    size_t count = fread(raw, 1, RAW_READ_BYTES, file);
    bool ended = false;
    long next = wide ? TakeWideLine(raw, count, start, dest, maxChars, length, &ended)
                     : TakeNarrowLine((const char*)raw, count, start, dest, maxChars, length, &ended);
    dest[*length] = 0;
    fseek(file, next, SEEK_SET);
    return !ended;
}

int ReadTextLine(FILE* file, char16_t* dest, int maxChars)
{
    int length = 0;
    ReadNextTextLine(file, dest, maxChars, &length);
    return length;
}

// ---------------------------------------------------------------- values

namespace {

// Copies what stands between the first `open` and the first `close` after it
// (cut to the value buffer), and returns the text just past `close`.
const char16_t* GetDelimitedValue(char16_t* dest, const char16_t* text,
                                  const char16_t* open, const char16_t* close)
{
    dest[0] = 0;
    size_t openLength = TextLength(open), closeLength = TextLength(close);
    const char16_t* start = text ? FindText(text, open) : nullptr;
    const char16_t* end = start ? FindText(start + openLength, close) : nullptr;
    if (!end) return nullptr;
    size_t length = (size_t)(end - start - openLength);
    if (length > VALUE_CHARS - 1) length = VALUE_CHARS - 1;
    memcpy(dest, start + openLength, length * sizeof(char16_t));
    dest[length] = 0;
    return end + closeLength;
}

}  // namespace

const char16_t* GetBracketValue(char16_t* dest, const char16_t* text)
{
    return GetDelimitedValue(dest, text, u"[", u"]");
}

const char16_t* GetNameValue(char16_t* dest, const char16_t* text)
{
    return GetDelimitedValue(dest, text, u"[[", u"]]");
}

void ParseVector3(const char16_t* text, float out[3])
{
    const char16_t* component = text;
    for (int i = 0; i < 3; i++) {
        out[i] = component ? ParseReal(component) : 0.0f;
        if (component) component = FindText(component, u",");
        if (component) component++;
    }
}

int ParseInt(const char16_t* text)
{
    if (!text) return 0;
    while (IsBlank(*text)) text++;
    bool negative = *text == u'-';
    if (*text == u'-' || *text == u'+') text++;
    long long value = 0;
    for (; *text >= u'0' && *text <= u'9'; text++) {
        value = value * 10 + (*text - u'0');
        if (value > (long long)INT_MAX + 1) value = (long long)INT_MAX + 1;
    }
    if (negative) return (int)-value;
    return value > INT_MAX ? INT_MAX : (int)value;
}

float ParseReal(const char16_t* text)
{
    char narrow[NUMBER_BYTES];
    NarrowNumberText(text, narrow);
    return ToFloat(atof(narrow));
}

// ---------------------------------------------------------------- strings

size_t TextLength(const char16_t* text)
{
    size_t length = 0;
    while (text[length]) length++;
    return length;
}

const char16_t* FindText(const char16_t* text, const char16_t* key)
{
    if (!key[0]) return text;
    for (; *text; text++) {
        size_t i = 0;
        while (key[i] && text[i] == key[i]) i++;
        if (!key[i]) return text;
    }
    return nullptr;
}

void CutAtHash(char16_t* line)
{
    for (; *line; line++)
        if (*line == u'#') { *line = 0; return; }
}

void CopyText(char16_t* dest, size_t capacity, const char16_t* text)
{
    if (capacity == 0) return;
    size_t i = 0;
    for (; text[i] && i < capacity - 1; i++) dest[i] = text[i];
    dest[i] = 0;
}

// ---------------------------------------------------------------- conversions

size_t Utf16ToUtf8(const char16_t* text, char* out, size_t outSize)
{
    if (outSize == 0) return 0;
    size_t stored = 0;
    for (size_t i = 0; text && text[i]; i++) {
        uint32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            i++;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        unsigned char bytes[4];
        size_t size;
        if (code < 0x80) { bytes[0] = (unsigned char)code; size = 1; }
        else if (code < 0x800) { bytes[0] = 0xC0 | (code >> 6); bytes[1] = 0x80 | (code & 0x3F); size = 2; }
        else if (code < 0x10000) {
            bytes[0] = 0xE0 | (code >> 12); bytes[1] = 0x80 | ((code >> 6) & 0x3F);
            bytes[2] = 0x80 | (code & 0x3F); size = 3;
        } else {
            bytes[0] = 0xF0 | (code >> 18); bytes[1] = 0x80 | ((code >> 12) & 0x3F);
            bytes[2] = 0x80 | ((code >> 6) & 0x3F); bytes[3] = 0x80 | (code & 0x3F); size = 4;
        }
        if (stored + size > outSize - 1) break;
        memcpy(out + stored, bytes, size);
        stored += size;
    }
    out[stored] = 0;
    return stored;
}

size_t Utf8ToUtf16(const char* text, char16_t* out, size_t outUnits)
{
    if (outUnits == 0) return 0;
    size_t stored = text ? DecodeUtf8(text, strlen(text), out, outUnits - 1) : 0;
    out[stored] = 0;
    return stored;
}

size_t DecodeNarrowText(const char* bytes, size_t length, char16_t* out, size_t outUnits)
{
    if (outUnits == 0) return 0;
    size_t stored = bytes ? DecodeNarrow(bytes, length, IsUtf8(bytes, length, false), out, outUnits - 1) : 0;
    out[stored] = 0;
    return stored;
}
