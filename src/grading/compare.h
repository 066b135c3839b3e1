// Comparing a program's output with the expected one. By default what a reader cannot see
// is not a difference: line ends (CR LF or LF), spaces and tabs at the end of a line, and
// empty lines at the end of the output. Exact comparison takes the bytes as they are.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zef {

struct Difference {
    bool same = true;
    int line = 0; // 1-based line of the first difference
    // That line in each output; none where the output has ended before it.
    std::optional<std::string> expected, obtained;
};

// An expected output as a teacher may have saved it, made comparable with zefrun's UTF-8
// output: a UTF-8 byte-order mark is dropped, and a file that is not UTF-8 is read as
// Windows-1252. Left as it is for an exact comparison.
std::string comparableExpected(std::string_view bytes, bool exact);

// The lines of an output as they are compared: split at LF; unless exact, each without
// its CR and trailing blanks, and without the empty lines at the end.
std::vector<std::string> comparedLines(std::string_view text, bool exact);

Difference compareOutputs(std::string_view expected, std::string_view obtained, bool exact);

} // namespace zef
