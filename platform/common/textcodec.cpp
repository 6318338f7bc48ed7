// CP932 decoding through iconv. iconv's "SHIFT_JIS" follows JIS X 0201 and
// turns 0x5C into the yen sign and 0x7E into an overline, which breaks every
// "mesh\box.x" a Windows author writes; "CP932" keeps them ASCII, as Windows
// itself does.
#include "platform/textcodec.h"

#include <cerrno>
#include <iconv.h>

namespace {

iconv_t Cp932Decoder()
{
    // Opened once: the gconv module is loaded on the first open, and text is
    // only ever decoded on the main thread.
    static iconv_t decoder = iconv_open("UTF-16LE", "CP932");
    return decoder;
}

// Windows maps the single bytes that CP932 leaves undefined to these; keeping
// the lone 0x80 and 0xA0 readable costs nothing.
bool DecodeLoneByte(unsigned char byte, char16_t* unit)
{
    if (byte < 0x80) { *unit = byte; return true; }
    if (byte >= 0xA1 && byte <= 0xDF) { *unit = char16_t(0xFF61 + (byte - 0xA1)); return true; }
    return false;
}

}  // namespace

size_t SysDecodeCp932(const char* bytes, size_t length, char16_t* out, size_t outUnits)
{
    iconv_t decoder = Cp932Decoder();
    size_t stored = 0;
    size_t at = 0;
    while (at < length && stored < outUnits) {
        if (decoder == (iconv_t)-1) {
            // No converter on this system: keep what is plainly ASCII.
            char16_t unit = 0xFFFD;
            DecodeLoneByte((unsigned char)bytes[at], &unit);
            out[stored++] = unit;
            at++;
            continue;
        }
        char* in = const_cast<char*>(bytes + at);
        size_t inLeft = length - at;
        unsigned char buffer[512];
        char* outPtr = (char*)buffer;
        size_t outLeft = sizeof buffer;
        size_t room = (outUnits - stored) * 2;
        if (outLeft > room) outLeft = room;
        size_t result = iconv(decoder, &in, &inLeft, &outPtr, &outLeft);
        int error = result == (size_t)-1 ? errno : 0;
        size_t made = (size_t)(outPtr - (char*)buffer) / 2;
        for (size_t i = 0; i < made; i++)
            out[stored++] = char16_t(buffer[2 * i] | (buffer[2 * i + 1] << 8));
        at = length - inLeft;
        iconv(decoder, nullptr, nullptr, nullptr, nullptr);
        if (error == EILSEQ || error == EINVAL) {
            if (stored < outUnits) {
                char16_t unit = 0xFFFD;
                DecodeLoneByte((unsigned char)bytes[at], &unit);
                out[stored++] = unit;
            }
            at++;
        } else if (error == E2BIG && made == 0) {
            break;   // the next character does not fit whole
        }
    }
    return stored;
}
