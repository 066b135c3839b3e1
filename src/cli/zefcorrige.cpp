// zefcorrige: grades learners' programs on an exercise's test cases from a terminal, each
// run through zefrun, confined, under bounds, several at a time; or writes the expected
// outputs of the cases from a reference solution.
#include "options.h"
#include "exercise.h"
#include "grader.h"
#include "reports.h"
#include "runner.h"

#include "sourcefile.h"
#include "systemerror.h"
#include "text.h"
#include "zefversion.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <csignal>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
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
    "  --sans-isolation       exécute les programmes sans les isoler là où le noyau n'offre\n"
    "                         pas Landlock (ils peuvent alors écrire partout où vous le pouvez)\n"
    "  --csv FICHIER          écrit le tableau des résultats en CSV\n"
    "  --junit FICHIER        écrit un rapport JUnit XML (une suite par programme)\n"
    "  --json                 écrit une ligne JSON par exécution sur la sortie standard\n"
    "                         (au lieu du tableau)\n"
    "  --html FICHIER         écrit une page HTML : résumé de la classe, sorties attendues\n"
    "                         et obtenues côte à côte\n"
    "  --creer-attendus       écrit NOM.out pour chaque essai d'après SOLUTION.pas\n"
    "  --version              affiche la version\n"
    "  --help                 affiche cette aide\n"
    "\n"
    "Chaque exécution a lieu dans un dossier de travail neuf, où le programme ne peut lire\n"
    "et écrire que ses propres fichiers (Landlock). Verdicts : Réussi, Sortie différente,\n"
    "Erreur ligne N : message, Trop long, Sortie trop longue, Entrée épuisée.\n"
    "\n"
    "Statut de sortie : 0 toutes les exécutions réussies (ou toutes les sorties attendues\n"
    "écrites), 1 certaines ont échoué, 64 ligne de commande incorrecte, 66 essais ou\n"
    "programmes illisibles, 69 isolement ou zefrun indisponible, 74 rapport impossible à\n"
    "écrire, 130 interrompu (Ctrl+C).\n";

enum Exit { ExitOk = 0, ExitFailures = 1, ExitUsage = 64, ExitNoInput = 66, ExitUnavailable = 69,
            ExitCannotWrite = 74, ExitInterrupted = 130 };

std::atomic<bool> stopRequested{false};
void onInterrupt(int) { stopRequested.store(true); }

int usageError(const std::string& what) {
    std::cerr << "zefcorrige : " << what << "\n" << kUsage;
    return ExitUsage;
}

int inputError(const std::string& what) {
    std::cerr << "zefcorrige : " << what << "\n";
    return ExitNoInput;
}

bool parsePositive(const std::string& text, std::uint64_t& out) {
    const auto [at, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && at == text.data() + text.size() && out > 0;
}

// A size in bytes, or with K (Kio) or M (Mio) after it.
bool parseSize(std::string text, std::uint64_t& out) {
    std::uint64_t unit = 1;
    if (!text.empty() && (text.back() == 'K' || text.back() == 'k')) unit = 1024;
    if (!text.empty() && (text.back() == 'M' || text.back() == 'm')) unit = 1024 * 1024;
    if (unit != 1) text.pop_back();
    if (!parsePositive(text, out) || out > (1ull << 40) / unit) return false;
    out *= unit;
    return true;
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

bool writeReport(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (out) return true;
    std::cerr << "zefcorrige : impossible d'écrire " << path << " : " << frenchReason(errno) << "\n";
    return false;
}

// Writes the expected output of a case: a temporary file renamed over the old one, so that
// a failure leaves the old one whole.
bool writeExpected(const fs::path& path, const std::string& text, std::string& reason) {
    const fs::path temporary = path.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            reason = frenchReason(errno);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, path, ec);
    if (ec) {
        reason = frenchReason(ec);
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    RunSettings settings;
    unsigned jobs = 0;
    bool createExpected = false, json = false, unconfinedAllowed = false;
    std::string csvPath, junitPath, htmlPath;
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
        } else if ((r = value({"--csv"}, csvPath)) != 0) {
            if (r < 0 || csvPath.empty()) return usageError("--csv attend un fichier");
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

    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    ProgressBar bar(::isatty(STDERR_FILENO) == 1);
    std::vector<ProgramResult> results =
        gradeAll(submissions, settings, jobs, [&](std::size_t done, std::size_t total) { bar.update(done, total); },
                 &stopRequested);
    bar.erase();
    if (stopRequested.load()) {
        std::cerr << "zefcorrige : correction interrompue\n";
        return ExitInterrupted;
    }

    if (createExpected) {
        const Exercise& exercise = *submissions[0].exercise;
        std::size_t written = 0;
        for (std::size_t c = 0; c < exercise.cases.size(); ++c) {
            const CaseResult& result = results[0].cases[c];
            const TestCase& testCase = exercise.cases[c];
            // Only a run that went to its end gives an expected output.
            if (result.verdict != Verdict::Passed && result.verdict != Verdict::WrongOutput) {
                std::cerr << testCase.name << " : " << verdictText(result) << " ; " << testCase.name
                          << ".out n'est pas écrit\n";
                continue;
            }
            if (!writeExpected(testCase.expectedPath, result.obtained, reason)) {
                std::cerr << "zefcorrige : impossible d'écrire " << testCase.expectedPath.string() << " : " << reason
                          << "\n";
                return ExitCannotWrite;
            }
            ++written;
        }
        std::cout << written << (written > 1 ? " sorties attendues écrites" : " sortie attendue écrite")
                  << " sur " << exercise.cases.size() << " dans " << exercise.folder.string() << "\n";
        return written == exercise.cases.size() ? ExitOk : ExitFailures;
    }

    if (json) std::cout << jsonLinesReport(results);
    else std::cout << tableReport(results);
    std::cout.flush();
    bool reportsWritten = true;
    if (!csvPath.empty()) reportsWritten = writeReport(csvPath, csvReport(results)) && reportsWritten;
    if (!junitPath.empty()) reportsWritten = writeReport(junitPath, junitReport(results)) && reportsWritten;
    if (!htmlPath.empty()) reportsWritten = writeReport(htmlPath, htmlReport(results, settings.exact)) && reportsWritten;
    if (!std::cout) return ExitCannotWrite;
    if (!reportsWritten) return ExitCannotWrite;
    const bool allPassed = std::all_of(results.begin(), results.end(), [](const ProgramResult& program) {
        return program.passed() == program.cases.size();
    });
    return allPassed ? ExitOk : ExitFailures;
}
