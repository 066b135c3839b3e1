// The run's state: symbol table, typed stores, value and block stacks, and the small
// operations every statement uses on them.
#include "interpreter_p.h"

#include "decode.h"

#include "text.h"


namespace zef {

InterpreterPrivate::InterpreterPrivate(Platform platform) : platform_(platform) {
    if (!platform_.clock) platform_.clock = &systemClock_;
    // Entry 0 is never pushed: it stands below the stack, resuming at no line, so that the
    // driver's loop can ask the top entry without asking first whether there is one.
    blockStack_[0].ResumeLine = NoResumeLine;
    // A write that waits for a pipe's reader waits as long as the run may go on: the poll
    // hook keeps the IDE alive meanwhile, and an interrupt (Ctrl+F2, Escape, Ctrl+C) ends
    // the wait, the write failing with an input/output error.
    for (TextChannel& channel : files_) {
        channel.setKeepWaiting([this] {
            return !platform_.poll || !(platform_.poll->interruptPending() || platform_.poll->poll());
        });
        channel.setMeter(platform_.fileWrites);
    }
}

InterpreterPrivate::~InterpreterPrivate() = default;

void InterpreterPrivate::report(Message message, std::string_view argument8bit) {
    if (platform_.messages) platform_.messages->showError(messageFor(message, argument8bit));
    messageShown_ = true;
    runStatus_ = StatusStop;
}

void InterpreterPrivate::leave() {
    runStatus_ = StatusStop;
    throw StatementStopped{};
}

void InterpreterPrivate::fail(Message message, std::string_view argument8bit) {
    report(message, argument8bit);
    leave();
}

void InterpreterPrivate::stopWithout(StopReason reason, std::string_view argument8bit) {
    // The first reason is the cause.
    if (stopReason_.empty()) stopReason_ = stopReasonFor(reason, argument8bit);
    leave();
}

std::string InterpreterPrivate::lineText(const LineList& lines, std::int32_t index) {
    if (index < 0 || index >= lines.count()) return {};
    std::string text = lines.line(index);
    if (hasBreakpointMarker(text)) text.erase(0, 1);
    return text;
}

DateTime InterpreterPrivate::now() { return platform_.clock->now(); }

void InterpreterPrivate::InitPrg(const std::string& programName) {
    programName_ = programName;
    argumentCount_ = 0;
}

void InterpreterPrivate::ResetTables() {
    symbols_.clear();
    intCount_ = charCount_ = realCount_ = fileCount_ = 0;
    valueTop_ = blockTop_ = 0;
    beginDepth_ = 0;
    argumentTexts_[0] = programName_;
    stringStore_.clear();
    stringStore_.push_back(" "); // placeholder: the first string variable gets slot 1
    stringBytes_ = 1;
}

void InterpreterPrivate::ChercheEtiq(std::string& name, SymbolKind& kind, std::int32_t& index) {
    name = upperAscii(name);
    index = -1;
    runStatus_ = StatusStop;
    if (const SymbolEntry* entry = findSymbol(name)) {
        index = entry->Index;
        kind = entry->Kind;
        runStatus_ = StatusOk;
    }
}

int InterpreterPrivate::symbolPosition(const std::string& name) const {
    for (std::size_t i = 0; i < symbols_.size(); ++i)
        if (symbols_[i].Name == name) return static_cast<int>(i) + 1;
    return 0;
}

std::int32_t InterpreterPrivate::AllocateSlots(SymbolKind kind, std::int32_t n) {
    auto bump = [&](std::int32_t& used, std::int32_t limit) -> std::int32_t {
        if (n < 1 || used + static_cast<std::int64_t>(n) > limit) {
            report(Message::TooManyVariables);
            return 0;
        }
        const std::int32_t first = used + 1;
        used += n;
        return first;
    };
    switch (kind) {
    case SymbolKind::Char: {
        const auto first = bump(charCount_, MaxScalarSlots);
        if (first) charStore_[first] = 0;
        return first;
    }
    case SymbolKind::Integer: {
        const auto first = bump(intCount_, MaxScalarSlots);
        if (first) intStore_[first] = 0;
        return first;
    }
    case SymbolKind::Real: {
        const auto first = bump(realCount_, MaxScalarSlots);
        if (first) realStore_[first] = Real48();
        return first;
    }
    case SymbolKind::File: {
        const auto first = bump(fileCount_, MaxFiles);
        if (first) files_[first].bind("");
        return first;
    }
    case SymbolKind::String: {
        // The string store grows with the program, up to a bound that keeps a declaration
        // such as S[999999999] from exhausting the memory.
        if (n < 1 || stringStore_.size() + static_cast<std::size_t>(n) > MaxStringSlots + 1u) {
            report(Message::TooManyVariables);
            return 0;
        }
        const auto first = static_cast<std::int32_t>(stringStore_.size());
        stringStore_.insert(stringStore_.end(), static_cast<std::size_t>(n), " ");
        stringBytes_ += static_cast<std::size_t>(n);
        return first;
    }
    default: return 0;
    }
}

void InterpreterPrivate::PushValue(std::int32_t v) {
    if (valueTop_ >= MaxValueStack) fail(Message::StackFull);
    valueStack_[++valueTop_] = v;
}

std::string_view closingWord(Closing closing) {
    switch (closing) {
    case Closing::Next: return "NEXT";
    case Closing::Wend: return "WEND";
    case Closing::Until: return "UNTIL";
    case Closing::EndSub: return "ENDSUB";
    case Closing::None: break;
    }
    return {};
}

void InterpreterPrivate::splitArguments() {
    argumentCount_ = 0;
    if (runArguments_.empty()) return;
    // Every single space separates, so two adjacent spaces make an empty parameter. Words
    // beyond the tenth are ignored.
    std::string rest = runArguments_;
    std::size_t space;
    while ((space = rest.find(' ')) != std::string::npos) {
        if (argumentCount_ < MaxArguments) argumentTexts_[++argumentCount_] = rest.substr(0, space);
        rest = cut255(rest.substr(space + 1));
    }
    if (argumentCount_ < MaxArguments) argumentTexts_[++argumentCount_] = rest;
}

} // namespace zef
