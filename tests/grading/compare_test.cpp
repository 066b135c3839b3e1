// Comparing outputs and finding an exercise's cases: the rules a teacher relies on when
// writing NAME.out files by hand on any system.
#include "compare.h"
#include "exercise.h"
#include "verdict.h"

#include "grading_support.h"

#include <gtest/gtest.h>

using namespace zef;
using namespace grading_test;

TEST(Compare, ByDefaultWhatCannotBeSeenIsNoDifference) {
    const std::string zefrunOutput = "7 x 1 = 7\n7 x 2 = 14\n";
    // Windows line ends, blanks at the ends of lines, empty lines at the end, no final
    // line end: all the same output.
    for (const std::string expected : {"7 x 1 = 7\r\n7 x 2 = 14\r\n", "7 x 1 = 7  \n7 x 2 = 14\t\n",
                                       "7 x 1 = 7\n7 x 2 = 14\n\n\n  \n", "7 x 1 = 7\n7 x 2 = 14"})
        EXPECT_TRUE(compareOutputs(expected, zefrunOutput, false).same) << expected;
    // Blanks inside or before a line, and empty lines inside, count.
    const Difference inner = compareOutputs("7 x 1 = 7\n\n7 x 2 = 14\n", zefrunOutput, false);
    EXPECT_FALSE(inner.same);
    EXPECT_EQ(inner.line, 2);
    EXPECT_EQ(inner.expected, "");
    EXPECT_EQ(inner.obtained, "7 x 2 = 14");
    EXPECT_EQ(compareOutputs(" 7 x 1 = 7\n7 x 2 = 14\n", zefrunOutput, false).line, 1);
    // A shorter or a longer output differs where one of them has ended.
    const Difference shorter = compareOutputs(zefrunOutput + "7 x 3 = 21\n", zefrunOutput, false);
    EXPECT_EQ(shorter.line, 3);
    EXPECT_EQ(shorter.expected, "7 x 3 = 21");
    EXPECT_FALSE(shorter.obtained.has_value());
    const Difference longer = compareOutputs("7 x 1 = 7\n", zefrunOutput, false);
    EXPECT_EQ(longer.line, 2);
    EXPECT_FALSE(longer.expected.has_value());
    EXPECT_TRUE(compareOutputs("", "\n\n", false).same);
}

TEST(Compare, ExactComparesBytes) {
    EXPECT_TRUE(compareOutputs("a\nb\n", "a\nb\n", true).same);
    const Difference crlf = compareOutputs("a\r\nb\r\n", "a\nb\n", true);
    EXPECT_FALSE(crlf.same);
    EXPECT_EQ(crlf.line, 1);
    EXPECT_EQ(crlf.expected, "a\r");
    const Difference blank = compareOutputs("a\nb \n", "a\nb\n", true);
    EXPECT_EQ(blank.line, 2);
    // Same lines, but one output lacks its final line end: the last line differs.
    const Difference finalEnd = compareOutputs("a\nb\n", "a\nb", true);
    EXPECT_FALSE(finalEnd.same);
    EXPECT_EQ(finalEnd.line, 2);
    EXPECT_NE(finalEnd.expected, finalEnd.obtained);
    // The verdict shows what cannot be seen.
    CaseResult result;
    result.verdict = Verdict::WrongOutput;
    result.difference = crlf;
    EXPECT_NE(verdictText(result).find("a\\r"), std::string::npos) << verdictText(result);
}

TEST(Compare, ExpectedOutputsSavedByOtherEditorsAreRead) {
    // A byte-order mark and Windows-1252 text ("é" is byte 233) compare with zefrun's UTF-8.
    EXPECT_TRUE(compareOutputs(comparableExpected("\xEF\xBB\xBF" "été\n", false), "été\n", false).same);
    EXPECT_TRUE(compareOutputs(comparableExpected("\xE9t\xE9\r\n", false), "été\n", false).same);
    EXPECT_FALSE(compareOutputs(comparableExpected("\xE9t\xE9\n", true), "été\n", true).same);
}

TEST(Exercise, CasesAreFoundByNameInOrder) {
    TempDir dir;
    const fs::path essais = dir / "table.essais";
    writeFile(essais / "b.in", "1\n");
    writeFile(essais / "b.out", "un\n");
    writeFile(essais / "a.OUT", "rien\n"); // no input: an empty one
    writeFile(essais / "c.args", "trois quatre\r\nignorée\r\n");
    writeFile(essais / "c.in", "");
    writeFile(essais / "10.out", "x\n");
    // An input longer than is shown, whose cut would fall inside an "é" (two bytes).
    writeFile(essais / "10.in", std::string(kShownInputBytes - 1, 'a') + "é" + "fin\n");
    writeFile(essais / ".cache.out", "hidden\n");
    writeFile(essais / "notes.txt", "not a case\n");
    writeFile(essais / "fichiers" / "donnees.txt", "data\n");
    std::string reason;
    const std::optional<Exercise> exercise = findCases(essais, reason);
    ASSERT_TRUE(exercise) << reason;
    std::vector<std::string> names;
    for (const TestCase& c : exercise->cases) names.push_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"10", "a", "b", "c"}));
    EXPECT_EQ(exercise->files, fs::absolute(essais / "fichiers"));
    EXPECT_TRUE(exercise->cases[1].input.empty());
    EXPECT_EQ(exercise->cases[1].expected, "rien\n");
    EXPECT_EQ(exercise->cases[2].input, fs::absolute(essais / "b.in"));
    // The start of each input, for the reports: all of a short one, a long one cut before
    // the character it would split.
    EXPECT_EQ(exercise->cases[2].inputStart, "1\n");
    EXPECT_FALSE(exercise->cases[2].inputCut);
    EXPECT_TRUE(exercise->cases[1].inputStart.empty());
    EXPECT_TRUE(exercise->cases[0].inputCut);
    EXPECT_EQ(exercise->cases[0].inputStart, std::string(kShownInputBytes - 1, 'a'));
    EXPECT_EQ(exercise->cases[3].arguments, "trois quatre");
    // A case with only its input has no expected output yet, and grading refuses it.
    EXPECT_FALSE(exercise->cases[3].expected);
    EXPECT_EQ(exercise->cases[3].expectedPath, fs::absolute(essais / "c.out"));
    ASSERT_NE(caseWithoutExpected(*exercise), nullptr);
    EXPECT_EQ(caseWithoutExpected(*exercise)->name, "c");

    EXPECT_EQ(defaultCasesFolder("cours/table.pas"), fs::path("cours/table.essais"));
    EXPECT_FALSE(findCases(dir / "absent", reason));
    EXPECT_FALSE(reason.empty());
}
