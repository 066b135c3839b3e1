#include "tmainform.h"

#include "aboutbox.h"
#include "debugwindows.h"
#include "editing.h"
#include "essaisview.h"
#include "generators.h"
#include "helpviewer.h"
#include "placement.h"
#include "qttext.h"
#include "regional.h"
#include "settingsfile.h"
#include "tcalendrier.h"
#include "teditor.h"
#include "text.h"
#include "tform12.h"
#include "tform3.h"
#include "variablesview.h"
#include "thorloge.h"
#include "tpocket.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QTextBlock>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace zef {

namespace {

// A tool-bar picture: the desktop theme's icon when there is one, else a drawn letter.
QIcon toolIcon(const QString& themeName, QStyle::StandardPixmap fallback, const QString& letter) {
    if (QIcon::hasThemeIcon(themeName)) return QIcon::fromTheme(themeName);
    if (fallback != QStyle::SP_CustomBase) return QApplication::style()->standardIcon(fallback);
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    QFont f;
    f.setBold(true);
    f.setPixelSize(15);
    p.setFont(f);
    // In the palette's colour, so that it reads on a dark tool bar as well as a light one.
    p.setPen(QApplication::palette().color(QPalette::ButtonText));
    p.drawText(pm.rect(), Qt::AlignCenter, letter);
    return QIcon(pm);
}

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("MainForm");
    setWindowTitle(QStringLiteral("Zef Pascal"));
    setWindowIcon(programIcon());
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);

    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // The single-instance windows live as long as the main window.
    about_ = new TAboutBox(this);
    form12_ = new TForm12(this);
    form3_ = new TForm3(form12_, this);
    help_ = new ::THelpViewer(this);
    help_->setWindowFlag(Qt::Window);
    form3_->openHelp = [this](const QString& target) { help_->showTopic(target); };
    calendrier_ = new TCalendrier(this);
    horloge_ = new THorloge(this);
    pocket_ = new TPocket(this);

    // The single-instance windows of the editing commands, shared by the editors.
    generators_ = std::make_unique<GeneratorWindows>(this);
    // The keyword list says what each word does, as the help's index names its entry.
    generators_->MotsCle->setExplainer([this](const QString& word) {
        const HelpKeyword* entry = help_->index().entryFor(word.toStdString());
        return entry ? QString::fromStdString(entry->title) : QString();
    });
    buildMenus();
    buildDebuggingViews();
    buildEssaisView();
    buildToolBar();

    StatusLine = new QLabel(this);
    StatusLine->setObjectName("StatusLine");
    Panel2 = new QLabel(this);
    Panel2->setObjectName("Panel2");
    Panel2->setFixedWidth(76);
    Panel2->setAlignment(Qt::AlignCenter);
    statusBar()->addWidget(StatusLine, 1);
    statusBar()->addPermanentWidget(Panel2);

    regional_ = regionalSettingsFromQt();
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    Timer1->start();
    Timer1Timer();

    recovery_ = std::make_unique<RecoveryStore>(
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath("recuperation"));
    if (!recovery_->start()) {
        // No backups then, but the IDE works; the user is told once the frame shows.
        backupProblem_ = recovery_->problem();
        recovery_.reset();
    }
    backupTimer_ = new QTimer(this);
    backupTimer_->setInterval(60 * 1000);
    connect(backupTimer_, &QTimer::timeout, this, &TMainForm::backupDocuments);
    backupTimer_->start();

    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        // Only a change from one editor to another counts: the frame losing the focus to
        // the screen window and getting it back leaves the step mode as it is.
        if (window && window != lastActive_) {
            if (lastActive_)
                if (auto* e = qobject_cast<TEditeur*>(lastActive_->widget())) e->FormDeactivate();
            if (auto* e = qobject_cast<TEditeur*>(window->widget())) e->FormActivate();
            lastActive_ = window;
        }
        // The Essais view's results are stale while another program is the active one.
        essaisView_->setProgramActive(essaisEditor_ && activeEditor() == essaisEditor_);
        UpdateMenuItems();
    });
    buildConveniences();
    UpdateMenuItems();
}

TMainForm::~TMainForm() {
    // The active-window notification and the editors' last signals must not reach a frame
    // that is being taken apart.
    disconnect(mdiArea_, nullptr, this, nullptr);
    // Every editor, including those whose closed window waits for deletion.
    for (TEditeur* e : findChildren<TEditeur*>()) e->disconnect(this);
}

QAction* TMainForm::addItem(QMenu* menu, const QString& name, const QString& caption,
                            const QString& hint, std::function<void()> run, const QKeySequence& shortcut) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    a->setStatusTip(hint);
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::ApplicationShortcut);
    }
    connect(a, &QAction::triggered, this, [run = std::move(run)] { run(); });
    menu->addAction(a);
    return a;
}

QAction* TMainForm::action(const QString& objectName) const { return findChild<QAction*>(objectName); }

void TMainForm::onEditor(void (TEditeur::*operation)()) {
    if (TEditeur* e = activeEditor()) (e->*operation)();
}

void TMainForm::editCommand(void (TEditeur::*onProgram)(), void (*onLine)(QLineEdit&)) {
    // The editing commands act where the keyboard is. With the keyboard in the frame they
    // act on the active program; in another window (the screen, the help, a utility) on a
    // line of text that has it (the input line of a READ), never on a program hidden
    // behind that window. Ctrl+C on the screen window copies what it shows.
    QWidget* focus = QApplication::focusWidget();
    if (!focus || focus->window() == this) return onEditor(onProgram);
    if (auto* line = qobject_cast<QLineEdit*>(focus)) return onLine(*line);
    if (focus == form3_ && onProgram == &TEditeur::Copier) form3_->copyText();
}

void TMainForm::buildMenus() {
    auto child = [this](QAction* a) {
        childActions_.push_back(a);
        return a;
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("&Fichier"));
    file->setObjectName("File1");
    file->menuAction()->setStatusTip(QStringLiteral("Quitter cette application"));
    addItem(file, "FileNewItem", "&Nouveau", "Créer un nouveau fichier", [this] { FileNew(); });
    addItem(file, "FileOpenItem", "&Ouvrir", "Ouvrir un fichier existant", [this] { FileOpen(); });
    child(addItem(file, "FileCloseItem", "&Fermer", "Fermer le fichier en cours", [this] { FileClose(); }));
    file->addSeparator();
    child(addItem(file, "FileSaveItem", "&Enregistrer", "Enregistrer le fichier en cours",
                  [this] { if (TEditeur* e = activeEditor()) e->Enregistrer(); }));
    child(addItem(file, "FileSaveAsItem", "Enregistrer &sous...", "Enregistrer le fichier en cours sous...",
                  [this] { if (TEditeur* e = activeEditor()) e->SaveAs(); }));
    child(addItem(file, "Importer1", "I&mporter", "Importerr un fichier", [this] { onEditor(&TEditeur::Importer); }));
    file->addSeparator();
    child(addItem(file, "Imprimer1", "&Imprimer...", "Imprimer le fichier", [this] { onEditor(&TEditeur::Imprimer); }));
    addItem(file, "Configurationimpression1", "&Configuration impression...", "Configurer l'imprimante", [this] {
        QPageSetupDialog dialog(printer_.get(), this);
        dialog.exec();
    });
    file->addSeparator();
    addItem(file, "FileExitItem", "&Quitter", "Quitter l'application", [this] { close(); });
    buildFileHistory(file);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edition"));
    edit->setObjectName("Edit1");
    child(addItem(edit, "CutItem", "&Couper", "Couper vers le Presse-papiers",
                  [this] { editCommand(&TEditeur::Couper, [](QLineEdit& l) { l.cut(); }); }, QKeySequence(Qt::CTRL | Qt::Key_X)));
    child(addItem(edit, "CopyItem", "Co&pier", "Copier vers le Presse-papiers",
                  [this] { editCommand(&TEditeur::Copier, [](QLineEdit& l) { l.copy(); }); }, QKeySequence(Qt::CTRL | Qt::Key_C)));
    child(addItem(edit, "PasteItem", "C&oller", "Coller depuis le Presse-papiers",
                  [this] { editCommand(&TEditeur::Coller, [](QLineEdit& l) { l.paste(); }); }, QKeySequence(Qt::CTRL | Qt::Key_V)));
    child(addItem(edit, "Toutslectionner1", "&Tout sélectionner", "Sélectionner tout le texte",
                  [this] { editCommand(&TEditeur::ToutSelectionner, [](QLineEdit& l) { l.selectAll(); }); }));
    edit->addSeparator();
    child(addItem(edit, "Rechercher1", "Rec&hercher...", "Rechercher le texte", [this] { onEditor(&TEditeur::Chercher); }));
    child(addItem(edit, "Continuer1", "Co&ntinuer", "Continer la recherche", [this] { onEditor(&TEditeur::Continuer); }, QKeySequence(Qt::Key_F3)));
    child(addItem(edit, "Remplacer1", "Re&mplacer...", "Remplacer un texte", [this] { onEditor(&TEditeur::Remplacer); }));

    QMenu* view = menuBar()->addMenu(QStringLiteral("&Voir"));
    view->setObjectName("N7");
    child(addItem(view, "subs1", "&Procédures...", "voir liste des subs", [this] { onEditor(&TEditeur::ListeSubs); }, QKeySequence(Qt::Key_F2)));
    child(addItem(view, "Tabledessymboles1", "&Table des symboles", "Afficher la table des symboles", [this] { Stats(); }));
    child(addItem(view, "Examinervariable1", "&Examiner variable...", "Voir la valeur de la variable", [this] { Examiner(); }));

    QMenu* run = menuBar()->addMenu(QStringLiteral("E&xécuter"));
    run->setObjectName("N4");
    child(addItem(run, "Excuter1", "&Exécuter", "Exécuter le programme", [this] { onEditor(&TEditeur::Executer); },
                  QKeySequence(Qt::Key_F9)));
    child(addItem(run, "TesterEssais1", "Tester avec les e&ssais", "Exécuter le programme sur chacun de ses essais",
                  [this] { TesterEssais(); }));
    run->addSeparator();
    child(addItem(run, "Pointdarrt1", "&Point d'arrêt", "Poser un point d'arrêt", [this] { onEditor(&TEditeur::Arret); },
                  QKeySequence(Qt::Key_F5)));
    child(addItem(run, "Continuer2", "&Continuer", "Continue l'éxécution", [this] { onEditor(&TEditeur::Continuer2); },
                  QKeySequence(Qt::Key_F7)));
    // Stops a running program at the line it has reached, and the runs of "Tester avec les
    // essais".
    child(addItem(run, "Arreter1", "Arrê&ter", "Arrêter le programme en cours", [this] {
                      form3_->requestInterrupt();
                      if (essaisView_) essaisView_->stop();
                  },
                  QKeySequence(Qt::CTRL | Qt::Key_F2)));
    Pasapas_ = child(addItem(run, "Pasapas", "&Mode pas à pas", "Exécute en pas à pas", [this] {
        if (TEditeur* e = activeEditor()) e->Pasapas(Pasapas_->isChecked());
    }));
    Pasapas_->setCheckable(true);
    child(addItem(run, "Paramtres1", "P&aramètres...", "Paramètrtes d'exécution", [this] { Param(); }));

    QMenu* program = menuBar()->addMenu(QStringLiteral("&Programmer"));
    program->setObjectName("Ptogrammer1");
    child(addItem(program, "Motscl1", "&Mots clé...", " Les instructions pascal", [this] { onEditor(&TEditeur::Instructions); }));
    child(addItem(program, "BoucleFor1", "Boucle &For...", "Générer boucle For", [this] { onEditor(&TEditeur::Forg); }));
    child(addItem(program, "Bouclewhile1", "Boucle &Whille...", "Générer boucle while", [this] { onEditor(&TEditeur::whileg); }));
    child(addItem(program, "BoucleRepeat1", "Boucle &Repeat...", "Générer boucle Repeat", [this] { onEditor(&TEditeur::Dog); }));
    child(addItem(program, "ConditionIf1", "Condition &If...", "Générer condition If", [this] { onEditor(&TEditeur::Ifg); }));
    child(addItem(program, "Lecturefichier1", "&Lecture fichier...", "Ouvrir un fichier en lecture", [this] { onEditor(&TEditeur::Liref); }));
    child(addItem(program, "Ecriturefichier1", "&Ecriture fichier...", "Ouvrir un fichier en écriture", [this] { onEditor(&TEditeur::Ecriref); }));
    child(addItem(program, "Impression1", "Im&pression", "Ouvrir l'imprimante", [this] { onEditor(&TEditeur::Imprimf); }));

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Utilitaires"));
    tools->setObjectName("N8");
    addItem(tools, "Calendrier1", "&Calendrier", "Calendrier", [this] { calendrier_->exec(); });
    addItem(tools, "Calculatrice1", "C&alculatrice", "Calculatrice", [this] { pocket_->exec(); });
    addItem(tools, "Horloge1", "&Horloge", "Horloge", [this] { horloge_->exec(); });

    Window1 = menuBar()->addMenu(QStringLiteral("Fe&nêtre"));
    Window1->setObjectName("Window1");
    Window1->menuAction()->setStatusTip(QStringLiteral("Commandes de fenêtres telles que Mosaïque et Cascade"));
    child(addItem(Window1, "WindowCascadeItem", "&Cascade", "Disposer les fenêtres en recouvrement",
                  [this] { cascade(); }));
    child(addItem(Window1, "WindowTileItem", "&Mosaïque", "Disposer les fenêtres sans recouvrement",
                  [this] { mdiArea_->tileSubWindows(); }));
    child(addItem(Window1, "WindowArrangeItem", "&Réorganiser les icônes",
                  "Disposer les fenêtres en bas de la fenêtre principale", [this] { arrangeIcons(); }));
    child(addItem(Window1, "WindowMinimizeItem", "&Tout réduire", "Minimiser toutes les fenêtres", [this] {
        const auto windows = mdiArea_->subWindowList();
        for (auto i = windows.size() - 1; i >= 0; --i) windows[i]->showMinimized();
    }));
    windowListSeparator_ = Window1->addSeparator();
    connect(Window1, &QMenu::aboutToShow, this, &TMainForm::fillWindowMenu);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Aide"));
    help->setObjectName("Help1");
    help->menuAction()->setStatusTip(QStringLiteral("Sujets d'aide"));
    addItem(help, "Index1", "&Index", "Index de l'aide", [this] { help_->showContents(); });
    addItem(help, "Rechercher2", "&Rechercher", "Rechercher", [this] { help_->showSearch(); });
    addItem(help, "Utiliserlaide1", "&Utiliser l'aide", "Utiliser l'aide", [this] { help_->showHelpOnHelp(); });
    help->addSeparator();
    addItem(help, "HelpAboutItem", "&A propos", "Informations sur le logiciel", [this] { about_->exec(); });

    // Each menu's section of the help, for F1 while the menu is open.
    const std::pair<QMenu*, const char*> topics[] = {
        {file, "fichier"},  {edit, "edition"},      {view, "voir"},     {run, "executer"},
        {program, "programmer"}, {tools, "utilitaires"}, {Window1, "fenetre"}, {help, "aide"}};
    for (const auto& [menu, anchor] : topics)
        menu->setProperty("helpTopic", QStringLiteral("ide-menus.html#") + QLatin1String(anchor));
    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
    f1->setContext(Qt::ApplicationShortcut);
    connect(f1, &QShortcut::activated, this, &TMainForm::contextHelp);
}

void TMainForm::contextHelp() {
    QString topic;
    // The open menu (or the one a submenu was opened from); the menus close first.
    for (int open = 0; open < 8; ++open) {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup) break;
        for (QWidget* w = popup; w && topic.isEmpty(); w = w->parentWidget())
            topic = w->property("helpTopic").toString();
        popup->close();
    }
    if (!topic.isEmpty()) return help_->showTopic(topic);
    // In a program: the entry of the word at the caret, or the search on it when the index
    // has no entry of that name (a variable of the program, a misspelt word).
    TEditeur* editor = activeEditor();
    if (editor && QApplication::focusWidget() == editor->Memo1) {
        const QTextCursor caret = editor->Memo1->textCursor();
        const QString word = QString::fromStdString(
            editor::WordAt(caret.block().text().toLatin1().toStdString(), caret.positionInBlock()));
        if (const HelpKeyword* entry = help_->index().entryFor(word.toStdString()))
            return help_->showTopic(QString::fromStdString(entry->target));
        if (!word.isEmpty()) return help_->showSearch(word);
    }
    help_->showContents();
}

void TMainForm::buildToolBar() {
    SpeedPanel = addToolBar(QStringLiteral("Outils"));
    SpeedPanel->setObjectName("SpeedPanel");
    SpeedPanel->setMovable(false);
    auto button = [this](const QString& name, const QString& hint, const QIcon& icon, QAction* same) {
        auto* a = new QAction(icon, hint, this);
        a->setObjectName(name);
        a->setToolTip(hint);
        a->setStatusTip(hint);
        connect(a, &QAction::triggered, same, &QAction::trigger);
        SpeedPanel->addAction(a);
        return a;
    };
    button("FileNew1Btn", "Nouveau", toolIcon("document-new", QStyle::SP_FileIcon, "N"), action("FileNewItem"));
    button("OpenBtn", "Ouvrir", toolIcon("document-open", QStyle::SP_DialogOpenButton, "O"), action("FileOpenItem"));
    childActions_.push_back(button("SaveBtn", "Enregistrer", toolIcon("document-save", QStyle::SP_DialogSaveButton, "E"),
                                   action("FileSaveItem")));
    // The clipboard buttons run the "Edition" commands of the same name.
    childActions_.push_back(
        button("CutBtn", "Couper", toolIcon("edit-cut", QStyle::SP_CustomBase, "✂"), action("CutItem")));
    childActions_.push_back(
        button("CopyBtn", "Copier", toolIcon("edit-copy", QStyle::SP_CustomBase, "C"), action("CopyItem")));
    childActions_.push_back(
        button("PasteBtn", "Coller", toolIcon("edit-paste", QStyle::SP_CustomBase, "V"), action("PasteItem")));
    childActions_.push_back(button("ExecButton", "Exécuter", toolIcon("media-playback-start", QStyle::SP_CustomBase, "▶"),
                                   action("Excuter1")));
}

void TMainForm::fillWindowMenu() {
    // The list of child windows after the window commands, the active one checked.
    const auto actions = Window1->actions();
    bool after = false;
    for (QAction* a : actions) {
        if (after) {
            Window1->removeAction(a);
            a->deleteLater();
        }
        if (a == windowListSeparator_) after = true;
    }
    const auto windows = mdiArea_->subWindowList();
    windowListSeparator_->setVisible(!windows.isEmpty());
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* w = windows[i];
        // The caption as its title bar shows it, "*" for unsaved changes included.
        QString title = w->windowTitle();
        title.replace(QStringLiteral("[*]"), w->isWindowModified() ? QStringLiteral("*") : QString());
        QAction* a = Window1->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title));
        a->setCheckable(true);
        a->setChecked(w == mdiArea_->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w] {
            // A minimised window chosen from the list comes back to its size.
            if (w->isMinimized()) w->showNormal();
            mdiArea_->setActiveSubWindow(w);
        });
    }
}

void TMainForm::cascade() {
    // Each window keeps a size at which a program can be read (two thirds of the frame, and
    // never less than a new editor's), one title bar lower and to the right of the one
    // before; the active window ends on top.
    const auto windows = mdiArea_->subWindowList(QMdiArea::StackingOrder);
    if (windows.isEmpty()) return;
    QMdiSubWindow* active = mdiArea_->activeSubWindow();
    const QSize area = mdiArea_->viewport()->size();
    const int step = std::max(20, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows.first()) + 4);
    const QSize size = QSize(area.width() * 2 / 3, area.height() * 2 / 3).expandedTo(QSize(502, 265)).boundedTo(area);
    int x = 0, y = 0;
    for (QMdiSubWindow* w : windows) {
        if (w->isMinimized() || w->isMaximized()) w->showNormal();
        if (x + size.width() > area.width() || y + size.height() > area.height()) x = y = 0;
        w->setGeometry(QRect(QPoint(x, y), size));
        w->raise();
        x += step;
        y += step;
    }
    if (active) mdiArea_->setActiveSubWindow(active);
}

void TMainForm::arrangeIcons() {
    // Minimised windows in a row along the bottom of the frame.
    int x = 0;
    const int bottom = mdiArea_->viewport()->height();
    for (QMdiSubWindow* w : mdiArea_->subWindowList()) {
        if (!w->isMinimized()) continue;
        w->move(x, bottom - w->height());
        x += w->width();
    }
}

TEditeur* TMainForm::createEditorChild(const QString& caption) {
    auto* editor = new TEditeur(*form3_, runState_);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->setPrinter(printer_.get());
    editor->setGenerators(generators_.get());
    if (onEditorCreated) onEditorCreated(*editor);
    editor->setWindowTitle(caption);
    QMdiSubWindow* window = mdiArea_->addSubWindow(editor);
    window->setWindowIcon(programIcon());
    window->setAttribute(Qt::WA_DeleteOnClose);
    settleNewEditor(window);
    connect(editor, &TEditeur::saved, this, &TMainForm::rememberFile);
    // A closed window's backup goes with it: it was saved or its changes were refused.
    const QString backupId = QString::number(++nextBackupId_);
    editor->setProperty("backupId", backupId);
    connect(editor, &QObject::destroyed, this, [this, backupId] {
        if (recovery_) recovery_->remove(backupId);
    });
    connect(window, &QObject::destroyed, this, [this] { QTimer::singleShot(0, this, &TMainForm::UpdateMenuItems); });
    window->show();
    mdiArea_->setActiveSubWindow(window);
    UpdateMenuItems();
    return editor;
}

TEditeur* TMainForm::FileNew() {
    const int n = static_cast<int>(mdiArea_->subWindowList().size());
    TEditeur* editor = createEditorChild((captionPrefix() + QStringLiteral("PAS%1.PAS")).arg(n + 1));
    editor->Memo1->Select(editor::kTemplateCaretOffset, 0);
    editor->Memo1->setFocus();
    return editor;
}

TEditeur* TMainForm::FileOpen() {
    const QString path = openFileHook ? openFileHook()
                                      : QFileDialog::getOpenFileName(
                                            this, QStringLiteral("Ouvrir"), QStringLiteral("*.pas"),
                                            // "*" rather than "*.*", which would hide the
                                            // files without a dot.
                                            QStringLiteral("Fichiers pascal (*.pas);;Tous les fichiers (*)"));
    if (path.isEmpty()) return nullptr;
    return openPath(path);
}

TEditeur* TMainForm::openPath(const QString& path) {
    // Never two windows on one file: the open one comes to the front.
    if (TEditeur* open = bringToFront(path)) {
        rememberFile(open->DocumentPath);
        return open;
    }
    TEditeur* editor = createEditorChild(captionPrefix() + QFileInfo(path).fileName());
    if (!editor->OpenFile(path)) {
        // Nothing was read: no window for it.
        if (auto* window = qobject_cast<QMdiSubWindow*>(editor->parentWidget())) window->close();
        return nullptr;
    }
    rememberFile(editor->DocumentPath);
    return editor;
}

void TMainForm::FileClose() {
    if (QMdiSubWindow* w = mdiArea_->activeSubWindow()) w->close();
}

bool TMainForm::backupDocuments() {
    if (!recovery_) return false;
    bool all = true;
    for (TEditeur* e : editors()) {
        const QString id = e->property("backupId").toString();
        if (!e->Memo1->document()->isModified()) {
            if (e->property("backupRevision").isValid()) recovery_->remove(id);
            e->setProperty("backupRevision", QVariant());
            continue;
        }
        // A text not edited since its last backup is not written again.
        const int revision = e->Memo1->document()->revision();
        if (e->property("backupRevision") == revision) continue;
        const bool saved = recovery_->save({id, e->DocumentPath, e->caption(),
                                            e->encoding() == editor::Encoding::Windows1252, e->plainText()});
        if (saved) e->setProperty("backupRevision", revision);
        else backupProblem_ = recovery_->problem();
        all = saved && all;
    }
    if (!all) warnBackupsOff();
    return all;
}

void TMainForm::warnBackupsOff() {
    if (backupWarningGiven_ || backupProblem_.isEmpty()) return;
    backupWarningGiven_ = true;
    const QString text = QStringLiteral("Les sauvegardes automatiques des documents modifiés ne peuvent pas "
                                        "être écrites (%1). En cas de panne, les modifications non "
                                        "enregistrées seront perdues : enregistrez souvent.")
                             .arg(backupProblem_);
    if (warningHook) return warningHook(text);
    QMessageBox::warning(this, windowTitle(), text);
}

void TMainForm::openStartingProgram() {
    if (!editors().isEmpty()) {
        form3_->show(); // beside the files given
        return;
    }
    if (const auto settings = openSettings()) {
        const QString last = settings->value(QStringLiteral("session/dernierProgramme")).toString();
        if (!last.isEmpty() && QFileInfo(last).isFile()) openPath(last);
    }
    TEditeur* editor = editors().isEmpty() ? FileNew() : activeEditor();
    form3_->show();
    // The keyboard stays with the program.
    activateWindow();
    if (editor) editor->Memo1->setFocus(Qt::OtherFocusReason);
}

void TMainForm::offerRecovery() {
    if (!recovery_) return warnBackupsOff();
    std::vector<SkippedBackup> skipped;
    const auto found = recovery_->orphans(&skipped);
    QStringList names, notes;
    for (const DocumentBackup& b : found)
        names << (b.path.isEmpty() ? b.caption : QDir::toNativeSeparators(b.path));
    for (const SkippedBackup& s : skipped) notes << QDir::toNativeSeparators(s.file) + QStringLiteral(" : ") + s.reason;
    if (names.isEmpty() && notes.isEmpty()) return;
    const QString note = notes.isEmpty() ? QString()
                                         : QStringLiteral("\n\nFichiers de sauvegarde non lus, laissés en place :\n%1")
                                               .arg(notes.join('\n'));
    bool restore = false;
    if (recoveryHook) {
        restore = recoveryHook(names, notes);
    } else if (names.isEmpty()) {
        QMessageBox::information(this, windowTitle(), note.mid(2));
    } else {
        QMessageBox box(QMessageBox::Question, windowTitle(),
                        QStringLiteral("Des modifications non enregistrées ont été retrouvées "
                                       "(la dernière session ne s'est pas terminée normalement) :\n\n%1\n\n"
                                       "Voulez-vous les récupérer ?%2")
                            .arg(names.join('\n'), note),
                        QMessageBox::NoButton, this);
        QPushButton* yes = box.addButton(QStringLiteral("&Récupérer"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("&Abandonner"), QMessageBox::DestructiveRole);
        box.setDefaultButton(yes);
        box.exec();
        restore = box.clickedButton() == yes;
    }
    if (restore && !names.isEmpty()) {
        for (const DocumentBackup& b : found) {
            TEditeur* e = createEditorChild(b.caption.isEmpty() ? captionPrefix() : b.caption);
            e->RestoreText(b.path, b.cp1252 ? editor::Encoding::Windows1252 : editor::Encoding::Utf8, b.text);
        }
        // Backed up again at once under this session; the old copies go only once the new
        // ones are written.
        if (!backupDocuments()) return;
    }
    recovery_->discardOrphans();
}

TEditeur* TMainForm::activeEditor() const {
    QMdiSubWindow* w = mdiArea_->activeSubWindow();
    if (!w) {
        // The frame may have no active child while a dialog has the focus: take the last.
        const auto list = mdiArea_->subWindowList(QMdiArea::ActivationHistoryOrder);
        w = list.isEmpty() ? nullptr : list.last();
    }
    return w ? qobject_cast<TEditeur*>(w->widget()) : nullptr;
}

QList<TEditeur*> TMainForm::editors() const {
    QList<TEditeur*> out;
    for (QMdiSubWindow* w : mdiArea_->subWindowList())
        if (auto* e = qobject_cast<TEditeur*>(w->widget())) out << e;
    return out;
}

void TMainForm::UpdateMenuItems() {
    const bool any = !mdiArea_->subWindowList().isEmpty();
    for (QAction* a : childActions_) a->setEnabled(any);
}

void TMainForm::ShowStatusHint(const QString& hint) { StatusLine->setText(hint); }

void TMainForm::Timer1Timer() {
    const QTime t = QTime::currentTime();
    const DateTime now{2000, 1, 1, t.hour(), t.minute(), t.second()};
    Panel2->setText(fromCp1252(regional_.formatTime(now)));
}

bool TMainForm::event(QEvent* event) {
    // The hint of the menu item or button under the pointer goes to the status line.
    if (event->type() == QEvent::StatusTip) {
        ShowStatusHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::showEvent(QShowEvent* event) {
    if (!shown_) {
        shown_ = true;
        StartDirectory = QDir::currentPath();
    }
    QMainWindow::showEvent(event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (form3_->running()) {
        // Stop the program first; the window closes once the run has returned.
        form3_->requestInterrupt();
        event->ignore();
        auto connection = std::make_shared<QMetaObject::Connection>();
        *connection = connect(form3_, &TForm3::runningChanged, this, [this, connection](bool running) {
            if (running) return;
            disconnect(*connection);
            QTimer::singleShot(0, this, &QWidget::close);
        });
        return;
    }
    // Every window is asked first, and none closes unless all agree: a "Non" for one
    // document followed by "Annuler" for the next must not have thrown the first away.
    const QList<TEditeur*> all = editors();
    for (TEditeur* e : all) {
        if (e->FormCloseQuery()) {
            e->agreeToClose(true);
            continue;
        }
        for (TEditeur* other : all) other->agreeToClose(false);
        event->ignore();
        return;
    }
    // The program in front is the one the next start opens.
    const TEditeur* front = activeEditor();
    const QString last = front ? front->DocumentPath : QString();
    mdiArea_->closeAllSubWindows();
    if (!mdiArea_->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    if (const auto settings = openSettings()) settings->setValue(QStringLiteral("session/dernierProgramme"), last);
    // Programs and file dialogs may have changed the current directory.
    if (!StartDirectory.isEmpty()) QDir::setCurrent(StartDirectory);
    form3_->CloseAll();
    event->accept();
    QApplication::quit();
}

// ---- Debugging views ----------------------------------------------------------------

void TMainForm::buildDebuggingViews() {
    Interpreter& interpreter = form3_->interpreter();
    tableSymboles_ = new TTableSymboles(this);
    variable_ = new TVariable(interpreter, this);
    parametres_ = new TParametres(interpreter, this);

    variablesView_ = new TVariablesView(interpreter, this);
    variablesDock_ = new QDockWidget(QStringLiteral("Variables"), this);
    variablesDock_->setObjectName("VariablesDock");
    variablesDock_->setWidget(variablesView_);
    // On the left: the screen window stands at the right of the frame, beside the editors.
    addDockWidget(Qt::LeftDockWidgetArea, variablesDock_);
    variablesDock_->hide();
    // Should the screen window have been moved over it, the view comes out from under it.
    // (Once the frame has made room for it.)
    connect(variablesDock_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (!visible) return;
        QTimer::singleShot(0, this, [this] {
            if (!form3_->isVisible() || !variablesDock_->isVisible()) return;
            const QRect dock(variablesDock_->mapToGlobal(QPoint(0, 0)), variablesDock_->size());
            if (form3_->frameGeometry().intersects(dock)) placeScreenWindow();
            keepEditorsClearOfTheScreenWindow();
        });
    });
    // The dock's own show/hide command, in the "Voir" menu with the other views.
    QAction* toggle = variablesDock_->toggleViewAction();
    toggle->setObjectName("Variables1");
    toggle->setText(QStringLiteral("&Variables"));
    toggle->setStatusTip(QStringLiteral("Voir les variables du programme et leurs valeurs"));
    toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F7));
    toggle->setShortcutContext(Qt::ApplicationShortcut);
    if (QMenu* view = menuBar()->findChild<QMenu*>("N7")) view->addAction(toggle);
    childActions_.push_back(toggle); // like the rest of "Voir": there when a program is open
    // The view reads the tables once per stop of a run, never while it runs.
    connect(form3_, &TForm3::freshRunStarting, variablesView_, &TVariablesView::freshRunStarting);
    connect(form3_, &TForm3::runningChanged, variablesView_, [this](bool running) {
        if (!running) variablesView_->runStopped();
    });
}

void TMainForm::keepEditorsClearOfTheScreenWindow() {
    // The documents' area moved right (a view docked at its left): an editor whose right
    // part, title bar buttons included, went under the screen window is made narrower.
    const QRect screen = form3_->frameGeometry();
    for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
        if (window->isMaximized() || window->isMinimized()) continue;
        const QRect outer(window->mapToGlobal(QPoint(0, 0)), window->size());
        if (!outer.intersects(screen) || outer.left() >= screen.left()) continue;
        const int width = std::max(placement::kSmallestEditor.width(), screen.left() - placement::kScreenGap - outer.left());
        if (width < window->width()) window->resize(width, window->height());
    }
}

void TMainForm::Stats() { tableSymboles_->Stats(form3_->interpreter()); }
void TMainForm::Examiner() { variable_->Examiner(); }
void TMainForm::Param() { parametres_->Param(); }

} // namespace zef
