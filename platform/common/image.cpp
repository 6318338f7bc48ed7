// Image decoding through stb_image; the bytes are read through our own file
// layer so that names are resolved the same way for every loader.
#include "platform/image.h"
#include "platform/files.h"

#include <cstdlib>
#include <cstring>

// The third-party decoders are not held to our warning level.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#include "stb_image.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"
#pragma GCC diagnostic pop

namespace {

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

}  // namespace

int SysLoadImage(const char* nameUtf8, Image* out)
{
    *out = {};
    long size = 0;
    uint8_t* data = ReadWholeFile(nameUtf8, &size);
    if (!data)
        return 0;
    int width = 0, height = 0, channels = 0;
    // stb takes an int length; a picture file past 2 GiB is not one of ours.
    uint8_t* pixels = size < 0x7fffffff
        ? stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 4)
        : nullptr;
    free(data);
    if (!pixels)
        return 0;
    // Hand out malloc'd memory so SysFreeImage does not depend on stb's allocator.
    size_t bytes = static_cast<size_t>(width) * height * 4;
    out->rgba = static_cast<uint8_t*>(malloc(bytes));
    if (out->rgba) {
        memcpy(out->rgba, pixels, bytes);
        out->width = width;
        out->height = height;
    }
    stbi_image_free(pixels);
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
