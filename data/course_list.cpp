// "course.ini": the table of courses with their files, scales, start, goal
// and obstacles. Reading it also reads "def.ini" and, last, the best times.
#include "data/course_list.h"

#include <cstdio>
#include <cstdlib>

#include "data/course_texts.h"
#include "data/save_files.h"
#include "data/settings.h"
#include "data/text_reader.h"
#include "data/texts.h"
#include "platform/sys.h"

CourseList courseList;

namespace {

// Where the reader stands in the file.
struct CourseReader {
    bool tableMade;     // FIELD_TOTAL has been read
    int current;        // course the keys fill
    int lineNumber;     // from 1, for messages
};

void ShowLineError(const char* text, int lineNumber)
{
    char message[256];
    snprintf(message, sizeof message, Tr(TEXT_MSG_LINE_ERROR), lineNumber, text);
    SysErrorBox(message);
}

// A negative count is an empty table; so is one too big to allocate. A count
// past any real course list is refused outright: each record is about 1.7 KB
// and zero-filled, so one number could otherwise claim gigabytes.
void MakeTable(const char16_t* at, int lineNumber)
{
    char16_t value[VALUE_CHARS];
    GetBracketValue(value, at);
    int count = ParseInt(value);
    if (count > MAX_COURSES) {
        ShowLineError(Tr(TEXT_MSG_TOO_MANY_COURSES), lineNumber);
        return;
    }
    if (count <= 0) return;
    courseList.courses = (CourseDef*)calloc((size_t)count, sizeof(CourseDef));
    if (courseList.courses) courseList.courseCount = count;
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
    if (number < 0 || number >= courseList.courseCount) {
        ShowLineError(Tr(TEXT_MSG_COURSE_NUMBER), reader->lineNumber);
        number = courseList.courseCount - 1;
    }
    reader->current = number;
    courseList.courses[number].SELECT_SCALING = 1.0f;
}

int ReadShape(const char16_t** at, int lineNumber)
{
    char16_t value[VALUE_CHARS];
    *at = GetBracketValue(value, *at);
    if (FindText(value, u"BOX")) return SHAPE_BOX;
    if (FindText(value, u"SPHERE")) return SHAPE_SPHERE;
    if (FindText(value, u"PILLAR")) return SHAPE_PILLAR;
    ShowLineError(Tr(TEXT_MSG_UNKNOWN_SHAPE), lineNumber);
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

void ReadObstacle(const char16_t* at, CourseDef* course, int lineNumber)
{
    ObstacleDef* obstacle = (ObstacleDef*)calloc(1, sizeof(ObstacleDef));
    if (!obstacle) return;
    obstacle->shape = ReadShape(&at, lineNumber);
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
    CourseDef* course = &courseList.courses[reader->current];
    if ((at = FindText(line, u"FIELD_NAME:"))) ReadName(at, course->FIELD_NAME, 32);
    if ((at = FindText(line, u"HEIGHT_MAP:"))) ReadName(at, course->HEIGHT_MAP, 260);
    if ((at = FindText(line, u"FIELD_TEXTURE:"))) ReadName(at, course->FIELD_TEXTURE, 260);
    if ((at = FindText(line, u"DOCUMENT:"))) ReadName(at, course->DOCUMENT, 260);
    if ((at = FindText(line, u"MAP_HEIGHT:"))) course->MAP_HEIGHT = ReadFloat(&at);
    if ((at = FindText(line, u"GRID_SIZE:"))) course->GRID_SIZE = ReadFloat(&at);
    if ((at = FindText(line, u"SELECT_SCALING:"))) course->SELECT_SCALING = ReadFloat(&at);
    if ((at = FindText(line, u"START:"))) ReadVector(&at, course->START);
    if ((at = FindText(line, u"GOAL:"))) ReadGoal(at, course);
    if ((at = FindText(line, u"OBJECT:"))) ReadObstacle(at, course, reader->lineNumber);
}

void ApplyLine(char16_t* line, CourseReader* reader)
{
    CutAtHash(line);
    if (!reader->tableMade) {
        const char16_t* at = FindText(line, u"FIELD_TOTAL:");
        if (at) {
            MakeTable(at, reader->lineNumber);
            reader->tableMade = true;
        }
        return;
    }
    if (reader->current < courseList.courseCount) ApplyCourseKeys(line, reader);
}

}  // namespace

int LoadCourseList()
{
    FreeCourseList();
    FILE* file = OpenTextFile("course.ini");
    if (!file) {
        SysErrorBox(Tr(TEXT_MSG_COURSE_INI));
        return 0;
    }
    LoadSettings();
    CourseReader reader = {};
    char16_t line[SETTING_LINE_CHARS + 1];
    while (ReadTextLine(file, line, SETTING_LINE_CHARS) != 0) {
        reader.lineNumber++;
        ApplyLine(line, &reader);
    }
    fclose(file);
    LoadCourseTexts();
    LoadBestTimes();
    return 1;
}

void FreeCourseList()
{
    for (int i = 0; i < courseList.courseCount; i++) {
        ObstacleDef* obstacle = courseList.courses[i].firstObstacle;
        while (obstacle) {
            ObstacleDef* next = obstacle->next;
            free(obstacle);
            obstacle = next;
        }
        courseList.courses[i].firstObstacle = nullptr;
        courseList.courses[i].lastObstacle = nullptr;
    }
    free(courseList.courses);
    courseList = {};
    FreeCourseTexts();
}

Vec3 CoursePoint(const float fraction[3], int nx, int nz, float gridSize, float mapHeight)
{
    float w = nx * gridSize;
    float h = nz * gridSize;
    return { w * (1 - fraction[0]) - w / 2, fraction[1] * mapHeight, h * fraction[2] - h / 2 };
}
