// zefcorrige: grades learners' programs on an exercise's test cases from a terminal, each
// run through zefrun, confined, under bounds, several at a time; or writes the expected
// outputs of the cases from a reference solution.
#include "options.h"
#include "exercise.h"
#include "grader.h"
#include "reports.h"
#include "runner.h"

#include "regional.h"
#include "sourcefile.h"
#include "systemerror.h"
#include "text.h"
#include "zefversion.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zef;

namespace {

const char* kUsage =
    "Usage : zefcorrige [OPTIONS] ESSAIS/ PROGRAMME.pas|DOSSIER...\n"
    "        zefcorrige [OPTIONS] PROGRAMME.pas...        (essais dans PROGRAMME.essais/)\n"
    "        zefcorrige --creer-attendus [OPTIONS] SOLUTION.pas ESSAIS/\n"
    "\n"
    "Corrige des programmes Zef Pascal sur les essais d'un exercice : chaque programme\n"
    "est exécuté comme par zefrun sur chaque essai, et sa sortie comparée à celle attendue.\n"
    "Un dossier d'essais contient pour chaque essai NOM : NOM.in (l'entrée standard ;\n"
    "absent, elle est vide), NOM.out (la sortie attendue) et au besoin NOM.args (les\n"
    "paramètres d'exécution) ; un dossier fichiers/ est copié dans le dossier de travail\n"
    "de chaque exécution. Les essais passent dans l'ordre de leurs noms. Un DOSSIER de\n"
    "programmes donne tous ses fichiers .pas.\n"
    "\n"
    "  -j N, --jobs N         N exécutions à la fois (par défaut : une par processeur)\n"
    "  --exact                compare octet par octet (par défaut, les fins de ligne CR LF\n"
    "                         ou LF, les espaces en fin de ligne et les lignes vides à la\n"
    "                         fin ne comptent pas)\n"
    "  --locale NOM           réglages régionaux des programmes (par défaut : fr_FR)\n"
    "  --max-instructions N   instructions par exécution (par défaut : 50000000)\n"
    "  --max-temps SECONDES   temps de calcul par exécution (par défaut : 5)\n"
    "  --max-sortie TAILLE    sortie par exécution, en octets, ou avec K ou M\n"
    "                         (par défaut : 1M)\n"
    "  --max-fichiers TAILLE  écriture dans des fichiers par exécution, en tout\n"
    "                         (par défaut : 32M) ; les exécutions simultanées sont\n"
    "                         moins nombreuses si le dossier temporaire ne peut pas\n"
    "                         leur garantir à toutes cette place\n"
    "  --sans-isolation       exécute les programmes sans les isoler là où le noyau n'offre\n"
    "                         pas Landlock (ils peuvent alors écrire partout où vous le pouvez)\n"
    "  --csv FICHIER          écrit le tableau des résultats en CSV pour un tableur en\n"
    "                         français (LibreOffice, Excel), qui l'ouvre tel quel :\n"
    "                         cellules séparées par « ; », virgule décimale, UTF-8 avec\n"
    "                         marque d'ordre des octets ; une colonne par essai, la\n"
    "                         durée en dernier\n"
    "  --csv-rfc4180 FICHIER  le même tableau en CSV RFC 4180, pour les scripts :\n"
    "                         cellules séparées par « , », point décimal, sans marque\n"
    "                         d'ordre des octets\n"
    "  --junit FICHIER        écrit un rapport JUnit XML (une suite par programme)\n"
    "  --json                 écrit une ligne JSON par exécution sur la sortie standard\n"
    "                         (au lieu du tableau)\n"
    "  --html FICHIER         écrit une page HTML : résumé de la classe, puis pour chaque\n"
    "                         essai son entrée et ses paramètres, sorties attendue et\n"
    "                         obtenue côte à côte\n"
    "  --creer-attendus       écrit NOM.out pour chaque essai d'après SOLUTION.pas\n"
    "  --version              affiche la version\n"
    "  --help                 affiche cette aide\n"
    "\n"
    "Chaque exécution a lieu dans un dossier de travail neuf, où le programme ne peut lire\n"
    "et écrire que ses propres fichiers (Landlock), sans l'environnement ni les fichiers\n"
    "ouverts de zefcorrige. Un dossier d'essais ne contient que des fichiers ordinaires et\n"
    "des dossiers : un lien, un tube ou un périphérique y est refusé avant toute exécution.\n"
    "Verdicts : Réussi, Sortie différente, Erreur ligne N : message, Trop long (arrêté\n"
    "ligne N), Sortie trop longue, Trop d'écriture, Entrée épuisée ; N est la ligne où\n"
    "le programme s'est arrêté. Le tableau donne aussi la durée des exécutions de chaque\n"
    "programme (0,478 s) ; la page HTML, l'entrée et les paramètres de chaque essai.\n"
    "\n"
    "Statut de sortie : 0 toutes les exécutions réussies (ou toutes les sorties attendues\n"
    "écrites), 1 certaines ont échoué (ou certaines sorties attendues n'ont pas pu être\n"
    "obtenues), 64 ligne de commande incorrecte, 66 essais ou programmes illisibles ou\n"
    "refusés, 69 isolement ou zefrun indisponible, 74 rapport ou sortie attendue\n"
    "impossible à écrire, 129 terminal fermé (SIGHUP), 130 interrompu (Ctrl+C), 141\n"
    "lecteur de la sortie parti, 143 terminé (SIGTERM). Interrompue, la correction écrit\n"
    "quand même les rapports demandés dans des fichiers, avec les exécutions faites.\n";

enum Exit { ExitOk = 0, ExitFailures = 1, ExitUsage = 64, ExitNoInput = 66, ExitUnavailable = 69,
            ExitCannotWrite = 74, ExitBrokenPipe = 141 };

std::atomic<bool> stopRequested{false};
std::atomic<int> stopSignal{0};
void onStopSignal(int signal) {
    int none = 0;
    stopSignal.compare_exchange_strong(none, signal);
    stopRequested.store(true);
}

int usageError(const std::string& what) {
    std::cerr << "zefcorrige : " << what << "\n" << kUsage;
    return ExitUsage;
}

// Messages name files of the cases folder and of the class: written so that no name can
// act on the teacher's terminal.
void say(const std::string& what) { std::cerr << "zefcorrige : " << terminalText(what) << "\n"; }

int inputError(const std::string& what) {
    say(what);
    return ExitNoInput;
}

bool isPascalFile(const fs::path& path) { return lowerAscii(path.extension().string()) == ".pas"; }

// The programs a command-line word names: the file itself, or a folder's .pas files in
// the order of their names. Nothing, with a French reason, when it cannot be read.
bool collectPrograms(const std::string& word, std::vector<fs::path>& programs, std::string& reason) {
    std::error_code ec;
    if (fs::is_directory(word, ec)) {
        std::vector<fs::path> found;
        for (fs::directory_iterator it(word, ec), end; !ec && it != end; it.increment(ec))
            if (isPascalFile(it->path()) && it->is_regular_file(ec)) found.push_back(it->path());
        if (ec) {
            reason = word + " : " + frenchReason(ec);
            return false;
        }
        if (found.empty()) {
            reason = "aucun programme .pas dans " + word;
            return false;
        }
        std::sort(found.begin(), found.end());
        programs.insert(programs.end(), found.begin(), found.end());
        return true;
    }
    // The program must be readable now: a run cannot tell a missing file from the others.
    if (readSourceBytes(word, reason)) {
        programs.emplace_back(word);
        return true;
    }
    reason = "impossible de lire " + word + " : " + reason;
    return false;
}

// A bar on stderr while the runs go, only when stderr is a terminal; redrawn when its
// width of filled cells changes, and erased at the end.
class ProgressBar {
public:
    explicit ProgressBar(bool shown) : shown_(shown) {}
    void update(std::size_t done, std::size_t total) {
        if (!shown_ || total == 0) return;
        const std::size_t filled = done * kWidth / total;
        if (filled == lastFilled_ && done != total && done != 1) return;
        lastFilled_ = filled;
        std::string bar = "\r[";
        for (std::size_t i = 0; i < kWidth; ++i) bar += i < filled ? "#" : ".";
        bar += "] " + std::to_string(done) + "/" + std::to_string(total) + " exécutions";
        std::cerr << bar << std::flush;
    }
    void erase() {
        if (shown_ && lastFilled_ != kNone) std::cerr << "\r\x1b[K" << std::flush;
    }

private:
    static constexpr std::size_t kWidth = 30, kNone = ~std::size_t{0};
    bool shown_;
    std::size_t lastFilled_ = kNone;
};

// Writes all of `text` to standard output; 0, or the error that stopped it (EPIPE: the
// reader went away).
int writeToStandardOutput(const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (n > 0) done += static_cast<std::size_t>(n);
        else if (n < 0 && errno == EINTR) continue;
        else return n < 0 ? errno : EIO;
    }
    return 0;
}

bool writeReport(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (out) return true;
    say("impossible d'écrire " + path + " : " + frenchReason(errno));
    return false;
}

// Writes the expected output of a case: a temporary file of a new name created beside it
// (never a name that exists, which could be a link planted to send the text elsewhere;
// hidden, so that no case is read from it), then renamed over the old one, so that a
// failure leaves the old one whole.
bool writeExpected(const fs::path& path, const std::string& text, std::string& reason) {
    std::string temporary = (path.parent_path() / ".zefcorrige-XXXXXX").string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        reason = frenchReason(errno);
        return false;
    }
    bool ok = true;
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n > 0) done += static_cast<std::size_t>(n);
        else if (n < 0 && errno == EINTR) continue;
        else ok = false;
    }
    // Readable as the folder's other files are (mkostemp makes it private to its owner).
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ok = ok && ::fchmod(fd, 0666 & ~mask) == 0;
    if (!ok) reason = frenchReason(errno);
    if (::close(fd) != 0 && ok) {
        reason = frenchReason(errno);
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        reason = frenchReason(errno);
        ok = false;
    }
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

// How many runs at a time the scratch folders' file system can hold: each run may write
// up to its bound and gets a copy of its data files, and a run that fills the disk must
// never make another one fail. The free room is what an ordinary user may use.
unsigned jobsTheDiskHolds(const RunSettings& settings, const std::vector<Submission>& submissions, unsigned jobs) {
    std::error_code ec;
    const fs::path parent = settings.scratchParent.empty() ? fs::temp_directory_path(ec) : settings.scratchParent;
    struct statvfs disk {};
    if (ec || ::statvfs(parent.c_str(), &disk) != 0) return jobs; // the runs will say what is wrong
    const std::uint64_t free = static_cast<std::uint64_t>(disk.f_bavail) * disk.f_frsize;
    std::uint64_t data = 0;
    for (const Submission& submission : submissions) {
        if (submission.exercise->files.empty()) continue;
        std::uint64_t size = 0;
        for (fs::recursive_directory_iterator it(submission.exercise->files, ec), end; !ec && it != end; it.increment(ec))
            if (it->is_regular_file(ec)) size += it->file_size(ec);
        data = std::max(data, size);
    }
    // Each file takes whole blocks: a margin of a block per kilobyte written is enough.
    const std::uint64_t perRun = settings.limits.fileBytes + data + 1'048'576;
    const std::uint64_t fits = free / perRun;
    return static_cast<unsigned>(std::min<std::uint64_t>(jobs, std::max<std::uint64_t>(fits, 1)));
}

} // namespace

int main(int argc, char** argv) {
    RunSettings settings;
    unsigned jobs = 0;
    bool createExpected = false, json = false, unconfinedAllowed = false;
    std::string csvPath, csvRfcPath, junitPath, htmlPath;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::initializer_list<const char*> names, std::string& out) {
            return optionValue(argc, argv, i, names, out);
        };
        std::string text;
        int r;
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return ExitOk;
        } else if (a == "--version") {
            std::cout << "zefcorrige " ZEF_VERSION "\n";
            return ExitOk;
        } else if (a == "--exact") {
            settings.exact = true;
        } else if (a == "--json") {
            json = true;
        } else if (a == "--sans-isolation") {
            unconfinedAllowed = true;
        } else if (a == "--creer-attendus") {
            createExpected = true;
        } else if ((r = value({"-j", "--jobs"}, text)) != 0) {
            std::uint64_t n = 0;
            if (r < 0 || !parsePositive(text, n) || n > 1024) return usageError("-j attend un nombre de 1 à 1024");
            jobs = static_cast<unsigned>(n);
        } else if (startsWith(a, "-j") && a.size() > 2) {
            std::uint64_t n = 0;
            if (!parsePositive(a.substr(2), n) || n > 1024) return usageError("-j attend un nombre de 1 à 1024");
            jobs = static_cast<unsigned>(n);
        } else if ((r = value({"--locale"}, text)) != 0) {
            if (r < 0 || text.empty()) return usageError("--locale attend un nom");
            if (!RegionalSettings::knowsLocale(text))
                return usageError("réglages régionaux inconnus : " + text +
                                  " (connus : fr, en, de, nl, avec ou sans pays, C, POSIX)");
            settings.locale = text;
        } else if ((r = value({"--max-instructions"}, text)) != 0) {
            if (r < 0 || !parsePositive(text, settings.limits.statements))
                return usageError("--max-instructions attend un nombre entier positif");
        } else if ((r = value({"--max-temps"}, text)) != 0) {
            std::uint64_t n = 0;
            if (r < 0 || !parsePositive(text, n) || n > 86400)
                return usageError("--max-temps attend un nombre de secondes (1 à 86400)");
            settings.limits.cpuSeconds = static_cast<unsigned>(n);
        } else if ((r = value({"--max-sortie"}, text)) != 0) {
            if (r < 0 || !parseSize(text, settings.limits.outputBytes))
                return usageError("--max-sortie attend une taille en octets (par exemple 65536, 64K ou 1M)");
        } else if ((r = value({"--max-fichiers"}, text)) != 0) {
            if (r < 0 || !parseSize(text, settings.limits.fileBytes))
                return usageError("--max-fichiers attend une taille en octets (par exemple 65536, 64K ou 32M)");
        } else if ((r = value({"--csv"}, csvPath)) != 0) {
            if (r < 0 || csvPath.empty()) return usageError("--csv attend un fichier");
        } else if ((r = value({"--csv-rfc4180"}, csvRfcPath)) != 0) {
            if (r < 0 || csvRfcPath.empty()) return usageError("--csv-rfc4180 attend un fichier");
        } else if ((r = value({"--junit"}, junitPath)) != 0) {
            if (r < 0 || junitPath.empty()) return usageError("--junit attend un fichier");
        } else if ((r = value({"--html"}, htmlPath)) != 0) {
            if (r < 0 || htmlPath.empty()) return usageError("--html attend un fichier");
        } else if (a == "--") {
            for (++i; i < argc; ++i) words.emplace_back(argv[i]);
        } else if (startsWith(a, "-") && a != "-") {
            return usageError("option inconnue " + a);
        } else {
            words.push_back(a);
        }
    }

    // What runs on what: one exercise for all programs, or each program's own folder.
    std::map<fs::path, Exercise> exercises;
    std::vector<Submission> submissions;
    std::vector<fs::path> programs;
    std::string reason;
    auto loadExercise = [&](const fs::path& folder) -> const Exercise* {
        const fs::path key = fs::absolute(folder);
        if (auto found = exercises.find(key); found != exercises.end()) return &found->second;
        std::optional<Exercise> exercise = findCases(folder, reason);
        if (!exercise) return nullptr;
        if (exercise->cases.empty()) {
            reason = "aucun essai (NOM.in, NOM.out, NOM.args) dans " + folder.string();
            return nullptr;
        }
        return &exercises.emplace(key, std::move(*exercise)).first->second;
    };
    if (createExpected) {
        if (words.size() != 2) return usageError("--creer-attendus attend une solution et un dossier d'essais");
        if (!collectPrograms(words[0], programs, reason) || programs.size() != 1)
            return inputError(reason.empty() ? words[0] + " : une seule solution, un fichier .pas" : reason);
        const Exercise* exercise = loadExercise(words[1]);
        if (!exercise) return inputError(reason);
        submissions.push_back({programs[0], exercise});
    } else {
        if (words.empty()) return usageError("programmes manquants");
        std::error_code ec;
        const bool oneExercise = fs::is_directory(words[0], ec);
        if (oneExercise && words.size() < 2) return usageError("programmes manquants après le dossier d'essais");
        for (std::size_t w = oneExercise ? 1 : 0; w < words.size(); ++w)
            if (!collectPrograms(words[w], programs, reason)) return inputError(reason);
        for (const fs::path& program : programs) {
            const Exercise* exercise = loadExercise(oneExercise ? fs::path(words[0]) : defaultCasesFolder(program));
            if (!exercise) return inputError(reason);
            if (const TestCase* missing = caseWithoutExpected(*exercise))
                return inputError("l'essai " + missing->name + " de " + exercise->folder.string() +
                                  " n'a pas de sortie attendue (" + missing->name +
                                  ".out) ; zefcorrige --creer-attendus l'écrit d'après une solution");
            submissions.push_back({program, exercise});
        }
    }

    settings.zefrun = findZefrun();
    if (settings.zefrun.empty()) {
        std::cerr << "zefcorrige : zefrun introuvable (ni à côté de zefcorrige, ni dans le PATH)\n";
        return ExitUnavailable;
    }
    if (const std::string why = confinementUnavailable(); !why.empty()) {
        if (!unconfinedAllowed) {
            std::cerr << "zefcorrige : impossible d'isoler les programmes : " << why << ".\n"
                      << "Sans isolement, un programme corrigé peut modifier ou effacer vos fichiers ;\n"
                      << "--sans-isolation les exécute quand même, si vous leur faites confiance.\n";
            return ExitUnavailable;
        }
        settings.confine = false;
    }

    // The terminal's Ctrl+C and hang-up, and a request to terminate, stop the runs (each
    // killed and its scratch folder removed), then the reports that go to files are still
    // written with what was done, and zefcorrige exits with the signal's conventional
    // status. A reader of the output that went away is no reason to lose them either.
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    if (jobs == 0) jobs = defaultJobs();
    if (const unsigned held = jobsTheDiskHolds(settings, submissions, jobs); held < jobs) {
        say("le dossier temporaire n'a de place que pour " + std::to_string(held) +
            (held > 1 ? " exécutions" : " exécution") + " à la fois (--max-fichiers " +
            std::to_string(settings.limits.fileBytes) + " octets chacune) : " + std::to_string(held) +
            " à la fois au lieu de " + std::to_string(jobs));
        jobs = held;
    }

    ProgressBar bar(::isatty(STDERR_FILENO) == 1);
    std::vector<ProgramResult> results =
        gradeAll(submissions, settings, jobs, [&](std::size_t done, std::size_t total) { bar.update(done, total); },
                 &stopRequested);
    bar.erase();
    const int stoppedBy = stopSignal.load();

    if (createExpected) {
        if (stoppedBy != 0) {
            say("correction interrompue ; aucune sortie attendue n'est écrite");
            return 128 + stoppedBy;
        }
        const Exercise& exercise = *submissions[0].exercise;
        std::size_t written = 0;
        for (std::size_t c = 0; c < exercise.cases.size(); ++c) {
            const CaseResult& result = results[0].cases[c];
            const TestCase& testCase = exercise.cases[c];
            // Only a run that went to its end gives an expected output.
            if (result.verdict != Verdict::Passed && result.verdict != Verdict::WrongOutput) {
                std::cerr << terminalText(testCase.name + " : " + verdictText(result) + " ; " + testCase.name +
                                          ".out n'est pas écrit")
                          << "\n";
                continue;
            }
            if (!writeExpected(testCase.expectedPath, result.obtained, reason)) {
                say("impossible d'écrire " + testCase.expectedPath.string() + " : " + reason);
                return ExitCannotWrite;
            }
            ++written;
        }
        const int error = writeToStandardOutput(
            std::to_string(written) + (written > 1 ? " sorties attendues écrites" : " sortie attendue écrite") +
            " sur " + std::to_string(exercise.cases.size()) + " dans " + terminalText(exercise.folder.string()) + "\n");
        if (error != 0) return error == EPIPE ? ExitBrokenPipe : ExitCannotWrite;
        return written == exercise.cases.size() ? ExitOk : ExitFailures;
    }

    int outputError = 0;
    if (stoppedBy != 0) say("correction interrompue ; les rapports ne comptent que les exécutions faites");
    else outputError = writeToStandardOutput(json ? jsonLinesReport(results) : tableReport(results));
    bool reportsWritten = true;
    if (!csvPath.empty())
        reportsWritten = writeReport(csvPath, csvReport(results, CsvForm::Spreadsheet)) && reportsWritten;
    if (!csvRfcPath.empty())
        reportsWritten = writeReport(csvRfcPath, csvReport(results, CsvForm::Rfc4180)) && reportsWritten;
    if (!junitPath.empty()) reportsWritten = writeReport(junitPath, junitReport(results)) && reportsWritten;
    if (!htmlPath.empty()) reportsWritten = writeReport(htmlPath, htmlReport(results, settings.exact)) && reportsWritten;
    if (stoppedBy != 0) return 128 + stoppedBy;
    if (outputError == EPIPE) return ExitBrokenPipe;
    if (outputError != 0 || !reportsWritten) return ExitCannotWrite;
    // A run zefrun could not confine is no verdict on the program: the grading as a whole
    // was impossible, as when the kernel offers no confinement at all.
    for (const ProgramResult& program : results)
        for (const CaseResult& result : program.cases)
            if (result.unconfined) {
                say("impossible d'isoler les programmes : " + result.message);
                return ExitUnavailable;
            }
    const bool allPassed = std::all_of(results.begin(), results.end(), [](const ProgramResult& program) {
        return program.passed() == program.cases.size();
    });
    return allPassed ? ExitOk : ExitFailures;
}
