#include "sourcefile.h"

#include "systemerror.h"

#include <cerrno>
#include <algorithm>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zef {

FileBytes readRegularFile(const std::string& path, std::size_t maxBytes, bool followLinks) {
    FileBytes out;
    auto fail = [&](ReadProblem problem, int error = 0) {
        out.problem = problem;
        out.systemError = error;
        return out;
    };
    // O_NONBLOCK: opening a named pipe must not wait for a writer; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0) return fail(ReadProblem::System, errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) return fail(ReadProblem::System, errno);
    if (S_ISDIR(info.st_mode)) return fail(ReadProblem::System, EISDIR);
    if (!S_ISREG(info.st_mode)) return fail(ReadProblem::NotARegularFile);
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) return fail(ReadProblem::TooLarge);
    // The file may grow while it is read: the limit is checked on what was read.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    while (bytes.size() <= maxBytes) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(ReadProblem::System, errno);
        if (n == 0) break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    if (bytes.size() > maxBytes) return fail(ReadProblem::TooLarge);
    out.bytes = std::move(bytes);
    return out;
}

bool looksLikeUtf16(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return true;
    // Without a byte-order mark: a program's text has no NUL byte, while in UTF-16 every
    // other byte of its (mostly ASCII) first line is one.
    const std::size_t n = std::min<std::size_t>(bytes.size(), 64) & ~std::size_t{1};
    if (n < 4) return false;
    bool evenNul = true, oddNul = true;
    for (std::size_t i = 0; i < n; i += 2) {
        evenNul = evenNul && bytes[i] == '\0' && bytes[i + 1] != '\0';
        oddNul = oddNul && bytes[i + 1] == '\0' && bytes[i] != '\0';
    }
    return evenNul || oddNul;
}

std::optional<std::string> readSourceBytes(const std::string& path, std::string& reason) {
    FileBytes read = readRegularFile(path, MaxSourceBytes);
    switch (read.problem) {
    case ReadProblem::None:
        // Read as 8-bit text, a UTF-16 file would only give a confusing error at its first
        // line: it is refused with what to do instead.
        if (looksLikeUtf16(*read.bytes)) {
            reason = "fichier en UTF-16 : enregistrez-le en UTF-8";
            break;
        }
        return std::move(read.bytes);
    case ReadProblem::System: reason = frenchReason(read.systemError); break;
    case ReadProblem::NotARegularFile: reason = "ce n'est pas un fichier ordinaire"; break;
    case ReadProblem::TooLarge:
        reason = "fichier trop gros (" + std::to_string(MaxSourceBytes >> 20) + " Mo au plus)";
        break;
    }
    return std::nullopt;
}

} // namespace zef
