// The pre-pass of a fresh run: checks the heading and the line endings of the heading
// section, enters every label, procedure and variable of the whole program in the symbol
// table, and finds the main BEGIN line. It reports every fault of a line before it stops
// there, so its faults are reported (report) and the pass looks at the run status after
// each line.
#include "interpreter_p.h"

#include "text.h"

#include <algorithm>

namespace zef {
namespace {


} // namespace

void InterpreterPrivate::DeclarePass(LineList& lines, std::int32_t& errorLine) {
    runStatus_ = StatusOk;
    ResetTables();
    errorLine = 0;
    // Leading blank lines are removed from the program's text itself.
    std::int32_t blank = 0;
    while (blank < lines.count() && trim(tabsToSpaces(lineText(lines, blank))).empty()) ++blank;
    if (blank > 0) lines.deleteLines(0, blank);
    if (lines.count() == 0 || !isProgramHeading(preparedLine(lineText(lines, 0)))) {
        report(Message::MissingProgram);
        errorLine = 0;
        return;
    }
    // Lines must end with ";" until the first line that opens the program's body (in
    // practice the heading, the VAR lines and the PROCEDURE headings).
    bool checkEndings = true;
    for (std::int32_t i = 0; i < lines.count(); ++i) {
        if (interruptPending()) {
            report(Message::Interrupted);
            errorLine = i;
            return;
        }
        std::string text = preparedLine(lineText(lines, i));
        if (text.empty() || isComment(text) || opensBlock(text) || endsProgram(text) ||
            endsWith(text, "THEN") || endsWith(text, "DO") || startsWith(text, "REPEAT"))
            checkEndings = false;
        if (checkEndings && !text.empty() && text.back() != ';') {
            if (!isElseLine(preparedLine(lineText(lines, i + 1)))) report(Message::MissingSemicolon);
        }
        text = dropTrailing(text, ';');
        // An end-of-line comment is cut off; what is left is not trimmed again, so a label
        // followed by a comment ends with a blank and is no label.
        if (const auto brace = text.find('{'); brace != std::string::npos) text.erase(brace);
        if (isLabelLine(text)) RegisterLabel(text, SymbolKind::Label, i);
        if (isProcedureHeading(text)) RegisterLabel(trim(text.substr(std::min<std::size_t>(9, text.size()))), SymbolKind::Procedure, i);
        if (isDeclaration(text)) DeclareVariables(trim(text.substr(3)));
        if (runStatus_ > 0) {
            errorLine = i;
            return;
        }
    }
}

void InterpreterPrivate::RegisterLabel(const std::string& name, SymbolKind kind, std::int32_t line) {
    if (name.size() > 20) return report(Message::NameTooLong);
    if (name.empty() || name[0] < 'A' || name[0] > 'Z')
        return report(Message::InvalidNameCharacter);
    if (symbolPosition(name) > 0) return report(Message::DuplicateLabel);
    if (symbols_.size() >= MaxSymbols) return report(Message::SymbolTableFull);
    symbols_.push_back({name, kind, line, 1});
}

std::string InterpreterPrivate::RewriteArray(const std::string& text) {
    std::string t = text;
    const auto arrayPos = upperAscii(t).find("ARRAY");
    if (arrayPos == std::string::npos) return t;
    t.erase(arrayPos, 5);
    if (const auto colon = t.find(':'); colon != std::string::npos) t.erase(colon, 1);
    // Without OF the colon is put back at the end, where a missing type word leaves the
    // declaration with an unknown type.
    const auto of = upperAscii(t).find("OF");
    if (of != std::string::npos) {
        t = t.substr(0, of) + ":" + t.substr(of + 2);
    } else {
        t += ":";
    }
    std::string noSpaces;
    for (char c : t)
        if (c != ' ') noSpaces += c;
    return noSpaces;
}

void InterpreterPrivate::DeclareVariables(const std::string& text) {
    const std::string t = RewriteArray(text);
    const auto colon = t.find(':');
    if (colon == std::string::npos) return report(Message::DeclarationWithoutColon);
    const std::string type = trim(t.substr(colon + 1, 20));
    const std::string names = trim(t.substr(0, colon));
    SymbolKind kind = SymbolKind::None;
    if (startsWith(type, "STRING")) kind = SymbolKind::String;
    else if (startsWith(type, "REAL")) kind = SymbolKind::Real;
    else if (startsWith(type, "INTEGER")) kind = SymbolKind::Integer;
    else if (startsWith(type, "CHAR")) kind = SymbolKind::Char;
    else if (type == "TEXTFILE") kind = SymbolKind::File;
    std::size_t start = 0;
    while (true) {
        const auto comma = names.find(',', start);
        // Every name of the list is declared, even after one of them failed; the pass then
        // stops at this line.
        DeclareName(trim(names.substr(start, comma == std::string::npos ? std::string::npos
                                                                         : comma - start)),
                    kind);
        if (comma == std::string::npos) return;
        // A full table refuses every later name too: one message is enough.
        if (runStatus_ > 0 && symbols_.size() >= MaxSymbols) return;
        start = comma + 1;
    }
}

void InterpreterPrivate::DeclareName(const std::string& rawName, SymbolKind kind) {
    if (rawName.size() > 20) return report(Message::NameTooLong);
    if (!rawName.empty() && (rawName[0] < 'A' || rawName[0] > 'Z'))
        return report(Message::InvalidNameCharacter);
    std::string name = trim(rawName);
    if (name.empty()) return;
    std::int32_t count = 1;
    if (const auto open = name.find('['); open != std::string::npos) {
        // The count stands between "[" and the following "]"; without "]" there is none.
        const auto close = name.find(']', open);
        const std::string number =
            close == std::string::npos ? std::string() : name.substr(open + 1, close - open - 1);
        std::int64_t value = 0;
        bool digits = !number.empty();
        for (char c : number) {
            digits = digits && c >= '0' && c <= '9';
            if (digits) value = std::min<std::int64_t>(value * 10 + (c - '0'), std::int64_t{1} << 40);
        }
        // A count beyond the integers, or below 1, is no declaration either.
        if (!digits || value < 1 || value > INT32_MAX) return report(Message::SyntaxError);
        count = static_cast<std::int32_t>(value);
        name.erase(open + 1);
    }
    if (symbolPosition(name) > 0) return report(Message::DuplicateVariable);
    if (symbols_.size() >= MaxSymbols) return report(Message::SymbolTableFull);
    std::int32_t first = 0;
    if (kind != SymbolKind::None) {
        first = AllocateSlots(kind, count);
        if (first == 0) return; // "Trop de variables": nothing is entered
    }
    symbols_.push_back({name, kind, first, count});
}

void InterpreterPrivate::FindMainBegin(const LineList& lines, std::int32_t& beginLine) {
    beginLine = 0;
    int counter = 0;
    bool endSeen = false;
    for (std::int32_t i = lines.count() - 1; i >= 0; --i) {
        const std::string text = preparedLine(lineText(lines, i));
        if (endsProgram(text)) {
            ++counter;
            endSeen = true;
        } else if (endsInnerBlock(text) && counter > 0) {
            ++counter;
        } else if (opensBlock(text)) {
            --counter;
        }
        if (counter == 0) {
            beginLine = i;
            break;
        }
    }
    if (counter > 0) report(Message::MissingBegin);
    if (!endSeen) report(Message::MissingFinalEnd);
}

} // namespace zef
