// Reading the command line and acting on it: one table row per option, each
// with the function that takes its value.
#include "app/command_line.h"

#include <cstdlib>
#include <cstring>

#include "app/version.h"
#include "data/course_list.h"
#include "data/course_packs.h"
#include "data/texts.h"
#include "platform/files.h"
#include "platform/sys.h"
#include "screens/screens.h"

namespace {

using TakeOption = int (*)(const char* value, CommandLine* out, std::string* error);

struct OptionRow {
    const char* name;       // as typed, with its dashes
    const char* valueName;  // "" for an option without a value
    const char* help;       // the usage line's text
    TakeOption take;
};

int TakeHelp(const char*, CommandLine* out, std::string*) { out->help = 1; return 1; }
int TakeVersion(const char*, CommandLine* out, std::string*) { out->version = 1; return 1; }
int TakeFullscreen(const char*, CommandLine* out, std::string*) { out->fullscreen = 1; return 1; }
int TakeWindowed(const char*, CommandLine* out, std::string*) { out->fullscreen = 0; return 1; }

bool IsNumber(const std::string& text)
{
    return !text.empty() && text.size() <= 6 && text.find_first_not_of("0123456789") == std::string::npos;
}

bool IsPack(const std::string& folder)
{
    char path[4200];
    return SysIsFolder(folder.c_str()) && SysResolvePath((folder + "/course.ini").c_str(), path, sizeof path);
}

int TakeCourse(const char* value, CommandLine* out, std::string* error)
{
    return ParseCourseChoice(value, &out->course, error);
}

int TakeData(const char* value, CommandLine* out, std::string* error)
{
    if (!SysIsFolder(value)) {
        *error = std::string("--data: '") + value + "' is not a folder";
        return 0;
    }
    out->data = value;
    return 1;
}

const OptionRow kOptions[] = {
    {"--fullscreen", "", "start in fullscreen (F11 or Alt+Enter switches)", TakeFullscreen},
    {"--windowed", "", "start in a window (the default)", TakeWindowed},
    {"--course", "N|DIR[:N]",
     "start at course N's intro, or at course N (0 when left out) of the course pack in\n"
     "                     the folder DIR; the race menus lead on to course select", TakeCourse},
    {"--data", "DIR", "play the game folder DIR (def.ini, course.ini, sprite.ini) instead", TakeData},
    {"--help", "", "show this help and end", TakeHelp},
    {"--version", "", "show the version and end", TakeVersion},
};

const OptionRow* FindOption(const std::string& name)
{
    for (const OptionRow& row : kOptions) {
        if (name == row.name || (name == "-h" && row.take == TakeHelp)) return &row;
    }
    return nullptr;
}

// One argument, with its value from "--name=value" or the next argument.
int TakeArgument(int argc, const char* const* argv, int* at, CommandLine* out, std::string* error)
{
    std::string arg = argv[*at];
    size_t equals = arg.find('=');
    std::string name = arg.substr(0, equals);
    const OptionRow* row = arg.compare(0, 1, "-") == 0 ? FindOption(name) : nullptr;
    if (!row) {
        *error = "unknown option '" + arg + "'";
        return 0;
    }
    if (!row->valueName[0]) {
        if (equals == std::string::npos) return row->take(nullptr, out, error);
        *error = name + " takes no value";
        return 0;
    }
    if (equals != std::string::npos) return row->take(arg.c_str() + equals + 1, out, error);
    if (*at + 1 >= argc) {
        *error = name + " needs a value (" + row->valueName + ")";
        return 0;
    }
    return row->take(argv[++*at], out, error);
}

int CourseCount()
{
    return courseList.courses ? OwnCourseCount() : 0;
}

int StartAtPackCourse(const CourseChoice& choice)
{
    // Found as listed: the folder was named relative to where the game started.
    const CoursePack* pack = CommandLinePack();
    const char* dir = choice.pack.c_str();
    if (!pack) {
        fprintf(stderr, "kestrune: --course %s: the pack was not read\n", dir);
    } else if (pack->problem.kind != PACK_OK) {
        fprintf(stderr, "kestrune: --course %s: %s\n", dir, PackProblemText(*pack, LANGUAGE_ENGLISH).c_str());
    } else if (choice.number >= pack->courseCount) {
        fprintf(stderr, "kestrune: --course %s:%d: the pack has no such course (its courses are numbered 0 to %d)\n",
                dir, choice.number, pack->courseCount - 1);
    } else {
        StartAtCourse(pack->firstCourse + choice.number);
        return 1;
    }
    return 0;
}

}  // namespace

int ParseCourseChoice(const char* value, CourseChoice* out, std::string* error)
{
    std::string text = value;
    size_t colon = text.rfind(':');
    std::string folder = text, number = "0";
    if (!IsPack(text) && colon != std::string::npos && IsNumber(text.substr(colon + 1))) {
        folder = text.substr(0, colon);
        number = text.substr(colon + 1);
    }
    if (IsNumber(text)) {
        out->number = atoi(value);
        out->pack.clear();
    } else if (IsPack(folder)) {
        out->number = atoi(number.c_str());
        out->pack = folder;
    } else {
        *error = std::string("--course: '") + value + "' is not a course number, nor a folder holding a course.ini";
        return 0;
    }
    return 1;
}

int ParseCommandLine(int argc, const char* const* argv, CommandLine* out, std::string* error)
{
    *out = CommandLine{};
    out->fullscreen = -1;
    out->course.number = -1;
    for (int at = 1; at < argc; at++) {
        if (!TakeArgument(argc, argv, &at, out, error)) return 0;
    }
    return 1;
}

void PrintUsage(FILE* to)
{
    fprintf(to, "Usage: kestrune [OPTION]...\n"
                "Tilt the board (or use the arrow keys or a gamepad) to roll a ball into the goal.\n\n");
    for (const OptionRow& row : kOptions) {
        std::string left = std::string(row.name) + (row.valueName[0] ? " " : "") + row.valueName;
        fprintf(to, "  %-18s %s\n", left.c_str(), row.help);
    }
    fprintf(to, "\nOptions are kept in ~/.config/kestrune/, records and ghosts in ~/.local/share/kestrune/\n"
                "(or where XDG_CONFIG_HOME and XDG_DATA_HOME say); course packs go in folders of their own\n"
                "in ~/.local/share/kestrune/courses/. See kestrune(6).\n");
}

int HandleCommandLine(int argc, const char* const* argv, CommandLine* out, int* code)
{
    std::string error;
    if (!ParseCommandLine(argc, argv, out, &error)) {
        fprintf(stderr, "kestrune: %s\n", error.c_str());
        PrintUsage(stderr);
        *code = 2;
        return 0;
    }
    *code = 0;
    if (out->help) PrintUsage(stdout);
    else if (out->version) printf("Kestrune %s\n", kGameVersion);
    return !out->help && !out->version;
}

void ListCommandLinePack(const CommandLine& options)
{
    SetCommandLinePack(options.course.pack.c_str());
}

int ApplyCommandLine(const CommandLine& options)
{
    if (options.fullscreen >= 0 && SysIsFullscreen() != options.fullscreen) SysToggleFullscreen();
    int course = options.course.number;
    if (course < 0) return 1;
    if (!options.course.pack.empty()) return StartAtPackCourse(options.course);
    if (course >= CourseCount() || !courseList.courses[course].HEIGHT_MAP[0]) {
        fprintf(stderr, "kestrune: --course %d: the game folder has no such course (its courses are numbered 0 to %d)\n",
                course, CourseCount() - 1);
        return 0;
    }
    StartAtCourse(course);
    return 1;
}

void SayNoDisplay()
{
    // Before any save is read: the locale alone chooses the language.
    fprintf(stderr, "%s\n", TrIn(TEXT_NO_DISPLAY, SystemLanguage()));
}
