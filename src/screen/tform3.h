// The screen window "Ecran": where interpreted programs draw their output. It keeps its
// drawing in an image of its own, so covering, moving or resizing it never loses output.
// It owns the interpreter and is its platform: screen, messages, printer and poll hook.
#pragma once

#include "interpreter.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>

class QPainter;
class QPrinter;

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

class TForm3 : public QWidget, public Screen, public MessageSink, public PollHook {
    Q_OBJECT
public:
    explicit TForm3(TForm12* inputLine, QWidget* parent = nullptr);
    ~TForm3() override;

    // Published operations, forwarded to the interpreter.
    void InitPrg(const QString& programName);
    void Exec(LineList& lines, std::int32_t& line, std::int32_t& step, std::int32_t& outStatus);
    int CloseAll();
    Interpreter& interpreter() { return *interpreter_; }

    // Asks the running program to stop at the next poll ("Arrêter", Escape).
    void requestInterrupt() { interruptRequested_ = true; }
    bool running() const { return running_; }
    const QImage& canvas() const { return canvas_; }
    QFont screenFont() const { return font(); }
    QtPrinterDevice& printer() { return printer_; }
    // When set, receives the texts of the modal boxes (errors and SHOWMESSAGE) instead of
    // showing them: the tests' way to answer them.
    std::function<void(const QString&)> messageBoxHook;

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

signals:
    void runningChanged(bool running);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ensureCanvas(int width, int height);

    TForm12* inputLine_;
    QtPrinterDevice printer_;
    std::unique_ptr<Interpreter> interpreter_;
    QImage canvas_;
    bool interruptRequested_ = false;
    bool running_ = false;
    qint64 lastPoll_ = 0;
};

// The message box of the application, as the interpreter and the platform show errors.
void showErrorBox(QWidget* parent, const QString& text);

} // namespace zef
