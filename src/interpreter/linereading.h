// How a whole statement reads: its kind, its first word and argument, and every part the
// statement works with, down to the texts of its operands. A line is read into this form
// once (readLine), against the symbol table of the run; the general forms evaluate the parts
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

// ---- Operands ----

// An index as Indice reads it: an integer variable's name (upper case), or else an
// integer as written.
struct IndexText {
    std::string name;
    std::optional<std::int32_t> number;
};
IndexText readIndex(const std::string& text);

// A variable reference as resolveReference reads it: the reference as written, the name
// looked up (upper case, with its "[" for an element), and an element's index.
struct ReferenceReading {
    ReferenceText reference;
    std::string lookup;
    IndexText index;
};
ReferenceReading readReferenceWhole(const std::string& text);

// An operand as ScalarValue reads it: nothing, a quoted literal (its first doubled quote
// made one), one without its closing quote, a number as written, or a variable reference
// (of the trimmed text; read for any operand but a number, as a condition looks the name
// up).
struct ScalarText {
    enum class Form : char { Empty, Quoted, Unterminated, Number, Reference };
    Form form = Form::Empty;
    std::string written; // as the statement holds it
    std::string value;   // a quoted literal's
    int strays = 0;      // a number's characters that no number has
    ReferenceReading reference;
};
ScalarText readScalar(const std::string& text);

// An operand as StringValue reads it: nothing, a quoted literal (the text between its
// quotes as written), one without its closing quote, or a variable reference (of the text
// as written).
struct StringOperandText {
    enum class Form : char { Empty, Quoted, Unterminated, Reference };
    Form form = Form::Empty;
    std::string written;
    std::string value;
    ReferenceReading reference;
};
StringOperandText readStringOperand(const std::string& text);

// A built-in's arguments, as builtinArguments splits them, each read as the function
// evaluates it: LENGTH, POS, UPPERCASE, LOWERCASE and COPY's first as strings; the
// functions of a value and COPY's second and third as scalars; PARAMSTR's number; whether
// DATETOSTR's or TIMETOSTR's argument is DATE. `count` is how many parts there were.
struct ArgumentsText {
    std::size_t count = 0;
    std::vector<StringOperandText> strings;
    std::vector<ScalarText> scalars;
    std::optional<int> parameter;
    bool date = false;
};
ArgumentsText readArguments(Function function, const std::string& argument);

// ---- Expressions ----

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
    ArgumentsText arguments;              // a known built-in's
    ReferenceReading element;             // an element's
};

// One operator between two operands, or one operand (the right one is then empty); the
// operands read for the expression's kind, integer or real.
struct NumericExpressionText {
    NumericOp op = NumericOp::None;
    NumericOperandText left, right;
};

// One term of a string expression, with a known built-in's arguments read.
struct StringTermReading {
    StringTermText term;
    StringOperandText operand; // a term that is no call
    ArgumentsText arguments;
};
// At most two terms joined by "+".
struct StringExpressionText {
    bool joined = false;
    StringTermReading first, second;
};
StringExpressionText readStringExpression(const std::string& text);

// ---- Statements ----

// target := expression, the expression read for the kind of the target's symbol.
struct AssignmentReading {
    AssignmentText text;
    ReferenceReading target;
    SymbolKind kind = SymbolKind::None; // the target's symbol, when it has one
    std::variant<std::monostate, NumericExpressionText, StringExpressionText> expression;
};

// The condition of IF, WHILE and UNTIL: absent when IF has no THEN or WHILE no DO.
struct ConditionReading {
    bool present = false;
    ConditionText condition;
    ScalarText left, right; // a comparison's operands
};
ConditionReading readConditionWhole(const std::string& condition);

// WRITE, WRITELN, READ and READLN: the operand WRITE writes.
struct TransferReading {
    TransferText transfer;
    ScalarText operand;
};

struct ForReading {
    ForHeadingText heading;
    ScalarText start, limit;
};

struct AssignFileReading {
    AssignFileText assignment;
    StringOperandText name;
};

struct GotoxyReading {
    bool hasComma = false;
    IndexText row, column;
};

struct LineReading {
    Statement statement = Statement::Nothing;
    std::string text; // the statement trimmed, tabs as spaces
    // The parts, by statement: an assignment; a condition; what WRITE, WRITELN, READ and
    // READLN move; a FOR heading; ASSIGN's file and name; GOTOXY's row and column; the
    // name CALL, GOTO, RESET, REWRITE and CLOSE look up; the operand of SHOWMESSAGE and
    // the directory statements.
    std::variant<std::monostate, AssignmentReading, ConditionReading, TransferReading, ForReading,
                 AssignFileReading, GotoxyReading, std::string, StringOperandText>
        parts;

    template <class Part> const Part& part() const { return std::get<Part>(parts); }
    const std::string& name() const { return std::get<std::string>(parts); }
};

// The run's symbol table, against which a line reads.
using SymbolTable = std::vector<SymbolEntry>;
// The entry of a name (upper case), or nullptr. A lookup changes nothing: a name not found
// is for the caller to report.
const SymbolEntry* findSymbol(const SymbolTable& symbols, const std::string& upperName);
// How a line reads (tabs as spaces and trimmed, in text; upper-cased, in upper): the lines
// that do nothing, BEGIN, ENDSUB and END by their structure, any other by its first word,
// which it gives with the argument. A line holding only a procedure's name calls it.
Statement classifyStatement(const SymbolTable& symbols, const std::string& upper, const std::string& text,
                            std::string& keyword, std::string& argument);
// A statement (a line without its breakpoint marker) read whole: classified, and its parts
// read for the statement it is. The decoded program keeps each line's reading while the
// line and the symbols stay the same.
LineReading readLine(const SymbolTable& symbols, const std::string& statement);
// A numeric expression and its operands, read for an integer or a real target.
NumericOperandText readNumericOperand(const SymbolTable& symbols, const std::string& text, SymbolKind kind);
NumericExpressionText readNumericExpression(const SymbolTable& symbols, const std::string& text, SymbolKind kind);

} // namespace zef
