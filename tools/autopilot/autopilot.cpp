#include "tools/autopilot/autopilot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/game.h"
#include "app/loop.h"
#include "data/course_list.h"
#include "data/text_reader.h"
#include "physics/physics.h"
#include "screens/screens.h"

namespace {

const char16_t kHintKey[] = u"AUTOPILOT:";

// Course a line's FIELD_NUM makes current, or -1 when it has none. The
// comment is cut first, as the game reads the line.
int FieldNumber(const char16_t* raw)
{
    char16_t line[SETTING_LINE_CHARS + 1];
    CopyText(line, sizeof line / sizeof line[0], raw);
    CutAtHash(line);
    const char16_t* at = FindText(line, u"FIELD_NUM:");
    if (!at) return -1;
    char16_t value[VALUE_CHARS];
    GetBracketValue(value, at);
    return ParseInt(value);
}

AutopilotRoute ParseHint(const char16_t* at, int lineNumber)
{
    AutopilotRoute route = {};
    route.line = lineNumber;
    char16_t value[VALUE_CHARS];
    if (const char16_t* ball = FindText(at, u"BALL:")) {
        GetBracketValue(value, ball);
        route.ballType = std::clamp(ParseInt(value), 0, 2);
    }
    const char16_t* p = FindText(at, u"ROUTE:");
    while (p && (p = GetBracketValue(value, p))) {
        float v[3];
        ParseVector3(value, v);
        route.points.push_back(v[0]);
        route.points.push_back(v[1]);
    }
    return route;
}

void ReleaseKeys(bool* keys)
{
    std::fill(keys, keys + KEY_COUNT, false);
}

// Holds the arrow keys whose tilt points closest to the wanted push. LEFT
// gives +x, RIGHT -x, UP -z, DOWN +z; two keys give the diagonals.
void HoldArrowsToward(bool* keys, float wantX, float wantZ)
{
    ReleaseKeys(keys);
    if (std::hypot(wantX, wantZ) < 1.0f) return;
    const float angle = std::atan2(wantZ, wantX);
    const int octant = int(std::lround(angle / (3.14159265f / 4))) & 7;   // 0 = +x
    static const bool left[8] = {true, true, false, false, false, false, false, true};
    static const bool right[8] = {false, false, false, true, true, true, false, false};
    static const bool down[8] = {false, true, true, true, false, false, false, false};
    static const bool up[8] = {false, false, false, false, false, true, true, true};
    keys[KEY_LEFT] = left[octant];
    keys[KEY_RIGHT] = right[octant];
    keys[KEY_DOWN] = down[octant];
    keys[KEY_UP] = up[octant];
}

struct Pilot {
    std::vector<float> points;   // route in map fractions
    size_t next;                 // index of the x of the point steered to
    float bestDistance;          // closest the ball came to that point
    int stalledFrames;           // frames without getting closer
    int backOffFrames;           // frames left of a jumping ball's run-up
    int frame;                   // race frames steered
};

void Frame(const AutopilotInput& input)
{
    *input.clockMs += 16;
    SampleInput();
    if (input.runFrame)
        input.runFrame(*input.clockMs);
    else
        RunFrame(*input.clockMs);
}

void WorldTarget(const Pilot& pilot, float* tx, float* tz)
{
    const CourseDef& c = courseList.courses[game.currentCourse];
    const TerrainGrid& grid = CurrentTerrainGrid();
    float w = grid.NX * c.GRID_SIZE, h = grid.NZ * c.GRID_SIZE;
    *tx = w * (1 - pilot.points[pilot.next]) - w / 2;
    *tz = h * pilot.points[pilot.next + 1] - h / 2;
}

// A jumping ball hops along while it runs toward the point: Z every other
// frame, which the race turns into an upward push whenever the ball is on
// the ground. When it stops getting closer (a wall it met too slowly) it
// backs off for a run-up.
bool JumpingBall()
{
    return SelectedBallType().jumpGain != 0;
}

void WatchProgress(Pilot* pilot, float distance)
{
    if (distance < pilot->bestDistance - 1.0f) {
        pilot->bestDistance = distance;
        pilot->stalledFrames = 0;
        return;
    }
    if (++pilot->stalledFrames < 60) return;
    pilot->stalledFrames = 0;
    pilot->bestDistance = 1e9f;   // the run-up starts afresh
    pilot->backOffFrames = 90;
}

// Toward the point along (ux, uz), d away: hopping at speed, or backing off.
void SteerJumping(Pilot* pilot, bool* keys, float ux, float uz, float d, const Vec3& v)
{
    pilot->frame++;
    float speed = std::min(22.0f, d);
    if (pilot->backOffFrames == 0) WatchProgress(pilot, d);
    if (pilot->backOffFrames > 0) {
        pilot->backOffFrames--;
        speed = -12.0f;
    }
    HoldArrowsToward(keys, ux * speed - v.x, uz * speed - v.z);
    keys[KEY_Z] = pilot->backOffFrames == 0 && (pilot->frame & 1) && v.x * ux + v.z * uz > 10.0f;
}

// Steers toward the route's next point at a modest speed.
void Steer(Pilot* pilot, bool* keys)
{
    float tx, tz;
    WorldTarget(*pilot, &tx, &tz);
    float bx = ballMatrix.m[3][0], bz = ballMatrix.m[3][2];
    if (std::hypot(tx - bx, tz - bz) < 10 && pilot->next + 2 < pilot->points.size()) {
        pilot->next += 2;
        pilot->bestDistance = 1e9f;
        WorldTarget(*pilot, &tx, &tz);
    }
    Vec3 v = {};
    GetBallVelocity(&v);
    float dx = tx - bx, dz = tz - bz, d = std::max(std::hypot(dx, dz), 1e-3f);
    float speed = std::min(22.0f, d);
    if (JumpingBall()) {
        SteerJumping(pilot, keys, dx / d, dz / d, d, v);
        return;
    }
    HoldArrowsToward(keys, dx / d * speed - v.x, dz / d * speed - v.z);
}


Pilot MakePilot(const AutopilotRoute& route, const CourseDef& course)
{
    Pilot pilot = {route.points, 0, 1e9f, 0, 0, 0};
    if (pilot.points.size() < 2) {
        pilot.points = {(course.GOAL[0] + course.GOAL[2]) / 2, (course.GOAL[1] + course.GOAL[3]) / 2};
    }
    pilot.points.resize(pilot.points.size() / 2 * 2);
    return pilot;
}

}  // namespace

std::vector<AutopilotRoute> ReadAutopilotRoutes(int courseCount)
{
    std::vector<AutopilotRoute> routes(std::max(courseCount, 0));
    FILE* file = OpenTextFile("course.ini");
    if (!file) return routes;
    char16_t line[SETTING_LINE_CHARS + 1];
    int current = 0, lineNumber = 0;
    // Read as the game reads: the first empty line ends the file.
    while (ReadTextLine(file, line, SETTING_LINE_CHARS) != 0) {
        lineNumber++;
        int field = FieldNumber(line);
        if (field >= 0) current = std::min(field, courseCount - 1);
        if (current < 0 || current >= courseCount) continue;
        if (field >= 0) routes[current].fieldLine = lineNumber;
        const char16_t* hint = FindText(line, kHintKey);
        if (hint) {
            int fieldLine = routes[current].fieldLine;
            routes[current] = ParseHint(hint + TextLength(kHintKey), lineNumber);
            routes[current].fieldLine = fieldLine;
        }
    }
    fclose(file);
    return routes;
}

int DriveRaceWithAutopilot(const AutopilotRoute& route, const AutopilotInput& input, int raceFrameLimit)
{
    Pilot pilot = MakePilot(route, courseList.courses[game.currentCourse]);
    int raceFrames = 0;
    while (game.state == STATE_RACE && raceFrames < raceFrameLimit) {
        Steer(&pilot, input.keys);
        Frame(input);
        raceFrames++;
    }
    ReleaseKeys(input.keys);
    return game.state == STATE_GOAL ? raceFrames : -1;
}

int RaceWithAutopilot(int course, const AutopilotRoute& route, const AutopilotInput& input, int raceFrameLimit)
{
    const int savedBall = game.settings.ballTypeSel;
    game.settings.ballTypeSel = route.ballType;
    ReleaseKeys(input.keys);
    RequestCourseLoad(course);
    EnterIntro();
    // The intro's last frame is the countdown's first.
    for (int i = 0; i < 179 + 240; i++)
        Frame(input);
    int raceFrames = AUTOPILOT_NOT_LOADED;
    if (game.state == STATE_RACE && game.currentCourse == course)
        raceFrames = DriveRaceWithAutopilot(route, input, raceFrameLimit);
    for (int i = 0; i < 120 && game.state == STATE_GOAL; i++)
        Frame(input);
    game.settings.ballTypeSel = savedBall;
    return raceFrames;
}
