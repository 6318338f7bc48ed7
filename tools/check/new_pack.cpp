// --new DIR: a starter pack for a new course author. One course: a flat
// field with a raised rim, a plain texture, a description, and a course.ini
// with START, GOAL, one obstacle and comments that say what each key does.
// The autopilot finishes it straight for the goal, past the obstacle.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "tools/check/check.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace fs = std::filesystem;

namespace {

// The height map: kMapW x kMapH pixels, GRID_SIZE apart.
const int kMapW = 64, kMapH = 96;
const int kFloorGrey = 30;   // 3 x 30 / 255 x 9 / 3: about 1.06 x MAP_HEIGHT
const int kRimGrey = 130;    // about 4.6 x MAP_HEIGHT: 18 world units above the floor
const int kRimFlat = 2;      // pixels of full rim height at the edge
const int kRimSlope = 4;     // pixels over which it falls to the floor
const int kTextureSide = 256;

void PutWord(std::string* out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; i++) *out += char((value >> (8 * i)) & 0xFF);
}

// An uncompressed 24-bit BMP, bottom row first, rows padded to 4 bytes.
std::string Bmp(int w, int h, const std::vector<uint8_t>& bgr)
{
    int stride = (w * 3 + 3) & ~3;
    std::string out = "BM";
    PutWord(&out, uint32_t(54 + stride * h), 4);
    PutWord(&out, 0, 4);
    PutWord(&out, 54, 4);
    PutWord(&out, 40, 4);
    PutWord(&out, uint32_t(w), 4);
    PutWord(&out, uint32_t(h), 4);
    PutWord(&out, 1, 2);
    PutWord(&out, 24, 2);
    for (int i = 0; i < 6; i++) PutWord(&out, 0, 4);
    for (int row = h - 1; row >= 0; row--) {
        out.append(reinterpret_cast<const char*>(&bgr[size_t(row) * w * 3]), size_t(w) * 3);
        out.append(size_t(stride - w * 3), '\0');
    }
    return out;
}

int RimGrey(int x, int y)
{
    int edge = std::min(std::min(x, kMapW - 1 - x), std::min(y, kMapH - 1 - y));
    if (edge < kRimFlat) return kRimGrey;
    if (edge >= kRimFlat + kRimSlope) return kFloorGrey;
    float t = float(edge - kRimFlat + 1) / float(kRimSlope + 1);
    return int(kRimGrey + (kFloorGrey - kRimGrey) * t + 0.5f);
}

std::string HeightMap()
{
    std::vector<uint8_t> bgr(size_t(kMapW) * kMapH * 3);
    for (int y = 0; y < kMapH; y++)
        for (int x = 0; x < kMapW; x++)
            for (int k = 0; k < 3; k++) bgr[(size_t(y) * kMapW + x) * 3 + k] = uint8_t(RimGrey(x, y));
    return Bmp(kMapW, kMapH, bgr);
}

// Plain grass with a faint grid, so the ball's speed shows as it rolls.
std::string Texture()
{
    std::vector<uint8_t> bgr(size_t(kTextureSide) * kTextureSide * 3);
    for (int y = 0; y < kTextureSide; y++)
        for (int x = 0; x < kTextureSide; x++) {
            bool line = x % 32 == 0 || y % 32 == 0;
            uint8_t* p = &bgr[(size_t(y) * kTextureSide + x) * 3];
            p[0] = line ? 70 : 84;
            p[1] = line ? 150 : 168;
            p[2] = line ? 96 : 110;
        }
    return Bmp(kTextureSide, kTextureSide, bgr);
}

// One line: course select runs a description's lines together.
std::string Description()
{
    return "Your first course: roll from the start to the goal at the far end, past the crate. "
           "Paint field/height.bmp to shape the ground and field/texture.bmp to colour it, write "
           "this text in field/about.txt, and save: the game shows the change at once.\r\n";
}

// No empty line: an empty line ends a setting file for the game.
std::string CourseIni(const std::string& name)
{
    return "# A Kestrune course pack, begun by kestrune-check --new. Course select shows it as:\r\n"
           "# PACK_NAME:[[" + name + "]]\r\n"
           "# Points are fractions of the height map: x from its left edge, z from its top edge\r\n"
           "# (the race runs up the picture), y in units of MAP_HEIGHT; START's y must clear the\r\n"
           "# ground by the ball's radius. GOAL is [x from][z from][x to][z to]. An OBJECT is\r\n"
           "# [BOX, SPHERE or PILLAR][size][position][rotation in degrees][weight, 0 = fixed][material].\r\n"
           "# Another course: raise FIELD_TOTAL and add a section with the next FIELD_NUM.\r\n"
           "FIELD_TOTAL:[1]\r\n"
           "FIELD_NUM:[0]\r\n"
           "FIELD_NAME:[[First course]]\r\n"
           "HEIGHT_MAP:[[field/height.bmp]] FIELD_TEXTURE:[[field/texture.bmp]] DOCUMENT:[[field/about.txt]]\r\n"
           "MAP_HEIGHT:[5] GRID_SIZE:[3] SELECT_SCALING:[2]\r\n"
           "START:[0.5,2.1,0.88] GOAL:[0.4][0.08][0.6][0.18]\r\n"
           "OBJECT:[BOX][4,4,4][0.32,1.9,0.5][0,30,0][0][0]\r\n"
           "# The checker's autopilot heads straight for the goal; ROUTE:[x,z][x,z]... gives it waypoints.\r\n"
           "# AUTOPILOT: BALL:[0]\r\n";
}

bool Write(const std::string& path, const std::string& bytes)
{
    if (SysReplaceFile(path.c_str(), bytes.data(), bytes.size())) return true;
    fprintf(stderr, "kestrune-check: cannot write %s: %s\n", path.c_str(), strerror(errno));
    return false;
}

bool EmptyOrMissing(const fs::path& folder)
{
    std::error_code error;
    if (!fs::exists(folder, error)) return true;
    return fs::is_directory(folder, error) && fs::is_empty(folder, error);
}

std::string PackName(const fs::path& folder)
{
    std::string name = folder.filename().string();
    return name.empty() ? "My courses" : name;
}

// The folder the game beside this checker lists packs from: courses/ beside
// a portable game, else the player's pack folder.
std::string SharedPackFolder()
{
    const char* folder = SysPackFolder();
    return folder && folder[0] ? folder : "~/.local/share/kestrune/courses/";
}

}  // namespace

int WriteStarterPack(const std::string& folder)
{
    fs::path dir = fs::absolute(folder).lexically_normal();
    if (dir.filename().empty()) dir = dir.parent_path();
    if (!EmptyOrMissing(dir)) {
        fprintf(stderr, "kestrune-check: --new %s: the folder holds files already; nothing is written\n", folder.c_str());
        return 2;
    }
    std::error_code error;
    fs::create_directories(dir / "field", error);
    if (error) {
        fprintf(stderr, "kestrune-check: --new %s: %s\n", folder.c_str(), error.message().c_str());
        return 2;
    }
    std::string base = dir.string() + "/";
    bool written = Write(base + "field/height.bmp", HeightMap()) && Write(base + "field/texture.bmp", Texture()) &&
                   Write(base + "field/about.txt", Description()) && Write(base + "course.ini", CourseIni(PackName(dir)));
    if (!written) return 2;
    printf("Wrote a starter pack in %s:\n"
           "  course.ini         the course: start, goal, an obstacle (open it in a text editor)\n"
           "  field/height.bmp   the ground, %d x %d pixels: brighter is higher\n"
           "  field/texture.bmp  the picture laid over the ground\n"
           "  field/about.txt    the description course select shows\n"
           "Play it:   kestrune --course %s\n"
           "Check it:  kestrune-check --pack %s --play\n"
           "Share it:  copy the folder into %s (course select lists it there)\n",
           base.c_str(), kMapW, kMapH, folder.c_str(), folder.c_str(), SharedPackFolder().c_str());
    return 0;
}
