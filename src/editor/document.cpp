#include "document.h"

#include "sourcefile.h"
#include "systemerror.h"
#include "text.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace zef::editor {
namespace fs = std::filesystem;

std::vector<std::string> templateLines() {
    return {"Program NomProg;", "var I: integer;", "var R: real;", "var C: char;",
            "var S: string;",   "begin",           "",             "end."};
}

void removeStepMarkers(std::vector<std::string>& lines) {
    for (auto& line : lines)
        if (!line.empty() && line[0] == kStepMarker) line.erase(0, 1);
}

std::string fileNameOf(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool programNameMatches(const std::string& fileName, const std::string& firstLine) {
    const std::string name = fileNameOf(fileName);
    const std::string expected = upperAscii(name.substr(0, name.size() >= 4 ? name.size() - 4 : 0));
    std::string declared = upperAscii(trimLeft(firstLine.size() > 8 ? firstLine.substr(8) : ""));
    if (!declared.empty()) declared.pop_back();
    return expected == declared;
}

std::string saveAsPath(const std::string& chosenPath) {
    const auto slash = chosenPath.find_last_of("/\\");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dot = chosenPath.find('.', nameStart);
    return chosenPath.substr(0, dot) + ".pas";
}

std::string programLineFor(const std::string& pasPath) {
    const std::string name = fileNameOf(pasPath);
    return "Program " + lowerAscii(name.substr(0, name.size() >= 4 ? name.size() - 4 : 0)) + ";";
}

std::string proposedSavePath(const std::string& documentPath, const std::string& firstLine,
                             const std::string& shownName, const std::string& folder) {
    if (!documentPath.empty()) return documentPath;
    // "PROGRAM name;" with a name of letters, digits and "_" only.
    std::string name;
    const std::string line = trimLeft(firstLine);
    if (line.size() > 8 && upperAscii(line.substr(0, 8)) == "PROGRAM ") {
        std::string declared = trimLeft(line.substr(8));
        while (!declared.empty() && (declared.back() == ';' || declared.back() == ' ')) declared.pop_back();
        const bool word = !declared.empty() && std::all_of(declared.begin(), declared.end(), [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        });
        if (word) name = declared;
    }
    if (name.empty()) name = saveAsPath(lowerAscii(shownName)); // PAS2.PAS -> pas2.pas
    else name += ".pas";
    return folder.empty() ? name : folder + "/" + name;
}

std::int64_t offsetOfLine(const std::vector<std::string>& lines, int line) {
    std::int64_t sum = 0;
    for (int i = 0; i < line && i < static_cast<int>(lines.size()); ++i)
        sum += static_cast<std::int64_t>(lines[static_cast<std::size_t>(i)].size()) + 2;
    return sum;
}

LineColumn lineColumnOf(const std::vector<std::string>& lines, std::int64_t offset) {
    LineColumn lc;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto len = static_cast<std::int64_t>(lines[i].size());
        if (offset <= len || i + 1 == lines.size()) {
            lc.line = static_cast<int>(i);
            lc.column = static_cast<int>(std::min(std::max<std::int64_t>(offset, 0), len));
            return lc;
        }
        offset -= len + 2;
    }
    return lc;
}

int breakpointWalk(const std::vector<std::string>& lines, std::int64_t caret) {
    std::int64_t sum = 0;
    int walked = 0;
    do {
        if (walked >= static_cast<int>(lines.size())) break;
        sum += static_cast<std::int64_t>(lines[static_cast<std::size_t>(walked)].size()) + 2;
        ++walked;
    } while (sum < caret - 1);
    // In the last line the walk runs out of lines: the target is then the last line.
    return std::min(walked, std::max(static_cast<int>(lines.size()) - 1, 0));
}

void toggleBreakpoint(std::vector<std::string>& lines, int line) {
    if (line < 0 || line >= static_cast<int>(lines.size())) return;
    auto& text = lines[static_cast<std::size_t>(line)];
    // The step marker stays first: it comes off before the run goes on, and the breakpoint
    // must then stand at the start of the line.
    const std::size_t at = !text.empty() && text[0] == kStepMarker ? 1 : 0;
    if (text.size() > at && text[at] == kBreakMarker) text.erase(at, 1);
    else text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), kBreakMarker);
}

std::optional<SourceText> loadSource(const std::string& path, std::string& error) {
    std::string reason;
    const std::optional<std::string> bytes = readSourceBytes(path, reason);
    if (!bytes) {
        error = "Impossible d'ouvrir le fichier " + path + " : " + reason;
        return std::nullopt;
    }
    SourceText source;
    bool utf8 = true;
    const std::string text = decodeFileText(*bytes, &utf8);
    if (utf8) {
        std::string lost = charactersOutside1252(*bytes);
        if (!lost.empty()) {
            error = "Le fichier " + path + " contient des caractères que l'éditeur ne peut pas "
                    "conserver (" + lost + ") : il n'est pas ouvert, pour ne pas les perdre.";
            return std::nullopt;
        }
    }
    source.lines = splitLines(text);
    // The edit control lays a line out whole: one of megabytes would hold the IDE for many
    // seconds at every opening and repaint, and no program has such a line.
    for (const std::string& line : source.lines)
        if (line.size() > kMaxEditorLine) {
            error = "Le fichier " + path + " a une ligne de plus de " + std::to_string(kMaxEditorLine) +
                    " caractères : ce n'est pas un programme, il n'est pas ouvert.";
            return std::nullopt;
        }
    source.encoding = utf8 ? Encoding::Utf8 : Encoding::Windows1252;
    if (source.lines.empty()) source.lines.emplace_back();
    return source;
}

namespace {

// Writes all of data to fd, as far as the disk allows; false with errno set otherwise.
bool writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return ::fsync(fd) == 0;
}

// A new file beside target, created exclusively (a name planted by someone else is never
// opened), holding data; its path, or empty with errno set.
std::string writeBeside(const fs::path& target, const std::string& data, mode_t mode) {
    std::string name = (target.parent_path() / ("." + target.filename().string() + ".zef-XXXXXX")).string();
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return {};
    const bool written = ::fchmod(fd, mode) == 0 && writeAll(fd, data);
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        const int e = written ? errno : writeError;
        ::unlink(name.c_str());
        errno = e;
        return {};
    }
    return name;
}

// Rewrites the file in place (O_TRUNC keeps its inode, hence its other hard links).
bool writeInPlace(const fs::path& target, const std::string& data) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = writeAll(fd, data);
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (!written) errno = writeError;
    return written && closed;
}

// The file a path designates once every symbolic link is followed, even a dangling one
// (saving then creates the file the link points to).
fs::path followLinks(fs::path path) {
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) return path;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string readFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace

bool saveSource(const std::string& path, const std::vector<std::string>& lines, Encoding encoding,
                std::string& error, const ConfirmReplace& confirmReadOnly) {
    std::string data;
    for (const auto& line : lines) data += (encoding == Encoding::Utf8 ? cp1252ToUtf8(line) : line) + "\r\n";
    const fs::path target = followLinks(fs::path(path));
    auto failed = [&](int e) {
        error = "Impossible d'enregistrer " + path + " : " + frenchReason(e);
        return false;
    };

    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) return failed(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    // Read-only for its owner, or not writable by this user: never replaced unasked.
    if (exists && ((info.st_mode & S_IWUSR) == 0 || ::access(target.c_str(), W_OK) != 0)) {
        if (!confirmReadOnly || !confirmReadOnly(path)) {
            error.clear();
            return false;
        }
    }

    if (exists && info.st_nlink > 1) {
        // Renaming would cut this name off the other links: the file is written in place,
        // once a copy of its old content stands beside it to come back to.
        const std::string copy = writeBeside(target, readFileBytes(target), info.st_mode & 07777);
        if (copy.empty()) return failed(errno);
        if (!writeInPlace(target, data)) {
            const int e = errno;
            if (writeInPlace(target, readFileBytes(copy))) {
                ::unlink(copy.c_str());
                return failed(e);
            }
            error = "Impossible d'enregistrer " + path + " : " + frenchReason(e) +
                    ". L'ancien contenu est conservé dans " + copy;
            return false;
        }
        ::unlink(copy.c_str());
        return true;
    }

    const std::string temp = writeBeside(target, data, exists ? (info.st_mode & 07777) : newFileMode());
    // Nothing can be created where the file should go: its folder is missing.
    if (temp.empty()) return failed(errno == ENOENT ? ENOTDIR : errno);
    if (exists && (info.st_uid != ::geteuid() || info.st_gid != ::getegid())) {
        // Keeping the owner needs the right to give files away; without it the file
        // becomes the saver's, as it would with any editor.
        if (::chown(temp.c_str(), info.st_uid, info.st_gid) != 0) {
            [[maybe_unused]] const int ignored = ::chown(temp.c_str(), static_cast<uid_t>(-1), info.st_gid);
        }
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int e = errno;
        ::unlink(temp.c_str());
        return failed(e);
    }
    return true;
}

} // namespace zef::editor
