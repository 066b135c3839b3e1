#include "exercise.h"

#include "sourcefile.h"
#include "systemerror.h"
#include "text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zef {

namespace {

// An expected output or a parameters file far beyond any exercise is a mistake, not data.
constexpr std::size_t kMaxCaseFileBytes = 64u << 20;

// What a file that is not a regular file is, as a teacher would name it.
std::string kindOf(mode_t mode) {
    if (S_ISLNK(mode)) return "un lien symbolique";
    if (S_ISFIFO(mode)) return "un tube nommé";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "un périphérique";
    if (S_ISSOCK(mode)) return "une socket";
    if (S_ISDIR(mode)) return "un dossier";
    return "un fichier spécial";
}

std::string refusal(const std::string& shown, mode_t mode, const char* wanted) {
    return shown + " : " + kindOf(mode) + " n'est pas accepté dans un dossier d'essais (" + wanted + ")";
}

// A case's file is data: it is read where it stands, never through a link.
std::optional<std::string> readCaseFile(const fs::path& path, std::string& reason) {
    FileBytes read = readRegularFile(path.string(), kMaxCaseFileBytes, false);
    if (read.problem == ReadProblem::System && read.systemError == ELOOP) {
        reason = refusal(path.string(), S_IFLNK, "il faut un fichier ordinaire");
        return std::nullopt;
    }
    if (read.bytes) return read.bytes;
    switch (read.problem) {
    case ReadProblem::NotARegularFile: reason = refusal(path.string(), S_IFIFO, "il faut un fichier ordinaire"); break;
    case ReadProblem::TooLarge: reason = path.string() + " : fichier trop gros"; break;
    default: reason = path.string() + " : " + frenchReason(read.systemError); break;
    }
    return std::nullopt;
}

// The start of a case's input, to be shown beside its outputs (the run reads the whole
// file itself): at most kShownInputBytes, and whether there is more. Read as the other
// files of the case are, never through a link.
bool readInputStart(const fs::path& path, TestCase& testCase, std::string& reason) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        reason = fd < 0 && errno == ELOOP ? refusal(path.string(), S_IFLNK, "il faut un fichier ordinaire")
                 : fd < 0                 ? path.string() + " : " + frenchReason(errno)
                                          : refusal(path.string(), info.st_mode, "il faut un fichier ordinaire");
        if (fd >= 0) ::close(fd);
        return false;
    }
    std::string bytes(kShownInputBytes + 1, '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    testCase.inputCut = got > kShownInputBytes;
    std::size_t kept = std::min(got, kShownInputBytes);
    // A cut input ends before a character of UTF-8 that it would split.
    auto continues = [&](std::size_t at) { return (static_cast<unsigned char>(bytes[at]) & 0xC0) == 0x80; };
    for (int back = 0; testCase.inputCut && back < 3 && kept > 0 && continues(kept); ++back) --kept;
    bytes.resize(kept);
    testCase.inputStart = std::move(bytes);
    return true;
}

// Walks the data folder open on `from`: every entry must be a regular file or a folder,
// none followed through a link. With `to` open, each is copied there (folders created,
// files written anew); with `to` at -1 the walk only checks. Every descriptor is opened
// relative to its folder's, so nothing renamed meanwhile can send the walk elsewhere.
bool walkData(int from, int to, const std::string& shown, std::string& reason, int depth) {
    if (depth > 64) {
        reason = shown + " : dossiers imbriqués trop profondément";
        return false;
    }
    DIR* dir = ::fdopendir(from);
    if (!dir) {
        reason = shown + " : " + frenchReason(errno);
        ::close(from);
        return false;
    }
    struct Closer {
        DIR* dir;
        ~Closer() { ::closedir(dir); }
    } closer{dir};
    const int here = ::dirfd(dir);
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        const std::string path = shown + "/" + name;
        struct stat info {};
        if (::fstatat(here, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            reason = path + " : " + frenchReason(errno);
            return false;
        }
        if (S_ISDIR(info.st_mode)) {
            const int sub = ::openat(here, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0) {
                reason = path + " : " + frenchReason(errno);
                return false;
            }
            int subTo = -1;
            if (to >= 0) {
                if (::mkdirat(to, name, 0777) != 0 ||
                    (subTo = ::openat(to, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)) < 0) {
                    reason = path + " : " + frenchReason(errno);
                    ::close(sub);
                    return false;
                }
            }
            const bool ok = walkData(sub, subTo, path, reason, depth + 1);
            if (subTo >= 0) ::close(subTo);
            if (!ok) return false;
        } else if (S_ISREG(info.st_mode)) {
            if (to < 0) continue;
            // O_NONBLOCK: should the file have become a pipe since it was looked at, the
            // opening does not wait, and the check below refuses it.
            const int in = ::openat(here, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            struct stat opened {};
            if (in < 0 || ::fstat(in, &opened) != 0 || !S_ISREG(opened.st_mode)) {
                reason = in < 0 ? path + " : " + frenchReason(errno)
                                : refusal(path, opened.st_mode, "il faut des fichiers ordinaires et des dossiers");
                if (in >= 0) ::close(in);
                return false;
            }
            const int out = ::openat(to, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            bool ok = out >= 0;
            char chunk[65536];
            while (ok) {
                const ssize_t n = ::read(in, chunk, sizeof chunk);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) {
                    ok = n == 0;
                    break;
                }
                for (ssize_t done = 0; ok && done < n;) {
                    const ssize_t w = ::write(out, chunk + done, static_cast<std::size_t>(n - done));
                    if (w > 0) done += w;
                    else if (w < 0 && errno == EINTR) continue;
                    else ok = false;
                }
            }
            if (!ok) reason = path + " : " + frenchReason(errno);
            ::close(in);
            if (out >= 0 && ::close(out) != 0 && ok) {
                reason = path + " : " + frenchReason(errno);
                ok = false;
            }
            if (!ok) return false;
        } else {
            reason = refusal(path, info.st_mode, "il faut des fichiers ordinaires et des dossiers");
            return false;
        }
        errno = 0;
    }
    if (errno != 0) {
        reason = shown + " : " + frenchReason(errno);
        return false;
    }
    return true;
}

bool walkDataFolder(const fs::path& folder, int to, std::string& reason) {
    const int from = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (from < 0) {
        reason = errno == ELOOP || errno == ENOTDIR ? refusal(folder.string(), S_IFLNK, "il faut un dossier")
                                                    : folder.string() + " : " + frenchReason(errno);
        return false;
    }
    return walkData(from, to, folder.string(), reason, 0);
}

} // namespace

bool copyDataFiles(const fs::path& from, const fs::path& to, std::string& reason) {
    const int target = ::open(to.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (target < 0) {
        reason = to.string() + " : " + frenchReason(errno);
        return false;
    }
    const bool ok = walkDataFolder(from, target, reason);
    ::close(target);
    return ok;
}

std::optional<Exercise> findCases(const fs::path& folder, std::string& reason) {
    std::error_code error;
    Exercise exercise;
    exercise.folder = fs::absolute(folder, error);
    if (!fs::is_directory(exercise.folder, error)) {
        reason = folder.string() + " : " + (error ? frenchReason(error) : std::string("ce n'est pas un dossier"));
        return std::nullopt;
    }
    std::map<std::string, TestCase> byName; // sorted by name, byte for byte
    fs::directory_iterator it(exercise.folder, error), end;
    if (error) {
        reason = folder.string() + " : " + frenchReason(error);
        return std::nullopt;
    }
    for (; it != end; it.increment(error)) {
        const fs::path& path = it->path();
        const std::string fileName = path.filename().string();
        if (fileName.empty() || fileName[0] == '.') continue;
        // What the folder holds is looked at as it is, links included, never through them.
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            reason = path.string() + " : " + frenchReason(errno);
            return std::nullopt;
        }
        if (fileName == kDataFolderName) {
            if (!S_ISDIR(info.st_mode)) {
                reason = refusal(path.string(), info.st_mode, "il faut un dossier");
                return std::nullopt;
            }
            if (!walkDataFolder(path, -1, reason)) return std::nullopt;
            exercise.files = path;
            continue;
        }
        const std::string extension = lowerAscii(path.extension().string());
        if (extension != ".in" && extension != ".out" && extension != ".args") continue;
        if (!S_ISREG(info.st_mode)) {
            reason = refusal(path.string(), info.st_mode, "il faut un fichier ordinaire");
            return std::nullopt;
        }
        const std::string name = path.stem().string();
        TestCase& testCase = byName[name];
        testCase.name = name;
        if (extension == ".in") {
            testCase.input = path;
            if (!readInputStart(path, testCase, reason)) return std::nullopt;
        } else if (extension == ".out") {
            testCase.expectedPath = path;
            testCase.expected = readCaseFile(path, reason);
            if (!testCase.expected) return std::nullopt;
        } else {
            const std::optional<std::string> bytes = readCaseFile(path, reason);
            if (!bytes) return std::nullopt;
            // The parameters are one line of text, as in the IDE's parameters window.
            const std::vector<std::string> lines = splitLines(*bytes);
            const std::string first = lines.empty() ? std::string() : lines.front();
            testCase.arguments = isValidUtf8(first) ? first : cp1252ToUtf8(first);
            if (startsWith(testCase.arguments, "\xEF\xBB\xBF")) testCase.arguments.erase(0, 3);
        }
    }
    if (error) {
        reason = folder.string() + " : " + frenchReason(error);
        return std::nullopt;
    }
    for (auto& [name, testCase] : byName) {
        if (testCase.expectedPath.empty()) testCase.expectedPath = exercise.folder / (name + ".out");
        exercise.cases.push_back(std::move(testCase));
    }
    return exercise;
}

fs::path defaultCasesFolder(const fs::path& program) {
    fs::path folder = program;
    folder.replace_extension(".essais");
    return folder;
}

const TestCase* caseWithoutExpected(const Exercise& exercise) {
    for (const TestCase& testCase : exercise.cases)
        if (!testCase.expected) return &testCase;
    return nullptr;
}

} // namespace zef
