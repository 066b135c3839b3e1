// Statements per second of the interpreter on three loop programs: an integer FOR sum, a
// real WHILE computation and string building with COPY and concatenation.
#include "interpreter.h"
#include "text.h"

#include <benchmark/benchmark.h>

namespace {

using namespace zef;

class NullScreen : public Screen {
public:
    void prepare(const std::string&) override {}
    void drawText(int, int, const std::string&) override {}
    int textWidth(const std::string& t) override { return 8 * static_cast<int>(t.size()); }
    void clearScreen() override {}
    std::string readLine(int, int) override { return {}; }
    void showMessage(const std::string&) override {}
};

class NullMessages : public MessageSink {
public:
    void showError(const std::string&) override { ++count; }
    int count = 0;
};

class Lines : public LineList {
public:
    explicit Lines(std::vector<std::string> l) : lines(std::move(l)) {}
    int count() const override { return static_cast<int>(lines.size()); }
    std::string line(int i) const override { return lines[static_cast<std::size_t>(i)]; }
    void deleteLine(int i) override { lines.erase(lines.begin() + i); }
    std::vector<std::string> lines;
};

void runProgram(benchmark::State& state, const std::vector<std::string>& program) {
    NullScreen screen;
    NullMessages messages;
    Platform platform;
    platform.screen = &screen;
    platform.messages = &messages;
    Interpreter interpreter(platform);
    interpreter.InitPrg("BENCH.PAS");
    Lines lines(program);
    const std::uint64_t before = interpreter.statementsRun();
    for (auto _ : state) {
        std::int32_t line = 0, step = 0, status = 0;
        interpreter.Exec(lines, line, step, status);
        if (status != 0 || messages.count != 0) state.SkipWithError("the program stopped");
    }
    state.counters["statements/s"] = benchmark::Counter(
        static_cast<double>(interpreter.statementsRun() - before), benchmark::Counter::kIsRate);
}

void ForIntegerSum(benchmark::State& state) {
    runProgram(state, {"PROGRAM Somme;", "VAR I, S: INTEGER;", "BEGIN", "  S := 0;",
                       "  FOR I:=1 TO 10000 DO", "    S := S + I;", "END."});
}

void WhileRealComputation(benchmark::State& state) {
    runProgram(state, {"PROGRAM Reels;", "VAR X, Y: REAL;", "VAR N: INTEGER;", "BEGIN", "  X := 0;",
                       "  N := 0;", "  WHILE N < 10000 DO", "  BEGIN", "    Y := X * 1,0001;",
                       "    X := Y + 0,5;", "    N := N + 1;", "  END;", "  WEND;", "END."});
}

void StringBuilding(benchmark::State& state) {
    runProgram(state, {"PROGRAM Chaines;", "VAR S, T: STRING;", "VAR I: INTEGER;", "BEGIN",
                       "  S := 'abcdefghij';", "  FOR I:=1 TO 10000 DO", "  BEGIN",
                       "    T := COPY(S,2,5);", "    S := T + 'xyzab';", "  END;", "END."});
}

} // namespace

BENCHMARK(ForIntegerSum)->Unit(benchmark::kMillisecond);
BENCHMARK(WhileRealComputation)->Unit(benchmark::kMillisecond);
BENCHMARK(StringBuilding)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
