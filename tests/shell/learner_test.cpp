// The frame as a learner meets it: quitting with several unsaved documents, French
// standard dialogs, readable window arrangements, importing, the focus after a run, zoom
// and the backups that survive a crash.
#include "french.h"
#include "helpviewer.h"
#include "recovery.h"
#include "teditor.h"
#include "tform12.h"
#include "tform3.h"
#include "tmainform.h"
#include "watchdog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zef;

namespace {

struct Learner : ::testing::Test {
    void SetUp() override {
        form.screen().messageBoxHook = [this](const QString& text) { boxes << text; };
        form.onEditorCreated = [this](TEditeur& e) {
            e.questionHook = [this](const QString& q) {
                questions << q;
                return answers.isEmpty() ? int(QMessageBox::Cancel) : answers.takeFirst();
            };
        };
        form.show();
    }
    TEditeur* newDocument(const QString& text) {
        TEditeur* e = form.FileNew();
        e->Memo1->selectAll();
        e->Memo1->insertPlainText(text); // typed: the document is modified
        return e;
    }
    int windows() const { return static_cast<int>(form.mdiArea()->subWindowList().size()); }

    TMainForm form;
    QStringList boxes, questions;
    QList<int> answers;
};

} // namespace

TEST_F(Learner, QuittingAsksEveryDocumentFirstAndClosesNoneWhenOneRefuses) {
    TEditeur* first = newDocument("Program un;");
    newDocument("Program deux;");
    answers = {QMessageBox::No, QMessageBox::Cancel};
    EXPECT_FALSE(form.close());
    EXPECT_EQ(questions.size(), 2);
    EXPECT_EQ(windows(), 2);
    EXPECT_EQ(first->plainText(), "Program un;");
    // Asked again, both agree: nothing more is asked when they close.
    questions.clear();
    answers = {QMessageBox::No, QMessageBox::No};
    form.close();
    EXPECT_EQ(questions.size(), 2);
    EXPECT_EQ(windows(), 0);
}

TEST_F(Learner, StandardDialogsSpeakFrench) {
    ASSERT_TRUE(installFrenchTranslations(*QCoreApplication::instance()))
        << "Qt's French translations (qtbase_fr.qm) are not installed";
    QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), "Non");
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove('&'), "Annuler");
    // The kind column of the file dialogs, which Qt's catalogue misses.
    EXPECT_EQ(QFileIconProvider().type(QFileInfo(QDir::tempPath())), "Dossier");
}

TEST_F(Learner, CascadeKeepsProgramsReadableAndTheWindowListRestores) {
    form.resize(1200, 900);
    for (int i = 0; i < 4; ++i) form.FileNew();
    const auto list = form.mdiArea()->subWindowList();
    list.first()->showMinimized();
    form.action("WindowCascadeItem")->trigger();
    for (QMdiSubWindow* w : list) {
        EXPECT_FALSE(w->isMinimized());
        EXPECT_GE(w->width(), 502);
        EXPECT_GE(w->height(), 265);
    }
    QSet<int> tops;
    for (QMdiSubWindow* w : list) tops << w->y();
    EXPECT_EQ(tops.size(), 4); // each one title bar below another
    list[2]->showMinimized();
    QMenu* windowMenu = form.findChild<QMenu*>("Window1");
    emit windowMenu->aboutToShow();
    windowMenu->actions().at(windowMenu->actions().indexOf(windowMenu->actions().last()) - 1)->trigger();
    EXPECT_FALSE(list[2]->isMinimized());
    EXPECT_EQ(form.mdiArea()->activeSubWindow(), list[2]);
}

TEST_F(Learner, ImportingAnEmptyFileChangesNothing) {
    QTemporaryDir dir;
    const QString empty = dir.filePath("vide.txt");
    QFile(empty).open(QIODevice::WriteOnly);
    TEditeur* e = newDocument("Program un;\nbegin\nend.");
    e->openFileHook = [&](const QString&, const QString& filter, const QString&) {
        EXPECT_TRUE(filter.contains("Tous les fichiers (*)"));
        return empty;
    };
    e->Memo1->Select(8, 3);
    e->Importer();
    EXPECT_EQ(e->plainText(), "Program un;\nbegin\nend.");
    EXPECT_EQ(e->Memo1->textCursor().selectedText(), "un;");
}

TEST_F(Learner, AfterAnErrorTheCaretAndTheFocusAreBackInTheProgram) {
    TEditeur* e = newDocument("Program un;\nvar I: integer;\nbegin\n  writeln(X);\nend.");
    QWidget* other = new QWidget;
    other->show();
    other->activateWindow();
    form.action("Excuter1")->trigger();
    EXPECT_EQ(e->Memo1->textCursor().blockNumber(), 3);
    QDeadlineTimer cap(5000);
    while (QApplication::activeWindow() != &form && !cap.hasExpired()) QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &form);
    EXPECT_EQ(form.focusWidget(), e->Memo1);
    delete other;
}

TEST_F(Learner, CtrlWheelZoomsTheProgramAndNewWindowsKeepTheZoom) {
    TEditeur* e = form.FileNew();
    const int before = e->Memo1->font().pixelSize();
    QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(e->Memo1->viewport(), &wheel);
    EXPECT_GT(e->Memo1->font().pixelSize(), before);
    EXPECT_EQ(form.FileNew()->zoomFactor(), e->zoomFactor());
    e->setZoom(1.0);
    QKeyEvent reset(QEvent::KeyPress, Qt::Key_0, Qt::ControlModifier);
    QApplication::sendEvent(e->Memo1, &reset); // back to 100 % for the other tests
    EXPECT_EQ(e->Memo1->font().pixelSize(), before);
}

TEST_F(Learner, DocumentsLeftUnsavedByACrashAreOfferedBack) {
    QTemporaryDir root;
    // A session that dies without closing (the child process leaves at once, as in a
    // crash), and one still running: only the first one's documents are offered.
    const pid_t child = fork();
    if (child == 0) {
        RecoveryStore crashed(root.path());
        const bool ok = crashed.start() && crashed.save({"1", "/tmp/essai.pas", "ZuzOvozov - essai.pas", true,
                                                         QStringLiteral("Program essai;\n{ été }")});
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    RecoveryStore running(root.path());
    ASSERT_TRUE(running.start());
    ASSERT_TRUE(running.save({"1", "", "ZuzOvozov - PAS1.PAS", false, "Program PAS1;"}));

    RecoveryStore next(root.path());
    ASSERT_TRUE(next.start());
    const auto found = next.orphans();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path, "/tmp/essai.pas");
    EXPECT_TRUE(found[0].cp1252);
    EXPECT_EQ(found[0].text, QStringLiteral("Program essai;\n{ été }"));
    next.discardOrphans();
    EXPECT_TRUE(next.orphans().empty());
    EXPECT_EQ(QDir(root.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2); // running + next
}

// The backup folder is a place others may have touched. A session folder that is a link is
// never entered (before, "Abandonner" deleted everything in the folder it led to); a backup
// that is a link, a pipe or a file too large is not read, and the recovery question says
// so; "Abandonner" removes only the backups that were read, and nothing the user owns.
TEST_F(Learner, TheBackupFolderIsNeverFollowedOutOfItself) {
    QTemporaryDir user;
    const QDir mine(user.path());
    auto writeFile = [](const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    writeFile(mine.filePath("precieux.txt"), "mon travail");
    writeFile(mine.filePath("9.zefsauve"), R"({"path":"/tmp/autre.pas","caption":"","encoding":"utf-8","text":"x"})");
    const QDir root(form.recoveryStore()->root());
    ASSERT_TRUE(QFile::link(user.path(), root.filePath("session-1-lien")));
    ASSERT_TRUE(root.mkdir("session-2-fini"));
    const QDir ended(root.filePath("session-2-fini"));
    writeFile(ended.filePath("1.zefsauve"),
              R"({"path":"/tmp/sauve.pas","caption":"","encoding":"utf-8","text":"Program sauve;"})");
    writeFile(mine.filePath("enorme"), "");
    std::filesystem::resize_file(mine.filePath("enorme").toStdString(), 64 << 20);
    ASSERT_TRUE(QFile::link(mine.filePath("enorme"), ended.filePath("2.zefsauve")));
    ASSERT_TRUE(QFile::link(mine.filePath("precieux.txt"), ended.filePath("3.zefsauve")));
    ASSERT_EQ(mkfifo(QFile::encodeName(ended.filePath("4.zefsauve")).constData(), 0600), 0);
    writeFile(ended.filePath("5.zefsauve"), "");
    std::filesystem::resize_file(ended.filePath("5.zefsauve").toStdString(), 64 << 20);

    QStringList offered, noted;
    form.recoveryHook = [&](const QStringList& names, const QStringList& notes) {
        offered = names;
        noted = notes;
        return false; // "Abandonner"
    };
    form.offerRecovery();
    EXPECT_EQ(offered, QStringList{"/tmp/sauve.pas"});
    ASSERT_EQ(noted.size(), 4);
    EXPECT_TRUE(noted[0].startsWith(ended.filePath("2.zefsauve") + " : c'est un lien symbolique"));
    EXPECT_TRUE(noted[1].startsWith(ended.filePath("3.zefsauve") + " : c'est un lien symbolique"));
    EXPECT_TRUE(noted[2].startsWith(ended.filePath("4.zefsauve") + " : ce n'est pas un fichier ordinaire"));
    EXPECT_TRUE(noted[3].startsWith(ended.filePath("5.zefsauve") + " : fichier trop gros"));

    // Nothing of the user's went, and of the crashed session only the backup that was read.
    EXPECT_EQ(mine.entryList(QDir::Files | QDir::NoDotAndDotDot).size(), 3);
    EXPECT_TRUE(QFileInfo(root.filePath("session-1-lien")).isSymLink());
    EXPECT_EQ(ended.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
              (QStringList{"2.zefsauve", "3.zefsauve", "4.zefsauve", "5.zefsauve"}));
    QFile::remove(root.filePath("session-1-lien"));
    QDir(ended).removeRecursively();
}

// Backups that cannot be written are said once, with the reason, not switched off in
// silence.
TEST_F(Learner, BackupsThatCannotBeWrittenAreSaidOnce) {
    QTemporaryDir data;
    const QByteArray previous = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    const QString root = QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath("recuperation");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(root).path()));
    QFile(root).open(QIODevice::WriteOnly); // a file where the folder should be
    {
        TMainForm other;
        QStringList warnings;
        other.warningHook = [&](const QString& text) { warnings << text; };
        other.onEditorCreated = [](TEditeur& e) { e.questionHook = [](const QString&) { return int(QMessageBox::No); }; };
        EXPECT_EQ(other.recoveryStore(), nullptr);
        other.offerRecovery();
        TEditeur* e = other.FileNew();
        e->Memo1->insertPlainText("{ modifié }");
        EXPECT_FALSE(other.backupDocuments());
        ASSERT_EQ(warnings.size(), 1);
        EXPECT_TRUE(warnings[0].contains(QDir::toNativeSeparators(root) + " : ce n'est pas un dossier"));
        other.close();
    }
    qputenv("XDG_DATA_HOME", previous);
}

TEST_F(Learner, TheFrameBacksUpModifiedDocumentsAndRestoresThem) {
    RecoveryStore* store = form.recoveryStore();
    ASSERT_NE(store, nullptr);
    TEditeur* e = newDocument("Program perdu;");
    e->RestoreText("/tmp/perdu.pas", editor::Encoding::Utf8, "Program perdu;\nbegin\nend.");
    form.FileNew(); // not modified: no backup
    ASSERT_TRUE(form.backupDocuments());
    // The same backups in the folder of a session whose owner is gone.
    const QDir own(store->folder());
    const QStringList files = own.entryList({"*.zefsauve"}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    QDir root(own.filePath(".."));
    ASSERT_TRUE(root.mkdir("session-0-ended"));
    ASSERT_TRUE(QFile::copy(own.filePath(files[0]), root.filePath("session-0-ended/" + files[0])));

    answers = {QMessageBox::No, QMessageBox::No};
    form.close();
    QStringList offered;
    form.recoveryHook = [&](const QStringList& names, const QStringList& notes) {
        offered = names;
        EXPECT_TRUE(notes.isEmpty());
        return true;
    };
    form.offerRecovery();
    EXPECT_EQ(offered, QStringList{"/tmp/perdu.pas"});
    ASSERT_EQ(windows(), 1);
    TEditeur* restored = form.activeEditor();
    EXPECT_EQ(restored->plainText(), "Program perdu;\nbegin\nend.");
    EXPECT_EQ(restored->DocumentPath, "/tmp/perdu.pas");
    EXPECT_TRUE(restored->Memo1->document()->isModified());
    form.recoveryHook = [&](const QStringList&, const QStringList&) {
        ADD_FAILURE() << "offered twice";
        return false;
    };
    form.offerRecovery();
    answers = {QMessageBox::No};
}

TEST_F(Learner, F1ExplainsTheOpenMenuElseOpensTheContents) {
    QMenu* run = form.findChild<QMenu*>("N4");
    run->popup(form.mapToGlobal(QPoint(0, 0)));
    QDeadlineTimer cap(5000);
    while (QApplication::activePopupWidget() != run && !cap.hasExpired()) QApplication::processEvents();
    ASSERT_EQ(QApplication::activePopupWidget(), run);
    QTest::keyClick(run, Qt::Key_F1);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr); // the menu closed
    THelpViewer& help = form.helpViewer();
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.browser()->source().fileName(), "ide-menus.html");
    EXPECT_EQ(help.browser()->source().fragment(), "executer");
    // With no menu open, F1 anywhere in the frame opens the contents.
    form.activateWindow();
    while (QApplication::activeWindow() != &form && !cap.hasExpired()) QApplication::processEvents();
    QTest::keyClick(&form, Qt::Key_F1);
    EXPECT_EQ(help.browser()->source().fileName(), "index.html");
    help.close();
}

// Two runs of a program that reads a name: the second run's screen holds its own text
// only, where it once showed "Boblie". A continued run keeps what the stopped run drew.
TEST_F(Learner, AFreshRunStartsOnAClearScreenAndAContinuedRunKeepsIt) {
    TEditeur* e = newDocument("Program un;\nvar S: string;\nbegin\n  write('Ton nom ? ');\n  readln(S);\n"
                              "»  writeln('fin');\nend.");
    for (const QString& name : {QStringLiteral("Alice"), QStringLiteral("Bob")}) {
        QTimer::singleShot(0, [&] {
            QDeadlineTimer cap(5000);
            while (!form.inputLine().waiting() && !cap.hasExpired()) QApplication::processEvents();
            form.inputLine().Edit1->setText(name);
            emit form.inputLine().Edit1->returnPressed();
        });
        form.action("Excuter1")->trigger();
        EXPECT_EQ(form.screen().record().plainText().trimmed(), "Ton nom ? " + name);
    }
    form.action("Continuer2")->trigger(); // on from the breakpoint
    EXPECT_EQ(form.screen().record().plainText().trimmed(), "Ton nom ? Bob\nfin");
    EXPECT_TRUE(boxes.isEmpty());
    // The screen names the new document as its window does, then where the run stands.
    EXPECT_TRUE(form.screen().windowTitle().contains(e->documentName() + " - " + form.screen().runState()))
        << form.screen().windowTitle().toStdString();
    EXPECT_FALSE(e->documentName().isEmpty());
}

// An error of the program: the box gives the message as the run words it, the line and
// what it holds, and its help button opens the help at that message's entry.
TEST_F(Learner, AnErrorBoxSaysWhereAndOpensTheHelpOnItsMessage) {
    form.screen().messageBoxHook = nullptr;
    TEditeur* e = newDocument("Program un;\nvar I: integer;\nbegin\n  I := 1;\n»   writln('a>b & c<d');\nend.");
    QStringList seen;
    e->runErrorHook = [&](const QString& message, int line, const QString& text) {
        seen << QStringLiteral("%1|%2|%3").arg(message).arg(line).arg(text);
    };
    form.action("Excuter1")->trigger(); // stops at the breakpoint: no error
    form.action("Continuer2")->trigger();
    EXPECT_EQ(seen, QStringList{"Identificateur inconnu|5|writln('a>b & c<d');"});
    EXPECT_EQ(e->Memo1->textCursor().blockNumber(), 4);

    // The box itself, answered with its help button.
    e->runErrorHook = nullptr;
    form.action("Excuter1")->trigger();
    QString informative;
    QTimer::singleShot(0, [&] {
        QDeadlineTimer cap(5000);
        QMessageBox* box = nullptr;
        while (!box && !cap.hasExpired()) {
            QApplication::processEvents();
            box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        }
        if (!box) return;
        // What the label shows of it, rich text or plain.
        const QString t = box->informativeText();
        informative = Qt::mightBeRichText(t) ? QTextDocumentFragment::fromHtml(t).toPlainText() : t;
        for (QAbstractButton* b : box->buttons())
            if (b->text() == QStringLiteral("Aide sur ce message")) b->click();
    });
    form.action("Continuer2")->trigger();
    EXPECT_TRUE(informative.contains(QStringLiteral("5")) && informative.contains(QStringLiteral("writln('a>b & c<d');")))
        << informative.toStdString();
    THelpViewer& help = form.helpViewer();
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.browser()->source().fileName(), "messages.html");
    EXPECT_EQ(help.browser()->source().fragment(), "UnknownStatement");
    help.close();
}

// Ctrl+V with the screen window in front pastes nowhere: the program behind it keeps its
// text. With the program's text in front, the same command pastes into it.
TEST_F(Learner, ClipboardCommandsActWhereTheKeyboardIs) {
    TEditeur* e = newDocument("Program un;\nbegin\nend.");
    const QString before = e->plainText();
    QApplication::clipboard()->setText(QStringLiteral("1\n2\n3"));
    TForm3& screen = form.screen();
    screen.show();
    QDeadlineTimer cap(5000);
    while (QApplication::focusWidget() != &screen && !cap.hasExpired()) {
        screen.activateWindow();
        screen.setFocus();
        QApplication::processEvents();
    }
    ASSERT_EQ(QApplication::focusWidget(), &screen);
    form.action("PasteItem")->trigger();
    form.action("CutItem")->trigger();
    form.action("Annuler1")->trigger(); // the typing behind could be undone: it is not
    EXPECT_EQ(e->plainText(), before);
    while (QApplication::focusWidget() != e->Memo1 && !cap.hasExpired()) {
        form.activateWindow();
        e->Memo1->setFocus();
        QApplication::processEvents();
    }
    ASSERT_EQ(QApplication::focusWidget(), e->Memo1);
    form.action("PasteItem")->trigger();
    EXPECT_TRUE(e->plainText().contains(QStringLiteral("1\n2\n3")));
}

// A named pipe in place of the settings file: the frame starts all the same (zoom, view
// and recent files each read that file), with the defaults, and nothing waits for a
// writer that never comes.
TEST(Settings, ANamedPipeInPlaceOfTheSettingsFileDoesNotHoldTheStart) {
    QString path;
    {
        QSettings settings;
        settings.setValue("zoom/editeur", 2.0);
        path = settings.fileName();
    }
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    {
        zef::testing::Watchdog watchdog("the settings file, a named pipe, was read at start");
        TMainForm form;
        form.show();
        TEditeur* e = form.FileNew();
        EXPECT_EQ(e->zoomFactor(), 1.0);
        EXPECT_TRUE(form.recentFiles().isEmpty());
        form.action("FileCloseItem")->trigger();
    }
    QFile::remove(path);
}

// Where the run stands is in sight at every moment: in the status bar and the screen's
// title alike, the line it stopped at marked in the program, and a stop without a message
// of its own (a division by zero) told in the error box with its line.
TEST_F(Learner, TheRunStateAndTheStoppedLineShowWhereTheRunStands) {
    TEditeur* e = newDocument("Program un;\nvar I, J: integer;\nvar S: string;\nbegin\n  readln(S);\n"
                              "»  I := 10;\n  J := I \\ 0;\nend.");
    QStringList errors, states;
    e->runErrorHook = [&](const QString& message, int line, const QString&) {
        errors << QStringLiteral("%1|%2").arg(line).arg(message);
    };
    auto state = [&] {
        const QString panel = form.runStatePanel()->text();
        EXPECT_TRUE(form.screen().windowTitle().endsWith(" - " + panel)) << form.screen().windowTitle().toStdString();
        return panel;
    };
    QString whileWaiting;
    QTimer::singleShot(0, [&] {
        QDeadlineTimer cap(5000);
        while (!form.inputLine().waiting() && !cap.hasExpired()) QApplication::processEvents();
        whileWaiting = state();
        emit form.inputLine().Edit1->returnPressed();
    });
    form.action("Excuter1")->trigger(); // to the breakpoint
    EXPECT_EQ(whileWaiting, QString::fromUtf8(kWaitingState));
    states << state();
    EXPECT_EQ(e->markedStopLine(), 5);
    form.action("Pasapas")->trigger();
    form.action("Continuer2")->trigger(); // one step
    states << state();
    EXPECT_EQ(e->markedStopLine(), 6);
    form.action("Pasapas")->trigger();
    form.action("Continuer2")->trigger(); // the division by zero
    states << state();
    EXPECT_EQ(e->markedStopLine(), 6);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("7|") && errors[0].contains(QStringLiteral("division par zéro"))) << errors[0].toStdString();
    // Each stop named its line and how the run came there, the error with its reason.
    ASSERT_EQ(states.size(), 3);
    EXPECT_TRUE(states[0].contains("6") && states[1].contains("7") && states[2].contains("7")) << states.join('|').toStdString();
    EXPECT_EQ(QSet<QString>(states.begin(), states.end()).size(), 3) << states.join("|").toStdString();
    EXPECT_TRUE(states[2].endsWith(errors[0].section(QStringLiteral(" : "), -1))) << states[2].toStdString();

    // A run to its end marks nothing and says so.
    e->Memo1->selectAll();
    e->Memo1->insertPlainText("Program un;\nbegin\nend.");
    form.action("Excuter1")->trigger();
    EXPECT_EQ(e->markedStopLine(), -1);
    EXPECT_FALSE(states.contains(state()));
    EXPECT_EQ(errors.size(), 1);
}
