// The courses: "course.ini", and for each course its height map, field
// texture and description text.
//
// How a course is made here, and how to make another one:
//  - The course is a height function h(fx, fz) in world units over the map
//    fractions that course.ini uses: fx from the picture's left edge (0) to
//    its right edge (1), fz from its top edge (0) to its bottom edge (1). The
//    race camera looks towards the picture's top, so courses run from the
//    bottom (start) to the top (goal).
//  - The height map is a 24-bit BMP whose three bytes per pixel add up to
//    the height: world y = MAP_HEIGHT × (b + g + r) / 255 × 3, so 0..9 ×
//    MAP_HEIGHT in 766 steps. Pixel column c, row r (from the top) stands at
//    fx = (c + 1) / (w + 1), fz = (r + 1) / (h + 1).
//  - Nothing lies below y = 0, and a ball counts as lost only once it drops
//    below the terrain's lowest level, so a course is lost by rolling off
//    the map's edge: rims keep the ball in where a course should be safe.
//  - A zone function says what each spot is (grass, path, rim, planks...)
//    for the field texture; hill shading and contour lines make the shape
//    readable from above.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <vector>

#include "canvas.h"
#include "content.h"

namespace {

enum Zone { GRASS, PATH, RIM, PLANKS, STONE, SCREE, SAND };

struct Obstacle {
    const char* shape;       // BOX, SPHERE or PILLAR
    float size[3];           // half extents; sphere radius; pillar radius, half length
    float fx, fz;            // map fractions
    float lift;              // centre height above the ground, world units
    float rotation[3];       // degrees
    float weight;            // 0 = immovable
    int material;
};

struct Course {
    const char* stem;        // file names: field/<stem>.bmp, .png, .txt
    const char* title;
    const char* description;
    bool utf16Doc;           // otherwise CP932
    bool backslashes;        // how course.ini spells the paths
    int w, h;                // height-map pixels
    float gridSize, mapHeight;
    float (*height)(float fx, float fz);
    Zone (*zone)(float fx, float fz);
    float startX, startZ;
    float goal[4];           // x0, z0, x1, z1
    std::vector<Obstacle> obstacles;
    std::vector<float> route;  // the autopilot's way to the goal, x, z pairs
    int ballType;              // the ball type the autopilot races with
};

// ---------------------------------------------------------------- helpers

float Smooth(float e0, float e1, float x)
{
    float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

// A rim of the given height rising over the outermost `band` of each edge.
float Rim(float fx, float fz, float band, float height, bool top = true, bool sides = true, bool bottom = true)
{
    float d = 1.0f;
    if (sides) d = std::min({d, fx, 1 - fx});
    if (top) d = std::min(d, fz);
    if (bottom) d = std::min(d, 1 - fz);
    return height * (1 - Smooth(band * 0.4f, band, d));
}

bool InRim(float fx, float fz, float band)
{
    return std::min({fx, 1 - fx, fz, 1 - fz}) < band * 0.75f;
}

// Distance from a point to a polyline, in fractions (x scaled by aspect).
float PathDistance(const std::vector<float>& p, float fx, float fz, float aspect, float* along = nullptr)
{
    float best = 1e9f, total = 0, bestAlong = 0;
    for (size_t i = 0; i + 3 < p.size(); i += 2) {
        float ax = p[i] * aspect, az = p[i + 1], bx = p[i + 2] * aspect, bz = p[i + 3];
        float dx = bx - ax, dz = bz - az, len2 = dx * dx + dz * dz;
        float t = std::clamp(((fx * aspect - ax) * dx + (fz - az) * dz) / len2, 0.0f, 1.0f);
        float d = std::hypot(fx * aspect - ax - t * dx, fz - az - t * dz);
        if (d < best) {
            best = d;
            bestAlong = total + t * std::sqrt(len2);
        }
        total += std::sqrt(len2);
    }
    if (along) *along = bestAlong / total;
    return best;
}

// ---------------------------------------------------------------- course 0: first road

const std::vector<float> kFirstRoad = {0.5f, 0.9f, 0.62f, 0.7f, 0.38f, 0.45f, 0.55f, 0.25f, 0.5f, 0.1f};

float FirstHeight(float fx, float fz)
{
    float d = PathDistance(kFirstRoad, fx, fz, 0.75f);
    float base = 6 + 4 * fz - 1.0f * (1 - Smooth(0.05f, 0.09f, d));
    return base + Rim(fx, fz, 0.07f, 12);
}

Zone FirstZone(float fx, float fz)
{
    if (InRim(fx, fz, 0.07f)) return RIM;
    return PathDistance(kFirstRoad, fx, fz, 0.75f) < 0.07f ? PATH : GRASS;
}

// ---------------------------------------------------------------- course 1: slopes

float SlopeProfile(float fz)
{
    // Heights along the course, from the goal (top) down to the start.
    const float z[] = {0.0f, 0.18f, 0.3f, 0.42f, 0.55f, 0.68f, 0.8f, 1.0f};
    const float y[] = {20, 20, 8, 8, 22, 22, 10, 10};
    for (int i = 0; i < 7; ++i)
        if (fz <= z[i + 1]) return y[i] + (y[i + 1] - y[i]) * Smooth(z[i], z[i + 1], fz);
    return y[7];
}

float SlopeHeight(float fx, float fz)
{
    float bank = (fz > 0.3f && fz < 0.42f) ? 5 * (fx - 0.5f) : 0;   // the valley leans left
    float bumps = 0.8f * std::sin(fx * 18) * std::sin(fz * 22);
    return SlopeProfile(fz) + bank + bumps + 2 + Rim(fx, fz, 0.07f, 12);
}

Zone SlopeZone(float fx, float fz)
{
    if (InRim(fx, fz, 0.07f)) return RIM;
    float a = SlopeProfile(fz - 0.01f), b = SlopeProfile(fz + 0.01f);
    if (std::fabs(a - b) > 0.05f) return SAND;
    return std::fabs(fx - 0.5f) < 0.12f ? PATH : GRASS;
}

// ---------------------------------------------------------------- course 2: narrow bridge

float BridgeHeight(float fx, float fz)
{
    float across = std::fabs(fx - 0.5f) * 2;               // 0 middle, 1 edge
    float y = 12;
    if (fz < 0.2f) y = 9 + 3 * Smooth(0.1f, 0.2f, fz);     // down to the goal deck
    float crown = 3.5f * (1 - across * across) * Smooth(0.36f, 0.42f, fz) * (1 - Smooth(0.58f, 0.64f, fz));
    float rails = fz > 0.84f ? 5 * Smooth(0.6f, 1.0f, across) : 0;   // only the start deck has rails
    float ends = 10 * (1 - Smooth(0.0f, 0.03f, fz)) + 10 * Smooth(0.97f, 1.0f, fz);
    return y + crown + rails + ends;
}

Zone BridgeZone(float fx, float fz)
{
    if (fz < 0.03f || fz > 0.97f) return RIM;
    if (fz > 0.84f || fz < 0.13f) return STONE;
    return std::fabs(fx - 0.5f) > 0.42f ? RIM : PLANKS;
}

// ---------------------------------------------------------------- course 3: bowl

float BowlHeight(float fx, float fz)
{
    float plateau = 30 + 12 * fz;                          // tilted: the far side is lower
    float r = std::hypot(fx - 0.5f, fz - 0.5f) / 0.36f;
    float bowl = 3 + 38 * r * r;
    return std::min(plateau, bowl) + Rim(fx, fz, 0.05f, 10, true, true, true);
}

Zone BowlZone(float fx, float fz)
{
    if (InRim(fx, fz, 0.05f)) return RIM;
    float r = std::hypot(fx - 0.5f, fz - 0.5f) / 0.36f;
    float plateau = 30 + 12 * fz;
    if (3 + 38 * r * r > plateau) return GRASS;
    return r < 0.35f ? SAND : STONE;
}

// ---------------------------------------------------------------- course 4: obstacle garden

float GardenHeight(float fx, float fz)
{
    return 6 + 1.2f * std::sin(fx * 25) * std::cos(fz * 19) + 2 * fz + Rim(fx, fz, 0.06f, 12);
}

Zone GardenZone(float fx, float fz)
{
    if (InRim(fx, fz, 0.06f)) return RIM;
    float tile = std::fmod(fx * 14, 1.0f) < 0.5f ? 0 : 1;
    return std::fabs(fx - 0.5f) < 0.1f && tile > 0 ? STONE : std::fabs(fx - 0.5f) < 0.1f ? PATH : GRASS;
}

// ---------------------------------------------------------------- course 5: final trial

const std::vector<float> kRidge = {0.5f, 0.93f, 0.24f, 0.76f, 0.74f, 0.56f, 0.28f, 0.36f, 0.5f, 0.13f};

float Roof(float fx)
{
    return 30 * (1 - std::fabs(2 * fx - 1));
}

float RidgeTop(float fx, float fz)
{
    float along = 0;
    PathDistance(kRidge, fx, fz, 1.0f, &along);
    float y = along < 0.6f ? 38 - 16 * along / 0.6f : 28.4f + 4 * (along - 0.6f) / 0.4f;
    return std::max(y, Roof(fx) + 5);
}

float FinalHeight(float fx, float fz)
{
    float d = PathDistance(kRidge, fx, fz, 1.0f);
    float deck = std::hypot(fx - 0.5f, fz - 0.11f) < 0.08f ? 0.0f : 1.0f;   // round goal deck
    float off = std::max(0.0f, std::min(d - 0.035f, deck * 1.0f) ) * 400;    // steep embankment
    if (deck == 0) off = 0;
    return std::max(Roof(fx), RidgeTop(fx, fz) - off);
}

Zone FinalZone(float fx, float fz)
{
    if (std::hypot(fx - 0.5f, fz - 0.11f) < 0.08f) return STONE;
    float d = PathDistance(kRidge, fx, fz, 1.0f);
    if (d < 0.03f) return PATH;
    return d < 0.045f ? RIM : SCREE;
}


// ---------------------------------------------------------------- course 6: rockfall slope

float RockHeight(float fx, float fz)
{
    float climb = 22 * (1 - Smooth(0.12f, 0.92f, fz));             // the goal deck is the top
    float valley = 2.5f * (1 - Smooth(0.04f, 0.3f, std::fabs(fx - 0.5f)));
    return 6 + climb - valley + Rim(fx, fz, 0.07f, 12);
}

Zone RockZone(float fx, float fz)
{
    if (InRim(fx, fz, 0.07f)) return RIM;
    if (fz < 0.13f) return STONE;
    return std::fabs(fx - 0.5f) < 0.12f ? SCREE : GRASS;
}

// ---------------------------------------------------------------- course 7: hopping terraces

float HopHeight(float fx, float fz)
{
    return 6 + 0.4f * std::sin(fx * 30) * std::sin(fz * 24) + Rim(fx, fz, 0.07f, 12);
}

Zone HopZone(float fx, float fz)
{
    if (InRim(fx, fz, 0.07f)) return RIM;
    return std::fmod(fz * 10, 1.0f) < 0.5f ? GRASS : SAND;
}

// ---------------------------------------------------------------- course 8: long road

const std::vector<float> kLongRoad = {0.5f, 0.95f, 0.2f, 0.86f, 0.18f, 0.62f, 0.8f, 0.56f,
                                      0.82f, 0.32f, 0.3f, 0.26f, 0.5f, 0.07f};

float LongHeight(float fx, float fz)
{
    float d = PathDistance(kLongRoad, fx, fz, 1.0f);
    float banks = 6 * Smooth(0.045f, 0.075f, d);                  // hedges keep the ball on the road
    return 6 + 4 * fz + banks + Rim(fx, fz, 0.03f, 12);
}

Zone LongZone(float fx, float fz)
{
    if (InRim(fx, fz, 0.03f)) return RIM;
    float d = PathDistance(kLongRoad, fx, fz, 1.0f);
    return d < 0.045f ? PATH : d < 0.06f ? SAND : GRASS;
}

// ---------------------------------------------------------------- course 9: narrow ledges

const std::vector<float> kLedges = {0.5f, 0.92f, 0.25f, 0.75f, 0.7f, 0.55f, 0.3f, 0.35f, 0.5f, 0.12f};

// Distance to the ledge, with a round landing at every bend.
float LedgeDistance(float fx, float fz)
{
    float d = PathDistance(kLedges, fx, fz, 1.0f) - 0.03f;
    for (size_t i = 0; i + 1 < kLedges.size(); i += 2)
        d = std::min(d, std::hypot(fx - kLedges[i], fz - kLedges[i + 1]) - 0.06f);
    return d;
}

float LedgeHeight(float fx, float fz)
{
    float floor = 4 * Smooth(0.0f, 0.2f, std::min({fx, 1 - fx, fz, 1 - fz}));
    return std::max(floor, 30 - std::clamp(LedgeDistance(fx, fz) * 400, 0.0f, 30.0f));
}

Zone LedgeZone(float fx, float fz)
{
    float d = LedgeDistance(fx, fz);
    return d < -0.004f ? STONE : d < 0.02f ? RIM : SCREE;
}

// ---------------------------------------------------------------- course 10: crowded bowl

float CrowdHeight(float fx, float fz)
{
    float plateau = 30 + 10 * fz;
    float r = std::hypot(fx - 0.5f, fz - 0.5f) / 0.38f;
    return std::min(plateau, 3 + 36 * r * r) + Rim(fx, fz, 0.05f, 10);
}

Zone CrowdZone(float fx, float fz)
{
    if (InRim(fx, fz, 0.05f)) return RIM;
    float r = std::hypot(fx - 0.5f, fz - 0.5f) / 0.38f;
    if (3 + 36 * r * r > 30 + 10 * fz) return GRASS;
    return r < 0.4f ? SAND : STONE;
}

// ---------------------------------------------------------------- course 11: toppling hall

float HallHeight(float fx, float fz)
{
    float walls = 14 * Smooth(0.3f, 0.36f, std::fabs(fx - 0.5f));
    return 4 + 6 * fz + walls + Rim(fx, fz, 0.05f, 6, true, false, true);
}

Zone HallZone(float fx, float fz)
{
    if (std::fabs(fx - 0.5f) > 0.31f || InRim(fx, fz, 0.05f)) return RIM;
    bool joint = std::fmod(fz * 30, 1.0f) < 0.05f;
    return joint ? SCREE : STONE;
}

std::vector<Course> Courses()
{
    std::vector<Course> c;
    c.push_back({"map0", "はじめての道",
                 "まずはここから。ボードをかたむけて(またはカーソルキーで)ボールを転がし、"
                 "道にそって奥のゴールをめざそう。まわりは土手でかこまれているので、落ちる心配はない。",
                 true, true, 96, 128, 3.0f, 2.5f, FirstHeight, FirstZone, 0.5f, 0.9f, {0.4f, 0.05f, 0.6f, 0.15f}, {}, {0.62f, 0.7f, 0.38f, 0.45f, 0.55f, 0.25f, 0.5f, 0.1f}, 0});
    c.push_back({"map1", "さかみちの丘",
                 "のぼって、くだって、またのぼる。下り坂で勢いをつければ、次の上り坂も楽にこえられる。"
                 "谷底は左にかたむいているので注意。",
                 false, true, 96, 128, 3.0f, 4.5f, SlopeHeight, SlopeZone, 0.5f, 0.9f, {0.35f, 0.06f, 0.65f, 0.16f}, {}, {0.5f, 0.1f}, 0});
    c.push_back({"bridge", "ほそい橋",
                 "谷にかかる一本橋。橋から落ちたらコースアウトだ。まんなかの盛り上がった板はすべりやすい。"
                 "あわてず、まっすぐ進もう。",
                 true, false, 10, 128, 3.3f, 3.5f, BridgeHeight, BridgeZone, 0.5f, 0.91f, {0.05f, 0.04f, 0.95f, 0.12f}, {}, {0.5f, 0.08f}, 0});
    c.push_back({"bowl", "すりばちの谷",
                 "大きなすりばちを一気にかけおり、その勢いで向こう側へかけあがれ。"
                 "勢いが足りないと谷底へ逆もどり。ゴールは奥の台地の上。",
                 false, false, 128, 128, 3.0f, 6.0f, BowlHeight, BowlZone, 0.5f, 0.93f, {0.4f, 0.05f, 0.6f, 0.12f}, {}, {0.5f, 0.08f}, 0});
    Course garden{"garden", "しょうがいぶつの庭",
                  "石のかべ、木箱、大きな玉、柱がならぶ庭。木箱や玉はおして動かせるし、柱はぶつかると倒れる。"
                  "すきまをぬってゴールへ。",
                  true, true, 112, 128, 3.0f, 2.5f, GardenHeight, GardenZone, 0.5f, 0.92f, {0.4f, 0.05f, 0.6f, 0.13f}, {}, {0.62f, 0.82f, 0.7f, 0.68f, 0.3f, 0.64f, 0.3f, 0.5f, 0.7f, 0.46f, 0.7f, 0.34f, 0.56f, 0.24f, 0.5f, 0.09f}, 0};
    const Obstacle gardenObstacles[] = {
        {"BOX", {60, 5, 4}, 0.3f, 0.75f, 5, {0, 0, 0}, 0, 1},        // stone walls: a slalom
        {"BOX", {60, 5, 4}, 0.7f, 0.58f, 5, {0, 0, 0}, 0, 1},
        {"BOX", {60, 5, 4}, 0.3f, 0.4f, 5, {0, 0, 0}, 0, 1},
        {"BOX", {4, 4, 4}, 0.75f, 0.82f, 4, {0, 20, 0}, 0.5f, 0},      // crates to push
        {"BOX", {4, 4, 4}, 0.22f, 0.64f, 4, {0, -15, 0}, 0.5f, 0},
        {"BOX", {5, 5, 5}, 0.6f, 0.48f, 5, {0, 30, 0}, 1.5f, 2},
        {"SPHERE", {7, 7, 7}, 0.5f, 0.3f, 7, {0, 0, 0}, 3.0f, 3},       // a boulder
        {"SPHERE", {4, 4, 4}, 0.78f, 0.3f, 4, {0, 0, 0}, 0.4f, 4},      // a rubber ball
        {"PILLAR", {2.5f, 10, 0}, 0.4f, 0.22f, 10, {90, 0, 0}, 1.0f, 0}, // pillars that topple
        {"PILLAR", {2.5f, 10, 0}, 0.6f, 0.22f, 10, {90, 0, 0}, 1.0f, 0},
        {"PILLAR", {4, 8, 0}, 0.15f, 0.2f, 8, {90, 0, 0}, 0, 1},        // fixed posts
        {"PILLAR", {4, 8, 0}, 0.85f, 0.2f, 8, {90, 0, 0}, 0, 1},
        {"PILLAR", {2, 20, 0}, 0.5f, 0.56f, 3, {0, 90, 0}, 2.0f, 2},    // a log lying across
    };
    garden.obstacles = std::vector<Obstacle>(std::begin(gardenObstacles), std::end(gardenObstacles));
    c.push_back(garden);
    Course final{"final", "さいごの試練",
                 "けわしい尾根をジグザグにわたる最終コース。道をはずれると谷へまっさかさま。"
                 "曲がり角の前でしっかり減速しよう。柱をよけて、尾根の先のゴールへ。",
                 false, false, 128, 128, 3.0f, 5.0f, FinalHeight, FinalZone, 0.5f, 0.92f, {0.42f, 0.05f, 0.58f, 0.17f}, {}, {0.24f, 0.76f, 0.74f, 0.56f, 0.28f, 0.36f, 0.5f, 0.11f}, 0};
    const Obstacle finalObstacles[] = {
        {"PILLAR", {2.5f, 6, 0}, 0.52f, 0.655f, 6, {90, 0, 0}, 0, 0},
        {"PILLAR", {2.5f, 6, 0}, 0.47f, 0.45f, 6, {90, 0, 0}, 0, 0},
        {"BOX", {3, 3, 3}, 0.37f, 0.26f, 3, {0, 45, 0}, 0.6f, 0},
    };
    final.obstacles = std::vector<Obstacle>(std::begin(finalObstacles), std::end(finalObstacles));
    c.push_back(final);
    // The harder six: weighted obstacles start to fall, roll or topple the
    // moment the race begins (they rest in the air until then).
    Course rock{"rockfall", "落石の坂道",
                "長い上り坂の上から、大きな岩がつぎつぎと転がり落ちてくる。"
                "谷の中央は岩の通り道。左右にかわしながら坂の上のゴールをめざせ。",
                true, true, 96, 128, 3.0f, 5.0f, RockHeight, RockZone, 0.5f, 0.92f, {0.4f, 0.04f, 0.6f, 0.12f}, {},
                {0.32f, 0.72f, 0.68f, 0.5f, 0.32f, 0.3f, 0.5f, 0.08f}, 0};
    rock.obstacles = {
        {"SPHERE", {5, 5, 5}, 0.5f, 0.3f, 8, {0, 0, 0}, 3.0f, 3},
        {"SPHERE", {4, 4, 4}, 0.42f, 0.22f, 10, {0, 0, 0}, 2.0f, 3},
        {"SPHERE", {4, 4, 4}, 0.58f, 0.4f, 6, {0, 0, 0}, 2.0f, 4},
        {"SPHERE", {6, 6, 6}, 0.5f, 0.16f, 8, {0, 0, 0}, 4.0f, 3},
        {"BOX", {3, 3, 3}, 0.45f, 0.52f, 12, {20, 30, 10}, 0.8f, 0},
        {"BOX", {3, 3, 3}, 0.62f, 0.62f, 12, {0, 45, 30}, 0.8f, 2},
    };
    c.push_back(rock);
    Course hop{"hop", "はずむ玉の段々",
               "かるくてよくはずむ玉(二番目の玉)のためのコース。低いかべが道をふさいでいる。"
               "Zキーで跳んでかべをこえよう。重い玉では手ごわいぞ。",
               false, true, 96, 128, 3.0f, 3.0f, HopHeight, HopZone, 0.5f, 0.92f, {0.35f, 0.05f, 0.65f, 0.13f}, {},
               {0.5f, 0.6f, 0.5f, 0.09f}, 1};
    hop.obstacles = {
        {"BOX", {150, 1.25f, 2}, 0.5f, 0.74f, 1.25f, {0, 0, 0}, 0, 1},
        {"BOX", {150, 1.25f, 2}, 0.5f, 0.54f, 1.25f, {0, 0, 0}, 0, 1},
        {"BOX", {150, 1.25f, 2}, 0.5f, 0.34f, 1.25f, {0, 0, 0}, 0, 1},
        {"SPHERE", {3, 3, 3}, 0.3f, 0.64f, 6, {0, 0, 0}, 0.5f, 4},
        {"SPHERE", {3, 3, 3}, 0.7f, 0.44f, 6, {0, 0, 0}, 0.5f, 4},
    };
    c.push_back(hop);
    Course longRoad{"longroad", "はるかな道のり",
                    "土手にかこまれた長い長い一本道。曲がり角はゆっくり、直線は思いきり。"
                    "道に落ちてくる木箱や転がる玉にも気をつけよう。",
                    true, false, 190, 190, 3.0f, 4.0f, LongHeight, LongZone, 0.5f, 0.95f, {0.42f, 0.03f, 0.58f, 0.1f}, {},
                    {0.2f, 0.86f, 0.18f, 0.62f, 0.8f, 0.56f, 0.82f, 0.32f, 0.3f, 0.26f, 0.5f, 0.06f}, 0};
    longRoad.obstacles = {
        {"BOX", {3, 3, 3}, 0.19f, 0.74f, 14, {0, 30, 0}, 0.6f, 0},
        {"BOX", {3, 3, 3}, 0.5f, 0.59f, 14, {15, 0, 20}, 0.6f, 2},
        {"SPHERE", {4, 4, 4}, 0.81f, 0.44f, 8, {0, 0, 0}, 1.5f, 3},
        {"PILLAR", {2, 8, 0}, 0.55f, 0.29f, 8, {85, 0, 0}, 1.0f, 0},
    };
    c.push_back(longRoad);
    Course ledges{"ledges", "細い岩棚",
                  "谷の上にのびる細い岩棚。足場はボール二つ分ほどしかない。"
                  "曲がり角の広場で向きを変えよう。落ちたらもう上がれない。",
                  false, false, 128, 128, 3.0f, 5.0f, LedgeHeight, LedgeZone, 0.5f, 0.92f, {0.44f, 0.07f, 0.56f, 0.16f}, {},
                  {0.5f, 0.92f, 0.25f, 0.75f, 0.7f, 0.55f, 0.3f, 0.35f, 0.5f, 0.11f}, 0};
    c.push_back(ledges);
    Course crowd{"crowd", "障害物のすりばち",
                 "すりばちの底には大きな玉がごろごろ、斜面には木箱がすべり落ちてくる。"
                 "ぶつからないように谷底をかけぬけ、向こうの台地へ。",
                 true, true, 128, 128, 3.0f, 6.0f, CrowdHeight, CrowdZone, 0.5f, 0.93f, {0.4f, 0.04f, 0.6f, 0.11f}, {},
                 {0.5f, 0.07f}, 0};
    crowd.obstacles = {
        {"SPHERE", {5, 5, 5}, 0.4f, 0.5f, 6, {0, 0, 0}, 2.0f, 3},
        {"SPHERE", {5, 5, 5}, 0.6f, 0.46f, 6, {0, 0, 0}, 2.0f, 4},
        {"SPHERE", {3, 3, 3}, 0.52f, 0.58f, 4, {0, 0, 0}, 0.5f, 4},
        {"BOX", {4, 4, 4}, 0.3f, 0.35f, 6, {0, 20, 0}, 1.0f, 0},
        {"BOX", {4, 4, 4}, 0.7f, 0.65f, 6, {0, -20, 0}, 1.0f, 2},
        {"PILLAR", {3, 8, 0}, 0.4f, 0.12f, 8, {90, 0, 0}, 0, 1},
        {"PILLAR", {3, 8, 0}, 0.6f, 0.12f, 8, {90, 0, 0}, 0, 1},
    };
    c.push_back(crowd);
    Course hall{"hall", "たおれる柱の回廊",
                "かたむいた柱が立ちならぶ回廊。スタートと同時に柱がいっせいに倒れてくる。"
                "倒れた柱をのりこえ、積まれた木箱をくずして進め。",
                false, true, 80, 128, 3.0f, 4.0f, HallHeight, HallZone, 0.5f, 0.92f, {0.36f, 0.06f, 0.64f, 0.14f}, {},
                {0.42f, 0.62f, 0.58f, 0.4f, 0.5f, 0.1f}, 0};
    hall.obstacles = {
        {"PILLAR", {2, 12, 0}, 0.3f, 0.7f, 12, {80, 0, 0}, 1.0f, 0},
        {"PILLAR", {2, 12, 0}, 0.7f, 0.66f, 12, {80, 0, 0}, 1.0f, 2},
        {"PILLAR", {2, 12, 0}, 0.5f, 0.5f, 12, {100, 0, 0}, 1.0f, 0},
        {"PILLAR", {2, 12, 0}, 0.32f, 0.32f, 12, {80, 20, 0}, 1.0f, 2},
        {"PILLAR", {2, 12, 0}, 0.68f, 0.3f, 12, {80, -20, 0}, 1.0f, 0},
        {"BOX", {3, 3, 3}, 0.5f, 0.22f, 3, {0, 0, 0}, 0.4f, 0},
        {"BOX", {3, 3, 3}, 0.5f, 0.22f, 9.2f, {0, 15, 0}, 0.4f, 2},
        {"BOX", {3, 3, 3}, 0.58f, 0.2f, 3, {0, 0, 0}, 0.4f, 0},
    };
    c.push_back(hall);
    return c;
}

// ---------------------------------------------------------------- height map

// World size of the course: the grid has one vertex more than the picture.
float WorldW(const Course& c) { return (c.w + 1) * c.gridSize; }
float WorldH(const Course& c) { return (c.h + 1) * c.gridSize; }

int WriteHeightMap(const std::string& path, const Course& c)
{
    std::vector<int> sums(static_cast<size_t>(c.w) * c.h);
    for (int r = 0; r < c.h; ++r)
        for (int col = 0; col < c.w; ++col) {
            float fx = (col + 1.0f) / (c.w + 1), fz = (r + 1.0f) / (c.h + 1);
            float value = c.height(fx, fz) / c.mapHeight;         // 0..9
            if (value < 0 || value > 9.0f) {
                fprintf(stderr, "%s: height %g at (%g, %g) is outside 0..9 x MAP_HEIGHT\n", c.stem,
                        c.height(fx, fz), fx, fz);
                return 0;
            }
            sums[static_cast<size_t>(r) * c.w + col] = static_cast<int>(std::lround(value * 255.0f / 3.0f));
        }
    return WriteHeightBmp(path, c.w, c.h, sums);
}

// ---------------------------------------------------------------- field texture

float Grain(float x, float y)
{
    uint32_t h = static_cast<uint32_t>(int(x)) * 374761393u + static_cast<uint32_t>(int(y)) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xFF) / 255.0f;
}

Color ZoneColor(Zone z, float tx, float ty, float fx, float fz)
{
    float n = Grain(tx, ty) * 0.08f - 0.04f;
    auto jitter = [&](Color c) { return Color{c.r + n, c.g + n, c.b + n, 1}; };
    switch (z) {
    case GRASS: return jitter(Mix(Rgb(0x5DAF3C), Rgb(0x7CC850), Grain(tx / 6, ty / 6) * 0.5f));
    case PATH: return jitter(Rgb(0xE6CF98));
    case RIM: return jitter(Rgb(0x9C8E7C));
    case PLANKS: {
        bool seam = std::fmod(fz * 160, 1.0f) < 0.12f;
        return jitter(seam ? Rgb(0x6E4620) : Rgb(0xB88448));
    }
    case STONE: {
        bool joint = std::fmod(fx * 40, 1.0f) < 0.06f || std::fmod(fz * 40, 1.0f) < 0.06f;
        return jitter(joint ? Rgb(0x8A8A8A) : Rgb(0xC4C2BC));
    }
    case SCREE: return jitter(Mix(Rgb(0x6A5A4C), Rgb(0x8A7664), Grain(tx / 3, ty / 3)));
    case SAND: return jitter(Rgb(0xD9B36A));
    }
    return Rgb(0xFF00FF);
}

Color Overlay(const Course& c, Color base, float fx, float fz)
{
    const float* g = c.goal;
    if (fx >= g[0] && fx <= g[2] && fz >= g[1] && fz <= g[3]) {
        int k = int(std::floor((fx - g[0]) / (g[2] - g[0]) * 8)) + int(std::floor((fz - g[1]) / (g[3] - g[1]) * 4));
        bool border = std::min({fx - g[0], g[2] - fx}) < 0.006f || std::min(fz - g[1], g[3] - fz) < 0.004f;
        return border ? Rgb(0xE03020) : (k & 1) ? Rgb(0x202020) : Rgb(0xF8F8F8);
    }
    float aspect = WorldW(c) / WorldH(c);
    float ds = std::hypot((fx - c.startX) * aspect, fz - c.startZ);
    if (ds < 0.04f) return ds > 0.03f ? Rgb(0x1F4FA8) : Mix(base, Rgb(0x5C9BFF), 0.6f);
    return base;
}

Image FieldTexture(const Course& c)
{
    // Power-of-two sides: older cards draw others slowly or not at all.
    int tw = 1, th = 1;
    while (tw < std::min(512, c.w * 4)) tw *= 2;
    while (th < std::min(512, c.h * 4)) th *= 2;
    Image img = MakeImage(tw, th);
    float cellX = WorldW(c) / tw, cellZ = WorldH(c) / th;
    const int nx = c.w + 1, nz = c.h + 1;
    for (int y = 0; y < th; ++y)
        for (int x = 0; x < tw; ++x) {
            // Texture to map fractions exactly as the terrain lays the texture.
            float tu = (x + 0.5f) / tw, tv = (y + 0.5f) / th;
            float fx = 1 - (nx - 1) * (1 - tu) / nx, fz = (nz - 1) * tv / nz;
            float h = c.height(fx, fz);
            float dfx = 1.0f / tw, dfz = 1.0f / th;
            float gx = (c.height(fx + dfx, fz) - c.height(fx - dfx, fz)) / (2 * cellX);
            float gz = (c.height(fx, fz + dfz) - c.height(fx, fz - dfz)) / (2 * cellZ);
            // Light from the upper left of the picture.
            float nlen = std::sqrt(gx * gx + gz * gz + 1);
            float lit = (1.3f * (0.55f * gx + 0.45f * gz) + 0.7f) / nlen / 0.89f;
            float contour = std::fabs(std::fmod(h, 4.0f)) < 0.25f ? 0.9f : 1.0f;
            Color base = ZoneColor(c.zone(fx, fz), float(x), float(y), fx, fz);
            Color col = Overlay(c, base, fx, fz);
            float k = std::clamp(0.45f + 0.6f * lit, 0.35f, 1.15f) * contour;
            img.At(x, y) = {std::min(col.r * k, 1.0f), std::min(col.g * k, 1.0f), std::min(col.b * k, 1.0f), 1};
        }
    return img;
}

// ---------------------------------------------------------------- preview scale

// Where the course-select preview puts a model point on the screen: turned
// -30 degrees about y, scaled, lifted 100, seen from (0, 800, 1200) towards
// the origin with a 45-degree lens.
void PreviewProject(float x, float y, float z, float scale, float* sx, float* sy)
{
    const float c = std::cos(-0.5235988f), s = std::sin(-0.5235988f);
    float px = (x * c + z * s) * scale, py = y * scale + 100, pz = (-x * s + z * c) * scale;
    const float len = std::sqrt(800.0f * 800.0f + 1200.0f * 1200.0f), a = 800 / len, b = 1200 / len;
    float dy = py - 800, dz = pz - 1200;
    float vx = -px, vy = b * dy - a * dz, vz = -a * dy - b * dz;
    float cot = 1.0f / std::tan(0.7853982f / 2);
    *sx = (vx * cot / vz + 1) * 0.5f * 640;
    *sy = (1 - vy * cot / vz) * 0.5f * 480;
}

// The largest preview scale (in steps of 0.05) that keeps the whole model
// between the heading and the text panel.
float SelectScaling(const Course& c)
{
    float hw = WorldW(c) / 2, hh = WorldH(c) / 2, top = 9 * c.mapHeight;
    float best = 0.05f;
    for (float scale = 0.05f; scale < 8; scale += 0.05f) {
        bool fits = true;
        for (int k = 0; k < 8 && fits; ++k) {
            float sx, sy;
            PreviewProject((k & 1) ? hw : -hw, (k & 4) ? top * 0.5f : 0, (k & 2) ? hh : -hh, scale, &sx, &sy);
            fits = sx > 40 && sx < 600 && sy > 110 && sy < 322;
        }
        if (!fits) break;
        best = scale;
    }
    return best;
}

// ---------------------------------------------------------------- course.ini

std::string Path(const Course& c, const char* ext, bool backslash)
{
    return std::string("field") + (backslash ? "\\" : "/") + c.stem + ext;
}

std::string CourseSection(int index, const Course& c)
{
    char line[512];
    std::string s = "\r\n# ---- course " + std::to_string(index) + "\r\n";
    s += "FIELD_NUM:[" + std::to_string(index) + "]\r\n";
    s += std::string("FIELD_NAME:[[") + c.title + "]]\r\n";
    s += "HEIGHT_MAP:[[" + Path(c, ".bmp", c.backslashes) + "]] FIELD_TEXTURE:[[" + Path(c, ".png", c.backslashes) +
         "]] DOCUMENT:[[" + Path(c, ".txt", c.backslashes) + "]]\r\n";
    snprintf(line, sizeof line, "MAP_HEIGHT:[%g] GRID_SIZE:[%g] SELECT_SCALING:[%.2f]\r\n", c.mapHeight, c.gridSize,
             SelectScaling(c));
    s += line;
    // The ball starts just above the ground: the largest ball is 3.5 across its radius.
    float startY = (c.height(c.startX, c.startZ) + 5.0f) / c.mapHeight;
    snprintf(line, sizeof line, "START:[%.4f,%.4f,%.4f] GOAL:[%.3f][%.3f][%.3f][%.3f]\r\n", c.startX, startY,
             c.startZ, c.goal[0], c.goal[1], c.goal[2], c.goal[3]);
    s += line;
    if (!c.route.empty()) {
        s += "# AUTOPILOT: BALL:[" + std::to_string(c.ballType) + "] ROUTE:";
        for (size_t k = 0; k + 1 < c.route.size(); k += 2) {
            snprintf(line, sizeof line, "[%g,%g]", c.route[k], c.route[k + 1]);
            s += line;
        }
        s += "\r\n";
    }
    for (const Obstacle& o : c.obstacles) {
        float y = (c.height(o.fx, o.fz) + o.lift) / c.mapHeight;
        snprintf(line, sizeof line, "OBJECT:[%s][%g,%g,%g][%.4f,%.4f,%.4f][%g,%g,%g][%g][%d]\r\n", o.shape, o.size[0],
                 o.size[1], o.size[2], o.fx, y, o.fz, o.rotation[0], o.rotation[1], o.rotation[2], o.weight,
                 o.material);
        s += line;
    }
    return s;
}

// ---------------------------------------------------------------- English

// The courses in English, by stem: en/course_text.ini gives their names and
// en/field/ holds their descriptions, which the game takes for field/'s own
// when it plays in English.
struct EnglishText {
    const char* stem;
    const char* name;
    const char* description;
};
const EnglishText kEnglish[] = {
    {"map0", "The First Road",
     "Start here. Tilt the board (or press the arrow keys) to roll the ball along the road to the goal "
     "at the far end. Banks line the way, so there is no falling off."},
    {"map1", "Hill of Slopes",
     "Up, down and up again. Gather speed on the way down and the next climb is easy. "
     "The valley floor leans to the left: mind it."},
    {"bridge", "The Narrow Bridge",
     "A single plank over a valley. Fall off the bridge and you are off the course. "
     "The raised boards in the middle are slippery. Keep calm and go straight."},
    {"bowl", "The Bowl Valley",
     "Rush down into the great bowl and use the speed to climb its far side. "
     "Too slow, and you roll back to the bottom. The goal is on the plateau beyond."},
    {"garden", "Garden of Obstacles",
     "A garden of stone walls, crates, big balls and pillars. Crates and balls can be pushed, "
     "and a pillar falls when struck. Thread your way through to the goal."},
    {"final", "The Last Trial",
     "The final course zigzags along a steep ridge. Leave the path and you drop into the valley. "
     "Slow down well before each bend, dodge the pillars, and reach the goal at the ridge's end."},
    {"rockfall", "Rockfall Slope",
     "Boulders come rolling down, one after another, from the top of a long climb. "
     "The middle of the valley is their path: dodge left and right on your way to the goal at the top."},
    {"hop", "Steps for the Bouncing Ball",
     "A course for the light, bouncy ball (the second ball in the options). Low walls block the way: "
     "press Z to jump over them. With a heavy ball it is hard going."},
    {"longroad", "The Long Road",
     "A long, long road between banks. Take the bends slowly and the straights at full speed. "
     "Watch out for crates falling onto the road and balls rolling along it."},
    {"ledges", "Narrow Ledges",
     "Narrow rock ledges high above a valley, hardly two balls wide. Turn on the flat spots at the bends. "
     "Fall, and there is no way back up."},
    {"crowd", "Bowl of Obstacles",
     "Big balls roll about the bottom of the bowl, and crates slide down its sides. "
     "Dash across the bottom without a collision and up to the plateau beyond."},
    {"hall", "Hall of Toppling Pillars",
     "A hall lined with leaning pillars. The moment the race starts they all come crashing down. "
     "Climb over the fallen pillars and break through the stacked crates."},
};

const EnglishText* EnglishOf(const Course& c)
{
    for (const EnglishText& e : kEnglish)
        if (std::string(e.stem) == c.stem) return &e;
    return nullptr;
}

// The English description in the course's own encoding: UTF-16, or plain
// bytes as an English author's editor writes them.
int WriteEnglishFiles(const std::string& dir, const Course& c)
{
    const EnglishText* e = EnglishOf(c);
    if (!e) return 1;
    std::string doc = c.utf16Doc ? Utf16leWithBom(e->description) : std::string(e->description);
    return WriteFile(dir + "/en/field/" + c.stem + ".txt", doc);
}

std::string EnglishNames(const std::vector<Course>& courses)
{
    std::string ini = "# The course names in English, by course number: FIELD_NUM:[n] FIELD_NAME:[[name]]\r\n"
                      "# (DOCUMENT:[[file]] would name another description; en\\field holds the English ones.)\r\n";
    for (size_t i = 0; i < courses.size(); ++i)
        if (const EnglishText* e = EnglishOf(courses[i]))
            ini += "FIELD_NUM:[" + std::to_string(i) + "] FIELD_NAME:[[" + e->name + "]]\r\n";
    return ini;
}

int WriteCourseFiles(const std::string& dir, const Course& c)
{
    std::string base = dir + "/field/" + c.stem;
    std::string doc = c.utf16Doc ? Utf16leWithBom(c.description) : Cp932(c.description);
    if (doc.empty()) return 0;
    return WriteHeightMap(base + ".bmp", c) && WritePng(base + ".png", FieldTexture(c)) && WriteFile(base + ".txt", doc);
}

} // namespace

int WriteCourses(const std::string& dir)
{
    if (!MakeFolder(dir + "/field")) return 0;
    std::vector<Course> courses = Courses();
    std::string ini =
        "# Kestrune course list. Points are map fractions: x from the picture's left edge,\r\n"
        "# z from its top edge, y in units of MAP_HEIGHT. GOAL is [x from][z from][x to][z to].\r\n"
        "# OBJECT:[shape][size][position][rotation in degrees][weight, 0 = fixed][material]\r\n";
    ini += "FIELD_TOTAL:[" + std::to_string(courses.size()) + "]\r\n";
    if (!MakeFolder(dir + "/en") || !MakeFolder(dir + "/en/field")) return 0;
    for (size_t i = 0; i < courses.size(); ++i) {
        if (!WriteCourseFiles(dir, courses[i]) || !WriteEnglishFiles(dir, courses[i])) return 0;
        ini += CourseSection(static_cast<int>(i), courses[i]);
    }
    // Japanese titles: the list is written as UTF-16 with a byte-order mark.
    return WriteFile(dir + "/course.ini", Utf16leWithBom(ini)) &&
           WriteFile(dir + "/en/course_text.ini", Utf16leWithBom(EnglishNames(courses)));
}
