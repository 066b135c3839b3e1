#include "recording_platform.h"

#include <gtest/gtest.h>

using namespace zef;
using namespace zef::testing;

namespace {

// An interpreter whose tables hold the variables of a small program, values set by it.
struct Values : ::testing::Test {
    void SetUp() override {
        ASSERT_EQ(h.run({"PROGRAM T;", "VAR I, J: INTEGER;", "VAR R: REAL;", "VAR S: STRING;",
                         "VAR C: CHAR;", "VAR F: TEXTFILE;", "VAR T: ARRAY[10] OF INTEGER;",
                         "VAR U: ARRAY[3] OF STRING;", "BEGIN", "  I := 42;", "  J := 2;",
                         "  R := 0,1;", "  S := 'texte';", "  C := 'z';", "  T[2] := 7;",
                         "  U[3] := 'trois';", "END."}),
                  0);
        h.messages.messages.clear();
    }
    // An operand's value text, or "stop" when it leaves the statement.
    std::string scalar(std::string text) {
        try {
            h.workings().ScalarValue(text);
            return text;
        } catch (const StatementStopped&) {
            return "stop";
        }
    }
    std::string string(std::string text) {
        try {
            h.workings().StringValue(text);
            return text;
        } catch (const StatementStopped&) {
            return "stop";
        }
    }
    std::vector<std::string>& messages() { return h.messages.messages; }
    Harness h;
};

} // namespace

TEST_F(Values, LiteralsAndNumbers) {
    EXPECT_EQ(scalar("'it''s'"), "it's");
    EXPECT_EQ(scalar("'a''b''c'"), "a'b''c"); // only the first pair is reduced
    EXPECT_EQ(scalar("''"), "");
    EXPECT_EQ(scalar("007"), "007"); // numbers stay as written
    EXPECT_EQ(scalar("1.50"), "1.50");
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(scalar("'abc"), "stop");
    EXPECT_EQ(scalar("'"), "stop");
    EXPECT_EQ(messages(), (std::vector<std::string>{"chaine sans fin", "chaine sans fin"}));
    messages().clear();
    scalar("12a4b");
    EXPECT_EQ(messages(), (std::vector<std::string>{"Expression incorrecte", "Expression incorrecte"}));
    messages().clear();
    scalar("");
    EXPECT_EQ(messages(), std::vector<std::string>{"Expression incorrecte"});
}

TEST_F(Values, VariablesFormatByKind) {
    EXPECT_EQ(scalar("i"), "42");
    EXPECT_EQ(scalar("R"), "0,100000000000023");
    EXPECT_EQ(scalar("S"), "texte");
    EXPECT_EQ(scalar("C"), "z");
    EXPECT_EQ(scalar("T[2]"), "7");
    EXPECT_EQ(scalar("T[J]"), "7");
    EXPECT_EQ(scalar("T[1]"), "0");
    EXPECT_EQ(scalar("U[3]"), "trois");
    EXPECT_EQ(scalar("U[1]"), " "); // new strings hold one space
    EXPECT_EQ(scalar("F"), "F");    // a file variable is printed as its name
    EXPECT_TRUE(messages().empty());
}

TEST_F(Values, VariableErrors) {
    scalar("X+1");
    scalar("Z[1]");
    scalar("t[x]"); // an unknown index name is read as a number
    scalar("T[R]");
    scalar("T[J+1]");
    EXPECT_EQ(messages(), (std::vector<std::string>{"Identificateur X+1 inconnu", "Identificateur Z[ inconnu",
                                                    "Erreur dans indice", "Indice de type incorrect",
                                                    "Erreur dans indice"}));
}

TEST_F(Values, ElementsOutsideTheArrayAreRefused) {
    for (const char* ref : {"T[0]", "T[11]", "T[-5]", "U[4]"}) {
        messages().clear();
        EXPECT_EQ(scalar(ref), "stop");
        EXPECT_EQ(messages(), std::vector<std::string>{"Indice incorrect"}) << ref;
    }
}

TEST_F(Values, StringOperands) {
    EXPECT_EQ(string("'abc'"), "abc");
    EXPECT_EQ(string("'a''b'"), "a''b"); // doubled quotes are not reduced here
    EXPECT_EQ(string("s"), "texte");
    EXPECT_EQ(string("U[3]"), "trois");
    EXPECT_TRUE(messages().empty());
    string("C");
    string(" 'abc'");
    string("Z[1]");
    string("'abc");
    EXPECT_EQ(messages(), (std::vector<std::string>{"ce n'est pas un string", "Variable  'abc' n'existe pas",
                                                    "Variable Z[ n'existe pas", "chaine sans fin"}));
}

TEST_F(Values, StoreConvertsByKindAndKeepsTheSlotOnFailure) {
    InterpreterPrivate& in = h.workings();
    in.StoreValue("-17", SymbolKind::Integer, 1);
    EXPECT_EQ(in.LitValeur(1, SymbolKind::Integer).i, -17);
    EXPECT_THROW(in.StoreValue("abc", SymbolKind::Integer, 1), StatementStopped);
    in.StoreValue("2,5", SymbolKind::Real, 1);
    EXPECT_EQ(in.LitValeur(1, SymbolKind::Real).r.toDouble(), 2.5);
    EXPECT_THROW(in.StoreValue("2.5", SymbolKind::Real, 1), StatementStopped); // not the regional separator
    EXPECT_THROW(in.StoreValue("1E39", SymbolKind::Real, 1), StatementStopped); // too large for the 6-byte real
    EXPECT_THROW(in.StoreValue("", SymbolKind::Char, 1), StatementStopped);
    in.StoreValue("hello", SymbolKind::Char, 1);
    EXPECT_EQ(in.LitValeur(1, SymbolKind::Char).c, 'h');
    EXPECT_EQ(in.LitValeur(1, SymbolKind::Integer).i, -17);
    EXPECT_EQ(in.LitValeur(1, SymbolKind::Real).r.toDouble(), 2.5);
    EXPECT_EQ(messages(), std::vector<std::string>(4, "Erreur de conversion"));
}

TEST_F(Values, LookupUpperCasesTheCallersName) {
    std::string name = "s";
    SymbolKind kind = SymbolKind::None;
    std::int32_t index = 0;
    h.interpreter->ChercheEtiq(name, kind, index);
    EXPECT_EQ(name, "S");
    EXPECT_EQ(kind, SymbolKind::String);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(h.interpreter->runStatus(), 0);
    name = "nothing";
    kind = SymbolKind::Label;
    h.interpreter->ChercheEtiq(name, kind, index);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(kind, SymbolKind::Label); // left as the caller had it
    EXPECT_EQ(h.interpreter->runStatus(), 1);
    EXPECT_TRUE(messages().empty()); // not found is silent
    EXPECT_EQ(h.interpreter->Indice("j"), 1);
    EXPECT_EQ(h.interpreter->Indice("10"), 9);
}

TEST_F(Values, AnElementWithoutClosingBracketHasNoIndex) {
    EXPECT_EQ(scalar("T[2"), "stop");
    EXPECT_EQ(messages(), std::vector<std::string>{"Erreur dans indice"});
    messages().clear();
    EXPECT_EQ(string("U[3"), "stop");
    EXPECT_EQ(messages(), std::vector<std::string>{"Erreur dans indice"});
}
