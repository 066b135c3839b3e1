// What the grading tests share: scratch folders, files written in a few words, and a
// command run to its end with its outputs and status.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace grading_test {

namespace fs = std::filesystem;

// A folder of its own under the system's temporary folder, removed at the end.
struct TempDir {
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "zefgrading-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path operator/(const std::string& name) const { return path / name; }
    fs::path path;
};

inline void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A program of the language, one line per element, saved with CR LF line ends as the IDE
// saves them.
inline void writeProgram(const fs::path& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    writeFile(path, text);
}

struct Finished {
    int status = -1; // the exit status; -1 when killed or never started
    std::string out, err;
};

// Runs a command to its end (killed after a generous two minutes: the defects shown here
// would make it run forever), stdin on /dev/null, and returns what it wrote.
inline Finished runCommand(const std::vector<std::string>& command) {
    Finished result;
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<std::string> copy = command;
    std::vector<char*> argv;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (error == 0) {
        const auto cap = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        std::string* into[2] = {&result.out, &result.err};
        while ((fds[0].fd >= 0 || fds[1].fd >= 0) && std::chrono::steady_clock::now() < cap) {
            if (poll(fds, 2, 1000) <= 0) continue;
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || fds[i].revents == 0) continue;
                char chunk[65536];
                const ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
                if (n <= 0) fds[i].fd = -1;
                else into[i]->append(chunk, static_cast<std::size_t>(n));
            }
        }
        if (fds[0].fd >= 0 || fds[1].fd >= 0) kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    close(out[0]);
    close(err[0]);
    return result;
}

} // namespace grading_test
