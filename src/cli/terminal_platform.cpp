#include "terminal_platform.h"

#include "text.h"

#include <cerrno>
#include <unistd.h>

namespace zef {

void FileLineList::deleteLine(int index) {
    lines_.erase(lines_.begin() + index);
    if (index == 0) ++deleted_;
}

void TerminalScreen::put(const std::string& text8bit) {
    const std::string utf8 = cp1252ToUtf8(text8bit);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

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
    if (stdoutTty_) std::fputs("\x1b[2J", stdout);
}

void TerminalScreen::cursorMoved(int x, int y, CursorMove why) {
    if (why == CursorMove::LineBreak) {
        if (breakPending_) {
            breakPending_ = false;
            lineHasText_ = false;
            return;
        }
        std::fputc('\n', stdout);
        lineHasText_ = false;
    } else if (stdoutTty_) {
        std::fprintf(stdout, "\x1b[%d;%dH", y / LineHeight + 1, x / ColumnWidth + 1);
    }
}

std::string TerminalScreen::readLine(int, int) {
    std::fflush(stdout);
    std::string bytes;
    char c;
    bool gotLineEnd = false;
    while (true) {
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR) {
            if (interrupted_.load()) throw InputInterrupted{};
            continue;
        }
        if (n <= 0) break; // end of input: the text read so far, possibly empty
        if (c == '\n') {
            gotLineEnd = true;
            break;
        }
        bytes += c;
    }
    if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    if (stdinTty_) {
        echoPending_ = true;
        breakPending_ = gotLineEnd;
    }
    return isValidUtf8(bytes) ? utf8ToCp1252(bytes) : bytes;
}

void TerminalScreen::showMessage(const std::string& text) {
    if (lineHasText_) std::fputc('\n', stdout);
    put(text);
    std::fputc('\n', stdout);
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
