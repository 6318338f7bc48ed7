// The language on screen, drawn for real over the shipped data: a choice in
// the options shows on the very next frame (the new language's sheets, its
// menu words), and the title is lettered in the language played.
// With KESTRUNE_FRAME_DIR set, the frames are saved there as PNGs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/game.h"
#include "app/loop.h"
#include "data/extras.h"
#include "data/texts.h"
#include "screens/screens.h"
#include "support/gfx_window.h"
#include "support/scripted_input.h"

namespace fs = std::filesystem;

namespace {

const uint32_t kWhite = 0xFFFFFF;

// One frame with the key down, one with it up.
void Press(SysKey key)
{
    scriptedKeys[key] = true;
    ScriptedFrames(1);
    scriptedKeys[key] = false;
    ScriptedFrames(1);
}

int Differing(const Frame& a, const Frame& b, int left, int top, int right, int bottom)
{
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            n += a.Rgb(x, y) != b.Rgb(x, y);
    return n;
}

// The shipped folder with the player's language kept in its extras.
std::string GameIn(int language, const char* name)
{
    std::string dir = CopyGameFolder(KESTRUNE_GAME_DIR, name);
    const unsigned char extras[16] = {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, uint8_t(language), 0, 0, 0};
    std::ofstream(dir + "/extras.sav", std::ios::binary).write(reinterpret_cast<const char*>(extras), sizeof extras);
    return dir;
}

}  // namespace

// Japanese options; the language row turned to English: the frame after
// the choice has the English heading (seven tiles from x = 96, where the
// Japanese three start at 256) and the English row words.
TEST(LanguageFrames, SwitchingInOptionsChangesTheNextFrame)
{
    std::string dir = GameIn(LANGUAGE_JAPANESE, "kestrune-language");
    ASSERT_EQ(StartScriptedGame(dir, nullptr), 1);
    ASSERT_EQ(CurrentLanguage(), LANGUAGE_JAPANESE);
    game.state = STATE_OPTIONS;
    ResetOptions();
    ScriptedFrames(40);
    for (int row = 0; row < 4; row++)
        Press(KEY_DOWN);                  // the language row
    Press(KEY_SPACE);                     // open it
    Frame japanese = KeepFrame("options_ja");
    EXPECT_EQ(japanese.Rgb(128, 60), kWhite) << "no Japanese heading tile there";

    scriptedKeys[KEY_RIGHT] = true;
    ScriptedFrames(1);                            // the choice is made during this frame
    scriptedKeys[KEY_RIGHT] = false;
    ASSERT_EQ(CurrentLanguage(), LANGUAGE_ENGLISH);
    ScriptedFrames(1);
    Frame english = KeepFrame("options_en");
    EXPECT_NE(english.Rgb(128, 60), kWhite) << "the first English heading tile";
    EXPECT_GT(Differing(japanese, english, 87, 168, 240, 332), 500) << "the row labels";
    EXPECT_EQ(extras.language, LANGUAGE_ENGLISH);

    StopScriptedGame();
    fs::remove_all(dir);
}

// The title's letters in each language: KESTRUNE's first letter stands
// left of where the Japanese name begins.
TEST(LanguageFrames, TitleLetteredInTheLanguagePlayed)
{
    Frame title[LANGUAGE_COUNT];
    for (int language = 0; language < LANGUAGE_COUNT; language++) {
        std::string dir = GameIn(language, "kestrune-title");
        ASSERT_EQ(StartScriptedGame(dir, nullptr), 1);
        ScriptedFrames(100);
        title[language] = KeepFrame(language == LANGUAGE_JAPANESE ? "title_ja" : "title_en");
        StopScriptedGame();
        fs::remove_all(dir);
    }
    EXPECT_EQ(title[LANGUAGE_JAPANESE].Rgb(80, 60), kWhite);
    EXPECT_NE(title[LANGUAGE_ENGLISH].Rgb(80, 60), kWhite);
    EXPECT_GT(Differing(title[0], title[1], 0, 20, 640, 160), 5000);
}
