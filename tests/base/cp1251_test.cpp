#include "base/cp1251.h"

#include <gtest/gtest.h>

#include <string>

#include "testutil.h"

using namespace kestrun;

// glibc's converter is the independent reference; it knows no character for 0x98.
TEST(Cp1251, EveryByteMatchesTheSystemConverter) {
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const std::string byte(1, static_cast<char>(b));
        const std::optional<std::string> expected = test::Iconv(byte, "CP1251", "UTF-8");
        std::string got = Cp1251ToUtf8(byte);
        if (!expected) {
            EXPECT_EQ(b, 0x98); // the one byte without a character
            EXPECT_EQ(got, "\xEF\xBF\xBD");
        } else {
            EXPECT_EQ(got, *expected);
        }
    }
}

TEST(Cp1251, EveryByteRoundTripsThroughUtf16AndUtf8) {
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98) continue;
        SCOPED_TRACE(b);
        std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf16ToCp1251(Cp1251ToUtf16(one)), one);
        EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(one)), one);
    }
}

TEST(Cp1251, UnrepresentableAndMalformedInputBecomesQuestionMark) {
    EXPECT_EQ(Utf8ToCp1251("\xE4\xB8\xAD"), "?"); // a Chinese character
    EXPECT_EQ(Utf8ToCp1251("a\xFF"
                           "b"),
              "a?b");                                 // not UTF-8 at all
    EXPECT_EQ(Utf8ToCp1251("\xD0"), "?");             // cut short at the end
    EXPECT_EQ(Utf8ToCp1251("\xF0\x9F\x98\x80"), "?"); // outside the basic plane
    EXPECT_EQ(Utf16ToCp1251(u"\xD83D\xDE00x"), "?x");
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8("\x98")), "?");
}

TEST(Cp1251, KnownLettersAndMarks) {
    EXPECT_EQ(Cp("Игры"), "\xC8\xE3\xF0\xFB");
    EXPECT_EQ(Cp1251ToUtf16("\xC8"), u"\u0418"); // code 1048 in the settings file
    EXPECT_EQ(Cp("°"), "\xB0");
    EXPECT_EQ(Cp("’"), "\x92");
    EXPECT_EQ(Cp("СРП"), "\xD1\xD0\xCF");
}

TEST(Cp1251, UpperCaseCoversLatinAndCyrillic) {
    EXPECT_EQ(UpperCase1251(Cp("abz рсбн ёж")), Cp("ABZ РСБН ЁЖ"));
    EXPECT_EQ(UpperCase1251(".csv"), ".CSV");
    EXPECT_EQ(UpperCase1251("#1 \xB0"), "#1 \xB0");
}

TEST(Cp1251, SameTextIgnoresTheCaseOfLatinAndCyrillic) {
    EXPECT_TRUE(SameText(Cp("sFork Русский"), Cp("SFORK рУССКИЙ")));
    EXPECT_FALSE(SameText(Cp("Ёж"), Cp("Еж")));
    EXPECT_FALSE(SameText("ab", "abc"));
}

// File names of any script survive the settings file's UTF-16 form byte for byte.
TEST(Cp1251, Utf8ThroughUtf16KeepsEveryByteString) {
    for (const std::string& s : {std::string("Flugpläne/飞行计划/\U0001D11E"),
                                 std::string("\xFF\xC3(\xE2\x82)\xED\xA0\x80", 9)}) {
        SCOPED_TRACE(s);
        EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(s)), s);
    }
    EXPECT_EQ(Utf8ToUtf16("ä\xFF"), u"\u00E4\xDCFF");
}
