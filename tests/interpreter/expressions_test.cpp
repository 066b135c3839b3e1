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
    // What an evaluation gives, or "stop" when it leaves the statement.
    template <class Evaluate> std::string orStop(Evaluate evaluate) {
        h.messages.messages.clear();
        try {
            return evaluate();
        } catch (const StatementStopped&) {
            return "stop";
        }
    }
    std::string integer(std::string text) {
        return orStop([&] { return h.workings().IntegerExpression(text), text; });
    }
    std::string real(std::string text) {
        return orStop([&] { return h.workings().RealExpression(text), text; });
    }
    std::string str(std::string text) {
        return orStop([&] { return h.workings().StringExpression(text), text; });
    }
    std::string cond(const std::string& text) {
        return orStop([&] { return std::string(h.workings().EvaluateCondition(text) ? "true" : "false"); });
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

// The case files (integer_expressions, numeric_builtins, real_expressions, string_builtins,
// string_expressions and the int_, real_ and string_ error cases) show each expression
// form with its result or message; what follows are the operations they cannot reach
// directly: elements as operands, a fixed clock, and properties over many values.
TEST_F(Expressions, IntegerArithmetic) {
    EXPECT_EQ(integer("NEG MOD 3"), "-2"); // the sign of the dividend
    EXPECT_EQ(integer("T[2] + T[1]"), "20");
    EXPECT_EQ(integer("INT(W[1])"), "0"); // halves go to the even neighbour
    EXPECT_TRUE(messages().empty());
    // Division by zero stops without a message.
    EXPECT_EQ(integer("5 / 0"), "stop");
    EXPECT_TRUE(messages().empty());
}

TEST_F(Expressions, IntegerOperandErrors) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"FOO(1)", {"Erreur dans expression"}},
        {"T[4]", {"Indice incorrect"}},
        // A real literal is written with the regional comma, which a built-in's operand
        // does not accept.
        {"INT(3,5)", {"Expression incorrecte"}},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(integer(text), "stop") << text;
        EXPECT_EQ(messages(), expected) << text;
    }
}

TEST_F(Expressions, ARealLiteralBeyondTheRangeAbandonsTheRun) {
    try {
        real("1E39");
        FAIL();
    } catch (const RunAbandoned& e) {
        EXPECT_EQ(cp1252ToUtf8(e.what()), "'1E39' n'est pas une valeur flottante correcte");
    }
}

TEST_F(Expressions, RealArithmetic) {
    EXPECT_EQ(real("W[1] + R"), "3");
    EXPECT_TRUE(messages().empty());
    for (int i = 0; i < 200; ++i) {
        std::string r = real("RANDOM");
        const double v = std::stod(r.replace(r.find(',') == std::string::npos ? 0 : r.find(','),
                                             r.find(',') == std::string::npos ? 0 : 1, "."));
        ASSERT_GE(v, 0.0);
        ASSERT_LT(v, 1.0);
    }
}

TEST_F(Expressions, StringExpressions) {
    // The fixed clock of the test platform, and the program's own name.
    EXPECT_EQ(str("DATETOSTR(DATE)"), "07/12/2026");
    EXPECT_EQ(str("TIMETOSTR(date)"), "09:05:03");
    EXPECT_EQ(str("PARAMSTR(0)"), "TEST.PAS");
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(str("COPY(S,X,1)"), "stop");
    EXPECT_EQ(messages(), (std::vector<std::string>{"Identificateur X inconnu", "Erreur dans expression"}));
    EXPECT_EQ(str("READKEY"), "stop");
    EXPECT_EQ(messages(), std::vector<std::string>{"Variable READKEY n'existe pas"});
}

// The params case files show the split at every blank and PARAMSTR's single digit.
TEST_F(Expressions, RunParametersStopAtTheTenth) {
    h.interpreter->setRunArguments("1 2 3 4 5 6 7 8 9 10 11 12");
    EXPECT_EQ(integer("PARAMCOUNT"), "10"); // words beyond the tenth are ignored
    EXPECT_EQ(str("PARAMSTR(9)"), "9");
}

// The case file conditions shows the comparisons of literals and plain variables.
TEST_F(Expressions, ConditionsCompareNumbersByValueAndTextsRightAligned) {
    EXPECT_EQ(cond("2.5 > 10"), "false"); // a literal real is written with a point
    EXPECT_EQ(cond("R > 2.4"), "true");
    EXPECT_EQ(cond("R = W[1]"), "false");
    EXPECT_EQ(cond("S <= 'abc'"), "true");
    EXPECT_EQ(cond("X = 1"), "stop");
    EXPECT_EQ(messages(), std::vector<std::string>{"Identificateur X inconnu"});
}
