#include "editing.h"

#include <algorithm>
#include <cctype>

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

namespace {

// A file-name pattern with "*" (any run of characters) and "?" (one character).
bool globMatches(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) return name.empty();
    if (pattern.front() == '*') {
        for (std::size_t skip = 0; skip <= name.size(); ++skip)
            if (globMatches(pattern.substr(1), name.substr(skip))) return true;
        return false;
    }
    if (name.empty() || (pattern.front() != '?' && pattern.front() != name.front())) return false;
    return globMatches(pattern.substr(1), name.substr(1));
}

// The blank-separated patterns between the last pair of parentheses of a filter entry.
std::vector<std::string_view> patternsOf(std::string_view entry) {
    std::vector<std::string_view> patterns;
    const std::size_t open = entry.rfind('(');
    const std::size_t close = entry.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) return patterns;
    std::string_view inside = entry.substr(open + 1, close - open - 1);
    while (!inside.empty()) {
        const std::size_t blank = inside.find(' ');
        if (blank != 0) patterns.push_back(inside.substr(0, blank));
        if (blank == std::string_view::npos) break;
        inside.remove_prefix(blank + 1);
    }
    return patterns;
}

} // namespace

std::string filterMatching(std::string_view filters, std::string_view name) {
    std::vector<std::string_view> entries;
    for (std::size_t from = 0;;) {
        const std::size_t next = filters.find(";;", from);
        entries.push_back(filters.substr(from, next == std::string_view::npos ? std::string_view::npos : next - from));
        if (next == std::string_view::npos) break;
        from = next + 2;
    }
    for (const auto entry : entries)
        for (const auto pattern : patternsOf(entry))
            if (pattern == name) return std::string(entry);
    for (const auto entry : entries)
        for (const auto pattern : patternsOf(entry))
            if (globMatches(pattern, name)) return std::string(entry);
    return {};
}

std::string WordAt(std::string_view line, int column) {
    auto inWord = [&](int i) {
        if (i < 0 || i >= static_cast<int>(line.size())) return false;
        const unsigned char c = static_cast<unsigned char>(line[static_cast<std::size_t>(i)]);
        return std::isalnum(c) || c == '_';
    };
    int start = std::clamp(column, 0, static_cast<int>(line.size()));
    if (!inWord(start)) --start; // just after the word
    if (!inWord(start)) return {};
    int end = start;
    while (inWord(start - 1)) --start;
    while (inWord(end + 1)) ++end;
    return std::string(line.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start + 1)));
}

} // namespace zef::editor
