// How a statement's text reads: where a reference's index stands, what a literal holds,
// where an expression splits, a condition's operator, a FOR heading's parts. These readings
// know no symbol and change nothing; readLine (linereading.h) reads a whole statement
// through them, once, for both the general forms and the decoder. What a part means (which
// symbol, which value) and what is reported when it means nothing is each caller's own.
#pragma once

#include "interpreter.h"
#include "vocabulary.h"

#include "text.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zef {

// How the block scans and the classification read a line: tabs as spaces, trimmed, in
// upper case.
inline std::string preparedLine(std::string_view line) { return upperAscii(trim(tabsToSpaces(line))); }
// A label's line: its only colon is its last character.
inline bool isLabelLine(std::string_view text) {
    const auto colon = text.find(':');
    return colon != std::string_view::npos && colon == text.size() - 1;
}
inline bool inSet(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }

// A statement's first word and the rest: the word ends at the first "(" or blank; the rest
// keeps at most 255 characters and loses a final ";".
void splitStatement(const std::string& upper, const std::string& text, std::string& keyword,
                    std::string& argument);

// A variable reference, a name or name[index], as written.
struct ReferenceText {
    std::string name;    // the name, with its "[" for an element
    bool element = false;
    bool closed = false; // an element's "]" follows its "["
    std::string index;   // between "[" and the first "]" after it; empty without "]"
};
ReferenceText readReference(const std::string& text);

// Operands that stand for themselves.
bool isNumberStart(char c);                  // a number as a value text: ".0123456789+-"
bool isNumberCharacter(char c);              // ".-+1234567890"
bool isPlainNumber(const std::string& text); // holds only the characters of a number
// A quoted value (text starts with a quote): its first doubled quote made one, without
// its quotes; nullopt without a closing quote.
std::optional<std::string> quotedValue(const std::string& text);
// A quoted string operand: the text between its quotes as written (doubled quotes kept);
// nullopt without a closing quote.
std::optional<std::string> quotedString(const std::string& text);

// A numeric expression's operator.
enum class NumericOp : char { None, Add, Sub, Mul, Divide, IntDivide, Mod, Power };
// An expression split at its operator: the first of "-+*/\\" outside a built-in's
// parentheses, else "**", else MOD; no operator leaves the whole text on the left.
struct OperatorSplit {
    std::string left, op, right;
    bool operator==(const OperatorSplit&) const = default;
};
OperatorSplit splitOperator(const std::string& expression);
NumericOp numericOpOf(const std::string& op);

// The arguments of a built-in, from the text after its "(" (which still ends with ")"), as
// the function reads them: POS splits at its first comma, COPY at its first two, the
// functions of a value read one trimmed operand, PARAMSTR its first character. Fewer
// parts than the function takes means the commas are missing.
std::vector<std::string> builtinArguments(Function function, const std::string& argument);

// PARAMSTR's argument, as builtinArguments gives it: only its first character counts, a
// digit (PARAMSTR(12) is parameter 1); nullopt when it is none.
std::optional<int> parameterNumber(const std::string& argument);
// DATETOSTR's and TIMETOSTR's argument: the word DATE, in any case.
bool isDateArgument(const std::string& argument);

// One term of a string expression: an operand, or a call (a "(" in a term that is no
// quoted literal) of the function named before it.
struct StringTermText {
    std::string operand; // trimmed
    bool call = false;
    std::optional<Function> function;
    std::string argument; // after the "(", still ending with ")"
};
StringTermText readStringTerm(const std::string& text);
// Where a string expression splits: the last "+" outside quotes, or npos.
std::size_t stringPlus(const std::string& expression);

// target := value.
struct AssignmentText {
    bool assigns = false; // holds ":="
    std::string target;   // upper case, trimmed
    std::string value;    // trimmed, at most 255 characters
};
AssignmentText readAssignment(const std::string& line);

// A comparison's operator, and whether an order (<0, 0, >0) satisfies it.
enum class Comparison : char { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };
constexpr bool satisfies(Comparison op, int order) {
    switch (op) {
    case Comparison::Equal: return order == 0;
    case Comparison::NotEqual: return order != 0;
    case Comparison::Less: return order < 0;
    case Comparison::Greater: return order > 0;
    case Comparison::LessEqual: return order <= 0;
    case Comparison::GreaterEqual: return order >= 0;
    }
    return false;
}
// Two value texts compared as texts: right-aligned in 16 characters and compared by
// character code, so that shorter texts come first and a longer value loses its leading
// characters. Gives <0, 0 or >0.
int compareAsFields(const std::string& a, const std::string& b);

// A condition: EOF(F), NOT EOF(F), or two operands around a comparison operator (the first
// "<=", ">=" or "<>" anywhere, else the first "<", ">" or "=" outside quotes).
struct ConditionText {
    enum class Form : char { EndOfFile, NotEndOfFile, Comparison, NoOperator };
    Form form = Form::NoOperator;
    std::string file; // EOF's file variable: upper case, trimmed
    std::string left, right; // trimmed
    Comparison op = Comparison::Equal;
};
ConditionText readCondition(const std::string& condition);
// The condition of IF (before THEN) and of WHILE (before its final DO); nullopt when the
// word is missing.
std::optional<std::string> ifCondition(const std::string& argument);
std::optional<std::string> whileCondition(const std::string& argument);

// The argument of WRITE, WRITELN, READ and READLN, "(...)": nothing, or what is written
// or read, after a destination before the first comma outside quotes.
struct TransferText {
    bool empty = false;
    bool toDestination = false;
    std::string destination; // upper case, trimmed
    std::string operand;     // WRITE: the value's operand; READ: the target's name, upper case, trimmed
};
TransferText readTransfer(const std::string& argument, bool write);

// FOR counter := start TO limit DO (DOWNTO anywhere counts down). The start runs from ":="
// to the first space, the limit from three characters after "TO" to the final "DO".
struct ForHeadingText {
    bool assigns = false, hasTo = false, endsWithDo = false, downto = false;
    std::string counter, start, limit; // upper case, trimmed
};
ForHeadingText readForHeading(const std::string& argument);

// ASSIGN(F, name), upper-cased as a whole: the file variable's name and the operand that
// gives the file's name, split at the first comma.
struct AssignFileText {
    bool hasComma = false;
    std::string file; // trimmed
    std::string name; // as written after the comma
};
AssignFileText readAssignFile(const std::string& argument);

// GOTOXY(row,column): the argument without its last character, split at the first comma;
// each part is read as an element's index is, as written.
struct GotoxyText {
    bool hasComma = false;
    std::string row, column;
};
GotoxyText readGotoxy(const std::string& argument);

// The names CALL and GOTO look up, and the argument of the file statements without its
// closing parenthesis: upper case, trimmed (a label with its ":").
std::string procedureName(const std::string& argument);
std::string labelName(const std::string& argument);
std::string fileName(const std::string& argument);

// The line a block's body ends on, after its heading: the next line, or, when that line
// is BEGIN, the END that closes it; nullopt when there is none. `prepared(i)` gives line
// i as the block scans read it (see preparedLine).
template <class Prepared>
std::optional<std::int32_t> scanBodyEnd(std::int32_t heading, std::int32_t count, Prepared&& prepared) {
    if (heading + 1 >= count) return std::nullopt;
    if (!opensBlock(prepared(heading + 1))) return heading + 1;
    int depth = 0;
    for (std::int32_t i = heading + 1; i < count; ++i) {
        const std::string& text = prepared(i);
        if (opensBlock(text)) ++depth;
        if (closesBlock(text)) --depth;
        if (depth == 0) return i;
    }
    return std::nullopt;
}
// The first ELSE line below a line, whatever the nesting.
template <class Prepared>
std::optional<std::int32_t> scanElse(std::int32_t line, std::int32_t count, Prepared&& prepared) {
    for (std::int32_t i = line + 1; i < count; ++i)
        if (isElseLine(prepared(i))) return i;
    return std::nullopt;
}
// The first line from `line` on that starts with UNTIL, where BREAK leaves a REPEAT.
template <class Prepared>
std::optional<std::int32_t> scanUntil(std::int32_t line, std::int32_t count, Prepared&& prepared) {
    for (std::int32_t i = line; i < count; ++i)
        if (startsUntil(prepared(i))) return i;
    return std::nullopt;
}

// Where an IF goes when its condition is false. A branch of one line: past it when it ends
// with ";", else to the first ELSE below. A BEGIN ... END branch: to its END, and on to the
// first ELSE below unless the END as written ends with ";". On a fault the line is where
// the search stopped: the IF, or the END of its branch. `written(i)` gives line i without
// its breakpoint marker; `bodyEnd(heading)` is scanBodyEnd's answer.
struct IfBranch {
    enum class Fault : char { None, NoEnd, NoElse };
    std::int32_t line = 0;
    Fault fault = Fault::None;
};
template <class Prepared, class Written, class BodyEnd>
IfBranch falseBranch(std::int32_t ifLine, std::int32_t count, Prepared&& prepared, Written&& written,
                     BodyEnd&& bodyEnd) {
    IfBranch b{ifLine};
    std::int32_t from = ifLine;
    const std::string& next = prepared(ifLine + 1);
    if (!opensBlock(next)) {
        if (endsWith(next, ";")) {
            b.line = ifLine + 1;
            return b;
        }
    } else {
        const std::optional<std::int32_t> end = bodyEnd(ifLine);
        if (!end) {
            b.fault = IfBranch::Fault::NoEnd;
            return b;
        }
        b.line = from = *end;
        if (endsWith(written(*end), ";")) return b;
    }
    if (const auto at = scanElse(from, count, prepared)) b.line = *at;
    else b.fault = IfBranch::Fault::NoElse;
    return b;
}

} // namespace zef
