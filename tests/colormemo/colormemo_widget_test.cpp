// The colour memo on screen (offscreen platform): what its pixels show, and how it answers
// keys, the mouse and searches; each with and without the line-number margin, in a
// fixed-width and in a proportional font. Then the margin itself.
#include "colormemo.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>

#include <gtest/gtest.h>

using namespace zef;

namespace {

const char* const kProgram =
    "Program Essai;\n"
    "var I: integer; // Integer\n"
    "begin\n"
    "  { commentaire }\n"
    "  WriteLn('Bonjour');\n"
    "  For I := 1 To 3 Do\n"
    "  WriteLn(I);\n"
    "end.";

struct PixelStats {
    int pixels = 0;
    int blue = 0;    // clearly blue: little red and green, much blue
    int maroon = 0;  // dark red
    int gray = 0;    // about $808080
    int black = 0;   // near black
    int darkest = 255;
};

// How the memo is shown: the editor's fixed-width font or a proportional one, with or
// without its line numbers.
struct MemoLook {
    bool fixedPitch;
    bool lineNumbers;
};

std::string lookName(const ::testing::TestParamInfo<MemoLook>& info) {
    return std::string(info.param.fixedPitch ? "FixedPitch" : "Proportional") +
           (info.param.lineNumbers ? "WithLineNumbers" : "");
}

QFont lookFont(bool fixedPitch) {
    QFont font = fixedPitch ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont("DejaVu Serif");
    if (!fixedPitch) font.setStyleHint(QFont::Serif);
    font.setPixelSize(20);
    return font;
}

class MemoOnScreen : public ::testing::TestWithParam<MemoLook> {
protected:
    void SetUp() override {
        memo.setFrameStyle(QFrame::NoFrame);
        memo.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        memo.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        memo.setFont(lookFont(GetParam().fixedPitch));
        memo.setLineNumbersVisible(GetParam().lineNumbers);
        QPalette palette = memo.palette();
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Text, Qt::black);
        palette.setColor(QPalette::Highlight, Qt::black);
        palette.setColor(QPalette::HighlightedText, Qt::white);
        memo.setPalette(palette);
        SetEditorColorRules(memo);
        memo.setPlainText(kProgram);
        memo.resize(520, 400);
        memo.show();
        settle();
    }

    void settle() {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }

    // The text area as the whole memo shows it (the margin included, drawn where it
    // stands), in the text area's own coordinates.
    QImage render() {
        settle();
        const QImage whole = memo.grab().toImage().convertToFormat(QImage::Format_RGB32);
        return whole.copy(memo.viewport()->geometry());
    }

    int position(int line, int column) {
        return memo.document()->findBlockByNumber(line).position() + column;
    }

    // The rectangle of `length` characters from a column of a line, in viewport pixels.
    QRect charRect(int line, int column, int length) {
        QTextCursor c(memo.document());
        c.setPosition(position(line, column));
        const QRect first = memo.cursorRect(c);
        c.setPosition(position(line, column + length));
        const QRect last = memo.cursorRect(c);
        return QRect(QPoint(first.left() + 1, first.top()), QPoint(last.left() - 1, first.bottom()));
    }

    static PixelStats stats(const QImage& image, const QRect& rect) {
        PixelStats s;
        const QRect r = rect.intersected(image.rect());
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                ++s.pixels;
                const int lightest = std::max({c.red(), c.green(), c.blue()});
                s.darkest = std::min(s.darkest, lightest);
                if (c.blue() > 200 && c.red() < 90 && c.green() < 90) ++s.blue;
                if (c.red() > 90 && c.red() < 170 && c.green() < 50 && c.blue() < 50) ++s.maroon;
                if (std::abs(c.red() - 128) < 20 && std::abs(c.green() - 128) < 20 && std::abs(c.blue() - 128) < 20)
                    ++s.gray;
                if (lightest < 50) ++s.black;
            }
        return s;
    }

    TColorMemo memo;
};

} // namespace

TEST_P(MemoOnScreen, KeywordsAndCommentsShowInTheirRulesColours) {
    const QImage image = render();
    const PixelStats writeln = stats(image, charRect(4, 2, 7));
    EXPECT_GT(writeln.blue, 10);
    EXPECT_EQ(writeln.black, 0);
    const PixelStats begin = stats(image, charRect(2, 0, 5));
    EXPECT_GT(begin.maroon, 10);
    EXPECT_EQ(begin.black, 0);
    // The line comment is grey up to the keyword inside it, which shows in maroon.
    const PixelStats slashes = stats(image, charRect(1, 16, 2));
    EXPECT_GT(slashes.gray, 3);
    EXPECT_GE(slashes.darkest, 100);
    EXPECT_GT(stats(image, charRect(1, 19, 7)).maroon, 10);
    const PixelStats brace = stats(image, charRect(3, 2, 15));
    EXPECT_GT(brace.gray, 10);
    EXPECT_GE(brace.darkest, 100);
    // Plain text stays black.
    const PixelStats bonjour = stats(image, charRect(4, 11, 7));
    EXPECT_GT(bonjour.black, 10);
    EXPECT_EQ(bonjour.blue + bonjour.maroon, 0);
}

TEST_P(MemoOnScreen, ColouringLeavesTheDocumentUnmodifiedAndOutOfTheUndoHistory) {
    int changes = 0;
    QObject::connect(&memo, &QPlainTextEdit::textChanged, [&] { ++changes; });
    memo.document()->setModified(false);
    memo.resize(300, 200); // new lines come into view and are coloured
    EXPECT_GT(stats(render(), charRect(4, 2, 7)).blue, 10);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(memo.document()->isModified());
    EXPECT_FALSE(memo.document()->isUndoAvailable());
}

TEST_P(MemoOnScreen, SelectedTextKeepsTheSelectionLook) {
    QTextCursor c(memo.document());
    c.setPosition(position(4, 2));
    c.setPosition(position(4, 9), QTextCursor::KeepAnchor);
    memo.setTextCursor(c);
    const QImage image = render();
    const PixelStats selected = stats(image, charRect(4, 2, 7));
    EXPECT_EQ(selected.blue, 0);
    EXPECT_GT(selected.black, selected.pixels / 2); // the highlight is black here
    EXPECT_GT(stats(image, charRect(6, 2, 7)).blue, 10); // the other WriteLn stays blue
}

TEST_P(MemoOnScreen, TheLastPartlyVisibleLineIsNotColoured) {
    const QRect line6 = charRect(6, 2, 7);
    memo.resize(520, line6.top() + line6.height() / 2 + 1);
    const QImage image = render();
    ASSERT_LT(image.height(), line6.bottom());
    const PixelStats cut = stats(image, line6);
    EXPECT_GT(cut.black, 5); // the edit control drew the line
    EXPECT_EQ(cut.blue, 0);
    EXPECT_GT(stats(image, charRect(4, 2, 7)).blue, 10);
}

TEST_P(MemoOnScreen, ABraceCommentOpenedAboveTheFirstVisibleLineIsNotRecognised) {
    memo.setPlainText("{ un\ndeux\ntrois }\nbegin\n" + QString("x\n").repeated(40));
    settle();
    memo.verticalScrollBar()->setValue(1);
    const QImage image = render();
    const PixelStats closing = stats(image, charRect(2, 0, 7));
    EXPECT_GT(closing.black, 5);
    EXPECT_GT(stats(image, charRect(3, 0, 5)).maroon, 10);
    memo.verticalScrollBar()->setValue(0);
    const PixelStats comment = stats(render(), charRect(2, 0, 7));
    EXPECT_GT(comment.gray, 5);
    EXPECT_GE(comment.darkest, 100);
}

TEST_P(MemoOnScreen, HotSpotsShowAsUnderlinedLinksThatReportTheirText) {
    THotSpot hotSpot;
    hotSpot.Active = true;
    memo.setHotSpot(hotSpot);
    memo.setPlainText(QString("voir ") + QChar(30) + "lien" + QChar(31) + " ici");
    QString clicked;
    memo.OnHotSpotClick = [&](TColorMemo&, const QString& text) { clicked = text; };
    const QImage image = render();
    EXPECT_GT(stats(image, charRect(0, 6, 4)).blue, 10);
    // The markers are blotted out in the window colour.
    EXPECT_EQ(stats(image, charRect(0, 5, 1)).darkest, 255);
    EXPECT_EQ(stats(image, charRect(0, 10, 1)).darkest, 255);

    const QPoint onLink = charRect(0, 7, 1).center();
    QMouseEvent move(QEvent::MouseMove, onLink, memo.viewport()->mapToGlobal(onLink), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(memo.viewport(), &move);
    EXPECT_EQ(memo.viewport()->cursor().shape(), Qt::PointingHandCursor);
    QMouseEvent press(QEvent::MouseButtonPress, onLink, memo.viewport()->mapToGlobal(onLink),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, onLink, memo.viewport()->mapToGlobal(onLink),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(memo.viewport(), &press);
    QApplication::sendEvent(memo.viewport(), &release);
    EXPECT_EQ(clicked, "lien");

    const QPoint away = charRect(0, 12, 1).center();
    QMouseEvent moveAway(QEvent::MouseMove, away, memo.viewport()->mapToGlobal(away), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(memo.viewport(), &moveAway);
    EXPECT_EQ(memo.viewport()->cursor().shape(), Qt::IBeamCursor);
}

TEST_P(MemoOnScreen, ACaretKeyFirstMovesTheCaretToTheSelectionEnd) {
    memo.Select(16, 5); // "var I" on the second line
    ASSERT_EQ(memo.SelStart(), 16);
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(&memo, &left);
    EXPECT_FALSE(memo.textCursor().hasSelection());
    EXPECT_EQ(memo.SelStart(), 20);
    // With shift held the selection is extended as usual.
    memo.Select(16, 5);
    QKeyEvent shiftLeft(QEvent::KeyPress, Qt::Key_Left, Qt::ShiftModifier);
    QApplication::sendEvent(&memo, &shiftLeft);
    EXPECT_EQ(memo.SelLength(), 4);
}

TEST_P(MemoOnScreen, SearchSelectsTheMatchInWholeTextPositions) {
    SearchOptions options;
    ASSERT_TRUE(memo.SearchText("writeln", options));
    EXPECT_EQ(memo.SelStart(), 72); // lines before: 14, 26, 5, 17 characters + CR LF each, then 2
    EXPECT_EQ(memo.textCursor().selectedText(), "WriteLn");
    ASSERT_TRUE(memo.SearchText("writeln", options));
    EXPECT_EQ(memo.textCursor().blockNumber(), 6);
    EXPECT_FALSE(memo.SearchText("writeln", options));
    EXPECT_EQ(memo.textCursor().blockNumber(), 6);
    options.Down = false;
    ASSERT_TRUE(memo.SearchText("PROGRAM", options));
    EXPECT_EQ(memo.SelStart(), 0);
}

TEST_P(MemoOnScreen, EventsReachTheirHandlers) {
    int scrolls = 0;
    memo.OnVScroll = [&](TColorMemo&) { ++scrolls; };
    memo.setPlainText(QString("x\n").repeated(100));
    memo.verticalScrollBar()->setValue(5);
    EXPECT_EQ(scrolls, 1);

    memo.setPlainText(kProgram);
    std::vector<QString> keys;
    memo.OnDrawKey = [&](QPainter&, const QString& key, const QRect& rect, TColor colour) {
        keys.push_back(key);
        EXPECT_GT(rect.width(), 0);
        EXPECT_EQ(colour, clWindowText);
    };
    render();
    EXPECT_NE(std::find(keys.begin(), keys.end(), "WriteLn"), keys.end());
    EXPECT_NE(std::find(keys.begin(), keys.end(), "end."), keys.end());

    // Runs from the OnDraw event, relative to the scanned text.
    memo.OnDrawKey = nullptr;
    TDrawRules rules;
    rules.Add().setKeyDrawingType(TKeyDrawingType::dtEventDraw);
    memo.setColorRules(rules);
    memo.setColorLimMax(4);
    memo.setOnDraw([](TColorRule&, std::string_view from, std::span<TKeyDescr> a, int& count) {
        const auto at = static_cast<std::int32_t>(from.find("Bonjour"));
        a[0] = TKeyDescr{at, at + 6, clRed, 0, 0};
        count = 1;
    });
    const PixelStats bonjour = stats(render(), charRect(4, 11, 7));
    EXPECT_EQ(bonjour.black, 0);
    ASSERT_EQ(memo.Segments().size(), 1u);
    EXPECT_EQ(memo.Segments()[0].colour, clRed);
}

TEST_P(MemoOnScreen, TypingKeepsTheColoursInStep) {
    QTextCursor c(memo.document());
    c.setPosition(position(4, 0));
    memo.setTextCursor(c);
    memo.insertPlainText("  ");
    memo.insertPlainText("{ ");
    const QImage image = render();
    // The brace opened on line 4 closes on nothing before the end of the text.
    EXPECT_GT(stats(image, charRect(4, 6, 7)).blue, 10);
    memo.insertPlainText("}");
    const PixelStats comment = stats(render(), charRect(4, 2, 3));
    EXPECT_GT(comment.gray, 1);
    EXPECT_GE(comment.darkest, 100);
    memo.setEnabled(false);
    render();
    EXPECT_TRUE(memo.document()->findBlockByNumber(4).layout()->formats().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Looks, MemoOnScreen,
                         ::testing::Values(MemoLook{true, false}, MemoLook{true, true}, MemoLook{false, true}),
                         lookName);

namespace {

// The rows of `image` inside `columns` that hold ink (anything darker than light grey).
std::vector<int> inkRows(const QImage& image, int left, int right, int top, int bottom) {
    std::vector<int> rows;
    for (int y = std::max(top, 0); y <= std::min(bottom, image.height() - 1); ++y)
        for (int x = std::max(left, 0); x <= std::min(right, image.width() - 1); ++x)
            if (qGray(image.pixel(x, y)) < 160) {
                rows.push_back(y);
                break;
            }
    return rows;
}

} // namespace

TEST(LineNumbers, StandBesideTheirLinesInTheMemosFontAndAreNoPartOfTheText) {
    TColorMemo memo;
    memo.setFrameStyle(QFrame::NoFrame);
    memo.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo.setFont(lookFont(false));
    SetEditorColorRules(memo);
    memo.setPlainText(kProgram);
    memo.resize(520, 400);
    memo.show();
    EXPECT_EQ(memo.lineNumberMarginWidth(), 0);
    EXPECT_EQ(memo.viewport()->x(), 0);

    memo.setLineNumbersVisible(true);
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    const int margin = memo.lineNumberMarginWidth();
    EXPECT_GE(margin, 2 * memo.fontMetrics().horizontalAdvance('9'));
    EXPECT_GE(memo.viewport()->x(), margin); // the text starts after the numbers

    // Each number's digits stand in their line's band, their tops level with the tops of
    // the line's capitals (same font, same baseline).
    const QImage image = memo.grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int line : {0, 4, 7}) {
        QTextCursor c(memo.document()->findBlockByNumber(line));
        const QRect band = memo.cursorRect(c).translated(memo.viewport()->pos());
        const auto number = inkRows(image, 0, margin - 1, band.top(), band.bottom());
        ASSERT_FALSE(number.empty()) << "line " << line + 1;
        // The line's first capital: "P", "W" (after two blanks), "e" of "end." is lower
        // case, so the last line is checked against its band only.
        if (line == 7) continue;
        const int column = line == 4 ? 2 : 0;
        const QRect capital = QRect(memo.cursorRect(QTextCursor(memo.document()->findBlockByNumber(line))))
                                  .translated(memo.viewport()->pos() +
                                              QPoint(memo.fontMetrics().horizontalAdvance(QString(column, ' ')), 0));
        const auto text = inkRows(image, capital.left() + 1, capital.left() + memo.fontMetrics().horizontalAdvance('W'),
                                  band.top(), band.bottom());
        ASSERT_FALSE(text.empty());
        EXPECT_LE(std::abs(number.front() - text.front()), 1) << "line " << line + 1;
    }

    // Copying everything gives the program, not its numbers.
    memo.selectAll();
    memo.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QString(kProgram));
    EXPECT_EQ(memo.LineText(0), "Program Essai;");

    // A larger font (a zoom) and a hundredth line widen the margin; hiding it gives the
    // room back to the text.
    QFont larger = memo.font();
    larger.setPixelSize(40);
    memo.setFont(larger);
    EXPECT_GT(memo.lineNumberMarginWidth(), margin);
    const int twoDigits = memo.lineNumberMarginWidth();
    memo.setPlainText(QString("x\n").repeated(120));
    EXPECT_GT(memo.lineNumberMarginWidth(), twoDigits);
    EXPECT_GE(memo.viewport()->x(), memo.lineNumberMarginWidth());
    memo.setLineNumbersVisible(false);
    EXPECT_EQ(memo.viewport()->x(), 0);
}
