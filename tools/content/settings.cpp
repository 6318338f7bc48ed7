// "def.ini" and the three obstacle meshes with their textures.
//
// Every mesh is a text X file spanning -1..1 on each axis (the game scales
// it by the obstacle's size). The game draws subset 0 of a mesh with the
// material the obstacle (or the ball type) asks for, so each material's
// subset holds the whole shape again: subset i is the full shape drawn with
// material i, and every material stays in the file's order.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "canvas.h"
#include "content.h"

namespace {

// ---------------------------------------------------------------- settings

// Ball types: 0 standard, 1 light and bouncy (it can hop with Z), 2 heavy
// with a brake. Gravity preset 0 is the world's natural 1 g (58.5 units/s²
// with a ball of radius 3); the steering push of a full tilt is about a
// third of that, which climbs the courses' 10-degree ramps comfortably.
const char kDefIni[] =
    "# Kestrune game settings. Keys are upper case with a colon; values in [brackets].\r\n"
    "RENDER_SETTING:[USETEXTURE DRAWSHADOW]\r\n"
    "# Camera distance and pitch presets: normal, near/high, far/low\r\n"
    "CAMERA_LENGTH:[100][72][150]\r\n"
    "CAMERA_PITCH:[45][62][30]\r\n"
    "# Gravity presets, in g: normal, weak, strong\r\n"
    "GRAVITY:[1.0][0.6][1.5]\r\n"
    "GROUND_BOUND:[0.5]\r\n"
    "\r\n"
    "BALL_NUM:[0]\r\n"
    "# standard ball\r\n"
    "BALL_SIZE:[3.0]\r\n"
    "BALL_WEIGHT:[1.0]\r\n"
    "BALL_BOUND:[0.3]\r\n"
    "BALL_BRAKE_GAIN:[0]\r\n"
    "BALL_JUMP_GAIN:[0]\r\n"
    "BALL_SPEED:[0.5]\r\n"
    "\r\n"
    "BALL_NUM:[1]\r\n"
    "# light, bouncy ball\r\n"
    "BALL_SIZE:[2.5]\r\n"
    "BALL_WEIGHT:[0.6]\r\n"
    "BALL_BOUND:[0.8]\r\n"
    "BALL_BRAKE_GAIN:[0]\r\n"
    "BALL_JUMP_GAIN:[0.3]\r\n"
    "BALL_SPEED:[0.36]\r\n"
    "\r\n"
    "BALL_NUM:[2]\r\n"
    "# heavy ball with a brake\r\n"
    "BALL_SIZE:[3.5]\r\n"
    "BALL_WEIGHT:[2.5]\r\n"
    "BALL_BOUND:[0.1]\r\n"
    "BALL_BRAKE_GAIN:[0.02]\r\n"
    "BALL_JUMP_GAIN:[0]\r\n"
    "BALL_SPEED:[1.5]\r\n"
    "\r\n"
    "BOX_MESH:[[mesh\\box.x]]\r\n"
    "SPHERE_MESH:[[mesh\\sphere.x]]\r\n"
    "PILLAR_MESH:[[mesh\\pillar.x]]\r\n";

// ---------------------------------------------------------------- meshes

struct Vertex {
    float p[3], n[3], uv[2];
};

struct MeshMaterialDef {
    uint32_t diffuse;       // RGB; the texture is modulated by it
    float power;
    uint32_t specular;
    const char* texture;    // file name beside the mesh
};

struct MeshData {
    std::vector<Vertex> vertices;
    std::vector<int> triangles;       // 3 per face
};

std::string Num(float v)
{
    char buf[32];
    snprintf(buf, sizeof buf, "%.6f", std::fabs(v) < 5e-7f ? 0.0f : v);
    return buf;
}

std::string ColorText(uint32_t rgb, bool alpha)
{
    Color c = Rgb(rgb);
    std::string s = Num(c.r) + ";" + Num(c.g) + ";" + Num(c.b) + ";";
    return alpha ? s + "1.000000;;" : s + ";";
}

// Writes the shape once per material: the faces repeat for every subset.
std::string XFile(const char* name, const MeshData& m, const std::vector<MeshMaterialDef>& mats)
{
    size_t nv = m.vertices.size(), nf = m.triangles.size() / 3, faces = nf * mats.size();
    std::string x = "xof 0303txt 0032\n\n";
    x += std::string("Mesh ") + name + " {\n " + std::to_string(nv) + ";\n";
    for (size_t i = 0; i < nv; ++i) {
        const Vertex& v = m.vertices[i];
        x += " " + Num(v.p[0]) + ";" + Num(v.p[1]) + ";" + Num(v.p[2]) + (i + 1 < nv ? ";,\n" : ";;\n");
    }
    auto faceList = [&]() {
        std::string s = " " + std::to_string(faces) + ";\n";
        for (size_t k = 0; k < faces; ++k) {
            const int* t = &m.triangles[(k % nf) * 3];
            s += " 3;" + std::to_string(t[0]) + "," + std::to_string(t[1]) + "," + std::to_string(t[2]) +
                 (k + 1 < faces ? ";,\n" : ";;\n");
        }
        return s;
    };
    x += faceList();
    x += " MeshNormals {\n " + std::to_string(nv) + ";\n";
    for (size_t i = 0; i < nv; ++i) {
        const Vertex& v = m.vertices[i];
        x += " " + Num(v.n[0]) + ";" + Num(v.n[1]) + ";" + Num(v.n[2]) + (i + 1 < nv ? ";,\n" : ";;\n");
    }
    x += faceList() + " }\n";
    x += " MeshTextureCoords {\n " + std::to_string(nv) + ";\n";
    for (size_t i = 0; i < nv; ++i)
        x += " " + Num(m.vertices[i].uv[0]) + ";" + Num(m.vertices[i].uv[1]) + (i + 1 < nv ? ";,\n" : ";;\n");
    x += " }\n";
    x += " MeshMaterialList {\n " + std::to_string(mats.size()) + ";\n " + std::to_string(faces) + ";\n";
    for (size_t k = 0; k < faces; ++k)
        x += " " + std::to_string(k / nf) + (k + 1 < faces ? ",\n" : ";\n");
    for (const MeshMaterialDef& mat : mats) {
        x += "  Material {\n   " + ColorText(mat.diffuse, true) + "\n   " + Num(mat.power) + ";\n   " +
             ColorText(mat.specular, false) + "\n   0.000000;0.000000;0.000000;;\n";
        x += std::string("   TextureFilename {\n    \"") + mat.texture + "\";\n   }\n  }\n";
    }
    x += " }\n}\n";
    return x;
}

void AddQuad(MeshData& m, const float corner[4][3], const float n[3])
{
    int base = static_cast<int>(m.vertices.size());
    const float uv[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    for (int i = 0; i < 4; ++i)
        m.vertices.push_back({{corner[i][0], corner[i][1], corner[i][2]}, {n[0], n[1], n[2]}, {uv[i][0], uv[i][1]}});
    // Clockwise seen from outside: the device culls counter-clockwise faces.
    int idx[6] = {0, 1, 2, 0, 2, 3};
    for (int i : idx) m.triangles.push_back(base + i);
}

MeshData Box()
{
    MeshData m;
    // For each face: outward normal, and the two in-plane axes (right, up)
    // as seen from outside in the left-handed frame.
    const float faces[6][3][3] = {
        {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},
        {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},   {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},   {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}},
    };
    for (const auto& f : faces) {
        float c[4][3];
        const float s[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
        for (int i = 0; i < 4; ++i)
            for (int k = 0; k < 3; ++k) c[i][k] = f[0][k] + s[i][0] * f[1][k] + s[i][1] * f[2][k];
        AddQuad(m, c, f[0]);
    }
    return m;
}

MeshData Sphere(int slices, int stacks)
{
    MeshData m;
    for (int j = 0; j <= stacks; ++j) {
        float v = float(j) / stacks, theta = v * float(M_PI);
        for (int i = 0; i <= slices; ++i) {
            float u = float(i) / slices, phi = u * 2.0f * float(M_PI);
            float n[3] = {std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
            m.vertices.push_back({{n[0], n[1], n[2]}, {n[0], n[1], n[2]}, {u, v}});
        }
    }
    int row = slices + 1;
    for (int j = 0; j < stacks; ++j)
        for (int i = 0; i < slices; ++i) {
            int a = j * row + i, b = a + 1, c = a + row, d = c + 1;
            // Seen from outside, a-b-d-c runs clockwise in the left-handed frame.
            if (j > 0) m.triangles.insert(m.triangles.end(), {a, b, c});
            if (j < stacks - 1) m.triangles.insert(m.triangles.end(), {b, d, c});
        }
    return m;
}

// Radius 1 about the z axis, z from -1 to 1, with caps.
MeshData Pillar(int slices)
{
    MeshData m;
    for (int i = 0; i <= slices; ++i) {
        float u = float(i) / slices, a = u * 2.0f * float(M_PI);
        float c = std::cos(a), s = std::sin(a);
        m.vertices.push_back({{c, s, -1}, {c, s, 0}, {u, 1}});
        m.vertices.push_back({{c, s, 1}, {c, s, 0}, {u, 0}});
    }
    for (int i = 0; i < slices; ++i) {
        int a = 2 * i, b = a + 1, c = a + 2, d = a + 3;
        m.triangles.insert(m.triangles.end(), {a, c, b, b, c, d});
    }
    for (int side = -1; side <= 1; side += 2) {
        int centre = static_cast<int>(m.vertices.size());
        m.vertices.push_back({{0, 0, float(side)}, {0, 0, float(side)}, {0.5f, 0.5f}});
        for (int i = 0; i <= slices; ++i) {
            float a = float(i) / slices * 2.0f * float(M_PI), c = std::cos(a), s = std::sin(a);
            m.vertices.push_back({{c, s, float(side)}, {0, 0, float(side)}, {0.5f + 0.5f * c, 0.5f - 0.5f * s}});
        }
        for (int i = 0; i < slices; ++i) {
            int a = centre + 1 + i, b = a + 1;
            if (side > 0) m.triangles.insert(m.triangles.end(), {centre, a, b});
            else m.triangles.insert(m.triangles.end(), {centre, b, a});
        }
    }
    return m;
}

// ---------------------------------------------------------------- textures

// Cheap deterministic value noise for surface grain.
float Hash(int x, int y, int seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

float Noise(float x, float y, int seed)
{
    int ix = int(std::floor(x)), iy = int(std::floor(y));
    float fx = x - ix, fy = y - iy;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    float a = Hash(ix, iy, seed), b = Hash(ix + 1, iy, seed), c = Hash(ix, iy + 1, seed), d = Hash(ix + 1, iy + 1, seed);
    return a + (b - a) * fx + (c - a) * fy + (a - b - c + d) * fx * fy;
}

Image Painted(int w, int h, const std::function<Color(float u, float v)>& f)
{
    Image img = MakeImage(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.At(x, y) = f((x + 0.5f) / w, (y + 0.5f) / h);
    return img;
}

Color Shade(Color c, float k)
{
    return {c.r * k, c.g * k, c.b * k, c.a};
}

// Ball textures wrap once round the equator (u) from pole to pole (v).
Color StandardBall(float u, float v)
{
    bool band = std::fabs(v - 0.5f) < 0.12f;
    bool dot = std::hypot((std::fmod(u * 4, 1.0f) - 0.5f) * 2, (v - 0.25f) * 6) < 0.5f;
    return band ? Rgb(0xFFFFFF) : dot ? Rgb(0xFFD23C) : Rgb(0x2F6FE0);
}

Color LightBall(float u, float v)
{
    const uint32_t segments[] = {0xFF5A5A, 0xFFFFFF, 0xFFC63C, 0xFFFFFF, 0x4AB0FF, 0xFFFFFF};
    Color c = Rgb(segments[int(u * 6) % 6]);
    return (v < 0.08f || v > 0.92f) ? Rgb(0xFFFFFF) : c;
}

Color HeavyBall(float u, float v)
{
    float grain = Noise(u * 64, v * 32, 3) * 0.15f;
    bool rivet = std::hypot((std::fmod(u * 8, 1.0f) - 0.5f) * 2, (std::fmod(v * 4, 1.0f) - 0.5f) * 4) < 0.35f;
    Color steel = Shade(Rgb(0x5A6068), 0.9f + grain);
    return rivet ? Rgb(0xB8BEC6) : steel;
}

Color Boulder(float u, float v)
{
    float n = Noise(u * 16, v * 8, 7) * 0.6f + Noise(u * 48, v * 24, 8) * 0.4f;
    return Mix(Rgb(0x6E6A62), Rgb(0xB5AE9E), n);
}

Color RubberBall(float u, float v)
{
    bool stripe = std::fabs(std::fmod(u * 2 + v, 0.5f) - 0.25f) < 0.06f;
    return stripe ? Rgb(0xFFF0C0) : Rgb(0xD0322A);
}

Color Crate(float u, float v)
{
    float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
    float grain = Noise(u * 4, v * 40, 11) * 0.25f;
    bool brace = std::fabs(u - v) < 0.07f;
    Color wood = Shade(Rgb(0xC08A4A), 0.85f + grain);
    if (edge < 0.1f) return Shade(Rgb(0x8A5A2A), 0.9f + grain);
    return brace ? Shade(Rgb(0xA87236), 0.9f + grain) : wood;
}

Color StoneBlock(float u, float v)
{
    float n = Noise(u * 12, v * 12, 21) * 0.7f + Noise(u * 40, v * 40, 22) * 0.3f;
    float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
    Color c = Mix(Rgb(0x8C8F96), Rgb(0xC9CCD2), n);
    return edge < 0.04f ? Shade(c, 0.6f) : c;
}

Color Steel(float u, float v)
{
    float stripes = std::fabs(std::fmod((u + v) * 6, 1.0f) - 0.5f) < 0.25f ? 1.0f : 0.0f;
    float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
    if (edge < 0.08f) return Rgb(0x2A2A2A);
    return stripes > 0 ? Rgb(0xF2C230) : Rgb(0x2A2A2A);
}

Color Marble(float u, float v)
{
    float vein = std::sin((u * 6 + v * 3 + Noise(u * 8, v * 8, 31) * 3) * float(M_PI));
    Color c = Mix(Rgb(0xF4F1EA), Rgb(0xB9B4AA), std::pow(std::fabs(vein), 8.0f));
    bool flute = std::fabs(std::fmod(u * 16, 1.0f) - 0.5f) < 0.08f;
    return flute ? Shade(c, 0.85f) : c;
}

Color Brick(float u, float v)
{
    float rows = v * 12, cols = u * 16 + (int(rows) % 2) * 0.5f;
    bool mortar = std::fmod(rows, 1.0f) < 0.12f || std::fmod(cols, 1.0f) < 0.08f;
    float n = Hash(int(cols), int(rows), 41) * 0.25f;
    return mortar ? Rgb(0xD8D0C0) : Shade(Rgb(0xB4452E), 0.85f + n);
}

Color Log(float u, float v)
{
    float grain = Noise(u * 24, v * 3, 51);
    return Mix(Rgb(0x6A4322), Rgb(0x9C6A3C), grain);
}

struct TextureDef {
    const char* file;
    int w, h;
    Color (*paint)(float u, float v);
};

const TextureDef kTextures[] = {
    {"ball_standard.png", 256, 128, StandardBall}, {"ball_light.png", 256, 128, LightBall},
    {"ball_heavy.png", 256, 128, HeavyBall},       {"boulder.png", 256, 128, Boulder},
    {"rubber.png", 256, 128, RubberBall},          {"crate.png", 128, 128, Crate},
    {"stone.png", 128, 128, StoneBlock},           {"steel.png", 128, 128, Steel},
    {"marble.png", 256, 128, Marble},              {"brick.png", 256, 128, Brick},
    {"log.png", 256, 128, Log},
};

int WriteMeshes(const std::string& dir)
{
    std::string meshDir = dir + "/mesh";
    if (!MakeFolder(meshDir)) return 0;
    for (const TextureDef& t : kTextures)
        if (!WritePng(meshDir + "/" + t.file, Painted(t.w, t.h, t.paint))) return 0;
    // Sphere materials 0..2 belong to ball types 0..2; 3 and 4 dress obstacles.
    std::vector<MeshMaterialDef> sphere = {
        {0xFFFFFF, 24, 0x808080, "ball_standard.png"}, {0xFFFFFF, 12, 0x404040, "ball_light.png"},
        {0xFFFFFF, 40, 0xC0C0C0, "ball_heavy.png"},    {0xFFFFFF, 4, 0x101010, "boulder.png"},
        {0xFFFFFF, 16, 0x606060, "rubber.png"},
    };
    std::vector<MeshMaterialDef> box = {
        {0xFFFFFF, 4, 0x101010, "crate.png"}, {0xFFFFFF, 4, 0x202020, "stone.png"}, {0xFFFFFF, 30, 0x808080, "steel.png"},
    };
    std::vector<MeshMaterialDef> pillar = {
        {0xFFFFFF, 20, 0x606060, "marble.png"}, {0xFFFFFF, 4, 0x101010, "brick.png"}, {0xFFFFFF, 4, 0x101010, "log.png"},
    };
    return WriteFile(meshDir + "/box.x", XFile("Box", Box(), box)) &&
           WriteFile(meshDir + "/sphere.x", XFile("Sphere", Sphere(24, 12), sphere)) &&
           WriteFile(meshDir + "/pillar.x", XFile("Pillar", Pillar(24), pillar));
}

} // namespace

int WriteSettings(const std::string& dir)
{
    return WriteFile(dir + "/def.ini", kDefIni) && WriteMeshes(dir);
}
