// The screen console: CLRSCR, GOTOXY and SHOWMESSAGE, and WRITE, WRITELN, READ and READLN
// wherever they go (the screen window, a file, the printer). Output is drawn at the pixel
// cursor; a line is 18 pixels high.
#include "interpreter_p.h"

#include "text.h"

#include <algorithm>

namespace zef {

namespace {

// The cursor stops at the largest coordinate instead of wrapping round: a program that
// writes forever keeps writing out of sight.
int advanced(int position, std::int64_t by) {
    const std::int64_t next = std::int64_t{position} + by;
    return static_cast<int>(std::clamp<std::int64_t>(next, INT32_MIN, INT32_MAX));
}

} // namespace

void InterpreterPrivate::moveCursorLine() {
    cursorX_ = 0;
    cursorY_ = advanced(cursorY_, LineHeight);
    if (platform_.screen) platform_.screen->cursorMoved(cursorX_, cursorY_, CursorMove::LineBreak);
}

void InterpreterPrivate::writeArguments(const TransferReading& reading, Output& out, std::string& value) {
    const TransferText& transfer = reading.transfer;
    out = {};
    if (transfer.empty) return;
    out.to = Output::To::Screen;
    if (transfer.toDestination) {
        if (transfer.destination == "PRN") {
            out.to = Output::To::Printer;
        } else {
            const SymbolEntry* entry = findSymbol(transfer.destination);
            if (!entry) fail(Message::UnknownFile);
            out = {Output::To::Channel, channelOf(*entry)};
            if (!out.channel) fail(Message::FileVariableExpected);
        }
    }
    value = ScalarValue(reading.operand);
}

void InterpreterPrivate::printText(const std::string& value, bool newLine) {
    if (!printer_.open || !platform_.printer) abandonIo(IoFileNotOpen);
    const bool ok = platform_.printer->write(value) && (newLine ? platform_.printer->newLine() : platform_.printer->flush());
    if (!ok) abandonIo(IoWriteFault);
}

void InterpreterPrivate::drawValue(const std::string& value, bool newLine) {
    if (platform_.screen) {
        platform_.screen->drawText(cursorX_, cursorY_, value);
        cursorX_ = advanced(cursorX_, platform_.screen->textWidth(value));
    }
    if (newLine) moveCursorLine();
}

void InterpreterPrivate::readArguments(const TransferText& transfer, Input& from) {
    from = {};
    if (transfer.empty) return;
    const SymbolEntry* file = nullptr;
    if (transfer.toDestination && !(file = findSymbol(transfer.destination))) fail(Message::UnknownFile);
    const std::string& name = transfer.operand;
    const SymbolEntry* target = findSymbol(name);
    if (!target) fail(Message::UnknownReadTarget, name);
    from = {Input::Source::Screen, nullptr, target->Kind, target->Index};
    if (file) {
        from.source = Input::Source::Channel;
        from.channel = channelOf(*file);
        if (!from.channel) fail(Message::FileVariableExpected);
    }
}

void InterpreterPrivate::readFromScreen(SymbolKind kind, std::int32_t index, bool newLine) {
    std::string typed;
    if (platform_.screen) {
        // Nothing is stored or drawn: the statement runs again once the line is there.
        if (!platform_.screen->readyFor(UserStep::TypedLine, {})) return waitForUser();
        typed = platform_.screen->readLine(cursorX_, cursorY_);
        // The user may have stopped the program while it waited for the line: it stops at
        // the reading statement, which has stored and drawn nothing.
        if (platform_.poll && platform_.poll->poll()) fail(Message::Interrupted);
        platform_.screen->drawText(cursorX_, cursorY_, typed);
        if (newLine) moveCursorLine();
        else cursorX_ = advanced(cursorX_, platform_.screen->textWidth(typed));
    }
    StoreValue(typed, kind, index);
}

void InterpreterPrivate::waitForUser() { runStatus_ = StatusWaitingForUser; }

void InterpreterPrivate::ClrscrStatement() {
    if (platform_.screen) platform_.screen->clearScreen();
}

void InterpreterPrivate::gotoxyArguments(const GotoxyReading& g, std::int64_t& row, std::int64_t& column) {
    if (!g.hasComma) fail(Message::BadParameters);
    // Each argument is read like an element index, which gives its value minus one.
    row = Indice(g.row) + 1;
    column = Indice(g.column) + 1;
}

bool InterpreterPrivate::placeCursor(std::int64_t row, std::int64_t column) {
    if (row < 1 || column < 1 || row > 100000 || column > 100000) return false;
    cursorX_ = static_cast<int>((column - 1) * ColumnWidth);
    cursorY_ = static_cast<int>((row - 1) * LineHeight);
    if (platform_.screen) platform_.screen->cursorMoved(cursorX_, cursorY_, CursorMove::GotoXY);
    return true;
}

void InterpreterPrivate::ShowMessageStatement(const StringOperandText& operand) {
    const std::string text = StringValue(operand);
    if (!platform_.screen) return;
    if (!platform_.screen->readyFor(UserStep::MessageClosed, text)) return waitForUser();
    platform_.screen->showMessage(text);
}

} // namespace zef
