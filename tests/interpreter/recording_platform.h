// A platform that records what the interpreter does, for tests: the screen's drawings,
// the messages, and scripted input.
#pragma once

#include "interpreter_p.h"
#include "text.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zef::testing {

class VectorLines : public LineList {
public:
    explicit VectorLines(std::vector<std::string> lines) : lines(std::move(lines)) {}
    int count() const override { return static_cast<int>(lines.size()); }
    std::string line(int index) const override { return lines.at(static_cast<std::size_t>(index)); }
    void deleteLine(int index) override { lines.erase(lines.begin() + index); }
    void deleteLines(int index, int count) override {
        lines.erase(lines.begin() + index, lines.begin() + index + count);
    }
    std::vector<std::string> lines;
};

struct Drawing {
    int x, y;
    std::string text;
};

class RecordingScreen : public Screen {
public:
    void prepare(const std::string& c) override { caption = c, ++prepared; }
    void drawText(int x, int y, const std::string& text) override { drawings.push_back({x, y, text}); }
    int textWidth(const std::string& text) override { return 7 * static_cast<int>(text.size()); }
    void clearScreen() override {
        ++clears;
        drawings.clear();
    }
    std::string readLine(int x, int y) override {
        inputPositions.push_back({x, y, ""});
        if (input.empty()) return {};
        std::string s = input.front();
        input.pop_front();
        return s;
    }
    void showMessage(const std::string& text) override { shown.push_back(text); }
    // A screen that cannot wait has a line ready only once one was queued, and shows a box
    // at the first ask and is ready for it at the second.
    bool readyFor(UserStep step, const std::string&) override {
        if (!cannotWait) return true;
        if (step == UserStep::TypedLine) return !input.empty();
        boxOpen = !boxOpen;
        return !boxOpen;
    }

    // The text of each screen row (18 pixels apart), drawings joined in x order.
    std::string text() const {
        std::map<int, std::map<int, std::string>> rows;
        for (const auto& d : drawings) rows[d.y][d.x] += d.text;
        std::string out;
        for (const auto& [y, row] : rows) {
            for (const auto& [x, t] : row) out += t;
            out += "\n";
        }
        return out;
    }

    std::string caption;
    int prepared = 0, clears = 0;
    std::vector<Drawing> drawings, inputPositions;
    std::deque<std::string> input;
    std::vector<std::string> shown;
    bool cannotWait = false, boxOpen = false;
};

class RecordingMessages : public MessageSink {
public:
    void showError(const std::string& text) override { messages.push_back(cp1252ToUtf8(text)); }
    std::vector<std::string> messages;
};

class FixedClock : public Clock {
public:
    DateTime now() override { return {2026, 12, 7, 9, 5, 3}; }
    std::uint32_t randomSeed() override { return 1234; }
};

class CountingPoll : public PollHook {
public:
    bool poll() override {
        if (onPoll) onPoll();
        return ++calls >= stopAfter;
    }
    bool pauseDue() override { return pauseAtEachPoll; }
    bool interruptPending() override { return stopAsked; }
    int calls = 0, stopAfter = 1 << 30;
    bool pauseAtEachPoll = false, stopAsked = false;
    std::function<void()> onPoll; // what the front end does while the run polls
};

// One interpreter with its recording platform, and the program it runs.
struct Harness {
    Harness() {
        platform.screen = &screen;
        platform.messages = &messages;
        platform.clock = &clock;
        platform.poll = &poll;
        platform.regional = RegionalSettings::forLocale("fr_FR");
        interpreter = std::make_unique<Interpreter>(platform);
        interpreter->InitPrg("TEST.PAS");
    }
    // Program lines are given as UTF-8 and run as 8-bit text.
    void load(const std::vector<std::string>& utf8Lines) {
        lines.lines.clear();
        for (const auto& l : utf8Lines) lines.lines.push_back(utf8ToCp1252(l));
    }
    // A fresh run (line 0) or a continuation; returns the status.
    std::int32_t exec(std::int32_t fromLine = 0, bool stepMode = false) {
        line = fromLine;
        std::int32_t step = stepMode ? 1 : 0;
        status = 0;
        interpreter->Exec(lines, line, step, status);
        return status;
    }
    std::int32_t run(const std::vector<std::string>& utf8Lines) {
        load(utf8Lines);
        return exec();
    }

    RecordingScreen screen;
    RecordingMessages messages;
    FixedClock clock;
    CountingPoll poll;
    Platform platform;
    std::unique_ptr<Interpreter> interpreter;
    // The interpreter's workings, for the tests of single operations.
    InterpreterPrivate& workings() { return InterpreterPrivate::get(*interpreter); }
    VectorLines lines{{}};
    std::int32_t line = 0, status = 0;
};

} // namespace zef::testing
