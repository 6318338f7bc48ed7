#include "tools/check/check.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "data/text_reader.h"
#include "platform/sys.h"

namespace {

std::vector<Finding> findings;
std::vector<std::string> captured;

void Capture(const char* text) { captured.push_back(text); }
int NoKey(SysKey) { return 0; }

// English for the game's messages, found by a piece of their text.
struct Gloss {
    const char* part;
    const char* english;
};
const Gloss kGlosses[] = {
    {"フィールド番号が大きすぎます", "FIELD_NUM is outside 0 to FIELD_TOTAL - 1; the last course is filled instead"},
    {"形状が不明です", "the shape is not BOX, SPHERE or PILLAR; the obstacle becomes a box"},
    {"'course.ini'が読み込めません", "course.ini cannot be opened; the game does not start"},
    {"'def.ini'が読み込めません", "def.ini cannot be opened; every setting keeps its default and no mesh loads"},
    {"'sprite.ini'が読み込めません", "sprite.ini cannot be opened; the game does not start"},
    {"Xファイルの読み込みに失敗", "the X file cannot be loaded; that shape is not drawn"},
    {"テクスチャファイルの読み込みに失敗", "the sheet picture cannot be loaded; later sheets move up one number"},
    {"テクスチャの読み込みに失敗しました。\n", "the field texture cannot be loaded; the course cannot be raced"},
    {"テクスチャの読み込みに失敗", "a texture of the mesh cannot be loaded; that material draws untextured"},
    {"高さマップを読み込めません", "the height map cannot be read; the course cannot be raced"},
    {"地形が大きすぎます", "the terrain leaves the physics world (+-1000); the course cannot be raced"},
    {"地形のメモリが確保できません", "no memory for the terrain; the course cannot be raced"},
    {"バッファが作成できません", "the terrain's graphics buffers cannot be made"},
};

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
        if (boxText.find(g.part) != std::string::npos) return oneLine + " (" + g.english + ")";
    return oneLine;
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
    printf("%d error%s, %d warning%s\n", errors, errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s");
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
