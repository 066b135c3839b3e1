// TEditeur: the editor window of one program document, inside the main window's MDI area.
// The document logic lives in document.h and runcontrol.h; this window wires the memo,
// the dialogs and the screen window to it.
#pragma once

#include "colormemo.h"
#include "document.h"
#include "editing.h"
#include "listing.h"
#include "runcontrol.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QDialog;
class QKeyEvent;
class QPrinter;

namespace zef {

class TForm3;
class TFindDialog;
struct GeneratorWindows;
struct GeneratedText;

// The start of every document window's caption, as the interpreter gives it to the screen.
inline QString captionPrefix() {
    return QString::fromLatin1(zef::CaptionPrefix.data(), static_cast<qsizetype>(zef::CaptionPrefix.size()));
}

class TEditeur : public QWidget {
    Q_OBJECT
public:
    // The run state (current line, step mode) is shared by every editor window.
    TEditeur(TForm3& screen, editor::RunState& runState, QWidget* parent = nullptr);
    ~TEditeur() override;

    TColorMemo* Memo1;
    QString DocumentPath; // empty for a new document

    // Document (file commands, printing, clipboard).
    void Raz();
    bool OpenFile(const QString& path);
    bool SaveAs();
    bool Enregistrer();
    void Imprimer();
    void Copier();
    void Couper();
    void Coller();
    void ToutSelectionner();
    void Importer();
    // Run control.
    void Executer();
    void Continuer2();
    void Arret();
    void Pasapas(bool checked);
    // Editing commands and code insertion (teditor_editing.cpp).
    void Chercher();
    void Find(TFindDialog& sender);
    void Continuer();
    void Remplacer();
    void Replace(TFindDialog& sender);
    void ListeSubs();
    void Instructions();
    void Forg();
    void whileg();
    void Dog();
    void Ifg();
    void Liref();
    void Ecriref();
    void Imprimf();
    TFindDialog* FindDialog1 = nullptr;
    TFindDialog* ReplaceDialog1 = nullptr;
    // The generator dialogs and pick lists the main window made; an editor on its own
    // makes its own set when it first needs one.
    void setGenerators(GeneratorWindows* windows) { generators_ = windows; }
    GeneratorWindows& generators();
    // Window events.
    void FormActivate();
    void FormDeactivate();
    // Asks whether unsaved changes may go (saving them on "Oui"); true when the window
    // may close. The frame asks every window first and closes them only when all agree.
    bool FormCloseQuery();
    void agreeToClose(bool agreed) { closeAgreed_ = agreed; }

    // A document taken back from a backup: its file, encoding and text, not saved yet.
    // Characters the editor cannot keep (a backup of an older version may hold them) are
    // replaced by "?", and the user is told which.
    void RestoreText(const QString& path, editor::Encoding encoding, const QString& text);
    // Whether a text may go into the program: one holding characters that Windows-1252
    // cannot keep is refused, with a message naming them, so that the window never shows
    // what the file and the run would not have.
    bool acceptText(const QString& text);
    QString plainText() const;
    double zoomFactor() const { return zoom_; }
    void setZoom(double factor);

    // The printer that "Configuration impression..." sets up, shared by the editors.
    void setPrinter(QPrinter* printer) { printer_ = printer; }
    QStringList lines() const;
    editor::Encoding encoding() const { return encoding_; }
    // Hooks for the tests: file dialogs and question boxes answered without a window.
    std::function<QString(const QString& title, const QString& filter, const QString& name)> saveFileHook;
    std::function<QString(const QString& title, const QString& filter, const QString& name)> openFileHook;
    std::function<int(const QString& question)> questionHook; // a QMessageBox::StandardButton
    std::function<void(const QString& text)> messageHook;
    // Receives each error of a run (message, line counted from 1 or 0, the line's text)
    // instead of its box.
    std::function<void(const QString& message, int line, const QString& lineText)> runErrorHook;
    // The line a stopped run stands at, as marked in the text (-1: none).
    int markedStopLine() const { return markedStopLine_; }
    // The document's name as its title shows it: the file name, or "PAS2.PAS" for a new one.
    QString documentName() const;

    // What the learner finds in any editor (teditor_view.cpp): undo and redo, going to a
    // line, line numbers, a fixed-width font, the caption with its modified mark.
    void Annuler();
    void Retablir();
    void AllerALaLigne(); // asks for a line number
    void goToLine(int line); // 1-based; a number past either end goes to that end
    std::function<int(int lineCount)> lineNumberHook; // answers AllerALaLigne's question (0: cancelled)
    void setLineNumbers(bool on);
    void setFixedPitch(bool on);
    bool fixedPitch() const { return fixedPitch_; }
    // The caption without the mark of unsaved changes ("ZuzOvozov - essai.pas").
    QString caption() const;
    // What Imprimer prints: the lines, the document's name, today's date, the numbers
    // when the margin shows them.
    Listing listing() const;

signals:
    void captionChanged(const QString& caption);
    // The document was written to this file (the recent files list it).
    void saved(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class MemoText;
    bool textLocked() const; // a run is in progress: the text must not change
    void takeFocusBack();
    void reportRunErrors();
    // Shows where the run stands (status bar, screen title) and marks the line it stopped
    // at, from the errors it reported.
    void showRunState(const QString& firstError, std::int32_t errorLine);
    void markStoppedLine(int line, bool onError);
    struct RunError {
        QString message;
        std::int32_t line;  // 0-based line of the program
        QString detail = {}; // what the message was about, when it does not say
    };
    std::vector<RunError> runErrors_; // a run abandoned by the platform
    int markedStopLine_ = -1;
    void showMessage(const QString& text);
    QString askSaveFile(const QString& title, const QString& filter, const QString& name);
    QString askOpenFile(const QString& title, const QString& filter, const QString& name);
    // Writes the text (with another first line when given) to path; asks before replacing a
    // read-only file and reports a failure.
    bool saveTo(const QString& path, const std::optional<std::string>& firstLine);

    TForm3& screen_;
    std::unique_ptr<MemoText> text_;
    std::unique_ptr<editor::RunControl> runControl_;
    class ScreenRunner;
    std::unique_ptr<ScreenRunner> runner_;
    editor::Encoding encoding_ = editor::Encoding::Utf8;
    QPrinter* printer_ = nullptr;
    bool closeAgreed_ = false;
    double zoom_ = 1.0;
    bool fixedPitch_ = false;
    void setUpView(); // the remembered view, the light colours, the modified mark

    // Editing (teditor_editing.cpp).
    void setUpEditing();
    // Enter in the memo: the new line takes the reference line's indentation.
    bool FormKeyPress(QKeyEvent* event);
    // Puts a text in place of the selection, the caret `caret` characters into it.
    void insertText(const QString& text, int caret);
    void insertFragment(const QString& fragment, editor::Insertion kind);
    // Shows a generator dialog modally, then inserts what it produced.
    void generate(QDialog& dialog, const std::function<GeneratedText()>& result, editor::Insertion kind);
    GeneratorWindows* generators_ = nullptr;
    std::shared_ptr<GeneratorWindows> ownGenerators_; // dialogs owned by this window
};

} // namespace zef
