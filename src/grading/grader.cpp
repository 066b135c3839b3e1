#include "grader.h"

#include <map>
#include <mutex>
#include <sched.h>
#include <thread>

namespace fs = std::filesystem;

namespace zef {

std::size_t ProgramResult::passed() const {
    std::size_t count = 0;
    for (const CaseResult& result : cases) count += result.passed() ? 1 : 0;
    return count;
}

int ProgramResult::score() const {
    return cases.empty() ? 0 : static_cast<int>(passed() * 100 / cases.size());
}

const CaseResult* ProgramResult::firstFailure() const {
    for (const CaseResult& result : cases)
        if (!result.passed()) return &result;
    return nullptr;
}

double ProgramResult::seconds() const {
    double total = 0;
    for (const CaseResult& result : cases) total += result.seconds;
    return total;
}

unsigned defaultJobs() {
    cpu_set_t set;
    if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

std::vector<ProgramResult> gradeAll(const std::vector<Submission>& submissions, const RunSettings& settings,
                                    unsigned jobs, const ProgressFunction& progress,
                                    const std::atomic<bool>* stop, const ResultFunction& onResult) {
    std::vector<fs::path> programs;
    for (const Submission& submission : submissions) programs.push_back(submission.program);
    const std::vector<std::string> names = displayNames(programs);

    std::vector<ProgramResult> results(submissions.size());
    // One unit of work per run: (submission, case), taken in order by the workers.
    std::vector<std::pair<std::size_t, std::size_t>> work;
    for (std::size_t p = 0; p < submissions.size(); ++p) {
        results[p].program = submissions[p].program;
        results[p].name = names[p];
        results[p].casesFolder = submissions[p].exercise->folder;
        results[p].cases.resize(submissions[p].exercise->cases.size());
        for (std::size_t c = 0; c < submissions[p].exercise->cases.size(); ++c) {
            describeCase(results[p].cases[c], submissions[p].exercise->cases[c]);
            results[p].cases[c].message = "correction arrêtée";
            work.emplace_back(p, c);
        }
    }
    std::atomic<std::size_t> next{0};
    std::mutex reporting;
    std::size_t done = 0;
    auto worker = [&] {
        while (!(stop && stop->load())) {
            const std::size_t i = next.fetch_add(1);
            if (i >= work.size()) return;
            const auto [p, c] = work[i];
            const Submission& submission = submissions[p];
            CaseResult result = runCase(submission.program, *submission.exercise,
                                        submission.exercise->cases[c], settings, stop);
            std::lock_guard lock(reporting);
            results[p].cases[c] = std::move(result);
            if (onResult) onResult(p, c, results[p].cases[c]);
            ++done;
            if (progress) progress(done, work.size());
        }
    };
    if (jobs == 0) jobs = defaultJobs();
    jobs = static_cast<unsigned>(std::min<std::size_t>(jobs, std::max<std::size_t>(1, work.size())));
    {
        std::vector<std::jthread> workers;
        for (unsigned j = 1; j < jobs; ++j) workers.emplace_back(worker);
        worker(); // this thread is one of the workers
    }
    return results;
}

std::vector<std::string> displayNames(const std::vector<fs::path>& programs) {
    std::map<std::string, int> uses;
    for (const fs::path& program : programs) ++uses[program.filename().string()];
    std::vector<std::string> names;
    for (const fs::path& program : programs) {
        const std::string name = program.filename().string();
        names.push_back(uses[name] > 1 ? program.string() : name);
    }
    return names;
}

} // namespace zef
