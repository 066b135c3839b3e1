#include "recording_platform.h"
#include "tform12.h"
#include "tform3.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

using namespace zef;
using namespace zef::testing;

namespace {

// Dark pixels of the canvas inside a rectangle: text is drawn in black on white.
int darkPixels(const QImage& image, const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom() && y < image.height(); ++y)
        for (int x = r.left(); x <= r.right() && x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) ++n;
    return n;
}

struct ScreenWindow : ::testing::Test {
    void SetUp() override {
        screen.messageBoxHook = [this](const QString& text) { boxes << text; };
    }
    // The screen window takes the input line as a part of itself, and deletes it.
    TForm12& input = *new TForm12;
    TForm3 screen{&input};
    QStringList boxes;
    std::int32_t line = 0, step = 0, status = 0;

    std::int32_t run(const std::vector<std::string>& program) {
        lines.lines = program;
        line = 0, status = 0;
        screen.InitPrg("ESSAI.PAS");
        screen.Exec(lines, line, step, status);
        return status;
    }
    VectorLines lines{{}};
};

} // namespace

TEST_F(ScreenWindow, WritelnDrawsTheTextAndMovesTheCursor) {
    EXPECT_EQ(run({"PROGRAM Essai;", "BEGIN", "  WRITELN('Bonjour');", "  WRITE('x');", "END."}), 0);
    EXPECT_EQ(screen.windowTitle(), "ZuzOvozov - ESSAI.PAS");
    EXPECT_TRUE(screen.isVisible());
    const QFontMetrics fm(screen.screenFont());
    const int width = fm.horizontalAdvance("Bonjour");
    EXPECT_GT(darkPixels(screen.canvas(), QRect(0, 0, width, 18)), 20);
    EXPECT_EQ(darkPixels(screen.canvas(), QRect(width + 2, 0, 200, 18)), 0);
    EXPECT_GT(darkPixels(screen.canvas(), QRect(0, 18, 20, 18)), 0); // x on the next line
    EXPECT_EQ(screen.interpreter().cursorX(), fm.horizontalAdvance("x"));
    EXPECT_EQ(screen.interpreter().cursorY(), 18);
    // The drawing survives a resize: it lives in the window's own image.
    screen.resize(200, 100);
    screen.resize(588, 438);
    EXPECT_GT(darkPixels(screen.grab().toImage(), QRect(0, 0, width, 18)), 20);
}

TEST_F(ScreenWindow, ClrscrWipesTheDrawing) {
    run({"PROGRAM Essai;", "BEGIN", "  WRITELN('Bonjour');", "  CLRSCR;", "END."});
    EXPECT_EQ(darkPixels(screen.canvas(), QRect(5, 5, 100, 12)), 0);
}

TEST_F(ScreenWindow, ReadlnTakesWhatIsTypedInTheInputLine) {
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(input.isVisible());
        EXPECT_TRUE(input.Edit1->text().isEmpty());
        input.Edit1->setText(QStringLiteral("Zoé"));
        emit input.Edit1->returnPressed();
    });
    EXPECT_EQ(run({"PROGRAM Essai;", "VAR S: STRING;", "BEGIN", "  WRITE('Nom ? ');", "  READLN(S);",
                   "  WRITELN(S);", "END."}),
              0);
    EXPECT_FALSE(input.isVisible());
    EXPECT_EQ(screen.interpreter().LitValeur(1, 'S').s, "Zo\xE9");
    // The line was placed over the cursor, right after the prompt.
    const int promptWidth = QFontMetrics(screen.screenFont()).horizontalAdvance("Nom ? ");
    EXPECT_EQ(input.parentWidget(), &screen);
    EXPECT_EQ(input.pos(), QPoint(promptWidth, 0));
}

TEST_F(ScreenWindow, AnEndlessLoopCanBeInterrupted) {
    QTimer::singleShot(50, [&] { screen.requestInterrupt(); });
    EXPECT_EQ(run({"PROGRAM Essai;", "BEGIN", "Boucle:", "  GOTO Boucle;", "END."}), 1);
    EXPECT_TRUE(line == 2 || line == 3);
    EXPECT_EQ(boxes, QStringList{QStringLiteral("Exécution interrompue")});
    EXPECT_FALSE(screen.running());
}

TEST_F(ScreenWindow, ThePrinterChannelPrintsOneJob) {
    const QString pdf = QDir::tempPath() + "/zef-printer-test.pdf";
    QFile::remove(pdf);
    screen.printer().setOutputFile(pdf);
    EXPECT_EQ(run({"PROGRAM Essai;", "BEGIN", "  ASSIGNPRN(PRN);", "  REWRITE(PRN);",
                   "  WRITELN(PRN,'Bonjour');", "END."}),
              0);
    EXPECT_EQ(screen.CloseAll(), 0);
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5).startsWith("%PDF"));
    f.close();
    QFile::remove(pdf);
}
