// How a graded run ended, as zefrun tells the grader that started it: one line on a
// descriptor of the grader's own (zefrun --status-fd), never on stdout or stderr, which the
// program can write as it likes. The descriptor is a socket, and a socket cannot be opened
// by a name (/dev/fd/3 fails), so no file statement of the program can reach it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zef {

struct EndRecord {
    int status = 0;      // zefrun's exit status
    int line = 0;        // the line the run ended at (0: none, before the run)
    std::string message; // UTF-8: the message the run is judged by, empty when none
};

// "STATUS<TAB>LINE<TAB>MESSAGE\n"; line ends and tabs in the message become blanks.
std::string formatEndRecord(const EndRecord& record);
// The record a grader read; nothing when the text is not one whole record.
std::optional<EndRecord> parseEndRecord(std::string_view text);

} // namespace zef
