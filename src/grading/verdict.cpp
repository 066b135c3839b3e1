#include "verdict.h"

#include "text.h"

#include <csignal>

namespace zef {

namespace {

// zefrun's text when a READ or READLN finds the input at its end.
constexpr std::string_view kInputEnded = "Fin de l'entrée : plus rien à lire";

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

CaseResult judge(const RunOutcome& run, const std::string& expected, bool exact) {
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
    // The record says where and why; it counts only when it tells the status zefrun
    // exited with.
    const EndRecord* end = run.end && run.end->status == run.status ? &*run.end : nullptr;
    switch (run.status) {
    case 0:
        result.difference = compareOutputs(result.expected, result.obtained, exact);
        result.verdict = result.difference.same ? Verdict::Passed : Verdict::WrongOutput;
        return result;
    case zefrun_status::StatementLimit:
    case zefrun_status::CpuLimit:
        // Where the program was when the bound stopped it: most often inside the loop that
        // would not end, the first place a teacher looks.
        result.verdict = Verdict::TooLong;
        if (end) result.line = end->line;
        return result;
    case zefrun_status::OutputLimit:
        result.verdict = Verdict::OutputTooLong;
        return result;
    case zefrun_status::FileLimit:
        result.verdict = Verdict::TooMuchWriting;
        return result;
    case zefrun_status::Stopped:
    case zefrun_status::Abandoned:
        if (end && !end->message.empty()) {
            result.line = end->line;
            if (run.status == zefrun_status::Abandoned && end->message == kInputEnded) {
                result.verdict = Verdict::InputExhausted;
                return result;
            }
            result.verdict = Verdict::Error;
            result.message = end->message;
            return result;
        }
        break;
    default:
        break;
    }
    result.verdict = Verdict::NotRun;
    result.unconfined = run.status == zefrun_status::Unconfined;
    result.message = end && !end->message.empty() ? end->message
                                                  : "zefrun a terminé avec le statut " + std::to_string(run.status);
    return result;
}

std::string verdictName(Verdict verdict) {
    switch (verdict) {
    case Verdict::Passed: return "Réussi";
    case Verdict::WrongOutput: return "Sortie différente";
    case Verdict::Error: return "Erreur";
    case Verdict::TooLong: return "Trop long";
    case Verdict::OutputTooLong: return "Sortie trop longue";
    case Verdict::TooMuchWriting: return "Trop d'écriture";
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
    case Verdict::TooMuchWriting: return "trop_d_ecriture";
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
    case Verdict::TooLong:
        // The clock's bound kills the run: then no line is known.
        if (result.line > 0) return "Trop long (arrêté ligne " + std::to_string(result.line) + ")";
        return verdictName(result.verdict);
    case Verdict::NotRun:
        return "Exécution impossible : " + result.message;
    default:
        return verdictName(result.verdict);
    }
}

} // namespace zef
