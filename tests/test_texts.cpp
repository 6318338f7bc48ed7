// The game's texts in both languages, and the language the locale picks.
#include <gtest/gtest.h>

#include "data/texts.h"

// Every key has a text in every language, and the rows stand in key order.
TEST(Texts, EveryKeyInEveryLanguage)
{
    for (int id = 0; id < TEXT_COUNT; id++)
        for (int language = 0; language < LANGUAGE_COUNT; language++)
            EXPECT_STRNE("", TrIn(TextId(id), language)) << "key " << id << ", language " << language;
    EXPECT_STRNE(TrIn(TEXT_VALUE_ON, LANGUAGE_JAPANESE), TrIn(TEXT_VALUE_ON, LANGUAGE_ENGLISH));
}

// LC_ALL, then LC_MESSAGES, then LANG; an empty one counts as unset; only
// "ja..." is Japanese.
TEST(Texts, LanguageFromTheLocale)
{
    EXPECT_EQ(LANGUAGE_JAPANESE, LanguageFromLocale(nullptr, nullptr, "ja_JP.UTF-8"));
    EXPECT_EQ(LANGUAGE_ENGLISH, LanguageFromLocale(nullptr, nullptr, "en_US.UTF-8"));
    EXPECT_EQ(LANGUAGE_ENGLISH, LanguageFromLocale("C", nullptr, "ja_JP.UTF-8"));
    EXPECT_EQ(LANGUAGE_JAPANESE, LanguageFromLocale("", "ja_JP", "en_GB.UTF-8"));
    EXPECT_EQ(LANGUAGE_ENGLISH, LanguageFromLocale(nullptr, "de_DE", "ja_JP.UTF-8"));
    EXPECT_EQ(LANGUAGE_ENGLISH, LanguageFromLocale(nullptr, nullptr, nullptr));
    EXPECT_EQ(LANGUAGE_ENGLISH, LanguageFromLocale("", "", ""));
}

// The running game's language switches what Tr gives at once.
TEST(Texts, SwitchingTheLanguage)
{
    SetLanguage(LANGUAGE_JAPANESE);
    EXPECT_STREQ("日本語", LanguageName(CurrentLanguage()));
    EXPECT_STREQ(TrIn(TEXT_OPTION_LANGUAGE, LANGUAGE_JAPANESE), Tr(TEXT_OPTION_LANGUAGE));
    SetLanguage(7);
    EXPECT_EQ(LANGUAGE_ENGLISH, CurrentLanguage());
    EXPECT_STREQ("Language", Tr(TEXT_OPTION_LANGUAGE));
}
