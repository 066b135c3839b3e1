#include "runcontrol.h"

#include "document.h"
#include "text.h"

#include <new>

namespace zef::editor {

void RunControl::Raz(EditorText& text) {
    for (int i = 0; i < text.count(); ++i) {
        const std::string line = text.line(i);
        if (!line.empty() && line[0] == kStepMarker) text.setLine(i, line.substr(1));
    }
}

void RunControl::placeCaretOnLine(EditorText& text, std::int32_t line) {
    std::int64_t offset = 0;
    for (int i = 0; i < line && i < text.count(); ++i)
        offset += static_cast<std::int64_t>(text.line(i).size()) + 2;
    text.setCaret(offset);
}

std::int32_t RunControl::exec(EditorText& text) {
    std::int32_t status = 0;
    state_.running = true;
    if (onRunning) onRunning(true);
    try {
        runner_.Exec(text, state_.CurrentLine, state_.StepMode, status);
        lastStatus_ = status;
    } catch (const RunAbandoned& e) {
        return abandoned(e.what());
    } catch (const std::bad_alloc&) {
        // Memory ran out all the same: only this run is over, the IDE and its documents stay.
        return abandoned(messageFor(Message::OutOfMemory));
    }
    state_.running = false;
    if (onRunning) onRunning(false);
    return status;
}

std::int32_t RunControl::abandoned(const std::string& message8bit) {
    // The run ends at once; no line is marked.
    lastStatus_ = -1;
    state_.running = false;
    if (onRunning) onRunning(false);
    if (onAbandoned) onAbandoned(message8bit);
    return -1;
}

void RunControl::markStep(EditorText& text) {
    if (state_.CurrentLine >= 0 && state_.CurrentLine < text.count())
        text.setLine(state_.CurrentLine, kStepMarker + text.line(state_.CurrentLine));
}

void RunControl::Executer(EditorText& text) {
    if (state_.running) return; // the interpreter is never re-entered
    runner_.InitPrg(text.fileName());
    Raz(text);
    state_.CurrentLine = 0;
    const std::int32_t status = exec(text);
    if (status < 0) return;
    // The step marker shows the line that runs next: none once the program has ended.
    if (state_.StepMode == 1 && status > 0) markStep(text);
    if (status > 0) placeCaretOnLine(text, state_.CurrentLine);
}

void RunControl::Continuer2(EditorText& text) {
    if (state_.running) return;
    // The step marker of the line where the run stopped comes off; so does any other (an
    // undo in the editor can bring an old one back), which the run would read as text.
    Raz(text);
    const std::int32_t status = exec(text);
    if (status < 0) return;
    if (state_.StepMode == 1 && status > 0 && status != StatusStepAtBlockEnd) markStep(text);
    if (status > 0 && status < StatusStepAtBlockEnd) placeCaretOnLine(text, state_.CurrentLine);
}

void RunControl::Arret(EditorText& text) {
    if (state_.running) return; // the text must not change under a run
    const std::int64_t caret = text.caret();
    std::vector<std::string> lines;
    for (int i = 0; i < text.count(); ++i) lines.push_back(text.line(i));
    const int target = breakpointWalk(lines, caret);
    if (target >= 0 && target < text.count()) {
        toggleBreakpoint(lines, target);
        text.setLine(target, lines[static_cast<std::size_t>(target)]);
    }
    // A breakpoint never moves the run: a stopped run resumes where it would have without
    // it. The marker added or removed before the caret shifts the text; the caret keeps
    // its offset as it was.
    text.setCaret(caret);
}

std::string runStateText(const RunStop& stop) {
    const std::string at = "Arrêté ligne " + std::to_string(stop.line);
    if (stop.status == 0) return "Terminé";
    if (stop.status < 0 || stop.onError) return stop.why.empty() ? at : at + " : " + stop.why;
    if (stop.stepping) return "Pas à pas ligne " + std::to_string(stop.line);
    return at + " (point d'arrêt)";
}

} // namespace zef::editor
