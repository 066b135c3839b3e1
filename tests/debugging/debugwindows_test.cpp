// The debugging windows opened from the menus, the Variables view following a stepped run,
// and an editor losing the focus between two steps, all offscreen.
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
        e->Memo1->setPlainText(lines.join('\n'));
        return e;
    }
    // Opens a modal window by its command and acts on it; the window must be closed by
    // then, and is closed anyway so that a failure cannot hang the test.
    void onModal(const char* command, std::function<void(QDialog*)> act) {
        QTimer::singleShot(0, [act] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            act(dialog);
            if (dialog && dialog->isVisible()) {
                ADD_FAILURE() << "the window is still open";
                dialog->reject();
            }
        });
        trigger(command);
    }
    QTreeWidgetItem* row(const QString& name) const {
        return form.variablesView().tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive).value(0);
    }
    static bool marked(QTreeWidgetItem* item) { return item->foreground(2).color() == Qt::red; }

    TMainForm form;
    QStringList boxes;
};

} // namespace

TEST_F(Debugging, TheThreeWindowsOpenFromTheMenus) {
    program({"Program PAS1;", "var I: integer;", "var T[3]: integer;", "begin", "  I := 2;", "  T[I] := 5;", "end."});
    trigger("Excuter1");
    onModal("Tabledessymboles1", [this](QDialog* d) {
        ASSERT_EQ(d, &form.symbolTable());
        EXPECT_EQ(form.symbolTable().ListBox1->item(1)->text(), "T[ , I , 2");
        QTest::keyClick(form.symbolTable().ListBox1, Qt::Key_Escape);
    });
    onModal("Examinervariable1", [this](QDialog*) {
        TVariable& w = form.examineWindow();
        EXPECT_EQ(w.focusWidget(), w.Edit1);
        QTest::keyClicks(w.Edit1, "t[i]");
        QTest::keyClick(w.Edit1, Qt::Key_Return); // examines, does not close
        EXPECT_EQ(w.Edit2->text(), "5");
        EXPECT_EQ(w.Edit1->selectedText(), "t[i]");
        QTest::keyClick(w.Edit1, Qt::Key_Escape);
    });
    onModal("Paramtres1", [this](QDialog*) {
        QTest::keyClicks(form.parametersWindow().Edit1, "un deux");
        QTest::keyClick(form.parametersWindow().Edit1, Qt::Key_Return);
    });
    EXPECT_TRUE(form.parametersWindow().acceptedFlag());
    onModal("Paramtres1", [this](QDialog*) {
        EXPECT_EQ(form.parametersWindow().Edit1->text(), "un deux");
        form.parametersWindow().Edit1->setText("autre");
        form.parametersWindow().Button2->click();
    });
    EXPECT_FALSE(form.parametersWindow().acceptedFlag());
    EXPECT_EQ(form.screen().interpreter().argumentText(2), "deux");
    EXPECT_TRUE(boxes.isEmpty());
}

TEST_F(Debugging, TheVariablesViewReadsTheTablesOncePerStopAndNeverDuringARun) {
    program({"Program PAS1;", "var I, S: integer;", "var T[2]: string;", "begin", "  S := 1;", "  T[2] := 'oui';",
             "  for I:=1 to 3000 do", "    S := S + 1;", "end."});
    trigger("Variables1");
    ASSERT_TRUE(form.variablesDock()->isVisible());
    const auto& snapshot = form.variablesView().snapshot();
    const int shown = snapshot.refreshCount();
    trigger("Pasapas");
    trigger("Excuter1");
    trigger("Continuer2");
    EXPECT_EQ(row("S")->text(2), "1");
    EXPECT_TRUE(marked(row("S")));
    EXPECT_EQ(row("T[2]")->text(1), "Chaîne");
    trigger("Continuer2");
    EXPECT_FALSE(marked(row("S"))); // changed at the stop before, not since
    EXPECT_EQ(row("T[2]")->text(2), "oui");
    EXPECT_TRUE(marked(row("T[2]")) && !marked(row("T[1]")));
    EXPECT_EQ(snapshot.refreshCount(), shown + 3);
    // Some six thousand statements without step mode: the tables are read once, at the end.
    trigger("Pasapas");
    trigger("Continuer2");
    EXPECT_EQ(snapshot.refreshCount(), shown + 4);
    EXPECT_EQ(row("S")->text(2), "3001");
    form.variablesDock()->hide(); // hidden, it reads nothing until shown again
    trigger("Excuter1");
    EXPECT_EQ(snapshot.refreshCount(), shown + 4);
    // The first stop of a fresh run shows nothing changed, whatever the last run left.
    form.variablesDock()->show();
    trigger("Pasapas");
    trigger("Excuter1");
    EXPECT_EQ(row("S")->text(2), "0");
    EXPECT_FALSE(marked(row("S")));
}

TEST_F(Debugging, AnEditorLosingTheFocusLeavesTheProgramsFilesOpen) {
    QTemporaryDir dir;
    const QString path = dir.filePath("SORTIE.TXT");
    TEditeur* e = program({"Program PAS1;", "var F: textfile;", "begin", "  assign(F,'" + path + "');",
                           "  rewrite(F);", "  writeln(F, 'un');", "  writeln(F, 'deux');", "end."});
    e->messageHook = [this](const QString& text) { boxes << text; };
    trigger("Pasapas");
    for (const char* command : {"Excuter1", "Continuer2", "Continuer2", "Continuer2"}) trigger(command);
    form.FileNew(); // another editor takes the focus, then the first gets it back
    form.mdiArea()->setActiveSubWindow(form.mdiArea()->subWindowList().at(0));
    trigger("Continuer2"); // step mode went off with the activation: runs to the end
    EXPECT_TRUE(boxes.isEmpty());
    form.screen().CloseAll();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "un\r\ndeux\r\n");
}
