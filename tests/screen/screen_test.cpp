#include "recording_platform.h"
#include "watchdog.h"
#include "tform12.h"
#include "tform3.h"
#include "zoom.h"

#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QThread>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    EXPECT_EQ(screen.windowTitle(), "ZuzOvozov - ESSAI.PAS - " + screen.runState());
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
    EXPECT_EQ(screen.interpreter().LitValeur(1, SymbolKind::String).s, "Zo\xE9");
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
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath("imprimante.pdf");
    screen.printer().setOutputFile(pdf);
    EXPECT_EQ(run({"PROGRAM Essai;", "BEGIN", "  ASSIGNPRN(PRN);", "  REWRITE(PRN);",
                   "  WRITELN(PRN,'Bonjour');", "END."}),
              0);
    EXPECT_EQ(screen.CloseAll(), 0);
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5).startsWith("%PDF"));
}

TEST_F(ScreenWindow, StoppingAProgramThatWaitsForInputEndsTheWaitAtTheReadingLine) {
    // Escape in the input line, then the menu's "Arrêter" (which calls requestInterrupt).
    for (const bool byEscape : {true, false}) {
        boxes.clear();
        QTimer::singleShot(0, [&] {
            ASSERT_TRUE(input.waiting());
            input.Edit1->setText(QStringLiteral("42"));
            if (byEscape) {
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(&input, &escape);
            } else {
                screen.requestInterrupt();
            }
        });
        EXPECT_EQ(run({"PROGRAM Essai;", "VAR I: INTEGER;", "BEGIN", "  READLN(I);", "  WRITELN('fin');", "END."}), 1);
        EXPECT_EQ(line, 3);
        EXPECT_EQ(boxes, QStringList{QStringLiteral("Exécution interrompue")});
        EXPECT_EQ(screen.interpreter().LitValeur(1, SymbolKind::Integer).i, 0); // nothing stored
        EXPECT_FALSE(input.isVisible());
    }
}

TEST_F(ScreenWindow, TheDrawingIsKeptAsTextAndRepaintedAtAnyZoom) {
    // A counter rewritten at one place keeps one text there, not one per value.
    run({"PROGRAM Essai;", "VAR I: INTEGER;", "BEGIN", "  WRITELN('Compte :');", "  FOR I:=1 TO 5000 DO",
         "  BEGIN", "    GOTOXY(2,1);", "    WRITE(I);", "  END;", "  GOTOXY(4,3);", "  WRITE('fin');", "END."});
    EXPECT_EQ(screen.record().texts().size(), 3u);
    EXPECT_EQ(screen.record().plainText(), QStringLiteral("Compte :\n5000\n\n  fin"));

    // Twice the zoom: the window, the text and the input line's place double; the drawing
    // is painted again from the texts, as sharp as at 100 %.
    const int compteWidth = QFontMetrics(screen.screenFont()).horizontalAdvance("Compte :");
    const QImage normal = screen.grab().toImage();
    screen.setZoom(2.0);
    EXPECT_EQ(screen.size(), QSize(1176, 876).boundedTo(screen.screen()->availableGeometry().size()));
    const QImage zoomed = screen.grab().toImage();
    EXPECT_GT(darkPixels(zoomed, QRect(0, 0, 2 * compteWidth, 36)),
              3 * darkPixels(normal, QRect(0, 0, compteWidth, 18)));
    EXPECT_EQ(darkPixels(zoomed, QRect(2 * compteWidth + 4, 0, 100, 36)), 0);
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(input.pos(), QPoint(0, 2 * 4 * 18));
        emit input.Edit1->returnPressed();
    });
    run({"PROGRAM Essai;", "VAR S: STRING;", "BEGIN", "  GOTOXY(5,1);", "  READLN(S);", "END."});
    // A canvas at scale 2 has every pixel of the drawing twice over, whatever the zoom.
    EXPECT_EQ(screen.canvas(2.0).size(), screen.canvas(1.0).size() * 2);
    screen.setZoom(1.0);
}

TEST_F(ScreenWindow, ThePrintedProgramCanBeCopiedSavedAndPrinted) {
    run({"PROGRAM Essai;", "BEGIN", "  WRITELN('Bonjour');", "  WRITE('le');", "  WRITE(' monde');", "END."});
    screen.copyText();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Bonjour\nle monde"));
    QTemporaryDir dir;
    const QString png = dir.filePath("ecran.png");
    ASSERT_TRUE(screen.savePicture(png));
    const QImage saved(png);
    EXPECT_EQ(saved.size(), screen.canvas(2.0).size());
    EXPECT_GT(darkPixels(saved, QRect(0, 0, 200, 36)), 40);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("ecran.pdf"));
    EXPECT_TRUE(screen.printDrawing(printer));
    EXPECT_GT(QFileInfo(dir.filePath("ecran.pdf")).size(), 500);
    EXPECT_FALSE(screen.savePicture(dir.filePath("absent/ecran.png")));
}

TEST_F(ScreenWindow, TheInputLineStartsEmptyEachTimeTheWindowComesBack) {
    QWidget elsewhere;
    QString typed;
    QTimer::singleShot(0, [&] {
        screen.activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(screen.isActiveWindow(), 5000);
        input.Edit1->setText("abc"); // typed, then the learner looks elsewhere and back
        elsewhere.show();
        elsewhere.activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(!screen.isActiveWindow(), 5000);
        EXPECT_EQ(input.Edit1->text(), "abc");
        screen.activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(screen.isActiveWindow(), 5000);
        typed = input.Edit1->text();
        input.Edit1->setText("42");
        emit input.Edit1->returnPressed();
    });
    run({"PROGRAM Essai;", "VAR I: INTEGER;", "BEGIN", "  READLN(I);", "END."});
    EXPECT_EQ(typed, "");
    EXPECT_EQ(screen.interpreter().LitValeur(1, SymbolKind::Integer).i, 42);
}

// Output past the window's bottom is kept and the window follows it with its scroll bar;
// the text, the pictures and the input line cover the whole run, and a fresh run starts at
// the top of a clear screen.
TEST_F(ScreenWindow, ALongRunScrollsAndEverythingKeptCanBeCopiedAndSaved) {
    screen.show();
    QString typedAt;
    // The run polls its events while it writes: the answer waits for the input line.
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (!input.waiting()) return;
        answer.stop();
        // The input line stands inside the window, on the last row.
        typedAt = QStringLiteral("%1/%2").arg(input.geometry().bottom() <= screen.height()).arg(input.isVisible());
        emit input.Edit1->returnPressed();
    });
    answer.start();
    run({"PROGRAM Essai;", "VAR I: INTEGER;", "VAR S: STRING;", "BEGIN", "  FOR I:=1 TO 2000 DO", "    WRITELN(I);",
         "  READLN(S);", "END."});
    EXPECT_EQ(typedAt, "1/1");
    EXPECT_TRUE(boxes.isEmpty());
    const int lineHeight = QFontMetrics(screen.screenFont()).height();
    const int lastRow = screen.interpreter().cursorY(); // the READLN's row, below the 2000 lines
    ASSERT_TRUE(screen.scrollBar()->isVisible());
    EXPECT_EQ(screen.scrollTop(), screen.scrollBar()->maximum());
    EXPECT_GT(screen.scrollTop(), lastRow - screen.height());
    const QImage shown = screen.grab().toImage();
    EXPECT_GT(darkPixels(shown, QRect(0, screen.height() - 3 * lineHeight, 60, 2 * lineHeight)), 10);

    screen.copyText();
    const QStringList copied = QApplication::clipboard()->text().split('\n');
    ASSERT_GE(copied.size(), 2000);
    EXPECT_EQ(copied.first(), "1");
    EXPECT_EQ(copied.at(1999), "2000");

    QTemporaryDir dir;
    const int pictures = screen.savePicture(dir.filePath("ecran.png"));
    ASSERT_GE(pictures, 2);
    int height = 0;
    for (int n = 1; n <= pictures; ++n) {
        const QImage piece(n == 1 ? dir.filePath("ecran.png") : dir.filePath(QStringLiteral("ecran-%1.png").arg(n)));
        ASSERT_FALSE(piece.isNull()) << n;
        height += piece.height();
        if (n == pictures) {
            EXPECT_GT(darkPixels(piece, piece.rect()), 10); // the last lines
        }
    }
    EXPECT_GE(height, lastRow);

    // Scrolling back to the top shows the first line again.
    QTest::keyClick(&screen, Qt::Key_Home);
    EXPECT_EQ(screen.scrollTop(), 0);
    EXPECT_GT(darkPixels(screen.grab().toImage(), QRect(0, 0, 30, lineHeight)), 5);
    QTest::keyClick(&screen, Qt::Key_End);
    EXPECT_EQ(screen.scrollTop(), screen.scrollBar()->maximum());

    run({"PROGRAM Essai;", "BEGIN", "  WRITELN('seul');", "END."});
    EXPECT_EQ(screen.scrollTop(), 0);
    EXPECT_FALSE(screen.scrollBar()->isVisible());
    EXPECT_EQ(screen.record().plainText(), "seul");
}

// A zoom setting that does not read as a number means the default zoom (before, the
// smallest); a settings file that is not a regular file (a named pipe) is not read at all,
// instead of holding the IDE at its start.
TEST(Zoom, ASettingThatDoesNotReadMeansTheDefault) {
    {
        QSettings settings;
        settings.setValue("zoom/editeur", 2.0);
    }
    EXPECT_EQ(zoom::load("editeur"), 2.0);
    QString path;
    {
        QSettings settings;
        settings.setValue("zoom/editeur", "abc");
        path = settings.fileName();
    }
    EXPECT_EQ(zoom::load("editeur"), 1.0);

    ASSERT_TRUE(QFile::remove(path));
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    {
        // Reading the pipe would wait for a writer that never comes.
        zef::testing::Watchdog watchdog("the settings file, a named pipe, was read");
        zoom::save("ecran", 1.5);
        EXPECT_EQ(zoom::load("ecran"), 1.0);
    }
    QFile::remove(path);
}

// A program writing to a named pipe whose reader does not read: the window goes on living
// (its timers run, so it repaints), and the stop command ends the wait with an
// input/output error instead of waiting for the reader. Without a reader, REWRITE fails
// at once.
TEST_F(ScreenWindow, ANamedPipeNeverHoldsTheWindow) {
    QTemporaryDir dir;
    const QString pipe = dir.filePath("tube");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const std::vector<std::string> program = {"PROGRAM Tube;", "VAR F: TEXTFILE;", "VAR S: STRING;",
                                              "VAR I: INTEGER;", "BEGIN", "  S := '" + pipe.toStdString() + "';",
                                              "  ASSIGN(F,S);", "  REWRITE(F);", "  FOR I:=1 TO 100000 DO",
                                              "  WRITELN(F,'une ligne pour remplir le tube');", "END."};
    Watchdog watchdog("the screen window on a named pipe");
    EXPECT_EQ(run(program), StatusStop);
    EXPECT_EQ(boxes, QStringList{"Erreur Entrée/Sortie"});

    const int reader = ::open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const int capacity = fcntl(reader, F_GETPIPE_SZ);
    QTimer stop;
    int ticks = 0;
    QObject::connect(&stop, &QTimer::timeout, [&] {
        int queued = 0;
        ioctl(reader, FIONREAD, &queued);
        ++ticks;
        if (queued >= capacity) screen.requestInterrupt(); // as Ctrl+F2 or Escape
    });
    stop.start(5);
    try {
        run(program);
        ADD_FAILURE() << "the run went on as if everything had been written";
    } catch (const RunAbandoned& e) {
        EXPECT_EQ(QString::fromStdString(cp1252ToUtf8(e.what())), "Erreur E/S 29");
    }
    EXPECT_GT(ticks, 0);
    EXPECT_FALSE(screen.running());
    ::close(reader);
}
