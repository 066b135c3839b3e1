// The frame's files from outside: the recent files and the example programs of
// "Fichier", and the files that a second start of the IDE hands over.
#include "tmainform.h"

#include "installpaths.h"
#include "teditor.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>

namespace zef {

void TMainForm::buildFileHistory(QMenu* file) {
    fileMenu_ = file;
    // "Exemples" stands after "Ouvrir"; the recent files before "Quitter", between two
    // separators.
    examplesMenu_ = new QMenu(QStringLiteral("E&xemples"), file);
    examplesMenu_->setObjectName("Exemples1");
    examplesMenu_->menuAction()->setStatusTip(QStringLiteral("Ouvrir une copie d'un programme d'exemple"));
    file->insertMenu(action("FileCloseItem"), examplesMenu_);
    recentSeparator_ = file->insertSeparator(action("FileExitItem"));
    recent_ = std::make_unique<RecentFiles>();
    fillRecentFiles();
    setExamplesFolder(installedExamplesFolder(QCoreApplication::applicationDirPath()));
}

void TMainForm::setExamplesFolder(const QString& folder) {
    examplesMenu_->clear();
    const QFileInfoList programs =
        folder.isEmpty() ? QFileInfoList()
                         : QDir(folder).entryInfoList({QStringLiteral("*.pas")}, QDir::Files, QDir::Name);
    for (const QFileInfo& program : programs) {
        const QString path = program.absoluteFilePath();
        QAction* a = examplesMenu_->addAction(program.fileName(), this, [this, path] { openExample(path); });
        a->setStatusTip(QDir::toNativeSeparators(path));
    }
    examplesMenu_->menuAction()->setVisible(!programs.isEmpty());
}

TEditeur* TMainForm::openExample(const QString& path) {
    TEditeur* editor = createEditorChild(captionPrefix() + QFileInfo(path).fileName());
    if (!editor->OpenFile(path)) {
        if (auto* window = qobject_cast<QMdiSubWindow*>(editor->parentWidget())) window->close();
        return nullptr;
    }
    // The learner works on a copy: the installed example is shared and read-only, so
    // "Enregistrer" asks where to put the program, as for a new one.
    editor->DocumentPath.clear();
    return editor;
}

void TMainForm::fillRecentFiles() {
    // Later, not now: the action chosen may be the one running this.
    for (QAction* a : recentActions_) {
        fileMenu_->removeAction(a);
        a->setObjectName(QString());
        a->deleteLater();
    }
    recentActions_.clear();
    const QStringList paths = recent_->paths();
    for (int i = 0; i < paths.size(); ++i) {
        const QString path = paths[i];
        QString shown = QDir::toNativeSeparators(path);
        shown.replace('&', QStringLiteral("&&")); // an "&" of the name is no access key
        auto* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown), this);
        a->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        a->setStatusTip(QStringLiteral("Ouvrir %1").arg(QDir::toNativeSeparators(path)));
        connect(a, &QAction::triggered, this, [this, path] { openRecent(path); });
        fileMenu_->insertAction(recentSeparator_, a);
        recentActions_.push_back(a);
    }
    recentSeparator_->setVisible(!paths.isEmpty());
}

void TMainForm::rememberFile(const QString& path) {
    recent_->add(path);
    fillRecentFiles();
}

void TMainForm::openRecent(const QString& path) {
    if (!QFileInfo::exists(path)) {
        recent_->remove(path);
        fillRecentFiles();
        const QString text = QStringLiteral("Le fichier %1 n'existe plus. Il est retiré de la liste des fichiers récents.")
                                 .arg(QDir::toNativeSeparators(path));
        if (messageHook) messageHook(text);
        else QMessageBox::information(this, windowTitle(), text);
        return;
    }
    openPath(path);
}

TEditeur* TMainForm::bringToFront(const QString& path) {
    const QString wanted = RecentFiles::identity(path);
    for (TEditeur* e : editors()) {
        if (e->DocumentPath.isEmpty() || RecentFiles::identity(e->DocumentPath) != wanted) continue;
        if (auto* window = qobject_cast<QMdiSubWindow*>(e->parentWidget())) {
            if (window->isMinimized()) window->showNormal();
            mdiArea_->setActiveSubWindow(window);
        }
        return e;
    }
    return nullptr;
}

void TMainForm::openHandedOver(const QStringList& paths) {
    for (const QString& path : paths) openPath(path);
    // The frame comes forward as it was (maximised, usually), not minimised.
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

} // namespace zef
