// "Exécuter > Tester avec les essais": the active program on every case of its exercise,
// its results in the dockable "Essais" view.
#include "tmainform.h"

#include "essaisview.h"
#include "exercise.h"
#include "teditor.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>

#include <algorithm>

namespace zef {
namespace {

// The cases folder chosen for each program, by the program's absolute path.
const QString kCasesFolders = QStringLiteral("essais/dossiers");
// What stays of an editor's window once brought inside a frame made smaller.
constexpr int kSmallestVisibleHeight = 120;

} // namespace

void TMainForm::buildEssaisView() {
    essaisView_ = new TEssaisView(this);
    essaisDock_ = new QDockWidget(QStringLiteral("Essais"), this);
    essaisDock_->setObjectName("EssaisDock");
    essaisDock_->setWidget(essaisView_);
    addDockWidget(Qt::BottomDockWidgetArea, essaisDock_);
    essaisDock_->hide();
    QAction* toggle = essaisDock_->toggleViewAction();
    toggle->setObjectName("Essais1");
    toggle->setText(QStringLiteral("E&ssais"));
    toggle->setStatusTip(QStringLiteral("Voir les essais du programme et leurs verdicts"));
    if (QMenu* view = menuBar()->findChild<QMenu*>("N7")) view->addAction(toggle);
    childActions_.push_back(toggle);
    // An error case puts the caret on its line in the program that was tested.
    connect(essaisView_, &TEssaisView::errorLineChosen, this, [this](int line) {
        if (!essaisEditor_) return;
        if (QMdiSubWindow* window = qobject_cast<QMdiSubWindow*>(essaisEditor_->parentWidget())) {
            mdiArea_->setActiveSubWindow(window);
            // The docked view took the bottom of the frame: the editor's window is brought
            // back inside what is left, or the line would stand in its hidden part.
            if (QWidget* area = mdiArea_->viewport(); !window->isMaximized() && !window->isMinimized()) {
                QRect g = window->geometry();
                g.moveTop(std::max(0, std::min(g.top(), area->height() - kSmallestVisibleHeight)));
                g.setBottom(std::min(g.bottom(), area->height() - 1));
                if (g != window->geometry()) window->setGeometry(g);
            }
        }
        essaisEditor_->goToLine(line);
    });
}

QString TMainForm::casesFolderFor(const TEditeur& editor) {
    const QString program = editor.DocumentPath.isEmpty() ? QString() : QFileInfo(editor.DocumentPath).absoluteFilePath();
    QSettings settings;
    const QVariantMap chosen = settings.value(kCasesFolders).toMap();
    if (!program.isEmpty()) {
        const QString remembered = chosen.value(program).toString();
        if (!remembered.isEmpty() && QFileInfo(remembered).isDir()) return remembered;
    }
    // First time: NAME.essais beside the program is proposed.
    const QString proposed = program.isEmpty()
                                 ? StartDirectory
                                 : QString::fromStdString(defaultCasesFolder(program.toStdString()).string());
    const QString folder = casesFolderHook
                               ? casesFolderHook(proposed)
                               : QFileDialog::getExistingDirectory(this, QStringLiteral("Dossier des essais"), proposed);
    if (folder.isEmpty()) return {};
    if (!program.isEmpty()) {
        QVariantMap updated = chosen;
        updated.insert(program, QFileInfo(folder).absoluteFilePath());
        settings.setValue(kCasesFolders, updated);
    }
    return folder;
}

void TMainForm::TesterEssais() {
    TEditeur* editor = activeEditor();
    // Like the commands that start a run, nothing happens while a trial is in progress.
    if (!editor || essaisView_->running()) return;
    auto refuse = [this](const QString& text) {
        if (messageHook) messageHook(text);
        else QMessageBox::warning(this, windowTitle(), text);
    };
    const QString folder = casesFolderFor(*editor);
    if (folder.isEmpty()) return;
    std::string reason;
    std::optional<Exercise> exercise = findCases(folder.toStdString(), reason);
    if (exercise && exercise->cases.empty()) reason = "aucun essai (NOM.in, NOM.out, NOM.args) dans ce dossier";
    if (exercise && exercise->cases.empty()) exercise.reset();
    if (exercise)
        if (const TestCase* missing = caseWithoutExpected(*exercise)) {
            reason = "l'essai " + missing->name + " n'a pas de sortie attendue (" + missing->name + ".out)";
            exercise.reset();
        }
    if (!exercise) {
        refuse(QStringLiteral("Impossible de tester avec les essais de %1 : %2")
                   .arg(QDir::toNativeSeparators(folder), QString::fromStdString(reason)));
        return;
    }
    // The program runs as the editor holds it, as F9 runs it: no save is needed.
    essaisDock_->show();
    if (!essaisView_->start(editor->plainText(), editor->documentName(), std::move(*exercise), reason)) {
        refuse(QStringLiteral("Impossible de tester avec les essais : %1").arg(QString::fromStdString(reason)));
        return;
    }
    essaisEditor_ = editor;
    // Closed, the program tested leaves results about a program that is no longer there
    // (the pointer is cleared before the signal comes; a later trial of another program
    // keeps it set, and its results current).
    connect(editor, &QObject::destroyed, this, [this] {
        if (!essaisEditor_) essaisView_->setProgramActive(false);
    });
}

} // namespace zef
