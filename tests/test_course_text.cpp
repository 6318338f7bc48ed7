// Course text: the title line with and without a record, the description's
// capacity and line ends, the missing-document message, and the glyph boxes
// and font metrics the course-select layout relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "data/course_list.h"
#include "data/texts.h"
#include "platform/gfx.h"
#include "render/course_text.h"
#include "render/text_layout.h"
#include "support/data_files.h"

namespace {

class CourseTextTest : public DataFilesTest {
protected:
    void SetUp() override
    {
        DataFilesTest::SetUp();
        liveBefore = GfxLiveObjects();
        course = {};
        const std::u16string name = u"AB";
        std::copy(name.begin(), name.end(), course.FIELD_NAME);
    }
    void TearDown() override
    {
        ReleaseCourseText();
        EXPECT_EQ(courseText.titleGlyphCount, 0);
        EXPECT_EQ(courseText.docGlyphs, nullptr);
        EXPECT_EQ(GfxLiveObjects(), liveBefore) << "a glyph texture was not released";
        DataFilesTest::TearDown();
    }
    void SetDocument(const std::u16string& path)
    {
        std::copy(path.begin(), path.end(), course.DOCUMENT);
        course.DOCUMENT[path.size()] = 0;
    }
    static std::u16string Units(const Glyph* glyphs, int count)
    {
        std::u16string text;
        for (int i = 0; i < count; ++i)
            text += char16_t(glyphs[i].character);
        return text;
    }
    std::u16string Title() const { return Units(courseText.titleGlyphs, courseText.titleGlyphCount); }
    std::u16string Doc() const { return Units(courseText.docGlyphs, courseText.docGlyphCount); }
    int liveBefore = 0;
    CourseDef course;
};

}  // namespace

// No record gives ten glyphs; records are unpadded minutes, seconds, ms. A
// missing description shows its path and leaves the title standing.
TEST_F(CourseTextTest, TitleLinesAndMissingDocument)
{
    SetDocument(u"text\\none.txt");
    LoadCourseText(course);
    EXPECT_EQ(Title(), u"AB  (記録なし)");
    EXPECT_EQ(courseText.titleGlyphCount, 10);
    EXPECT_EQ(courseText.docGlyphCount, 0);
    EXPECT_EQ(shownMessages, (std::vector<std::string>{"コースの説明文ファイルが見つかりません\n'text\\none.txt'"}));

    course.bestTimeMs = 83456;
    LoadCourseText(course);
    EXPECT_EQ(Title(), u"AB  (記録時間:1分23秒456)");
    course.bestTimeMs = 5007;
    LoadCourseText(course);
    EXPECT_EQ(Title(), u"AB  (記録時間:0分5秒7)");
    EXPECT_EQ(courseText.titleMetrics.height, 26);
    EXPECT_EQ(courseText.titleMetrics.ascent, 21);
    EXPECT_EQ(courseText.titleMetrics.descent, 5);

    // In English: minutes, padded seconds and milliseconds; the name's
    // glyphs end where its own text does.
    SetLanguage(LANGUAGE_ENGLISH);
    LoadCourseText(course);
    EXPECT_EQ(Title(), u"AB  (best 0:05.007)");
    EXPECT_EQ(courseText.nameGlyphCount, 2);
    course.bestTimeMs = 0;
    LoadCourseText(course);
    EXPECT_EQ(Title(), u"AB  (no record)");
    EXPECT_EQ(shownMessages.back(), "The course description cannot be found.\n'text\\none.txt'");
}

// Lines run together without their LF, the whole file however it is
// encoded (a 100-byte narrow file once gave only its first 50 characters);
// Latin words either side of a line end are kept apart by a space, and CR
// LF lines keep their CR as a blank glyph that takes no room.
TEST_F(CourseTextTest, DescriptionReadsWholeAndJoinsLines)
{
    std::string narrow;
    for (int i = 0; i < 10; ++i)
        narrow += "abcdefghi\n";
    WriteBytes("doc.txt", narrow);
    SetDocument(u"doc.txt");
    LoadCourseText(course);
    std::u16string joined;
    for (int i = 0; i < 10; ++i)
        joined += i < 9 ? u"abcdefghi " : u"abcdefghi";
    EXPECT_EQ(Doc(), joined);
    EXPECT_EQ(courseText.docMetrics.height, 18);
    EXPECT_EQ(courseText.docMetrics.ascent, 15);
    EXPECT_EQ(courseText.docMetrics.descent, 3);

    WriteUtf16File("wide.txt", u"one\r\ntwo\r\n");
    SetDocument(u"wide.txt");
    LoadCourseText(course);
    EXPECT_EQ(Doc(), u"one\r two\r");
    const Glyph& cr = courseText.docGlyphs[3];
    EXPECT_EQ(cr.advanceX, 0);
    EXPECT_EQ(cr.blackBoxX, 1u);
    EXPECT_EQ(cr.width, 4);
    EXPECT_TRUE(shownMessages.empty());
}

// A blank line is a paragraph break, not the end: the running line ends
// and one empty line follows (two LF units), with LF or CR LF line ends,
// in UTF-16 too; more blank lines leave more empty lines.
TEST_F(CourseTextTest, BlankLinesBreakParagraphs)
{
    const std::pair<const char*, std::string> files[] = {
        {"lf.txt", "First part\ngoes on.\n\nSecond.\n"},
        {"crlf.txt", "First part\r\ngoes on.\r\n\r\nSecond.\r\n"},
    };
    for (const auto& [name, bytes] : files) {
        WriteBytes(name, bytes);
        SetDocument(std::u16string(name, name + strlen(name)));
        LoadCourseText(course);
        std::u16string doc = Doc();
        doc.erase(std::remove(doc.begin(), doc.end(), u'\r'), doc.end());
        EXPECT_EQ(doc, u"First part goes on.\n\nSecond.") << name;
    }
    WriteUtf16File("wide.txt", u"\nOne\n\n\nTwo");
    SetDocument(u"wide.txt");
    LoadCourseText(course);
    EXPECT_EQ(Doc(), u"\nOne\n\n\nTwo");
    const Glyph& lf = courseText.docGlyphs[0];
    EXPECT_EQ(lf.character, u'\n');
    EXPECT_EQ(lf.advanceX, 0);
}

// Up to 8192 bytes a description is read to its last character; past that
// it shows nothing, as the course checker warns.
TEST_F(CourseTextTest, DescriptionSizeLimit)
{
    std::string full = "x\n\n";
    while (full.size() + 80 < 8192)
        full += std::string(79, 'y') + "\n";
    full += std::string(8192 - 1 - full.size(), 'y') + "z";
    ASSERT_EQ(full.size(), 8192u);
    WriteBytes("full.txt", full);
    SetDocument(u"full.txt");
    LoadCourseText(course);
    const std::u16string doc = Doc();
    EXPECT_EQ(doc.substr(0, 4), u"x\n\ny");
    EXPECT_EQ(doc.back(), u'z');
    EXPECT_EQ(std::count(doc.begin(), doc.end(), u'y'), std::count(full.begin(), full.end(), 'y'));
    WriteBytes("over.txt", full + "!");
    SetDocument(u"over.txt");
    LoadCourseText(course);
    EXPECT_EQ(courseText.docGlyphCount, 0);
    EXPECT_TRUE(shownMessages.empty());
}

// A space is a 1 x 1 ink box with its advance; an inked glyph's texture is
// its ink box widened to a multiple of 4.
TEST_F(CourseTextTest, GlyphBoxes)
{
    int count = 0;
    TextMetrics metrics = {};
    Glyph* glyphs = MakeGlyphs(u"A 漢", 26, &count, &metrics);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(glyphs[1].blackBoxX, 1u);
    EXPECT_EQ(glyphs[1].blackBoxY, 1u);
    EXPECT_GT(glyphs[1].advanceX, 0);
    EXPECT_EQ(glyphs[1].width, 4);
    EXPECT_EQ(glyphs[1].height, 1);
    for (int i : {0, 2}) {
        const Glyph& g = glyphs[i];
        EXPECT_EQ(g.width, float((g.blackBoxX + 3) / 4 * 4));
        EXPECT_EQ(g.height, float(g.blackBoxY));
        EXPECT_GT(g.blackBoxX, 4u);
        EXPECT_GT(g.originY, 0);
    }
    EXPECT_EQ(glyphs[2].advanceX, 24) << "a full-width character is one em of 24.17 ppem";
    FreeGlyphs(glyphs, count);
    EXPECT_EQ(MakeGlyphs(u"", 18, &count, &metrics), nullptr);
    EXPECT_EQ(count, 0);
}

namespace {

// Two courses in course.ini, each with its own name and description.
void WriteTwoCourses()
{
    WriteBytes("def.ini", "");
    WriteBytes("course.ini",
               "FIELD_TOTAL:[2]\r\n"
               "FIELD_NUM:[0] FIELD_NAME:[[Road]] DOCUMENT:[[field\\road.txt]]\r\n"
               "FIELD_NUM:[1] FIELD_NAME:[[Hill]] DOCUMENT:[[field\\hill.txt]]\r\n");
    ASSERT_EQ(0, system("mkdir -p field en/field"));
    WriteBytes("field/road.txt", "Road.");
    WriteBytes("field/hill.txt", "Hill.");
}

}  // namespace

// A pack without translations plays in English with its own names and
// descriptions, and without a message.
TEST_F(CourseTextTest, UntranslatedPackShowsItsOwnText)
{
    WriteTwoCourses();
    SetLanguage(LANGUAGE_ENGLISH);
    ASSERT_EQ(LoadCourseList(), 1);
    LoadCourseText(courseList.courses[1]);
    EXPECT_EQ(Title(), u"Hill  (no record)");
    EXPECT_EQ(Doc(), u"Hill.");
    EXPECT_TRUE(shownMessages.empty());
    FreeCourseList();
}

// en/course_text.ini renames the courses it names, by number (past an
// empty line and a number naming no course); the description is en/'s where
// it has one, else the game folder's. Japanese keeps course.ini's own.
TEST_F(CourseTextTest, TranslationsByCourseAndFile)
{
    WriteTwoCourses();
    WriteBytes("en/course_text.ini",
               "# English\r\nFIELD_NUM:[7] FIELD_NAME:[[None]]\r\n\r\nFIELD_NUM:[1] FIELD_NAME:[[The Hill]]\r\n");
    WriteBytes("en/field/road.txt", "The road.");
    ASSERT_EQ(LoadCourseList(), 1);
    SetLanguage(LANGUAGE_ENGLISH);
    LoadCourseText(courseList.courses[0]);
    EXPECT_EQ(Title(), u"Road  (no record)");
    EXPECT_EQ(Doc(), u"The road.");
    LoadCourseText(courseList.courses[1]);
    EXPECT_EQ(Title(), u"The Hill  (no record)");
    EXPECT_EQ(courseText.nameGlyphCount, 8);
    EXPECT_EQ(Doc(), u"Hill.");
    SetLanguage(LANGUAGE_JAPANESE);
    LoadCourseText(courseList.courses[1]);
    EXPECT_EQ(Title(), u"Hill  (記録なし)");
    EXPECT_TRUE(shownMessages.empty());
    FreeCourseList();
}

namespace {

// Glyphs 10 apart whose ink is 8 wide, one pixel right of the pen.
std::vector<Glyph> EvenGlyphs(const std::u16string& text)
{
    std::vector<Glyph> glyphs;
    for (char16_t c : text) {
        Glyph g = {};
        g.character = c;
        g.advanceX = 10;
        g.originX = 1;
        g.width = c == u' ' ? 4 : 8;
        g.height = 8;
        glyphs.push_back(g);
    }
    return glyphs;
}

std::vector<GlyphPlace> Lay(const std::vector<Glyph>& glyphs)
{
    std::vector<GlyphPlace> places(glyphs.size());
    LayoutLines(glyphs.data(), int(glyphs.size()), 20, 120, places.data());
    return places;
}

}  // namespace

// Latin words wrap whole at the panel's right edge (the ink of the next
// glyph would pass it), the blank before them hanging at the line's end.
TEST(TextLayout, EnglishWrapsAtBlanks)
{
    std::vector<GlyphPlace> p = Lay(EvenGlyphs(u"aaaaaa bbbbb cc"));
    for (int k = 0; k < 7; k++)
        EXPECT_EQ(p[k].line, 0) << k;
    for (int k = 7; k < 12; k++) {
        EXPECT_EQ(p[k].line, 1) << k;
        EXPECT_EQ(p[k].x, 20 + 10 * (k - 7)) << k;
    }
    EXPECT_EQ(p[13].line, 1);
    EXPECT_EQ(p[13].x, 80);
}

// A word longer than a line starts where the pen is and breaks at the edge;
// Japanese breaks at any character.
TEST(TextLayout, LongWordsAndJapaneseBreakAnywhere)
{
    std::vector<GlyphPlace> p = Lay(EvenGlyphs(u"aa " + std::u16string(15, u'x')));
    EXPECT_EQ(p[3].line, 0);
    EXPECT_EQ(p[3].x, 50);
    EXPECT_EQ(p[9].line, 0);    // its ink ends at 119
    EXPECT_EQ(p[9].x, 110);
    EXPECT_EQ(p[10].line, 1);
    EXPECT_EQ(p[10].x, 20);
    EXPECT_EQ(p[17].line, 1);

    p = Lay(EvenGlyphs(u"あいうえおかきくけこさし"));
    EXPECT_EQ(p[9].line, 0);
    EXPECT_EQ(p[10].line, 1);
    EXPECT_EQ(p[10].x, 20);
    // A Latin letter between kana is a word of its own, not glued to them.
    p = Lay(EvenGlyphs(u"あいうえおかきくけZキー"));
    EXPECT_EQ(p[9].line, 0);
    EXPECT_EQ(p[10].line, 1);
}
