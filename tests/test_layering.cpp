// The folders stand on floors, and a file may include only from its own
// floor or below; the platform libraries' headers stay inside platform/.
// Reads the source tree itself, so a new include that breaks the house
// fails here before it tangles anything.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Bottom up. Folders on the same floor may include each other.
const std::map<std::string, int> kFloors = {
    {"platform", 0}, {"core", 1}, {"data", 2}, {"sensor", 2}, {"physics", 3},
    {"render", 4},   {"course", 5}, {"screens", 6}, {"app", 7}, {"tools", 8},
};

// Headers of the libraries the platform layer wraps.
const char* const kPlatformHeaders[] = {
    "SDL", "epoxy/", "GL/", "hidapi", "ft2build.h", "freetype", "fontconfig", "iconv.h",
    "png.h", "jpeglib.h", "turbojpeg.h", "squish.h", "stb_image", "vorbis", "AL/",
};

struct Include {
    std::string file;    // relative to the source root
    int line;
    std::string target;  // as written between the quotes or brackets
    bool system;         // <...>
};

std::string TopFolder(const std::string& path)
{
    return path.substr(0, path.find('/'));
}

std::vector<Include> ReadIncludes(const fs::path& root)
{
    std::vector<Include> found;
    for (const auto& [folder, floor] : kFloors) {
        if (!fs::exists(root / folder))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            std::string ext = entry.path().extension().string();
            if (ext != ".h" && ext != ".cpp" && ext != ".c")
                continue;
            std::ifstream in(entry.path());
            std::string text;
            for (int n = 1; std::getline(in, text); n++) {
                size_t at = text.find("#include");
                if (at == std::string::npos || text.find_first_not_of(" \t") != at)
                    continue;
                size_t open = text.find_first_of("\"<", at);
                size_t close = open == std::string::npos ? open : text.find_first_of("\">", open + 1);
                if (close == std::string::npos)
                    continue;
                found.push_back({fs::relative(entry.path(), root).generic_string(), n,
                                 text.substr(open + 1, close - open - 1), text[open] == '<'});
            }
        }
    }
    return found;
}

const std::vector<Include>& Includes()
{
    static const std::vector<Include> all = ReadIncludes(KESTRUNE_SOURCE_DIR);
    return all;
}

std::string Where(const Include& i)
{
    return i.file + ":" + std::to_string(i.line) + " includes " + i.target;
}

}  // namespace

// The tree was read at all: a wrong root would pass every check below.
TEST(Layering, SourceTreeIsRead)
{
    EXPECT_GT(Includes().size(), 200u);
}

// Each file includes only from its own floor or below; core includes only core.
TEST(Layering, NoFileIncludesFromAHigherFloor)
{
    for (const Include& i : Includes()) {
        if (i.system)
            continue;
        std::string from = TopFolder(i.file), to = TopFolder(i.target);
        auto target = kFloors.find(to);
        if (target == kFloors.end())
            continue;   // a file beside it, named without its folder
        EXPECT_LE(target->second, kFloors.at(from)) << Where(i);
        if (from == "core") {
            EXPECT_EQ(to, "core") << Where(i) << ": core stands on nothing of ours";
        }
    }
}

// SDL, GL, hidapi, FreeType, iconv and the picture and sound libraries are
// reached through platform/ only (the content generator is a tool of its own).
TEST(Layering, PlatformLibrariesStayInPlatform)
{
    for (const Include& i : Includes()) {
        if (!i.system || TopFolder(i.file) == "platform" || i.file.rfind("tools/", 0) == 0)
            continue;
        for (const char* header : kPlatformHeaders)
            EXPECT_NE(i.target.rfind(header, 0), 0u) << Where(i);
    }
}
