// 10,000 WRITELN on a screen window made for the run (the first run after start-up), and
// the longest time the application went without handling its events meanwhile. The same
// program run on a screen that draws nothing is the baseline: the ratio is what drawing
// costs on top of interpreting.
#include "recording_platform.h"
#include "tform12.h"
#include "tform3.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <benchmark/benchmark.h>

using namespace zef;

namespace {

std::vector<std::string> writelnProgram(int count) {
    return {"PROGRAM Lignes;", "VAR I: INTEGER;", "BEGIN", "  FOR I:=1 TO " + std::to_string(count) + " DO",
            "  BEGIN", "    WRITELN(I);", "  END;", "END."};
}

constexpr int kLines = 10000;

void FirstRunOnANewScreenWindow(benchmark::State& state) {
    double longestGapMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* input = new TForm12;
        auto screen = std::make_unique<TForm3>(input);
        testing::VectorLines lines{writelnProgram(kLines)};
        // A 5 ms timer stands for the user's events: the gap between two of its ticks is
        // how long a click would have waited.
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestGapMs = std::max(longestGapMs, sinceTick.nsecsElapsed() / 1e6);
            sinceTick.restart();
        });
        ticker.start();
        sinceTick.start();
        state.ResumeTiming();

        std::int32_t line = 0, step = 0, status = 0;
        screen->InitPrg("LIGNES.PAS");
        screen->Exec(lines, line, step, status);
        QApplication::processEvents(); // the last repaint

        state.PauseTiming();
        longestGapMs = std::max(longestGapMs, sinceTick.nsecsElapsed() / 1e6);
        if (status != 0) state.SkipWithError("the program did not run to its end");
        screen.reset();
        state.ResumeTiming();
    }
    state.counters["longest_event_gap_ms"] = longestGapMs;
}
BENCHMARK(FirstRunOnANewScreenWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

void SameRunDrawnNowhere(benchmark::State& state) {
    for (auto _ : state) {
        testing::Harness h;
        h.load(writelnProgram(kLines));
        if (h.exec() != 0) state.SkipWithError("the program did not run to its end");
    }
}
BENCHMARK(SameRunDrawnNowhere)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
