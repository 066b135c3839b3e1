// TMainForm: the frame of the IDE. An MDI area of editor windows, the French menus, the
// tool bar, the status bar with the hint and the time, and the routing of every command to
// the active editor, the screen window or a single-instance window.
#pragma once

#include "recentfiles.h"
#include "recovery.h"
#include "regional.h"
#include "runcontrol.h"

#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QDockWidget;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QPrinter;
class QToolBar;
class THelpViewer;

namespace zef {

class TEditeur;
class TForm3;
class TForm12;
class TAboutBox;
class TTableSymboles;
class TVariable;
class TParametres;
class TVariablesView;
class TEssaisView;
struct GeneratorWindows;
class TCalendrier;
class THorloge;
class TPocket;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Commands of the "Fichier" menu.
    TEditeur* FileNew();
    TEditeur* FileOpen();
    TEditeur* openPath(const QString& path);
    void FileClose();
    // Enables the commands that need an editor window when at least one is open.
    void UpdateMenuItems();
    void ShowStatusHint(const QString& hint);
    // F1: the help on the menu that is open (its section of the menus page), else the
    // help's contents.
    void contextHelp();

    TEditeur* activeEditor() const;
    QList<TEditeur*> editors() const;
    QMdiArea* mdiArea() const { return mdiArea_; }
    TForm3& screen() const { return *form3_; }
    TForm12& inputLine() const { return *form12_; }
    ::THelpViewer& helpViewer() const { return *help_; }
    QAction* action(const QString& objectName) const;
    QLabel* statusLine() const { return StatusLine; }
    QLabel* timePanel() const { return Panel2; }
    // Where the last run stands ("Exécution...", "Arrêté ligne 8 : ...").
    QLabel* runStatePanel() const { return runStatePanel_; }
    const QString& startDirectory() const { return StartDirectory; }
    // Backs up every modified document (every minute) and drops the backups of the others.
    bool backupDocuments(); // false when a backup could not be written
    // Offers back the documents that a session which did not end left unsaved.
    void offerRecovery();
    // The first screen, when no file was given or taken back: the program that was active
    // at the last exit if it still exists, else a new one from the template, with the
    // screen window beside it, ready for F9 (beside the files given, if any).
    void openStartingProgram();
    RecoveryStore* recoveryStore() const { return recovery_.get(); }

    // The debugging windows: the symbol listing, the examine window, the run parameters
    // and the live Variables view docked in the frame.
    void Stats();
    void Examiner();
    void Param();
    TTableSymboles& symbolTable() const { return *tableSymboles_; }
    TVariable& examineWindow() const { return *variable_; }
    TParametres& parametersWindow() const { return *parametres_; }
    QDockWidget* variablesDock() const { return variablesDock_; }
    TVariablesView& variablesView() const { return *variablesView_; }
    // "Exécuter > Tester avec les essais" (tmainform_essais.cpp): the active program, as
    // its editor holds it, on every case of its cases folder, shown in the "Essais" dock.
    void TesterEssais();
    QDockWidget* essaisDock() const { return essaisDock_; }
    TEssaisView& essaisView() const { return *essaisView_; }
    // Tests choose the cases folder without a dialog (empty: cancelled); given the folder
    // proposed, NAME.essais beside the program.
    std::function<QString(const QString& proposed)> casesFolderHook;
    // Tests answer the open dialog without a window, and give new editors their hooks.
    std::function<QString()> openFileHook;
    // Tests answer the recovery question without a window: the documents' names, and the
    // notes on the backups that were not read back ("file : reason").
    std::function<bool(const QStringList& names, const QStringList& notes)> recoveryHook;
    // Tests see the one warning that backups cannot be written.
    std::function<void(const QString& text)> warningHook;
    std::function<void(TEditeur&)> onEditorCreated;

    // The status bar's "Ligne L, colonne C" of the active editor (empty without one).
    QLabel* caretPanel() const { return caretPanel_; }
    // Files from outside the frame (tmainform_files.cpp): the recent files and the
    // examples of "Fichier", and the files a second start of the IDE hands over.
    // Each handed-over file opens in a window of its own, or comes to the front when it is
    // open already; then the frame comes forward.
    void openHandedOver(const QStringList& paths);
    QStringList recentFiles() const { return recent_->paths(); }
    // Lists the example programs of the folder in "Fichier > Exemples" (hidden when none).
    void setExamplesFolder(const QString& folder);
    QMenu* examplesMenu() const { return examplesMenu_; }
    // Tests see the frame's own messages without a box.
    std::function<void(const QString& text)> messageHook;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption, const QString& hint,
                     std::function<void()> action, const QKeySequence& shortcut = {});
    void onEditor(void (TEditeur::*operation)());
    void editCommand(void (TEditeur::*onProgram)(), void (*onLine)(QLineEdit&));
    TEditeur* createEditorChild(const QString& caption);
    void buildMenus();
    void buildToolBar();
    void fillWindowMenu();
    void arrangeIcons();
    void cascade();
    void Timer1Timer();
    void buildDebuggingViews();
    void buildEssaisView();
    // The cases folder of a program: the one chosen for it before, else asked once.
    QString casesFolderFor(const TEditeur& editor);
    // What every beginner's editor has (tmainform_conveniences.cpp): undo and redo, the
    // usual shortcuts, "Aller à la ligne...", the view commands, the caret's place in the
    // status bar, the first places of the editors and of the screen window.
    void buildConveniences();
    void followActiveEditor(); // undo, redo and the caret's place follow the active editor
    void showCaretPosition();
    void settleNewEditor(QMdiSubWindow* window);
    void placeScreenWindow();
    void keepEditorsClearOfTheScreenWindow();
    bool openMenuFromScreen(QKeyEvent* event);
    void buildFileHistory(QMenu* file);
    void fillRecentFiles();
    void rememberFile(const QString& path);
    void openRecent(const QString& path);
    TEditeur* bringToFront(const QString& path); // the editor of that file, if open
    TEditeur* openExample(const QString& path);
    // Says once, the first time backups turn out to be impossible, that they are and why.
    void warnBackupsOff();

    QMdiArea* mdiArea_;
    QLabel* StatusLine;
    QLabel* Panel2;
    QLabel* runStatePanel_ = nullptr;
    QTimer* Timer1;
    QToolBar* SpeedPanel;
    QMenu* Window1 = nullptr;
    QAction* windowListSeparator_ = nullptr;
    QAction* Pasapas_ = nullptr;
    std::vector<QAction*> childActions_; // enabled only while an editor window is open
    TForm12* form12_;
    TForm3* form3_;
    ::THelpViewer* help_;
    TAboutBox* about_;
    TCalendrier* calendrier_; // the utilities, kept between openings
    THorloge* horloge_;
    TPocket* pocket_;
    editor::RunState runState_;
    QString StartDirectory;
    bool shown_ = false;
    QPointer<QMdiSubWindow> lastActive_; // the editor window last made active
    RegionalSettings regional_;          // for the time of day in the status bar
    std::unique_ptr<QPrinter> printer_;  // set up by "Configuration impression..."
    std::unique_ptr<RecoveryStore> recovery_;
    QTimer* backupTimer_;
    int nextBackupId_ = 0;
    QString backupProblem_; // why no backup can be written, while none can
    bool backupWarningGiven_ = false;
    TTableSymboles* tableSymboles_ = nullptr;
    TVariable* variable_ = nullptr;
    TParametres* parametres_ = nullptr;
    QDockWidget* variablesDock_ = nullptr;
    TVariablesView* variablesView_ = nullptr;
    QDockWidget* essaisDock_ = nullptr;
    TEssaisView* essaisView_ = nullptr;
    QPointer<TEditeur> essaisEditor_; // the editor whose program the Essais view shows
    std::unique_ptr<GeneratorWindows> generators_; // generator dialogs and pick lists
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QLabel* caretPanel_ = nullptr;
    QPointer<TEditeur> followed_;               // the editor undo, redo and the caret panel follow
    std::vector<QMetaObject::Connection> followedConnections_;
    bool screenPlaced_ = false;                 // the screen window had its first place
    std::unique_ptr<RecentFiles> recent_;
    QMenu* fileMenu_ = nullptr;
    QMenu* examplesMenu_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    std::vector<QAction*> recentActions_;
};

} // namespace zef
