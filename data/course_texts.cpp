// The course names and descriptions of the language folders.
#include "data/course_texts.h"

#include <cstdio>
#include <vector>

#include "data/course_list.h"
#include "data/text_reader.h"
#include "data/texts.h"

namespace {

// What a language's file gives one course; an empty field gives nothing.
struct Translation {
    int32_t language;
    int32_t course;
    char16_t name[64];       // longer than course.ini's 31: English names run long
    char16_t document[260];
};

struct Translations {
    std::vector<Translation> entries;   // in file order, one per language and course
};
Translations texts;

const int kNoCourseYet = -1;
const int kSkippedCourse = -2;

Translation* Entry(int language, int course)
{
    for (Translation& e : texts.entries)
        if (e.language == language && e.course == course)
            return &e;
    texts.entries.push_back(Translation{language, course, {}, {}});
    return &texts.entries.back();
}

const Translation* Find(const CourseDef& course)
{
    if (!courseList.courses || &course < courseList.courses || &course >= courseList.courses + courseList.courseCount)
        return nullptr;
    const int index = int(&course - courseList.courses);
    for (const Translation& e : texts.entries)
        if (e.language == CurrentLanguage() && e.course == index)
            return &e;
    return nullptr;
}

bool Blank(const char16_t* line)
{
    for (; *line; line++)
        if (*line != u' ' && *line != u'\t' && *line != u'\r' && *line != 0x3000)
            return false;
    return true;
}

// "[n]" with digits only (blanks and a sign allowed), else false.
bool ReadNumber(const char16_t* at, int* number)
{
    char16_t value[VALUE_CHARS];
    if (!GetBracketValue(value, at))
        return false;
    bool digits = false;
    for (const char16_t* c = value; *c; c++) {
        if (*c >= u'0' && *c <= u'9')
            digits = true;
        else if (*c != u' ' && *c != u'-' && *c != u'+')
            return false;
    }
    *number = ParseInt(value);
    return digits;
}

// FIELD_NAME or DOCUMENT into the course's entry; false without "[[...]]".
bool ReadName(const char16_t* at, int language, int course, bool document)
{
    char16_t value[VALUE_CHARS];
    if (!GetNameValue(value, at))
        return false;
    Translation* e = Entry(language, course);
    if (document)
        CopyText(e->document, 260, value);
    else
        CopyText(e->name, 64, value);
    return true;
}

void ReadFile(int language)
{
    char name[64];
    CourseTextFileName(language, name, sizeof name);
    FILE* file = OpenTextFile(name);
    if (!file)
        return;
    fseek(file, 0, SEEK_END);
    const long size = ftell(file);
    fseek(file, 0, SEEK_SET);
    char16_t line[SETTING_LINE_CHARS + 1];
    int course = kNoCourseYet;
    // Unlike the classic files, an empty line does not end this one.
    while (ftell(file) < size) {
        ReadTextLine(file, line, SETTING_LINE_CHARS);
        CutAtHash(line);
        ApplyCourseTextLine(line, language, &course);
    }
    fclose(file);
}

}  // namespace

void LoadCourseTexts()
{
    FreeCourseTexts();
    for (int language = 0; language < LANGUAGE_COUNT; language++)
        ReadFile(language);
}

void FreeCourseTexts()
{
    texts = Translations{};
}

const char16_t* CourseName(const CourseDef& course)
{
    const Translation* e = Find(course);
    return e && e->name[0] ? e->name : course.FIELD_NAME;
}

const char16_t* CourseDocument(const CourseDef& course)
{
    const Translation* e = Find(course);
    return e && e->document[0] ? e->document : course.DOCUMENT;
}

void CourseTextFileName(int language, char* out, int outSize)
{
    snprintf(out, size_t(outSize), "%s/course_text.ini", LanguageFolder(language));
}

CourseTextLine ApplyCourseTextLine(const char16_t* line, int language, int* course)
{
    if (Blank(line))
        return COURSE_TEXT_NOTHING;
    const char16_t* num = FindText(line, u"FIELD_NUM:");
    const char16_t* name = FindText(line, u"FIELD_NAME:");
    const char16_t* document = FindText(line, u"DOCUMENT:");
    if (!num && !name && !document)
        return COURSE_TEXT_UNREADABLE;
    if (num) {
        int number = 0;
        if (!ReadNumber(num, &number))
            return COURSE_TEXT_UNREADABLE;
        *course = number >= 0 && number < courseList.courseCount ? number : kSkippedCourse;
        if (*course == kSkippedCourse)
            return COURSE_TEXT_NO_COURSE;
    }
    if (*course == kSkippedCourse)
        return COURSE_TEXT_NOTHING;
    if (*course == kNoCourseYet)
        return COURSE_TEXT_NO_NUMBER;
    bool read = true;
    if (name)
        read = ReadName(name, language, *course, false) && read;
    if (document)
        read = ReadName(document, language, *course, true) && read;
    return read ? COURSE_TEXT_READ : COURSE_TEXT_UNREADABLE;
}
