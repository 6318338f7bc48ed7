#include "data/config_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/paths.h"

namespace {

// Where config.sav lives.
const char* ConfigFolder()
{
    return SysConfigFolder();
}

}  // namespace

std::string ConfigFilePath(const char* name)
{
    return std::string(ConfigFolder()) + name;
}

int ReadConfigFile(const char* name, std::string* text)
{
    text->clear();
    if (!ConfigFolder()[0])
        return 0;   // no home, so no player's folder: nothing was kept
    std::string path = ConfigFilePath(name);
    FILE* file = SysOpenFile(path.c_str(), "rb");
    if (!file)
        return 0;
    char chunk[4096];
    size_t n;
    while (text->size() <= kConfigFileLimit && (n = fread(chunk, 1, sizeof chunk, file)) > 0)
        text->append(chunk, n);
    int res = ferror(file) ? 0 : 1;
    fclose(file);
    // No file of ours comes near the limit; one past it (or a link to an
    // endless device) would only fill the memory.
    if (res && text->size() > kConfigFileLimit) {
        fprintf(stderr, "Kestrune: %s is over %zu bytes, which no file of the game's is; it is not read\n",
                path.c_str(), kConfigFileLimit);
        res = 0;
    }
    if (!res)
        text->clear();
    return res;
}

// Never the bare name: without a config folder the file would land in the
// current folder, the game's own.
int WriteConfigFile(const char* name, const std::string& text, int* reported)
{
    std::string path = ConfigFilePath(name);
    if (ConfigFolder()[0] && SysReplaceFile(path.c_str(), text.data(), text.size()))
        return 1;
    int reason = ConfigFolder()[0] ? errno : ENOENT;
    if (!*reported)
        fprintf(stderr, "Kestrune: cannot save %s: %s (the game goes on, but this is not kept)\n",
                path.c_str(), strerror(reason));
    *reported = 1;
    return 0;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string TrimBlanks(const std::string& s)
{
    size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

void ReportProblems(const std::string& problems)
{
    for (const std::string& line : SplitLines(problems))
        fprintf(stderr, "Kestrune: %s\n", line.c_str());
}

std::string Quoted(const std::string& s)
{
    const size_t kShown = 40;
    if (s.size() <= kShown)
        return "\"" + s + "\"";
    size_t cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
        cut--;   // not inside a UTF-8 sequence
    return "\"" + s.substr(0, cut) + "...\"";
}
