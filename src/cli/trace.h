// zefrun --trace: the program runs one statement at a time, as the IDE steps it with F9
// then F7 again and again, and each stop is written to stderr where the IDE would mark
// the next line to run.
#pragma once

#include "terminal_platform.h"

#include <functional>
#include <string>

namespace zef {

// Runs the program from its start in single-step mode. Each stop is written as
// "FILE:LINE: <the line as written>", a stop where a block's terminator runs next as
// "FILE:LINE: (fin de bloc)". The step that runs the final END. leaves the run past the
// last line and writes nothing. A failing step writes its stop (the failing line) and
// returns like Exec, with the status and the failing line, so that the caller reports the
// error as for any run; a run the platform abandons throws as Exec does. `interrupted` is
// asked between two steps (single steps never reach the driver's own poll); it ends the
// run as an interrupted input does, by InputInterrupted. The program's output is flushed
// before each stop is written, so that the two come in the order they happened; a stop
// that cannot be written (trace.error()) ends the run, as a failing stdout does. A step
// costs its statement and its line of trace: the program's lines are not read again.
void ExecTraced(Interpreter& interpreter, FileLineList& program, const std::string& fileName,
                OutputChannel& trace, OutputChannel& programOutput, const std::function<bool()>& interrupted,
                std::int32_t& line, std::int32_t& status);

} // namespace zef
