// Finding the course packs, reading each one's course.ini, and putting the
// courses of the packs that can be played after the game's own.
#include "data/course_packs.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "data/course_list.h"
#include "data/course_list_local.h"
#include "data/save_files.h"
#include "data/settings.h"
#include "data/text_reader.h"
#include "data/texts.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace {

struct Packs {
    PackList list;                   // the packs of the course list loaded last; cleared with it
    std::string commandLine;         // --course DIR's folder, links resolved; "" none
    std::vector<std::string> said;   // problems said on standard error this run
};
Packs packs;

// A pack's folder before its course.ini is read.
struct Candidate {
    std::string folder;   // links resolved, ending in '/'
    std::string key;      // the name it is listed under
};

std::string LastComponent(const std::string& folder)
{
    std::string path = folder.substr(0, folder.size() - 1);
    return path.substr(path.rfind('/') + 1);
}

bool HoldsCourseIni(const std::string& folder)
{
    char path[4200];
    return SysResolvePath((folder + "course.ini").c_str(), path, sizeof path) && SysIsFile(path);
}

bool Listed(const std::vector<Candidate>& candidates, const std::string& folder)
{
    for (const Candidate& c : candidates)
        if (c.folder == folder) return true;
    return false;
}

// The folders in `base` that hold a course.ini, by name; hidden ones are
// left alone (a version-control or editor folder is no pack).
void AddPacksIn(const std::string& base, std::vector<Candidate>* out)
{
    std::vector<std::string> names;
    if (base.empty() || !SysListFolder(base.c_str(), &names)) return;
    for (const std::string& name : names) {
        std::string folder = SysCanonicalFolder((base + name).c_str());
        if (name[0] == '.' || !SysIsFolder(folder.c_str()) || !HoldsCourseIni(folder)) continue;
        if (!Listed(*out, folder)) out->push_back({folder, name});
    }
}

std::vector<Candidate> FindCandidates()
{
    std::vector<Candidate> out;
    AddPacksIn(std::string(SysGameFolder()) + "courses/", &out);
    AddPacksIn(SysPackFolder(), &out);
    const std::string& extra = packs.commandLine;
    if (!extra.empty() && !Listed(out, extra)) out.push_back({extra, LastComponent(extra)});
    return out;
}

std::string Utf8Of(const char16_t* text)
{
    char out[1024];
    Utf16ToUtf8(text, out, sizeof out);
    return out;
}

PackProblem Problem(int kind, int line, int course, const std::string& detail)
{
    return PackProblem{kind, line, course, detail};
}

PackProblem LineProblem(const CourseTableRead& read)
{
    static const int kinds[] = {PACK_TOO_MANY, PACK_BAD_FIELD_NUM, PACK_BAD_SHAPE};
    return Problem(kinds[read.firstError], read.firstErrorLine, -1, "");
}

// Every course must have its three files: the game would otherwise stop on
// a message box in the middle of course select or a race.
PackProblem CheckPackFiles(const CourseList& table)
{
    for (int i = 0; i < table.courseCount; i++) {
        const CourseDef& c = table.courses[i];
        if (!c.HEIGHT_MAP[0]) return Problem(PACK_EMPTY_COURSE, 0, i, "");
        for (const char16_t* name : {c.HEIGHT_MAP, c.FIELD_TEXTURE, c.DOCUMENT}) {
            char path[4200];
            std::string file = Utf8Of(name);
            if (!name[0] || !SysResolvePath(file.c_str(), path, sizeof path) || !SysIsFile(path))
                return Problem(PACK_MISSING_FILE, 0, i, file);
        }
    }
    return Problem(PACK_OK, 0, -1, "");
}

// Reads the pack's course.ini into `table` and sets its name and problem.
void ReadPack(CoursePack* pack, CourseList* table, bool showBoxes)
{
    *table = {};
    FILE* file = SysMakeFolderCurrent(pack->folder.c_str()) ? OpenTextFile("course.ini") : nullptr;
    if (!file) {
        pack->problem = Problem(PACK_UNREADABLE, 0, -1, "");
        return;
    }
    CourseTableRead read = {};
    read.showBoxes = showBoxes;
    ReadCourseTable(file, table, &read);
    fclose(file);
    if (read.packName[0]) pack->name = Utf8Of(read.packName);
    if (read.firstError >= 0) pack->problem = LineProblem(read);
    else if (table->courseCount <= 0) pack->problem = Problem(PACK_NO_COURSES, 0, -1, "");
    else pack->problem = CheckPackFiles(*table);
}

CoursePack NewPack(const Candidate& c)
{
    CoursePack pack;
    pack.folder = c.folder;
    pack.key = c.key;
    pack.name = c.key;
    pack.firstCourse = -1;
    pack.courseCount = 0;
    pack.problem = Problem(PACK_OK, 0, -1, "");
    return pack;
}

// The table's courses go after the list's; the table is emptied either way.
bool AppendTable(CourseList* table)
{
    size_t count = size_t(courseList.courseCount) + size_t(table->courseCount);
    CourseDef* grown = (CourseDef*)realloc(courseList.courses, count * sizeof(CourseDef));
    if (!grown) {
        FreeCourseTable(table);
        return false;
    }
    memcpy(grown + courseList.courseCount, table->courses, size_t(table->courseCount) * sizeof(CourseDef));
    courseList.courses = grown;
    courseList.courseCount = int(count);
    free(table->courses);   // the obstacles now belong to the list's copies
    *table = {};
    return true;
}

void SayOnce(const CoursePack& pack)
{
    std::string text = PackProblemText(pack, LANGUAGE_ENGLISH);
    std::string said = pack.folder + '\n' + text;
    if (std::find(packs.said.begin(), packs.said.end(), said) != packs.said.end()) return;
    packs.said.push_back(said);
    fprintf(stderr, "Kestrune: %s (%s)\n", text.c_str(), pack.folder.c_str());
}

// The command line's pack claims its name first; then each pack in order.
void ClaimNames(std::vector<CoursePack>* list)
{
    std::vector<const CoursePack*> owners;
    for (int pass = 0; pass < 2; pass++)
        for (CoursePack& pack : *list) {
            if ((pack.folder == packs.commandLine) != (pass == 0)) continue;
            const CoursePack* owner = nullptr;
            for (const CoursePack* o : owners)
                if (o->key == pack.key) owner = o;
            if (owner) pack.problem = Problem(PACK_SAME_NAME, 0, -1, owner->folder);
            else owners.push_back(&pack);
        }
}

void ListPack(CoursePack* pack)
{
    CourseList table = {};
    if (pack->problem.kind == PACK_OK) ReadPack(pack, &table, false);
    if (pack->problem.kind == PACK_OK) {
        int first = courseList.courseCount, count = table.courseCount;
        if (AppendTable(&table)) {
            pack->firstCourse = first;
            pack->courseCount = count;
        } else {
            pack->problem = Problem(PACK_TOO_MANY, 0, -1, "");
        }
    }
    FreeCourseTable(&table);
    if (pack->problem.kind != PACK_OK) SayOnce(*pack);
}

const char* ReasonFormat(int kind, int language)
{
    static const TextId reasons[] = {TEXT_COUNT, TEXT_PACK_UNREADABLE, TEXT_PACK_NO_COURSES,
                                     TEXT_PACK_TOO_MANY, TEXT_PACK_BAD_FIELD_NUM, TEXT_PACK_BAD_SHAPE,
                                     TEXT_PACK_EMPTY_COURSE, TEXT_PACK_MISSING_FILE, TEXT_PACK_SAME_NAME};
    bool known = kind > PACK_OK && kind < int(sizeof reasons / sizeof reasons[0]);
    return known ? TrIn(reasons[kind], language) : "";
}

// A reason's format takes the line, the course or the detail, in the
// order its kind needs.
std::string Reason(const PackProblem& p, int language)
{
    char text[1200];
    const char* format = ReasonFormat(p.kind, language);
    switch (p.kind) {
    case PACK_TOO_MANY:
    case PACK_BAD_FIELD_NUM:
    case PACK_BAD_SHAPE: snprintf(text, sizeof text, format, p.line); break;
    case PACK_EMPTY_COURSE: snprintf(text, sizeof text, format, p.course); break;
    case PACK_MISSING_FILE: snprintf(text, sizeof text, format, p.course, p.detail.c_str()); break;
    case PACK_SAME_NAME: snprintf(text, sizeof text, format, p.detail.c_str()); break;
    default: snprintf(text, sizeof text, "%s", format); break;
    }
    return text;
}

int FindCourse(const std::string& key, bool own, int number)
{
    if (own) return number >= 0 && number < OwnCourseCount() && courseList.courses[number].HEIGHT_MAP[0] ? number : -1;
    for (const CoursePack& pack : packs.list.packs)
        if (pack.key == key && pack.problem.kind == PACK_OK)
            return number >= 0 && number < pack.courseCount ? pack.firstCourse + number : -1;
    return -1;
}

}  // namespace

const PackList& CoursePacks()
{
    return packs.list;
}

void SetCommandLinePack(const char* folder)
{
    packs.commandLine = folder && folder[0] ? SysCanonicalFolder(folder) : "";
}

const CoursePack* FindPack(const char* folder)
{
    std::string canonical = SysCanonicalFolder(folder);
    for (const CoursePack& pack : packs.list.packs)
        if (pack.folder == canonical) return &pack;
    return nullptr;
}

const CoursePack* CommandLinePack()
{
    for (const CoursePack& pack : packs.list.packs)
        if (!packs.commandLine.empty() && pack.folder == packs.commandLine) return &pack;
    return nullptr;
}

const CoursePack* PackOfCourse(int course)
{
    for (const CoursePack& pack : packs.list.packs)
        if (course >= pack.firstCourse && course < pack.firstCourse + pack.courseCount) return &pack;
    return nullptr;
}

int CourseNumberInPack(int course)
{
    const CoursePack* pack = PackOfCourse(course);
    return pack ? course - pack->firstCourse : course;
}

// Counted from the packs, so a list made without them (a test's, say) is
// all the game's own.
int OwnCourseCount()
{
    int count = courseList.courseCount;
    for (const CoursePack& pack : packs.list.packs) count -= pack.courseCount;
    return count > 0 ? count : 0;
}

int MakeCourseFolderCurrent(int course)
{
    const CoursePack* pack = PackOfCourse(course);
    return pack ? SysMakeFolderCurrent(pack->folder.c_str()) : SysMakeGameFolderCurrent();
}

std::string PackSaveFolder(const CoursePack& pack)
{
    return std::string(SysSaveFolder()) + "packs/" + pack.key + "/";
}

int MakePackSaveFolder(const CoursePack& pack, const char* sub)
{
    if (!SysSaveFolder()[0]) return 0;
    std::string packsFolder = std::string(SysSaveFolder()) + "packs";
    std::string own = PackSaveFolder(pack);
    int made = SysMakeFolder(packsFolder.c_str()) && SysMakeFolder(own.c_str());
    return made && (!sub || SysMakeFolder((own + sub).c_str()));
}

std::string PackProblemText(const CoursePack& pack, int language)
{
    if (pack.problem.kind == PACK_OK) return "";
    char text[2400];
    snprintf(text, sizeof text, TrIn(TEXT_PACK_SKIPPED, language), pack.name.c_str(),
             Reason(pack.problem, language).c_str());
    return text;
}

void AppendCoursePacks()
{
    packs.list = PackList{};
    for (const Candidate& c : FindCandidates()) packs.list.packs.push_back(NewPack(c));
    ClaimNames(&packs.list.packs);
    for (CoursePack& pack : packs.list.packs) ListPack(&pack);
    SysMakeGameFolderCurrent();
}

void ForgetCoursePacks()
{
    packs.list = PackList{};
}

int ReloadCourseList(int course)
{
    const CoursePack* pack = PackOfCourse(course);
    std::string key = pack ? pack->key : "";
    int number = CourseNumberInPack(course);
    CourseList before = courseList;
    PackList packsBefore = packs.list;
    courseList = {};
    packs.list = PackList{};
    SysMakeGameFolderCurrent();
    FILE* file = OpenTextFile("course.ini");
    int found = -1;
    if (file) {
        ReadCourseLists(file);
        found = FindCourse(key, !pack, number);
    }
    CourseList dropped = found >= 0 ? before : courseList;
    if (found < 0) {
        courseList = before;
        packs.list = packsBefore;
    }
    FreeCourseTable(&dropped);
    return found;
}

int LoadPackAsCourseList(const char* folder)
{
    FreeCourseList();
    LoadSettings();
    Candidate c = {SysCanonicalFolder(folder), LastComponent(SysCanonicalFolder(folder))};
    CoursePack pack = NewPack(c);
    ReadPack(&pack, &courseList, true);
    if (pack.problem.kind == PACK_UNREADABLE) return 0;
    pack.firstCourse = 0;
    pack.courseCount = courseList.courseCount;
    packs.list.packs.push_back(pack);
    return 1;
}

CoursePack ExaminePack(const char* folder)
{
    Candidate c = {SysCanonicalFolder(folder), LastComponent(SysCanonicalFolder(folder))};
    CoursePack pack = NewPack(c);
    CourseList table = {};
    ReadPack(&pack, &table, false);
    FreeCourseTable(&table);
    SysMakeGameFolderCurrent();
    return pack;
}
