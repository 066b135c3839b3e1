// The interpreter's platform on a terminal or a pipe: the screen is stdout, the input line
// is stdin, error messages are collected for stderr, the printer is a file.
#pragma once

#include "interpreter.h"

#include <atomic>
#include <cstdio>
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
    void deleteLine(int index) override;
    int fileLineOf(int index) const { return index + deleted_ + 1; }

private:
    std::vector<std::string> lines_;
    int deleted_ = 0;
};

// Thrown out of an input that Ctrl+C interrupted.
struct InputInterrupted {};

class TerminalScreen : public Screen {
public:
    TerminalScreen(bool stdinIsTerminal, bool stdoutIsTerminal, std::atomic<bool>& interrupted)
        : stdinTty_(stdinIsTerminal), stdoutTty_(stdoutIsTerminal), interrupted_(interrupted) {}
    void prepare(const std::string&) override {}
    void drawText(int x, int y, const std::string& text) override;
    int textWidth(const std::string& text) override { return static_cast<int>(text.size()) * ColumnWidth; }
    void clearScreen() override;
    std::string readLine(int x, int y) override;
    void showMessage(const std::string& text) override;
    void cursorMoved(int x, int y, CursorMove why) override;
    void flush() { std::fflush(stdout); }

private:
    void put(const std::string& text8bit);

    bool stdinTty_, stdoutTty_;
    std::atomic<bool>& interrupted_;
    bool lineHasText_ = false;
    bool echoPending_ = false;  // the terminal already shows what was typed
    bool breakPending_ = false; // ... and the Enter that ended it
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

class InterruptFlag : public PollHook {
public:
    explicit InterruptFlag(std::atomic<bool>& flag) : flag_(flag) {}
    bool poll() override { return flag_.load(); }

private:
    std::atomic<bool>& flag_;
};

} // namespace zef
