// kestrune-content: writes the game's data set (settings, course list,
// sprite sheets, meshes, height maps, textures, course texts, sound effects
// and music) into the folder given on the command line, and with a second
// folder the launcher icons into it. The output depends on nothing but this
// program and the installed font, so every build writes the same files.
#include <cstdio>
#include <cstring>
#include <iconv.h>

#include "canvas.h"
#include "content.h"

std::string Utf16leWithBom(const std::string& utf8)
{
    std::string out = "\xFF\xFE";
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = utf8[i];
        int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        uint32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k < n && i + k < utf8.size(); ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            uint32_t hi = 0xD800 + (cp >> 10), lo = 0xDC00 + (cp & 0x3FF);
            out += static_cast<char>(hi & 255); out += static_cast<char>(hi >> 8);
            out += static_cast<char>(lo & 255); out += static_cast<char>(lo >> 8);
        } else {
            out += static_cast<char>(cp & 255); out += static_cast<char>(cp >> 8);
        }
    }
    return out;
}

std::string Cp932(const std::string& utf8)
{
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out(utf8.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size(), outLeft = out.size();
    char* dst = out.data();
    size_t r = iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1) || inLeft != 0) return {};
    out.resize(out.size() - outLeft);
    return out;
}

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        fprintf(stderr, "usage: kestrune-content GAME_FOLDER [ICON_FOLDER]\n");
        return 2;
    }
    std::string dir = argv[1];
    if (!MakeFolder(dir)) {
        fprintf(stderr, "kestrune-content: cannot make %s\n", dir.c_str());
        return 1;
    }
    if (!WriteSprites(dir) || !WriteSettings(dir) || !WriteCourses(dir) || !WriteSounds(dir)) {
        fprintf(stderr, "kestrune-content: writing the data set into %s failed\n", dir.c_str());
        return 1;
    }
    if (argc == 3 && (!MakeFolder(argv[2]) || !WriteIcons(argv[2]))) {
        fprintf(stderr, "kestrune-content: writing the icons into %s failed\n", argv[2]);
        return 1;
    }
    return 0;
}
