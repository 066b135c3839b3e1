#include "trace.h"

#include "text.h"

namespace zef {

void ExecTraced(Interpreter& interpreter, FileLineList& program, const std::string& fileName,
                OutputChannel& trace, OutputChannel& programOutput, const std::function<bool()>& interrupted,
                std::int32_t& line, std::int32_t& status) {
    std::int32_t step = 1;
    line = 0;
    for (;;) {
        status = StatusOk;
        interpreter.Exec(program, line, step, status);
        if (status == StatusOk) return; // the run went past the last line: its end
        if (line >= 0 && line < program.count()) {
            // The program's output so far comes before its stop, also when both streams go
            // to the same pipe.
            programOutput.flush();
            std::string stop = fileName + ":" + std::to_string(program.fileLineOf(line)) + ": ";
            if (status == StatusStepAtBlockEnd && !interpreter.stoppedOnError())
                stop += "(fin de bloc)";
            else
                stop += cp1252ToUtf8(program.line(line));
            trace.write(stop + "\n");
            // A trace that cannot be written ends the run as a failing stdout does.
            if (!trace.flush()) return;
        }
        if (interpreter.stoppedOnError()) return;
        if (interrupted && interrupted()) throw InputInterrupted{};
    }
}

} // namespace zef
