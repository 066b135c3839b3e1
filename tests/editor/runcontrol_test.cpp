#include "runcontrol.h"

#include "document.h"
#include "recording_platform.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace zef;
using namespace zef::editor;
using namespace zef::testing;

namespace {

class FakeText : public EditorText {
public:
    explicit FakeText(std::vector<std::string> l) : lines(std::move(l)) {}
    int count() const override { return static_cast<int>(lines.size()); }
    std::string line(int i) const override { return lines.at(static_cast<std::size_t>(i)); }
    void deleteLine(int i) override { lines.erase(lines.begin() + i); }
    void setLine(int i, const std::string& t) override { lines.at(static_cast<std::size_t>(i)) = t; }
    std::int64_t caret() const override { return caretOffset; }
    void setCaret(std::int64_t o) override { caretOffset = o; }
    std::string fileName() const override { return "boucle.pas"; }
    int markers(char m) const {
        return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                              [m](const std::string& s) { return !s.empty() && s[0] == m; }));
    }
    int markedLine(char m) const {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (!lines[i].empty() && lines[i][0] == m) return static_cast<int>(i);
        return -1;
    }
    std::vector<std::string> lines;
    std::int64_t caretOffset = 0;
};

struct RunControlTest : ::testing::Test {
    Harness h;
    RunState state;
    InterpreterRunner runner{*h.interpreter};
    RunControl control{runner, state};
    FakeText text{{"Program boucle;",      // 0
                   "var I, S: integer;",   // 1
                   "begin",                // 2
                   "  for I:=1 to 2 do",   // 3
                   "    S := S + I;",      // 4
                   "  writeln(S);",        // 5
                   "end."}};               // 6
};

} // namespace

TEST_F(RunControlTest, StepModeMovesOneMarkerThroughTheProgram) {
    control.Pasapas(true);
    control.Executer(text);
    EXPECT_EQ(h.screen.caption, "ZuzOvozov - boucle.pas");
    EXPECT_EQ(text.markers(kStepMarker), 1);
    EXPECT_EQ(text.markedLine(kStepMarker), 3);
    EXPECT_EQ(text.caretOffset, offsetOfLine(text.lines, 3));
    control.Continuer2(text); // FOR
    EXPECT_EQ(text.markedLine(kStepMarker), 4);
    control.Continuer2(text); // body: the next line runs as NEXT, 998: no marker
    EXPECT_EQ(text.markers(kStepMarker), 0);
    EXPECT_EQ(state.CurrentLine, 5);
    EXPECT_EQ(text.caretOffset, offsetOfLine(text.lines, 4)); // left where it was
    control.Continuer2(text); // NEXT
    EXPECT_EQ(text.markedLine(kStepMarker), 4);
    EXPECT_EQ(text.caretOffset, offsetOfLine(text.lines, 4));
    // A new run never leaves two markers.
    control.Executer(text);
    EXPECT_EQ(text.markers(kStepMarker), 1);
    EXPECT_EQ(text.markedLine(kStepMarker), 3);
}

TEST_F(RunControlTest, ActivatingAWindowSwitchesStepModeOff) {
    control.Pasapas(true);
    control.FormActivate();
    control.Executer(text);
    EXPECT_EQ(text.markers(kStepMarker), 0);
    EXPECT_EQ(h.screen.text(), "3\n");
    // A normal end leaves CurrentLine on the main BEGIN: Continuer runs the body again.
    EXPECT_EQ(state.CurrentLine, 2);
    control.Continuer2(text);
    EXPECT_EQ(h.screen.text(), "3\n6\n"); // a continued run keeps the screen cursor
}

TEST_F(RunControlTest, ArretTogglesTheLineAfterTheCaretAndNeverMovesTheRun) {
    text.caretOffset = offsetOfLine(text.lines, 3) + 4; // middle of line 3
    control.Arret(text);
    EXPECT_EQ(text.markedLine(kBreakMarker), 4);
    EXPECT_EQ(state.CurrentLine, 0);
    EXPECT_EQ(text.caretOffset, offsetOfLine(text.lines, 3) + 4);
    control.Arret(text);
    EXPECT_EQ(text.markers(kBreakMarker), 0);
    text.caretOffset = offsetOfLine(text.lines, 3);
    control.Arret(text);
    EXPECT_EQ(text.markedLine(kBreakMarker), 3);
    EXPECT_EQ(state.CurrentLine, 0);
}

// Stepping, then toggling breakpoints on other lines and on the stopped line itself: the
// run goes on exactly as it would have, and the step marker stays on the line that runs
// next, with the breakpoint after it.
TEST_F(RunControlTest, TogglingBreakpointsWhileSteppingChangesNeitherTheRunNorTheMarker) {
    control.Pasapas(true);
    control.Executer(text);
    control.Continuer2(text); // FOR
    ASSERT_EQ(text.markedLine(kStepMarker), 4);
    text.caretOffset = offsetOfLine(text.lines, 5) + 4; // F5 on the line after WRITELN
    control.Arret(text);
    text.caretOffset = offsetOfLine(text.lines, 4); // and on the stopped line
    control.Arret(text);
    EXPECT_EQ(text.lines[4], "\x95\xBB    S := S + I;");
    EXPECT_EQ(text.lines[6], "\xBB" "end.");
    EXPECT_EQ(state.CurrentLine, 4);
    control.Pasapas(false);
    // Going on: no stop where it stood, then the marked body on its second pass, then
    // the marked last line.
    control.Continuer2(text);
    EXPECT_EQ(state.CurrentLine, 4);
    EXPECT_EQ(h.interpreter->LitValeur(2, SymbolKind::Integer).i, 1);
    control.Continuer2(text);
    EXPECT_EQ(state.CurrentLine, 6);
    EXPECT_EQ(h.screen.text(), "3\n");
    control.Continuer2(text);
    EXPECT_EQ(h.screen.text(), "3\n");
    EXPECT_EQ(text.markers(kStepMarker), 0);
    EXPECT_EQ(text.lines[4], "\xBB    S := S + I;");
    EXPECT_TRUE(h.messages.messages.empty());
}

TEST_F(RunControlTest, ABreakpointStopsTheRunWithTheCaretOnItsLine) {
    text.lines[5] = "\xBB" + text.lines[5];
    control.Executer(text);
    EXPECT_EQ(state.CurrentLine, 5);
    EXPECT_EQ(text.caretOffset, offsetOfLine(text.lines, 5));
    // The marked line also closes the loop (it runs as NEXT there) but only stops the run
    // once, when the loop is over and its own statement is next.
    EXPECT_EQ(h.interpreter->LitValeur(2, SymbolKind::Integer).i, 3); // S: both passes are done
    EXPECT_EQ(h.screen.text(), "");
    control.Continuer2(text);
    EXPECT_EQ(h.messages.messages, std::vector<std::string>{});
    EXPECT_EQ(h.screen.text(), "3\n");
    EXPECT_EQ(text.markedLine(kBreakMarker), 5); // breakpoints stay in the text
}

TEST_F(RunControlTest, AnErrorPutsTheCaretOnTheFailingLineAndAnAbandonedRunMarksNothing) {
    text.lines[4] = "    S := S + X;";
    control.Executer(text);
    EXPECT_EQ(state.CurrentLine, 4);
    EXPECT_EQ(text.caretOffset, offsetOfLine(text.lines, 4));

    text.lines[4] = "    S := S + 1,5;";
    text.caretOffset = 0;
    std::string abandoned;
    control.onAbandoned = [&](const std::string& m) { abandoned = cp1252ToUtf8(m); };
    control.Pasapas(false);
    control.Executer(text);
    EXPECT_EQ(abandoned, "'1,5' n'est pas une valeur entière correcte");
    EXPECT_EQ(text.caretOffset, 0);
    EXPECT_FALSE(state.running);
}

// Stepping never changes what the program does: stepped to its end, a program that writes
// a file and several screen lines leaves the same file and the same screen as a run.
TEST(Stepping, SteppedToItsEndAProgramLeavesTheFileAndScreenOfARun) {
    // The name is upper-cased by ASSIGN, as a literal name always is.
    const ScratchFolder scratch("zef-step");
    const auto path = scratch / "ECRIT.TXT";
    auto outcome = [&](bool stepped) {
        Harness h;
        RunState state;
        InterpreterRunner runner{*h.interpreter};
        RunControl control{runner, state};
        FakeText text{{"Program ecrit;", "var F: textfile;", "var I: integer;", "begin",
                       "  assign(F,'" + path.string() + "');", "  rewrite(F);", "  for I:=1 to 3 do", "  begin",
                       "    writeln(I);", "    writeln(F, I);", "  end;", "  write('fin');", "end."}};
        control.Pasapas(stepped);
        control.Executer(text);
        for (int steps = 0; stepped && state.CurrentLine < text.count() && steps < 100; ++steps)
            control.Continuer2(text);
        h.interpreter->CloseAll(); // as the next fresh run does
        std::ostringstream file;
        file << std::ifstream(path, std::ios::binary).rdbuf();
        return h.screen.text() + "|" + file.str() + "|" + std::to_string(h.messages.messages.size());
    };
    const std::string run = outcome(false);
    EXPECT_EQ(run, "1\n2\n3\nfin\n|1\r\n2\r\n3\r\n|0");
    EXPECT_EQ(outcome(true), run);
}

// Memory that runs out during a run ends that run only, reported like other abandoned runs.
TEST(RunControlMemory, ExhaustedMemoryAbandonsOnlyTheRun) {
    struct Exhausting : Runner {
        void InitPrg(const std::string&) override {}
        void Exec(LineList&, std::int32_t&, std::int32_t&, std::int32_t&) override { throw std::bad_alloc(); }
    } runner;
    RunState state;
    RunControl control{runner, state};
    std::string abandoned;
    control.onAbandoned = [&](const std::string& m) { abandoned = cp1252ToUtf8(m); };
    FakeText text{{"Program p;", "begin", "end."}};
    control.Executer(text);
    EXPECT_EQ(abandoned, "Mémoire insuffisante");
    EXPECT_FALSE(state.running);
}
