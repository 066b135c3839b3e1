// The screen window "Ecran": where interpreted programs draw their output. It keeps the
// texts drawn (ScreenRecord) and paints from them, so covering, moving, resizing or zooming
// it never loses output and the drawing is sharp at any pixel density. It owns the
// interpreter and is its platform: screen, messages, printer and poll hook.
#pragma once

#include "interpreter.h"
#include "screenrecord.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>

class QPainter;
class QPrinter;
class QScrollBar;

namespace zef {

class TForm12;

// The program's printer channel as one print job on the default printer: lines are laid
// out top to bottom in the screen font, with a new page when a page is full.
class QtPrinterDevice : public PrinterDevice {
public:
    QtPrinterDevice();
    ~QtPrinterDevice() override;
    bool open() override;
    bool write(const std::string& text) override;
    bool newLine() override;
    bool close() override;
    // Tests print to a PDF file instead of a printer.
    void setOutputFile(const QString& path) { outputFile_ = path; }

private:
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    QString line_;
    int y_ = 0;
    QString outputFile_;
};

// Where a run stands while the driver runs it (see setRunState).
inline constexpr const char* kRunningState = "Exécution...";
inline constexpr const char* kWaitingState = "En attente d'une saisie";

class TForm3 : public QWidget, public Screen, public MessageSink, public PollHook {
    Q_OBJECT
public:
    // The input line becomes a part of this window.
    explicit TForm3(TForm12* inputLine, QWidget* parent = nullptr);
    ~TForm3() override;

    // Published operations, forwarded to the interpreter. A fresh run starts on a clear
    // screen; `shownName` names a new document (no file yet) in the window's caption.
    void InitPrg(const QString& programName, const QString& shownName = {});
    void Exec(LineList& lines, std::int32_t& line, std::int32_t& step, std::int32_t& outStatus);
    int CloseAll();
    Interpreter& interpreter() { return *interpreter_; }

    // Asks the running program to stop at the next poll ("Arrêter", Escape), or at once
    // when it waits in the input line.
    void requestInterrupt();
    bool running() const { return running_; }
    // The drawing at a scale (1: one pixel per screen unit), white where nothing is drawn,
    // covering the window's drawing area and whatever was drawn beyond it.
    QImage canvas(qreal scale = 1.0) const;
    const ScreenRecord& record() const { return record_; }
    double zoomFactor() const { return zoom_; }
    void setZoom(double factor);
    // The context menu's commands: the drawing as text on the clipboard, as a PNG file,
    // on the printer. The file and printer dialogs can be answered by the hooks below.
    void copyText();
    // Writes the drawing as PNG: one file, or, for a drawing too tall for one picture,
    // several (path, then "-2", "-3"... before the extension). Answers how many were
    // written, 0 on failure.
    int savePicture(const QString& path);
    // The files savePicture writes for that path, first the path itself; with the height
    // of each picture in screen units and the scale of its pixels.
    QStringList picturePaths(const QString& path, int* pieceUnits = nullptr, qreal* scale = nullptr) const;
    bool printDrawing(QPrinter& printer);
    std::function<QString()> savePictureHook;
    QFont screenFont() const { return font(); }
    QtPrinterDevice& printer() { return printer_; }
    // When set, receives the texts of the modal boxes (errors and SHOWMESSAGE) instead of
    // showing them: the tests' way to answer them.
    std::function<void(const QString&)> messageBoxHook;
    // The errors the last run reported, in order; taken by whoever shows them once the run
    // is over and the caret stands on the line (without messageBoxHook).
    QStringList takeRunErrors();
    // Opens the help on a "page.html#anchor"; set by the main window.
    std::function<void(const QString& target)> openHelp;

    // Screen
    void prepare(const std::string& caption) override;
    void drawText(int x, int y, const std::string& text) override;
    int textWidth(const std::string& text) override;
    void clearScreen() override;
    std::string readLine(int x, int y) override;
    void showMessage(const std::string& text) override;
    // MessageSink
    void showError(const std::string& text) override;
    // PollHook
    bool poll() override;

    // Where the run stands ("Exécution...", "Pas à pas ligne 9"...): shown after the
    // program's name in the window's title, and told to whoever shows it elsewhere.
    void setRunState(const QString& state);
    QString runState() const { return runState_; }

signals:
    void runningChanged(bool running);
    // A fresh run starts, not the continuation of a stopped one.
    void freshRunStarting();
    void runStateChanged(const QString& state);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

public:
    // How far the drawing is scrolled, in screen units from its top.
    int scrollTop() const;
    QScrollBar* scrollBar() const { return vbar_; }

private:
    // The scroll bar's range follows what was drawn and the window's height; it shows only
    // when the drawing is taller than the window.
    void updateScrollRange(int atLeast = 0);
    // Scrolls as little as needed for the row at y (screen units) to be in sight.
    void followRow(int y, int height = 0);
    int visibleUnits() const;
    void placeInputLine();
    void paintDrawing(QPainter& painter, const QRect& area) const;
    // What a picture or a print of the window shows: all that was drawn, and at least the
    // window's own area, in screen units.
    QRect drawingArea() const;
    void bringToFront(bool takeKeyboard);
    void zoomStep(int direction); // one step larger, smaller, or back to 100 %, remembered

    TForm12* inputLine_;
    QScrollBar* vbar_ = nullptr;
    QPoint inputAt_; // where the input line stands, in screen units
    QtPrinterDevice printer_;
    std::unique_ptr<Interpreter> interpreter_;
    ScreenRecord record_;
    double zoom_ = 1.0;
    bool inputSeenActive_ = false; // the window was active during the current input
    bool inputLeft_ = false;       // ... and has lost the activation since
    QStringList runErrors_;
    QString shownName_;
    QString caption_; // the title without the run's state
    QString runState_;
    bool interruptRequested_ = false;
    bool running_ = false;
    qint64 lastPoll_ = 0;
};

// The message box of the application, as the interpreter and the platform show errors.
void showErrorBox(QWidget* parent, const QString& text);

// The box of an error of the program: the message as the run words it, below it the line
// it stopped at ("Ligne 12 : P := N * J;", line counted from 1; none when line is 0) and
// what the message was about when its text does not say (the file of an "Erreur
// Entrée/Sortie"), and a button "Aide sur ce message" that opens the help's entry for the message.
void showRunErrorBox(QWidget* parent, const QString& message, int line, const QString& lineText,
                     const std::function<void(const QString& target)>& openHelp, const QString& detail = {});
// The help's entry for a message a run shows: "messages.html#Name", or the page itself for
// a message of the platform.
QString messageHelpTarget(const QString& message);

} // namespace zef
