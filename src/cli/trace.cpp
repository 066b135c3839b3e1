#include "trace.h"

#include "text.h"

namespace zef {

void ExecTraced(Interpreter& interpreter, FileLineList& program, const std::string& fileName,
                std::ostream& trace, const std::function<bool()>& interrupted, std::int32_t& line,
                std::int32_t& status) {
    std::int32_t step = 1;
    line = 0;
    for (;;) {
        status = StatusOk;
        interpreter.Exec(program, line, step, status);
        if (status == StatusOk) return; // the run went past the last line: its end
        if (line >= 0 && line < program.count()) {
            std::fflush(stdout); // the program's output so far comes before its stop
            trace << fileName << ":" << program.fileLineOf(line) << ": ";
            if (status == StatusStepAtBlockEnd && !interpreter.stoppedOnError())
                trace << "(fin de bloc)";
            else
                trace << cp1252ToUtf8(program.line(line));
            trace << "\n" << std::flush;
        }
        if (interpreter.stoppedOnError()) return;
        if (interrupted && interrupted()) throw InputInterrupted{};
    }
}

} // namespace zef
