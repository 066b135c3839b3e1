// The execution driver: runs each line's form (fastpath.cpp gives every decoded line its
// forms), with breakpoints, single steps, polls, pauses and stops.
#include "interpreter_p.h"

#include "decode.h"
#include "fastpath.h"

#include "text.h"

namespace zef {
namespace {

constexpr unsigned kPollInterval = 2048; // statements between two calls of the poll hook

} // namespace

void InterpreterPrivate::Exec(LineList& lines, std::int32_t& line, std::int32_t& step,
                       std::int32_t& outStatus) {
    forgetWhyStopped();
    runLines(lines, line, step, outStatus);
    // A reason is kept only for a stop on an error that no message explained, a detail
    // only for one that a message explained.
    if (!stoppedOnError_ || messageShown_) stopReason_.clear();
    if (!stoppedOnError_ || !messageShown_) messageDetail_.clear();
}

void InterpreterPrivate::runLines(LineList& lines, std::int32_t& line, std::int32_t& step,
                                  std::int32_t& outStatus) {
    runStatus_ = StatusOk;
    stoppedOnError_ = false;
    const bool fresh = line == 0;
    // Stepping never changes what the program does: only a fresh run puts the cursor back
    // at the top left and closes the channels a previous run left open. A continued run
    // (the next step, or going on after a breakpoint) keeps the cursor, the files and the
    // printer exactly as the stopped run left them.
    if (fresh) cursorX_ = cursorY_ = 0;
    if (platform_.screen) platform_.screen->prepare(std::string(CaptionPrefix) + programName_);
    if (fresh) {
        // Lines the previous run left in a file that cannot take them (a full disk) are
        // lost: the new run does not start over that in silence.
        if (const int error = CloseAll(); error != IoOk) abandonIo(error);
        std::int32_t errorLine = 0;
        DeclarePass(lines, errorLine);
        if (runStatus_ > 0) {
            stoppedOnError_ = true;
            line = errorLine;
            outStatus = runStatus_;
            return;
        }
        FindMainBegin(lines, line);
        if (runStatus_ > 0) {
            stoppedOnError_ = true;
            outStatus = StatusStop;
            return;
        }
    }

    // The lines are read once per call: the editor is read-only while a run goes on. Each
    // statement is read once too, when the run first comes to it, and runs from that
    // reading from then on, whether through its fast form or its general form.
    if (!decoded_) decoded_ = std::make_unique<DecodedProgram>(&FastPath::decodeAndRun);
    decoded_->refresh(lines, symbols_, fresh);
    const std::int32_t count = lines.count();
    std::int32_t current = line;
    // A continued run does not stop at the breakpoint of the line it starts at: it stopped
    // there last time, for the statement it now runs.
    std::int32_t resumeAt = fresh ? -1 : line;
    unsigned sincePoll = 0;
    // The line of the last statement run; a run continued after a pause goes on with it,
    // so that a stop then names the line a run without pauses would.
    std::int32_t ran = fresh ? -1 : pausedRan_;
    pausedRan_ = -1;
    while (current >= 0 && current < count) {
        if (fastForms_ && step != 1) {
            FastPath::runWhileFast(*this, *decoded_, count, current, resumeAt, sincePoll, kPollInterval, ran);
            if (current < 0 || current >= count) break;
        }
        currentLine_ = current;
        // A breakpoint: stop before the marked line, as a single step would, except where
        // a continued run starts (it stopped here last time).
        if (current != resumeAt && breakpointAt(decoded_->line(current), current)) {
            runStatus_ = StatusStop;
            outStatus = StatusStop;
            line = current;
            return;
        }
        std::int32_t at = current;
        DecodedLine* decoded = &decoded_->formAt(current, innermostBlock(), at);
        const bool terminator = at != current;
        bool interrupt = interruptPending();
        if (platform_.poll && ++sincePoll >= kPollInterval) {
            sincePoll = 0;
            interrupt = platform_.poll->poll() || interrupt;
            if (!interrupt && step != 1 && platform_.poll->pauseDue()) {
                // The breakpoint of this line was seen already, so the continued run that
                // starts here rightly passes it.
                outStatus = runStatus_ = StatusPaused;
                line = current;
                pausedRan_ = ran;
                return;
            }
        }
        if (interrupt) {
            // The run resumes here, but the line reported is the one that was running when
            // the interrupt came: the body of a loop rather than the line after it where its
            // terminator runs.
            if (ran >= 0) currentLine_ = ran;
            stoppedOnError_ = true;
            report(Message::Interrupted);
            outStatus = runStatus_;
            line = current;
            return;
        }
        current = at;
        ran = current;
        runLine(*decoded, current);
        // A statement waiting for the user has not run: it runs when the run is continued.
        const bool waiting = runStatus_ == StatusWaitingForUser;
        if (!waiting) ++statementsRun_;
        if (runStatus_ == StatusOk) current = DecodedProgram::lineAfter(current, count);
        // Once a line has run as a block's terminator, the same line running as itself is
        // a new occasion for its breakpoint.
        if (current != resumeAt || terminator) resumeAt = -1;
        if (runStatus_ > 0 && !waiting) stoppedOnError_ = true;
        if (step == 1 && !waiting) {
            runStatus_ = StatusStop;
            if (innermostBlock().ResumeLine == current)
                runStatus_ = StatusStepAtBlockEnd;
        }
        if (runStatus_ > 0) {
            // A statement that leaves the program's lines (a WHILE whose closing line would
            // stand past the last line) has ended the run: the stop is reported one past the
            // last line, where a continued run ends at once.
            if (current < 0 || current > count) current = count;
            outStatus = runStatus_;
            line = current;
            return;
        }
    }
}

bool InterpreterPrivate::breakpointAt(const DecodedLine& form, std::int32_t line) const {
    return breakpoints_ && form.marked && breakpointStops(line);
}

bool InterpreterPrivate::breakpointStops(std::int32_t line) const {
    const BlockEntry& top = innermostBlock();
    return top.ResumeLine != line || top.Terminator == Closing::Wend;
}

int InterpreterPrivate::CloseAll() {
    int result = IoOk;
    for (std::int32_t slot = 1; slot <= fileCount_ && slot <= MaxFiles; ++slot) {
        if (files_[slot].mode() == TextChannel::Mode::Closed) continue;
        if (int error = files_[slot].close(); error != IoOk) result = error;
    }
    if (printer_.open) {
        printer_.open = false;
        if (!platform_.printer || !platform_.printer->close()) result = IoWriteFault;
    }
    if (result != IoOk) runStatus_ = StatusStop;
    return result;
}

void InterpreterPrivate::runLine(DecodedLine& d, std::int32_t& current) {
    // A line that has no fast form, or whose fast form hands it back, runs in its general
    // form; without fast forms, every line does. A statement that stops the run leaves
    // where it meets what stops it, having reported it.
    try {
        if (!fastForms_ || !FastPath::run(*this, *decoded_, d, current)) {
            if (!d.decoded) FastPath::decode(*this, d);
            RunStatement(*decoded_, d, current);
        }
    } catch (const StatementStopped&) {
    }
}

void InterpreterPrivate::RunStatement(DecodedProgram& program, DecodedLine& d, std::int32_t& line) {
    runStatus_ = StatusOk;
    forgetWhyStopped();
    d.general(*this, program, d, line);
}

} // namespace zef
