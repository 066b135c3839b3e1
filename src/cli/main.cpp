// zefrun: runs one program of the language in a terminal or a pipe, with the same
// interpreter as the IDE.
#include "options.h"
#include "terminal_platform.h"
#include "trace.h"

#include "confinement.h"
#include "endrecord.h"
#include "sourcefile.h"
#include "systemerror.h"
#include "text.h"
#include "zefversion.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <ctime>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <new>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>
#if defined(__EMSCRIPTEN__)
#include <emscripten.h>
#endif

using namespace zef;

namespace {

// The signal that asked the run to stop (SIGINT or SIGTERM), 0 while none did.
std::atomic<int> signalled{0};

void onSignal(int signal) { signalled.store(signal); }

const char* kUsage =
    "Usage : zefrun [--args TEXTE] [--locale NOM] [--printer FICHIER] [--trace]\n"
    "               [--max-statements N] [--max-cpu SECONDES] [--max-output OCTETS]\n"
    "               [--max-fichiers TAILLE] [--confine DOSSIER] FICHIER.pas\n"
    "\n"
    "Exécute un programme Zef Pascal dans le terminal.\n"
    "  --args TEXTE        paramètres d'exécution (PARAMCOUNT, PARAMSTR)\n"
    "  --locale NOM        réglages régionaux : fr, en, de ou nl (fr_FR, en_US...), C\n"
    "                      ou POSIX (par défaut : ceux du système ; C ou POSIX et les\n"
    "                      langues inconnues valent français)\n"
    "  --printer FICHIER   l'imprimante du programme écrit ses lignes dans FICHIER\n"
    "  --trace             exécute pas à pas et écrit chaque arrêt sur la sortie\n"
    "                      d'erreur : FICHIER:LIGNE: texte de la ligne à exécuter\n"
    "  --max-statements N  arrête le programme après N instructions (statut 3)\n"
    "  --max-cpu SECONDES  arrête le programme après SECONDES de calcul (statut 4)\n"
    "  --max-output OCTETS arrête le programme quand sa sortie dépasse OCTETS, sous\n"
    "                      quelque nom qu'il l'écrive (/dev/stdout compris) (statut 5)\n"
    "  --max-fichiers TAILLE\n"
    "                      arrête le programme quand il écrirait dans ses fichiers plus\n"
    "                      de TAILLE octets en tout (65536, 64K, 32M) (statut 6)\n"
    "  --confine DOSSIER   exécute le programme dans DOSSIER, d'où il ne peut ni lire ni\n"
    "                      écrire ailleurs, ni changer de dossier (Landlock ; statut 69\n"
    "                      si le noyau ne le permet pas), avec pour seuls descripteurs\n"
    "                      0, 1 et 2 ; ses fichiers ne dépassent pas 64 Mo en tout, sauf\n"
    "                      --max-fichiers\n"
    "  --status-fd N       écrit la fin de l'exécution (statut, ligne, message) sur le\n"
    "                      descripteur N, une socket du correcteur qui l'a lancé\n"
    "  --version           affiche la version\n"
    "  --help              affiche cette aide\n"
    "\n"
    "Statut de sortie : 0 programme terminé, 1 arrêté sur une erreur, 2 abandonné\n"
    "(erreur d'entrée/sortie...), 3 limite d'instructions atteinte, 4 limite de temps\n"
    "de calcul atteinte, 5 limite de sortie atteinte, 6 limite d'écriture dans les\n"
    "fichiers atteinte, 64 ligne de commande incorrecte,\n"
    "66 programme illisible, 69 isolement impossible, 74 sortie impossible à écrire\n"
    "(disque plein, sortie fermée par >&- : le programme s'arrête à sa première\n"
    "écriture), 130 interrompu (Ctrl+C), 141 lecteur de la sortie parti, 143 terminé\n"
    "(SIGTERM).\n";

enum Exit { ExitOk = 0, ExitStopped = 1, ExitAbandoned = 2, ExitStatementLimit = 3, ExitCpuLimit = 4,
            ExitOutputLimit = 5, ExitFileLimit = 6, ExitUsage = 64, ExitNoInput = 66, ExitUnavailable = 69,
            ExitOutputFailed = 74, ExitInterrupted = 130, ExitBrokenPipe = 141,
            ExitTerminated = 143 };

// What a confined program may write to files in all, unless told otherwise.
constexpr std::uint64_t kConfinedFileBytes = 64ull << 20;

// How the run ended, for a grader that gave a status descriptor: the messages zefrun
// reported, in order, and at the end one record (see endrecord.h).
class EndReport {
public:
    void setDescriptor(int fd) { fd_ = fd; }
    void note(int line, const std::string& utf8) {
        if (!noted_) first_ = {0, line, utf8};
        last_ = {0, line, utf8};
        noted_ = true;
    }
    // The run stopped on an error of the program: that error is why it ended, whatever
    // failed after it (a file that could not be closed).
    void stoppedOnError() { byFirst_ = true; }
    // Writes the record and returns `exitCode`. A stop is judged by the first message it
    // gave (its error; what follows is a consequence), anything else by the last (an
    // abandoned run ends with its reason, after any message it showed before).
    int finish(int exitCode) {
        if (fd_ < 0) return exitCode;
        EndRecord record = byFirst_ || exitCode == ExitStopped ? first_ : last_;
        record.status = exitCode;
        const std::string text = formatEndRecord(record);
        std::size_t done = 0;
        while (done < text.size()) {
#if defined(__EMSCRIPTEN__)
            // The web page's runs give a file of their memory, not a socket.
            const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
#else
            const ssize_t n = ::send(fd_, text.data() + done, text.size() - done, MSG_NOSIGNAL);
#endif
            if (n > 0) done += static_cast<std::size_t>(n);
            else if (n < 0 && errno == EINTR) continue;
            else break;
        }
        ::close(fd_);
        fd_ = -1;
        return exitCode;
    }

private:
    int fd_ = -1;
    bool noted_ = false, byFirst_ = false;
    EndRecord first_, last_;
};

EndReport endReport;

#if defined(__EMSCRIPTEN__)
// Under Node, emscripten shows the three standard streams as terminals whatever they are:
// Node itself knows.
EM_JS(int, nodeIsTerminal, (int fd), {
    try { return require('tty').isatty(fd) ? 1 : 0; } catch (e) { return 0; }
});
bool isTerminal(int fd) { return nodeIsTerminal(fd) != 0; }
#else
bool isTerminal(int fd) { return ::isatty(fd) == 1; }
#endif

// A graded run keeps no descriptor but 0, 1, 2 and its status descriptor: whatever else it
// was given (the files of another run, of the grader) is closed before the program runs.
void closeOtherDescriptors(int keep) {
    auto closeRange = [](unsigned first, unsigned last) {
        if (first > last) return;
#if defined(SYS_close_range)
        if (::syscall(SYS_close_range, first, last, 0) == 0) return;
#endif
        // Kernels before close_range: one descriptor at a time, as far as the bound goes.
        rlimit files{};
        const unsigned bound = ::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY
                                   ? static_cast<unsigned>(std::min<rlim_t>(files.rlim_cur, 1u << 20))
                                   : 1024u;
        for (unsigned fd = first; fd <= std::min(last, bound); ++fd) ::close(static_cast<int>(fd));
    };
    if (keep < 3) {
        closeRange(3, ~0u);
    } else {
        closeRange(3, static_cast<unsigned>(keep) - 1);
        closeRange(static_cast<unsigned>(keep) + 1, ~0u);
    }
}

int usageError(const std::string& what) {
    std::cerr << "zefrun : " << what << "\n" << kUsage;
    return ExitUsage;
}

// Descriptors 0, 1 and 2 that are closed when zefrun starts are opened on /dev/null before
// anything else: the first file the program opens would otherwise take their number and
// receive the screen's lines or the error messages. Opened for reading only, a closed
// stdout or stderr still fails at its first write (a closed stdout gives exit 74).
void openClosedStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int opened = ::open("/dev/null", O_RDONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

// The messages of the run on stderr, after the program's output so far.
class Reporter {
public:
    Reporter(OutputChannel& out, OutputChannel& err, std::string file)
        : out_(out), err_(err), file_(std::move(file)) {}
    void operator()(int line, const std::string& message8bit) {
        out_.flush();
        const std::string message = cp1252ToUtf8(message8bit);
        err_.write(file_ + ":" + std::to_string(line) + ": " + message + "\n");
        err_.flush();
        endReport.note(line, message);
    }

private:
    OutputChannel& out_;
    OutputChannel& err_;
    std::string file_;
};

void installSignals() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read waiting for stdin returns at once. OutputChannel finishes the
    // writes a signal interrupts, except after Ctrl+C, where it drops what cannot be written.
    sigaction(SIGINT, &action, nullptr);
    // A second SIGTERM ends zefrun at once, should stdout stay blocked.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGTERM, &action, nullptr);
    // A reader gone shows as EPIPE on the write, and the run ends with its channels closed.
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace

int main(int argc, char** argv) {
    openClosedStandardDescriptors();
    std::string arguments, locale, printerPath, file;
    std::string confineFolder, maxStatementsText, maxCpuText, maxOutputText, maxFilesText, statusText;
    std::uint64_t maxStatements = 0, maxCpu = 0, maxOutput = 0, maxFiles = 0, statusFd = 0;
    bool haveLocale = false, trace = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char* option, std::string& out) { return optionValue(argc, argv, i, {option}, out); };
        int r;
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return ExitOk;
        } else if (a == "--version") {
            std::cout << "zefrun " ZEF_VERSION "\n";
            return ExitOk;
        } else if (a == "--trace") {
            trace = true;
        } else if ((r = value("--args", arguments)) != 0) {
            if (r < 0) return usageError("--args attend un texte");
        } else if ((r = value("--locale", locale)) != 0) {
            if (r < 0) return usageError("--locale attend un nom");
            if (!RegionalSettings::knowsLocale(locale))
                return usageError("réglages régionaux inconnus : " + locale +
                                  " (connus : fr, en, de, nl, avec ou sans pays, C, POSIX)");
            haveLocale = true;
        } else if ((r = value("--printer", printerPath)) != 0) {
            if (r < 0) return usageError("--printer attend un fichier");
        } else if ((r = value("--confine", confineFolder)) != 0) {
            if (r < 0 || confineFolder.empty()) return usageError("--confine attend un dossier");
        } else if ((r = value("--max-statements", maxStatementsText)) != 0) {
            if (r < 0 || !parsePositive(maxStatementsText, maxStatements))
                return usageError("--max-statements attend un nombre entier positif");
        } else if ((r = value("--max-cpu", maxCpuText)) != 0) {
            if (r < 0 || !parsePositive(maxCpuText, maxCpu) || maxCpu > 86400)
                return usageError("--max-cpu attend un nombre de secondes (1 à 86400)");
        } else if ((r = value("--max-output", maxOutputText)) != 0) {
            if (r < 0 || !parsePositive(maxOutputText, maxOutput))
                return usageError("--max-output attend un nombre d'octets positif");
        } else if ((r = value("--max-fichiers", maxFilesText)) != 0) {
            if (r < 0 || !parseSize(maxFilesText, maxFiles))
                return usageError("--max-fichiers attend une taille en octets (par exemple 65536, 64K ou 32M)");
        } else if ((r = value("--status-fd", statusText)) != 0) {
            if (r < 0 || !parsePositive(statusText, statusFd) || statusFd < 3 || statusFd > 1u << 20 ||
                ::fcntl(static_cast<int>(statusFd), F_GETFD) == -1)
                return usageError("--status-fd attend un descripteur ouvert, 3 ou plus");
        } else if (a == "-") {
            // stdin is the program's input: the program itself comes from a file.
            return usageError("le programme se lit dans un fichier, pas sur l'entrée standard");
        } else if (startsWith(a, "-")) {
            return usageError("option inconnue " + a);
        } else if (file.empty()) {
            file = a;
        } else {
            return usageError("un seul programme à la fois");
        }
    }
    if (file.empty()) return usageError("programme manquant");

    if (statusFd != 0) {
        const int fd = static_cast<int>(statusFd);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        endReport.setDescriptor(fd);
        // A graded run does not outlive its grader: should the grader be killed, the run is
        // too. A grader already gone has closed its end of the status socket.
#if !defined(__EMSCRIPTEN__)
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
        pollfd peer{fd, POLLRDHUP, 0};
        if (::poll(&peer, 1, 0) > 0 && (peer.revents & (POLLRDHUP | POLLHUP)) != 0) return ExitInterrupted;
    }
    if (statusFd != 0 || !confineFolder.empty()) closeOtherDescriptors(static_cast<int>(statusFd));

    std::string reason;
    const std::optional<std::string> bytes = readSourceBytes(file, reason);
    if (!bytes) {
        const std::string said = "impossible de lire " + file + " : " + reason;
        std::cerr << "zefrun : " << said << "\n";
        endReport.note(0, said);
        return endReport.finish(ExitNoInput);
    }
    std::vector<std::string> lines = splitLines(decodeFileText(*bytes));
    // Breakpoint markers belong to the IDE; the run here never stops at them.
    for (auto& line : lines)
        if (zef::hasBreakpointMarker(line)) line.erase(0, 1);
    FileLineList program(std::move(lines));

    if (!confineFolder.empty()) {
        // The printer's file keeps the meaning its name had where zefrun was started.
        if (!printerPath.empty()) printerPath = std::filesystem::absolute(printerPath).string();
        // The time zone is read now: once confined, /etc is out of reach.
        tzset();
        std::string why;
        if (::chdir(confineFolder.c_str()) != 0) why = frenchReason(errno);
        if (maxFiles == 0) maxFiles = kConfinedFileBytes;
        if (why.empty()) why = confineTo(".");
        if (why.empty()) why = limitResources(maxFiles);
        if (!why.empty()) {
            const std::string said = "isolement impossible dans " + confineFolder + " : " + why;
            std::cerr << "zefrun : " << said << "\n";
            endReport.note(0, said);
            return endReport.finish(ExitUnavailable);
        }
    }

    installSignals();
    if (maxCpu != 0) {
        // SIGXCPU at the bound stops the run at its next statement, as Ctrl+C would; should
        // a statement not end, the hard bound a second later ends the process.
        const rlimit cpu{static_cast<rlim_t>(maxCpu), static_cast<rlim_t>(maxCpu + 1)};
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGXCPU, &action, nullptr);
        if (::setrlimit(RLIMIT_CPU, &cpu) != 0) {
            const std::string said = "limite de temps de calcul impossible : " + frenchReason(errno);
            std::cerr << "zefrun : " << said << "\n";
            endReport.note(0, said);
            return endReport.finish(ExitUnavailable);
        }
    }
    OutputChannel out(STDOUT_FILENO, &signalled);
    out.setLimit(maxOutput);
    // stderr is a channel of its own too: an error message must not wait forever on a
    // reader that does not read, and with --trace its failures count as the output's.
    OutputChannel err(STDERR_FILENO, &signalled);
    Reporter report(out, err, file);
    TerminalScreen screen(out, isTerminal(STDIN_FILENO), isTerminal(STDOUT_FILENO), signalled);
    CollectingMessages messages;
    FilePrinter printer(printerPath);
    FileBudget files(out, maxFiles);
    InterruptFlag poll(signalled, out, trace ? &err : nullptr);
    Platform platform;
    platform.screen = &screen;
    platform.messages = &messages;
    platform.printer = printerPath.empty() ? nullptr : &printer;
    platform.poll = &poll;
    platform.fileWrites = &files;
    if (!confineFolder.empty()) {
        std::error_code ec;
        platform.confinedFolder = std::filesystem::current_path(ec).string();
    }
    platform.regional = haveLocale ? RegionalSettings::forLocale(locale)
                                   : RegionalSettings::fromEnvironment();

    Interpreter interpreter(platform);
    if (maxStatements != 0) poll.limitStatements(interpreter, maxStatements);
    interpreter.setBreakpointsEnabled(false);
    interpreter.setRunArguments(utf8ToCp1252(arguments));
    interpreter.InitPrg(utf8ToCp1252(std::filesystem::path(file).filename().string()));

    std::int32_t line = 0, step = 0, status = 0;
    int exitCode = ExitOk;
    auto lastLine = [&] { return program.fileLineOf(interpreter.currentLine()); };
    // A run that stopped because an output failed, or because Ctrl+C dropped what stdout
    // could not take, says nothing more of its own: the exit status tells why.
    auto outputsFailed = [&] { return out.error() != 0 || out.dropped() || (trace && err.error() != 0); };
    // A run that reached one of its bounds says which, at the line that was running, with
    // the bound's own exit status; whatever else stopped it then is a consequence. A run
    // that ended by itself reached no bound, unless its output was cut.
    auto limitReached = [&](bool stopped) {
        std::string what;
        if (!stopped && !out.limitReached()) {
            return false;
        } else if (out.limitReached()) {
            exitCode = ExitOutputLimit;
            what = "Sortie trop longue : plus de " + std::to_string(maxOutput) + " octets";
        } else if (files.limitReached()) {
            exitCode = ExitFileLimit;
            what = "Trop d'écriture : plus de " + std::to_string(maxFiles) + " octets écrits dans des fichiers";
        } else if (signalled.load() == SIGXCPU) {
            exitCode = ExitCpuLimit;
            what = "Trop long : plus de " + std::to_string(maxCpu) + " s de calcul";
        } else if (poll.statementLimitReached()) {
            exitCode = ExitStatementLimit;
            what = "Trop long : plus de " + std::to_string(maxStatements) + " instructions";
        } else {
            return false;
        }
        report(lastLine(), utf8ToCp1252(what));
        return true;
    };
    try {
        if (trace)
            ExecTraced(interpreter, program, file, err, out,
                       [&] { return signalled.load() != 0 || poll.statementLimitReached(); }, line, status);
        else
            interpreter.Exec(program, line, step, status);
        if (!limitReached(status > 0) && status > 0) {
            exitCode = ExitStopped;
            endReport.stoppedOnError();
            // An interruption names the line that was running, which may be above the line
            // the run would resume at.
            const int at = signalled.load() != 0 ? lastLine() : program.fileLineOf(line);
            if (signalled.load() == 0 && !outputsFailed()) {
                // The message that stopped the run (the last) says what it was about when
                // its text does not: the file a RESET could not open.
                const std::string& detail = interpreter.messageDetail();
                for (std::size_t i = 0; i < messages.messages.size(); ++i)
                    report(at, messages.messages[i] +
                                   (i + 1 == messages.messages.size() && !detail.empty() ? " (" + detail + ")" : ""));
                // A stop without a message of its own says why after the words of a stop;
                // a graded run is judged by the reason alone.
                if (messages.messages.empty()) {
                    const std::string& reason = interpreter.stopReason();
                    if (!reason.empty()) endReport.note(at, cp1252ToUtf8(reason));
                    report(at, stoppedBecause(reason));
                }
            }
            else if (signalled.load() == SIGINT)
                report(at, messageFor(Message::Interrupted));
        }
    } catch (const RunAbandoned& e) {
        if (!limitReached(true)) {
            for (const auto& m : messages.messages) report(lastLine(), m);
            report(lastLine(), e.what());
            exitCode = ExitAbandoned;
        }
    } catch (const std::bad_alloc&) {
        // Memory ran out all the same: this run is over, and zefrun still says why.
        report(lastLine(), messageFor(Message::OutOfMemory));
        exitCode = ExitAbandoned;
    } catch (const InputInterrupted&) {
        if (!limitReached(true) && signalled.load() == SIGINT)
            report(lastLine(), messageFor(Message::Interrupted));
    }
    // Nothing written is lost: every channel the program left open is closed, and a channel
    // that cannot be closed (a full disk) is an input/output error like any other.
    if (const int error = interpreter.CloseAll(); error != IoOk) {
        report(lastLine(), messageFor(Message::IoError, std::to_string(error)));
        if (exitCode == ExitOk || exitCode == ExitStopped) exitCode = ExitAbandoned;
    }
    out.flush();
    err.flush();
    // A reader that went away ends the run quietly, as with other tools; with --trace the
    // trace's stream is held to the same rules as stdout.
    if (out.error() == EPIPE || (trace && err.error() == EPIPE)) return endReport.finish(ExitBrokenPipe);
    if (out.error() != 0 || (trace && err.error() != 0)) {
        const bool onStdout = out.error() != 0;
        const std::string said = std::string("écriture impossible sur la sortie ") +
                                 (onStdout ? "standard" : "d'erreur") + " : " +
                                 frenchReason(onStdout ? out.error() : err.error());
        err.write("zefrun: " + said + "\n");
        err.flush();
        endReport.note(lastLine(), said);
        return endReport.finish(ExitOutputFailed);
    }
    if (signalled.load() == SIGTERM) return endReport.finish(ExitTerminated);
    if (signalled.load() == SIGINT) return endReport.finish(ExitInterrupted);
    return endReport.finish(exitCode);
}
