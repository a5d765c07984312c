// Windows-1252 on disk, UTF-8 in memory, and the self-inverse scrambling
// that hides every text of the data files.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "Cp1252.h"
#include "Scramble.h"

using namespace tmf;

namespace {

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int v : b) s.push_back(static_cast<char>(v));
    return s;
}

}  // namespace

TEST(Cp1252, EveryByteSurvivesTheTripThroughUtf8) {
    for (int b = 0; b < 256; ++b) {
        std::string byte(1, static_cast<char>(b));
        std::string utf8 = Cp1252ToUtf8(byte);
        EXPECT_EQ(Utf8Length(utf8), 1u) << b;
        EXPECT_TRUE(IsCp1252Representable(utf8)) << b;
        EXPECT_EQ(Utf8ToCp1252(utf8), byte) << b;
    }
}

TEST(Cp1252, GermanAndWindowsCharactersHaveTheirCodes) {
    EXPECT_EQ(Utf8ToCp1252("€"), Bytes({0x80}));
    EXPECT_EQ(Utf8ToCp1252("„"), Bytes({0x84}));
    EXPECT_EQ(Utf8ToCp1252("“"), Bytes({0x93}));
    EXPECT_EQ(Utf8ToCp1252("…"), Bytes({0x85}));
    EXPECT_EQ(Utf8ToCp1252("Ÿ"), Bytes({0x9F}));
    EXPECT_EQ(Utf8ToCp1252("ž"), Bytes({0x9E}));
    EXPECT_EQ(Utf8ToCp1252("ÄÖÜäöüß"), Bytes({0xC4, 0xD6, 0xDC, 0xE4, 0xF6, 0xFC, 0xDF}));
    EXPECT_EQ(Utf8ToCp1252("´"), Bytes({0xB4}));
    EXPECT_EQ(Cp1252ToUtf8(Bytes({0x80, 0x84, 0xE4})), "€„ä");
}

TEST(Cp1252, UndefinedBytesMapToC1ControlsAndBack) {
    for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        std::string utf8 = Cp1252ToUtf8(std::string(1, static_cast<char>(b)));
        EXPECT_EQ(utf8, std::string({static_cast<char>(0xC2), static_cast<char>(b)})) << b;
    }
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1252("Łódź"),
              "?\xF3"
              "d?");
    EXPECT_EQ(Utf8ToCp1252("a😀b"), "a?b");
    EXPECT_EQ(Utf8ToCp1252("Ωmega"), "?mega");
    EXPECT_FALSE(IsCp1252Representable("Łódź"));
    EXPECT_FALSE(IsCp1252Representable("😀"));
    EXPECT_TRUE(IsCp1252Representable("Jürgen € „Zitat“"));
    EXPECT_TRUE(IsCp1252Representable(""));
}

TEST(Cp1252, BrokenUtf8BecomesQuestionMarksWithoutSwallowingText) {
    EXPECT_EQ(Utf8ToCp1252("a\xC3"
                           "b"),
              "a?b");
    EXPECT_EQ(Utf8ToCp1252("\x80x"), "?x");
    EXPECT_EQ(Utf8ToCp1252("x\xE2\x82"), "x?");
    EXPECT_EQ(Utf8ToCp1252("\xFF"), "?");
    EXPECT_FALSE(IsCp1252Representable("a\xC3"));
}

TEST(Cp1252, LimitCountsCharactersNotUtf8Bytes) {
    EXPECT_EQ(Utf8ToCp1252("äöüß", 2), Bytes({0xE4, 0xF6}));
    EXPECT_EQ(Utf8ToCp1252("€€€", 0), "");
    EXPECT_EQ(Utf8ToCp1252("abc", 10), "abc");
}

TEST(Utf8, LengthAndLeftCountCharacters) {
    EXPECT_EQ(Utf8Length(""), 0u);
    EXPECT_EQ(Utf8Length("Müller"), 6u);
    EXPECT_EQ(Utf8Length("€„"), 2u);
    EXPECT_EQ(Utf8Left("Müller", 2), "Mü");
    EXPECT_EQ(Utf8Left("Müller", 0), "");
    EXPECT_EQ(Utf8Left("Müller", 6), "Müller");
    EXPECT_EQ(Utf8Left("Müller", 99), "Müller");
    EXPECT_EQ(Utf8Left("€€€", 1), "€");
}

TEST(Scramble, KeyIs255MinusTheLengthUpTo240) {
    for (std::size_t l = 0; l <= 240; ++l) EXPECT_EQ(ScrambleKey(l), 255 - l) << l;
    EXPECT_EQ(ScrambleKey(3), 252);
    EXPECT_EQ(ScrambleKey(30), 225);
    EXPECT_EQ(ScrambleKey(100), 155);
}

TEST(Scramble, LongerLinesHalveTheLengthOnce) {
    EXPECT_EQ(ScrambleKey(241), 135);
    EXPECT_EQ(ScrambleKey(250), 130);
    EXPECT_EQ(ScrambleKey(255), 128);
    for (std::size_t l = 241; l <= 255; ++l) EXPECT_EQ(ScrambleKey(l), 255 - l / 2) << l;
}

TEST(Scramble, AbcIsStoredAs157158159) {
    EXPECT_EQ(ScrambleText("abc"), Bytes({157, 158, 159}));
    EXPECT_EQ(ScrambleText(Bytes({157, 158, 159})), "abc");
}

TEST(Scramble, EmptyTextStaysEmpty) {
    EXPECT_EQ(ScrambleText(""), "");
}

TEST(Scramble, UmlautInALineOf17CharactersBecomesALineFeed) {
    std::string line = Utf8ToCp1252("ä") + std::string(16, 'x');
    ASSERT_EQ(line.size(), 17u);
    EXPECT_EQ(ScrambleText(line)[0], '\n');
}

TEST(Scramble, IsItsOwnInverseForEveryLength) {
    std::mt19937 rng(7);
    for (std::size_t l = 0; l <= 255; ++l) {
        std::string s(l, '\0');
        for (char& c : s) c = static_cast<char>(rng());
        std::string once = ScrambleText(s);
        EXPECT_EQ(once.size(), l);
        EXPECT_EQ(ScrambleText(once), s) << l;
        const unsigned char key = ScrambleKey(l);
        for (std::size_t i = 0; i < l; ++i)
            ASSERT_EQ(static_cast<unsigned char>(once[i]), static_cast<unsigned char>(s[i]) ^ key);
        std::string inPlace = s;
        ScrambleInPlace(inPlace.data(), inPlace.size());
        EXPECT_EQ(inPlace, once);
    }
}
