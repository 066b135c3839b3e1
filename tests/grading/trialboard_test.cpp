// What the IDE's "Essais" view shows, without a window: the program named, each case's
// parameters and input from the start, its verdict and time in French as it comes, the
// line a case points the editor at, and results that go stale while another program is
// the active one.
#include "trialboard.h"

#include <gtest/gtest.h>

using namespace zef;

TEST(TrialBoard, NamesItsProgramShowsEachCaseAndGoesStaleWhileAnotherProgramIsActive) {
    Exercise exercise;
    exercise.cases.resize(3);
    exercise.cases[0].name = "sept";
    exercise.cases[0].inputStart = "7\r\n8\r\n";
    exercise.cases[0].arguments = "3 fois";
    exercise.cases[1].name = "boucle";
    exercise.cases[2].name = "long";
    exercise.cases[2].inputStart = "1\n2\n";
    exercise.cases[2].inputCut = true;

    TrialBoard board;
    EXPECT_FALSE(board.started());
    board.setProgramActive(false); // nothing tested yet: nothing to be stale
    EXPECT_FALSE(board.stale());
    board.begin("table.pas", exercise);
    EXPECT_TRUE(board.running());
    EXPECT_NE(board.summary().find("table.pas"), std::string::npos) << board.summary();
    // Before any run: each case waits, and its parameters and input are known already.
    EXPECT_NE(board.row(0).find("en attente"), std::string::npos) << board.row(0);
    EXPECT_EQ(board.input(0), "7\n8");
    EXPECT_NE(board.parameters(0).find("3 fois"), std::string::npos);
    EXPECT_EQ(board.parameters(1).find("3 fois"), std::string::npos);
    EXPECT_EQ(board.input(1), "");
    EXPECT_EQ(board.input(2), "1\n2\n…"); // more than is shown
    EXPECT_EQ(board.line(0), 0);

    CaseResult passed = board.result(0), tooLong = board.result(1);
    passed.verdict = Verdict::Passed;
    passed.seconds = 0.478;
    tooLong.verdict = Verdict::TooLong;
    tooLong.line = 12;
    tooLong.seconds = 1.5;
    board.caseDone(0, passed);
    board.caseDone(1, tooLong);
    board.finish(true);
    EXPECT_FALSE(board.running());
    // The time with a decimal comma; the bound's line in the verdict and for the caret.
    EXPECT_EQ(board.row(0).rfind("✓", 0), 0u) << board.row(0);
    EXPECT_NE(board.row(0).find("0,478 s"), std::string::npos) << board.row(0);
    EXPECT_EQ(board.row(1).rfind("✗", 0), 0u);
    EXPECT_NE(board.detail(1).find("ligne 12"), std::string::npos) << board.detail(1);
    EXPECT_NE(board.detail(1).find("1,500 s"), std::string::npos) << board.detail(1);
    EXPECT_EQ(board.line(1), 12);
    EXPECT_EQ(board.firstFailure(), 1u);
    EXPECT_NE(board.summary().find("1 réussi sur 3"), std::string::npos) << board.summary();

    // Another program active: the results are marked stale and point at no line; back to
    // the program tested, they are current again.
    const std::string current = board.summary();
    board.setProgramActive(false);
    EXPECT_TRUE(board.stale());
    EXPECT_NE(board.summary().find("périmés"), std::string::npos) << board.summary();
    EXPECT_NE(board.summary().find("table.pas"), std::string::npos);
    EXPECT_EQ(board.line(1), 0);
    board.setProgramActive(true);
    EXPECT_EQ(board.summary(), current);
    EXPECT_EQ(board.line(1), 12);
    // A new trial is about the program it runs, current, every case waiting again.
    board.setProgramActive(false);
    board.begin("autre.pas", exercise);
    EXPECT_FALSE(board.stale());
    EXPECT_NE(board.summary().find("autre.pas"), std::string::npos);
    EXPECT_FALSE(board.done(0));
}
