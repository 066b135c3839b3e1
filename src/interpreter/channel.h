// Text-file channels of the interpreted program: a file handle with a bound name and a
// state. Files are written as UTF-8 with CR LF line ends; a file opened for reading is
// decoded as UTF-8 when it is valid UTF-8, else as Windows-1252, so that the program always
// sees 8-bit text.
//
// Nothing here may hold the IDE still: a named pipe is opened without waiting for the
// other side (without a reader, REWRITE fails; RESET reads only regular files), and a write
// that the pipe's reader does not take waits only as long as the run may go on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace zef {

class FileWriteMeter;

// Input/output error numbers reported when a run is abandoned (Message::IoError).
enum IoError : int {
    IoOk = 0,
    IoFileNotFound = 2,
    IoPathNotFound = 3,
    IoAccessDenied = 5,
    IoFileNotOpen = 103,
    IoNotOpenForInput = 104,
    IoNotOpenForOutput = 105,
    IoWriteFault = 29,
    IoNotEnoughMemory = 8, // a file too large to be read (the run is abandoned)
};

// Turns a file name given by a program into a path: "\" separates directories, and an
// existing file or directory is found whatever the letter case of its name. Components that
// do not exist keep the name as given.
std::filesystem::path resolveProgramPath(const std::string& name8bit);

// A file opened for reading is held whole, decoded, while the program reads it: a larger
// one would take the memory of the IDE or of zefrun.
constexpr std::uintmax_t MaxReadFileBytes = 128u << 20;

class TextChannel {
public:
    enum class Mode { Closed, Reading, Writing };

    TextChannel() = default;
    TextChannel(const TextChannel&) = delete;
    TextChannel& operator=(const TextChannel&) = delete;
    ~TextChannel();

    void bind(const std::string& name8bit) { name_ = name8bit; }
    // Asked again and again while a write waits for room (a named pipe whose reader does not
    // read): true waits on, false gives up and the write fails. Without it a write that
    // would wait fails at once.
    void setKeepWaiting(std::function<bool()> keepWaiting) { keepWaiting_ = std::move(keepWaiting); }
    // Every write is admitted by `meter` first (none: every write goes through).
    void setMeter(FileWriteMeter* meter) { meter_ = meter; }
    const std::string& name() const { return name_; }
    Mode mode() const { return mode_; }

    // Each returns an I/O error number, 0 on success.
    [[nodiscard]] int openRead();
    [[nodiscard]] int openWrite();
    [[nodiscard]] int close();
    [[nodiscard]] int write(std::string_view text8bit);
    [[nodiscard]] int writeLineEnd();
    [[nodiscard]] int flush();
    // Reads up to the end of the current line; passLineEnd also moves past the line end.
    // At the end of the file the text is empty.
    [[nodiscard]] int readLine(std::string& text8bit, bool passLineEnd);
    [[nodiscard]] int eof(bool& atEnd) const;

private:
    // Writes what is pending; false when the file cannot take it.
    bool drain();

    std::string name_;
    Mode mode_ = Mode::Closed;
    int fd_ = -1;              // open for writing
    bool regularFile_ = false; // else a pipe or a device, which may make a write wait
    FileWriteMeter* meter_ = nullptr;
    bool meteredAsOutput_ = false; // the file is the run's own standard output
    std::string pending_;      // written by the program, not yet by the system
    std::function<bool()> keepWaiting_;
    std::string content_; // the whole file, decoded, while reading
    std::size_t pos_ = 0;
};

} // namespace zef
