#include "terminal_platform.h"

#include "text.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <functional>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zef {

namespace {

// Waits until the descriptor is ready (or in error: the read or write that follows tells)
// unless a stop was asked, and answers whether it is ready. Ctrl+C or SIGTERM must end the
// wait even when it comes just before it starts: the two signals are held back while the
// flag is checked, and ppoll lets them in only while it waits, so none can slip between
// the check and the wait.
bool waitUnlessStopped(pollfd& fd, const std::function<bool()>& stopped) {
#if defined(__EMSCRIPTEN__)
    // Under Node a read or a write blocks by itself, and no signal reaches the run.
    (void)fd;
    return !stopped();
#else
    sigset_t stops, previous;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, &previous);
    bool ready = false;
    while (!stopped()) {
        if (ppoll(&fd, 1, nullptr, &previous) >= 0 || errno != EINTR) {
            ready = true;
            break;
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return ready;
#endif
}

} // namespace

OutputChannel::OutputChannel(int fd, const std::atomic<int>* signalled) : fd_(fd), signalled_(signalled) {
    struct stat info {};
    regularFile_ = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

void OutputChannel::write(std::string_view bytes) {
    if (error_.load() != 0 || dropped_ || limitReached_) return; // nothing more reaches a broken output
    if (limit_ != 0 && bytes.size() > limit_ - accepted_) {
        // What fits, without the first bytes of a character that would be cut.
        std::size_t fits = static_cast<std::size_t>(limit_ - accepted_);
        while (fits > 0 && (static_cast<unsigned char>(bytes[fits]) & 0xC0) == 0x80) --fits;
        bytes = bytes.substr(0, fits);
        limitReached_ = true;
    }
    accepted_ += bytes.size();
    buffer_.append(bytes);
    if (buffer_.size() >= 65536) flush();
}

bool OutputChannel::charge(std::uint64_t bytes) {
    if (limitReached_) return false;
    if (limit_ != 0 && bytes > limit_ - accepted_) {
        limitReached_ = true;
        return false;
    }
    accepted_ += bytes;
    return true;
}

FileBudget::FileBudget(OutputChannel& out, std::uint64_t maxBytes) : out_(out), max_(maxBytes) {
    for (int fd = 1; fd <= 2; ++fd) {
        struct stat info {};
        if (::fstat(fd, &info) != 0) continue;
        standard_[fd - 1] = {static_cast<unsigned long long>(info.st_dev), static_cast<unsigned long long>(info.st_ino),
                             true};
    }
}

bool FileBudget::isStandardOutput(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return false;
    for (const Identity& standard : standard_)
        if (standard.known && standard.device == static_cast<unsigned long long>(info.st_dev) &&
            standard.inode == static_cast<unsigned long long>(info.st_ino))
            return true;
    return false;
}

bool FileBudget::admit(std::size_t bytes, bool standardOutput) {
    if (standardOutput) return out_.charge(bytes);
    if (max_ != 0 && bytes > max_ - written_) {
        limitReached_ = true;
        return false;
    }
    written_ += bytes;
    return true;
}

bool OutputChannel::waitForRoom() {
    if (regularFile_ || !signalled_) return true;
    pollfd room{fd_, POLLOUT, 0};
    if (interrupted()) {
        // Ctrl+C came: what the reader takes at once is written, nothing is waited for.
        while (::poll(&room, 1, 0) < 0 && errno == EINTR) {}
        return room.revents != 0;
    }
    return waitUnlessStopped(room, [this] { return interrupted(); });
}

bool OutputChannel::flush() {
    std::size_t done = 0;
    while (done < buffer_.size() && error_.load() == 0) {
        if (!waitForRoom()) {
            dropped_ = true;
            break;
        }
        // Told only that there is room, a pipe takes PIPE_BUF bytes without blocking; a file
        // on disk takes everything.
        std::size_t size = buffer_.size() - done;
        if (!regularFile_ && signalled_) size = std::min<std::size_t>(size, PIPE_BUF);
        const ssize_t n = ::write(fd_, buffer_.data() + done, size);
        if (n >= 0) done += static_cast<std::size_t>(n);
        else if (errno != EINTR && errno != EAGAIN) error_.store(errno);
    }
    buffer_.clear();
    return error_.load() == 0;
}

bool TerminalScreen::waitForInput() const {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    return waitUnlessStopped(input, [this] { return signalled_.load() != 0; });
}

void FileLineList::deleteLines(int index, int count) {
    // One erase for the whole range: a line at a time from the front would be quadratic.
    lines_.erase(lines_.begin() + index, lines_.begin() + index + count);
    if (index == 0) deleted_ += count;
    revision_ = newLineListRevision();
}

void TerminalScreen::put(const std::string& text8bit) { out_.write(cp1252ToUtf8(text8bit)); }

void TerminalScreen::drawText(int, int, const std::string& text) {
    if (echoPending_) {
        echoPending_ = false;
        return;
    }
    put(text);
    if (!text.empty()) lineHasText_ = true;
}

void TerminalScreen::clearScreen() {
    // Clears without moving the cursor, as CLRSCR leaves the cursor where it was.
    if (stdoutTty_) out_.write("\x1b[2J");
}

void TerminalScreen::cursorMoved(int x, int y, CursorMove why) {
    if (why == CursorMove::LineBreak) {
        if (breakPending_) {
            breakPending_ = false;
            lineHasText_ = false;
            return;
        }
        out_.write("\n");
        lineHasText_ = false;
        if (stdoutTty_) out_.flush(); // a terminal shows each line as it comes
    } else if (stdoutTty_) {
        out_.write("\x1b[" + std::to_string(y / LineHeight + 1) + ";" +
                   std::to_string(x / ColumnWidth + 1) + "H");
    }
}

std::optional<std::string> TerminalScreen::nextInputLine(bool& gotLineEnd) {
    gotLineEnd = false;
    std::size_t scanned = inputPos_;
    while (true) {
        const auto end = input_.find('\n', scanned);
        if (end != std::string::npos) {
            std::string line = input_.substr(inputPos_, end - inputPos_);
            inputPos_ = end + 1;
            gotLineEnd = true;
            return line;
        }
        // A line longer than a string may be would only fill the memory.
        if (input_.size() - inputPos_ > MaxStringLength)
            throw RunAbandoned(messageFor(Message::OutOfMemory));
        if (inputEnded_) break;
        // What was given to the program goes only when more is read, so that reading stays
        // linear however short the lines.
        input_.erase(0, inputPos_);
        inputPos_ = 0;
        scanned = input_.size();
        // About to wait for input: whoever gives it may be waiting for what was written.
        out_.flush();
        if (!waitForInput()) throw InputInterrupted{};
        char chunk[65536];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            if (signalled_.load() != 0) throw InputInterrupted{};
            continue;
        }
        if (n <= 0) inputEnded_ = true;
        else input_.append(chunk, static_cast<std::size_t>(n));
    }
    // The input ended: a last line without its line end is still a line.
    if (inputPos_ >= input_.size()) return std::nullopt;
    std::string rest = input_.substr(inputPos_);
    input_.clear();
    inputPos_ = 0;
    return rest;
}

std::string TerminalScreen::readLine(int, int) {
    // A person at a terminal sees the prompt before typing; in a pipe the output waits
    // until the reader has to wait for input (or the buffer fills), so that reading
    // lines already given costs no write.
    if (stdoutTty_ || stdinTty_) out_.flush();
    bool gotLineEnd = false;
    std::optional<std::string> bytes = nextInputLine(gotLineEnd);
    // A truncated input must not make a finite program read empty lines forever.
    if (!bytes) throw RunAbandoned(utf8ToCp1252("Fin de l'entrée : plus rien à lire"));
    if (!bytes->empty() && bytes->back() == '\r') bytes->pop_back();
    if (stdinTty_) {
        echoPending_ = true;
        breakPending_ = gotLineEnd;
    }
    return isValidUtf8(*bytes) ? utf8ToCp1252(*bytes) : *bytes;
}

void TerminalScreen::showMessage(const std::string& text) {
    if (lineHasText_) out_.write("\n");
    put(text);
    out_.write("\n");
    lineHasText_ = false;
}

bool FilePrinter::open() {
    close();
    file_ = std::fopen(path_.c_str(), started_ ? "ab" : "wb");
    started_ = started_ || file_ != nullptr;
    return file_ != nullptr;
}

bool FilePrinter::write(const std::string& text) {
    if (!file_) return false;
    const std::string utf8 = cp1252ToUtf8(text);
    return std::fwrite(utf8.data(), 1, utf8.size(), file_) == utf8.size();
}

bool FilePrinter::close() {
    if (!file_) return true;
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
}

} // namespace zef
