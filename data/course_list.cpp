// "course.ini": the table of courses with their files, scales, start, goal
// and obstacles. Reading it also reads "def.ini", then the course packs, and,
// last, the best times and the par times.
#include "data/course_list.h"

#include <cstdio>
#include <cstdlib>

#include "data/course_list_local.h"
#include "data/course_texts.h"
#include "data/par.h"
#include "data/save_files.h"
#include "data/settings.h"
#include "data/text_reader.h"
#include "data/texts.h"
#include "platform/sys.h"

CourseList courseList;

namespace {

void ShowLineError(const char* text, int lineNumber)
{
    char message[256];
    snprintf(message, sizeof message, Tr(TEXT_MSG_LINE_ERROR), lineNumber, text);
    SysErrorBox(message);
}

const TextId kLineErrorTexts[] = {TEXT_MSG_TOO_MANY_COURSES, TEXT_MSG_COURSE_NUMBER, TEXT_MSG_UNKNOWN_SHAPE};

// The game's own list shows each mistake in a box as it reads it; a pack's
// first mistake is why the pack is skipped.
void LineError(CourseTableRead* read, int error, int lineNumber)
{
    if (read->showBoxes) ShowLineError(Tr(kLineErrorTexts[error]), lineNumber);
    if (read->firstError < 0) {
        read->firstError = error;
        read->firstErrorLine = lineNumber;
    }
}

// Where the reader stands in the file.
struct CourseReader {
    CourseList* table;      // the table the file fills
    CourseTableRead* read;  // mistakes and the pack's name
    bool tableMade;         // FIELD_TOTAL has been read
    int current;            // course the keys fill
    int lineNumber;         // from 1, for messages
};

// A negative count is an empty table; so is one too big to allocate. A count
// past any real course list is refused outright: each record is about 1.7 KB
// and zero-filled, so one number could otherwise claim gigabytes.
void MakeTable(const char16_t* at, CourseReader* reader)
{
    char16_t value[VALUE_CHARS];
    GetBracketValue(value, at);
    int count = ParseInt(value);
    if (count > MAX_COURSES) {
        LineError(reader->read, COURSE_LINE_TOO_MANY, reader->lineNumber);
        return;
    }
    if (count <= 0) return;
    reader->table->courses = (CourseDef*)calloc((size_t)count, sizeof(CourseDef));
    if (reader->table->courses) reader->table->courseCount = count;
}

float ReadFloat(const char16_t** at)
{
    char16_t value[VALUE_CHARS];
    *at = GetBracketValue(value, *at);
    return ParseReal(value);
}

void ReadVector(const char16_t** at, float out[3])
{
    char16_t value[VALUE_CHARS];
    *at = GetBracketValue(value, *at);
    ParseVector3(value, out);
}

void SelectCourse(const char16_t* at, CourseReader* reader)
{
    char16_t value[VALUE_CHARS];
    GetBracketValue(value, at);
    int number = ParseInt(value);
    int count = reader->table->courseCount;
    if (number < 0 || number >= count) {
        LineError(reader->read, COURSE_LINE_BAD_NUMBER, reader->lineNumber);
        number = count - 1;
    }
    reader->current = number;
    reader->table->courses[number].SELECT_SCALING = 1.0f;
}

int ReadShape(const char16_t** at, CourseReader* reader)
{
    char16_t value[VALUE_CHARS];
    *at = GetBracketValue(value, *at);
    if (FindText(value, u"BOX")) return SHAPE_BOX;
    if (FindText(value, u"SPHERE")) return SHAPE_SPHERE;
    if (FindText(value, u"PILLAR")) return SHAPE_PILLAR;
    LineError(reader->read, COURSE_LINE_BAD_SHAPE, reader->lineNumber);
    return SHAPE_BOX;
}

// Angles come in degrees and are turned into radians in two float steps,
// the way every course has always been converted.
float ToRadians(float degrees)
{
    float scaled = degrees * 0.0055555557f;
    return scaled * 3.1415925f;
}

void AppendObstacle(CourseDef* course, ObstacleDef* obstacle)
{
    obstacle->prev = course->lastObstacle;
    if (course->lastObstacle) course->lastObstacle->next = obstacle;
    else course->firstObstacle = obstacle;
    course->lastObstacle = obstacle;
}

void ReadObstacle(const char16_t* at, CourseDef* course, CourseReader* reader)
{
    ObstacleDef* obstacle = (ObstacleDef*)calloc(1, sizeof(ObstacleDef));
    if (!obstacle) return;
    obstacle->shape = ReadShape(&at, reader);
    ReadVector(&at, obstacle->size);
    ReadVector(&at, obstacle->position);
    ReadVector(&at, obstacle->rotation);
    for (float& angle : obstacle->rotation) angle = ToRadians(angle);
    obstacle->weight = ReadFloat(&at);
    char16_t value[VALUE_CHARS];
    GetBracketValue(value, at);
    obstacle->material = ParseInt(value);
    AppendObstacle(course, obstacle);
}

// Double-bracket values, cut at the field's capacity.
void ReadName(const char16_t* at, char16_t* field, size_t capacity)
{
    char16_t value[VALUE_CHARS];
    GetNameValue(value, at);
    CopyText(field, capacity, value);
}

void ReadGoal(const char16_t* at, CourseDef* course)
{
    for (float& edge : course->GOAL) edge = ReadFloat(&at);
}

void ApplyCourseKeys(const char16_t* line, CourseReader* reader)
{
    const char16_t* at = FindText(line, u"FIELD_NUM:");
    if (at) SelectCourse(at, reader);
    CourseDef* course = &reader->table->courses[reader->current];
    if ((at = FindText(line, u"FIELD_NAME:"))) ReadName(at, course->FIELD_NAME, 32);
    if ((at = FindText(line, u"HEIGHT_MAP:"))) ReadName(at, course->HEIGHT_MAP, 260);
    if ((at = FindText(line, u"FIELD_TEXTURE:"))) ReadName(at, course->FIELD_TEXTURE, 260);
    if ((at = FindText(line, u"DOCUMENT:"))) ReadName(at, course->DOCUMENT, 260);
    if ((at = FindText(line, u"MAP_HEIGHT:"))) course->MAP_HEIGHT = ReadFloat(&at);
    if ((at = FindText(line, u"GRID_SIZE:"))) course->GRID_SIZE = ReadFloat(&at);
    if ((at = FindText(line, u"SELECT_SCALING:"))) course->SELECT_SCALING = ReadFloat(&at);
    if ((at = FindText(line, u"START:"))) ReadVector(&at, course->START);
    if ((at = FindText(line, u"GOAL:"))) ReadGoal(at, course);
    if ((at = FindText(line, u"OBJECT:"))) ReadObstacle(at, course, reader);
}

// A pack names itself in a comment, which the game's own list ignores like
// any other: "# PACK_NAME:[[Mountain roads]]".
void ReadPackName(const char16_t* line, CourseTableRead* read)
{
    const char16_t* hash = FindText(line, u"#");
    const char16_t* at = hash ? FindText(hash, u"PACK_NAME:") : nullptr;
    if (at && !read->packName[0]) ReadName(at, read->packName, sizeof read->packName / sizeof read->packName[0]);
}

void ApplyLine(char16_t* line, CourseReader* reader)
{
    ReadPackName(line, reader->read);
    CutAtHash(line);
    if (!reader->tableMade) {
        const char16_t* at = FindText(line, u"FIELD_TOTAL:");
        if (at) {
            MakeTable(at, reader);
            reader->tableMade = true;
        }
        return;
    }
    if (reader->current < reader->table->courseCount) ApplyCourseKeys(line, reader);
}

}  // namespace

void ReadCourseTable(FILE* file, CourseList* table, CourseTableRead* read)
{
    *table = {};
    read->firstError = -1;
    read->firstErrorLine = 0;
    read->packName[0] = 0;
    CourseReader reader = {table, read, false, 0, 0};
    char16_t line[SETTING_LINE_CHARS + 1];
    while (ReadTextLine(file, line, SETTING_LINE_CHARS) != 0) {
        reader.lineNumber++;
        ApplyLine(line, &reader);
    }
}

void FreeCourseTable(CourseList* table)
{
    for (int i = 0; i < table->courseCount; i++) {
        ObstacleDef* obstacle = table->courses[i].firstObstacle;
        while (obstacle) {
            ObstacleDef* next = obstacle->next;
            free(obstacle);
            obstacle = next;
        }
        table->courses[i].firstObstacle = nullptr;
        table->courses[i].lastObstacle = nullptr;
    }
    free(table->courses);
    *table = {};
}

int LoadCourseList()
{
    FreeCourseList();
    FILE* file = OpenTextFile("course.ini");
    if (!file) {
        SysErrorBox(Tr(TEXT_MSG_COURSE_INI));
        return 0;
    }
    LoadSettings();
    ReadCourseLists(file);
    return 1;
}

void ReadCourseLists(FILE* ownList)
{
    CourseTableRead read = {};
    read.showBoxes = true;
    ReadCourseTable(ownList, &courseList, &read);
    fclose(ownList);
    // Translations name the game's own courses by number, so they are read
    // before the packs' courses follow them.
    LoadCourseTexts();
    AppendCoursePacks();
    LoadBestTimes();
    LoadParTimes();
}

void FreeCourseList()
{
    FreeCourseTable(&courseList);
    ForgetCoursePacks();
    FreeCourseTexts();
}

Vec3 CoursePoint(const float fraction[3], int nx, int nz, float gridSize, float mapHeight)
{
    float w = nx * gridSize;
    float h = nz * gridSize;
    return { w * (1 - fraction[0]) - w / 2, fraction[1] * mapHeight, h * fraction[2] - h / 2 };
}
