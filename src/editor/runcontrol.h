// Run control of the editor: start, continue and step the interpreter on the document's
// own lines, show where it stopped with the step marker and the caret, toggle breakpoints.
#pragma once

#include "interpreter.h"

#include <functional>
#include <string>

namespace zef::editor {

// An editor's text as the run control sees it: the interpreter's line list plus line
// replacement and the caret (an offset counting every line break as two characters).
class EditorText : public LineList {
public:
    virtual void setLine(int index, const std::string& text) = 0;
    virtual std::int64_t caret() const = 0;
    virtual void setCaret(std::int64_t offset) = 0;
    // The file name (without directory) of the document; empty for a new one.
    virtual std::string fileName() const = 0;
};

// What runs the program: the screen window in the IDE, the interpreter itself in tests.
class Runner {
public:
    virtual ~Runner() = default;
    virtual void InitPrg(const std::string& programName) = 0;
    virtual void Exec(LineList& lines, std::int32_t& line, std::int32_t& step, std::int32_t& status) = 0;
};

class InterpreterRunner : public Runner {
public:
    explicit InterpreterRunner(Interpreter& interpreter) : interpreter_(interpreter) {}
    void InitPrg(const std::string& name) override { interpreter_.InitPrg(name); }
    void Exec(LineList& lines, std::int32_t& line, std::int32_t& step, std::int32_t& status) override {
        interpreter_.Exec(lines, line, step, status);
    }

private:
    Interpreter& interpreter_;
};

// Shared by every editor window.
struct RunState {
    std::int32_t CurrentLine = 0; // where a stopped run resumes; 0 asks for a fresh run
    std::int32_t StepMode = 0;    // 1: stop after every statement
    bool running = false;         // the interpreter is inside Exec
};

class RunControl {
public:
    RunControl(Runner& runner, RunState& state) : runner_(runner), state_(state) {}

    // Called with the French text when the platform abandons a run.
    std::function<void(const std::string& message8bit)> onAbandoned;
    // Called around a run, so that a window can make its text read-only meanwhile.
    std::function<void(bool running)> onRunning;

    void Executer(EditorText& text);
    void Continuer2(EditorText& text);
    void Arret(EditorText& text);
    void Pasapas(bool checked) { state_.StepMode = checked ? 1 : 0; }
    // A window becoming active switches step mode off.
    void FormActivate() { state_.StepMode = 0; }
    static void Raz(EditorText& text);
    static void placeCaretOnLine(EditorText& text, std::int32_t line);

    RunState& state() { return state_; }
    // What the last run or continuation returned: the driver's status, -1 when the
    // platform abandoned it.
    std::int32_t lastStatus() const { return lastStatus_; }

private:
    std::int32_t exec(EditorText& text);
    std::int32_t abandoned(const std::string& message8bit);
    void markStep(EditorText& text);

    Runner& runner_;
    RunState& state_;
    std::int32_t lastStatus_ = 0;
};

// How a call of the driver ended, for the words of runStateText.
struct RunStop {
    std::int32_t status = 0; // the driver's, -1 for a run the platform abandoned
    bool onError = false;    // stopped by an error of the program or an interrupt
    bool stepping = false;   // in step mode
    int line = 0;            // the line concerned, counted from 1
    std::string why;         // the error's message, or why it stopped (UTF-8)
};
// Where the run stands once the driver has returned, as the status bar and the screen
// window's title say it: "Terminé", "Pas à pas ligne 9", "Arrêté ligne 9 (point d'arrêt)",
// "Arrêté ligne 8 : ..." (UTF-8).
std::string runStateText(const RunStop& stop);

} // namespace zef::editor
