#include "text.h"

#include <gtest/gtest.h>

using namespace zef;

TEST(Cp1252, RoundTripsEveryDefinedByteThroughUtf8AndUtf16) {
    for (int b = 1; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(one)), one) << b;
        EXPECT_EQ(utf16ToCp1252(cp1252ToUtf16(one)), one) << b;
    }
    // The markers the editor puts at the start of lines.
    EXPECT_EQ(cp1252ToUtf8("\x95"), "•");
    EXPECT_EQ(cp1252ToUtf8("\xBB"), "»");
    EXPECT_EQ(cp1252ToUtf8("\x80t\xE9"), "€té");
}

TEST(Cp1252, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(utf8ToCp1252("a→b"), "a?b");
    EXPECT_EQ(utf8ToCp1252("😀"), "?");
    EXPECT_EQ(utf16ToCp1252(u"x\u4e2d"), "x?");
    // A malformed sequence is not dropped silently either.
    EXPECT_EQ(utf8ToCp1252("a\xC3"), "a?");
}

TEST(Cp1252, FileTextIsUtf8WhenValidElseWindows1252) {
    EXPECT_EQ(decodeFileText("\xEF\xBB\xBF" "caf\xC3\xA9"), "caf\xE9");
    EXPECT_EQ(decodeFileText("caf\xE9"), "caf\xE9");
    EXPECT_FALSE(isValidUtf8("\xE9t\xE9"));
    EXPECT_FALSE(isValidUtf8("\xC0\x80")); // overlong
    EXPECT_TRUE(isValidUtf8("été"));
}

// The code points UTF-8 may not carry: the surrogates (U+D800 to U+DFFF, halves of UTF-16
// pairs) and whatever lies beyond U+10FFFF. A file holding them is not UTF-8, and its bytes
// are read as Windows-1252; their neighbours are ordinary characters.
TEST(Cp1252, SurrogatesAndCodePointsBeyondUnicodeAreNotUtf8) {
    for (const char* invalid : {"\xED\xA0\x80", "\xED\xBF\xBF", "\xF4\x90\x80\x80"})
        EXPECT_FALSE(isValidUtf8(invalid)) << invalid;
    for (const char* valid : {"\xED\x9F\xBF", "\xEE\x80\x80", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(isValidUtf8(valid)) << valid;
    EXPECT_EQ(decodeFileText("a\xED\xA0\x80"), "a\xED\xA0\x80");
    EXPECT_EQ(utf8ToCp1252("a\xED\xA0\x80" "b"), "a???b");
}

TEST(Text, TrimCountsEveryCharacterUpToTheSpaceAsBlank) {
    EXPECT_EQ(trim(" \t\x01 abc \r\n"), "abc");
    EXPECT_EQ(trim("\xA0x\xA0"), "\xA0x\xA0"); // 8-bit characters are not blanks
    EXPECT_EQ(trimLeft("  a "), "a ");
    EXPECT_EQ(trimRight("  a "), "  a");
    EXPECT_EQ(trim("   "), "");
}

TEST(Text, CaseChangesOnlyAsciiLetters) {
    EXPECT_EQ(upperAscii("\xE9t\xE9 abz"), "\xE9T\xE9 ABZ");
    EXPECT_EQ(lowerAscii("\xC9T\xC9 ABZ"), "\xC9t\xC9 abz");
}

TEST(Text, SmallHelpers) {
    EXPECT_EQ(cut255(std::string(300, 'x')).size(), 255u);
    EXPECT_EQ(tabsToSpaces("a\tb"), "a b");
    EXPECT_EQ(dropTrailing("a;;", ';'), "a;");
    EXPECT_EQ(dropTrailing("", ';'), "");
    EXPECT_EQ(dropLast("f(x)"), "f(x");
    EXPECT_EQ(dropLast(""), "");
}

TEST(Text, SplitLinesAcceptsEveryLineEnd) {
    EXPECT_EQ(splitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\n"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(splitLines("a\n\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(splitLines("").empty());
}
