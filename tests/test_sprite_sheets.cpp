// "sprite.ini": the sheet table, failed pictures keeping their numbers as
// empty slots, grid values and the messages.
#include <malloc.h>
#include <string>

#include "data/texts.h"
#include "render/sprite_sheets.h"
#include "render/device.h"
#include "render/sprites.h"
#include "render/sprites_local.h"
#include "support/data_files.h"
#include "support/physics_support.h"

namespace {

class SpriteSheetsTest : public DataFilesTest {
protected:
    void SetUp() override
    {
        DataFilesTest::SetUp();
        WriteBmp("image/a.bmp");
        WriteBmp("image/b.bmp");
        WriteBmp("image/c.bmp");
        WriteBmp("image/d.bmp");
    }
    void TearDown() override
    {
        ReleaseSpriteSheets();
        DataFilesTest::TearDown();
    }
    // Sheets need real textures; a build whose device cannot make them yet
    // skips the cases that load pictures.
    bool TexturesWork()
    {
        Texture* texture = CreateTextureFromFile("image/a.bmp");
        if (!texture) return false;
        ReleaseTexture(texture);
        return true;
    }
};

}  // namespace

// No sprite.ini: the message and result 0.
TEST_F(SpriteSheetsTest, MissingFileFails)
{
    EXPECT_EQ(LoadSpriteSheets(), 0);
    EXPECT_EQ(shownMessages, (std::vector<std::string>{"テクスチャの設定ファイル'sprite.ini'が読み込めませんでした。"}));
    EXPECT_EQ(sheetCount, 0);
}

// PLANE_NUM:[3] with four TEXTURE lines loads three; the fourth is ignored.
TEST_F(SpriteSheetsTest, ExtraLinesIgnored)
{
    if (!TexturesWork()) GTEST_SKIP() << "textures do not load on this build yet";
    WriteBytes("sprite.ini",
               "PLANE_NUM:[3]\r\n"
               "TEXTURE:[[image\\a.bmp]][4][2]\r\n"
               "TEXTURE:[[image\\b.bmp]][3][1]\r\n"
               "TEXTURE:[[IMAGE/C.BMP]][2][5]\r\n"
               "TEXTURE:[[image\\d.bmp]][7][7]\r\n");
    ASSERT_EQ(LoadSpriteSheets(), 1);
    LoadSheetPictures();
    ASSERT_EQ(sheetCount, 3);
    EXPECT_EQ(sheets[0].columns, 4); EXPECT_EQ(sheets[0].rows, 2);
    EXPECT_EQ(sheets[1].columns, 3); EXPECT_EQ(sheets[1].rows, 1);
    EXPECT_EQ(sheets[2].columns, 2); EXPECT_EQ(sheets[2].rows, 5);
    for (int i = 0; i < 3; i++) EXPECT_NE(sheets[i].texture, nullptr);
    EXPECT_TRUE(shownMessages.empty());
}

// A missing picture shows its name (once, when its sheet is first used) and
// keeps its number, empty, so every later sheet keeps the number the screens
// draw it by; the empty sheet's sprites are left out (a sprite of the next
// sheet is drawn as ever).
// (Failed pictures used to take no number and move the later sheets down.)
TEST_F(SpriteSheetsTest, FailedPictureKeepsItsNumber)
{
    if (!TexturesWork()) GTEST_SKIP() << "textures do not load on this build yet";
    WriteBytes("sprite.ini",
               "PLANE_NUM:[3]\n"
               "TEXTURE:[[image\\a.bmp]][4][2]\n"
               "TEXTURE:[[image\\gone.png]][3][1]\n"
               "TEXTURE:[[image\\c.bmp]][2][5]\n"
               "TEXTURE:[[image\\d.bmp]][7][7]\n");
    ASSERT_EQ(LoadSpriteSheets(), 1);
    // Reading the list reads no picture: each waits for its sheet's first use.
    EXPECT_TRUE(shownMessages.empty());
    EXPECT_EQ(sheets[0].texture, nullptr);
    EXPECT_NE(UseSheet(2)->texture, nullptr);
    EXPECT_TRUE(shownMessages.empty());
    LoadSheetPictures();
    UseSheet(1);
    EXPECT_EQ(shownMessages, (std::vector<std::string>{
                                 "テクスチャファイルの読み込みに失敗しました。\nファイル名：'image\\gone.png'"}));
    ASSERT_EQ(sheetCount, 3);
    EXPECT_EQ(sheets[0].columns, 4);
    EXPECT_NE(sheets[0].texture, nullptr);
    EXPECT_EQ(sheets[1].texture, nullptr);
    EXPECT_EQ(sheets[1].columns, 3);
    EXPECT_EQ(sheets[2].columns, 2);   // the third line is sheet 2
    EXPECT_EQ(sheets[2].rows, 5);
    EXPECT_NE(sheets[2].texture, nullptr);
    DrawSprite(1, 0, 0xFFFFFFFF, 0, DEPTH_SPRITE, 0, 100, 100, 40, 40);
    DrawSprite(2, 0, 0xFFFFFFFF, 0, DEPTH_SPRITE, 0, 200, 100, 40, 40);
    QueuedSprite queued[4];
    ASSERT_EQ(QueuedSpritesInDrawOrder(queued, 4), 1);
    EXPECT_EQ(queued[0].texture, sheets[2].texture);
    FlushSprites();
}

// Missing, zero and negative grid values give one cell; fewer lines than planned count what loaded.
TEST_F(SpriteSheetsTest, GridDefaultsAndShortLists)
{
    if (!TexturesWork()) GTEST_SKIP() << "textures do not load on this build yet";
    WriteBytes("sprite.ini",
               "PLANE_NUM:[5] # twenty really\n"
               "TEXTURE:[[image\\a.bmp]]\n"
               "nothing here\n"
               "TEXTURE:[[image\\b.bmp]][0][3]\n"
               "# TEXTURE:[[image\\c.bmp]]\n"
               "TEXTURE:[[image\\d.bmp]][-2][x]\n");
    ASSERT_EQ(LoadSpriteSheets(), 1);
    LoadSheetPictures();
    ASSERT_EQ(sheetCount, 3);
    EXPECT_EQ(sheets[0].columns, 1); EXPECT_EQ(sheets[0].rows, 1);
    EXPECT_EQ(sheets[1].columns, 1); EXPECT_EQ(sheets[1].rows, 3);
    EXPECT_EQ(sheets[2].columns, 1); EXPECT_EQ(sheets[2].rows, 1);
}

// A huge PLANE_NUM costs no memory by itself: the table holds what loaded.
TEST_F(SpriteSheetsTest, HugePlaneCountSizedByLoadedSheets)
{
    if (!TexturesWork()) GTEST_SKIP() << "textures do not load on this build yet";
    WriteBytes("sprite.ini", "PLANE_NUM:[173741823]\nTEXTURE:[[image\\a.bmp]][2][2]\nTEXTURE:[[image\\b.bmp]]\n");
    ASSERT_EQ(LoadSpriteSheets(), 1);
    LoadSheetPictures();
    ASSERT_EQ(sheetCount, 2);
    EXPECT_LT(malloc_usable_size(sheets), 4096u);
    EXPECT_EQ(sheets[0].columns, 2);
    EXPECT_NE(sheets[1].texture, nullptr);
    // Past the first growth step the earlier sheets keep their values.
    std::string many = "PLANE_NUM:[40]\n";
    for (int i = 0; i < 40; i++) many += "TEXTURE:[[image\\c.bmp]][" + std::to_string(i + 1) + "]\n";
    WriteBytes("sprite.ini", many);
    ASSERT_EQ(LoadSpriteSheets(), 1);
    LoadSheetPictures();
    ASSERT_EQ(sheetCount, 40);
    for (int i = 0; i < 40; i++) EXPECT_EQ(sheets[i].columns, i + 1);
    EXPECT_TRUE(shownMessages.empty());
}

// A comment line before PLANE_NUM makes an empty table; nothing loads and nothing is shown.
TEST_F(SpriteSheetsTest, PlaneCountOnlyOnFirstLine)
{
    WriteUtf16File("sprite.ini", u"# sheets\r\nPLANE_NUM:[2]\r\nTEXTURE:[[image\\a.bmp]]\r\n");
    ASSERT_EQ(LoadSpriteSheets(), 1);
    LoadSheetPictures();
    EXPECT_EQ(sheetCount, 0);
    EXPECT_TRUE(shownMessages.empty());
    WriteBytes("sprite.ini", "PLANE_NUM:[-3]\nTEXTURE:[[image\\a.bmp]]\n");
    ASSERT_EQ(LoadSpriteSheets(), 1);
    LoadSheetPictures();
    EXPECT_EQ(sheetCount, 0);
}

// Random sprite lists never crash; every sheet has grid counts of at least
// 1, and each one without a texture was said in a message.
TEST_F(SpriteSheetsTest, RandomFilesAreSafe)
{
    std::vector<std::string> keys = {"PLANE_NUM:", "TEXTURE:", "[[image\\a.bmp]]", "#"};
    for (unsigned seed = 0; seed < 60; seed++) {
        std::string text = RandomSettingText(seed, keys);
        if (seed % 2) text = "PLANE_NUM:[4]\n" + text;
        WriteBytes("sprite.ini", text);
        shownMessages.clear();
        ASSERT_EQ(LoadSpriteSheets(), 1);
        LoadSheetPictures();
        ASSERT_GE(sheetCount, 0);
        ASSERT_LE(sheetCount, 4);
        size_t empty = 0;
        for (int i = 0; i < sheetCount; i++) {
            empty += sheets[i].texture == nullptr;
            EXPECT_GE(sheets[i].columns, 1);
            EXPECT_GE(sheets[i].rows, 1);
        }
        EXPECT_EQ(empty, shownMessages.size()) << text;
    }
}

namespace {

int TextureWidth(const SpriteSheet& sheet)
{
    int w = 0, h = 0;
    TextureSize(sheet.texture, &w, &h);
    return w;
}

}  // namespace

// English looks in en/ first, file by file: a picture there replaces the
// game folder's, a picture missing there is the game folder's own, and
// without en/sprite.ini the game folder's list is read. A sheet set made
// with only the Japanese files plays unchanged in English.
TEST_F(SpriteSheetsTest, LanguageFolderFallsBackPerFile)
{
    if (!TexturesWork()) GTEST_SKIP() << "textures do not load on this build yet";
    WriteBytes("sprite.ini", "PLANE_NUM:[2]\r\nTEXTURE:[[image\\a.bmp]][2][1]\r\nTEXTURE:[[image\\b.bmp]][2][1]\r\n");
    SetLanguage(LANGUAGE_ENGLISH);
    ASSERT_EQ(LoadSpriteSheets(), 1);
    LoadSheetPictures();
    ASSERT_EQ(sheetCount, 2);
    EXPECT_EQ(TextureWidth(sheets[1]), 2);
    EXPECT_EQ(sheets[1].cells, 0);

    ASSERT_EQ(0, system(("mkdir -p " + dir + "en/image").c_str()));
    std::string wide = WriteGreyBmp("sheet_wide.bmp", 8, 2, std::vector<int>(16, 128));
    ASSERT_EQ(0, system(("cp " + wide + " " + dir + "en/image/b.bmp").c_str()));
    ASSERT_EQ(LoadSpriteSheets(), 1);
    LoadSheetPictures();
    EXPECT_EQ(sheetsLanguage, LANGUAGE_ENGLISH);
    EXPECT_EQ(TextureWidth(sheets[0]), 2);   // no en/image/a.bmp: the game folder's
    EXPECT_EQ(TextureWidth(sheets[1]), 8);   // en/image/b.bmp
    SetLanguage(LANGUAGE_JAPANESE);
    ASSERT_EQ(LoadSpriteSheets(), 1);
    LoadSheetPictures();
    EXPECT_EQ(TextureWidth(sheets[1]), 2);

    // en/sprite.ini gives English its own grid and the cells a row lays out,
    // at most the grid's; a cell's shape is the picture's.
    WriteBytes("en/sprite.ini", "PLANE_NUM:[2]\r\nTEXTURE:[[image\\a.bmp]][2][1][9]\r\nTEXTURE:[[image\\b.bmp]][2][1][1]\r\n");
    SetLanguage(LANGUAGE_ENGLISH);
    ASSERT_EQ(LoadSpriteSheets(), 1);
    LoadSheetPictures();
    EXPECT_EQ(sheets[0].cells, 2);
    EXPECT_EQ(sheets[1].cells, 1);
    EXPECT_FLOAT_EQ(sheets[1].cellAspect, 2.0f);   // 8 x 2 in two columns
    EXPECT_TRUE(shownMessages.empty());
}
