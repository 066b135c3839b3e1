// The verdict of one program on one case, from what its run through zefrun gave.
#pragma once

#include "compare.h"
#include "endrecord.h"

#include <optional>
#include <string>

namespace zef {

enum class Verdict : char {
    Passed,         // "Réussi"
    WrongOutput,    // "Sortie différente", with the first differing line
    Error,          // "Erreur ligne N : message"
    TooLong,        // "Trop long": the statement or CPU time bound, or the clock's
    OutputTooLong,  // "Sortie trop longue"
    TooMuchWriting, // "Trop d'écriture": the bound on what the run writes to files
    InputExhausted, // "Entrée épuisée": read past the end of its input
    NotRun,         // "Exécution impossible : ...": the run itself failed (not the program)
};

// What one run of zefrun gave.
struct RunOutcome {
    bool started = false;  // false: failure says why the run could not start
    std::string failure;   // French
    bool exited = false;   // zefrun exited (status) rather than being killed (signal)
    int status = 0;
    int signal = 0;
    bool timedOut = false; // killed past the wall-clock bound
    bool cancelled = false; // killed because the grading was stopped
    bool outputCut = false; // stdout passed the bound and was cut here
    std::string output;    // stdout, UTF-8
    std::string errors;    // stderr, UTF-8: the program can write there too, so it is
                           // shown, never read for the verdict
    std::optional<EndRecord> end; // what zefrun said of the end on its status socket
    double seconds = 0;    // wall-clock time of the run
};

struct CaseResult {
    std::string caseName;
    Verdict verdict = Verdict::NotRun;
    int line = 0;         // Error, InputExhausted: the line that stopped; TooLong: the line
                          // running when the bound stopped it (0: not known)
    std::string message;  // Error: the interpreter's message; NotRun: why
    Difference difference; // WrongOutput
    std::string expected; // the outputs compared (UTF-8 as far as they are)
    std::string obtained;
    std::string input;    // what the case gave the run: the start of its input (as
    bool inputCut = false; // TestCase::inputStart) and its parameters
    std::string arguments;
    double seconds = 0;
    bool unconfined = false; // NotRun because zefrun could not confine the run
    bool passed() const { return verdict == Verdict::Passed; }
};

// zefrun's exit statuses that the verdicts read.
namespace zefrun_status {
inline constexpr int Stopped = 1, Abandoned = 2, StatementLimit = 3, CpuLimit = 4, OutputLimit = 5,
                     FileLimit = 6, Unreadable = 66, Unconfined = 69;
}

// Judges a run against the expected output (as read from NAME.out): by zefrun's exit
// status and the end record of its status socket, never by what the program could have
// written itself.
CaseResult judge(const RunOutcome& run, const std::string& expected, bool exact);

// The verdict's French name: "Réussi", "Sortie différente", "Erreur", "Trop long", ...
std::string verdictName(Verdict verdict);
// The whole verdict as a learner reads it: "Réussi", "Sortie différente ligne 3 :
// attendu « 21 », obtenu « 22 »", "Erreur ligne 5 : Division par zéro", "Trop long
// (arrêté ligne 12)", "Trop long" (stopped by the clock, at no known line), ...
std::string verdictText(const CaseResult& result);
// A short stable key for machines (reports): "reussi", "sortie_differente", ...
std::string verdictKey(Verdict verdict);

} // namespace zef
