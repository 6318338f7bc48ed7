// course.ini: the list is read and every course loaded with the game's own
// code; each message goes to the line of the key that caused it, and what
// the game accepts but plays badly is warned about.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/game.h"
#include "course/course.h"
#include "render/scene.h"
#include "course/terrain.h"
#include "data/course_list.h"
#include "data/course_packs.h"
#include "data/course_texts.h"
#include "data/texts.h"
#include "platform/paths.h"
#include "data/settings.h"
#include "render/shapes.h"
#include "data/text_reader.h"
#include "physics/physics.h"
#include "platform/files.h"
#include "platform/image.h"
#include "tools/check/check.h"

namespace {

const char* const kFile = "course.ini";
const char* const kShapeNames[3] = {"BOX", "SPHERE", "PILLAR"};

// The courses course.ini holds: the whole list for a pack, the game's own
// (before any pack's) for the game folder.
int checkedCount;

// The lines of course.ini that fill each course, found as the loader does.
struct Sections {
    int totalLine;                       // the FIELD_TOTAL line, 0 = none
    std::vector<int> numLine;            // FIELD_NUM line per course, 0 = none
    std::vector<std::vector<int>> lines; // lines that fill each course
};

int FieldNumber(const std::u16string& text)
{
    const char16_t* at = FindText(text.c_str(), u"FIELD_NUM:");
    if (!at) return -1;
    char16_t value[VALUE_CHARS];
    GetBracketValue(value, at);
    int n = ParseInt(value);
    return n < 0 || n >= checkedCount ? checkedCount - 1 : n;
}

Sections FindSections(const TextLines& text)
{
    Sections s = {0, std::vector<int>(checkedCount), std::vector<std::vector<int>>(checkedCount)};
    int current = 0;
    for (size_t n = 0; n < text.lines.size(); n++) {
        std::u16string line = Uncommented(text.lines[n]);
        if (!s.totalLine) {
            if (FindText(line.c_str(), u"FIELD_TOTAL:")) s.totalLine = int(n) + 1;
            continue;
        }
        if (current >= checkedCount) break;
        int field = FieldNumber(line);
        if (field >= 0) {
            current = field;
            s.numLine[current] = int(n) + 1;
        }
        s.lines[current].push_back(int(n) + 1);
    }
    return s;
}

// The last line of a course holding the key (later lines win), else its
// FIELD_NUM line.
int KeyLine(const TextLines& text, const Sections& s, int course, const char16_t* key)
{
    int found = s.numLine[course];
    for (int n : s.lines[course])
        if (FindText(Uncommented(text.lines[n - 1]).c_str(), key)) found = n;
    return found;
}

std::vector<int> ObjectLines(const TextLines& text, const Sections& s, int course)
{
    std::vector<int> out;
    for (int n : s.lines[course])
        if (FindText(Uncommented(text.lines[n - 1]).c_str(), u"OBJECT:")) out.push_back(n);
    return out;
}

std::string Path(const char16_t* name)
{
    return Utf8(name);
}

std::string CourseName(int i)
{
    return Say(CHECK_COURSE, i);
}

void Warn(int line, int course, const std::string& text)
{
    Report(kFile, line, SEVERITY_WARNING, CourseName(course) + ": " + text);
}

// --- the list's own lines ---------------------------------------------------------

void ReportListMessages(const std::vector<std::string>& messages)
{
    for (const std::string& m : messages) {
        int line = MessageLine(m);
        if (line > 0) Report(kFile, line, SEVERITY_ERROR, GameMessage(m));
        else if (m.find("course.ini") != std::string::npos) Report(kFile, 0, SEVERITY_ERROR, GameMessage(m));
        // def.ini's messages are reported by its own check.
    }
}

bool Outside01(float v) { return !(v >= 0 && v <= 1); }

void CheckPoints(const TextLines& text, const Sections& s, int i)
{
    const CourseDef& c = courseList.courses[i];
    int startLine = KeyLine(text, s, i, u"START:"), goalLine = KeyLine(text, s, i, u"GOAL:");
    if (Outside01(c.START[0]) || Outside01(c.START[2]))
        Warn(startLine, i, Say(CHECK_START_OUTSIDE));
    bool goalOutside = false;
    for (float g : c.GOAL) goalOutside = goalOutside || Outside01(g);
    if (goalOutside) Warn(goalLine, i, Say(CHECK_GOAL_OUTSIDE));
    if (!(c.GOAL[0] < c.GOAL[2]) || !(c.GOAL[1] < c.GOAL[3]))
        Warn(goalLine, i, Say(CHECK_GOAL_EMPTY));
}

bool PowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

void CheckFiles(const TextLines& text, const Sections& s, int i)
{
    const CourseDef& c = courseList.courses[i];
    char path[2048];
    int docLine = KeyLine(text, s, i, u"DOCUMENT:");
    if (!SysResolvePath(Path(c.DOCUMENT).c_str(), path, sizeof path)) {
        Warn(docLine, i, Say(CHECK_NO_DESCRIPTION, Path(c.DOCUMENT).c_str()));
    } else if (FILE* f = fopen(path, "rb")) {
        fseek(f, 0, SEEK_END);
        long bytes = ftell(f);
        fclose(f);
        if (bytes > 8192)
            Warn(docLine, i, Say(CHECK_LONG_DESCRIPTION, bytes));
    }
    Image image = {};
    if (SysLoadImage(Path(c.FIELD_TEXTURE).c_str(), &image)) {
        if (!PowerOfTwo(image.width) || !PowerOfTwo(image.height))
            Warn(KeyLine(text, s, i, u"FIELD_TEXTURE:"), i, Say(CHECK_TEXTURE_SIDES, image.width, image.height));
        SysFreeImage(&image);
    }
    HeightMap map = {};
    if (ReadHeightMap(Path(c.HEIGHT_MAP).c_str(), &map) == HEIGHTMAP_OK) {
        if (map.width > 255 || map.height > 255)
            Warn(KeyLine(text, s, i, u"HEIGHT_MAP:"), i, Say(CHECK_BIG_HEIGHT_MAP, map.width, map.height));
        FreeHeightMap(&map);
    }
    TakeMessages();   // the course load has reported these already
}

void CheckMaterials(const TextLines& text, const Sections& s, int i)
{
    std::vector<int> lines = ObjectLines(text, s, i);
    size_t k = 0;
    for (const ObstacleDef* o = courseList.courses[i].firstObstacle; o; o = o->next, k++) {
        const ShapeMesh& mesh = shapeMeshes[o->shape];
        if (!mesh.mesh || (o->material >= 0 && uint32_t(o->material) < mesh.materialCount)) continue;
        Warn(k < lines.size() ? lines[k] : s.numLine[i], i,
             Say(CHECK_MATERIAL, o->material, mesh.materialCount, kShapeNames[o->shape]));
    }
}

// --- the loaded course --------------------------------------------------------------

float LargestBall()
{
    float r = 0;
    for (const BallType& b : game.settings.ballTypes) r = std::max(r, b.size);
    return r;
}

// Distance from a world point to obstacle body `index`, in its own frame.
float DistanceToBody(const ObstacleDef& o, int index, const Vec3& p)
{
    Matrix m;
    GetBodyMatrix(&m, index);
    float d[3] = {p.x - m.m[3][0], p.y - m.m[3][1], p.z - m.m[3][2]};
    float local[3];
    for (int r = 0; r < 3; r++) {
        float len = std::sqrt(m.m[r][0] * m.m[r][0] + m.m[r][1] * m.m[r][1] + m.m[r][2] * m.m[r][2]);
        local[r] = (d[0] * m.m[r][0] + d[1] * m.m[r][1] + d[2] * m.m[r][2]) / std::max(len, 1e-6f);
    }
    if (o.shape == SHAPE_SPHERE) return std::hypot(local[0], local[1], local[2]) - o.size[0];
    if (o.shape == SHAPE_PILLAR) {
        float radial = std::max(std::hypot(local[0], local[1]) - o.size[0], 0.0f);
        return std::hypot(radial, std::max(std::fabs(local[2]) - o.size[1], 0.0f));
    }
    float out[3];
    for (int a = 0; a < 3; a++) out[a] = std::max(std::fabs(local[a]) - o.size[a], 0.0f);
    return std::hypot(out[0], out[1], out[2]);
}

// Terrain height under world x, z; false where no terrain lies below.
bool GroundHeight(const TerrainGrid& g, float x, float z, float* y)
{
    if (!g.positions || g.NX < 2 || g.NZ < 2) return false;
    const GridPoint* p = g.positions;
    float fi = (x - p[0].x) / (p[1].x - p[0].x), fj = (z - p[0].z) / (p[g.NX].z - p[0].z);
    if (!(fi >= 0 && fj >= 0 && fi <= g.NX - 1 && fj <= g.NZ - 1)) return false;
    int i = std::min(int(fi), g.NX - 2), j = std::min(int(fj), g.NZ - 2);
    float u = fi - i, v = fj - j;
    auto h = [&](int a, int b) { return p[(j + b) * g.NX + i + a].y; };
    *y = (h(0, 0) * (1 - u) + h(1, 0) * u) * (1 - v) + (h(0, 1) * (1 - u) + h(1, 1) * u) * v;
    return true;
}

void CheckStart(const TextLines& text, const Sections& s, int i)
{
    int line = KeyLine(text, s, i, u"START:");
    Matrix ball;
    GetBodyMatrix(&ball, 1);
    Vec3 p = {ball.m[3][0], ball.m[3][1], ball.m[3][2]};
    float ground = 0, r = LargestBall();
    if (!GroundHeight(CurrentTerrainGrid(), p.x, p.z, &ground))
        Warn(line, i, Say(CHECK_START_NO_TERRAIN));
    else if (p.y - r < ground - 0.5f)
        Warn(line, i, Say(CHECK_START_UNDERGROUND));
    int k = 0;
    std::vector<int> objects = ObjectLines(text, s, i);
    for (const ObstacleDef* o = courseList.courses[i].firstObstacle; o; o = o->next, k++)
        if (DistanceToBody(*o, 2 + k, p) < r)
            Warn(line, i, Say(CHECK_START_IN_OBSTACLE, size_t(k) < objects.size() ? objects[k] : 0));
}

bool Empty(const Sections& s, int i)
{
    return !s.numLine[i] && !courseList.courses[i].HEIGHT_MAP[0];
}

// One line for a run of empty courses, however long (FIELD_TOTAL may be huge).
void ReportEmptyRun(const Sections& s, int* i)
{
    int first = *i;
    while (*i + 1 < checkedCount && Empty(s, *i + 1)) ++*i;
    if (first == *i)
        Warn(s.totalLine, first, Say(CHECK_EMPTY_COURSE, first));
    else
        Report(kFile, s.totalLine, SEVERITY_WARNING, Say(CHECK_EMPTY_COURSES, first, *i));
}

// Loads the course as the game does and puts each message on the key line
// whose file it names.
void LoadAndCheck(const TextLines& text, const Sections& s, int i)
{
    const CourseDef& c = courseList.courses[i];
    char path[2048];
    bool loaded = LoadCourse(i);
    MakeCourseFolderCurrent(i);
    for (const std::string& m : TakeMessages()) {
        int line = s.numLine[i];
        if (m.find("'" + Path(c.FIELD_TEXTURE) + "'") != std::string::npos) line = KeyLine(text, s, i, u"FIELD_TEXTURE:");
        else if (m.find("'" + Path(c.HEIGHT_MAP) + "'") != std::string::npos) line = KeyLine(text, s, i, u"HEIGHT_MAP:");
        Report(kFile, line, SEVERITY_ERROR, CourseName(i) + ": " + GameMessage(m));
    }
    // A height map that cannot be opened fails the load without a word.
    if (!loaded && !SysResolvePath(Path(c.HEIGHT_MAP).c_str(), path, sizeof path))
        Report(kFile, KeyLine(text, s, i, u"HEIGHT_MAP:"), SEVERITY_ERROR,
               CourseName(i) + ": " + Say(CHECK_NO_HEIGHT_MAP, Path(c.HEIGHT_MAP).c_str()));
    if (!loaded) return;
    CheckStart(text, s, i);
}

// --- the languages' course names -------------------------------------------------------

// Every line of a file, empty ones too (a translation file reads past them).
std::vector<std::u16string> AllLines(const char* name)
{
    std::vector<std::u16string> lines;
    FILE* file = OpenTextFile(name);
    if (!file) return lines;
    fseek(file, 0, SEEK_END);
    const long size = ftell(file);
    fseek(file, 0, SEEK_SET);
    char16_t line[SETTING_LINE_CHARS + 1];
    while (ftell(file) < size) {
        ReadTextLine(file, line, SETTING_LINE_CHARS);
        lines.push_back(line);
    }
    fclose(file);
    return lines;
}

// A description a translation names, looked for as the game does.
void CheckTranslatedDocument(const std::string& file, int line, const std::u16string& text, int language, int course)
{
    char16_t document[VALUE_CHARS];
    GetNameValue(document, FindText(text.c_str(), u"DOCUMENT:"));
    char name[1100], path[2048];
    LanguageFileNameIn(language, Path(document).c_str(), name, sizeof name);
    if (!SysResolvePath(name, path, sizeof path))
        Report(file, line, SEVERITY_WARNING, Say(CHECK_TEXT_NO_DESCRIPTION, course, Path(document).c_str()));
}

void CheckTextLine(const std::string& file, int n, const std::u16string& text, int language, int* course)
{
    std::u16string line = Uncommented(text);
    switch (ApplyCourseTextLine(line.c_str(), language, course)) {
    case COURSE_TEXT_NO_COURSE: {
        char16_t value[VALUE_CHARS];
        GetBracketValue(value, FindText(line.c_str(), u"FIELD_NUM:"));
        Report(file, n, SEVERITY_WARNING, Say(CHECK_TEXT_NO_COURSE, ParseInt(value), courseList.courseCount));
        break;
    }
    case COURSE_TEXT_NO_NUMBER: Report(file, n, SEVERITY_WARNING, Say(CHECK_TEXT_NO_NUMBER)); break;
    case COURSE_TEXT_UNREADABLE: Report(file, n, SEVERITY_WARNING, Say(CHECK_TEXT_UNREADABLE)); break;
    case COURSE_TEXT_READ:
        if (FindText(line.c_str(), u"DOCUMENT:")) CheckTranslatedDocument(file, n, line, language, *course);
        break;
    case COURSE_TEXT_NOTHING: break;
    }
}

// Each language's course_text.ini, line by line as the game reads it.
void CheckCourseTexts()
{
    for (int language = 0; language < LANGUAGE_COUNT; language++) {
        char name[64];
        CourseTextFileName(language, name, sizeof name);
        std::vector<std::u16string> lines = AllLines(name);
        int course = -1;
        for (size_t n = 0; n < lines.size(); n++) CheckTextLine(name, int(n) + 1, lines[n], language, &course);
    }
}

}  // namespace

namespace {

std::string SkipMessage(const CoursePack& pack)
{
    return Say(CHECK_PACK_SKIPPED, PackProblemText(pack, CurrentLanguage()).c_str());
}

// What the game makes of the packs shipped in the folder's courses/.
void CheckShippedPacks()
{
    for (const CoursePack& pack : CoursePacks().packs)
        if (pack.problem.kind != PACK_OK)
            Report("courses/" + pack.key + "/course.ini", pack.problem.line, SEVERITY_ERROR, SkipMessage(pack));
}

void CheckPack(const char* folder)
{
    CoursePack pack = ExaminePack(folder);
    if (pack.problem.kind != PACK_OK) Report(kFile, pack.problem.line, SEVERITY_ERROR, SkipMessage(pack));
}

// The list as the game reads it; the current folder is where course.ini is.
bool LoadList(const char* packFolder)
{
    if (!packFolder) {
        LoadCourseList();
        checkedCount = OwnCourseCount();
        return true;
    }
    bool opened = LoadPackAsCourseList(packFolder) == 1;
    if (!opened) Report(kFile, 0, SEVERITY_ERROR, Say(CHECK_PACK_UNOPENED));
    checkedCount = courseList.courseCount;
    return opened;
}

}  // namespace

void CheckCourses(const char* packFolder)
{
    bool listed = LoadList(packFolder);
    TextLines text = ReadLines(kFile);
    LoadShapeMeshes();
    std::vector<std::string> messages = TakeMessages();
    ReportListMessages(messages);
    if (!text.opened || !listed) return;
    Sections s = FindSections(text);
    if (!s.totalLine) Report(kFile, 0, SEVERITY_WARNING, Say(CHECK_NO_FIELD_TOTAL));
    if (text.endedAt)
        Report(kFile, text.endedAt, SEVERITY_WARNING, Say(CHECK_EMPTY_LINE));
    CreatePhysicsWorld();
    for (int i = 0; i < checkedCount; i++) {
        if (Empty(s, i)) {
            ReportEmptyRun(s, &i);
            continue;
        }
        LoadAndCheck(text, s, i);
        MakeCourseFolderCurrent(i);
        CheckPoints(text, s, i);
        CheckMaterials(text, s, i);
        CheckFiles(text, s, i);
    }
    if (!packFolder) CheckCourseTexts();
    ClearCourseBodies();
    ReleaseCourseGraphics();
    DestroyPhysicsWorld();
    ReleaseShapeMeshes();
    if (packFolder) CheckPack(packFolder);
    else CheckShippedPacks();
    FreeCourseList();
    SysMakeGameFolderCurrent();
}
