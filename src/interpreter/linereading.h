// How a whole statement reads: its kind, its first word and argument, and every part the
// statement works with, down to the texts of its operands. A line is read into this form
// once (readLine), against the symbol table of the run; the text path evaluates the parts
// as value texts and the decoder resolves them into the fast path's operands, so that
// neither reads the line again. A reading reports nothing: what a part means, and what is
// said when it means nothing, is found when the statement runs.
#pragma once

#include "reading.h"
#include "vocabulary.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zef {

// How a numeric operand of an integer or real expression reads, in this order: nothing
// (0), a number, a variable, the function without argument (PARAMCOUNT, RANDOM), a call of
// a built-in, an array's element; anything else is no operand.
struct NumericOperandText {
    enum class Form : char { Empty, Number, Variable, Nullary, Call, Element, Unknown };
    Form form = Form::Empty;
    std::string operand;                  // trimmed
    SymbolKind kind = SymbolKind::None;   // a variable's kind and slot
    std::int32_t slot = 0;
    std::optional<Function> function;     // a call's, if it names a built-in
    std::string argument;                 // a call's, after "(" and still ending with ")"
    std::vector<std::string> arguments;   // a known built-in's, as builtinArguments splits them
    std::size_t open = std::string::npos; // an element's "["
};

// One operator between two operands, or one operand (the right one is then empty); the
// operands read for the expression's kind, integer or real.
struct NumericExpressionText {
    NumericOp op = NumericOp::None;
    NumericOperandText left, right;
};

// One term of a string expression, with a known built-in's arguments split.
struct StringTermReading {
    StringTermText term;
    std::vector<std::string> arguments;
};
// At most two terms joined by "+".
struct StringExpressionText {
    bool joined = false;
    StringTermReading first, second;
};

StringExpressionText readStringExpression(const std::string& text);

// target := expression, the expression read for the kind of the target's symbol.
struct AssignmentReading {
    AssignmentText text;
    ReferenceText target;
    SymbolKind kind = SymbolKind::None; // the target's symbol, when it has one
    NumericExpressionText numeric;      // an integer or real target's
    StringExpressionText string;        // a string or char target's
};

// The condition of IF, WHILE and UNTIL: absent when IF has no THEN or WHILE no DO.
struct ConditionReading {
    bool present = false;
    ConditionText condition;
};

struct LineReading {
    Statement statement = Statement::Nothing;
    std::string keyword, argument; // the first word and the rest (see splitStatement)
    std::string text;              // the statement trimmed, tabs as spaces
    // The parts, by statement: an assignment; a condition; what WRITE, WRITELN, READ and
    // READLN move; a FOR heading; ASSIGN's file and name; GOTOXY's row and column; the
    // name CALL, GOTO, RESET, REWRITE and CLOSE look up, or the operand of SHOWMESSAGE
    // and the directory statements.
    std::variant<std::monostate, AssignmentReading, ConditionReading, TransferText, ForHeadingText, AssignFileText,
                 GotoxyText, std::string>
        parts;

    template <class Part> const Part& part() const { return std::get<Part>(parts); }
    const std::string& name() const { return std::get<std::string>(parts); }
};

} // namespace zef
