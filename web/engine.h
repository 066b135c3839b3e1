// The interpreter as the web page's worker drives it (engine.cpp): the platform that
// collects what a run shows, and the session that runs the page's program in slices.
#pragma once

#include "colorpipeline.h"
#include "interpreter.h"
#include "variables.h"

#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zef::web {

// Just enough JSON writing for the events and the state handed to the page.
class Json {
public:
    void open(char bracket) {
        if (needsComma()) comma();
        out_ += bracket;
    }
    void close(char bracket) { out_ += bracket; }
    void field(std::string_view name);
    void field(std::string_view name, std::string_view utf8);
    void field(std::string_view name, const char* utf8) { field(name, std::string_view(utf8)); }
    void field(std::string_view name, long long number);
    void field(std::string_view name, int number) { field(name, static_cast<long long>(number)); }
    void field(std::string_view name, bool value);
    void text(std::string_view utf8);
    void raw(std::string_view text) { out_ += text; }
    bool needsComma() const {
        return !out_.empty() && out_.back() != '{' && out_.back() != '[' && out_.back() != ':';
    }
    void comma() { out_ += ','; }
    std::string take() { return std::exchange(out_, {}); }

private:
    std::string out_;
};

// The screen window of the page: what is drawn becomes events; the page draws them.
class PageScreen : public Screen {
public:
    void prepare(const std::string& caption) override;
    void drawText(int x, int y, const std::string& text) override;
    int textWidth(const std::string& text) override;
    void clearScreen() override;
    bool readyFor(UserStep step, const std::string& message) override;
    std::string readLine(int x, int y) override;
    void showMessage(const std::string& text) override;
    void cursorMoved(int x, int y, CursorMove why) override;

    void giveLine(const std::string& utf8);
    void closeBox();
    bool boxShowing() const { return boxShowing_; }
    void forgetUser();
    void printed(const std::string& text8bit);
    // The events since the last call, as a JSON array.
    std::string takeEvents() { return "[" + events_.take() + "]"; }

private:
    void event(std::string_view kind);
    Json events_;
    std::deque<std::string> typed_;
    bool boxShowing_ = false, boxClosed_ = false;
};

class PageMessages : public MessageSink {
public:
    void showError(const std::string& text) override;
    std::vector<std::string> errors; // 8-bit
};

// The printer: a job's text goes to the page at its end, for the browser's print dialog.
class PagePrinter : public PrinterDevice {
public:
    explicit PagePrinter(PageScreen& screen) : screen_(screen) {}
    bool open() override;
    bool write(const std::string& text) override;
    bool newLine() override;
    bool close() override;

private:
    PageScreen& screen_;
    std::string text_;
};

// Ends each slice of a run after a few tens of milliseconds; Stop interrupts at the next
// statement.
class SlicePoll : public PollHook {
public:
    bool poll() override;
    bool interruptPending() override { return interrupted; }
    bool pauseDue() override;
    void startSlice();
    bool interrupted = false;

private:
    std::chrono::steady_clock::time_point sliceEnd_;
};

class PageLines : public LineList {
public:
    int count() const override { return static_cast<int>(lines.size()); }
    std::string line(int index) const override { return lines.at(static_cast<std::size_t>(index)); }
    void deleteLine(int index) override {
        lines.erase(lines.begin() + index);
        changed();
    }
    std::uint64_t revision() const override { return revision_; }
    void changed() { revision_ = newLineListRevision(); }
    std::vector<std::string> lines;

private:
    std::uint64_t revision_ = newLineListRevision();
};

// One page's program, its run and its colours.
class Session {
public:
    Session();
    ~Session();
    // The editor's text (UTF-8, lines separated by LF) and its breakpoints ("3,7": lines
    // counted from 0). A stopped run continues on the text as it is now.
    void setProgram(std::string_view utf8, std::string_view breakpoints);
    void setArguments(std::string_view utf8);
    void setProgramName(std::string_view utf8);
    // A fresh run, or the continuation of the stopped, paused or waiting one; each returns
    // the driver's status (-1: the run was abandoned).
    int start(bool step);
    int resume(bool step);
    void giveLine(std::string_view utf8) { screen_.giveLine(std::string(utf8)); }
    void closeBox() { screen_.closeBox(); }
    void interrupt();
    void clearInterrupt();
    std::string events();
    // Where the run stands, its messages and the variables, as JSON.
    std::string state();
    // The colour runs of a text: "start,length,#rrggbb;" with lines counted as CR LF.
    std::string colours(std::string_view utf8);

private:
    PageScreen screen_;
    PageMessages messages_;
    PagePrinter printer_{screen_};
    SlicePoll poll_;
    Platform platform_;
    std::unique_ptr<Interpreter> interpreter_;
    PageLines lines_;
    std::string programName_;
    std::int32_t line_ = 0, stopLine_ = 0, status_ = 0;
    bool stepping_ = false;
    std::string abandoned_;
    debugging::VariablesSnapshot variables_;
    ColorMemoEngine colours_;
};

} // namespace zef::web
