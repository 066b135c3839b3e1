// The generators' fragments byte for byte, and the contents of the two pick lists.
#include "fragments.h"

#include "editorrules.h"

#include "recording_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

using namespace zef::generators;

TEST(Fragments, LoopsAndConditionsFollowTheirTemplates) {
    EXPECT_EQ(ForFragment("I", "1", "10"), "For I:=1 to 10 do\r\nbegin\r\n\r\nend;");
    // Missing bounds are written as nothing; nothing is trimmed.
    EXPECT_EQ(ForFragment("I", "", ""), "For I:= to  do\r\nbegin\r\n\r\nend;");
    EXPECT_EQ(ForFragment(" J ", "a b", "N"), "For  J :=a b to N do\r\nbegin\r\n\r\nend;");

    const Condition aBelowB{"A", 1, "B"};
    EXPECT_EQ(RepeatFragment(aBelowB), "Repeat\r\n\r\nUntil A<B");
    EXPECT_EQ(IfFragment({"X", 3, "10"}, false), "If X<=10 then\r\nbegin\r\n\r\nend;");
    EXPECT_EQ(IfFragment({"A", 0, "B"}, true),
              "If A=B then\r\nbegin\r\n\r\nend\r\nelse\r\nbegin\r\n\r\nend;");
    // Every operator is joined to its operands without blanks; a missing second operand
    // is allowed.
    const char* const expected[] = {"While A= do", "While A< do", "While A> do",
                                    "While A<= do", "While A>= do", "While A<> do"};
    for (int op = 0; op < 6; ++op)
        EXPECT_EQ(WhileFragment({"A", op, ""}).substr(0, std::string(expected[op]).size()), expected[op]);
}

TEST(Fragments, AMissingRequiredFieldGivesNoText) {
    EXPECT_EQ(ForFragment("", "1", "10"), "");
    // An operator index past the last one is no choice either.
    for (const Condition& c :
         {Condition{"A", -1, "B"}, Condition{"", 2, "B"}, Condition{"A", 6, "B"}}) {
        EXPECT_EQ(WhileFragment(c), "");
        EXPECT_EQ(RepeatFragment(c), "");
        EXPECT_EQ(IfFragment(c, true), "");
    }
    EXPECT_EQ(FileFragment("F", "'x'", FileMode::None), "");
}

TEST(Fragments, FilesOpenForReadingOrWritingEvenWithEmptyFields) {
    EXPECT_EQ(FileFragment("F", "'donnees.txt'", FileMode::Read),
              "Assign(F,'donnees.txt');\r\nReset(F);\r\n\r\nClose(F);");
    EXPECT_EQ(FileFragment("", "", FileMode::Write), "Assign(,);\r\nRewrite();\r\n\r\nClose();");
}

TEST(PickLists, TheKeywordListIsTheVocabularySortedWithoutRegardToCase) {
    const auto words = KeywordListEntries();
    const auto& vocabulary = zef::EditorVocabulary();
    ASSERT_TRUE(
        std::is_permutation(words.begin(), words.end(), vocabulary.begin(), vocabulary.end()));
    auto upper = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    for (std::size_t i = 1; i < words.size(); ++i) EXPECT_LT(upper(words[i - 1]), upper(words[i])) << i;
    auto has = [&](const char* w) { return std::find(words.begin(), words.end(), w) != words.end(); };
    // Inserted exactly as listed; the screen position statement is the one the
    // interpreter knows.
    for (const char* w : {"End.", "End;", "IntTOStr", "sin", "WriteLn", "GotoXY"}) EXPECT_TRUE(has(w)) << w;
    EXPECT_FALSE(has("GototXY"));
}

TEST(PickLists, ProcedureHeadingsInTextOrderWithoutIndentation) {
    const std::vector<std::string> program = {
        "Program Essai;", "", "   ", "procedure Zorro;", "begin", "end;", "\t  PROCEDURE Affiche;",
        "{procedure Cachee;}", "// procedure Commentee;", "Procedures", "procedur", "  proceduresque x",
        " procedure", "PROCEDUR;"};
    // The nine letters alone are enough; eight are not.
    const std::vector<std::string> expected = {"procedure Zorro;", "PROCEDURE Affiche;", "Procedures",
                                               "proceduresque x", "procedure"};
    EXPECT_EQ(ProcedureHeadings(program), expected);
    EXPECT_TRUE(ProcedureHeadings({"Program P;", "begin", "end."}).empty());
    EXPECT_EQ(StripLeadingBlanks(" \t \t"), "");
}

// A WHILE written by its generator, its empty line filled in, is a whole loop: the
// statement the learner writes after it runs once the loop is over.
TEST(Fragments, AGeneratedWhileLoopLeavesTheNextStatementOutsideIt) {
    std::string fragment = WhileFragment({"A", 1, "B"});
    std::vector<std::string> program = {"PROGRAM T;", "VAR A, B: INTEGER;", "BEGIN", "B := 3;"};
    for (std::size_t at = 0; at != std::string::npos;) {
        const std::size_t end = fragment.find("\r\n", at);
        const std::string line = fragment.substr(at, end == std::string::npos ? end : end - at);
        program.push_back(line.empty() ? "A := A + 1;" : line);
        at = end == std::string::npos ? end : end + 2;
    }
    program.push_back("WRITELN(A);");
    program.push_back("END.");
    zef::testing::Harness h;
    EXPECT_EQ(h.run(program), 0);
    EXPECT_EQ(h.screen.text(), "3\n");
}
