// "Exécuter > Tester avec les essais" in the IDE: the cases folder proposed once and
// remembered, the verdicts in the "Essais" view as the runs finish while the frame stays
// responsive, a failed case side by side with its first difference highlighted and its
// input beside, an error case's line under the caret, results marked stale while another
// program is active, and Ctrl+F2 ending a trial that would not end.
#include "essaisview.h"
#include "teditor.h"
#include "tmainform.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <fstream>

using namespace zef;

namespace {

void writeFile(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

struct Essais : ::testing::Test {
    void SetUp() override {
        QDir(dir.path()).mkpath("table.essais");
        for (const char* n : {"1", "2", "3"}) {
            writeFile(dir.filePath(QStringLiteral("table.essais/%1.in").arg(n)), std::string(n) + "\n");
            writeFile(dir.filePath(QStringLiteral("table.essais/%1.out").arg(n)),
                      std::string("Nombre ? ") + n + "\nDouble : " + std::to_string(2 * std::stoi(n)) + "\n");
        }
        form.casesFolderHook = [this](const QString& proposed) {
            proposals << proposed;
            return proposed;
        };
        form.messageHook = [this](const QString& text) { messages << text; };
        form.onEditorCreated = [this](TEditeur& e) { e.messageHook = [this](const QString& text) { messages << text; }; };
        // The zefrun of this build (the IDE finds the one beside it once installed).
        form.essaisView().settings().zefrun = ZEF_ZEFRUN;
        form.show();
    }
    // A program saved beside its cases, then changed in its editor without saving.
    TEditeur* program(const QString& savedText, const QString& editedText) {
        const QString path = dir.filePath("table.pas");
        writeFile(path, savedText.toStdString());
        TEditeur* e = form.openPath(path);
        e->Memo1->selectAll();
        e->Memo1->insertPlainText(editedText); // typed: the document is modified
        return e;
    }
    bool waitForEnd() {
        QSignalSpy done(&form.essaisView(), &TEssaisView::finished);
        form.action("TesterEssais1")->trigger();
        return done.wait(60000);
    }
    QStringList rows() const {
        QStringList texts;
        for (int i = 0; i < form.essaisView().cases()->count(); ++i) texts << form.essaisView().cases()->item(i)->text();
        return texts;
    }

    QTemporaryDir dir;
    TMainForm form;
    QStringList proposals, messages;
};

// Doubles the number read, except 2, and stops on an error for 3.
const QString kEdited = QStringLiteral(
    "PROGRAM Table;\nVAR N, D: INTEGER;\nBEGIN\n  WRITE('Nombre ? ');\n  READLN(N);\n  D := N * 2;\n"
    "  IF N = 2 THEN\n  D := 5;\n  IF N = 3 THEN\n  D := INCONNU;\n  WRITE('Double : ');\n  WRITELN(D);\nEND.");

} // namespace

TEST_F(Essais, TheEditorsTextRunsOnEveryCaseWithItsVerdict) {
    EXPECT_FALSE(form.action("TesterEssais1")->isEnabled()) << "no program, nothing to test";
    TEditeur* e = program("PROGRAM Table;\nBEGIN\nEND.", kEdited);
    ASSERT_TRUE(form.action("TesterEssais1")->isEnabled());
    ASSERT_TRUE(waitForEnd());
    EXPECT_TRUE(form.essaisDock()->isVisible());
    EXPECT_EQ(proposals, QStringList{QFileInfo(dir.filePath("table.essais")).absoluteFilePath()});
    // The editor's text ran, not the file's: case 1 passes.
    const QStringList texts = rows();
    ASSERT_EQ(texts.size(), 3) << messages.join('\n').toStdString();
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("✓  1 : Réussi"))) << texts[0].toStdString();
    EXPECT_TRUE(texts[1].startsWith(QStringLiteral("✗  2 : Sortie différente ligne 2"))) << texts[1].toStdString();
    EXPECT_TRUE(texts[2].startsWith(QStringLiteral("✗  3 : Erreur ligne 10 : "))) << texts[2].toStdString();
    EXPECT_TRUE(form.essaisView().summary()->text().contains(QStringLiteral("1 réussi sur 3")));
    EXPECT_TRUE(form.essaisView().summary()->text().contains(QStringLiteral("table.pas")));
    // Nothing was saved.
    EXPECT_TRUE(e->Memo1->document()->isModified());

    // The first failure is chosen at once: expected and obtained side by side, the
    // differing line highlighted on both sides.
    EXPECT_EQ(form.essaisView().cases()->currentRow(), 1);
    for (QPlainTextEdit* side : {form.essaisView().expectedText(), form.essaisView().obtainedText()}) {
        ASSERT_EQ(side->extraSelections().size(), 1);
        EXPECT_EQ(side->extraSelections().first().cursor.block().blockNumber(), 1);
    }
    EXPECT_EQ(form.essaisView().expectedText()->toPlainText(), "Nombre ? 2\nDouble : 4");
    EXPECT_EQ(form.essaisView().obtainedText()->toPlainText(), "Nombre ? 2\nDouble : 5");
    // Beside them, what the case gave the program: its input (2.in) and no parameters.
    EXPECT_EQ(form.essaisView().inputText()->toPlainText(), "2");
    EXPECT_FALSE(form.essaisView().parameters()->text().isEmpty());

    // An error case puts the caret on its line of the program, in sight though the docked
    // view took the bottom of the frame.
    e->goToLine(1);
    auto* tested = qobject_cast<QMdiSubWindow*>(e->parentWidget());
    ASSERT_NE(tested, nullptr);
    tested->setGeometry(0, 0, 500, form.mdiArea()->viewport()->height() + 400);
    form.essaisView().cases()->setCurrentRow(2);
    EXPECT_EQ(e->Memo1->textCursor().blockNumber(), 9);
    EXPECT_LE(tested->geometry().bottom(), form.mdiArea()->viewport()->height() - 1);
    EXPECT_TRUE(e->Memo1->viewport()->rect().contains(e->Memo1->cursorRect()));

    // Another program active: the results are marked stale, and choosing a case moves no
    // caret; the program tested active again, they are current.
    writeFile(dir.filePath("autre.pas"), "PROGRAM Autre;\nBEGIN\nEND.");
    TEditeur* other = form.openPath(dir.filePath("autre.pas"));
    ASSERT_NE(other, e);
    EXPECT_TRUE(form.essaisView().summary()->text().contains(QStringLiteral("périmés")))
        << form.essaisView().summary()->text().toStdString();
    e->Memo1->moveCursor(QTextCursor::Start); // without the focus, which would activate it
    form.essaisView().cases()->setCurrentRow(0);
    form.essaisView().cases()->setCurrentRow(2);
    EXPECT_EQ(e->Memo1->textCursor().blockNumber(), 0);
    EXPECT_EQ(form.activeEditor(), other);
    auto* window = qobject_cast<QMdiSubWindow*>(e->parentWidget());
    ASSERT_NE(window, nullptr);
    window->mdiArea()->setActiveSubWindow(window);
    EXPECT_FALSE(form.essaisView().summary()->text().contains(QStringLiteral("périmés")));

    // The folder is remembered: no question the second time.
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(proposals.size(), 1);
}

TEST_F(Essais, CtrlF2EndsATrialThatWouldNotEnd) {
    program("PROGRAM Table;\nBEGIN\nEND.",
            "PROGRAM Boucle;\nVAR I: INTEGER;\nBEGIN\n  I := 0;\n  WHILE I < 1 DO\n  BEGIN\n    I := I * 1;\n"
            "  END;\n  WEND;\nEND.");
    form.essaisView().settings().limits.statements = 50'000'000'000ull;
    form.essaisView().settings().limits.cpuSeconds = 120;
    QSignalSpy done(&form.essaisView(), &TEssaisView::finished);
    form.action("TesterEssais1")->trigger();
    ASSERT_TRUE(form.essaisView().running());
    EXPECT_TRUE(form.essaisView().summary()->text().contains(QStringLiteral(" en cours")));
    // The frame answers while the runs go on; Ctrl+F2 ends them.
    form.activateWindow();
    QDeadlineTimer cap(5000);
    while (QApplication::activeWindow() != &form && !cap.hasExpired()) QApplication::processEvents();
    QTest::keyClick(&form, Qt::Key_F2, Qt::ControlModifier);
    ASSERT_TRUE(done.wait(60000));
    EXPECT_TRUE(done.first().first().toBool());
    EXPECT_FALSE(form.essaisView().running());
    EXPECT_TRUE(form.essaisView().summary()->text().contains(QStringLiteral(" arrêtés")));
    for (const CaseResult& result : form.essaisView().results()) EXPECT_EQ(result.verdict, Verdict::NotRun);
}

TEST_F(Essais, AFolderWithoutExpectedOutputsIsRefusedWithAReason) {
    QFile::remove(dir.filePath("table.essais/2.out"));
    program("PROGRAM Table;\nBEGIN\nEND.", kEdited);
    form.action("TesterEssais1")->trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("2.out"))) << messages[0].toStdString();
    EXPECT_FALSE(form.essaisView().running());
}
