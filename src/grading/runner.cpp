#include "runner.h"

#include "confinement.h"
#include "endrecord.h"
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
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace zef {

namespace {

// What is kept of a run's stderr and of its end record: zefrun's messages are a few lines.
constexpr std::size_t kMaxErrorBytes = 64u << 10;

// The descriptor on which zefrun writes how the run ended.
constexpr int kStatusDescriptor = 3;

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

// Both ends of a pipe (or of a socket pair), closed on exec so that no other run started
// meanwhile inherits them.
struct Pipe {
    int read = -1, write = -1;
    bool open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        read = fds[0];
        write = fds[1];
        return true;
    }
    bool openSocket() {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return false;
        read = fds[0];
        write = fds[1];
        return true;
    }
    ~Pipe() {
        if (read >= 0) ::close(read);
        if (write >= 0) ::close(write);
    }
};

struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// The environment of a run: nothing of the grader's (its variables may hold tokens and
// passwords), only what zefrun itself needs.
std::vector<std::string> runEnvironment() {
    std::vector<std::string> variables{"LC_ALL=C.UTF-8"};
    if (const char* zone = std::getenv("TZ")) variables.push_back(std::string("TZ=") + zone);
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer builds' own settings, so that their tests run zefrun as they mean to.
    for (char** v = environ; *v; ++v) {
        const std::string_view variable(*v);
        if (variable.starts_with("ASAN_") || variable.starts_with("UBSAN_") || variable.starts_with("LSAN_"))
            variables.emplace_back(variable);
    }
#endif
    return variables;
}

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
        std::string reason;
        if (!copyDataFiles(exercise.files, scratch.path(), reason)) {
            run.failure = "copie des fichiers de l'exercice impossible : " + reason;
            return run;
        }
    }
    // The input is opened here, not by name in the child: a named pipe put in its place
    // would hold the start of the run (and the grader with it) until a writer came.
    Descriptor input;
    const std::string inputPath = testCase.input.empty() ? std::string("/dev/null") : testCase.input.string();
    input.fd = ::open(inputPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (testCase.input.empty() ? 0 : O_NOFOLLOW));
    struct stat inputInfo {};
    if (input.fd < 0 || ::fstat(input.fd, &inputInfo) != 0 ||
        (!testCase.input.empty() && !S_ISREG(inputInfo.st_mode))) {
        run.failure = inputPath + " : " +
                      (input.fd < 0 ? frenchReason(errno) : std::string("ce n'est pas un fichier ordinaire"));
        return run;
    }
    ::fcntl(input.fd, F_SETFL, ::fcntl(input.fd, F_GETFL) & ~O_NONBLOCK);

    const Limits& limits = settings.limits;
    std::vector<std::string> args{settings.zefrun.string(),
                                  "--locale", settings.locale,
                                  "--max-statements", std::to_string(limits.statements),
                                  "--max-cpu", std::to_string(limits.cpuSeconds),
                                  "--max-output", std::to_string(limits.outputBytes),
                                  "--max-fichiers", std::to_string(limits.fileBytes),
                                  "--status-fd", std::to_string(kStatusDescriptor)};
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

    std::vector<std::string> variables = runEnvironment();
    std::vector<char*> envp;
    for (std::string& v : variables) envp.push_back(v.data());
    envp.push_back(nullptr);

    Pipe out, err, status;
    if (!out.open() || !err.open() || !status.openSocket()) {
        run.failure = "tube impossible à ouvrir : " + frenchReason(errno);
        return run;
    }
    // The child gets its input, its two outputs and the status socket, and nothing else:
    // whatever other descriptor this process holds (another run's, a data file being
    // copied by another thread) is closed at the start.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input.fd, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out.write, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.write, STDERR_FILENO);
    posix_spawn_file_actions_adddup2(&actions, status.write, kStatusDescriptor);
    posix_spawn_file_actions_addclosefrom_np(&actions, kStatusDescriptor + 1);
    posix_spawn_file_actions_addchdir_np(&actions, scratch.path().c_str());
    // A process group of its own: the terminal's Ctrl+C and hang-up reach the grader,
    // which ends its runs itself, cleaning up after them.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    const int spawnError = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(out.write);
    ::close(err.write);
    ::close(status.write);
    out.write = err.write = status.write = -1;
    ::close(input.fd);
    input.fd = -1;
    if (spawnError != 0) {
        run.failure = "zefrun (" + settings.zefrun.string() + ") impossible à lancer : " + frenchReason(spawnError);
        return run;
    }
    run.started = true;

    // Both outputs are read as they come, so that a program writing much to one never
    // waits on the other; the run is killed past its wall-clock bound or when stopped.
    const auto deadline = started + std::chrono::seconds(wallSecondsFor(limits));
    pollfd fds[3] = {{out.read, POLLIN, 0}, {err.read, POLLIN, 0}, {status.read, POLLIN, 0}};
    std::string record;
    std::string* buffers[3] = {&run.output, &run.errors, &record};
    const std::size_t caps[3] = {static_cast<std::size_t>(limits.outputBytes), kMaxErrorBytes, kMaxErrorBytes};
    bool killed = false;
    auto kill = [&] {
        if (!killed) ::kill(pid, SIGKILL);
        killed = true;
    };
    while (fds[0].fd >= 0 || fds[1].fd >= 0 || fds[2].fd >= 0) {
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
        if (::poll(fds, 3, wait) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 3; ++i) {
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
    int exit = 0;
    while (::waitpid(pid, &exit, 0) < 0 && errno == EINTR) {}
    run.exited = WIFEXITED(exit);
    run.status = run.exited ? WEXITSTATUS(exit) : 0;
    run.signal = WIFSIGNALED(exit) ? WTERMSIG(exit) : 0;
    run.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    run.end = parseEndRecord(record);
    // A run that the stop cut short may have ended by itself meanwhile: it is not judged.
    if (stop && stop->load()) run.cancelled = true;
    return run;
}

CaseResult runCase(const fs::path& program, const Exercise& exercise, const TestCase& testCase,
                   const RunSettings& settings, const std::atomic<bool>* stop) {
    const RunOutcome run = runProgram(program, exercise, testCase, settings, stop);
    CaseResult result = judge(run, testCase.expected.value_or(std::string()), settings.exact);
    describeCase(result, testCase);
    return result;
}

void describeCase(CaseResult& result, const TestCase& testCase) {
    result.caseName = testCase.name;
    result.input = testCase.inputStart;
    result.inputCut = testCase.inputCut;
    result.arguments = testCase.arguments;
}

} // namespace zef
