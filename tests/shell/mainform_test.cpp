// The IDE as a learner drives it: the frame's commands, the editor windows and a run on
// the screen window, all offscreen.
#include "teditor.h"
#include "text.h"
#include "tform12.h"
#include "tform3.h"
#include "tmainform.h"
#include "finddialog.h"
#include "whenshown.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPrinter>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <gtest/gtest.h>

using namespace zef;

namespace {

QString readFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

struct Ide : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        form.screen().messageBoxHook = [this](const QString& text) { boxes << text; };
        form.onEditorCreated = [this](TEditeur& e) {
            e.messageHook = [this](const QString& text) { messages << text; };
            e.questionHook = [this](const QString& q) {
                questions << q;
                return answer;
            };
            e.saveFileHook = [this](const QString&, const QString&, const QString&) { return saveAnswer; };
        };
        form.show();
    }
    void trigger(const char* name) { form.action(QString::fromLatin1(name))->trigger(); }
    int windows() const { return static_cast<int>(form.mdiArea()->subWindowList().size()); }
    // The caption without the place of the modified mark ("[*]").
    QString caption(int i) const { return form.mdiArea()->subWindowList().at(i)->windowTitle().remove("[*]"); }
    void setText(TEditeur* e, const QStringList& lines) {
        e->Memo1->setPlainText(lines.join('\n'));
    }
    QStringList lines(TEditeur* e) const { return e->lines(); }

    QTemporaryDir dir;
    TMainForm form;
    QStringList boxes, messages, questions;
    int answer = QMessageBox::No;
    QString saveAnswer;
};

const char* const kChildCommands[] = {
    "FileCloseItem", "FileSaveItem", "FileSaveAsItem", "Importer1", "Imprimer1", "CutItem", "CopyItem",
    "PasteItem", "Toutslectionner1", "Rechercher1", "Continuer1", "Remplacer1", "subs1",
    "Tabledessymboles1", "Examinervariable1", "Excuter1", "Pointdarrt1", "Continuer2", "Pasapas",
    "Paramtres1", "Motscl1", "BoucleFor1", "Bouclewhile1", "BoucleRepeat1", "ConditionIf1",
    "Lecturefichier1", "Ecriturefichier1", "Impression1", "WindowCascadeItem", "WindowTileItem",
    "WindowArrangeItem", "WindowMinimizeItem", "SaveBtn", "CutBtn", "CopyBtn", "PasteBtn", "ExecButton"};

const char* const kAlwaysOn[] = {"FileNewItem", "FileOpenItem", "Configurationimpression1", "FileExitItem",
                                 "Calendrier1", "Calculatrice1", "Horloge1", "Index1", "Rechercher2",
                                 "Utiliserlaide1", "HelpAboutItem", "FileNew1Btn", "OpenBtn"};

} // namespace

TEST_F(Ide, CommandsNeedAnEditorWindow) {
    auto check = [&](bool enabled) {
        for (const char* name : kChildCommands) {
            QAction* a = form.action(name);
            ASSERT_NE(a, nullptr) << name;
            EXPECT_EQ(a->isEnabled(), enabled) << name;
        }
        for (const char* name : kAlwaysOn) EXPECT_TRUE(form.action(name)->isEnabled()) << name;
    };
    check(false);
    // A disabled F9 does nothing.
    form.action("Excuter1")->trigger();
    EXPECT_FALSE(form.screen().isVisible());
    trigger("FileNewItem");
    check(true);
    trigger("FileNewItem");
    check(true);
    form.mdiArea()->closeAllSubWindows();
    QApplication::processEvents();
    EXPECT_EQ(windows(), 0);
    check(false);
}

TEST_F(Ide, MenuCaptionsShortcutsAndHints) {
    EXPECT_EQ(form.action("Excuter1")->text(), "&Exécuter");
    EXPECT_EQ(form.action("Excuter1")->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_EQ(form.action("Pointdarrt1")->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(form.action("Continuer2")->shortcut(), QKeySequence(Qt::Key_F7));
    EXPECT_EQ(form.action("subs1")->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(form.action("Continuer1")->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(form.action("Paramtres1")->statusTip(), "Paramètrtes d'exécution");
    EXPECT_EQ(form.action("Importer1")->statusTip(), "Importerr un fichier");
    EXPECT_EQ(form.action("Bouclewhile1")->text(), "Boucle &Whille...");
    // Hints go to the status line.
    QStatusTipEvent tip(form.action("FileOpenItem")->statusTip());
    QApplication::sendEvent(&form, &tip);
    EXPECT_EQ(form.statusLine()->text(), "Ouvrir un fichier existant");
    EXPECT_FALSE(form.timePanel()->text().isEmpty());
}

TEST_F(Ide, NewDocumentsAreNumberedByTheWindowsOpen) {
    TEditeur* first = form.FileNew();
    EXPECT_EQ(caption(0), "ZuzOvozov - PAS1.PAS");
    EXPECT_EQ(lines(first), (QStringList{"Program NomProg;", "var I: integer;", "var R: real;", "var C: char;",
                                         "var S: string;", "begin", "", "end."}));
    EXPECT_EQ(first->Memo1->SelStart(), 86);
    EXPECT_EQ(first->Memo1->textCursor().blockNumber(), 6);
    form.FileNew();
    EXPECT_EQ(caption(1), "ZuzOvozov - PAS2.PAS");
    form.mdiArea()->subWindowList().at(0)->close();
    QApplication::processEvents();
    form.FileNew();
    EXPECT_EQ(caption(1), "ZuzOvozov - PAS2.PAS");
    // The window menu lists the children.
    QMenu* windowMenu = form.findChild<QMenu*>("Window1");
    emit windowMenu->aboutToShow();
    QStringList titles;
    for (QAction* a : windowMenu->actions()) titles << a->text();
    EXPECT_TRUE(titles.contains("&1 ZuzOvozov - PAS2.PAS"));
    EXPECT_TRUE(titles.contains("&2 ZuzOvozov - PAS2.PAS"));
}

TEST_F(Ide, OpeningChecksTheProgramName) {
    const QString good = dir.filePath("essai.pas");
    writeFile(good, "Program Essai;\r\nbegin\r\nend.\r\n");
    form.openFileHook = [&] { return good; };
    TEditeur* e = form.FileOpen();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(caption(0), "ZuzOvozov - essai.pas");
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(e->Memo1->SelStart(), 0);
    EXPECT_FALSE(e->Memo1->document()->isModified());
    const QString bad = dir.filePath("autre.pas");
    writeFile(bad, "Program Essai ;\nbegin\nend.");
    form.openFileHook = [&] { return bad; };
    ASSERT_NE(form.FileOpen(), nullptr);
    EXPECT_EQ(messages, QStringList{"Le nom du programme ne correspond pas au fichier"});
    // A cancelled dialog opens nothing; a missing file opens no window.
    form.openFileHook = [] { return QString(); };
    EXPECT_EQ(form.FileOpen(), nullptr);
    form.screen().messageBoxHook = nullptr;
    EXPECT_EQ(windows(), 2);
}

TEST_F(Ide, SaveAsNamesFileCaptionAndProgram) {
    TEditeur* e = form.FileNew();
    saveAnswer = dir.filePath("Test.txt");
    trigger("FileSaveAsItem");
    EXPECT_EQ(e->DocumentPath, dir.filePath("Test.pas"));
    EXPECT_EQ(caption(0), "ZuzOvozov - Test.pas");
    EXPECT_EQ(lines(e).first(), "Program test;");
    EXPECT_TRUE(readFile(dir.filePath("Test.pas")).startsWith("Program test;\r\nvar I: integer;\r\n"));
    EXPECT_FALSE(e->Memo1->document()->isModified());
    // Saving again removes step markers and keeps breakpoints; a new file is UTF-8.
    setText(e, {"Program test;", "begin", "•  writeln('été');", "»  writeln('x');", "end."});
    trigger("FileSaveItem");
    EXPECT_EQ(readFile(dir.filePath("Test.pas")),
              "Program test;\r\nbegin\r\n  writeln('été');\r\n»  writeln('x');\r\nend.\r\n");
    EXPECT_EQ(lines(e).at(2), "  writeln('été');");
}

TEST_F(Ide, AFileReadAsWindows1252IsSavedBackSo) {
    const QString path = dir.filePath("ancien.pas");
    writeFile(path, "Program ancien;\r\n{ \xE9t\xE9 }\r\nbegin\r\nend.\r\n");
    TEditeur* e = form.openPath(path);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(lines(e).at(1), "{ été }");
    e->Memo1->appendPlainText("{ à }");
    e->Enregistrer();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("Program ancien;\r\n{ \xE9t\xE9 }\r\nbegin\r\nend.\r\n{ \xE0 }\r\n"));
}

TEST_F(Ide, CloseQueryPaths) {
    TEditeur* e = form.FileNew();
    e->Memo1->insertPlainText("x");
    answer = QMessageBox::Cancel;
    trigger("FileCloseItem");
    QApplication::processEvents();
    EXPECT_EQ(windows(), 1);
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].contains(QStringLiteral("«\u00A0PAS1.PAS\u00A0»"))) << questions[0].toStdString(); // named as its title
    // Yes with a cancelled Save As keeps the window and the text.
    answer = QMessageBox::Yes;
    saveAnswer.clear();
    trigger("FileCloseItem");
    QApplication::processEvents();
    EXPECT_EQ(windows(), 1);
    // Yes with a name saves, then closes.
    saveAnswer = dir.filePath("garde.pas");
    trigger("FileCloseItem");
    QApplication::processEvents();
    EXPECT_EQ(windows(), 0);
    EXPECT_TRUE(QFile::exists(dir.filePath("garde.pas")));
    // No closes without saving; an unmodified window closes without a question.
    form.FileNew()->Memo1->insertPlainText("y");
    answer = QMessageBox::No;
    trigger("FileCloseItem");
    QApplication::processEvents();
    EXPECT_EQ(windows(), 0);
    questions.clear();
    form.FileNew();
    trigger("FileCloseItem");
    QApplication::processEvents();
    EXPECT_EQ(windows(), 0);
    EXPECT_TRUE(questions.isEmpty());
}

TEST_F(Ide, F9RunsTheProgramOnTheScreenWindow) {
    TEditeur* e = form.FileNew();
    setText(e, {"Program PAS1;", "begin", "  writeln('Bonjour');", "end."});
    trigger("Excuter1");
    EXPECT_TRUE(form.screen().isVisible());
    EXPECT_EQ(form.screen().windowTitle(), "ZuzOvozov - PAS1.PAS - " + form.screen().runState());
    const QImage& canvas = form.screen().canvas();
    int dark = 0;
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 60; ++x) dark += qGray(canvas.pixel(x, y)) < 128;
    EXPECT_GT(dark, 20);
    EXPECT_EQ(form.screen().interpreter().cursorY(), 18);
    EXPECT_FALSE(e->Memo1->isReadOnly());
}

TEST_F(Ide, ARunRemovesLeadingBlankLinesAndMarksTheFailingLine) {
    TEditeur* e = form.FileNew();
    setText(e, {"", "  ", "Program PAS1;", "var I: integer;", "begin", "  I := J;", "end."});
    trigger("Excuter1");
    EXPECT_EQ(lines(e), (QStringList{"Program PAS1;", "var I: integer;", "begin", "  I := J;", "end."}));
    EXPECT_EQ(boxes, QStringList{"Erreur dans expression"});
    EXPECT_EQ(e->Memo1->textCursor().blockNumber(), 3);
}

TEST_F(Ide, StepModeMovesTheMarkerAndBreakpointsToggle) {
    TEditeur* e = form.FileNew();
    setText(e, {"Program PAS1;", "var I: integer;", "begin", "  for I:=1 to 2 do", "    writeln(I);",
                "  writeln('fin');", "end."});
    trigger("Pasapas");
    EXPECT_TRUE(form.action("Pasapas")->isChecked());
    trigger("Excuter1");
    EXPECT_EQ(lines(e).at(3), "•  for I:=1 to 2 do");
    trigger("Continuer2");
    EXPECT_EQ(lines(e).at(4), "•    writeln(I);");
    EXPECT_FALSE(lines(e).at(3).startsWith("•"));
    trigger("Continuer2"); // the next line runs as NEXT: no marker
    EXPECT_EQ(lines(e).join("").count("•"), 0);
    trigger("Continuer2");
    EXPECT_EQ(lines(e).at(4), "•    writeln(I);");
    trigger("Pasapas");
    EXPECT_FALSE(form.action("Pasapas")->isChecked());
    // F5 in the middle of line 4 marks line 5.
    e->Memo1->Select(e->Memo1->SelStart(), 0);
    TEditeur* again = form.FileNew();
    setText(again, {"Program PAS2;", "begin", "  writeln('a');", "  writeln('b');", "  writeln('c');", "end."});
    int caret = 0;
    for (int i = 0; i < 3; ++i) caret += lines(again).at(i).size() + 2;
    again->Memo1->Select(caret + 4, 0);
    trigger("Pointdarrt1");
    EXPECT_EQ(lines(again).at(4), "»  writeln('c');");
    trigger("Excuter1");
    EXPECT_EQ(again->Memo1->textCursor().blockNumber(), 4); // stopped before the marked line
}

TEST_F(Ide, OnlyActivatingAnotherEditorSwitchesStepModeOff) {
    TEditeur* first = form.FileNew();
    setText(first, {"Program PAS1;", "begin", "  writeln('a');", "  writeln('b');", "end."});
    trigger("Pasapas");
    trigger("Excuter1");
    EXPECT_EQ(lines(first).at(2), "•  writeln('a');");
    // The frame loses the focus and gets it back: still stepping.
    emit form.mdiArea()->subWindowActivated(nullptr);
    emit form.mdiArea()->subWindowActivated(form.mdiArea()->subWindowList().at(0));
    trigger("Continuer2");
    EXPECT_EQ(lines(first).at(3), "•  writeln('b');");
    // Another editor made active: step mode off, though the menu still shows it checked.
    form.FileNew();
    form.mdiArea()->setActiveSubWindow(form.mdiArea()->subWindowList().at(0));
    EXPECT_TRUE(form.action("Pasapas")->isChecked());
    trigger("Continuer2");
    EXPECT_EQ(lines(first).join("").count("•"), 0);
}

TEST_F(Ide, TheListingIsPrintedLineByLineOnAsManyPagesAsItNeeds) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = dir.filePath("listing.pdf");
    printer.setOutputFileName(pdf);
    QStringList listing;
    for (int i = 0; i < 150; ++i) listing << QStringLiteral("  writeln('ligne %1');").arg(i);
    ASSERT_TRUE(printListing(printer, Listing{listing, "essai.pas", "01/02/2024", false, form.FileNew()->Memo1->font()}));
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const auto pages = bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page ");
    EXPECT_GE(pages, 2);
}

TEST_F(Ide, ReadlnTakesTheInputLine) {
    TEditeur* e = form.FileNew();
    setText(e, {"", "  ", "Program PAS1;", "var S: string;", "begin", "  readln(S);", "  writeln(S);", "end."});
    bool readOnlyDuringRun = false;
    QTimer::singleShot(0, [&] {
        readOnlyDuringRun = e->Memo1->isReadOnly();
        form.inputLine().Edit1->setText("Zoé");
        emit form.inputLine().Edit1->returnPressed();
    });
    trigger("Excuter1");
    EXPECT_TRUE(readOnlyDuringRun);
    EXPECT_EQ(form.screen().interpreter().LitValeur(1, SymbolKind::String).s, "Zo\xE9");
    EXPECT_FALSE(e->Memo1->isReadOnly());
    EXPECT_EQ(lines(e).size(), 6); // the run removed the leading blank lines
}

TEST_F(Ide, AnEndlessLoopIsStoppedByArreter) {
    TEditeur* e = form.FileNew();
    setText(e, {"Program PAS1;", "var I: integer;", "begin", "  repeat", "    I := I + 1;", "  until I < 0;",
                "end."});
    QTimer::singleShot(100, [&] { trigger("Arreter1"); });
    trigger("Excuter1");
    EXPECT_EQ(boxes, QStringList{"Exécution interrompue"});
    const int line = e->Memo1->textCursor().blockNumber();
    EXPECT_TRUE(line >= 3 && line <= 5) << line;
    EXPECT_FALSE(form.screen().running());
}

TEST_F(Ide, EditingAndGeneratorCommandsReachTheActiveEditor) {
    TEditeur* e = form.FileNew();
    // Each generator and list command opens its own single window, the same one for every
    // editor; Escape closes it and leaves the text alone.
    const std::pair<const char*, const char*> opens[] = {
        {"subs1", "ListeSel"},          {"Motscl1", "MotsCle"},          {"BoucleFor1", "BoucleFor"},
        {"Bouclewhile1", "BoucleWhile"}, {"BoucleRepeat1", "BoucleWhile"}, {"ConditionIf1", "ConditionIf"},
        {"Lecturefichier1", "FileIO"},  {"Ecriturefichier1", "FileIO"}};
    const QStringList before = lines(e);
    for (const auto& [command, window] : opens) {
        QString shown;
        whenShown<QDialog>([&shown](QDialog& d) {
            shown = d.objectName();
            QTest::keyClick(&d, Qt::Key_Escape);
        });
        trigger(command);
        EXPECT_EQ(shown, window) << command;
    }
    EXPECT_EQ(lines(e), before);
    trigger("Impression1");
    EXPECT_EQ(lines(e).mid(6, 2), (QStringList{"AssignPrn(Prn);", "Rewrite(Prn);"}));
    EXPECT_EQ(e->Memo1->textCursor().blockNumber(), 8); // just after the inserted lines
    EXPECT_EQ(e->Memo1->textCursor().positionInBlock(), 0);
    trigger("Rechercher1");
    EXPECT_TRUE(e->FindDialog1->isVisible());
    trigger("Remplacer1");
    EXPECT_TRUE(e->ReplaceDialog1->isVisible());
    trigger("Continuer1");
    EXPECT_EQ(messages, QStringList{"Chaîne rechechée \"\" non trouvée"});
}

TEST_F(Ide, AFailedOrDeclinedSaveChangesNothing) {
    TEditeur* e = form.FileNew();
    const QString before = caption(0);
    saveAnswer = dir.filePath("absent/Test.txt");
    trigger("FileSaveAsItem");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].endsWith("Test.pas : dossier introuvable")) << messages[0].toStdString();
    EXPECT_TRUE(e->DocumentPath.isEmpty());
    EXPECT_EQ(caption(0), before);
    EXPECT_EQ(lines(e).first(), "Program NomProg;");

    // A read-only file is replaced only on the user's yes.
    const QString path = dir.filePath("verrou.pas");
    writeFile(path, "Program verrou;\r\n");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    TEditeur* locked = form.openPath(path);
    ASSERT_NE(locked, nullptr);
    locked->Memo1->appendPlainText("{ ajout }");
    answer = QMessageBox::No;
    EXPECT_FALSE(locked->Enregistrer());
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].contains("lecture seule"));
    EXPECT_EQ(readFile(path), "Program verrou;\r\n");
    EXPECT_TRUE(locked->Memo1->document()->isModified());
    EXPECT_EQ(messages.size(), 1); // declining is no error
}
