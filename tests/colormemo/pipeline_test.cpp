#include "colorpipeline.h"
#include "editorrules.h"
#include "runtext.h"

#include <gtest/gtest.h>

using namespace zef;
using namespace zef::testing;
using Lines = std::vector<std::string>;

namespace {

// Colours the whole text as one paint would when every line is on screen.
std::vector<std::string> colourWhole(ColorMemoEngine& engine, std::string_view text,
                                     const PaintState& state = {}) {
    engine.ColorRules().PrepareRules();
    return describe(text, engine.Colorize(ScanText{text, 0}, state));
}

TColorRule& keywordRule(TDrawRules& rules, std::vector<std::string> words, TColor colour,
                        std::uint8_t zOrder = 0) {
    TColorRule& rule = rules.Add();
    rule.setKeyDrawingType(TKeyDrawingType::dtKeyShow);
    rule.setDefKeyColor(colour);
    rule.setZOrder(zOrder);
    rule.setKeywords(std::move(words));
    return rule;
}

const auto allFit = [](int) { return true; };

} // namespace

TEST(Merge, HigherPriorityWinsAndAmongEqualsTheLaterRule) {
    ColorMemoEngine engine;
    TColorRule& comments = engine.ColorRules().Add();
    comments.setKeyDrawingType(TKeyDrawingType::dtBeginLineEnd);
    comments.setKeyLineEndLst({"//"});
    comments.setDefKeyColor(clGray);
    keywordRule(engine.ColorRules(), {"if"}, clBlue);
    // Both at priority 0: the keyword rule comes later and wins inside the comment.
    EXPECT_EQ(colourWhole(engine, "x // if y"),
              (Lines{"\"// \" gray", "\"if\" blue key", "\" y\" gray"}));
    // Raised above the keywords, the comment rule wins wherever it applies.
    comments.setZOrder(1);
    EXPECT_EQ(colourWhole(engine, "if // if y"), (Lines{"\"if\" blue key", "\"// if y\" gray p1"}));
}

TEST(Merge, AdjacentRunsOfTheSameKindJoinIntoOneSegment) {
    ColorMemoEngine engine;
    keywordRule(engine.ColorRules(), {"ab", "cd"}, clRed);
    keywordRule(engine.ColorRules(), {"ef"}, clRed);
    engine.ColorRules().Items(0).setPartWord(true);
    engine.ColorRules().Items(1).setPartWord(true);
    EXPECT_EQ(colourWhole(engine, "abcdef ab"), (Lines{"\"abcdef\" red key", "\"ab\" red key"}));
}

TEST(Merge, EditorRulesColourTheWordAfterALineCommentAsAKeyword) {
    ColorMemoEngine engine;
    SetEditorColorRules(engine.ColorRules());
    EXPECT_EQ(colourWhole(engine, "var X: integer; // Integer"),
              (Lines{"\"var\" maroon key", "\"integer\" maroon key", "\"// \" gray",
                     "\"Integer\" maroon key"}));
    // A brace comment hides the blue words, whose rule comes before it, but not the
    // maroon ones, whose rule comes after it.
    EXPECT_EQ(colourWhole(engine, "{ begin\r\nif } WriteLn('x');\r\nEnd."),
              (Lines{"\"{ \" gray", "\"begin\" maroon key", "\"|if }\" gray", "\"WriteLn\" blue key",
                     "\"End.\" maroon key"}));
    // The screen position statement is coloured under the name the interpreter knows.
    EXPECT_EQ(colourWhole(engine, "GOTOXY(1,2);"), (Lines{"\"GOTOXY\" blue key"}));
}

TEST(Merge, SelectionAndTabsMaskWhatTheyCover) {
    ColorMemoEngine engine;
    TColorRule& comments = engine.ColorRules().Add();
    comments.setKeyBegEndLst({"{;}"});
    comments.setDefKeyColor(clGray);
    PaintState state;
    state.selStart = 2;
    state.selLength = 3;
    EXPECT_EQ(colourWhole(engine, "{ abcd }", state),
              (Lines{"\"{ \" gray", "\"abc\" window p254", "\"d }\" gray"}));
    // A tab splits the stretch only when the edit control accepts tabs.
    state.selLength = 0;
    EXPECT_EQ(colourWhole(engine, "{a\tb}", state), Lines{"\"{a\tb}\" gray"});
    state.wantTabs = true;
    EXPECT_EQ(colourWhole(engine, "{a\tb}", state),
              (Lines{"\"{a\" gray", "\"\t\" window p255", "\"b}\" gray"}));
}

TEST(Merge, RedrawAlwaysPaintsTheCaretLineUpToTheCaretInTheFontColour) {
    ColorMemoEngine engine;
    keywordRule(engine.ColorRules(), {"do"}, clBlue);
    PaintState state;
    state.redrawAlways = true;
    state.caretLineStart = 3;
    state.caretPosition = 9;
    EXPECT_EQ(colourWhole(engine, "x\r\nab do cd", state),
              (Lines{"\"ab \" windowtext", "\"do\" blue key", "\" c\" windowtext"}));
}

TEST(Merge, HotSpotsBlotOutTheirMarkersAndColourTheEnclosedText) {
    ColorMemoEngine engine;
    engine.HotSpot().Active = true;
    EXPECT_EQ(colourWhole(engine, "voir \x1E" "lien\x1F et \x1E" "autre"),
              (Lines{"\"\x1E\" window p253", "\"lien\" blue p252", "\"\x1F\" window p253"}));
    engine.HotSpot().Active = false;
    EXPECT_TRUE(colourWhole(engine, "voir \x1Elien\x1F").empty());
}

TEST(Merge, RunsBeyondTheScannedTextAreClippedToIt) {
    ColorMemoEngine engine;
    keywordRule(engine.ColorRules(), {"do"}, clBlue);
    PaintState state;
    state.selStart = 0;
    state.selLength = 1000000; // a selection of a whole long document
    engine.ColorRules().PrepareRules();
    const auto& segments = engine.Colorize(ScanText{"do x", 500}, state);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0], (TKeyDescr{500, 503, clWindow, kSelectionPriority, 0}));
}

class Planning : public ::testing::Test {
protected:
    LineVector lines{{"program p;", "{ comment", "still }", "begin", "  writeln(1); { a", "  b }", "end."}};
};

TEST_F(Planning, ScanningStartsKeyMaxHeightMinusOneLinesAboveTheFirstPaintedLine) {
    PaintPlan plan = PlanPaint(lines, 2, 5, 1, allFit);
    EXPECT_EQ(plan.scanStartLine, 2);
    EXPECT_EQ(plan.S, lines.LineStart(2));
    EXPECT_EQ(plan.E, lines.LineStart(6) + 4);
    plan = PlanPaint(lines, 2, 5, 2, allFit);
    EXPECT_EQ(plan.scanStartLine, 1);
    plan = PlanPaint(lines, 2, 5, 9, allFit);
    EXPECT_EQ(plan.scanStartLine, 0);
    // Without rules (a hot spot alone) the scan starts at the first painted line.
    plan = PlanPaint(lines, 2, 5, 0, allFit);
    EXPECT_EQ(plan.scanStartLine, 2);
}

TEST_F(Planning, ScanningStopsAtTheFirstLineThatIsNotWhollyVisible) {
    const PaintPlan plan = PlanPaint(lines, 1, 6, 1, [](int line) { return line < 5; });
    EXPECT_EQ(plan.endLine, 5);
    EXPECT_EQ(plan.E, lines.LineStart(5));
    std::string copy;
    CopyPlannedText(lines, plan, copy);
    EXPECT_EQ(copy, "{ comment\r\nstill }\r\nbegin\r\n  writeln(1); { a\r\n");
    EXPECT_EQ(static_cast<std::int32_t>(copy.size()), plan.E - plan.S);
}

TEST_F(Planning, OnlyWhatIsOnScreenIsColoured) {
    ColorMemoEngine engine;
    SetEditorColorRules(engine.ColorRules());
    const std::string whole = lines.WholeText();
    // First painted line 2: the brace comment opened on line 1 is not recognised, so its
    // closing brace opens nothing. Line 5 is partly visible: it is not coloured, and the
    // brace that opens on line 4 and closes on it stays plain.
    const auto& segments = engine.Paint(lines, 2, 5, [](int line) { return line < 5; }, {});
    EXPECT_EQ(describe(whole, segments), (Lines{"\"begin\" maroon key", "\"writeln\" blue key"}));
    // With everything visible both comments show.
    engine.Paint(lines, 0, 7, allFit, {});
    EXPECT_EQ(describe(whole, engine.Segments()),
              (Lines{"\"program\" maroon key", "\"{ comment|still }\" gray", "\"begin\" maroon key",
                     "\"writeln\" blue key", "\"{ a|  b }\" gray", "\"end.\" maroon key"}));
    // Scrolled by one line with KeyMaxHeight 2, the first comment is found again.
    engine.ColorRules().Items(0).setKeyMaxHeight(2);
    engine.Paint(lines, 2, 5, allFit, {});
    EXPECT_EQ(describe(whole, engine.Segments()).at(0), "\"{ comment|still }\" gray");
}

TEST_F(Planning, TheCopyGrowsWithTheScreenNotWithTheDocument) {
    std::vector<std::string> many(100000, "  writeln(i); { x }");
    LineVector big(std::move(many));
    ColorMemoEngine engine;
    SetEditorColorRules(engine.ColorRules());
    engine.Paint(big, 50000, 50000, [](int line) { return line < 50040; }, {});
    EXPECT_EQ(engine.LastPlan().scanStartLine, 50000);
    EXPECT_EQ(engine.TextBuffer().size(), 40u * 21u);
    EXPECT_EQ(engine.Segments().size(), 80u);
    EXPECT_EQ(engine.Segments().front().start, big.LineStart(50000) + 2);
}
