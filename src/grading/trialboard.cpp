#include "trialboard.h"

#include "reports.h"

namespace zef {

namespace {

// An input of a few thousand lines is all a learner reads in the view.
constexpr std::size_t kShownInputLines = 5000;

// The time of a case that ran; a case that did not run has none.
std::string timeOf(const CaseResult& result) {
    return result.verdict == Verdict::NotRun ? std::string() : " (" + frenchSeconds(result.seconds) + ")";
}

} // namespace

void TrialBoard::begin(std::string programName, const Exercise& exercise) {
    programName_ = std::move(programName);
    results_.assign(exercise.cases.size(), CaseResult{});
    for (std::size_t i = 0; i < exercise.cases.size(); ++i) describeCase(results_[i], exercise.cases[i]);
    done_.assign(exercise.cases.size(), false);
    running_ = true;
    stopped_ = stale_ = false;
}

void TrialBoard::caseDone(std::size_t index, const CaseResult& result) {
    if (index >= results_.size()) return;
    results_[index] = result;
    done_[index] = true;
}

void TrialBoard::finish(bool stopped) {
    running_ = false;
    stopped_ = stopped;
}

std::optional<std::size_t> TrialBoard::firstFailure() const {
    for (std::size_t i = 0; i < results_.size(); ++i)
        if (done_[i] && !results_[i].passed()) return i;
    return std::nullopt;
}

std::string TrialBoard::summary() const {
    if (!started()) return "Exécuter > Tester avec les essais lance le programme sur ses essais.";
    std::size_t done = 0, passed = 0;
    for (std::size_t i = 0; i < results_.size(); ++i) {
        done += done_[i] ? 1 : 0;
        passed += done_[i] && results_[i].passed() ? 1 : 0;
    }
    const std::string counts = std::to_string(passed) + (passed > 1 ? " réussis" : " réussi") + " sur " +
                               std::to_string(results_.size());
    std::string text = "Essais de " + programName_;
    if (running_) text += " en cours (" + std::to_string(done) + "/" + std::to_string(results_.size()) + ")";
    else if (stopped_) text += " arrêtés";
    text += " : " + counts;
    if (stale_) text += " — périmés : " + programName_ + " n'est plus le programme actif";
    return text;
}

std::string TrialBoard::row(std::size_t index) const {
    const CaseResult& result = results_.at(index);
    if (!done_[index]) return "…  " + result.caseName + " : en attente";
    return (result.passed() ? "✓  " : "✗  ") + result.caseName + " : " + verdictText(result) + timeOf(result);
}

std::string TrialBoard::detail(std::size_t index) const {
    const CaseResult& result = results_.at(index);
    if (!done_[index]) return result.caseName + " : en attente";
    return result.caseName + " : " + verdictText(result) + timeOf(result);
}

std::string TrialBoard::parameters(std::size_t index) const {
    const std::string& arguments = results_.at(index).arguments;
    return arguments.empty() ? std::string("Paramètres : aucun") : "Paramètres : « " + arguments + " »";
}

std::string TrialBoard::input(std::size_t index) const { return shownInput(results_.at(index), kShownInputLines); }

int TrialBoard::line(std::size_t index) const {
    if (stale_ || !done(index)) return 0;
    const CaseResult& result = results_[index];
    return result.verdict == Verdict::Error || result.verdict == Verdict::TooLong ? result.line : 0;
}

} // namespace zef
