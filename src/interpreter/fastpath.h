// The runner of the decoded lines: each line's form, chosen when it is decoded, and the
// driver's loop while every statement has a form that decides it.
#pragma once

#include "decode.h"

namespace zef {

// Chooses the decoded lines' forms and runs them on the interpreter's own state.
class FastPath {
  public:
    // Decodes the line and chooses its form.
    static void decode(const InterpreterPrivate& interpreter, DecodedLine& line);
    // The form of a line not decoded yet: decodes it, then runs its form when the loop may.
    static std::int64_t decodeAndRun(InterpreterPrivate& interpreter, DecodedProgram& program, DecodedLine& line,
                                     std::int32_t current);
    // Runs the statement when its fast form can decide it; false, with nothing changed,
    // hands the statement to the general form.
    static bool run(InterpreterPrivate& interpreter, DecodedProgram& program, DecodedLine& line,
                    std::int32_t& current);
    // The driver's loop for a run that is not single-stepped, as long as every statement
    // has a fast form and neither a breakpoint, the poll nor an error needs the driver:
    // it stops at the first statement the driver must run itself, with the same
    // bookkeeping the driver keeps (current line, statement count, poll counter).
    static void runWhileFast(InterpreterPrivate& interpreter, DecodedProgram& program, std::int32_t count,
                             std::int32_t& current, std::int32_t resumeAt, unsigned& sincePoll,
                             unsigned pollInterval, std::int32_t& ran);
};

} // namespace zef
