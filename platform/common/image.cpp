// Image decoding. Course packs are shared between players, so every picture
// is untrusted: PNG and JPEG go to libpng and libjpeg-turbo, the libraries
// made (and fuzzed) for them; BMP and TGA go to stb_image only after their
// size has been read and found sane; PNM, PFM, HDR and DDS are read here
// (stb_image overran a buffer on 16-bit PNM and looped for ever on a cut HDR).
// Files are read through our own file layer so names resolve the same way
// for every loader.
#include "platform/image.h"
#include "platform/files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <png.h>
#include <squish.h>
#include <turbojpeg.h>

// The third-party decoders are not held to our warning level.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#include "stb_image.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"
#pragma GCC diagnostic pop

namespace {

// ---------------------------------------------------------------------------
// [SECTION] Shared checks
// ---------------------------------------------------------------------------

// A picture file that fits in memory as a whole.
struct FileBytes {
    const uint8_t* data;
    size_t size;
};

// Whole file into a malloc'd block; null when it cannot be read.
uint8_t* ReadWholeFile(const char* name, long* size)
{
    FILE* file = SysOpenFile(name, "rb");
    if (!file)
        return nullptr;
    uint8_t* data = nullptr;
    if (fseek(file, 0, SEEK_END) == 0) {
        long length = ftell(file);
        if (length > 0 && fseek(file, 0, SEEK_SET) == 0) {
            data = static_cast<uint8_t*>(malloc(length));
            if (data && fread(data, 1, length, file) != static_cast<size_t>(length)) {
                free(data);
                data = nullptr;
            }
            *size = length;
        }
    }
    fclose(file);
    return data;
}

// No texture of ours needs more than 8192 a side, and a picture of no pixels
// is no picture. Checked before any decoder allocates.
bool SaneSides(long width, long height)
{
    return width > 0 && height > 0 && width <= IMAGE_MAX_SIDE && height <= IMAGE_MAX_SIDE;
}

bool StartsWith(const FileBytes& file, const char* magic)
{
    size_t n = strlen(magic);
    return file.size >= n && memcmp(file.data, magic, n) == 0;
}

uint32_t ReadU32(const uint8_t* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

uint8_t* NewPixels(int width, int height)
{
    return static_cast<uint8_t*>(calloc(static_cast<size_t>(width) * height, 4));
}

uint8_t UnitToByte(float v)
{
    if (!(v > 0.0f)) return 0;          // NaN too
    if (v >= 1.0f) return 255;
    return static_cast<uint8_t>(v * 255.0f + 0.5f);
}

// ---------------------------------------------------------------------------
// [SECTION] PNG and JPEG
// ---------------------------------------------------------------------------

// Deflate packs at most about 1032 bytes into one, and a 1-bit picture holds
// eight pixels a byte: a header claiming more pixels than that is lying.
const uint64_t kDeflateRatio = 1032;

uint8_t* DecodePng(const FileBytes& file, int* width, int* height)
{
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data, file.size))
        return nullptr;
    uint64_t pixels = static_cast<uint64_t>(image.width) * image.height;
    if (!SaneSides(image.width, image.height) || pixels > (file.size + 1) * kDeflateRatio * 8) {
        png_image_free(&image);
        return nullptr;
    }
    // Paint programs write 16-bit channels gamma-encoded like 8-bit ones; the
    // library would take them as linear and lighten them.
    image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    image.format = PNG_FORMAT_RGBA;
    uint8_t* rgba = NewPixels(image.width, image.height);
    if (!rgba || !png_image_finish_read(&image, nullptr, rgba, 0, nullptr)) {
        png_image_free(&image);
        free(rgba);
        return nullptr;
    }
    *width = image.width;
    *height = image.height;
    return rgba;
}

// Print-ready JPEGs hold CMYK, or YCCK that the library turns into CMYK.
// Adobe's programs, which write nearly all of them, store the inks inverted
// (255 is no ink), so a channel times the black, over 255, is the light left.
void InvertedCmykToRgba(uint8_t* pixels, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        uint8_t* p = pixels + i * 4;
        const unsigned black = p[3];
        for (int c = 0; c < 3; c++)
            p[c] = static_cast<uint8_t>((p[c] * black + 127) / 255);
        p[3] = 255;
    }
}

uint8_t* DecodeJpeg(const FileBytes& file, int* width, int* height)
{
    tjhandle tj = tjInitDecompress();
    if (!tj)
        return nullptr;
    int w = 0, h = 0, subsampling = 0, colourspace = 0;
    uint8_t* rgba = nullptr;
    bool ok = tjDecompressHeader3(tj, file.data, file.size, &w, &h, &subsampling, &colourspace) == 0
              && SaneSides(w, h) && (rgba = NewPixels(w, h)) != nullptr;
    bool inks = colourspace == TJCS_CMYK || colourspace == TJCS_YCCK;
    // A progressive file can ask for endless scans; a cut or damaged one ends
    // in a warning, and both are refused rather than shown half decoded.
    if (ok)
        ok = tjDecompress2(tj, file.data, file.size, rgba, w, 0, h, inks ? TJPF_CMYK : TJPF_RGBA,
                           TJFLAG_LIMITSCANS | TJFLAG_STOPONWARNING) == 0;
    tjDestroy(tj);
    if (!ok) {
        free(rgba);
        return nullptr;
    }
    if (inks)
        InvertedCmykToRgba(rgba, static_cast<size_t>(w) * h);
    *width = w;
    *height = h;
    return rgba;
}

// ---------------------------------------------------------------------------
// [SECTION] BMP and TGA through stb_image
// ---------------------------------------------------------------------------

// The most pixels a file of this size can describe, so that a header that
// claims more is refused before stb_image allocates and decodes for minutes.
uint64_t MostPixels(const FileBytes& file)
{
    uint64_t size = file.size;
    if (StartsWith(file, "BM") && file.size >= 30) {
        // stb_image reads no run-length bitmaps: every pixel is in the file.
        uint32_t header = ReadU32(file.data + 14);
        int bits = header == 12 ? file.data[24] | file.data[25] << 8 : file.data[28] | file.data[29] << 8;
        return bits > 0 ? size * 8 / bits : 0;
    }
    return size * 128;          // TGA: one run-length packet gives 128 pixels
}

// Grey, grey and alpha, RGB or RGBA pixels as RGBA.
void ExpandToRgba(const uint8_t* src, int channels, size_t count, uint8_t* rgba)
{
    for (size_t i = 0; i < count; i++, src += channels, rgba += 4) {
        bool colour = channels >= 3;
        rgba[0] = src[0];
        rgba[1] = src[colour ? 1 : 0];
        rgba[2] = src[colour ? 2 : 0];
        rgba[3] = channels == 2 || channels == 4 ? src[channels - 1] : 255;
    }
}

uint8_t* DecodeWithStb(const FileBytes& file, int* width, int* height)
{
    if (file.size >= 0x7fffffff)
        return nullptr;
    int length = static_cast<int>(file.size);
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(file.data, length, &w, &h, &channels))
        return nullptr;
    // A bitmap stored top row first gives a negative height; stb_image turns
    // it round when it decodes, but reports it as it stands.
    long rows = StartsWith(file, "BM") && h < 0 ? -static_cast<long>(h) : h;
    if (!SaneSides(w, rows) || static_cast<uint64_t>(w) * rows > MostPixels(file))
        return nullptr;
    // The file's own channel count, widened here.
    uint8_t* pixels = stbi_load_from_memory(file.data, length, &w, &h, &channels, 0);
    if (!pixels)
        return nullptr;
    // Hand out malloc'd memory so SysFreeImage does not depend on stb's allocator.
    bool usable = channels >= 1 && channels <= 4 && SaneSides(w, h);
    uint8_t* rgba = usable ? NewPixels(w, h) : nullptr;
    if (rgba) {
        ExpandToRgba(pixels, channels, static_cast<size_t>(w) * h, rgba);
        *width = w;
        *height = h;
    }
    stbi_image_free(pixels);
    return rgba;
}

// ---------------------------------------------------------------------------
// [SECTION] PFM, PNM and HDR, read here
// PFM: "PF" (RGB) or "Pf" (grey), width, height, scale, floats
// ---------------------------------------------------------------------------

bool IsHeaderSpace(uint8_t c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Next whitespace-separated word of a PFM or PNM text header, "#" comments
// skipped. False at the end of the file and for a word that does not fit:
// a longer word is no header word, and cutting it would read its rest as
// the next one.
bool HeaderWord(const FileBytes& file, size_t* at, char* word, size_t capacity)
{
    for (;;) {
        while (*at < file.size && IsHeaderSpace(file.data[*at])) (*at)++;
        if (*at >= file.size || file.data[*at] != '#') break;
        while (*at < file.size && file.data[*at] != '\n') (*at)++;
    }
    size_t n = 0;
    for (; *at < file.size && !IsHeaderSpace(file.data[*at]); (*at)++) {
        if (n + 1 >= capacity) return false;
        word[n++] = static_cast<char>(file.data[*at]);
    }
    word[n] = 0;
    return n > 0 && *at < file.size;
}

// A side or a largest value: decimal digits only, no sign, at most `limit`.
bool HeaderNumber(const char* word, long limit, long* value)
{
    *value = 0;
    for (const char* c = word; *c; c++) {
        if (*c < '0' || *c > '9') return false;
        *value = *value * 10 + (*c - '0');
        if (*value > limit) return false;
    }
    return word[0] != 0;
}

// The words of a PNM or PFM header: its kind, two sides and a last number
// (largest value or scale), then the one whitespace byte before the data.
struct TextHeader {
    char kind[3], w[8], h[8], last[32];
    long cols, rows;
    size_t data;            // where the samples start
};

bool ReadTextHeader(const FileBytes& file, TextHeader* header)
{
    size_t at = 0;
    if (!HeaderWord(file, &at, header->kind, sizeof header->kind) || !HeaderWord(file, &at, header->w, sizeof header->w)
        || !HeaderWord(file, &at, header->h, sizeof header->h)
        || !HeaderWord(file, &at, header->last, sizeof header->last))
        return false;
    header->data = at + 1;
    return HeaderNumber(header->w, IMAGE_MAX_SIDE, &header->cols)
           && HeaderNumber(header->h, IMAGE_MAX_SIDE, &header->rows) && SaneSides(header->cols, header->rows);
}

float PfmValue(const uint8_t* p, bool littleEndian)
{
    uint32_t bits = littleEndian ? ReadU32(p)
                                 : (uint32_t)p[3] | (uint32_t)p[2] << 8 | (uint32_t)p[1] << 16 | (uint32_t)p[0] << 24;
    float v;
    memcpy(&v, &bits, sizeof v);
    return v;
}

// The scale says the byte order by its sign; it must be a whole number
// word, finite and not zero.
bool PfmScale(const char* word, bool* littleEndian)
{
    char* end = nullptr;
    double scale = strtod(word, &end);
    *littleEndian = scale < 0;
    return end != word && *end == 0 && std::isfinite(scale) && scale != 0;
}

uint8_t* DecodePfm(const FileBytes& file, int* width, int* height)
{
    TextHeader header;
    bool littleEndian = false;
    if (!ReadTextHeader(file, &header) || (strcmp(header.kind, "PF") != 0 && strcmp(header.kind, "Pf") != 0)
        || !PfmScale(header.last, &littleEndian))
        return nullptr;
    int channels = header.kind[1] == 'F' ? 3 : 1;
    long cols = header.cols, rows = header.rows;
    size_t at = header.data;
    if (at > file.size || (uint64_t)cols * rows * channels * 4 > file.size - at)
        return nullptr;
    uint8_t* rgba = NewPixels(cols, rows);
    if (!rgba)
        return nullptr;
    // Rows are stored bottom row first.
    for (long y = 0; y < rows; y++)
        for (long x = 0; x < cols; x++) {
            const uint8_t* src = file.data + at + ((size_t)(rows - 1 - y) * cols + x) * channels * 4;
            uint8_t* dst = rgba + ((size_t)y * cols + x) * 4;
            for (int c = 0; c < 3; c++)
                dst[c] = UnitToByte(PfmValue(src + (channels == 3 ? c * 4 : 0), littleEndian));
            dst[3] = 255;
        }
    *width = static_cast<int>(cols);
    *height = static_cast<int>(rows);
    return rgba;
}

// Binary PNM: "P6" (RGB) or "P5" (grey), width, height, largest value, then
// samples of one byte, or two big-endian bytes when the largest passes 255.
uint8_t* DecodePnm(const FileBytes& file, int* width, int* height)
{
    TextHeader header;
    long largest = 0;
    if (!ReadTextHeader(file, &header) || (strcmp(header.kind, "P5") != 0 && strcmp(header.kind, "P6") != 0)
        || !HeaderNumber(header.last, 65535, &largest) || largest < 1)
        return nullptr;
    int channels = header.kind[1] == '6' ? 3 : 1;
    long cols = header.cols, rows = header.rows;
    size_t at = header.data;
    int bytes = largest > 255 ? 2 : 1;
    if (at > file.size || (uint64_t)cols * rows * channels * bytes > file.size - at)
        return nullptr;
    uint8_t* rgba = NewPixels(cols, rows);
    if (!rgba)
        return nullptr;
    const uint8_t* src = file.data + at;
    for (size_t i = 0; i < (size_t)cols * rows; i++) {
        for (int c = 0; c < channels; c++, src += bytes) {
            long v = bytes == 2 ? src[0] << 8 | src[1] : src[0];
            rgba[i * 4 + c] = static_cast<uint8_t>((std::min(v, largest) * 255 + largest / 2) / largest);
        }
        if (channels == 1)
            rgba[i * 4 + 1] = rgba[i * 4 + 2] = rgba[i * 4];
        rgba[i * 4 + 3] = 255;
    }
    *width = static_cast<int>(cols);
    *height = static_cast<int>(rows);
    return rgba;
}

// One text line of a Radiance header into `line`; false at the end of the file.
bool HdrLine(const FileBytes& file, size_t* at, char* line, size_t capacity)
{
    size_t n = 0;
    while (*at < file.size && file.data[*at] != '\n') {
        if (n + 1 < capacity) line[n++] = static_cast<char>(file.data[*at]);
        (*at)++;
    }
    line[n] = 0;
    return (*at)++ < file.size;
}

// One scanline of RGBE quadruples: run-length coded per component when it
// starts with 2, 2 and the width, else flat. False when the data runs out or
// a run would leave the line.
bool HdrScanline(const FileBytes& file, size_t* at, int width, uint8_t* rgbe)
{
    const uint8_t* p = file.data + *at;
    size_t left = file.size - *at;
    bool coded = width >= 8 && width < 0x8000 && left >= 4 && p[0] == 2 && p[1] == 2
                 && (p[2] << 8 | p[3]) == width;
    if (!coded) {
        if (left < (size_t)width * 4) return false;
        memcpy(rgbe, p, (size_t)width * 4);
        *at += (size_t)width * 4;
        return true;
    }
    *at += 4;
    for (int c = 0; c < 4; c++)
        for (int x = 0; x < width;) {
            if (*at >= file.size) return false;
            int count = file.data[(*at)++];
            bool run = count > 128;
            if (run) count -= 128;
            if (count == 0 || x + count > width || *at + (run ? 1 : count) > file.size) return false;
            for (int k = 0; k < count; k++, x++)
                rgbe[x * 4 + c] = file.data[*at + (run ? 0 : k)];
            *at += run ? 1 : count;
        }
    return true;
}

// Radiance RGBE ("#?RADIANCE"): header lines, an empty line, "-Y h +X w",
// then scanlines top first. Colours are clamped to 0..1, as PFM and DDS.
uint8_t* DecodeHdr(const FileBytes& file, int* width, int* height)
{
    char line[256];
    size_t at = 0;
    do {
        if (!HdrLine(file, &at, line, sizeof line)) return nullptr;
        if (!strncmp(line, "FORMAT=", 7) && strcmp(line, "FORMAT=32-bit_rle_rgbe")) return nullptr;
    } while (line[0]);
    int w = 0, h = 0;
    if (!HdrLine(file, &at, line, sizeof line) || sscanf(line, "-Y %d +X %d", &h, &w) != 2 || !SaneSides(w, h))
        return nullptr;
    uint8_t* rgba = NewPixels(w, h);
    uint8_t* rgbe = static_cast<uint8_t*>(malloc((size_t)w * 4));
    bool ok = rgba && rgbe;
    for (int y = 0; ok && y < h; y++) {
        ok = HdrScanline(file, &at, w, rgbe);
        for (int x = 0; ok && x < w; x++) {
            const uint8_t* q = rgbe + x * 4;
            float scale = q[3] ? std::ldexp(1.0f, q[3] - 136) : 0.0f;
            uint8_t* dst = rgba + ((size_t)y * w + x) * 4;
            for (int c = 0; c < 3; c++) dst[c] = UnitToByte(q[c] * scale);
            dst[3] = 255;
        }
    }
    free(rgbe);
    if (!ok) {
        free(rgba);
        return nullptr;
    }
    *width = w;
    *height = h;
    return rgba;
}

// ---------------------------------------------------------------------------
// [SECTION] DDS: the top level of uncompressed, DXT1, DXT3 and DXT5 files
// ---------------------------------------------------------------------------

const size_t kDdsHeader = 4 + 124;
const uint32_t kDdsAlphaPixels = 0x1, kDdsAlphaOnly = 0x2, kDdsFourCc = 0x4,
               kDdsRgb = 0x40, kDdsLuminance = 0x20000;

struct DdsFormat {
    int squishFlags;         // DXT kind, 0 for uncompressed
    int bits;                // bits per uncompressed pixel
    uint32_t masks[4];       // red, green, blue, alpha; 0 = channel absent
    bool luminance;          // red mask is grey for all three colours
};

// One channel of a masked pixel, scaled to 0..255.
uint8_t MaskedChannel(uint32_t pixel, uint32_t mask)
{
    int shift = 0;
    while (!(mask >> shift & 1)) shift++;
    uint64_t top = mask >> shift;
    return static_cast<uint8_t>((((pixel & mask) >> shift) * 255 + top / 2) / top);
}

bool ReadDdsFormat(const uint8_t* pf, DdsFormat* format)
{
    uint32_t flags = ReadU32(pf + 4);
    *format = {};
    if (flags & kDdsFourCc) {
        if (!memcmp(pf + 8, "DXT1", 4)) format->squishFlags = squish::kDxt1;
        else if (!memcmp(pf + 8, "DXT3", 4)) format->squishFlags = squish::kDxt3;
        else if (!memcmp(pf + 8, "DXT5", 4)) format->squishFlags = squish::kDxt5;
        return format->squishFlags != 0;
    }
    if (!(flags & (kDdsRgb | kDdsLuminance | kDdsAlphaOnly)))
        return false;
    format->bits = static_cast<int>(ReadU32(pf + 12));
    for (int k = 0; k < 3; k++)
        format->masks[k] = flags & (kDdsRgb | kDdsLuminance) ? ReadU32(pf + 16 + 4 * k) : 0;
    format->masks[3] = flags & (kDdsAlphaPixels | kDdsAlphaOnly) ? ReadU32(pf + 28) : 0;
    format->luminance = (flags & kDdsLuminance) != 0;
    return format->bits == 8 || format->bits == 16 || format->bits == 24 || format->bits == 32;
}

void ExpandDdsPixels(const uint8_t* src, const DdsFormat& format, int width, int height, uint8_t* rgba)
{
    int bytes = format.bits / 8;
    for (size_t i = 0; i < (size_t)width * height; i++) {
        uint32_t pixel = 0;
        for (int k = 0; k < bytes; k++)
            pixel |= (uint32_t)src[i * bytes + k] << (8 * k);
        uint8_t* dst = rgba + i * 4;
        for (int c = 0; c < 4; c++)
            dst[c] = format.masks[c] ? MaskedChannel(pixel, format.masks[c]) : c == 3 ? 255 : 0;
        if (format.luminance)
            dst[1] = dst[2] = dst[0];
    }
}

uint8_t* DecodeDds(const FileBytes& file, int* width, int* height)
{
    DdsFormat format;
    if (file.size < kDdsHeader || ReadU32(file.data + 4) != 124 || !ReadDdsFormat(file.data + 76, &format))
        return nullptr;
    uint32_t h = ReadU32(file.data + 12), w = ReadU32(file.data + 16);
    if (!SaneSides(w, h))
        return nullptr;
    uint64_t need = format.squishFlags
        ? (uint64_t)((w + 3) / 4) * ((h + 3) / 4) * (format.squishFlags == squish::kDxt1 ? 8 : 16)
        : (uint64_t)w * h * (format.bits / 8);
    uint8_t* rgba = need <= file.size - kDdsHeader ? NewPixels(w, h) : nullptr;
    if (!rgba)
        return nullptr;
    const uint8_t* src = file.data + kDdsHeader;
    if (format.squishFlags)
        squish::DecompressImage(rgba, w, h, src, format.squishFlags);
    else
        ExpandDdsPixels(src, format, w, h, rgba);
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return rgba;
}

// ---------------------------------------------------------------------------
// [SECTION] Choosing the decoder by the file's first bytes
// ---------------------------------------------------------------------------

uint8_t* Decode(const FileBytes& file, int* width, int* height)
{
    if (StartsWith(file, "\x89PNG"))
        return DecodePng(file, width, height);
    if (StartsWith(file, "\xFF\xD8"))
        return DecodeJpeg(file, width, height);
    if (StartsWith(file, "DDS "))
        return DecodeDds(file, width, height);
    if (StartsWith(file, "PF") || StartsWith(file, "Pf"))
        return DecodePfm(file, width, height);
    if (StartsWith(file, "P5") || StartsWith(file, "P6"))
        return DecodePnm(file, width, height);
    if (StartsWith(file, "#?"))
        return DecodeHdr(file, width, height);
    return DecodeWithStb(file, width, height);
}

}  // namespace

int SysLoadImage(const char* nameUtf8, Image* out)
{
    *out = {};
    long size = 0;
    uint8_t* data = ReadWholeFile(nameUtf8, &size);
    if (!data)
        return 0;
    FileBytes file = { data, static_cast<size_t>(size) };
    int width = 0, height = 0;
    out->rgba = Decode(file, &width, &height);
    free(data);
    if (out->rgba) {
        out->width = width;
        out->height = height;
    }
    return out->rgba != nullptr;
}

void SysFreeImage(Image* image)
{
    free(image->rgba);
    *image = {};
}

int SysSavePng(const char* path, const uint8_t* rgba, int width, int height)
{
    return stbi_write_png(path, width, height, 4, rgba, width * 4) != 0;
}
