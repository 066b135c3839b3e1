// Control flow: IF/ELSE, FOR/NEXT, WHILE/WEND, REPEAT/UNTIL and BREAK. Loops keep their
// state on the value stack and register the line after their body on the block stack, so
// that the driver runs the loop's closing word there.
#include "interpreter_p.h"

#include "numtext.h"
#include "text.h"

namespace zef {

void InterpreterPrivate::FindElse(const LineList& lines, std::int32_t& line) {
    if (const auto at = scanElse(line, lines.count(), [&](std::int32_t i) { return preparedAt(lines, i); }))
        line = *at;
    else
        fail(Message::MissingElse);
}

void InterpreterPrivate::IfStatement(const LineList& lines, const ConditionReading& condition,
                              std::int32_t& line) {
    if (!condition.present) return fail(Message::MissingThen);
    const bool holds = EvaluateCondition(condition);
    if (runStatus_ > 0 || holds) return;
    const IfBranch branch = falseBranch(
        line, lines.count(), [&](std::int32_t i) { return preparedAt(lines, i); },
        [&](std::int32_t i) { return lineText(lines, i); },
        [&](std::int32_t heading) { return bodyEndOf(lines, heading); });
    line = branch.line;
    if (branch.fault == IfBranch::Fault::NoEnd) fail(Message::BeginWithoutEnd);
    if (branch.fault == IfBranch::Fault::NoElse) fail(Message::MissingElse);
}

void InterpreterPrivate::ElseStatement(const LineList& lines, std::int32_t& line) {
    // Reached after a THEN-branch ran: skip the ELSE-branch.
    if (preparedAt(lines, line + 1) == "BEGIN") {
        std::int32_t end = line;
        FindBodyEnd(lines, end);
        if (runStatus_ == StatusOk) line = end;
        return;
    }
    line = line + 1;
}

void InterpreterPrivate::ForStatement(const LineList& lines, const ForReading& reading,
                               std::int32_t& line) {
    const ForHeadingText& heading = reading.heading;
    if (!heading.assigns) return fail(Message::ForHeadingSyntax);
    const SymbolEntry* counter = findSymbol(heading.counter);
    if (!counter) return fail(Message::ForUnknownCounter);
    if (counter->Kind != SymbolKind::Integer) return fail(Message::ForCounterNotInteger);
    const std::int32_t slot = counter->Index;
    if (!heading.hasTo) return fail(Message::ForHeadingSyntax);
    const std::string start = ScalarValue(reading.start);
    if (runStatus_ > 0) return;
    if (!heading.endsWithDo) return fail(Message::SyntaxError);
    const std::string limitText = ScalarValue(reading.limit);
    if (runStatus_ > 0) return;
    const auto limit = parseInteger(limitText);
    if (!limit) return fail(Message::ForBoundsIncompatible);
    const std::int32_t step = heading.downto ? -1 : 1;
    StoreValue(start, SymbolKind::Integer, slot);
    if (runStatus_ > 0) return;
    // No test before the first pass: the body always runs at least once.
    for (std::int32_t v : {line, slot, *limit, step}) {
        PushValue(v);
        if (runStatus_ > 0) return;
    }
    std::int32_t end = line;
    FindBodyEnd(lines, end);
    if (runStatus_ > 0) return;
    PushBlock(end + 1, Closing::Next);
    if (runStatus_ > 0) valueTop_ -= 4; // loops nested too deep: no half frame is left
}

void InterpreterPrivate::NextStatement(std::int32_t& line) {
    std::int32_t step = 0, limit = 0, slot = 0, forLine = 0;
    bool ok = PopValue(step);
    ok = PopValue(limit) && ok;
    ok = PopValue(slot) && ok;
    ok = PopValue(forLine) && ok;
    if (!ok) return;
    if (!slotInStore(SymbolKind::Integer, slot)) return fail(Message::StackEmpty); // not a FOR frame
    const std::int32_t value = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(intStore_[slot]) + static_cast<std::uint32_t>(step));
    StoreValue(formatInteger(value), SymbolKind::Integer, slot);
    if (runStatus_ > 0) return;
    if ((step > 0 && value > limit) || (step < 0 && value < limit)) {
        PopBlock(); // the loop is over; the line after the body now runs as itself
        return;
    }
    line = forLine;
    for (std::int32_t v : {forLine, slot, limit, step}) PushValue(v);
}

void InterpreterPrivate::WhileStatement(const LineList& lines, const ConditionReading& condition,
                                 std::int32_t& line) {
    if (!condition.present) return fail(Message::SyntaxError);
    const bool holds = EvaluateCondition(condition);
    if (runStatus_ > 0) return;
    const std::int32_t whileLine = line;
    std::int32_t end = whileLine;
    if (holds) {
        PushValue(whileLine);
        if (runStatus_ > 0) return;
        FindBodyEnd(lines, end);
        if (runStatus_ > 0) return;
        PushBlock(end + 1, Closing::Wend);
        if (runStatus_ > 0) --valueTop_; // no half frame
        return;
    }
    // The closing line after the body is skipped as well.
    FindBodyEnd(lines, end);
    if (runStatus_ == StatusOk) line = end + 1;
}

void InterpreterPrivate::WendStatement(std::int32_t& line) {
    std::int32_t whileLine = 0;
    if (!PopValue(whileLine)) return;
    // The WHILE line runs again and re-tests its condition. A popped value that is no line
    // (the stack held another construct's frame) leads out of the program.
    line = whileLine > INT32_MIN ? whileLine - 1 : INT32_MIN;
    PopBlock();
}

void InterpreterPrivate::RepeatStatement(std::int32_t& line) {
    PushValue(line);
    if (runStatus_ > 0) return;
    PushBlock(RepeatResumeLine, Closing::Until);
    if (runStatus_ > 0) --valueTop_; // no half frame
}

void InterpreterPrivate::UntilStatement(const ConditionReading& condition, std::int32_t& line) {
    std::int32_t repeatLine = 0;
    if (!PopValue(repeatLine)) return;
    const bool holds = EvaluateCondition(condition);
    if (runStatus_ > 0) return;
    if (!holds) {
        line = repeatLine;
        PushValue(repeatLine);
        return;
    }
    PopBlock();
}

void InterpreterPrivate::BreakStatement(const LineList& lines, std::int32_t& line) {
    const BlockEntry* top = TopBlock();
    const Closing terminator = top ? top->Terminator : Closing::None;
    if (terminator == Closing::Next) {
        std::int32_t v = 0;
        for (int i = 0; i < 4; ++i)
            if (!PopValue(v)) return;
        line = top->ResumeLine - 1;
        PopBlock();
    } else if (terminator == Closing::Wend) {
        std::int32_t v = 0;
        if (!PopValue(v)) return;
        line = top->ResumeLine;
        PopBlock();
    } else if (terminator == Closing::Until) {
        PopBlock();
        std::int32_t v = 0;
        if (!PopValue(v)) return;
        if (const auto at = scanUntil(line, lines.count(), [&](std::int32_t i) { return preparedAt(lines, i); }))
            line = *at;
    } else {
        fail(Message::BreakOutsideLoop);
    }
}

} // namespace zef
