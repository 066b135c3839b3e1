// zefrun: runs one program of the language in a terminal or a pipe, with the same
// interpreter as the IDE.
#include "terminal_platform.h"
#include "trace.h"

#include "text.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unistd.h>

using namespace zef;

namespace {

std::atomic<bool> interrupted{false};

void onInterrupt(int) { interrupted.store(true); }

const char* kUsage =
    "Usage : zefrun [--args TEXTE] [--locale NOM] [--printer FICHIER] [--trace] FICHIER.pas\n"
    "\n"
    "Exécute un programme Zef Pascal dans le terminal.\n"
    "  --args TEXTE        paramètres d'exécution (PARAMCOUNT, PARAMSTR)\n"
    "  --locale NOM        réglages régionaux, par exemple fr_FR ou en_US\n"
    "                      (par défaut : ceux du système ; C ou POSIX valent français)\n"
    "  --printer FICHIER   l'imprimante du programme écrit ses lignes dans FICHIER\n"
    "  --trace             exécute pas à pas et écrit chaque arrêt sur la sortie\n"
    "                      d'erreur : FICHIER:LIGNE: texte de la ligne à exécuter\n"
    "  --help              affiche cette aide\n";

enum Exit { ExitOk = 0, ExitStopped = 1, ExitAbandoned = 2, ExitUsage = 64, ExitNoInput = 66,
            ExitInterrupted = 130 };

int usageError(const std::string& what) {
    std::cerr << "zefrun : " << what << "\n" << kUsage;
    return ExitUsage;
}

void report(const std::string& file, int line, const std::string& message8bit) {
    std::cerr << file << ":" << line << ": " << cp1252ToUtf8(message8bit) << "\n";
}

} // namespace

int main(int argc, char** argv) {
    std::string arguments, locale, printerPath, file;
    bool haveLocale = false, trace = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const std::string& option, std::string& out) {
            if (a == option) {
                if (i + 1 >= argc) return -1;
                out = argv[++i];
                return 1;
            }
            if (startsWith(a, option + "=")) {
                out = a.substr(option.size() + 1);
                return 1;
            }
            return 0;
        };
        int r;
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
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
        } else if (startsWith(a, "-") && a != "-") {
            return usageError("option inconnue " + a);
        } else if (file.empty()) {
            file = a;
        } else {
            return usageError("un seul programme à la fois");
        }
    }
    if (file.empty()) return usageError("programme manquant");

    std::error_code ec;
    const bool directory = std::filesystem::is_directory(file, ec);
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    if (in && !directory) bytes << in.rdbuf();
    if (!in || in.bad() || directory) {
        std::cerr << "zefrun : impossible de lire " << file << "\n";
        return ExitNoInput;
    }
    std::vector<std::string> lines = splitLines(decodeFileText(bytes.str()));
    // Breakpoint markers belong to the IDE; the run here never stops at them.
    for (auto& line : lines)
        if (!line.empty() && static_cast<unsigned char>(line[0]) == 0xBB) line.erase(0, 1);
    FileLineList program(std::move(lines));

    struct sigaction action {};
    action.sa_handler = onInterrupt; // no SA_RESTART: a waiting read returns at once
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);

    TerminalScreen screen(isatty(STDIN_FILENO), isatty(STDOUT_FILENO), interrupted);
    CollectingMessages messages;
    FilePrinter printer(printerPath);
    InterruptFlag poll(interrupted);
    Platform platform;
    platform.screen = &screen;
    platform.messages = &messages;
    platform.printer = printerPath.empty() ? nullptr : &printer;
    platform.poll = &poll;
    platform.regional = haveLocale ? RegionalSettings::forLocale(locale)
                                   : RegionalSettings::fromEnvironment();

    Interpreter interpreter(platform);
    interpreter.setBreakpointsEnabled(false);
    interpreter.setRunArguments(utf8ToCp1252(arguments));
    interpreter.InitPrg(utf8ToCp1252(std::filesystem::path(file).filename().string()));

    std::int32_t line = 0, step = 0, status = 0;
    int exitCode = ExitOk;
    try {
        if (trace)
            ExecTraced(interpreter, program, file, std::cerr, [] { return interrupted.load(); }, line, status);
        else
            interpreter.Exec(program, line, step, status);
        if (status > 0) {
            screen.flush();
            if (messages.messages.empty()) messages.messages.push_back(utf8ToCp1252("Exécution arrêtée"));
            for (const auto& m : messages.messages) report(file, program.fileLineOf(line), m);
            exitCode = interrupted.load() ? ExitInterrupted : ExitStopped;
        }
    } catch (const RunAbandoned& e) {
        screen.flush();
        for (const auto& m : messages.messages) report(file, program.fileLineOf(interpreter.currentLine()), m);
        report(file, program.fileLineOf(interpreter.currentLine()), e.what());
        exitCode = ExitAbandoned;
    } catch (const InputInterrupted&) {
        screen.flush();
        report(file, program.fileLineOf(interpreter.currentLine()), utf8ToCp1252("Exécution interrompue"));
        exitCode = ExitInterrupted;
    }
    // Nothing written is lost: every channel the program left open is closed.
    interpreter.CloseAll();
    screen.flush();
    return exitCode;
}
