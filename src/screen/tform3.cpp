#include "tform3.h"

#include "qttext.h"
#include "tform12.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

namespace zef {

namespace {

constexpr int kMaxCanvas = 8192; // output drawn further away is out of sight anyway

} // namespace

void showErrorBox(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}

// ---- Printer -------------------------------------------------------------------------

QtPrinterDevice::QtPrinterDevice() = default;
QtPrinterDevice::~QtPrinterDevice() { close(); }

bool QtPrinterDevice::open() {
    close();
    if (outputFile_.isEmpty() && QPrinterInfo::defaultPrinter().isNull()) return false;
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!outputFile_.isEmpty()) {
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName(outputFile_);
    }
    printer_->setDocName(QStringLiteral("Zef Pascal"));
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer_.get())) {
        painter_.reset();
        printer_.reset();
        return false;
    }
    QFont f = QApplication::font();
    f.setPointSize(11);
    painter_->setFont(f);
    y_ = 0;
    line_.clear();
    return true;
}

bool QtPrinterDevice::write(const std::string& text) {
    if (!painter_) return false;
    line_ += fromCp1252(text);
    return true;
}

bool QtPrinterDevice::newLine() {
    if (!painter_) return false;
    const QFontMetrics fm(painter_->font(), printer_.get());
    const QRect page = printer_->pageLayout().paintRectPixels(printer_->resolution());
    if (y_ + fm.height() > page.height()) {
        if (!printer_->newPage()) return false;
        y_ = 0;
    }
    painter_->drawText(0, y_ + fm.ascent(), line_);
    y_ += fm.height();
    line_.clear();
    return true;
}

bool QtPrinterDevice::close() {
    if (!painter_) return true;
    if (!line_.isEmpty()) newLine();
    const bool ok = painter_->end();
    painter_.reset();
    printer_.reset();
    return ok;
}

// ---- Screen window -------------------------------------------------------------------

TForm3::TForm3(TForm12* inputLine, QWidget* parent)
    : QWidget(parent, Qt::Window), inputLine_(inputLine) {
    setObjectName("Form3");
    setWindowTitle(QStringLiteral("Ecran"));
    resize(588, 438);
    QFont f = QApplication::font();
    f.setPixelSize(17);
    setFont(f);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (const QScreen* s = QApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
    ensureCanvas(588, 438);
    Platform platform;
    platform.screen = this;
    platform.messages = this;
    platform.printer = &printer_;
    platform.poll = this;
    platform.regional = regionalSettingsFromQt();
    interpreter_ = std::make_unique<Interpreter>(platform);
}

TForm3::~TForm3() = default;

void TForm3::ensureCanvas(int width, int height) {
    width = std::min(std::max(width, canvas_.width()), kMaxCanvas);
    height = std::min(std::max(height, canvas_.height()), kMaxCanvas);
    if (width == canvas_.width() && height == canvas_.height()) return;
    QImage grown(width, height, QImage::Format_RGB32);
    grown.fill(Qt::white);
    QPainter p(&grown);
    if (!canvas_.isNull()) p.drawImage(0, 0, canvas_);
    canvas_ = std::move(grown);
}

void TForm3::InitPrg(const QString& programName) {
    interpreter_->InitPrg(toCp1252(programName));
}

void TForm3::Exec(LineList& lines, std::int32_t& line, std::int32_t& step, std::int32_t& outStatus) {
    if (running_) return; // never re-entered
    running_ = true;
    interruptRequested_ = false;
    emit runningChanged(true);
    struct Done {
        TForm3* self;
        ~Done() {
            self->running_ = false;
            self->update();
            emit self->runningChanged(false);
        }
    } done{this};
    interpreter_->Exec(lines, line, step, outStatus);
}

int TForm3::CloseAll() { return interpreter_->CloseAll(); }

void TForm3::prepare(const std::string& caption) {
    setWindowTitle(fromCp1252(caption));
    show();
    raise();
}

void TForm3::drawText(int x, int y, const std::string& text) {
    const QString s = fromCp1252(text);
    const QFontMetrics fm(font());
    const int width = fm.horizontalAdvance(s);
    if (x >= kMaxCanvas || y >= kMaxCanvas || x < 0 || y < 0) return;
    ensureCanvas(x + width + 1, y + fm.height() + 1);
    QPainter p(&canvas_);
    p.setFont(font());
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(Qt::white);
    p.setPen(Qt::black);
    p.drawText(x, y + fm.ascent(), s);
    update(QRect(x, y, width + 1, fm.height() + 1));
}

int TForm3::textWidth(const std::string& text) {
    return QFontMetrics(font()).horizontalAdvance(fromCp1252(text));
}

void TForm3::clearScreen() {
    // A white rectangle outlined in black over the whole outer size: only its top and left
    // edges fall inside the drawing area. Output further away is wiped too.
    QPainter p(&canvas_);
    p.fillRect(canvas_.rect(), Qt::white);
    p.setPen(Qt::black);
    const QRect outer = frameGeometry();
    p.drawRect(0, 0, outer.width() - 1, outer.height() - 1);
    update();
}

std::string TForm3::readLine(int x, int y) {
    update();
    const QPoint at = mapToGlobal(QPoint(x, y));
    const QString typed = inputLine_->ask(at, std::max(width() - x, 40));
    activateWindow();
    return toCp1252(typed);
}

void TForm3::showMessage(const std::string& text) {
    if (messageBoxHook) return messageBoxHook(fromCp1252(text));
    QMessageBox::information(this, QApplication::applicationName(), fromCp1252(text));
}

void TForm3::showError(const std::string& text) {
    if (messageBoxHook) return messageBoxHook(fromCp1252(text));
    showErrorBox(this, fromCp1252(text));
}

bool TForm3::poll() {
    // Keep the application alive while a program runs: repaint, take the interrupt command.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - lastPoll_ >= 20) {
        lastPoll_ = now;
        QApplication::processEvents();
    }
    return interruptRequested_;
}

void TForm3::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawImage(0, 0, canvas_);
}

void TForm3::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && running_) {
        requestInterrupt();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace zef
