// The text reader: encodings, byte positions, value extractors, numbers,
// path lookup and conversions.
#include <climits>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "data/text_reader.h"
#include "platform/files.h"
#include "support/data_files.h"

namespace {

using TextReaderTest = DataFilesTest;

std::vector<std::u16string> ReadAllLines(const char* name, int maxChars = SETTING_LINE_CHARS)
{
    std::vector<std::u16string> lines;
    FILE* file = OpenTextFile(name);
    if (!file) return lines;
    char16_t line[TEXT_LINE_LIMIT + 1];
    for (int guard = 0; guard < 100000; guard++) {
        int count = ReadTextLine(file, line, maxChars);
        if (count == 0) break;
        lines.push_back(std::u16string(line, (size_t)count));
    }
    fclose(file);
    return lines;
}

// "一行目" and "表\" in UTF-8 and in CP932 (表 is 0x95 0x5C: its second byte
// is a backslash).
const char kUtf8Text[] = "\xE4\xB8\x80\xE8\xA1\x8C\xE7\x9B\xAE\r\n\xE8\xA1\xA8\\x\r\nend";
const char kCp932Text[] = "\x88\xEA\x8D\x73\x96\xDA\r\n\x95\x5C\\x\r\nend";
const std::vector<std::u16string> kExpected = {u"一行目\r", u"表\\x\r", u"end"};

}  // namespace

// UTF-16LE with byte-order mark: the mark is dropped, the CR stays, each line starts right after the LF.
TEST_F(TextReaderTest, Utf16LinesKeepCrAndDropMark)
{
    WriteUtf16File("a.txt", u"一行目\r\n表\\x\r\nend");
    EXPECT_EQ(ReadAllLines("a.txt"), kExpected);
}

// Narrow files in UTF-8 and in CP932 give the same lines as UTF-16.
TEST_F(TextReaderTest, NarrowEncodingsGiveTheSameLines)
{
    WriteBytes("utf8.txt", kUtf8Text);
    WriteBytes("cp932.txt", kCp932Text);
    EXPECT_EQ(ReadAllLines("utf8.txt"), kExpected);
    EXPECT_EQ(ReadAllLines("cp932.txt"), kExpected);
    WriteBytes("mark.txt", std::string("\xEF\xBB\xBF") + kUtf8Text);
    EXPECT_EQ(ReadAllLines("mark.txt"), kExpected);
    // A read that stops inside a character of a long UTF-8 line is still UTF-8.
    std::string longLine = "a";
    for (int i = 0; i < 3000; i++) longLine += "\xE3\x81\x82";
    WriteBytes("long.txt", longLine + "\nz\n");
    std::vector<std::u16string> lines = ReadAllLines("long.txt");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], u"a" + std::u16string(SETTING_LINE_CHARS - 1, u'あ'));
}

// The position after each read is exactly past the consumed LF, in both encodings.
TEST_F(TextReaderTest, PositionMovesPastTheLineFeed)
{
    WriteBytes("n.txt", "ab\ncd\n");
    WriteUtf16File("w.txt", u"ab\ncd\n");
    char16_t line[16];
    FILE* narrow = OpenTextFile("n.txt");
    ASSERT_EQ(ReadTextLine(narrow, line, 15), 2);
    EXPECT_EQ(ftell(narrow), 3);
    fclose(narrow);
    FILE* wide = OpenTextFile("w.txt");
    ASSERT_EQ(ReadTextLine(wide, line, 15), 2);
    EXPECT_EQ(ftell(wide), 2 + 6);
    ASSERT_EQ(ReadTextLine(wide, line, 15), 2);
    EXPECT_EQ(std::u16string(line), u"cd");
    EXPECT_EQ(ReadTextLine(wide, line, 15), 0);
    fclose(wide);
}

// An empty line ends reading like the end of the file; a CR-only line does not.
TEST_F(TextReaderTest, EmptyLineEndsReadingButCrLineDoesNot)
{
    WriteBytes("a.txt", "one\r\n\r\ntwo\n\nthree\n");
    std::vector<std::u16string> expected = {u"one\r", u"\r", u"two"};
    EXPECT_EQ(ReadAllLines("a.txt"), expected);
}

// A last line without LF comes back whole; the next call returns 0.
TEST_F(TextReaderTest, LastLineWithoutLineFeed)
{
    WriteBytes("a.txt", "x\nlast");
    EXPECT_EQ(ReadAllLines("a.txt"), (std::vector<std::u16string>{u"x", u"last"}));
    WriteUtf16File("w.txt", u"x\nlast");
    EXPECT_EQ(ReadAllLines("w.txt"), (std::vector<std::u16string>{u"x", u"last"}));
}

// ReadNextTextLine goes on past empty lines and says false only once the
// file is used up, in every encoding; a file of nothing but its mark has no
// line at all.
TEST_F(TextReaderTest, NextLineTellsAnEmptyLineFromTheEnd)
{
    auto lines = [](const char* name) {
        std::vector<std::u16string> out;
        FILE* file = OpenTextFile(name);
        char16_t line[TEXT_LINE_LIMIT + 1];
        int length = -1;
        while (file && out.size() < 100 && ReadNextTextLine(file, line, SETTING_LINE_CHARS, &length))
            out.push_back(std::u16string(line, (size_t)length));
        EXPECT_EQ(length, 0);
        if (file) fclose(file);
        return out;
    };
    const std::vector<std::u16string> expected = {u"a", u"", u"", u"b"};
    WriteBytes("n.txt", "a\n\n\nb\n");
    EXPECT_EQ(lines("n.txt"), expected);
    WriteBytes("m.txt", "\xEF\xBB\xBF" "a\n\n\nb");
    EXPECT_EQ(lines("m.txt"), expected);
    WriteUtf16File("w.txt", u"a\n\n\nb\n");
    EXPECT_EQ(lines("w.txt"), expected);
    WriteBytes("lead.txt", "\n\nx");
    EXPECT_EQ(lines("lead.txt"), (std::vector<std::u16string>{u"", u"", u"x"}));
    WriteBytes("bom.txt", "\xFF\xFE");
    EXPECT_TRUE(lines("bom.txt").empty());
    WriteBytes("none.txt", "");
    EXPECT_TRUE(lines("none.txt").empty());
    // The old reader still stops at the first empty line, as the setting files expect.
    EXPECT_EQ(ReadAllLines("n.txt"), (std::vector<std::u16string>{u"a"}));
}

// A maximum above 4096 returns 0 without moving the file; a null file returns 0.
TEST_F(TextReaderTest, RefusesTooLargeMaximumAndNullFile)
{
    WriteBytes("a.txt", "hello\n");
    FILE* file = OpenTextFile("a.txt");
    char16_t line[5001];
    fseek(file, 2, SEEK_SET);
    EXPECT_EQ(ReadTextLine(file, line, 5000), 0);
    int length = -1;
    EXPECT_FALSE(ReadNextTextLine(file, line, 5000, &length));
    EXPECT_EQ(length, 0);
    EXPECT_EQ(ftell(file), 2);
    EXPECT_EQ(ReadTextLine(file, line, 4096), 3);
    fclose(file);
    EXPECT_EQ(ReadTextLine(nullptr, line, 10), 0);
    EXPECT_EQ(OpenTextFile((const char*)nullptr), nullptr);
    EXPECT_EQ(OpenTextFile("missing.txt"), nullptr);
}

// A line over the maximum is cut; UTF-16 resumes one character after the cut, narrow after the LF.
TEST_F(TextReaderTest, LongLineContinuation)
{
    WriteBytes("n.txt", "abcdef\nxy\n");
    WriteUtf16File("w.txt", u"abcdef\nxy\n");
    EXPECT_EQ(ReadAllLines("n.txt", 3), (std::vector<std::u16string>{u"abc", u"xy"}));
    EXPECT_EQ(ReadAllLines("w.txt", 3), (std::vector<std::u16string>{u"abc", u"ef", u"xy"}));
}

// Huge single lines, an odd-sized UTF-16 file, bad CP932 and empty files read safely.
TEST_F(TextReaderTest, SurvivesHostileFiles)
{
    WriteBytes("huge.txt", std::string(20000, 'a'));
    std::vector<std::u16string> lines = ReadAllLines("huge.txt", TEXT_LINE_LIMIT);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].size(), (size_t)TEXT_LINE_LIMIT);
    WriteUtf16File("hugew.txt", std::u16string(20000, u'b'));
    lines = ReadAllLines("hugew.txt", TEXT_LINE_LIMIT);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].size(), 4094u);   // one read holds 8190 bytes, less the mark
    WriteBytes("odd.txt", std::string("\xFF\xFE" "A\0B", 5));
    EXPECT_EQ(ReadAllLines("odd.txt"), (std::vector<std::u16string>{u"AB"}));   // a lone last byte reads as B\0
    WriteBytes("bad.txt", "\x81\n\x82\x0A\xFF\xFE\x80ok");
    lines = ReadAllLines("bad.txt");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], u"\xFFFD");
    EXPECT_EQ(lines[2].substr(lines[2].size() - 2), u"ok");
    WriteBytes("empty.txt", "");
    EXPECT_TRUE(ReadAllLines("empty.txt").empty());
}

// Random bytes: every read stays within its maximum and terminates, and the loop ends.
TEST_F(TextReaderTest, RandomBytesNeverOverrun)
{
    std::mt19937 random(1234);
    for (int round = 0; round < 200; round++) {
        std::string bytes;
        if (round % 2) bytes = "\xFF\xFE";
        for (int i = random() % 5000; i > 0; i--) bytes += char(random() % 7 == 0 ? '\n' : random() & 0xFF);
        WriteBytes("r.txt", bytes);
        int maxChars = 1 + int(random() % 300);
        FILE* file = OpenTextFile("r.txt");
        char16_t line[302];
        line[maxChars + 1] = 0x1234;
        int reads = 0;
        while (int count = ReadTextLine(file, line, maxChars)) {
            ASSERT_LE(count, maxChars);
            ASSERT_EQ(line[count], 0);
            ASSERT_LT(++reads, 10000);
        }
        EXPECT_EQ(line[maxChars + 1], 0x1234);
        fclose(file);
    }
}

// Bracket values: the first [...] after the text start, chained walking, unclosed and overlong values.
TEST(TextValues, BracketValues)
{
    char16_t value[VALUE_CHARS];
    const char16_t* next = GetBracketValue(value, u"KEY:[1.5]");
    EXPECT_EQ(std::u16string(value), u"1.5");
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(*next, 0);
    EXPECT_EQ(GetBracketValue(value, u"KEY:[1.5"), nullptr);
    EXPECT_EQ(value[0], 0);
    const char16_t* at = u"[1] x [2][3]";
    std::u16string walked;
    while ((at = GetBracketValue(value, at))) walked += value;
    EXPECT_EQ(walked, u"123");
    std::u16string longValue = u"[" + std::u16string(600, u'9') + u"]";
    ASSERT_NE(GetBracketValue(value, longValue.c_str()), nullptr);
    EXPECT_EQ(TextLength(value), (size_t)VALUE_CHARS - 1);
}

// Name values: "[[" to the next "]]", single brackets inside kept.
TEST(TextValues, NameValues)
{
    char16_t value[VALUE_CHARS];
    const char16_t* next = GetNameValue(value, u"N:[[a[b]c]]tail");
    EXPECT_EQ(std::u16string(value), u"a[b]c");
    EXPECT_EQ(std::u16string(next), u"tail");
    EXPECT_EQ(GetNameValue(value, u"N:[[open]"), nullptr);
    EXPECT_EQ(value[0], 0);
    EXPECT_EQ(GetNameValue(value, u"N:[single]"), nullptr);
}

// Vectors: missing components read 0; each component stops at its comma.
TEST(TextValues, Vectors)
{
    float v[3];
    ParseVector3(u"0.25,1,0.75", v);
    EXPECT_FLOAT_EQ(v[0], 0.25f); EXPECT_FLOAT_EQ(v[1], 1.0f); EXPECT_FLOAT_EQ(v[2], 0.75f);
    ParseVector3(u"0.25", v);
    EXPECT_EQ(v[1], 0.0f); EXPECT_EQ(v[2], 0.0f);
    ParseVector3(u"5,6", v);
    EXPECT_EQ(v[0], 5.0f); EXPECT_EQ(v[1], 6.0f); EXPECT_EQ(v[2], 0.0f);
    ParseVector3(u"", v);
    EXPECT_EQ(v[0], 0.0f);
}

// Integers follow _wtoi (blanks, sign, digits, else 0; saturating); reals follow atof.
TEST(TextValues, Numbers)
{
    EXPECT_EQ(ParseInt(u"  -12abc"), -12);
    EXPECT_EQ(ParseInt(u"+7"), 7);
    EXPECT_EQ(ParseInt(u"abc"), 0);
    EXPECT_EQ(ParseInt(u"1.9"), 1);
    EXPECT_EQ(ParseInt(u"99999999999999"), INT_MAX);
    EXPECT_EQ(ParseInt(u"-99999999999999"), INT_MIN);
    EXPECT_FLOAT_EQ(ParseReal(u" 1.5e1x"), 15.0f);
    EXPECT_EQ(ParseReal(u"x1"), 0.0f);
    EXPECT_EQ(ParseReal(u""), 0.0f);
    EXPECT_TRUE(std::isinf(ParseReal(u"1e999")));
    EXPECT_TRUE(std::isinf(ParseReal(u"1e39")));
    EXPECT_FLOAT_EQ(ParseReal(u"-2.5,3"), -2.5f);
}

// UTF-8 and UTF-16 conversions: round trip with a surrogate pair, cut at whole characters.
TEST(TextConversions, RoundTripAndCut)
{
    const char text[] = "a\xE8\xA1\xA8\xF0\x9F\x99\x82z";
    char16_t wide[16];
    EXPECT_EQ(Utf8ToUtf16(text, wide, 16), 5u);
    EXPECT_EQ(std::u16string(wide), u"a表\U0001F642z");
    char back[32];
    Utf16ToUtf8(wide, back, sizeof back);
    EXPECT_STREQ(back, text);
    char small[6];
    EXPECT_EQ(Utf16ToUtf8(wide, small, sizeof small), 4u);   // "a表", not half of the pair
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF", wide, 16), 2u);        // overlong: two replacements
    EXPECT_EQ(wide[0], 0xFFFD);
    char16_t lone[] = {0xD800, u'x', 0};
    Utf16ToUtf8(lone, back, sizeof back);
    EXPECT_STREQ(back, "\xEF\xBF\xBDx");
}

// Narrow names (X-file textures): CP932 bytes keep 0x5C as a backslash, never a yen sign.
TEST(TextConversions, Cp932KeepsBackslash)
{
    char16_t wide[32];
    const char name[] = "tex\\\x95\x5C.bmp";
    DecodeNarrowText(name, sizeof name - 1, wide, 32);
    EXPECT_EQ(std::u16string(wide), u"tex\\表.bmp");
    const char tilde[] = "a~b\x83\x65";
    DecodeNarrowText(tilde, sizeof tilde - 1, wide, 32);
    EXPECT_EQ(std::u16string(wide), u"a~bテ");
}

// Windows names: backslashes and any letter case find the file; writing keeps the new name.
TEST_F(TextReaderTest, PathsWithBackslashesAndCase)
{
    WriteBytes("Field/Map0.BMP", "x\n");
    char out[512];
    EXPECT_EQ(SysResolvePath("field\\map0.bmp", out, sizeof out), 1);
    EXPECT_STREQ(out, "Field/Map0.BMP");
    EXPECT_EQ(SysResolvePath((dir + "FIELD\\MAP0.bmp").c_str(), out, sizeof out), 1);
    EXPECT_EQ(std::string(out), dir + "Field/Map0.BMP");
    EXPECT_EQ(SysResolvePath("field\\nothing.bmp", out, sizeof out), 0);
    EXPECT_STREQ(out, "field/nothing.bmp");
    EXPECT_EQ(ReadAllLines("FIELD\\map0.bmp"), (std::vector<std::u16string>{u"x"}));
    FILE* file = SysOpenFile("field\\New.txt", "wb");
    ASSERT_NE(file, nullptr);
    fclose(file);
    EXPECT_TRUE(FileExists("Field/New.txt"));
}
