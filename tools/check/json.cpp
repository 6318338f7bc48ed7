// --json: the findings and races as one JSON document, for editors and
// scripts. Text is UTF-8 as the messages are; every string is escaped.
#include <cstdio>
#include <string>

#include "tools/check/check.h"

namespace {

std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char escape[8];
            snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string FindingJson(const Finding& f)
{
    return "{\"file\": " + Quoted(f.file) + ", \"line\": " + std::to_string(f.line) +
           ", \"severity\": " + Quoted(SeverityName(f.severity)) + ", \"message\": " + Quoted(f.message) + "}";
}

std::string RaceJson(const RaceResult& r)
{
    std::string finished = r.frames >= 0 ? "true" : "false";
    std::string time = r.frames >= 0 ? std::to_string(r.frames * 16) : "null";
    std::string par = r.parFile.empty() ? "null" : Quoted(r.parFile);
    return "{\"course\": " + std::to_string(r.course) + ", \"ballType\": " + std::to_string(r.ballType) +
           ", \"finished\": " + finished + ", \"timeMs\": " + time + ", \"parFile\": " + par + "}";
}

template <typename T, typename F>
std::string List(const std::vector<T>& items, F each)
{
    if (items.empty()) return "[]";
    std::string out = "[\n";
    for (size_t i = 0; i < items.size(); i++) out += "    " + each(items[i]) + (i + 1 < items.size() ? ",\n" : "\n");
    return out + "  ]";
}

}  // namespace

void PrintJson(const std::string& folder, bool pack, const std::vector<RaceResult>& races)
{
    std::string out = "{\n";
    out += "  \"folder\": " + Quoted(folder) + ",\n";
    out += std::string("  \"kind\": ") + (pack ? "\"pack\"" : "\"game\"") + ",\n";
    out += "  \"findings\": " + List(SortedFindings(), FindingJson) + ",\n";
    out += "  \"races\": " + List(races, RaceJson) + ",\n";
    out += "  \"errors\": " + std::to_string(CountOf(SEVERITY_ERROR)) + ",\n";
    out += "  \"warnings\": " + std::to_string(CountOf(SEVERITY_WARNING)) + ",\n";
    out += "  \"exitCode\": " + std::to_string(ExitCode()) + "\n}\n";
    fputs(out.c_str(), stdout);
}
