#include "editing.h"

namespace zef::editor {

std::size_t CaretInFragment(Insertion kind, std::string_view fragment) {
    // The loops' fragments have CR LF "end;" after their empty line (a WHILE's closing
    // line follows it), and an IF with an ELSE holds the then-block's empty line 20
    // characters before the last one.
    constexpr std::size_t kClosingEnd = 6;
    constexpr std::size_t kElseBlock = 20;
    const std::size_t length = fragment.size();
    switch (kind) {
    case Insertion::For:
    case Insertion::While: {
        const std::size_t end = fragment.rfind("\r\nend;");
        return end == std::string_view::npos ? length : end;
    }
    case Insertion::If: {
        if (length < kClosingEnd) return length;
        std::size_t caret = length - kClosingEnd;
        // Only the ELSE line itself counts: an operand may well contain the letters.
        if (fragment.find("\r\nelse\r\n") != std::string_view::npos && caret >= kElseBlock) caret -= kElseBlock;
        return caret;
    }
    case Insertion::Repeat:
        return std::min<std::size_t>(length, 8); // after "Repeat" and its line break
    case Insertion::File: {
        // The end of the empty line before the last line, "Close(...)"; a file variable
        // named like the keyword does not mislead the search.
        const std::size_t close = fragment.rfind("\r\nClose(");
        return close == std::string_view::npos ? length : close;
    }
    case Insertion::Printer:
        return length;
    }
    return length;
}

std::optional<std::string> EnterIndentation(int line, int column, const std::function<std::string(int)>& lineText) {
    // The caret at a line's first or second character takes the line above as reference:
    // the rule counts the line break before the caret as part of the line it ends.
    const int reference = column <= 1 ? line - 1 : line;
    if (reference < 1) return std::nullopt;
    const std::string text = lineText(reference);
    std::size_t n = 0;
    while (n < text.size() && n < 255 && (text[n] == ' ' || text[n] == '\t')) ++n;
    return text.substr(0, n);
}

std::optional<int> FirstLineContaining(const std::vector<std::string>& lines, std::string_view text) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].find(text) != std::string::npos) return static_cast<int>(i);
    return std::nullopt;
}

} // namespace zef::editor
