// What an editor window offers beside the design's commands, offscreen: undo steps, the
// caption's modified mark, going to a line, the fixed-width font, the printed listing and
// the import dialog's filter.
#include "generators.h"
#include "listing.h"
#include "qttext.h"
#include "teditor.h"
#include "tform12.h"
#include "tform3.h"
#include "viewsettings.h"
#include "whenshown.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QInputDialog>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include "finddialog.h"

#include <gtest/gtest.h>

using namespace zef;

namespace {

struct EditorWindow : ::testing::Test {
    EditorWindow() : screen(new TForm12), editor(screen, runState), windows(&editor) {
        editor.setGenerators(&windows);
        editor.messageHook = [this](const QString& text) { messages << text; };
        editor.setWindowTitle("ZuzOvozov - PAS1.PAS");
    }
    void setText(const QString& text) {
        editor.Memo1->setPlainText(text);
        editor.Memo1->document()->setModified(false);
    }
    QString text() const { return editor.Memo1->toPlainText(); }
    void writeFile(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir dir;
    TForm3 screen;
    editor::RunState runState;
    TEditeur editor;
    GeneratorWindows windows;
    QStringList messages;
};

// The number of pages of a PDF file.
int pdfPages(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = f.readAll();
    return static_cast<int>(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "));
}

} // namespace

TEST_F(EditorWindow, AnInsertionAReplaceAllAndAnImportAreOneUndoStepEach) {
    setText("begin\n\nend.");
    editor.Memo1->Select(7, 0); // the empty line
    QTest::keyClicks(editor.Memo1, "  x");
    const QString typed = text();
    // The printer lines go in as one step, apart from what was typed just before.
    editor.Imprimf();
    const QString inserted = text();
    ASSERT_NE(inserted, typed);
    editor.Annuler();
    EXPECT_EQ(text(), typed);
    editor.Retablir();
    EXPECT_EQ(text(), inserted);

    // "Remplacer tout", however many replacements it makes.
    setText("x := x + x;\nwriteln(x);");
    editor.Memo1->Select(0, 0);
    TFindDialog& replace = *editor.ReplaceDialog1;
    replace.findEdit->setText("x");
    replace.replaceEdit->setText("total");
    replace.replaceAllButton->click();
    ASSERT_EQ(text(), "total := total + total;\nwriteln(total);");
    editor.Annuler();
    EXPECT_EQ(text(), "x := x + x;\nwriteln(x);");

    // An imported file, line after line.
    const QString path = dir.filePath("bout.txt");
    writeFile(path, "un\r\ndeux\r\ntrois\r\n");
    editor.openFileHook = [&](const QString&, const QString&, const QString&) { return path; };
    setText("begin\nend.");
    editor.Memo1->Select(7, 0);
    editor.Importer();
    ASSERT_EQ(text(), "begin\nun\ndeux\ntrois\nend.");
    editor.Annuler();
    EXPECT_EQ(text(), "begin\nend.");
}

TEST_F(EditorWindow, TheCaptionShowsTheModifiedMarkUntilTheTextIsSaved) {
    setText("Program PAS1;\nbegin\nend.");
    EXPECT_EQ(editor.windowTitle(), "ZuzOvozov - PAS1.PAS[*]");
    EXPECT_EQ(editor.caption(), "ZuzOvozov - PAS1.PAS");
    EXPECT_FALSE(editor.isWindowModified());
    QTest::keyClicks(editor.Memo1, "x");
    EXPECT_TRUE(editor.isWindowModified());
    // Save As names the window anew; the mark keeps its place and goes off.
    editor.saveFileHook = [&](const QString&, const QString&, const QString&) { return dir.filePath("essai.txt"); };
    ASSERT_TRUE(editor.SaveAs());
    EXPECT_EQ(editor.caption(), "ZuzOvozov - essai.pas");
    EXPECT_EQ(editor.windowTitle(), "ZuzOvozov - essai.pas[*]");
    EXPECT_FALSE(editor.isWindowModified());
    editor.Annuler(); // back before the save: unsaved again
    EXPECT_TRUE(editor.isWindowModified());
}

TEST_F(EditorWindow, GoingToALine) {
    setText("Program PAS1;\nvar I: integer;\nbegin\n  I := 1;\nend.");
    editor.goToLine(4);
    EXPECT_EQ(editor.Memo1->textCursor().blockNumber(), 3);
    EXPECT_EQ(editor.Memo1->textCursor().positionInBlock(), 0);
    editor.goToLine(99); // past the end: the last line
    EXPECT_EQ(editor.Memo1->textCursor().blockNumber(), 4);
    editor.goToLine(-3);
    EXPECT_EQ(editor.Memo1->textCursor().blockNumber(), 0);

    // The question offers the lines there are, from the caret's; cancelled, it changes
    // nothing.
    whenShown<QInputDialog>([](QInputDialog& d) {
        EXPECT_EQ(d.intMaximum(), 5);
        EXPECT_EQ(d.intValue(), 1);
        EXPECT_TRUE(d.labelText().contains("1 à 5"));
        d.setIntValue(3);
        d.accept();
    });
    editor.AllerALaLigne();
    EXPECT_EQ(editor.Memo1->textCursor().blockNumber(), 2);
    editor.lineNumberHook = [](int) { return 0; };
    editor.AllerALaLigne();
    EXPECT_EQ(editor.Memo1->textCursor().blockNumber(), 2);
}

TEST_F(EditorWindow, TheFixedWidthFontKeepsTheSizeAndFollowsTheZoom) {
    const int designed = QFontInfo(editor.Memo1->font()).pixelSize();
    editor.setFixedPitch(true);
    EXPECT_TRUE(view::glyphsOfOneWidth(editor.Memo1->font()));
    EXPECT_EQ(QFontInfo(editor.Memo1->font()).pixelSize(), designed);
    editor.setZoom(2.0);
    EXPECT_TRUE(view::glyphsOfOneWidth(editor.Memo1->font()));
    EXPECT_EQ(editor.Memo1->font().pixelSize(), 34);
    editor.setFixedPitch(false);
    EXPECT_FALSE(view::glyphsOfOneWidth(editor.Memo1->font()));
    EXPECT_EQ(editor.Memo1->font().pixelSize(), 34);
    editor.setZoom(1.0);
    EXPECT_EQ(QFontInfo(editor.Memo1->font()).pixelSize(), designed);
}

TEST_F(EditorWindow, TheListingHasAHeaderOnEveryPageAndTheLineNumbersOfTheMargin) {
    QStringList program{"Program PAS1;", "begin"};
    for (int i = 0; i < 130; ++i) program << QStringLiteral("  writeln('ligne %1');").arg(i);
    program << "end.";
    setText(program.join('\n'));
    editor.setLineNumbers(true);
    Listing listing = editor.listing();
    EXPECT_EQ(listing.name, "PAS1.PAS"); // a new document: the name in its caption
    EXPECT_EQ(listing.lines, program);
    EXPECT_TRUE(listing.lineNumbers);
    const QDate today = QDate::currentDate();
    EXPECT_EQ(listing.date,
              fromCp1252(regionalSettingsFromQt().formatDate(DateTime{today.year(), today.month(), today.day()})));

    // Laid out on a page that holds some fifty lines: three pages, each headed with the
    // name, the date and its number; every line once, after its number.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = dir.filePath("listing.pdf");
    printer.setOutputFileName(pdf);
    const QFontMetricsF metrics(listingFont(listing.font), &printer);
    const QSizeF page(printer.width(), metrics.height() * 52.5);
    const auto pages = layoutListing(listing, metrics, page);
    ASSERT_EQ(pages.size(), 3u);
    QStringList programSeen;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        QStringList texts;
        for (const ListingText& t : pages[p].texts) texts << t.text;
        EXPECT_EQ(texts.mid(0, 3), (QStringList{"PAS1.PAS", listing.date, QStringLiteral("page %1 / 3").arg(p + 1)}));
        for (std::size_t i = 3; i + 1 < pages[p].texts.size(); i += 2) {
            const ListingText& number = pages[p].texts[i];
            const ListingText& line = pages[p].texts[i + 1];
            EXPECT_TRUE(number.faint);
            EXPECT_EQ(number.text, QString::number(programSeen.size() + 1));
            EXPECT_EQ(number.baseline.y(), line.baseline.y());
            EXPECT_LT(number.baseline.x(), line.baseline.x());
            EXPECT_GT(line.baseline.y(), pages[p].ruleY); // below the header's rule
            programSeen << line.text;
        }
    }
    EXPECT_EQ(programSeen, program);

    // Without the margin, the lines alone; printed, the listing takes the pages its layout
    // says on the real page.
    editor.setLineNumbers(false);
    listing = editor.listing();
    const auto plain = layoutListing(listing, metrics, QSizeF(printer.width(), printer.height()));
    for (const ListingPage& sheet : plain)
        for (const ListingText& t : sheet.texts) EXPECT_FALSE(t.faint) << t.text.toStdString();
    EXPECT_EQ(plain.front().texts[3].text, "Program PAS1;");
    EXPECT_EQ(plain.front().texts[3].baseline.x(), 0);
    ASSERT_TRUE(printListing(printer, listing));
    EXPECT_EQ(pdfPages(pdf), static_cast<int>(plain.size()));
    EXPECT_GE(plain.size(), 2u);
}

TEST_F(EditorWindow, TheImportDialogOpensOnTheFilterOfItsSuggestedName) {
    QString filter, name;
    whenShown<QFileDialog>([&](QFileDialog& d) {
        filter = d.selectedNameFilter();
        name = d.findChild<QLineEdit*>("fileNameEdit") ? d.findChild<QLineEdit*>("fileNameEdit")->text() : QString();
        d.reject();
    });
    editor.Importer();
    EXPECT_EQ(filter, "Fichiers texte (*.txt)");
    EXPECT_EQ(name, "*.txt");
}
