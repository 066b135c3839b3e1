// Reading a program's source file, for the editor and for zefrun: only a regular file, and
// only up to a size far beyond any learner's program, so that a device (/dev/zero), a pipe
// or a huge file never fills the memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zef {

constexpr std::size_t MaxSourceBytes = 8u << 20;

// The file's bytes, or nothing with a French reason (UTF-8) in reason. A UTF-16 file is
// refused too: the editor and the interpreter read UTF-8 or Windows-1252.
std::optional<std::string> readSourceBytes(const std::string& path, std::string& reason);
bool looksLikeUtf16(std::string_view bytes);

// The reading behind it, for any bound: only a regular file (a device or a pipe is refused
// without waiting), and at most maxBytes, also when the file grows while it is read.
// Without followLinks a symbolic link is refused too (System, ELOOP).
enum class ReadProblem { None, System, NotARegularFile, TooLarge };
struct FileBytes {
    std::optional<std::string> bytes;
    ReadProblem problem = ReadProblem::None;
    int systemError = 0; // errno, for ReadProblem::System (EISDIR for a directory)
};
FileBytes readRegularFile(const std::string& path, std::size_t maxBytes, bool followLinks = true);

} // namespace zef
