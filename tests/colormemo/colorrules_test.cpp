#include "colorrules.h"
#include "runtext.h"

#include <gtest/gtest.h>

using namespace zef;
using namespace zef::testing;
using Lines = std::vector<std::string>;

TEST(ParseColor, KnowsSixteenNamesAndRedGreenBlueHexInThreeSpellings) {
    EXPECT_EQ(ParseColor("Blue"), 0xFF0000u);
    EXPECT_EQ(ParseColor("  maroon "), 0x000080u);
    EXPECT_EQ(ParseColor("Fuchsia"), 0xFF00FFu);
    EXPECT_EQ(ParseColor("silver"), 0xC0C0C0u);
    // Red-green-blue text becomes a colour with blue in the high byte.
    EXPECT_EQ(ParseColor("#FF0000"), clRed);
    EXPECT_EQ(ParseColor("$FF0000"), clRed);
    EXPECT_EQ(ParseColor("FF0000"), clRed);
    EXPECT_EQ(ParseColor("#123456"), 0x563412u);
    EXPECT_EQ(ParseColor("ff"), 0xFF0000u);
    // Bits above the low 24 are dropped.
    EXPECT_EQ(ParseColor("$1FF0000"), clRed);
}

TEST(ParseColor, AnythingElseIsWhite) {
    EXPECT_EQ(ParseColor("clBlue"), clWhite); // only the bare names are known
    EXPECT_EQ(ParseColor("bleu"), clWhite);
    EXPECT_EQ(ParseColor("FF$00"), clWhite);
    EXPECT_EQ(ParseColor("#"), clWhite);
    EXPECT_EQ(ParseColor("123456789AB"), clWhite); // cut to 10 characters, too big
    EXPECT_EQ(ParseColor("12 34"), clWhite);
}

TEST(KeywordList, EachLineGivesAKeywordWithItsOwnOrTheDefaultColour) {
    TColorRule rule;
    rule.setKeyDrawingType(TKeyDrawingType::dtKeyShow);
    rule.setDefKeyColor(clMaroon);
    rule.setKeywords({"Begin;Blue", "End", ";Blue", "   ", " Do ;  ", "x;zzz"});
    const auto& pattern = rule.KeywordPattern();
    ASSERT_EQ(pattern.size(), 4u);
    EXPECT_EQ(pattern[0].keyword, "BEGIN");
    EXPECT_EQ(pattern[0].colour, clBlue);
    EXPECT_EQ(pattern[1].keyword, "END");
    EXPECT_EQ(pattern[1].colour, clMaroon);
    // Blanks around a keyword belong to it; a blank colour part means the default.
    EXPECT_EQ(pattern[2].keyword, " DO ");
    EXPECT_EQ(pattern[2].colour, clMaroon);
    EXPECT_EQ(pattern[3].colour, clWhite);
}

TEST(KeywordList, FollowsLaterChangesOfCaseAndDefaultColour) {
    TColorRule rule;
    rule.setKeyDrawingType(TKeyDrawingType::dtKeyShow);
    rule.setKeywords({"Begin"});
    rule.setKeyCase(true);
    rule.setDefKeyColor(clGreen);
    ASSERT_EQ(rule.KeywordPattern().size(), 1u);
    EXPECT_EQ(rule.KeywordPattern()[0].keyword, "Begin");
    EXPECT_EQ(rule.KeywordPattern()[0].colour, clGreen);
}

class KeywordScan : public ::testing::Test {
protected:
    void SetUp() override {
        rule.setKeyDrawingType(TKeyDrawingType::dtKeyShow);
        rule.setDefKeyColor(clBlue);
        rule.setZOrder(7);
    }
    TColorRule rule;
};

TEST_F(KeywordScan, WordTestTakesTheAtSignAsALetterButNotDigitsUnderscoreOrAccents) {
    rule.setKeywords({"Write"});
    EXPECT_TRUE(scanAndDescribe(rule, "writeln(x)").empty());
    EXPECT_EQ(scanAndDescribe(rule, "write1"), Lines{"\"write\" blue p7 key"});
    EXPECT_EQ(scanAndDescribe(rule, "_write"), Lines{"\"write\" blue p7 key"});
    EXPECT_EQ(scanAndDescribe(rule, "\xE9write\xE9"), Lines{"\"write\" blue p7 key"});
    EXPECT_TRUE(scanAndDescribe(rule, "@write").empty());
    EXPECT_TRUE(scanAndDescribe(rule, "writes").empty()); // the text's last character is looked at too
    EXPECT_TRUE(scanAndDescribe(rule, "rewrite").empty());
    EXPECT_EQ(scanAndDescribe(rule, "WRITE(a); Write(b)"),
              (Lines{"\"WRITE\" blue p7 key", "\"Write\" blue p7 key"}));
}

TEST_F(KeywordScan, PartWordAndCaseSensitivity) {
    rule.setKeywords({"Write"});
    rule.setPartWord(true);
    EXPECT_EQ(scanAndDescribe(rule, "writeln"), Lines{"\"write\" blue p7 key"});
    rule.setKeyCase(true);
    EXPECT_EQ(scanAndDescribe(rule, "write Write WRITE"), Lines{"\"Write\" blue p7 key"});
}

TEST_F(KeywordScan, OccurrencesOfOneKeywordDoNotOverlapButDifferentKeywordsMay) {
    rule.setPartWord(true);
    rule.setKeywords({"aa"});
    EXPECT_EQ(scanAndDescribe(rule, "aaa").size(), 1u);
    rule.setPartWord(false);
    rule.setKeywords({"End.;Red", "End"});
    EXPECT_EQ(scanAndDescribe(rule, "end. end"),
              (Lines{"\"end.\" red p7 key", "\"end\" blue p7 key", "\"end\" blue p7 key"}));
    // The first ";" starts the colour: a keyword list cannot hold "End;".
    rule.setKeywords({"End;"});
    EXPECT_EQ(rule.KeywordPattern().at(0).keyword, "END");
}

TEST_F(KeywordScan, KeywordsAreTakenOneAfterAnotherInListOrder) {
    rule.setKeywords({"b", "a"});
    const auto runs = scanWhole(rule, "a b a");
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].start, 2);
    EXPECT_EQ(runs[1].start, 0);
    EXPECT_EQ(runs[2].start, 4);
}

TEST(KeyTable, BeginEndPairsAreCutToSixCharactersAndEndAtTheFirstBadLine) {
    TColorRule rule;
    rule.setDefKeyColor(clGray);
    rule.setKeyBegEndLst({"{;}", "(*;*);Green", "BEGINNING;ENDINGS;red", "<!--;-->;", "nothing", "[;]"});
    const auto& table = rule.KeyTable();
    ASSERT_EQ(table.size(), 4u); // "nothing" has no ";" and ends the table
    EXPECT_EQ(table[0].beginKey, "{");
    EXPECT_EQ(table[0].endKey, "}");
    EXPECT_EQ(table[0].colour, clGray);
    EXPECT_EQ(table[1].beginKey, "(*");
    EXPECT_EQ(table[1].endKey, "*)");
    EXPECT_EQ(table[1].colour, clGreen);
    EXPECT_EQ(table[2].beginKey, "BEGINN");
    EXPECT_EQ(table[2].endKey, "ENDING");
    EXPECT_EQ(table[2].colour, clRed);
    EXPECT_EQ(table[3].colour, clGray);

    rule.setKeyBegEndLst({";}", "{;}"}); // a line starting with ";" has no begin key
    EXPECT_TRUE(rule.KeyTable().empty());
}

TEST(KeyTable, OnlyFortyLinesAreRead) {
    TColorRule rule;
    Lines lines;
    for (int i = 0; i < 45; ++i) lines.push_back("<" + std::to_string(i) + ";>");
    rule.setKeyBegEndLst(lines);
    ASSERT_EQ(rule.KeyTable().size(), 40u);
    EXPECT_EQ(rule.KeyTable()[39].beginKey, "<39");
}

TEST(KeyTable, LineEndKeysWithTheSemicolonItself) {
    TColorRule rule;
    rule.setKeyDrawingType(TKeyDrawingType::dtBeginLineEnd);
    rule.setDefKeyColor(clGray);
    rule.setKeyLineEndLst({"//", ";;Green", "#;Blue", ";x", "REMARKABLE"});
    const auto& table = rule.KeyTable();
    ASSERT_EQ(table.size(), 5u);
    EXPECT_EQ(table[0].beginKey, "//");
    EXPECT_EQ(table[0].colour, clGray);
    EXPECT_EQ(table[1].beginKey, ";");
    EXPECT_EQ(table[1].colour, clGreen);
    EXPECT_EQ(table[2].beginKey, "#");
    EXPECT_EQ(table[2].colour, clBlue);
    EXPECT_EQ(table[3].beginKey, ";x"); // a single leading ";" is part of the key
    EXPECT_EQ(table[4].beginKey, "REMARK");
    for (const TKeyEntry& entry : table) EXPECT_TRUE(entry.endKey.empty());
    // ";;" alone names the semicolon too, in the default colour.
    rule.setKeyLineEndLst({";;"});
    ASSERT_EQ(rule.KeyTable().size(), 1u);
    EXPECT_EQ(rule.KeyTable()[0].beginKey, ";");
    EXPECT_EQ(rule.KeyTable()[0].colour, clGray);
}

TEST(BeginEndScan, CommentsSpanLinesAndAnUnclosedOneEndsTheScan) {
    TColorRule rule;
    rule.setDefKeyColor(clGray);
    rule.setKeyBegEndLst({"{;}", "(*;*)"});
    EXPECT_EQ(scanAndDescribe(rule, "a {one\r\ntwo} b (*x*) {}"),
              (Lines{"\"{one|two}\" gray", "\"(*x*)\" gray", "\"{}\" gray"}));
    // The open brace has no end in the scanned text: neither it nor anything after it
    // is coloured, though the pair after it is complete.
    EXPECT_EQ(scanAndDescribe(rule, "{a} { open (* closed *)"), Lines{"\"{a}\" gray"});
    // The end key is searched from one character after the begin key's first character.
    EXPECT_EQ(scanAndDescribe(rule, "(*) x"), Lines{"\"(*)\" gray"});
    // The scan goes on one character after the end key's first character, so a begin key
    // may start inside the end key that came before it.
    rule.setKeyBegEndLst({"--;--"});
    EXPECT_EQ(scanAndDescribe(rule, "--a---b--"), (Lines{"\"--a--\" gray", "\"--b--\" gray"}));
    // Keys match exactly, whatever the case and word settings say.
    rule.setKeyBegEndLst({"rem;end"});
    rule.setPartWord(false);
    EXPECT_EQ(scanAndDescribe(rule, "REM x end xremy end"), Lines{"\"remy end\" gray"});
}

TEST(BeginEndScan, EarliestBeginKeyWinsAndTiesGoToTheFirstPair) {
    TColorRule rule;
    rule.setKeyBegEndLst({"(*;*);Red", "(;);Blue"});
    EXPECT_EQ(scanAndDescribe(rule, "(a) (*b*)"), (Lines{"\"(a)\" blue", "\"(*b*)\" red"}));
    rule.setKeyBegEndLst({"(;);Blue", "(*;*);Red"});
    EXPECT_EQ(scanAndDescribe(rule, "(*b*)"), (Lines{"\"(*b*)\" blue"}));
}

TEST(LineEndScan, KeyToTheEndOfItsLine) {
    TColorRule rule;
    rule.setKeyDrawingType(TKeyDrawingType::dtBeginLineEnd);
    rule.setDefKeyColor(clGray);
    rule.setKeyLineEndLst({"//", ";;Green"});
    EXPECT_EQ(scanAndDescribe(rule, "x := 1; // un\r\n// deux // trois\r\ny // fin"),
              (Lines{"\"; // un\" green", "\"// deux // trois\" gray", "\"// fin\" gray"}));
    rule.setKeyLineEndLst({});
    EXPECT_TRUE(scanAndDescribe(rule, "x // y").empty());
}

TEST(PrepareRules, ACollectionWithNothingToLookForStaysUnprepared) {
    TDrawRules rules;
    TColorRule& keywords = rules.Add();
    keywords.setKeyDrawingType(TKeyDrawingType::dtKeyShow);
    TColorRule& lineEnd = rules.Add();
    lineEnd.setKeyDrawingType(TKeyDrawingType::dtBeginLineEnd);
    lineEnd.setKeywords({"ignored by a line-end rule"});
    rules.PrepareRules();
    EXPECT_FALSE(rules.Prepared());
    keywords.setKeywords({"begin"});
    rules.PrepareRules();
    EXPECT_TRUE(rules.Prepared());
    keywords.setKeywords({});
    rules.PrepareRules();
    EXPECT_TRUE(rules.Prepared()); // once prepared it stays prepared
}

TEST(ColorRuleAssign, CopiesSettingsAndListsButNotTheStoredOnlyFields) {
    TColorRule source;
    source.setKeyDrawingType(TKeyDrawingType::dtKeyShow);
    source.setZOrder(3);
    source.setKeyMaxHeight(4);
    source.setKeyCase(true);
    source.setEnabled(false);
    source.setPartWord(true);
    source.setDefKeyColor(clGreen);
    source.setKeyBrushColor(clRed);
    source.setKeySelColor(clBlue);
    source.setIntChar("x");
    source.setKeywords({"Begin"});
    source.setKeyBegEndLst({"{;}"});
    source.setKeyLineEndLst({"//"});
    TDrawRules rules;
    TColorRule& copy = rules.Add();
    copy.Assign(source);
    EXPECT_EQ(copy.KeyDrawingType(), TKeyDrawingType::dtKeyShow);
    EXPECT_EQ(copy.ZOrder(), 3);
    EXPECT_EQ(copy.KeyMaxHeight(), 4);
    EXPECT_TRUE(copy.KeyCase());
    EXPECT_FALSE(copy.Enabled());
    EXPECT_TRUE(copy.PartWord());
    EXPECT_EQ(copy.DefKeyColor(), clGreen);
    EXPECT_EQ(copy.KeyBrushColor(), clRed);
    EXPECT_EQ(copy.KeySelColor(), clYellow);
    EXPECT_EQ(copy.IntChar(), "");
    EXPECT_EQ(copy.Keywords(), Lines{"Begin"});
    EXPECT_EQ(copy.KeyBegEndLst(), Lines{"{;}"});
    EXPECT_EQ(copy.KeyLineEndLst(), Lines{"//"});
    ASSERT_EQ(copy.KeywordPattern().size(), 1u);
    EXPECT_EQ(copy.KeywordPattern()[0].keyword, "Begin");

    TDrawRules copies;
    copies.Assign(rules);
    ASSERT_EQ(copies.Count(), 1);
    EXPECT_EQ(copies.Items(0).ZOrder(), 3);
}

class EventDrawScan : public ::testing::Test {
protected:
    void SetUp() override {
        rule = &rules.Add();
        rule->setKeyDrawingType(TKeyDrawingType::dtEventDraw);
        rule->setZOrder(9);
        source.buffer.resize(3);
    }
    std::vector<TKeyDescr> scan(std::string_view text, std::int32_t start) {
        TKeyDescrList list;
        const ScanText scanned{text, start};
        RunSink sink(list, scanned);
        rule->ScanRule(scanned, sink);
        std::vector<TKeyDescr> runs;
        for (int i = 0; i < sink.NextFree(); ++i) runs.push_back(list[i]);
        return runs;
    }
    DrawEventSource source;
    TDrawRules rules{&source};
    TColorRule* rule = nullptr;
};

TEST_F(EventDrawScan, HandlerRunsAreRelativeToTheScanStart) {
    std::string seen;
    source.OnDraw = [&](TColorRule& sender, std::string_view from, std::span<TKeyDescr> a, int& count) {
        EXPECT_EQ(&sender, rule);
        EXPECT_EQ(a.size(), 3u);
        EXPECT_EQ(a[2], (TKeyDescr{0, 0, 0, 0, 0})); // the buffer is zeroed
        seen = std::string(from);
        a[0] = TKeyDescr{0, 2, clRed, 0, 0};
        a[1] = TKeyDescr{4, 4, clBlue, 200, 0};
        a[2] = TKeyDescr{1, 1, clGreen, 0, 0}; // beyond the count: ignored
        count = 2;
    };
    const auto runs = scan("abcdef", 100);
    EXPECT_EQ(seen, "abcdef");
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], (TKeyDescr{100, 102, clRed, 9, 0}));
    EXPECT_EQ(runs[1], (TKeyDescr{104, 104, clBlue, 200, 0}));
}

TEST_F(EventDrawScan, ACountBeyondTheBufferAndRunsOutsideTheTextAreContained) {
    source.OnDraw = [&](TColorRule&, std::string_view, std::span<TKeyDescr> a, int& count) {
        a[0] = TKeyDescr{-5, 1, clRed, 0, 0};
        a[1] = TKeyDescr{4, 2000000000, clBlue, 0, 0};
        a[2] = TKeyDescr{3, 1, clGreen, 0, 0}; // ends before it starts
        count = 1000;
    };
    const auto runs = scan("abcdef", 2147483000);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].start, 2147483000);
    EXPECT_EQ(runs[0].end, 2147483001);
    EXPECT_EQ(runs[1].start, 2147483004);
    EXPECT_EQ(runs[1].end, 2147483005);
}

TEST_F(EventDrawScan, NothingWithoutAHandlerOrABuffer) {
    EXPECT_TRUE(scan("abc", 0).empty());
    bool called = false;
    source.OnDraw = [&](TColorRule&, std::string_view, std::span<TKeyDescr>, int&) { called = true; };
    source.buffer.clear();
    EXPECT_TRUE(scan("abc", 0).empty());
    EXPECT_FALSE(called);
}
