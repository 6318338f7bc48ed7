#include "data/par.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "data/course_list.h"
#include "data/course_packs.h"
#include "data/extras.h"
#include "data/ghost_file.h"
#include "data/save_files.h"
#include "data/text_reader.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/sys.h"

namespace {

// Silver and bronze as a share of par: 3/2 and 2/1.
const uint32_t kSilverNumerator = 3, kSilverDenominator = 2;
const uint32_t kBronzeNumerator = 2, kBronzeDenominator = 1;
// No race lasts longer than the clock shows (99:59.999).
const uint32_t kLongestParMs = 99 * 60000 + 59999;

int reportedWrite;   // a par file could not be written, and it was said

uint32_t Share(uint32_t parMs, uint32_t numerator, uint32_t denominator)
{
    return uint32_t(uint64_t(parMs) * numerator / denominator);
}

int Digits(const char16_t* text, int count, uint32_t* value)
{
    *value = 0;
    for (int i = 0; i < count; i++) {
        if (text[i] < u'0' || text[i] > u'9') return 0;
        *value = *value * 10 + uint32_t(text[i] - u'0');
    }
    return 1;
}

// "m:ss.sss" exactly (minutes one or two digits); 0 when it is not.
int ParseParTime(const char16_t* text, uint32_t* ms)
{
    size_t length = TextLength(text);
    if (length != 8 && length != 9) return 0;
    int m = int(length) - 7;   // minute digits
    uint32_t minutes, seconds, thousandths;
    if (!Digits(text, m, &minutes) || text[m] != u':' || !Digits(text + m + 1, 2, &seconds) ||
        text[m + 3] != u'.' || !Digits(text + m + 4, 3, &thousandths) || seconds > 59)
        return 0;
    *ms = minutes * 60000 + seconds * 1000 + thousandths;
    return 1;
}

// The par's line, the comment cut; the reason when the file has none usable.
const char* ReadParLine(FILE* file, uint32_t* parMs)
{
    char16_t line[SETTING_LINE_CHARS + 1];
    while (ReadTextLine(file, line, SETTING_LINE_CHARS) != 0) {
        CutAtHash(line);
        const char16_t* at = FindText(line, u"PAR:");
        if (!at) continue;
        char16_t value[VALUE_CHARS];
        if (!GetBracketValue(value, at) || !ParseParTime(value, parMs))
            return "PAR is not a time like [0:17.536]";
        return *parMs == 0 || *parMs > kLongestParMs ? "PAR is outside 0:00.001 to 99:59.999" : nullptr;
    }
    return "no PAR:[m:ss.sss] line";
}

}  // namespace

int MedalFor(uint32_t timeMs, uint32_t parMs)
{
    if (timeMs == 0 || parMs == 0) return MEDAL_NONE;
    for (int medal = MEDAL_GOLD; medal > MEDAL_NONE; medal--)
        if (timeMs <= MedalLimitMs(medal, parMs)) return medal;
    return MEDAL_NONE;
}

uint32_t MedalLimitMs(int medal, uint32_t parMs)
{
    switch (medal) {
    case MEDAL_GOLD: return parMs;
    case MEDAL_SILVER: return Share(parMs, kSilverNumerator, kSilverDenominator);
    case MEDAL_BRONZE: return Share(parMs, kBronzeNumerator, kBronzeDenominator);
    default: return 0;
    }
}

const char* ParFolder(int course)
{
    const CoursePack* pack = PackOfCourse(course);
    return pack ? pack->folder.c_str() : SysGameFolder();
}

void ParFileName(int number, char* out, size_t outSize)
{
    snprintf(out, outSize, "par/course%d.par", number);
}

void ParGhostFileName(int number, char* out, size_t outSize)
{
    snprintf(out, outSize, "par/course%d.gho", number);
}

int ReadParFile(int course, uint32_t* parMs)
{
    char name[64];
    ParFileName(CourseNumberInPack(course), name, sizeof name);
    FILE* file = OpenTextFile((ParFolder(course) + std::string(name)).c_str());
    if (!file) return 0;
    uint32_t read = 0;
    const char* problem = ReadParLine(file, &read);
    fclose(file);
    if (problem) {
        fprintf(stderr, "Kestrune: par file %s%s ignored (no medals on that course): %s\n", ParFolder(course), name,
                problem);
        return 0;
    }
    *parMs = read;
    return 1;
}

void LoadParTimes()
{
    for (int i = 0; i < courseList.courseCount; i++) {
        uint32_t par = 0;
        courseList.courses[i].parTimeMs = ReadParFile(i, &par) ? par : 0;
    }
}

int WriteParFile(const char* folder, int number, uint32_t parMs)
{
    if (parMs == 0 || parMs > kLongestParMs) return 0;
    char name[64], text[160];
    ParFileName(number, name, sizeof name);
    int length = snprintf(text, sizeof text,
                          "# Par of course %d: the autopilot's time (written by kestrune-check).\r\n"
                          "PAR:[%u:%02u.%03u]\r\n",
                          number, parMs / 60000, parMs / 1000 % 60, parMs % 1000);
    // When the folder cannot be made, the write says why.
    SysMakeFolder((folder + std::string("par")).c_str());
    return WriteSaveFile(folder, name, text, size_t(length), &reportedWrite);
}

MedalCounts CountMedals()
{
    MedalCounts counts = {0, 0, 0};
    for (int i = 0; i < courseList.courseCount; i++) {
        const CourseDef& c = courseList.courses[i];
        switch (MedalFor(c.bestTimeMs, c.parTimeMs)) {
        case MEDAL_GOLD: counts.gold++; break;
        case MEDAL_SILVER: counts.silver++; break;
        case MEDAL_BRONZE: counts.bronze++; break;
        default: break;
        }
    }
    return counts;
}

int PeekRacedGhost(int course, int choice, uint32_t* timeMs, bool* isPar)
{
    if (choice == GHOST_NONE) return 0;
    uint64_t hash = CourseHash(course);
    char name[64];
    GhostFileName(course, name, sizeof name);
    *isPar = false;
    if (choice == GHOST_BEST && PeekGhostFile(SysSaveFolder(), name, course, hash, timeMs)) return 1;
    ParGhostFileName(CourseNumberInPack(course), name, sizeof name);
    *isPar = true;
    return PeekGhostFile(ParFolder(course), name, course, hash, timeMs);
}
