// The decoded program: each line read once per run, into the reading both paths run from
// and the form the fast path executes, and the block structure (a body's end, the line an
// IF or ELSE goes to) worked out once. Only the interpreter's own files include this header.
//
// A decoded line is kept only while the line's text and the symbol table it was read
// against stay the same, and a fast form exists only where the general form cannot fail
// before run time. Whatever the fast path cannot decide, it leaves to the general form, which
// evaluates the same reading, before it has changed anything.
#pragma once

#include "interpreter_p.h"
#include "linereading.h"
#include "reading.h"
#include "vocabulary.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zef {

// One operand as the fast path reads it, resolved against the symbol table once.
struct Operand {
    enum class Kind : char { None, Integer, Real, Text, Scalar, Element, Builtin };
    Kind kind = Kind::None;
    SymbolKind type = SymbolKind::None; // of a variable
    std::int32_t slot = 0;  // the variable's slot, or the array's first slot
    std::int32_t count = 1; // the array's declared size
    bool indexByVariable = false;
    std::int32_t index = 0;     // the element's offset (literal), or the index variable's slot
    std::int32_t i = 0;         // an integer literal
    double r = 0;               // a real literal, or the reading of a numeric literal
    bool exactReading = true;   // a condition operand whose text reads back to its value
    std::string text;           // a string literal's value, or a number as written
    Function function = Function::Length; // a built-in's
    std::vector<Operand> inner; // a built-in's arguments
};

struct Condition {
    bool valid = false;
    bool numeric = false;  // compared by value, else as right-aligned texts
    bool integers = false; // both operands read as integers, exactly
    Operand left, right;
    Comparison op = Comparison::Equal;
    // EOF(F) and NOT EOF(F): the file variable's slot instead of a comparison.
    bool endOfFile = false, negated = false;
    std::int32_t file = 0;
};

// One term of a string expression: a string operand, or a string built-in of its
// arguments (COPY, INTTOSTR, CHR, INTTOHEX, UPPERCASE, LOWERCASE).
struct StringTerm {
    std::optional<Function> function;
    Operand source, from, count;
};

// Where WRITE, WRITELN, READ and READLN go, and what they write or read into; the file
// variable of ASSIGN, RESET, REWRITE and CLOSE, and the name ASSIGN gives it.
struct Transfer {
    enum class Target : char { LineOnly, Screen, File };
    Target target = Target::Screen;
    std::int32_t file = 0; // the file variable's slot
    Operand value;         // what WRITE writes
    SymbolKind kind = SymbolKind::None; // what READ reads into: the variable's kind and slot
    std::int32_t slot = 0;
};

// A FOR heading: the counter's slot, its first value and its limit, the step.
struct ForHeading {
    std::int32_t counter = 0;
    Operand start, limit;
    std::int32_t step = 1;
};

class InterpreterPrivate;
class DecodedProgram;

struct DecodedLine {
    // Runs the line's fast form from the line `current`: the line it leaves the run at (the
    // driver goes on after it), or HandBack, with nothing changed, when the general form must
    // run it.
    using Handler = std::int64_t (*)(InterpreterPrivate&, DecodedProgram&, DecodedLine&, std::int32_t current);
    // A statement's form as a function of the line `current`, which it moves: true when the
    // statement ran, or stopped the run; false, from a fast form only, when it hands the
    // statement back with nothing changed.
    using Form = bool (*)(InterpreterPrivate&, DecodedProgram&, DecodedLine&, std::int32_t& current);
    static constexpr std::int64_t HandBack = INT64_MIN;
    std::string raw;      // the line as the editor holds it
    std::string text;     // the statement: the line without its breakpoint marker
    std::string prepared; // trimmed, tabs expanded, upper case: what the block scans read
    bool marked = false;  // starts with the breakpoint marker
    bool decoded = false; // the fields below are filled (decoding waits for the first run)
    Statement statement = Statement::Nothing;
    // The line read whole (readLine): the general form runs it from this reading, and the
    // fast form below was made from it.
    LineReading reading;
    bool fast = false;     // decoded whole (names resolved, operands typed): a fast form exists
    // How the driver's fast loop runs the line: not at all (it has no fast form, or it may
    // stop the run with a message once decided), through its handler, or, for the two
    // commonest statements of a loop's body, in the loop itself.
    enum class InLoop : char { HandOver, Handler, Begin, End };
    InLoop inLoop = InLoop::HandOver;
    Handler handler = nullptr; // the fast form: the statement's own, or one made for the line's shape
    Form general = nullptr;    // the form that runs the statement whatever it meets
    std::int32_t target = 0; // a CALL's procedure heading, a GOTO's label line

    // Assignment: the target and the expression of its type (GOTOXY: the row and the column
    // in left and right).
    Operand destination;
    NumericOp op = NumericOp::None;
    Operand left, right;
    std::vector<StringTerm> terms;

    // IF, WHILE and UNTIL.
    Condition condition;
    // WRITE, WRITELN, READ, READLN.
    Transfer transfer;
    ForHeading heading;

    // Block structure, worked out on first use and valid for one generation of the lines.
    std::uint64_t memoGeneration = 0;
    bool bodyEndKnown = false, branchKnown = false;
    std::optional<std::int32_t>
        bodyEnd; // of the body below this line (a CALL: its procedure's), a BREAK's UNTIL; nullopt: none
    IfBranch branch; // where an IF goes when its condition is false, an ELSE always; or why not
};

class DecodedProgram {
  public:
    // `firstVisit` is the form of a line not decoded yet: the runner's, which decodes the
    // line and goes on with the form it got.
    explicit DecodedProgram(DecodedLine::Handler firstVisit) : firstVisit_(firstVisit) { clear(); }
    // Takes the lines as they are now. A fresh run or a different symbol table drops every
    // decoded form; a line whose text changed is decoded again; any change drops the block
    // structure of every line. Lines whose revision is the one taken last time are not
    // read at all, so that a single step costs its statement, not a reading of the program.
    void refresh(const LineList& lines, const std::vector<SymbolEntry>& symbols, bool fresh);
    void clear();
    std::int32_t count() const { return static_cast<std::int32_t>(lines_.size()); }
    DecodedLine& line(std::int32_t index) { return lines_[static_cast<std::size_t>(index)]; }
    // The form of a block's closing word, run by the driver in place of its resume line.
    DecodedLine& terminator(Closing closing) { return closings_[static_cast<std::size_t>(closing)]; }
    // The form the run meets at `line`: on the resume line of the innermost block, that
    // block's closing word, as if written on the line before (`at` is then the line before);
    // elsewhere the line's own (`at` is the line).
    [[gnu::always_inline]] DecodedLine& formAt(std::int32_t line, const BlockEntry& innermost, std::int32_t& at) {
        at = line;
        if (innermost.ResumeLine != line) return lines_[static_cast<std::size_t>(line)];
        --at;
        return terminator(innermost.Terminator);
    }
    // Where the run goes on after a statement that left it at line `at`: the next line. A
    // line taken from the value stack may be any number: once past the last line the run
    // is over, and the line number does not run beyond its range.
    [[gnu::always_inline]] static std::int32_t lineAfter(std::int64_t at, std::int32_t count) {
        return at >= count ? count : static_cast<std::int32_t>(at) + 1;
    }
    std::uint64_t generation() const { return generation_; }

    // The end of the body below a heading, on the prepared texts; nullopt where there is
    // none. The statements keep it in their decoded line, once per generation.
    std::optional<std::int32_t> bodyEnd(std::int32_t heading) const;
    const std::string& prepared(std::int32_t index) const;

  private:
    DecodedLine fromText(const std::string& raw) const;

    std::vector<DecodedLine> lines_;
    std::array<DecodedLine, 5> closings_;  // NEXT, WEND, UNTIL and ENDSUB, by Closing
    std::vector<SymbolEntry> symbols_;
    std::uint64_t generation_ = 1;
    std::uint64_t linesRevision_ = 0; // the revision of the lines last taken, 0 if unknown
    DecodedLine::Handler firstVisit_;
};

// Decodes a line: its reading, and from it the operands resolved against the interpreter's
// symbols, the built-ins, the WRITE/READ targets, the FOR heading. `line.fast` says whether
// the line got a form that decides it alone.
void decodeStatement(const InterpreterPrivate& interpreter, DecodedLine& line);

} // namespace zef
