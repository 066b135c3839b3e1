// Grading: every program on every case of its exercise, several runs at a time.
#pragma once

#include "runner.h"

#include <atomic>
#include <functional>
#include <vector>

namespace zef {

struct Submission {
    std::filesystem::path program;
    const Exercise* exercise = nullptr;
};

struct ProgramResult {
    std::filesystem::path program;
    std::string name;                // how the reports name it
    std::filesystem::path casesFolder; // its exercise's folder
    std::vector<CaseResult> cases;   // in the order of the exercise's cases
    std::size_t passed() const;
    // The share of cases passed, in whole percent, rounded down: 100 only when all pass.
    int score() const;
    const CaseResult* firstFailure() const;
    // The wall-clock time of all its runs, in seconds.
    double seconds() const;
};

// Called as runs finish, one call at a time (from the worker threads): the runs done so
// far and the runs in all.
using ProgressFunction = std::function<void(std::size_t done, std::size_t total)>;
// Called with each result as its run finishes, one call at a time (from the worker
// threads), before the progress call of the same run.
using ResultFunction = std::function<void(std::size_t submission, std::size_t testCase, const CaseResult& result)>;

// The number of runs at a time by default: one per processor this process may use.
unsigned defaultJobs();

// Runs every submission on every case of its exercise, `jobs` runs at a time (0: one per
// processor), and returns the results in the order of the submissions and their cases.
// `stop`, when set, ends the runs in progress and starts no more; those not run say
// "correction arrêtée".
std::vector<ProgramResult> gradeAll(const std::vector<Submission>& submissions, const RunSettings& settings,
                                    unsigned jobs, const ProgressFunction& progress = {},
                                    const std::atomic<bool>* stop = nullptr, const ResultFunction& onResult = {});

// Report names for programs: each file's name, or the path as given where two share one.
std::vector<std::string> displayNames(const std::vector<std::filesystem::path>& programs);

} // namespace zef
