// The statements' forms: the dispatch that gives each decoded line its general form and
// its fast form, the fast forms of the statements that are not one function of their own
// (control.h, transfer.h), and the driver's fast loop. A fast form runs a decoded line on
// the stores' own values and does what the general form does with the same line; where it
// cannot be sure (an element outside its array, a division by zero, a result too large, a
// near tie between two real readings, a stack that would overflow) it returns false
// before it has changed anything, so that the general form runs the statement and reports
// exactly what it always reported.
#include "fastpath.h"
#include "control.h"
#include "transfer.h"
#include "fastvalues.h"

#include "numtext.h"
#include "real48.h"
#include "text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <type_traits>

namespace zef {

// The statements' forms: the dispatch (formsFor), the general forms of the statements that
// are not one function of their own, the fast forms of those statements and the forms made
// for the commonest shapes of assignment and comparison on integers. A fast form does
// exactly what the general form does, or hands the statement back.
class FastStatements {
  public:
    using Handler = DecodedLine::Handler;
    using Form = DecodedLine::Form;
    using Control = ControlStatements;
    using Io = TransferStatements;

    // A statement's form as the loop calls it: the line it leaves `current` at, or
    // HandBack. The form itself is inlined here, so that `current` stays in a register.
    template <DecodedLine::Form Run>
    static std::int64_t adapt(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d, std::int32_t current) {
        return Run(in, program, d, current) ? std::int64_t{current} : DecodedLine::HandBack;
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

    [[gnu::always_inline]] static inline bool nothing(InterpreterPrivate& in, DecodedProgram&, DecodedLine&, std::int32_t&) {
        in.runStatus_ = StatusOk;
        return true;
    }
    // CLRSCR, RANDOMIZE and ASSIGNPRN, which read nothing and cannot fail.
    template <void (InterpreterPrivate::*Run)()>
    static bool plain(InterpreterPrivate& in, DecodedProgram&, DecodedLine&, std::int32_t&) {
        in.runStatus_ = StatusOk;
        (in.*Run)();
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
    // ---- Forms made for one shape.

    // An operand of one shape, read as an integer or as a real (the 6-byte real widened).
    template <bool Real, Mode M>
    [[gnu::always_inline]] static inline bool numberOf(const InterpreterPrivate& in, const Operand& o,
                                                       std::conditional_t<Real, double, std::int64_t>& out) {
        const auto stored = [&](std::int32_t slot) {
            if constexpr (Real) return in.realStore_[static_cast<std::size_t>(slot)].toDouble();
            else return in.intStore_[static_cast<std::size_t>(slot)];
        };
        if constexpr (M == Mode::Literal) {
            if constexpr (Real) out = o.r;
            else out = o.i;
        } else if constexpr (M == Mode::Scalar) {
            out = stored(o.slot);
        } else if constexpr (M == Mode::Builtin) {
            const FastValues values(const_cast<InterpreterPrivate&>(in));
            if constexpr (Real) return values.builtinReal(o, out);
            else return values.builtinInteger(o, out);
        } else {
            const std::int32_t slot = FastValues::elementSlot(in, o);
            if (!slot) return false;
            out = stored(slot);
        }
        return true;
    }
    template <Mode M>
    [[gnu::always_inline]] static inline bool integerOf(const InterpreterPrivate& in, const Operand& o, std::int64_t& out) {
        return numberOf<false, M>(in, o, out);
    }

    // target := a op b on integers or on reals, the target a variable or an element. Reals
    // are computed on doubles, the result rounded into the 6-byte real as the general
    // form's 15 digits would give it; nothing is stored when it does not fit.
    template <bool Real, NumericOp Op, Mode L, Mode R, bool ToElement>
    [[gnu::always_inline]] static inline bool assignNumber(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t&) {
        // The target first: RANDOM, read after it, moves the generator.
        std::int32_t slot = d.destination.slot;
        if constexpr (ToElement) {
            slot = FastValues(in).slotOf(d.destination);
            if (!slot) return false;
        }
        std::conditional_t<Real, double, std::int64_t> a = 0, b = 0;
        if (!numberOf<Real, L>(in, d.left, a) || !numberOf<Real, R>(in, d.right, b)) return false;
        if constexpr (Real) {
            const auto result = realOperation(Op, a, b);
            if (!result || !in.realStore_[static_cast<std::size_t>(slot)].assign(*result)) return false;
        } else {
            const auto result = integerOperation(Op, a, b);
            if (!result) return false;
            in.intStore_[static_cast<std::size_t>(slot)] = *result;
        }
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
        return ControlStatements::ifWith<false>(in, program, d, current, [&] { return holdsInteger<C, L, R>(in, d.condition); });
    }
    template <Comparison C, Mode L, Mode R>
    [[gnu::always_inline]] static inline bool whileInteger(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d, std::int32_t& current) {
        return ControlStatements::whileWith<false>(in, program, d, current, [&] { return holdsInteger<C, L, R>(in, d.condition); });
    }

    // The made form for a shape: the table is filled by instantiating each combination.
    template <bool Real, NumericOp Op, Mode L, Mode R>
    static Handler assignFor(bool toElement) {
        return toElement ? &adapt<&assignNumber<Real, Op, L, R, true>> : &adapt<&assignNumber<Real, Op, L, R, false>>;
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

    // The general forms of the other statements: from the line's reading, through the
    // statement's own evaluation.
    template <Statement S> static bool fromReading(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t&) {
        const LineReading& r = d.reading;
        if constexpr (S == Statement::Nothing) {
        } else if constexpr (S == Statement::Clrscr) {
            in.ClrscrStatement();
        } else if constexpr (S == Statement::Randomize) {
            in.RandomizeStatement();
        } else if constexpr (S == Statement::AssignPrn) {
            in.AssignPrnStatement();
        } else if constexpr (S == Statement::ShowMessage) {
            in.ShowMessageStatement(r.part<StringOperandText>());
        } else if constexpr (S == Statement::DeleteFile || S == Statement::ChDir || S == Statement::RmDir ||
                             S == Statement::MkDir) {
            in.DirectoryStatement(S, r.part<StringOperandText>());
        } else {
            static_assert(S == Statement::Assignment);
            in.AssignStatement(r.part<AssignmentReading>(), r.text);
        }
        return true;
    }

    // The statements' dispatch, in one place: the general form of each statement, and the
    // fast form chosen for the line's shape (none where the line was not decoded whole).
    struct Forms {
        Form general;
        Handler fast;
    };
    template <Form General, Form Fast> static Forms both(const DecodedLine& d) {
        return Forms{General, d.fast ? &adapt<Fast> : nullptr};
    }
    template <Statement S> static Forms fromReadingOnly() { return Forms{&fromReading<S>, nullptr}; }
    static Forms formsFor(const DecodedLine& d) {
        using S = Statement;
        switch (d.statement) {
        case S::Nothing: return both<&fromReading<S::Nothing>, &nothing>(d);
        case S::Begin: return both<&Control::begin, &Control::begin>(d);
        case S::End: return both<&Control::end<true>, &Control::end<false>>(d);
        case S::EndSub: return both<&Control::endSub<true>, &Control::endSub<false>>(d);
        case S::Call: return both<&Control::call<true>, &Control::call<false>>(d);
        case S::Goto: return both<&Control::jump<true>, &Control::jump<false>>(d);
        case S::Exit: return both<&Control::exitProcedure<true>, &Control::exitProcedure<false>>(d);
        case S::Break: return both<&Control::breakLoop<true>, &Control::breakLoop<false>>(d);
        case S::If:
        case S::While: {
            const bool isIf = d.statement == S::If;
            Forms f = isIf ? both<&Control::ifAny<true>, &Control::ifAny<false>>(d)
                           : both<&Control::whileAny<true>, &Control::whileAny<false>>(d);
            if (const Handler h = d.fast ? integerCondition(d) : nullptr) f.fast = h;
            return f;
        }
        case S::Else: return both<&Control::elseBranch<true>, &Control::elseBranch<false>>(d);
        case S::For: return both<&Control::forEntry<true>, &Control::forEntry<false>>(d);
        case S::Next: return both<&Control::next<true>, &Control::next<false>>(d);
        case S::Wend: return both<&Control::wend<true>, &Control::wend<false>>(d);
        case S::Repeat: return both<&Control::repeat<true>, &Control::repeat<false>>(d);
        case S::Until: return both<&Control::until<true>, &Control::until<false>>(d);
        case S::Clrscr: return both<&fromReading<S::Clrscr>, &plain<&InterpreterPrivate::ClrscrStatement>>(d);
        case S::Randomize: return both<&fromReading<S::Randomize>, &plain<&InterpreterPrivate::RandomizeStatement>>(d);
        case S::AssignPrn: return both<&fromReading<S::AssignPrn>, &plain<&InterpreterPrivate::AssignPrnStatement>>(d);
        case S::Gotoxy: return both<&Io::gotoXY<true>, &Io::gotoXY<false>>(d);
        case S::Write:
        case S::Writeln: return both<&Io::write<true>, &Io::write<false>>(d);
        case S::Read:
        case S::Readln: return both<&Io::read<true>, &Io::read<false>>(d);
        case S::AssignFile: return both<&Io::assignFile<true>, &Io::assignFile<false>>(d);
        case S::Reset:
        case S::Rewrite:
        case S::Close: return both<&Io::openOrClose<true>, &Io::openOrClose<false>>(d);
        // What only the user or the file system decides has no fast form.
        case S::ShowMessage: return fromReadingOnly<S::ShowMessage>();
        case S::DeleteFile: return fromReadingOnly<S::DeleteFile>();
        case S::ChDir: return fromReadingOnly<S::ChDir>();
        case S::RmDir: return fromReadingOnly<S::RmDir>();
        case S::MkDir: return fromReadingOnly<S::MkDir>();
        case S::Assignment: {
            Forms f = fromReadingOnly<S::Assignment>();
            if (!d.fast) return f;
            const SymbolKind type = d.destination.type;
            if (type == SymbolKind::Integer || type == SymbolKind::Real) f.fast = numericAssignment(d);
            if (!f.fast)
                f.fast = type == SymbolKind::String || type == SymbolKind::Char ? &adapt<&assignText> : &adapt<&assign>;
            return f;
        }
        }
        return fromReadingOnly<S::Nothing>();
    }
};

void FastPath::decode(const InterpreterPrivate& interpreter, DecodedLine& d) {
    decodeStatement(interpreter, d);
    // A READ on the screen waits for the user and may be interrupted, and a number read
    // may not convert: those report through the driver.
    // Opening and closing a file may fail as well.
    const bool reportsItself = ((d.statement == Statement::Read || d.statement == Statement::Readln) &&
                                (d.transfer.target == Transfer::Target::Screen ||
                                 (d.transfer.target == Transfer::Target::File && d.transfer.kind != SymbolKind::String))) ||
                               d.statement == Statement::Reset || d.statement == Statement::Rewrite ||
                               d.statement == Statement::Close;
    const FastStatements::Forms forms = FastStatements::formsFor(d);
    d.general = forms.general;
    d.handler = forms.fast;
    using InLoop = DecodedLine::InLoop;
    d.inLoop = !d.handler || reportsItself     ? InLoop::HandOver
               : d.statement == Statement::Begin ? InLoop::Begin
               : d.statement == Statement::End   ? InLoop::End
                                                 : InLoop::Handler;
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
    // driver then stops at its next statement and names the line that ran last, as it
    // does for a statement it runs itself.
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
                if (breakpoints && program.line(line).marked && in.breakpointStops(line)) {
                    handOver = true;
                    break;
                }
                std::int32_t at;
                DecodedLine* d = &program.formAt(line, in.innermostBlock(), at);
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
                    ControlStatements::begin(in, program, *d, at);
                } else if (form == InLoop::HandOver || !ControlStatements::end<false>(in, program, *d, at)) {
                    handOver = true;
                    break;
                }
                lastRan = at;
                ++statements;
                line = DecodedProgram::lineAfter(next, count);
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
