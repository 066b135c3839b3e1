// TEditeur: the editor window of one program document, inside the main window's MDI area.
// The document logic lives in document.h and runcontrol.h; this window wires the memo,
// the dialogs and the screen window to it.
#pragma once

#include "colormemo.h"
#include "document.h"
#include "runcontrol.h"

#include <QWidget>

#include <memory>

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
    // Asks whether unsaved changes may go (saving them on "Oui"); true when the window
    // may close. The frame asks every window first and closes them only when all agree.
    bool FormCloseQuery();
    void agreeToClose(bool agreed) { closeAgreed_ = agreed; }

    // A document taken back from a backup: its file, encoding and text, not saved yet.
    void RestoreText(const QString& path, editor::Encoding encoding, const QString& text);
    QString plainText() const;
    double zoomFactor() const { return zoom_; }
    void setZoom(double factor);

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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class MemoText;
    bool textLocked() const; // a run is in progress: the text must not change
    void takeFocusBack();
    void showMessage(const QString& text);
    QString askSaveFile(const QString& title, const QString& filter, const QString& name);
    QString askOpenFile(const QString& title, const QString& filter, const QString& name);

    TForm3& screen_;
    std::unique_ptr<MemoText> text_;
    std::unique_ptr<editor::RunControl> runControl_;
    class ScreenRunner;
    std::unique_ptr<ScreenRunner> runner_;
    editor::Encoding encoding_ = editor::Encoding::Utf8;
    QPrinter* printer_ = nullptr;
    bool closeAgreed_ = false;
    double zoom_ = 1.0;
};

} // namespace zef
