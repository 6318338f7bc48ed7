#include "tools/check/check.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "data/text_reader.h"
#include "data/texts.h"
#include "platform/sys.h"

namespace {

std::vector<Finding> findings;
std::vector<std::string> captured;

void Capture(const char* text) { captured.push_back(text); }
int NoKey(SysKey) { return 0; }

// What each of the game's messages means for the game, in both languages.
// A message is known by its text up to the first value it shows, so the
// rows go from the longest such text to the shortest where one holds another.
struct Gloss {
    TextId message;
    const char* meaning[LANGUAGE_COUNT];
};
const Gloss kGlosses[] = {
    {TEXT_MSG_COURSE_NUMBER, {"最後のコースが埋められます", "the last course is filled instead"}},
    {TEXT_MSG_UNKNOWN_SHAPE, {"障害物は箱になります", "the obstacle becomes a box"}},
    {TEXT_MSG_TOO_MANY_COURSES, {"コースは一つもありません", "the game has no courses"}},
    {TEXT_MSG_COURSE_INI, {"ゲームは始まりません", "the game does not start"}},
    {TEXT_MSG_DEF_INI, {"設定はすべて既定のままで、メッシュは読み込まれません",
                        "every setting keeps its default and no mesh loads"}},
    {TEXT_MSG_SPRITE_INI, {"ゲームは始まりません", "the game does not start"}},
    {TEXT_MSG_MESH_FILE, {"その形は描かれません", "that shape is not drawn"}},
    {TEXT_MSG_SHEET_PICTURE, {"そのシートの絵は描かれません", "that sheet's pictures are not drawn"}},
    {TEXT_MSG_FIELD_TEXTURE, {"このコースは走れません", "the course cannot be raced"}},
    {TEXT_MSG_MESH_TEXTURE, {"その材質はテクスチャなしで描かれます", "that material draws untextured"}},
    {TEXT_MSG_HEIGHT_MAP, {"このコースは走れません", "the course cannot be raced"}},
    {TEXT_MSG_TERRAIN_TOO_BIG, {"このコースは走れません", "the course cannot be raced"}},
    {TEXT_MSG_TERRAIN_MEMORY, {"このコースは走れません", "the course cannot be raced"}},
    {TEXT_MSG_VERTEX_BUFFER, {"地形は描かれません", "the terrain is not drawn"}},
    {TEXT_MSG_INDEX_BUFFER, {"地形は描かれません", "the terrain is not drawn"}},
};

std::string FixedPart(TextId id)
{
    std::string format = Tr(id);
    return format.substr(0, format.find('%'));
}

}  // namespace

void Report(const std::string& file, int line, Severity severity, const std::string& message)
{
    findings.push_back({file, line, severity, message});
}

std::string GameMessage(const std::string& boxText)
{
    std::string oneLine = boxText;
    for (char& c : oneLine)
        if (c == '\n') c = ' ';
    for (const Gloss& g : kGlosses)
        if (boxText.find(FixedPart(g.message)) != std::string::npos)
            return oneLine + " (" + g.meaning[CurrentLanguage()] + ")";
    return oneLine;
}

int MessageLine(const std::string& boxText)
{
    std::string format = Tr(TEXT_MSG_LINE_ERROR);
    std::string before = format.substr(0, format.find("%d"));
    if (boxText.compare(0, before.size(), before) != 0) return 0;
    return atoi(boxText.c_str() + before.size());
}

std::vector<Finding> SortedFindings()
{
    // Files in the order they were checked, each from its first line down.
    std::vector<std::string> order;
    for (const Finding& f : findings)
        if (std::find(order.begin(), order.end(), f.file) == order.end()) order.push_back(f.file);
    std::vector<Finding> sorted = findings;
    std::stable_sort(sorted.begin(), sorted.end(), [&](const Finding& a, const Finding& b) {
        long fa = std::find(order.begin(), order.end(), a.file) - order.begin();
        long fb = std::find(order.begin(), order.end(), b.file) - order.begin();
        return fa != fb ? fa < fb : a.line < b.line;
    });
    return sorted;
}

const char* SeverityName(Severity severity)
{
    return severity == SEVERITY_ERROR ? "error" : severity == SEVERITY_WARNING ? "warning" : "note";
}

int CountOf(Severity severity)
{
    int n = 0;
    for (const Finding& f : findings) n += f.severity == severity;
    return n;
}

void PrintFindings(const std::string& prefix)
{
    std::string folder = prefix.empty() || prefix.back() == '/' ? prefix : prefix + "/";
    for (const Finding& f : SortedFindings()) {
        std::string file = folder + f.file;
        if (f.line > 0) printf("%s:%d: %s: %s\n", file.c_str(), f.line, SeverityName(f.severity), f.message.c_str());
        else printf("%s: %s: %s\n", file.c_str(), SeverityName(f.severity), f.message.c_str());
    }
    int errors = CountOf(SEVERITY_ERROR), warnings = CountOf(SEVERITY_WARNING);
    printf("%s", Say(CHECK_SUMMARY, errors, errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s").c_str());
}

int ExitCode()
{
    int code = 0;
    for (const Finding& f : findings) {
        if (f.severity == SEVERITY_ERROR) return 2;
        if (f.severity == SEVERITY_WARNING) code = 1;
    }
    return code;
}

void InstallMessageCapture()
{
    SysHooks hooks = {};
    hooks.errorBox = Capture;
    hooks.keyDown = NoKey;
    SysSetHooks(&hooks);
}

std::vector<std::string> TakeMessages()
{
    std::vector<std::string> out;
    out.swap(captured);
    return out;
}

TextLines ReadLines(const char* name)
{
    TextLines text = {};
    FILE* file = OpenTextFile(name);
    if (!file) return text;
    text.opened = true;
    char16_t line[SETTING_LINE_CHARS + 1];
    while (ReadTextLine(file, line, SETTING_LINE_CHARS) != 0) text.lines.push_back(line);
    // The loaders stop at the first empty line; say so when more follows.
    long stop = ftell(file);
    fseek(file, 0, SEEK_END);
    long size = ftell(file);
    fseek(file, stop, SEEK_SET);
    while (ftell(file) < size) {
        int got = ReadTextLine(file, line, SETTING_LINE_CHARS);
        bool blank = true;
        for (int k = 0; k < got; k++) blank = blank && (line[k] == u' ' || line[k] == u'\r' || line[k] == u'\t');
        if (!blank) {
            text.endedAt = int(text.lines.size()) + 1;
            break;
        }
    }
    fclose(file);
    return text;
}

std::u16string Uncommented(const std::u16string& line)
{
    char16_t buffer[SETTING_LINE_CHARS + 1];
    CopyText(buffer, sizeof buffer / sizeof buffer[0], line.c_str());
    CutAtHash(buffer);
    return buffer;
}

std::string Utf8(const std::u16string& text)
{
    char buffer[4 * SETTING_LINE_CHARS + 4];
    Utf16ToUtf8(text.c_str(), buffer, sizeof buffer);
    return buffer;
}
