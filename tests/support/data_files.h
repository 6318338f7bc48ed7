// Shared by the data-file tests: a throw-away folder holding everything (game,
// config and save folder, as a portable copy would) that is also
// the current folder, the messages the game shows, and writers for the
// fixtures (text in each encoding, a tiny BMP, a small X mesh).
#pragma once
#include <gtest/gtest.h>
#include <string>
#include <vector>

class DataFilesTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string dir;                     // that folder, ending in '/'
};

extern std::vector<std::string> shownMessages;   // SysErrorBox texts, in order

void WriteBytes(const std::string& name, const std::string& bytes);
std::string ReadBytes(const std::string& name);   // "" when missing
bool FileExists(const std::string& name);
// UTF-16LE with byte-order mark.
void WriteUtf16File(const std::string& name, const std::u16string& text);
std::string LittleEndianWords(const std::vector<uint32_t>& words);
// A 2 x 2 24-bit BMP.
void WriteBmp(const std::string& name);
// A text X file with one quad and one material per entry of
// `textureNames` ("" = a material without texture); material i has the
// diffuse colour (0.1 * (i + 1), 0.5, 0.25, 1) and specular (0.3, 0.2, 0.1).
void WriteXMesh(const std::string& name, const std::vector<std::string>& textureNames);
// Seeded random bytes, sometimes sprinkled with the given keys and brackets.
std::string RandomSettingText(unsigned seed, const std::vector<std::string>& keys);
