// The interpreter's platform on a terminal or a pipe: the screen is stdout, the input line
// is stdin, error messages are collected for stderr, the printer is a file.
#pragma once

#include "interpreter.h"

#include <atomic>
#include <cstdint>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string_view>
#include <string>
#include <vector>

namespace zef {

// The program's lines; counts the leading blank lines the pre-pass removes, so that list
// indices can be turned back into line numbers of the file.
class FileLineList : public LineList {
public:
    explicit FileLineList(std::vector<std::string> lines) : lines_(std::move(lines)) {}
    int count() const override { return static_cast<int>(lines_.size()); }
    std::string line(int index) const override { return lines_.at(static_cast<std::size_t>(index)); }
    void deleteLine(int index) override { deleteLines(index, 1); }
    void deleteLines(int index, int count) override;
    std::uint64_t revision() const override { return revision_; }
    int fileLineOf(int index) const { return index + deleted_ + 1; }

private:
    std::vector<std::string> lines_;
    int deleted_ = 0;
    std::uint64_t revision_ = newLineListRevision();
};

// Thrown out of an input that a signal (Ctrl+C, SIGTERM) interrupted.
struct InputInterrupted {};

// Standard output (or the trace's standard error), buffered here rather than by stdio: a
// write that a signal interrupts is finished, not dropped, and the first failure (a full
// disk, a reader gone) is kept so that the run can stop and say why.
//
// Ctrl+C must stop zefrun even while the reader holds the pipe open without reading: the
// channel waits for room with the stop signals let in only during that wait, then writes
// no more than the room it was told of. Once Ctrl+C came, only what can be written at once
// is written; the rest is dropped (dropped() says so), and the run ends.
class OutputChannel {
public:
    // `signalled` is the stop signal received so far (0 for none); without it the channel
    // simply writes.
    OutputChannel(int fd, const std::atomic<int>* signalled = nullptr);
    void write(std::string_view bytes);
    // Returns false once any write has failed; the error stays in error().
    bool flush();
    int error() const { return error_.load(); }
    bool dropped() const { return dropped_; }
    // At most `bytes` bytes ever reach the descriptor (0: no bound). The write that would
    // pass the bound writes what fits, cut at a character boundary, and limitReached()
    // then says so; nothing more is written.
    void setLimit(std::uint64_t bytes) { limit_ = bytes; }
    bool limitReached() const { return limitReached_; }
    // Counts `bytes` that reach the same file by another way (a file channel of the
    // program opened on /dev/stdout): false, and limitReached(), when they would pass the
    // bound; they are then not to be written at all.
    bool charge(std::uint64_t bytes);

private:
    // Waits until the descriptor takes more; false when Ctrl+C came first, or when, after
    // it, the descriptor cannot take anything at once.
    bool waitForRoom();
    bool interrupted() const { return signalled_ && signalled_->load() == SIGINT; }

    int fd_;
    const std::atomic<int>* signalled_;
    bool regularFile_ = false; // a file on disk always has room: no wait, no small writes
    bool dropped_ = false;
    std::uint64_t limit_ = 0, accepted_ = 0;
    bool limitReached_ = false;
    std::string buffer_;
    std::atomic<int> error_{0};
};

class TerminalScreen : public Screen {
public:
    TerminalScreen(OutputChannel& out, bool stdinIsTerminal, bool stdoutIsTerminal,
                   std::atomic<int>& signalled)
        : out_(out), stdinTty_(stdinIsTerminal), stdoutTty_(stdoutIsTerminal), signalled_(signalled) {}
    void prepare(const std::string&) override {}
    void drawText(int x, int y, const std::string& text) override;
    int textWidth(const std::string& text) override { return static_cast<int>(text.size()) * ColumnWidth; }
    void clearScreen() override;
    std::string readLine(int x, int y) override;
    void showMessage(const std::string& text) override;
    void cursorMoved(int x, int y, CursorMove why) override;
    bool flush() { return out_.flush(); }

private:
    void put(const std::string& text8bit);
    // The next line of stdin, without its line end; nothing at the end of the input.
    std::optional<std::string> nextInputLine(bool& gotLineEnd);
    // Waits until stdin can be read; false when a stop signal came first.
    bool waitForInput() const;

    OutputChannel& out_;
    bool stdinTty_, stdoutTty_;
    std::atomic<int>& signalled_;
    std::string input_;          // read from stdin; what stands before inputPos_ was given
    std::size_t inputPos_ = 0;   // to the program already
    bool inputEnded_ = false;
    bool lineHasText_ = false;
    bool echoPending_ = false;  // the terminal already shows what was typed
    bool breakPending_ = false; // ... and the Enter that ended it
};

// The files of a run: at most `maxBytes` written to them in all (0: no bound), and a file
// that is the run's standard output or error under another name counts as output, to the
// output's bound.
class FileBudget : public FileWriteMeter {
public:
    FileBudget(OutputChannel& out, std::uint64_t maxBytes);
    bool isStandardOutput(int fd) override;
    bool admit(std::size_t bytes, bool standardOutput) override;
    bool limitReached() const { return limitReached_; }

private:
    OutputChannel& out_;
    std::uint64_t max_, written_ = 0;
    bool limitReached_ = false;
    // The files behind descriptors 1 and 2 when the run started (device, inode).
    struct Identity { unsigned long long device = 0, inode = 0; bool known = false; };
    Identity standard_[2];
};

class CollectingMessages : public MessageSink {
public:
    void showError(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

class FilePrinter : public PrinterDevice {
public:
    explicit FilePrinter(std::string path) : path_(std::move(path)) {}
    ~FilePrinter() override { close(); }
    bool open() override;
    bool write(const std::string& text) override;
    bool newLine() override { return write("\r\n"); }
    bool flush() override { return file_ && std::fflush(file_) == 0; }
    bool close() override;

private:
    std::string path_;
    std::FILE* file_ = nullptr;
    bool started_ = false; // later jobs of the same run are appended
};

// Stops the run at the next statement once a signal came (SIGXCPU included, when the run
// has a CPU time bound), an output failed (standard output, and the trace's stream when
// the run is traced), standard output reached its bound, or the run its statement budget.
class InterruptFlag : public PollHook {
public:
    InterruptFlag(std::atomic<int>& signalled, const OutputChannel& out, const OutputChannel* trace = nullptr)
        : signalled_(signalled), out_(out), trace_(trace) {}
    // The run ends once `interpreter` has run `maxStatements` statements. The count is
    // looked at in poll(), every few thousand statements, so that the statements
    // themselves pay nothing: a run may go a poll interval beyond the budget.
    void limitStatements(const Interpreter& interpreter, std::uint64_t maxStatements) {
        interpreter_ = &interpreter;
        maxStatements_ = maxStatements;
    }
    bool statementLimitReached() {
        if (interpreter_ && interpreter_->statementsRun() >= maxStatements_) budgetSpent_ = true;
        return budgetSpent_;
    }
    bool poll() override {
        statementLimitReached();
        return interruptPending();
    }
    bool interruptPending() override {
        return budgetSpent_ || signalled_.load() != 0 || out_.error() != 0 || out_.dropped() ||
               out_.limitReached() || (trace_ && trace_->error() != 0);
    }

private:
    std::atomic<int>& signalled_;
    const OutputChannel& out_;
    const OutputChannel* trace_;
    const Interpreter* interpreter_ = nullptr;
    std::uint64_t maxStatements_ = 0;
    bool budgetSpent_ = false;
};

} // namespace zef
