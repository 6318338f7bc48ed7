// Picture decoding: every texture format a course pack may use, read from
// small files written here (or kept under tests/data), and hostile files
// that must be refused quickly, without a crash or a huge allocation.
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gfx.h"
#include "platform/image.h"
#include "render/device.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string WriteTemp(const std::string& name, const Bytes& bytes)
{
    std::string path = ::testing::TempDir() + "/" + name;
    FILE* file = fopen(path.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
    return path;
}

void Put(Bytes* b, uint32_t v, int n)
{
    for (int k = 0; k < n; k++) b->push_back((unsigned char)(v >> (8 * k)));
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Join(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A DDS header for a w x h top level: a four-character code, or (when
// fourCc is null) uncompressed pixels of `bits` with the given masks.
Bytes DdsHeader(int w, int h, const char* fourCc, int bits, uint32_t pfFlags, const uint32_t masks[4])
{
    Bytes b = Text("DDS ");
    Put(&b, 124, 4);
    Put(&b, 0x1007, 4);
    Put(&b, (uint32_t)h, 4);
    Put(&b, (uint32_t)w, 4);
    for (int k = 0; k < 3 + 11; k++) Put(&b, 0, 4);     // pitch, depth, mip count, reserved
    Put(&b, 32, 4);
    Put(&b, fourCc ? 0x4 : pfFlags, 4);
    if (fourCc) b.insert(b.end(), fourCc, fourCc + 4); else Put(&b, 0, 4);
    Put(&b, (uint32_t)bits, 4);
    for (int k = 0; k < 4; k++) Put(&b, masks ? masks[k] : 0, 4);
    Put(&b, 0x1000, 4);
    for (int k = 0; k < 4; k++) Put(&b, 0, 4);
    return b;
}

// One DXT colour block: red (565 0xF800) and blue (0x001F); pixel 0 takes
// red, pixel 1 blue, the rest red.
Bytes RedBlueBlock() { return { 0x00, 0xF8, 0x1F, 0x00, 0x04, 0, 0, 0 }; }

// A picture file with what its first two pixels must decode to (RGBA).
struct Sample {
    const char* name;
    Bytes file;
    int width, height;
    uint8_t first[4], second[4];
};

std::vector<Sample> Samples()
{
    const uint32_t argb[4] = { 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000 };
    const uint32_t lum[4] = { 0xFF, 0, 0, 0 };
    Bytes tga = { 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0x20 };
    Bytes tgaRle = { 0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0x20, 0x81, 50, 100, 200 };
    Bytes pfm = Text("PF\n2 1\n-1.0\n");
    for (float v : { 1.0f, 0.5f, 0.0f, 0.0f, 0.0f, 2.0f }) { uint32_t u; memcpy(&u, &v, 4); Put(&pfm, u, 4); }
    Bytes pfmGrey = Text("Pf 2 1 1.0\n");       // positive scale: big-endian floats
    for (float v : { 0.25f, -1.0f }) { uint32_t u; memcpy(&u, &v, 4); for (int k = 3; k >= 0; k--) pfmGrey.push_back((unsigned char)(u >> (8 * k))); }
    // Stored top row first (a negative height), as several paint programs save.
    Bytes topDown = Text("BM");
    for (uint32_t v : { 70u, 0u, 54u, 40u, 2u }) Put(&topDown, v, 4);
    Put(&topDown, (uint32_t)-2, 4); Put(&topDown, 1, 2); Put(&topDown, 24, 2);
    topDown.resize(54, 0);
    topDown = Join(topDown, { 0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 9, 9, 9, 0, 0 });   // BGR, rows of 8 bytes
    return {
        { "BMP top-down", topDown, 2, 2, { 255, 0, 0, 255 }, { 0, 255, 0, 255 } },
        { "TGA", Join(tga, { 0, 0, 255, 255, 0, 0 }), 2, 1, { 255, 0, 0, 255 }, { 0, 0, 255, 255 } },
        { "TGA run-length", tgaRle, 2, 1, { 200, 100, 50, 255 }, { 200, 100, 50, 255 } },
        { "PPM", Join(Text("P6\n# c\n2 1\n255\n"), { 10, 20, 30, 40, 50, 60 }), 2, 1, { 10, 20, 30, 255 }, { 40, 50, 60, 255 } },
        // 16-bit samples: big-endian, scaled by the largest value (stb_image overran its buffer on these).
        { "PPM 16-bit", Join(Text("P6 2 1 65535\n"), { 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xFF, 0xFF, 0, 0, 0x80, 0 }),
          2, 1, { 0x12, 0x56, 0x9A, 255 }, { 255, 0, 0x80, 255 } },
        { "PGM", Join(Text("P5 2 1 255\n"), { 7, 250 }), 2, 1, { 7, 7, 7, 255 }, { 250, 250, 250, 255 } },
        // RGBE: mantissas 128 and 64 with exponent 129 are 1.0 and 0.5.
        { "HDR", Join(Text("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 1 +X 2\n"), { 128, 64, 0, 129, 0, 0, 0, 0 }),
          2, 1, { 255, 128, 0, 255 }, { 0, 0, 0, 255 } },
        { "PFM", pfm, 2, 1, { 255, 128, 0, 255 }, { 0, 0, 255, 255 } },
        { "PFM grey", pfmGrey, 2, 1, { 64, 64, 64, 255 }, { 0, 0, 0, 255 } },
        { "DDS A8R8G8B8", Join(DdsHeader(2, 1, nullptr, 32, 0x41, argb), { 30, 20, 10, 128, 0, 0, 255, 255 }),
          2, 1, { 10, 20, 30, 128 }, { 255, 0, 0, 255 } },
        { "DDS L8", Join(DdsHeader(2, 1, nullptr, 8, 0x20000, lum), { 90, 180 }), 2, 1, { 90, 90, 90, 255 }, { 180, 180, 180, 255 } },
        { "DDS DXT1", Join(DdsHeader(4, 4, "DXT1", 0, 0, nullptr), RedBlueBlock()), 4, 4, { 255, 0, 0, 255 }, { 0, 0, 255, 255 } },
        // Explicit alpha: pixel 0 fully opaque, pixel 1 clear.
        { "DDS DXT3", Join(DdsHeader(4, 4, "DXT3", 0, 0, nullptr), Join({ 0x0F, 0, 0, 0, 0, 0, 0, 0 }, RedBlueBlock())),
          4, 4, { 255, 0, 0, 255 }, { 0, 0, 255, 0 } },
        // Interpolated alpha 255 / 0: pixel 0 takes index 0, pixel 1 index 1.
        { "DDS DXT5", Join(DdsHeader(4, 4, "DXT5", 0, 0, nullptr), Join({ 255, 0, 0x08, 0, 0, 0, 0, 0 }, RedBlueBlock())),
          4, 4, { 255, 0, 0, 255 }, { 0, 0, 255, 0 } },
    };
}

}  // namespace

// Every format a course pack may use decodes to the colours written, top row first.
TEST(ImageFormats, EachFormatDecodes)
{
    for (const Sample& s : Samples()) {
        Image image;
        ASSERT_EQ(SysLoadImage(WriteTemp("sample", s.file).c_str(), &image), 1) << s.name;
        EXPECT_EQ(image.width, s.width) << s.name;
        EXPECT_EQ(image.height, s.height) << s.name;
        for (int c = 0; c < 4; c++) {
            EXPECT_EQ(image.rgba[c], s.first[c]) << s.name << " channel " << c;
            EXPECT_EQ(image.rgba[4 + c], s.second[c]) << s.name << " channel " << c;
        }
        SysFreeImage(&image);
    }
}

// Files written by ImageMagick: a palette PNG, a 16-bit PNG without gamma
// chunks (its channels keep their values, not lightened as if linear) and a
// JPEG of one colour.
TEST(ImageFormats, PaintProgramFiles)
{
    Image image;
    ASSERT_EQ(SysLoadImage(KESTRUNE_TEST_DATA "/palette.png", &image), 1);
    const uint8_t png[8] = { 255, 0, 0, 255, 0, 0, 255, 255 };
    EXPECT_EQ(memcmp(image.rgba, png, sizeof png), 0);
    SysFreeImage(&image);
    ASSERT_EQ(SysLoadImage(KESTRUNE_TEST_DATA "/deep16.png", &image), 1);
    const uint8_t deep[8] = { 100, 150, 200, 255, 100, 150, 200, 255 };
    EXPECT_EQ(memcmp(image.rgba, deep, sizeof deep), 0);
    SysFreeImage(&image);
    ASSERT_EQ(SysLoadImage(KESTRUNE_TEST_DATA "/texture.jpg", &image), 1);
    ASSERT_EQ(image.width, 8);
    for (int p = 0; p < 64; p++) {
        EXPECT_NEAR(image.rgba[p * 4 + 0], 200, 3);
        EXPECT_NEAR(image.rgba[p * 4 + 1], 100, 3);
        EXPECT_NEAR(image.rgba[p * 4 + 2], 50, 3);
        EXPECT_EQ(image.rgba[p * 4 + 3], 255);
    }
    SysFreeImage(&image);
    // Print-ready files in Adobe's inverted inks, plain and as YCCK (written
    // with libjpeg): left half rgb(200, 100, 50), right half rgb(30, 60, 220).
    for (const char* name : { "/cmyk.jpg", "/ycck.jpg" }) {
        ASSERT_EQ(SysLoadImage((std::string(KESTRUNE_TEST_DATA) + name).c_str(), &image), 1) << name;
        ASSERT_EQ(image.width, 8);
        const uint8_t left[3] = { 200, 100, 50 }, right[3] = { 30, 60, 220 };
        for (int c = 0; c < 3; c++) {
            EXPECT_NEAR(image.rgba[c], left[c], 4) << name << " channel " << c;
            EXPECT_NEAR(image.rgba[7 * 4 + c], right[c], 4) << name << " channel " << c;
        }
        EXPECT_EQ(image.rgba[3], 255);
        SysFreeImage(&image);
    }
}

// Damaged and hostile files give no texture: a cut JPEG that overran a
// decoder table, a tiny bitmap claiming a huge picture, sides of 0 and past
// 8192, truncated DDS, HDR, PFM and PNG data, and PNM and PFM headers that
// are not quite headers.
TEST(ImageFormats, DamagedFilesGiveNoTexture)
{
    auto bmp = [](int32_t w, int32_t h, size_t total) {
        Bytes b = Text("BM");
        Put(&b, (uint32_t)total, 4); Put(&b, 0, 4); Put(&b, 54, 4); Put(&b, 40, 4);
        Put(&b, (uint32_t)w, 4); Put(&b, (uint32_t)h, 4); Put(&b, 1, 2); Put(&b, 24, 2);
        b.resize(total, 0x7F);
        return b;
    };
    Bytes png;
    {
        const uint8_t rgba[16] = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16 };
        std::string path = ::testing::TempDir() + "/whole.png";
        ASSERT_EQ(SysSavePng(path.c_str(), rgba, 2, 2), 1);
        FILE* f = fopen(path.c_str(), "rb");
        unsigned char buf[4096];
        png.assign(buf, buf + fread(buf, 1, sizeof buf, f));
        fclose(f);
        png.resize(png.size() - 20);                                     // cut inside the data
    }
    Bytes dxt1Cut = Join(DdsHeader(8, 8, "DXT1", 0, 0, nullptr), RedBlueBlock());   // 1 of 4 blocks
    Bytes hugeDds = Join(DdsHeader(100000, 4, "DXT1", 0, 0, nullptr), RedBlueBlock());
    const std::vector<std::pair<const char*, Bytes>> files = {
        { "9-byte JPEG", { 0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x05, 0x00, 0xFF, 0x11 } },
        { "8000 x 8000 bitmap in 92 bytes", bmp(8000, 8000, 92) },
        { "bitmap 20000 wide", bmp(20000, 1, 60054) },
        { "bitmap 0 high", bmp(2, 0, 70) },
        { "PNG cut short", png },
        { "DDS cut short", dxt1Cut },
        { "DDS 100000 wide", hugeDds },
        { "DDS of an unknown kind", Join(DdsHeader(4, 4, "ATI2", 0, 0, nullptr), Bytes(16, 0)) },
        // stb_image looped for ever on a run-length line that ran out.
        { "HDR cut inside a run-length line",
          Join(Text("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 2 +X 9\n"), { 2, 2, 0, 9, 0x89, 0x80, 0x00 }) },
        { "PFM cut short", Join(Text("PF\n2 2\n-1\n"), Bytes(20, 0)) },
        { "PFM 0 wide", Join(Text("Pf\n0 2\n-1\n"), Bytes(8, 0)) },
        // Loose headers: every word must be whole, numbers plain digits.
        { "PNM kinds run together", Join(Text("P5P6 2 2 65\n"), Bytes(64, 1)) },
        { "PNM side with a sign", Join(Text("P5 +2 2 255\n"), Bytes(8, 1)) },
        { "PNM side with letters", Join(Text("P5 2x 2 255\n"), Bytes(8, 1)) },
        { "PFM scale not a number", Join(Text("PF 1 1 abc\n"), Bytes(12, 0)) },
        { "PFM scale 0", Join(Text("PF 1 1 0\n"), Bytes(12, 0)) },
        { "PFM scale with a tail", Join(Text("Pf 1 1 -1.0x\n"), Bytes(4, 0)) },
        { "PFM kind run on", Join(Text("PFF 1 1 -1\n"), Bytes(12, 0)) },
    };
    int live = GfxLiveObjects();
    for (const auto& [what, bytes] : files) {
        EXPECT_EQ(CreateTextureFromFile(WriteTemp("bad", bytes).c_str()), nullptr) << what;
        Image image;
        EXPECT_EQ(SysLoadImage(WriteTemp("bad", bytes).c_str(), &image), 0) << what;
        EXPECT_EQ(image.rgba, nullptr) << what;
    }
    EXPECT_EQ(GfxLiveObjects(), live);
}
