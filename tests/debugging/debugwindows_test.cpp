// The debugging windows as a learner opens them from the menus, and the live Variables
// view following a stepped run, all offscreen.
#include "debugwindows.h"
#include "teditor.h"
#include "tform3.h"
#include "tmainform.h"
#include "variablesview.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace zef;

namespace {

struct Debugging : ::testing::Test {
    void SetUp() override {
        form.screen().messageBoxHook = [this](const QString& text) { boxes << text; };
        form.show();
    }
    void trigger(const char* name) { form.action(QString::fromLatin1(name))->trigger(); }
    TEditeur* program(const QStringList& lines) {
        TEditeur* e = form.FileNew();
        e->messageHook = [this](const QString& text) { boxes << text; };
        e->Memo1->setPlainText(lines.join('\n'));
        return e;
    }
    // Runs `act` on the modal window that the next command opens; the window is closed
    // afterwards whatever happened, so that a failure cannot hang the test.
    void onModal(std::function<void(QDialog*)> act) {
        QTimer::singleShot(0, [act] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            act(dialog);
            if (dialog && dialog->isVisible()) {
                ADD_FAILURE() << "the window is still open";
                dialog->reject();
            }
        });
    }
    QTreeWidgetItem* row(const QString& name) const {
        const auto found = form.variablesView().tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }
    static bool marked(QTreeWidgetItem* item) { return item->foreground(2).color() == Qt::red; }

    TMainForm form;
    QStringList boxes;
};

} // namespace

TEST_F(Debugging, TheThreeWindowsOpenFromTheMenus) {
    program({"Program PAS1;", "var I: integer;", "var T[3]: integer;", "begin", "  I := 2;", "  T[I] := 5;", "end."});
    trigger("Excuter1");

    onModal([this](QDialog* d) {
        ASSERT_EQ(d, &form.symbolTable());
        EXPECT_EQ(d->windowTitle(), "Table des Symboles");
        EXPECT_EQ(form.symbolTable().ListBox1->count(), 2 + 2 + 8);
        EXPECT_EQ(form.symbolTable().ListBox1->item(1)->text(), "T[ , I , 2");
        QTest::keyClick(form.symbolTable().ListBox1, Qt::Key_Escape);
    });
    trigger("Tabledessymboles1");

    for (int opening = 0; opening < 2; ++opening) {
        onModal([this, opening](QDialog* d) {
            ASSERT_EQ(d, &form.examineWindow());
            TVariable& w = form.examineWindow();
            EXPECT_EQ(w.focusWidget(), w.Edit1);
            w.Edit1->clear();
            QTest::keyClicks(w.Edit1, opening ? "t[i]" : "i");
            QTest::keyClick(w.Edit1, Qt::Key_Return); // examines, does not close
            EXPECT_TRUE(w.isVisible());
            EXPECT_EQ(w.Edit2->text(), opening ? "5" : "2");
            EXPECT_EQ(w.Edit1->selectedText(), w.Edit1->text());
            QTest::keyClick(w.Edit1, Qt::Key_Escape);
        });
        trigger("Examinervariable1");
    }

    onModal([this](QDialog* d) {
        ASSERT_EQ(d, &form.parametersWindow());
        EXPECT_EQ(d->windowTitle(), "Pamètres d'exécution");
        QTest::keyClicks(form.parametersWindow().Edit1, "un deux");
        QTest::keyClick(form.parametersWindow().Edit1, Qt::Key_Return);
    });
    trigger("Paramtres1");
    EXPECT_TRUE(form.parametersWindow().acceptedFlag());
    onModal([this](QDialog*) {
        TParametres& w = form.parametersWindow();
        EXPECT_EQ(w.Edit1->text(), "un deux");
        w.Edit1->setText("autre");
        w.Button2->click();
    });
    trigger("Paramtres1");
    EXPECT_FALSE(form.parametersWindow().acceptedFlag());
    Interpreter& in = form.screen().interpreter();
    EXPECT_EQ(in.runArguments(), "un deux");
    EXPECT_EQ(in.argumentCount(), 2);
    EXPECT_EQ(in.argumentText(2), "deux");
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(Debugging, TheVariablesViewFollowsAStepAndReadsNothingWhileARunGoesOn) {
    program({"Program PAS1;", "var I, S: integer;", "var T[2]: string;", "begin", "  S := 1;", "  T[2] := 'oui';",
             "  for I:=1 to 3000 do", "    S := S + 1;", "end."});
    trigger("Variables1");
    ASSERT_TRUE(form.variablesDock()->isVisible());
    const auto& snapshot = form.variablesView().snapshot();
    const int shown = snapshot.refreshCount();

    trigger("Pasapas");
    trigger("Excuter1");
    ASSERT_NE(row("S"), nullptr);
    EXPECT_EQ(row("S")->text(1), "Entier");
    EXPECT_EQ(row("T[2]")->text(1), "Chaîne");
    trigger("Continuer2");
    EXPECT_EQ(row("S")->text(2), "1");
    EXPECT_TRUE(marked(row("S")));
    trigger("Continuer2");
    EXPECT_FALSE(marked(row("S")));
    EXPECT_EQ(row("T[2]")->text(2), "oui");
    EXPECT_TRUE(marked(row("T[2]")));
    EXPECT_FALSE(marked(row("T[1]")));
    EXPECT_EQ(snapshot.refreshCount(), shown + 3); // once per stop

    // Some nine thousand statements without step mode: the tables are read once, at the end.
    trigger("Pasapas");
    trigger("Continuer2");
    EXPECT_EQ(snapshot.refreshCount(), shown + 4);
    EXPECT_EQ(row("S")->text(2), "3001");
    // Hidden, the view reads nothing; shown again, it catches up.
    form.variablesDock()->hide();
    trigger("Excuter1");
    EXPECT_EQ(snapshot.refreshCount(), shown + 4);
    trigger("Variables1");
    EXPECT_EQ(snapshot.refreshCount(), shown + 5);
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(Debugging, AnEditorLosingTheFocusLeavesTheProgramsFilesOpen) {
    QTemporaryDir dir;
    const QString path = dir.filePath("SORTIE.TXT");
    TEditeur* e = program({"Program PAS1;", "var F: textfile;", "begin", "  assign(F,'" + path + "');",
                           "  rewrite(F);", "  writeln(F, 'un');", "  writeln(F, 'deux');", "end."});
    trigger("Pasapas");
    for (int i = 0; i < 4; ++i) trigger(i ? "Continuer2" : "Excuter1"); // through the first writeln
    form.FileNew(); // another editor takes the focus, then the first gets it back
    form.mdiArea()->setActiveSubWindow(form.mdiArea()->subWindowList().at(0));
    ASSERT_EQ(form.activeEditor(), e);
    // An error box would be answered, and counted, rather than wait for a click.
    QTimer::singleShot(0, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxes << box->text();
            box->close();
        }
    });
    trigger("Continuer2"); // step mode went off with the activation: runs to the end
    EXPECT_TRUE(boxes.isEmpty());
    form.screen().CloseAll();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "un\r\ndeux\r\n");
}
