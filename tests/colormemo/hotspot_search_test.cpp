#include "hotspot.h"
#include "search.h"

#include "text.h"

#include <gtest/gtest.h>

#include <locale>
#include <map>
#include <stdexcept>

using namespace zef;

namespace {

THotSpot activeHotSpot() {
    THotSpot hotSpot;
    hotSpot.Active = true;
    return hotSpot;
}

// Runs successive searches as the find-next command does, each from the selection the
// previous one left, and lists where they matched.
std::vector<std::int64_t> walk(std::string_view text, std::string_view what, SearchOptions options,
                               std::int64_t selStart, std::int64_t selLength = 0) {
    std::vector<std::int64_t> found;
    while (SearchText(text, selStart, selLength, what, options) && found.size() < 10)
        found.push_back(selStart);
    return found;
}

using Positions = std::vector<std::int64_t>;

} // namespace

TEST(HotSpotTest, TheClickReportsTheEnclosedTextAroundTheMouse) {
    const THotSpot hotSpot = activeHotSpot();
    const std::string line = "voir \x1Elien\x1F et";
    EXPECT_EQ(HotSpotAt(hotSpot, line, 6), "lien");
    EXPECT_EQ(HotSpotAt(hotSpot, line, 9), "lien");
    EXPECT_EQ(HotSpotAt(hotSpot, line, 2), std::nullopt);  // the next marker opens one
    EXPECT_EQ(HotSpotAt(hotSpot, line, 12), std::nullopt); // no marker to the right
    EXPECT_EQ(HotSpotAt(hotSpot, line, 40), std::nullopt);
    // A hot spot that opened on an earlier line: everything before the mouse on this line.
    EXPECT_EQ(HotSpotAt(hotSpot, "suite\x1F fin", 1), "suite");
    THotSpot inactive = hotSpot;
    inactive.Active = false;
    EXPECT_EQ(HotSpotAt(inactive, line, 6), std::nullopt);
}

TEST(HotSpotTest, OneCharacterMayBothOpenAndCloseAHotSpot) {
    THotSpot hotSpot = activeHotSpot();
    hotSpot.BeginChar = hotSpot.EndChar = '|';
    EXPECT_EQ(HotSpotAt(hotSpot, "a |b c| d", 4), "b c");
    hotSpot.BeginChar = '\0'; // switched off
    EXPECT_EQ(HotSpotAt(hotSpot, "a |b c| d", 4), std::nullopt);
}

TEST(Search, ForwardWalksThroughTheTextAndBackwardComesBack) {
    const std::string text = "begin\r\nBEGIN end.\r\nbegin"; // "begin" at 0, 7 and 19
    EXPECT_EQ(walk(text, "begin", {}, 0), (Positions{0, 7, 19}));
    SearchOptions backward;
    backward.Down = false;
    EXPECT_EQ(walk(text, "begin", backward, 24), (Positions{19, 7, 0}));
    // Backward starts one search-text length before the selection start.
    EXPECT_EQ(walk(text, "begin", backward, 23), (Positions{7, 0}));
    // A match may end with the very last character.
    EXPECT_EQ(walk("x ab", "ab", {}, 0), Positions{2});
    EXPECT_EQ(walk("abc", "bc", backward, 3), Positions{1});
}

TEST(Search, MatchCaseAndAccentedLetters) {
    SearchOptions matchCase;
    matchCase.MatchCase = true;
    EXPECT_EQ(walk("BEGIN begin", "begin", matchCase, 0), Positions{6});
    EXPECT_EQ(walk("BEGIN begin", "begin", {}, 0), (Positions{0, 6}));
    EXPECT_EQ(walk("d\xC9J\xC0 \xE9t\xE9", "\xE9t\xE9", {}, 0), Positions{5});
    EXPECT_EQ(walk("\xC9T\xC9 \x8C\x9C", "\xE9t\xE9 \x9C\x9C", {}, 0), Positions{0});
    EXPECT_TRUE(walk("\xC9T\xC9", "\xE9t\xE9", matchCase, 0).empty());
}

// Without "Respecter la casse" every letter of Windows-1252 matches its capital, and
// nothing else matches anything: the capital of each byte is the one Unicode gives its
// character, when Windows-1252 has it (ÿ's is Ÿ, µ's and ß's are not in it; ÷ and × are no
// letters). Unicode's case mapping comes from the C.UTF-8 locale.
TEST(Search, WithoutMatchCaseEveryLetterMatchesTheCapitalUnicodeGivesIt) {
    std::locale unicode;
    try {
        unicode = std::locale("C.UTF-8");
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "no C.UTF-8 locale to take Unicode's capitals from";
    }
    const auto& ctype = std::use_facet<std::ctype<wchar_t>>(unicode);
    std::map<char32_t, int> byteOf;
    for (int b = 0; b < 256; ++b) byteOf[cp1252ToCodePoint(static_cast<unsigned char>(b))] = b;
    for (int b = 0; b < 256; ++b) {
        const auto capital = static_cast<char32_t>(
            ctype.toupper(static_cast<wchar_t>(cp1252ToCodePoint(static_cast<unsigned char>(b)))));
        const auto it = byteOf.find(capital);
        const int expected = it == byteOf.end() ? b : it->second;
        EXPECT_EQ(static_cast<unsigned char>(UpperCp1252(static_cast<char>(b))), expected) << "byte " << b;
    }
    // Both the text and what is sought are compared in capitals.
    EXPECT_EQ(walk("x\xC0\xDE\x8A\x8E\x8C\x9F", "\xE0\xFE\x9A\x9E\x9C\xFF", {}, 0), Positions{1});
    EXPECT_EQ(walk("\xE0\xFE\x9A\x9E\x9C\xFF \xF7", "\xC0\xDE\x8A\x8E\x8C\x9F", {}, 0), Positions{0});
    EXPECT_TRUE(walk("\xF7\xDF", "\xD7", {}, 0).empty());
}

TEST(Search, WholeWordSkipsTheRestOfTheWordTheSearchStandsIn) {
    SearchOptions whole;
    whole.WholeWord = true;
    const std::string text = "begin beginning begin";
    EXPECT_EQ(walk(text, "begin", whole, 2), Positions{16});
    EXPECT_EQ(walk(text, "begin", {}, 2), (Positions{6, 16}));
    EXPECT_TRUE(walk(text, "gin", whole, 0).empty());
    // Underscores and accented letters delimit words.
    EXPECT_EQ(walk("my_var x", "var", whole, 0), Positions{3});
    EXPECT_EQ(walk("\xE9t\xE9x x", "t", whole, 0), Positions{1});
    // A word that starts right at the search position is found.
    EXPECT_EQ(walk(text, "begin", whole, 0), (Positions{0, 16}));
}

TEST(Search, WholeWordBackwardFindsTheWordAtTheVeryStart) {
    SearchOptions whole;
    whole.WholeWord = true;
    whole.Down = false;
    EXPECT_EQ(walk("begin beginning begin", "begin", whole, 21), (Positions{16, 0}));
    EXPECT_EQ(walk("ab abc", "ab", whole, 5), Positions{0});
}

TEST(Search, NothingToFindLeavesTheSelectionAlone) {
    std::int64_t start = 2, length = 1;
    EXPECT_FALSE(SearchText("abcabc", start, length, "", {}));
    EXPECT_FALSE(SearchText("", start, length, "a", {}));
    EXPECT_FALSE(SearchText("abcabc", start, length, "x", {}));
    EXPECT_FALSE(SearchText("abc", start, length, "abcd", {}));
    EXPECT_EQ(start, 2);
    EXPECT_EQ(length, 1);
    start = 40; // a selection beyond the text
    EXPECT_FALSE(SearchText("abcabc", start, length, "a", {}));
    EXPECT_TRUE(IsWordDelimiter('_'));
    EXPECT_TRUE(IsWordDelimiter('\xE9'));
    EXPECT_FALSE(IsWordDelimiter('7'));
}
