#include "verdict.h"

#include "text.h"

#include <charconv>
#include <csignal>

namespace zef {

namespace {

// zefrun's text when a READ or READLN finds the input at its end.
constexpr std::string_view kInputEnded = "Fin de l'entrée : plus rien à lire";

struct Located {
    int line = 0;
    std::string message;
};

// zefrun's messages, "PATH:LINE: message", one per line of stderr.
std::vector<Located> messagesOf(const std::string& errors, const std::string& programPath) {
    std::vector<Located> found;
    const std::string prefix = programPath + ":";
    std::size_t start = 0;
    while (start < errors.size()) {
        std::size_t end = errors.find('\n', start);
        if (end == std::string::npos) end = errors.size();
        std::string_view line(errors.data() + start, end - start);
        start = end + 1;
        if (!startsWith(line, prefix)) continue;
        line.remove_prefix(prefix.size());
        Located located;
        const auto [at, error] = std::from_chars(line.data(), line.data() + line.size(), located.line);
        if (error != std::errc() || !startsWith(std::string_view(at, line.data() + line.size() - at), ": "))
            continue;
        located.message.assign(at + 2, line.data() + line.size());
        found.push_back(std::move(located));
    }
    return found;
}

// The last line zefrun wrote that is no message of the program ("zefrun : ..."), or all.
std::string lastLineOf(const std::string& errors) {
    std::string_view text(errors);
    while (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    const std::size_t cut = text.rfind('\n');
    return std::string(cut == std::string_view::npos ? text : text.substr(cut + 1));
}

// A line shown inside the verdict: what cannot be seen is written out (only an exact
// comparison keeps such characters in its lines), and a very long line is cut.
std::string visible(const std::string& line) {
    constexpr std::size_t kShownChars = 120;
    std::string out;
    std::size_t chars = 0;
    for (const char c : line) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && chars++ == kShownChars) {
            out += "…";
            break;
        }
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    return "« " + out + " »";
}

} // namespace

CaseResult judge(const RunOutcome& run, const std::string& programPath, const std::string& expected, bool exact) {
    CaseResult result;
    result.seconds = run.seconds;
    result.obtained = run.output;
    result.expected = comparableExpected(expected, exact);
    if (!run.started || run.cancelled) {
        result.verdict = Verdict::NotRun;
        result.message = run.cancelled ? "correction arrêtée" : run.failure;
        return result;
    }
    if (run.timedOut) {
        result.verdict = Verdict::TooLong;
        return result;
    }
    if (run.outputCut) {
        result.verdict = Verdict::OutputTooLong;
        return result;
    }
    if (!run.exited) {
        // The hard CPU bound ends a statement that would not stop; any other signal means
        // the run itself broke down.
        if (run.signal == SIGKILL || run.signal == SIGXCPU) {
            result.verdict = Verdict::TooLong;
        } else {
            result.verdict = Verdict::NotRun;
            result.message = "zefrun arrêté par le signal " + std::to_string(run.signal);
        }
        return result;
    }
    const std::vector<Located> messages = messagesOf(run.errors, programPath);
    switch (run.status) {
    case 0: {
        result.difference = compareOutputs(result.expected, result.obtained, exact);
        result.verdict = result.difference.same ? Verdict::Passed : Verdict::WrongOutput;
        return result;
    }
    case zefrun_status::StatementLimit:
    case zefrun_status::CpuLimit:
        result.verdict = Verdict::TooLong;
        return result;
    case zefrun_status::OutputLimit:
        result.verdict = Verdict::OutputTooLong;
        return result;
    case zefrun_status::Stopped:
    case zefrun_status::Abandoned:
        if (!messages.empty()) {
            // A stop names its error first; an abandoned run ends with its reason, after any
            // message the run showed before.
            const Located& cause = run.status == zefrun_status::Stopped ? messages.front() : messages.back();
            if (run.status == zefrun_status::Abandoned && cause.message == kInputEnded) {
                result.verdict = Verdict::InputExhausted;
                result.line = cause.line;
                return result;
            }
            result.verdict = Verdict::Error;
            result.line = cause.line;
            result.message = cause.message;
            return result;
        }
        break;
    default:
        break;
    }
    result.verdict = Verdict::NotRun;
    const std::string said = lastLineOf(run.errors);
    result.message = said.empty() ? "zefrun a terminé avec le statut " + std::to_string(run.status) : said;
    return result;
}

std::string verdictName(Verdict verdict) {
    switch (verdict) {
    case Verdict::Passed: return "Réussi";
    case Verdict::WrongOutput: return "Sortie différente";
    case Verdict::Error: return "Erreur";
    case Verdict::TooLong: return "Trop long";
    case Verdict::OutputTooLong: return "Sortie trop longue";
    case Verdict::InputExhausted: return "Entrée épuisée";
    case Verdict::NotRun: return "Exécution impossible";
    }
    return {};
}

std::string verdictKey(Verdict verdict) {
    switch (verdict) {
    case Verdict::Passed: return "reussi";
    case Verdict::WrongOutput: return "sortie_differente";
    case Verdict::Error: return "erreur";
    case Verdict::TooLong: return "trop_long";
    case Verdict::OutputTooLong: return "sortie_trop_longue";
    case Verdict::InputExhausted: return "entree_epuisee";
    case Verdict::NotRun: return "execution_impossible";
    }
    return {};
}

std::string verdictText(const CaseResult& result) {
    switch (result.verdict) {
    case Verdict::WrongOutput: {
        const Difference& d = result.difference;
        return "Sortie différente ligne " + std::to_string(d.line) + " : attendu " +
               (d.expected ? visible(*d.expected) : std::string("la fin de la sortie")) + ", obtenu " +
               (d.obtained ? visible(*d.obtained) : std::string("la fin de la sortie"));
    }
    case Verdict::Error:
        return "Erreur ligne " + std::to_string(result.line) + " : " + result.message;
    case Verdict::NotRun:
        return "Exécution impossible : " + result.message;
    default:
        return verdictName(result.verdict);
    }
}

} // namespace zef
