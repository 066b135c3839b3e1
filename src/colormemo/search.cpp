#include "search.h"

#include <array>

namespace zef {
namespace {

constexpr std::array<char, 256> makeUpperTable() {
    std::array<char, 256> table{};
    for (int b = 0; b < 256; ++b) {
        int u = b;
        if (b >= 'a' && b <= 'z') u = b - 32;
        else if (b >= 0xE0 && b <= 0xFE && b != 0xF7) u = b - 32; // à..þ except ÷
        else if (b == 0x9A || b == 0x9C || b == 0x9E) u = b - 16; // š œ ž
        else if (b == 0xFF) u = 0x9F;                               // ÿ
        table[static_cast<std::size_t>(b)] = static_cast<char>(u);
    }
    return table;
}

constexpr std::array<char, 256> kUpper = makeUpperTable();

} // namespace

bool IsWordDelimiter(char c) {
    return !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
}

char UpperCp1252(char c) { return kUpper[static_cast<unsigned char>(c)]; }

std::optional<std::size_t> SearchBuffer(std::string_view buffer, std::int64_t selStart,
                                        std::int64_t selLength, std::string_view text,
                                        const SearchOptions& options) {
    const auto length = static_cast<std::int64_t>(buffer.size());
    const auto n = static_cast<std::int64_t>(text.size());
    if (n == 0 || length < n) return std::nullopt;
    const std::int64_t lastStart = length - n;
    const int direction = options.Down ? 1 : -1;
    std::int64_t pos = options.Down ? selStart + selLength : selStart - n;
    if (pos < 0 || pos > length) return std::nullopt;
    if (options.Down && pos > lastStart) return std::nullopt;
    // Backward, a match must lie wholly inside the text even when the selection
    // starts near its end.
    if (!options.Down && pos > lastStart) pos = lastStart;

    const auto at = [&](std::int64_t i) { return buffer[static_cast<std::size_t>(i)]; };
    const auto fold = [&](char c) { return options.MatchCase ? c : UpperCp1252(c); };
    const auto inRange = [&](std::int64_t i) { return i >= 0 && i <= lastStart; };
    const auto atWordStart = [&](std::int64_t i) {
        return !IsWordDelimiter(at(i)) && (i == 0 || IsWordDelimiter(at(i - 1)));
    };

    bool first = true;
    while (inRange(pos)) {
        if (options.WholeWord) {
            if (options.Down) {
                // Move on to the next word start: the rest of the current word cannot begin
                // a whole word. A word that starts right at the search position is a
                // candidate itself.
                if (!(first && atWordStart(pos))) {
                    while (pos <= lastStart && !IsWordDelimiter(at(pos))) ++pos;
                    while (pos <= lastStart && IsWordDelimiter(at(pos))) ++pos;
                }
            } else {
                // Back to the start of the word at or before the position; a word at the
                // very start of the text counts too.
                while (pos >= 0 && IsWordDelimiter(at(pos))) --pos;
                while (pos >= 0 && !IsWordDelimiter(at(pos))) --pos;
                ++pos;
            }
            if (!inRange(pos)) break;
        }
        first = false;
        std::int64_t i = 0;
        while (i < n && fold(at(pos + i)) == fold(text[static_cast<std::size_t>(i)])) ++i;
        if (i == n) {
            // The end of the text counts as a delimiter.
            const bool wordEnds = pos + n == length || IsWordDelimiter(at(pos + n));
            if (!options.WholeWord || wordEnds) return static_cast<std::size_t>(pos);
        }
        pos += direction;
    }
    return std::nullopt;
}

bool SearchText(std::string_view wholeText, std::int64_t& selStart, std::int64_t& selLength,
                std::string_view text, const SearchOptions& options) {
    if (text.empty() || wholeText.empty()) return false;
    const auto found = SearchBuffer(wholeText, selStart, selLength, text, options);
    if (!found) return false;
    selStart = static_cast<std::int64_t>(*found);
    selLength = static_cast<std::int64_t>(text.size());
    return true;
}

} // namespace zef
