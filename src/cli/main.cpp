// zefrun: runs one program of the language in a terminal or a pipe, with the same
// interpreter as the IDE.
#include "options.h"
#include "terminal_platform.h"
#include "trace.h"

#include "confinement.h"
#include "sourcefile.h"
#include "systemerror.h"
#include "text.h"
#include "zefversion.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <ctime>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <new>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace zef;

namespace {

// The signal that asked the run to stop (SIGINT or SIGTERM), 0 while none did.
std::atomic<int> signalled{0};

void onSignal(int signal) { signalled.store(signal); }

const char* kUsage =
    "Usage : zefrun [--args TEXTE] [--locale NOM] [--printer FICHIER] [--trace]\n"
    "               [--max-statements N] [--max-cpu SECONDES] [--max-output OCTETS]\n"
    "               [--confine DOSSIER] FICHIER.pas\n"
    "\n"
    "Exécute un programme Zef Pascal dans le terminal.\n"
    "  --args TEXTE        paramètres d'exécution (PARAMCOUNT, PARAMSTR)\n"
    "  --locale NOM        réglages régionaux, par exemple fr_FR ou en_US\n"
    "                      (par défaut : ceux du système ; C ou POSIX valent français)\n"
    "  --printer FICHIER   l'imprimante du programme écrit ses lignes dans FICHIER\n"
    "  --trace             exécute pas à pas et écrit chaque arrêt sur la sortie\n"
    "                      d'erreur : FICHIER:LIGNE: texte de la ligne à exécuter\n"
    "  --max-statements N  arrête le programme après N instructions (statut 3)\n"
    "  --max-cpu SECONDES  arrête le programme après SECONDES de calcul (statut 4)\n"
    "  --max-output OCTETS arrête le programme quand sa sortie dépasse OCTETS (statut 5)\n"
    "  --confine DOSSIER   exécute le programme dans DOSSIER, d'où il ne peut ni lire ni\n"
    "                      écrire ailleurs (Landlock ; statut 69 si le noyau ne le permet\n"
    "                      pas) ; ses fichiers ne dépassent pas 64 Mo\n"
    "  --version           affiche la version\n"
    "  --help              affiche cette aide\n"
    "\n"
    "Statut de sortie : 0 programme terminé, 1 arrêté sur une erreur, 2 abandonné\n"
    "(erreur d'entrée/sortie...), 3 limite d'instructions atteinte, 4 limite de temps\n"
    "de calcul atteinte, 5 limite de sortie atteinte, 64 ligne de commande incorrecte,\n"
    "66 programme illisible, 69 isolement impossible, 74 sortie impossible à écrire\n"
    "(disque plein, sortie fermée par >&- : le programme s'arrête à sa première\n"
    "écriture), 130 interrompu (Ctrl+C), 141 lecteur de la sortie parti, 143 terminé\n"
    "(SIGTERM).\n";

enum Exit { ExitOk = 0, ExitStopped = 1, ExitAbandoned = 2, ExitStatementLimit = 3, ExitCpuLimit = 4,
            ExitOutputLimit = 5, ExitUsage = 64, ExitNoInput = 66, ExitUnavailable = 69,
            ExitOutputFailed = 74, ExitInterrupted = 130, ExitBrokenPipe = 141,
            ExitTerminated = 143 };

// Files a confined program writes stay below this size.
constexpr unsigned long long kConfinedFileBytes = 64ull << 20;

// A positive whole number given on the command line.
bool parseCount(const std::string& text, std::uint64_t& out) {
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, out);
    return error == std::errc() && at == end && out > 0;
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
        err_.write(file_ + ":" + std::to_string(line) + ": " + cp1252ToUtf8(message8bit) + "\n");
        err_.flush();
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
    std::string confineFolder, maxStatementsText, maxCpuText, maxOutputText;
    std::uint64_t maxStatements = 0, maxCpu = 0, maxOutput = 0;
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
            haveLocale = true;
        } else if ((r = value("--printer", printerPath)) != 0) {
            if (r < 0) return usageError("--printer attend un fichier");
        } else if ((r = value("--confine", confineFolder)) != 0) {
            if (r < 0 || confineFolder.empty()) return usageError("--confine attend un dossier");
        } else if ((r = value("--max-statements", maxStatementsText)) != 0) {
            if (r < 0 || !parseCount(maxStatementsText, maxStatements))
                return usageError("--max-statements attend un nombre entier positif");
        } else if ((r = value("--max-cpu", maxCpuText)) != 0) {
            if (r < 0 || !parseCount(maxCpuText, maxCpu) || maxCpu > 86400)
                return usageError("--max-cpu attend un nombre de secondes (1 à 86400)");
        } else if ((r = value("--max-output", maxOutputText)) != 0) {
            if (r < 0 || !parseCount(maxOutputText, maxOutput))
                return usageError("--max-output attend un nombre d'octets positif");
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

    std::string reason;
    const std::optional<std::string> bytes = readSourceBytes(file, reason);
    if (!bytes) {
        std::cerr << "zefrun : impossible de lire " << file << " : " << reason << "\n";
        return ExitNoInput;
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
        if (why.empty()) why = confineTo(".");
        if (why.empty()) why = limitResources(kConfinedFileBytes);
        if (!why.empty()) {
            std::cerr << "zefrun : isolement impossible dans " << confineFolder << " : " << why << "\n";
            return ExitUnavailable;
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
            std::cerr << "zefrun : limite de temps de calcul impossible : " << frenchReason(errno) << "\n";
            return ExitUnavailable;
        }
    }
    OutputChannel out(STDOUT_FILENO, &signalled);
    out.setLimit(maxOutput);
    // stderr is a channel of its own too: an error message must not wait forever on a
    // reader that does not read, and with --trace its failures count as the output's.
    OutputChannel err(STDERR_FILENO, &signalled);
    Reporter report(out, err, file);
    TerminalScreen screen(out, isatty(STDIN_FILENO), isatty(STDOUT_FILENO), signalled);
    CollectingMessages messages;
    FilePrinter printer(printerPath);
    InterruptFlag poll(signalled, out, trace ? &err : nullptr);
    Platform platform;
    platform.screen = &screen;
    platform.messages = &messages;
    platform.printer = printerPath.empty() ? nullptr : &printer;
    platform.poll = &poll;
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
            if (messages.messages.empty()) messages.messages.push_back(utf8ToCp1252("Exécution arrêtée"));
            // An interruption names the line that was running, which may be above the line
            // the run would resume at.
            const int at = signalled.load() != 0 ? lastLine() : program.fileLineOf(line);
            if (signalled.load() == 0 && !outputsFailed())
                for (const auto& m : messages.messages) report(at, m);
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
    if (out.error() == EPIPE || (trace && err.error() == EPIPE)) return ExitBrokenPipe;
    if (out.error() != 0 || (trace && err.error() != 0)) {
        const bool onStdout = out.error() != 0;
        err.write(std::string("zefrun: écriture impossible sur la sortie ") +
                  (onStdout ? "standard" : "d'erreur") + " : " +
                  frenchReason(onStdout ? out.error() : err.error()) + "\n");
        err.flush();
        return ExitOutputFailed;
    }
    if (signalled.load() == SIGTERM) return ExitTerminated;
    if (signalled.load() == SIGINT) return ExitInterrupted;
    return exitCode;
}
