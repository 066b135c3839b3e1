// The interpreter as the web page's worker drives it: a program is run in slices that end
// when the page must see its messages or the user must act, and everything the program
// did meanwhile is handed over as a list of events. Texts cross in UTF-8; the interpreter
// works in Windows-1252 as everywhere else.
#include "engine.h"

#include "editorrules.h"
#include "colorpipeline.h"
#include "messages.h"
#include "runcontrol.h"
#include "text.h"
#include "variables.h"

#include <chrono>
#include <new>

namespace zef::web {

namespace {

// How long one slice of a run may last before the page gets its turn.
constexpr auto kSliceLength = std::chrono::milliseconds(40);

std::string colourName(TColor colour) {
    // TColor is blue-green-red; the page wants #rrggbb.
    static const char* digits = "0123456789abcdef";
    const unsigned red = colour & 0xFF, green = (colour >> 8) & 0xFF, blue = (colour >> 16) & 0xFF;
    std::string out = "#";
    for (unsigned part : {red, green, blue}) {
        out += digits[part >> 4];
        out += digits[part & 15];
    }
    return out;
}

// The page's text (UTF-8, lines separated by LF) as the interpreter's 8-bit lines.
std::vector<std::string> linesOf(std::string_view utf8) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from <= utf8.size()) {
        std::size_t end = utf8.find('\n', from);
        if (end == std::string_view::npos) end = utf8.size();
        std::string_view line = utf8.substr(from, end - from);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(utf8ToCp1252(line));
        from = end + 1;
    }
    return lines;
}

} // namespace

void Json::text(std::string_view utf8) {
    out_ += '"';
    for (const unsigned char c : utf8) {
        switch (c) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        default:
            if (c < 0x20) {
                static const char* digits = "0123456789abcdef";
                out_ += "\\u00";
                out_ += digits[c >> 4];
                out_ += digits[c & 15];
            } else {
                out_ += static_cast<char>(c);
            }
        }
    }
    out_ += '"';
}

void Json::field(std::string_view name) {
    if (needsComma()) comma();
    text(name);
    out_ += ':';
}

void Json::field(std::string_view name, std::string_view utf8) {
    field(name);
    text(utf8);
}

void Json::field(std::string_view name, long long number) {
    field(name);
    out_ += std::to_string(number);
}

void Json::field(std::string_view name, bool value) {
    field(name);
    out_ += value ? "true" : "false";
}

// ---- The platform ---------------------------------------------------------------------

void PageScreen::event(std::string_view kind) {
    events_.open('{');
    events_.field("t", kind);
}

// The page titles its screen itself, with the program's name and the run's state.
void PageScreen::prepare(const std::string&) {}

void PageScreen::drawText(int x, int y, const std::string& text) {
    event("draw");
    events_.field("x", x);
    events_.field("y", y);
    events_.field("s", cp1252ToUtf8(text));
    events_.close('}');
}

int PageScreen::textWidth(const std::string& text) {
    // The page draws one character every column of GOTOXY.
    return static_cast<int>(text.size()) * ColumnWidth;
}

void PageScreen::clearScreen() {
    event("clear");
    events_.close('}');
}

bool PageScreen::readyFor(UserStep step, const std::string& message) {
    if (step == UserStep::TypedLine) return !typed_.empty();
    // The box is shown when first asked; the statement runs again once it was closed.
    if (boxClosed_) return true;
    if (!boxShowing_) {
        event("box");
        events_.field("s", cp1252ToUtf8(message));
        events_.close('}');
    }
    boxShowing_ = true;
    return false;
}

std::string PageScreen::readLine(int, int) {
    std::string line = std::move(typed_.front());
    typed_.pop_front();
    return line;
}

void PageScreen::showMessage(const std::string&) {
    // The page showed it while the run waited.
    boxClosed_ = false;
}

void PageScreen::cursorMoved(int x, int y, CursorMove) {
    event("cursor");
    events_.field("x", x);
    events_.field("y", y);
    events_.close('}');
}

void PageScreen::giveLine(const std::string& utf8) { typed_.push_back(utf8ToCp1252(utf8)); }

void PageScreen::closeBox() {
    boxShowing_ = false;
    boxClosed_ = true;
}

void PageScreen::forgetUser() {
    typed_.clear();
    boxShowing_ = boxClosed_ = false;
}

void PageMessages::showError(const std::string& text) { errors.push_back(text); }

bool PagePrinter::open() {
    text_.clear();
    return true;
}
bool PagePrinter::write(const std::string& text) {
    text_ += text;
    return true;
}
bool PagePrinter::newLine() {
    text_ += "\r\n";
    return true;
}
bool PagePrinter::close() {
    screen_.printed(text_);
    text_.clear();
    return true;
}

void PageScreen::printed(const std::string& text) {
    event("print");
    events_.field("s", cp1252ToUtf8(text));
    events_.close('}');
}

bool SlicePoll::poll() { return false; } // Stop is seen between slices, through interrupted

bool SlicePoll::pauseDue() { return std::chrono::steady_clock::now() >= sliceEnd_; }

void SlicePoll::startSlice() { sliceEnd_ = std::chrono::steady_clock::now() + kSliceLength; }

// ---- The session ----------------------------------------------------------------------

Session::Session() {
    platform_.screen = &screen_;
    platform_.messages = &messages_;
    platform_.printer = &printer_;
    platform_.poll = &poll_;
    platform_.regional = RegionalSettings::french();
    interpreter_ = std::make_unique<Interpreter>(platform_);
    SetEditorColorRules(colours_.ColorRules());
}

Session::~Session() = default;

void Session::setProgram(std::string_view utf8, std::string_view breakpoints) {
    std::vector<std::string> lines = linesOf(utf8);
    // Breakpoints are line numbers from 0, separated by commas.
    std::size_t at = 0;
    while (at < breakpoints.size()) {
        std::size_t comma = breakpoints.find(',', at);
        if (comma == std::string_view::npos) comma = breakpoints.size();
        int number = -1;
        for (std::size_t i = at; i < comma; ++i) {
            const char c = breakpoints[i];
            if (c < '0' || c > '9') {
                number = -1;
                break;
            }
            number = (number < 0 ? 0 : number * 10) + (c - '0');
            if (number > 1'000'000) break;
        }
        if (number >= 0 && static_cast<std::size_t>(number) < lines.size() &&
            !hasBreakpointMarker(lines[static_cast<std::size_t>(number)]))
            lines[static_cast<std::size_t>(number)].insert(0, 1, BreakpointMarker);
        at = comma + 1;
    }
    // The interpreter decodes again only what changed, as when a stopped run is continued
    // in the IDE after an edit.
    if (lines != lines_.lines) {
        lines_.lines = std::move(lines);
        lines_.changed();
    }
}

void Session::setArguments(std::string_view utf8) {
    interpreter_->setRunArguments(utf8ToCp1252(utf8));
    interpreter_->splitArguments();
}

void Session::setProgramName(std::string_view utf8) { programName_ = utf8ToCp1252(utf8); }

int Session::start(bool step) {
    interpreter_->InitPrg(programName_.empty() ? std::string("PROGRAMME.PAS") : programName_);
    screen_.forgetUser();
    variables_.startOver();
    line_ = 0;
    return resume(step);
}

int Session::resume(bool step) {
    messages_.errors.clear();
    abandoned_.clear();
    std::int32_t stepMode = step ? 1 : 0, status = 0;
    poll_.startSlice();
    try {
        interpreter_->Exec(lines_, line_, stepMode, status);
    } catch (const RunAbandoned& e) {
        abandoned_ = e.what();
        status = -1;
    } catch (const std::bad_alloc&) {
        abandoned_ = messageFor(Message::OutOfMemory);
        status = -1;
    }
    stopLine_ = line_;
    if (status == -1) {
        // Nothing runs on: the next run is a fresh one.
        stopLine_ = interpreter_->currentLine();
        line_ = 0;
    }
    status_ = status;
    stepping_ = step;
    // A run that is over closes what it left open: its files reach the browser's storage,
    // which the worker saves now, and its printer job goes to the print dialog. (The
    // desktop closes them at the next run: nothing else reads them meanwhile.)
    if (status == 0 || status < 0 || interpreter_->stoppedOnError()) {
        if (const int error = interpreter_->CloseAll(); error != IoOk && abandoned_.empty())
            abandoned_ = messageFor(Message::IoError, std::to_string(error));
    }
    if (status != StatusPaused && status != StatusWaitingForUser) variables_.refresh(*interpreter_);
    return status;
}

void Session::interrupt() { poll_.interrupted = true; }

void Session::clearInterrupt() { poll_.interrupted = false; }

std::string Session::events() { return screen_.takeEvents(); }

std::string Session::state() {
    Json json;
    json.open('{');
    json.field("status", static_cast<long long>(status_));
    json.field("line", static_cast<long long>(stopLine_));
    const bool onError = status_ < 0 || interpreter_->stoppedOnError();
    json.field("onError", onError);
    json.field("waiting", status_ == StatusWaitingForUser);
    json.field("box", screen_.boxShowing());
    json.field("x", static_cast<long long>(interpreter_->cursorX()));
    json.field("y", static_cast<long long>(interpreter_->cursorY()));

    // The messages of the run, then why it stopped when nothing said so, as the IDE's box
    // shows them: each with the help entry it leads to.
    std::vector<std::string> errors = messages_.errors;
    if (!abandoned_.empty()) errors.push_back(abandoned_);
    std::string why = errors.empty() ? std::string() : errors.front();
    const std::string& reason = interpreter_->stopReason();
    if (errors.empty() && !reason.empty()) {
        why = reason;
        errors.push_back(stoppedBecause(reason));
    }
    json.field("errors");
    json.open('[');
    for (std::size_t i = 0; i < errors.size(); ++i) {
        const std::string& text = errors[i];
        json.open('{');
        json.field("message", cp1252ToUtf8(text));
        std::string help = "messages.html";
        if (const auto known = messageOf(text)) help += "#" + std::string(messageName(*known));
        else if (const auto because = stopReasonOf(text)) help += "#" + std::string(stopReasonName(*because));
        json.field("help", help);
        if (i + 1 == errors.size() && abandoned_.empty())
            json.field("detail", cp1252ToUtf8(interpreter_->messageDetail()));
        json.close('}');
    }
    json.close(']');

    editor::RunStop stop;
    stop.status = status_;
    stop.onError = onError;
    stop.stepping = stepping_;
    stop.line = stopLine_ + 1;
    stop.why = cp1252ToUtf8(why);
    std::string words;
    if (status_ == StatusPaused) words = "Exécution...";
    else if (status_ == StatusWaitingForUser) words = screen_.boxShowing() ? "Message affiché" : "En attente d'une saisie";
    else words = editor::runStateText(stop);
    json.field("words", words);

    json.field("variables");
    json.open('[');
    for (const auto& row : variables_.rows()) {
        json.open('{');
        json.field("name", cp1252ToUtf8(row.name));
        json.field("type", row.type);
        json.field("array", row.array);
        json.field("values");
        json.open('[');
        for (const auto& value : row.values) {
            if (json.needsComma()) json.comma();
            json.text(cp1252ToUtf8(value));
        }
        json.close(']');
        json.field("changed");
        json.open('[');
        for (const bool changed : row.changed) {
            if (json.needsComma()) json.comma();
            json.raw(changed ? "true" : "false");
        }
        json.close(']');
        json.close('}');
    }
    json.close(']');
    json.close('}');
    return json.take();
}

std::string Session::colours(std::string_view utf8) {
    const LineVector source(linesOf(utf8));
    PaintState state;
    const auto& segments =
        colours_.Paint(source, 0, source.LineCount(), [](int) { return true; }, state);
    // Segments in the font's own colour are left to the editor.
    std::string out;
    for (const TKeyDescr& s : segments) {
        if ((s.colour & kSystemColorFlag) != 0 || s.start == kNoPosition) continue;
        out += std::to_string(s.start) + ',' + std::to_string(s.end - s.start + 1) + ',' + colourName(s.colour) + ';';
    }
    return out;
}

} // namespace zef::web
