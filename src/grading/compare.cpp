#include "compare.h"

#include "text.h"

#include <algorithm>

namespace zef {

std::string comparableExpected(std::string_view bytes, bool exact) {
    if (exact) return std::string(bytes);
    if (startsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
    return isValidUtf8(bytes) ? std::string(bytes) : cp1252ToUtf8(bytes);
}

std::vector<std::string> comparedLines(std::string_view text, bool exact) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        if (!exact)
            while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
                line.remove_suffix(1);
        lines.emplace_back(line);
        start = end + 1;
    }
    // Exactly, a final line end leaves an empty last piece that is no line of its own;
    // otherwise every empty line at the end goes.
    if (exact) {
        if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
    } else {
        while (!lines.empty() && lines.back().empty()) lines.pop_back();
    }
    if (exact && text.empty()) lines.clear();
    return lines;
}

Difference compareOutputs(std::string_view expected, std::string_view obtained, bool exact) {
    Difference result;
    if (exact && expected == obtained) return result;
    const std::vector<std::string> want = comparedLines(expected, exact);
    const std::vector<std::string> got = comparedLines(obtained, exact);
    const std::size_t common = std::min(want.size(), got.size());
    std::size_t i = 0;
    while (i < common && want[i] == got[i]) ++i;
    if (i == common && want.size() == got.size()) {
        if (!exact) return result;
        // Same lines, different bytes: one of them lacks the final line end.
        i = want.empty() ? 0 : want.size() - 1;
        result.same = false;
        result.line = static_cast<int>(i) + 1;
        result.expected = want.empty() ? std::string() : want[i] + (endsWith(expected, "\n") ? "\n" : "");
        result.obtained = got.empty() ? std::string() : got[i] + (endsWith(obtained, "\n") ? "\n" : "");
        return result;
    }
    result.same = false;
    result.line = static_cast<int>(i) + 1;
    if (i < want.size()) result.expected = want[i];
    if (i < got.size()) result.obtained = got[i];
    return result;
}

} // namespace zef
