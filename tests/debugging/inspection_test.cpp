// The debugging views' logic on the tables a real run leaves.
#include "inspection.h"
#include "variables.h"
#include "recording_platform.h"

#include <gtest/gtest.h>

using namespace zef;
using namespace zef::debugging;
using namespace zef::testing;

namespace {

const std::vector<std::string> kProgram = {
    "PROGRAM Tables;", "VAR I, J: INTEGER;", "VAR T[4]: INTEGER;", "VAR X: REAL;", "VAR S: STRING;",
    "PROCEDURE REMPLIR;", "BEGIN", "  T[J] := I;", "END;",              // procedure at line 5
    "BEGIN", "  X := 2,5;", "  S := 'abc';", "  J := 3;", "  I := 7;", "  REMPLIR;", // main BEGIN: 9
    "FIN:", "END."};                                                                  // label: 15

} // namespace

TEST(SymbolListing, RowsInTableOrderThenTheCountsAnArrayCountingOnce) {
    Harness h;
    ASSERT_EQ(h.run(kProgram), 0);
    std::string rows;
    for (const auto& r : SymbolListing(*h.interpreter)) rows += cp1252ToUtf8(r) + "\n";
    EXPECT_EQ(rows, "I , I , 1\nJ , I , 2\nT[ , I , 3\nX , R , 1\nS , S , 1\nREMPLIR , P , 5\nFIN: , L , 15\n \n" +
                        std::string(79, '-') +
                        "\nProcedures : 1\nEtiquettes : 1\nVar String : 1\nVar Char : 0\nVar Int : 3\n"
                        "Var Real : 1\nVar File : 0\nEléments en pile : 0\n");
}

TEST(ExamineVariable, ByNameByElementByIndexVariableAndEachError) {
    Harness h;
    EXPECT_EQ(ExamineVariable(*h.interpreter, "i"), "Variable inconnue"); // before any run
    ASSERT_EQ(h.run(kProgram), 0);
    Interpreter& in = *h.interpreter;
    const std::vector<std::pair<std::string, std::string>> answers = {
        {"i", "7"}, {"x", "2,5"}, {"S", "abc"}, {"T[3]", "7"}, {"t[j]", "7"}, {"T[1]", "0"},
        {"remplir", "remplir"},          // labels and procedures show the text examined
        {"T[3", "Erreur de syntaxe"},   {"K", "Variable inconnue"},
        {"T", "Variable inconnue"},      // an array is looked up with its "["
        {"T[5]", "Indice incorrect"},    // never a neighbour's value
        {"T[X]", ""}, {"T[A]", ""}};     // the index reports its own error
    for (const auto& [typed, shown] : answers) EXPECT_EQ(ExamineVariable(in, typed), shown) << typed;
    EXPECT_EQ(h.messages.messages, (std::vector<std::string>{"Indice de type incorrect", "Erreur dans indice"}));
}

TEST(VariablesView, ACharNeverGivenAValueShowsEmptyNotAsAnUnprintableByte) {
    Harness h;
    ASSERT_EQ(h.run({"PROGRAM Car;", "VAR C, D: CHAR;", "VAR T[2]: CHAR;", "BEGIN", "  D := 'x';", "  T[2] := 'y';",
                     "END."}),
              0)
        << (h.messages.messages.empty() ? "" : h.messages.messages.front());
    VariablesSnapshot snapshot;
    snapshot.refresh(*h.interpreter);
    std::map<std::string, std::vector<std::string>> values;
    for (const VariableRow& row : snapshot.rows()) values[row.name] = row.values;
    EXPECT_EQ(values["C"], std::vector<std::string>{""});
    EXPECT_EQ(values["D"], std::vector<std::string>{"x"});
    EXPECT_EQ(values["T"], (std::vector<std::string>{"", "y"}));
}
