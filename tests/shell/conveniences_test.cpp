// What the frame offers a learner beside the design's commands, offscreen: the usual keys,
// unique access letters, undo and redo following the active editor, the caret's place,
// the view commands, the modified mark, the first places of the windows, the menus from
// the screen window, a dark desktop palette, and French print dialogs.
#include "french.h"
#include "generators.h"
#include "helpviewer.h"
#include "placement.h"
#include "teditor.h"
#include "tform12.h"
#include "tform3.h"
#include "tmainform.h"
#include "viewsettings.h"
#include "whenshown.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTextBrowser>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTranslator>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace zef;

namespace {

struct Frame : ::testing::Test {
    void SetUp() override {
        // Every case starts from the design's view: line numbers on, the design's font.
        QSettings().clear();
        form = std::make_unique<TMainForm>();
        form->screen().messageBoxHook = [this](const QString& text) { boxes << text; };
        form->onEditorCreated = [this](TEditeur& e) {
            e.messageHook = [this](const QString& text) { boxes << text; };
            e.questionHook = [](const QString&) { return int(QMessageBox::No); };
            e.saveFileHook = [this](const QString&, const QString&, const QString&) { return saveAnswer; };
            e.lineNumberHook = [this](int) { return lineAnswer; };
        };
        form->resize(1280, 900);
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    QAction* action(const char* name) const { return form->action(QString::fromLatin1(name)); }
    int windows() const { return static_cast<int>(form->mdiArea()->subWindowList().size()); }
    // A key as the learner presses it, wherever the keyboard is.
    void press(QKeySequence key) {
        const QKeyCombination k = key[0];
        QWidget* to = QApplication::focusWidget() ? QApplication::focusWidget() : form.get();
        QTest::keyClick(to, k.key(), k.keyboardModifiers());
    }
    TEditeur* program(const QStringList& lines) {
        TEditeur* e = form->FileNew();
        e->Memo1->setPlainText(lines.join('\n'));
        e->Memo1->document()->setModified(false);
        return e;
    }

    QTemporaryDir dir;
    std::unique_ptr<TMainForm> form;
    QStringList boxes;
    QString saveAnswer;
    int lineAnswer = 0;
};

// The access letter of a caption, upper case; none without "&".
QChar letterOf(const QString& caption) {
    const auto at = caption.indexOf('&');
    return at >= 0 && at + 1 < caption.size() ? caption[at + 1].toUpper() : QChar();
}

} // namespace

TEST_F(Frame, TheUsualKeysAreShownInTheirMenusAndDoTheirCommands) {
    const std::pair<const char*, QKeySequence> keys[] = {
        {"FileNewItem", QKeySequence("Ctrl+N")},       {"FileOpenItem", QKeySequence("Ctrl+O")},
        {"FileSaveItem", QKeySequence("Ctrl+S")},      {"FileSaveAsItem", QKeySequence("Ctrl+Shift+S")},
        {"Imprimer1", QKeySequence("Ctrl+P")},         {"FileCloseItem", QKeySequence("Ctrl+W")},
        {"Allerligne1", QKeySequence("Ctrl+G")},       {"Annuler1", QKeySequence("Ctrl+Z")},
        {"Retablir1", QKeySequence("Ctrl+Y")}};
    for (const auto& [name, key] : keys) {
        QAction* a = action(name);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->shortcut(), key) << name;
        bool inMenu = false;
        for (QObject* o : a->associatedObjects()) inMenu = inMenu || qobject_cast<QMenu*>(o);
        EXPECT_TRUE(inMenu) << name;
    }
    EXPECT_TRUE(action("Retablir1")->shortcuts().contains(QKeySequence("Ctrl+Shift+Z")));

    press(QKeySequence("Ctrl+N"));
    ASSERT_EQ(windows(), 1);
    TEditeur* e = form->activeEditor();
    e->Memo1->setFocus();
    QTest::keyClicks(e->Memo1, "abc");
    press(QKeySequence("Ctrl+Z"));
    EXPECT_FALSE(e->plainText().contains("abc"));
    press(QKeySequence("Ctrl+Shift+Z"));
    EXPECT_TRUE(e->plainText().contains("abc"));
    press(QKeySequence("Ctrl+Z"));
    press(QKeySequence("Ctrl+Y"));
    EXPECT_TRUE(e->plainText().contains("abc"));

    lineAnswer = 2;
    press(QKeySequence("Ctrl+G"));
    EXPECT_EQ(e->Memo1->textCursor().blockNumber(), 1);

    saveAnswer = dir.filePath("essai.pas");
    press(QKeySequence("Ctrl+S")); // a new document: Save As
    EXPECT_EQ(e->DocumentPath, dir.filePath("essai.pas"));
    saveAnswer = dir.filePath("autre.pas");
    press(QKeySequence("Ctrl+Shift+S"));
    EXPECT_EQ(e->DocumentPath, dir.filePath("autre.pas"));

    bool printDialog = false;
    whenShown<QPrintDialog>([&](QPrintDialog& d) {
        printDialog = true;
        d.reject();
    });
    press(QKeySequence("Ctrl+P"));
    EXPECT_TRUE(printDialog);
    form->activateWindow(); // as the window manager does when the dialog has gone
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    int asked = 0;
    form->openFileHook = [&] {
        ++asked;
        return QString();
    };
    press(QKeySequence("Ctrl+O"));
    EXPECT_EQ(asked, 1);

    press(QKeySequence("Ctrl+W"));
    QApplication::processEvents();
    EXPECT_EQ(windows(), 0);
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('\n').toStdString();
}

TEST_F(Frame, NoKeyServesTwoCommandsAndEachLetterOfAMenuReachesOneItem) {
    form->FileNew(); // the editor window's own menu counts too
    std::map<QKeySequence, QStringList> owners;
    for (QAction* a : form->findChildren<QAction*>())
        for (const QKeySequence& key : a->shortcuts()) owners[key] << a->objectName();
    for (QShortcut* s : form->findChildren<QShortcut*>()) owners[s->key()] << QStringLiteral("raccourci");
    for (const auto& [key, names] : owners) EXPECT_EQ(names.size(), 1) << key.toString().toStdString();

    QMenuBar* bar = form->menuBar();
    std::set<QChar> barLetters;
    for (QAction* top : bar->actions()) {
        EXPECT_TRUE(barLetters.insert(letterOf(top->text())).second) << top->text().toStdString();
        std::map<QChar, QString> letters;
        for (QAction* item : top->menu()->actions()) {
            if (item->isSeparator() || !item->isVisible()) continue;
            const QChar letter = letterOf(item->text());
            if (letter.isNull()) continue;
            EXPECT_TRUE(letters.emplace(letter, item->text()).second)
                << top->text().toStdString() << ": " << item->text().toStdString() << " and "
                << letters[letter].toStdString();
        }
    }
    // The design's own captions stay as they read: only the underlined letter moved.
    EXPECT_EQ(action("ConditionIf1")->text(), "Condition &If...");
    EXPECT_EQ(action("Impression1")->text().remove('&'), "Impression");
    // "Annuler" and "Rétablir" head the "Edition" menu.
    const auto edit = form->menuBar()->findChild<QMenu*>("Edit1")->actions();
    EXPECT_EQ(edit.at(0), action("Annuler1"));
    EXPECT_EQ(edit.at(1), action("Retablir1"));
}

TEST_F(Frame, UndoRedoAndTheCaretsPlaceFollowTheActiveEditor) {
    EXPECT_FALSE(action("Annuler1")->isEnabled());
    EXPECT_FALSE(action("Retablir1")->isEnabled());
    EXPECT_TRUE(form->caretPanel()->text().isEmpty());
    TEditeur* first = program({"Program PAS1;", "begin", "  writeln('a');", "end."});
    EXPECT_FALSE(action("Annuler1")->isEnabled());
    first->Memo1->Select(26, 0); // line 3, after "  wr"
    EXPECT_EQ(form->caretPanel()->text(), "Ligne 3, colonne 5");
    first->Memo1->insertPlainText("x");
    EXPECT_TRUE(action("Annuler1")->isEnabled());

    TEditeur* second = form->FileNew();
    EXPECT_FALSE(action("Annuler1")->isEnabled());
    EXPECT_EQ(form->caretPanel()->text(), "Ligne 7, colonne 1"); // the template's empty line
    form->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    EXPECT_TRUE(action("Annuler1")->isEnabled());
    EXPECT_EQ(form->caretPanel()->text(), "Ligne 3, colonne 6");
    action("Annuler1")->trigger();
    EXPECT_FALSE(first->plainText().contains("wxr"));
    EXPECT_FALSE(action("Annuler1")->isEnabled());
    EXPECT_TRUE(action("Retablir1")->isEnabled());
    EXPECT_TRUE(second->plainText().startsWith("Program NomProg;")); // the other editor untouched

    form->mdiArea()->closeAllSubWindows();
    QApplication::processEvents();
    EXPECT_FALSE(action("Retablir1")->isEnabled());
    EXPECT_TRUE(form->caretPanel()->text().isEmpty());
}

TEST_F(Frame, TheViewCommandsChangeEveryEditorAndAreRemembered) {
    TEditeur* first = form->FileNew();
    EXPECT_TRUE(action("Numerosligne1")->isChecked());
    EXPECT_TRUE(first->Memo1->lineNumbersVisible());
    EXPECT_FALSE(first->fixedPitch());
    TEditeur* second = form->FileNew();
    action("Numerosligne1")->trigger();
    action("Chassefixe1")->trigger();
    for (TEditeur* e : {first, second}) {
        EXPECT_FALSE(e->Memo1->lineNumbersVisible());
        EXPECT_TRUE(e->fixedPitch());
        EXPECT_TRUE(view::glyphsOfOneWidth(e->Memo1->font()));
    }
    // The next editor, and the next start, show the program the same way.
    TEditeur* third = form->FileNew();
    EXPECT_FALSE(third->Memo1->lineNumbersVisible());
    EXPECT_TRUE(third->fixedPitch());
    TMainForm next;
    EXPECT_FALSE(next.action("Numerosligne1")->isChecked());
    EXPECT_TRUE(next.action("Chassefixe1")->isChecked());
    // Both are there with no editor open, like the zoom.
    EXPECT_TRUE(next.action("Numerosligne1")->isEnabled());
}

TEST_F(Frame, TheModifiedMarkShowsInTheTitleAndTheWindowList) {
    TEditeur* e = form->FileNew();
    auto* window = qobject_cast<QMdiSubWindow*>(e->parentWidget());
    EXPECT_EQ(window->windowTitle(), "ZuzOvozov - PAS1.PAS[*]");
    EXPECT_FALSE(window->isWindowModified());
    e->Memo1->insertPlainText("x");
    EXPECT_TRUE(window->isWindowModified());
    QMenu* windowMenu = form->findChild<QMenu*>("Window1");
    emit windowMenu->aboutToShow();
    EXPECT_EQ(windowMenu->actions().last()->text(), "&1 ZuzOvozov - PAS1.PAS*");
    saveAnswer = dir.filePath("essai.pas");
    action("FileSaveItem")->trigger();
    EXPECT_EQ(window->windowTitle(), "ZuzOvozov - essai.pas[*]");
    EXPECT_FALSE(window->isWindowModified());
    emit windowMenu->aboutToShow();
    EXPECT_EQ(windowMenu->actions().last()->text(), "&1 ZuzOvozov - essai.pas");
}

TEST(Placement, EditorsTakeAUsefulShareAndTheScreenWindowStandsBeside) {
    using namespace placement;
    const QSize screen(590, 460);
    // Beside the screen window, as high as the frame.
    EXPECT_EQ(newEditor(QSize(1280, 800), screen, 0, 24), QRect(0, 0, 682, 800));
    // The next ones a title bar lower and to the right, their right edge (and the buttons
    // of their title bar) where the first's is, clear of the screen window.
    EXPECT_EQ(newEditor(QSize(1280, 800), screen, 2, 24), QRect(48, 48, 634, 752));
    // A wide frame: two thirds; a narrow one, or a screen window grown by the zoom: two
    // thirds too, the screen window then standing over the rest.
    EXPECT_EQ(newEditor(QSize(2400, 1200), screen, 0, 24).width(), 1600);
    EXPECT_EQ(newEditor(QSize(1280, 800), QSize(1180, 800), 0, 24).width(), 853);
    // Never smaller than the design's editor.
    EXPECT_EQ(newEditor(QSize(600, 200), screen, 0, 24).size(), QSize(502, 265));

    const QRect desktop(0, 0, 1280, 900);
    const QRect frame(0, 80, 1280, 780);
    EXPECT_EQ(screenWindow(frame, QRect(0, 80, 682, 780), screen, desktop), QPoint(690, 80));
    EXPECT_EQ(screenWindow(frame, QRect(598, 100, 682, 600), screen, desktop), QPoint(0, 100));
    // No room on either side: against the frame's right edge, on the desktop.
    EXPECT_EQ(screenWindow(frame, QRect(200, 500, 900, 360), screen, desktop), QPoint(690, 440));
}

TEST_F(Frame, TheFirstScreenPutsTheEditorAndTheScreenWindowSideBySide) {
    // The frame on the whole desktop, as at a start; a screen window that fits beside an
    // editor on this small desktop.
    form->setGeometry(QApplication::primaryScreen()->availableGeometry());
    form->screen().resize(240, 200);
    QApplication::processEvents();
    TEditeur* e = program({"Program PAS1;", "begin", "  writeln('Bonjour');", "end."});
    auto* window = qobject_cast<QMdiSubWindow*>(e->parentWidget());
    const QSize area = form->mdiArea()->viewport()->size();
    EXPECT_GT(window->width(), 502);
    EXPECT_EQ(window->height(), area.height());
    EXPECT_EQ(window->pos(), QPoint(0, 0));
    action("Excuter1")->trigger();
    ASSERT_TRUE(form->screen().isVisible());
    const int editorRight = window->mapToGlobal(QPoint(window->width(), 0)).x();
    EXPECT_GE(form->screen().x(), editorRight);
    EXPECT_LE(form->screen().x() + form->screen().width(),
              form->mdiArea()->viewport()->mapToGlobal(QPoint(area.width(), 0)).x());
    EXPECT_EQ(form->screen().y() - form->style()->pixelMetric(QStyle::PM_TitleBarHeight),
              window->mapToGlobal(QPoint(0, 0)).y()); // its title bar level with the editor's
    // Where the learner moves it, it stays.
    form->screen().move(40, 300);
    form->screen().hide();
    action("Excuter1")->trigger();
    EXPECT_EQ(form->screen().pos(), QPoint(40, 300));
}

TEST_F(Frame, AltAndAMenusLetterOnTheScreenWindowOpenThatMenu) {
    program({"Program PAS1;", "begin", "  showmessage('Bonjour');", "end."});
    form->screen().messageBoxHook = nullptr;
    // A box of the screen window, closed: the keyboard is on the screen window.
    whenShown<QMessageBox>([](QMessageBox& box) { box.accept(); });
    action("Excuter1")->trigger();
    form->screen().activateWindow();
    form->screen().setFocus();
    QTest::keyClick(&form->screen(), Qt::Key_X, Qt::AltModifier);
    auto* opened = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->objectName(), "N4"); // "E&xécuter"
    opened->close();
    // Other Alt combinations are left to the window.
    QTest::keyClick(&form->screen(), Qt::Key_J, Qt::AltModifier);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST(DarkDesktop, TheEditorAndTheScreenKeepTheirPaperAndDialogsFollowThePalette) {
    const QPalette saved = QApplication::palette();
    QApplication::setPalette(QPalette(QColor(0x30, 0x30, 0x30))); // white text on dark grey
    {
        TMainForm form;
        form.show();
        TEditeur* e = form.FileNew();
        e->Memo1->setPlainText("Program PAS1;\nbegin\n  WriteLn('Bonjour');\nend.");
        EXPECT_GT(e->Memo1->palette().color(QPalette::Base).lightness(), 200);
        EXPECT_LT(e->Memo1->palette().color(QPalette::Text).lightness(), 60);
        EXPECT_GT(form.screen().palette().color(QPalette::Window).lightness(), 200);
        EXPECT_GT(form.inputLine().palette().color(QPalette::Base).lightness(), 200);
        EXPECT_LT(form.inputLine().palette().color(QPalette::Text).lightness(), 60);
        TBoucleFor& dialog = *e->generators().BoucleFor;
        EXPECT_LT(dialog.palette().color(QPalette::Window).lightness(), 100);
        EXPECT_GT(dialog.palette().color(QPalette::WindowText).lightness(), 200);

        // The keywords keep their blue on white paper.
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
        const QImage image = e->Memo1->viewport()->grab().toImage();
        int white = 0, blue = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                white += c.lightness() > 245;
                blue += c.blue() > 200 && c.red() < 90 && c.green() < 90;
            }
        EXPECT_GT(white, image.width() * image.height() / 2);
        EXPECT_GT(blue, 10);
    }
    QApplication::setPalette(saved);
}

namespace {

// Answers last, after every catalogue: what it is asked for, nothing else translated.
class Untranslated : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (source && *source) asked.insert(QStringLiteral("%1 | %2").arg(QLatin1String(context), QString::fromUtf8(source)));
        return {};
    }
    mutable std::set<QString> asked;
};

} // namespace

TEST(FrenchDialogs, ThePrintDialogAndThePrintersPropertiesHaveNoEnglishLeft) {
    Untranslated untranslated;
    QCoreApplication::installTranslator(&untranslated);
    ASSERT_TRUE(installFrenchTranslations(*QCoreApplication::instance()))
        << "Qt's French translations (qtbase_fr.qm) are not installed";
    {
        QPrinter printer(QPrinter::HighResolution);
        QPrintDialog dialog(&printer);
        dialog.show();
        auto* properties = dialog.findChild<QPushButton*>("properties");
        ASSERT_NE(properties, nullptr);
        bool opened = false;
        whenShown<QDialog>([&](QDialog& d) {
            opened = &d != &dialog;
            d.reject();
        });
        properties->click();
        EXPECT_TRUE(opened);
        dialog.reject();
    }
    QCoreApplication::removeTranslator(&untranslated);
    QStringList english;
    for (const QString& phrase : untranslated.asked)
        if (phrase.startsWith("QPrint") || phrase.startsWith("QPageSetup") || phrase.startsWith("QCups"))
            english << phrase;
    EXPECT_TRUE(english.isEmpty()) << english.join('\n').toStdString();
    // Numbers in Qt's widgets (the margins of the page set-up) take a decimal comma.
    EXPECT_EQ(QLocale().toString(3.53, 'f', 2), "3,53");
}

// F1 in a program opens the help on the word at the caret: its entry when the index has
// one, else the search on that word. The keyword list says what the highlighted word does
// and inserts it with Enter.
TEST_F(Frame, HelpOnTheWordAtTheCaretAndInTheKeywordList) {
    TEditeur* e = program({"Program un;", "begin", "  writeln('x');", "  Compte := 1;", "end."});
    e->Memo1->setFocus();
    QTextCursor c(e->Memo1->document()->findBlockByNumber(2));
    c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 4);
    e->Memo1->setTextCursor(c);
    QApplication::processEvents();
    form->contextHelp();
    THelpViewer& help = form->helpViewer();
    const HelpKeyword* entry = help.index().entryFor("WRITELN");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(help.browser()->source(), THelpViewer::targetUrl(QString::fromStdString(entry->target)));
    help.close();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    e->Memo1->setFocus();
    c.setPosition(e->Memo1->document()->findBlockByNumber(3).position() + 3);
    e->Memo1->setTextCursor(c);
    QApplication::processEvents();
    form->contextHelp();
    EXPECT_EQ(help.searchField()->text(), "Compte"); // no entry: the search on it
    help.close();

    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    e->Memo1->setFocus();
    QStringList explained;
    whenShown<TMotsCle>([&explained](TMotsCle& list) {
        for (const char* word : {"WRITELN", "REPEAT"}) {
            const auto found = list.ListBox1->findItems(word, Qt::MatchFixedString);
            if (found.isEmpty()) return;
            list.ListBox1->setCurrentItem(found.first());
            explained << list.Explanation->text();
        }
        QTest::keyClick(list.ListBox1, Qt::Key_Return);
    });
    action("Motscl1")->trigger();
    ASSERT_EQ(explained.size(), 2);
    EXPECT_EQ(explained[0], QString::fromStdString(entry->title));
    EXPECT_FALSE(explained[1].isEmpty());
    EXPECT_NE(explained[0], explained[1]);
    EXPECT_TRUE(e->plainText().contains(QStringLiteral("REPEAT"), Qt::CaseInsensitive));
}

// Every entry of every menu has its access letter, none shared within a menu.
TEST_F(Frame, EveryMenuEntryHasItsOwnAccessLetter) {
    for (QAction* top : form->menuBar()->actions()) {
        QMenu* menu = top->menu();
        if (!menu) continue;
        std::map<QChar, QString> letters;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator() || a->text().isEmpty() || !a->isVisible()) continue;
            // Qt's rule: the character after a single "&".
            QChar letter;
            const QString t = a->text();
            for (qsizetype i = 0; i + 1 < t.size() && letter.isNull(); ++i)
                if (t[i] == '&') t[i + 1] == '&' ? void(++i) : void(letter = t[i + 1].toUpper());
            EXPECT_FALSE(letter.isNull()) << top->text().toStdString() << " > " << a->text().toStdString();
            if (letter.isNull()) continue;
            const auto [it, fresh] = letters.emplace(letter, a->text());
            EXPECT_TRUE(fresh) << top->text().toStdString() << ": " << it->second.toStdString() << " and "
                               << a->text().toStdString() << " share " << QString(letter).toStdString();
        }
    }
}

// Without a file to open, the frame comes up on the program that was in front at the last
// exit, or on a new one, with the screen window in sight.
TEST_F(Frame, TheFirstScreenOpensAProgramReadyToRun) {
    form->openStartingProgram();
    ASSERT_EQ(windows(), 1);
    EXPECT_TRUE(form->screen().isVisible());
    EXPECT_FALSE(form->activeEditor()->plainText().isEmpty());
    form->openStartingProgram(); // a second call opens nothing more
    EXPECT_EQ(windows(), 1);

    const QString path = dir.filePath("Moyenne.pas");
    saveAnswer = path;
    TEditeur* e = program({"Program Moyenne;", "begin", "end."});
    e->Memo1->document()->setModified(true);
    ASSERT_TRUE(e->SaveAs());
    ASSERT_TRUE(form->close());
    TMainForm next;
    next.openStartingProgram();
    ASSERT_EQ(next.editors().size(), 1);
    EXPECT_EQ(next.activeEditor()->DocumentPath, path);
}
