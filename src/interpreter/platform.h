// The interpreter reaches the outside world only through these small interfaces. The IDE
// implements them with windows, zefrun with the terminal, the tests with recording fakes.
// Every text crossing them is 8-bit Windows-1252.
#pragma once

#include "systemclock.h"
#include "regional.h"

#include <atomic>
#include <cstdint>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace zef {

// The program being run: the editor's list of lines, addressed by 0-based index.
class LineList {
public:
    virtual ~LineList() = default;
    virtual int count() const = 0;
    virtual std::string line(int index) const = 0;
    // The pre-pass removes leading blank lines from the program's text.
    virtual void deleteLine(int index) = 0;
    // Removes count lines from index on; a list that can do it at once says so here.
    virtual void deleteLines(int index, int count) {
        for (int i = 0; i < count; ++i) deleteLine(index);
    }
    // A number that changes whenever the lines change and that no other list ever had, for
    // a list that can tell it cheaply: a continued run (the next single step) then reuses
    // what it decoded instead of reading every line again. 0: the list cannot tell, and
    // every line is compared.
    virtual std::uint64_t revision() const { return 0; }
};

// A revision no list has had yet, for LineList::revision.
inline std::uint64_t newLineListRevision() {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

// Why the screen cursor moved without drawing, for front ends that follow lines rather
// than pixels (a terminal): a line break (WRITELN, READLN) or a GOTOXY.
enum class CursorMove { LineBreak, GotoXY };

// What a statement waits for from the user on the screen.
enum class UserStep { TypedLine, MessageClosed };

// The screen window: pixel positions from the top-left corner of its drawing area.
class Screen {
public:
    virtual ~Screen() = default;
    // Sets the caption and shows the window (without clearing it).
    virtual void prepare(const std::string& caption) = 0;
    virtual void drawText(int x, int y, const std::string& text) = 0;
    virtual int textWidth(const std::string& text) = 0;
    // CLRSCR: a white rectangle over the whole window, outlined in black.
    virtual void clearScreen() = 0;
    // Shows the input line over the cursor position, modally, and returns what was typed.
    virtual std::string readLine(int x, int y) = 0;
    // A screen that cannot wait for the user (a web page's worker) answers false until the
    // user has given what the statement needs: a typed line for READ, the closing of the
    // box for SHOWMESSAGE (`message`, shown when first asked). The run then ends its call
    // before the statement, with StatusWaitingForUser, and continuing it from that line
    // runs the statement again, which asks again. Asked just before readLine and
    // showMessage.
    virtual bool readyFor(UserStep /*step*/, const std::string& /*message*/) { return true; }
    // SHOWMESSAGE: a modal box with one button.
    virtual void showMessage(const std::string& text) = 0;
    virtual void cursorMoved(int /*x*/, int /*y*/, CursorMove /*why*/) {}
};

// The modal box in which the interpreter reports an error of the program.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showError(const std::string& text) = 0;
};

// The printer behind the program's printer channel: one job from open to close.
class PrinterDevice {
public:
    virtual ~PrinterDevice() = default;
    virtual bool open() = 0;
    virtual bool write(const std::string& text) = 0;
    virtual bool newLine() = 0;
    virtual bool flush() { return true; }
    virtual bool close() = 0;
};

// Called by the driver every few thousand statements; answering true interrupts the run.
// The IDE repaints and processes its events there.
class PollHook {
public:
    virtual ~PollHook() = default;
    virtual bool poll() = 0;
    // Asked before every statement and every line of the pre-pass, so it must be cheap (a
    // flag set by a signal): true interrupts the run at once, wherever it is.
    virtual bool interruptPending() { return false; }
    // Asked after each poll that did not interrupt: true ends the call with StatusPaused,
    // and continuing the run from the line it gives goes on as if nothing had happened (a
    // web page's worker runs a program in slices so as to see the page's messages).
    virtual bool pauseDue() { return false; }
};

// What a run of someone else's program may write to files: every block of bytes the file
// channels are about to write is admitted here first. zefrun bounds the files' total with
// it, and counts a file that is its own standard output under another name (/dev/stdout)
// as output, so that no name gets round the output bound.
class FileWriteMeter {
public:
    virtual ~FileWriteMeter() = default;
    // A channel opened `fd` for writing: true when that is the run's standard output or
    // error under another name. Asked once per opening.
    virtual bool isStandardOutput(int fd) = 0;
    // `bytes` are about to be written; false refuses them all, and the write fails.
    virtual bool admit(std::size_t bytes, bool standardOutput) = 0;
};

struct Platform {
    Screen* screen = nullptr;
    MessageSink* messages = nullptr;
    PrinterDevice* printer = nullptr; // none: opening the printer channel fails
    Clock* clock = nullptr;           // none: the system clock
    PollHook* poll = nullptr;         // none: a run cannot be interrupted
    FileWriteMeter* fileWrites = nullptr; // none: files are bounded by the disk alone
    // A confined run's folder (absolute, UTF-8): CHDIR never leaves it, so that a program
    // cannot even learn which folders exist elsewhere. Empty: no such bound.
    std::string confinedFolder;
    RegionalSettings regional = RegionalSettings::french();
};

// A run abandoned by the platform rather than stopped by the interpreter: a number operand
// that does not convert, an input/output error on an open channel. The driver lets it
// pass; the front end reports the French text (8-bit) and the run is over.
class RunAbandoned : public std::runtime_error {
public:
    explicit RunAbandoned(const std::string& text) : std::runtime_error(text) {}
};

} // namespace zef
