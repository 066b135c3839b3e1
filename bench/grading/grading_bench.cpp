// The cost of grading beside the cost of the program: one run of a small learner's program
// through zefrun directly (a process, its input, its output read back), then the same run
// as zefcorrige makes it (a scratch folder with the exercise's data files, the bounds, the
// Landlock confinement, the comparison and the verdict), confined and not; and a class of
// 30 programs on 20 cases (600 runs) graded one run per processor. At the end the ratios
// to the direct run and the overhead per run are printed.
#include "confinement.h"
#include "grader.h"
#include "runner.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>

extern char** environ;

namespace fs = std::filesystem;
using namespace zef;

namespace {

constexpr int kCases = 20, kPrograms = 30;

// A class's exercise in a folder of its own: a table program, its 20 cases and a data file.
struct Bench {
    Bench() {
        std::string pattern = (fs::temp_directory_path() / "zefbench-XXXXXX").string();
        folder = mkdtemp(pattern.data());
        write(folder / "table.pas", "PROGRAM Table;\r\nVAR N, I, P: INTEGER;\r\nBEGIN\r\n"
                                    "  WRITE('Quelle table ? ');\r\n  READLN(N);\r\n  FOR I:=1 TO 10 DO\r\n"
                                    "  BEGIN\r\n    P := N * I;\r\n    WRITE(I);\r\n    WRITE(' x ');\r\n"
                                    "    WRITE(N);\r\n    WRITE(' = ');\r\n    WRITELN(P);\r\n  END;\r\nEND.\r\n");
        write(folder / "essais" / "fichiers" / "lisez-moi.txt", "donnees\r\n");
        for (int c = 1; c <= kCases; ++c) {
            const std::string name = (c < 10 ? "0" : "") + std::to_string(c);
            write(folder / "essais" / (name + ".in"), std::to_string(c) + "\n");
            std::string expected = "Quelle table ? " + std::to_string(c) + "\n";
            for (int i = 1; i <= 10; ++i)
                expected += std::to_string(i) + " x " + std::to_string(c) + " = " + std::to_string(i * c) + "\n";
            write(folder / "essais" / (name + ".out"), expected);
        }
        std::string reason;
        exercise = *findCases(folder / "essais", reason);
        settings.zefrun = ZEF_ZEFRUN;
    }
    ~Bench() { fs::remove_all(folder); }
    static void write(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    fs::path folder;
    Exercise exercise;
    RunSettings settings;
};

Bench& bench() {
    static Bench instance;
    return instance;
}

// zefrun on the first case's input, its output read to the end, as a shell would.
void ZefrunDirect(benchmark::State& state) {
    Bench& b = bench();
    const std::string program = (b.folder / "table.pas").string();
    const std::string input = b.exercise.cases[0].input.string();
    for (auto _ : state) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) state.SkipWithError("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::string zefrun = ZEF_ZEFRUN, locale = "--locale", fr = "fr_FR", file = program;
        char* argv[] = {zefrun.data(), locale.data(), fr.data(), file.data(), nullptr};
        pid_t pid = -1;
        posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::string output;
        char chunk[4096];
        for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;) output.append(chunk, static_cast<std::size_t>(n));
        close(out[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (output.empty()) state.SkipWithError("zefrun wrote nothing");
    }
}

void GradedRun(benchmark::State& state, bool confined) {
    Bench& b = bench();
    RunSettings settings = b.settings;
    settings.confine = confined;
    if (confined && landlockAbi() == 0) {
        state.SkipWithError("no Landlock on this machine");
        return;
    }
    for (auto _ : state) {
        const CaseResult result = runCase(b.folder / "table.pas", b.exercise, b.exercise.cases[0], settings);
        if (!result.passed()) state.SkipWithError(verdictText(result).c_str());
    }
}
void GradedRunConfined(benchmark::State& state) { GradedRun(state, true); }
void GradedRunUnconfined(benchmark::State& state) { GradedRun(state, false); }

// 600 runs, as a class of 30 would be graded.
void ClassOf30On20Cases(benchmark::State& state) {
    Bench& b = bench();
    RunSettings settings = b.settings;
    settings.confine = landlockAbi() > 0;
    const std::vector<Submission> submissions(kPrograms, Submission{b.folder / "table.pas", &b.exercise});
    for (auto _ : state) {
        const auto results = gradeAll(submissions, settings, 0);
        for (const auto& program : results)
            if (program.passed() != program.cases.size()) state.SkipWithError("a run failed");
    }
    state.counters["runs"] = kPrograms * kCases;
    state.counters["jobs"] = defaultJobs();
}

// Wall-clock time: what a run costs is mostly in the child process, which this process's
// CPU time does not see.
BENCHMARK(ZefrunDirect)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(GradedRunUnconfined)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(GradedRunConfined)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(ClassOf30On20Cases)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// Keeps each benchmark's wall-clock time per iteration for the ratios printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred) // by the function's name, without its settings; ms -> s
                seconds[run.run_name.function_name] = run.GetAdjustedRealTime() / 1e3;
    }
    std::map<std::string, double> seconds;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto direct = reporter.seconds.find("ZefrunDirect");
    if (direct == reporter.seconds.end()) return 0;
    std::printf("\nPer run, against zefrun run directly (%.2f ms):\n", direct->second * 1e3);
    for (const char* name : {"GradedRunUnconfined", "GradedRunConfined"}) {
        const auto it = reporter.seconds.find(name);
        if (it == reporter.seconds.end()) continue;
        std::printf("  %-22s %.2f ms  ratio %.2f  overhead %+.2f ms\n", name, it->second * 1e3,
                    it->second / direct->second, (it->second - direct->second) * 1e3);
    }
    if (const auto it = reporter.seconds.find("ClassOf30On20Cases"); it != reporter.seconds.end())
        std::printf("  600 runs, %u at a time: %.2f s (%.2f ms a run)\n", defaultJobs(), it->second,
                    it->second / (kPrograms * kCases) * 1e3);
    benchmark::Shutdown();
    return 0;
}
