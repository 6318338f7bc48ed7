// Course loading: the height-map reader, the terrain grid, the course-point
// mapping and LoadCourse's order and failure rules, with the real Bullet.
#include <gtest/gtest.h>
#include <cmath>
#include <string>
#include <vector>
#include "core/game.h"
#include "data/texts.h"
#include "physics/physics.h"
#include "platform/sys.h"
#include "course/course.h"
#include "render/scene.h"
#include "course/terrain.h"
#include "support/physics_support.h"

namespace {

std::vector<std::string> messages;
void CatchErrorBox(const char* text) { messages.push_back(text); }

TerrainGrid GridOf(const std::string& path, float mapHeight, float gridSize)
{
    HeightMap map;
    EXPECT_EQ(HEIGHTMAP_OK, ReadHeightMap(path.c_str(), &map));
    TerrainGrid grid = {};
    EXPECT_EQ(1, BuildTerrainGrid(map, mapHeight, gridSize, &grid));
    FreeHeightMap(&map);
    return grid;
}

void FreeGrid(TerrainGrid* grid)
{
    delete[] grid->positions;
    delete[] grid->indices;
}

// A 24-bit picture with an arbitrary header tweak: bit count and compression.
std::vector<unsigned char> BmpBytes(int w, int h, int bits, int compression, size_t pixelBytes)
{
    std::vector<unsigned char> b(54 + pixelBytes, 0);
    b[0] = 'B'; b[1] = 'M';
    auto put = [&](int at, uint32_t v, int n) { for (int k = 0; k < n; k++) b[at + k] = (unsigned char)(v >> (8 * k)); };
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, (uint32_t)w, 4);
    put(22, (uint32_t)h, 4);
    put(26, 1, 2);
    put(28, (uint32_t)bits, 2);
    put(30, (uint32_t)compression, 4);
    return b;
}

// --- height map and grid ------------------------------------------------------

// A 2-pixel-wide picture gives NX = 3: the right pixel feeds columns 0 and 1.
TEST(TerrainGrid, TwoPixelWidePicture)
{
    std::string path = WriteGreyBmp("two.bmp", 2, 1, { 255, 0 });   // left white, right black
    TerrainGrid grid = GridOf(path, 2, 10);
    ASSERT_EQ(3, grid.NX);
    ASSERT_EQ(2, grid.NZ);
    EXPECT_EQ(6, grid.vertexCount);
    EXPECT_EQ(4, grid.triangleCount);
    for (int j = 0; j < 2; j++) {
        EXPECT_EQ(0.0f, grid.positions[j * 3 + 0].y);
        EXPECT_EQ(0.0f, grid.positions[j * 3 + 1].y);
        EXPECT_FLOAT_EQ(18.0f, grid.positions[j * 3 + 2].y);     // white = 9 * MAP_HEIGHT
    }
    // x = (i - 1.5) * 10, z = (j - 1) * 10
    EXPECT_EQ(-15.0f, grid.positions[0].x);
    EXPECT_EQ(5.0f, grid.positions[2].x);
    EXPECT_EQ(-10.0f, grid.positions[0].z);
    EXPECT_EQ(0.0f, grid.positions[3].z);
    EXPECT_EQ(0.0f, grid.positions[0].w);
    const int32_t expected[12] = { 0, 4, 1, 0, 3, 4, 1, 5, 2, 1, 4, 5 };
    for (int k = 0; k < 12; k++)
        EXPECT_EQ(expected[k], grid.indices[k]) << k;
    FreeGrid(&grid);
}

// The top picture row feeds grid rows 0 and 1, the bottom row the last one.
TEST(TerrainGrid, RowsRunFromTheTop)
{
    std::string path = WriteGreyBmp("tall.bmp", 1, 2, { 255, 0 });  // top white
    TerrainGrid grid = GridOf(path, 1, 1);
    ASSERT_EQ(3, grid.NZ);
    EXPECT_FLOAT_EQ(9.0f, grid.positions[0 * 2].y);
    EXPECT_FLOAT_EQ(9.0f, grid.positions[1 * 2].y);
    EXPECT_EQ(0.0f, grid.positions[2 * 2].y);
    FreeGrid(&grid);
}

// Sample values run 0 (black) to 9 (white); grey 128 gives 384 / 255 * 3.
TEST(TerrainGrid, SampleValues)
{
    std::string path = WriteGreyBmp("grey.bmp", 3, 1, { 0, 128, 255 });
    HeightMap map;
    ASSERT_EQ(HEIGHTMAP_OK, ReadHeightMap(path.c_str(), &map));
    EXPECT_EQ(0.0f, HeightSample(map, 2, 0));       // leftmost pixel is px = w - 1
    EXPECT_FLOAT_EQ(384.0f / 255.0f * 3.0f, HeightSample(map, 1, 0));
    EXPECT_FLOAT_EQ(9.0f, HeightSample(map, 0, 0));
    FreeHeightMap(&map);
}

// Every triangle runs clockwise seen from +y, so its front faces up.
TEST(TerrainGrid, WindingFacesUp)
{
    std::vector<int> grey(5 * 4);
    for (size_t k = 0; k < grey.size(); k++)
        grey[k] = (int)(k * 37 % 256);
    TerrainGrid grid = GridOf(WriteGreyBmp("wind.bmp", 5, 4, grey), 1, 3);
    for (int t = 0; t < grid.triangleCount; t++) {
        const GridPoint& a = grid.positions[grid.indices[3 * t]];
        const GridPoint& b = grid.positions[grid.indices[3 * t + 1]];
        const GridPoint& c = grid.positions[grid.indices[3 * t + 2]];
        float turn = (b.x - a.x) * (c.z - a.z) - (b.z - a.z) * (c.x - a.x);
        EXPECT_LT(turn, 0.0f) << "triangle " << t;
    }
    FreeGrid(&grid);
}

// A black picture is flat: normals (0, 1, 0), texture laid the picture's way round.
TEST(TerrainGrid, FlatNormalsAndTextureCoordinates)
{
    TerrainGrid grid = GridOf(WriteGreyBmp("black.bmp", 4, 2, std::vector<int>(8, 0)), 1, 2);
    std::vector<TerrainVertex> v(grid.vertexCount);
    BuildTerrainVertices(grid, v.data());
    for (const TerrainVertex& t : v) {
        EXPECT_EQ(0.0f, t.nx);
        EXPECT_EQ(1.0f, t.ny);
        EXPECT_EQ(0.0f, t.nz);
        EXPECT_EQ(0xFFFFFFFFu, t.diffuse);
    }
    EXPECT_EQ(1.0f, v[0].u);                 // grid column 0 lies under the picture's right edge
    EXPECT_EQ(0.0f, v[0].v);
    EXPECT_EQ(0.0f, v[4].u);                 // last column
    EXPECT_EQ(0.75f, v[1].u);
    EXPECT_EQ(0.5f, v[1 * 5].v);
    EXPECT_EQ(1.0f, v[2 * 5 + 4].v);
    FreeGrid(&grid);
}

// A slope's normals lean away from the rise; the last two columns take one side only.
TEST(TerrainGrid, SlopeNormalsOneSidedAtTheFarColumns)
{
    // Heights rise toward the picture's left, i.e. toward large grid i.
    std::vector<int> rows = { 255, 170, 85, 255, 170, 85, 255, 170, 85 };
    TerrainGrid grid = GridOf(WriteGreyBmp("slope.bmp", 3, 3, rows), 1, 3);
    std::vector<TerrainVertex> v(grid.vertexCount);
    BuildTerrainVertices(grid, v.data());
    const TerrainVertex* row = &v[1 * 4];
    // Column 1: L and R both present; column 2 (NX - 2) has only L.
    EXPECT_LT(row[1].nx, 0.0f);
    EXPECT_GT(row[1].ny, 0.0f);
    EXPECT_EQ(0.0f, row[1].nz);
    // Column 3 is the last: it too uses L alone, so it leans like column 2.
    EXPECT_FLOAT_EQ(row[2].nx, row[3].nx);
    EXPECT_FLOAT_EQ(row[2].ny, row[3].ny);
    EXPECT_NE(row[1].nx, row[2].nx);
    FreeGrid(&grid);
}

// A 256 x 256 picture gives a 257 x 257 grid; 255 x 255 is the largest 16-bit one.
TEST(TerrainGrid, LargePictureDimensions)
{
    HeightMap map = { 256, 256, 3, 768, false, new uint8_t[768 * 256]() };
    TerrainGrid grid = {};
    ASSERT_EQ(1, BuildTerrainGrid(map, 1, 1, &grid));
    EXPECT_EQ(66049, grid.vertexCount);
    EXPECT_EQ(66048, grid.indices[3 * grid.triangleCount - 1]);     // the last point
    FreeGrid(&grid);
    FreeHeightMap(&map);
}

// A grid that leaves the +-1000 box is refused, by its outline or its heights.
TEST(TerrainGrid, RefusesGridOutsideTheWorld)
{
    HeightMap map = { 100, 100, 3, 300, false, new uint8_t[300 * 100]() };
    TerrainGrid grid;
    EXPECT_EQ(0, BuildTerrainGrid(map, 1, 21, &grid));     // 101 * 21 / 2 > 1000
    EXPECT_EQ(nullptr, grid.positions);
    EXPECT_EQ(1, BuildTerrainGrid(map, 1, 19, &grid));
    FreeGrid(&grid);
    map.pixels[0] = map.pixels[1] = map.pixels[2] = 255;
    EXPECT_EQ(0, BuildTerrainGrid(map, 112, 1, &grid));    // 9 * 112 > 1000
    EXPECT_EQ(nullptr, grid.positions);
    FreeHeightMap(&map);
}

// --- bitmap reader ------------------------------------------------------------

class HeightMapFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        messages.clear();
        SysHooks hooks = {};
        hooks.errorBox = CatchErrorBox;
        SysSetHooks(&hooks);
        SetLanguage(LANGUAGE_JAPANESE);
    }
    void TearDown() override { SysSetHooks(nullptr); }
    HeightMapResult Read(const std::vector<unsigned char>& bytes, HeightMap* map)
    {
        return ReadHeightMap(WriteBmpRaw("raw.bmp", bytes).c_str(), map);
    }
};

// Run-length, unknown-depth, misplaced, cut-short and zero-sized pictures are refused with a message.
TEST_F(HeightMapFiles, RefusesWhatItCannotRead)
{
    HeightMap map;
    EXPECT_EQ(HEIGHTMAP_REFUSED, Read(BmpBytes(2, 2, 24, 1, 16), &map));
    EXPECT_EQ(HEIGHTMAP_REFUSED, Read(BmpBytes(2, 2, 8, 1, 16), &map));     // RLE8
    EXPECT_EQ(HEIGHTMAP_REFUSED, Read(BmpBytes(2, 2, 4, 2, 16), &map));     // RLE4
    EXPECT_EQ(HEIGHTMAP_REFUSED, Read(BmpBytes(0, 2, 24, 0, 16), &map));
    EXPECT_EQ(HEIGHTMAP_REFUSED, Read(BmpBytes(2, 0, 24, 0, 16), &map));
    EXPECT_EQ(HEIGHTMAP_REFUSED, Read(BmpBytes(100000, 2, 24, 0, 16), &map));
    EXPECT_EQ(HEIGHTMAP_REFUSED, Read(BmpBytes(2, 2, 2, 0, 16), &map));
    // Past 2048 a side the grid and collision tree would take gigabytes.
    EXPECT_EQ(HEIGHTMAP_REFUSED, Read(BmpBytes(2049, 2, 24, 0, 16), &map));
    EXPECT_EQ(HEIGHTMAP_REFUSED, Read(BmpBytes(2, -2049, 24, 0, 16), &map));
    std::vector<unsigned char> cut = BmpBytes(2, 2, 24, 0, 0);
    cut.resize(40);
    EXPECT_EQ(HEIGHTMAP_REFUSED, Read(cut, &map));
    // The pixel offset past the file's end, or inside the headers.
    std::vector<unsigned char> far = BmpBytes(2, 2, 24, 0, 16);
    far[10] = 70;
    EXPECT_EQ(HEIGHTMAP_REFUSED, Read(far, &map));
    far[10] = 0;
    EXPECT_EQ(HEIGHTMAP_REFUSED, Read(far, &map));
    std::vector<unsigned char> odd = BmpBytes(2, 2, 24, 0, 16);
    odd[14] = 20;                                  // no header has 20 bytes
    EXPECT_EQ(HEIGHTMAP_REFUSED, Read(odd, &map));
    odd[14] = 0xF2; odd[15] = odd[16] = odd[17] = 0xFF;   // one that would wrap the offset check
    EXPECT_EQ(HEIGHTMAP_REFUSED, Read(odd, &map));
    EXPECT_EQ(14u, messages.size());
    EXPECT_NE(std::string::npos, messages[0].find("raw.bmp"));
    EXPECT_NE(std::string::npos, messages[0].find("圧縮された画像には対応していません"));
    EXPECT_EQ(nullptr, map.pixels);
    // The message and its reason in the player's language.
    SetLanguage(LANGUAGE_ENGLISH);
    EXPECT_EQ(HEIGHTMAP_REFUSED, Read(BmpBytes(2, 2, 24, 1, 16), &map));
    EXPECT_NE(std::string::npos, messages.back().find("The height map cannot be read (compressed pictures are not supported)."));
}

// A missing file fails without a message.
TEST_F(HeightMapFiles, MissingFileIsSilent)
{
    HeightMap map;
    EXPECT_EQ(HEIGHTMAP_NOT_OPENED, ReadHeightMap((TempDir() + "/none.bmp").c_str(), &map));
    EXPECT_TRUE(messages.empty());
}

// A file that ends early leaves the missing pixels black.
TEST_F(HeightMapFiles, ShortPixelArrayReadsAsZero)
{
    std::vector<unsigned char> b = BmpBytes(2, 2, 24, 0, 3);    // one pixel of four
    b[54] = b[55] = b[56] = 255;                                 // bottom row, left pixel
    HeightMap map;
    ASSERT_EQ(HEIGHTMAP_OK, Read(b, &map));
    EXPECT_FLOAT_EQ(9.0f, HeightSample(map, 1, 1));
    EXPECT_EQ(0.0f, HeightSample(map, 0, 1));
    EXPECT_EQ(0.0f, HeightSample(map, 0, 0));
    FreeHeightMap(&map);
}

// Any header size and depth, written byte by byte: pixels from the offset the
// file gives, palettes and bit-field masks turned into RGB, then the 24-bit
// rule. `palette` is BGR triples, `masks` red, green, blue (none: default).
std::vector<unsigned char> AnyBmp(int headerSize, int bits, int compression, int w,
                                  const std::vector<uint32_t>& palette, const std::vector<uint32_t>& masks,
                                  const std::vector<unsigned char>& row)
{
    bool core = headerSize == 12;
    int entry = core ? 3 : 4;
    size_t masksAfter = headerSize == 40 ? masks.size() * 4 : 0;
    size_t offset = 14 + headerSize + masksAfter + palette.size() * entry + 6;   // a gap, as some writers leave
    std::vector<unsigned char> b(offset, 0xEE);
    auto put = [&](size_t at, uint32_t v, int n) { for (int k = 0; k < n; k++) b[at + k] = (unsigned char)(v >> (8 * k)); };
    std::fill(b.begin(), b.begin() + 14 + headerSize, 0);
    b[0] = 'B'; b[1] = 'M';
    put(10, (uint32_t)offset, 4);
    put(14, (uint32_t)headerSize, 4);
    if (core) {
        put(18, (uint32_t)w, 2); put(20, 1, 2); put(22, 1, 2); put(24, (uint32_t)bits, 2);
    } else {
        put(18, (uint32_t)w, 4); put(22, 1, 4); put(26, 1, 2); put(28, (uint32_t)bits, 2);
        put(30, (uint32_t)compression, 4);
        put(46, (uint32_t)palette.size(), 4);
        for (size_t k = 0; k < masks.size(); k++) put(54 + 4 * k, masks[k], 4);
    }
    size_t at = 14 + headerSize + masksAfter;
    for (uint32_t c : palette) { put(at, c, entry); at += entry; }
    b.insert(b.end(), row.begin(), row.end());
    return b;
}

const float kWhite = 9.0f, kGrey = 384.0f / 255.0f * 3.0f;

// Each header size and depth gives the heights its colours show.
TEST_F(HeightMapFiles, EveryHeaderSizeAndDepth)
{
    struct Case { const char* what; std::vector<unsigned char> file; float left, right; };
    const std::vector<uint32_t> greys = { 0x000000, 0x808080, 0xFFFFFF };
    const std::vector<uint32_t> m565 = { 0xF800, 0x07E0, 0x001F };
    const Case cases[] = {
        // The default of several paint programs: 24-bit behind a 108- or 124-byte header.
        { "24-bit, 108", AnyBmp(108, 24, 0, 2, {}, {}, { 255, 255, 255, 128, 128, 128, 0, 0 }), kWhite, kGrey },
        { "24-bit, 124", AnyBmp(124, 24, 0, 2, {}, {}, { 128, 128, 128, 255, 255, 255, 0, 0 }), kGrey, kWhite },
        { "8-bit, 40", AnyBmp(40, 8, 0, 2, greys, {}, { 2, 1, 0, 0 }), kWhite, kGrey },
        { "8-bit, 124", AnyBmp(124, 8, 0, 2, greys, {}, { 1, 2, 0, 0 }), kGrey, kWhite },
        { "8-bit, 12", AnyBmp(12, 8, 0, 2, { 0xFFFFFF, 0x808080, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                              0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, {}, { 0, 1, 0, 0 }), kWhite, kGrey },
        { "4-bit", AnyBmp(40, 4, 0, 2, greys, {}, { 0x21, 0, 0, 0 }), kWhite, kGrey },
        { "1-bit", AnyBmp(40, 1, 0, 2, { 0x808080, 0xFFFFFF }, {}, { 0x80, 0, 0, 0 }), kWhite, kGrey },
        // 5-5-5 without masks: 0x7FFF white, 0x4210 = (16, 16, 16) of 31.
        { "16-bit 5-5-5", AnyBmp(40, 16, 0, 2, {}, {}, { 0xFF, 0x7F, 0x10, 0x42 }), kWhite, 3.0f * 3.0f * 132.0f / 255.0f },
        // Bit fields after a 40-byte header and inside a 124-byte one.
        { "16-bit 5-6-5, 40", AnyBmp(40, 16, 3, 2, {}, m565, { 0xFF, 0xFF, 0x00, 0x00 }), kWhite, 0.0f },
        { "16-bit 5-6-5, 124", AnyBmp(124, 16, 3, 2, {}, m565, { 0x00, 0xF8, 0xE0, 0x07 }), 3.0f, 3.0f },
        { "32-bit", AnyBmp(40, 32, 0, 2, {}, {}, { 255, 255, 255, 0, 128, 128, 128, 255 }), kWhite, kGrey },
    };
    for (const Case& c : cases) {
        HeightMap map;
        ASSERT_EQ(HEIGHTMAP_OK, Read(c.file, &map)) << c.what;
        EXPECT_FLOAT_EQ(c.left, HeightSample(map, 1, 0)) << c.what;
        EXPECT_FLOAT_EQ(c.right, HeightSample(map, 0, 0)) << c.what;
        FreeHeightMap(&map);
    }
    EXPECT_TRUE(messages.empty());
}

// Pictures saved by ImageMagick (124-byte header: 24-bit, 4-bit palette,
// 32-bit bit fields): grey top-left, black bottom-right, white elsewhere.
TEST_F(HeightMapFiles, PaintProgramFiles)
{
    for (const char* name : { "heightmap_paint24.bmp", "heightmap_paint4.bmp", "heightmap_paint32.bmp" }) {
        HeightMap map;
        ASSERT_EQ(HEIGHTMAP_OK, ReadHeightMap((std::string(KESTRUNE_TEST_DATA "/") + name).c_str(), &map)) << name;
        ASSERT_EQ(4, map.width);
        ASSERT_EQ(2, map.height);
        for (int pz = 0; pz < 2; pz++)
            for (int px = 0; px < 4; px++) {
                float want = px == 3 && pz == 0 ? kGrey : px == 0 && pz == 1 ? 0.0f : kWhite;
                EXPECT_FLOAT_EQ(want, HeightSample(map, px, pz)) << name << " px " << px << " pz " << pz;
            }
        FreeHeightMap(&map);
    }
}

// A negative height means rows stored top row first.
TEST_F(HeightMapFiles, TopDownPicture)
{
    std::vector<unsigned char> b = BmpBytes(1, -2, 24, 0, 8);
    b[54] = b[55] = b[56] = 255;                                  // first row = top
    HeightMap map;
    ASSERT_EQ(HEIGHTMAP_OK, Read(b, &map));
    EXPECT_EQ(2, map.height);
    EXPECT_FLOAT_EQ(9.0f, HeightSample(map, 0, 0));
    EXPECT_EQ(0.0f, HeightSample(map, 0, 1));
    FreeHeightMap(&map);
}

// --- course points -------------------------------------------------------------

// The picture's centre is the origin; its top-left corner is at (+W/2, -H/2).
TEST(CoursePoints, Mapping)
{
    const float centre[3] = { 0.5f, 2, 0.5f };
    Vec3 p = CoursePoint(centre, 11, 21, 4, 3);
    EXPECT_EQ(0.0f, p.x);
    EXPECT_EQ(6.0f, p.y);
    EXPECT_EQ(0.0f, p.z);
    const float corner[3] = { 0, 0, 0 };
    p = CoursePoint(corner, 11, 21, 4, 3);
    EXPECT_EQ(22.0f, p.x);
    EXPECT_EQ(-42.0f, p.z);
    const float far[3] = { 1, 0, 1 };
    p = CoursePoint(far, 11, 21, 4, 3);
    EXPECT_EQ(-22.0f, p.x);
    EXPECT_EQ(42.0f, p.z);
}

// --- LoadCourse -------------------------------------------------------------------

class CourseLoading : public ::testing::Test {
protected:
    void SetUp() override
    {
        game = {};
        SetBallType(3, 1, 0);
        game.settings.gravity[0] = 1;
        messages.clear();
        SysHooks hooks = {};
        hooks.errorBox = CatchErrorBox;
        SysSetHooks(&hooks);
        SetLanguage(LANGUAGE_JAPANESE);
        CreatePhysicsWorld();
    }
    void TearDown() override
    {
        ReleaseCourseGraphics();
        DestroyPhysicsWorld();
        SysSetHooks(nullptr);
        courseList = {};
    }
    // A black w x h picture, used as its own texture; start at the centre, 2 up.
    TestCourse Flat(int w, int h, int obstacles)
    {
        std::string path = WriteGreyBmp("flat" + std::to_string(w) + "x" + std::to_string(h) + ".bmp",
                                        w, h, std::vector<int>(w * h, 0));
        TestCourse c = {};
        CopyUtf8ToUtf16(c.def.HEIGHT_MAP, 260, path);
        CopyUtf8ToUtf16(c.def.FIELD_TEXTURE, 260, path);
        c.def.MAP_HEIGHT = 5;
        c.def.GRID_SIZE = 2;
        c.def.START[0] = 0.5f; c.def.START[1] = 2; c.def.START[2] = 0.5f;
        c.obstacles.resize(obstacles);
        for (int k = 0; k < obstacles; k++) {
            ObstacleDef& o = c.obstacles[k];
            o.shape = k % 3;
            o.size[0] = o.size[1] = o.size[2] = 1;
            o.position[0] = 0.1f * (k + 1); o.position[1] = 1; o.position[2] = 0.2f;
        }
        return c;
    }
    std::vector<TestCourse> courses;
};

// A load fills the world in order: terrain, ball at START, obstacles; graphics present.
TEST_F(CourseLoading, LoadsTerrainBallAndObstacles)
{
    courses = { Flat(8, 6, 3) };
    InstallCourses(&courses);
    ASSERT_TRUE(LoadCourse(0));
    EXPECT_EQ(5, PhysicsBodyCount());
    EXPECT_EQ(5, PhysicsShapeCount());
    EXPECT_EQ(9, CurrentTerrainGrid().NX);
    EXPECT_EQ(7, CurrentTerrainGrid().NZ);
    const CourseGraphics& g = GetCourseGraphics();
    EXPECT_NE(nullptr, g.fieldTexture);
    EXPECT_NE(nullptr, g.terrainVertices);
    EXPECT_NE(nullptr, g.terrainIndices);
    EXPECT_EQ(16, g.indexBits);
    EXPECT_EQ(2 * 8 * 6, g.triangleCount);
    SyncCourseTransforms();
    EXPECT_EQ(0.0f, ballMatrix.m[3][0]);
    EXPECT_EQ(10.0f, ballMatrix.m[3][1]);          // 2 * MAP_HEIGHT
    // Obstacle 0 at fx 0.1: x = 18 * 0.9 - 9
    EXPECT_FLOAT_EQ(7.2f, courses[0].obstacles[0].world.m[3][0]);
    EXPECT_TRUE(messages.empty());
}

// A ball dropped on a black picture comes to rest at the height of its radius.
TEST_F(CourseLoading, BallRestsOnBlackPicture)
{
    courses = { Flat(16, 16, 0) };
    InstallCourses(&courses);
    ASSERT_TRUE(LoadCourse(0));
    for (int k = 0; k < 240; k++)
        StepPhysicsWorld();
    SyncCourseTransforms();
    EXPECT_NEAR(3.0f, BallPosition().y, 0.05f);
    EXPECT_TRUE(TestBallContact(0));
}

// Two loads in a row leave exactly the second course's bodies, shapes and arrays.
TEST_F(CourseLoading, SecondLoadReplacesTheFirst)
{
    courses = { Flat(10, 10, 4), Flat(4, 6, 1) };
    InstallCourses(&courses);
    ASSERT_TRUE(LoadCourse(0));
    ASSERT_TRUE(LoadCourse(1));
    EXPECT_EQ(3, PhysicsBodyCount());
    EXPECT_EQ(3, PhysicsShapeCount());
    EXPECT_EQ(5, CurrentTerrainGrid().NX);
    EXPECT_EQ(35, CurrentTerrainGrid().vertexCount);
    EXPECT_EQ(1, game.currentCourse);
    ASSERT_TRUE(LoadCourse(1));
    EXPECT_EQ(3, PhysicsBodyCount());
    EXPECT_EQ(3, PhysicsShapeCount());
}

// An index past the list changes nothing.
TEST_F(CourseLoading, IndexPastTheEnd)
{
    courses = { Flat(4, 4, 0) };
    InstallCourses(&courses);
    ASSERT_TRUE(LoadCourse(0));
    EXPECT_FALSE(LoadCourse(1));
    EXPECT_EQ(2, PhysicsBodyCount());
    EXPECT_NE(nullptr, GetCourseGraphics().terrainVertices);
}

// A missing texture: message with the path, old course gone, CurrentCourse kept.
TEST_F(CourseLoading, MissingTexture)
{
    courses = { Flat(4, 4, 0), Flat(4, 4, 0) };
    CopyUtf8ToUtf16(courses[1].def.FIELD_TEXTURE, 260, TempDir() + "/nothing.png");
    InstallCourses(&courses);
    ASSERT_TRUE(LoadCourse(0));
    EXPECT_FALSE(LoadCourse(1));
    EXPECT_EQ(0, game.currentCourse);
    EXPECT_EQ(0, PhysicsBodyCount());
    EXPECT_EQ(nullptr, GetCourseGraphics().terrainVertices);
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0u, messages[0].find("テクスチャの読み込みに失敗しました。\n'"));
    EXPECT_NE(std::string::npos, messages[0].find("nothing.png"));
}

// A missing height map fails silently and keeps the new texture.
TEST_F(CourseLoading, MissingHeightMap)
{
    courses = { Flat(4, 4, 0) };
    CopyUtf8ToUtf16(courses[0].def.HEIGHT_MAP, 260, TempDir() + "/nomap.bmp");
    InstallCourses(&courses);
    EXPECT_FALSE(LoadCourse(0));
    EXPECT_TRUE(messages.empty());
    EXPECT_NE(nullptr, GetCourseGraphics().fieldTexture);
    EXPECT_EQ(0, PhysicsBodyCount());
}

// A course too large for the world is refused with a message.
TEST_F(CourseLoading, GridOutsideTheWorldRefused)
{
    courses = { Flat(8, 8, 0) };
    courses[0].def.GRID_SIZE = 300;
    InstallCourses(&courses);
    EXPECT_FALSE(LoadCourse(0));
    EXPECT_EQ(1u, messages.size());
    EXPECT_EQ(0, PhysicsBodyCount());
}

// A 256 x 256 picture loads with 32-bit indices instead of wrapped 16-bit ones.
TEST_F(CourseLoading, LargePictureUsesWideIndices)
{
    courses = { Flat(256, 256, 0) };
    courses[0].def.GRID_SIZE = 1;
    InstallCourses(&courses);
    ASSERT_TRUE(LoadCourse(0));
    EXPECT_EQ(32, GetCourseGraphics().indexBits);
    courses = { Flat(255, 255, 0) };
    courses[0].def.GRID_SIZE = 1;
    InstallCourses(&courses);
    ASSERT_TRUE(LoadCourse(0));
    EXPECT_EQ(16, GetCourseGraphics().indexBits);
}

// Gravity comes from the selected preset, set after the bodies.
TEST_F(CourseLoading, GravityPresetApplied)
{
    courses = { Flat(8, 8, 0) };
    courses[0].def.START[1] = 10;
    game.settings.gravity[1] = 0;
    game.settings.gravitySel = 1;
    InstallCourses(&courses);
    ASSERT_TRUE(LoadCourse(0));
    for (int k = 0; k < 60; k++)
        StepPhysicsWorld();
    SyncCourseTransforms();
    EXPECT_EQ(50.0f, BallPosition().y);     // floats without gravity
}

}  // namespace
