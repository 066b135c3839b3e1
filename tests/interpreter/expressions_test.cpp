#include "recording_platform.h"

#include <gtest/gtest.h>

using namespace zef;
using namespace zef::testing;

namespace zef {
inline void PrintTo(const InterpreterPrivate::Split& s, std::ostream* os) {
    *os << "[" << s.left << "|" << s.op << "|" << s.right << "]";
}
} // namespace zef

namespace {

using Split = InterpreterPrivate::Split;

struct Expressions : ::testing::Test {
    void SetUp() override {
        ASSERT_EQ(h.run({"PROGRAM T;", "VAR I, MODE, NEG: INTEGER;", "VAR R: REAL;", "VAR S: STRING;",
                         "VAR C: CHAR;", "VAR T: ARRAY[3] OF INTEGER;", "VAR W: ARRAY[3] OF REAL;",
                         "BEGIN", "  I := 7;", "  NEG := -5;", "  R := 2,5;", "  S := 'abc';",
                         "  C := 'q';", "  T[2] := 20;", "  W[1] := 0,5;", "END."}),
                  0);
    }
    std::string integer(std::string text) {
        h.messages.messages.clear();
        h.workings().IntegerExpression(text);
        return h.interpreter->runStatus() ? "stop" : text;
    }
    std::string real(std::string text) {
        h.messages.messages.clear();
        h.workings().RealExpression(text);
        return h.interpreter->runStatus() ? "stop" : text;
    }
    std::string str(std::string text) {
        h.messages.messages.clear();
        h.workings().StringExpression(text);
        return h.interpreter->runStatus() ? "stop" : text;
    }
    std::string cond(const std::string& text) {
        h.messages.messages.clear();
        const bool b = h.workings().EvaluateCondition(text);
        return h.interpreter->runStatus() ? "stop" : (b ? "true" : "false");
    }
    std::vector<std::string>& messages() { return h.messages.messages; }
    Harness h;
};

} // namespace

TEST(SplitOperator, SplitsAtTheFirstOperatorOutsideParentheses) {
    EXPECT_EQ(InterpreterPrivate::SplitOperator(" 1 + 2 "), (Split{"1", "+", "2"}));
    EXPECT_EQ(InterpreterPrivate::SplitOperator("-A"), (Split{"", "-", "A"}));
    EXPECT_EQ(InterpreterPrivate::SplitOperator("A * -1"), (Split{"A", "*", "-1"}));
    EXPECT_EQ(InterpreterPrivate::SplitOperator("1 + 2 + 3"), (Split{"1", "+", "2 + 3"}));
    EXPECT_EQ(InterpreterPrivate::SplitOperator("ABS(-3) + 1"), (Split{"ABS(-3)", "+", "1"}));
    // The first ")" ends any depth.
    EXPECT_EQ(InterpreterPrivate::SplitOperator("F(G(1)-2)"), (Split{"F(G(1)", "-", "2)"}));
    EXPECT_EQ(InterpreterPrivate::SplitOperator("F(2**3)"), (Split{"F(2", "**", "*3)"}));
    EXPECT_EQ(InterpreterPrivate::SplitOperator("7 mod 3"), (Split{"7", "MOD", "3"}));
    EXPECT_EQ(InterpreterPrivate::SplitOperator("MODE"), (Split{"", "MOD", "E"}));
    EXPECT_EQ(InterpreterPrivate::SplitOperator("X"), (Split{"X", "", ""}));
}

TEST_F(Expressions, IntegerArithmetic) {
    EXPECT_EQ(integer("1 + 2"), "3");
    EXPECT_EQ(integer("-5"), "-5");
    EXPECT_EQ(integer("-I"), "-7");
    EXPECT_EQ(integer("I * -1"), "-7");
    EXPECT_EQ(integer("7 / 2"), "4"); // a half goes to the even neighbour
    EXPECT_EQ(integer("5 / 2"), "2");
    EXPECT_EQ(integer("7 \\ 2"), "3");
    EXPECT_EQ(integer("7 MOD 3"), "1");
    EXPECT_EQ(integer("NEG MOD 3"), "-2");
    EXPECT_EQ(integer("2147483647 + 1"), "-2147483648");
    EXPECT_EQ(integer("T[2] + T[1]"), "20");
    EXPECT_EQ(integer(""), "0");
    EXPECT_EQ(integer("ABS(NEG) + 1"), "6");
    EXPECT_EQ(integer("INT(R)"), "2");
    EXPECT_EQ(integer("INT(W[1])"), "0"); // halves go to the even neighbour
    EXPECT_EQ(integer("ORD('A')"), "65");
    EXPECT_EQ(integer("ORD(65)"), "54");
    EXPECT_EQ(integer("ORD(C)"), "113");
    EXPECT_EQ(integer("VAL('12')"), "12");
    EXPECT_EQ(integer("POS('b','abc')"), "2");
    EXPECT_EQ(integer("LENGTH(S)"), "3");
    EXPECT_TRUE(messages().empty());
    // Division by zero stops without a message.
    EXPECT_EQ(integer("5 \\ 0"), "stop");
    EXPECT_EQ(integer("5 / 0"), "stop");
    EXPECT_EQ(integer("5 MOD 0"), "stop");
    EXPECT_TRUE(messages().empty());
}

TEST_F(Expressions, IntegerOperandErrors) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"R", {"Type incorrect"}},
        {"(I + 1)", {"Erreur dans expression"}},
        {"ABS (I)", {"Erreur dans expression"}},
        {"FOO(1)", {"Erreur dans expression"}},
        {"MODE", {"Erreur dans expression"}},
        {"Z[1]", {"Identificateur inconnu"}},
        {"W[1]", {"Erreur de type"}},
        {"T[1", {"Erreur de syntaxe"}},
        {"T[4]", {"Indice incorrect"}},
        {"VAL('x')", {"erreur dans nombre x"}},
        {"ABS(ABS(I))", {"Identificateur ABS(I) inconnu", "erreur dans nombre ABS(I)"}},
        // A real literal is written with the regional comma, which a built-in's operand
        // does not accept.
        {"INT(3,5)", {"Expression incorrecte"}},
        {"POS('b')", {"Erreur de syntaxe"}},
        {"POS('b', 'abc')", {"Variable  'abc' n'existe pas"}},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(integer(text), "stop") << text;
        EXPECT_EQ(messages(), expected) << text;
    }
}

TEST_F(Expressions, NumberOperandsThatDoNotConvertAbandonTheRun) {
    EXPECT_THROW(integer("1 + 2 + 3"), RunAbandoned);
    EXPECT_THROW(integer("3.5"), RunAbandoned);
    EXPECT_THROW(integer("-7 \\ 2"), RunAbandoned);
    EXPECT_THROW(real("3.5"), RunAbandoned); // the regional separator is a comma
    EXPECT_THROW(real("1E39"), RunAbandoned);
    try {
        integer("2 + 3,5");
        FAIL();
    } catch (const RunAbandoned& e) {
        EXPECT_EQ(cp1252ToUtf8(e.what()), "'3,5' n'est pas une valeur entière correcte");
    }
}

TEST_F(Expressions, RealArithmetic) {
    EXPECT_EQ(real("2 + 0,1"), "2,09999999999854");
    EXPECT_EQ(real("R * 2"), "5");
    EXPECT_EQ(real("5"), "5");
    EXPECT_EQ(real("1 / 4"), "0,25");
    EXPECT_EQ(real("7 MOD 2"), "0");
    EXPECT_EQ(real("W[1] + R"), "3");
    EXPECT_EQ(real("SQRT(R)"), "1,58113883008446"); // 40 significant bits
    EXPECT_EQ(real("ABS(R)"), "2,5");
    EXPECT_EQ(real("EXP(0)"), "1");
    EXPECT_EQ(real("LN(1)"), "0");
    EXPECT_EQ(real("COS(0)"), "1");
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(real("1 / 0"), "stop");
    EXPECT_EQ(real("1E38 * 10"), "stop");
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(real("I"), "stop");
    EXPECT_EQ(messages(), std::vector<std::string>{"Type incorrect"});
    EXPECT_EQ(real("SQRT(-1)"), "stop");
    EXPECT_EQ(messages(), std::vector<std::string>{"erreur dans nombre -1"});
    EXPECT_EQ(real("LN(0)"), "stop");
    EXPECT_EQ(messages(), std::vector<std::string>{"erreur dans nombre 0"});
    EXPECT_EQ(real("EXP(100)"), "stop");
    EXPECT_EQ(real("RANDOM(10)"), "stop");
    EXPECT_EQ(messages(), std::vector<std::string>{"Erreur dans expression"});
    for (int i = 0; i < 200; ++i) {
        std::string r = real("RANDOM");
        const double v = std::stod(r.replace(r.find(',') == std::string::npos ? 0 : r.find(','),
                                             r.find(',') == std::string::npos ? 0 : 1, "."));
        ASSERT_GE(v, 0.0);
        ASSERT_LT(v, 1.0);
    }
}

TEST_F(Expressions, StringExpressions) {
    EXPECT_EQ(str("'abc' + 'def'"), "abcdef");
    EXPECT_EQ(str("'a+b'"), "a+b");
    EXPECT_EQ(str("S + 'x'"), "abcx");
    EXPECT_EQ(str("'x' + 'y' + 'z'"), "x' + 'yz"); // split at the last "+"
    EXPECT_EQ(str("COPY('abcdef',2,3)"), "bcd");
    EXPECT_EQ(str("COPY(S,0,2)"), "ab");
    EXPECT_EQ(str("COPY('abc',5,1)"), "");
    EXPECT_EQ(str("COPY('abc',2,10)"), "bc");
    EXPECT_EQ(str("COPY('abc',2)"), "");
    EXPECT_EQ(str("COPY(abc)"), "abc");
    EXPECT_EQ(str("UPPERCASE('\xE9t\xE9')"), "\xE9T\xE9");
    EXPECT_EQ(str("LOWERCASE(S) + 'D'"), "abcD");
    EXPECT_EQ(str("CHR(65)"), "A");
    EXPECT_EQ(str("CHR(321)"), "A");
    EXPECT_EQ(str("INTTOHEX(255)"), "FF");
    EXPECT_EQ(str("INTTOHEX(-1)"), "FFFFFFFF");
    EXPECT_EQ(str("INTTOHEX(0)"), "0");
    EXPECT_EQ(str("INTTOSTR(R)"), "2,5");
    EXPECT_EQ(str("INTTOSTR(I)"), "7");
    EXPECT_EQ(str("DATETOSTR(DATE)"), "07/12/2026");
    EXPECT_EQ(str("TIMETOSTR(date)"), "09:05:03");
    EXPECT_EQ(str("PARAMSTR(0)"), "TEST.PAS");
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(str("COPY(S,X,1)"), "stop");
    EXPECT_EQ(messages(), (std::vector<std::string>{"Identificateur X inconnu", "Erreur dans expression"}));
    const std::vector<std::pair<std::string, std::string>> errors = {
        {"C", "ce n'est pas un string"},
        {"PARAMSTR(X)", "Indice incorrect"},
        {"CHR('A')", "Erreur de conversion"},
        {"INTTOSTR('A')", "Erreur de conversion"},
        {"INTTOHEX(R)", "Erreur de conversion"},
        {"TIMETOSTR(TIME)", "Variable date/heure incorrecte"},
        {"FOO(S)", "Identificateur inconnu"},
        {"READKEY", "Variable READKEY n'existe pas"},
    };
    for (const auto& [text, message] : errors) {
        EXPECT_EQ(str(text), "stop") << text;
        EXPECT_EQ(messages(), std::vector<std::string>{message}) << text;
    }
}

TEST_F(Expressions, RunParametersSplitAtEverySpace) {
    h.interpreter->setRunArguments("a b");
    EXPECT_EQ(integer("PARAMCOUNT"), "2");
    EXPECT_EQ(str("PARAMSTR(2)"), "b");
    EXPECT_EQ(str("PARAMSTR(12)"), "a"); // only the first digit counts
    EXPECT_EQ(str("PARAMSTR(3)"), "");   // beyond the count
    h.interpreter->setRunArguments("a  b");
    EXPECT_EQ(integer("PARAMCOUNT"), "3");
    EXPECT_EQ(str("PARAMSTR(2)"), "");
    h.interpreter->setRunArguments("1 2 3 4 5 6 7 8 9 10 11 12");
    EXPECT_EQ(integer("PARAMCOUNT"), "10"); // words beyond the tenth are ignored
    EXPECT_EQ(str("PARAMSTR(9)"), "9");
}

TEST_F(Expressions, ConditionsCompareNumbersByValueAndTextsRightAligned) {
    EXPECT_EQ(cond("9 < 10"), "true");
    EXPECT_EQ(cond("10 < 9"), "false");
    EXPECT_EQ(cond("-5 > 3"), "false");
    EXPECT_EQ(cond("2.5 > 10"), "false");
    EXPECT_EQ(cond("NEG < 0"), "true");
    EXPECT_EQ(cond("R > 2.4"), "true");
    EXPECT_EQ(cond("R = W[1]"), "false");
    EXPECT_EQ(cond("I=7"), "true");
    EXPECT_EQ(cond("I >= 7"), "true");
    EXPECT_EQ(cond("I <> 7"), "false");
    EXPECT_EQ(cond("007 = 7"), "true");
    // Texts: shorter first, then by character code; only the last 16 characters count.
    EXPECT_EQ(cond("'B' < 'AB'"), "true");
    EXPECT_EQ(cond("'a' > 'Z'"), "true");
    EXPECT_EQ(cond("'xxxxABCDEFGHIJKLMNOP' = 'yyyyABCDEFGHIJKLMNOP'"), "true");
    EXPECT_EQ(cond("S = 'abc'"), "true");
    EXPECT_EQ(cond("C = 'q'"), "true");
    EXPECT_EQ(cond("'a=b' = 'a=b'"), "true"); // single-quoted literals hold no operator
    EXPECT_EQ(cond("S <= 'abc'"), "true");
    EXPECT_EQ(cond("I"), "stop");
    EXPECT_EQ(messages(), std::vector<std::string>{"Expression logique incorrecte"});
    EXPECT_EQ(cond("X = 1"), "stop");
    EXPECT_EQ(messages(), std::vector<std::string>{"Identificateur X inconnu"});
}
