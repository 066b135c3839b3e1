#include "sourcefile.h"

#include "systemerror.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zef {

std::optional<std::string> readSourceBytes(const std::string& path, std::string& reason) {
    // O_NONBLOCK: opening a named pipe must not wait for a writer; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = frenchReason(errno);
        return std::nullopt;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        reason = frenchReason(errno);
        return std::nullopt;
    }
    if (S_ISDIR(info.st_mode)) {
        reason = frenchReason(EISDIR);
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        reason = "ce n'est pas un fichier ordinaire";
        return std::nullopt;
    }
    const std::string tooBig = "fichier trop gros (" + std::to_string(MaxSourceBytes >> 20) + " Mo au plus)";
    if (static_cast<std::uintmax_t>(info.st_size) > MaxSourceBytes) {
        reason = tooBig;
        return std::nullopt;
    }
    // The file may grow while it is read: the limit is checked on what was read.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    while (bytes.size() <= MaxSourceBytes) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            reason = frenchReason(errno);
            return std::nullopt;
        }
        if (n == 0) break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    if (bytes.size() > MaxSourceBytes) {
        reason = tooBig;
        return std::nullopt;
    }
    return bytes;
}

} // namespace zef
