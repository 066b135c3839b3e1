// The editing commands on a real editor window, offscreen: the generator dialogs and pick
// lists answered as a learner would, find and replace, and Enter's indentation.
#include "finddialog.h"
#include "generators.h"
#include "teditor.h"
#include "tform12.h"
#include "text.h"
#include "tform3.h"
#include "whenshown.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QClipboard>
#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

using namespace zef;

namespace {

struct Editing : ::testing::Test {
    // The screen window takes the input line as a part of itself.
    Editing() : screen(new TForm12), editor(screen, runState), windows(&editor) {
        editor.setGenerators(&windows);
        editor.messageHook = [this](const QString& text) { messages << text; };
    }
    void setText(const QString& text) { editor.Memo1->setPlainText(text); }
    QString text() const { return editor.Memo1->toPlainText(); }
    // The text from the start to the caret, line breaks as the memo counts them.
    QString beforeCaret() const { return editor.lines().join("\r\n").left(editor.Memo1->SelStart()); }
    void fill(QLineEdit* edit, const QString& value) { edit->setText(value); }

    TForm3 screen;
    editor::RunState runState;
    TEditeur editor;
    GeneratorWindows windows;
    QStringList messages;
};

} // namespace

TEST_F(Editing, GeneratedLoopsGoInPlaceOfTheSelectionWithTheCaretOnTheirEmptyLine) {
    setText("begin\nXX\nend.");
    editor.Memo1->Select(7, 2); // XX
    whenShown<TBoucleFor>([this](TBoucleFor& d) {
        fill(d.Edit1, "I");
        fill(d.Edit2, "1");
        fill(d.Edit3, "10");
        QTest::keyClick(d.Edit3, Qt::Key_Return);
    });
    editor.Forg();
    EXPECT_EQ(text(), "begin\nFor I:=1 to 10 do\nbegin\n\nend;\nend.");
    EXPECT_EQ(beforeCaret(), "begin\r\nFor I:=1 to 10 do\r\nbegin\r\n");

    // WHILE and REPEAT share one dialog: what was typed for one is there for the other.
    setText("");
    whenShown<TBoucleWhile>([](TBoucleWhile& d) {
        EXPECT_EQ(d.windowTitle(), "Boucle While");
        d.Edit1->setText("A");
        d.RadioGroup1->button(5)->click();
        d.Button1->click();
    });
    editor.whileg();
    EXPECT_EQ(beforeCaret(), "While A<> do\r\nbegin\r\n");
    setText("");
    whenShown<TBoucleWhile>([](TBoucleWhile& d) {
        EXPECT_EQ(d.windowTitle(), "Boucle Repeat");
        EXPECT_EQ(d.Edit1->text(), "A");
        d.Button1->click();
    });
    editor.Dog();
    EXPECT_EQ(text(), "Repeat\n\nUntil A<>");
    EXPECT_EQ(beforeCaret(), "Repeat\r\n");
}

TEST_F(Editing, ConditionsAndFiles) {
    setText("");
    whenShown<TConditionIf>([](TConditionIf& d) {
        d.Edit1->setText("X");
        d.RadioGroup1->button(0)->click();
        d.CheckBox1->setChecked(true);
        QTest::keyClick(d.CheckBox1, Qt::Key_Return);
    });
    editor.Ifg();
    EXPECT_EQ(beforeCaret(), "If X= then\r\nbegin\r\n"); // the then-block's empty line

    for (const bool writing : {false, true}) {
        setText("");
        whenShown<TFileIO>([writing](TFileIO& d) {
            // Each command presets its own mode.
            EXPECT_EQ(d.RadioGroup1->checkedId(), writing ? 1 : 0);
            d.Edit1->setText("F");
            d.Edit2->setText("'a.txt'");
            d.Button1->click();
        });
        writing ? editor.Ecriref() : editor.Liref();
        EXPECT_EQ(beforeCaret(), writing ? "Assign(F,'a.txt');\r\nRewrite(F);\r\n" : "Assign(F,'a.txt');\r\nReset(F);\r\n");
    }
}

TEST_F(Editing, ACancelledOrIncompleteGeneratorChangesNothing) {
    setText("begin\nXX\nend.");
    auto unchanged = [this] {
        EXPECT_EQ(text(), "begin\nXX\nend.");
        EXPECT_EQ(editor.Memo1->SelStart(), 7);
        EXPECT_EQ(editor.Memo1->SelLength(), 2);
    };
    editor.Memo1->Select(7, 2);
    whenShown<TBoucleFor>([](TBoucleFor& d) {
        d.Edit1->setText("I");
        QTest::keyClick(d.Edit1, Qt::Key_Escape);
    });
    editor.Forg();
    unchanged();
    whenShown<TBoucleFor>([](TBoucleFor& d) {
        EXPECT_EQ(d.Edit1->text(), "I"); // kept from the last use, ready to be typed over
        EXPECT_EQ(d.focusWidget(), d.Edit1);
        EXPECT_EQ(d.Edit1->selectedText(), "I");
        d.close();                        // the close box counts as "Annuler"
    });
    editor.Forg();
    unchanged();
    EXPECT_FALSE(windows.BoucleFor->accepted());
    // OK with a part missing says which, in the dialog that stays open; once told, the
    // learner may still cancel.
    QStringList said;
    whenShown<TBoucleFor>([&said](TBoucleFor& d) {
        d.Edit1->clear();
        d.Button1->click();
        if (d.isVisible() && d.missingLabel->isVisible()) said << d.missingLabel->text();
        d.Button2->click();
    });
    editor.Forg();
    unchanged();
    whenShown<TConditionIf>([&said](TConditionIf& d) {
        d.Edit1->setText("X");
        d.RadioGroup1->setExclusive(false);
        for (QAbstractButton* b : d.RadioGroup1->buttons()) b->setChecked(false);
        d.RadioGroup1->setExclusive(true);
        d.Button1->click(); // no operator chosen
        if (d.isVisible() && d.missingLabel->isVisible()) said << d.missingLabel->text();
        d.Edit1->clear();
        d.Button1->click(); // nor the first operand
        if (d.isVisible()) said << d.missingLabel->text();
        QTest::keyClick(d.Edit1, Qt::Key_Escape);
    });
    editor.Ifg();
    unchanged();
    ASSERT_EQ(said.size(), 3);
    EXPECT_TRUE(said[0].contains(QStringLiteral("compteur"))) << said[0].toStdString();
    EXPECT_TRUE(said[1].contains(QStringLiteral("opérateur"))) << said[1].toStdString();
    EXPECT_TRUE(said[2].contains(QStringLiteral("opérande 1"))) << said[2].toStdString();
}

TEST_F(Editing, FindGoesBothWaysWithItsOptionsAndSaysWhatItDidNotFind) {
    setText("Begin\nbegin x\nbeginning begin");
    editor.Memo1->Select(0, 0);
    TFindDialog& find = *editor.FindDialog1;
    editor.Chercher();
    EXPECT_TRUE(find.isVisible());
    find.setFindText("begin");
    find.matchCaseBox->setChecked(true);
    QTest::keyClick(find.findEdit, Qt::Key_Return); // Enter is "Suivant"
    EXPECT_EQ(editor.Memo1->SelStart(), 7);
    find.wholeWordBox->setChecked(true);
    find.close();
    editor.Continuer(); // F3 goes on with the closed dialog's text and options
    EXPECT_EQ(editor.Memo1->SelStart(), 26);
    editor.Continuer();
    EXPECT_EQ(messages, QStringList{"Chaîne rechechée \"begin\" non trouvée"});
    EXPECT_EQ(editor.Memo1->SelStart(), 26);

    find.upButton->setChecked(true);
    find.matchCaseBox->setChecked(false);
    find.wholeWordBox->setChecked(false);
    editor.Continuer();
    EXPECT_EQ(editor.Memo1->SelStart(), 16); // "beginning"
    editor.Continuer();
    editor.Continuer();
    EXPECT_EQ(editor.Memo1->SelStart(), 0); // "Begin", whatever its case
}

TEST_F(Editing, ReplaceOneAtATimeOrAll) {
    setText("a b A b a");
    editor.Memo1->Select(0, 0);
    TFindDialog& replace = *editor.ReplaceDialog1;
    editor.Remplacer();
    replace.setFindText("a");
    replace.replaceEdit->setText("xy");
    replace.replaceButton->click(); // nothing selected yet: finds the first
    EXPECT_EQ(text(), "a b A b a");
    EXPECT_EQ(editor.Memo1->SelLength(), 1);
    replace.replaceButton->click(); // replaces it, selects the next
    EXPECT_EQ(text(), "xy b A b a");
    EXPECT_EQ(editor.Memo1->SelStart(), 5);
    replace.replaceButton->click();
    replace.replaceButton->click(); // the last one: replaced, then the message
    EXPECT_EQ(text(), "xy b xy b xy");
    EXPECT_EQ(messages, QStringList{"Chaîne recherchée \"a\"non trouvée"});

    // Replace all: from the selection on, every occurrence, and no message. A
    // replacement containing the text it replaces is not replaced again.
    editor.Memo1->Select(0, 0);
    replace.setFindText("xy");
    replace.replaceEdit->setText("xyxy");
    replace.replaceAllButton->click();
    EXPECT_EQ(text(), "xyxy b xyxy b xyxy");
    EXPECT_EQ(messages.size(), 1);
}

TEST_F(Editing, EnterKeepsTheIndentation) {
    setText("Program P;\n  begin\n\tend.");
    auto enterAt = [this](int position) {
        editor.Memo1->Select(position, 0);
        QTest::keyClick(editor.Memo1, Qt::Key_Return);
    };
    enterAt(19); // the end of "  begin"
    EXPECT_EQ(text(), "Program P;\n  begin\n  \n\tend.");
    enterAt(23); // the start of "\tend.": the line above gives the indentation
    EXPECT_EQ(text(), "Program P;\n  begin\n  \n  \n\tend.");
    enterAt(3); // the first line: a plain line break
    EXPECT_EQ(text(), "Pro\ngram P;\n  begin\n  \n  \n\tend.");
    editor.Memo1->Select(21, 0);
    QTest::keyClick(editor.Memo1, Qt::Key_Return, Qt::ShiftModifier); // no soft line break
    EXPECT_EQ(text(), "Pro\ngram P;\n  begin\n  \n  \n  \n\tend.");
}

TEST_F(Editing, ThePickListsMoveTheCaretOrInsertAWord) {
    setText("Program P;\n  procedure Un;\nprocedure Deux;\nbegin\nend.");
    whenShown<TListeSel>([](TListeSel& list) {
        ASSERT_EQ(list.ListBox1->count(), 2);
        list.ListBox1->setCurrentRow(1);
        QTest::keyClick(list.ListBox1, Qt::Key_Return);
    });
    editor.ListeSubs();
    EXPECT_EQ(beforeCaret(), "Program P;\r\n  procedure Un;\r\n");
    whenShown<TListeSel>([](TListeSel& list) {
        EXPECT_EQ(list.ItemIndex(), -1); // rebuilt at each opening
        list.ListBox1->setCurrentRow(0);
        QTest::keyClick(list.ListBox1, Qt::Key_Escape);
    });
    editor.ListeSubs();
    EXPECT_EQ(beforeCaret(), "Program P;\r\n  procedure Un;\r\n");

    editor.Memo1->Select(0, 7); // "Program"
    whenShown<TMotsCle>([](TMotsCle& list) {
        QListWidgetItem* item = list.ListBox1->findItems("End.", Qt::MatchExactly).value(0);
        ASSERT_TRUE(item);
        list.ListBox1->scrollToItem(item);
        const QPoint at = list.ListBox1->visualItemRect(item).center();
        // A double click: its first click selects the entry.
        QTest::mouseClick(list.ListBox1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.ListBox1->viewport(), Qt::LeftButton, {}, at);
    });
    editor.Instructions();
    EXPECT_TRUE(text().startsWith("End. P;"));
    // The choice is kept for the next use; the close box hands it back like Enter.
    whenShown<TMotsCle>([](TMotsCle& list) {
        EXPECT_EQ(list.selectedText(), "End.");
        list.close();
    });
    editor.Instructions();
    EXPECT_TRUE(text().startsWith("End.End. P;"));
    whenShown<TMotsCle>([](TMotsCle& list) { QTest::keyClick(&list, Qt::Key_Escape); });
    editor.Instructions();
    EXPECT_TRUE(text().startsWith("End.End. P;"));
    EXPECT_EQ(windows.MotsCle->ItemIndex(), -1);
}

// Characters that Windows-1252 cannot keep never get into a program, however they come
// (typed, composed, pasted, replaced, generated, recovered), and the message names them:
// what the window shows is what a save writes. Those it can keep go in as usual.
TEST_F(Editing, CharactersTheEditorCannotKeepAreRefusedWithTheirNames) {
    QTemporaryDir dir;
    const QString path = dir.filePath("latin.pas");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Program latin;\r\n{ caf\xE9 }\r\n"); // Windows-1252
    }
    ASSERT_TRUE(editor.OpenFile(path));
    ASSERT_EQ(editor.encoding(), editor::Encoding::Windows1252);
    editor.Memo1->Select(14, 0); // the end of the first line
    auto type = [this](const QString& text) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, text);
        QApplication::sendEvent(editor.Memo1, &key);
    };
    type(QStringLiteral("Ω"));
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("π"));
    QApplication::sendEvent(editor.Memo1, &composed);
    QApplication::clipboard()->setText(QStringLiteral("{Ωπ中}"));
    editor.Coller();
    EXPECT_EQ(text(), QStringLiteral("Program latin;\n{ café }"));
    ASSERT_EQ(messages.size(), 3);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("(Ω)")));
    EXPECT_TRUE(messages[1].contains(QStringLiteral("(π)")));
    EXPECT_TRUE(messages[2].contains(QStringLiteral("(Ωπ中)")));

    type(QStringLiteral("€"));
    QApplication::clipboard()->setText(QStringLiteral(" «œ»"));
    editor.Coller();
    TFindDialog& replace = *editor.ReplaceDialog1;
    replace.setFindText(QStringLiteral("café"));
    replace.replaceEdit->setText(QStringLiteral("καφές"));
    replace.replaceAllButton->click();
    whenShown<TFileIO>([](TFileIO& d) {
        d.Edit1->setText("F");
        d.Edit2->setText(QStringLiteral("'données→.txt'"));
        d.Button1->click();
    });
    editor.Ecriref();
    EXPECT_EQ(text(), QStringLiteral("Program latin;€ «œ»\n{ café }"));
    ASSERT_EQ(messages.size(), 5);
    EXPECT_TRUE(messages[3].contains(QStringLiteral("(καφές)")));
    EXPECT_TRUE(messages[4].contains(QStringLiteral("(→)")));

    // Saved in the file's own encoding, it reads back as the window shows it.
    ASSERT_TRUE(editor.Enregistrer());
    std::string error;
    const auto saved = editor::loadSource(path.toStdString(), error);
    ASSERT_TRUE(saved) << error;
    EXPECT_EQ(saved->encoding, editor::Encoding::Windows1252);
    EXPECT_EQ(editor.lines().join('\n'), QString::fromStdString(cp1252ToUtf8(saved->lines[0] + "\n" + saved->lines[1])));

    // A backup of an older version may hold them: each becomes "?", and the user is told.
    editor.RestoreText(path, editor::Encoding::Utf8, QStringLiteral("Program latin;\n{ Ω = 1 }"));
    EXPECT_EQ(text(), QStringLiteral("Program latin;\n{ ? = 1 }"));
    ASSERT_EQ(messages.size(), 6);
    EXPECT_TRUE(messages[5].contains(QStringLiteral("(Ω)")));
    ASSERT_TRUE(editor.Enregistrer());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Program latin;\r\n{ ? = 1 }\r\n"));
}
