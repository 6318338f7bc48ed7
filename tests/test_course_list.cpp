// "course.ini": the course table, every key, obstacles, messages with line
// numbers, comments, odd counts, and the best times read last.
#include <string>

#include "core/game.h"
#include "data/course_list.h"
#include "data/text_reader.h"
#include "support/data_files.h"

namespace {

class CourseListTest : public DataFilesTest {
protected:
    void SetUp() override
    {
        DataFilesTest::SetUp();
        WriteBytes("def.ini", "");
    }
    void TearDown() override
    {
        FreeCourseList();
        DataFilesTest::TearDown();
    }
};

// The example course of the file format, in the narrow encoding given.
std::string ExampleCourse(const std::string& title)
{
    return "FIELD_TOTAL:[2]\r\n"
           "FIELD_NUM:[0]\r\n"
           "FIELD_NAME:[[" + title + "]]\r\n"
           "HEIGHT_MAP:[[field\\map0.bmp]] FIELD_TEXTURE:[[field\\tex0.bmp]] DOCUMENT:[[field\\doc0.txt]]\r\n"
           "MAP_HEIGHT:[3] GRID_SIZE:[1] SELECT_SCALING:[0.8]\r\n"
           "START:[0.5,1,0.1] GOAL:[0.4][0.8][0.6][0.95]\r\n"
           "OBJECT:[BOX][2,1,2][0.5,0.5,0.5][0,45,0][0][0]\r\n";
}

std::u16string Title(int course)
{
    return courseList.courses[course].FIELD_NAME;
}

int ObstacleCount(const CourseDef& course)
{
    int count = 0;
    for (const ObstacleDef* o = course.firstObstacle; o; o = o->next) count++;
    return count;
}

void ExpectExampleCourse()
{
    ASSERT_EQ(courseList.courseCount, 2);
    const CourseDef& c = courseList.courses[0];
    EXPECT_EQ(std::u16string(c.FIELD_NAME), u"第一フィールド");
    EXPECT_EQ(std::u16string(c.HEIGHT_MAP), u"field\\map0.bmp");
    EXPECT_EQ(std::u16string(c.FIELD_TEXTURE), u"field\\tex0.bmp");
    EXPECT_EQ(std::u16string(c.DOCUMENT), u"field\\doc0.txt");
    EXPECT_EQ(c.MAP_HEIGHT, 3.0f);
    EXPECT_EQ(c.GRID_SIZE, 1.0f);
    EXPECT_FLOAT_EQ(c.SELECT_SCALING, 0.8f);
    EXPECT_EQ(c.START[0], 0.5f); EXPECT_EQ(c.START[1], 1.0f); EXPECT_FLOAT_EQ(c.START[2], 0.1f);
    EXPECT_FLOAT_EQ(c.GOAL[0], 0.4f); EXPECT_FLOAT_EQ(c.GOAL[1], 0.8f);
    EXPECT_FLOAT_EQ(c.GOAL[2], 0.6f); EXPECT_FLOAT_EQ(c.GOAL[3], 0.95f);
    ASSERT_NE(c.firstObstacle, nullptr);
    const ObstacleDef& o = *c.firstObstacle;
    EXPECT_EQ(c.lastObstacle, c.firstObstacle);
    EXPECT_EQ(o.shape, SHAPE_BOX);
    EXPECT_EQ(o.size[0], 2.0f); EXPECT_EQ(o.size[1], 1.0f); EXPECT_EQ(o.size[2], 2.0f);
    EXPECT_EQ(o.position[1], 0.5f);
    EXPECT_EQ(o.rotation[0], 0.0f);
    // 45 * 0.0055555557f, then * 3.1415925f, each rounded to float.
    EXPECT_EQ(o.rotation[1], 0.78539813f);
    EXPECT_EQ(o.weight, 0.0f);
    EXPECT_EQ(o.material, 0);
    EXPECT_EQ(courseList.courses[1].FIELD_NAME[0], 0);
}

}  // namespace

// No course.ini: the message, result 0, and neither def.ini nor the saves are read.
TEST_F(CourseListTest, MissingFileEndsLoading)
{
    remove("def.ini");
    EXPECT_EQ(LoadCourseList(), 0);
    ASSERT_EQ(shownMessages.size(), 1u);
    EXPECT_EQ(shownMessages[0], "フィールドの設定ファイル'course.ini'が読み込めませんでした。");
    EXPECT_EQ(courseList.courseCount, 0);
}

// The example course reads the same from CP932, UTF-8 and UTF-16 files.
TEST_F(CourseListTest, ExampleCourseInEveryEncoding)
{
    WriteBytes("course.ini", ExampleCourse("\x91\xE6\x88\xEA\x83\x74\x83\x42\x81\x5B\x83\x8B\x83\x68"));
    EXPECT_EQ(LoadCourseList(), 1);
    ExpectExampleCourse();
    WriteBytes("course.ini", ExampleCourse("第一フィールド"));
    EXPECT_EQ(LoadCourseList(), 1);
    ExpectExampleCourse();
    char16_t wide[2048];
    std::string utf8 = ExampleCourse("第一フィールド");
    Utf8ToUtf16(utf8.c_str(), wide, 2048);
    WriteUtf16File("course.ini", wide);
    EXPECT_EQ(LoadCourseList(), 1);
    ExpectExampleCourse();
    EXPECT_TRUE(shownMessages.empty());
}

// Lines before FIELD_NUM fill course 0; a repeated FIELD_NUM overwrites and appends in file order.
TEST_F(CourseListTest, SectionsAndObstacleOrder)
{
    WriteBytes("course.ini",
               "FIELD_TOTAL:[3]\n"
               "FIELD_NAME:[[zero]]\n"
               "FIELD_NUM:[1]\nFIELD_NAME:[[one]] OBJECT:[SPHERE][1][0,0,0][0,0,0][2][1]\n"
               "FIELD_NUM:[2]\nFIELD_NAME:[[two]]\n"
               "FIELD_NUM:[1]\nFIELD_NAME:[[one again]]\n"
               "OBJECT:[PILLAR][1,2][0,0,0][90,0,0][0][2]\n"
               "OBJECT:[BOXES][1,1,1][0,0,0][0,0,0][0][3]\n");
    ASSERT_EQ(LoadCourseList(), 1);
    EXPECT_EQ(Title(0), u"zero");
    EXPECT_EQ(Title(1), u"one again");
    EXPECT_EQ(Title(2), u"two");
    const CourseDef& one = courseList.courses[1];
    ASSERT_EQ(ObstacleCount(one), 3);
    const ObstacleDef* o = one.firstObstacle;
    EXPECT_EQ(o->shape, SHAPE_SPHERE); EXPECT_EQ(o->weight, 2.0f); EXPECT_EQ(o->material, 1);
    EXPECT_EQ(o->prev, nullptr);
    o = o->next;
    EXPECT_EQ(o->shape, SHAPE_PILLAR); EXPECT_EQ(o->material, 2);
    EXPECT_EQ(o->size[1], 2.0f);
    EXPECT_EQ(o->next->shape, SHAPE_BOX);
    EXPECT_EQ(o->next->prev, o);
    EXPECT_EQ(one.lastObstacle, o->next);
    EXPECT_TRUE(shownMessages.empty());
}

// FIELD_NUM out of range shows the line number and fills the last course.
TEST_F(CourseListTest, FieldNumberOutOfRange)
{
    WriteBytes("course.ini",
               "# list\nFIELD_TOTAL:[2]\n\r\n\r\n\r\n\r\n"
               "FIELD_NUM:[2] SELECT_SCALING:[0.5]\nFIELD_NAME:[[last]]\n"
               "FIELD_NUM:[-1]\n");
    ASSERT_EQ(LoadCourseList(), 1);
    ASSERT_EQ(shownMessages.size(), 2u);
    EXPECT_EQ(shownMessages[0], "error in 7line.\n指定されたフィールド番号が大きすぎます。");
    EXPECT_EQ(shownMessages[1], "error in 9line.\n指定されたフィールド番号が大きすぎます。");
    EXPECT_EQ(Title(1), u"last");
    EXPECT_EQ(courseList.courses[1].SELECT_SCALING, 1.0f);   // reset by the second FIELD_NUM
    EXPECT_EQ(courseList.courses[0].SELECT_SCALING, 0.0f);
}

// An unknown shape shows its message with the line and is added as a box with the line's values.
TEST_F(CourseListTest, UnknownShapeBecomesBox)
{
    WriteBytes("course.ini", "FIELD_TOTAL:[1]\nOBJECT:[CUBE][3,3,3][0.1,0.2,0.3][0,0,180][5][1]\nOBJECT:\n");
    ASSERT_EQ(LoadCourseList(), 1);
    ASSERT_EQ(shownMessages.size(), 2u);
    EXPECT_EQ(shownMessages[0], "error in 2line.\n指定された形状が不明です。");
    EXPECT_EQ(shownMessages[1], "error in 3line.\n指定された形状が不明です。");
    const ObstacleDef* o = courseList.courses[0].firstObstacle;
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->shape, SHAPE_BOX);
    EXPECT_EQ(o->size[0], 3.0f);
    EXPECT_FLOAT_EQ(o->position[2], 0.3f);
    EXPECT_NEAR(o->rotation[2], 3.14159f, 1e-5);
    EXPECT_EQ(o->weight, 5.0f);
    ASSERT_NE(o->next, nullptr);          // a bare OBJECT: is a zeroed box
    EXPECT_EQ(o->next->weight, 0.0f);
}

// Rotations are degrees times 0.0055555557f, then times 3.1415925f, each step in float.
TEST_F(CourseListTest, RotationsRoundInTwoFloatSteps)
{
    WriteBytes("course.ini", "FIELD_TOTAL:[1]\nOBJECT:[BOX][1,1,1][0,0,0][10,30,45][0][0]\n");
    ASSERT_EQ(LoadCourseList(), 1);
    const ObstacleDef* o = courseList.courses[0].firstObstacle;
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->rotation[0], 0.17453292f);    // degrees * pi / 180 would give 0.174532905
    EXPECT_EQ(o->rotation[1], 0.52359879f);
    EXPECT_EQ(o->rotation[2], 0.785398126f);   // degrees * (1/180 * pi) would give 0.785398185
}

// "#" cuts lines; without a FIELD_TOTAL line (or with 0 or a negative one) the table is empty.
TEST_F(CourseListTest, CommentsAndEmptyTables)
{
    WriteBytes("course.ini", "# FIELD_TOTAL:[3]\nFIELD_NAME:[[x]]\n");
    ASSERT_EQ(LoadCourseList(), 1);
    EXPECT_EQ(courseList.courseCount, 0);
    WriteBytes("course.ini", "FIELD_TOTAL:[0]\nFIELD_TOTAL:[2]\nFIELD_NUM:[0]\nOBJECT:[BOX]\n");
    ASSERT_EQ(LoadCourseList(), 1);
    EXPECT_EQ(courseList.courseCount, 0);
    WriteBytes("course.ini", "FIELD_TOTAL:[-4]\nFIELD_TOTAL:[2]\nFIELD_NAME:[[x]]\n");
    ASSERT_EQ(LoadCourseList(), 1);
    EXPECT_EQ(courseList.courseCount, 0);
    WriteBytes("course.ini", "FIELD_TOTAL:[1] # FIELD_NAME:[[no]]\nFIELD_NAME:[[yes]] #[[no]]\n");
    ASSERT_EQ(LoadCourseList(), 1);
    EXPECT_EQ(Title(0), u"yes");
    EXPECT_TRUE(shownMessages.empty());
}

// A count no course list can mean (one number asking for gigabytes) gets the
// line message and no table; 9999 is still a table.
TEST_F(CourseListTest, HugeCourseCountRefused)
{
    WriteBytes("course.ini", "# list\nFIELD_TOTAL:[20000000]\nFIELD_TOTAL:[2]\nFIELD_NAME:[[x]]\n");
    ASSERT_EQ(LoadCourseList(), 1);
    EXPECT_EQ(courseList.courseCount, 0);
    EXPECT_EQ(courseList.courses, nullptr);
    EXPECT_EQ(shownMessages, (std::vector<std::string>{"error in 2line.\n指定されたフィールド数が大きすぎます。"}));
    WriteBytes("course.ini", "FIELD_TOTAL:[9999]\nFIELD_NUM:[9998]\nFIELD_NAME:[[last]]\n");
    ASSERT_EQ(LoadCourseList(), 1);
    EXPECT_EQ(courseList.courseCount, 9999);
    EXPECT_EQ(Title(9998), u"last");
    EXPECT_EQ(shownMessages.size(), 1u);
}

// A GOAL with two brackets sets x0 and z0 and zeroes the rest; FIELD_NUM sets SELECT_SCALING 1.
TEST_F(CourseListTest, PartialGoalAndScaling)
{
    WriteBytes("course.ini", "FIELD_TOTAL:[1]\nGOAL:[1][2][3][4]\nGOAL:[0.5][0.25]\nFIELD_NUM:[0]\n");
    ASSERT_EQ(LoadCourseList(), 1);
    const CourseDef& c = courseList.courses[0];
    EXPECT_EQ(c.GOAL[0], 0.5f); EXPECT_EQ(c.GOAL[1], 0.25f);
    EXPECT_EQ(c.GOAL[2], 0.0f); EXPECT_EQ(c.GOAL[3], 0.0f);
    EXPECT_EQ(c.SELECT_SCALING, 1.0f);
}

// Titles are cut at 31 characters and paths at the 255 a value holds.
TEST_F(CourseListTest, LongTextsAreCut)
{
    std::string title(40, 'T');
    std::string path(300, 'p');
    WriteBytes("course.ini", "FIELD_TOTAL:[1]\nFIELD_NAME:[[" + title + "]] HEIGHT_MAP:[[" + path + "]]\n");
    ASSERT_EQ(LoadCourseList(), 1);
    EXPECT_EQ(Title(0), std::u16string(31, u'T'));
    EXPECT_EQ(std::u16string(courseList.courses[0].HEIGHT_MAP), std::u16string(255, u'p'));
}

// The best times are read after the list: a record.sav of 3 courses leaves courses 3 and 4 at 0.
TEST_F(CourseListTest, BestTimesReadLast)
{
    WriteBytes("record.sav", LittleEndianWords({1000, 0, 3000}));
    WriteBytes("course.ini", "FIELD_TOTAL:[5]\n");
    ASSERT_EQ(LoadCourseList(), 1);
    ASSERT_EQ(courseList.courseCount, 5);
    EXPECT_EQ(courseList.courses[0].bestTimeMs, 1000u);
    EXPECT_EQ(courseList.courses[2].bestTimeMs, 3000u);
    EXPECT_EQ(courseList.courses[3].bestTimeMs, 0u);
    EXPECT_EQ(courseList.courses[4].bestTimeMs, 0u);
}

// The course list also reads def.ini (its message shows when it is missing).
TEST_F(CourseListTest, ReadsSettingsToo)
{
    WriteBytes("def.ini", "GROUND_BOUND:[0.75]\n");
    WriteBytes("course.ini", "FIELD_TOTAL:[1]\n");
    ASSERT_EQ(LoadCourseList(), 1);
    EXPECT_EQ(game.settings.groundBound, 0.75f);
    remove("def.ini");
    ASSERT_EQ(LoadCourseList(), 1);
    EXPECT_EQ(shownMessages, (std::vector<std::string>{"初期設定ファイル'def.ini'が読み込めませんでした。"}));
}

// Random course files never crash; every obstacle list is well linked.
TEST_F(CourseListTest, RandomFilesAreSafe)
{
    std::vector<std::string> keys = {"FIELD_TOTAL:", "FIELD_NUM:", "FIELD_NAME:", "HEIGHT_MAP:",
                                     "FIELD_TEXTURE:", "DOCUMENT:", "MAP_HEIGHT:", "GRID_SIZE:",
                                     "SELECT_SCALING:", "START:", "GOAL:", "OBJECT:", "#"};
    for (unsigned seed = 0; seed < 80; seed++) {
        std::string text = RandomSettingText(seed, keys);
        if (seed % 2) text = "FIELD_TOTAL:[3]\n" + text;
        WriteBytes("course.ini", text);
        WriteBytes("record.sav", text.substr(0, seed % 17));
        ASSERT_EQ(LoadCourseList(), 1);
        ASSERT_GE(courseList.courseCount, 0);
        for (int i = 0; i < courseList.courseCount; i++) {
            const CourseDef& c = courseList.courses[i];
            EXPECT_LT(TextLength(c.FIELD_NAME), 32u);
            const ObstacleDef* last = nullptr;
            for (const ObstacleDef* o = c.firstObstacle; o; o = o->next) {
                EXPECT_EQ(o->prev, last);
                EXPECT_GE(o->shape, 0);
                EXPECT_LE(o->shape, 2);
                last = o;
            }
            EXPECT_EQ(c.lastObstacle, last);
        }
    }
}
