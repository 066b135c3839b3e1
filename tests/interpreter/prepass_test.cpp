#include "recording_platform.h"

#include <gtest/gtest.h>

using namespace zef;
using namespace zef::testing;

namespace {

const SymbolEntry* symbol(const Interpreter& in, const std::string& name) {
    for (const auto& e : in.symbols())
        if (e.Name == name) return &e;
    return nullptr;
}

std::vector<std::string> program(const std::vector<std::string>& heading,
                                 const std::vector<std::string>& body = {}) {
    std::vector<std::string> lines = {"PROGRAM T;"};
    lines.insert(lines.end(), heading.begin(), heading.end());
    lines.push_back("BEGIN");
    lines.insert(lines.end(), body.begin(), body.end());
    lines.push_back("END.");
    return lines;
}

} // namespace

TEST(PrePass, DeclarationsGetConsecutiveSlotsPerStore) {
    Harness h;
    EXPECT_EQ(h.run(program({"VAR I, J, K: INTEGER;", "var s, t: String[40];", "VAR X: REALS;",
                             "VAR TAB: ARRAY[10] OF INTEGER;", "VAR L: INTEGER;", "VAR F: TEXT;",
                             "VAR A, B: ARRAY[5] OF REAL;", "VAR IABLE := 1;"})),
              0);
    const Interpreter& in = *h.interpreter;
    EXPECT_EQ(symbol(in, "I")->Index, 1);
    EXPECT_EQ(symbol(in, "J")->Index, 2);
    EXPECT_EQ(symbol(in, "K")->Index, 3);
    // The string store's entry 0 is a placeholder, so the first string gets slot 1.
    EXPECT_EQ(symbol(in, "S")->Kind, SymbolKind::String);
    EXPECT_EQ(symbol(in, "S")->Index, 1);
    EXPECT_EQ(symbol(in, "T")->Index, 2);
    EXPECT_EQ(symbol(in, "X")->Kind, SymbolKind::Real); // a prefix of the type word is enough
    // An array is entered with its "[" and takes as many slots as it has elements.
    EXPECT_EQ(symbol(in, "TAB[")->Index, 4);
    EXPECT_EQ(symbol(in, "TAB[")->Count, 10);
    EXPECT_EQ(symbol(in, "L")->Index, 14);
    EXPECT_EQ(symbol(in, "F")->Kind, SymbolKind::None); // unknown type word: entered silently
    // "A, B: ARRAY[5] OF REAL" declares A as a plain real and B as an array.
    EXPECT_EQ(symbol(in, "A")->Index, 2);
    EXPECT_EQ(symbol(in, "B[")->Index, 3);
    EXPECT_EQ(symbol(in, "B[")->Count, 5);
    EXPECT_TRUE(h.messages.messages.empty());
}

TEST(PrePass, ArrayRewriting) {
    EXPECT_EQ(InterpreterPrivate::RewriteArray("T: ARRAY[10] OF INTEGER"), "T[10]:INTEGER");
    EXPECT_EQ(InterpreterPrivate::RewriteArray("A, B: array[5] of REAL"), "A,B[5]:REAL");
    EXPECT_EQ(InterpreterPrivate::RewriteArray("T: INTEGER"), "T: INTEGER");
    // Without OF the colon goes back at the end: the type word is then missing.
    EXPECT_EQ(InterpreterPrivate::RewriteArray("T: ARRAY[3] INTEGER"), "T[3]INTEGER:");
}

TEST(PrePass, LabelsAndProcedures) {
    Harness h;
    h.run({"PROGRAM T;", "PROCEDURE Un;", "  WRITELN('x');", "BEGIN", "Debut:", "Suite: { note }",
           "END."});
    const Interpreter& in = *h.interpreter;
    EXPECT_EQ(symbol(in, "UN")->Kind, SymbolKind::Procedure);
    EXPECT_EQ(symbol(in, "UN")->Index, 1);
    EXPECT_EQ(symbol(in, "DEBUT:")->Kind, SymbolKind::Label);
    EXPECT_EQ(symbol(in, "DEBUT:")->Index, 4);
    // A label followed by a comment ends with a blank before the comment: no label.
    EXPECT_EQ(symbol(in, "SUITE:"), nullptr);
    EXPECT_EQ(symbol(in, "SUITE: "), nullptr);
}

TEST(PrePass, ProcedureHeadingWithCommentKeepsItsSemicolon) {
    Harness h;
    h.run({"PROGRAM T;", "PROCEDURE Un; { commentaire }", "  WRITELN('x');", "BEGIN", "END."});
    EXPECT_NE(symbol(*h.interpreter, "UN;"), nullptr);
    EXPECT_EQ(symbol(*h.interpreter, "UN"), nullptr);
}

TEST(PrePass, LeadingBlankLinesAreRemovedFromTheText) {
    Harness h;
    EXPECT_EQ(h.run({"", "   ", "PROGRAM T;", "BEGIN", "END."}), 0);
    EXPECT_EQ(h.lines.lines.size(), 3u);
    EXPECT_EQ(h.lines.lines[0], "PROGRAM T;");
}

struct PrePassError {
    std::vector<std::string> lines;
    std::string message;
    int line;
};

class PrePassErrors : public ::testing::TestWithParam<PrePassError> {};

TEST_P(PrePassErrors, StopAtTheLineAtFault) {
    Harness h;
    EXPECT_EQ(h.run(GetParam().lines), 1);
    ASSERT_FALSE(h.messages.messages.empty());
    EXPECT_EQ(h.messages.messages.front(), GetParam().message);
    EXPECT_EQ(h.line, GetParam().line);
}

// The prepass_ case files show each message of the pre-pass at its line; these are the
// variants they do not write out.
INSTANTIATE_TEST_SUITE_P(
    Messages, PrePassErrors,
    ::testing::Values(
        PrePassError{{"", ""}, "Mot réservé PROGRAM manquant", 0},
        PrePassError{{"PROGRAM T;", "PROCEDURE X;", "  NOP;", "VAR X: INTEGER;", "BEGIN", "END."},
                     "Symbole déjà défini", 3},
        PrePassError{{"PROGRAM T;", "VAR T[2001]: INTEGER;", "BEGIN", "END."}, "Trop de variables", 1},
        PrePassError{{"PROGRAM T;", "VAR F: ARRAY[3] OF TEXTFILE;", "VAR G: TEXTFILE;", "BEGIN", "END."},
                     "Trop de variables", 2},
        PrePassError{{"PROGRAM T;", "BEGIN", "END;"}, "END. manquant", 2}));

TEST(PrePass, StoresHoldTwoThousandSlotsEach) {
    Harness h;
    EXPECT_EQ(h.run(program({"VAR I: ARRAY[2000] OF INTEGER;", "VAR C: ARRAY[2000] OF CHAR;",
                             "VAR R: ARRAY[2000] OF REAL;", "VAR F: ARRAY[3] OF TEXTFILE;"})),
              0);
    EXPECT_EQ(h.run(program({"VAR I: ARRAY[2000] OF INTEGER;", "VAR J: INTEGER;"})), 1);
    EXPECT_EQ(h.messages.messages.back(), "Trop de variables");
    EXPECT_EQ(h.line, 2);
}

// A procedure's name, like a variable's, has at most 20 characters: one of 20 is declared
// and called, one of 21 stops the pre-pass at its heading.
TEST(PrePass, AProcedureNameHoldsTwentyCharacters) {
    Harness h;
    EXPECT_EQ(h.run({"PROGRAM T;", "PROCEDURE ABCDEFGHIJKLMNOPQRST;", "  WRITE('p');", "BEGIN",
                     "  ABCDEFGHIJKLMNOPQRST;", "END."}),
              0);
    EXPECT_EQ(h.screen.text(), "p\n");
    EXPECT_EQ(h.run({"PROGRAM T;", "PROCEDURE ABCDEFGHIJKLMNOPQRSTU;", "  WRITE('p');", "BEGIN",
                     "  ABCDEFGHIJKLMNOPQRSTU;", "END."}),
              1);
    EXPECT_EQ(h.messages.messages, std::vector<std::string>{"Nom trop long (20 maxi)"});
    EXPECT_EQ(h.line, 1);
}

TEST(PrePass, SymbolTableHoldsTwoHundredEntries) {
    std::vector<std::string> decls;
    for (int i = 0; i < 200; ++i) decls.push_back("VAR V" + std::to_string(i) + ": INTEGER;");
    Harness h;
    EXPECT_EQ(h.run(program(decls)), 0);
    decls.push_back("VAR W: INTEGER;");
    EXPECT_EQ(h.run(program(decls)), 1);
    EXPECT_EQ(h.messages.messages.back(), "Table des symboles saturée");
    EXPECT_EQ(h.line, 201);
}

TEST(PrePass, OnlyTheFirstSlotOfANewVariableIsCleared) {
    Harness h;
    const auto lines = program({"VAR T: ARRAY[3] OF INTEGER;", "VAR S: ARRAY[2] OF STRING;"},
                               {"T[1] := T[1] + 5;", "T[2] := T[2] + 7;", "S[2] := S[2] + 'x';"});
    h.run(lines);
    h.run(lines);
    const auto& t = *symbol(*h.interpreter, "T[");
    EXPECT_EQ(h.interpreter->LitValeur(t.Index, SymbolKind::Integer).i, 5);      // cleared, then +5
    EXPECT_EQ(h.interpreter->LitValeur(t.Index + 1, SymbolKind::Integer).i, 14); // kept from the first run
    // Strings always start again as one space.
    EXPECT_EQ(h.interpreter->LitValeur(symbol(*h.interpreter, "S[")->Index + 1, SymbolKind::String).s, " x");
}

TEST(PrePass, LineEndCheckStopsAtTheFirstBodyLine) {
    Harness h;
    // A line without ";" followed by ELSE is accepted, and after BEGIN nothing is checked.
    EXPECT_EQ(h.run({"PROGRAM T;", "VAR I: INTEGER;", "BEGIN", "  I := 1", "END."}), 0);
    EXPECT_EQ(h.run({"PROGRAM T;", "{ commentaire", "VAR I: INTEGER", "BEGIN", "END."}), 0);
}

TEST(PrePass, EveryNameOfAListIsDeclaredEvenAfterAFailure) {
    // Each bad name gives its own message; the good ones after it are still entered.
    Harness h;
    EXPECT_EQ(h.run(program({"VAR 1A, B, 2C: INTEGER;"})), 1);
    EXPECT_EQ(h.messages.messages, (std::vector<std::string>{"Caractère non valide (A-Z,a-z)",
                                                             "Caractère non valide (A-Z,a-z)"}));
    EXPECT_EQ(h.line, 1);
    ASSERT_NE(symbol(*h.interpreter, "B"), nullptr);
    EXPECT_EQ(symbol(*h.interpreter, "B")->Index, 1);
}

TEST(PrePass, ElementCounts) {
    // The count stands between "[" and "]": without "]" there is none.
    Harness h;
    EXPECT_EQ(h.run(program({"VAR T[10: INTEGER;"})), 1);
    EXPECT_EQ(h.messages.messages, std::vector<std::string>{"Erreur de syntaxe"});
    EXPECT_EQ(symbol(*h.interpreter, "T["), nullptr);
    // A count of many digits is still a number: too many variables, not a syntax error.
    Harness big;
    EXPECT_EQ(big.run(program({"VAR T[2000000000]: INTEGER;"})), 1);
    EXPECT_EQ(big.messages.messages, std::vector<std::string>{"Trop de variables"});
    Harness zeros;
    EXPECT_EQ(zeros.run(program({"VAR T[0000000000003]: INTEGER;"})), 0);
    ASSERT_NE(symbol(*zeros.interpreter, "T["), nullptr);
    EXPECT_EQ(symbol(*zeros.interpreter, "T[")->Count, 3);
    // Beyond the integers it is no count at all.
    Harness huge;
    EXPECT_EQ(huge.run(program({"VAR T[99999999999]: INTEGER;"})), 1);
    EXPECT_EQ(huge.messages.messages, std::vector<std::string>{"Erreur de syntaxe"});
}

TEST(PrePass, AHugeStringArrayIsRefusedWithoutExhaustingTheMemory) {
    Harness h;
    EXPECT_EQ(h.run(program({"VAR S[999999999]: STRING;"})), 1);
    EXPECT_EQ(h.messages.messages, std::vector<std::string>{"Trop de variables"});
    Harness fits;
    EXPECT_EQ(fits.run(program({"VAR S[50000]: STRING;", "VAR U[50000]: STRING;"})), 0);
    EXPECT_EQ(fits.run(program({"VAR S[50000]: STRING;", "VAR U[50001]: STRING;"})), 1);
}

TEST(PrePass, ABreakpointMarkerAloneIsABlankLine) {
    Harness h;
    h.load({"»", "  ", "PROGRAM T;", "BEGIN", "END."});
    EXPECT_EQ(h.exec(), 0);
    EXPECT_TRUE(h.messages.messages.empty());
    EXPECT_EQ(h.lines.lines.size(), 3u);
}
