// Text search over a memo's text with the options of the find and replace dialogs.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zef {

struct SearchOptions {
    bool Down = true;       // search forward from the end of the selection
    bool MatchCase = false; // else letters are compared in upper case, accented ones too
    bool WholeWord = false; // the match must be a whole word
};

// Every byte except the digits and the letters A to Z and a to z delimits words (so the
// underscore and every byte above 127 do).
bool IsWordDelimiter(char c);

// Upper case of a Windows-1252 byte, accented letters included (é -> É, œ -> Œ, ÿ -> Ÿ).
char UpperCp1252(char c);

// Searches `text` in `buffer`, forward from the end of the selection or backward from
// one search-text length before its start. Returns the offset of the match.
std::optional<std::size_t> SearchBuffer(std::string_view buffer, std::int64_t selStart,
                                        std::int64_t selLength, std::string_view text,
                                        const SearchOptions& options);

// The memo's search: looks for `text` in the memo's whole text (line breaks as CR LF)
// and, when found, selects the match. The selection is left alone otherwise.
bool SearchText(std::string_view wholeText, std::int64_t& selStart, std::int64_t& selLength,
                std::string_view text, const SearchOptions& options);

} // namespace zef
