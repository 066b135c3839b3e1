// Whole programs run through the zefrun binary, one test per file of tests/programs. A
// case file holds the program, what it is given and what it must produce, in sections:
//
//   === program            the program text (saved with CR LF line ends as prog.pas)
//   === example NAME       the program is the file examples/NAME, copied as prog.pas
//   === stdin              what the program reads
//   === args TEXT          run parameters (--args); === locale NAME (--locale)
//   === given NAME         a file present in the working directory before the run
//   === stdout             expected standard output
//   === stderr             expected standard error ("prog.pas:LINE: message")
//   === status N           expected exit status (0 when absent)
//   === file NAME          expected content of a file after the run (CR LF line ends)
//   === nofile NAME        a file that must not exist after the run
//   === printer            expected printer output (the run gets --printer printer.txt)
//   === trace              the run is traced (--trace): its stops come before stderr's errors
//
// A section's text ends with a line end unless its header ends with " -n". Lines before
// the first section are a description.
#include "messages.h"
#include "scratch.h"
#include "text.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct Section {
    std::string header; // e.g. "file data.txt"
    std::string text;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::vector<Section> parseCase(const std::string& content) {
    std::vector<Section> sections;
    std::istringstream in(content);
    std::string line;
    bool noFinalNewline = false;
    auto finish = [&]() {
        if (!sections.empty() && noFinalNewline && !sections.back().text.empty())
            sections.back().text.pop_back();
    };
    while (std::getline(in, line)) {
        if (line.rfind("=== ", 0) == 0) {
            finish();
            std::string header = line.substr(4);
            noFinalNewline = header.size() > 3 && header.substr(header.size() - 3) == " -n";
            if (noFinalNewline) header.resize(header.size() - 3);
            sections.push_back({header, ""});
        } else if (!sections.empty()) {
            sections.back().text += line + "\n";
        }
    }
    finish();
    return sections;
}

std::string withCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

struct RunResult {
    std::string out, err;
    int status = -1;
};

// The zefrun under test: the one built beside the tests, or the one ZEF_ZEFRUN names (the
// WebAssembly build's web/zefrun-node runs the same cases).
const char* zefrunPath() {
    const char* chosen = std::getenv("ZEF_ZEFRUN");
    return chosen && *chosen ? chosen : ZEF_ZEFRUN;
}

// Starts zefrun in dir with stdin.txt as its input, stderr.txt as its error output and the
// given descriptor (stdout.txt when -1) as its output.
pid_t startZefrun(const fs::path& dir, const std::vector<std::string>& args, int stdoutFd = -1) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        const int in = open("stdin.txt", O_RDONLY);
        const int out = stdoutFd >= 0 ? stdoutFd : open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0), dup2(out, 1), dup2(err, 2);
        std::vector<char*> argv;
        std::string exe = zefrunPath();
        argv.push_back(exe.data());
        std::vector<std::string> copy = args;
        for (auto& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

int waitStatus(pid_t pid) {
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
}

RunResult runZefrun(const fs::path& dir, const std::vector<std::string>& args, int stdoutFd = -1) {
    RunResult r;
    r.status = waitStatus(startZefrun(dir, args, stdoutFd));
    if (stdoutFd < 0) r.out = readFile(dir / "stdout.txt");
    r.err = readFile(dir / "stderr.txt");
    return r;
}

// The folder of the case files; ZEF_CASES_DIR in the environment runs another folder.
fs::path casesDir() {
    const char* dir = std::getenv("ZEF_CASES_DIR");
    return dir && *dir ? fs::path(dir) : fs::path(ZEF_CASES_DIR);
}

std::vector<std::string> caseNames() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(casesDir()))
        if (e.path().extension() == ".case") names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ProgramCase : public testing::TestWithParam<std::string> {};

TEST_P(ProgramCase, RunsAsExpected) {
    const auto sections = parseCase(readFile(casesDir() / (GetParam() + ".case")));
    zef::testing::ScratchFolder scratch("zefcase-" + GetParam());
    const fs::path& dir = scratch.path();
    writeFile(dir / "stdin.txt", "");

    std::vector<std::string> args;
    std::string expectedOut, expectedErr;
    int expectedStatus = 0;
    bool printer = false;
    for (const auto& s : sections) {
        const auto space = s.header.find(' ');
        const std::string kind = s.header.substr(0, space);
        const std::string arg = space == std::string::npos ? "" : s.header.substr(space + 1);
        if (kind == "program") writeFile(dir / "prog.pas", withCrLf(s.text));
        else if (kind == "example") fs::copy_file(fs::path(ZEF_EXAMPLES_DIR) / arg, dir / "prog.pas");
        else if (kind == "stdin") writeFile(dir / "stdin.txt", s.text);
        else if (kind == "given") {
            fs::create_directories((dir / arg).parent_path());
            writeFile(dir / arg, withCrLf(s.text));
        } else if (kind == "args") args.insert(args.end(), {"--args", arg});
        else if (kind == "locale") args.insert(args.end(), {"--locale", arg});
        else if (kind == "printer") printer = true;
        else if (kind == "trace") args.push_back("--trace");
        else if (kind == "stdout") expectedOut = s.text;
        else if (kind == "stderr") expectedErr = s.text;
        else if (kind == "status") expectedStatus = std::stoi(arg);
    }
    if (args.end() == std::find(args.begin(), args.end(), "--locale"))
        args.insert(args.end(), {"--locale", "fr_FR"});
    if (printer) args.insert(args.end(), {"--printer", "printer.txt"});
    args.push_back("prog.pas");

    const RunResult r = runZefrun(dir, args);
    EXPECT_EQ(r.out, expectedOut) << "stdout";
    EXPECT_EQ(r.err, expectedErr) << "stderr";
    EXPECT_EQ(r.status, expectedStatus) << "exit status";
    for (const auto& s : sections) {
        const auto space = s.header.find(' ');
        const std::string kind = s.header.substr(0, space);
        const std::string arg = space == std::string::npos ? "" : s.header.substr(space + 1);
        if (kind == "file") {
            ASSERT_TRUE(fs::exists(dir / arg)) << arg;
            EXPECT_EQ(readFile(dir / arg), withCrLf(s.text)) << arg;
        } else if (kind == "nofile") {
            EXPECT_FALSE(fs::exists(dir / arg)) << arg;
        } else if (kind == "printer") {
            EXPECT_EQ(readFile(dir / "printer.txt"), withCrLf(s.text)) << "printer";
        }
    }
    if (HasFailure()) {
        scratch.keep();
        std::cout << "the run's folder stays in " << dir << "\n";
    }
}

// Every message of the catalogue is shown, at its line, by some case program: a message no
// case shows could change its wording unseen. A stop asked by a signal cannot be written
// as a case; the command-line tests below show it.
TEST(Messages, EveryMessageIsShownAtItsLineBySomeCase) {
    std::vector<std::string> shown; // the text after "FILE:LINE: " of every expected stderr line
    for (const auto& name : caseNames())
        for (const auto& section : parseCase(readFile(casesDir() / (name + ".case")))) {
            if (section.header != "stderr") continue;
            std::istringstream lines(section.text);
            for (std::string line; std::getline(lines, line);) {
                const auto colon = line.find(':');
                const auto after = colon == std::string::npos ? colon : line.find(": ", colon + 1);
                if (after == std::string::npos || after == colon + 1) continue;
                const std::string number = line.substr(colon + 1, after - colon - 1);
                if (std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
                    shown.push_back(line.substr(after + 2));
            }
        }
    auto matchesAlone = [](const std::string& line, std::string_view text) {
        const auto hole = text.find("%1");
        if (hole == std::string_view::npos) return line == text;
        const std::string_view before = text.substr(0, hole), after = text.substr(hole + 2);
        return line.size() > before.size() + after.size() && line.starts_with(before) && line.ends_with(after);
    };
    // A message may be followed by what it was about, in parentheses.
    auto matches = [&](const std::string& line, std::string_view text) {
        if (matchesAlone(line, text)) return true;
        const auto open = line.rfind(" (");
        return open != std::string::npos && line.ends_with(")") && matchesAlone(line.substr(0, open), text);
    };
    for (int i = 0; i < zef::kMessageCount; ++i) {
        const auto message = static_cast<zef::Message>(i);
        if (message == zef::Message::Interrupted) continue;
        const std::string_view text = zef::messageText(message);
        EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](const std::string& l) { return matches(l, text); }))
            << "no case shows \"" << text << "\"";
    }
    // So is every reason of a stop that has no message of its own.
    for (int i = 0; i < zef::kStopReasonCount; ++i) {
        const auto reason = static_cast<zef::StopReason>(i);
        const std::string text =
            zef::cp1252ToUtf8(zef::stoppedBecause(zef::utf8ToCp1252(std::string(zef::stopReasonText(reason)))));
        EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](const std::string& l) { return matches(l, text); }))
            << "no case shows \"" << text << "\"";
    }
}

// The command line itself: usage errors, unreadable programs, help, version.
TEST(ZefrunCommandLine, ExitStatusesOfTheCommandLine) {
    const zef::testing::ScratchFolder scratch("zefcli");
    const fs::path& dir = scratch.path();
    fs::create_directories(dir / "dossier");
    writeFile(dir / "stdin.txt", "");
    writeFile(dir / "p.pas", "PROGRAM P;\r\nVAR S: STRING;\r\nBEGIN\r\n  S := PARAMSTR(0);\r\n  WRITELN(S);\r\nEND.\r\n");
    EXPECT_EQ(runZefrun(dir, {}).status, 64);
    EXPECT_EQ(runZefrun(dir, {"--bogus", "p.pas"}).status, 64);
    EXPECT_EQ(runZefrun(dir, {"p.pas", "q.pas"}).status, 64);
    EXPECT_EQ(runZefrun(dir, {"--args"}).status, 64);
    const RunResult missing = runZefrun(dir, {"absent.pas"});
    EXPECT_EQ(missing.status, 66);
    EXPECT_NE(missing.err.find("absent.pas"), std::string::npos);
    EXPECT_NE(missing.err.find("fichier introuvable"), std::string::npos);
    EXPECT_EQ(runZefrun(dir, {"dossier"}).status, 66);
    // Only a regular file of reasonable size is a program; stdin is the program's input.
    const RunResult device = runZefrun(dir, {"/dev/zero"});
    EXPECT_EQ(device.status, 66);
    EXPECT_NE(device.err.find("ce n'est pas un fichier ordinaire"), std::string::npos);
    fs::resize_file((std::ofstream(dir / "enorme.pas"), dir / "enorme.pas"), 64 << 20);
    EXPECT_EQ(runZefrun(dir, {"enorme.pas"}).status, 66);
    // A UTF-16 program is named as such, rather than failing at its first line.
    writeFile(dir / "large.pas", std::string("\xFF\xFEP\0R\0O\0G\0R\0A\0M\0 \0L\0;\0", 22));
    const RunResult wide = runZefrun(dir, {"large.pas"});
    EXPECT_EQ(wide.status, 66);
    EXPECT_EQ(wide.err, "zefrun : impossible de lire large.pas : fichier en UTF-16 : enregistrez-le en UTF-8\n");
    EXPECT_EQ(runZefrun(dir, {"-"}).status, 64);
    const RunResult help = runZefrun(dir, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage : zefrun", 0), 0u);
    EXPECT_NE(help.out.find("--version"), std::string::npos);
    // The build's version, the one the package and the IDE's about box carry.
    const RunResult version = runZefrun(dir, {"--version", "p.pas"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "zefrun " ZEF_PROJECT_VERSION "\n");
    EXPECT_EQ(version.err, "");
    // The program's name is the file name without its directory.
    const RunResult run = runZefrun(dir, {(dir / "p.pas").string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "p.pas\n");
}

// Whether the process has its handler for the signal, which /proc tells as a bit of
// SigCgt; waited for up to a minute (the sanitizer build starts slowly on a busy machine).
bool waitUntilCaught(pid_t pid, int signal) {
    const auto cap = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < cap) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.starts_with("SigCgt:") && (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1))
                return true;
        usleep(1000);
    }
    return false;
}

// Ctrl+C stops a running program, and one waiting for input, with status 130. The signal
// comes as soon as zefrun can take it: however early, a read must not swallow it.
TEST(ZefrunCommandLine, CtrlCInterruptsTheRun) {
    const zef::testing::ScratchFolder scratch("zefint");
    const fs::path& dir = scratch.path();
    writeFile(dir / "boucle.pas", "PROGRAM Boucle;\r\nBEGIN\r\nEncore:\r\n  GOTO Encore;\r\nEND.\r\n");
    writeFile(dir / "lire.pas", "PROGRAM Lire;\r\nVAR S: STRING;\r\nBEGIN\r\n  READLN(S);\r\nEND.\r\n");
    for (const char* program : {"boucle.pas", "lire.pas"}) {
        int input[2];
        ASSERT_EQ(pipe(input), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0) _exit(127);
            dup2(input[0], 0);
            close(input[1]);
            const int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(err, 2);
            execl(zefrunPath(), zefrunPath(), program, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(input[0]);
        ASSERT_TRUE(waitUntilCaught(pid, SIGINT)) << program;
        kill(pid, SIGINT);
        int wstatus = 0;
        waitpid(pid, &wstatus, 0);
        close(input[1]); // the writer stays open until then: the read really waits
        ASSERT_TRUE(WIFEXITED(wstatus)) << program;
        EXPECT_EQ(WEXITSTATUS(wstatus), 130) << program;
        EXPECT_NE(readFile(dir / "stderr.txt").find("Exécution interrompue"), std::string::npos) << program;
    }
}

// A program in conversation over pipes: each question reaches the other side before zefrun
// waits for its answer, although in a pipe the output is not written at every READ.
TEST(ZefrunCommandLine, QuestionsReachAPipeBeforeTheAnswerIsAwaited) {
    const zef::testing::ScratchFolder scratch("zefask");
    const fs::path& dir = scratch.path();
    writeFile(dir / "p.pas", "PROGRAM P;\r\nVAR I, N: INTEGER;\r\nBEGIN\r\n  FOR I:=1 TO 3 DO\r\n"
                             "  BEGIN\r\n    WRITE('Nombre ?');\r\n    READLN(N);\r\n    N := N * 2;\r\n"
                             "    WRITELN(N);\r\n  END;\r\nEND.\r\n");
    int toChild[2], fromChild[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(fromChild), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        dup2(toChild[0], 0);
        dup2(fromChild[1], 1);
        for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) close(fd);
        execl(zefrunPath(), zefrunPath(), "p.pas", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    // Reads until the text has come, for at most a minute: without it the question is lost.
    std::string seen;
    auto awaitText = [&](const std::string& text) {
        const auto cap = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (seen.find(text) == std::string::npos && std::chrono::steady_clock::now() < cap) {
            pollfd ready{fromChild[0], POLLIN, 0};
            if (poll(&ready, 1, 1000) <= 0) continue;
            char chunk[256];
            const ssize_t n = read(fromChild[0], chunk, sizeof chunk);
            if (n <= 0) break;
            seen.append(chunk, static_cast<std::size_t>(n));
        }
        return seen.find(text) != std::string::npos;
    };
    for (const char* answer : {"21", "5", "-4"}) {
        ASSERT_TRUE(awaitText("Nombre ?")) << seen;
        seen.erase(0, seen.find("Nombre ?") + 8);
        const std::string line = std::string(answer) + "\n";
        ASSERT_EQ(write(toChild[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
    }
    close(toChild[1]);
    EXPECT_TRUE(awaitText("-8\n")) << seen;
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    close(fromChild[0]);
    EXPECT_TRUE(WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0);
}

// Standard output that cannot be written stops the run with 74 and a French reason; a
// reader that went away ends it quietly with 141; the printer on a full disk loses nothing
// silently.
TEST(ZefrunOutput, WriteErrorsAreReported) {
    const zef::testing::ScratchFolder scratch("zefout");
    const fs::path& dir = scratch.path();
    writeFile(dir / "stdin.txt", "");
    writeFile(dir / "p.pas", "PROGRAM P;\r\nVAR I: INTEGER;\r\nBEGIN\r\n  FOR I:=1 TO 30000 DO\r\n  WRITELN('ligne');\r\nEND.\r\n");
    const int full = open("/dev/full", O_WRONLY);
    const RunResult onFull = runZefrun(dir, {"p.pas"}, full);
    close(full);
    EXPECT_EQ(onFull.status, 74);
    EXPECT_EQ(onFull.err, "zefrun: écriture impossible sur la sortie standard : disque plein\n");

    int gone[2];
    ASSERT_EQ(pipe(gone), 0);
    close(gone[0]);
    const RunResult closed = runZefrun(dir, {"p.pas"}, gone[1]);
    close(gone[1]);
    EXPECT_EQ(closed.status, 141);
    EXPECT_EQ(closed.err, "");

    writeFile(dir / "prn.pas", "PROGRAM Prn;\r\nVAR I: INTEGER;\r\nBEGIN\r\n  ASSIGNPRN;\r\n  REWRITE(PRN);\r\n"
                               "  FOR I:=1 TO 50 DO\r\n  WRITELN(PRN,'une ligne');\r\n  WRITELN('fini');\r\nEND.\r\n");
    const RunResult printer = runZefrun(dir, {"--printer", "/dev/full", "prn.pas"});
    EXPECT_EQ(printer.out, "fini\n");
    EXPECT_EQ(printer.err, "prn.pas:9: Erreur E/S 29\n");
    EXPECT_EQ(printer.status, 2);
}

// SIGTERM while stdout is blocked: what was written reaches the reader whole and in order,
// files left open are closed with all their lines, and the status says so. (Ctrl+C there
// drops what stdout cannot take: zefrun_pressure_test shows it.)
TEST(ZefrunOutput, SigtermKeepsEverythingWritten) {
    const zef::testing::ScratchFolder scratch("zefsig");
    const fs::path& dir = scratch.path();
    writeFile(dir / "stdin.txt", "");
    writeFile(dir / "p.pas", "PROGRAM P;\r\nVAR F: TEXTFILE;\r\nVAR I: INTEGER;\r\nBEGIN\r\n"
                             "  ASSIGN(F,'trace.txt');\r\n  REWRITE(F);\r\n  FOR I:=1 TO 100000000 DO\r\n  BEGIN\r\n"
                             "    WRITELN(F,I);\r\n    WRITELN(I);\r\n  END;\r\nEND.\r\n");
    {
        const int signal = SIGTERM;
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        const pid_t pid = startZefrun(dir, {"p.pas"}, out[1]);
        close(out[1]);
        // Wait until the pipe is full, so that zefrun is blocked writing.
        const int capacity = fcntl(out[0], F_GETPIPE_SZ);
        int queued = 0;
        for (int i = 0; i < 3000 && queued < capacity; ++i) {
            usleep(10 * 1000);
            ioctl(out[0], FIONREAD, &queued);
        }
        ASSERT_GE(queued, capacity);
        kill(pid, signal);
        std::string text;
        char chunk[65536];
        for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;) text.append(chunk, static_cast<std::size_t>(n));
        close(out[0]);
        const int status = waitStatus(pid);
        std::istringstream lines(text);
        long expected = 1, number = 0;
        while (lines >> number) EXPECT_EQ(number, expected++) << "signal " << signal;
        EXPECT_TRUE(text.ends_with("\n"));
        const std::string file = readFile(dir / "TRACE.TXT");
        EXPECT_TRUE(file.ends_with(std::to_string(expected - 1) + "\r\n") ||
                    file.ends_with(std::to_string(expected) + "\r\n")) << "signal " << signal;
        EXPECT_EQ(status, 143);
    }
}

// Inputs that are large but legitimate take linear time: leading blank lines before the
// program, a very long line on stdin. Measured as the processor time of two sizes in one
// run, a quarter and the whole, so that a busy machine slows both alike: linear work
// grows about four times, the quadratic work this once was sixteen times.
TEST(ZefrunCommandLine, LongInputsTakeLinearTime) {
    const zef::testing::ScratchFolder scratch("zeflong");
    const fs::path& dir = scratch.path();
    auto cpuSeconds = [&](int blankLines, std::size_t inputBytes) {
        std::string blank;
        for (int i = 0; i < blankLines; ++i) blank += "\r\n";
        writeFile(dir / "p.pas",
                  blank + "PROGRAM P;\r\nVAR S: STRING;\r\nBEGIN\r\n  READLN(S);\r\n  WRITELN('lu');\r\nEND.\r\n");
        writeFile(dir / "stdin.txt", std::string(inputBytes, 'x') + "\n");
        rusage before{}, after{};
        getrusage(RUSAGE_CHILDREN, &before);
        const RunResult r = runZefrun(dir, {"p.pas"});
        getrusage(RUSAGE_CHILDREN, &after);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out.size(), inputBytes + 4); // the echo of the line, then "lu"
        auto seconds = [](const rusage& u) {
            return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
        };
        return seconds(after) - seconds(before);
    };
    // The smaller size is large enough that starting the process does not decide it. Each
    // size keeps its best of three runs, taken in turn, so that a busy moment of the
    // machine (page faults under another test's memory) does not decide it either.
    double quarter = 1e9, whole = 1e9;
    for (int round = 0; round < 3; ++round) {
        quarter = std::min(quarter, cpuSeconds(50000, 5u << 20));
        whole = std::min(whole, cpuSeconds(200000, 20u << 20));
    }
    EXPECT_LT(whole, 10 * std::max(quarter, 0.01)) << quarter << " s, then " << whole << " s";
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramCase, testing::ValuesIn(caseNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

} // namespace
