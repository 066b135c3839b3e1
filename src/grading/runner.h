// One run of one program on one case, exactly as zefrun runs it: the real zefrun binary
// as a child process, in a fresh scratch folder holding a copy of the exercise's data
// files, with the case's input as stdin and its parameters, under the run's bounds and,
// unless told otherwise, confined to the scratch folder. A separate process is what lets
// the bounds and the confinement apply to the run alone.
#pragma once

#include "exercise.h"
#include "verdict.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>

namespace zef {

struct Limits {
    std::uint64_t statements = 50'000'000;
    unsigned cpuSeconds = 5;
    std::uint64_t outputBytes = 1u << 20;
    std::uint64_t fileBytes = 32u << 20; // written to files in all, by one run
};

struct RunSettings {
    std::filesystem::path zefrun;    // the zefrun binary
    std::string locale = "fr_FR";    // regional settings of every run
    Limits limits;
    bool confine = true;             // Landlock; false only when the user said so
    bool exact = false;              // compare outputs byte for byte
    std::filesystem::path scratchParent; // empty: the system's temporary folder
};

// The zefrun beside the running program (they install in the same folder; in a build
// folder the IDE's is ../cli/zefrun), else the first on PATH; empty when none is found.
std::filesystem::path findZefrun();

// Why runs cannot be confined on this machine (French), empty when they can.
std::string confinementUnavailable();

// The wall-clock time a run may take: its CPU time bound with room for a busy machine.
unsigned wallSecondsFor(const Limits& limits);

// Runs `program` on `testCase`. `stop`, when given and set, ends the run at once (it is
// looked at every tenth of a second); the outcome then says cancelled.
RunOutcome runProgram(const std::filesystem::path& program, const Exercise& exercise,
                      const TestCase& testCase, const RunSettings& settings,
                      const std::atomic<bool>* stop = nullptr);

// Fills in what a result tells of its case whatever the run gave: its name, the start of
// its input and its parameters.
void describeCase(CaseResult& result, const TestCase& testCase);

// The run judged against the case's expected output.
CaseResult runCase(const std::filesystem::path& program, const Exercise& exercise, const TestCase& testCase,
                   const RunSettings& settings, const std::atomic<bool>* stop = nullptr);

} // namespace zef
