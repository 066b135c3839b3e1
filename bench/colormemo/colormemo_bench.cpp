// How the colouring cost grows with the document: a program of 1,000 lines against one
// of 100,000, shown from its middle in a window of about 40 lines.
//
//   ColouringWork   the engine alone: plan, copy of the lines on screen, rules, merge and
//                   segments, for a document held as a line list
//   WidgetKeystroke one character typed inside a visible line of the memo, with the
//                   change notification and the repaint it causes (offscreen)
//   WidgetRepaint   one repaint of the whole memo window
#include "colormemo.h"
#include "editorrules.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>

#include <benchmark/benchmark.h>

using namespace zef;

namespace {

const char* const kSample[] = {
    "Procedure Table;",
    "begin",
    "  For I := 1 To 10 Do   // une boucle",
    "    WriteLn(I, ' x 7 = ', I * 7);",
    "  Next I",
    "  { un commentaire",
    "    sur deux lignes }",
    "  If Length(S) > 2 Then S := UpperCase(S);",
    "EndSub",
};
constexpr int kSampleLines = sizeof kSample / sizeof kSample[0];
constexpr int kVisibleLines = 40;

std::vector<std::string> programLines(int count) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) lines.emplace_back(kSample[i % kSampleLines]);
    return lines;
}

void ColouringWork(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const LineVector lines(programLines(count));
    ColorMemoEngine engine;
    SetEditorColorRules(engine.ColorRules());
    const int first = count / 2;
    const auto fits = [&](int line) { return line < first + kVisibleLines; };
    for (auto _ : state) {
        const auto& segments = engine.Paint(lines, first, count - first, fits, PaintState{});
        benchmark::DoNotOptimize(segments.data());
    }
}

struct ShownMemo {
    explicit ShownMemo(int count) {
        QFont font("DejaVu Sans Mono");
        font.setPixelSize(14);
        memo.setFont(font);
        SetEditorColorRules(memo);
        QString text;
        for (const std::string& line : programLines(count)) text += QString::fromStdString(line) + '\n';
        memo.setPlainText(text);
        memo.resize(600, kVisibleLines * QFontMetrics(font).height());
        memo.show();
        memo.verticalScrollBar()->setValue(count / 2);
        QTextCursor cursor(memo.document()->findBlockByNumber(count / 2 + 3));
        cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 10);
        memo.setTextCursor(cursor);
        settle();
    }
    static void settle() {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }
    TColorMemo memo;
};

void WidgetKeystroke(benchmark::State& state) {
    ShownMemo shown(static_cast<int>(state.range(0)));
    QKeyEvent type(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QKeyEvent erase(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    for (auto _ : state) {
        QApplication::sendEvent(&shown.memo, &type);
        ShownMemo::settle();
        state.PauseTiming();
        QApplication::sendEvent(&shown.memo, &erase);
        ShownMemo::settle();
        state.ResumeTiming();
    }
}

void WidgetRepaint(benchmark::State& state) {
    ShownMemo shown(static_cast<int>(state.range(0)));
    for (auto _ : state) shown.memo.viewport()->repaint();
}

} // namespace

BENCHMARK(ColouringWork)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(WidgetKeystroke)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(WidgetRepaint)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
