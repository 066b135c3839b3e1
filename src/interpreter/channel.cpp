#include "channel.h"

#include "platform.h"
#include "sourcefile.h"
#include "text.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace zef {
namespace fs = std::filesystem;

namespace {

std::string foldCase(const std::string& utf8) {
    // Names come from a case-insensitive world; ASCII folding covers what ASSIGN does to
    // them (it upper-cases a..z only).
    return lowerAscii(utf8);
}

int errnoToIo(int e) {
    switch (e) {
    case ENOENT: return IoFileNotFound;
    case ENOTDIR: return IoPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return IoAccessDenied;
    default: return IoWriteFault;
    }
}

// A NUL byte would end the name early for the system, which would then open another file.
bool validName(const std::string& name) { return !name.empty() && name.find('\0') == std::string::npos; }

} // namespace

fs::path resolveProgramPath(const std::string& name8bit) {
    std::string name = cp1252ToUtf8(name8bit);
    for (char& c : name)
        if (c == '\\') c = '/';
    const fs::path given(name);
    fs::path result = given.is_absolute() ? given.root_path() : fs::path();
    bool searching = true; // once a component is missing, the rest cannot exist either
    for (const auto& part : given.relative_path()) {
        const std::string piece = part.string();
        if (piece.empty()) continue;
        fs::path candidate = result / part;
        std::error_code ec;
        if (searching && !fs::exists(candidate, ec)) {
            searching = false;
            const fs::path dir = result.empty() ? fs::path(".") : result;
            for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
                if (foldCase(it->path().filename().string()) == foldCase(piece)) {
                    candidate = result / it->path().filename();
                    searching = true;
                    break;
                }
            }
        }
        result = candidate;
    }
    return result.empty() ? given : result;
}

TextChannel::~TextChannel() {
    if (fd_ < 0) return;
    // Whatever is still pending goes to a file on disk; a pipe gets what it takes at once,
    // as the run (and the poll hook with it) is over.
    keepWaiting_ = nullptr;
    drain();
    ::close(fd_);
}

int TextChannel::openRead() {
    // Lines still pending from the last opening that cannot be written are not lost in
    // silence: the new opening fails instead.
    if (mode_ != Mode::Closed)
        if (const int error = close(); error != IoOk) return error;
    if (!validName(name_)) return IoFileNotFound;
    // Only a regular file is read: a directory, a device such as /dev/zero or a pipe would
    // never end or never answer.
    FileBytes read = readRegularFile(resolveProgramPath(name_).string(), MaxReadFileBytes);
    switch (read.problem) {
    case ReadProblem::None: break;
    case ReadProblem::System: return errnoToIo(read.systemError);
    case ReadProblem::NotARegularFile: return IoAccessDenied;
    case ReadProblem::TooLarge: return IoNotEnoughMemory;
    }
    content_ = decodeFileText(*read.bytes);
    pos_ = 0;
    mode_ = Mode::Reading;
    return IoOk;
}

int TextChannel::openWrite() {
    if (mode_ != Mode::Closed)
        if (const int error = close(); error != IoOk) return error; // as in openRead
    if (!validName(name_)) return IoFileNotFound;
    const fs::path path = resolveProgramPath(name_);
    // O_NONBLOCK: a named pipe without a reader fails at once (ENXIO) instead of holding the
    // run, and the IDE with it, until a reader comes.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd_ < 0) return errnoToIo(errno);
    struct stat info {};
    regularFile_ = ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
    meteredAsOutput_ = meter_ && meter_->isStandardOutput(fd_);
    pending_.clear();
    mode_ = Mode::Writing;
    return IoOk;
}

bool TextChannel::drain() {
    if (meter_ && !pending_.empty() && !meter_->admit(pending_.size(), meteredAsOutput_)) {
        pending_.clear();
        return false;
    }
    std::size_t done = 0;
    bool ok = true;
    while (done < pending_.size()) {
        ssize_t n;
        if (regularFile_) {
            n = ::write(fd_, pending_.data() + done, pending_.size() - done);
        } else {
            // A pipe whose reader went away raises SIGPIPE, which would end the IDE: it is
            // held back during the write and taken away, and the write fails with EPIPE.
            sigset_t pipeSignal, previous;
            sigemptyset(&pipeSignal);
            sigaddset(&pipeSignal, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
            n = ::write(fd_, pending_.data() + done, pending_.size() - done);
            if (n < 0 && errno == EPIPE) {
                const timespec none{0, 0};
                while (sigtimedwait(&pipeSignal, nullptr, &none) < 0 && errno == EINTR) {}
                errno = EPIPE;
            }
            const int writeError = errno;
            pthread_sigmask(SIG_SETMASK, &previous, nullptr);
            errno = writeError;
        }
        if (n >= 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN) {
            // The reader has not taken what was written yet: wait for room a little at a
            // time, asking between two waits whether the run may go on.
            pollfd room{fd_, POLLOUT, 0};
            if (::poll(&room, 1, 20) != 0 || (keepWaiting_ && keepWaiting_())) continue;
        }
        ok = false;
        break;
    }
    pending_.clear();
    return ok;
}

int TextChannel::close() {
    if (mode_ == Mode::Closed) return IoFileNotOpen;
    int result = IoOk;
    if (fd_ >= 0) {
        if (!drain()) result = IoWriteFault;
        if (::close(fd_) != 0) result = IoWriteFault;
        fd_ = -1;
    }
    content_.clear();
    pos_ = 0;
    mode_ = Mode::Closed;
    return result;
}

int TextChannel::write(std::string_view text8bit) {
    if (mode_ == Mode::Closed) return IoFileNotOpen;
    if (mode_ != Mode::Writing) return IoNotOpenForOutput;
    appendCp1252AsUtf8(pending_, text8bit);
    // Written in pieces of a few kilobytes, as stdio would.
    if (pending_.size() >= 8192 && !drain()) return IoWriteFault;
    return IoOk;
}

int TextChannel::writeLineEnd() { return write("\r\n"); }

int TextChannel::flush() {
    if (mode_ == Mode::Closed) return IoFileNotOpen;
    if (mode_ != Mode::Writing) return IoNotOpenForOutput;
    return drain() ? IoOk : IoWriteFault;
}

int TextChannel::readLine(std::string& text8bit, bool passLineEnd) {
    if (mode_ == Mode::Closed) return IoFileNotOpen;
    if (mode_ != Mode::Reading) return IoNotOpenForInput;
    // The line ends at the first CR or LF (a plain loop: the library's search for either
    // of two characters looks each one up in the set).
    std::size_t stop = pos_;
    while (stop < content_.size() && content_[stop] != '\r' && content_[stop] != '\n') ++stop;
    text8bit.assign(content_, pos_, stop - pos_); // keeps the capacity of the caller's text
    pos_ = stop;
    if (passLineEnd && pos_ < content_.size()) {
        if (content_[pos_] == '\r' && pos_ + 1 < content_.size() && content_[pos_ + 1] == '\n')
            pos_ += 2;
        else
            pos_ += 1;
    }
    return IoOk;
}

int TextChannel::eof(bool& atEnd) const {
    if (mode_ == Mode::Closed) return IoFileNotOpen;
    if (mode_ == Mode::Writing) {
        atEnd = true;
        return IoOk;
    }
    atEnd = pos_ >= content_.size();
    return IoOk;
}

} // namespace zef
