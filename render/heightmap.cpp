// Reading the height-map bitmap. Only the info header's sizes and depth are
// used; the pixel array is always read from offset 54.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include "render/terrain.h"
#include "platform/files.h"
#include "platform/sys.h"

namespace {

const int kPixelOffset = 54;

int32_t ReadInt(const uint8_t* p, int bytes)
{
    uint32_t value = 0;
    for (int k = 0; k < bytes; k++)
        value |= (uint32_t)p[k] << (8 * k);
    if (bytes == 2)
        return (int16_t)value;
    return (int32_t)value;
}

void Refuse(const char* why, const char* path)
{
    char text[1024];
    std::snprintf(text, sizeof text, "高さマップを読み込めません（%s）。\n'%s'", why, path);
    SysErrorBox(text);
}

// Why the header cannot be used, or null when it can.
const char* HeaderProblem(const uint8_t* header, size_t got)
{
    if (got < (size_t)kPixelOffset)
        return "ファイルが短すぎます";
    int32_t width = ReadInt(header + 18, 4);
    int32_t height = ReadInt(header + 22, 4);
    int bits = ReadInt(header + 28, 2);
    int32_t compression = ReadInt(header + 30, 4);
    if (bits != 8 && bits != 16 && bits != 24)
        return "8・16・24ビットの画像のみ対応しています";
    // 16-bit pictures carry bit-field masks; the pixels are still plain.
    if (compression != 0 && !(bits == 16 && compression == 3))
        return "圧縮された画像には対応していません";
    if (width <= 0 || width > HEIGHTMAP_MAX_SIDE || height == 0
        || height < -HEIGHTMAP_MAX_SIDE || height > HEIGHTMAP_MAX_SIDE)
        return "画像の大きさが範囲外です";
    return nullptr;
}

void FillFromHeader(const uint8_t* header, HeightMap* map)
{
    int32_t height = ReadInt(header + 22, 4);
    int bits = ReadInt(header + 28, 2);
    map->width = ReadInt(header + 18, 4);
    map->height = height < 0 ? -height : height;
    map->topDown = height < 0;
    map->bytesPerPixel = bits / 8;
    map->stride = (bits * map->width / 8 + 3) / 4 * 4;
}

}  // namespace

HeightMapResult ReadHeightMap(const char* pathUtf8, HeightMap* map)
{
    *map = {};
    FILE* file = SysOpenFile(pathUtf8, "rb");
    if (!file)
        return HEIGHTMAP_NOT_OPENED;
    uint8_t header[kPixelOffset] = {};
    size_t got = std::fread(header, 1, sizeof header, file);
    const char* problem = HeaderProblem(header, got);
    HeightMapResult res = HEIGHTMAP_REFUSED;
    if (problem) {
        Refuse(problem, pathUtf8);
    } else {
        FillFromHeader(header, map);
        size_t bytes = (size_t)map->stride * map->height;
        map->pixels = new (std::nothrow) uint8_t[bytes]();
        if (map->pixels) {
            std::fread(map->pixels, 1, bytes, file);
            res = HEIGHTMAP_OK;
        } else {
            Refuse("メモリが足りません", pathUtf8);
            *map = {};
        }
    }
    std::fclose(file);
    return res;
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
    // Only the pixel's own bytes: an 8- or 16-bit pixel must not borrow its
    // neighbour's (or, at the end of the picture, memory past the buffer).
    int sum = 0;
    for (int k = 0; k < map.bytesPerPixel && k < 3; k++)
        sum += pixel[k];
    return (float)sum / 255.0f * (float)map.bytesPerPixel;
}
