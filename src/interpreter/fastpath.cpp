// The fast path: runs a decoded line on the stores' own values. Every statement here does
// what the text path does with the same line, and where it cannot be sure (an element
// outside its array, a division by zero, a result too large, a near tie between two real
// readings, a stack that would overflow) it returns false before it has changed anything,
// so that the text path runs the statement and reports exactly what it always reported.
#include "decode.h"

#include "numtext.h"
#include "real48.h"
#include "text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace zef {
namespace {

const std::string kWend = "WEND", kUntil = "UNTIL", kEndSub = "ENDSUB", kNext = "NEXT";



} // namespace

// Reads the interpreter's stores for the fast path; false when the text path must decide.
class FastValues {
  public:
    explicit FastValues(InterpreterPrivate& in) : in_(in) {}

    // The slot an operand names, 0 when its element is outside the array.
    [[gnu::always_inline]] inline std::int32_t slotOf(const Operand& o) const {
        if (o.kind == Operand::Kind::Scalar) return o.slot;
        const std::int64_t offset =
            o.indexByVariable ? std::int64_t{in_.intStore_[static_cast<std::size_t>(o.index)]} - 1
                              : o.index;
        if (offset < 0 || offset >= o.count) return 0;
        return static_cast<std::int32_t>(o.slot + offset);
    }

    [[gnu::always_inline]] inline bool integer(const Operand& o, std::int64_t& out) const {
        switch (o.kind) {
        case Operand::Kind::Integer:
            out = o.i;
            return true;
        case Operand::Kind::Scalar:
            out = in_.intStore_[static_cast<std::size_t>(o.slot)];
            return true;
        case Operand::Kind::Element: {
            const std::int32_t slot = slotOf(o);
            if (!slot) return false;
            out = in_.intStore_[static_cast<std::size_t>(slot)];
            return true;
        }
        case Operand::Kind::Builtin:
            return builtinInteger(o, out);
        default:
            return false;
        }
    }

    // The integer built-ins on the stores' values. The text path reads the argument's value
    // text: an integer's decimal text, a real's 15 digits (which read back as the same
    // real), a character, a string. What only that text can decide goes back to it.
    bool builtinInteger(const Operand& o, std::int64_t& out) const {
        if (o.function == Function::ParamCount) {
            out = in_.parameterCount();
            return true;
        }
        if (o.function == Function::Length || o.function == Function::Pos) {
            const std::string* first = string(o.inner[0]);
            if (!first) return false;
            if (o.function == Function::Length) {
                out = static_cast<std::int64_t>(first->size());
                return true;
            }
            const std::string* haystack = string(o.inner[1]);
            if (!haystack) return false;
            out = positionOf(*first, *haystack);
            return true;
        }
        const Operand& argument = o.inner[0];
        const std::int32_t slot = slotOf(argument);
        if (!slot) return false;
        const auto at = static_cast<std::size_t>(slot);
        switch (argument.type) {
        case SymbolKind::Integer: {
            const std::int32_t v = in_.intStore_[at];
            if (o.function == Function::Abs) out = wrap32(std::llabs(std::int64_t{v}));
            else if (o.function == Function::Ord) out = v < 0 ? '-' : leadingDigit(v);
            else out = v; // INT and VAL read an integer's text as itself
            return true;
        }
        case SymbolKind::Real: {
            if (o.function != Function::Int) return false;
            const auto n = roundHalfEven(in_.realStore_[at].toDouble());
            if (!n) return false;
            out = *n;
            return true;
        }
        case SymbolKind::Char:
        case SymbolKind::String: {
            const std::string* s = argument.type == SymbolKind::String ? string(argument) : nullptr;
            const std::string_view value =
                s ? std::string_view(*s) : std::string_view(&in_.charStore_[at], 1);
            if (argument.type == SymbolKind::String && !s) return false;
            if (o.function == Function::Ord && !value.empty()) {
                out = static_cast<unsigned char>(value[0]);
                return true;
            }
            if (o.function != Function::Val) return false;
            const auto i = parseInteger(value);
            if (!i) return false;
            out = *i;
            return true;
        }
        default:
            return false;
        }
    }

    static std::int64_t leadingDigit(std::int32_t v) {
        while (v >= 10) v /= 10;
        return '0' + v;
    }

    // The real built-ins on an integer or a real, computed on doubles and rounded to the
    // 6-byte real; a value outside their domain or the format goes back to the text path.
    bool builtinReal(const Operand& o, double& out) const {
        if (o.function == Function::Random) {
            out = in_.nextRandom();
            return true;
        }
        const Operand& argument = o.inner[0];
        double x = 0;
        if (argument.type == SymbolKind::Integer) {
            std::int64_t i = 0;
            if (!integer(argument, i)) return false;
            x = static_cast<double>(i);
        } else if (argument.type != SymbolKind::Real || !real(argument, x)) {
            return false;
        }
        const auto result = realFunction(o.function, x);
        if (!result) return false;
        const auto stored = roundToReal48(*result);
        if (!stored) return false;
        out = *stored;
        return true;
    }

    [[gnu::always_inline]] inline bool real(const Operand& o, double& out) const {
        switch (o.kind) {
        case Operand::Kind::Real:
            out = o.r;
            return true;
        case Operand::Kind::Scalar:
            out = in_.realStore_[static_cast<std::size_t>(o.slot)].toDouble();
            return true;
        case Operand::Kind::Element: {
            const std::int32_t slot = slotOf(o);
            if (!slot) return false;
            out = in_.realStore_[static_cast<std::size_t>(slot)].toDouble();
            return true;
        }
        case Operand::Kind::Builtin:
            return builtinReal(o, out);
        default:
            return false;
        }
    }

    // A string operand's value, without a copy; nullptr when the text path must decide.
    const std::string* string(const Operand& o) const {
        if (o.kind == Operand::Kind::Text) return &o.text;
        const std::int32_t slot = slotOf(o);
        if (!slot || slot >= static_cast<std::int64_t>(in_.stringStore_.size())) return nullptr;
        return &in_.stringStore_[static_cast<std::size_t>(slot)];
    }

    // The number a comparison reads from an operand, and whether that reading is exact.
    [[gnu::always_inline]] inline bool reading(const Operand& o, double& out, bool& exact) const {
        exact = o.exactReading;
        if (o.kind == Operand::Kind::Text) {
            out = o.r;
            return true;
        }
        if (o.kind == Operand::Kind::Integer) {
            out = o.i;
            return true;
        }
        if (o.type == SymbolKind::Integer) {
            std::int64_t i = 0;
            if (!integer(o, i)) return false;
            out = static_cast<double>(i);
            return true;
        }
        return real(o, out);
    }

    // The text ScalarValue gives an operand, for comparisons of texts and for WRITE.
    bool text(const Operand& o, std::string& out) const {
        if (o.kind == Operand::Kind::Text) {
            out = o.text;
            return true;
        }
        const std::int32_t slot = slotOf(o);
        if (!slot) return false;
        // The one writer of a value's text; a string element beyond the store goes back.
        if (o.type == SymbolKind::String && !string(o)) return false;
        out.clear();
        in_.appendValueText(o.type, slot, out);
        return true;
    }

    // -1, 0 or 1, or 2 when the text path must decide.
    [[gnu::always_inline]] inline int order(const Condition& c) const {
        if (c.numeric) {
            double a = 0, b = 0;
            bool exactA = true, exactB = true;
            if (!reading(c.left, a, exactA) || !reading(c.right, b, exactB)) return 2;
            if (!(exactA && exactB)) {
                // A real's text holds 15 digits: two values closer than that may read as
                // equal, or in either order.
                const double scale = std::max(std::fabs(a), std::fabs(b));
                if (std::fabs(a - b) <= scale * 1e-13) return 2;
            }
            return a < b ? -1 : (a > b ? 1 : 0);
        }
        std::string a, b;
        if (!text(c.left, a) || !text(c.right, b)) return 2;
        return compareAsFields(a, b);
    }

    // 0 false, 1 true, 2 undecided.
    [[gnu::always_inline]] inline int holds(const Condition& c) const {
        if (c.endOfFile) {
            TextChannel* channel = in_.fileChannel(c.file);
            bool atEnd = true;
            if (!channel || channel->eof(atEnd) != IoOk) return 2;
            return atEnd != c.negated ? 1 : 0;
        }
        const int o = order(c);
        if (o == 2) return 2;
        return satisfies(c.op, o);
    }

    [[gnu::always_inline]] inline bool assign(const DecodedLine& d) {
        const std::int32_t slot = slotOf(d.destination);
        if (!slot) return false;
        switch (d.destination.type) {
        case SymbolKind::Integer: {
            std::int64_t a = 0, b = 0;
            if (!integer(d.left, a) || !integer(d.right, b)) return false;
            const auto result = integerOperation(d.op, a, b);
            if (!result) return false;
            in_.intStore_[static_cast<std::size_t>(slot)] = *result;
            return true;
        }
        case SymbolKind::Real: {
            double a = 0, b = 0;
            if (!real(d.left, a) || !real(d.right, b)) return false;
            const auto result = realOperation(d.op, a, b);
            if (!result) return false;
            // The text path writes the rounded value with 15 digits and reads it back: that
            // gives the same six bytes, as 15 digits tell every 40-bit significand apart.
            Real48 stored;
            if (!stored.assign(*result)) return false;
            in_.realStore_[static_cast<std::size_t>(slot)] = stored;
            return true;
        }
        default:
            return assignText(d, slot);
        }
    }

    // A string or character target: the terms are joined in the interpreter's scratch text,
    // then copied into the store, whose room is kept from one statement to the next. The
    // store's own checks decide before anything is stored: an empty CHAR, an element
    // beyond the store, a text too long for the memory.
    [[gnu::always_inline]] inline bool assignText(const DecodedLine& d, std::int32_t slot) {
        // S := S + T, the commonest way to build a text: T is added in place.
        if (d.destination.type == SymbolKind::String && d.terms.size() == 2 && !d.terms[0].function &&
            !d.terms[1].function && slot < static_cast<std::int64_t>(in_.stringStore_.size())) {
            std::string& stored = in_.stringStore_[static_cast<std::size_t>(slot)];
            const std::string* tail = string(d.terms[1].source);
            if (string(d.terms[0].source) == &stored && tail) {
                const std::size_t size = stored.size() + tail->size();
                if (size > MaxStringLength || in_.stringBytes_ + tail->size() > MaxStringBytes) return false;
                in_.stringBytes_ += tail->size();
                stored.append(*tail); // a text added to itself is copied first by the library
                return true;
            }
        }
        // S := COPY(T, I, N): the part goes straight into the target.
        if (d.destination.type == SymbolKind::String && d.terms.size() == 1 && d.terms[0].function == Function::Copy &&
            slot < static_cast<std::int64_t>(in_.stringStore_.size())) {
            const StringTerm& t = d.terms[0];
            const std::string* s = string(t.source);
            std::int64_t from = 0, count = 0;
            if (!s || !integer(t.from, from) || !integer(t.count, count)) return false;
            std::string& stored = in_.stringStore_[static_cast<std::size_t>(slot)];
            const std::string_view part = copyOf(*s, from, count);
            const std::size_t total = in_.stringBytes_ - stored.size() + part.size();
            if (part.size() > MaxStringLength || total > MaxStringBytes) return false;
            stored.assign(part.data(), part.size()); // the library copies a part of the target first
            in_.stringBytes_ = total;
            return true;
        }
        std::string& value = in_.scratch_;
        value.clear();
        for (const StringTerm& t : d.terms)
            if (!appendTerm(t, value)) return false;
        if (d.destination.type == SymbolKind::Char) {
            if (value.empty() || slot > in_.charCount_) return false;
            in_.charStore_[static_cast<std::size_t>(slot)] = value[0];
            return true;
        }
        if (slot >= static_cast<std::int64_t>(in_.stringStore_.size())) return false;
        std::string& stored = in_.stringStore_[static_cast<std::size_t>(slot)];
        const std::size_t total = in_.stringBytes_ - stored.size() + value.size();
        if (value.size() > MaxStringLength || total > MaxStringBytes) return false;
        stored.assign(value);
        in_.stringBytes_ = total;
        return true;
    }

    // Appends one term of a string expression; false when the text path must decide.
    bool appendTerm(const StringTerm& t, std::string& value) const {
        if (!t.function) {
            const std::string* s = string(t.source);
            if (!s) return false;
            value += *s;
            return true;
        }
        switch (*t.function) {
        case Function::Copy: {
            const std::string* s = string(t.source);
            std::int64_t from = 0, count = 0;
            if (!s || !integer(t.from, from) || !integer(t.count, count)) return false;
            appendCopy(value, *s, from, count);
            return true;
        }
        case Function::ParamStr:
            value += in_.parameterText(t.from.i);
            return true;
        case Function::DateToStr:
        case Function::TimeToStr:
            in_.appendDateTime(*t.function, value);
            return true;
        case Function::UpperCase:
        case Function::LowerCase: {
            const std::string* s = string(t.source);
            if (!s) return false;
            const std::size_t from = value.size();
            value += *s;
            if (*t.function == Function::UpperCase) upperAsciiInPlace(value, from);
            else lowerAsciiInPlace(value, from);
            return true;
        }
        case Function::IntToStr:
            // An integer's or a real's value text, which always reads as a number.
            if (t.source.type != SymbolKind::Integer && t.source.type != SymbolKind::Real) return false;
            return appendText(t.source, value);
        case Function::Chr:
        case Function::IntToHex: {
            if (t.source.type != SymbolKind::Integer) return false;
            std::int64_t i = 0;
            if (!integer(t.source, i)) return false;
            if (*t.function == Function::Chr) appendChr(value, i);
            else appendHex(value, i);
            return true;
        }
        default:
            return false;
        }
    }

    // Appends a variable's value text (see text()).
    bool appendText(const Operand& o, std::string& out) const {
        const std::int32_t slot = slotOf(o);
        if (!slot) return false;
        in_.appendValueText(o.type, slot, out);
        return true;
    }

    // WRITE and WRITELN: the value text goes to the screen or to an open file.
    bool write(const Transfer& t, bool newLine) {
        if (t.target == Transfer::Target::LineOnly) {
            if (newLine) in_.moveCursorLine();
            return true;
        }
        TextChannel* channel = nullptr;
        if (t.target == Transfer::Target::File && !(channel = in_.fileChannel(t.file))) return false;
        std::string& value = in_.scratch_;
        if (!text(t.value, value)) return false;
        if (channel) in_.writeToChannel(*channel, value, newLine);
        else in_.drawValue(value, newLine);
        return true;
    }

    // READ and READLN: a line of the screen or of a file into a variable.
    bool read(const Transfer& t, bool newLine) {
        switch (t.target) {
        case Transfer::Target::LineOnly:
            return true; // READ without a variable reads nothing
        case Transfer::Target::Screen:
            in_.readFromScreen(t.kind, t.slot, newLine);
            return true;
        case Transfer::Target::File: {
            TextChannel* channel = in_.fileChannel(t.file);
            if (!channel || (t.kind == SymbolKind::String && !in_.slotInStore(SymbolKind::String, t.slot))) return false;
            in_.readFromChannel(*channel, t.kind, t.slot, newLine);
            return true;
        }
        }
        return false;
    }

  private:
    InterpreterPrivate& in_;
};

// The statements' fast forms, one function each, and forms made for the commonest shapes
// of assignment and comparison on integers. Each does exactly what the general form does.
class FastStatements {
  public:
    using Handler = DecodedLine::Handler;

    // A statement's form as the loop calls it: the line it leaves `current` at, or
    // HandBack. The form itself is inlined here, so that `current` stays in a register.
    template <bool (*Form)(InterpreterPrivate&, DecodedProgram&, DecodedLine&, std::int32_t&)>
    static std::int64_t adapt(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d, std::int32_t current) {
        return Form(in, program, d, current) ? std::int64_t{current} : DecodedLine::HandBack;
    }

    // PushBlock without copying the closing word when the entry holds it already.
    [[gnu::always_inline]] static inline void pushBlock(InterpreterPrivate& in, std::int32_t resume, Closing closing,
                                                 const std::string& word) {
        const auto top = static_cast<std::size_t>(++in.blockTop_);
        BlockEntry& e = in.blockStack_[top];
        e.ResumeLine = resume;
        if (in.blockClosings_[top] != closing) {
            e.Terminator = word;
            in.blockClosings_[top] = closing;
        }
    }
    [[gnu::always_inline]] static inline void popBlock(InterpreterPrivate& in) {
        if (in.blockTop_ > 0) --in.blockTop_;
    }

    // How a numeric operand is read, for the forms made for one shape of statement.
    enum class Mode : char { Literal, Scalar, Element, Builtin, Other };
    static Mode modeOf(const Operand& o, SymbolKind type) {
        switch (o.kind) {
        case Operand::Kind::Integer: return type == SymbolKind::Integer ? Mode::Literal : Mode::Other;
        case Operand::Kind::Real: return type == SymbolKind::Real ? Mode::Literal : Mode::Other;
        case Operand::Kind::Scalar: return o.type == type ? Mode::Scalar : Mode::Other;
        case Operand::Kind::Element: return o.type == type ? Mode::Element : Mode::Other;
        case Operand::Kind::Builtin: return Mode::Builtin;
        default: return Mode::Other;
        }
    }

    // The block structure of the line, worked out again once the lines have changed.
    [[gnu::always_inline]] static inline void renew(DecodedProgram& program, DecodedLine& d) {
        if (d.memoGeneration != program.generation()) {
            d.memoGeneration = program.generation();
            d.bodyEndKnown = d.branchKnown = false;
        }
    }
    // The end of the body that starts below a heading, worked out once per generation.
    [[gnu::always_inline]] static inline std::optional<std::int32_t>
    bodyEnd(DecodedProgram& program, DecodedLine& d, std::int32_t heading) {
        if (!d.bodyEndKnown) {
            d.bodyEnd = program.bodyEnd(heading);
            d.bodyEndKnown = true;
        }
        return d.bodyEnd;
    }
    static bool room(const InterpreterPrivate& in) {
        return in.valueTop_ < MaxValueStack && in.blockTop_ < MaxBlockStack;
    }

    [[gnu::always_inline]] static inline bool nothing(InterpreterPrivate& in, DecodedProgram&, DecodedLine&, std::int32_t&) {
        in.runStatus_ = StatusOk;
        return true;
    }
    [[gnu::always_inline]] static inline bool begin(InterpreterPrivate& in, DecodedProgram&, DecodedLine&, std::int32_t&) {
        in.runStatus_ = StatusOk;
        ++in.beginDepth_;
        return true;
    }
    [[gnu::always_inline]] static inline bool end(InterpreterPrivate& in, DecodedProgram&, DecodedLine&, std::int32_t&) {
        if (in.beginDepth_ < 1) return false;
        in.runStatus_ = StatusOk;
        --in.beginDepth_;
        return true;
    }
    [[gnu::always_inline]] static inline bool endSub(InterpreterPrivate& in, DecodedProgram&, DecodedLine&, std::int32_t& current) {
        if (in.valueTop_ < 1) return false;
        in.runStatus_ = StatusOk;
        current = in.valueStack_[static_cast<std::size_t>(in.valueTop_--)];
        popBlock(in);
        return true;
    }
    // EXIT: back from the procedure as at its ENDSUB, when the innermost block is the call.
    static bool exitProcedure(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d, std::int32_t& current) {
        if (in.blockTop_ < 1 || in.blockClosings_[static_cast<std::size_t>(in.blockTop_)] != Closing::EndSub)
            return false;
        return endSub(in, program, d, current);
    }
    // BREAK out of the innermost loop: its frame leaves the value stack, and the run goes on
    // at the line after the body (a FOR), after the WEND line that follows it (a WHILE), or
    // after the first UNTIL line from the BREAK on (a REPEAT; without one, at the next line).
    // That UNTIL is found once per generation of the lines and kept as the line's body end.
    static bool breakLoop(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d, std::int32_t& current) {
        if (in.blockTop_ < 1) return false;
        const auto top = static_cast<std::size_t>(in.blockTop_);
        const std::int32_t resume = in.blockStack_[top].ResumeLine;
        switch (in.blockClosings_[top]) {
        case Closing::Next:
            if (in.valueTop_ < 4) return false;
            in.valueTop_ -= 4;
            current = resume - 1;
            break;
        case Closing::Wend:
            if (in.valueTop_ < 1) return false;
            --in.valueTop_;
            current = resume;
            break;
        case Closing::Until: {
            if (in.valueTop_ < 1) return false;
            --in.valueTop_;
            renew(program, d);
            if (!d.bodyEndKnown) {
                d.bodyEnd = scanUntil(current, program.count(),
                                      [&](std::int32_t i) -> const std::string& { return program.prepared(i); });
                d.bodyEndKnown = true;
            }
            if (d.bodyEnd) current = *d.bodyEnd;
            break;
        }
        default:
            return false;
        }
        in.runStatus_ = StatusOk;
        popBlock(in);
        return true;
    }
    // CLRSCR, RANDOMIZE and ASSIGNPRN, which read nothing and cannot fail.
    template <void (InterpreterPrivate::*Run)()>
    static bool plain(InterpreterPrivate& in, DecodedProgram&, DecodedLine&, std::int32_t&) {
        in.runStatus_ = StatusOk;
        (in.*Run)();
        return true;
    }
    // GOTOXY(row,column) of integer variables or numbers.
    static bool gotoXY(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t&) {
        const FastValues values(in);
        std::int64_t row = 0, column = 0;
        if (!values.integer(d.left, row) || !values.integer(d.right, column)) return false;
        if (!in.placeCursor(row, column)) return false;
        in.runStatus_ = StatusOk;
        return true;
    }
    [[gnu::always_inline]] static inline bool call(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d, std::int32_t& current) {
        renew(program, d);
        const auto end = bodyEnd(program, d, d.target);
        if (!end || !room(in)) return false;
        in.runStatus_ = StatusOk;
        in.valueStack_[static_cast<std::size_t>(++in.valueTop_)] = current;
        current = d.target;
        pushBlock(in, *end + 1, Closing::EndSub, kEndSub);
        return true;
    }
    [[gnu::always_inline]] static inline bool jump(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t& current) {
        in.runStatus_ = StatusOk;
        current = d.target;
        return true;
    }

    // IF whose condition was found false: past the branch line, or to the ELSE after it.
    static bool ifFalse(DecodedProgram& program, DecodedLine& d, std::int32_t& current) {
        renew(program, d);
        if (!d.branchKnown) {
            d.branchKnown = true;
            const IfBranch branch = falseBranch(
                current, program.count(), [&](std::int32_t i) -> const std::string& { return program.prepared(i); },
                [&](std::int32_t i) -> const std::string& { return program.line(i).text; },
                [&](std::int32_t heading) { return bodyEnd(program, d, heading); });
            d.branch = branch.fault == IfBranch::Fault::None ? std::optional(branch.line) : std::nullopt;
        }
        if (!d.branch) return false;
        current = *d.branch;
        return true;
    }
    template <class Holds>
    [[gnu::always_inline]] static inline bool ifWith(InterpreterPrivate& in, DecodedProgram& program,
                                                     DecodedLine& d, std::int32_t& current, Holds holds) {
        const int h = holds();
        if (h == 2) return false;
        if (h == 0 && !ifFalse(program, d, current)) return false;
        in.runStatus_ = StatusOk;
        return true;
    }
    template <class Holds>
    [[gnu::always_inline]] static inline bool whileWith(InterpreterPrivate& in, DecodedProgram& program,
                                                        DecodedLine& d, std::int32_t& current, Holds holds) {
        renew(program, d);
        const int h = holds();
        const auto end = bodyEnd(program, d, current);
        if (h == 2 || !end) return false;
        if (h == 0) {
            in.runStatus_ = StatusOk;
            current = *end + 1; // the closing line after the body is skipped as well
            return true;
        }
        if (!room(in)) return false;
        in.runStatus_ = StatusOk;
        in.valueStack_[static_cast<std::size_t>(++in.valueTop_)] = current;
        pushBlock(in, *end + 1, Closing::Wend, kWend);
        return true;
    }
    [[gnu::always_inline]] static inline bool ifAny(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d, std::int32_t& current) {
        return ifWith(in, program, d, current, [&] { return FastValues(in).holds(d.condition); });
    }
    [[gnu::always_inline]] static inline bool whileAny(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d, std::int32_t& current) {
        return whileWith(in, program, d, current, [&] { return FastValues(in).holds(d.condition); });
    }
    [[gnu::always_inline]] static inline bool elseBranch(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d, std::int32_t& current) {
        renew(program, d);
        if (program.prepared(current + 1) != "BEGIN") {
            in.runStatus_ = StatusOk;
            current = current + 1;
            return true;
        }
        const auto end = bodyEnd(program, d, current);
        if (!end) return false;
        in.runStatus_ = StatusOk;
        current = *end;
        return true;
    }
    [[gnu::always_inline]] static inline bool wend(InterpreterPrivate& in, DecodedProgram&, DecodedLine&, std::int32_t& current) {
        if (in.valueTop_ < 1) return false;
        in.runStatus_ = StatusOk;
        const std::int32_t whileLine = in.valueStack_[static_cast<std::size_t>(in.valueTop_--)];
        current = whileLine > INT32_MIN ? whileLine - 1 : INT32_MIN;
        popBlock(in);
        return true;
    }
    [[gnu::always_inline]] static inline bool next(InterpreterPrivate& in, DecodedProgram&, DecodedLine&, std::int32_t& current) {
        // The loop's frame stays on the value stack while the loop goes on.
        if (in.valueTop_ < 4) return false;
        const auto top = static_cast<std::size_t>(in.valueTop_);
        const std::int32_t step = in.valueStack_[top], limit = in.valueStack_[top - 1],
                           slot = in.valueStack_[top - 2], forLine = in.valueStack_[top - 3];
        if (slot < 1 || slot > in.intCount_) return false;
        in.runStatus_ = StatusOk;
        const std::int32_t value = wrap32(std::int64_t{in.intStore_[static_cast<std::size_t>(slot)]} + step);
        in.intStore_[static_cast<std::size_t>(slot)] = value;
        if ((step > 0 && value > limit) || (step < 0 && value < limit)) {
            in.valueTop_ -= 4;
            popBlock(in);
            return true;
        }
        current = forLine;
        return true;
    }
    [[gnu::always_inline]] static inline bool repeat(InterpreterPrivate& in, DecodedProgram&, DecodedLine&, std::int32_t& current) {
        if (!room(in)) return false;
        in.runStatus_ = StatusOk;
        in.valueStack_[static_cast<std::size_t>(++in.valueTop_)] = current;
        pushBlock(in, -99, Closing::Until, kUntil);
        return true;
    }
    [[gnu::always_inline]] static inline bool until(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t& current) {
        if (in.valueTop_ < 1) return false;
        const int h = FastValues(in).holds(d.condition);
        if (h == 2) return false;
        in.runStatus_ = StatusOk;
        if (h == 0) {
            current = in.valueStack_[static_cast<std::size_t>(in.valueTop_)];
            return true;
        }
        --in.valueTop_;
        popBlock(in);
        return true;
    }
    [[gnu::always_inline]] static inline bool assign(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t&) {
        if (!FastValues(in).assign(d)) return false;
        in.runStatus_ = StatusOk;
        return true;
    }
    [[gnu::always_inline]] static inline bool assignText(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t&) {
        FastValues values(in);
        const std::int32_t slot = values.slotOf(d.destination);
        if (!slot || !values.assignText(d, slot)) return false;
        in.runStatus_ = StatusOk;
        return true;
    }
    [[gnu::always_inline]] static inline bool write(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t&) {
        in.runStatus_ = StatusOk;
        return FastValues(in).write(d.transfer, d.statement == Statement::Writeln);
    }
    [[gnu::always_inline]] static inline bool read(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t&) {
        in.runStatus_ = StatusOk;
        return FastValues(in).read(d.transfer, d.statement == Statement::Readln);
    }
    // ASSIGN, RESET, REWRITE and CLOSE of a file variable.
    static bool fileStatement(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t&) {
        TextChannel* channel = in.fileChannel(d.transfer.file);
        if (!channel) return false;
        if (d.statement == Statement::AssignFile) {
            const std::string* name = FastValues(in).string(d.transfer.value);
            if (!name) return false;
            in.runStatus_ = StatusOk;
            channel->bind(*name);
            return true;
        }
        in.runStatus_ = StatusOk;
        if (d.statement == Statement::Close) in.closeChannel(*channel);
        else in.openChannel(*channel, d.statement == Statement::Rewrite);
        return true;
    }
    [[gnu::always_inline]] static inline bool forEntry(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d, std::int32_t& current) {
        // The counter takes its first value and the loop's frame goes on the value stack;
        // the body always runs once, as there is no test before the first pass.
        renew(program, d);
        const ForHeading& h = d.heading;
        FastValues values(in);
        std::int64_t first = 0, last = 0;
        if (!values.integer(h.start, first) || !values.integer(h.limit, last)) return false;
        const auto end = bodyEnd(program, d, current);
        if (!end || h.counter > in.intCount_ || in.valueTop_ > MaxValueStack - 4 ||
            in.blockTop_ >= MaxBlockStack)
            return false;
        in.runStatus_ = StatusOk;
        in.intStore_[static_cast<std::size_t>(h.counter)] = static_cast<std::int32_t>(first);
        for (const std::int32_t v : {current, h.counter, static_cast<std::int32_t>(last), h.step})
            in.valueStack_[static_cast<std::size_t>(++in.valueTop_)] = v;
        pushBlock(in, *end + 1, Closing::Next, kNext);
        return true;
    }

    // ---- Forms made for one shape.

    template <Mode M>
    [[gnu::always_inline]] static inline bool integerOf(const InterpreterPrivate& in, const Operand& o,
                                                        std::int64_t& out) {
        if constexpr (M == Mode::Literal) {
            out = o.i;
        } else if constexpr (M == Mode::Scalar) {
            out = in.intStore_[static_cast<std::size_t>(o.slot)];
        } else if constexpr (M == Mode::Builtin) {
            return FastValues(const_cast<InterpreterPrivate&>(in)).builtinInteger(o, out);
        } else {
            const std::int64_t offset =
                o.indexByVariable ? std::int64_t{in.intStore_[static_cast<std::size_t>(o.index)]} - 1 : o.index;
            if (offset < 0 || offset >= o.count) return false;
            out = in.intStore_[static_cast<std::size_t>(o.slot + offset)];
        }
        return true;
    }

    // target := a op b on integers, the target a variable or an element.
    template <NumericOp Op, Mode L, Mode R, bool ToElement>
    [[gnu::always_inline]] static inline bool assignInteger(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t&) {
        // The target first, as for reals.
        std::int32_t slot = d.destination.slot;
        if constexpr (ToElement) {
            slot = FastValues(in).slotOf(d.destination);
            if (!slot) return false;
        }
        std::int64_t a = 0, b = 0;
        if (!integerOf<L>(in, d.left, a) || !integerOf<R>(in, d.right, b)) return false;
        const auto result = integerOperation(Op, a, b);
        if (!result) return false;
        in.runStatus_ = StatusOk;
        in.intStore_[static_cast<std::size_t>(slot)] = *result;
        return true;
    }

    template <Mode M>
    [[gnu::always_inline]] static inline bool realOf(const InterpreterPrivate& in, const Operand& o, double& out) {
        if constexpr (M == Mode::Literal) {
            out = o.r;
        } else if constexpr (M == Mode::Scalar) {
            out = in.realStore_[static_cast<std::size_t>(o.slot)].toDouble();
        } else if constexpr (M == Mode::Builtin) {
            return FastValues(const_cast<InterpreterPrivate&>(in)).builtinReal(o, out);
        } else {
            const std::int64_t offset =
                o.indexByVariable ? std::int64_t{in.intStore_[static_cast<std::size_t>(o.index)]} - 1 : o.index;
            if (offset < 0 || offset >= o.count) return false;
            out = in.realStore_[static_cast<std::size_t>(o.slot + offset)].toDouble();
        }
        return true;
    }

    // target := a op b on reals: computed on doubles, the result rounded into the 6-byte
    // real as the text path's 15 digits would give it.
    template <NumericOp Op, Mode L, Mode R, bool ToElement>
    [[gnu::always_inline]] static inline bool assignReal(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t&) {
        // The target first: RANDOM, read after it, moves the generator.
        std::int32_t slot = d.destination.slot;
        if constexpr (ToElement) {
            slot = FastValues(in).slotOf(d.destination);
            if (!slot) return false;
        }
        double a = 0, b = 0;
        if (!realOf<L>(in, d.left, a) || !realOf<R>(in, d.right, b)) return false;
        const auto result = realOperation(Op, a, b);
        // Nothing is stored when the result does not fit.
        if (!result || !in.realStore_[static_cast<std::size_t>(slot)].assign(*result)) return false;
        in.runStatus_ = StatusOk;
        return true;
    }

    template <Comparison C, Mode L, Mode R>
    [[gnu::always_inline]] static inline int holdsInteger(const InterpreterPrivate& in, const Condition& c) {
        std::int64_t a = 0, b = 0;
        if (!integerOf<L>(in, c.left, a) || !integerOf<R>(in, c.right, b)) return 2;
        return satisfies(C, a < b ? -1 : (a > b ? 1 : 0));
    }
    template <Comparison C, Mode L, Mode R>
    [[gnu::always_inline]] static inline bool ifInteger(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d, std::int32_t& current) {
        return ifWith(in, program, d, current, [&] { return holdsInteger<C, L, R>(in, d.condition); });
    }
    template <Comparison C, Mode L, Mode R>
    [[gnu::always_inline]] static inline bool whileInteger(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d, std::int32_t& current) {
        return whileWith(in, program, d, current, [&] { return holdsInteger<C, L, R>(in, d.condition); });
    }

    // The made form for a shape: the table is filled by instantiating each combination.
    template <bool Real, NumericOp Op, Mode L, Mode R>
    static Handler assignFor(bool toElement) {
        if constexpr (Real)
            return toElement ? &adapt<&assignReal<Op, L, R, true>> : &adapt<&assignReal<Op, L, R, false>>;
        else
            return toElement ? &adapt<&assignInteger<Op, L, R, true>> : &adapt<&assignInteger<Op, L, R, false>>;
    }
    // The shapes made: a variable, an element or a literal on each side (an operation on
    // two literals is rare enough for the general form), and a built-in alone.
    template <bool Real, NumericOp Op, Mode L>
    static Handler assignFor(Mode r, bool toElement) {
        switch (r) {
        case Mode::Literal:
            if constexpr (L == Mode::Literal && Op != NumericOp::None) return nullptr;
            else return assignFor<Real, Op, L, Mode::Literal>(toElement);
        case Mode::Scalar: return assignFor<Real, Op, L, Mode::Scalar>(toElement);
        case Mode::Element: return assignFor<Real, Op, L, Mode::Element>(toElement);
        default: return nullptr;
        }
    }
    template <bool Real, NumericOp Op>
    static Handler assignFor(Mode l, Mode r, bool toElement) {
        switch (l) {
        case Mode::Literal: return assignFor<Real, Op, Mode::Literal>(r, toElement);
        case Mode::Scalar: return assignFor<Real, Op, Mode::Scalar>(r, toElement);
        case Mode::Element: return assignFor<Real, Op, Mode::Element>(r, toElement);
        case Mode::Builtin:
            if constexpr (Op == NumericOp::None) return assignFor<Real, Op, Mode::Builtin, Mode::Literal>(toElement);
            else return nullptr;
        default: return nullptr;
        }
    }
    static Handler numericAssignment(const DecodedLine& d) {
        const SymbolKind type = d.destination.type;
        const Mode l = modeOf(d.left, type), r = modeOf(d.right, type);
        const bool toElement = d.destination.kind == Operand::Kind::Element;
        if (type == SymbolKind::Real) {
            switch (d.op) {
            case NumericOp::None: return assignFor<true, NumericOp::None>(l, r, toElement);
            case NumericOp::Add: return assignFor<true, NumericOp::Add>(l, r, toElement);
            case NumericOp::Sub: return assignFor<true, NumericOp::Sub>(l, r, toElement);
            case NumericOp::Mul: return assignFor<true, NumericOp::Mul>(l, r, toElement);
            case NumericOp::Divide: return assignFor<true, NumericOp::Divide>(l, r, toElement);
            case NumericOp::IntDivide: return assignFor<true, NumericOp::IntDivide>(l, r, toElement);
            case NumericOp::Mod: return assignFor<true, NumericOp::Mod>(l, r, toElement);
            default: return nullptr;
            }
        }
        switch (d.op) {
        case NumericOp::None: return assignFor<false, NumericOp::None>(l, r, toElement);
        case NumericOp::Add: return assignFor<false, NumericOp::Add>(l, r, toElement);
        case NumericOp::Sub: return assignFor<false, NumericOp::Sub>(l, r, toElement);
        case NumericOp::Mul: return assignFor<false, NumericOp::Mul>(l, r, toElement);
        case NumericOp::Mod: return assignFor<false, NumericOp::Mod>(l, r, toElement);
        case NumericOp::IntDivide: return assignFor<false, NumericOp::IntDivide>(l, r, toElement);
        default: return nullptr;
        }
    }

    template <Comparison C, Mode L, Mode R>
    static Handler conditionFor(Statement s) {
        return s == Statement::If ? &adapt<&ifInteger<C, L, R>> : &adapt<&whileInteger<C, L, R>>;
    }
    template <Comparison C, Mode L>
    static Handler conditionFor(Mode r, Statement s) {
        switch (r) {
        case Mode::Literal:
            if constexpr (L == Mode::Literal) return nullptr;
            else return conditionFor<C, L, Mode::Literal>(s);
        case Mode::Scalar: return conditionFor<C, L, Mode::Scalar>(s);
        case Mode::Element: return conditionFor<C, L, Mode::Element>(s);
        default: return nullptr;
        }
    }
    template <Comparison C>
    static Handler conditionFor(Mode l, Mode r, Statement s) {
        switch (l) {
        case Mode::Literal: return conditionFor<C, Mode::Literal>(r, s);
        case Mode::Scalar: return conditionFor<C, Mode::Scalar>(r, s);
        case Mode::Element: return conditionFor<C, Mode::Element>(r, s);
        default: return nullptr;
        }
    }
    static Handler integerCondition(const DecodedLine& d) {
        const Condition& c = d.condition;
        if (!c.numeric || !c.integers || c.endOfFile) return nullptr;
        const Mode l = modeOf(c.left, SymbolKind::Integer), r = modeOf(c.right, SymbolKind::Integer);
        if (l == Mode::Builtin || r == Mode::Builtin) return nullptr;
        switch (c.op) {
        case Comparison::Equal: return conditionFor<Comparison::Equal>(l, r, d.statement);
        case Comparison::NotEqual: return conditionFor<Comparison::NotEqual>(l, r, d.statement);
        case Comparison::Less: return conditionFor<Comparison::Less>(l, r, d.statement);
        case Comparison::Greater: return conditionFor<Comparison::Greater>(l, r, d.statement);
        case Comparison::LessEqual: return conditionFor<Comparison::LessEqual>(l, r, d.statement);
        case Comparison::GreaterEqual: return conditionFor<Comparison::GreaterEqual>(l, r, d.statement);
        }
        return nullptr;
    }

    // The form a decoded line runs with.
    static Handler handlerFor(const DecodedLine& d) {
        switch (d.statement) {
        case Statement::Nothing: return &adapt<&nothing>;
        case Statement::Begin: return &adapt<&begin>;
        case Statement::End: return &adapt<&end>;
        case Statement::EndSub: return &adapt<&endSub>;
        case Statement::Call: return &adapt<&call>;
        case Statement::Goto: return &adapt<&jump>;
        case Statement::Exit: return &adapt<&exitProcedure>;
        case Statement::Break: return &adapt<&breakLoop>;
        case Statement::Clrscr: return &adapt<&plain<&InterpreterPrivate::ClrscrStatement>>;
        case Statement::Randomize: return &adapt<&plain<&InterpreterPrivate::RandomizeStatement>>;
        case Statement::AssignPrn: return &adapt<&plain<&InterpreterPrivate::AssignPrnStatement>>;
        case Statement::Gotoxy: return &adapt<&gotoXY>;
        case Statement::If:
        case Statement::While:
            if (const Handler h = integerCondition(d)) return h;
            return d.statement == Statement::If ? &adapt<&ifAny> : &adapt<&whileAny>;
        case Statement::Else: return &adapt<&elseBranch>;
        case Statement::Wend: return &adapt<&wend>;
        case Statement::Next: return &adapt<&next>;
        case Statement::Repeat: return &adapt<&repeat>;
        case Statement::Until: return &adapt<&until>;
        case Statement::Assignment:
            if (d.destination.type == SymbolKind::Integer || d.destination.type == SymbolKind::Real)
                if (const Handler h = numericAssignment(d)) return h;
            if (d.destination.type == SymbolKind::String || d.destination.type == SymbolKind::Char) return &adapt<&assignText>;
            return &adapt<&assign>;
        case Statement::Write:
        case Statement::Writeln: return &adapt<&write>;
        case Statement::Read:
        case Statement::Readln: return &adapt<&read>;
        case Statement::For: return &adapt<&forEntry>;
        case Statement::AssignFile:
        case Statement::Reset:
        case Statement::Rewrite:
        case Statement::Close: return &adapt<&fileStatement>;
        default: return nullptr;
        }
    }
};

DecodedLine::Handler FastPath::handlerFor(const DecodedLine& d) {
    return d.fast ? FastStatements::handlerFor(d) : nullptr;
}

std::int64_t FastPath::decodeAndRun(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d,
                                    std::int32_t current) {
    decode(in, d);
    if (d.inLoop == DecodedLine::InLoop::HandOver) return DecodedLine::HandBack;
    return d.handler(in, program, d, current);
}

bool FastPath::run(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d,
                   std::int32_t& current) {
    if (!d.decoded) decode(in, d);
    if (!d.handler) return false;
    const std::int64_t next = d.handler(in, program, d, current);
    if (next == DecodedLine::HandBack) return false;
    current = static_cast<std::int32_t>(next);
    return true;
}

void FastPath::runWhileFast(InterpreterPrivate& in, DecodedProgram& program, std::int32_t count,
                            std::int32_t& current, std::int32_t resumeAt, unsigned& sincePoll,
                            unsigned pollInterval, std::int32_t& ran) {
    // The driver's counters in locals, written back whenever the loop hands over. The poll
    // is due when the counter reaches the interval: the driver runs that statement.
    // A continued run's first line does not stop at its own breakpoint: the driver runs it,
    // and whatever brings the run back to it without another line in between.
    if (resumeAt >= 0) return;
    std::int32_t line = current;
    const bool polling = in.platform_.poll != nullptr, breakpoints = in.breakpoints_;
    unsigned budget = !polling                        ? ~0u
                      : sincePoll + 1 >= pollInterval ? 0
                                                      : pollInterval - 1 - sincePoll;
    // Statements run in rounds of at most 64. A stop asked from outside (a signal, often
    // while the driver's last statement was writing) is looked at before each round: the
    // driver then stops at its next statement and names the line that ran last, as the
    // text path does.
    bool handOver = false;
    using InLoop = DecodedLine::InLoop;
    // The statement count, the line last come to and the line last run stay in registers
    // and are written back however the loop ends, a statement abandoning the run
    // included: what reports the abandoned run reads them.
    std::uint64_t statements = in.statementsRun_;
    std::int32_t started = in.currentLine_, lastRan = ran;
    const auto writeBack = [&] {
        in.statementsRun_ = statements;
        in.currentLine_ = started;
        ran = lastRan;
    };
    try {
        while (budget > 0 && !handOver && !in.interruptPending()) {
            unsigned round = budget < 64 ? budget : 64;
            budget -= round;
            for (; round > 0; --round) {
                if (static_cast<std::uint32_t>(line) >= static_cast<std::uint32_t>(count)) {
                    handOver = true;
                    break;
                }
                started = line;
                DecodedLine* d = &program.line(line);
                if (d->marked && breakpoints && in.breakpointStops(line)) {
                    handOver = true;
                    break;
                }
                std::int32_t at = line;
                // On the resume line of the innermost block its closing word runs instead, as
                // if written on the line before; entry 0 below the stack resumes at no line.
                const BlockEntry& top = in.blockStack_[static_cast<std::size_t>(in.blockTop_)];
                if (top.ResumeLine == line) {
                    d = &program.terminator(in.blockClosings_[static_cast<std::size_t>(in.blockTop_)],
                                            top.Terminator);
                    --at;
                }
                // BEGIN and END, a third of a loop's statements, run here without a call. A
                // line that may report an error of its own goes through the driver.
                std::int64_t next = at;
                const InLoop form = d->inLoop;
                if (form == InLoop::Handler) [[likely]] {
                    next = d->handler(in, program, *d, at);
                    if (next == DecodedLine::HandBack) {
                        handOver = true;
                        break;
                    }
                } else if (form == InLoop::Begin) {
                    FastStatements::begin(in, program, *d, at);
                } else if (form == InLoop::HandOver || !FastStatements::end(in, program, *d, at)) {
                    handOver = true;
                    break;
                }
                lastRan = at;
                ++statements;
                line = next >= count ? count : static_cast<std::int32_t>(next) + 1;
            }
            budget += round; // what the round left unused
        }
    } catch (...) {
        writeBack();
        throw;
    }
    writeBack();
    if (polling) sincePoll = pollInterval - 1 - budget;
    current = line;
}

} // namespace zef
