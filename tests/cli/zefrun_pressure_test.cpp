// zefrun under pressure, each condition made for real: closed standard descriptors, named
// pipes without their other side, a trace whose stream fails or whose reader goes away, a
// reader that holds stdout open without reading, and a long traced run.
#include "terminal_platform.h"
#include "trace.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeProgram(const fs::path& path, const std::vector<std::string>& lines) {
    std::ofstream out(path, std::ios::binary);
    for (const auto& line : lines) out << line << "\r\n";
}

// A folder of its own under the system's temporary folder, removed at the end.
struct TempDir {
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "zefpress-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(path); }
    fs::path path;
};

// Starts zefrun in dir; `descriptors` sets up its standard descriptors (they are the test's
// own otherwise).
pid_t spawnZefrun(const fs::path& dir, const std::vector<std::string>& args,
                  const std::function<void(posix_spawn_file_actions_t&)>& descriptors) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    descriptors(actions);
    std::vector<std::string> copy{ZEF_ZEFRUN};
    copy.insert(copy.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, ZEF_ZEFRUN, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

// The exit status, or nothing when zefrun had not ended after a generous minute (it is then
// killed): the defects shown here made zefrun wait or spin forever.
std::optional<int> waitForExit(pid_t pid) {
    const auto cap = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    int wstatus = 0;
    while (waitpid(pid, &wstatus, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > cap) {
            kill(pid, SIGKILL);
            waitpid(pid, &wstatus, 0);
            return std::nullopt;
        }
        usleep(2000);
    }
    return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
}

void toFile(posix_spawn_file_actions_t& a, int fd, const char* name) {
    posix_spawn_file_actions_addopen(&a, fd, name, fd == 0 ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC, 0644);
}

// Waits until the pipe holds all it can: its writer is then blocked.
bool waitUntilFull(int readEnd) {
    const int capacity = fcntl(readEnd, F_GETPIPE_SZ);
    int queued = 0;
    const auto cap = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (queued < capacity && std::chrono::steady_clock::now() < cap) {
        usleep(2000);
        ioctl(readEnd, FIONREAD, &queued);
    }
    return queued >= capacity;
}

} // namespace

// A closed stdout, stderr or stdin is never the number a file of the program gets: the
// screen's lines and the error messages stay out of the program's files.
TEST(ZefrunDescriptors, ClosedStandardDescriptorsNeverBecomeTheProgramsFiles) {
    TempDir dir;
    // More screen lines than zefrun keeps before writing them out.
    writeProgram(dir.path / "ecrit.pas", {"PROGRAM Ecrit;", "VAR F: TEXTFILE;", "VAR I: INTEGER;", "BEGIN",
                                          "  ASSIGN(F,'sortie.txt');", "  REWRITE(F);",
                                          "  WRITELN(F,'pour le fichier');", "  FOR I:=1 TO 20000 DO",
                                          "  WRITELN('pour l ecran');", "  CLOSE(F);", "END."});
    pid_t pid = spawnZefrun(dir.path, {"ecrit.pas"}, [](auto& a) {
        toFile(a, 0, "/dev/null");
        posix_spawn_file_actions_addclose(&a, 1);
        toFile(a, 2, "erreurs.txt");
    });
    EXPECT_EQ(waitForExit(pid), 74);
    EXPECT_EQ(readFile(dir.path / "SORTIE.TXT"), "pour le fichier\r\n");
    EXPECT_EQ(readFile(dir.path / "erreurs.txt"),
              "zefrun: écriture impossible sur la sortie standard : sortie fermée\n");

    // The error message of a program with stderr closed goes nowhere, not into its file.
    writeProgram(dir.path / "erreur.pas", {"PROGRAM Erreur;", "VAR F: TEXTFILE;", "BEGIN",
                                           "  ASSIGN(F,'journal.txt');", "  REWRITE(F);",
                                           "  WRITELN(F,'ligne');", "  WRITELN(X);", "END."});
    pid = spawnZefrun(dir.path, {"erreur.pas"}, [](auto& a) {
        toFile(a, 0, "/dev/null");
        toFile(a, 1, "ecran.txt");
        posix_spawn_file_actions_addclose(&a, 2);
    });
    EXPECT_EQ(waitForExit(pid), 1);
    EXPECT_EQ(readFile(dir.path / "JOURNAL.TXT"), "ligne\r\n");

    // A closed stdin is an input at its end, whatever file the program opened first.
    writeProgram(dir.path / "lit.pas", {"PROGRAM Lit;", "VAR F: TEXTFILE;", "VAR S: STRING;", "BEGIN",
                                        "  ASSIGN(F,'copie.txt');", "  REWRITE(F);", "  WRITELN(F,'avant');",
                                        "  READLN(S);", "  WRITELN(F,S);", "END."});
    pid = spawnZefrun(dir.path, {"lit.pas"}, [](auto& a) {
        posix_spawn_file_actions_addclose(&a, 0);
        toFile(a, 1, "ecran.txt");
        toFile(a, 2, "erreurs.txt");
    });
    EXPECT_EQ(waitForExit(pid), 2);
    EXPECT_EQ(readFile(dir.path / "erreurs.txt"), "lit.pas:8: Fin de l'entrée : plus rien à lire\n");
    EXPECT_EQ(readFile(dir.path / "COPIE.TXT"), "avant\r\n");
}

// REWRITE of a named pipe that nobody reads, RESET of one that nobody writes: the program
// gets its input/output error at once instead of waiting for the other side.
TEST(ZefrunNamedPipes, OpeningANamedPipeNeverWaitsForTheOtherSide) {
    TempDir dir;
    ASSERT_EQ(mkfifo((dir.path / "tube").c_str(), 0600), 0);
    for (const char* open : {"REWRITE", "RESET"}) {
        writeProgram(dir.path / "tube.pas", {"PROGRAM Tube;", "VAR F: TEXTFILE;", "BEGIN", "  ASSIGN(F,'tube');",
                                             std::string("  ") + open + "(F);", "  WRITELN('ouvert');", "END."});
        const pid_t pid = spawnZefrun(dir.path, {"tube.pas"}, [](auto& a) {
            toFile(a, 0, "/dev/null");
            toFile(a, 1, "ecran.txt");
            toFile(a, 2, "erreurs.txt");
        });
        EXPECT_EQ(waitForExit(pid), 1) << open;
        EXPECT_EQ(readFile(dir.path / "ecran.txt"), "") << open;
        // The message as learners know it, naming the file it is about.
        EXPECT_TRUE(readFile(dir.path / "erreurs.txt").starts_with("tube.pas:5: Erreur Entrée/Sortie (TUBE"))
            << open << ": " << readFile(dir.path / "erreurs.txt");
    }
}

// The trace's stream is held to the rules of stdout: a reader gone ends the run quietly with
// 141 (before, an endless program spun forever), a full disk gives 74 (before, 0 with the
// trace lost). Its stops come after the program's output so far.
TEST(ZefrunTrace, TheTracesStreamIsHeldToTheRulesOfTheOutput) {
    TempDir dir;
    writeProgram(dir.path / "boucle.pas", {"PROGRAM Boucle;", "BEGIN", "Encore:", "  GOTO Encore;", "END."});
    int gone[2];
    ASSERT_EQ(pipe(gone), 0);
    close(gone[0]);
    pid_t pid = spawnZefrun(dir.path, {"--trace", "boucle.pas"}, [&](auto& a) {
        toFile(a, 0, "/dev/null");
        toFile(a, 1, "/dev/null");
        posix_spawn_file_actions_adddup2(&a, gone[1], 2);
    });
    close(gone[1]);
    EXPECT_EQ(waitForExit(pid), 141);

    writeProgram(dir.path / "compte.pas", {"PROGRAM Compte;", "VAR I: INTEGER;", "BEGIN", "  FOR I:=1 TO 2 DO",
                                           "  WRITELN(I);", "END."});
    pid = spawnZefrun(dir.path, {"--trace", "compte.pas"}, [](auto& a) {
        toFile(a, 0, "/dev/null");
        toFile(a, 1, "ecran.txt");
        toFile(a, 2, "/dev/full");
    });
    EXPECT_EQ(waitForExit(pid), 74);

    // stdout and stderr in one file, as `2>&1`: each number right after the stop at its
    // WRITELN, before the next stop.
    pid = spawnZefrun(dir.path, {"--trace", "compte.pas"}, [](auto& a) {
        toFile(a, 0, "/dev/null");
        toFile(a, 1, "tout.txt");
        posix_spawn_file_actions_adddup2(&a, 1, 2);
    });
    EXPECT_EQ(waitForExit(pid), 0);
    EXPECT_EQ(readFile(dir.path / "tout.txt"), "compte.pas:4:   FOR I:=1 TO 2 DO\n"
                                               "compte.pas:5:   WRITELN(I);\n"
                                               "1\n"
                                               "compte.pas:6: (fin de bloc)\n"
                                               "compte.pas:5:   WRITELN(I);\n"
                                               "2\n"
                                               "compte.pas:6: (fin de bloc)\n"
                                               "compte.pas:6: END.\n");
}

// Ctrl+C while the reader holds stdout open without reading: the run ends with 130, what
// stdout could not take is dropped, and the program's files are closed with all their
// lines. Before, no number of Ctrl+C ended it. The same when stderr is that pipe too.
TEST(ZefrunSignals, CtrlCEndsARunBlockedOnOutput) {
    TempDir dir;
    writeProgram(dir.path / "p.pas", {"PROGRAM P;", "VAR F: TEXTFILE;", "VAR I: INTEGER;", "BEGIN",
                                      "  ASSIGN(F,'compte.txt');", "  REWRITE(F);", "  FOR I:=1 TO 100000000 DO",
                                      "  BEGIN", "    WRITELN(F,I);", "    WRITELN(I);", "  END;", "END."});
    for (const bool stderrToo : {false, true}) {
        int held[2];
        ASSERT_EQ(pipe(held), 0);
        const pid_t pid = spawnZefrun(dir.path, {"p.pas"}, [&](auto& a) {
            toFile(a, 0, "/dev/null");
            posix_spawn_file_actions_adddup2(&a, held[1], 1);
            if (stderrToo) posix_spawn_file_actions_adddup2(&a, held[1], 2);
            else toFile(a, 2, "erreurs.txt");
        });
        close(held[1]);
        ASSERT_TRUE(waitUntilFull(held[0]));
        kill(pid, SIGINT);
        EXPECT_EQ(waitForExit(pid), 130) << stderrToo;
        close(held[0]);
        // The file holds 1, 2, 3... up to where the run stopped, each line whole.
        std::istringstream numbers(readFile(dir.path / "COMPTE.TXT"));
        long expected = 1, n = 0;
        while (numbers >> n) ASSERT_EQ(n, expected++);
        EXPECT_GT(expected, 1000);
        if (!stderrToo) {
            EXPECT_EQ(readFile(dir.path / "erreurs.txt"), "p.pas:10: Exécution interrompue\n");
        }
    }
}

namespace {

// The program's lines, counting how often the run reads one.
class CountingLines : public zef::FileLineList {
public:
    using FileLineList::FileLineList;
    std::string line(int index) const override {
        ++reads;
        return FileLineList::line(index);
    }
    mutable long reads = 0;
};

// Reads of lines for a traced run of `statements` assignments one after the other.
long linesReadByATracedRun(int statements) {
    std::vector<std::string> lines{"PROGRAM Long;", "VAR I: INTEGER;", "BEGIN"};
    lines.insert(lines.end(), static_cast<std::size_t>(statements), "  I := I + 1;");
    lines.push_back("END.");
    CountingLines program(std::move(lines));
    zef::Platform platform;
    zef::Interpreter interpreter(platform);
    interpreter.InitPrg("LONG.PAS");
    const int devNull = open("/dev/null", O_WRONLY);
    zef::OutputChannel trace(devNull), out(devNull);
    std::int32_t line = 0, status = 0;
    zef::ExecTraced(interpreter, program, "long.pas", trace, out, {}, line, status);
    close(devNull);
    EXPECT_EQ(status, zef::StatusOk);
    return program.reads;
}

} // namespace

// A step costs its statement and its line of trace: twice the program, twice the reading
// (every step reading the whole program again made it four times).
TEST(ZefrunTrace, AStepDoesNotReadTheWholeProgramAgain) {
    const long small = linesReadByATracedRun(2000);
    const long large = linesReadByATracedRun(4000);
    EXPECT_LT(large, 3 * small) << small << " then " << large;
}
