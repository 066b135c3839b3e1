// What the IDE's "Essais" view shows, worked out without a window: the program its results
// are about, each case's line in the list (waiting, then ✓ or ✗ with the verdict and the
// time), the summary above the list, a chosen case's verdict, parameters and input, the
// line of the program it points at, and whether the results are stale because another
// program has become the active one.
#pragma once

#include "exercise.h"
#include "verdict.h"

#include <optional>
#include <string>
#include <vector>

namespace zef {

class TrialBoard {
public:
    // A trial of `programName` on `exercise` starts: every case waits, the results are
    // those of the active program.
    void begin(std::string programName, const Exercise& exercise);
    // A case's result came (by its index in the exercise).
    void caseDone(std::size_t index, const CaseResult& result);
    // The trial is over, run out or stopped.
    void finish(bool stopped);
    // Whether the program the results are about is the active one; while it is not, the
    // results are stale. A new trial makes them current again.
    void setProgramActive(bool active) { stale_ = !programName_.empty() && !active; }

    bool started() const { return !programName_.empty(); }
    bool running() const { return running_; }
    bool stale() const { return stale_; }
    const std::string& programName() const { return programName_; }
    std::size_t size() const { return results_.size(); }
    bool done(std::size_t index) const { return index < done_.size() && done_[index]; }
    const CaseResult& result(std::size_t index) const { return results_.at(index); }
    const std::vector<CaseResult>& results() const { return results_; }
    // The first case done that failed.
    std::optional<std::size_t> firstFailure() const;

    // The line above the list: the program, how far the trial is, the cases passed, and
    // when the results are stale, why.
    std::string summary() const;
    // A case's line in the list: "…  NAME : en attente", "✓  NAME : Réussi (0,012 s)".
    std::string row(std::size_t index) const;
    // A chosen case's verdict with its time, its parameters, its input (UTF-8).
    std::string detail(std::size_t index) const;
    std::string parameters(std::size_t index) const;
    std::string input(std::size_t index) const;
    // The program's line a chosen case points at: where it stopped on an error, or where a
    // bound stopped it; 0 when none, and while the results are stale (the active program
    // is another one).
    int line(std::size_t index) const;

private:
    std::string programName_;
    std::vector<CaseResult> results_;
    std::vector<bool> done_;
    bool running_ = false, stopped_ = false, stale_ = false;
};

} // namespace zef
