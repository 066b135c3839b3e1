#include "runner.h"

#include "confinement.h"
#include "systemerror.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace zef {

namespace {

// What is kept of a run's stderr: zefrun's messages are a few lines.
constexpr std::size_t kMaxErrorBytes = 64u << 10;

// The scratch folder of one run, removed with everything the program left in it.
class ScratchFolder {
public:
    explicit ScratchFolder(const fs::path& parent) {
        std::string pattern = (parent / "zefcorrige-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
        else error_ = errno;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& path() const { return path_; }
    int error() const { return error_; }

private:
    fs::path path_;
    int error_ = 0;
};

// Both ends of a pipe, closed on exec so that no other run started meanwhile inherits them.
struct Pipe {
    int read = -1, write = -1;
    bool open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        read = fds[0];
        write = fds[1];
        return true;
    }
    ~Pipe() {
        if (read >= 0) ::close(read);
        if (write >= 0) ::close(write);
    }
};

} // namespace

fs::path findZefrun() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        for (const fs::path& candidate : {self.parent_path() / "zefrun", self.parent_path().parent_path() / "cli" / "zefrun"})
            if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    if (const char* path = std::getenv("PATH")) {
        std::string_view rest(path);
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const fs::path candidate = fs::path(std::string(rest.substr(0, colon))) / "zefrun";
            if (!candidate.parent_path().empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    return {};
}

std::string confinementUnavailable() {
    return landlockAbi() > 0 ? std::string() : "le noyau de ce système n'offre pas Landlock";
}

unsigned wallSecondsFor(const Limits& limits) { return 4 * limits.cpuSeconds + 5; }

RunOutcome runProgram(const fs::path& program, const Exercise& exercise, const TestCase& testCase,
                      const RunSettings& settings, const std::atomic<bool>* stop) {
    using Clock = std::chrono::steady_clock;
    RunOutcome run;
    const auto started = Clock::now();
    std::error_code ec;
    const fs::path parent = settings.scratchParent.empty() ? fs::temp_directory_path(ec) : settings.scratchParent;
    ScratchFolder scratch(parent);
    if (scratch.path().empty()) {
        run.failure = "dossier de travail impossible à créer dans " + parent.string() + " : " + frenchReason(scratch.error());
        return run;
    }
    if (!exercise.files.empty()) {
        fs::copy(exercise.files, scratch.path(), fs::copy_options::recursive, ec);
        if (ec) {
            run.failure = "copie de " + exercise.files.string() + " impossible : " + frenchReason(ec);
            return run;
        }
    }

    const Limits& limits = settings.limits;
    std::vector<std::string> args{settings.zefrun.string(),
                                  "--locale", settings.locale,
                                  "--max-statements", std::to_string(limits.statements),
                                  "--max-cpu", std::to_string(limits.cpuSeconds),
                                  "--max-output", std::to_string(limits.outputBytes)};
    if (settings.confine) {
        args.push_back("--confine");
        args.push_back(scratch.path().string());
    }
    if (!testCase.arguments.empty()) {
        args.push_back("--args");
        args.push_back(testCase.arguments);
    }
    const std::string programPath = fs::absolute(program, ec).string();
    args.push_back(programPath);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    Pipe out, err;
    if (!out.open() || !err.open()) {
        run.failure = "tube impossible à ouvrir : " + frenchReason(errno);
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string input = testCase.input.empty() ? std::string("/dev/null") : testCase.input.string();
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.write, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.write, STDERR_FILENO);
    posix_spawn_file_actions_addchdir_np(&actions, scratch.path().c_str());
    pid_t pid = -1;
    const int spawnError = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out.write);
    ::close(err.write);
    out.write = err.write = -1;
    if (spawnError != 0) {
        run.failure = "zefrun (" + settings.zefrun.string() + ") impossible à lancer : " + frenchReason(spawnError);
        return run;
    }
    run.started = true;

    // Both outputs are read as they come, so that a program writing much to one never
    // waits on the other; the run is killed past its wall-clock bound or when stopped.
    const auto deadline = started + std::chrono::seconds(wallSecondsFor(limits));
    pollfd fds[2] = {{out.read, POLLIN, 0}, {err.read, POLLIN, 0}};
    std::string* buffers[2] = {&run.output, &run.errors};
    const std::size_t caps[2] = {static_cast<std::size_t>(limits.outputBytes), kMaxErrorBytes};
    bool killed = false;
    auto kill = [&] {
        if (!killed) ::kill(pid, SIGKILL);
        killed = true;
    };
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const auto now = Clock::now();
        if (stop && stop->load()) {
            run.cancelled = true;
            kill();
            break;
        }
        if (now >= deadline) {
            run.timedOut = true;
            kill();
            break;
        }
        int wait = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count()) + 1;
        if (stop) wait = std::min(wait, 100);
        if (::poll(fds, 2, wait) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char chunk[65536];
            const ssize_t n = ::read(fds[i].fd, chunk, sizeof chunk);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n <= 0) {
                fds[i].fd = -1; // closed with its Pipe
                continue;
            }
            std::string& buffer = *buffers[i];
            const std::size_t room = caps[i] > buffer.size() ? caps[i] - buffer.size() : 0;
            buffer.append(chunk, std::min(room, static_cast<std::size_t>(n)));
            // zefrun stops at its output bound by itself; more than that is cut here.
            if (i == 0 && static_cast<std::size_t>(n) > room) {
                run.outputCut = true;
                kill();
            }
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    run.exited = WIFEXITED(status);
    run.status = run.exited ? WEXITSTATUS(status) : 0;
    run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    run.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    return run;
}

CaseResult runCase(const fs::path& program, const Exercise& exercise, const TestCase& testCase,
                   const RunSettings& settings, const std::atomic<bool>* stop) {
    const RunOutcome run = runProgram(program, exercise, testCase, settings, stop);
    std::error_code ec;
    CaseResult result = judge(run, fs::absolute(program, ec).string(), testCase.expected.value_or(std::string()),
                              settings.exact);
    result.caseName = testCase.name;
    return result;
}

} // namespace zef
