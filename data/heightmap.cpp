// Reading the height-map bitmap. Paint programs write many header sizes and
// depths; every readable picture is turned into 24-bit pixels here, so the
// height rule (byte sum / 255 * 3) is the same whatever the file held.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include "data/heightmap.h"
#include "data/texts.h"
#include "platform/files.h"
#include "platform/sys.h"

namespace {

const int kFileHeader = 14;
const int kCoreHeader = 12;       // the oldest header: 16-bit sizes, 3-byte palette
const int kInfoHeader = 40;
const int kLargestHeader = 124;
const int kCompressionBitFields = 3;
const int kCompressionAlphaBitFields = 6;

// What the headers say, checked.
struct BmpLayout {
    int width, height;       // height > 0
    bool topDown;
    int bits;                // 1, 4, 8, 16, 24 or 32
    uint32_t offset;         // bfOffBits: where the pixel array starts
    uint32_t stride;         // bytes per padded row in the file
    uint32_t masks[3];       // red, green, blue for 16- and 32-bit pixels
    int paletteAt;           // file offset of the palette (8 bits and less)
    int paletteEntryBytes;   // 3 for the core header, 4 otherwise
    int paletteCount;        // entries present
};

uint32_t ReadU32(const uint8_t* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

int ReadU16(const uint8_t* p) { return p[0] | p[1] << 8; }

// Where a refusal goes: a message box, or the caller's buffer.
struct Refusal {
    bool box;                // say it in a message box
    char* why;               // else write the reason here (when not null)
    size_t whySize;
};

void Refuse(const Refusal& to, const char* why, const char* path)
{
    if (!to.box) {
        if (to.why && to.whySize > 0)
            std::snprintf(to.why, to.whySize, "%s", why);
        return;
    }
    char text[1024];
    std::snprintf(text, sizeof text, Tr(TEXT_MSG_HEIGHT_MAP), why, path);
    SysErrorBox(text);
}

long FileSize(FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    long size = std::ftell(file);
    std::rewind(file);
    return size;
}

// Without bit fields 16-bit pixels are 5-5-5 and 32-bit ones 8-8-8.
void DefaultMasks(int bits, uint32_t masks[3])
{
    const uint32_t m16[3] = { 0x7C00, 0x03E0, 0x001F };
    const uint32_t m32[3] = { 0xFF0000, 0x00FF00, 0x0000FF };
    std::memcpy(masks, bits == 16 ? m16 : m32, sizeof m16);
}

// Sizes, depth and compression from either header form; why not, or null.
const char* ReadInfoHeader(const uint8_t* h, size_t got, BmpLayout* bmp, int* compression)
{
    uint32_t size = ReadU32(h + kFileHeader);
    if (size == kCoreHeader) {
        if (got < (size_t)kFileHeader + kCoreHeader) return Tr(TEXT_BMP_TOO_SHORT);
        bmp->width = ReadU16(h + 18);
        bmp->height = (int16_t)ReadU16(h + 20);
        bmp->bits = ReadU16(h + 24);
        *compression = 0;
        return nullptr;
    }
    if (size < (uint32_t)kInfoHeader || size > (uint32_t)kLargestHeader) return Tr(TEXT_BMP_FORMAT);
    if (got < (size_t)kFileHeader + kInfoHeader) return Tr(TEXT_BMP_TOO_SHORT);
    bmp->width = (int32_t)ReadU32(h + 18);
    bmp->height = (int32_t)ReadU32(h + 22);
    bmp->bits = ReadU16(h + 28);
    *compression = (int32_t)ReadU32(h + 30);
    return nullptr;
}

const char* CheckDepth(BmpLayout* bmp, int compression)
{
    int b = bmp->bits;
    if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32)
        return Tr(TEXT_BMP_DEPTH);
    bool bitFields = compression == kCompressionBitFields || compression == kCompressionAlphaBitFields;
    // Run-length and embedded JPEG/PNG pixels are not read.
    if (compression != 0 && !(bitFields && (b == 16 || b == 32)))
        return Tr(TEXT_BMP_COMPRESSED);
    if (bmp->width <= 0 || bmp->width > HEIGHTMAP_MAX_SIDE || bmp->height == 0
        || bmp->height < -HEIGHTMAP_MAX_SIDE || bmp->height > HEIGHTMAP_MAX_SIDE)
        return Tr(TEXT_BMP_SIZE);
    return nullptr;
}

// Masks live in the header from its 52-byte form on, else in the 12 bytes
// right after a 40-byte header.
void ReadMasks(const uint8_t* h, int compression, BmpLayout* bmp)
{
    DefaultMasks(bmp->bits, bmp->masks);
    if (compression != kCompressionBitFields && compression != kCompressionAlphaBitFields)
        return;
    for (int k = 0; k < 3; k++)
        bmp->masks[k] = ReadU32(h + kFileHeader + kInfoHeader + 4 * k);
}

void PlacePalette(const uint8_t* h, BmpLayout* bmp, long fileSize)
{
    uint32_t size = ReadU32(h + kFileHeader);
    bool core = size == kCoreHeader;
    bmp->paletteAt = kFileHeader + (int)size;
    bmp->paletteEntryBytes = core ? 3 : 4;
    int full = bmp->bits <= 8 ? 1 << bmp->bits : 0;
    uint32_t used = core ? 0 : ReadU32(h + 46);
    bmp->paletteCount = used > 0 && used < (uint32_t)full ? (int)used : full;
    long room = (fileSize - bmp->paletteAt) / bmp->paletteEntryBytes;
    if (room < bmp->paletteCount) bmp->paletteCount = room > 0 ? (int)room : 0;
}

// Header bytes h (zero-filled past `got`) into a checked layout; why the
// picture cannot be read, or null.
const char* ReadLayout(const uint8_t* h, size_t got, long fileSize, BmpLayout* bmp)
{
    if (got < (size_t)kFileHeader + 4) return Tr(TEXT_BMP_TOO_SHORT);
    int compression = 0;
    const char* problem = ReadInfoHeader(h, got, bmp, &compression);
    if (!problem) problem = CheckDepth(bmp, compression);
    if (problem) return problem;
    bmp->topDown = bmp->height < 0;
    if (bmp->topDown) bmp->height = -bmp->height;
    bmp->stride = ((uint32_t)bmp->bits * (uint32_t)bmp->width + 31) / 32 * 4;
    bmp->offset = ReadU32(h + 10);
    // The pixels cannot start inside the headers or past the file's end.
    uint32_t headers = kFileHeader + ReadU32(h + kFileHeader);
    if (bmp->offset < headers || (long)bmp->offset >= fileSize)
        return Tr(TEXT_BMP_PIXELS_OUTSIDE);
    ReadMasks(h, compression, bmp);
    PlacePalette(h, bmp, fileSize);
    return nullptr;
}

// Entries past the palette (or past the file) are black.
void ReadPalette(FILE* file, const BmpLayout& bmp, uint8_t palette[256][3])
{
    std::memset(palette, 0, 256 * 3);
    if (bmp.paletteCount == 0 || std::fseek(file, bmp.paletteAt, SEEK_SET) != 0)
        return;
    for (int i = 0; i < bmp.paletteCount; i++) {
        uint8_t entry[4] = {};
        if (std::fread(entry, 1, bmp.paletteEntryBytes, file) != (size_t)bmp.paletteEntryBytes)
            return;
        std::memcpy(palette[i], entry, 3);
    }
}

// One channel of a masked pixel, scaled to 0..255.
uint8_t MaskedChannel(uint32_t pixel, uint32_t mask)
{
    if (mask == 0) return 0;
    int shift = 0;
    while (!(mask >> shift & 1)) shift++;
    uint64_t top = mask >> shift;
    uint64_t value = (pixel & mask) >> shift;
    return (uint8_t)((value * 255 + top / 2) / top);
}

// Pixel x of one file row as three bytes (blue, green, red).
void DecodePixel(const BmpLayout& bmp, const uint8_t palette[256][3], const uint8_t* row, int x, uint8_t out[3])
{
    if (bmp.bits <= 8) {
        uint32_t bit = (uint32_t)x * bmp.bits;
        int index = row[bit / 8] >> (8 - bmp.bits - bit % 8) & ((1 << bmp.bits) - 1);
        std::memcpy(out, palette[index], 3);
        return;
    }
    int bytes = bmp.bits / 8;
    uint32_t pixel = 0;
    for (int k = 0; k < bytes; k++)
        pixel |= (uint32_t)row[x * bytes + k] << (8 * k);
    out[0] = MaskedChannel(pixel, bmp.masks[2]);
    out[1] = MaskedChannel(pixel, bmp.masks[1]);
    out[2] = MaskedChannel(pixel, bmp.masks[0]);
}

// Turns the file's rows into 24-bit rows. Pixels whose bytes the file did
// not hold (`got` bytes were read) stay black, as with a short 24-bit file.
void ConvertRows(const BmpLayout& bmp, const uint8_t palette[256][3], const uint8_t* raw, size_t got, HeightMap* map)
{
    for (int r = 0; r < bmp.height; r++) {
        const uint8_t* row = raw + (size_t)r * bmp.stride;
        uint8_t* out = map->pixels + (size_t)r * map->stride;
        for (int x = 0; x < bmp.width; x++) {
            size_t end = (size_t)r * bmp.stride + ((size_t)(x + 1) * bmp.bits + 7) / 8;
            if (end > got) return;
            DecodePixel(bmp, palette, row, x, out + 3 * x);
        }
    }
}

// The pixel array into map->pixels as 24-bit rows; false when out of memory.
bool ReadPixels(FILE* file, const BmpLayout& bmp, HeightMap* map)
{
    map->width = bmp.width;
    map->height = bmp.height;
    map->topDown = bmp.topDown;
    map->bytesPerPixel = 3;
    map->stride = (3 * bmp.width + 3) / 4 * 4;
    size_t rawBytes = (size_t)bmp.stride * bmp.height;
    uint8_t* raw = new (std::nothrow) uint8_t[rawBytes]();
    if (!raw) return false;
    size_t got = std::fseek(file, bmp.offset, SEEK_SET) == 0 ? std::fread(raw, 1, rawBytes, file) : 0;
    if (bmp.bits == 24) {            // already in the form the heights use
        map->pixels = raw;
        return true;
    }
    map->pixels = new (std::nothrow) uint8_t[(size_t)map->stride * bmp.height]();
    if (map->pixels) {
        uint8_t palette[256][3];
        ReadPalette(file, bmp, palette);
        ConvertRows(bmp, palette, raw, got, map);
    }
    delete[] raw;
    return map->pixels != nullptr;
}

HeightMapResult ReadReporting(const char* pathUtf8, HeightMap* map, const Refusal& refusal)
{
    *map = {};
    FILE* file = SysOpenFile(pathUtf8, "rb");
    if (!file)
        return HEIGHTMAP_NOT_OPENED;
    long fileSize = FileSize(file);
    uint8_t header[kFileHeader + kLargestHeader] = {};
    size_t got = std::fread(header, 1, sizeof header, file);
    BmpLayout bmp = {};
    const char* problem = ReadLayout(header, got, fileSize, &bmp);
    HeightMapResult res = HEIGHTMAP_REFUSED;
    if (problem) {
        Refuse(refusal, problem, pathUtf8);
    } else if (!ReadPixels(file, bmp, map)) {
        Refuse(refusal, Tr(TEXT_BMP_MEMORY), pathUtf8);
        *map = {};
    } else {
        res = HEIGHTMAP_OK;
    }
    std::fclose(file);
    return res;
}

}  // namespace

HeightMapResult ReadHeightMap(const char* pathUtf8, HeightMap* map)
{
    return ReadReporting(pathUtf8, map, Refusal{true, nullptr, 0});
}

HeightMapResult ReadHeightMapQuietly(const char* pathUtf8, HeightMap* map, char* why, size_t whySize)
{
    if (why && whySize > 0)
        why[0] = 0;
    return ReadReporting(pathUtf8, map, Refusal{false, why, whySize});
}

void FreeHeightMap(HeightMap* map)
{
    delete[] map->pixels;
    *map = {};
}

float HeightSample(const HeightMap& map, int px, int pz)
{
    int row = map.topDown ? pz : map.height - 1 - pz;
    const uint8_t* pixel = map.pixels + (size_t)row * map.stride
                         + (size_t)(map.width - 1 - px) * map.bytesPerPixel;
    int sum = 0;
    for (int k = 0; k < map.bytesPerPixel && k < 3; k++)
        sum += pixel[k];
    return (float)sum / 255.0f * (float)map.bytesPerPixel;
}
