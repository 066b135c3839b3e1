// The statements that steer the run: BEGIN and END, CALL, ENDSUB, EXIT and GOTO, IF and
// ELSE, FOR/NEXT, WHILE/WEND, REPEAT/UNTIL and BREAK. Each is one function, the only one
// that runs the statement, in two instantiations:
//
// - `General = false` is the form the driver's fast loop calls. Wherever the statement
//   would stop the run, or where its condition is one the decoded operands cannot decide,
//   it returns false before it has changed anything the run shows (it may have worked out
//   the line's block structure, which it keeps).
// - `General = true` runs the statement whatever it meets: it reports the stop there, in
//   the order the checks stand, and leaves (StatementStopped); it evaluates a condition or
//   a FOR heading through the general evaluators when the decoded operands cannot.
//
// Loops keep their state on the value stack and register the line after their body on the
// block stack, so that the driver runs the loop's closing word there.
#pragma once

#include "decode.h"
#include "fastvalues.h"

namespace zef {

class ControlStatements {
  public:
    // ---- The stacks, where the caller has checked the room.
    [[gnu::always_inline]] static void pushValue(InterpreterPrivate& in, std::int32_t v) {
        in.valueStack_[static_cast<std::size_t>(++in.valueTop_)] = v;
    }
    [[gnu::always_inline]] static void pushBlock(InterpreterPrivate& in, std::int32_t resume, Closing closing) {
        in.blockStack_[static_cast<std::size_t>(++in.blockTop_)] = {resume, closing};
    }
    static bool valueRoom(const InterpreterPrivate& in, int n) { return in.valueTop_ <= MaxValueStack - n; }
    static bool blockRoom(const InterpreterPrivate& in) { return in.blockTop_ < MaxBlockStack; }

    // Where a statement meets what stops the run: the general form reports it and leaves;
    // the fast form hands the statement back.
    template <bool General>
    [[gnu::always_inline]] static bool stop(InterpreterPrivate& in, Message message) {
        if constexpr (General) in.fail(message);
        else return false;
    }
    // Whether the line's decoded operands are tried first: always in the fast form (which
    // only a line decoded whole has); in the general one when the line has them, unless the
    // run is made to evaluate everything from the line's reading.
    template <bool General>
    [[gnu::always_inline]] static bool decodedFirst(const InterpreterPrivate& in, const DecodedLine& d) {
        return !General || (d.fast && in.fastForms_);
    }

    // ---- The block structure of a line, worked out again once the lines have changed.
    [[gnu::always_inline]] static void renew(DecodedProgram& program, DecodedLine& d) {
        if (d.memoGeneration != program.generation()) {
            d.memoGeneration = program.generation();
            d.bodyEndKnown = d.branchKnown = false;
        }
    }
    // The end of the body that starts below a heading, worked out once per generation.
    [[gnu::always_inline]] static std::optional<std::int32_t> bodyEnd(DecodedProgram& program, DecodedLine& d,
                                                                      std::int32_t heading) {
        renew(program, d);
        if (!d.bodyEndKnown) {
            d.bodyEnd = program.bodyEnd(heading);
            d.bodyEndKnown = true;
        }
        return d.bodyEnd;
    }

    // ---- Blocks and procedures.

    [[gnu::always_inline]] static bool begin(InterpreterPrivate& in, DecodedProgram&, DecodedLine&, std::int32_t&) {
        in.runStatus_ = StatusOk;
        ++in.beginDepth_;
        return true;
    }
    template <bool General>
    [[gnu::always_inline]] static bool end(InterpreterPrivate& in, DecodedProgram&, DecodedLine&, std::int32_t&) {
        if (in.beginDepth_ < 1) {
            if constexpr (!General) return false;
            --in.beginDepth_; // the depth goes below zero, as the stop reports
            return stop<General>(in, Message::EndWithoutBegin);
        }
        in.runStatus_ = StatusOk;
        --in.beginDepth_;
        return true;
    }
    // The return of a procedure whose body has ended: its frame leaves both stacks.
    template <bool General>
    [[gnu::always_inline]] static bool endSub(InterpreterPrivate& in, DecodedProgram&, DecodedLine&,
                                              std::int32_t& current) {
        if (in.valueTop_ < 1) {
            if constexpr (!General) return false;
            in.PopBlock(); // the call's block goes all the same
            return stop<General>(in, Message::StackEmpty);
        }
        in.runStatus_ = StatusOk;
        current = in.valueStack_[static_cast<std::size_t>(in.valueTop_--)];
        in.PopBlock();
        return true;
    }
    // EXIT: back from the procedure as at its ENDSUB, when the innermost block is the call.
    template <bool General>
    static bool exitProcedure(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d, std::int32_t& current) {
        if (in.blockTop_ < 1 || in.blockStack_[static_cast<std::size_t>(in.blockTop_)].Terminator != Closing::EndSub)
            return stop<General>(in, Message::ExitInsideLoop);
        if (in.valueTop_ < 1) return stop<General>(in, Message::StackEmpty); // the call's block stays
        return endSub<General>(in, program, d, current);
    }
    // CALL: the line after the call goes on the value stack, the procedure's resume line
    // (after the END of its body) on the block stack, and the run goes on at its heading.
    template <bool General>
    [[gnu::always_inline]] static bool call(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d,
                                            std::int32_t& current) {
        if (!d.fast) return stop<General>(in, Message::ProcedureNotFound);
        const auto end = bodyEnd(program, d, d.target);
        if (!valueRoom(in, 1)) return stop<General>(in, Message::StackFull);
        if (!end) {
            if constexpr (!General) return false;
            current = d.target; // a procedure without its END: reported at its heading, no half frame
            return stop<General>(in, Message::BeginWithoutEnd);
        }
        if (!blockRoom(in)) return stop<General>(in, Message::StackFull);
        in.runStatus_ = StatusOk;
        pushValue(in, current);
        current = d.target;
        pushBlock(in, *end + 1, Closing::EndSub);
        return true;
    }
    template <bool General>
    [[gnu::always_inline]] static bool jump(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t& current) {
        if (!d.fast) return stop<General>(in, Message::LabelNotFound);
        in.runStatus_ = StatusOk;
        current = d.target;
        return true;
    }

    // ---- Conditions: IF, ELSE, WHILE, UNTIL.

    // Whether a condition holds: 1 or 0, from the decoded operands when they can tell, else
    // (2) undecided; the general form then evaluates the line's reading.
    template <bool General, class Holds>
    [[gnu::always_inline]] static int decide(InterpreterPrivate& in, const DecodedLine& d, Holds holds) {
        int h = decodedFirst<General>(in, d) ? holds() : 2;
        if constexpr (General) {
            if (h == 2) h = in.EvaluateCondition(d.reading.part<ConditionReading>()) ? 1 : 0;
        }
        return h;
    }
    static int decodedHolds(InterpreterPrivate& in, const DecodedLine& d) { return FastValues(in).holds(d.condition); }

    // IF: on to the next line when the condition holds; else past the branch line, or to
    // the ELSE after it, found once per generation of the lines.
    template <bool General, class Holds>
    [[gnu::always_inline]] static bool ifWith(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d,
                                              std::int32_t& current, Holds holds) {
        if (General && !d.reading.part<ConditionReading>().present) return stop<General>(in, Message::MissingThen);
        const int h = decide<General>(in, d, holds);
        if (h == 2) return false;
        if (h == 1) {
            in.runStatus_ = StatusOk;
            return true;
        }
        renew(program, d);
        if (!d.branchKnown) findBranch(program, d, current);
        switch (d.branch.fault) {
        case IfBranch::Fault::None: break;
        case IfBranch::Fault::NoEnd:
            if constexpr (!General) return false;
            current = d.branch.line;
            return stop<General>(in, Message::BeginWithoutEnd);
        case IfBranch::Fault::NoElse:
            if constexpr (!General) return false;
            current = d.branch.line;
            return stop<General>(in, Message::MissingElse);
        }
        in.runStatus_ = StatusOk;
        current = d.branch.line;
        return true;
    }
    // Where the IF of line `ifLine` goes when its condition is false, kept in its line.
    [[gnu::noinline]] static void findBranch(DecodedProgram& program, DecodedLine& d, std::int32_t ifLine) {
        d.branchKnown = true;
        d.branch = falseBranch(
            ifLine, program.count(), [&](std::int32_t i) -> const std::string& { return program.prepared(i); },
            [&](std::int32_t i) -> const std::string& { return program.line(i).text; },
            [&](std::int32_t heading) { return bodyEnd(program, d, heading); });
    }
    template <bool General>
    [[gnu::always_inline]] static bool ifAny(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d,
                                             std::int32_t& current) {
        return ifWith<General>(in, program, d, current, [&] { return decodedHolds(in, d); });
    }
    // ELSE, reached after the THEN branch ran: the ELSE branch is skipped, a line or a
    // BEGIN ... END block, found once per generation of the lines.
    template <bool General>
    [[gnu::always_inline]] static bool elseBranch(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d,
                                                  std::int32_t& current) {
        renew(program, d);
        if (!d.branchKnown) {
            d.branchKnown = true;
            d.branch = {current + 1};
            if (opensBlock(program.prepared(current + 1))) {
                if (const auto end = bodyEnd(program, d, current)) d.branch.line = *end;
                else d.branch.fault = IfBranch::Fault::NoEnd;
            }
        }
        if (d.branch.fault != IfBranch::Fault::None) return stop<General>(in, Message::BeginWithoutEnd);
        in.runStatus_ = StatusOk;
        current = d.branch.line;
        return true;
    }
    // WHILE: when the condition holds, the WHILE line goes on the value stack and the line
    // after the body on the block stack; else the run goes on after the closing line that
    // follows the body.
    template <bool General, class Holds>
    [[gnu::always_inline]] static bool whileWith(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d,
                                                 std::int32_t& current, Holds holds) {
        if (General && !d.reading.part<ConditionReading>().present) return stop<General>(in, Message::SyntaxError);
        const int h = decide<General>(in, d, holds);
        if (h == 2) return false;
        const auto end = bodyEnd(program, d, current);
        if (h == 0) {
            if (!end) return stop<General>(in, Message::BeginWithoutEnd);
            in.runStatus_ = StatusOk;
            current = *end + 1;
            return true;
        }
        if (!valueRoom(in, 1)) return stop<General>(in, Message::StackFull);
        if (!end) {
            if constexpr (!General) return false;
            pushValue(in, current); // the WHILE line stays on the stack, as the stop leaves it
            return stop<General>(in, Message::BeginWithoutEnd);
        }
        if (!blockRoom(in)) return stop<General>(in, Message::StackFull);
        in.runStatus_ = StatusOk;
        pushValue(in, current);
        pushBlock(in, *end + 1, Closing::Wend);
        return true;
    }
    template <bool General>
    [[gnu::always_inline]] static bool whileAny(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d,
                                                std::int32_t& current) {
        return whileWith<General>(in, program, d, current, [&] { return decodedHolds(in, d); });
    }
    // WEND: the WHILE line runs again and tests its condition again. A popped value that is
    // no line (the stack held another construct's frame) leads out of the program.
    template <bool General>
    [[gnu::always_inline]] static bool wend(InterpreterPrivate& in, DecodedProgram&, DecodedLine&, std::int32_t& current) {
        if (in.valueTop_ < 1) return stop<General>(in, Message::StackEmpty);
        in.runStatus_ = StatusOk;
        const std::int32_t whileLine = in.valueStack_[static_cast<std::size_t>(in.valueTop_--)];
        current = whileLine > INT32_MIN ? whileLine - 1 : INT32_MIN;
        in.PopBlock();
        return true;
    }
    template <bool General>
    [[gnu::always_inline]] static bool repeat(InterpreterPrivate& in, DecodedProgram&, DecodedLine&, std::int32_t& current) {
        if (!valueRoom(in, 1) || !blockRoom(in)) return stop<General>(in, Message::StackFull);
        in.runStatus_ = StatusOk;
        pushValue(in, current);
        pushBlock(in, RepeatResumeLine, Closing::Until);
        return true;
    }
    // UNTIL: back to the line after the REPEAT while the condition does not hold. The
    // REPEAT's line is off the stack while the condition is evaluated, so that a condition
    // that stops the run leaves it taken.
    template <bool General>
    [[gnu::always_inline]] static bool until(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t& current) {
        if (in.valueTop_ < 1) return stop<General>(in, Message::StackEmpty);
        --in.valueTop_;
        const int h = decide<General>(in, d, [&] { return decodedHolds(in, d); });
        if (h != 1) ++in.valueTop_;
        if (h == 2) return false;
        in.runStatus_ = StatusOk;
        if (h == 0) current = in.valueStack_[static_cast<std::size_t>(in.valueTop_)];
        else in.PopBlock();
        return true;
    }

    // ---- FOR and NEXT: the frame on the value stack is the FOR line, the counter's slot,
    // ---- the limit and the step, the step on top.

    // The counter takes its first value and the loop's frame goes on the value stack; the
    // body always runs once, as there is no test before the first pass.
    template <bool General>
    [[gnu::always_inline]] static bool forEntry(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d,
                                                std::int32_t& current) {
        const ForHeading& h = d.heading;
        const auto end = bodyEnd(program, d, current);
        std::int64_t first = 0, last = 0;
        const bool known = decodedFirst<General>(in, d) && FastValues(in).integer(h.start, first) &&
                           FastValues(in).integer(h.limit, last);
        if (known && end && valueRoom(in, 4) && blockRoom(in)) {
            in.runStatus_ = StatusOk;
            in.intStore_[static_cast<std::size_t>(h.counter)] = static_cast<std::int32_t>(first);
            for (const std::int32_t v : {current, h.counter, static_cast<std::int32_t>(last), h.step})
                pushValue(in, v);
            pushBlock(in, *end + 1, Closing::Next);
            return true;
        }
        if constexpr (!General) {
            return false;
        } else {
            std::int32_t counter = h.counter, limit = static_cast<std::int32_t>(last);
            if (known) in.intStore_[static_cast<std::size_t>(counter)] = static_cast<std::int32_t>(first);
            else in.startFor(d.reading.part<ForReading>(), counter, limit);
            const std::int32_t step = d.reading.part<ForReading>().heading.downto ? -1 : 1;
            // A frame that does not fit stops where the stack is full.
            for (const std::int32_t v : {current, counter, limit, step}) in.PushValue(v);
            if (!end) return stop<General>(in, Message::BeginWithoutEnd);
            if (!blockRoom(in)) {
                in.valueTop_ -= 4; // loops nested too deep: no half frame is left
                return stop<General>(in, Message::StackFull);
            }
            pushBlock(in, *end + 1, Closing::Next);
            return true;
        }
    }
    // NEXT: the counter moves by the step; past the limit the loop is over and the line
    // after the body runs as itself, else the run goes back into the body.
    template <bool General>
    [[gnu::always_inline]] static bool next(InterpreterPrivate& in, DecodedProgram&, DecodedLine&, std::int32_t& current) {
        if (in.valueTop_ < 4) {
            if constexpr (!General) return false;
            // What the stack holds is taken off, and each missing entry is reported.
            const int missing = 4 - in.valueTop_;
            in.valueTop_ = 0;
            for (int i = 1; i < missing; ++i) in.report(Message::StackEmpty);
            return stop<General>(in, Message::StackEmpty);
        }
        const auto top = static_cast<std::size_t>(in.valueTop_);
        const std::int32_t step = in.valueStack_[top], limit = in.valueStack_[top - 1],
                           slot = in.valueStack_[top - 2], forLine = in.valueStack_[top - 3];
        if (slot < 1 || slot > in.intCount_) {
            if constexpr (!General) return false;
            in.valueTop_ -= 4; // no FOR frame, taken off all the same
            return stop<General>(in, Message::StackEmpty);
        }
        in.runStatus_ = StatusOk;
        const std::int32_t value = wrap32(std::int64_t{in.intStore_[static_cast<std::size_t>(slot)]} + step);
        in.intStore_[static_cast<std::size_t>(slot)] = value;
        if ((step > 0 && value > limit) || (step < 0 && value < limit)) {
            in.valueTop_ -= 4;
            in.PopBlock();
            return true;
        }
        current = forLine; // the frame stays while the loop goes on
        return true;
    }

    // BREAK out of the innermost loop: its frame leaves the value stack, and the run goes on
    // at the line after the body (a FOR), after the WEND line that follows it (a WHILE), or
    // after the first UNTIL line from the BREAK on (a REPEAT; without one, at the next line).
    // That UNTIL is found once per generation of the lines and kept as the line's body end.
    template <bool General>
    static bool breakLoop(InterpreterPrivate& in, DecodedProgram& program, DecodedLine& d, std::int32_t& current) {
        if (in.blockTop_ < 1) return stop<General>(in, Message::BreakOutsideLoop);
        const auto top = static_cast<std::size_t>(in.blockTop_);
        const std::int32_t resume = in.blockStack_[top].ResumeLine;
        const Closing closing = in.blockStack_[top].Terminator;
        const int frame = closing == Closing::Next ? 4 : 1;
        if (closing != Closing::Next && closing != Closing::Wend && closing != Closing::Until)
            return stop<General>(in, Message::BreakOutsideLoop);
        if (in.valueTop_ < frame) {
            if constexpr (!General) return false;
            // The loop's block goes first only for a REPEAT; the stack is emptied as far as
            // it goes before the missing entry is reported.
            if (closing == Closing::Until) in.PopBlock();
            in.valueTop_ = 0;
            return stop<General>(in, Message::StackEmpty);
        }
        in.valueTop_ -= frame;
        in.runStatus_ = StatusOk;
        in.PopBlock();
        if (closing == Closing::Next) {
            current = resume - 1;
        } else if (closing == Closing::Wend) {
            current = resume;
        } else {
            renew(program, d);
            if (!d.bodyEndKnown) {
                d.bodyEnd = scanUntil(current, program.count(),
                                      [&](std::int32_t i) -> const std::string& { return program.prepared(i); });
                d.bodyEndKnown = true;
            }
            if (d.bodyEnd) current = *d.bodyEnd;
        }
        return true;
    }
};

} // namespace zef
