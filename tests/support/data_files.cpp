#include "support/data_files.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <unistd.h>

#include "data/texts.h"
#include "platform/paths.h"
#include "platform/sys.h"

std::vector<std::string> shownMessages;

namespace {

void CaptureMessage(const char* text)
{
    shownMessages.push_back(text);
}

}  // namespace

void DataFilesTest::SetUp()
{
    char pattern[] = "/tmp/kestrune-data-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = std::string(pattern) + "/";
    SysUseOneFolder(dir.c_str());
    ASSERT_EQ(chdir(dir.c_str()), 0);
    SysHooks hooks = {};
    hooks.errorBox = CaptureMessage;
    SysSetHooks(&hooks);
    shownMessages.clear();
    // The messages these tests pin are the Japanese ones the game has always
    // shown; a test of another language asks for it.
    SetLanguage(LANGUAGE_JAPANESE);
}

void DataFilesTest::TearDown()
{
    SysSetHooks(nullptr);
    SysUseOneFolder(nullptr);
    if (chdir("/") != 0) perror("chdir");
    std::error_code error;
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(dir, error);
}

void WriteBytes(const std::string& name, const std::string& bytes)
{
    std::filesystem::path path(name);
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    FILE* file = fopen(name.c_str(), "wb");
    ASSERT_NE(file, nullptr) << name;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

std::string ReadBytes(const std::string& name)
{
    FILE* file = fopen(name.c_str(), "rb");
    if (!file) return "";
    std::string bytes;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    fclose(file);
    return bytes;
}

bool FileExists(const std::string& name)
{
    return access(name.c_str(), F_OK) == 0;
}

void WriteUtf16File(const std::string& name, const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += char(unit & 0xFF);
        bytes += char(unit >> 8);
    }
    WriteBytes(name, bytes);
}

std::string LittleEndianWords(const std::vector<uint32_t>& words)
{
    std::string bytes;
    for (uint32_t word : words)
        for (int i = 0; i < 4; i++) bytes += char((word >> (8 * i)) & 0xFF);
    return bytes;
}

void WriteBmp(const std::string& name)
{
    // 2 x 2, 24 bits, rows padded to 8 bytes, bottom-up.
    std::string bytes = "BM";
    bytes += LittleEndianWords({70, 0, 54, 40, 2, 2});
    bytes += std::string("\x01\x00\x18\x00", 4);
    bytes += LittleEndianWords({0, 16, 2835, 2835, 0, 0});
    bytes += std::string("\x00\x00\xFF\xFF\xFF\xFF\x00\x00", 8);
    bytes += std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00", 8);
    WriteBytes(name, bytes);
}

void WriteXMesh(const std::string& name, const std::vector<std::string>& textureNames)
{
    std::string text = "xof 0303txt 0032\n";
    text += "Mesh Quad {\n 4;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 1.0;1.0;0.0;,\n 0.0;1.0;0.0;;\n";
    size_t faces = textureNames.size() < 2 ? 2 : textureNames.size();
    text += " " + std::to_string(faces) + ";\n";
    for (size_t i = 0; i < faces; i++)
        text += std::string(" 3;0,1,2;") + (i + 1 < faces ? ",\n" : ";\n");
    text += " MeshTextureCoords {\n  4;\n  0.0;0.0;,\n  1.0;0.0;,\n  1.0;1.0;,\n  0.0;1.0;;\n }\n";
    text += " MeshMaterialList {\n  " + std::to_string(textureNames.size()) + ";\n  " +
            std::to_string(faces) + ";\n";
    for (size_t i = 0; i < faces; i++) {
        size_t material = i < textureNames.size() ? i : 0;
        text += "  " + std::to_string(material) + (i + 1 < faces ? ",\n" : ";;\n");
    }
    for (size_t i = 0; i < textureNames.size(); i++) {
        char colour[160];
        snprintf(colour, sizeof colour,
                 "  Material {\n   %.1f;0.5;0.25;1.0;;\n   8.0;\n   0.3;0.2;0.1;;\n   0.0;0.0;0.0;;\n",
                 0.1 * double(i + 1));
        text += colour;
        if (!textureNames[i].empty()) text += "   TextureFilename { \"" + textureNames[i] + "\"; }\n";
        text += "  }\n";
    }
    text += " }\n}\n";
    WriteBytes(name, text);
}

std::string RandomSettingText(unsigned seed, const std::vector<std::string>& keys)
{
    std::mt19937 random(seed);
    std::string text;
    if (random() % 3 == 0) text = "\xFF\xFE";
    size_t length = random() % 3000;
    while (text.size() < length) {
        switch (random() % 6) {
        case 0: text += keys[random() % keys.size()]; break;
        case 1: text += "[" + std::to_string(int(random() % 9) - 3) + "]"; break;
        case 2: text += random() % 2 ? "[[" : "]]"; break;
        case 3: text += random() % 2 ? "\r\n" : "\n"; break;
        default:
            for (int i = random() % 16; i > 0; i--) text += char(random() & 0xFF);
        }
    }
    return text;
}
