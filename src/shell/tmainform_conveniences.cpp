// What a learner expects of any beginner's editor, added to the design's menus without
// changing them: "Annuler" and "Rétablir", the usual shortcut keys, "Aller à la ligne...",
// line numbers and a fixed-width font in "Voir", the caret's line and column in the status
// bar, a first screen where the editor and the screen window stand side by side, and the
// menus reachable with Alt from the screen window too.
#include "placement.h"
#include "teditor.h"
#include "tform3.h"
#include "tmainform.h"
#include "viewsettings.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QTimer>

namespace zef {

namespace {

// The access letter of a caption ("Fe&nêtre": N), upper case; none when it has no "&".
QChar accessLetter(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return caption[i + 1].toUpper();
        ++i; // "&&" is a plain ampersand
    }
    return {};
}

} // namespace

void TMainForm::buildConveniences() {
    auto* editMenu = menuBar()->findChild<QMenu*>("Edit1");
    auto* viewMenu = menuBar()->findChild<QMenu*>("N7");

    // Undo and redo at the top of "Edition", enabled while the active editor has something
    // to undo or redo. Ctrl+Y and Ctrl+Shift+Z both redo, as in most programs.
    undo_ = addItem(editMenu, "Annuler1", "&Annuler", "Annuler la dernière modification",
                    [this] { editCommand(&TEditeur::Annuler, [](QLineEdit& l) { l.undo(); }); }, QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo_ = addItem(editMenu, "Retablir1", "&Rétablir", "Rétablir la modification annulée",
                    [this] { editCommand(&TEditeur::Retablir, [](QLineEdit& l) { l.redo(); }); }, QKeySequence(Qt::CTRL | Qt::Key_Y));
    redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    // Moved from the end of the menu to its top.
    QAction* cut = action("CutItem");
    for (QAction* a : {undo_, redo_}) {
        editMenu->removeAction(a);
        editMenu->insertAction(cut, a);
    }
    editMenu->insertSeparator(cut);
    childActions_.push_back(addItem(editMenu, "Allerligne1", "A&ller à la ligne...", "Aller à une ligne du programme",
                                    [this] { editCommand(&TEditeur::AllerALaLigne, [](QLineEdit&) {}); }, QKeySequence(Qt::CTRL | Qt::Key_G)));

    // The usual keys of the file commands, where the design gives none.
    const std::pair<const char*, QKeySequence> keys[] = {
        {"FileNewItem", QKeySequence(Qt::CTRL | Qt::Key_N)},
        {"FileOpenItem", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"FileSaveItem", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"FileSaveAsItem", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {"Imprimer1", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"FileCloseItem", QKeySequence(Qt::CTRL | Qt::Key_W)}};
    for (const auto& [name, key] : keys) {
        QAction* a = action(QString::fromLatin1(name));
        a->setShortcut(key);
        a->setShortcutContext(Qt::ApplicationShortcut);
    }
    // "Condition &If..." and "&Impression" shared their access letter: the second takes
    // the next letter of its word, so that each letter of the menu reaches one item.
    action("Impression1")->setText(QStringLiteral("Im&pression"));

    // How the editors show the program, for every editor and the next start.
    const view::EditorView remembered = view::load();
    viewMenu->addSeparator();
    QAction* numbers = addItem(viewMenu, "Numerosligne1", "&Numéros de ligne", "Afficher les numéros de ligne", [] {});
    numbers->setCheckable(true);
    numbers->setChecked(remembered.lineNumbers);
    QAction* fixed = addItem(viewMenu, "Chassefixe1", "Police à chasse &fixe",
                             "Afficher le programme dans une police à chasse fixe", [] {});
    fixed->setCheckable(true);
    fixed->setChecked(remembered.fixedPitch);
    const auto apply = [this, numbers, fixed] {
        for (TEditeur* e : editors()) {
            e->setLineNumbers(numbers->isChecked());
            e->setFixedPitch(fixed->isChecked());
        }
        view::save({numbers->isChecked(), fixed->isChecked()});
    };
    connect(numbers, &QAction::toggled, this, apply);
    connect(fixed, &QAction::toggled, this, apply);

    caretPanel_ = new QLabel(this);
    caretPanel_->setObjectName("CaretPanel");
    caretPanel_->setMinimumWidth(caretPanel_->fontMetrics().horizontalAdvance(QStringLiteral("Ligne 00000, colonne 000")));
    // Where the run stands, in sight whatever the menus' hints say beside it.
    runStatePanel_ = new QLabel(this);
    runStatePanel_->setObjectName("RunStatePanel");
    runStatePanel_->setContentsMargins(0, 0, 12, 0); // apart from the caret's place
    connect(form3_, &TForm3::runStateChanged, runStatePanel_, &QLabel::setText);
    // Before the time, which stays at the right end.
    statusBar()->removeWidget(Panel2);
    statusBar()->addPermanentWidget(runStatePanel_);
    statusBar()->addPermanentWidget(caretPanel_);
    statusBar()->addPermanentWidget(Panel2);
    Panel2->show();
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, &TMainForm::followActiveEditor);
    followActiveEditor();

    // The screen window keeps its light paper under a dark desktop theme, its input line
    // included; it opens beside the editor, and passes Alt + a menu's letter to the frame.
    form3_->setPalette(view::lightPalette());
    form3_->installEventFilter(this);
}

void TMainForm::followActiveEditor() {
    TEditeur* e = activeEditor();
    if (e && e == followed_) return;
    for (const auto& c : followedConnections_) disconnect(c);
    followedConnections_.clear();
    followed_ = e;
    if (e) {
        QTextDocument* document = e->Memo1->document();
        undo_->setEnabled(document->isUndoAvailable());
        redo_->setEnabled(document->isRedoAvailable());
        followedConnections_.push_back(connect(e->Memo1, &QPlainTextEdit::undoAvailable, undo_, &QAction::setEnabled));
        followedConnections_.push_back(connect(e->Memo1, &QPlainTextEdit::redoAvailable, redo_, &QAction::setEnabled));
        followedConnections_.push_back(
            connect(e->Memo1, &QPlainTextEdit::cursorPositionChanged, this, &TMainForm::showCaretPosition));
    } else {
        undo_->setEnabled(false);
        redo_->setEnabled(false);
    }
    showCaretPosition();
}

void TMainForm::showCaretPosition() {
    if (!followed_) {
        caretPanel_->clear();
        return;
    }
    const QTextCursor c = followed_->Memo1->textCursor();
    caretPanel_->setText(QStringLiteral("Ligne %1, colonne %2").arg(c.blockNumber() + 1).arg(c.positionInBlock() + 1));
}

void TMainForm::settleNewEditor(QMdiSubWindow* window) {
    const int step = std::max(20, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window) + 4);
    const QSize screenOuter = form3_->frameGeometry().size();
    const auto open = static_cast<int>(mdiArea_->subWindowList().size()) - 1;
    window->setGeometry(placement::newEditor(mdiArea_->viewport()->size(), screenOuter, open, step));
    // The window's own menu closes it with Ctrl+F4; Ctrl+W belongs to "Fichier > Fermer",
    // which asks the same question. A key with two owners would do nothing at all.
    if (QMenu* own = window->systemMenu())
        for (QAction* a : own->actions()) {
            QList<QKeySequence> keys = a->shortcuts();
            if (keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_W)) > 0) a->setShortcuts(keys);
        }
    // Closing the followed editor leaves undo, redo and the caret panel to the next one.
    connect(window, &QObject::destroyed, this, [this] { QTimer::singleShot(0, this, &TMainForm::followActiveEditor); });
}

void TMainForm::placeScreenWindow() {
    TEditeur* e = activeEditor();
    auto* window = e ? qobject_cast<QMdiSubWindow*>(e->parentWidget()) : nullptr;
    if (!window) return;
    QWidget* area = mdiArea_->viewport();
    const QRect frame(area->mapToGlobal(QPoint(0, 0)), area->size());
    const QRect editor(window->mapToGlobal(QPoint(0, 0)), window->size());
    const QRect desktop = form3_->screen() ? form3_->screen()->availableGeometry() : frame;
    // Its frame is not known before it is first shown: the title bar's height stands for
    // it. Qt hands the window manager the point for the window's inside (its frame comes
    // around it), so the inside goes a title bar lower than the frame's corner.
    const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const QSize outer = form3_->size() + QSize(0, title);
    form3_->move(placement::screenWindow(frame, editor, outer, desktop) + QPoint(0, title));
}

bool TMainForm::openMenuFromScreen(QKeyEvent* event) {
    if (event->modifiers() != Qt::AltModifier) return false;
    const QString typed = event->text().isEmpty() ? QKeySequence(event->key()).toString() : event->text();
    if (typed.size() != 1) return false;
    for (QAction* menu : menuBar()->actions()) {
        if (!menu->isVisible() || !menu->isEnabled() || accessLetter(menu->text()) != typed[0].toUpper()) continue;
        // The frame takes the keyboard back, and its menu opens as if Alt had been pressed
        // there.
        activateWindow();
        raise();
        menuBar()->setActiveAction(menu);
        return true;
    }
    return false;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form3_) {
        // At its first showing the screen window stands beside the editor; after that it
        // stays where the learner moves it.
        if (event->type() == QEvent::Show && !screenPlaced_) {
            screenPlaced_ = true;
            placeScreenWindow();
        }
        if (event->type() == QEvent::KeyPress && openMenuFromScreen(static_cast<QKeyEvent*>(event))) return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace zef
