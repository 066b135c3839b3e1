// TEditeur: the editor window of one program document, inside the main window's MDI area.
// The document logic lives in document.h and runcontrol.h; this window wires the memo,
// the dialogs and the screen window to it.
#pragma once

#include "colormemo.h"
#include "document.h"
#include "runcontrol.h"

#include <QWidget>

#include <memory>
#include <optional>

class QPrinter;

namespace zef {

class TForm3;

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
    // Window events.
    void FormActivate();
    void FormDeactivate();

    // The printer that "Configuration impression..." sets up, shared by the editors.
    void setPrinter(QPrinter* printer) { printer_ = printer; }
    // Prints lines on a printer in the given font, a new page when a page is full.
    static bool printLines(QPrinter& printer, const QStringList& lines, const QFont& font);
    QStringList lines() const;
    editor::Encoding encoding() const { return encoding_; }
    // Hooks for the tests: file dialogs and question boxes answered without a window.
    std::function<QString(const QString& title, const QString& filter, const QString& name)> saveFileHook;
    std::function<QString(const QString& title, const QString& filter, const QString& name)> openFileHook;
    std::function<int(const QString& question)> questionHook; // a QMessageBox::StandardButton
    std::function<void(const QString& text)> messageHook;

signals:
    void captionChanged(const QString& caption);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class MemoText;
    bool textLocked() const; // a run is in progress: the text must not change
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
};

} // namespace zef
