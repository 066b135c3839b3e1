// The editor's editing rules that need no window: where the caret goes after a generated
// fragment is inserted, the indentation that Enter carries to the new line, and the line
// a chosen procedure heading stands on.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zef::editor {

enum class Insertion { For, While, Repeat, If, File, Printer };

// The caret's place inside a just-inserted fragment, as an offset into its text (line
// breaks are CR LF there, as in the memo's positions). It is always the empty line the
// learner fills in next: the one before the closing "end;" (FOR, WHILE, IF; with an ELSE,
// the then-block's), the one after "Repeat", the one before the "Close(" line; and the
// fragment's end for the printer lines.
std::size_t CaretInFragment(Insertion kind, std::string_view fragment);

// What Enter inserts after its line break, given the caret's line and column (0-based):
// the leading blanks and tabs of the reference line, at most 255. The reference line is
// the caret's own line, or the line above when the caret stands at one of its first two
// characters. Enter is left to the memo (nullopt) when the reference would be the first
// line of the text.
std::optional<std::string> EnterIndentation(int line, int column, const std::function<std::string(int)>& lineText);

// The first line, from the top, that contains `text` (exact case).
// The word of the language at a column of a line (letters, digits and "_"), the caret
// standing in it or just after it; empty when there is none.
std::string WordAt(std::string_view line, int column);
std::optional<int> FirstLineContaining(const std::vector<std::string>& lines, std::string_view text);

// The entry of a file dialog's filter list ("Name (*.a *.b);;Other (*)") that a suggested
// file name belongs to: the one that names its pattern exactly ("*.txt"), else the first
// whose patterns match it; empty when none does.
std::string filterMatching(std::string_view filters, std::string_view name);

} // namespace zef::editor
