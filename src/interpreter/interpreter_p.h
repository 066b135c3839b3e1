// The workings of the interpreter: its whole state and every operation on it. Only the
// interpreter's own files and the tests that drive single operations include this header;
// the IDE and zefrun see the published face in interpreter.h.
#pragma once

#include "interpreter.h"
#include "linereading.h"
#include "reading.h"
#include "vocabulary.h"

#include "numtext.h"
#include "text.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>

namespace zef {

class DecodedProgram;
struct DecodedLine;

// Thrown where a statement stops the run, once what stops it has been reported (or kept
// for the front ends): the statement is over there, and the driver ends the run at it.
struct StatementStopped {};

// An integer result kept to its 32 bits, as the machine's arithmetic wraps round.
inline std::int32_t wrap32(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }

// A real rounded to the nearest integer, a half going to the even neighbour; nullopt when
// the result does not fit in 32 bits.
inline std::optional<std::int32_t> roundHalfEven(double value) {
    const double r = std::nearbyint(value); // the default rounding mode: to nearest, ties even
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return std::nullopt; // NaN as well
    return static_cast<std::int32_t>(r);
}

// What the built-ins compute, whether their arguments come from value texts (the general forms)
// or from the stores (the decoded forms).
// POS: where the needle first stands in the haystack, counted from 1; 0 when it does not.
inline std::int32_t positionOf(std::string_view needle, std::string_view haystack) {
    const auto at = haystack.find(needle);
    return at == std::string_view::npos ? 0 : static_cast<std::int32_t>(at) + 1;
}
// ABS, SQRT, SIN, COS, LN and EXP of a real, before the result is rounded to the 6-byte
// real; nullopt outside the function's domain.
inline std::optional<double> realFunction(Function function, double x) {
    switch (function) {
    case Function::Abs: return std::fabs(x);
    case Function::Sqrt: return x < 0 ? std::nullopt : std::optional(std::sqrt(x));
    case Function::Sin: return std::sin(x);
    case Function::Cos: return std::cos(x);
    case Function::Ln: return x <= 0 ? std::nullopt : std::optional(std::log(x));
    case Function::Exp: return std::exp(x);
    default: return std::nullopt;
    }
}
// COPY(s, from, count): `from` counts from 1 (below 1 it reads as 1); nothing is taken when
// it lies past the end or when the count is negative. appendCopy adds it to out.
inline std::string_view copyOf(std::string_view s, std::int64_t from, std::int64_t count) {
    const std::int64_t start = from < 1 ? 1 : from;
    if (start > static_cast<std::int64_t>(s.size()) || count < 0) return {};
    return s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count));
}
inline void appendCopy(std::string& out, std::string_view s, std::int64_t from, std::int64_t count) {
    out.append(copyOf(s, from, count));
}
// CHR and INTTOHEX of an integer, added to out: its low byte; its 32 bits in hexadecimal.
inline void appendChr(std::string& out, std::int64_t i) { out += static_cast<char>(i & 0xFF); }
inline void appendHex(std::string& out, std::int64_t i) {
    char hex[16];
    const int n = std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(i));
    out.append(hex, static_cast<std::size_t>(n));
}

// The built-ins of a value, from their argument's value text (a literal as written, or a
// variable's value text): ABS, INT, ORD and VAL giving an integer; ABS, SQRT, SIN, COS,
// LN and EXP a real rounded to the 6-byte format; INTTOSTR, CHR and INTTOHEX a text.
// nullopt when the text is no value the function takes: the general form reports it, and
// the decoder makes no constant of a literal argument.
std::optional<double> realOfValue(Function function, const std::string& value, char separator);
std::optional<std::string> textOfValue(Function function, const std::string& value, char separator);
[[gnu::always_inline]] inline std::optional<std::int32_t> integerOfValue(Function function, std::string_view value,
                                                                         char separator) {
    switch (function) {
    case Function::Ord:
        if (value.empty()) return std::nullopt;
        return static_cast<unsigned char>(value[0]);
    case Function::Int: {
        const auto d = parseReal(value, separator);
        const auto r = d ? roundToReal48(*d) : std::nullopt;
        return r ? roundHalfEven(*r) : std::nullopt;
    }
    case Function::Abs:
    case Function::Val: {
        const auto i = parseInteger(value);
        if (!i) return std::nullopt;
        return function == Function::Abs ? wrap32(std::llabs(*i)) : *i;
    }
    default: return std::nullopt;
    }
}

// An operation on integers as the language computes it: the result wrapped round to 32
// bits, "/" rounding its quotient to the nearest integer (a half to the even one), "**"
// giving 0. nullopt stops the run: a division by zero, a quotient beyond 32 bits.
[[gnu::always_inline]] inline std::optional<std::int32_t> integerOperation(NumericOp op, std::int64_t a,
                                                                         std::int64_t b) {
    switch (op) {
    case NumericOp::None: return static_cast<std::int32_t>(a);
    case NumericOp::Add: return wrap32(a + b);
    case NumericOp::Sub: return wrap32(a - b);
    case NumericOp::Mul: return wrap32(a * b);
    case NumericOp::IntDivide:
        if (b == 0) return std::nullopt;
        return wrap32(a / b);
    case NumericOp::Mod:
        if (b == 0) return std::nullopt;
        return wrap32(a % b);
    case NumericOp::Divide:
        if (b == 0) return std::nullopt;
        return roundHalfEven(double(a) / double(b));
    case NumericOp::Power: return 0;
    }
    return 0;
}
// An operation on reals before its rounding to the 6-byte real: the backslash, MOD and
// "**" give 0. nullopt stops the run: a division by zero.
[[gnu::always_inline]] inline std::optional<double> realOperation(NumericOp op, double a, double b) {
    switch (op) {
    case NumericOp::None: return a;
    case NumericOp::Add: return a + b;
    case NumericOp::Sub: return a - b;
    case NumericOp::Mul: return a * b;
    case NumericOp::Divide:
        if (b == 0) return std::nullopt;
        return a / b;
    case NumericOp::IntDivide:
    case NumericOp::Mod:
    case NumericOp::Power: return 0;
    }
    return 0;
}

// The resume line of the entry below the block stack, which no line has.
constexpr std::int32_t NoResumeLine = INT32_MIN;
// The resume line of a REPEAT's entry: its UNTIL is a statement of its own line, so no
// line resumes the block by running a closing word.
constexpr std::int32_t RepeatResumeLine = -99;

// Whether a string of `size` bytes may be stored when the strings of the run would then
// hold `total` bytes in all (MaxStringLength, MaxStringBytes).
constexpr bool stringFits(std::size_t size, std::size_t total) {
    return size <= MaxStringLength && total <= MaxStringBytes;
}


// Where WRITE sends its text: nowhere (WRITELN alone ends the line), the screen, a file's
// channel, the printer.
struct Output {
    enum class To : char { LineOnly, Screen, Channel, Printer };
    To to = To::LineOnly;
    TextChannel* channel = nullptr;
};
// Where READ takes a line from, and the variable (its kind and slot) it goes into;
// nowhere: READ without a variable reads nothing.
struct Input {
    enum class Source : char { Nowhere, Screen, Channel };
    Source source = Source::Nowhere;
    TextChannel* channel = nullptr;
    SymbolKind kind = SymbolKind::None;
    std::int32_t slot = 0;
};

// The printer channel: bound to the printer by ASSIGNPRN, open from REWRITE(PRN) to the
// next CloseAll.
struct PrinterChannel {
    bool bound = false;
    bool open = false;
};

class InterpreterPrivate {
public:
    explicit InterpreterPrivate(Platform platform);
    ~InterpreterPrivate();
    // The workings behind a published interpreter.
    static InterpreterPrivate& get(Interpreter& interpreter) { return *interpreter.d_; }
    static const InterpreterPrivate& get(const Interpreter& interpreter) { return *interpreter.d_; }

    // What the published interpreter forwards to.
    void InitPrg(const std::string& programName);
    // Runs (line = 0) or continues (line > 0) the program; see the driver.
    void Exec(LineList& lines, std::int32_t& line, std::int32_t& step, std::int32_t& outStatus);
    void runLines(LineList& lines, std::int32_t& line, std::int32_t& step, std::int32_t& outStatus);
    int CloseAll();
    void ChercheEtiq(std::string& name, SymbolKind& kind, std::int32_t& index);
    // An element index typed in the variable inspector: its value minus one, and the run
    // status says whether it could be read (0 when not, its message shown).
    std::int64_t Indice(const std::string& indexText) {
        runStatus_ = StatusOk;
        try {
            return Indice(readIndex(indexText));
        } catch (const StatementStopped&) {
            return 0;
        }
    }
    std::int64_t Indice(const IndexText& index);
    SlotValue LitValeur(std::int32_t slot, SymbolKind kind) const;
    // The one writer of a value's text (see Interpreter::ValueText), added to `out`.
    void appendValueText(SymbolKind kind, std::int64_t slot, std::string& out) const;

    // Run parameters (the parameters window's text), kept for the application's life.
    void setRunArguments(const std::string& text) { runArguments_ = text; }
    const std::string& runArguments() const { return runArguments_; }
    void splitArguments();
    // zefrun never stops at breakpoint markers.
    void setBreakpointsEnabled(bool enabled) { breakpoints_ = enabled; }
    // Off, every statement runs its general form (from the same readings), which the fast
    // path must match exactly.
    void setFastForms(bool enabled) { fastForms_ = enabled; }

    // State for the front ends and the debugging views.
    std::int32_t runStatus() const { return runStatus_; }
    std::int32_t currentLine() const { return currentLine_; }
    // Whether the last call of Exec stopped on an error of the program (or an interrupt)
    // rather than after a single step or at a breakpoint: in step mode both give status 1.
    bool stoppedOnError() const { return stoppedOnError_; }
    // Why the last call of Exec stopped on an error when no message said so (8-bit).
    const std::string& stopReason() const { return stopReason_; }
    // What the message of the last stop was about, when the message does not say (8-bit).
    const std::string& messageDetail() const { return messageDetail_; }
    const std::vector<SymbolEntry>& symbols() const { return symbols_; }
    const std::string& programName() const { return programName_; }
    int cursorX() const { return cursorX_; }
    int cursorY() const { return cursorY_; }
    int argumentCount() const { return argumentCount_; }
    const std::string& argumentText(int i) const { return argumentTexts_.at(i); }
    int valueTop() const { return valueTop_; }
    int blockTop() const { return blockTop_; }
    // Entries 1 to valueTop() and blockTop() of the two stacks.
    std::int32_t valueAt(int i) const { return valueStack_.at(static_cast<std::size_t>(i)); }
    const BlockEntry& blockAt(int i) const { return blockStack_.at(static_cast<std::size_t>(i)); }
    std::int32_t beginDepth() const { return beginDepth_; }
    // Statements dispatched since the interpreter was made (terminator words included).
    std::uint64_t statementsRun() const { return statementsRun_; }
    const RegionalSettings& regional() const { return platform_.regional; }

    // ---- The interpreter's own operations, public here so that its files and the
    // ---- tests can drive them one by one.

    // State and tables.
    void ResetTables();
    int symbolPosition(const std::string& name) const; // 1-based, 0 when absent
    std::int32_t AllocateSlots(SymbolKind kind, std::int32_t n);
    void PushValue(std::int32_t v);
    void PopBlock() {
        if (blockTop_ > 0) --blockTop_;
    }

    // Pre-pass.
    void DeclarePass(LineList& lines, std::int32_t& errorLine);
    void FindMainBegin(const LineList& lines, std::int32_t& beginLine);
    void RegisterLabel(const std::string& name, SymbolKind kind, std::int32_t line);
    void DeclareVariables(const std::string& text);
    void DeclareName(const std::string& name, SymbolKind kind);
    static std::string RewriteArray(const std::string& text);

    // Driver and dispatch.
    // How a line reads (classifyStatement, readLine) against the run's symbols, and a
    // name's entry (findSymbol); ChercheEtiq is the published lookup, which also sets the
    // run status.
    Statement classifyStatement(const std::string& upper, const std::string& text, std::string& keyword,
                                std::string& argument) const {
        return zef::classifyStatement(symbols_, upper, text, keyword, argument);
    }
    LineReading readLine(const std::string& statement) const { return zef::readLine(symbols_, statement); }
    const SymbolEntry* findSymbol(const std::string& upperName) const { return zef::findSymbol(symbols_, upperName); }
    // Runs a decoded line's statement whatever it meets: its general form
    // (DecodedLine::general), which reports what stops the run and leaves there
    // (StatementStopped, caught by runLine).
    void RunStatement(DecodedProgram& program, DecodedLine& line, std::int32_t& current);
    // Runs the line's statement in the driver, by its fast form or its general form, up to
    // where it ends or stops the run. Kept out of the driver's loop, whose fast part stays
    // as tight as it can be.
    [[gnu::noinline]] void runLine(DecodedLine& line, std::int32_t& current);
    // Whether a breakpoint on `line` stops the run now. A breakpoint stops before its
    // line's own statement; a line reached only to run the NEXT of a FOR or the ENDSUB of
    // a procedure (the resume line of the innermost block) runs that word without a stop,
    // or a mark after a loop would stop on every pass. A WHILE's closing line stands for
    // its WEND and stops each time it closes a pass.
    bool breakpointStops(std::int32_t line) const;
    // Whether the run stops before line `line`, decoded as `form`, for its breakpoint.
    bool breakpointAt(const DecodedLine& form, std::int32_t line) const;
    // The innermost block's entry; entry 0, below the stack, resumes at no line.
    const BlockEntry& innermostBlock() const { return blockStack_[static_cast<std::size_t>(blockTop_)]; }

    // Values.
    void StoreValue(const std::string& value, SymbolKind kind, std::int32_t slot);
    // The value text of an operand from its reading, or the operand as written when it has
    // no value. The forms of a text read it first, and replace it by its value text.
    std::string ScalarValue(const ScalarText& operand);
    std::string StringValue(const StringOperandText& operand);
    void ScalarValue(std::string& text) { text = ScalarValue(readScalar(text)); }
    void StringValue(std::string& text) { text = StringValue(readStringOperand(text)); }

    // Numeric expressions: evaluated from their reading into `result`, which a failed
    // evaluation, leaving the statement, leaves as it was. The forms of a text read the
    // text first.
    using Split = OperatorSplit;
    static Split SplitOperator(const std::string& text) { return splitOperator(text); }
    NumericOperandText readNumericOperand(const std::string& text, SymbolKind kind) const {
        return zef::readNumericOperand(symbols_, text, kind);
    }
    NumericExpressionText readNumericExpression(const std::string& text, SymbolKind kind) const {
        return zef::readNumericExpression(symbols_, text, kind);
    }
    void IntegerExpression(const NumericExpressionText& expression, std::string& result);
    void RealExpression(const NumericExpressionText& expression, std::string& result);
    void IntegerExpression(std::string& text) { IntegerExpression(readNumericExpression(text, SymbolKind::Integer), text); }
    void RealExpression(std::string& text) { RealExpression(readNumericExpression(text, SymbolKind::Real), text); }
    std::int32_t IntegerOperand(const NumericOperandText& operand);
    double RealOperand(const NumericOperandText& operand);

    // String expressions and conditions.
    void StringExpression(const StringExpressionText& expression, std::string& result);
    void StringExpression(std::string& text) { StringExpression(readStringExpression(text), text); }
    std::string StringTerm(const StringTermReading& term);
    bool EvaluateCondition(const ConditionReading& condition);
    bool EvaluateCondition(const std::string& condition) { return EvaluateCondition(readConditionWhole(condition)); }

    // Screen console.
    void ClrscrStatement();
    void RandomizeStatement();
    // GOTOXY's move to a row and a column counted from 1; false, with nothing moved, when
    // either is outside the screen's range.
    [[nodiscard]] bool placeCursor(std::int64_t row, std::int64_t column);
    void ShowMessageStatement(const StringOperandText& operand);

    // What the general forms of WRITE, READ, GOTOXY, ASSIGN, RESET, REWRITE and CLOSE
    // (transfer.h) find from a line's reading, each leaving the statement where it meets
    // what stops it: where WRITE goes and what it writes; where READ reads from and into
    // what; GOTOXY's row and column; ASSIGN's channel and name; the channel of a file
    // variable.
    void writeArguments(const TransferReading& reading, Output& out, std::string& value);
    void readArguments(const TransferText& reading, Input& from);
    void gotoxyArguments(const GotoxyReading& reading, std::int64_t& row, std::int64_t& column);
    void assignArguments(const AssignFileReading& reading, TextChannel*& channel, std::string& name);
    TextChannel& fileVariable(const std::string& name);
    // What WRITE and READ then do, whichever form found their arguments.
    [[gnu::always_inline]] void deliver(const Output& out, const std::string& value, bool newLine) {
        switch (out.to) {
        case Output::To::LineOnly:
            if (newLine) moveCursorLine();
            return;
        case Output::To::Screen: return drawValue(value, newLine);
        case Output::To::Channel: return writeToChannel(*out.channel, value, newLine);
        case Output::To::Printer: return printText(value, newLine);
        }
    }
    [[gnu::always_inline]] void take(const Input& from, bool newLine) {
        switch (from.source) {
        case Input::Source::Nowhere: return;
        case Input::Source::Screen: return readFromScreen(from.kind, from.slot, newLine);
        case Input::Source::Channel: return readFromChannel(*from.channel, from.kind, from.slot, newLine);
        }
    }
    // REWRITE(PRN): the printer opened for the lines WRITE sends it.
    void openPrinter();

    // Files, printer and directories.
    void AssignPrnStatement();
    bool FileEof(const std::string& name); // the file variable's name, upper case
    void DirectoryStatement(Statement statement, const StringOperandText& operand);
    // Whether CHDIR may go to `path`: always, unless the run is confined to a folder.
    bool insideConfinedFolder(const std::filesystem::path& path) const;

    // Assignment (the statement the dispatcher falls back on).
    void AssignStatement(const AssignmentReading& assignment, const std::string& text);

    // A FOR heading evaluated from its reading: the counter's slot takes its first value,
    // and the slot and the limit are given.
    void startFor(const ForReading& reading, std::int32_t& counter, std::int32_t& limit);

private:
    friend class FastPath;
    friend class FastValues;
    friend class FastStatements;
    friend class ControlStatements;
    friend class TransferStatements;

    // Shows the message (with its argument, 8-bit) and leaves the statement, which stops
    // the run (StatementStopped).
    [[noreturn]] void fail(Message message, std::string_view argument8bit = {});
    // Shows the message and marks the run stopped, the caller going on: for what reports
    // more than one thing before it stops (the pre-pass reports every fault of a line, a
    // NEXT each entry its frame lacks).
    void report(Message message, std::string_view argument8bit = {});
    // Leaves the statement, which stops the run, with what has been reported.
    [[noreturn]] void leave();
    // Leaves the statement without a message, keeping why for the front ends.
    [[noreturn]] void stopWithout(StopReason reason, std::string_view argument8bit = {});
    // What a run or a statement about to start has not said yet.
    void forgetWhyStopped() {
        stopReason_.clear();
        messageDetail_.clear();
        messageShown_ = false;
    }
    // A line of the program as the interpreter reads it: a breakpoint marker at its start is
    // not part of the program.
    static std::string lineText(const LineList& lines, std::int32_t index);
    // A variable reference: a name, or name[index]. Gives the name as looked up, the
    // symbol's kind and the value's slot (the element checked against the declared size);
    // false when no symbol has the name, which the caller reports as it must.
    bool resolveReference(const ReferenceReading& reference, std::string& lookupName, SymbolKind& kind,
                          std::int32_t& slot);
    // Whether a slot of the given kind exists in its store.
    bool slotInStore(SymbolKind kind, std::int64_t slot) const {
        switch (kind) {
        case SymbolKind::Char: return slot >= 1 && slot <= charCount_;
        case SymbolKind::Integer: return slot >= 1 && slot <= intCount_;
        case SymbolKind::Real: return slot >= 1 && slot <= realCount_;
        case SymbolKind::String: return slot >= 1 && slot < static_cast<std::int64_t>(stringStore_.size());
        case SymbolKind::File: return slot >= 1 && slot <= fileCount_ && slot <= MaxFiles;
        default: return false;
        }
    }
    bool isNumericOperand(const ScalarText& operand);
    // An element of an array of the given kind in a numeric operand: its slot.
    std::int32_t numericElement(const ReferenceReading& element, SymbolKind kind);
    // A built-in of a numeric operand, from its arguments' reading (none when the call
    // names no built-in).
    std::int32_t IntegerBuiltin(std::optional<Function> function, const ArgumentsText& arguments);
    double RealBuiltin(std::optional<Function> function, const ArgumentsText& arguments);
    // An operand's value text; when it cannot be evaluated (reported), the operand as
    // written and `failed` set, for the callers that report what follows from it too.
    std::string valueOrWritten(const ScalarText& operand, bool& failed);
    // What a numeric built-in makes of its argument (ABS, INT, ORD, VAL, SQRT…), one
    // literal or one variable reference. An argument that cannot be evaluated is converted
    // as written all the same, so that the conversion reports it as well.
    template <class Convert> auto ofArgument(const ArgumentsText& arguments, Convert convert) {
        bool failed = false;
        const std::string value = valueOrWritten(arguments.scalars.front(), failed);
        const auto result = convert(value);
        if (!result) fail(Message::BadNumber, value);
        if (failed) leave();
        return *result;
    }
    // RANDOM: the generator's next value; PARAMCOUNT: the number of run parameters;
    // PARAMSTR(n): parameter n, the program's name for 0, nothing past the last.
    double nextRandom();
    std::int32_t parameterCount() {
        splitArguments();
        return argumentCount_;
    }
    const std::string& parameterText(int n) {
        static const std::string none;
        splitArguments();
        if (n == 0) return programName_;
        return n <= argumentCount_ ? argumentTexts_[static_cast<std::size_t>(n)] : none;
    }
    // DATETOSTR(DATE) and TIMETOSTR(DATE): the clock's date or time in the regional form.
    void appendDateTime(Function function, std::string& out) {
        const DateTime dt = now();
        out += function == Function::DateToStr ? platform_.regional.formatDate(dt) : platform_.regional.formatTime(dt);
    }
    TextChannel* channelOf(const SymbolEntry& entry);
    // The channel of a file variable's slot, nullptr when the slot is no file's.
    TextChannel* fileChannel(std::int32_t slot) {
        return slotInStore(SymbolKind::File, slot) ? &files_[static_cast<std::size_t>(slot)] : nullptr;
    }
    // What WRITE, WRITELN, READ and READLN do once their operands are known, whether the
    // general form or the fast form found them.
    void drawValue(const std::string& value, bool newLine);
    void printText(const std::string& value, bool newLine);
    void readFromScreen(SymbolKind kind, std::int32_t slot, bool newLine);
    // Ends the call before the statement, which runs again when the run is continued.
    void waitForUser();
    void writeToChannel(TextChannel& channel, const std::string& value, bool newLine);
    void readFromChannel(TextChannel& channel, SymbolKind kind, std::int32_t slot, bool newLine);
    // What RESET, REWRITE and CLOSE do once their file variable is known.
    void openChannel(TextChannel& channel, bool rewrite);
    void closeChannel(TextChannel& channel);
    [[noreturn]] void abandonIo(int error);
    [[noreturn]] void abandonMemory();
    // A stop asked from outside (Ctrl+C, the IDE's interrupt), checked at every statement.
    bool interruptPending() const { return platform_.poll && platform_.poll->interruptPending(); }
    void moveCursorLine();
    DateTime now();

    Platform platform_;
    SystemClock systemClock_;
    std::int32_t runStatus_ = StatusOk;
    std::int32_t currentLine_ = 0;
    bool breakpoints_ = true;
    bool stoppedOnError_ = false;
    std::int32_t pausedRan_ = -1; // the last line run before a pause (see runLines)
    // Whether the statement running showed a message, and why it stopped if it showed none.
    bool messageShown_ = false;
    std::string stopReason_;
    std::string messageDetail_;
    std::uint64_t statementsRun_ = 0;

    std::vector<SymbolEntry> symbols_;
    std::array<char, MaxScalarSlots + 1> charStore_{};
    std::array<std::int32_t, MaxScalarSlots + 1> intStore_{};
    std::array<Real48, MaxScalarSlots + 1> realStore_{};
    std::int32_t charCount_ = 0, intCount_ = 0, realCount_ = 0;
    std::vector<std::string> stringStore_;
    std::size_t stringBytes_ = 0; // the total length of stringStore_
    std::array<TextChannel, MaxFiles + 1> files_;
    std::int32_t fileCount_ = 0;
    PrinterChannel printer_;

    std::array<std::int32_t, MaxValueStack + 1> valueStack_{};
    int valueTop_ = 0;
    std::array<BlockEntry, MaxBlockStack + 1> blockStack_{};
    int blockTop_ = 0;
    std::int32_t beginDepth_ = 0;

    std::string programName_;
    std::string runArguments_;
    std::array<std::string, MaxArguments + 1> argumentTexts_{};
    int argumentCount_ = 0;
    int cursorX_ = 0, cursorY_ = 0;
    std::mt19937 random_{0};

    // The program's lines decoded for the fast path, kept from one call of Exec to the next.
    std::unique_ptr<DecodedProgram> decoded_;
    bool fastForms_ = true;
    std::string scratch_; // the text a decoded statement builds, kept to save allocations
};

} // namespace zef
