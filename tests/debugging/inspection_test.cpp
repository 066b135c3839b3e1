// The debugging views' logic on the tables a real run leaves: the symbol listing, the
// examine window's answers, the run parameters and the Variables view's rows.
#include "inspection.h"
#include "recording_platform.h"
#include "variables.h"

#include <gtest/gtest.h>

using namespace zef;
using namespace zef::debugging;
using namespace zef::testing;

namespace {

std::vector<std::string> utf8(const std::vector<std::string>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(cp1252ToUtf8(r));
    return out;
}

const std::vector<std::string> kProgram = {
    "PROGRAM Tables;",      // 0
    "VAR I, J: INTEGER;",   // 1
    "VAR T[4]: INTEGER;",   // 2
    "VAR X: REAL;",         // 3
    "VAR S: STRING;",       // 4
    "PROCEDURE REMPLIR;",   // 5
    "BEGIN",                // 6
    "  T[J] := I;",         // 7
    "END;",                 // 8
    "BEGIN",                // 9
    "  X := 2,5;",          // 10
    "  S := 'abc';",        // 11
    "  J := 3;",            // 12
    "  I := 7;",            // 13
    "  REMPLIR;",           // 14
    "FIN:",                 // 15
    "END."};                // 16

} // namespace

TEST(SymbolListing, RowsInTableOrderThenTheCountsAnArrayCountingOnce) {
    Harness h;
    EXPECT_EQ(SymbolListing(*h.interpreter).size(), 10u); // before any run: only the counts
    ASSERT_EQ(h.run(kProgram), 0);
    const auto rows = utf8(SymbolListing(*h.interpreter));
    ASSERT_EQ(rows.size(), 17u);
    EXPECT_EQ(std::vector<std::string>(rows.begin(), rows.begin() + 8),
              (std::vector<std::string>{"I , I , 1", "J , I , 2", "T[ , I , 3", "X , R , 1", "S , S , 1",
                                        "REMPLIR , P , 5", "FIN: , L , 15", " "}));
    EXPECT_EQ(rows[8].size(), 79u);
    EXPECT_EQ(std::vector<std::string>(rows.begin() + 9, rows.end()),
              (std::vector<std::string>{"Procedures : 1", "Etiquettes : 1", "Var String : 1", "Var Char : 0",
                                        "Var Int : 3", "Var Real : 1", "Var File : 0", "Eléments en pile : 0"}));
}

TEST(ExamineVariable, ByNameByElementByIndexVariableAndEachError) {
    Harness h;
    EXPECT_EQ(ExamineVariable(*h.interpreter, "i"), "Variable inconnue"); // before any run
    ASSERT_EQ(h.run(kProgram), 0);
    Interpreter& in = *h.interpreter;
    EXPECT_EQ(ExamineVariable(in, "i"), "7");
    EXPECT_EQ(ExamineVariable(in, "x"), "2,5");
    EXPECT_EQ(ExamineVariable(in, "S"), "abc");
    EXPECT_EQ(ExamineVariable(in, "T[3]"), "7");
    EXPECT_EQ(ExamineVariable(in, "t[j]"), "7");
    EXPECT_EQ(ExamineVariable(in, "T[1]"), "0");
    // Labels and procedures show the text examined.
    EXPECT_EQ(ExamineVariable(in, "remplir"), "remplir");
    EXPECT_EQ(ExamineVariable(in, "T[3"), "Erreur de syntaxe");
    EXPECT_EQ(ExamineVariable(in, "K"), "Variable inconnue");
    EXPECT_EQ(ExamineVariable(in, "T"), "Variable inconnue"); // an array is looked up with its "["
    // Never a neighbour's value for an element outside the array.
    EXPECT_EQ(ExamineVariable(in, "T[5]"), "Indice incorrect");
    EXPECT_TRUE(h.messages.messages.empty());
    // An index that is neither a number nor an integer variable: its own message, no value.
    EXPECT_EQ(ExamineVariable(in, "T[X]"), "");
    EXPECT_EQ(ExamineVariable(in, "T[A]"), "");
    EXPECT_EQ(h.messages.messages, (std::vector<std::string>{"Indice de type incorrect", "Erreur dans indice"}));
}

TEST(Parameters, AnAcceptedTextBecomesTheWordsOfParamstr) {
    Harness h;
    const std::vector<std::string> program = {"PROGRAM P;",       "VAR N: INTEGER;", "VAR S: STRING;",
                                              "BEGIN",            "  N := PARAMCOUNT;", "  S := PARAMSTR(2);",
                                              "  WRITELN(N);",    "  WRITELN(S);",      "END."};
    ApplyParameters(*h.interpreter, true, "un  trois");
    EXPECT_EQ(h.interpreter->argumentCount(), 3); // two spaces: an empty word between them
    ApplyParameters(*h.interpreter, false, "autre chose");
    EXPECT_EQ(h.interpreter->runArguments(), "un  trois");
    ASSERT_EQ(h.run(program), 0);
    EXPECT_EQ(h.screen.text(), "3\n\n");
}

TEST(VariablesSnapshot, RowsAfterEachStepWithTheValuesThatChanged) {
    Harness h;
    h.load(kProgram);
    VariablesSnapshot view;
    h.exec(0, true); // the main BEGIN
    view.refresh(*h.interpreter);
    ASSERT_EQ(view.rows().size(), 5u);
    const VariableRow& t = view.rows()[2];
    EXPECT_EQ(t.name, "T");
    EXPECT_TRUE(t.array);
    EXPECT_EQ(t.values, (std::vector<std::string>{"0", "0", "0", "0"}));
    EXPECT_EQ(view.rows()[3].type, "Réel");
    EXPECT_FALSE(view.rows()[3].anyChanged());
    for (int i = 0; i < 2; ++i) h.exec(h.line, true); // X := 2,5, S := 'abc'
    view.refresh(*h.interpreter);
    EXPECT_TRUE(view.sameShape());
    EXPECT_EQ(view.rows()[3].values.front(), "2,5");
    EXPECT_TRUE(view.rows()[3].changed.front());
    EXPECT_TRUE(view.rows()[4].changed.front());
    EXPECT_FALSE(view.rows()[0].anyChanged());
    while (h.line != 15) ASSERT_GT(h.exec(h.line, true), 0); // through REMPLIR: T[3] := 7
    view.refresh(*h.interpreter);
    EXPECT_EQ(view.rows()[2].values, (std::vector<std::string>{"0", "0", "7", "0"}));
    EXPECT_EQ(view.rows()[2].changed, (std::vector<bool>{false, false, true, false}));
    EXPECT_FALSE(view.rows()[3].anyChanged()); // changed at the stop before, not since
    EXPECT_EQ(view.refreshCount(), 3);
}
